// The INI writer under faults and odd input: a writer killed at random
// points, names that could not be read back, files the reader and the
// writer must see alike (broken headers, repeated sections, mixed line
// endings). Cases found by tests/fuzz/fuzz_ini.cpp are kept here by name.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "host/ini.h"
#include "tests/support/test_db.h"

namespace {

int Temporaries(const std::string& folder) {
  int n = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    n += e.path().filename().string().rfind(".tolvane.ini.", 0) == 0 ? 1 : 0;
  }
  return n;
}

// The file before and after one change of [PRAC_NOTES] Text: big enough
// (about 200 KB) that a write takes a while and a kill lands inside it.
struct TwoContents {
  std::string a_value, b_value, a, b;
};

TwoContents MakeContents() {
  TwoContents t;
  std::string head;
  for (int i = 0; i < 2000; ++i) head += "Key" + std::to_string(i) + "=valeur " + std::to_string(i * 7) + "\n";
  t.a_value = std::string(100000, 'a');
  t.b_value = std::string(100000, 'b');
  t.a = "[PRAC_MANY]\n" + head + "\n[PRAC_NOTES]\nText=" + t.a_value + "\n";
  t.b = "[PRAC_MANY]\n" + head + "\n[PRAC_NOTES]\nText=" + t.b_value + "\n";
  return t;
}

