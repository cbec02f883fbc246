#include "audit/audit_lines.h"

#include <cstdio>

const char kAuditBlankLine[] = " \t \t \t \t \t \t \t ";

void FormatAuditTime(long hhmmss, char out[48]) {
  long hour = hhmmss / 10000;
  const long minute = hhmmss / 100 % 100;
  const long second = hhmmss % 100;
  const char* half = hour < 12 ? "AM" : "PM";
  if (hour >= 13 && hour <= 23) hour -= 12;
  std::snprintf(out, 48, "%02ld:%02ld:%02ld %s", hour, minute, second, half);
}

std::string AuditTimeText(long hhmmss) {
  char buffer[48];
  FormatAuditTime(hhmmss, buffer);
  return buffer;
}

namespace {

long Seconds(long hhmmss) {
  return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}

// Appends text and sep.
inline void Cell(std::string* out, const char* text, const char* sep) {
  out->append(text);
  out->append(sep);
}

}  // namespace

std::string DurationText(long first, long last) {
  if (!(first < last)) return std::string();
  // Times are HHMMSS within a day; anything larger is someone's bad data and
  // only has to give some text, never a crash or an overflow.
  if (first < 0 || last > 99999999) return std::string();
  const long diff = Seconds(last) - Seconds(first);
  if (diff <= 0) return std::string();
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02ld:%02ld:%02ld", diff / 3600 % 24, diff / 60 % 60,
                diff % 60);
  return buffer;
}

namespace {
// The six cells the detailed and history lines begin with, each followed by " \t".
void LeadingCells(std::string* out, const char* date, const char* time, const char* user,
                  const char* table, const char* module, const char* verb) {
  out->clear();
  Cell(out, date, " \t");
  Cell(out, time, " \t");
  Cell(out, user, " \t");
  Cell(out, table, " \t");
  Cell(out, module, " \t");
  Cell(out, verb, " \t");
}
}  // namespace

void DetailedLine(std::string* out, const char* date, const char* time, const char* user,
                  const char* table, const char* module, const char* verb,
                  const char* description, const char* first_name, const char* last_name) {
  LeadingCells(out, date, time, user, table, module, verb);
  Cell(out, description, " \t");
  Cell(out, first_name, " ");
  out->append(last_name);
}

void HistoryLine(std::string* out, const char* date, const char* time, const char* user,
                 const char* table, const char* module, const char* verb,
                 const char* description) {
  LeadingCells(out, date, time, user, table, module, verb);
  out->append(description);
}

void SummaryLine(std::string* out, const char* date, const char* time, const char* user,
                 const char* module, const char* verb, long count) {
  char number[24];
  std::snprintf(number, sizeof number, "%ld ", count);
  out->clear();
  Cell(out, date, " \t");
  Cell(out, time, " \t");
  Cell(out, user, " \t");
  Cell(out, module, " \t");
  Cell(out, verb, " \t");
  out->append(number);
}

void DetailedTotalLine(std::string* out, const char* label, long date_count,
                       const std::string& duration, long user_count, long module_count,
                       long action_count) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%s %ld\t%s \t%ld \t%s \t%ld \t%ld", label, date_count,
                duration.c_str(), user_count, "", module_count, action_count);
  out->assign(buffer);
}

void SummaryTotalLine(std::string* out, const char* label, const std::string& date_count,
                      const std::string& user_count, const std::string& module_count,
                      const std::string& action_count, long sum) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%s %s\t%s \t%s \t%s \t%s \t%ld", label, date_count.c_str(),
                "", user_count.c_str(), module_count.c_str(), action_count.c_str(), sum);
  out->assign(buffer);
}
