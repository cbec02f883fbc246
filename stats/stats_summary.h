// The summary list (list 2, control 110): per producer, the figures of the
// suite's production service (command 2536) for the period, a total row and,
// when a monthly fees goal is set, the goal row.
//
// Columns (value 1 of each prodanal_info triple, by MakeNoCommaNumFormat):
//   0 producer  1 T1+T3  2 T2  3 T4  4 T5 (fees)  5 P1  6 G1c
//   7 G2c (payments)  8 G2c+T5
// Producers: under "Tous" every producer the service returns except those
// PRODCD marks inactive; otherwise exactly the selected codes the service
// returns, active or not. Rows carry item data 1; blank, total and goal rows
// 0. Nothing at all is written when the request fails or returns no record.
//
// Worked example (goal $10000.00, one producer D01 with T1 50000, T3 20000,
// T5 80000): "D01 \t$700.00 \t... \t$800.00 \t...", blank, "Total: \t...",
// blank, "Objectif \t \t \t \t$10000.00 (8.00%) \t \t \t \t".
#pragma once

#include <string>
#include <vector>

#include "stats/stats_types.h"

class GenDB;
class QenListWindow;
class RequestChannel;
class prodanal_info;

// The figures of one summary row: value 1 of the triples the columns read,
// in cents (sums of several records stay exact past 32 bits).
struct StatsSummaryFigure {
  std::string producer;
  long t1 = 0, t2 = 0, t3 = 0, t4 = 0, t5 = 0, p1 = 0, g1c = 0, g2c = 0;

  static StatsSummaryFigure Of(const prodanal_info& p);
  void Add(const StatsSummaryFigure& other);  // every figure, not the producer
};

// What a fill listed: answered false when the request failed or returned no
// record (nothing written); else the rows shown, in order, and the goal
// (0: no goal row).
struct StatsSummaryFigures {
  bool answered = false;
  std::vector<StatsSummaryFigure> rows;
  long goal = 0;
};

// The row text of one record (label = the producer code or "Total:").
std::string SummaryRow(const std::string& label, const prodanal_info& p);
std::string SummaryRow(const std::string& label, const StatsSummaryFigure& f);
// The goal row for a fees total and a goal > 0.
std::string SummaryGoalRow(long fees_total, long goal);

// Clears list and writes what figures say: nothing unless answered; else
// the rows (item data 1), a blank row, the total (each column's sum) and,
// when the goal is above 0, a blank row and the goal row over the total's
// fees.
void WriteSummaryRows(const StatsSummaryFigures& figures, QenListWindow* list);

// Clears list and fills it from the production channel (command 2536) for
// the selection's period. db answers which producers are inactive (may be
// null: none is). owner is the request's owner window. False when the
// request did not succeed (the list is then empty). kept (may be null) gets
// the figures the rows were written from.
bool FillSummaryList(RequestChannel* channel, GenDB* db, void* owner, const StatsSelection& s,
                     QenListWindow* list, StatsSummaryFigures* kept = nullptr);
