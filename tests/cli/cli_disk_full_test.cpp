// Every output of the vantra program under a real write fault: the program
// runs in a child process with a file-size limit (RLIMIT_FSIZE) below the
// size of its output, so its writes fail with EFBIG part way through, as
// on a full disk. Whatever the format, the program must exit non-zero with
// one line naming the file and the reason, leave nothing under the final
// name (an older file there stays byte for byte), and leave no temporary
// file in the folder.
//
// The practice is the small demo practice. The fixture keeps a connection
// to it open: its WAL index (the 32 KiB "-shm" file) then exists already,
// so the children only read the database and the limit can be set below
// the index's size for the small outputs (goals, statistics).
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_db.h"
#include "tests/support/write_limits.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;  // exit status, or 128 + signal when killed
  std::string err;  // standard error
};

// Runs the vantra program with args; its file size limited to limit bytes
// (0: no limit) and its standard output sent to out_path ("" = /dev/null).
RunResult RunVantra(const std::vector<std::string>& args, rlim_t limit, const std::string& out_path = "") {
  int pipe_fd[2];
  if (::pipe(pipe_fd) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (limit > 0) {
      struct rlimit rl = {limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &rl);
    }
    // The program must ignore SIGXFSZ itself.
    std::signal(SIGXFSZ, SIG_DFL);
    const int out = ::open(out_path.empty() ? "/dev/null" : out_path.c_str(), O_WRONLY);
    ::dup2(out, 1);
    ::dup2(pipe_fd[1], 2);
    ::close(pipe_fd[0]);
    std::vector<char*> argv;
    std::string program = VANTRA_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    _exit(127);
  }
  ::close(pipe_fd[1]);
  RunResult result;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe_fd[0], buffer, sizeof buffer)) > 0;) result.err.append(buffer, n);
  ::close(pipe_fd[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

class PracticeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    db_path_ = dir_->File("practice.sqlite");
    const RunResult made = RunVantra(
        {"demo-db", "--db", "sqlite:" + db_path_, "--size", "small", "--today", "20260115"}, 0);
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_EQ(sqlite3_open_v2(db_path_.c_str(), &held_, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(held_, "SELECT COUNT(0) FROM sqlite_master", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  static void TearDownTestSuite() {
    sqlite3_close(held_);
    delete dir_;
  }
  static std::string Db() { return "sqlite:" + db_path_; }

  static TempDir* dir_;
  static std::string db_path_;
  static sqlite3* held_;
};
TempDir* PracticeTest::dir_ = nullptr;
std::string PracticeTest::db_path_;
sqlite3* PracticeTest::held_ = nullptr;

struct OutputCase {
  const char* name;
  std::vector<std::string> args;  // before --db and --out
  const char* file;               // the --out file's name
  rlim_t limit;                   // bytes, below the output's size
};

std::vector<std::string> Audit(std::vector<std::string> more) {
  std::vector<std::string> a = {"audit", "--today", "20260115", "--from", "20251201", "--to", "20260115",
                                "AllModules=Y", "AllUsers=Y"};
  a.insert(a.end(), more.begin(), more.end());
  return a;
}
std::vector<std::string> Goals(std::vector<std::string> more) {
  std::vector<std::string> a = {"goals", "--today", "20260115", "Year=2025"};
  a.insert(a.end(), more.begin(), more.end());
  return a;
}
std::vector<std::string> Stats(std::vector<std::string> more) {
  std::vector<std::string> a = {"stats", "--today", "20260115", "--from", "20251201", "--to", "20260115"};
  a.insert(a.end(), more.begin(), more.end());
  return a;
}

constexpr rlim_t kKiB = 1024;

const OutputCase kOutputs[] = {
    {"audit_text", Audit({"--format", "text"}), "audit.txt", 64 * kKiB},
    {"audit_tsv_streamed", Audit({"--format", "tsv"}), "audit.tsv", 64 * kKiB},
    {"audit_csv", Audit({"--format", "csv"}), "audit.csv", 64 * kKiB},
    {"audit_xlsx", Audit({"--format", "xlsx"}), "audit.xlsx", 64 * kKiB},
    {"audit_pdf", Audit({"--format", "pdf"}), "audit.pdf", 64 * kKiB},
    {"audit_summary_csv", Audit({"--summary", "SumBy=1100", "--format", "csv"}), "summary.csv", 1 * kKiB},
    {"audit_chart_png", Audit({"--chart", "4,1"}), "chart.png", 16 * kKiB},
    {"audit_chart_tsv", Audit({"--chart", "4,1", "--format", "tsv"}), "chart.tsv", 2 * kKiB},
    {"goals_text", Goals({}), "goals.txt", 1 * kKiB},
    {"goals_kind_tsv", Goals({"--format", "tsv", "--item-data"}), "goals.tsv", 1 * kKiB},
    {"goals_chart_png", Goals({"--chart", "10104,10079"}), "goals.png", 8 * kKiB},
    {"stats_all_text", Stats({}), "stats.txt", 2 * kKiB},
    {"stats_all_pdf", Stats({"--format", "pdf"}), "stats.pdf", 8 * kKiB},
    {"stats_patients_xlsx", Stats({"--list", "patients", "--format", "xlsx"}), "patients.xlsx", 4 * kKiB},
};

class OutputFaultTest : public PracticeTest, public ::testing::WithParamInterface<OutputCase> {};

std::vector<std::string> WithOut(const OutputCase& c, const std::string& db, const std::string& out) {
  std::vector<std::string> args = c.args;
  args.insert(args.end(), {"--db", db, "--out", out});
  return args;
}

// Without the limit the output is written, and is bigger than the limit:
// the fault below really happens.
TEST_P(OutputFaultTest, ControlRunWritesMoreThanTheLimit) {
  const OutputCase& c = GetParam();
  TempDir out;
  const std::string path = out.File(c.file);
  const RunResult run = RunVantra(WithOut(c, Db(), path), 0);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(FolderEntries(out.path()), std::vector<std::string>{c.file});
  EXPECT_GT(fs::file_size(path), c.limit);
}

TEST_P(OutputFaultTest, NoFileUnderItsNameWhenTheWriteFails) {
  const OutputCase& c = GetParam();
  TempDir out;
  const std::string path = out.File(c.file);
  const RunResult run = RunVantra(WithOut(c, Db(), path), c.limit);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Lines(run.err), 1u) << run.err;
  EXPECT_NE(run.err.find("impossible d'écrire " + path + " : Fichier trop volumineux"), std::string::npos)
      << run.err;
  EXPECT_EQ(FolderEntries(out.path()), std::vector<std::string>{}) << "no file, no temporary file";
}

TEST_P(OutputFaultTest, OlderFileStaysAsItWas) {
  const OutputCase& c = GetParam();
  TempDir out;
  const std::string path = out.File(c.file);
  const std::string older = "older export, kept\n";
  std::ofstream(path, std::ios::binary) << older;
  const RunResult run = RunVantra(WithOut(c, Db(), path), c.limit);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Lines(run.err), 1u) << run.err;
  EXPECT_EQ(ReadAll(path), older);
  EXPECT_EQ(FolderEntries(out.path()), std::vector<std::string>{c.file}) << "no temporary file";
}

INSTANTIATE_TEST_SUITE_P(Formats, OutputFaultTest, ::testing::ValuesIn(kOutputs),
                         [](const ::testing::TestParamInfo<OutputCase>& info) { return info.param.name; });

// Places the program cannot write to, refused before anything is written.
struct PlaceCase {
  const char* name;
  std::vector<std::string> args;
};

class OutputPlaceTest : public PracticeTest, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(OutputPlaceTest, MissingFolderAndFolderPath) {
  const PlaceCase& c = GetParam();
  TempDir out;
  fs::create_directory(out.File("a_folder"));
  struct Place {
    std::string out;
    std::string message;
  };
  const Place places[] = {
      {out.File("missing/x"), "impossible d'écrire " + out.File("missing/x") + " : le dossier " +
                                  out.File("missing") + " n'existe pas"},
      {out.File("a_folder"), "impossible d'écrire " + out.File("a_folder") + " : c'est un dossier"},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.out);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--db", Db(), "--out", p.out});
    const RunResult run = RunVantra(args, 0);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(Lines(run.err), 1u) << run.err;
    EXPECT_NE(run.err.find(p.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(FolderEntries(out.path()), std::vector<std::string>{"a_folder"});
  EXPECT_TRUE(fs::is_empty(out.File("a_folder")));
}

const PlaceCase kPlaces[] = {
    {"csv", Audit({"--format", "csv"})},
    {"tsv_streamed", Audit({"--format", "tsv"})},
    {"xlsx", Audit({"--format", "xlsx"})},
    {"pdf", Audit({"--format", "pdf"})},
    {"png", Audit({"--chart", "4,1"})},
    {"stats_text", Stats({})},
};
INSTANTIATE_TEST_SUITE_P(Formats, OutputPlaceTest, ::testing::ValuesIn(kPlaces),
                         [](const ::testing::TestParamInfo<PlaceCase>& info) { return info.param.name; });

// Without --out the output goes to standard output, written directly; a
// write error there is reported too (here a full device).
TEST_F(PracticeTest, StandardOutputWriteErrorIsReported) {
  for (const char* format : {"text", "csv", "tsv"}) {
    SCOPED_TRACE(format);
    std::vector<std::string> args = Audit({"--format", format, "--db", Db()});
    const RunResult full = RunVantra(args, 0, "/dev/full");
    EXPECT_EQ(full.status, 1) << full.err;
    EXPECT_EQ(Lines(full.err), 1u) << full.err;
    EXPECT_NE(full.err.find("impossible d'écrire sur la sortie standard : Aucun espace disponible sur le "
                            "périphérique"),
              std::string::npos)
        << full.err;
    const RunResult fine = RunVantra(args, 0, "/dev/null");
    EXPECT_EQ(fine.status, 0) << fine.err;
  }
}

// The commands that print without a report writer (rows of `sql`, the
// goals list, the help) report a lost standard output the same way,
// whether the loss shows during the run (many rows) or at the last flush.
TEST_F(PracticeTest, PrintedOutputWriteErrorIsReported) {
  struct Printed {
    const char* name;
    std::vector<std::string> args;
  };
  const Printed cases[] = {
      {"sql_many_rows", {"sql", "--db", Db(), "SELECT * FROM AUDITFIL"}},
      {"sql_one_row", {"sql", "--db", Db(), "SELECT COUNT(0) FROM AUDITFIL"}},
      {"goals_list", {"goals-edit", "--db", Db(), "list"}},
      {"help", {"audit", "--help"}},
  };
  for (const Printed& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult full = RunVantra(c.args, 0, "/dev/full");
    EXPECT_EQ(full.status, 1) << full.err;
    EXPECT_EQ(Lines(full.err), 1u) << full.err;
    const std::string expected =
        "vantra " + c.args[0] + " : impossible d'écrire sur la sortie standard : Aucun espace disponible";
    EXPECT_EQ(full.err.rfind(expected, 0), 0u) << full.err;
    const RunResult fine = RunVantra(c.args, 0, "/dev/null");
    EXPECT_EQ(fine.status, 0) << fine.err;
  }
  // A command that failed keeps its own message and status.
  const RunResult bad = RunVantra({"sql", "--db", Db(), "SELECT * FROM NO_SUCH_TABLE"}, 0, "/dev/full");
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(Lines(bad.err), 1u) << bad.err;
  EXPECT_EQ(bad.err.find("sortie standard"), std::string::npos) << bad.err;
}

}  // namespace
