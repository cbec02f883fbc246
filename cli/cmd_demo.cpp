// `vantra demo-db`: creates the demo practice database.
//
//   vantra demo-db [--db URL] [--size small|large] [--seed N] [--today YYYYMMDD] [--force]
//
// The default database is the demo database of the run script. An existing
// database is replaced only with --force (a SQLite file is deleted and made
// again; on PostgreSQL the schema's tables are dropped). Progress goes to
// standard error, the summary (rows per table, seconds) to standard output.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "cli/cli_options.h"
#include "host/atomic_file.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "suite/demo_db.h"
#include "suite/schema.h"

namespace {

constexpr const char* kSqlitePrefix = "sqlite:";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vantra demo-db : %s\n", message.c_str());
  return 1;
}

// The folder of a SQLite database file exists (made when missing) and
// there is no database at path, or force allows replacing it. The old file
// is not touched here: the new one is built under a temporary name and
// only replaces it once whole.
bool PrepareSqliteFile(const std::string& path, bool force, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path file(path);
  if (file.has_parent_path()) {
    fs::create_directories(file.parent_path(), ec);
    if (ec) {
      *error = "impossible de créer le dossier " + file.parent_path().string() + " : " + ec.message();
      return false;
    }
  }
  if (fs::exists(file, ec) && fs::file_size(file, ec) > 0 && !force) {
    *error = "la base de données " + path + " existe déjà (utilisez --force pour la remplacer)";
    return false;
  }
  return true;
}

// Builds the demo practice into a temporary file beside path, then puts it
// in place: a full disk, a size limit or a signal leave nothing (the older
// file, with --force, stays as it was).
bool BuildSqliteDemo(const std::string& path, const CliOptions& options, const DemoOptions& demo,
                     DemoSummary* summary, std::string* error) {
  AtomicFile out;
  if (!out.OpenForPath(path, error)) return false;
  const TemporaryFileGuard companions(out.WritePath(), /*sqlite_companions=*/true);
  auto remove_companions = [](const std::string& file) {
    std::error_code ec;
    for (const char* suffix : {"-journal", "-wal", "-shm"}) std::filesystem::remove(file + suffix, ec);
  };
  bool built = false;
  {
    std::unique_ptr<GenDB> db = OpenGenDB(kSqlitePrefix + out.WritePath(), options.prefix, DbAccess::kCreate, error);
    if (db == nullptr) return false;
    built = GenerateDemoPractice(db.get(), demo, summary, error);
    // Everything into the main file, so that it is the whole database.
    if (built && db->dbExec("PRAGMA wal_checkpoint(TRUNCATE)") != 0) {
      *error = "impossible de terminer " + path + " : " + db->LastError();
      built = false;
    }
  }
  remove_companions(out.WritePath());  // checkpointed, or of a failed build
  if (!built) return false;             // out removes the file itself
  // The older database's journal files belong to it, not to the new one.
  remove_companions(path);
  return out.Commit(error);
}

int RunDemoDb(const CliOptions& options) {
  DemoOptions demo;
  const auto size = options.flags.find("size");
  if (size != options.flags.end() && !ParseDemoSize(size->second, &demo.size)) {
    return Fail("taille inconnue « " + size->second + " » (small ou large)");
  }
  const auto seed = options.flags.find("seed");
  if (seed != options.flags.end()) {
    char* end = nullptr;
    errno = 0;
    demo.seed = std::strtoull(seed->second.c_str(), &end, 10);
    if (seed->second.empty() || *end != '\0' || errno != 0 || seed->second[0] == '-') {
      return Fail("graine invalide « " + seed->second + " » (un entier positif)");
    }
  }
  const bool force = options.flags.count("force") != 0;
  demo.today = options.today != 0 ? options.today : ldate_today();
  demo.progress = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };

  const std::string url = options.db_url.empty() ? DefaultDemoDbUrl() : options.db_url;
  const bool sqlite = !SqlitePathOfUrl(url).empty();
  std::string error;
  DemoSummary summary;
  if (sqlite) {
    const std::string path = SqlitePathOfUrl(url);
    if (!PrepareSqliteFile(path, force, &error)) return Fail(error);
    if (!BuildSqliteDemo(path, options, demo, &summary, &error)) return Fail(error);
  } else {
    std::unique_ptr<GenDB> db = OpenGenDB(url, options.prefix, DbAccess::kCreate, &error);
    if (db == nullptr) return Fail(error);
    if (SchemaHasData(db.get())) {
      if (!force) return Fail("la base de données " + url + " n'est pas vide (utilisez --force pour la remplacer)");
      if (!DropSchema(db.get(), &error)) return Fail(error);
    }
    if (!GenerateDemoPractice(db.get(), demo, &summary, &error)) return Fail(error);
  }

  char today[32];
  std::printf("Cabinet de démonstration créé : %s\n", url.c_str());
  std::printf("  taille %s, graine %llu, aujourd'hui %s\n", demo.size == DemoSize::kLarge ? "large" : "small",
              static_cast<unsigned long long>(demo.seed), ldate_to_str1(today, demo.today, 530));
  for (const auto& [table, rows] : summary.rows) std::printf("  %-10s %10ld\n", table.c_str(), rows);
  std::printf("  %-10s %10ld lignes en %.1f s\n", "Total", summary.TotalRows(), summary.seconds);
  return 0;
}

CliRegistration registration{{"demo-db", "crée la base de données du cabinet de démonstration",
                              "[--db URL] [--size small|large] [--seed N] [--today AAAAMMJJ] [--force]",
                              {{"size", true, "small (défaut, quelques secondes) ou large (banc d'essai)"},
                               {"seed", true, "graine du générateur (défaut 1)"},
                               {"force", false, "remplace une base de données existante"}},
                              &RunDemoDb}};

}  // namespace
