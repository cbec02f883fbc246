// The clinics of a group and the pool that runs an analysis over them, on
// SQLite (one file per clinic) and PostgreSQL (one schema per clinic, in a
// database of the case's own so the listing sees only its clinics).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/clinic_pool.h"
#include "host/gendb.h"
#include "suite/clinics.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

std::string WithDatabase(const std::string& url, const std::string& name) {
  const size_t scheme = url.find("://");
  const size_t slash = url.find('/', scheme + 3);
  const size_t query = url.find('?', slash);
  return url.substr(0, slash + 1) + name + (query == std::string::npos ? "" : url.substr(query));
}

// A group: clinics made on demand, the group's URL, cleaned up afterwards.
class ClinicGroupTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "sqlite") {
      dir_ = std::make_unique<TempDir>();
      WriteRaw(dir_->File("group.db"), "");
      url_ = "sqlite:" + dir_->File("group.db");
      return;
    }
    const char* pg = std::getenv("VANTRA_TEST_PG_URL");
    if (pg == nullptr || *pg == '\0') GTEST_SKIP() << "PostgreSQL non testé : VANTRA_TEST_PG_URL n'est pas défini";
    std::string error;
    server_ = OpenGenDB(pg, "", DbAccess::kWrite, &error);
    ASSERT_NE(server_, nullptr) << error;
    static std::atomic<int> serial{0};
    database_ = "clinic_group_" + std::to_string(getpid()) + "_" + std::to_string(serial++);
    ASSERT_EQ(server_->dbExec(("CREATE DATABASE " + database_).c_str()), 0) << server_->LastError();
    url_ = WithDatabase(pg, database_);
  }

  void TearDown() override {
    if (server_ != nullptr && !database_.empty()) {
      server_->dbExec(("DROP DATABASE " + database_ + " WITH (FORCE)").c_str());
    }
  }

  // A clinic with the practice's tables and `producers` rows in PRODCD;
  // with all_tables false only PRODCD (not a clinic).
  void MakeClinic(const std::string& name, int producers, bool all_tables = true) {
    std::string error;
    std::unique_ptr<GenDB> db;
    if (GetParam() == "sqlite") {
      db = OpenGenDB("sqlite:" + dir_->File(name + ".db"), "", DbAccess::kCreate, &error);
    } else {
      db = OpenGenDB(url_, "", DbAccess::kWrite, &error);
      ASSERT_NE(db, nullptr) << error;
      ASSERT_EQ(db->dbExec(("CREATE SCHEMA " + name).c_str()), 0) << db->LastError();
      ASSERT_TRUE(db->dbSetPrefix(name + ".", &error)) << error;
    }
    ASSERT_NE(db, nullptr) << error;
    if (all_tables) {
      ASSERT_TRUE(CreateSchemaTables(db.get(), &error)) << error;
    } else {
      ASSERT_EQ(db->dbExec(("CREATE TABLE " + std::string(db->dbPrefix()) + "PRODCD (PROD_ID INTEGER)").c_str()), 0);
    }
    for (int i = 0; i < producers; ++i) {
      const std::string sql = "INSERT INTO " + std::string(db->dbPrefix()) +
                              "PRODCD (PROD_ID, PROD_CODE) VALUES (" + std::to_string(i + 1) + ", 'P" +
                              std::to_string(i) + "')";
      ASSERT_EQ(db->dbExec(sql.c_str()), 0) << db->LastError();
    }
  }

  // A writing connection to one clinic (its file, or its schema).
  std::unique_ptr<GenDB> OpenClinicForWriting(const std::string& name, std::string* error) {
    if (GetParam() == "sqlite") return OpenGenDB("sqlite:" + dir_->File(name + ".db"), "", DbAccess::kWrite, error);
    return OpenGenDB(url_, name + ".", DbAccess::kWrite, error);
  }

  std::unique_ptr<GenDB> Open(const std::string& prefix = std::string()) {
    std::string error;
    std::unique_ptr<GenDB> db = OpenGenDB(url_, prefix, DbAccess::kRead, &error);
    EXPECT_NE(db, nullptr) << error;
    return db;
  }

  // PRODCD rows the connection sees under its prefix (-1 on failure).
  static long CountProducers(GenDB* db) {
    const std::string sql = "SELECT COUNT(*) FROM " + std::string(db->dbPrefix()) + "PRODCD";
    long n = -1;
    if (db->dbExecute(sql.c_str(), 30) != 0 || db->dbFetch(0, 30) != 0 || db->dbGetLong(1, &n, 30) != 0) n = -1;
    db->dbClose(30);
    return n;
  }

  std::string url_;

 private:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<GenDB> server_;
  std::string database_;
};

