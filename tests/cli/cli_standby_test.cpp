// Reports from a hot standby of the practice's server, through the vantra
// program: every analysis gives on the standby the bytes it gives on the
// primary; the writers (goals-edit, demo-db) refuse a standby in one line
// and write nothing; --report-db and [SUITE] ReportDatabase send the reads to
// the standby and the writes to --db / [SUITE] Database. Skipped without the
// test servers' two URLs (scripts/test.sh sets both).
//
// Each test has a schema of its own on the primary (the cases of one test
// program run as separate processes, maybe at once).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "tests/support/run_program.h"
#include "tests/support/standby.h"
#include "tests/support/test_db.h"

namespace {

constexpr const char* kToday = "20261201";
// A server nobody listens on: a run that opened it would fail.
constexpr const char* kNowhere = "postgresql://postgres@127.0.0.1:1/nowhere?connect_timeout=2";

class StandbyProgramTest : public ::testing::Test {
 protected:
  // Loads the demo practice into schema on the primary and waits until the
  // standby has it.
  void Load(const std::string& schema) {
    if (!HaveStandby()) GTEST_SKIP() << kNoStandby;
    prefix_ = schema + ".";
    std::string error;
    ASSERT_TRUE(DropPrimarySchema(schema, &error)) << error;
    const ProgramRun run =
        RunProgram({VANTRA_PROGRAM, "demo-db", "--db", PrimaryUrl(), "--prefix", prefix_, "--today", kToday});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(WaitForStandby(&error)) << error;
  }
  void TearDown() override {
    std::string error;
    if (!prefix_.empty()) DropPrimarySchema(prefix_.substr(0, prefix_.size() - 1), &error);
  }

  // vantra ARGS on the practice's schema, the test's INI file and today.
  ProgramRun Vantra(std::vector<std::string> args) const {
    args.insert(args.begin(), VANTRA_PROGRAM);
    args.insert(args.end(), {"--prefix", prefix_, "--ini", dir_.File("tolvane.ini"), "--today", kToday});
    return RunProgram(args);
  }
  // The primary's goal records as goals-edit lists them.
  std::string PrimaryGoals() const {
    const ProgramRun run = Vantra({"goals-edit", "list", "--db", PrimaryUrl()});
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
  }
  // The one text of a statement on the primary.
  std::string PrimaryValue(const std::string& sql) const {
    std::string error, value;
    std::unique_ptr<GenDB> db = OpenGenDB(PrimaryUrl(), prefix_, DbAccess::kRead, &error);
    EXPECT_NE(db, nullptr) << error;
    if (db == nullptr) return value;
    if (db->dbExecute(sql.c_str(), 1) == 0 && db->dbFetch(0, 1) == 0) db->dbGetField(1, &value, 1, true);
    EXPECT_EQ(db->LastError(), "") << sql;
    db->dbClose(1);
    return value;
  }

