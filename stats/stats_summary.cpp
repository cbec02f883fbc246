#include "stats/stats_summary.h"

#include <cstdio>
#include <set>

#include "host/application.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "host/prodanal.h"
#include "host/strings.h"
#include "stats/stats_format.h"

namespace {

// Producers PRODCD marks inactive (IsProdInactive), read once per fill.
std::set<std::string> InactiveProducers(GenDB* db) {
  std::set<std::string> out;
  if (db == nullptr) return out;
  constexpr int c = 25;
  const std::string sql = std::string("SELECT PROD_CODE FROM ") + db->dbPrefix() +
                          "PRODCD WHERE PROD_INACTIVE = 'Y' ";
  db->dbExecute(sql.c_str(), c);
  for (int r = db->dbFetch(0, c); r == 0; r = db->dbFetch(1, c)) {
    char code[4] = {};
    db->dbGetString(1, code, sizeof code, c);
    out.insert(code);
  }
  db->dbClose(c);
  return out;
}

long V(const prodanal_info& p, Triple t) { return p.Get(t, 1); }

}  // namespace

std::string SummaryRow(const std::string& label, const prodanal_info& p) {
  const long values[] = {V(p, Triple::T1) + V(p, Triple::T3), V(p, Triple::T2), V(p, Triple::T4),
                         V(p, Triple::T5), V(p, Triple::P1), V(p, Triple::G1c), V(p, Triple::G2c),
                         V(p, Triple::G2c) + V(p, Triple::T5)};
  std::string row = label;
  for (long v : values) row += " \t" + MakeNoCommaNumFormat(v);
  return row;
}

std::string SummaryGoalRow(long fees_total, long goal) {
  char pct[48];
  const float ratio = static_cast<float>(fees_total) / static_cast<float>(goal) * 100.0f;
  std::snprintf(pct, sizeof pct, " (%.2f%%)", static_cast<double>(ratio));
  return std::string(ModuleString(kGoalLabel)) + " \t \t \t \t" + MakeNoCommaNumFormat(goal) + pct +
         " \t \t \t \t";
}

bool FillSummaryList(RequestChannel* channel, GenDB* db, void* owner, const StatsSelection& s,
                     QenListWindow* list) {
  list->ClearList();
  if (channel == nullptr) return false;
  TDList result;
  ProdAnalRequest request;
  request.owner = owner;
  request.result = &result;
  request.from = s.from;
  request.to = s.to;
  channel->Request(2536, &request);
  if (request.status != 1 || result.IsEmpty()) return false;
  const std::set<std::string> inactive = s.all_producers == 'Y' ? InactiveProducers(db) : std::set<std::string>();
  // Each total is the sum of the values shown in its column; summing each
  // triple read gives exactly that (T1+T3 and G2c+T5 are sums of sums).
  prodanal_info total;
  for (auto* p : result.As<prodanal_info>()) {
    const std::string code = p->Code();
    if (s.all_producers == 'Y') {
      if (inactive.count(code) != 0) continue;
    } else if (s.ProducerIndex(code) < 0) {
      continue;
    }
    list->AddString(SummaryRow(code, *p), 1);
    for (Triple t : {Triple::T1, Triple::T2, Triple::T3, Triple::T4, Triple::T5, Triple::P1, Triple::G1c,
                     Triple::G2c}) {
      total.Add(t, 1, p->Get(t, 1));
    }
  }
  list->AddString("", 0);
  list->AddString(SummaryRow(ModuleString(kTotalLabel), total), 0);
  if (s.fees_goal > 0) {
    list->AddString("", 0);
    list->AddString(SummaryGoalRow(total.Get(Triple::T5, 1), s.fees_goal), 0);
  }
  return true;
}
