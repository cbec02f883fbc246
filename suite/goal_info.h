// GoalInfo: the suite's record table of monthly production goals (GOALS).
//
// A record holds, for one producer code (or a group code "X*", or "*" for
// the whole practice) and one year, a goal in cents for each month. The
// first 56 bytes are the editable part, in the order the goal editor binds
// its fields to: producer (3 characters and the terminator), year, twelve
// goals; the record id follows.
//
// The table operations are those of the suite's code-table base: list,
// read, add, change, delete. Every write runs in a transaction of its own.
// A unique index on (GOAL_PROD, GOAL_YEAR) makes the pair unique whatever
// the callers check first: when two workstations add the same pair at
// once, the second save fails on the index and is answered kDuplicate,
// never as a database failure. Ids are assigned by the writer (largest id
// plus 1) inside the same transaction; a collision on the id with another
// writer is retried. On a hot standby (GenDB::dbIsStandby) every write is
// kFailed with kStandbyRefusal as its error, before any statement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class GenDB;

struct GoalInfo {
  char producer[4] = {};   // GOAL_PROD, column 3
  int32_t year = 0;        // GOAL_YEAR, column 4
  int32_t goals[12] = {};  // GOAL_JAN .. GOAL_DEC, columns 5 to 16, cents
  int32_t id = 0;          // GOALS_ID, column 1 (0 for a record not yet stored)

  std::string Producer() const { return producer; }
  // Stores code cut to 3 bytes.
  void SetProducer(const std::string& code);
};
static_assert(offsetof(GoalInfo, id) == 56, "the editable part of a goal record is 56 bytes");

// The cursor of the goal statements.
inline constexpr int kGoalsCursor = 115;

// "SELECT DISTINCT GOAL_YEAR FROM %sGOALS ORDER BY GOAL_YEAR" (cursor 115):
// the years that have goals. Empty when the statement failed.
std::vector<int> LoadGoalYears(GenDB* db);

// Every record, ordered by producer then year (year 0 = all years).
// False with *error when the statement failed.
bool LoadGoalRecords(GenDB* db, int year, std::vector<GoalInfo>* out, std::string* error);
// The record of id; false when there is none or the statement failed
// (*error empty when there is simply none).
bool ReadGoalRecord(GenDB* db, long id, GoalInfo* out, std::string* error);

// kMissing: the record no longer exists (deleted, or its id now holds
// another producer and year); kChanged: it was changed since as_read.
enum class GoalWrite { kDone, kDuplicate, kMissing, kChanged, kFailed };

// Adds record (its id is assigned and stored in record->id). kDuplicate
// when the producer and year pair exists (the table is unchanged).
GoalWrite InsertGoalRecord(GenDB* db, GoalInfo* record, long today, std::string* error);
// Replaces the record of record.id, and only it: kMissing when no row of
// that id is there to change when the UPDATE runs (another workstation
// deleted it, even one whose delete was still uncommitted when this change
// began), kDuplicate when another record holds the new pair. With as_read
// (the record as the caller read it before the user edited it), the row of
// the id must still be that record: another pair there is kMissing, other
// goals kChanged; nothing is written then.
GoalWrite UpdateGoalRecord(GenDB* db, const GoalInfo& record, long today, std::string* error,
                           const GoalInfo* as_read = nullptr);
// Deletes the record of id; kMissing when there is none (or, with as_read,
// when the id now holds another pair), kChanged as above.
GoalWrite DeleteGoalRecord(GenDB* db, long id, std::string* error, const GoalInfo* as_read = nullptr);
