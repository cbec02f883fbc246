// A dental group on SQLite for the tests of the tabs' group runs: an empty
// group.db beside c1.db, c2.db and c3.db, each the small demo practice of
// `today`, made once per test program and amended clinic by clinic.
//
//   static SqliteClinicGroup* g_group;
//   g_group = new SqliteClinicGroup;
//   ASSERT_TRUE(g_group->Make(20261201, [](GenDB* db, const std::string& name) {
//     if (name == "c2") ...;  // the clinic's own changes
//   }, &error)) << error;
//   app.SetGroupChoice(g_group->Choice());
//   ... g_group->Command({"goals", "--clinics", "c1,c2,c3"}, ini) ...
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/meter.h"

class GenDB;
class QenListWindow;
class TempDir;

class SqliteClinicGroup {
 public:
  using Amend = std::function<bool(GenDB* db, const std::string& clinic, std::string* error)>;

  SqliteClinicGroup();
  ~SqliteClinicGroup();

  // The three clinics, each amended after its demo practice was made.
  bool Make(long today, const Amend& amend, std::string* error);

  // "sqlite:<folder>/group.db": the file --db names for the group.
  std::string Url() const;
  long Today() const { return today_; }
  // c1., c2., c3.
  std::vector<std::string> Prefixes() const { return {"c1.", "c2.", "c3."}; }
  // The file of a clinic ("c2": <folder>/c2.db).
  std::string ClinicFile(const std::string& clinic) const;
  // "Tous les cabinets" over the group (two connections).
  ClinicGroupChoice Choice() const;

  // `vantra ARGS --db <group> --ini INI --today TODAY --format tsv` (the
  // program the test was built with, VANTRA_PROGRAM): its standard output's
  // lines; a test failure when it does not exit 0.
  std::vector<std::string> Command(std::vector<std::string> args, const std::string& ini) const;

 private:
  std::unique_ptr<TempDir> dir_;
  long today_ = 0;
};

// The application of a window test over the group: its database the
// group's file (written to as the suite opens it), its INI file ini, the
// production service installed, the process's instance; and undoing it
// (the meter factory back to the default, deferred deletes run, no
// instance, no fixed today).
void OpenGroupApplication(const SqliteClinicGroup& group, const std::string& ini, QenApplication* app);
void CloseGroupApplication();

// A meter that cancels as soon as it is polled: the group's meter of a
// generation, when SetMeterFactory makes it.
class CancellingMeter : public MeterImpl {
 public:
  void Open(const std::string&, long) override {}
  void SetCounter(long) override {}
  bool Cancelled() override { return true; }
  void Close() override {}
};

// The rows of a list as it holds them; the first row at or after from
// whose text is text (RowOf) or starts with start (RowStarting), -1 if none.
std::vector<std::string> ListRows(const QenListWindow& list);
int RowOf(const QenListWindow& list, const std::string& text, int from = 0);
int RowStarting(const QenListWindow& list, const std::string& start, int from = 0);

// Runs statements one after another; false at the first that fails, with
// *error naming it.
bool RunStatements(GenDB* db, const std::vector<std::string>& statements, std::string* error);

// Runs the statements of a file, one per line (blank lines and "--"
// comments skipped): the group goldens' clinic changes (NAME.sql). A file
// that does not exist runs nothing.
bool RunSqlFile(GenDB* db, const std::string& path, std::string* error);
