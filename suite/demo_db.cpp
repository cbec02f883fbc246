// The demo practice: builds the practice in memory step by step (each step
// with its own random stream), then writes it through the bulk loader, the
// audit trail last, and builds the indexes once the rows are in.
#include "suite/demo_db.h"

#include <chrono>
#include <cstdio>

#include "host/dates.h"
#include "suite/demo_internal.h"
#include "suite/schema.h"

bool ParseDemoSize(const std::string& text, DemoSize* size) {
  if (text == "small") {
    *size = DemoSize::kSmall;
    return true;
  }
  if (text == "large") {
    *size = DemoSize::kLarge;
    return true;
  }
  return false;
}

long DemoSummary::TotalRows() const {
  long total = 0;
  for (const auto& r : rows) total += r.second;
  return total;
}

long DemoSummary::RowsOf(const std::string& table) const {
  for (const auto& r : rows) {
    if (r.first == table) return r.second;
  }
  return 0;
}

bool GenerateDemoPractice(GenDB* db, const DemoOptions& options, DemoSummary* summary, std::string* error) {
  const auto start = std::chrono::steady_clock::now();
  auto say = [&](const std::string& line) {
    if (options.progress) options.progress(line);
  };
  if (db == nullptr) {
    *error = "aucune base de données";
    return false;
  }
  const long today = options.today != 0 ? options.today : ldate_today();
  if (today < 19000101 || demo::DateOf(demo::DayOf(today)) != today) {
    *error = "date du jour invalide : " + std::to_string(today);
    return false;
  }
  say("Création du schéma");
  if (!CreateSchemaTables(db, error)) return false;
  if (SchemaHasData(db)) {
    *error = "la base de données contient déjà des données (" + db->Url() + ")";
    return false;
  }

  demo::World w;
  w.size = options.size;
  w.seed = options.seed;
  w.sizes = demo::SizesOf(options.size);
  w.today = demo::DayOf(today);
  w.first = w.today - w.sizes.history_days;
  w.last = w.today + w.sizes.future_days;
  w.cutoff = options.size == DemoSize::kSmall ? w.today - 365 : w.first + w.sizes.history_days / 2;
  say("Cabinet : producteurs, fauteuils, horaires, usagers");
  demo::BuildReference(&w);
  say("Patients et comptes");
  demo::BuildPatients(&w);
  say("Rendez-vous, réclamations, traitements, paiements");
  demo::BuildVisits(&w);
  demo::BuildGoals(&w);
  demo::BuildEvents(&w);

  say("Écriture des tables");
  if (!demo::WriteTables(db, w, summary, error)) return false;
  if (!demo::WriteAudit(db, w, summary, error, options.progress)) return false;
  say("Création des index");
  if (!CreateSchemaIndexes(db, error)) return false;
  summary->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return true;
}
