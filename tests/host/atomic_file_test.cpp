// AtomicFile: the final name gets the whole file or keeps what it had.
// Write faults are real: a file-size limit (RLIMIT_FSIZE, lowered for the
// length of a case and raised back; SIGXFSZ ignored as the programs do) or
// a full device (/dev/full).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/atomic_file.h"
#include "host/ini.h"
#include "tests/support/test_db.h"
#include "tests/support/write_limits.h"

namespace {

namespace fs = std::filesystem;

const std::string kOlder = "older content\n";

// How a writer goes through the file, and how the case ends.
struct WriteCase {
  const char* name;
  size_t bytes;        // written through File() (or the path)
  bool by_path;        // OpenForPath: the writer writes WritePath() itself
  bool commit;         // false: destroyed without Commit
  rlim_t limit;        // 0: none
  bool ok;             // Commit's result
  const char* reason;  // Reason() when it fails
};

const WriteCase kWrites[] = {
    {"stream_commit", 100000, false, true, 0, true, ""},
    {"path_commit", 100000, true, true, 0, true, ""},
    {"stream_abandoned", 100000, false, false, 0, false, ""},
    {"path_abandoned", 100000, true, false, 0, false, ""},
    // Bigger than the stream's buffer: fwrite itself fails part way.
    {"stream_write_fails", 200000, false, true, 64 * 1024, false, "Fichier trop volumineux"},
    // Held in the stream's buffer until Commit: only the flush before fclose fails.
    {"buffered_data_fails_at_commit", 3000, false, true, 1024, false, "Fichier trop volumineux"},
};

class AtomicFileWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(AtomicFileWriteTest, FinalNameGetsAllOrKeepsItsContent) {
  const WriteCase& c = GetParam();
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "older file present" : "no file");
    TempDir dir;
    const std::string path = dir.File("export.csv");
    if (existing) WriteRaw(path, kOlder);
    const std::string data(c.bytes, 'x');
    bool committed = false;
    std::string error;
    {
      AtomicFile out;
      ASSERT_TRUE(c.by_path ? out.OpenForPath(path, &error) : out.Open(path, &error)) << error;
      EXPECT_NE(out.WritePath(), path);
      EXPECT_EQ(fs::path(out.WritePath()).parent_path(), fs::path(path).parent_path()) << "same folder";
      ScopedSizeLimit limit(c.limit ? c.limit : RLIM_INFINITY);
      if (c.by_path) {
        WriteRaw(out.WritePath(), data);
      } else {
        std::fwrite(data.data(), 1, data.size(), out.File());
      }
      if (c.commit) {
        committed = out.Commit(&error);
        if (!committed) {
          EXPECT_EQ(out.Reason(), c.reason);
        }
      }
    }
    EXPECT_EQ(committed, c.ok) << error;
    if (committed) {
      EXPECT_EQ(ReadAll(path), data);
      EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"export.csv"});
    } else if (existing) {
      EXPECT_EQ(ReadAll(path), kOlder);
      EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"export.csv"}) << "no temporary file";
    } else {
      EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{}) << "no file, no temporary file";
    }
    if (!committed && c.commit) {
      EXPECT_EQ(error, "impossible d'écrire " + path + " : " + c.reason);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, AtomicFileWriteTest, ::testing::ValuesIn(kWrites),
                         [](const ::testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

TEST(AtomicFileTest, PlacesThatCannotBeWrittenAreRefusedAtOpen) {
  TempDir dir;
  fs::create_directory(dir.File("folder"));
  struct Case {
    const char* name;
    std::string path;
    std::string error;
  };
  const Case cases[] = {
      {"folder missing", dir.File("missing/x.csv"),
       "impossible d'écrire " + dir.File("missing/x.csv") + " : le dossier " + dir.File("missing") +
           " n'existe pas"},
      {"path is a folder", dir.File("folder"), "impossible d'écrire " + dir.File("folder") + " : c'est un dossier"},
      {"a file as folder", "/dev/null/x.csv", "impossible d'écrire /dev/null/x.csv : N'est pas un dossier"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool by_path : {false, true}) {
      AtomicFile out;
      std::string error;
      EXPECT_FALSE(by_path ? out.OpenForPath(c.path, &error) : out.Open(c.path, &error));
      EXPECT_EQ(error, c.error);
    }
  }
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"folder"});
  EXPECT_TRUE(fs::is_empty(dir.File("folder")));
}

