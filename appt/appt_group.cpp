// WriteApptGroupTotal: every clinic's elements under one selection.

#include "appt/appt_group.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "appt/appt_generator.h"
#include "appt/appt_lines.h"
#include "appt/appt_drill.h"
#include "appt/appt_options.h"
#include "host/gendb.h"
#include "host/list_layout.h"
#include "suite/clinics.h"
#include "host/list_window.h"
#include "host/tdlist.h"

namespace {

PracApptElem* CopyOf(const PracApptElem& e) {
  auto* c = new PracApptElem();
  c->Status = e.Status;
  c->Date = e.Date;
  c->Fee = e.Fee;
  c->SchedUnits = e.SchedUnits;
  c->Minutes = e.Minutes;
  std::memcpy(c->Code, e.Code, sizeof c->Code);
  std::memcpy(c->Key, e.Key, sizeof c->Key);
  c->Kind = e.Kind;
  c->Period = e.Period;
  c->Count = e.Count;
  c->NetFee = e.NetFee;
  c->NetFrom = e.NetFrom;
  c->NetTo = e.NetTo;
  return c;
}

}  // namespace

void WriteApptGroupTotal(const std::vector<ApptClinicRun>& clinics, PracApptSettings* total, QenListWindow* list) {
  if (clinics.empty() || clinics.front().settings == nullptr) return;
  // Every clinic ran with the group's one selection (GenerateApptGroup):
  // the total takes it as it stands; codes and open weekdays are each
  // clinic's own, so the total lists any clinic's.
  *total = *clinics.front().settings;
  std::vector<std::string> codes;
  std::array<bool, 7> open = {};
  for (const ApptClinicRun& clinic : clinics) {
    for (const std::string& code : clinic.codes) {
      if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
    }
    for (int d = 0; d < 7; ++d) open[d] = open[d] || clinic.open[d];
  }
  SetUpApptColumns(list, total);

  // Every clinic's elements merged: one element per period, producer (or
  // chair), kind, status and code, as one practice's run makes them, its
  // time, units, fees and counts the clinics' sums. A producer's net fees
  // of a period ride on the first of her elements of that period.
  std::map<std::string, PracApptElem*> index;
  std::map<std::string, long> net_fees;  // period start + key -> cents
  TDList elements;
  char buf[64];
  for (const ApptClinicRun& clinic : clinics) {
    if (clinic.elements == nullptr) continue;
    // A clinic's net fees of a producer and period are on each of her
    // elements of the period; the lines read the first.
    std::map<std::string, bool> fee_taken;
    for (const PracApptElem* e : clinic.elements->As<PracApptElem>()) {
      long start = 0, end = 0;
      ApptPeriodRange(total->ReportBy, e->Date, total->DateFrom, total->DateTo, &start, &end);
      std::snprintf(buf, sizeof buf, "%08ld|%-8.8s", start, e->Key);
      const std::string period_key = buf;
      if (e->NetFee != 0 && !fee_taken[period_key]) {
        fee_taken[period_key] = true;
        net_fees[period_key] += e->NetFee;
      }
      const std::string key = period_key + "|" + std::to_string(e->Kind) + "|" + std::string(1, e->Status) + "|" +
                              e->Code;
      auto [it, fresh] = index.try_emplace(key, nullptr);
      if (fresh) {
        it->second = CopyOf(*e);
        it->second->NetFee = 0;
        elements.Append(it->second);
        continue;
      }
      PracApptElem* m = it->second;
      m->Date = std::min(m->Date, e->Date);
      m->Fee += e->Fee;
      m->SchedUnits += e->SchedUnits;
      m->Minutes += e->Minutes;
      m->Count += e->Count;
    }
  }
  if (elements.IsEmpty()) return;
  SortApptByDateKeyKind(&elements);
  for (PracApptElem* e : elements.As<PracApptElem>()) {
    long start = 0, end = 0;
    ApptPeriodRange(total->ReportBy, e->Date, total->DateFrom, total->DateTo, &start, &end);
    std::snprintf(buf, sizeof buf, "%08ld|%-8.8s", start, e->Key);
    auto fee = net_fees.find(buf);
    if (fee == net_fees.end() || fee->second == 0) continue;
    e->NetFee = fee->second;
    e->NetFrom = start;
    e->NetTo = end;
    fee->second = 0;  // the first element of the period carries it
  }
  ApptLineInput input;
  input.settings = total;
  input.codes = codes;
  input.open = open;
  WriteApptReportLines(elements, input, list);
  elements.DeleteElems();
}

