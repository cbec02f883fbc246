// The suite's date library: YYYYMMDD longs over a day count.
//
// Arithmetic converts a date to the number of days since 1970-01-01 in the
// proleptic Gregorian calendar (civil-from-days algorithm), works on that
// number and converts back; anything outside years 1..9999 becomes 0.

#include "host/dates.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr long kMinYear = 1;
constexpr long kMaxYear = 9999;

std::atomic<long> g_pinned_today{0};

const char* const kMonthNames[12] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                     "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
const char* const kMonthNamesCapital[12] = {"Janvier", "Février", "Mars",      "Avril",   "Mai",      "Juin",
                                            "Juillet", "Août",    "Septembre", "Octobre", "Novembre", "Décembre"};
// Abbreviations of the Office québécois de la langue française; the four
// short names (mars, mai, juin, août) are written in full and take no dot.
const char* const kMonthAbbrev[12] = {"janv", "févr", "mars", "avr", "mai", "juin",
                                      "juill", "août", "sept", "oct", "nov", "déc"};
const bool kMonthAbbrevDot[12] = {true, true, false, true, false, false, true, false, true, true, true, true};
const char* const kDayNames[7] = {"dimanche", "lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi"};
const char* const kDayAbbrev[7] = {"dim", "lun", "mar", "mer", "jeu", "ven", "sam"};

bool IsLeap(long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthDays(long month, long year) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool Split(long date, long* y, long* m, long* d) {
  if (date <= 0) return false;
  *y = date / 10000;
  *m = date / 100 % 100;
  *d = date % 100;
  return *y >= kMinYear && *y <= kMaxYear && *d >= 1 && *d <= MonthDays(*m, *y);
}

// Days since 1970-01-01 of a valid civil date.
long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// YYYYMMDD of a day count; 0 outside years 1..9999.
long CivilFromDays(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long y = yoe + era * 400;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp + (mp < 10 ? 3 : -9);
  y += m <= 2;
  if (y < kMinYear || y > kMaxYear) return 0;
  return y * 10000 + m * 100 + d;
}

// Day count of a date, or false when it is not a real date.
bool ToDays(long date, long* days) {
  long y, m, d;
  if (!Split(date, &y, &m, &d)) return false;
  *days = DaysFromCivil(y, m, d);
  return true;
}

void Append(std::string* out, long value, int width) {
  char text[24];
  std::snprintf(text, sizeof text, "%0*ld", width, value);
  out->append(text);
}

}  // namespace

long ldate_today() {
  long pinned = g_pinned_today.load(std::memory_order_relaxed);
  if (pinned != 0) return pinned;
  if (const char* env = std::getenv("VANTRA_TODAY")) {
    char* end = nullptr;
    long value = std::strtol(env, &end, 10);
    if (end != env && *end == '\0' && tavo_valid_date(value)) return value;
  }
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return (local.tm_year + 1900L) * 10000 + (local.tm_mon + 1L) * 100 + local.tm_mday;
}

void SetToday(long date) { g_pinned_today.store(tavo_valid_date(date) ? date : 0, std::memory_order_relaxed); }

bool tavo_valid_date(long date) {
  long y, m, d;
  return Split(date, &y, &m, &d);
}

long incr_date(long date, long days) {
  long n;
  if (!ToDays(date, &n)) return 0;
  // Beyond +-4 million days every result is out of range anyway; clamping
  // keeps the addition from overflowing.
  if (days > 4000000) days = 4000000;
  if (days < -4000000) days = -4000000;
  return CivilFromDays(n + days);
}

long decr_date(long date) { return incr_date(date, -1); }

long daysdiff_betweendates(long from, long to) {
  long a, b;
  if (!ToDays(from, &a) || !ToDays(to, &b)) return 0;
  return b - a;
}

void sepldat(long date, int* year, int* month, int* day) {
  long y = 0, m = 0, d = 0;
  if (!Split(date, &y, &m, &d)) y = m = d = 0;
  if (year) *year = static_cast<int>(y);
  if (month) *month = static_cast<int>(m);
  if (day) *day = static_cast<int>(d);
}

long DMYtoDate(int day, int month, int year) {
  if (year < kMinYear || year > kMaxYear || day < 1 || day > MonthDays(month, year)) return 0;
  return year * 10000L + month * 100L + day;
}

int DayOfWeek(long date) {
  long n;
  if (!ToDays(date, &n)) return -1;
  // 1970-01-01 was a Thursday (4).
  return static_cast<int>(((n % 7) + 7 + 4) % 7);
}

int week_number(long date) {
  long y, m, d;
  if (!Split(date, &y, &m, &d)) return 0;
  const long jan1 = DaysFromCivil(y, 1, 1);
  const int jan1_dow = static_cast<int>(((jan1 % 7) + 7 + 4) % 7);
  const long day_of_year = DaysFromCivil(y, m, d) - jan1;  // 0-based
  return static_cast<int>((day_of_year + jan1_dow) / 7 + 1);
}