TEST_P(ClinicGroupTest, ListsTheSchemasHoldingAPracticeInNaturalOrder) {
  MakeClinic("c10", 1);
  MakeClinic("c2", 1);
  MakeClinic("c1", 1);
  MakeClinic("notes", 0, false);  // tables of something else
  std::unique_ptr<GenDB> db = Open();
  ASSERT_NE(db, nullptr);
  std::vector<std::string> clinics;
  std::string error;
  ASSERT_TRUE(ListClinics(db.get(), &clinics, &error)) << error;
  EXPECT_EQ(clinics, (std::vector<std::string>{"c1.", "c2.", "c10."}));
  EXPECT_EQ(MissingClinic(db.get(), {"c1.", "c10."}), "");
  EXPECT_EQ(MissingClinic(db.get(), {"c1.", "notes."}),
            "cabinet introuvable : notes (aucune table du cabinet sous ce préfixe)");
  EXPECT_EQ(MissingClinic(db.get(), {"c9."}), "cabinet introuvable : c9 (aucune table du cabinet sous ce préfixe)");
}

// Twelve clinics on one connection: each read sees its own clinic's rows
// (on SQLite the connection attaches each clinic's file in turn, beyond
// the ten SQLite attaches at most).
TEST_P(ClinicGroupTest, EachClinicReadsItsOwnRowsOverFewerConnections) {
  std::vector<std::string> prefixes;
  for (int i = 0; i < 12; ++i) {
    MakeClinic("k" + std::to_string(i), i);
    prefixes.push_back("k" + std::to_string(i) + ".");
  }
  for (int jobs : {1, 3}) {
    std::vector<long> counts(prefixes.size(), -2);
    ClinicPoolOptions pool;
    pool.url = url_;
    pool.jobs = jobs;
    const std::vector<ClinicResult> results = RunClinics(pool, prefixes, [&counts](const ClinicContext& c) {
      EXPECT_TRUE(c.db->dbInSnapshot());
      counts[c.index] = CountProducers(c.db);
      return RunOutcome();
    });
    for (size_t i = 0; i < prefixes.size(); ++i) {
      EXPECT_EQ(counts[i], static_cast<long>(i)) << "jobs " << jobs << ", clinic " << prefixes[i];
      EXPECT_TRUE(results[i].ran && results[i].outcome.Finished());
    }
    EXPECT_TRUE(ClinicGroupOutcome(results).Finished());
  }
}

// A row written while a clinic runs is not seen by the rest of its run,
// and its look-ups' transactions nest in the snapshot as savepoints.
TEST_P(ClinicGroupTest, AClinicRunsInOneSnapshot) {
  MakeClinic("c1", 2);
  std::string error;
  std::unique_ptr<GenDB> writer = OpenClinicForWriting("c1", &error);
  ASSERT_NE(writer, nullptr) << error;
  ClinicPoolOptions pool;
  pool.url = url_;
  std::vector<long> seen;
  const std::vector<ClinicResult> results = RunClinics(pool, {"c1."}, [&](const ClinicContext& c) {
    seen.push_back(CountProducers(c.db));
    const std::string insert = "INSERT INTO " + std::string(writer->dbPrefix()) +
                               "PRODCD (PROD_ID, PROD_CODE) VALUES (99, 'NEW')";
    EXPECT_EQ(writer->dbExec(insert.c_str()), 0) << writer->LastError();
    EXPECT_EQ(c.db->dbBeginTransaction(), 0) << c.db->LastError();
    seen.push_back(CountProducers(c.db));
    EXPECT_EQ(c.db->dbRollback(), 0) << c.db->LastError();
    EXPECT_TRUE(c.db->dbInSnapshot());
    std::string refused;
    EXPECT_FALSE(c.db->dbSetPrefix("c2.", &refused));
    seen.push_back(CountProducers(c.db));
    return RunOutcome();
  });
  EXPECT_EQ(seen, (std::vector<long>{2, 2, 2}));
  EXPECT_TRUE(results[0].outcome.Finished());
  std::unique_ptr<GenDB> after = Open("c1.");
  EXPECT_EQ(CountProducers(after.get()), 3);
}

