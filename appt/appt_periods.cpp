// Periods of the productivity report, units, and the schedule audit layout.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "appt/appt_generator.h"
#include "host/dates.h"
#include "host/strings.h"
#include "suite/calendar.h"

namespace {

int YearOf(long date) {
  int y = 0, m = 0, d = 0;
  sepldat(date, &y, &m, &d);
  return y;
}

int MonthOf(long date) {
  int y = 0, m = 0, d = 0;
  sepldat(date, &y, &m, &d);
  return m;
}

}  // namespace

bool ApptSamePeriod(char report_by, long element_date, short element_period, long day) {
  switch (report_by) {
    case 'D': return element_date == day;
    case 'W': return YearOf(element_date) == YearOf(day) && week_number(day) == element_period;
    case 'M': return YearOf(element_date) == YearOf(day) && MonthOf(element_date) == MonthOf(day);
    case 'Y': return YearOf(element_date) == YearOf(day);
    default: return true;
  }
}

short ApptPeriodIndex(char report_by, long day) {
  switch (report_by) {
    case 'W': return static_cast<short>(week_number(day));
    case 'M': return static_cast<short>(MonthOf(day));
    case 'Y': return static_cast<short>(YearOf(day));
    default: return 0;
  }
}

std::string ApptPeriodLabel(char report_by, long day) {
  char buf[160];
  switch (report_by) {
    case 'D': return DateToDateString(day, "www nnn dd, yyyy");
    case 'W': {
      long sunday = day;
      for (int i = 0; i < 7 && sunday != 0 && DayOfWeek(sunday) != 0; ++i) sunday = decr_date(sunday);
      char date[40];
      ldate_to_str1(date, sunday, 611);
      std::snprintf(buf, sizeof buf, "%s %s", ModuleString(279), date);
      return buf;
    }
    case 'M':
      std::snprintf(buf, sizeof buf, "%s %d", MonthToString(MonthOf(day)), YearOf(day));
      return buf;
    case 'Y':
      std::snprintf(buf, sizeof buf, "%d", YearOf(day));
      return buf;
    default: return std::string();
  }
}

void ApptPeriodRange(char report_by, long d, long from, long to, long* start, long* end) {
  int y = 0, m = 0, dd = 0;
  sepldat(d, &y, &m, &dd);
  auto same_week = [d](long other) { return YearOf(other) == YearOf(d) && week_number(other) == week_number(d); };
  auto same_month = [y, m](long other) { return YearOf(other) == y && MonthOf(other) == m; };
  switch (report_by) {
    case 'W': {
      long s = d, e = d;
      for (int i = 0; i < 7 && s != 0 && DayOfWeek(s) != 0; ++i) s = decr_date(s);
      for (int i = 0; i < 7 && e != 0 && DayOfWeek(e) != 6; ++i) e = incr_date(e, 1);
      *start = same_week(from) ? from : s;
      *end = same_week(to) ? to : e;
      return;
    }
    case 'M':
      *start = same_month(from) ? from : DMYtoDate(1, m, y);
      *end = same_month(to) ? to : DMYtoDate(DaysPerMonth(m, y), m, y);
      return;
    case 'Y':
      *start = YearOf(from) == y ? from : DMYtoDate(1, 1, y);
      *end = YearOf(to) == y ? to : DMYtoDate(31, 12, y);
      return;
    default:
      *start = d;
      *end = d;
      return;
  }
}

namespace {

// The n characters at pos as a string ("" past the end), trailing blanks off.
std::string Piece(const char* text, size_t pos, size_t n) {
  const size_t len = std::strlen(text);
  if (pos >= len) return std::string();
  std::string s(text + pos, std::min(n, len - pos));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// 8 decimal digits at pos forming a real date.
bool DateAt(const char* text, size_t pos, long* out) {
  if (std::strlen(text) < pos + 8) return false;
  for (size_t i = pos; i < pos + 8; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  const long date = std::atol(std::string(text + pos, 8).c_str());
  if (!tavo_valid_date(date)) return false;
  *out = date;
  return true;
}

// The years an appointment book can hold. Between them the two layouts never
// both give such a date: shifted by one place, a year of 1950 to 2149 reads
// as a year below 1500 or above 2149.
bool PlausibleYear(long date) { return date >= 19500101 && date <= 21491231; }

}  // namespace

void ParseScheduleAudit(const char* info1, const char* info2, AptRec* out) {
  *out = AptRec();
  if (info1 == nullptr) info1 = "";
  if (info2 == nullptr) info2 = "";
  out->status = info1[0] == '\0' ? ' ' : info1[0];
  CopyField(out->producer, Piece(info1, 1, 3).c_str());
  out->loc = std::strlen(info1) > 4 ? info1[4] : ' ';
  // The entry does not say which layout it has. The third digit of a
  // three-digit chair followed by the date's first seven digits can make a
  // real date too (chair 357, 20810202 reads "72081020" at 7: 20 Oct. 7208),
  // so a date of the years a schedule holds wins over one that is merely
  // valid, and the two-digit layout over the three-digit one.
  size_t p = 7;
  int chair_digits = 2;
  long date = 0;
  long at7 = 0, at8 = 0;
  const bool valid7 = DateAt(info1, 7, &at7), valid8 = DateAt(info1, 8, &at8);
  const bool take8 = valid8 && (!valid7 || (!PlausibleYear(at7) && PlausibleYear(at8)));
  if (take8) {
    p = 8;
    date = at8;
    if (std::isdigit(static_cast<unsigned char>(info1[7]))) chair_digits = 3;
  } else if (valid7) {
    date = at7;
  } else {
    // Neither layout: read as the two-digit one.
    date = std::atol(Piece(info1, 7, 8).c_str());
  }
  out->chair = static_cast<short>(std::atoi(Piece(info1, 5, chair_digits).c_str()));
  out->date = date;
  out->length = static_cast<short>(std::atoi(Piece(info1, p + 12, 2).c_str()));
  CopyField(out->type, Piece(info1, p + 14, 3).c_str());
  CopyField(out->code, Piece(info2, 0, 5).c_str());
  out->fee = 0;
}
