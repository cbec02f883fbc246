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

bool FillStatsList(int list_number, const StatsSelection& s, const StatsContext& context, StatsLists* lists,
                   std::string* error, bool* lost) {
  QenListWindow& list = lists->List(list_number);
  lists->Colours(list_number).DeleteElems();
  if (lost != nullptr) *lost = false;
  if (context.db != nullptr) context.db->ClearLostConnection();
  bool ok = true;
  std::string message;
  switch (list_number) {
    case kStatsPatients:
      ok = FillPatientsList(context.db, s, &list, &message);
      break;
    case kStatsSummary:
      ok = FillSummaryList(context.channel, context.db, context.owner, s, &list);
      // An unsuccessful request leaves the list empty, without a message in
      // the window; the command line reports it.
      if (!ok) {
        const std::string why = context.channel != nullptr ? context.channel->FailureReason() : std::string();
        message = "le service de production n'a pas répondu" + (why.empty() ? std::string() : " : " + why);
      }
      break;
    case kStatsProductivity:
      ok = FillProductivityList(context.productivity, s, context.prod_units, &list, &message);
      break;
    case kStatsAcceptance: {
      CaseAcceptanceGenerator gen(context.db, s);
      gen.SetStatementLookups(context.statement_lookups);
      ok = gen.Fill(&list, &message);
      break;
    }
    default:
      return false;
  }
  const std::string reason = context.db != nullptr ? context.db->LostConnection() : std::string();
  if (!reason.empty()) {
    ok = false;
    message = PartialListMessage(reason);
    if (lost != nullptr) *lost = true;
    if (list_number != kStatsProductivity) list.ClearList();
  }
  CollectStatsColors(list, list_number, context.colors, &lists->Colours(list_number));
  if (!ok && error) *error = message;
  return ok;
}

bool FillAllStatsLists(const StatsSelection& s, const StatsContext& context, StatsLists* lists,
                       std::string* error, bool* lost) {
  bool ok = true;
  bool gone = false;
  for (int n : kStatsPrintOrder) {
    if (gone) {
      lists->List(n).ClearList();
      lists->Colours(n).DeleteElems();
      continue;
    }
    std::string message;
    if (!FillStatsList(n, s, context, lists, &message, &gone)) {
      // The lost server's line wins over an earlier list's failure.
      if ((ok || gone) && error) *error = message;
      ok = false;
    }
  }
  if (lost != nullptr) *lost = gone;
  return ok;
}
