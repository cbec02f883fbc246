// Texts of the patients statements, the producer clause, the productivity
// fold, the summary rows and the chart series of the statistics lists.
#include <gtest/gtest.h>

#include "host/list_window.h"
#include "host/prodanal.h"
#include "stats/case_acceptance.h"
#include "stats/stats_generator.h"
#include "stats/stats_graph_series.h"
#include "stats/stats_options.h"
#include "stats/stats_patients.h"
#include "stats/stats_productivity.h"
#include "stats/stats_summary.h"

namespace {

std::vector<std::string> Rows(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int r = 0; r < list.GetCount(); ++r) out.emplace_back(list.GetString(r));
  return out;
}

TEST(ProducerClauseTest, Cases) {
  struct Case {
    const char* name;
    char all;
    std::vector<std::string> codes;
    bool dentists;
    std::string clause;
  };
  const Case cases[] = {
      {"all producers: no clause", 'Y', {"D01"}, true, ""},
      {"dentists only, D removed", 'N', {"D01", "H01", "D02"}, true, "PAT_DOCTOR IN ('01','02') "},
      {"a bare D is skipped", 'N', {"D", "D03"}, true, "PAT_DOCTOR IN ('03') "},
      {"no dentist: no clause", 'N', {"H01"}, true, ""},
      {"every producer when not dentists only", 'N', {"D01", "H01"}, false, "PAT_DOCTOR IN ('D01','H01') "},
      {"a quote is escaped", 'N', {"D'1"}, true, "PAT_DOCTOR IN ('''1') "},
      {"the first empty code ends the selection", 'N', {"D01", "", "D02"}, true, "PAT_DOCTOR IN ('01') "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StatsSelection s;
    s.all_producers = c.all;
    s.SetProducers(c.codes);
    EXPECT_EQ(ProducerClause(s, "PAT_DOCTOR", c.dentists), c.clause);
  }
}

TEST(ProducerSelectionTest, HundredCodesAtMost) {
  std::string text;
  for (int i = 0; i < 120; ++i) text += (i ? "," : "") + std::to_string(100 + i);
  EXPECT_EQ(SplitStatsProducers(text).size(), 100u);
  EXPECT_EQ(SplitStatsProducers("D01,,H0123").size(), 2u);
  EXPECT_EQ(SplitStatsProducers("D01,,H0123")[1], "H01");
}

TEST(PatientsStatementTest, Verbatim) {
  StatsSelection s;
  s.from = 20261101;
  s.to = 20261130;
  s.all_producers = 'N';
  s.producers = {"D01"};
  EXPECT_EQ(PatientsStatement(0, s, "p."),
            "SELECT COUNT(0), PAT_DOCTOR from p.PATIENT WHERE PAT_DELETE_DATE = 0  AND PAT_OPEN_DATE >= 20261101 "
            "AND PAT_OPEN_DATE <= 20261130 AND PAT_DOCTOR IN ('01')  group by PAT_DOCTOR  order by PAT_DOCTOR ");
  EXPECT_EQ(PatientsStatement(3, s, ""),
            "SELECT COUNT(0), PAT_DOCTOR from PATIENT,AUDHIS WHERE AUDH_RECID = PAT_ID AND PAT_DELETE_DATE = 0 AND "
            "AUDH_TYPE = 'B' AND AUDH_FLD_NAME1 = 'PATSTATUS'  AND ((AUDH_FLD_INFO1 = 'I' AND AUDH_FLD_INFO2 != "
            "'1') OR AUDH_FLD_INFO1 = 'C') AND AUDH_DATE >= 20261101 AND AUDH_DATE <= 20261130 AND PAT_DOCTOR IN "
            "('01')  group by PAT_DOCTOR  order by PAT_DOCTOR ");
  s.from = 0;
  s.all_producers = 'Y';
  EXPECT_EQ(PatientsStatement(1, s, ""),
            "SELECT COUNT(0), PAT_DOCTOR from PATIENT WHERE PAT_DELETE_DATE = 0  AND PAT_LAST_CLAIM_DATE <= 20261130 "
            "group by PAT_DOCTOR  order by PAT_DOCTOR ");
}

StatsProductivityFigure F(const char* key, long kind, long units, long minutes, long count) {
  return StatsProductivityFigure{key, kind, units, minutes, count};
}

TEST(ProductivityFoldTest, UnitModes) {
  const std::vector<StatsProductivityFigure> figures = {
      F("D01", 1, 9, 90, 3),  F("D01", 2, 90, 900, 0), F("D01", 3, 0, 0, 2), F("D01", 4, 5, 5, 5),
      F("H01", 2, 40, 400, 0), F("H01", 3, 0, 0, 1),   F("H02", 1, 6, 60, 1),
  };
  struct Case {
    char units;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {'H',
       {"D01 \t1.50H  (3) \t15.00H \t1.50H/15.00H  (10.00%)\t2", "H01 \t0.00H  (0) \t6.67H \t0.00H/6.67H  (0.00%)\t1",
        "H02 \t1.00H  (1) \t0.00H \t1.00H/0.00H  (0.00%)\t0", "",
        "Total: \t2.50H  (4) \t21.67H \t2.50H/21.67H  (11.00%)\t3"}},
      {'U',
       {"D01 \t9U  (3) \t90U \t9U/90U  (10.00%)\t2", "H01 \t0U  (0) \t40U \t0U/40U  (0.00%)\t1",
        "H02 \t6U  (1) \t0U \t6U/0U  (0.00%)\t0", "", "Total: \t15U  (4) \t130U \t15U/130U  (11.00%)\t3"}},
      {'B',
       {"D01 \t9U, 1.50H  (3) \t90U,15.00H \t9U/90U, 1.50H/15.00H  (10.00%)\t2",
        "H01 \t0U, 0.00H  (0) \t40U,6.67H \t0U/40U, 0.00H/6.67H  (0.00%)\t1",
        "H02 \t6U, 1.00H  (1) \t0U,0.00H \t6U/0U, 1.00H/0.00H  (0.00%)\t0", "",
        "Total: \t15U, 2.50H  (4) \t130U,21.67H \t15U/130U, 2.50H/21.67H  (11.00%)\t3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.units));
    QenListWindow list(109);
    WriteProductivityRows(figures, c.units, &list);
    EXPECT_EQ(Rows(list), c.rows);
    ASSERT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetItemData(0), 1);
    EXPECT_EQ(list.GetItemData(3), 0);
    EXPECT_EQ(list.GetItemData(4), 0);
  }
  QenListWindow empty(109);
  WriteProductivityRows({}, 'H', &empty);
  EXPECT_EQ(empty.GetCount(), 0);
}

class FakeSource : public StatsProductivitySource {
 public:
  RunOutcome Compute(const StatsProductivityRequest& request, std::vector<StatsProductivityFigure>* out) override {
    seen = request;
    out->push_back(F("D01", 2, 10, 100, 0));
    return RunOutcome();
  }
  StatsProductivityRequest seen;
};

TEST(ProductivityFoldTest, SourceReceivesTheSelection) {
  StatsSelection s;
  s.from = 20261101;
  s.to = 20261130;
  s.all_producers = 'N';
  s.producers = {"D01", "H01"};
  FakeSource source;
  QenListWindow list(109);
  ASSERT_TRUE(FillProductivityList(&source, s, 'U', &list).Finished());
  EXPECT_EQ(source.seen.from, 20261101);
  EXPECT_EQ(source.seen.all_producers, 'N');
  EXPECT_EQ(source.seen.producers, (std::vector<std::string>{"D01", "H01"}));
  EXPECT_EQ(list.GetCount(), 3);
  const RunOutcome unwired = FillProductivityList(nullptr, s, 'U', &list);
  EXPECT_TRUE(unwired.Failed());
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(unwired.message, ProductivityNotConnectedMessage());
}

TEST(SummaryRowTest, ColumnsAndGoal) {
  prodanal_info p;
  p.SetCode("D01");
  p.Set(Triple::T1, 1, 50000);
  p.Set(Triple::T3, 1, 20000);
  p.Set(Triple::T2, 1, 1000);
  p.Set(Triple::T4, 1, -250);
  p.Set(Triple::T5, 1, 70750);
  p.Set(Triple::P1, 1, 9900);
  p.Set(Triple::G1c, 1, -100);
  p.Set(Triple::G2c, 1, -60000);
  p.Set(Triple::T5, 0, 999);  // other values of a triple are not read
  EXPECT_EQ(SummaryRow("D01", p),
            "D01 \t$700.00 \t$10.00 \t$2.50- \t$707.50 \t$99.00 \t$1.00- \t$600.00- \t$107.50");
  EXPECT_EQ(SummaryGoalRow(70750, 1000000), "Objectif \t \t \t \t$10000.00 (7.07%) \t \t \t \t");
  EXPECT_EQ(SummaryGoalRow(0, 1000000), "Objectif \t \t \t \t$10000.00 (0.00%) \t \t \t \t");
}

TEST(StatsGraphTest, ListSeriesAndAcceptanceGroups) {
  QenListWindow patients(107);
  SetUpStatsListColumns(&patients, kStatsPatients);
  patients.AddString("D01 \t3\t2\t1\t10", 1);
  patients.AddString("D02 \t1\t0\t1\t0", 2);
  patients.AddString("", 0);
  patients.AddString("Total: \t4\t2\t2\t10", 0);
  TDList series;
  StatsGraphRequest r;
  r.list_number = kStatsPatients;
  r.figure = 10326;
  // Under the second letter 'P' every category would absorb every row (its
  // second name is empty); the statistics charts group by row label.
  r.grouping.main = 'T';
  ASSERT_EQ(BuildStatsGraphSeries(patients, r, &series), 2);
  const auto* d01 = static_cast<const PracGraphElem*>(series.Head());
  EXPECT_STREQ(d01->Name(), "D01");
  ASSERT_EQ(d01->Count(), 2u);
  EXPECT_EQ(static_cast<const GraphValueElem*>(d01->Values().Head())->value, 3);

  QenListWindow acc(108);
  SetUpStatsListColumns(&acc, kStatsAcceptance);
  auto add = [&acc](const char* text, long category, long group, char action) {
    const int row = acc.AddString(text, 0);
    if (category < 0) return;
    CaseStats rec;
    rec.category = category;
    rec.group = group;
    rec.action = action;
    acc.SetItemRecord(row, std::make_unique<CaseStatsElem>(rec));
  };
  add("Traitements Planifiés\t \tNouveau\t \tP->I/C", 20, 17, 0);
  add(" \tD01 \t2 \t$10.00 \t1 \t$5.00 \t50.00%", 10, 17, 'A');
  add("Total: \t \t2 \t$10.00 \t1 \t$5.00 \t50.00%", 21, 17, 0);
  add("", -1, 0, 0);
  add("", -1, 0, 0);
  add("Propositions\t \tNouveau\t \tApprouvé", 20, 87, 0);
  add(" \tD02 \t4 \t$40.00 \t1 \t$8.00 \t25.00%", 1, 87, 'A');
  add(" \tD03 \t1 \t$4.00 \t0 \t$0.00 \t0.00%", 1, 87, 'A');
  add("Total: \t \t5 \t$44.00 \t1 \t$8.00 \t20.00%", 21, 87, 0);
  r.list_number = kStatsAcceptance;
  r.figure = 10177;  // the count: two series per group
  ASSERT_EQ(BuildStatsGraphSeries(acc, r, &series), 2);
  EXPECT_STREQ(static_cast<const PracGraphElem*>(series.Head())->Name(), "Nouveau Nombre");
  EXPECT_STREQ(static_cast<const PracGraphElem*>(series.Tail())->Name(), "P->I/C Nombre");
  r.selected_row = 6;  // a proposal row: the proposals group
  r.figure = 10150;
  ASSERT_EQ(BuildStatsGraphSeries(acc, r, &series), 2);
  const auto* created = static_cast<const PracGraphElem*>(series.Head());
  EXPECT_STREQ(created->Name(), "Nouveau Total");
  ASSERT_EQ(created->Count(), 2u);
  EXPECT_EQ(static_cast<const GraphValueElem*>(created->Values().Head())->value, 40);
  EXPECT_STREQ(static_cast<const PracGraphElem*>(series.Tail())->Name(), "Approuvé Total");
  r.figure = 10104;  // the percentage: one series per producer
  ASSERT_EQ(BuildStatsGraphSeries(acc, r, &series), 2);
  EXPECT_STREQ(static_cast<const PracGraphElem*>(series.Head())->Name(), "D02");
  // A group without header or total gives nothing.
  QenListWindow lone(108);
  SetUpStatsListColumns(&lone, kStatsAcceptance);
  lone.AddString(" \tD02 \t4 \t$40.00 \t1 \t$8.00 \t25.00%", 0);
  EXPECT_EQ(BuildStatsGraphSeries(lone, r, &series), 0);
}

TEST(StatsGraphTest, ProductivityReadings) {
  EXPECT_EQ(StatsGraphCellValue(3, 271, "1.50H  (3)"), 3);
  EXPECT_EQ(StatsGraphCellValue(3, 271, "1.50H"), 0);
  EXPECT_EQ(StatsGraphCellValue(3, 277, "1.50H"), 0);
  EXPECT_EQ(StatsGraphCellValue(3, 277, "1.50H/15.00H  (10.00%)"), 10);
  EXPECT_EQ(StatsGraphCellValue(3, 272, "15.00H"), 15);
  EXPECT_EQ(StatsGraphCellValue(2, 10340, " $600.00-"), 600);
}

}  // namespace
