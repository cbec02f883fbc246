// Line layouts byte for byte, the 12-hour time and the duration text.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "audit/audit_lines.h"

namespace {

TEST(AuditTime, TwelveHourDial) {
  const std::vector<std::pair<long, const char*>> cases = {
      {0, "00:00:00 AM"},       {509, "00:05:09 AM"},     {91500, "09:15:00 AM"},
      {115959, "11:59:59 AM"},  {120000, "12:00:00 PM"},  {131000, "01:10:00 PM"},
      {235959, "11:59:59 PM"},  {240000, "24:00:00 PM"},  {999999, "99:99:99 PM"},
  };
  for (const auto& [time, text] : cases) EXPECT_EQ(AuditTimeText(time), text) << time;
  // Nonsense never overflows the buffer.
  EXPECT_LE(AuditTimeText(LONG_MIN).size(), 47u);
  EXPECT_LE(AuditTimeText(LONG_MAX).size(), 47u);
}

// The hand-written formatters against snprintf, odd values included.
TEST(AuditTime, SameAsSnprintf) {
  const long values[] = {0,       1,       9,        59,        60,        99,       100,
                         509,     91500,   115959,   120000,    125959,    130000,   235959,
                         240000,  999999,  1000000,  12345678,  -1,        -59,      -99,
                         -100,    -509,    -120000,  -999999,   -1000000,  LONG_MAX, LONG_MIN,
                         LONG_MAX - 1, LONG_MIN + 1};
  for (long t : values) {
    SCOPED_TRACE(t);
    long hour = t / 10000;
    const char* half = hour < 12 ? "AM" : "PM";
    if (hour >= 13 && hour <= 23) hour -= 12;
    char expected[64];
    std::snprintf(expected, sizeof expected, "%02ld:%02ld:%02ld %s", hour, t / 100 % 100, t % 100,
                  half);
    EXPECT_EQ(AuditTimeText(t), expected);
  }
}

TEST(AppendDecimal, SameAsSnprintf) {
  const long values[] = {0,   1,    -1,    7,     -7,     9,         10,       -10,
                         99,  100,  -100,  12345, -12345, 999999999, LONG_MAX, LONG_MIN,
                         LONG_MAX - 1, LONG_MIN + 1, 1000000000000L, -1000000000000L};
  for (int width : {0, 1, 2, 3, 5, 25}) {
    for (long v : values) {
      SCOPED_TRACE(std::to_string(v) + " width " + std::to_string(width));
      char expected[64];
      std::snprintf(expected, sizeof expected, "%0*ld", width, v);
      char out[64];
      char* end = AppendDecimal(out, v, width);
      EXPECT_EQ(std::string(out, end), expected);
    }
  }
}

TEST(Duration, LastMinusFirst) {
  EXPECT_EQ(DurationText(91500, 102030), "01:05:30");
  EXPECT_EQ(DurationText(235959, 235959), "");
  EXPECT_EQ(DurationText(102030, 91500), "");
  EXPECT_EQ(DurationText(0, 1), "00:00:01");
  EXPECT_EQ(DurationText(95959, 100000), "00:00:01");
  EXPECT_EQ(DurationText(0, 235959), "23:59:59");
  EXPECT_EQ(DurationText(99, 100), "");  // 0:00:99 is after 0:01:00 in seconds
  EXPECT_EQ(DurationText(0, LONG_MAX), "");
}

TEST(Lines, MatchTheirFormats) {
  std::string line;
  char expected[512];
  DetailedLine(&line, "2026-12-05", "09:15:00 AM", "anne", "Compte", "Patients", "Éditer",
               "Solde", "Marie", "Roy");
  std::snprintf(expected, sizeof expected, "%s \t%s \t%s \t%s \t%s \t%s \t%s \t%s %s",
                "2026-12-05", "09:15:00 AM", "anne", "Compte", "Patients", "Éditer", "Solde",
                "Marie", "Roy");
  EXPECT_EQ(line, expected);
  HistoryLine(&line, "d", "t", "u", "", "m", "v", "");
  EXPECT_EQ(line, "d \tt \tu \t \tm \tv \t");
  SummaryLine(&line, "Tous", "", "anne", "Tous", "Tous", 12);
  EXPECT_EQ(line, "Tous \t \tanne \tTous \tTous \t12 ");
  DetailedLine(&line, "", "", "", "", "", "", "", "", "");
  EXPECT_EQ(line, " \t \t \t \t \t \t \t ");
  EXPECT_STREQ(kAuditBlankLine, " \t \t \t \t \t \t \t ");
  DetailedTotalLine(&line, "Total:", 2, "01:05:30", 3, 4, 5);
  EXPECT_EQ(line, "Total: 2\t01:05:30 \t3 \t \t4 \t5");
  DetailedTotalLine(&line, "Grand Total:", 10, "", 10, 10, 10);
  EXPECT_EQ(line, "Grand Total: 10\t \t10 \t \t10 \t10");
  SummaryTotalLine(&line, "Total:", "1", "", "", "", 7);
  EXPECT_EQ(line, "Total: 1\t \t \t \t \t7");
  SummaryTotalLine(&line, "Grand Total:", "3", "2", "4", "5", 40);
  EXPECT_EQ(line, "Grand Total: 3\t \t2 \t4 \t5 \t40");
}

}  // namespace
