// Internals of the demo practice generator: the PRNG, day arithmetic, the
// in-memory model of the practice ("world") and the bulk table writer.
//
// Ids: every entity vector is in id order, id = index + 1. Days are day
// numbers (days since 1970-01-01); DateOf turns them into YYYYMMDD.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/gendb.h"
#include "suite/demo_db.h"

namespace demo {

// --- PRNG -------------------------------------------------------------------
// xoshiro256** seeded through splitmix64. Stream numbers give independent
// sequences per generation step, so changing one step leaves the others'
// data as it was.
class Rng {
 public:
  Rng(uint64_t seed, uint64_t stream);
  uint64_t Next();
  // Uniform in [0, n); n > 0.
  uint64_t Below(uint64_t n) { return static_cast<uint64_t>((static_cast<unsigned __int128>(Next()) * n) >> 64); }
  // Uniform in [lo, hi] inclusive.
  long Range(long lo, long hi) { return lo + static_cast<long>(Below(static_cast<uint64_t>(hi - lo + 1))); }
  // True with probability per_mille / 1000.
  bool PerMille(int per_mille) { return static_cast<int>(Below(1000)) < per_mille; }
  template <class T>
  const T& Pick(const std::vector<T>& v) { return v[Below(v.size())]; }

 private:
  uint64_t s_[4];
};

// --- days -------------------------------------------------------------------
int DayOf(long yyyymmdd);      // day number of a valid date
long DateOf(int day);          // YYYYMMDD of a day number
inline int Weekday(int day) { return ((day % 7) + 11) % 7; }  // 0 Sunday .. 6 Saturday
int YearOf(int day);
int MonthOf(int day);

// --- text -------------------------------------------------------------------
// Copies s into dst (capacity cap, terminator included), cut on a UTF-8
// character boundary.
void Put(char* dst, size_t cap, std::string_view s);
std::string Fit(std::string_view s, size_t max_bytes);
// The first max_chars characters of s.
std::string FitChars(std::string_view s, size_t max_chars);

// --- reference lists (demo_text.cpp) ---------------------------------------------
struct Procedure {
  const char* code;
  const char* desc_fr;
  const char* desc_en;
  int fee;    // cents
  int lab;    // cents of laboratory fees billed with it
  char who;   // 'D' dentist, 'H' hygienist
  char kind;  // 'V' visit, 'P' planned work, 'X' proposal work
};
const std::vector<Procedure>& Procedures();
struct ApptCode {
  const char* code;
  const char* desc;
  int slots;
  char who;    // 'D', 'H'
  int weight;  // how often it is booked, relative to the producer's other codes
};
const std::vector<ApptCode>& ApptCodes();
struct Named {
  const char* code;
  const char* desc;
};
const std::vector<Named>& ApptTypes();
const std::vector<Named>& OfficeChargeCodes();
const std::vector<Named>& PaymentCodes();
const std::vector<Named>& AlertCodes();
const std::vector<const char*>& FirstNamesF();
const std::vector<const char*>& FirstNamesM();
const std::vector<const char*>& LastNames();
const std::vector<const char*>& Streets();
const std::vector<const char*>& Cities();
const std::vector<const char*>& Employers();
const std::vector<const char*>& Insurers();
const std::vector<const char*>& ProposalTitles();
const std::vector<const char*>& DocumentTitles();
const std::vector<const char*>& Questions();
// Report ids of the audit's print rows (type L), in the report table's order.
const std::vector<int>& ReportIds();

// --- the practice ---------------------------------------------------------------
struct Sizes {
  int dentists;        // including the inactive one (the last)
  int hygienists;
  int patients;
  int history_days;    // days of history before today
  int future_days;     // bookings ahead of today
  long audit_archived; // rows wanted in AUDHIS
  long audit_current;  // rows wanted in AUDITFIL
  int referrers;
  int policies;
  int users;
};
Sizes SizesOf(DemoSize size);

struct Producer {
  std::string code, first, last;
  char type = 'D';            // 'D' dentist, 'H' hygienist
  bool inactive = false;
  int last_day = 1 << 30;     // no appointment after this day
  char loc = 'A';
  bool goals = true;          // has goals of its own
};
struct Chair {
  int number;
  char loc;
  bool shared;
  std::string producer;
  std::string title;
};
struct Block {  // one weekly working block of a producer on a chair
  int producer;
  int dow;
  int chair;
  char loc;
  long start, end;  // HHMMSS, end exclusive
};
struct User {
  std::string logon, name, group;
  uint8_t days;  // bit d = works on weekday d
};
struct Closure {  // calendar exception
  int day;
  char loc;             // '*' every location
  int chair;            // 0 every chair
  std::string producer; // "" every producer
  char kind;            // 'C' closed, 'O' extra opening
  long start, end;      // HHMMSS; 0, 0 = whole day
  std::string desc;
};

struct Patient {
  int32_t open_day;
  int32_t account;
  int32_t policy;       // EMPPOL id, 0 none
  int32_t referrer;     // REFERCD id, 0 none
  int32_t birth;        // YYYYMMDD
  int32_t delete_day = 0;
  int32_t last_claim_day = 0;
  int32_t last_visit_day = 0;
  uint16_t first, last; // name indexes; odd names in World::odd_names
  int8_t doctor;        // producer index, -1 none
  int8_t hygienist;     // producer index, -1 none
  char sex;
  char status = 'A';
};
struct Account {
  int32_t open_day;
  int32_t head;  // patient index of the responsible person
  uint16_t street, city;
  int32_t balance;
};
struct StatusChange {
  int32_t patient, day;
  char status;  // new status
  char info2;   // '1' moved, '2' restored, '0' other
};
struct Appt {
  int32_t patient, day, made_day, event_day, del_day;
  int32_t time;  // HHMMSS
  int32_t fee;
  int16_t slots, chair;
  uint8_t producer, type, code;
  char loc, status;
};
struct Claim {
  int32_t patient, day, number, policy, total;
  uint8_t producer;
  char status;  // 'P' paid, 'S' sent, 'R' rejected, 'T' treatment plan
};
struct Treatment {  // CLMTRT
  int32_t claim, patient, day, created_day, del_day;
  int32_t fee, lab, ins;
  int16_t tooth;
  uint8_t procedure, producer;
  char status;  // 'C', 'I', 'P'
};
struct Payment {  // ACCPMT
  int32_t account, patient, day, del_day, amount;
  uint8_t code, producer;
  char kind, source, method;
};
struct OfficeCharge {
  int32_t patient, day, amount;
  uint8_t code, producer;
};
struct Proposal {
  int32_t patient, day;
  uint8_t title, producer;
  char status;
};
struct ProposalItem {
  int32_t proposal, patient, day, total, del_day;
  uint8_t procedure, producer;
  char status;
};
struct ChartTreatment {
  int32_t patient, day;
  uint8_t procedure, producer;
  int16_t tooth;
  char status;
};
struct DatedRef {  // a chart or folder row: patient and day
  int32_t patient, day;
  uint16_t what;  // question, alert code, form, title ... per table
};
struct PaymentPlan {
  int32_t patient, account, start;  // start: day number
  int32_t amount, instalment, count;
};
struct Step {  // a status change of a planned treatment or a proposal item
  int32_t ref, day;
  char next, prev;  // new and old status ('\0' = none)
};
struct Goal {
  std::string producer;
  int year;
  int32_t months[12];
};

// Event rows of the audit trail that follow from the data (appointments,
// case acceptance, new patients, payments ...). kind picks the row builder.
enum class Ev : uint16_t {
  kPatientNew, kAccountNew, kPatientStatus, kPatientDelete,
  kApptCreate, kApptMissed, kApptDelete, kApptMove,
  kPlanAdd, kPlanEdit, kPlanDelete, kPropAdd, kPropEdit,
  kClaimAdd, kPayment, kPaymentDelete, kOfficeCharge, kAuditPurge,
};
struct Event {
  int32_t day;
  int32_t time;    // HHMMSS
  Ev kind;
  uint16_t variant;  // per kind (status pair for edits)
  int32_t ref;       // index into the kind's entity vector
};

struct World {
  DemoSize size;
  uint64_t seed;
  Sizes sizes;
  int today;     // day number
  int first;     // first day of history
  int last;      // last booked day
  int cutoff;    // audit rows before this day are archived
  int unit_change_day;

