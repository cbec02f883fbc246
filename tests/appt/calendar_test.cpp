// Availability rules of the suite's calendar services (suite/calendar.h,
// docs/availability.md), on both engines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "suite/calendar.h"
#include "tests/appt/appt_fixture.h"

namespace {

class CalendarTest : public ApptFixture {
 protected:
  void SetUp() override {
    ApptFixture::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    AddChair('A', 1, false, "D01");
    AddChair('A', 5, true, "");
    AddChair('A', 9, true, "", /*inactive=*/true);
    AddChair('A', 30, true, "");
    AddChair('B', 101, false, "D01");
    AddProducer("D01", "1,101");
    AddProducer("H01", "5,9");
    AddProducer("H02", "5");
    AddProducer("D03", "3", /*effective=*/20270101);
    AddBlock("D01", 1, 1, 'A', 80000, 120000);
    AddBlock("D01", 1, 1, 'A', 130000, 150000);
    AddBlock("D01", 1, 101, 'B', 110000, 170000);  // overlaps chair 1 11:00-12:00 and 13:00-15:00
    AddBlock("D01", 5, 1, 'A', 70000, 120000);     // starts before the office opens
    AddBlock("H01", 1, 5, 'A', 80000, 120000);
    AddBlock("H01", 1, 9, 'A', 80000, 120000);     // chair out of use
    AddBlock("H02", 1, 5, 'A', 130000, 160000);
    AddBlock("D03", 1, 3, 'A', 80000, 120000);
    AddException(20261214, '*', 0, "", 'C', 0, 0);             // holiday
    AddException(20261221, '*', 0, "D01", 'C', 0, 0);          // vacation of D01
    AddException(20261212, 'A', 1, "D01", 'O', 90000, 150000);  // Saturday clinic
    AddException(20261228, 'A', 5, "", 'C', 0, 0);             // chair 5 out of service
    AddException(20270104, '*', 0, "", 'C', 120000, 200000);   // afternoon closed
  }

  static int Minutes(const char* slots) {
    int n = 0;
    for (int s = 0; s < kSlotsPerDay; ++s) n += slots[s] == 'I';
    return n * 5;
  }
  static void Fresh(char* a, char* b) {
    std::memset(a, 'O', kSlotsPerDay);
    std::memset(b, '.', kSlotsPerDay);
    a[kSlotsPerDay] = b[kSlotsPerDay] = '\0';
  }
};

TEST_P(CalendarTest, ProducerOnAChair) {
  struct Case {
    const char* name;
    const char* producer;
    short chair;
    char loc;
    long date;
    int minutes;
  } cases[] = {
      {"monday blocks", "D01", 1, 'A', 20261207, 360},
      {"second chair, office hours only", "D01", 101, 'B', 20261207, 300},
      {"block clipped to office hours", "D01", 1, 'A', 20261211, 240},
      {"closed sunday", "D01", 1, 'A', 20261206, 0},
      {"holiday", "D01", 1, 'A', 20261214, 0},
      {"vacation of the producer", "D01", 1, 'A', 20261221, 0},
      {"vacation of another producer", "H01", 5, 'A', 20261221, 240},
      {"saturday opening beyond office hours", "D01", 1, 'A', 20261212, 360},
      {"opening for another chair", "D01", 101, 'B', 20261212, 0},
      {"afternoon closed", "D01", 1, 'A', 20270104, 240},
      {"schedule not yet in force", "D03", 3, 'A', 20261207, 0},
      {"schedule in force", "D03", 3, 'A', 20270111, 240},
      {"inactive chair", "H01", 9, 'A', 20261207, 0},
      {"unknown producer", "Z99", 1, 'A', 20261207, 0},
  };
  CalDatInfo cal(Db());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char slots[kSlotMapSize], second[kSlotMapSize];
    Fresh(slots, second);
    cal.GetAVTmSlotsForProducer(slots, second, c.chair, c.loc, c.producer, c.date);
    EXPECT_EQ(c.minutes, Minutes(slots));
    for (int s = 0; s < kSlotsPerDay; ++s) {
      ASSERT_EQ(slots[s] == 'I' ? c.loc : '.', second[s]) << "slot " << s;
    }
  }
}

TEST_P(CalendarTest, Chairs) {
  struct Case {
    const char* name;
    short chair;
    bool shared;
    const char* owner;
    long date;
    int minutes;
  } cases[] = {
      {"own chair", 1, false, "D01", 20261207, 360},
      {"shared chair: two producers", 5, true, "", 20261207, 420},
      {"shared chair out of service", 5, true, "", 20261228, 0},
      {"shared chair in no schedule", 30, true, "", 20261207, 0},
      {"own chair on the producer's vacation", 1, false, "D01", 20261221, 0},
      {"own chair on a saturday clinic", 1, false, "D01", 20261212, 360},
  };
  CalDatInfo cal(Db());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char slots[kSlotMapSize], second[kSlotMapSize];
    Fresh(slots, second);
    if (c.shared) {
      cal.GetAVTmSlotsForSharedChairs(slots, second, c.chair, 'A', c.date);
    } else {
      cal.GetAVTmSlotsForChair(slots, second, c.chair, 'A', c.owner, c.date);
    }
    EXPECT_EQ(c.minutes, Minutes(slots));
  }
}

