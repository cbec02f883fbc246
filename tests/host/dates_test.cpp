#include "host/dates.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(DatesTest, ValidDates) {
  struct Case {
    const char* name;
    long date;
    bool valid;
  } cases[] = {
      {"ordinary", 20260115, true},   {"leap_2024", 20240229, true},   {"leap_2000", 20000229, true},
      {"not_leap_1900", 19000229, false}, {"not_leap_2025", 20250229, false}, {"feb_30", 20250230, false},
      {"april_31", 20260431, false},  {"dec_31", 20261231, true},      {"month_13", 20261301, false},
      {"month_0", 20260001, false},   {"day_0", 20260100, false},      {"zero", 0, false},
      {"negative", -20260101, false}, {"year_1", 10101, true},         {"year_10000", 100000101, false},
  };
  for (const Case& c : cases) EXPECT_EQ(tavo_valid_date(c.date), c.valid) << c.name;
  EXPECT_EQ(DaysPerMonth(2, 1900), 28);
  EXPECT_EQ(DaysPerMonth(2, 2000), 29);
  EXPECT_EQ(DaysPerMonth(4, 2026), 30);
  EXPECT_EQ(DaysPerMonth(13, 2026), 0);
}

TEST(DatesTest, IncrDecrAndDiff) {
  struct Case {
    const char* name;
    long date;
    long days;
    long expected;
  } cases[] = {
      {"next_day", 20260115, 1, 20260116},       {"month_end", 20260131, 1, 20260201},
      {"leap_feb", 20240228, 1, 20240229},       {"leap_to_march", 20240229, 1, 20240301},
      {"1900_no_29", 19000228, 1, 19000301},     {"new_year", 20261231, 1, 20270101},
      {"back_new_year", 20270101, -1, 20261231}, {"year_ahead", 20260301, 365, 20270301},
      {"leap_year_span", 20240101, 366, 20250101}, {"invalid", 20250230, 1, 0},
      {"zero", 0, 5, 0},                         {"before_year_1", 10101, -1, 0},
      {"after_9999", 99991231, 1, 0},            {"huge_step", 20260101, 2000000000L, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(incr_date(c.date, c.days), c.expected) << c.name;

  EXPECT_EQ(decr_date(20240301), 20240229);

  EXPECT_EQ(daysdiff_betweendates(20260101, 20261231), 364);
  EXPECT_EQ(daysdiff_betweendates(20261231, 20260101), -364);
  EXPECT_EQ(daysdiff_betweendates(20240101, 20250101), 366);
  EXPECT_EQ(daysdiff_betweendates(20260230, 20260301), 0);
}

TEST(DatesTest, SplitAndBuild) {
  int y = -1, m = -1, d = -1;
  sepldat(20261205, &y, &m, &d);
  EXPECT_EQ(y, 2026);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 5);
  sepldat(20250230, &y, &m, &d);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(d, 0);
  sepldat(20261205, nullptr, &m, nullptr);  // null outputs are skipped
  EXPECT_EQ(m, 12);

  EXPECT_EQ(DMYtoDate(5, 12, 2026), 20261205);
  EXPECT_EQ(DMYtoDate(29, 2, 2024), 20240229);
  EXPECT_EQ(DMYtoDate(29, 2, 2025), 0);
  EXPECT_EQ(DMYtoDate(0, 13, 2025), 0);
}

TEST(DatesTest, DayOfWeekAndWeekNumber) {
  EXPECT_EQ(DayOfWeek(20261205), 6);  // Saturday
  EXPECT_EQ(DayOfWeek(20260104), 0);  // Sunday
  EXPECT_EQ(DayOfWeek(19691231), 3);
  EXPECT_EQ(DayOfWeek(10101), 1);     // 1 January of year 1 was a Monday
  EXPECT_EQ(DayOfWeek(20250230), -1);

  struct Case {
    const char* name;
    long date;
    int week;
  } cases[] = {
      // 2026 starts on a Thursday: 1-3 January are week 1, Sunday 4 starts week 2.
      {"jan_1_thursday", 20260101, 1}, {"jan_3_saturday", 20260103, 1}, {"jan_4_sunday", 20260104, 2},
      {"jan_10", 20260110, 2},         {"jan_11", 20260111, 3},         {"dec_31_2026", 20261231, 53},
      // 2022 starts on a Saturday: 1 January is alone in week 1.
      {"jan_1_saturday", 20220101, 1}, {"jan_2_sunday", 20220102, 2},
      // 2023 starts on a Sunday.
      {"jan_1_sunday", 20230101, 1},   {"jan_7_2023", 20230107, 1},     {"jan_8_2023", 20230108, 2},
      // Leap year starting on a Saturday: 31 December is in week 54.
      {"week_54", 20001231, 54},       {"invalid", 20260230, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(week_number(c.date), c.week) << c.name;
  // The week spanning the new year is split at 1 January.
  EXPECT_NE(week_number(20251231), week_number(20260101));
}

TEST(DatesTest, IncDate) {
  struct Case {
    const char* name;
    long date;
    int days, months, years, clamp;
    long expected;
  } cases[] = {
      {"one_month_back", 20260315, 0, -1, 0, 1, 20260215},
      {"clamp_to_feb", 20260331, 0, -1, 0, 1, 20260228},
      {"roll_into_march", 20260331, 0, -1, 0, 0, 20260303},
      {"clamp_leap", 20240331, 0, -1, 0, 1, 20240229},
      {"back_across_year", 20260115, 0, -1, 0, 1, 20251215},
      {"forward_across_year", 20261130, 0, 2, 0, 1, 20270130},
      {"year_from_feb_29", 20240229, 0, 0, 1, 1, 20250228},
      {"year_from_feb_29_roll", 20240229, 0, 0, 1, 0, 20250301},
      {"months_then_days", 20260131, 1, 1, 0, 1, 20260301},
      {"many_months", 20260115, 0, -25, 0, 1, 20231215},
      {"invalid", 20260230, 0, -1, 0, 1, 0},
      {"below_year_1", 10115, 0, -1, 0, 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IncDate(c.date, c.days, c.months, c.years, c.clamp), c.expected) << c.name;
  }
}

TEST(DatesTest, Formats) {
  struct Case {
    const char* name;
    long date;
    int format;
    const char* expected;
  } cases[] = {
      {"530", 20261205, 530, "2026-12-05"},  {"611_dec", 20261205, 611, "5 déc. 2026"},
      {"611_mars", 20260301, 611, "1 mars 2026"}, {"611_juill", 20260714, 611, "14 juill. 2026"},
      {"611_aout", 20260831, 611, "31 août 2026"}, {"other_is_530", 20260102, 12, "2026-01-02"},
      {"invalid_530", 20250230, 530, ""},    {"invalid_611", 0, 611, ""},
  };
  for (const Case& c : cases) {
    char buffer[32] = "garbage";
    EXPECT_STREQ(ldate_to_str1(buffer, c.date, c.format), c.expected) << c.name;
  }
  EXPECT_EQ(ldate_to_str1(nullptr, 20261205, 530), nullptr);
}

TEST(DatesTest, DateToDateString) {
  struct Case {
    const char* name;
    long date;
    const char* pattern;
    const char* expected;
  } cases[] = {
      {"audit_appointment", 20261205, "nnndd,yy", "déc05,26"},
      {"daily_label", 20261205, "www nnn dd, yyyy", "sam déc 05, 2026"},
      {"full_names", 20260104, "wwww dd nnnn yyyy", "dimanche 04 janvier 2026"},
      {"numeric", 20260704, "yyyy/mm/dd", "2026/07/04"},
      {"juill", 20260704, "nnn", "juill"},
      {"two_digit_year", 20050704, "yy", "05"},
      {"literals_kept", 20260704, "Le dd!", "Le 04!"},
      {"invalid", 20260230, "yyyy", ""},
      {"empty_pattern", 20260704, "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DateToDateString(c.date, c.pattern), c.expected) << c.name;
  EXPECT_EQ(DateToDateString(20260704, nullptr), "");
  EXPECT_STREQ(MonthToString(8), "août");
  EXPECT_STREQ(MonthToString(13), "");
  EXPECT_STREQ(CDate::month_name(2), "Février");
}

TEST(DatesTest, TimeDisplay) {
  struct Case {
    const char* name;
    long time;
    const char* expected;
  } cases[] = {
      {"hhmmss", 130559, "13:05"}, {"morning", 91500, "09:15"},  {"hhmm", 930, "09:30"},
      {"hhmm_pm", 1305, "13:05"}, {"midnight", 0, "00:00"},     {"last", 235959, "23:59"},
      {"too_big", 240000, ""},    {"negative", -5, ""},         {"bad_minutes", 127000, ""},
      {"bad_seconds", 120060, ""}, {"bad_hhmm", 975, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ctime_todisplay(c.time), c.expected) << c.name;
}

TEST(DatesTest, TodayPinning) {
  SetToday(20260315);
  EXPECT_EQ(IncDate(ldate_today(), 0, -1, 0, 1), 20260215);
  SetToday(0);
  setenv("VANTRA_TODAY", "20250704", 1);
  EXPECT_EQ(ldate_today(), 20250704);
  SetToday(20260101);  // SetToday wins over the environment
  EXPECT_EQ(ldate_today(), 20260101);
  SetToday(0);
  setenv("VANTRA_TODAY", "20250230", 1);  // not a date: the clock is used
  EXPECT_TRUE(tavo_valid_date(ldate_today()));
  unsetenv("VANTRA_TODAY");
}

}  // namespace

TEST(ParseDateText, TypedDates) {
  struct Case {
    const char* name;
    const char* text;
    long expected;
  };
  const Case cases[] = {
      {"dashed", "2026-12-05", 20261205},
      {"dashed one-digit month and day", "2026-3-1", 20260301},
      {"compact", "20261205", 20261205},
      {"blanks around", "  2024-02-29 ", 20240229},
      {"empty is no date", "   ", 0},
      {"impossible day", "2026-02-30", -1},
      {"not a leap year", "20250229", -1},
      {"seven digits", "2026125", -1},
      {"letters", "2026-1a-05", -1},
      {"too many parts", "2026-12-05-1", -1},
      {"three-digit day", "2026-12-005", -1},
      {"slashes", "2026/12/05", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDateText(c.text), c.expected) << c.name;
}
