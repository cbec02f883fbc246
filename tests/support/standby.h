// The hot standby of the test server (scripts/pg_test_server.sh starts it
// beside the primary): its URL, and waiting until it has replayed what the
// primary wrote.
//
//   if (!HaveStandby()) GTEST_SKIP() << kNoStandby;
//   ... write on PrimaryUrl() ...
//   ASSERT_TRUE(WaitForStandby(&error)) << error;
//   ... read on StandbyUrl() ...
#pragma once

#include <string>

inline constexpr const char* kNoStandby =
    "serveur de secours non testé : VANTRA_TEST_PG_URL ou VANTRA_TEST_PG_STANDBY_URL n'est pas défini "
    "(scripts/test.sh démarre les deux)";

// Both VANTRA_TEST_PG_URL and VANTRA_TEST_PG_STANDBY_URL are set.
bool HaveStandby();
std::string PrimaryUrl();
std::string StandbyUrl();

// Reads the primary's current WAL position (pg_current_wal_insert_lsn) and waits
// until the standby's replay position (pg_last_wal_replay_lsn) reaches it,
// at most timeout_seconds. False with *error when it does not.
bool WaitForStandby(std::string* error, double timeout_seconds = 60);

// Drops the schema (and its tables) on the primary when it is there.
bool DropPrimarySchema(const std::string& schema, std::string* error);
