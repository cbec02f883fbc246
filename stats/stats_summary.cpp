#include "stats/stats_summary.h"

#include <cstdio>
#include <set>
#include <utility>

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

}  // namespace

StatsSummaryFigure StatsSummaryFigure::Of(const prodanal_info& p) {
  StatsSummaryFigure f;
  f.producer = p.Code();
  f.t1 = p.Get(Triple::T1, 1);
  f.t2 = p.Get(Triple::T2, 1);
  f.t3 = p.Get(Triple::T3, 1);
  f.t4 = p.Get(Triple::T4, 1);
  f.t5 = p.Get(Triple::T5, 1);
  f.p1 = p.Get(Triple::P1, 1);
  f.g1c = p.Get(Triple::G1c, 1);
  f.g2c = p.Get(Triple::G2c, 1);
  return f;
}

void StatsSummaryFigure::Add(const StatsSummaryFigure& o) {
  t1 += o.t1;
  t2 += o.t2;
  t3 += o.t3;
  t4 += o.t4;
  t5 += o.t5;
  p1 += o.p1;
  g1c += o.g1c;
  g2c += o.g2c;
}

std::string SummaryRow(const std::string& label, const StatsSummaryFigure& f) {
  const long values[] = {f.t1 + f.t3, f.t2, f.t4, f.t5, f.p1, f.g1c, f.g2c, f.g2c + f.t5};
  std::string row = label;
  for (long v : values) row += " \t" + MakeNoCommaNumFormat(v);
  return row;
}

std::string SummaryRow(const std::string& label, const prodanal_info& p) {
  return SummaryRow(label, StatsSummaryFigure::Of(p));
}

std::string SummaryGoalRow(long fees_total, long goal) {
  char pct[48];
  const float ratio = static_cast<float>(fees_total) / static_cast<float>(goal) * 100.0f;
  std::snprintf(pct, sizeof pct, " (%.2f%%)", static_cast<double>(ratio));
  return std::string(ModuleString(kGoalLabel)) + " \t \t \t \t" + MakeNoCommaNumFormat(goal) + pct +
         " \t \t \t \t";
}

void WriteSummaryRows(const StatsSummaryFigures& figures, QenListWindow* list) {
  list->ClearList();
  if (!figures.answered) return;
  // Each total is the sum of the values shown in its column; summing each
  // triple gives exactly that (T1+T3 and G2c+T5 are sums of sums).
  StatsSummaryFigure total;
  for (const StatsSummaryFigure& f : figures.rows) {
    list->AddString(SummaryRow(f.producer, f), 1);
    total.Add(f);
  }
  list->AddString("", 0);
  list->AddString(SummaryRow(ModuleString(kTotalLabel), total), 0);
  if (figures.goal > 0) {
    list->AddString("", 0);
    list->AddString(SummaryGoalRow(total.t5, figures.goal), 0);
  }
}

bool FillSummaryList(RequestChannel* channel, GenDB* db, void* owner, const StatsSelection& s,
                     QenListWindow* list, StatsSummaryFigures* kept) {
  list->ClearList();
  if (kept != nullptr) *kept = StatsSummaryFigures();
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
  StatsSummaryFigures figures;
  figures.answered = true;
  figures.goal = s.fees_goal;
  for (auto* p : result.As<prodanal_info>()) {
    const std::string code = p->Code();
    if (s.all_producers == 'Y') {
      if (inactive.count(code) != 0) continue;
    } else if (s.ProducerIndex(code) < 0) {
      continue;
    }
    figures.rows.push_back(StatsSummaryFigure::Of(*p));
  }
  WriteSummaryRows(figures, list);
  if (kept != nullptr) *kept = std::move(figures);
  return true;
}
