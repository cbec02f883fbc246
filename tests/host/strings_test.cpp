#include "host/strings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "res/string_tables.h"

namespace {

TEST(StringsTest, ExactTexts) {
  struct Case {
    StringTable table;
    int id;
    const char* text;
  } cases[] = {
      {StringTable::kModule, 10, "Liste détaillé"},
      {StringTable::kModule, 12, "Êtes-vous sûre de vouloir effacer la liste?"},
      {StringTable::kModule, 13, "Tous"},
      {StringTable::kModule, 41, "Champs personalisés"},
      {StringTable::kModule, 57, "Total:"},
      {StringTable::kModule, 58, "Grand Total:"},
      {StringTable::kModule, 60, "Défaut"},
      {StringTable::kModule, 70, "Rectangulaire Basé"},
      {StringTable::kModule, 85, "P->I/C"},
      {StringTable::kModule, 99, "Utiliser l'année : "},
      {StringTable::kModule, 255, "Resoumettre"},
      {StringTable::kModule, 256, "non appliqué"},
      {StringTable::kModule, 261, "Disconnecté"},
      {StringTable::kModule, 262, "Impimer"},
      {StringTable::kModule, 279, "Semaine de :"},
      {StringTable::kModule, 280, " Frais Net"},
      {StringTable::kModule, 285, "A été vu"},
      {StringTable::kModule, 405, "Personne(s) à charge "},
      {StringTable::kModule, 455, "Références du patient"},
      {StringTable::kModule, 474, "Fichier de lien entre les modules des transactions et de l'agenda "},
      {StringTable::kModule, 516, "Attach"},
      {StringTable::kModule, 1017, "Bouttons rapide"},
      {StringTable::kModule, 1207, "Sélectionner Patient"},
      {StringTable::kModule, 1220, "Note de réclammation"},
      {StringTable::kHost, kAppNameStringId, "Cabinet Tolvane"},
      {StringTable::kHost, 20105, "Patients"},
      {StringTable::kHost, 10040, "Date"},
      {StringTable::kHost, 10218, "Usager"},
      {StringTable::kKelvoUtils, 10041, "Table"},  // shared headings, either table
      {StringTable::kKelvoUtils, 850, "Cet enregistrement existe déjà."},
      {StringTable::kKelvoUtils2, 8732, "Égal à"},
      {StringTable::kKelvoUtils2, 8733, "Différent de"},
      {StringTable::kKelvoUtils2, 8740, "Contient"},
  };
  for (const Case& c : cases) EXPECT_STREQ(LoadTableString(c.table, c.id), c.text) << c.id;
  EXPECT_STREQ(ModuleString(59), "Journal d'audit");
  EXPECT_STREQ(HostString(10150), LoadTableString(StringTable::kKelvoUtils, 10150));
}

TEST(StringsTest, MissingIdsAreEmpty) {
  const StringTable tables[] = {StringTable::kModule, StringTable::kHost, StringTable::kKelvoUtils,
                                StringTable::kKelvoUtils2};
  for (StringTable t : tables) {
    for (int id : {0, -1, 14, 46, 1016, 99999}) EXPECT_STREQ(LoadTableString(t, id), "") << id;
  }
  EXPECT_STREQ(LoadTableString(StringTable::kModule, 10040), "");  // headings are not the module's
  EXPECT_STREQ(LoadTableString(StringTable::kKelvoUtils2, 10040), "");
  EXPECT_STREQ(LoadTableString(static_cast<StringTable>(42), 13), "");
}

// Sorting is checked at compile time; the texts must be whole UTF-8.
TEST(StringsTest, TextsAreNonEmptyUtf8) {
  const std::span<const StringEntry> tables[] = {ModuleStringTable(), HostStringTable(), SharedHeadingTable(),
                                                 KelvoUtilsStringTable(), KelvoUtils2StringTable()};
  for (auto table : tables) {
    for (const StringEntry& e : table) {
      EXPECT_GT(std::strlen(e.text), 0u) << e.id;
      EXPECT_TRUE(IsValidUtf8(e.text)) << e.id;
    }
  }
}

TEST(StringsTest, EveryReferencedIdHasItsText) {
  // Table names: ids 1..116 map to 401..516.
  for (int id = 401; id <= 516; ++id) EXPECT_STRNE(ModuleString(id), "") << id;
  for (int id = 250; id <= 281; ++id) EXPECT_STRNE(ModuleString(id), "") << id;
  for (int id = 60; id <= 70; ++id) EXPECT_STRNE(ModuleString(id), "") << id;
  // Module names of the audit module table.
  for (int id : {20105, 20106, 5107, 5114, 5136, 5022, 5137, 5139, 5156, 5138, 5119, 5108, 5141, 5142, 5145,
                 5144, 5143, 5149, 5118, 5157, 5159, 5162, 2535}) {
    EXPECT_STRNE(HostString(id), "") << id;
  }
  // Report names fill a 32-byte table name.
  for (int id : {10985, 11000, 11001, 11002, 11003, 11004, 11005, 11007, 11009, 11010, 11025, 11026,
                 11027, 11028, 11029, 11030, 11031, 11032, 11033, 11034, 11035, 11036, 11037, 11038,
                 11039, 11175, 11176, 11040, 11041, 11177, 11178, 11179, 11042, 11043, 11044, 11045,
                 11046, 11054, 11075, 11076, 11077, 11081, 11126, 11127, 11128, 11150, 11151, 11152}) {
    EXPECT_STRNE(HostString(id), "") << id;
    EXPECT_LE(std::strlen(HostString(id)), 31u) << id;
  }
  // Appointment verbs fill a 16-byte verb.
  for (int id : {8545, 8546, 8547, 8548, 8549, 8550, 8551, 8787}) {
    EXPECT_STRNE(LoadTableString(StringTable::kKelvoUtils2, id), "") << id;
    EXPECT_LE(std::strlen(LoadTableString(StringTable::kKelvoUtils2, id)), 15u) << id;
  }
  // The statistics summary is charted under 10334 but titled 10348.
  EXPECT_STREQ(HostString(10334), HostString(10348));
}

TEST(StringsTest, LoaderCutsOnCharacterBoundaries) {
  struct Case {
    int capacity;
    int id;
    const char* text;
  } cases[] = {
      {256, 12, "Êtes-vous sûre de vouloir effacer la liste?"},
      {5, 12, "Ête"},  // 4 bytes: "Ê" takes two
      {4, 12, "Êt"},
      {3, 12, "Ê"},
      {2, 12, ""},     // one byte cannot hold "Ê"
      {0, 12, ""},
      {-3, 12, ""},
      {4, 10, "Lis"},
      {16, 260, "Connecté à"},
      {11, 260, "Connecté "},  // the 2-byte "à" does not fit in the last byte
      {256, 14, ""},
  };
  for (const Case& c : cases) {
    TDLoadString loader(c.capacity);
    EXPECT_STREQ(loader.Text(c.id), c.text) << c.capacity << " " << c.id;
  }
  TDLoadString host(64, StringTable::kHost);
  EXPECT_STREQ(host(10141), "Heure");
  const char* first = host(10040);
  EXPECT_STREQ(first, "Date");
}

TEST(Utf8, WellFormedTextOnly) {
  struct Case {
    const char* name;
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"ascii", "Roy, Anne", true},
      {"empty", "", true},
      {"two bytes", "Équipe", true},
      {"three bytes", "\xE2\x80\x94", true},               // em dash
      {"four bytes", "\xF0\x9F\x98\x80", true},           // U+1F600
      {"latin-1 byte", "caf\xE9", false},
      {"stray continuation", "\x80" "abc", false},
      {"cut at the end", "\xE2\x80", false},
      {"overlong slash", "\xC0\xAF", false},
      {"overlong three bytes", "\xE0\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"past U+10FFFF", "\xF4\x90\x80\x80", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.name;
}

}  // namespace
