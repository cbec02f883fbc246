// Internals of the demo audit trail: one row as built in memory, the pickers
// of existing records by day, and the row builders (events and routine rows).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "suite/demo_internal.h"

namespace demo {

// One audit row; texts are zero-terminated and fit the columns (user 9,
// field names 20, field infos 50 bytes).
struct AuditRow {
  int32_t time = 0;  // HHMMSS
  char type = 0, action = 0;
  int64_t recid = 0;
  char user[10] = {};
  char name[3][21] = {};
  char info[3][51] = {};

  void Set(char t, char a, int64_t id) {
    type = t;
    action = a;
    recid = id;
  }
  void Name(int i, std::string_view s) { Put(name[i], sizeof name[i], s); }
  void Info(int i, std::string_view s) { Put(info[i], sizeof info[i], s); }
};

// Ids of one kind of record with the day each was created, in id order, so
// that a routine row only names records that existed on its day.
class DatedIds {
 public:
  void Add(int32_t day, int64_t id) {
    days_.push_back(day);
    ids_.push_back(id);
  }
  // Orders the ids by day (stable). REQUIRES: called once after the Adds.
  void Finish();
  // A random id among those created on or before day, among the `recent`
  // latest of them when recent > 0; any id when none was (0 when the kind
  // has no record at all).
  int64_t Pick(Rng* rng, int day) const;
  void set_recent(size_t recent) { recent_ = recent; }
  bool empty() const { return ids_.empty(); }

 private:
  std::vector<int32_t> days_;
  std::vector<int64_t> ids_;
  size_t recent_ = 0;
};

// Everything a row builder needs: the world, the pickers, the day.
class AuditContext {
 public:
  explicit AuditContext(const World& w);

  const World& w;
  DatedIds patients, accounts, payments, adjustments, office_charges, claims, treatments, chart_treatments,
      perio, answers, alerts, forms, documents, plans, appts, proposals;
  std::vector<int> user_days;  // per user: weekday mask

  // Users on duty on a day (indexes); every user when none.
  std::vector<int> OnDuty(int day) const;
};

// The appointment in the fixed layout of schedule audit rows, field info 1:
// status, producer (3), location, chair (2 digits, 3 from 100 on), date
// (YYYYMMDD), time (HHMM), length in 5-minute slots (2), type (3), two flags.
std::string ApptInfo1(const World& w, const Appt& a, char status);

// Builds the row of an event (time, type, action, record, fields; the user
// is chosen by the caller).
void EventRow(const World& w, const Event& e, AuditRow* row);

// Builds one routine row of the day: a random type letter and a random case
// of its field names, naming records that exist on that day.
void RoutineRow(const AuditContext& c, Rng* rng, int day, AuditRow* row);

}  // namespace demo
