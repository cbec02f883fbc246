// GenerateStatsGroup: every clinic's statistics lists, the group's totals
// and the lists laid out as one; DrillStatsGroupCell.

#include "stats/stats_group_run.h"

#include <algorithm>

#include "host/gendb.h"
#include "host/strings.h"
#include "stats/stats_drill.h"
#include "stats/stats_group.h"
#include "stats/stats_productivity.h"
#include "stats/stats_style.h"
#include "suite/clinics.h"
#include "suite/pick_lists.h"
#include "suite/production_service.h"

namespace {

bool ValidNumber(int list_number) { return list_number >= 1 && list_number <= 4; }

// The clinic's producers under the group's selection: its active ones under
// "Tous", else those of the named ones it knows (knows: per named producer).
bool SelectClinicProducers(GenDB* db, const StatsSelection& base, StatsSelection* sel, std::vector<bool>* knows) {
  if (base.all_producers == 'Y') {
    sel->SetProducers(ActiveProducerCodes(db));
    return db->LastError().empty();
  }
  const std::vector<std::string> known = LoadProducerCodes(db);
  std::vector<std::string> present;
  knows->assign(base.producers.size(), false);
  for (size_t k = 0; k < base.producers.size(); ++k) {
    if (std::find(known.begin(), known.end(), base.producers[k]) == known.end()) continue;
    (*knows)[k] = true;
    present.push_back(base.producers[k]);
  }
  sel->SetProducers(present);
  return db->LastError().empty();
}

// The parts' lists: the clinics', then the total when there is one.
std::vector<StatsLists*> PartsOf(StatsGroupLists* lists) {
  std::vector<StatsLists*> parts;
  for (const auto& clinic : lists->clinics) parts.push_back(&clinic->lists);
  if (lists->total) parts.push_back(&lists->totals);
  return parts;
}

// The parts' coloured cells of group's list at their rows in it.
void MoveGroupColours(const std::vector<StatsLists*>& parts, StatsGroupList* group) {
  std::vector<const TDList*> part_colours;
  for (const StatsLists* part : parts) part_colours.push_back(&part->Colours(group->number));
  group->colours.DeleteElems();
  GroupColours(group->origins, part_colours, &group->colours);
}

// Lays out list_number of every part with its style and colours.
void ComposeStatsGroupList(int number, size_t clinics, StatsGroupLists* out) {
  auto group = std::make_unique<StatsGroupList>();
  group->number = number;
  const std::vector<StatsLists*> parts = PartsOf(out);
  std::vector<CellStyleFn> styles;
  for (size_t p = 0; p < parts.size(); ++p) {
    const bool total = p == out->clinics.size();
    group->parts.push_back({total ? GroupTotalHeading(clinics) : out->clinics[p]->heading, &parts[p]->List(number)});
    styles.push_back(StatsRowStyle(&parts[p]->List(number), number));
  }
  ComposeGroupList(group->parts, &group->list, &group->origins);
  group->style = GroupCellStyle(&group->origins, std::move(styles));
  MoveGroupColours(parts, group.get());
  out->composed[static_cast<size_t>(number)] = std::move(group);
}

}  // namespace

const StatsGroupList* StatsGroupLists::Composed(int list_number) const {
  return ValidNumber(list_number) ? composed[static_cast<size_t>(list_number)].get() : nullptr;
}

StatsGroupList* StatsGroupLists::Composed(int list_number) {
  return ValidNumber(list_number) ? composed[static_cast<size_t>(list_number)].get() : nullptr;
}