RunOutcome GenerateApptGroup(GenDB* db, const ClinicPoolOptions& pool, const std::vector<std::string>& prefixes,
                             const PracApptSettings& settings, bool statement_reads, ApptGroupLists* out,
                             bool keep_drill) {
  const size_t n = prefixes.size();
  const bool producers = settings.ListBy == 'P';
  std::vector<std::string> named;
  for (int i = 0; i < kApptMaxSelected; ++i) {
    const char* entry = producers ? settings.Producers[i] : settings.Chairs[i];
    if (entry[0] == '\0') break;
    named.push_back(entry);
  }
  const bool all = (producers ? settings.AllProducers : settings.AllChairs) == 'Y';
  if (db == nullptr) return BeginRun(nullptr);

  // The group's selection, read clinic by clinic.
  std::vector<std::string> keys;
  const RunOutcome read = ReadClinicByClinic(
      db, prefixes, producers ? "la liste des producteurs" : "la liste des fauteuils", [&](const std::string&) {
        std::vector<ApptChoice> choices;
        LoadApptChoices(db, producers, &choices);
        if (!db->LastError().empty()) return false;
        std::vector<std::string> known, unknown;
        for (const ApptChoice& choice : choices) known.push_back(choice.key);
        PracApptSettings probe = settings;
        SelectClinicApptKeys(db, known, all, named, &probe, &unknown);
        for (long k = 0; k < probe.SelectedCount; ++k) {
          const std::string key = producers ? probe.Producers[k] : probe.Chairs[k];
          if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
        }
        return true;
      });
  if (!read.Finished()) return read;
  if (all && producers) std::stable_sort(keys.begin(), keys.end());  // in code order, as one practice lists them
  if (!all) {
    for (const std::string& key : named) {
      if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
        return RunOutcome::Refused(std::string(producers ? "producteur inconnu : " : "salle inconnue : ") + key);
      }
    }
    keys = named;
  }
  PracApptSettings chosen = settings;
  SelectApptKeys(nullptr, keys, true, {}, &chosen);
  (producers ? chosen.AllProducers : chosen.AllChairs) = all ? 'Y' : 'N';

  // Every clinic's report.
  std::vector<PracApptSettings> own(n, chosen);
  std::vector<std::unique_ptr<PracApptGenerator>> gens(n);
  std::vector<ApptClinicRun> runs(n);
  std::vector<std::unique_ptr<ApptDrillMap>> maps(n);
  out->clinics.clear();
  for (size_t i = 0; i < n; ++i) {
    out->clinics.push_back(std::make_unique<QenListWindow>(5111));
    LoadDialogListRes(out->clinics.back().get(), 2003, 5111);
    SetUpApptColumns(out->clinics.back().get(), &own[i]);
  }
  std::vector<std::string> names;
  const std::vector<ClinicResult> results = RunClinicGroup(pool, prefixes, [&](const ClinicContext& clinic) {
    const size_t i = clinic.index;
    gens[i] = std::make_unique<PracApptGenerator>(clinic.db, nullptr, 0, &own[i]);
    gens[i]->SetStatementReads(statement_reads);
    if (keep_drill) {
      maps[i] = std::make_unique<ApptDrillMap>();
      gens[i]->KeepDrillMap(maps[i].get());
    }
    if (own[i].SelectedCount > 0) gens[i]->Generate(out->clinics[i].get());
    runs[i].elements = &gens[i]->Elements();
    runs[i].settings = &own[i];
    runs[i].codes = ApptCodeList(clinic.db, own[i]);
    runs[i].open = gens[i]->OpenDays();
    RunOutcome end = gens[i]->Outcome();
    end.NoteLostConnection(clinic.db);
    return end;
  }, &names);
  const RunOutcome outcome = ClinicGroupOutcome(results);
  if (!outcome.Complete()) return outcome;

  // The total, when every clinic finished.
  out->total = std::make_unique<QenListWindow>(5111);
  LoadDialogListRes(out->total.get(), 2003, 5111);
  out->settings = chosen;
  if (outcome.Finished()) {
    std::vector<ApptClinicRun> done;
    for (const ApptClinicRun& run : runs) {
      if (run.settings != nullptr) done.push_back(run);
    }
    WriteApptGroupTotal(done, &out->settings, out->total.get());
  }
  out->parts.clear();
  out->prefixes.clear();
  out->maps.clear();
  for (size_t i = 0; i < n; ++i) {
    if (gens[i] == nullptr) continue;
    out->parts.push_back({ClinicHeading(ClinicLabel(prefixes[i]), names[i]), out->clinics[i].get()});
    out->prefixes.push_back(prefixes[i]);
    out->maps.push_back(std::move(maps[i]));
  }
  out->generators = std::move(gens);
  if (outcome.Finished()) out->parts.push_back({GroupTotalHeading(n), out->total.get()});
  out->composed = std::make_unique<QenListWindow>(5111);
  ComposeGroupList(out->parts, out->composed.get(), &out->origins);
  return outcome;
}

DrillResult DrillApptGroupCell(const ClinicPoolOptions& pool, const ApptGroupLists& lists, const DrillTarget& target,
                               std::unique_ptr<GenDB>* db) {
  DrillResult result;
  const GroupDrillPlace place = PlaceOfGroupDrill(lists.origins, lists.prefixes.size(), target);
  const size_t part = static_cast<size_t>(place.part);
  if (!place.refused.empty() || part >= lists.maps.size() || lists.maps[part] == nullptr) {
    result.refused = place.refused.empty() ? "aucune ligne à percer" : place.refused;
    return result;
  }
  *db = OpenClinicDrillDb(pool.url, lists.prefixes[part], &result);
  if (*db == nullptr) return result;
  return TitledForClinic(lists.parts[part].heading,
                         DrillApptCell(*lists.parts[part].list, *lists.maps[part], place.target, false, db->get()));
}
