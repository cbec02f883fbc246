// The audit options kept in the INI section "PRAC_DETAILED" (all values are
// text), read by the audit tab, the history dialog and the command line, and
// written by the tab's "Défauts" button.
//
//   DaysDiff        days from the from date to the to date ("%d", 0..3650)
//   SortBy          the four sort keys, one digit each ("2100": date, user)
//   SumBy           the four subtotal flags, one digit each (user, date,
//                   module, action)
//   AllUsers        "Y" / "N"
//   Users           log-on names joined by "," (at most 200, 9 bytes each)
//   AllModules      "Y" / "N"
//   Modules         module codes joined by "," (at most 50)
//   AuditTypes      source letter: "A" current, "H" archived, "B" both
//   TrackEntryExit  "Y" / "N"
// Reading never fails: anything malformed reads as the default or is skipped.
#pragma once

#include <functional>
#include <string>

#include "audit/audit_types.h"

class WDIniObj;

inline constexpr char kAuditIniSection[] = "PRAC_DETAILED";

// value of key (in section PRAC_DETAILED), or def when the key is absent.
using AuditIniReader = std::function<std::string(const char* key, const char* def)>;
// Stores value under key; false when it could not be stored.
using AuditIniWriter = std::function<bool(const char* key, const std::string& value)>;

AuditIniReader IniReaderOf(const WDIniObj& ini);
AuditIniWriter IniWriterOf(WDIniObj& ini);

// The audit tab's options: from date one month before today (then "DaysDiff"
// days before today when that value is below 3651), to date today, and the
// keys above with their defaults ("N" for AllUsers and AllModules, "A",
// "N"). *out is reset first.
void ReadAuditTabOptions(const AuditIniReader& read, long today, AuditOptions* out);

// The history dialog's options: no date bounds, every user, the modules of
// the module the history was opened from (20160: 20160, 2060, 20105; 20120:
// 20120, 20105; 20105: 20105, 2060, 20120; any other: none), sort keys,
// subtotals, source and entry/exit tracking from the INI. *out is reset first.
void ReadAuditHistoryOptions(const AuditIniReader& read, long module_id, AuditOptions* out);
// The modules of the history opened from module_id (the list above), in *out
// (all_modules 'N', the others cleared).
void SetHistoryModules(long module_id, AuditOptions* out);

// Which lists the dialog has (a key is written only when its list exists).
struct AuditDefaultsParts {
  bool subtotals = true;
  bool users = true;
  bool modules = true;
};
// Writes the options as the defaults, in the order DaysDiff, SortBy, SumBy,
// AllUsers, Users, AllModules, Modules, AuditTypes, TrackEntryExit. Returns
// false when a value could not be stored (the others are still written).
bool WriteAuditDefaults(const AuditOptions& options, const AuditIniWriter& write,
                        AuditDefaultsParts parts = AuditDefaultsParts());

// The parsers, one per key (for the command line's KEY=VALUE overrides too).
void ParseSortBy(const std::string& value, AuditOptions* out);  // replaces the sort keys
void ParseSumBy(const std::string& value, AuditOptions* out);   // replaces the flags
void ParseUsers(const std::string& value, AuditOptions* out);   // replaces the users
void ParseModules(const std::string& value, AuditOptions* out); // replaces the modules
