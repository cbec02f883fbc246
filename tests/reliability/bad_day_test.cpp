// A bad day, through the `vantra` program on a copy of the small demo
// practice: an output named like the database, exports at the same second,
// statements that fail, a full disk or Ctrl+C under demo-db, a file cut short
// under a reader, locks held by another program, and reports that must not
// change the file they read.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host/gendb.h"
#include "tests/support/run_program.h"
#include "tests/support/test_db.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kAuditMonth = {"audit", "AllModules=Y", "AllUsers=Y", "--from", "20261101",
                                              "--to", "20261201", "--format", "tsv"};

class BadDayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    demo_dir_ = new TempDir;
    const ProgramRun made = RunProgram(
        {VANTRA_PROGRAM, "demo-db", "--db", "sqlite:" + demo_dir_->File("demo.db"), "--today", "20261201"});
    ASSERT_EQ(made.status, 0) << made.err;
  }
  static void TearDownTestSuite() {
    delete demo_dir_;
    demo_dir_ = nullptr;
  }

  // A copy of the demo database of this case, in its own folder.
  std::string CopyDemo(const std::string& name = "practice.db") {
    const std::string path = dir_.File(name);
    fs::copy_file(demo_dir_->File("demo.db"), path, fs::copy_options::overwrite_existing);
    return path;
  }

  void Exec(const std::string& path, const std::string& sql) {
    std::string error;
    std::unique_ptr<GenDB> db = OpenGenDB("sqlite:" + path, "", DbAccess::kWrite, &error);
    ASSERT_NE(db, nullptr) << error;
    ASSERT_EQ(db->dbExec(sql.c_str()), 0) << sql << " : " << db->LastError();
  }

  // vantra ARGS --db sqlite:db --today 20261201 --ini <case ini>.
  ProgramRun Vantra(const std::string& db, std::vector<std::string> args, ProgramOptions options = ProgramOptions()) {
    args.insert(args.begin(), VANTRA_PROGRAM);
    args.insert(args.end(), {"--db", "sqlite:" + db, "--today", "20261201", "--ini", Ini()});
    return RunProgram(args, options);
  }

  std::string Ini() const { return dir_.File("tolvane.ini"); }

  static TempDir* demo_dir_;
  TempDir dir_;
};

TempDir* BadDayTest::demo_dir_ = nullptr;

struct FileState {
  std::string bytes;
  long long mtime_ns = 0;
  bool operator==(const FileState& o) const { return bytes == o.bytes && mtime_ns == o.mtime_ns; }
};

FileState StateOf(const std::string& path) {
  FileState s;
  s.bytes = ReadAll(path);
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) s.mtime_ns = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  return s;
}

