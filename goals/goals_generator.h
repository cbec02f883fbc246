// The goals report: each producer's production per chosen month or quarter
// of a year (and of a comparison year) set against the goals of GOALS.
//
// One generation:
//   1. validation (ValidateGoalsReport): the string ids of the failing rules,
//      in the order 97, 94, 95, 96; nothing is generated when any failed;
//   2. production: for each chosen period of each year, the production
//      service (command 2536) gives every producer's fees T5 between the
//      period's first and last day; producers outside the selection are
//      skipped; the amounts are summed into one entry per producer and year,
//      made when the pair is first met;
//   3. goals: every record of the years ("SELECT * FROM %sGOALS WHERE
//      GOAL_YEAR = %s [OR GOAL_YEAR = %s]") applied to the entries of its
//      year: an exact code always, a group code "X*" to the codes starting
//      with X unless an exact record applied, "*" only when nothing applied
//      yet; a quarter's goal is the sum of its three months;
//   4. rows, sorted by "%s%d" (code then year), then the totals lines.
//
// Worked example (monthly, January and February 2026, comparison 2025,
// cents display, goals in dollars, RoundUp "Y"):
//
//   GOALS  D01 2026  Jan 100000  Feb 100000     entries  D01 2026  Jan 123456  Feb 80000
//          D*  2026  Jan 50000   Feb 50000               D02 2026  Jan 40000   Feb 0
//          *   2025  Jan 20000   Feb 20000               D01 2025  Jan 30000   Feb 10000
//
//   D01(2025) \t300.00/200 (150%) \t100.00/200 (50%)       kind 2 ("*" applies)
//   D01(2026) \t1234.56/1000 (123%) \t800.00/1000 (80%)    kind 1 (exact beats D*)
//   (blank)                                                 0
//   D02(2026) \t400.00/500 (80%) \t0.00/500 (0%)           kind 1 (D* applies)
//   (blank)                                                 0
//   Total: 2025 \t300.00/200 (150%) \t100.00/200 (50%)     kind 4
//   Total: 2026 \t1634.56/1500 (109%) \t800.00/1500 (53%)  kind 3
//
// (D02 has no entry for 2025 when the service gave it no record there; the
// demo service gives every producer a record, so it then shows with 0.)
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/run_outcome.h"
#include "goals/goals_options.h"
#include "host/meter.h"
#include "suite/goal_info.h"

class GenDB;
class QenApplication;
class RequestChannel;
class QenListWindow;
class TDList;

inline constexpr int kGoalsProducerCursor = 25;
inline constexpr int kGoalsListId = 5111;
inline constexpr int kGoalsTotalColumn = 13;

// A producer of the tab's producer list (GoalsActiveProducersSql,
// suite/pick_lists.h; cursor 25).
struct GoalsProducer {
  std::string code, last_name, first_name;
};
bool LoadActiveProducers(GenDB* db, std::vector<GoalsProducer>* out, std::string* error);

// The codes a generation takes: every active producer when AllProducers is
// "Y" (at most 100), else the Producers codes as given, active or not.
std::vector<std::string> SelectedGoalsProducers(const GoalsOptions& options,
                                                const std::vector<GoalsProducer>& active);

// "SELECT COUNT(0) FROM %sGOALS WHERE GOAL_YEAR = %s".
std::string GoalYearCountSql(const char* prefix, const std::string& year);
// The failing rules' string ids, in order: 97 (a year not of 4 characters
// or without any goal; once for both years), 94 (equal years), 95 (no
// producer), 96 (no month or no quarter ticked).
std::vector<int> ValidateGoalsReport(GenDB* db, const GoalsOptions& options, size_t selected_count);
// The same rules over figures already read: year_goals and comp_goals are
// the GOALS records of each year (only whether they are above 0 counts);
// a year of other than 4 digits fails whatever its count. A dental group
// checks its options once with the counts summed over its clinics.
std::vector<int> GoalsRuleFailures(const GoalsOptions& options, long year_goals, long comp_goals,
                                   size_t selected_count);
// The GOALS records of a year text on db's prefix: 0 when the text is not
// 4 digits (nothing is read), -1 when the count failed.
long GoalYearCount(GenDB* db, const char* year);
// The checks above before a run, as its outcome: finished when none failed;
// refused with the first failed rule's sentence (*failed: every one); the
// lost server's line when the checks could not read the goals (a lost
// server is not a bad year).
RunOutcome CheckGoalsRun(GenDB* db, const GoalsOptions& options, size_t selected_count, std::vector<int>* failed);

