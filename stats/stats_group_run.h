// The statistics of a dental group, for the statistics tab and `vantra
// stats`: every clinic's lists on its own connection in its own snapshot
// (suite/clinics.h RunClinicGroup), the group's total of each list from the
// clinics' figures (stats/stats_group.h), and each list laid out as one
// (lists/group_list.h): the clinics under their headings, then the total,
// every row styled and coloured as the list it came from styles it.
//
// Each clinic selects among its own producers: under "Tous" its active
// ones; named producers it lacks are absent there (a clinic that knows none
// of them has empty lists). A producer no clinic knows is refused once the
// clinics are read ("producteur inconnu : Z99"), before anything is shown.
//
// The productivity list of a clinic runs the base context's productivity
// source moved to the clinic's connection (StatsProductivitySource::
// OnDatabase); the summary asks the production service over that
// connection.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "host/clinic_pool.h"
#include "host/list_window.h"
#include "host/run_outcome.h"
#include "host/tdlist.h"
#include "lists/drill.h"
#include "lists/group_list.h"
#include "lists/list_style.h"
#include "stats/stats_generator.h"

class GenDB;

// What one clinic's run left: its selection, lists and figures.
struct StatsClinicLists {
  std::string prefix;
  std::string heading;      // "Cabinet c1 — NAME"
  StatsSelection selection;  // the group's, with the clinic's own producers
  StatsLists lists;
  StatsFigures figures;
  bool partial = false;      // the run was cut short (a cancelled group)
};

// One list of the group: the parts laid out as one list.
struct StatsGroupList {
  int number = 0;
  std::vector<GroupPart> parts;  // the clinics that ran, then the total when every clinic finished
  QenListWindow list{0};         // the parts as one list
  std::vector<GroupRowOrigin> origins;
  TDList colours;                // each part's coloured cells at their rows in list
  CellStyleFn style;             // each part's StatsRowStyle, headings bold
};

struct StatsGroupLists {
  std::vector<int> numbers;  // the lists run, in the order given
  // The clinics that ran, in the parts' order (part i is clinics[i]).
  std::vector<std::unique_ptr<StatsClinicLists>> clinics;
  StatsLists totals;         // the group's total of each list run
  bool total = false;        // every clinic finished: the totals are parts
  std::array<std::unique_ptr<StatsGroupList>, 5> composed;  // by list number, those run

  // The group list of list_number; null when it was not run.
  const StatsGroupList* Composed(int list_number) const;
  StatsGroupList* Composed(int list_number);
};

// Runs the lists numbers (kStatsPatients ...) for every clinic of prefixes
// over pool, with base's period and producers and base_context's units,
// colours, look-ups and productivity source (its db, channel and owner are
// the clinics' own). The lists are laid out when the group's outcome
// (ClinicGroupOutcome) is finished or cancelled; a cancelled group has the
// clinics done and no total. A failed list is named by its title in the
// clinic's line ("cabinet c2 : Patients : no such table: ...").
RunOutcome GenerateStatsGroup(const ClinicPoolOptions& pool, const std::vector<std::string>& prefixes,
                              const StatsSelection& base, const StatsContext& base_context,
                              const std::vector<int>& numbers, StatsGroupLists* out);

// Records the coloured cells of every part of every list again with
// colours (the options changed), and the group lists' at their rows.
void CollectStatsGroupColours(const StatsColorOptions& colours, StatsGroupLists* lists);

// The rows behind a cell of the group list of list_number: a clinic's row
// drills on that clinic (DrillStatsCell over a connection of pool.url with
// its prefix, kept in *db for the result; the productivity source of
// base_context moved to it, its meters under base_context.owner); a
// heading or a row of the group's total is refused in one line
// (PlaceOfGroupDrill).
DrillResult DrillStatsGroupCell(const ClinicPoolOptions& pool, const StatsContext& base_context,
                                const StatsGroupLists& lists, int list_number, const DrillTarget& target,
                                std::unique_ptr<GenDB>* db);