  TempDir dir_;
  std::string prefix_;
};

TEST_F(StandbyProgramTest, EveryAnalysisGivesTheSameBytesOnTheStandbyAsOnThePrimary) {
  Load("vantra_standby_same");
  if (IsSkipped() || HasFatalFailure()) return;
  const std::string patient =
      PrimaryValue("SELECT MIN(AUD_RECID) FROM " + prefix_ + "AUDITFIL WHERE AUD_TYPE = 'B' AND AUD_RECID > 0");
  ASSERT_NE(patient, "");
  struct Case {
    const char* name;
    std::vector<std::string> args;
  };
  const std::vector<Case> cases = {
      {"audit_detailed", {"audit", "AllModules=Y", "--from", "20261101", "--item-data"}},
      {"audit_two_years_by_user", {"audit", "AllModules=Y", "--from", "20250101", "SortBy=2"}},
      {"audit_summary", {"audit", "--summary", "AllModules=Y", "SumBy=1000"}},
      {"audit_drill", {"audit", "--summary", "AllModules=Y", "SumBy=1000", "--drill", "1,6"}},
      {"audit_chart", {"audit", "AllModules=Y", "--from", "20261101", "--chart", "4,1"}},
      {"history", {"history", "--record", patient, "--module", "20105"}},
      {"productivity_producers",
       {"productivity", "--from", "20261101", "--to", "20261130", "ListBy=P", "AllProducers=Y", "ReportBy=W"}},
      {"productivity_chairs",
       {"productivity", "--from", "20260101", "--to", "20261130", "ListBy=C", "AllChairs=Y", "ReportBy=M"}},
      {"stats_all", {"stats", "--list", "all", "--from", "20260101", "--to", "20261130"}},
      {"stats_acceptance", {"stats", "--list", "acceptance", "--item-data"}},
      {"stats_patients_drill", {"stats", "--list", "patients", "--from", "20260101", "--to", "20261130",
                                "--drill", "1,2"}},
      {"goals_months", {"goals", "Year=2026", "CompYear=2025"}},
      {"goals_quarters", {"goals", "Year=2026", "ReportBy=Q", "Q=YYYY"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> on_primary = c.args, on_standby = c.args;
    on_primary.insert(on_primary.end(), {"--db", PrimaryUrl(), "--format", "tsv"});
    on_standby.insert(on_standby.end(), {"--db", StandbyUrl(), "--format", "tsv"});
    const ProgramRun primary = Vantra(on_primary);
    const ProgramRun standby = Vantra(on_standby);
    ASSERT_EQ(primary.status, 0) << primary.err;
    EXPECT_EQ(standby.status, 0) << standby.err;
    EXPECT_EQ(standby.err, primary.err);
    EXPECT_NE(primary.out, "");  // two empty lists would prove nothing
    EXPECT_TRUE(standby.out == primary.out) << "the standby's " << standby.out.size() << " bytes differ from the "
                                            << primary.out.size() << " of the primary";
  }
}

// The writers ask the server before anything: one line, exit 1, and the
// primary (which the standby mirrors) unchanged.
TEST_F(StandbyProgramTest, WritersRefuseTheStandbyInOneLineAndWriteNothing) {
  Load("vantra_standby_refuse");
  if (IsSkipped() || HasFatalFailure()) return;
  const std::string goals_before = PrimaryGoals();
  const std::string first_id = goals_before.substr(0, goals_before.find('\t'));
  ASSERT_FALSE(first_id.empty());
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* expected_err;
  };
  const std::vector<Case> cases = {
      {"goals_edit_add", {"goals-edit", "add", "D01", "2031", "1500"},
       "vantra goals-edit : la base est en lecture seule (serveur de secours)\n"},
      {"goals_edit_change",
       {"goals-edit", "change", first_id, "D01", "2031", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
       "vantra goals-edit : la base est en lecture seule (serveur de secours)\n"},
      {"goals_edit_delete", {"goals-edit", "delete", first_id},
       "vantra goals-edit : la base est en lecture seule (serveur de secours)\n"},
      {"goals_edit_copy", {"goals-edit", "copy", first_id, "D02", "2031"},
       "vantra goals-edit : la base est en lecture seule (serveur de secours)\n"},
      {"preset_save", {"preset", "save", "mensuel", "audit", "--period", "last-month"},
       "vantra preset : la base est en lecture seule (serveur de secours)\n"},
      {"preset_delete", {"preset", "delete", "mensuel", "audit"},
       "vantra preset : la base est en lecture seule (serveur de secours)\n"},
      // The practice's schema is there: replacing it is refused too.
      {"demo_db_force", {"demo-db", "--force"},
       "vantra demo-db : la base est en lecture seule (serveur de secours)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--db", StandbyUrl()});
    const ProgramRun run = Vantra(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.expected_err);
    EXPECT_EQ(run.out, "");
  }
  // A schema the primary does not have: refused before it is looked for.
  const ProgramRun fresh =
      RunProgram({VANTRA_PROGRAM, "demo-db", "--db", StandbyUrl(), "--prefix", "vantra_standby_none.", "--today", kToday});
  EXPECT_EQ(fresh.status, 1);
  EXPECT_EQ(fresh.err, "vantra demo-db : la base est en lecture seule (serveur de secours)\n");
  // Listing only reads: the standby answers it.
  const ProgramRun list = Vantra({"goals-edit", "list", "--db", StandbyUrl()});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(list.out, goals_before);
  EXPECT_EQ(PrimaryGoals(), goals_before);
}

// Where each command reads and writes: the reports from --report-db, else
// --db when given, else [SUITE] ReportDatabase, else [SUITE] Database; the
// goal editor always to --db / [SUITE] Database. A server nobody listens on
// stands where a command must not go.
TEST_F(StandbyProgramTest, ReportsReadTheReportDatabaseAndTheGoalEditorWritesThePrimary) {
  Load("vantra_standby_route");
  if (IsSkipped() || HasFatalFailure()) return;
  const std::string ini = dir_.File("tolvane.ini");
  const std::vector<std::string> audit = {"audit", "AllModules=Y", "--from", "20261101", "--format", "tsv"};
  std::vector<std::string> reference_args = audit;
  reference_args.insert(reference_args.end(), {"--db", PrimaryUrl()});
  WriteRaw(ini, "");
  const ProgramRun reference = Vantra(reference_args);
  ASSERT_EQ(reference.status, 0) << reference.err;
  ASSERT_NE(reference.out, "");

  struct ReportCase {
    const char* name;
    std::string ini;  // the [SUITE] section
    std::vector<std::string> args;
  };
  const std::vector<ReportCase> reports = {
      {"report_db_option_over_db", "", {"--db", kNowhere, "--report-db", StandbyUrl()}},
      {"report_db_option_over_ini", "Database=" + std::string(kNowhere) + "\nReportDatabase=" + kNowhere + "\n",
       {"--report-db", StandbyUrl()}},
      {"ini_report_database", "Database=" + std::string(kNowhere) + "\nReportDatabase=" + StandbyUrl() + "\n", {}},
      {"db_option_over_ini_report_database", "ReportDatabase=" + std::string(kNowhere) + "\n",
       {"--db", StandbyUrl()}},
      {"ini_database_without_report_database", "Database=" + StandbyUrl() + "\n", {}},
  };
  for (const ReportCase& c : reports) {
    SCOPED_TRACE(c.name);
    WriteRaw(ini, "[SUITE]\n" + c.ini);
    std::vector<std::string> args = audit;
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = Vantra(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out == reference.out);
  }

  struct WriteCase {
    const char* name;
    std::string ini;
    std::vector<std::string> args;
    const char* year;
  };
  const std::vector<WriteCase> writes = {
      {"goals_edit_db_option", "", {"--db", PrimaryUrl(), "--report-db", kNowhere}, "2028"},
      {"goals_edit_ini_database",
       "Database=" + PrimaryUrl() + "\nReportDatabase=" + StandbyUrl() + "\n", {}, "2029"},
  };
  for (const WriteCase& c : writes) {
    SCOPED_TRACE(c.name);
    WriteRaw(ini, "[SUITE]\n" + c.ini);
    std::vector<std::string> args = {"goals-edit", "add", "D01", c.year, "1500"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProgramRun run = Vantra(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(PrimaryValue("SELECT COUNT(0) FROM " + prefix_ + "GOALS WHERE GOAL_PROD = 'D01' AND GOAL_YEAR = " +
                           c.year),
              "1");
  }

  // The goal written to the primary shows in the report read from the
  // standby once it has caught up.
  std::string error;
  ASSERT_TRUE(WaitForStandby(&error)) << error;
  WriteRaw(ini, "[SUITE]\nDatabase=" + std::string(kNowhere) + "\nReportDatabase=" + StandbyUrl() + "\n");
  const ProgramRun goals = Vantra({"goals", "Year=2029", "--format", "tsv"});
  EXPECT_EQ(goals.status, 0) << goals.err;
  EXPECT_EQ(goals.out.rfind("D01 \t0.00/1500 (0%)", 0), 0u) << goals.out;
}

}  // namespace
