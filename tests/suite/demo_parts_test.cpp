// Building blocks of the demo generator: day numbers against the suite's date
// library, text cutting, the PRNG's bounds, the schedule audit layout.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/dates.h"
#include "suite/demo_audit.h"
#include "suite/demo_internal.h"

namespace demo {
namespace {

TEST(DemoDays, AgreeWithTheDateLibrary) {
  struct Case {
    long date;
    int day;
  } cases[] = {{19700101, 0}, {19691231, -1}, {20000229, 11016}, {20260315, 20527}, {19000301, -25508}};
  for (const Case& c : cases) {
    EXPECT_EQ(DayOf(c.date), c.day) << c.date;
    EXPECT_EQ(DateOf(c.day), c.date) << c.day;
  }
  // Every day of two centuries: next day and weekday as the suite computes them.
  for (int day = DayOf(19000101); day < DayOf(21000101); ++day) {
    const long date = DateOf(day);
    ASSERT_EQ(DateOf(day + 1), incr_date(date, 1)) << date;
    ASSERT_EQ(Weekday(day), DayOfWeek(date)) << date;
  }
}

TEST(DemoText, CutsOnCharacterBoundaries) {
  struct Case {
    const char* text;
    size_t limit;
    const char* bytes;  // Fit: at most limit bytes
    const char* chars;  // FitChars: at most limit characters
  } cases[] = {
      {"Côté", 2, "C", "Cô"},
      {"Côté", 3, "Cô", "Côt"},
      {"Côté", 4, "Côt", "Côté"},
      {"abc", 0, "", ""},
      {"abc", 10, "abc", "abc"},
      {"é", 1, "", "é"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Fit(c.text, c.limit), c.bytes) << c.text << " " << c.limit;
    EXPECT_EQ(FitChars(c.text, c.limit), c.chars) << c.text << " " << c.limit;
  }
  char user[10];
  Put(user, sizeof user, "JTREMBLAYX");
  EXPECT_STREQ(user, "JTREMBLAY");
}

TEST(DemoRng, StaysInBoundsAndRepeats) {
  Rng a(42, 3), b(42, 3), other(42, 4);
  std::set<long> seen;
  bool differs = false;
  for (int i = 0; i < 10000; ++i) {
    const long v = a.Range(-2, 2);
    ASSERT_GE(v, -2);
    ASSERT_LE(v, 2);
    seen.insert(v);
    ASSERT_EQ(b.Range(-2, 2), v);
    ASSERT_LT(a.Below(7), 7u);
    b.Below(7);
    differs |= other.Next() != a.Next();
    b.Next();
  }
  EXPECT_EQ(seen.size(), 5u);
  EXPECT_TRUE(differs);
}

TEST(DemoAudit, ScheduleLayoutOfBothChairWidths) {
  World w;
  Producer d01;
  d01.code = "D01";
  Producer h1;
  h1.code = "H1";
  w.producers = {d01, h1};
  auto appt = [](uint8_t producer, int16_t chair, char loc, const char* type) {
    Appt a{};
    a.producer = producer;
    a.chair = chair;
    a.loc = loc;
    a.day = DayOf(20250318);
    a.time = 135000;
    a.slots = 7;
    a.fee = 12000;
    for (size_t i = 0; i < ApptTypes().size(); ++i) {
      if (std::string(ApptTypes()[i].code) == type) a.type = static_cast<uint8_t>(i);
    }
    return a;
  };
  struct Case {
    Appt a;
    char status;
    const char* expected;
  } cases[] = {
      {appt(0, 3, 'A', "TRT"), 'N', "ND01A0320250318135007TRTYN"},
      {appt(0, 105, 'B', "TRT"), 'C', "CD01B10520250318135007TRTYN"},
      {appt(1, 12, 'A', "NP"), 'U', "UH1 A1220250318135007NP YN"},
  };
  for (const Case& c : cases) EXPECT_EQ(ApptInfo1(w, c.a, c.status), c.expected) << c.expected;
}

}  // namespace
}  // namespace demo
