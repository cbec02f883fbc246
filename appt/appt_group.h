// The productivity report of a dental group: the total under the clinics'
// reports (lists/group_list.h), computed from the clinics' own elements, as
// if one practice had every clinic's chairs and producers. Hours, units,
// fees and missed appointments of the same producer (or chair key) and
// period add up; the usage is computed again from the summed booked and
// available time, never averaged from the clinics' percentages.
//
// The total's columns are the group's one selection, which every clinic's
// report shares (GenerateApptGroup); its booked rows list every code any
// clinic lists; a weekday is open when one clinic opens it.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "appt/appt_generator.h"
#include "appt/appt_types.h"
#include "host/clinic_pool.h"
#include "host/list_window.h"
#include "host/run_outcome.h"
#include "lists/group_list.h"

class GenDB;
class TDList;

// What one clinic's run leaves for the total.
struct ApptClinicRun {
  const TDList* elements = nullptr;              // PracApptGenerator::Elements after Generate
  const PracApptSettings* settings = nullptr;    // its selection (SelectApptKeys)
  std::vector<std::string> codes;                // ApptCodeList of the clinic
  std::array<bool, 7> open = {};                 // PracApptGenerator::OpenDays
};

// Fills *total (the clinics' shared settings) and writes the total's report
// lines into list (columns set up by SetUpApptColumns over *total). Nothing
// is written when no clinic has an element.
void WriteApptGroupTotal(const std::vector<ApptClinicRun>& clinics, PracApptSettings* total, QenListWindow* list);

// The productivity report of a group, for the productivity tab and `vantra
// productivity`.
struct ApptGroupLists {
  PracApptSettings settings;                            // the group's selection (every clinic's)
  std::vector<std::unique_ptr<QenListWindow>> clinics;  // one per clinic
  std::unique_ptr<QenListWindow> total;
  std::vector<GroupPart> parts;                         // the clinics' reports with their headings, then the total
  std::unique_ptr<QenListWindow> composed;              // the parts as one list
  std::vector<GroupRowOrigin> origins;
  std::vector<std::string> prefixes;                    // of the parts' clinics, in the parts' order
  std::vector<std::unique_ptr<ApptDrillMap>> maps;      // with keep_drill: each clinic's, by part
  // The clinics' generators: their elements, which the drill maps point into.
  std::vector<std::unique_ptr<PracApptGenerator>> generators;
};

// One selection for every clinic, so that the clinics' reports and the total
// share their columns: with All the producers (in code order) or chairs of
// every clinic, else the named ones (one that no clinic knows is refused:
// "producteur inconnu : X"); a clinic without one shows an empty column. The
// choices are read clinic by clinic on db (the caller's connection, its
// prefix changed in turn and put back). Then every clinic's report over pool
// (SetUpApptColumns on the lists: list resource 5111 of dialog 2003), and the
// total. statement_reads: the generators' statement-by-statement reads.
RunOutcome GenerateApptGroup(GenDB* db, const ClinicPoolOptions& pool, const std::vector<std::string>& prefixes,
                             const PracApptSettings& settings, bool statement_reads, ApptGroupLists* out,
                             bool keep_drill = false);

// The rows behind a cell of the group list: a clinic's line drills on that
// clinic (a connection of pool.url with its prefix, kept in *db for the
// result); a heading or a line of the total is refused
// (lists/group_list.h PlaceOfGroupDrill).
DrillResult DrillApptGroupCell(const ClinicPoolOptions& pool, const ApptGroupLists& lists, const DrillTarget& target,
                               std::unique_ptr<GenDB>* db);
