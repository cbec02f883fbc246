#include "bridge/appt_productivity_source.h"

#include <cstring>
#include <memory>
#include <unordered_set>

#include "appt/appt_drill.h"
#include "appt/appt_generator.h"
#include "appt/appt_lines.h"
#include "appt/appt_types.h"

namespace {

// The settings record of the statistics tab: everything zero first.
std::unique_ptr<PracApptSettings> SettingsOf(const StatsProductivityRequest& request) {
  auto settings = std::make_unique<PracApptSettings>();
  std::memset(static_cast<void*>(settings.get()), 0, sizeof(PracApptSettings));
  settings->DateFrom = request.from;
  settings->DateTo = request.to;
  settings->AllProducers = request.all_producers;
  // Every chair: the productivity core filters chairs in producer lists
  // too, and a zeroed letter would select none.
  settings->AllChairs = 'Y';
  settings->ListBy = 'P';
  settings->ProdUnits = request.prod_units;
  settings->ProdInfo = 'S';
  settings->NoShows = 'Y';
  settings->Unscheduled = 'Y';
  settings->Cancelled = 'Y';
  settings->TotalsOnly = 'Y';
  long count = 0;
  for (const std::string& code : request.producers) {
    if (code.empty() || count >= kApptMaxSelected) break;
    CopyField(settings->Producers[count++], code.c_str());
  }
  settings->SelectedCount = count;
  return settings;
}

}  // namespace

RunOutcome ApptProductivitySource::Compute(const StatsProductivityRequest& request,
                                           std::vector<StatsProductivityFigure>* out) {
  auto settings = SettingsOf(request);
  PracApptGenerator generator(db_, parent_, launcher_info_, settings.get());
  generator.Compute();
  days_done_ = generator.DaysDone();
  for (const PracApptElem* e : generator.Elements().As<PracApptElem>()) {
    out->push_back(StatsProductivityFigure{e->Key, e->Kind, e->SchedUnits, e->Minutes, e->Count});
  }
  return generator.Outcome();
}

DrillResult ApptProductivitySource::DrillFigure(const StatsProductivityRequest& request, const std::string& producer,
                                                int cell) {
  DrillResult result;
  if (cell < 1 || cell > kStatsProductivityCells) {
    result.refused = LabelCellMessage({0, cell});
    return result;
  }
  auto settings = SettingsOf(request);
  PracApptGenerator generator(db_, parent_, launcher_info_, settings.get());
  ApptDrillMap map;
  generator.KeepDrillMap(&map);
  generator.Compute();
  result.outcome = generator.Outcome();
  // The elements the row folds, by kind, in the fold's order.
  std::unordered_set<const PracApptElem*> booked, available, missed;
  const PracApptElem* last_booked = nullptr;
  for (const PracApptElem* e : generator.Elements().As<PracApptElem>()) {
    if (!producer.empty() && producer != e->Key) continue;
    if (e->Kind == 1) {
      booked.insert(e);
      last_booked = e;
    } else if (e->Kind == 2) {
      available.insert(e);
    } else if (e->Kind == 3) {
      missed.insert(e);
    }
  }
  switch (cell) {
    case 1:
      if (producer.empty() || booked.size() < 2) {
        DrillApptElements(map, booked, kApptRowSummary, &result, db_);
        break;
      }
      {
        // Booked elements of several statuses: the hours are every one's,
        // the count the last one's.
        StartDrillList(&result, 0, ApptDrillColumns(kApptRowSummary));
        BeginDrillGroup(&result, "Céduler");
        AddApptDrillRows(map, booked, kApptRowSummary, &result, db_);
        std::string status = last_booked->Status > ' ' ? std::string(1, last_booked->Status) : std::string();
        BeginDrillGroup(&result, "Nombre (dernier élément compté, statut « " + status + " »)");
        AddApptDrillRows(map, {last_booked}, kApptRowSummary, &result, db_);
        EndDrillGroup(&result);
      }
      break;
    case 2:
      DrillApptElements(map, available, kApptRowAvailable, &result, db_);
      break;
    case 3: {
      std::unordered_set<const PracApptElem*> both = booked;
      both.insert(available.begin(), available.end());
      DrillApptElements(map, both, kApptRowUsage, &result, db_);
      break;
    }
    default:
      DrillApptElements(map, missed, kApptRowMissed, &result, db_);
      break;
  }
  return result;
}
