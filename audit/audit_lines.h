// The text of the audit lists' lines, byte for byte. Columns are separated
// by " \t" (a blank then a tab) or "\t" exactly as each layout says; every
// function replaces *out (its capacity is reused, so a loop that keeps one
// string allocates nothing per line).
//
//   detailed  "%s \t%s \t%s \t%s \t%s \t%s \t%s \t%s %s"
//             date, time, user, table, module, verb, description, first, last
//   history   "%s \t%s \t%s \t%s \t%s \t%s \t%s"
//             date, time, user, table, module, verb, description
//   summary   "%s \t%s \t%s \t%s \t%s \t%ld "   (trailing blank)
//             date, time, user, module, verb, count
//   blank     " \t \t \t \t \t \t \t "
//   detailed and history total
//             "%s %ld\t%s \t%ld \t%s \t%ld \t%ld"
//             label, date count, duration, user count, "", module count,
//             action count
//   summary total
//             "%s %s\t%s \t%s \t%s \t%s \t%ld"
//             label, date count, "", user count, module count, action count
//             (each count "" when its key is not subtotalled), sum of counts
#pragma once

#include <string>
#include <string_view>

// Item data of the total lines (the lists draw them in bold).
inline constexpr long kTotalItemData = -1;

extern const char kAuditBlankLine[];

// v in decimal as "%0*ld" writes it with width min_width (zeros after the
// sign up to the width; a width of 1 or less is "%ld"), no terminator.
// Returns the end. out needs max(min_width, 20) bytes.
char* AppendDecimal(char* out, long v, int min_width = 1);

// Time of day HHMMSS on a 12-hour dial: "%02d:%02d:%02d %s", hours 13..23
// written 1..11 (0 and 12 stay), "AM" below 12 h, else "PM". Any long is
// accepted (a time above 235959 keeps its odd hour). Writes at most 47 bytes.
void FormatAuditTime(long hhmmss, char out[48]);
std::string AuditTimeText(long hhmmss);

// The duration from first to last (HHMMSS each) as "%02d:%02d:%02d", hours
// modulo 24; "" when last is not after first.
std::string DurationText(long first, long last);

void DetailedLine(std::string* out, const char* date, const char* time, const char* user,
                  const char* table, const char* module, const char* verb,
                  const char* description, const char* first_name, const char* last_name);
void HistoryLine(std::string* out, const char* date, const char* time, const char* user,
                 const char* table, const char* module, const char* verb,
                 const char* description);
void SummaryLine(std::string* out, const char* date, const char* time, const char* user,
                 const char* module, const char* verb, long count);
void DetailedTotalLine(std::string* out, const char* label, long date_count,
                       const std::string& duration, long user_count, long module_count,
                       long action_count);
// Counts as texts: "" for a key that is not subtotalled.
void SummaryTotalLine(std::string* out, const char* label, const std::string& date_count,
                      const std::string& user_count, const std::string& module_count,
                      const std::string& action_count, long sum);
