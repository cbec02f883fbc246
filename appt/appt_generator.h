// PracApptGenerator: schedule productivity, day by day.
//
// For every day of [DateFrom, DateTo] it works out, per producer (ListBy 'P')
// or per chair (ListBy 'C'), the available time (the suite's calendar
// services, suite/calendar.h), the booked time (appointments of status B not
// deleted, with their estimated fees) and the missed appointments (schedule
// audit rows N, C, U of the day), and merges them into PracApptElem records
// per key, period (ReportBy), kind, status and code. Generate then sorts them
// by "%08ld%-8.8s%1d" (date, key, kind), adds net fees per period and writes
// the report lines (appt_lines.h) into a list window; Compute sorts by key
// and kind only and writes nothing (the statistics tab reads the elements).
//
// Worked example (ReportBy 'W', ListBy 'P', ProdInfo 'S', D01 only, unit 10
// minutes), Monday 2026-11-30 and Tuesday 2026-12-01:
//   Monday:  D01 available 480 min, two booked appointments of 6 and 3 slots
//            ($80.00, $40.00), one no-show in the audit rows
//   Tuesday: D01 available 420 min, one booked appointment of 9 slots ($95.00)
// gives four elements, all of week 49 (Date = the Monday, the first day that
// had data):
//   Kind 2  D01  Minutes 900  SchedUnits 90
//   Kind 1  D01  Status B  Minutes 90  SchedUnits 9  Fee 21500  Count 3
//   Kind 3  D01  Status N  Count 1
// (the two days' available time merged into one element; a week across
// 1 January is two periods, one per year).
//
// Merging keeps the rule "the first element from the head of the list that
// matches" through a hash index from (kind, status, key, period, code) to the
// element, so a year of daily data stays linear.
//
// Reads: by default set-based (one statement per 31 days for appointments
// and for each audit table), or, with SetStatementReads(true), the
// statement-by-statement path (one appointment query per producer or chair
// and day, one load per appointment, up to two audit queries per day), kept
// as the reference the set-based reads are checked against. Both give the
// same elements.
//
// The settings record is not owned and must outlive the generator; the
// generator writes NetFees ('N' for chair reports). db: the practice
// database, not owned (null: nothing is read).
// No method throws.
#pragma once

#include <array>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "appt/appt_types.h"
#include "host/meter.h"
#include "host/run_outcome.h"
#include "host/tdlist.h"
#include "suite/calendar.h"

class GenDB;
class QenListWindow;
class CalDatInfo;
class ChairInfo;
class PatAptInfo;
class ProdInfo;
class LocInfo;
class PrdSchInfo;
class SchedulrIni;

// --- periods and units (ReportBy letters) ---------------------------------------------
// Whether day lies in the period of an element dated element_date with
// period index element_period.
bool ApptSamePeriod(char report_by, long element_date, short element_period, long day);
short ApptPeriodIndex(char report_by, long day);
// "sam déc 05, 2026", "Semaine de : 29 nov. 2026", "décembre 2026", "2026".
std::string ApptPeriodLabel(char report_by, long day);
// The range [*start, *end] of the period holding d, within [from, to] for the
// periods that the report's ends cut.
void ApptPeriodRange(char report_by, long d, long from, long to, long* start, long* end);

// Parses a schedule audit entry (first and second information fields) into
// an appointment record (status, producer, location, chair, date, length,
// type, code; fee 0). Two layouts: the date at position 7 (two-digit chair)
// or at 8 (three-digit chair).
void ParseScheduleAudit(const char* info1, const char* info2, AptRec* out);

// What a drill on the report needs, kept by a generation when asked
// (PracApptGenerator::KeepDrillMap): every row merged into an element as it
// was merged, and, from the line writer, which cells each element feeds.
struct ApptContribution {
  const PracApptElem* elem = nullptr;  // the element it went into (identity only)
  char what = 0;            // 'A' a booked appointment, 'M' a missed one (schedule audit row), 'D' a day's time
  bool archived = false;    // M: from the archived audit table
  short chair = 0;          // D: the chair whose time it is (producer reports: one of the producer's)
  char key[8] = {};         // the producer code or chair key
  AptRec apt;               // A and M: the appointment (M: as the audit row carries it)
  long audit_date = 0;      // M: the audit row's date
  long day = 0;             // D: the day
  long free_slots = 0;      // D: 5-minute slots available
  long units = 0;           // A, M and D: the units counted
  // D: the runs of available slots [first, end) of the day, at most
  // kMaxBlocks (a day cut into more keeps its first ones and its total).
  static constexpr int kMaxBlocks = 6;
  short blocks[kMaxBlocks][2] = {};
  short block_count = 0;
  // "08:00-12:00, 13:00-17:00", slot 0 at day_start (HHMMSS).
  std::string BlocksText(long day_start) const;
};
struct ApptDrillMap {
  std::vector<ApptContribution> contributions;
  // Filled by the line writer (appt_lines.h).
  struct Place {
    int group = -1;   // the period group the element is counted in
    int column = -1;  // its producer or chair column
    int entry = -1;   // booked elements: the code entry of their row, -1 none
    std::string key;  // the element's producer or chair
    long net_from = 0, net_to = 0;  // the range of its net fees (0: none computed)
  };
  std::unordered_map<const PracApptElem*, Place> places;
  struct Line {
    int group = -1;        // the period group; -1 in the grand-total group and blank lines
    long row_kind = -1;    // kApptRow..., -1 for a blank line
    int entry = -1;        // booked rows: the code entry
    bool grand = false;
    long date = 0;         // the period's date (its label)
  };
  std::vector<Line> lines;  // one per list line
  int columns = 0;          // producer or chair columns, the totals column included
  int totals_column = -1;   // -1 none
  char report_by = 'M';
  char prod_units = 'H';
  long day_start = 60000;   // HHMMSS of slot 0 of the days' maps
  void Clear() { *this = ApptDrillMap(); }
};

