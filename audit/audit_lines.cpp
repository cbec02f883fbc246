#include "audit/audit_lines.h"

#include <cstdio>

#include "host/list_window.h"

const char kAuditBlankLine[] = " \t \t \t \t \t \t \t ";

char* AppendDecimal(char* out, long v, int min_width) {
  // The magnitude as unsigned, so that LONG_MIN has one too.
  const bool negative = v < 0;
  unsigned long m = negative ? 0ul - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + m % 10);
    m /= 10;
  } while (m != 0);
  if (negative) *out++ = '-';
  for (int pad = min_width - n - (negative ? 1 : 0); pad > 0; --pad) *out++ = '0';
  while (n > 0) *out++ = digits[--n];
  return out;
}

namespace {
// Two digits for 0..99 (nearly every call), else what "%02ld" writes.
inline char* Append02(char* out, long v) {
  if (v >= 0 && v < 100) {
    out[0] = static_cast<char>('0' + v / 10);
    out[1] = static_cast<char>('0' + v % 10);
    return out + 2;
  }
  return AppendDecimal(out, v, 2);
}
}  // namespace

// "%02ld:%02ld:%02ld %s", written by hand: snprintf took a tenth of the time
// of a million-row list. At most 32 bytes: the hour 20 ("-" and 19 digits),
// minutes and seconds 3 each (remainders of 100: "-99"), separators and
// "AM" 6, the terminator.
void FormatAuditTime(long hhmmss, char out[48]) {
  long hour = hhmmss / 10000;
  const long minute = hhmmss / 100 % 100;
  const long second = hhmmss % 100;
  const bool am = hour < 12;
  if (hour >= 13 && hour <= 23) hour -= 12;
  char* p = Append02(out, hour);
  *p++ = ':';
  p = Append02(p, minute);
  *p++ = ':';
  p = Append02(p, second);
  *p++ = ' ';
  *p++ = am ? 'A' : 'P';
  *p++ = 'M';
  *p = '\0';
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

// Appends text and sep. A tab or line break stored in a name or a
// description shows as a blank (the rows were grouped, sorted and merged on
// the text as stored; only what is shown changes).
inline void Cell(std::string* out, const char* text, const char* sep) {
  AppendCellText(out, text);
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
  AppendCellText(out, last_name);
}

void HistoryLine(std::string* out, const char* date, const char* time, const char* user,
                 const char* table, const char* module, const char* verb,
                 const char* description) {
  LeadingCells(out, date, time, user, table, module, verb);
  AppendCellText(out, description);
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
