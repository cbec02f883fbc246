// The monthly goals of a dental group: each clinic's report as a single
// practice's run makes it, and the group's total from the clinics' figures.
//
// A clinic's run (RunGoalsClinic) reads the clinic's producers and counts
// its goals of the years, then generates its list on its own connection
// with the same generator as a single practice: its selection is its own
// active producers under "Tous", else the Producers codes (a code the
// clinic lacks gets no entry there, since its production service never
// returns it); a clinic without goals shows its production with empty
// cells (no goal).
//
// The total is made from the figures of the entries, never from the cells'
// texts or percentages, and cell by cell it adds what the clinics' own
// lists show: per producer code and year, each period's production and goal
// are the sums over the clinics whose line has a goal there (a cell
// without a goal is empty in the clinic's list: its production is measured
// against nothing, so it is not measured in the group either); the total
// column, and each year's totals line, add the clinics' own total-column
// cells and totals lines the same way. The percentage is worked out again
// from the two sums. A producer of one clinic only keeps its own figures,
// and a group of one clinic shows that clinic's list.
//
//   D01 2026 January   clinic1 123456 / 100000   clinic2 40000 / 0 (no goal)
//   total              123456 / 100000  ->  "1234.56/1000 (123%)"
//   D01 2026 January   clinic1 123456 / 100000   clinic2 40000 / 50000
//   total              163456 / 150000  ->  "1634.56/1500 (109%)"
//   (not the mean of 123% and 80%)
//
// The checks run once for the group: a year must have a goal in at least
// one clinic (the clinics' counts summed), the selection is the union of
// the clinics' selections, and a named producer must be known to at least
// one clinic.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "goals/goals_generator.h"
#include "goals/goals_options.h"
#include "host/clinic_pool.h"
#include "host/list_window.h"
#include "host/run_outcome.h"
#include "lists/group_list.h"

class GenDB;

// The active producers of every clinic (ReadClinicByClinic on db, the
// caller's connection), each code once with the first clinic's names, in
// code order: the goals tab's producer list for a group. Not finished when
// a clinic's list could not be read (the outcome names it).
RunOutcome LoadGroupActiveProducers(GenDB* db, const std::vector<std::string>& prefixes,
                                    std::vector<GoalsProducer>* out);

// What one clinic's run gives the group.
struct GoalsClinicRun {
  std::vector<std::string> selected;  // the codes its generation took
  std::vector<std::string> known;     // with AllProducers "N": every code of its PRODCD
  long year_goals = 0;                // GOALS records of the report year
  long comp_goals = 0;                // of the comparison year (0 without one)
  bool generated = false;
  std::vector<GoalsEntry> entries;    // the figures behind its list, sorted by GoalsEntryLess
};

// One clinic on db (in the clinic's snapshot): the reads above, then, when
// generate (the caller's checks that need no database passed), the list
// into *list through GenerateGoalsReport with production (drill, when
// given, keeps what a drill of the list needs). The outcome is the
// clinic's: a failed read or statement fails it, a lost server stops it.
RunOutcome RunGoalsClinic(GenDB* db, const GoalsOptions& options, const GoalsDisplay& display,
                          const GoalsProductionFn& production, bool generate, QenListWindow* list,
                          GoalsClinicRun* out, GoalsDrillMap* drill = nullptr);

// The selections of the clinics as one, each code once: under "Tous" in
// code order (as one practice's producer list), else in the order first met
// (the Producers order).
std::vector<std::string> GoalsGroupSelection(const GoalsOptions& options, const std::vector<GoalsClinicRun>& clinics);

// The first named producer (AllProducers "N") that no clinic knows; "" when
// every one is known somewhere.
std::string GoalsGroupUnknownProducer(const GoalsOptions& options, const std::vector<GoalsClinicRun>& clinics);

// The report's rules for the whole group (GoalsRuleFailures): the goals of
// each year counted over every clinic, the selection of GoalsGroupSelection.
std::vector<int> GoalsGroupFailures(const GoalsOptions& options, const std::vector<GoalsClinicRun>& clinics);

// The total's entries: one per producer code and year of any clinic,
// sorted by GoalsEntryLess, each period the sums over the clinics whose
// entry has a goal for it. periods is the number of chosen periods; a
// shorter entry counts 0 for the periods it lacks.
std::vector<GoalsEntry> SumGoalsEntries(const std::vector<GoalsClinicRun>& clinics, size_t periods);

// Writes the group's total into list (cleared first; columns left as they
// are) with the single practice's rows and totals lines (WriteGoalsRows),
// each cell the sums of the clinics' shown cells. Returns its entries.
std::vector<GoalsEntry> WriteGoalsGroupTotal(const std::vector<GoalsClinicRun>& clinics, const GoalsOptions& options,
                                             const GoalsDisplay& display, QenListWindow* list);

// The goals report of a group, for the goals tab and `vantra goals`.
struct GoalsGroupLists {
  std::vector<GoalsClinicRun> runs;                     // one per clinic
  std::vector<std::unique_ptr<QenListWindow>> clinics;  // their lists (list 5111)
  std::unique_ptr<QenListWindow> total;
  std::vector<GroupPart> parts;                         // the clinics' lists with their headings, then the total
  std::unique_ptr<QenListWindow> composed;              // the parts as one list
  std::vector<GroupRowOrigin> origins;
  std::vector<std::string> selected;                    // GoalsGroupSelection: the total's producers
  std::vector<int> failed;                              // refused: every failed rule's string id
  std::vector<std::string> prefixes;                    // of the clinics, in the parts' order
  std::vector<GoalsDrillMap> maps;                      // with keep_drill: each clinic's, by part
};

// Every clinic's report over pool (RunGoalsClinic, each with a production
// service over its own connection), then the group's checks and, when
// they pass, the total and the composed list. The outcome: a clinic that
// did not end well as ClinicGroupOutcome says it; refused with "producteur
// inconnu : X" for a named producer no clinic knows, or with the first
// failed rule's sentence (out->failed holds them all); else finished.
// keep_drill: each clinic's generation keeps its drill map (out->maps).
RunOutcome GenerateGoalsGroup(const ClinicPoolOptions& pool, const std::vector<std::string>& prefixes,
                              const GoalsOptions& options, const GoalsDisplay& display, GoalsGroupLists* out,
                              bool keep_drill = false);

// The rows behind a cell of the group list: a clinic's line drills on that
// clinic (DrillGoalsCell over a connection of pool.url with the clinic's
// prefix, kept in *db for as long as the result is shown: its production
// rows and patients are that clinic's); a heading or a line of the total
// is refused (lists/group_list.h PlaceOfGroupDrill). lists: generated with
// keep_drill.
DrillResult DrillGoalsGroupCell(const ClinicPoolOptions& pool, const GoalsGroupLists& lists,
                                const DrillTarget& target, std::unique_ptr<GenDB>* db);