TEST_P(CalendarTest, SlotsStartAtTheDayStart) {
  CalDatInfo cal(Db());
  char slots[kSlotMapSize], second[kSlotMapSize];
  Fresh(slots, second);
  cal.GetAVTmSlotsForProducer(slots, second, 1, 'A', "D01", 20261207);
  // 06:00 is slot 0: 08:00 is slot 24, 12:00 slot 72, 13:00 slot 84, 15:00 slot 108.
  EXPECT_EQ('O', slots[23]);
  EXPECT_EQ('I', slots[24]);
  EXPECT_EQ('I', slots[71]);
  EXPECT_EQ('O', slots[72]);
  EXPECT_EQ('I', slots[84]);
  EXPECT_EQ('O', slots[108]);
  Fresh(slots, second);
  cal.GetAVTmSlotsForProducer(slots, second, 1, 'A', "D01", 20270104);
  EXPECT_EQ('F', slots[84]) << "scheduled but closed";
}

TEST_P(CalendarTest, TimeOnTwoChairsAtOnceCountsOnce) {
  CalDatInfo cal(Db());
  char a[kSlotMapSize], b[kSlotMapSize], c[kSlotMapSize], d[kSlotMapSize];
  Fresh(a, b);
  int total = 0;
  const struct {
    short chair;
    char loc;
    int adds;
  } chairs[] = {{1, 'A', 360}, {101, 'B', 120}};
  for (const auto& ch : chairs) {
    Fresh(c, d);
    cal.GetAVTmSlotsForProducer(c, d, ch.chair, ch.loc, "D01", 20261207);
    CalDatInfo::OR_AVTimeSlots(a, c, b, d);
    EXPECT_EQ(ch.adds, Minutes(c)) << "chair " << ch.chair;
    total += Minutes(c);
  }
  EXPECT_EQ(480, total) << "the office hours of the day, once";
  EXPECT_EQ(480, Minutes(a));
  EXPECT_EQ('A', b[24]) << "08:00 on chair 1";
  EXPECT_EQ('B', b[120]) << "16:00 only on chair 101";
  EXPECT_EQ('O', a[72]) << "12:00, the office is closed";
}

TEST_P(CalendarTest, SchedulerAndSchedules) {
  SchedulrIni s(Db());
  ASSERT_TRUE(s.Read());
  EXPECT_EQ(10, s.UnitLength());
  EXPECT_EQ(15, s.OldUnitLength());
  EXPECT_EQ(20260601, s.UnitDate());
  EXPECT_FALSE(s.IsOpen(0));
  EXPECT_TRUE(s.IsOpen(6));
  EXPECT_STREQ("17:00", s.Hours()[3][3]);

  ProdInfo prod(Db());
  ASSERT_TRUE(prod.Find(ProdInfo::kByCode, "D01"));
  PrdSchInfo sch;
  ASSERT_TRUE(prod.GetMembers(22, 15, &sch));
  EXPECT_STREQ("1,101", sch.Records().front().chairs);
  EXPECT_FALSE(prod.Find(ProdInfo::kByCode, "X'Y"));
  EXPECT_FALSE(prod.GetMembers(22, 15, &sch));

  ChairInfo chairs(Db());
  ASSERT_EQ(5, chairs.Find(ChairInfo::kAllChairs));
  EXPECT_EQ(101, chairs.Records().back().number);
  EXPECT_EQ('B', chairs.Records().back().loc);
  LocInfo locs(Db());
  EXPECT_EQ(2, locs.GetAll());
}

TEST(ChrToUse, ExpandsTheChairField) {
  struct Case {
    const char* name;
    const char* field;
    std::vector<short> chairs;
  } cases[] = {
      {"two", "1,101", {1, 101}},
      {"blanks", " 3 , 7,", {3, 7}},
      {"junk skipped", "2,x,0,-4,5a,6", {2, 6}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    short out[40];
    std::memset(out, 0x7f, sizeof out);
    const int n = chr_touse(c.field, out);
    ASSERT_EQ(static_cast<int>(c.chairs.size()), n);
    for (int i = 0; i < n; ++i) EXPECT_EQ(c.chairs[i], out[i]);
    EXPECT_EQ(0, out[n]);
  }
  std::string many;
  for (int i = 1; i <= 45; ++i) many += std::to_string(i) + ",";
  short out[40];
  EXPECT_EQ(40, chr_touse(many.c_str(), out));
  EXPECT_EQ(40, out[39]);
}

INSTANTIATE_DB_TEST(CalendarTest);

}  // namespace
