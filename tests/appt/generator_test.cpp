// PracApptGenerator on a small practice, on both engines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "appt/appt_lines.h"
#include "appt/appt_generator.h"
#include "host/list_window.h"
#include "suite/production_service.h"
#include "tests/appt/appt_fixture.h"

namespace {

class GeneratorTest : public ApptFixture {
 protected:
  void SetUp() override {
    ApptFixture::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    AddChair('A', 1, false, "D01");
    AddChair('A', 2, false, "D02");
    AddChair('A', 5, true, "");
    AddChair('B', 105, false, "D01");
    AddProducer("D01", "1,105");
    AddProducer("D02", "2");
    AddProducer("H01", "5");
    for (int dow = 1; dow <= 5; ++dow) {
      AddBlock("D01", dow, 1, 'A', 80000, 120000);
      AddBlock("D02", dow, 2, 'A', 130000, 170000);
      AddBlock("H01", dow, 5, 'A', 80000, 170000);
    }
    AddBlock("D01", 6, 105, 'B', 90000, 120000);
  }

  PracApptSettings Producers(std::vector<std::string> codes, char report_by, long from, long to) {
    PracApptSettings s;
    s.DateFrom = from;
    s.DateTo = to;
    s.ListBy = 'P';
    s.ReportBy = report_by;
    s.AllProducers = 'N';
    s.NetFees = 'N';
    for (size_t i = 0; i < codes.size(); ++i) CopyField(s.Producers[i], codes[i].c_str());
    s.SelectedCount = static_cast<long>(codes.size());
    s.TotalsColumn = codes.size() > 1 ? 1 : 0;
    return s;
  }

  static std::vector<const PracApptElem*> Of(const PracApptGenerator& g, long kind) {
    std::vector<const PracApptElem*> out;
    for (const PracApptElem* e : g.Elements().As<PracApptElem>()) {
      if (e->Kind == kind) out.push_back(e);
    }
    return out;
  }