TEST(AtomicFileTest, UnwritableFolderIsRefused) {
  // A folder without write permission; root writes into any such folder,
  // but not into sysfs.
  TempDir dir;
  std::string folder = dir.File("ro");
  fs::create_directory(folder);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  if (geteuid() == 0) folder = "/sys";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no /sys";
  for (const bool by_path : {false, true}) {
    AtomicFile out;
    std::string error;
    EXPECT_FALSE(by_path ? out.OpenForPath(folder + "/x.csv", &error) : out.Open(folder + "/x.csv", &error));
    EXPECT_EQ(error, "impossible d'écrire " + folder + "/x.csv : Permission non accordée");
  }
  fs::permissions(dir.File("ro"), fs::perms::owner_all);
  EXPECT_TRUE(fs::is_empty(dir.File("ro")));
}

// Devices are written into, never replaced; their write errors still count.
TEST(AtomicFileTest, DevicesAreWrittenDirectly) {
  {
    AtomicFile out;
    std::string error;
    ASSERT_TRUE(out.Open("/dev/full", &error)) << error;
    EXPECT_TRUE(out.Direct());
    std::fputs("x", out.File());
    EXPECT_FALSE(out.Commit(&error));
    EXPECT_EQ(error, "impossible d'écrire /dev/full : Aucun espace disponible sur le périphérique");
  }
  AtomicFile out;
  std::string error;
  ASSERT_TRUE(out.Open("/dev/null", &error)) << error;
  std::fputs("x", out.File());
  EXPECT_TRUE(out.Commit(&error)) << error;
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(AtomicFileTest, ModeOfAnOlderFileIsKeptAndLinksStayLinks) {
  TempDir dir;
  const std::string real = dir.File("real.csv");
  WriteRaw(real, kOlder);
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(real, dir.File("link.csv"));
  AtomicFile out;
  std::string error;
  ASSERT_TRUE(out.Open(dir.File("link.csv"), &error)) << error;
  std::fputs("new\n", out.File());
  ASSERT_TRUE(out.Commit(&error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir.File("link.csv")));
  EXPECT_EQ(ReadAll(real), "new\n");
  EXPECT_EQ(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(AtomicFileTest, NewFileGetsTheUmasksMode) {
  TempDir dir;
  const mode_t old = umask(027);
  AtomicFile out;
  std::string error;
  ASSERT_TRUE(out.Open(dir.File("new.csv"), &error)) << error;
  ASSERT_TRUE(out.Commit(&error)) << error;
  umask(old);
  struct stat st {};
  ASSERT_EQ(stat(dir.File("new.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "not mkstemp's 0600";
}

// The INI writer goes through the same helper.
TEST(AtomicFileTest, IniWriteUnderSizeLimitKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("tolvane.ini");
  const std::string older = "[PRAC_NOTES]\nText=old\n";
  WriteRaw(path, older);
  WDIniObj ini(path);
  {
    ScopedSizeLimit limit(4096);
    EXPECT_FALSE(ini.write_secini("PRAC_NOTES", "Text", std::string(10000, 'n').c_str()));
  }
  EXPECT_EQ(ini.LastError(), "Impossible d'écrire le fichier d'options " + path + " : Fichier trop volumineux");
  EXPECT_EQ(ReadAll(path), older);
  EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"tolvane.ini"});
  EXPECT_EQ(ini.read_secini("PRAC_NOTES", "Text", ""), "old");
  // Under the limit the same write goes through.
  EXPECT_TRUE(ini.write_secini("PRAC_NOTES", "Text", "new")) << ini.LastError();
  EXPECT_EQ(ini.read_secini("PRAC_NOTES", "Text", ""), "new");
}

}  // namespace

namespace {

std::string Host() {
  char buffer[256] = {};
  gethostname(buffer, sizeof buffer - 1);
  return buffer;
}

// A process id that no process has now: a child that has ended.
pid_t EndedPid() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return pid;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(AtomicFileTest, ACommitRemovesOnlyTheLeftOversOfEndedWritersOfThisHost) {
  TempDir dir;
  const std::string dead = std::to_string(EndedPid()), alive = std::to_string(getppid());
  struct Case {
    std::string name;
    bool removed;
  };
  const Case cases[] = {
      {".rep.csv.backup", false},
      {".rep.csv.old123", false},
      {".rep.csv.Ab12Cd", false},  // the shape other programs use
      {".rep.csv.Ab12Cd." + dead + "@" + Host() + ".vantra-tmp", true},
      {".rep.csv.Zz99Yy." + alive + "@" + Host() + ".vantra-tmp", false},      // its writer still runs
      {".rep.csv.Ab12Cd." + dead + "@another-host.vantra-tmp", false},       // a workstation sharing the folder
      {".other.csv.Ab12Cd." + dead + "@" + Host() + ".vantra-tmp", false},    // another file's
      {".rep.csv.Ab12Cd.12x@" + Host() + ".vantra-tmp", false},
  };
  for (const Case& c : cases) WriteRaw(dir.File(c.name), "kept\n");
  AtomicFile out;
  std::string error;
  ASSERT_TRUE(out.Open(dir.File("rep.csv"), &error)) << error;
  std::fputs("a;b\n", out.File());
  ASSERT_TRUE(out.Commit(&error)) << error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(fs::exists(dir.File(c.name)), !c.removed);
  }
  EXPECT_EQ(ReadAll(dir.File("rep.csv")), "a;b\n");
}

TEST(AtomicFileTest, CommitNewNeverReplacesAFileAndNamesTheOneItTook) {
  TempDir dir;
  WriteRaw(dir.File("Liste.xlsx"), "older");
  WriteRaw(dir.File("Liste (2).xlsx"), "older 2");
  constexpr int kWriters = 8;
  std::vector<std::unique_ptr<AtomicFile>> writers;
  std::string error;
  for (int i = 0; i < kWriters; ++i) {
    writers.push_back(std::make_unique<AtomicFile>());
    ASSERT_TRUE(writers.back()->Open(dir.File("Liste.xlsx"), &error)) << error;
    std::fprintf(writers.back()->File(), "writer %d", i);
  }
  std::set<std::string> taken;
  for (int i = 0; i < kWriters; ++i) {
    ASSERT_TRUE(writers[i]->CommitNew(&error)) << error;
    EXPECT_EQ(ReadAll(writers[i]->Path()), "writer " + std::to_string(i));
    EXPECT_TRUE(taken.insert(writers[i]->Path()).second);
  }
  EXPECT_EQ(ReadAll(dir.File("Liste.xlsx")), "older");
  EXPECT_EQ(ReadAll(dir.File("Liste (2).xlsx")), "older 2");
  EXPECT_EQ(*taken.begin(), dir.File("Liste (10).xlsx"));  // the names sort as text
  EXPECT_EQ(taken.count(dir.File("Liste (3).xlsx")), 1u);
  EXPECT_EQ(Names(dir.path()).size(), static_cast<size_t>(kWriters + 2));
}

// Standard output gets the whole text at Commit and nothing otherwise; a
// child process, so that its descriptor 1 can be a file of the test's.
TEST(AtomicFileTest, StandardOutputGetsAWholeTextOrNothing) {
  TempDir dir;
  for (bool commit : {true, false}) {
    SCOPED_TRACE(commit);
    const std::string captured = dir.File(commit ? "committed" : "abandoned");
    const pid_t pid = fork();
    if (pid == 0) {
      if (std::freopen(captured.c_str(), "w", stdout) == nullptr) _exit(2);
      AtomicFile out;
      std::string error;
      if (!out.Open("", &error)) _exit(3);
      for (int i = 0; i < 100000; ++i) std::fprintf(out.File(), "line %d\n", i);  // past any buffer
      if (commit && !out.Commit(&error)) _exit(4);
      _exit(0);  // an abandoned run: the object is never committed
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string text = ReadAll(captured);
    if (commit) {
      EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 100000);
    } else {
      EXPECT_EQ(text, "");
    }
  }
}

TEST(AtomicFileTest, ASignalRemovesTheTemporaryFilesAndEndsTheProcess) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    WriteRaw(dir.File("rep.csv"), kOlder);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      close(ready[0]);
      if (std::freopen(dir.File("stderr").c_str(), "w", stderr) == nullptr) _exit(2);
      InstallInterruptCleanup("essai");
      AtomicFile out, database;
      std::string error;
      if (!out.Open(dir.File("rep.csv"), &error) || !database.OpenForPath(dir.File("base.db"), &error)) _exit(3);
      const TemporaryFileGuard companions(database.WritePath(), true);
      WriteRaw(database.WritePath() + "-journal", "journal");
      std::fputs("partial", out.File());
      std::fflush(out.File());
      if (write(ready[1], "x", 1) != 1) _exit(4);
      for (;;) pause();
    }
    close(ready[1]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"rep.csv", "stderr"}));
    EXPECT_EQ(ReadAll(dir.File("rep.csv")), kOlder);
    const std::string said = ReadAll(dir.File("stderr"));
    EXPECT_EQ(said.rfind("essai : ", 0), 0u) << said;
    EXPECT_NE(said.find("rien n'est écrit"), std::string::npos) << said;
  }
}
