#include "stats/stats_generator.h"

#include "host/application.h"
#include "host/gendb.h"
#include "host/list_layout.h"
#include "host/strings.h"
#include "stats/case_acceptance.h"
#include "stats/stats_patients.h"
#include "stats/stats_summary.h"

StatsLists::StatsLists()
    : lists_{QenListWindow(kPatientsListId), QenListWindow(kSummaryListId), QenListWindow(kProductivityListId),
             QenListWindow(kAcceptanceListId)} {
  for (int n = 1; n <= 4; ++n) SetUpStatsListColumns(&lists_[n - 1], n);
}

void SetUpStatsListColumns(QenListWindow* list, int list_number) {
  LoadDialogListRes(list, 2007, StatsListControl(list_number));
  if (list_number != kStatsProductivity || list->Columns().size() < 5) return;
  std::vector<ListColumn> columns = list->Columns();
  const int titles[4] = {271, 272, 277, 273};
  const int widths[4] = {6, 6, 8, 5};
  for (int c = 0; c < 4; ++c) {
    columns[c + 1].title = ModuleString(titles[c]);
    columns[c + 1].width_chars = widths[c];
  }
  list->SetColumns(std::move(columns));
}

RunOutcome FillStatsList(int list_number, const StatsSelection& s, const StatsContext& context, StatsLists* lists,
                         StatsFigures* kept) {
  QenListWindow& list = lists->List(list_number);
  StatsFigures scratch;
  StatsFigures* figures = kept != nullptr ? kept : &scratch;
  lists->Colours(list_number).DeleteElems();
  RunOutcome outcome = context.db != nullptr ? BeginRun(context.db) : RunOutcome();
  switch (list_number) {
    case kStatsPatients:
      outcome.Merge(FillPatientsList(context.db, s, &list, &figures->patients));
      break;
    case kStatsSummary:
      // An unsuccessful request leaves the list empty; the message says why.
      if (!FillSummaryList(context.channel, context.db, context.owner, s, &list, &figures->summary)) {
        const std::string why = context.channel != nullptr ? context.channel->FailureReason() : std::string();
        outcome.NoteFailure("le service de production n'a pas répondu" + (why.empty() ? std::string() : " : " + why));
      }
      break;
    case kStatsProductivity:
      outcome.Merge(FillProductivityList(context.productivity, s, context.prod_units, &list, &figures->productivity));
      break;
    case kStatsAcceptance: {
      CaseAcceptanceGenerator gen(context.db, s);
      gen.SetStatementLookups(context.statement_lookups);
      outcome.Merge(gen.Fill(&list));
      figures->acceptance = gen.Totals();
      break;
    }
    default:
      return RunOutcome::Refused("liste inconnue : " + std::to_string(list_number));
  }
  if (outcome.NoteLostConnection(context.db)) {
    if (list_number != kStatsProductivity) list.ClearList();
    // What was read before the loss is no practice's figure.
    if (list_number == kStatsPatients) figures->patients.clear();
    if (list_number == kStatsProductivity) figures->productivity.clear();
    if (list_number == kStatsAcceptance) figures->acceptance.clear();
    if (list_number == kStatsSummary) figures->summary = StatsSummaryFigures();
  }
  CollectStatsColors(list, list_number, context.colors, &lists->Colours(list_number));
  return outcome;
}

RunOutcome FillAllStatsLists(const StatsSelection& s, const StatsContext& context, StatsLists* lists) {
  RunOutcome run;
  for (int n : kStatsPrintOrder) {
    if (run.ServerLost()) {
      lists->List(n).ClearList();
      lists->Colours(n).DeleteElems();
      continue;
    }
    // The first failure is kept; a lost server's line wins over it.
    run.Merge(FillStatsList(n, s, context, lists));
  }
  return run;
}
