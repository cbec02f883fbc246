// The suite's KelvoUtils and KelvoUtils2 (printing library) string tables,
// in Canadian French. Sorted by id; the static_asserts keep them so.

#include "res/string_tables.h"

namespace {

constexpr StringEntry kKelvoUtilsStrings[] = {
    // Message of the code-table editor when a record would be a duplicate.
    {850, "Cet enregistrement existe déjà."},
};
static_assert(IsSortedUnique(kKelvoUtilsStrings), "KelvoUtils string ids must be sorted and unique");

constexpr StringEntry kKelvoUtils2Strings[] = {
    // Appointment verbs (at most 15 bytes: they fill a 16-byte verb).
    {8545, "Ajouté"},
    {8546, "Modifié"},
    {8547, "Supprimé"},
    {8548, "Déplacé"},
    {8549, "Rétabli"},
    {8550, "Non planifié"},
    {8551, "Confirmé"},
    // List filter conditions.
    {8732, "Égal à"},
    {8733, "Différent de"},
    {8740, "Contient"},
    // Appointment verb of a cancellation.
    {8787, "Annulé"},
};
static_assert(IsSortedUnique(kKelvoUtils2Strings), "KelvoUtils2 string ids must be sorted and unique");

}  // namespace

std::span<const StringEntry> KelvoUtilsStringTable() { return kKelvoUtilsStrings; }
std::span<const StringEntry> KelvoUtils2StringTable() { return kKelvoUtils2Strings; }
