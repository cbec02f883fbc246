#include "tests/support/test_db.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

const char* PgUrlFromEnvironment() {
  const char* url = std::getenv("VANTRA_TEST_PG_URL");
  return url != nullptr && *url != '\0' ? url : nullptr;
}

// url with the libpq option that puts schema first on the search path (and
// public after it, for extensions), in the URL's own form.
std::string WithSearchPath(const std::string& url, const std::string& schema) {
  const bool uri = url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0;
  if (uri) {
    return url + (url.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + schema +
           "%2Cpublic";
  }
  return url + " options='-csearch_path=" + schema + ",public'";
}

std::string FreshSchemaName() {
  static std::atomic<int> counter{0};
  return "vt_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + "_" +
         std::to_string(std::rand() % 100000);
}

}  // namespace

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteRaw(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

TempDir::TempDir() {
  std::error_code ec;
  std::string base = std::filesystem::temp_directory_path(ec).string();
  if (ec || base.empty()) base = "/tmp";
  std::string pattern = base + "/vantra-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed under " << base;
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void DbTest::SetUp() {
  std::string error;
  if (GetParam() == "sqlite") {
    dir_ = std::make_unique<TempDir>();
    url_ = "sqlite:" + dir_->File("test.db");
    db_ = OpenGenDB(url_, "", true, &error);
    ASSERT_NE(db_, nullptr) << error;
    return;
  }
  const char* pg = PgUrlFromEnvironment();
  if (pg == nullptr) {
    GTEST_SKIP() << "PostgreSQL non testé : VANTRA_TEST_PG_URL n'est pas défini "
                    "(eval \"$(scripts/pg_test_server.sh start)\" démarre un serveur jetable).";
  }
  std::unique_ptr<GenDB> admin = OpenGenDB(pg, "", false, &error);
  ASSERT_NE(admin, nullptr) << error;
  const std::string schema = FreshSchemaName();
  ASSERT_EQ(admin->dbExec(("CREATE SCHEMA " + schema).c_str()), 0) << admin->LastError();
  schema_ = schema;
  url_ = WithSearchPath(pg, schema_);
  db_ = OpenGenDB(url_, "", false, &error);
  ASSERT_NE(db_, nullptr) << error;
}

void DbTest::TearDown() {
  db_.reset();
  if (!schema_.empty()) {
    std::string error;
    std::unique_ptr<GenDB> admin = OpenGenDB(PgUrlFromEnvironment(), "", false, &error);
    ASSERT_NE(admin, nullptr) << error;
    // A connection a case left behind must not make the clean-up wait forever.
    admin->dbExec("SET lock_timeout = '10s'");
    EXPECT_EQ(admin->dbExec(("DROP SCHEMA " + schema_ + " CASCADE").c_str()), 0) << admin->LastError();
    schema_.clear();
  }
  dir_.reset();
}

std::unique_ptr<GenDB> DbTest::OpenAgain(const std::string& prefix) {
  std::string error;
  std::unique_ptr<GenDB> db = OpenGenDB(url_, prefix, false, &error);
  EXPECT_NE(db, nullptr) << error;
  return db;
}

void DbTest::Exec(const std::string& sql) {
  ASSERT_NE(db_, nullptr);
  ASSERT_EQ(db_->dbExec(sql.c_str()), 0) << sql << "\n" << db_->LastError();
}
