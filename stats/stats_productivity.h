// The productivity list (list 3, control 109): booked against available
// chair time per producer, from the schedule-productivity computation.
//
// The statistics core does not run that computation itself (the
// productivity tab's core is another tab): it asks a
// StatsProductivitySource, which the program wires to the productivity
// computation (PracApptGenerator::Compute with ListBy 'P', ProdInfo 'S',
// NoShows, Unscheduled, Cancelled and TotalsOnly 'Y', the period, the
// all-producers letter and the selected codes). The source hands back the
// computation's elements in its order (sorted by key, then kind); the fold
// below turns them into one row per producer and a total.
//
// Fold: a new producer row starts whenever the key changes. Kind 1
// (booked) adds units and minutes and sets the booked count (the total
// adds it); kind 2 (available) adds units and minutes; kind 3 (missed) adds
// its count; other kinds are ignored.
//
// Row, unit mode 'H' (hours "%-.2fH" of minutes / 60, units "%ldU"):
//   "D01 \t1.50H  (3) \t15.00H \t1.50H/15.00H  (10.00%)\t1"
// 'U': units in place of hours; 'B': "9U, 1.50H  (3)", "90U,15.00H",
// "9U/90U, 1.50H/15.00H  (10.00%)". The usage is the whole part of booked ÷
// available minutes × 100 (0 without available minutes), shown with two
// zero decimals. Producer rows carry item data 1, the blank and total rows
// 0. No element: no row at all.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/meter.h"
#include "host/run_outcome.h"
#include "lists/drill.h"

#include "stats/stats_types.h"

class GenDB;
class QenListWindow;

// One element of the productivity computation, as the fold reads it.
struct StatsProductivityFigure {
  std::string key;   // producer code
  long kind = 0;     // 1 booked, 2 available, 3 missed
  long sched_units = 0;
  long minutes = 0;
  long count = 0;
};

// What the statistics tab asks the productivity computation for.
struct StatsProductivityRequest {
  long from = 0;
  long to = 0;
  char all_producers = 'Y';
  char prod_units = 'H';  // "PRAC_APPT" key "ProdUnits": 'H', 'U' or 'B'
  std::vector<std::string> producers;  // the selected codes, at most 100
};

// The productivity computation, as a program wires it. No method throws.
class StatsProductivitySource {
 public:
  virtual ~StatsProductivitySource() = default;
  // Computes the period's figures into *out (in the computation's order)
  // and says how the computation ended (failed: rows may be missing; server
  // lost: the figures of the days done before it).
  virtual RunOutcome Compute(const StatsProductivityRequest& request,
                             std::vector<StatsProductivityFigure>* out) = 0;
  // The rows behind a cell of the list the request's figures fill: the
  // computation run again for the request, keeping the rows it merges into
  // each element, listed for the cell as the fold counts them (cells and
  // rules: kStatsProductivityCells below). producer: the row's code, ""
  // for the total row (every element). A source that keeps no rows refuses.
  virtual DrillResult DrillFigure(const StatsProductivityRequest& request, const std::string& producer, int cell);
  // Days the last Compute finished (a cancelled or cut-short list holds
  // those days only); -1 when unknown.
  virtual long DaysDone() const { return -1; }
  // The same computation over another connection (a clinic's of a dental
  // group), its meters under parent; null when the source cannot move (the
  // clinic's productivity list is then not connected).
  virtual std::unique_ptr<StatsProductivitySource> OnDatabase(GenDB* db, HWindow parent) const {
    (void)db;
    (void)parent;
    return nullptr;
  }
};

// The cells of a productivity row and what their rows are:
//   1 booked     the booked appointments (their hours and count); on a
//                producer row whose appointments fall in elements of
//                several statuses, a second group: the appointments the
//                count shows (the fold takes the count of the producer's
//                last booked element)
//   2 available  the days and blocks whose time was counted
//   3 usage      the booked appointments and the days, each as its group
//   4 missed     the schedule audit rows counted
inline constexpr int kStatsProductivityCells = 4;

StatsProductivityRequest MakeProductivityRequest(const StatsSelection& s, char prod_units);

// One row of the list: a producer's figures folded, or the total.
struct StatsProductivityRow {
  std::string label;  // producer code, or "Total:"
  long booked_units = 0, booked_minutes = 0, booked_count = 0;
  long available_units = 0, available_minutes = 0;
  long missed = 0;
};

// The fold of figures: one row per producer (in the figures' order) into
// *rows and the total into *total (label "Total:"; its booked count adds
// every booked element's). No figure: no row, a zero total.
void FoldProductivity(const std::vector<StatsProductivityFigure>& figures, std::vector<StatsProductivityRow>* rows,
                      StatsProductivityRow* total);

// The text of a row in unit mode units ('U', 'H', anything else reads as
// 'B'); the usage is computed here from its booked and available minutes.
std::string ProductivityRowText(const StatsProductivityRow& row, char units);

// Clears list and writes rows (item data 1), a blank row and the total (item
// data 0); nothing at all when rows is empty.
void WriteProductivityRows(const std::vector<StatsProductivityRow>& rows, const StatsProductivityRow& total,
                           char units, QenListWindow* list);

// Clears list and writes the fold of figures.
void WriteProductivityRows(const std::vector<StatsProductivityFigure>& figures, char units,
                           QenListWindow* list);

// Clears list and fills it through source: the source's outcome. Without a
// source (not wired) the list stays empty and the run has failed with
// ProductivityNotConnectedMessage. kept (may be null) gets the figures the
// rows were folded from.
RunOutcome FillProductivityList(StatsProductivitySource* source, const StatsSelection& s, char prod_units,
                                QenListWindow* list, std::vector<StatsProductivityFigure>* kept = nullptr);

// The message of an unwired source.
const char* ProductivityNotConnectedMessage();
