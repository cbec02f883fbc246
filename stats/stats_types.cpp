#include "stats/stats_types.h"

#include <algorithm>

#include "host/gendb.h"
#include "host/sql_literal.h"
#include "suite/pick_lists.h"

int StatsListControl(int list_number) {
  switch (list_number) {
    case kStatsPatients: return kPatientsListId;
    case kStatsSummary: return kSummaryListId;
    case kStatsProductivity: return kProductivityListId;
    case kStatsAcceptance: return kAcceptanceListId;
    default: return 0;
  }
}

int StatsListTitle(int list_number) {
  switch (list_number) {
    case kStatsPatients: return 88;      // "Patients"
    case kStatsSummary: return 91;       // "C/R"
    case kStatsProductivity: return 89;  // "Productivité"
    case kStatsAcceptance: return 90;    // "Acceptation des cas"
    default: return 0;
  }
}

int StatsListOfControl(int control_id) {
  switch (control_id) {
    case kPatientsListId: return kStatsPatients;
    case kSummaryListId: return kStatsSummary;
    case kProductivityListId: return kStatsProductivity;
    case kAcceptanceListId: return kStatsAcceptance;
    default: return kStatsNoList;
  }
}

int StatsSelection::ProducerIndex(const std::string& code) const {
  for (size_t i = 0; i < producers.size() && i < kStatsMaxProducers; ++i) {
    if (producers[i] == code) return static_cast<int>(i);
  }
  return -1;
}

void StatsSelection::SetProducers(const std::vector<std::string>& codes) {
  producers.clear();
  for (const std::string& code : codes) {
    if (code.empty() || producers.size() >= kStatsMaxProducers) break;
    producers.push_back(code.substr(0, 3));
  }
}

bool StatsSelectionUsable(const StatsSelection& s) {
  if (s.all_producers != 'Y' && s.producers.empty()) return false;
  return s.to >= s.from;
}

std::string ProducerClause(const StatsSelection& s, const char* column, bool dentists_only) {
  if (s.all_producers == 'Y') return std::string();
  std::string clause;
  for (size_t i = 0; i < s.producers.size() && i < kStatsMaxProducers; ++i) {
    std::string code = s.producers[i];
    if (code.empty()) break;
    if (dentists_only) {
      if (code[0] != 'D') continue;
      code.erase(0, 1);
    }
    if (code.empty()) continue;
    clause += clause.empty() ? std::string(column) + " IN (" : std::string(",");
    clause += SqlQuoted(code);
  }
  if (!clause.empty()) clause += ") ";
  return clause;
}

std::vector<std::string> ActiveProducerCodes(GenDB* db) {
  std::vector<std::string> out;
  if (db == nullptr) return out;
  constexpr int c = 25;
  const std::string sql = ActiveProducersSql(db->dbPrefix());
  db->dbExecute(sql.c_str(), c);
  for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c)) {
    char code[4] = {};
    db->dbGetString(1, code, sizeof code, c);
    // A producer without a code cannot be selected (and an empty code would
    // end the selection); a code read cut to its field may repeat another.
    if (code[0] == '\0' || std::find(out.begin(), out.end(), code) != out.end()) continue;
    if (out.size() < kStatsMaxProducers) out.emplace_back(code);
  }
  db->dbClose(c);
  return out;
}
