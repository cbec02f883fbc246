// The demo practice generator: rows per second for the small and the large
// practice, on SQLite (a temporary file) and, when VANTRA_TEST_PG_URL is set,
// on PostgreSQL (a schema of its own, dropped afterwards).
//
// Baseline, measured in the same run on the same engine: 100,000 audit rows
// written one INSERT statement each inside one transaction, against the same
// rows through the bulk loader (prepared INSERT / COPY). The demo's own
// rate includes building the practice in memory and its indexes.
//
//   bench_demo [--small-only]
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/sql_literal.h"
#include "suite/demo_db.h"
#include "suite/schema.h"

namespace {

constexpr long kBaselineRows = 100000;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The same audit row contents for both ways of writing.
struct Row {
  long id;
  std::string type, action, user, name1, info1;
  long recid, date, time;
};

Row MakeRow(long i) {
  return {i + 1, std::string(1, "BSTPCN"[i % 6]), "E", i % 3 ? "MLAVOIE" : "O'BRIEN", "PATAPT",
          "ND01A0120250318135020TRTYN", i % 5000, 20250101 + i % 28, 80000 + i % 40000};
}

bool Fresh(GenDB* db) {
  std::string error;
  if (!DropSchema(db, &error) || !CreateSchemaTables(db, &error)) {
    std::fprintf(stderr, "schema: %s\n", error.c_str());
    return false;
  }
  return true;
}

// Rows per second of one INSERT per row, and of the bulk loader.
void Baseline(GenDB* db, double* insert_rate, double* bulk_rate) {
  *insert_rate = *bulk_rate = 0;
  if (!Fresh(db)) return;
  const std::string table = std::string(db->dbPrefix()) + "AUDITFIL";
  auto start = std::chrono::steady_clock::now();
  db->dbBeginTransaction();
  char sql[512];
  for (long i = 0; i < kBaselineRows; ++i) {
    const Row r = MakeRow(i);
    std::snprintf(sql, sizeof sql,
                  "INSERT INTO %s (AUD_ID, AUD_TYPE, AUD_ACTION, AUD_RECID, AUD_USER, AUD_DATE, AUD_TIME, "
                  "AUD_FLD_NAME1, AUD_FLD_INFO1) VALUES (%ld, '%s', '%s', %ld, '%s', %ld, %ld, '%s', '%s')",
                  table.c_str(), r.id, r.type.c_str(), r.action.c_str(), r.recid, SqlEscaped(r.user).c_str(), r.date, r.time,
                  r.name1.c_str(), r.info1.c_str());
    if (db->dbExec(sql) != 0) {
      std::fprintf(stderr, "insert: %s\n", db->LastError().c_str());
      db->dbRollback();
      return;
    }
  }
  db->dbCommit();
  *insert_rate = kBaselineRows / Seconds(start);

  if (!Fresh(db)) return;
  start = std::chrono::steady_clock::now();
  std::unique_ptr<BulkLoader> bulk = db->BeginBulk(table, FindSchemaTable("AUDITFIL")->ColumnNames());
  if (bulk == nullptr) return;
  std::vector<BulkCell> cells(13);
  for (long i = 0; i < kBaselineRows; ++i) {
    const Row r = MakeRow(i);
    cells = {BulkCell::Int(r.id),   BulkCell::Text(r.type),  BulkCell::Text(r.action), BulkCell::Int(r.recid),
             BulkCell::Text(r.user), BulkCell::Int(r.date),  BulkCell::Int(r.time),    BulkCell::Text(r.name1),
             BulkCell::Text(""),     BulkCell::Text(""),     BulkCell::Text(r.info1),  BulkCell::Text(""),
             BulkCell::Text("")};
    if (!bulk->AddRow(cells)) break;
  }
  if (bulk->Finish()) *bulk_rate = kBaselineRows / Seconds(start);
}

void RunEngine(const char* engine, GenDB* db, bool small_only) {
  double insert_rate = 0, bulk_rate = 0;
  Baseline(db, &insert_rate, &bulk_rate);
  std::printf("%s  baseline: %.0f rows/s one INSERT per row, %.0f rows/s bulk (bulk x%.1f)\n", engine, insert_rate,
              bulk_rate, insert_rate > 0 ? bulk_rate / insert_rate : 0.0);
  std::string error;
  for (DemoSize size : {DemoSize::kSmall, DemoSize::kLarge}) {
    if (size == DemoSize::kLarge && small_only) break;
    if (!DropSchema(db, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return;
    }
    DemoOptions options;
    options.size = size;
    options.today = 20260315;
    DemoSummary summary;
    if (!GenerateDemoPractice(db, options, &summary, &error)) {
      std::fprintf(stderr, "%s: %s\n", engine, error.c_str());
      return;
    }
    const double rate = summary.TotalRows() / summary.seconds;
    std::printf("%s  %-5s: %ld rows (%ld current + %ld archived audit rows) in %.1f s, %.0f rows/s "
                "(x%.2f of the bare bulk loader)\n",
                engine, size == DemoSize::kSmall ? "small" : "large", summary.TotalRows(),
                summary.RowsOf("AUDITFIL"), summary.RowsOf("AUDHIS"), summary.seconds, rate,
                bulk_rate > 0 ? rate / bulk_rate : 0.0);
    std::fflush(stdout);
  }
  DropSchema(db, &error);
}

}  // namespace

int main(int argc, char** argv) {
  const bool small_only = argc > 1 && std::string(argv[1]) == "--small-only";
  std::string error;
  const std::string dir = std::filesystem::temp_directory_path().string() + "/bench_demo_" + std::to_string(getpid());
  std::filesystem::create_directories(dir);
  {
    std::unique_ptr<GenDB> db = OpenGenDB("sqlite:" + dir + "/demo.sqlite", "", true, &error);
    if (db == nullptr) {
      std::fprintf(stderr, "sqlite: %s\n", error.c_str());
      return 1;
    }
    RunEngine("sqlite  ", db.get(), small_only);
  }
  std::filesystem::remove_all(dir);

  const char* pg = std::getenv("VANTRA_TEST_PG_URL");
  if (pg == nullptr || *pg == '\0') {
    std::printf("postgres: not measured (VANTRA_TEST_PG_URL is not set)\n");
    return 0;
  }
  const std::string schema = "bench_demo_" + std::to_string(getpid());
  std::unique_ptr<GenDB> admin = OpenGenDB(pg, "", false, &error);
  if (admin == nullptr || admin->dbExec(("CREATE SCHEMA " + schema).c_str()) != 0) {
    std::fprintf(stderr, "postgres: %s\n", admin ? admin->LastError().c_str() : error.c_str());
    return 1;
  }
  {
    std::unique_ptr<GenDB> db = OpenGenDB(pg, schema + ".", false, &error);
    if (db != nullptr) RunEngine("postgres", db.get(), small_only);
    else std::fprintf(stderr, "postgres: %s\n", error.c_str());
  }
  admin->dbExec(("DROP SCHEMA " + schema + " CASCADE").c_str());
  return 0;
}
