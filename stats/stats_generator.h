// Generation of the statistics lists: "Générer" fills all four (patients,
// productivity, case acceptance, summary, in that order); the context menu's
// "Générer" fills one. Each fill clears its list and its coloured-cell
// records first, computes, then records the coloured cells of the new rows.
#pragma once

#include <string>
#include <vector>

#include "host/run_outcome.h"
#include "host/list_window.h"
#include "host/tdlist.h"
#include "stats/case_acceptance.h"
#include "stats/stats_patients.h"
#include "stats/stats_style.h"
#include "stats/stats_productivity.h"
#include "stats/stats_summary.h"
#include "stats/stats_types.h"

class GenDB;
class RequestChannel;

// What a fill reads besides the selection. Pointers are not owned; any may
// be null (no database: empty lists; no channel: no summary; no
// productivity source: the productivity list is not connected).
struct StatsContext {
  GenDB* db = nullptr;
  RequestChannel* channel = nullptr;  // production service, command 2536
  void* owner = nullptr;              // the request's owner window
  StatsProductivitySource* productivity = nullptr;
  char prod_units = 'H';              // PRAC_APPT ProdUnits
  StatsColorOptions colors;
  bool statement_lookups = false;     // case acceptance: one look-up per audit row
};

// The four result lists of the tab with their coloured-cell records.
class StatsLists {
 public:
  StatsLists();
  // list_number 1..4 (REQUIRES).
  QenListWindow& List(int list_number) { return lists_[list_number - 1]; }
  const QenListWindow& List(int list_number) const { return lists_[list_number - 1]; }
  TDList& Colours(int list_number) { return colours_[list_number - 1]; }
  const TDList& Colours(int list_number) const { return colours_[list_number - 1]; }

 private:
  QenListWindow lists_[4];
  TDList colours_[4];
};

// The list's columns from dialog resource 2007 (productivity columns 1-4
// titled "Céduler", "Disponible", "Usage %", "Non Planifié", widths 6, 6, 8, 5).
void SetUpStatsListColumns(QenListWindow* list, int list_number);

// The print-all order: patients, productivity, case acceptance, summary.
inline constexpr int kStatsPrintOrder[4] = {kStatsPatients, kStatsProductivity, kStatsAcceptance, kStatsSummary};

// Fills one list and says how its run ended. Failed: the list holds what
// was computed. Server lost (message PartialListMessage, host/gendb.h): the
// productivity list keeps the days done before it (whole producer rows and
// their total), the other lists, whose every row mixes several statements,
// are left empty.
//
// kept (may be null) gets the figures the list was written from (the
// fields of the other lists are left as they are), for a total over several
// practices (stats/stats_group.h); a lost server leaves the list's empty.
struct StatsFigures {
  std::vector<PatientCounts> patients;
  std::vector<StatsProductivityFigure> productivity;  // the computation's elements, in its order
  std::vector<CaseStats> acceptance;                  // per group and producer, sorted
  StatsSummaryFigures summary;
};
RunOutcome FillStatsList(int list_number, const StatsSelection& s, const StatsContext& context, StatsLists* lists,
                         StatsFigures* kept = nullptr);
// Fills all four in the print-all order; the first failure, or a lost
// server, which ends the run: the lists after it are left empty.
RunOutcome FillAllStatsLists(const StatsSelection& s, const StatsContext& context, StatsLists* lists);
