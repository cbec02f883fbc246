#include "goals/goals_group.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "goals/goals_drill.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "suite/clinics.h"
#include "suite/pick_lists.h"
#include "suite/production_service.h"

namespace {

bool Contains(const std::vector<std::string>& codes, const std::string& code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// A count of the clinic's goals; a failed count fails the clinic's run.
long CountGoals(GenDB* db, const char* year, RunOutcome* outcome) {
  const long n = GoalYearCount(db, year);
  if (n < 0) outcome->NoteFailure(db->LastError().empty() ? "le compte des objectifs a échoué" : db->LastError());
  return std::max(n, 0L);
}

}  // namespace

RunOutcome LoadGroupActiveProducers(GenDB* db, const std::vector<std::string>& prefixes,
                                    std::vector<GoalsProducer>* out) {
  out->clear();
  std::map<std::string, GoalsProducer> by_code;
  const RunOutcome read = ReadClinicByClinic(db, prefixes, "la liste des producteurs", [&](const std::string&) {
    std::vector<GoalsProducer> clinic;
    std::string error;
    if (!LoadActiveProducers(db, &clinic, &error)) return false;
    for (GoalsProducer& p : clinic) by_code.emplace(p.code, std::move(p));
    return true;
  });
  for (auto& [code, p] : by_code) out->push_back(std::move(p));
  return read;
}

RunOutcome RunGoalsClinic(GenDB* db, const GoalsOptions& options, const GoalsDisplay& display,
                          const GoalsProductionFn& production, bool generate, QenListWindow* list,
                          GoalsClinicRun* out, GoalsDrillMap* drill) {
  *out = GoalsClinicRun();
  list->ClearList();
  RunOutcome outcome = BeginRun(db);
  if (!outcome.Finished()) return outcome;
  std::vector<GoalsProducer> active;
  std::string error;
  if (!LoadActiveProducers(db, &active, &error)) {
    outcome.NoteFailure(error.empty() ? "la liste des producteurs est illisible" : error);
  }
  out->selected = SelectedGoalsProducers(options, active);
  if (options.all_producers != 'Y') {
    out->known = LoadProducerCodes(db);
    outcome.NoteFailure(db->LastError());
  }
  out->year_goals = CountGoals(db, options.year, &outcome);
  if (options.HasCompYear()) out->comp_goals = CountGoals(db, options.comp_year, &outcome);
  if (outcome.NoteLostConnection(db) || !outcome.Finished() || !generate) return outcome;

  const GoalsResult result = GenerateGoalsReport(db, options, display, out->selected, production, list, drill);
  out->generated = true;
  out->entries = result.entries;
  outcome.Merge(result.outcome);
  return outcome;
}

std::vector<std::string> GoalsGroupSelection(const GoalsOptions& options, const std::vector<GoalsClinicRun>& clinics) {
  std::vector<std::string> codes;
  for (const GoalsClinicRun& c : clinics) {
    for (const std::string& code : c.selected) {
      if (!Contains(codes, code)) codes.push_back(code);
    }
  }
  if (options.all_producers == 'Y') std::sort(codes.begin(), codes.end());
  return codes;
}

std::string GoalsGroupUnknownProducer(const GoalsOptions& options, const std::vector<GoalsClinicRun>& clinics) {
  if (options.all_producers == 'Y') return std::string();
  for (const std::string& code : options.producers) {
    const bool known = std::any_of(clinics.begin(), clinics.end(),
                                   [&code](const GoalsClinicRun& c) { return Contains(c.known, code); });
    if (!known) return code;
  }
  return std::string();
}

std::vector<int> GoalsGroupFailures(const GoalsOptions& options, const std::vector<GoalsClinicRun>& clinics) {
  long year_goals = 0, comp_goals = 0;
  for (const GoalsClinicRun& c : clinics) {
    year_goals += c.year_goals;
    comp_goals += c.comp_goals;
  }
  return GoalsRuleFailures(options, year_goals, comp_goals, GoalsGroupSelection(options, clinics).size());
}

namespace {

// "%s%d": the rows' order (GoalsEntryLess).
std::string EntryKey(const std::string& producer, int year) {
  char key[32];
  std::snprintf(key, sizeof key, "%s%d", producer.c_str(), year);
  return key;
}

GoalsLineCells EmptyCells(size_t periods) {
  GoalsLineCells cells;
  cells.production.assign(periods, 0);
  cells.goal.assign(periods, 0);
  return cells;
}

// A clinic's line as its own list shows it, added to sum cell by cell
// where it shows a figure: a cell without a goal is empty there
// (GoalCellText), and its production is measured against nothing.
void AddShownCells(const GoalsLineCells& clinic, GoalsLineCells* sum) {
  for (size_t i = 0; i < sum->production.size() && i < clinic.production.size() && i < clinic.goal.size(); ++i) {
    if (clinic.goal[i] < 1) continue;
    sum->production[i] += clinic.production[i];
    sum->goal[i] += clinic.goal[i];
  }
  if (clinic.total_goal >= 1) {
    sum->total_production += clinic.total_production;
    sum->total_goal += clinic.total_goal;
  }
}

// An entry's figures over exactly periods periods (a shorter one counts 0).
GoalsLineCells CellsOfEntry(const GoalsEntry& e, size_t periods) {
  std::vector<long> production(periods, 0), goal(periods, 0);
  for (size_t i = 0; i < periods; ++i) {
    if (i < e.production.size()) production[i] = e.production[i];
    if (i < e.goal.size()) goal[i] = e.goal[i];
  }
  return GoalsCellsOf(production, goal);
}

// The group's total, cell by cell: per producer and year, and per year for
// the totals lines, the sums of what the clinics' own lines show.
struct EntrySum {
  GoalsEntry entry;       // producer, year, the strongest record applied; the periods' sums
  GoalsLineCells cells;   // the same sums, with the total column's
};
struct GroupCells {
  std::map<std::string, EntrySum> entries;  // by EntryKey: the rows' order
  std::map<int, GoalsLineCells> totals;     // by year
};

GroupCells SumShownCells(const std::vector<GoalsClinicRun>& clinics, size_t periods) {
  GroupCells out;
  for (const GoalsClinicRun& c : clinics) {
    std::map<int, GoalsLineCells> clinic_totals;  // the clinic's own totals lines
    for (const GoalsEntry& e : c.entries) {
      const GoalsLineCells cells = CellsOfEntry(e, periods);
      auto [it, made] = out.entries.try_emplace(EntryKey(e.producer, e.year));
      EntrySum& sum = it->second;
      if (made) {
        sum.entry.producer = e.producer;
        sum.entry.year = e.year;
        sum.cells = EmptyCells(periods);
      }
      sum.entry.applied = std::max(sum.entry.applied, e.applied);
      AddShownCells(cells, &sum.cells);
      GoalsLineCells& total = clinic_totals.try_emplace(e.year, EmptyCells(periods)).first->second;
      for (size_t i = 0; i < periods; ++i) {
        total.production[i] += cells.production[i];
        total.goal[i] += cells.goal[i];
      }
    }
    for (auto& [year, total] : clinic_totals) {
      total = GoalsCellsOf(total.production, total.goal);
      AddShownCells(total, &out.totals.try_emplace(year, EmptyCells(periods)).first->second);
    }
  }
  return out;
}

// The total's entries, in the rows' order (the map's).
std::vector<GoalsEntry> EntriesOf(const GroupCells& sums) {
  std::vector<GoalsEntry> out;
  out.reserve(sums.entries.size());
  for (const auto& [key, sum] : sums.entries) {
    GoalsEntry e = sum.entry;
    e.production = sum.cells.production;
    e.goal = sum.cells.goal;
    out.push_back(std::move(e));
  }
  return out;
}

}  // namespace

std::vector<GoalsEntry> SumGoalsEntries(const std::vector<GoalsClinicRun>& clinics, size_t periods) {
  return EntriesOf(SumShownCells(clinics, periods));
}

std::vector<GoalsEntry> WriteGoalsGroupTotal(const std::vector<GoalsClinicRun>& clinics, const GoalsOptions& options,
                                             const GoalsDisplay& display, QenListWindow* list) {
  list->ClearList();
  const size_t periods = GoalsPeriods(options, options.Year()).size();
  const GroupCells sums = SumShownCells(clinics, periods);
  std::vector<GoalsEntry> entries = EntriesOf(sums);
  WriteGoalsRows(entries, options, display, list, nullptr, [&](int entry, int year) {
    if (entry < 0) {
      auto it = sums.totals.find(year);
      return it != sums.totals.end() ? it->second : EmptyCells(periods);
    }
    const GoalsEntry& e = entries[static_cast<size_t>(entry)];
    return sums.entries.at(EntryKey(e.producer, e.year)).cells;
  });
  return entries;
}

RunOutcome GenerateGoalsGroup(const ClinicPoolOptions& pool, const std::vector<std::string>& prefixes,
                              const GoalsOptions& options, const GoalsDisplay& display, GoalsGroupLists* out,
                              bool keep_drill) {
  *out = GoalsGroupLists();
  const size_t n = prefixes.size();
  const bool show_total = display.show_tot_col == 'Y';
  out->prefixes = prefixes;
  out->runs.resize(n);
  if (keep_drill) out->maps.resize(n);
  for (size_t i = 0; i < n; ++i) {
    out->clinics.push_back(std::make_unique<QenListWindow>(kGoalsListId));
    SetGoalsColumns(out->clinics.back().get(), options, show_total);
  }
  // The rules that need no database: when one fails the run is refused
  // whatever the clinics hold, so they are only read, not generated.
  const bool generate = GoalsRuleFailures(options, 1, 1, 1).empty();
  std::vector<std::string> names;
  // Each work touches only its own index.
  const std::vector<ClinicResult> results = RunClinicGroup(
      pool, prefixes,
      [&](const ClinicContext& clinic) {
        ProductionChannel channel(clinic.db);
        return RunGoalsClinic(clinic.db, options, display, ChannelProduction(&channel, nullptr), generate,
                              out->clinics[clinic.index].get(), &out->runs[clinic.index],
                              keep_drill ? &out->maps[clinic.index] : nullptr);
      },
      &names);
  const RunOutcome outcome = ClinicGroupOutcome(results);
  if (!outcome.Finished()) return outcome;
  const std::string unknown = GoalsGroupUnknownProducer(options, out->runs);
  if (!unknown.empty()) return RunOutcome::Refused("producteur inconnu : " + unknown);
  out->failed = GoalsGroupFailures(options, out->runs);
  if (!out->failed.empty()) return RunOutcome::Refused(ModuleString(out->failed.front()));

  out->selected = GoalsGroupSelection(options, out->runs);
  out->total = std::make_unique<QenListWindow>(kGoalsListId);
  SetGoalsColumns(out->total.get(), options, show_total);
  WriteGoalsGroupTotal(out->runs, options, display, out->total.get());
  for (size_t i = 0; i < n; ++i) {
    out->parts.push_back({ClinicHeading(ClinicLabel(prefixes[i]), i < names.size() ? names[i] : std::string()),
                          out->clinics[i].get()});
  }
  out->parts.push_back({GroupTotalHeading(n), out->total.get()});
  out->composed = std::make_unique<QenListWindow>(kGoalsListId);
  ComposeGroupList(out->parts, out->composed.get(), &out->origins);
  return outcome;
}

DrillResult DrillGoalsGroupCell(const ClinicPoolOptions& pool, const GoalsGroupLists& lists,
                                const DrillTarget& target, std::unique_ptr<GenDB>* db) {
  DrillResult result;
  const GroupDrillPlace place = PlaceOfGroupDrill(lists.origins, lists.prefixes.size(), target);
  const size_t part = static_cast<size_t>(place.part);
  if (!place.refused.empty() || part >= lists.maps.size() || part >= lists.clinics.size()) {
    result.refused = place.refused.empty() ? "aucune ligne à percer" : place.refused;
    return result;
  }
  *db = OpenClinicDrillDb(pool.url, lists.prefixes[part], &result);
  if (*db == nullptr) return result;
  return TitledForClinic(lists.parts[part].heading,
                         DrillGoalsCell(db->get(), *lists.clinics[part], lists.maps[part], place.target));
}
