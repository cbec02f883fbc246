// AtomicFile: the final name gets the whole file or keeps what it had.
// Write faults are real: a file-size limit (RLIMIT_FSIZE, lowered for the
// length of a case and raised back; SIGXFSZ ignored as the programs do) or
// a full device (/dev/full).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
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