int DaysPerMonth(int month, int year) { return MonthDays(month, year); }

long IncDate(long date, int days, int months, int years, int clamp_to_month_end) {
  long y, m, d;
  if (!Split(date, &y, &m, &d)) return 0;
  // Month index since year 0, moved by the months and years asked for.
  long index = y * 12 + (m - 1) + static_cast<long>(months) + static_cast<long>(years) * 12;
  if (index < kMinYear * 12 || index > kMaxYear * 12 + 11) return 0;
  y = index / 12;
  m = index % 12 + 1;
  long n;
  const int last = MonthDays(m, y);
  if (d > last && clamp_to_month_end) {
    n = DaysFromCivil(y, m, last);
  } else {
    // Without clamping the days beyond the month's end roll into the next.
    n = DaysFromCivil(y, m, 1) + (d - 1);
  }
  long moved = CivilFromDays(n);
  if (moved == 0) return 0;
  return days == 0 ? moved : incr_date(moved, days);
}

char* ldate_to_str1(char* buffer, long date, int format) {
  if (buffer == nullptr) return buffer;
  buffer[0] = '\0';
  long y, m, d;
  if (!Split(date, &y, &m, &d)) return buffer;
  if (format == 611) {
    std::snprintf(buffer, 32, "%ld %s%s %ld", d, kMonthAbbrev[m - 1], kMonthAbbrevDot[m - 1] ? "." : "", y);
  } else {
    std::snprintf(buffer, 32, "%04ld-%02ld-%02ld", y, m, d);
  }
  return buffer;
}

std::string DateToDateString(long date, const char* pattern) {
  std::string out;
  long y, m, d;
  if (pattern == nullptr || !Split(date, &y, &m, &d)) return out;
  const int dow = DayOfWeek(date);
  for (const char* p = pattern; *p != '\0';) {
    if (std::strncmp(p, "yyyy", 4) == 0) {
      Append(&out, y, 4);
      p += 4;
    } else if (std::strncmp(p, "yy", 2) == 0) {
      Append(&out, y % 100, 2);
      p += 2;
    } else if (std::strncmp(p, "mm", 2) == 0) {
      Append(&out, m, 2);
      p += 2;
    } else if (std::strncmp(p, "dd", 2) == 0) {
      Append(&out, d, 2);
      p += 2;
    } else if (std::strncmp(p, "nnnn", 4) == 0) {
      out += kMonthNames[m - 1];
      p += 4;
    } else if (std::strncmp(p, "nnn", 3) == 0) {
      out += kMonthAbbrev[m - 1];
      p += 3;
    } else if (std::strncmp(p, "wwww", 4) == 0) {
      out += kDayNames[dow];
      p += 4;
    } else if (std::strncmp(p, "www", 3) == 0) {
      out += kDayAbbrev[dow];
      p += 3;
    } else {
      out += *p++;
    }
  }
  return out;
}

const char* MonthToString(int month) { return month >= 1 && month <= 12 ? kMonthNames[month - 1] : ""; }

namespace CDate {
const char* month_name(int month) { return month >= 1 && month <= 12 ? kMonthNamesCapital[month - 1] : ""; }
}  // namespace CDate

std::string ctime_todisplay(long time) {
  if (time < 0 || time > 235959) return std::string();
  long hours, minutes;
  if (time < 10000) {  // HHMM
    hours = time / 100;
    minutes = time % 100;
  } else {  // HHMMSS
    hours = time / 10000;
    minutes = time / 100 % 100;
    if (time % 100 > 59) return std::string();
  }
  if (hours > 23 || minutes > 59) return std::string();
  char text[8];
  std::snprintf(text, sizeof text, "%02ld:%02ld", hours, minutes);
  return text;
}

long ParseDateText(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty()) return 0;
  // Up to three runs of digits separated by '-': 8 digits alone, or 4-1..2-1..2.
  long parts[3] = {0, 0, 0};
  int widths[3] = {0, 0, 0};
  int part = 0;
  for (char c : text) {
    if (c == '-') {
      if (++part > 2) return -1;
    } else if (c >= '0' && c <= '9') {
      if (++widths[part] > 8) return -1;
      parts[part] = parts[part] * 10 + (c - '0');
    } else {
      return -1;
    }
  }
  long date = -1;
  if (part == 0 && widths[0] == 8) {
    date = parts[0];
  } else if (part == 2 && widths[0] == 4 && widths[1] >= 1 && widths[1] <= 2 && widths[2] >= 1 &&
             widths[2] <= 2) {
    date = parts[0] * 10000 + parts[1] * 100 + parts[2];
  }
  return date > 0 && tavo_valid_date(date) ? date : -1;
}
