// The patients and case-acceptance lists on a small practice, on SQLite and
// PostgreSQL; the two look-up paths of the case acceptance give the same
// list.
#include <gtest/gtest.h>

#include "host/list_window.h"
#include "stats/case_acceptance.h"
#include "stats/stats_generator.h"
#include "stats/stats_group.h"
#include "stats/stats_patients.h"
#include "suite/production_service.h"
#include "tests/stats/stats_fixture.h"
#include "tests/support/test_db.h"

namespace {

std::vector<std::string> Rows(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int r = 0; r < list.GetCount(); ++r) out.emplace_back(list.GetString(r));
  return out;
}

// Row texts with the category of each row's record ("-" without one).
std::vector<std::string> RowsWithRecords(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int r = 0; r < list.GetCount(); ++r) {
    const auto* e = dynamic_cast<const CaseStatsElem*>(list.GetItemRecord(r));
    out.push_back((e ? std::to_string(e->rec.category) : std::string("-")) + "|" + std::string(list.GetString(r)));
  }
  return out;
}

class StatsDbTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (Db() == nullptr) return;
    ASSERT_TRUE(CreateStatsSchema(Db()));
  }
};

TEST_P(StatsDbTest, PatientsMergeByDoctor) {
  GenDB* db = Db();
  AddPatientRow(db, 1, "01", 20261105, 20261120);
  AddPatientRow(db, 2, "01", 20261106, 0);
  AddPatientRow(db, 3, "02", 20261010, 20261101);  // opened before the period: active only
  AddPatientRow(db, 4, "03", 20250101, 0);
  AddPatientRow(db, 5, "01", 20261107, 20261107, 20261108);  // deleted
  AddStatusChange(db, "AUDITFIL", 1, 4, 20261110, "I", "A");
  AddStatusChange(db, "AUDHIS", 2, 4, 20261111, "C", "A");
  AddStatusChange(db, "AUDITFIL", 3, 4, 20261112, "I", "1");  // from '1': not counted
  AddStatusChange(db, "AUDITFIL", 4, 1, 20261201, "C", "A");  // after the period
  StatsSelection s;
  s.from = 20261101;
  s.to = 20261130;
  QenListWindow list(107);
  ASSERT_TRUE(FillPatientsList(db, s, &list).Finished());
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"D01 \t2\t0\t2\t1", "D02 \t0\t0\t0\t1", "D03 \t0\t2\t-2\t0", "",
                                                  "Total: \t2\t2\t0\t2"}));
  EXPECT_EQ(list.GetItemData(0), 1);
  EXPECT_EQ(list.GetItemData(2), 3);
  EXPECT_EQ(list.GetItemData(4), 0);
  // Without dates every row counts; a selection limits to its dentists.
  s.from = s.to = 0;
  s.all_producers = 'N';
  s.producers = {"D03", "H01"};
  ASSERT_TRUE(FillPatientsList(db, s, &list).Finished());
  EXPECT_EQ(Rows(list), (std::vector<std::string>{"D03 \t1\t2\t-1\t1", "", "Total: \t1\t2\t-1\t1"}));
}

void AddCases(GenDB* db) {
  AddPlanned(db, 5, "D01", 12000);
  AddPlanned(db, 6, "D02", 3000);
  AddPlanned(db, 4, "D01", 9900);
  AddPlanned(db, 8, "D01", 500, 20261102);  // deleted
  AddProposalItem(db, 9, "D02", 80000);
  AddProposalItem(db, 10, "D01", 1000);
  // Creations.
  AddCaseAudit(db, 1, "T", "A", 5, 20261103, "P", "", "x");
  AddCaseAudit(db, 2, "T", "A", 6, 20261104, "P", "", "x");
  AddCaseAudit(db, 3, "X", "A", 0, 20261104, "", "9", "");
  AddCaseAudit(db, 4, "X", "A", 0, 20261105, "", "10", "");
  AddCaseAudit(db, 5, "T", "A", 8, 20261105, "P", "", "x");  // deleted item: dropped
  AddCaseAudit(db, 6, "T", "A", 77, 20261105, "P", "", "x");  // missing item: dropped
  // Changes (read after every creation whatever their date).
  AddCaseAudit(db, 7, "T", "E", 5, 20261102, "C", "", "P");   // accepted
  AddCaseAudit(db, 8, "T", "E", 4, 20261110, "C", "", "P");   // created before the period
  AddCaseAudit(db, 9, "X", "E", 0, 20261111, "A", "10", "");  // accepted
  AddCaseAudit(db, 10, "T", "E", 6, 20261112, "X", "", "P");  // not a counted change
  AddCaseAudit(db, 11, "T", "A", 4, 20261001, "P", "", "x");  // before the period
}

