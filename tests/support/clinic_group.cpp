#include "tests/support/clinic_group.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include <QApplication>

#include "host/dates.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "suite/production_service.h"
#include "suite/demo_db.h"
#include "tests/support/run_program.h"
#include "tests/support/test_db.h"

SqliteClinicGroup::SqliteClinicGroup() : dir_(std::make_unique<TempDir>()) {}
SqliteClinicGroup::~SqliteClinicGroup() = default;

bool SqliteClinicGroup::Make(long today, const Amend& amend, std::string* error) {
  today_ = today;
  std::ofstream(dir_->File("group.db")).close();
  for (const std::string name : {"c1", "c2", "c3"}) {
    auto db = OpenGenDB("sqlite:" + dir_->File(name + ".db"), "", DbAccess::kCreate, error);
    if (db == nullptr) return false;
    DemoOptions demo;
    demo.today = today;
    DemoSummary summary;
    if (!GenerateDemoPractice(db.get(), demo, &summary, error)) return false;
    if (amend && !amend(db.get(), name, error)) return false;
  }
  return true;
}

std::string SqliteClinicGroup::Url() const { return "sqlite:" + dir_->File("group.db"); }

std::string SqliteClinicGroup::ClinicFile(const std::string& clinic) const { return dir_->File(clinic + ".db"); }

ClinicGroupChoice SqliteClinicGroup::Choice() const {
  ClinicGroupChoice group;
  group.url = Url();
  group.prefixes = Prefixes();
  group.jobs = 2;
  return group;
}

std::vector<std::string> SqliteClinicGroup::Command(std::vector<std::string> args, const std::string& ini) const {
  args.insert(args.begin(), VANTRA_PROGRAM);
  for (const std::string& a : {std::string("--db"), Url(), std::string("--ini"), ini, std::string("--today"),
                               std::to_string(today_), std::string("--format"), std::string("tsv")}) {
    args.push_back(a);
  }
  const ProgramRun run = RunProgram(args);
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines;
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void OpenGroupApplication(const SqliteClinicGroup& group, const std::string& ini, QenApplication* app) {
  SetToday(group.Today());
  std::string error;
  auto db = OpenGenDB(group.Url(), "", DbAccess::kWrite, &error);
  ASSERT_NE(db, nullptr) << error;
  app->SetDb(std::move(db));
  app->SetINI(ini);
  InstallProductionService(app);
  QenApplication::SetInstance(app);
}

void CloseGroupApplication() {
  SetMeterFactory(nullptr);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QenApplication::SetInstance(nullptr);
  SetToday(0);
}

bool RunStatements(GenDB* db, const std::vector<std::string>& statements, std::string* error) {
  for (const std::string& sql : statements) {
    if (db->dbExec(sql.c_str()) != 0) {
      *error = sql + " : " + db->LastError();
      return false;
    }
  }
  return true;
}

bool RunSqlFile(GenDB* db, const std::string& path, std::string* error) {
  std::ifstream in(path);
  std::vector<std::string> statements;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.rfind("--", 0) != 0) statements.push_back(line);
  }
  return RunStatements(db, statements, error);
}

std::vector<std::string> ListRows(const QenListWindow& list) {
  std::vector<std::string> rows;
  for (int r = 0; r < list.GetCount(); ++r) rows.emplace_back(list.GetString(r));
  return rows;
}

int RowOf(const QenListWindow& list, const std::string& text, int from) {
  for (int r = std::max(from, 0); r < list.GetCount(); ++r) {
    if (list.GetString(r) == text) return r;
  }
  return -1;
}

int RowStarting(const QenListWindow& list, const std::string& start, int from) {
  for (int r = std::max(from, 0); r < list.GetCount(); ++r) {
    if (list.GetString(r).rfind(start, 0) == 0) return r;
  }
  return -1;
}