size_t LineCount(const std::string& text) {
  size_t n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST_F(BadDayTest, AnOutputThatIsTheDatabaseOrTheIniFileIsRefusedBeforeAnythingRuns) {
  const std::string db = CopyDemo();
  WriteRaw(Ini(), "[PRAC_GOALS]\nYear=2026\n");
  fs::create_directory(dir_.File("sub"));
  fs::create_symlink(db, dir_.File("link.csv"));
  const std::string relative = "../" + fs::path(db).filename().string();
  struct Case {
    const char* name;
    std::string out;
    const char* says;
  };
  const Case cases[] = {
      {"the database", db, "est la base de données"},
      {"a link to it", dir_.File("link.csv"), "est la base de données"},
      {"a relative path to it", relative, "est la base de données"},
      {"its WAL file", db + "-wal", "un fichier de la base de données"},
      {"its journal", db + "-journal", "un fichier de la base de données"},
      {"the INI file", Ini(), "est le fichier INI"},
  };
  const FileState db_before = StateOf(db), ini_before = StateOf(Ini());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramOptions in_sub;
    in_sub.folder = dir_.File("sub");
    const ProgramRun run = Vantra(db, {"goals", "--format", "csv", "--out", c.out}, in_sub);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    EXPECT_EQ(LineCount(run.err), 1u) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_TRUE(StateOf(db) == db_before) << "the database changed";
  EXPECT_TRUE(StateOf(Ini()) == ini_before) << "the INI file changed";
  // Another name beside them is written.
  const ProgramRun run = Vantra(db, {"goals", "--format", "csv", "--out", dir_.File("goals.csv")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(ReadAll(dir_.File("goals.csv")).empty());
}

TEST_F(BadDayTest, ExportsIntoTheSpreadsheetFolderAtTheSameSecondEachKeepTheirWorkbook) {
  const std::string db = CopyDemo();
  const std::string sheets = dir_.File("sheets");
  WriteRaw(Ini(), "[SUITE]\nSpreadSheetDir=" + sheets + "\n[PRAC_GOALS]\nYear=2026\n");
  constexpr int kRounds = 4, kAtOnce = 3;
  std::set<std::string> printed;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<ProgramRun> runs(kAtOnce);
    std::vector<std::thread> threads;
    for (int i = 0; i < kAtOnce; ++i) {
      threads.emplace_back([&, i] { runs[i] = Vantra(db, {"goals", "--format", "xlsx"}); });
    }
    for (std::thread& t : threads) t.join();
    for (const ProgramRun& run : runs) {
      EXPECT_EQ(run.status, 0) << run.err;
      std::string path = run.out;
      while (!path.empty() && path.back() == '\n') path.pop_back();
      EXPECT_TRUE(printed.insert(path).second) << "two exports named " << path;
    }
  }
  size_t workbooks = 0;
  for (const auto& entry : fs::directory_iterator(sheets)) {
    const std::string name = entry.path().filename().string();
    ASSERT_NE(name[0], '.') << "a temporary file was left: " << name;
    EXPECT_EQ(ReadAll(entry.path().string()).substr(0, 2), "PK") << name;
    EXPECT_EQ(printed.count(entry.path().string()), 1u) << name;
    ++workbooks;
  }
  EXPECT_EQ(workbooks, static_cast<size_t>(kRounds * kAtOnce));
}

TEST_F(BadDayTest, ARunInWhichAStatementFailedWritesNothingAndSaysWhy) {
  struct Case {
    const char* name;
    const char* drop;
    std::vector<std::string> args;
    std::vector<std::string> says;
  };
  const std::vector<std::string> productivity = {"productivity", "--from", "20261101", "--to", "20261130",
                                                 "ListBy=P", "AllProducers=Y", "--format", "tsv"};
  const Case cases[] = {
      {"audit names without PATIENT", "DROP TABLE PATIENT", kAuditMonth, {"rien n'est écrit"}},
      {"productivity without PATAPT", "DROP TABLE PATAPT", productivity, {"PATAPT", "rien n'est écrit"}},
      {"productivity without PRODCD", "DROP TABLE PRODCD", productivity, {"la liste des producteurs", "PRODCD"}},
      {"statistics without CLMTRT", "DROP TABLE CLMTRT",
       {"stats", "--from", "20261101", "--to", "20261130", "--format", "tsv"},
       {"le service de production n'a pas répondu : ", "CLMTRT", "rien n'est écrit"}},
      {"goals without CLMTRT", "DROP TABLE CLMTRT", {"goals", "Year=2026", "--format", "tsv"},
       {"le service de production n'a pas répondu pour", "CLMTRT", "rien n'est écrit"}},
      {"goals without GOALS", "DROP TABLE GOALS", {"goals", "Year=2026", "--format", "tsv"},
       {"Année entrée invalide (", "GOALS"}},
      {"goal editor without PRODCD", "DROP TABLE PRODCD", {"goals-edit", "add", "D01", "2031", "1500"},
       {"la liste des producteurs", "PRODCD"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string db = CopyDemo();
    Exec(db, c.drop);
    const ProgramRun run = Vantra(db, c.args);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "");
    for (const std::string& s : c.says) EXPECT_NE(run.err.find(s), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("producteur inconnu"), std::string::npos) << run.err;
  }
}

TEST_F(BadDayTest, DemoDbThatCannotFinishLeavesNothingAndKeepsTheOlderDatabase) {
  struct Case {
    const char* name;
    bool older;  // a database already there, replaced with --force
    long long limit;
    int signal;
    double after;
  };
  const Case cases[] = {
      {"a new one on a full disk", false, 4 << 20, 0, 0},
      {"a replacement on a full disk", true, 4 << 20, 0, 0},
      {"a replacement stopped by SIGTERM", true, -1, SIGTERM, 1.0},
      {"a new one stopped by Ctrl+C", false, -1, SIGINT, 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    const std::string db = folder.File("practice.db");
    if (c.older) fs::copy_file(demo_dir_->File("demo.db"), db);
    const FileState before = StateOf(db);
    ProgramOptions o;
    o.file_size_limit = c.limit;
    o.signal = c.signal;
    o.signal_after = c.after;
    std::vector<std::string> args = {VANTRA_PROGRAM, "demo-db", "--db", "sqlite:" + db, "--today", "20261201"};
    if (c.older) args.push_back("--force");
    if (c.signal != 0) args.insert(args.end(), {"--size", "large"});
    const ProgramRun run = RunProgram(args, o);
    if (c.signal != 0) {
      // The large practice takes about a minute: the signal ends it at once.
      EXPECT_EQ(run.signal, c.signal) << run.status << " " << run.err;
      EXPECT_LT(run.after_signal, 2.0);
      EXPECT_NE(run.err.find("rien n'est écrit"), std::string::npos) << run.err;
    } else {
      EXPECT_EQ(run.status, 1) << run.err;
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder.path())) left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, c.older ? std::vector<std::string>{"practice.db"} : std::vector<std::string>{});
    if (c.older) {
      EXPECT_TRUE(StateOf(db) == before) << "the older database changed";
    }
  }
}

TEST_F(BadDayTest, ReportsLeaveTheFileTheyReadAsItWas) {
  const std::string db = CopyDemo();
  Exec(db, "PRAGMA journal_mode=DELETE");  // a database of another writer's choosing
  const std::string empty = dir_.File("empty.db");
  WriteRaw(empty, "");
  const std::vector<std::vector<std::string>> reports = {
      kAuditMonth,
      {"productivity", "--from", "20261101", "--to", "20261130", "ListBy=P", "AllProducers=Y"},
      {"stats", "--from", "20261101", "--to", "20261130"},
      {"goals", "Year=2026"},
      {"goals-edit", "list", "--year", "2026"},
  };
  const FileState before = StateOf(db);
  for (const auto& args : reports) {
    SCOPED_TRACE(args[0]);
    const ProgramRun run = Vantra(db, args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(StateOf(db) == before) << "the file changed";
    EXPECT_FALSE(fs::exists(db + "-wal")) << "switched to WAL";
    const ProgramRun on_empty = Vantra(empty, args);
    EXPECT_EQ(on_empty.status, 1) << on_empty.err;
    EXPECT_EQ(on_empty.out, "");
    EXPECT_EQ(fs::file_size(empty), 0u) << "an empty file became a database";
  }
}

TEST_F(BadDayTest, AWriterWaitsOnceForAnotherProgramsLockAndSaysWhatItDoes) {
  // Another program writes for 1 s: the goal editor waits and saves.
  {
    const std::string db = CopyDemo("writer.db");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE GOALS SET GOAL_JAN = GOAL_JAN", nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::thread release([other] {
      std::this_thread::sleep_for(std::chrono::milliseconds(1000));
      sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    const ProgramRun run = Vantra(db, {"goals-edit", "add", "D02", "2031", "1500"});
    release.join();
    sqlite3_close(other);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GT(run.seconds, 0.5) << "it did not wait";
  }
  // Another program reads a rollback-journal database for longer than the
  // wait: one wait, and a message that says the other program reads.
  {
    const std::string db = CopyDemo("reader.db");
    Exec(db, "PRAGMA journal_mode=DELETE");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &other), SQLITE_OK);
    sqlite3_stmt* reading = nullptr;
    ASSERT_EQ(sqlite3_exec(other, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(other, "SELECT * FROM GOALS", -1, &reading, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(reading), SQLITE_ROW);
    const ProgramRun run = Vantra(db, {"goals-edit", "add", "D02", "2031", "1500"});
    sqlite3_finalize(reading);
    sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("lue par un autre programme"), std::string::npos) << run.err;
    EXPECT_LT(run.seconds, 8.0) << "it waited more than once";
  }
}

// Careless arguments get the same answer from every command.
TEST_F(BadDayTest, EveryCommandAnswersTheSameWay) {
  const std::string db = CopyDemo();
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* says;  // the start of standard error, or null
  };
  const Case cases[] = {
      {"unknown producer, productivity", {"productivity", "ListBy=P", "AllProducers=N", "Producers=ZZZ"}, 2,
       "vantra productivity : producteur inconnu : ZZZ\n"},
      {"unknown producer, statistics", {"stats", "AllProducers=N", "Producers=D01,ZZZ"}, 2,
       "vantra stats : producteur inconnu : ZZZ\n"},
      {"unknown producer, goals", {"goals", "Year=2026", "AllProducers=N", "Producers=ZZZ"}, 2,
       "vantra goals : producteur inconnu : ZZZ\n"},
      {"pdf without --out, audit", {"audit", "AllModules=Y", "--format", "pdf"}, 2,
       "vantra audit : le format pdf demande --out FICHIER\n"},
      {"pdf without --out, goals", {"goals", "Year=2026", "--format", "pdf"}, 2,
       "vantra goals : le format pdf demande --out FICHIER\n"},
      {"goals' own messages", {"goals", "Year=1999"}, 1, "vantra goals : "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramRun run = Vantra(db, c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err.rfind(c.says, 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
  }
  // Without --db, the database of the INI file, as the suite reads it.
  WriteRaw(Ini(), "[SUITE]\nDatabase=sqlite:" + db + "\n");
  ProgramOptions no_demo;
  no_demo.env = {"VANTRA_DATA=" + dir_.File("no-demo-here")};
  ProgramRun run = RunProgram({VANTRA_PROGRAM, "goals", "Year=2026", "--today", "20261201", "--ini", Ini()}, no_demo);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(run.out.empty());
  // A file that is not there is said in French.
  run = Vantra(dir_.File("absent.db"), {"goals", "Year=2026"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("le fichier n'existe pas"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_.File("absent.db")));
}

// A chart's values as tsv in every command that draws one, chosen by code
// or by the window's words, and the four statistics lists in one workbook.
TEST_F(BadDayTest, ChartValuesAndWorkbooksInEveryCommand) {
  const std::string db = CopyDemo();
  const std::vector<std::vector<std::string>> charts = {
      {"goals", "Year=2026", "--chart", "10104,10079"},
      {"productivity", "ListBy=P", "AllProducers=Y", "--from", "20261101", "--to", "20261130", "--chart",
       "Disponible,S"},
      {"stats", "--list", "patients", "--from", "20261101", "--to", "20261130", "--chart", "10326"},
      {"audit", "AllModules=Y", "--from", "20261101", "--to", "20261130", "--chart", "1,4"},
  };
  for (std::vector<std::string> args : charts) {
    SCOPED_TRACE(args[0]);
    args.insert(args.end(), {"--format", "tsv"});
    const ProgramRun run = Vantra(db, args);
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_FALSE(run.out.empty());
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 2) << line;  // series, category, value
    }
    const std::string file = dir_.File(args[0] + ".tsv");
    args.insert(args.end(), {"--out", file});
    EXPECT_EQ(Vantra(db, args).status, 0);
    EXPECT_EQ(ReadAll(file), run.out) << "not the values (a PNG?)";
  }
  // The window's words pick what the codes pick.
  const std::vector<std::pair<std::vector<std::string>, std::string>> words = {
      {{"goals", "Year=2026", "--chart"}, "10104,10079|pourcentage,producteur"},
      {{"audit", "AllModules=Y", "--from", "20261101", "--to", "20261130", "--chart"}, "4,1|ACTION,usager"},
      {{"stats", "--list", "patients", "--from", "20261101", "--to", "20261130", "--chart"}, "10326|nouv"},
      {{"productivity", "ListBy=P", "AllProducers=Y", "--from", "20261101", "--to", "20261130", "--chart"},
       "Disponible,S|disp,producteurs"},
  };
  for (const auto& [args, pair] : words) {
    SCOPED_TRACE(pair);
    std::vector<std::string> by_code = args, by_words = args;
    by_code.insert(by_code.end(), {pair.substr(0, pair.find('|')), "--format", "tsv"});
    by_words.insert(by_words.end(), {pair.substr(pair.find('|') + 1), "--format", "tsv"});
    const ProgramRun code = Vantra(db, by_code), word = Vantra(db, by_words);
    EXPECT_EQ(word.status, 0) << word.err;
    EXPECT_FALSE(code.out.empty());
    EXPECT_EQ(word.out, code.out);
  }
  const ProgramRun all = Vantra(db, {"stats", "--from", "20261101", "--to", "20261130", "--format", "xlsx", "--out",
                                     dir_.File("stats.xlsx")});
  EXPECT_EQ(all.status, 0) << all.err;
  const std::string zip = ReadAll(dir_.File("stats.xlsx"));
  EXPECT_EQ(zip.substr(0, 2), "PK");
  EXPECT_NE(zip.find("xl/worksheets/sheet4.xml"), std::string::npos) << "a sheet per list";
  EXPECT_EQ(zip.find("xl/worksheets/sheet5.xml"), std::string::npos);
}

TEST_F(BadDayTest, AFileCutShortUnderAReaderEndsTheReadWithAnError) {
  const std::string path = CopyDemo();
  std::string error;
  std::unique_ptr<GenDB> db = OpenGenDB("sqlite:" + path, "", DbAccess::kRead, &error);
  ASSERT_NE(db, nullptr) << error;
  ASSERT_EQ(db->dbExecute("SELECT * FROM AUDITFIL ORDER BY AUD_ID", 1), 0) << db->LastError();
  ASSERT_EQ(db->dbFetch(0, 1), 0);
  ASSERT_EQ(truncate(path.c_str(), 4096), 0);
  long rows = 1;
  while (db->dbFetch(1, 1) == 0) ++rows;
  EXPECT_LT(rows, 56000) << "the rows after the cut cannot be read";
  EXPECT_FALSE(db->LastError().empty());
  db->dbClose(1);
}

}  // namespace
