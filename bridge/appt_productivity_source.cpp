#include "bridge/appt_productivity_source.h"

#include <cstring>
#include <memory>

#include "appt/appt_types.h"
#include "appt/appt_generator.h"

RunOutcome ApptProductivitySource::Compute(const StatsProductivityRequest& request,
                                           std::vector<StatsProductivityFigure>* out) {
  // The settings record of the statistics tab: everything zero first.
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
  PracApptGenerator generator(db_, parent_, launcher_info_, settings.get());
  generator.Compute();
  days_done_ = generator.DaysDone();
  for (const PracApptElem* e : generator.Elements().As<PracApptElem>()) {
    out->push_back(StatsProductivityFigure{e->Key, e->Kind, e->SchedUnits, e->Minutes, e->Count});
  }
  return generator.Outcome();
}