// Puts elements (PracApptElem) in the order the report lines read them: by
// date, key and kind (stable: equal elements keep their order).
void SortApptByDateKeyKind(TDList* elements);

class PracApptGenerator {
 public:
  // REQUIRES: settings outlives the generator.
  PracApptGenerator(GenDB* db, HWindow parent, long launcher_info, PracApptSettings* settings);
  ~PracApptGenerator();
  PracApptGenerator(const PracApptGenerator&) = delete;
  PracApptGenerator& operator=(const PracApptGenerator&) = delete;

  // Computes the whole range and writes the report lines into list (already
  // cleared, columns set up). True, also after a cancel.
  bool Generate(QenListWindow* list);
  // The day loop only; elements sorted by key and kind. Always true.
  bool Compute();

  const TDList& Elements() const { return elements_; }
  // How the run ended (host/run_outcome.h). A failed statement: rows may be
  // missing, the message says which. A lost server: the day loop stopped
  // there and the elements hold the days done before that day (the day it
  // happened in is taken out again). A cancel keeps the days done.
  const RunOutcome& Outcome() const { return outcome_; }
  // Days processed by the last run.
  long DaysDone() const { return days_done_; }

  // The next Generate (or Compute: the rows merged, no lines) also keeps in
  // *map what a drill on its report needs (null: nothing kept). map must outlive the run.
  void KeepDrillMap(ApptDrillMap* map) { drill_map_ = map; }

  // true: statement-by-statement reads (for comparison); default false.
  void SetStatementReads(bool on) { statement_reads_ = on; }
  // The weekdays the office-hours table opens (0 Sunday).
  std::array<bool, 7> OpenDays() const;
  // Scheduler units of a length in slots on a date.
  long Units(long slots, long date) const;

  // Selection filters (exact, case-sensitive).
  bool ProducerSelected(const char* code) const;
  bool ChairSelected(const char* key) const;
  bool CodePasses(const char* code, const char* type) const;

 private:
  struct ProducerChairs {
    char code[4] = {};
    short chairs[40] = {};
    char locs[40] = {};
  };

  void BuildProducerChairs();
  void DayLoop();
  void ChairDay(long day);
  void ProducerDay(long day);
  bool MissedDay(long day);
  bool MissedFrom(long day, bool archived);
  void RecordAvailability(const char* slots, const char* key, long day, short chair);
  // audit_date, archived: a missed appointment's audit row.
  void RecordAppointment(const AptRec& r, long kind, long audit_date = 0, bool archived = false);
  void SortByDateKeyKind();
  // Clears the kept drill map (when one is kept) for a new computation.
  void StartDrillMap();
  void ComputeNetFees();
  void EnsureWindow(long day);
  std::string IndexKey(long kind, char status, const char* key, long date, const char* code) const;
  void Fail(const std::string& message);
  // The figures of the elements before a day, to take the day out again.
  struct DayStart {
    size_t count = 0;
    size_t contributions = 0;
    std::vector<long> figures;  // Fee, SchedUnits, Minutes, Count per element
  };
  void SaveDayStart(DayStart* start) const;
  void RestoreDayStart(const DayStart& start);
  // True (once) when the server was lost since the run began.
  bool NoteLostConnection();

  HWindow parent_;
  long launcher_info_;
  PracApptSettings* settings_;
  GenDB* db_ = nullptr;
  TDList elements_;
  std::unordered_map<std::string, PracApptElem*> index_;

  std::unique_ptr<CalDatInfo> caldat_;
  std::unique_ptr<ChairInfo> chair_info_;
  std::unique_ptr<PatAptInfo> pat_apt_;
  std::unique_ptr<ProdInfo> prod_info_;
  std::unique_ptr<LocInfo> loc_info_;
  std::unique_ptr<PrdSchInfo> prd_sch_;
  std::vector<ProducerChairs> producer_chairs_;
  bool chairs_loaded_ = false;

  bool statement_reads_ = false;
  long window_to_ = -1;   // last day of the held window (set-based reads)
  struct AuditRow {
    std::string info1, info2;
  };
  std::unordered_map<long, std::vector<AuditRow>> audit_[2];  // current, archived; by date
  RunOutcome outcome_;
  long days_done_ = 0;
  ApptDrillMap* drill_map_ = nullptr;
};