// A chosen period: its number (month 1-12 or quarter 1-4), first and last
// day (YYYYMMDD) in a year, and its column title.
struct GoalsPeriod {
  int number = 0;
  long from = 0, to = 0;
  std::string title;
};
// The chosen periods of year in column order.
std::vector<GoalsPeriod> GoalsPeriods(const GoalsOptions& options, int year);
// "JAN", "FÉV" ... (the month name upper-cased to three letters) or "Q1" to "Q4".
std::string GoalsPeriodTitle(bool monthly, int number);

// Sets list's 14 columns: the producer, 12 period columns (width 7 for the
// chosen ones, 0 with no title for the rest) and the total column (width 7
// when show_total).
void SetGoalsColumns(QenListWindow* list, const GoalsOptions& options, bool show_total);

// The production of every producer between two days: appends prodanal_info
// records to out; false when the service did not answer, with its reason in
// *why when it gave one ("no such table: CLMTRT").
using GoalsProductionFn = std::function<bool(long from, long to, TDList* out, std::string* why)>;
// The suite's service, command 2536 on app's request channel, owner window owner.
GoalsProductionFn ChannelProduction(QenApplication* app, HWindow owner);
// The service on one channel: a clinic's ProductionChannel over its own
// connection, on a worker thread of a group's run.
GoalsProductionFn ChannelProduction(RequestChannel* channel, HWindow owner);

// One producer and year: production and goal per chosen period (cents).
struct GoalsEntry {
  std::string producer;
  int year = 0;
  std::vector<long> production;
  std::vector<long> goal;
  int applied = 0;  // 0 none, 1 "*", 2 group, 3 exact: the strongest record applied
  int goal_record = -1;  // the record that gave its goals (index in the records applied), -1 none
};

// A record's goal for a period: its month's, or a quarter's three months.
long GoalOfPeriod(const GoalInfo& record, bool monthly, int number);

// Step 3 for one record: applies it to the entries of its year, per chosen
// month number (quarters summed). record_index: what the entries it applies
// to note as their goal_record.
void ApplyGoalRecord(const GoalInfo& record, bool monthly, const std::vector<GoalsPeriod>& periods,
                     std::vector<GoalsEntry>* entries, int record_index = -1);

// What a drill on the report needs, kept by a generation when asked: the
// entries and goal records behind its rows, and what each line is.
struct GoalsDrillMap {
  struct Line {
    int entry = -1;  // a producer's line: its entry
    int year = 0;    // a totals line: its year (0: not a totals line)
  };
  std::vector<Line> lines;  // one per list line (blank lines: entry -1, year 0)
  std::vector<GoalsEntry> entries;
  std::vector<GoalInfo> records;
  std::vector<GoalsPeriod> periods[2];  // the chosen periods of the year, of the comparison year
  int years[2] = {0, 0};
  bool monthly = true;
  bool show_total = false;
  GoalsDisplay display;
};

struct GoalsResult {
  std::vector<GoalsEntry> entries;  // sorted by code then year
  // Failed: a statement or a production request failed. Server lost: every
  // row mixes several statements, so none is whole; the list is left empty,
  // entries too.
  RunOutcome outcome;
};

// The rows' order: by "%s%d" (code then year), byte-wise.
bool GoalsEntryLess(const GoalsEntry& a, const GoalsEntry& b);

// The figures behind one line's cells: production and goal of each chosen
// period, and of the total column.
struct GoalsLineCells {
  std::vector<long> production, goal;  // one per chosen period
  long total_production = 0, total_goal = 0;
};

// One practice's cells of a line: its periods' figures, the total column
// their sums.
GoalsLineCells GoalsCellsOf(const std::vector<long>& production, const std::vector<long>& goal);

// The cells of a line when they are not one practice's (a dental group's
// total): of entries[entry], or with entry -1 of the totals line of year.
using GoalsLineCellsFn = std::function<GoalsLineCells(int entry, int year)>;

// Step 4 over entries sorted by GoalsEntryLess (each with one production
// and one goal per chosen period): a line per entry unless TotalsOnly,
// blank rows, then one totals line per year (the sums over every entry of
// the year, a percentage of sums). Appends to list; drill, when given,
// gets one line record per row added. cells, when given, gives each line's
// figures instead.
void WriteGoalsRows(const std::vector<GoalsEntry>& entries, const GoalsOptions& options, const GoalsDisplay& display,
                    QenListWindow* list, GoalsDrillMap* drill = nullptr, const GoalsLineCellsFn& cells = {});

// Steps 2 to 4: computes the entries, writes the rows into list (cleared
// first; its columns are left as they are). Returns the entries.
GoalsResult GenerateGoalsReport(GenDB* db, const GoalsOptions& options, const GoalsDisplay& display,
                                const std::vector<std::string>& selected, const GoalsProductionFn& production,
                                QenListWindow* list, GoalsDrillMap* drill = nullptr);
