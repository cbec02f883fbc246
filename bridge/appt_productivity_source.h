// The statistics tab's productivity list runs the productivity computation
// of the productivity tab; the two tabs never include each other, so the
// shell (and the command line) hand the statistics core this adapter.
//
// A statistics core handed none (null) reports its productivity list as
// not connected.
#pragma once

#include <memory>

#include "host/meter.h"

class GenDB;
#include "stats/stats_productivity.h"

class ApptProductivitySource : public StatsProductivitySource {
 public:
  // db: the practice database (not owned). parent: the window the
  // computation's progress meter belongs to.
  ApptProductivitySource(GenDB* db, HWindow parent, long launcher_info)
      : db_(db), parent_(parent), launcher_info_(launcher_info) {}

  // PracApptGenerator::Compute with ListBy 'P', ProdInfo 'S', NoShows,
  // Unscheduled, Cancelled and TotalsOnly 'Y', the request's period, units
  // and producers; its elements in its order (by key, then kind).
  RunOutcome Compute(const StatsProductivityRequest& request, std::vector<StatsProductivityFigure>* out) override;
  // The same computation keeping its rows (PracApptGenerator::KeepDrillMap),
  // listed by the productivity tab's drill (DrillApptElements).
  DrillResult DrillFigure(const StatsProductivityRequest& request, const std::string& producer, int cell) override;

  // Days the last Compute finished (after a Cancel or a lost server, the
  // figures cover those days only); -1 before any.
  long DaysDone() const override { return days_done_; }
  // The computation over db (a clinic's connection), same launcher information.
  std::unique_ptr<StatsProductivitySource> OnDatabase(GenDB* db, HWindow parent) const override {
    return std::make_unique<ApptProductivitySource>(db, parent, launcher_info_);
  }

 private:
  GenDB* db_;
  HWindow parent_;
  long launcher_info_;
  long days_done_ = -1;
};
