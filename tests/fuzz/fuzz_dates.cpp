// Date parsing and the date library on any text and any numbers: a typed
// date is 0, -1 or a real date that formats back to itself; arithmetic on
// any long gives a real date or 0 and agrees with itself (days added are
// the days between, a week later is the same weekday); formatting stays
// within its buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/dates.h"

namespace {

[[noreturn]] void Fail(const char* what, long a, long b = 0) {
  std::fprintf(stderr, "dates fuzz: %s (%ld, %ld)\n", what, a, b);
  std::abort();
}

const long kDates[] = {0, 20261205, 20240229, 20250229, 20261332, 99991231, 10101, 10000101, 19700101,
                       -20261205, 12319999, LONG_MAX, LONG_MIN};

long Date(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0: return kDates[in.ConsumeIntegralInRange<size_t>(0, sizeof kDates / sizeof kDates[0] - 1)];
    case 1: return in.ConsumeIntegralInRange<long>(1, 9999) * 10000 + in.ConsumeIntegralInRange<long>(0, 13) * 100 +
                   in.ConsumeIntegralInRange<long>(0, 32);
    default: return in.ConsumeIntegral<long>();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const long date = Date(in);
  const long other = Date(in);
  const long days = in.ConsumeBool() ? in.ConsumeIntegralInRange<long>(-800, 800) : in.ConsumeIntegral<long>();
  const int months = in.ConsumeIntegral<int>();
  const int years = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-20, 20) : in.ConsumeIntegral<int>();
  const int clamp = in.ConsumeIntegralInRange<int>(0, 1);
  const long time = in.ConsumeIntegral<long>();
  const std::string pattern = in.ConsumeRandomLengthString(64);
  const std::string typed = in.ConsumeRemainingBytesAsString();

  const bool valid = tavo_valid_date(date);

  // Typed dates.
  const long parsed = ParseDateText(typed);
  if (parsed != 0 && parsed != -1) {
    if (!tavo_valid_date(parsed)) Fail("a typed date that is not a date", parsed);
    char text[32];
    if (ParseDateText(ldate_to_str1(text, parsed, 530)) != parsed) Fail("a typed date does not read back", parsed);
  }

  // Arithmetic.
  const long later = incr_date(date, days);
  if (later != 0 && !tavo_valid_date(later)) Fail("incr_date gave an impossible date", date, days);
  if (!valid && later != 0) Fail("incr_date on an impossible date", date, days);
  if (later != 0 && daysdiff_betweendates(date, later) != days) Fail("days added are not the days between", date, days);
  if (valid && later != 0 && later < 99991231 && decr_date(incr_date(later, 1)) != later) {
    Fail("a day on and a day back differ", later);
  }
  const long week = incr_date(date, 7);
  if (week != 0 && DayOfWeek(week) != DayOfWeek(date)) Fail("a week later is another weekday", date);
  const int dow = DayOfWeek(date);
  if (dow < -1 || dow > 6 || (valid != (dow >= 0))) Fail("DayOfWeek out of range", date);
  const int wn = week_number(date);
  if (wn < 0 || wn > 54 || (valid != (wn > 0))) Fail("week_number out of range", date);
  const long diff = daysdiff_betweendates(date, other);
  if (diff != -daysdiff_betweendates(other, date)) Fail("daysdiff is not antisymmetric", date, other);

  const long moved = IncDate(date, static_cast<int>(days % 1000), months, years, clamp);
  if (moved != 0 && !tavo_valid_date(moved)) Fail("IncDate gave an impossible date", date, months);

  int y = 0, m = 0, d = 0;
  sepldat(date, &y, &m, &d);
  if (valid ? DMYtoDate(d, m, y) != date : (y | m | d) != 0) Fail("sepldat and DMYtoDate disagree", date);
  if (DMYtoDate(static_cast<int>(days), months, years) != 0 &&
      !tavo_valid_date(DMYtoDate(static_cast<int>(days), months, years))) {
    Fail("DMYtoDate gave an impossible date", days, months);
  }
  if (DaysPerMonth(months, years) < 0 || DaysPerMonth(months, years) > 31) Fail("DaysPerMonth out of range", months, years);

  // Formatting.
  for (int format : {530, 611, 0, -1}) {
    char text[32];
    std::memset(text, 'x', sizeof text);
    ldate_to_str1(text, date, format);
    if (std::memchr(text, '\0', sizeof text) == nullptr) Fail("ldate_to_str1 not terminated", date);
    if (valid != (text[0] != '\0')) Fail("ldate_to_str1 wrote for an impossible date, or not for a real one", date);
  }
  const std::string formatted = DateToDateString(date, pattern.c_str());
  if (!valid && !formatted.empty()) Fail("DateToDateString wrote for an impossible date", date);
  if (formatted.size() > 16 * pattern.size() + 16) Fail("DateToDateString too long", date);
  const std::string clock = ctime_todisplay(time);
  if (!(clock.empty() || clock.size() == 5)) Fail("ctime_todisplay wrote an odd text", time);
  if (std::strlen(MonthToString(months)) > 16 || std::strlen(CDate::month_name(months)) > 16) Fail("month name", months);
  return 0;
}
