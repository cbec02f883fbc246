// The practice-statistics tab's state and records, shared by its four
// lists (patients, productivity, case acceptance, summary), the command line
// and the dialogs.
//
// Units: dates YYYYMMDD longs (0 = no bound), money whole cents, producer
// codes up to 3 characters.
#pragma once

#include <string>
#include <vector>

#include "host/tdlist.h"

inline constexpr int kStatsMaxProducers = 100;

// List numbers: the context menu, printing, export and the chart name the
// lists by them.
enum StatsList : int {
  kStatsNoList = 0,
  kStatsPatients = 1,
  kStatsSummary = 2,
  kStatsProductivity = 3,
  kStatsAcceptance = 4,
};
// Control ids of the four result lists of dialog 2007.
inline constexpr int kPatientsListId = 107;
inline constexpr int kAcceptanceListId = 108;
inline constexpr int kProductivityListId = 109;
inline constexpr int kSummaryListId = 110;
inline constexpr int kProducerListId = 111;

// Module string ids of the titles.
inline constexpr int kStatsReportTitle = 82;   // "Analyse du cabinet"
inline constexpr int kTotalLabel = 57;         // "Total:"
inline constexpr int kGoalLabel = 92;          // "Objectif"

// Control id and title string of a list number; 0 for kStatsNoList.
int StatsListControl(int list_number);
int StatsListTitle(int list_number);
// List number of a control id (107..110), 0 otherwise.
int StatsListOfControl(int control_id);

// The period and producer choice every list is computed for.
struct StatsSelection {
  long from = 0;
  long to = 0;
  char all_producers = 'Y';
  // Selected codes in list order, at most kStatsMaxProducers, each at most
  // 3 characters; the first empty code ends the selection.
  std::vector<std::string> producers;
  long fees_goal = 0;  // cents; the goal row of the summary list

  // Position of code among the selected producers (exact), or -1.
  int ProducerIndex(const std::string& code) const;
  // Stores codes: each cut to 3 bytes, stopping at the first empty one or
  // after kStatsMaxProducers.
  void SetProducers(const std::vector<std::string>& codes);
};

// The codes of the producer list of the tab: "SELECT PROD_CODE, ... FROM
// PRODCD WHERE PROD_INACTIVE != 'Y' ORDER BY PROD_CODE" on cursor 25 (each
// code cut to 3 characters). Under "Tous" these are the selected codes.
class GenDB;
std::vector<std::string> ActiveProducerCodes(GenDB* db);

// Generation stops without a message when no producer is selected while all
// producers is 'N', or when the to date comes before the from date.
bool StatsSelectionUsable(const StatsSelection& s);

// The producer clause of the patients queries: empty when all producers is
// 'Y'; otherwise column + " IN (" + quoted codes joined by "," + ") ". With
// dentists_only, codes not beginning with 'D' are skipped and the 'D' is
// removed; an empty remainder is skipped. Every code is an escaped literal.
//   {"D01", "H01", "D"} on PAT_DOCTOR -> "PAT_DOCTOR IN ('01') "
std::string ProducerClause(const StatsSelection& s, const char* column, bool dentists_only);