  std::vector<Producer> producers;
  std::vector<Chair> chairs;
  std::vector<Block> blocks;
  std::vector<User> users;
  std::vector<Closure> closures;
  std::vector<std::string> referrer_names;  // "first|last"
  std::vector<std::string> policies;        // "insurer|group|employer"

  std::vector<Patient> patients;
  std::vector<std::pair<int32_t, std::pair<std::string, std::string>>> odd_names;  // patient index
  std::vector<Account> accounts;
  std::vector<StatusChange> status_changes;
  std::vector<Appt> appts;
  std::vector<Claim> claims;
  std::vector<Treatment> treatments;
  std::vector<Payment> payments;
  std::vector<OfficeCharge> office_charges;
  std::vector<Proposal> proposals;
  std::vector<ProposalItem> proposal_items;
  std::vector<ChartTreatment> chart_treatments;
  std::vector<DatedRef> perio, answers, alerts, forms, documents;
  std::vector<PaymentPlan> plans;
  std::vector<Step> plan_steps, proposal_steps;
  std::vector<Goal> goals;
  std::vector<Event> events;

  std::string FirstName(int32_t patient) const;
  std::string LastName(int32_t patient) const;
  // Producer code of index i ("" for -1).
  const std::string& ProducerCode(int i) const;
  // Whether the day is closed for a producer on a chair (holiday, absence,
  // chair out of service).
  bool Closed(int day, int producer, int chair, char loc) const;
};

// Generation steps, in this order (each uses its own Rng stream).
void BuildReference(World* w);            // producers, chairs, schedules, users, calendar
void BuildPatients(World* w);             // accounts, patients, chart and folder rows
void BuildVisits(World* w);               // appointments, claims, treatments, payments, plans, proposals
void BuildGoals(World* w);                // goals from the production generated
void BuildEvents(World* w);               // the event rows of the audit trail

// --- writing ----------------------------------------------------------------------
// Bulk writer of one table: rows in the schema's column order.
class TableWriter {
 public:
  TableWriter(GenDB* db, const std::string& table, std::string* error);
  ~TableWriter();
  bool ok() const { return loader_ != nullptr && ok_; }
  TableWriter& Int(int64_t v);
  TableWriter& Text(std::string_view s);  // cut to the column's length
  bool EndRow();                          // false once a row failed
  bool Finish();
  long rows() const { return rows_; }

 private:
  GenDB* db_;
  std::string table_;
  std::string* error_;
  std::unique_ptr<BulkLoader> loader_;
  std::vector<int> lengths_;
  std::vector<BulkCell> cells_;
  std::vector<std::string> texts_;
  size_t column_ = 0;
  long rows_ = 0;
  bool ok_ = true;
};

// Writes every table but the audit trail; appends (table, rows) to *summary.
bool WriteTables(GenDB* db, const World& w, DemoSummary* summary, std::string* error);
// Writes AUDHIS and AUDITFIL: the events merged with the day's routine rows.
bool WriteAudit(GenDB* db, const World& w, DemoSummary* summary, std::string* error,
                const std::function<void(const std::string&)>& progress);

}  // namespace demo