// Forks a writer that flips the file between a and b for ever (b first),
// waits until it has finished 0 to 3 writes (chosen at random; the writer
// says so through a pipe after each one), SIGKILLs it after a further random
// delay of up to max_delay_us, and reaps it. Counting the writes done, not
// only the time, lands kills on both contents however fast the writer runs
// (a loaded or sanitized run writes several times slower than the parent
// measured). write: what the child calls for one change (true: value b). ""
// when the writer ran and was killed.
template <typename Write>
std::string KillWriterOnce(std::mt19937* rng, useconds_t max_delay_us, Write write) {
  int done[2];
  if (pipe(done) != 0) return "pipe";
  const pid_t pid = fork();
  if (pid == 0) {
    close(done[0]);
    for (bool to_b = true;; to_b = !to_b) {
      write(to_b);
      if (::write(done[1], "w", 1) != 1) _exit(2);
    }
  }
  close(done[1]);
  const int writes = std::uniform_int_distribution<int>(0, 3)(*rng);
  char c;
  bool ok = true;
  for (int i = 0; i < writes && ok; ++i) ok = read(done[0], &c, 1) == 1;
  usleep(std::uniform_int_distribution<useconds_t>(0, max_delay_us)(*rng));
  kill(pid, SIGKILL);
  close(done[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  // A writer that stopped by itself (a failed write) proves nothing.
  if (WIFEXITED(status)) return "the writer exited with status " + std::to_string(WEXITSTATUS(status));
  return ok ? "" : "the writer did not report its writes";
}

TEST(IniFaultsTest, WriterKilledAtRandomPointsLeavesOldOrNewFile) {
  TempDir dir;
  const std::string path = dir.File("tolvane.ini");
  const TwoContents c = MakeContents();
  WriteRaw(path, c.a);
  // Kills land within about one write after the writes counted: the time of
  // one (mostly its fsync calls), measured here.
  const auto start = std::chrono::steady_clock::now();
  {
    WDIniObj ini(path);
    ASSERT_TRUE(ini.write_secini("PRAC_NOTES", "Text", c.a_value.c_str()));
  }
  ASSERT_TRUE(ReadAll(path) == c.a);
  const auto one_write =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();
  const useconds_t max_delay = static_cast<useconds_t>(std::clamp<long>(one_write, 1000, 100000));
  std::mt19937 rng(20261205);
  int old_seen = 0, new_seen = 0;
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE("kill " + std::to_string(i));
    const std::string problem = KillWriterOnce(&rng, max_delay, [&](bool to_b) {
      WDIniObj ini(path);
      if (!ini.write_secini("PRAC_NOTES", "Text", to_b ? c.b_value.c_str() : c.a_value.c_str())) _exit(3);
    });
    ASSERT_EQ(problem, "");
    const std::string now = ReadAll(path);
    ASSERT_TRUE(now == c.a || now == c.b) << "torn file of " << now.size() << " bytes";
    (now == c.a ? old_seen : new_seen)++;
  }
  // Both contents were caught (the kills did land at different points).
  EXPECT_GT(old_seen, 0);
  EXPECT_GT(new_seen, 0);
  RecordProperty("one_write_us", static_cast<int>(one_write));
  RecordProperty("old_seen", old_seen);

  // Kills between mkstemp and rename leave temporaries; a write removes those
  // older than ten minutes and keeps the younger ones.
  const int left = Temporaries(dir.path());
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    if (e.path().filename().string().rfind(".tolvane.ini.", 0) == 0) {
      std::filesystem::last_write_time(e.path(), std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
  }
  WDIniObj ini(path);
  ASSERT_TRUE(ini.write_secini("PRAC_NOTES", "After", "1")) << ini.LastError();
  EXPECT_EQ(Temporaries(dir.path()), 0) << left << " temporaries before";
  EXPECT_EQ(ini.read_secini("PRAC_NOTES", "Text", "?").size(), c.a_value.size());
}

// The same kill loop over a writer that truncates and rewrites in place: it
// must be caught leaving a torn or empty file, or the loop above proves
// nothing.
TEST(IniFaultsTest, KillLoopCatchesAWriterThatIsNotAtomic) {
  TempDir dir;
  const std::string path = dir.File("tolvane.ini");
  const TwoContents c = MakeContents();
  WriteRaw(path, c.a);
  std::mt19937 rng(7);
  int torn = 0;
  for (int i = 0; i < 100 && torn == 0; ++i) {
    ASSERT_EQ(KillWriterOnce(&rng, 3000, [&](bool to_b) { WriteRaw(path, to_b ? c.b : c.a); }), "");
    const std::string now = ReadAll(path);
    torn += now != c.a && now != c.b ? 1 : 0;
  }
  EXPECT_GT(torn, 0);
}

TEST(IniFaultsTest, NamesThatCouldNotBeReadBackAreRefused) {
  struct Case {
    const char* name;
    const char* section;
    const char* key;
    bool ok;
  };
  const Case cases[] = {
      {"plain", "PRAC_APPT", "ListBy", true},
      {"blanks around are trimmed", "  PRAC_APPT ", " ListBy\t", true},
      {"section with ]", "PRAC]X", "k", false},
      {"section with a line break", "PRAC\nX", "k", false},
      {"blank section", "   ", "k", false},
      {"null section", nullptr, "k", false},
      {"key with =", "S", "a=b", false},
      {"key with a line break", "S", "a\r\nb", false},
      {"key starting with [", "S", "[k", false},
      {"key starting with ;", "S", ";k", false},
      {"key starting with #", "S", "#k", false},
      {"blank key", "S", " \t", false},
      {"null key removes the section", "S", nullptr, true},
      {"] inside a key is fine", "S", "a]b", true},
      {"accents", "PRAC_É", "Clé", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.File("tolvane.ini");
    WriteRaw(path, "[S]\nk=1\n");
    WDIniObj ini(path);
    EXPECT_EQ(ini.write_secini(c.section, c.key, "v"), c.ok) << ini.LastError();
    if (!c.ok) {
      EXPECT_FALSE(ini.LastError().empty());
      EXPECT_EQ(ReadAll(path), "[S]\nk=1\n");
    } else if (c.key != nullptr) {
      EXPECT_EQ(ini.read_secini(c.section, c.key, "?"), "v");
    }
  }
}

// Each case: the file, one change, the file after it.
TEST(IniFaultsTest, EditsSeeTheFileAsTheReaderDoes) {
  struct Case {
    const char* name;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  };
  const Case cases[] = {
      {"a key under a broken header is not the section's", "[S]\na=1\n[broken\nk=old\n", "S", "k", "new",
       "[S]\na=1\nk=new\n[broken\nk=old\n"},
      {"removing a key removes it from every block", "[S]\nk=1\n[T]\nx=2\n[s]\nk=3\n", "S", "k", nullptr,
       "[S]\n[T]\nx=2\n[s]\n"},
      {"removing a section removes every block", "[S]\nk=1\n[T]\nx=2\n[S]\nj=3\n", "S", nullptr, nullptr,
       "[T]\nx=2\n"},
      {"each line keeps its own ending", "[S]\nT]\r\r\nk=1\r\n", "S", "k", "2", "[S]\nT]\r\r\nk=2\r\n"},
      {"a new key takes the first line's ending", "[S]\r\na=1\n", "S", "k", "v", "[S]\r\na=1\nk=v\r\n"},
      {"a key spelt with blanks matches", "[S]\nKey = 1\n", "S", " key ", "2", "[S]\nKey=2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.File("tolvane.ini");
    WriteRaw(path, c.before);
    WDIniObj ini(path);
    ASSERT_TRUE(ini.write_secini(c.section, c.key, c.value)) << ini.LastError();
    EXPECT_EQ(ReadAll(path), c.after);
    EXPECT_EQ(IniEditText(c.before, c.section, c.key, c.value), c.after);
    if (c.key != nullptr && c.value != nullptr) {
      EXPECT_EQ(ini.read_secini(c.section, c.key, "?"), c.value);
    }
    if (c.key != nullptr && c.value == nullptr) {
      EXPECT_EQ(ini.read_secini(c.section, c.key, "?"), "?");
    }
  }
}

}  // namespace