// The first clinic that fails stops the pool: no clinic after it starts
// (one worker), and the group's end names it and exits as a lost run does.
TEST_P(ClinicGroupTest, TheFirstFailingClinicStopsThePool) {
  std::vector<std::string> prefixes;
  for (int i = 0; i < 5; ++i) {
    MakeClinic("c" + std::to_string(i), 1);
    prefixes.push_back("c" + std::to_string(i) + ".");
  }
  struct Case {
    const char* name;
    RunOutcome failure;
    const char* message;
  };
  const Case cases[] = {
      {"failed", RunOutcome::Failed("no such table: c2.PATAPT"),
       "cabinet c2 : no such table: c2.PATAPT ; rien n'est écrit pour le groupe"},
      {"server lost", RunOutcome::ServerLost("server closed the connection unexpectedly"),
       "cabinet c2 : La connexion au serveur a été perdue : la liste est partielle (server closed the connection "
       "unexpectedly)."},
  };
  for (const Case& c : cases) {
    ClinicPoolOptions pool;
    pool.url = url_;
    pool.jobs = 1;
    const std::vector<ClinicResult> results = RunClinics(pool, prefixes, [&c](const ClinicContext& clinic) {
      return clinic.index == 2 ? c.failure : RunOutcome();
    });
    EXPECT_TRUE(results[0].ran && results[1].ran && results[2].ran) << c.name;
    EXPECT_FALSE(results[3].ran || results[4].ran) << c.name;
    const RunOutcome group = ClinicGroupOutcome(results);
    EXPECT_EQ(group.message, c.message) << c.name;
    EXPECT_EQ(ExitStatusOf(group), 3) << c.name;
  }
}

// A clinic whose server cannot be reached fails with the reason.
TEST_P(ClinicGroupTest, AnUnreachableClinicIsNamed) {
  ClinicPoolOptions pool;
  pool.url = GetParam() == "sqlite" ? "sqlite:/nonexistent-folder/group.db" : "postgresql://127.0.0.1:1/none";
  const std::vector<ClinicResult> results = RunClinics(pool, {"c1."}, [](const ClinicContext&) {
    ADD_FAILURE() << "no work without a connection";
    return RunOutcome();
  });
  const RunOutcome group = ClinicGroupOutcome(results);
  EXPECT_EQ(ExitStatusOf(group), 3);
  EXPECT_EQ(group.message.rfind("cabinet c1 : ", 0), 0u) << group.message;
}

// Never more connections than --jobs beside the caller's own, as the
// server counts them.
TEST_P(ClinicGroupTest, ThePoolHoldsAtMostJobsConnections) {
  if (GetParam() == "sqlite") GTEST_SKIP() << "a server's count of connections";
  std::vector<std::string> prefixes;
  for (int i = 0; i < 8; ++i) {
    MakeClinic("c" + std::to_string(i), 1);
    prefixes.push_back("c" + std::to_string(i) + ".");
  }
  std::unique_ptr<GenDB> caller = Open();
  for (int jobs : {1, 3}) {
    std::atomic<long> most{0};
    ClinicPoolOptions pool;
    pool.url = url_;
    pool.jobs = jobs;
    RunClinics(pool, prefixes, [&most](const ClinicContext& c) {
      std::this_thread::sleep_for(std::chrono::milliseconds(60));
      const char* sql =
          "SELECT COUNT(*) FROM pg_stat_activity WHERE datname = current_database() AND backend_type = 'client "
          "backend'";
      long n = 0;
      if (c.db->dbExecute(sql, 31) == 0 && c.db->dbFetch(0, 31) == 0) c.db->dbGetLong(1, &n, 31);
      c.db->dbClose(31);
      long seen = most.load();
      while (n > seen && !most.compare_exchange_weak(seen, n)) {
      }
      return RunOutcome();
    });
    EXPECT_LE(most.load(), jobs + 1) << "jobs " << jobs;
    EXPECT_GE(most.load(), 2) << "jobs " << jobs;  // the caller's and a worker's at least
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, ClinicGroupTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });

TEST(ClinicListTest, ParsesTheNamedClinics) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> prefixes;
    const char* error;
  };
  const Case cases[] = {
      {"dots added", "c1,c2.", {"c1.", "c2."}, ""},
      {"blanks and empty entries", " c1 , ,c2 ", {"c1.", "c2."}, ""},
      {"quoted schema", "\"Nord\".", {"\"Nord\"."}, ""},
      {"twice", "c1,c1.", {}, "le cabinet « c1 » figure deux fois"},
      {"none", " , ", {}, "aucun cabinet nommé"},
      {"bad name", "c1;DROP", {}, "Préfixe de tables invalide"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> prefixes;
    std::string error;
    const bool ok = ParseClinicList(c.text, &prefixes, &error);
    EXPECT_EQ(ok, *c.error == '\0') << c.name;
    if (ok) {
      EXPECT_EQ(prefixes, c.prefixes) << c.name;
    } else {
      EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.name << ": " << error;
    }
  }
}

TEST(ClinicListTest, NaturalOrder) {
  struct Case {
    const char* a;
    const char* b;
    bool less;
  };
  const Case cases[] = {
      {"c2", "c10", true},   {"c10", "c2", false}, {"c02", "c10", true}, {"c1", "c1", false},
      {"c1", "c1a", true},   {"a9", "b1", true},   {"nord", "nord2", true},
  };
  for (const Case& c : cases) EXPECT_EQ(ClinicNameLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

}  // namespace
