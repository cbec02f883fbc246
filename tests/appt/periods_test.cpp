// Periods, labels, ranges and the schedule audit layouts of the
// productivity computation.
#include <gtest/gtest.h>

#include <string>

#include "appt/appt_generator.h"
#include "suite/calendar.h"

namespace {

TEST(ApptPeriods, Membership) {
  struct Case {
    const char* name;
    char report_by;
    long element_date, day;
    bool same;
  } cases[] = {
      {"daily same day", 'D', 20261207, 20261207, true},
      {"daily next day", 'D', 20261207, 20261208, false},
      {"weekly same week", 'W', 20261207, 20261212, true},
      {"weekly next sunday", 'W', 20261207, 20261213, false},
      {"weekly across 1 January", 'W', 20261231, 20270101, false},
      {"monthly", 'M', 20261201, 20261231, true},
      {"monthly other year", 'M', 20251201, 20261201, false},
      {"yearly", 'Y', 20260101, 20261231, true},
      {"yearly next", 'Y', 20261231, 20270101, false},
      {"unknown letter: one period", 'X', 20200101, 20261231, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.same, ApptSamePeriod(c.report_by, c.element_date, ApptPeriodIndex(c.report_by, c.element_date),
                                     c.day));
  }
}

TEST(ApptPeriods, IndexAndLabel) {
  struct Case {
    char report_by;
    long day;
    short index;
    const char* label;
  } cases[] = {
      {'D', 20261205, 0, "sam déc 05, 2026"},
      {'W', 20261209, 50, "Semaine de : 6 déc. 2026"},
      {'W', 20270101, 1, "Semaine de : 27 déc. 2026"},
      {'M', 20260215, 2, "février 2026"},
      {'Y', 20260215, 2026, "2026"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.index, ApptPeriodIndex(c.report_by, c.day));
    EXPECT_EQ(c.label, ApptPeriodLabel(c.report_by, c.day));
  }
}

TEST(ApptPeriods, NetFeeRanges) {
  struct Case {
    const char* name;
    char report_by;
    long day, from, to, start, end;
  } cases[] = {
      {"day", 'D', 20261207, 20261201, 20261231, 20261207, 20261207},
      {"week inside", 'W', 20261209, 20261201, 20261231, 20261206, 20261212},
      {"week cut by the first day", 'W', 20261203, 20261202, 20261231, 20261202, 20261205},
      {"week cut by the last day", 'W', 20261229, 20261201, 20261230, 20261227, 20261230},
      {"month cut", 'M', 20261215, 20261210, 20270131, 20261210, 20261231},
      {"whole month", 'M', 20260215, 20260101, 20261231, 20260201, 20260228},
      {"year cut", 'Y', 20260601, 20260301, 20261231, 20260301, 20261231},
      {"whole year", 'Y', 20250601, 20240301, 20261231, 20250101, 20251231},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    long start = 0, end = 0;
    ApptPeriodRange(c.report_by, c.day, c.from, c.to, &start, &end);
    EXPECT_EQ(c.start, start);
    EXPECT_EQ(c.end, end);
  }
}

TEST(ApptPeriods, ScheduleAuditLayouts) {
  struct Case {
    const char* name;
    const char* info1;
    const char* info2;
    char status;
    const char* producer;
    char loc;
    short chair;
    long date;
    short length;
    const char* type;
    const char* code;
  } cases[] = {
      {"two-digit chair", "ND01A0320261207093006R  NN", "EXAM1", 'N', "D01", 'A', 3, 20261207, 6, "R", "EXAM1"},
      {"three-digit chair", "CD01B10520261208140012HYGNN", "DET", 'C', "D01", 'B', 105, 20261208, 12, "HYG", "DET"},
      {"three-digit chair that also reads as a date at 7", "CAA A35720810202010901DDDNN", "B2A", 'C', "AA", 'A',
       357, 20810202, 1, "DDD", "B2A"},
      {"blank-padded producer", "UH1 A0520261209080003R  NN", "", 'U', "H1", 'A', 5, 20261209, 3, "R", ""},
      {"date in neither layout", "ND01A03XXXXXXXX093006R  NN", "LONGCODE", 'N', "D01", 'A', 3, 0, 6, "R", "LONGC"},
      {"short field", "ND01A", "", 'N', "D01", 'A', 0, 0, 0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AptRec r;
    ParseScheduleAudit(c.info1, c.info2, &r);
    EXPECT_EQ(c.status, r.status);
    EXPECT_STREQ(c.producer, r.producer);
    EXPECT_EQ(c.loc, r.loc);
    EXPECT_EQ(c.chair, r.chair);
    EXPECT_EQ(c.date, r.date);
    EXPECT_EQ(c.length, r.length);
    EXPECT_STREQ(c.type, r.type);
    EXPECT_STREQ(c.code, r.code);
    EXPECT_EQ(0, r.fee);
  }
}

}  // namespace