TEST_P(StatsDbTest, CaseAcceptanceBothLookupPaths) {
  GenDB* db = Db();
  AddCases(db);
  StatsSelection s;
  s.from = 20261101;
  s.to = 20261130;
  const std::vector<std::string> expected = {
      "20|Traitements Planifiés\t \tNouveau\t \tP->I/C",
      "10| \tD01 \t1 \t$120.00 \t1 \t$120.00 \t100.00%",
      "10| \tD02 \t1 \t$30.00 \t0 \t$0.00 \t0.00%",
      "21|Total: \t \t2 \t$150.00 \t1 \t$120.00 \t50.00%",
      "-|",
      "-|",
      "20|Propositions\t \tNouveau\t \tApprouvé",
      "1| \tD01 \t1 \t$10.00 \t1 \t$10.00 \t100.00%",
      "1| \tD02 \t1 \t$800.00 \t0 \t$0.00 \t0.00%",
      "21|Total: \t \t2 \t$810.00 \t1 \t$10.00 \t50.00%",
  };
  for (bool statements : {true, false}) {
    SCOPED_TRACE(statements ? "one look-up per row" : "set-based look-ups");
    CaseAcceptanceGenerator gen(db, s);
    gen.SetStatementLookups(statements);
    QenListWindow list(108);
    ASSERT_TRUE(gen.Fill(&list).Finished());
    EXPECT_EQ(RowsWithRecords(list), expected);
    EXPECT_EQ(gen.Lookups(), statements ? 9 : 2);
  }
}

TEST_P(StatsDbTest, CaseAcceptanceSelectionAndEmptyGroups) {
  GenDB* db = Db();
  AddCases(db);
  StatsSelection s;
  s.from = 20261101;
  s.to = 20261130;
  s.all_producers = 'N';
  s.producers = {"D02"};
  CaseAcceptanceGenerator gen(db, s);
  QenListWindow list(108);
  ASSERT_TRUE(gen.Fill(&list).Finished());
  EXPECT_EQ(RowsWithRecords(list), (std::vector<std::string>{
                                       "20|Traitements Planifiés\t \tNouveau\t \tP->I/C",
                                       "10| \tD02 \t1 \t$30.00 \t0 \t$0.00 \t0.00%",
                                       "21|Total: \t \t1 \t$30.00 \t0 \t$0.00 \t0.00%",
                                       "-|",
                                       "-|",
                                       "20|Propositions\t \tNouveau\t \tApprouvé",
                                       "1| \tD02 \t1 \t$800.00 \t0 \t$0.00 \t0.00%",
                                       "21|Total: \t \t1 \t$800.00 \t0 \t$0.00 \t0.00%",
                                   }));
  // Proposals only: no blank row before their header.
  s.producers = {"D01"};
  s.from = 20261105;
  ASSERT_TRUE(gen.Fill(&list).Finished());
  EXPECT_EQ(RowsWithRecords(list), (std::vector<std::string>{
                                       "20|Propositions\t \tNouveau\t \tApprouvé",
                                       "1| \tD01 \t1 \t$10.00 \t1 \t$10.00 \t100.00%",
                                       "21|Total: \t \t1 \t$10.00 \t1 \t$10.00 \t100.00%",
                                   }));
  // Nothing at all for an empty result.
  s.from = s.to = 20300101;
  ASSERT_TRUE(gen.Fill(&list).Finished());
  EXPECT_EQ(list.GetCount(), 0);
}

// The figures a fill hands out are those its rows show: a group of one
// clinic has that clinic's list as its total, and a group of the same
// clinic twice doubles every count and amount but no percentage.
TEST_P(StatsDbTest, FiguresGiveBackTheList) {
  GenDB* db = Db();
  AddCases(db);
  AddProducer(db, 1, "D01");
  AddProducer(db, 2, "D02");
  AddPatientRow(db, 1, "01", 20261105, 20261120);
  AddPatientRow(db, 2, "02", 20261010, 20261101);
  AddStatusChange(db, "AUDHIS", 1, 1, 20261111, "C", "A");
  StatsSelection s;
  s.from = 20261101;
  s.to = 20261130;
  s.fees_goal = 100000;
  ProductionChannel channel(db);
  StatsContext context;
  context.db = db;
  context.channel = &channel;
  StatsLists lists;
  StatsFigures figures;
  for (int n : {kStatsPatients, kStatsAcceptance, kStatsSummary}) {
    SCOPED_TRACE(n);
    ASSERT_TRUE(FillStatsList(n, s, context, &lists, &figures).Finished());
    QenListWindow total(0);
    WriteStatsGroupTotal(n, {&figures}, 'H', &total);
    EXPECT_EQ(Rows(total), Rows(lists.List(n)));
  }
  QenListWindow twice(0);
  WriteStatsGroupTotal(kStatsPatients, {&figures, &figures}, 'H', &twice);
  EXPECT_EQ(Rows(twice), (std::vector<std::string>{"D01 \t2\t2\t0\t2", "D02 \t0\t0\t0\t2", "",
                                                   "Total: \t2\t2\t0\t4"}));
  WriteStatsGroupTotal(kStatsAcceptance, {&figures, &figures}, 'H', &twice);
  ASSERT_GE(twice.GetCount(), 4);
  EXPECT_EQ(std::string(twice.GetString(3)), "Total: \t \t4 \t$300.00 \t2 \t$240.00 \t50.00%");
  WriteStatsGroupTotal(kStatsSummary, {&figures, &figures}, 'H', &twice);
  ASSERT_GE(twice.GetCount(), 1);
  EXPECT_EQ(std::string(twice.GetString(twice.GetCount() - 1)).find("Objectif \t \t \t \t$2000.00 ("), 0u);
}

INSTANTIATE_DB_TEST(StatsDbTest);

}  // namespace
