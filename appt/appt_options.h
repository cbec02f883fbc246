// The productivity options kept in the INI section "PRAC_APPT" (all values
// are text), read by the productivity tab and the command line and written
// by the tab's "&Savegarder" and its colour options.
//
//   TrackProd, ReportDollar, NetFees, NoShows, Unscheduled, Cancelled,
//   TotalsOnly, AllProducers, AllChairs   'Y' / 'N'
//   ListBy 'P'/'C', ReportBy 'D'/'W'/'M'/'Y', ProdUnits 'H'/'U'/'B',
//   ProdInfo 'S'/'C'/'T'
//   Producers, Chairs, ApptCodes, ApptTypes   entries joined with ","
//   Bold0..8, Color0..8, UsageColor0..2, UsageFrom0..2, UsageTo0..2
// Reading never fails: a missing key reads as its default, an empty value
// as 0 (the field's first character).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "appt/appt_types.h"
#include "host/run_outcome.h"

inline constexpr char kApptIniSection[] = "PRAC_APPT";

// value of key (in section PRAC_APPT), or def when the key is absent.
using ApptIniReader = std::function<std::string(const char* key, const char* def)>;
using ApptIniWriter = std::function<void(const char* key, const std::string& value)>;

// The tab's options: DateFrom one month before today, DateTo today, the
// defaults, then every key of the section. *out is reset first.
void ReadApptOptions(const ApptIniReader& read, long today, PracApptSettings* out);

// The option keys (not the colour keys), in the order the tab writes them.
const std::vector<std::string>& ApptOptionKeys();
// The letters a one-letter key accepts ("YN", "PC", "DWMY", "HUB", "SCT");
// "" for a list key or an unknown key.
std::string ApptKeyLetters(const std::string& key);

// Writes the options as "&Savegarder" does: the eleven one-letter keys, then
// AllProducers and Producers (ListBy 'P') or AllChairs and Chairs ('C'),
// then ApptCodes (ProdInfo 'C') or ApptTypes ('T').
void WriteApptOptions(const PracApptSettings& s, const ApptIniWriter& write);

// Entries of a fixed list up to the first empty one, joined with ",".
template <size_t N>
std::string JoinEntries(const char (*list)[N]) {
  std::string out;
  for (int i = 0; i < kApptMaxSelected && list[i][0] != '\0'; ++i) {
    if (!out.empty()) out += ",";
    out += list[i];
  }
  return out;
}

// --- colours -------------------------------------------------------------------
struct ApptColourOptions {
  char Bold[9] = {'N', 'N', 'N', 'N', 'N', 'N', 'N', 'N', 'N'};
  long Colour[9] = {};            // 0 = default text colour
  long UsageColour[3] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF};  // 0xFFFFFF = none
  short UsageTo[3] = {};
  short UsageFrom[3] = {};
};

void ReadApptColours(const ApptIniReader& read, ApptColourOptions* out);
void WriteApptColours(const ApptColourOptions& c, const ApptIniWriter& write);

// Colour index of a cell's row kind (9 for column 0): kind 10 -> 2, 11 -> 0,
// otherwise kind - 1; -1 for kind 0.
int ApptColourIndex(long row_kind);
// The usage range holding a usage cell's percentage (the number between
// "(" and "%"): 0, 1 or 2, or -1 when none holds it or the ranges are all
// unset (three colours 0, or six bounds 0).
int ApptUsageRange(const ApptColourOptions& c, const char* cell_text);

// --- the selection -------------------------------------------------------------
class GenDB;

// One row of the tab's selection list: the key the settings hold (a
// producer code, a chair key "L01") and the row's text ("D01\tRoy, Anne",
// "L01 \t Salle 1").
struct ApptChoice {
  std::string key;
  std::string text;
};

// The practice's choices for a mode (producers: the active ones, in code
// order; else the chairs), read with the pick-list statements. False when
// the statement failed (the database's LastError says why).
bool LoadApptChoices(GenDB* db, bool producers, std::vector<ApptChoice>* out);

// The choices of every clinic of a group (ReadClinicByClinic on db), each
// key once with the text of the first clinic that has it, by key. Not
// finished when a clinic's statement failed (the outcome names it).
RunOutcome LoadGroupApptChoices(GenDB* db, const std::vector<std::string>& prefixes, bool producers,
                                std::vector<ApptChoice>* out);

// The selection rule of the productivity tab, which its window and its
// command both apply to the mode's list (ListBy 'P': Producers, else
// Chairs): "all" takes every key of known, in its order; otherwise the keys
// named, in the order named, each one of known or, for producers, a
// producer of the practice who is no longer active (such a one may be
// named). At most kApptMaxSelected are kept. Writes the mode's list, its
// All flag and SelectedCount; the other mode's list keeps what it held.
// Refused when a named key is unknown: "producteur inconnu : X",
// "salle inconnue : X" (the settings are left as they were).
RunOutcome SelectApptKeys(GenDB* db, const std::vector<std::string>& known, bool all,
                          const std::vector<std::string>& named, PracApptSettings* s);
// The same rule for one clinic of a group: a named key this clinic does not
// know is passed over (another clinic may know it) and added to *unknown.
void SelectClinicApptKeys(GenDB* db, const std::vector<std::string>& known, bool all,
                          const std::vector<std::string>& named, PracApptSettings* s,
                          std::vector<std::string>* unknown);