  std::vector<std::string> Lines(PracApptSettings s, bool statements) {
    QenListWindow list(5111);
    PracApptGenerator g(Db(), nullptr, 0, &s);
    g.SetStatementReads(statements);
    g.Generate(&list);
    std::vector<std::string> out;
    for (int r = 0; r < list.GetCount(); ++r) {
      out.push_back(std::to_string(list.GetItemData(r)) + "|" + std::string(list.GetString(r)));
    }
    return out;
  }
};

TEST_P(GeneratorTest, UnitsFollowTheUnitLengthOfTheDay) {
  // 7 slots = 35 minutes: 2 units of 15 minutes before 1 June, 3 of 10 after.
  AddAppointment(20260529, "D01", 1, 'A', 7, 'B', 5000);
  AddAppointment(20260601, "D01", 1, 'A', 7, 'B', 7000);
  PracApptSettings s = Producers({"D01"}, 'D', 20260529, 20260601);
  s.NoShows = s.Cancelled = s.Unscheduled = 'N';
  PracApptGenerator g(Db(), nullptr, 0, &s);
  ASSERT_TRUE(g.Compute());
  const auto booked = Of(g, 1);
  ASSERT_EQ(2u, booked.size());
  EXPECT_EQ(2, booked[0]->SchedUnits);
  EXPECT_EQ(3, booked[1]->SchedUnits);
  EXPECT_EQ(35, booked[0]->Minutes);
  const auto avail = Of(g, 2);
  ASSERT_EQ(4u, avail.size()) << "one per day, also on the weekend (0 minutes)";
  EXPECT_EQ(240, avail[0]->Minutes);
  EXPECT_EQ(16, avail[0]->SchedUnits) << "240 / 15 on 29 May";
  EXPECT_EQ(180, avail[1]->Minutes) << "Saturday on chair 105";
  EXPECT_EQ(0, avail[2]->Minutes) << "Sunday";
  EXPECT_EQ(24, avail[3]->SchedUnits) << "240 / 10 on 1 June";
}

TEST_P(GeneratorTest, WeeksSplitAtTheNewYear) {
  AddAppointment(20261230, "D01", 1, 'A', 6, 'B', 1000);
  AddAppointment(20261231, "D01", 1, 'A', 6, 'B', 1000);
  AddAppointment(20270101, "D01", 1, 'A', 6, 'B', 1000);
  AddAppointment(20270104, "D01", 1, 'A', 6, 'B', 1000);
  PracApptSettings s = Producers({"D01"}, 'W', 20261228, 20270105);
  s.NoShows = s.Cancelled = s.Unscheduled = 'N';
  PracApptGenerator g(Db(), nullptr, 0, &s);
  g.Compute();
  const auto booked = Of(g, 1);
  ASSERT_EQ(3u, booked.size()) << "the last week of 2026, week 1 and week 2 of 2027";
  EXPECT_EQ(2, booked[0]->Count);
  EXPECT_EQ(20261230, booked[0]->Date);
  EXPECT_EQ(1, booked[1]->Count);
  EXPECT_EQ(20270101, booked[1]->Date);
  EXPECT_EQ(1, booked[1]->Period);
  EXPECT_EQ(20270104, booked[2]->Date);
  EXPECT_EQ(2, booked[2]->Period);
  const auto avail = Of(g, 2);
  ASSERT_EQ(3u, avail.size());
  EXPECT_EQ(20270101, avail[1]->Date) << "1-2 January 2027";
  EXPECT_EQ(240 * 4, avail[0]->Minutes) << "28 to 31 December";
}

TEST_P(GeneratorTest, MissedAppointmentsFromTheCurrentTableElseTheArchive) {
  // Day 1: a current row; the archived row of that day is not read.
  AddAudit(false, 20261207, 'N', ScheduleInfo('N', "D01", 'A', 1, 20261207, 6, "R"), "EXA");
  AddAudit(true, 20261207, 'C', ScheduleInfo('C', "D01", 'A', 1, 20261207, 6, "R"), "EXA");
  // Day 2: only archived rows, one with a three-digit chair.
  AddAudit(true, 20261208, 'C', ScheduleInfo('C', "D01", 'B', 105, 20261208, 6, "R"), "EXA");
  AddAudit(true, 20261208, 'U', ScheduleInfo('U', "D02", 'A', 2, 20261208, 3, "R"), "EXA");
  // A booking row and a row of another type are not missed appointments.
  AddAudit(false, 20261208, 'A', ScheduleInfo('B', "D01", 'A', 1, 20261208, 6, "R"), "EXA");
  for (bool statements : {false, true}) {
    SCOPED_TRACE(statements ? "statements" : "set-based");
    PracApptSettings s = Producers({"D01", "D02"}, 'M', 20261207, 20261208);
    PracApptGenerator g(Db(), nullptr, 0, &s);
    g.SetStatementReads(statements);
    g.Compute();
    std::string seen;
    for (const PracApptElem* e : Of(g, 3)) seen += std::string(e->Key) + e->Status + std::to_string(e->Count) + " ";
    EXPECT_EQ("D01N1 D01C1 D02U1 ", seen);
  }
  // Chair report: the three-digit chair is B105.
  PracApptSettings s = Producers({}, 'M', 20261207, 20261208);
  s.ListBy = 'C';
  s.AllChairs = 'N';
  CopyField(s.Chairs[0], "B105");
  s.SelectedCount = 1;
  PracApptGenerator g(Db(), nullptr, 0, &s);
  g.Compute();
  ASSERT_EQ(1u, Of(g, 3).size());
  EXPECT_STREQ("B105", Of(g, 3)[0]->Key);
}

TEST_P(GeneratorTest, SelectionAndCodeFilters) {
  AddAppointment(20261207, "D01", 1, 'A', 6, 'B', 1000, "EXA", "R");
  AddAppointment(20261207, "D01", 1, 'A', 3, 'B', 2000, "DET", "H");
  AddAppointment(20261207, "D01", 1, 'A', 3, 'B', 2000, "EXA", "R", /*deldate=*/20261201);
  AddAppointment(20261207, "D01", 1, 'A', 3, 'N', 2000, "EXA", "R");
  AddAppointment(20261207, "D02", 2, 'A', 4, 'B', 4000, "EXA", "R");
  struct Case {
    const char* name;
    char list_by, prod_info;
    const char* selected;
    const char* codes;
    const char* expected;  // key:code:count of the booked elements
  } cases[] = {
      {"summary, one producer", 'P', 'S', "D01", "", "D01::2 "},
      {"per code, every code", 'P', 'C', "D01", "", "D01:EXA:1 D01:DET:1 "},
      {"per code, one code", 'P', 'C', "D01", "EXA", "D01:EXA:1 "},
      {"per type, one type", 'P', 'T', "D01", "H", "D01:H:1 "},
      {"chairs, one chair", 'C', 'S', "A02", "", "A02::1 "},
      {"chairs, per code", 'C', 'C', "A01", "DET", "A01:DET:1 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PracApptSettings s = Producers({}, 'D', 20261207, 20261207);
    s.ListBy = c.list_by;
    s.AllChairs = 'N';
    s.ProdInfo = c.prod_info;
    if (c.list_by == 'P') {
      CopyField(s.Producers[0], c.selected);
    } else {
      CopyField(s.Chairs[0], c.selected);
    }
    s.SelectedCount = 1;
    if (c.prod_info == 'C') CopyField(s.ApptCodes[0], c.codes);
    if (c.prod_info == 'T') CopyField(s.ApptTypes[0], c.codes);
    PracApptGenerator g(Db(), nullptr, 0, &s);
    g.Compute();
    std::string seen;
    for (const PracApptElem* e : Of(g, 1)) {
      seen += std::string(e->Key) + ":" + e->Code + ":" + std::to_string(e->Count) + " ";
    }
    EXPECT_EQ(c.expected, seen);
  }
}

TEST_P(GeneratorTest, ChairReportsHaveNoNetFees) {
  PracApptSettings s = Producers({}, 'M', 20261207, 20261207);
  s.ListBy = 'C';
  s.NetFees = 'Y';
  PracApptGenerator g(Db(), nullptr, 0, &s);
  EXPECT_EQ('N', s.NetFees);
}

TEST_P(GeneratorTest, NetFeesPerPeriodRange) {
  Exec("INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL, "
       "CTRT_DEL_DATE) VALUES (1, 1, 20261130, 'C', 'D01', 99900, 0), (2, 1, 20261203, 'C', 'D01', 12300, 0), "
       "(3, 1, 20261215, 'C', 'D01', 50000, 0)");
  AddAppointment(20261203, "D01", 1, 'A', 6, 'B', 1000);
  PracApptSettings s = Producers({"D01"}, 'M', 20261201, 20261210);
  s.NetFees = 'Y';
  QenListWindow list(5111);
  PracApptGenerator g(Db(), nullptr, 0, &s);
  g.Generate(&list);
  for (const PracApptElem* e : g.Elements().As<PracApptElem>()) {
    SCOPED_TRACE(e->Kind);
    EXPECT_EQ(20261201, e->NetFrom) << "the report's first day cuts the month";
    EXPECT_EQ(20261210, e->NetTo);
  }
  ASSERT_FALSE(Of(g, 1).empty());
  TDList range, month;
  std::string error;
  ASSERT_TRUE(ComputeProductionFor(Db(), 20261201, 20261210, {"D01"}, false, &range, &error)) << error;
  ASSERT_TRUE(ComputeProductionFor(Db(), 20261201, 20261231, {"D01"}, false, &month, &error)) << error;
  const long in_range = static_cast<prodanal_info*>(range.Head())->Get(Triple::T5);
  ASSERT_NE(in_range, static_cast<prodanal_info*>(month.Head())->Get(Triple::T5));
  EXPECT_EQ(in_range, Of(g, 1)[0]->NetFee) << "the fees of 1 to 10 December";
}

// Both read paths give the same report: daily and weekly, producers and
// chairs, with missed appointments in both audit tables.
TEST_P(GeneratorTest, SetBasedAndStatementReadsGiveTheSameReport) {
  const char* producers[] = {"D01", "D02", "H01"};
  const int chairs[] = {1, 2, 5};
  int n = 0;
  for (long day = 20261101; day <= 20261130; ++day) {
    for (int p = 0; p < 3; ++p) {
      for (int k = 0; k < (day + p) % 4; ++k, ++n) {
        const char status = "BBBBNCU"[n % 7];
        AddAppointment(day, producers[p], chairs[p], 'A', 3 + n % 5, status, 1000 + 37 * n, n % 3 ? "EXA" : "DET",
                       n % 2 ? "R" : "H", n % 11 == 0 ? day : 0, 80000 + 10000 * k);
        if (status != 'B') {
          AddAudit(day % 3 == 0, day, status, ScheduleInfo(status, producers[p], 'A', chairs[p], day, 3, "R"),
                   "EXA");
        }
      }
    }
  }
  for (long day = 20261025; day <= 20261231; day += 3) {  // net fees, also around the range
    Exec("INSERT INTO CLMTRT (CTRT_ID, CTRT_PCLMID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL, CTRT_DEL_DATE) "
         "VALUES (" + std::to_string(day) + ", 1, " + std::to_string(day) + ", 'C', '" + producers[day % 3] + "', " +
         std::to_string(1000 + day % 97) + ", 0)");
  }
  Exec("INSERT INTO PATOCH (POCH_ID, POCH_PATID, POCH_DATE, POCH_AMOUNT, POCH_PRODUCER, POCH_DEL_DATE) VALUES "
       "(1, 1, 20261110, 2500, 'D01', 0)");
  Exec("INSERT INTO ACCPMT (APMT_ID, APMT_DATE, APMT_KIND, APMT_AMOUNT, APMT_PRODUCER, APMT_DEL_DATE) VALUES "
       "(1, 20261112, 'A', -700, 'D02', 0)");
  for (char list_by : {'P', 'C'}) {
    for (char report_by : {'D', 'W', 'M'}) {
      SCOPED_TRACE(std::string(1, list_by) + report_by);
      PracApptSettings s = Producers({"D01", "D02", "H01"}, report_by, 20261101, 20261130);
      s.ProdInfo = 'C';
      s.NetFees = 'Y';
      if (list_by == 'C') {
        s.ListBy = 'C';
        s.AllChairs = 'N';
        for (int i = 0; i < 3; ++i) std::snprintf(s.Chairs[i], sizeof s.Chairs[i], "A%02d", chairs[i]);
      }
      const auto set_based = Lines(s, false), statements = Lines(s, true);
      ASSERT_GT(set_based.size(), 10u);
      EXPECT_EQ(statements, set_based);
    }
  }
}

INSTANTIATE_DB_TEST(GeneratorTest);

}  // namespace
