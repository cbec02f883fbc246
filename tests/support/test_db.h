// Test fixtures shared by every test program.
//
// TempDir: a fresh folder under $TMPDIR, removed with its content; ReadAll
// and WriteRaw read and write a whole file.
//
// Database cases run on every engine available: SQLite always (a temporary
// file), PostgreSQL when VANTRA_TEST_PG_URL names a server (scripts/test.sh
// starts a throwaway one on 127.0.0.1). Each PostgreSQL case gets a schema of
// its own, dropped afterwards, so cases never see each other's tables:
//
//   class MyTest : public DbTest {};
//   TEST_P(MyTest, Something) { GenDB* db = Db(); ... }
//   INSTANTIATE_DB_TEST(MyTest);
//
// Without VANTRA_TEST_PG_URL the PostgreSQL instance is skipped, with a
// message saying so (CI always sets it).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/gendb.h"

// The whole content of the file at path, as bytes ("" when it cannot be read).
std::string ReadAll(const std::string& path);
// Makes content the whole of the file at path.
void WriteRaw(const std::string& path, const std::string& content);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Engine names used as test parameters: "sqlite", "postgres".
class DbTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The connection for this case (prefix "" on SQLite; on PostgreSQL the
  // case's own schema is first on the search path, prefix "").
  GenDB* Db() { return db_.get(); }
  // Opens a second connection to the same database (for concurrency cases).
  std::unique_ptr<GenDB> OpenAgain(const std::string& prefix = std::string());
  // Runs a statement that must succeed (fails the test otherwise).
  void Exec(const std::string& sql);
  std::string Url() const { return url_; }

 private:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<GenDB> db_;
  std::string url_;
  std::string schema_;
};

#define INSTANTIATE_DB_TEST(Suite)                                                     \
  INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values("sqlite", "postgres"), \
                           [](const auto& info) { return info.param; })