RunOutcome GenerateStatsGroup(const ClinicPoolOptions& pool, const std::vector<std::string>& prefixes,
                              const StatsSelection& base, const StatsContext& base_context,
                              const std::vector<int>& numbers, StatsGroupLists* out) {
  out->numbers.clear();
  for (int number : numbers) {
    if (!ValidNumber(number)) return RunOutcome::Refused("liste inconnue : " + std::to_string(number));
    out->numbers.push_back(number);
  }
  out->clinics.clear();
  out->total = false;
  for (auto& c : out->composed) c.reset();
  for (int number = 1; number <= 4; ++number) {
    out->totals.List(number).ClearList();
    out->totals.Colours(number).DeleteElems();
  }

  const size_t n = prefixes.size();
  std::vector<std::unique_ptr<StatsClinicLists>> runs;
  for (size_t i = 0; i < n; ++i) {
    runs.push_back(std::make_unique<StatsClinicLists>());
    runs.back()->prefix = prefixes[i];
    runs.back()->selection = base;
  }
  std::vector<std::vector<bool>> knows(n);
  // Each work touches its own clinic's records only.
  std::vector<std::string> names;
  const std::vector<ClinicResult> results = RunClinicGroup(pool, prefixes, [&](const ClinicContext& clinic) {
    StatsClinicLists& own = *runs[clinic.index];
    RunOutcome run = BeginRun(clinic.db);
    if (!SelectClinicProducers(clinic.db, base, &own.selection, &knows[clinic.index])) {
      run.NoteFailure("la liste des producteurs : " + clinic.db->LastError());
    }
    if (run.NoteLostConnection(clinic.db) || !run.Complete()) return run;
    if (!StatsSelectionUsable(own.selection)) return run;  // none of the named producers works here
    ProductionChannel channel(clinic.db);
    std::unique_ptr<StatsProductivitySource> productivity =
        base_context.productivity != nullptr ? base_context.productivity->OnDatabase(clinic.db, nullptr) : nullptr;
    StatsContext context = base_context;
    context.db = clinic.db;
    context.channel = &channel;
    context.owner = nullptr;
    context.productivity = productivity.get();
    for (int number : out->numbers) {
      RunOutcome list = FillStatsList(number, own.selection, context, &own.lists, &own.figures);
      if (list.ServerLost()) return list;
      if (list.Failed()) list.message = std::string(ModuleString(StatsListTitle(number))) + " : " + list.message;
      run.Merge(list);
    }
    return run;
  }, &names);
  const RunOutcome outcome = ClinicGroupOutcome(results);
  if (!outcome.Complete()) return outcome;
  // A named producer must work in one clinic at least; only a group whose
  // every clinic was read can tell.
  for (size_t k = 0; outcome.Finished() && base.all_producers != 'Y' && k < base.producers.size(); ++k) {
    bool somewhere = false;
    for (const std::vector<bool>& clinic : knows) somewhere = somewhere || (k < clinic.size() && clinic[k]);
    if (!somewhere) return RunOutcome::Refused("producteur inconnu : " + base.producers[k]);
  }

  std::vector<const StatsFigures*> figures;
  for (size_t i = 0; i < n; ++i) {
    if (!results[i].ran) continue;
    runs[i]->heading = ClinicHeading(ClinicLabel(prefixes[i]), i < names.size() ? names[i] : std::string());
    runs[i]->partial = !results[i].outcome.Finished();
    figures.push_back(&runs[i]->figures);
    out->clinics.push_back(std::move(runs[i]));
  }
  out->total = outcome.Finished();
  for (int number : out->numbers) {
    if (out->total) {
      WriteStatsGroupTotal(number, figures, base_context.prod_units, &out->totals.List(number));
      CollectStatsColors(out->totals.List(number), number, base_context.colors, &out->totals.Colours(number));
    }
    // The clinics' coloured cells were recorded by their fills.
    ComposeStatsGroupList(number, n, out);
  }
  return outcome;
}

void CollectStatsGroupColours(const StatsColorOptions& colours, StatsGroupLists* lists) {
  const std::vector<StatsLists*> parts = PartsOf(lists);
  for (int number : lists->numbers) {
    StatsGroupList* group = lists->Composed(number);
    if (group == nullptr) continue;
    for (StatsLists* part : parts) CollectStatsColors(part->List(number), number, colours, &part->Colours(number));
    MoveGroupColours(parts, group);
  }
}

DrillResult DrillStatsGroupCell(const ClinicPoolOptions& pool, const StatsContext& base_context,
                                const StatsGroupLists& lists, int list_number, const DrillTarget& target,
                                std::unique_ptr<GenDB>* db) {
  DrillResult result;
  const StatsGroupList* group = lists.Composed(list_number);
  if (group == nullptr) {
    result.refused = "la liste n'a pas été générée pour le groupe";
    return result;
  }
  const GroupDrillPlace place = PlaceOfGroupDrill(group->origins, lists.clinics.size(), target);
  if (!place.refused.empty()) {
    result.refused = place.refused;
    return result;
  }
  const StatsClinicLists& clinic = *lists.clinics[static_cast<size_t>(place.part)];
  *db = OpenClinicDrillDb(pool.url, clinic.prefix, &result);
  if (*db == nullptr) return result;
  // The clinic's list was written over a connection of its own, as this
  // one reads it: its productivity source and production service move here.
  std::unique_ptr<StatsProductivitySource> productivity =
      base_context.productivity != nullptr ? base_context.productivity->OnDatabase(db->get(), base_context.owner)
                                           : nullptr;
  ProductionChannel channel(db->get());
  StatsContext context = base_context;
  context.db = db->get();
  context.channel = &channel;
  context.productivity = productivity.get();
  return TitledForClinic(clinic.heading, DrillStatsCell(context, clinic.selection, list_number,
                                                        clinic.lists.List(list_number), place.target, clinic.partial));
}
