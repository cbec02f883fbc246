// GenerateAuditGroup: the clinics' audit lists and the group's total.

#include "audit/audit_group.h"

#include "audit/audit_generator.h"
#include "host/list_layout.h"
#include "suite/clinics.h"

RunOutcome GenerateAuditGroup(const ClinicPoolOptions& pool, const std::vector<std::string>& prefixes,
                              const AuditOptions& options, bool summary, AuditGroupLists* out, bool keep_drill) {
  const size_t n = prefixes.size();
  const int id = summary ? 301 : 300;
  std::vector<AuditOptions> own(n, options);
  std::vector<std::unique_ptr<PracBaseGenerator>> gens(n);
  out->clinics.clear();
  std::vector<AuditDrillMap> maps(n);
  for (size_t i = 0; i < n; ++i) {
    out->clinics.push_back(std::make_unique<QenListWindow>(id));
    LoadRes(out->clinics.back().get(), id);
  }
  std::vector<std::string> names;
  const std::vector<ClinicResult> results = RunClinicGroup(pool, prefixes, [&](const ClinicContext& clinic) {
    std::unique_ptr<PracBaseGenerator>& gen = gens[clinic.index];
    if (summary) {
      gen = std::make_unique<PracSummaryGenerator>(clinic.db, nullptr, &own[clinic.index]);
    } else {
      gen = std::make_unique<PracDetailedGenerator>(clinic.db, nullptr, &own[clinic.index]);
    }
    if (keep_drill) {
      maps[clinic.index].list_id = id;
      gen->KeepDrillMap(&maps[clinic.index]);
    }
    gen->Generate(out->clinics[clinic.index].get());
    return gen->Outcome();
  }, &names);
  const RunOutcome outcome = ClinicGroupOutcome(results);
  if (!outcome.Complete()) return outcome;

  out->total = std::make_unique<QenListWindow>(id);
  LoadRes(out->total.get(), id);
  out->clinic_rows.assign(n, 0);
  if (outcome.Finished()) {
    AuditOptions total_options = options;
    ListLineSink sink(out->total.get());
    if (summary) {
      std::vector<const PracSummaryGenerator*> clinics;
      for (const auto& gen : gens) clinics.push_back(static_cast<const PracSummaryGenerator*>(gen.get()));
      PracSummaryGenerator merged(nullptr, nullptr, &total_options);
      merged.MergeClinics(clinics);
      if (!merged.Elements().IsEmpty()) merged.FillLines(&sink);
    } else {
      std::vector<const PracBaseGenerator*> clinics;
      for (const auto& gen : gens) clinics.push_back(gen.get());
      PracDetailedGenerator merged(nullptr, nullptr, &total_options);
      merged.FillGroupTotal(clinics, &sink);
    }
  }
  out->parts.clear();
  out->prefixes.clear();
  out->maps.clear();
  for (size_t i = 0; i < n; ++i) {
    if (!results[i].ran || gens[i] == nullptr) continue;
    out->parts.push_back({ClinicHeading(ClinicLabel(prefixes[i]), names[i]), out->clinics[i].get()});
    out->prefixes.push_back(prefixes[i]);
    if (keep_drill) out->maps.push_back(std::move(maps[i]));
  }
  if (keep_drill) out->generators = std::move(gens);
  // The total only when every clinic finished.
  if (outcome.Finished()) out->parts.push_back({GroupTotalHeading(n), out->total.get()});
  out->composed = std::make_unique<QenListWindow>(id);
  ComposeGroupList(out->parts, out->composed.get(), &out->origins);
  return outcome;
}

DrillResult DrillAuditGroupCell(const ClinicPoolOptions& pool, const AuditOptions& options,
                                const AuditGroupLists& lists, const DrillTarget& target, std::unique_ptr<GenDB>* db) {
  DrillResult result;
  const GroupDrillPlace place = PlaceOfGroupDrill(lists.origins, lists.prefixes.size(), target);
  if (!place.refused.empty() || static_cast<size_t>(place.part) >= lists.maps.size()) {
    result.refused = place.refused.empty() ? "aucune ligne à percer" : place.refused;
    return result;
  }
  *db = OpenClinicDrillDb(pool.url, lists.prefixes[place.part], &result);
  if (*db == nullptr) return result;
  return TitledForClinic(lists.parts[place.part].heading,
                         DrillAuditCell(db->get(), nullptr, options, *lists.parts[place.part].list,
                                        lists.maps[place.part], place.target));
}
