// bench_gendb: what reading through GenDB costs against the engines' own
// tools, in the same run.
//
//   bench_gendb [--rows N] [--lookups N] [--pg-lookups N] [--sqlite-file PATH] [--no-pg]
//
// --sqlite-file keeps the SQLite database in PATH and, when PATH already
// holds the audit table, reads it instead of loading it again.
// 1. Loads N rows (default 1,000,000) of a 13-column audit table into a
//    temporary SQLite file with BeginBulk.
// 2. Reads them all through GenDB on cursor 77 into audit records, as the
//    audit generator does, and times the sqlite3 shell printing the same
//    statement to /dev/null. Prints both and the ratio.
// 3. Runs N primary-key look-ups (default 1,000,000; same statement shape,
//    a different id each time) on cursor 117 inside a transaction, against
//    the same look-ups written directly on the sqlite3 C API (alternating in
//    rounds).
// 4. When VANTRA_TEST_PG_URL is set, the same on PostgreSQL (in a schema of
//    its own, dropped afterwards): the read against psql; --pg-lookups
//    single-row look-ups (default 40,000), each on its own and inside the
//    caller's transaction, through GenDB, through the messages the engine
//    sent before statements went as they are (server-side cursor, savepoint;
//    replayed on libpq) and through one plain PQexec each, in microseconds
//    per look-up of wall time and of CPU (this process plus the server
//    process, read from /proc), with ratios; then a look-up inside the fetch
//    loop of cursor 77 for each of its rows.
#include <libpq-fe.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "host/gendb.h"

namespace {

using Clock = std::chrono::steady_clock;

// Look-ups through GenDB and through the raw API alternate in this many
// rounds, so that a change in the machine's load weighs on both alike.
constexpr int kRounds = 4;
// The PostgreSQL look-ups alternate in shorter rounds: their wall and CPU
// time follow the machine's load closely.
constexpr int kPgRounds = 20;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// User + system CPU seconds of this process (who = RUSAGE_SELF) or of its
// finished children (RUSAGE_CHILDREN). The machine may be shared: CPU time
// is steadier than wall time when other work competes for the cores.
double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// CPU seconds used so far by the server process pid, read from /proc
// (the test server runs on this machine); -1 when it cannot be read.
double ServerCpuSeconds(long pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (pid <= 0 || !std::getline(f, line)) return -1;
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream in(line.substr(close + 1));
  std::string skip;
  for (int field = 3; field <= 13; ++field) in >> skip;
  long user = 0, system = 0;
  if (!(in >> user >> system)) return -1;
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// CPU spent on both sides of a connection between two points of a run:
// this process and the connection's server process.
struct CpuMeter {
  long server_pid = 0;
  double client0 = 0, server0 = 0;
  void Start() {
    client0 = CpuSeconds(RUSAGE_SELF);
    server0 = ServerCpuSeconds(server_pid);
  }
  // Seconds since Start (client + server); the server's part is left out
  // when /proc cannot tell it.
  double Stop() const {
    const double server = ServerCpuSeconds(server_pid);
    return CpuSeconds(RUSAGE_SELF) - client0 + (server >= 0 && server0 >= 0 ? server - server0 : 0);
  }
};

// One audit row as the generator holds it.
struct AuditRecord {
  long id, recid, date, time;
  char type, action;
  char user[10];
  char name[3][21];
  char info[3][51];
};

const char* kColumns[] = {"AUD_ID",        "AUD_TYPE",      "AUD_ACTION",    "AUD_RECID",     "AUD_USER",
                          "AUD_DATE",      "AUD_TIME",      "AUD_FLD_NAME1", "AUD_FLD_NAME2", "AUD_FLD_NAME3",
                          "AUD_FLD_INFO1", "AUD_FLD_INFO2", "AUD_FLD_INFO3"};

std::string SelectAll(const std::string& prefix) {
  std::string sql = "SELECT  ";
  for (int i = 0; i < 13; ++i) sql += std::string(i ? ", " : " ") + kColumns[i];
  return sql + "  FROM " + prefix + "AUDITFIL";
}

bool CreateAndLoad(GenDB* db, long rows) {
  const SqlDialect& d = db->Dialect();
  const std::string p = db->dbPrefix();
  const std::string ddl = "CREATE TABLE " + p + "AUDITFIL (AUD_ID " + d.BigIntType() + " PRIMARY KEY, AUD_TYPE " +
                          d.TextType(1) + ", AUD_ACTION " + d.TextType(1) + ", AUD_RECID " + d.BigIntType() +
                          ", AUD_USER " + d.TextType(9) + ", AUD_DATE " + d.BigIntType() + ", AUD_TIME " +
                          d.BigIntType() + ", AUD_FLD_NAME1 " + d.TextType(20) + ", AUD_FLD_NAME2 " + d.TextType(20) +
                          ", AUD_FLD_NAME3 " + d.TextType(20) + ", AUD_FLD_INFO1 " + d.TextType(50) +
                          ", AUD_FLD_INFO2 " + d.TextType(50) + ", AUD_FLD_INFO3 " + d.TextType(50) + ")";
  if (db->dbExec(ddl.c_str()) != 0) {
    std::fprintf(stderr, "CREATE: %s\n", db->LastError().c_str());
    return false;
  }
  std::vector<std::string> columns(std::begin(kColumns), std::end(kColumns));
  const auto start = Clock::now();
  auto bulk = db->BeginBulk(p + "AUDITFIL", columns);
  const char* users[] = {"ADMIN", "MARIE", "OBRIEN", "RECEPT", "DRCOTE"};
  const char* names[] = {"PATSTATUS", "PATIENT", "ACCOUNT", "PATMED", "TXPPURGE"};
  const char types[] = "ABCDEFGHIJKLMNPSTUXY";
  char info1[64], info2[64], type[2] = {0, 0}, action[2] = {0, 0};
  for (long i = 1; i <= rows; ++i) {
    type[0] = types[i % 20];
    action[0] = "ADUPRV"[i % 6];
    std::snprintf(info1, sizeof info1, "Ancienne valeur %ld", i * 7 % 100000);
    std::snprintf(info2, sizeof info2, "Nouvelle valeur é %ld", i % 977);
    const std::vector<BulkCell> row = {
        BulkCell::Int(i),           BulkCell::Text(type),         BulkCell::Text(action),
        BulkCell::Int(i * 13 % 50000), BulkCell::Text(users[i % 5]), BulkCell::Int(20200101 + (i % 12) * 100 + i % 28),
        BulkCell::Int(80000 + i % 90000), BulkCell::Text(names[i % 5]), BulkCell::Text("PAT_LNAME"),
        BulkCell::Text(std::to_string(i % 120)), BulkCell::Text(info1), BulkCell::Text(info2),
        BulkCell::Text("")};
    if (!bulk->AddRow(row)) break;
  }
  if (!bulk->Finish()) {
    std::fprintf(stderr, "bulk: %s\n", db->LastError().c_str());
    return false;
  }
  const double s = Seconds(start);
  std::printf("  load %ld rows with BeginBulk: %.2f s (%.0f rows/s)\n", rows, s, rows / s);
  return true;
}

// Reads every row of the audit statement into records; returns the row count.
long ReadAll(GenDB* db, long expected, double* seconds, double* cpu, long* checksum) {
  const std::string sql = SelectAll(db->dbPrefix());
  // Records are read into a small ring of structs: what is timed is the
  // database layer, not the first touch of a 260 MB array (the generator's
  // list allocates its elements either way).
  (void)expected;
  std::vector<AuditRecord> records(1024);
  const auto start = Clock::now();
  const double cpu_start = CpuSeconds(RUSAGE_SELF);
  long n = 0;
  *checksum = 0;
  if (db->dbExecute(sql.c_str(), 77) != 0) {
    std::fprintf(stderr, "read: %s\n", db->LastError().c_str());
    return 0;
  }
  for (int r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77)) {
    AuditRecord& a = records[static_cast<size_t>(n) % records.size()];
    db->dbGetLong(1, &a.id, 77);
    db->dbGetChar(2, &a.type, 77);
    db->dbGetChar(3, &a.action, 77);
    db->dbGetLong(4, &a.recid, 77);
    db->dbGetString(5, a.user, sizeof a.user, 77);
    db->dbGetLong(6, &a.date, 77);
    db->dbGetLong(7, &a.time, 77);
    for (int k = 0; k < 3; ++k) db->dbGetString(8 + k, a.name[k], sizeof a.name[k], 77);
    for (int k = 0; k < 3; ++k) db->dbGetString(11 + k, a.info[k], sizeof a.info[k], 77);
    *checksum += a.id + a.date + a.user[0];
    ++n;
  }
  if (!db->LastError().empty()) std::fprintf(stderr, "read: %s\n", db->LastError().c_str());
  db->dbClose(77);
  *seconds = Seconds(start);
  *cpu = CpuSeconds(RUSAGE_SELF) - cpu_start;
  return n;
}

double TimeCommand(const std::string& command, double* cpu) {
  const auto start = Clock::now();
  const double cpu_start = CpuSeconds(RUSAGE_CHILDREN);
  const int rc = std::system(command.c_str());
  const double s = Seconds(start);
  *cpu = CpuSeconds(RUSAGE_CHILDREN) - cpu_start;
  if (rc != 0) std::fprintf(stderr, "command failed (%d): %s\n", rc, command.c_str());
  return rc == 0 ? s : -1;
}

// Look-ups through GenDB on cursor 117, inside one transaction of the
// caller's or (in_transaction false) each on its own.
double LookUps(GenDB* db, long count, long rows, long* found, bool in_transaction = true, CpuMeter* cpu = nullptr,
               double* cpu_seconds = nullptr) {
  char sql[200];
  *found = 0;
  if (in_transaction) db->dbBeginTransaction();
  if (cpu != nullptr) cpu->Start();
  const auto start = Clock::now();
  for (long i = 0; i < count; ++i) {
    std::snprintf(sql, sizeof sql, "SELECT AUD_USER, AUD_DATE FROM %sAUDITFIL WHERE AUD_ID = %ld", db->dbPrefix(),
                  1 + (i * 7919) % rows);
    if (db->dbExecute(sql, 117) == 0 && db->dbFetch(0, 117) == 0) {
      char user[10];
      long date = 0;
      db->dbGetString(1, user, sizeof user, 117);
      db->dbGetLong(2, &date, 117);
      ++*found;
    }
    db->dbClose(117);
  }
  const double s = Seconds(start);
  if (cpu != nullptr) *cpu_seconds += cpu->Stop();
  if (in_transaction) db->dbCommit();
  return s;
}

// The same look-ups written directly on the sqlite3 API (prepare, step,
// finalize per look-up, as any code with literal ids must).
double SqliteRawLookUps(const std::string& path, long count, long rows) {
  sqlite3* h = nullptr;
  if (sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return -1;
  char sql[200];
  long found = 0;
  sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
  const auto start = Clock::now();
  for (long i = 0; i < count; ++i) {
    std::snprintf(sql, sizeof sql, "SELECT AUD_USER, AUD_DATE FROM AUDITFIL WHERE AUD_ID = %ld", 1 + (i * 7919) % rows);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    if (sqlite3_step(st) == SQLITE_ROW) {
      char user[10];
      std::snprintf(user, sizeof user, "%s", reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
      found += sqlite3_column_int64(st, 1) > 0;
    }
    sqlite3_finalize(st);
  }
  const double s = Seconds(start);
  sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(h);
  return found == count ? s : -1;
}

// Waits for every result of the message in flight; the last rows result
// is returned (or null).
PGresult* PgReadAll(PGconn* c) {
  PGresult* rows = nullptr;
  while (PGresult* r = PQgetResult(c)) {
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
      PQclear(rows);
      rows = r;
    } else {
      PQclear(r);
    }
  }
  return rows;
}

// The same look-ups on plain libpq: one PQexec each (the baseline), or
// (old_path) the messages the engine sent per look-up before it sent
// statements as they are: a server-side cursor declared and fetched in the
// cursors' transaction block, inside a savepoint when a block was open, its
// CLOSE at the head of the next message; outside a block, BEGIN with the
// DECLARE and a COMMIT sent without waiting when the cursor closed.
double PgRawLookUps(const char* url, const std::string& prefix, long count, long rows, bool in_transaction,
                    bool old_path, double* cpu_seconds) {
  PGconn* c = PQconnectdb(url);
  if (PQstatus(c) != CONNECTION_OK) {
    PQfinish(c);
    return -1;
  }
  PQsetNoticeProcessor(c, [](void*, const char*) {}, nullptr);
  if (old_path) PQclear(PQexec(c, "SET cursor_tuple_fraction = 1"));
  char sql[200];
  long found = 0;
  if (in_transaction) PQclear(PQexec(c, "BEGIN"));
  bool declared = false, commit_due = false;
  CpuMeter cpu{PQbackendPID(c)};
  cpu.Start();
  const auto start = Clock::now();
  for (long i = 0; i < count; ++i) {
    std::snprintf(sql, sizeof sql, "SELECT AUD_USER, AUD_DATE FROM %sAUDITFIL WHERE AUD_ID = %ld", prefix.c_str(),
                  1 + (i * 7919) % rows);
    PGresult* r = nullptr;
    if (!old_path) {
      r = PQexec(c, sql);
    } else {
      if (commit_due) PQclear(PgReadAll(c));
      std::string message = in_transaction ? std::string("SAVEPOINT vantra_sp; ") +
                                                 (declared ? "CLOSE vantra_c117; " : "")
                                           : std::string("BEGIN; ");
      message += std::string("DECLARE vantra_c117 NO SCROLL CURSOR FOR ") + sql +
                 "\n; FETCH FORWARD 256 FROM vantra_c117";
      if (in_transaction) message += "; RELEASE SAVEPOINT vantra_sp";
      PQsendQuery(c, message.c_str());
      r = PgReadAll(c);
      declared = in_transaction;
      commit_due = !in_transaction && PQsendQuery(c, "COMMIT") != 0;
    }
    if (PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1) {
      char user[10];
      std::snprintf(user, sizeof user, "%s", PQgetvalue(r, 0, 0));
      found += std::atol(PQgetvalue(r, 0, 1)) > 0;
    }
    PQclear(r);
  }
  if (commit_due) PQclear(PgReadAll(c));
  const double s = Seconds(start);
  *cpu_seconds += cpu.Stop();
  if (in_transaction) PQclear(PQexec(c, "COMMIT"));
  PQfinish(c);
  return found == count ? s : -1;
}

// Reads the audit statement on cursor 77 with one look-up per row on 117.
double ReadWithLookUps(GenDB* db, long limit, long* rows) {
  char sql[200];
  const std::string outer = SelectAll(db->dbPrefix()) + " WHERE AUD_ID <= " + std::to_string(limit);
  const auto start = Clock::now();
  *rows = 0;
  db->dbExecute(outer.c_str(), 77);
  for (int r = db->dbFetch(0, 77); r == 0; r = db->dbFetch(1, 77)) {
    long recid = 0;
    db->dbGetLong(4, &recid, 77);
    std::snprintf(sql, sizeof sql, "SELECT AUD_USER, AUD_DATE FROM %sAUDITFIL WHERE AUD_ID = %ld", db->dbPrefix(),
                  recid + 1);
    if (db->dbExecute(sql, 117) == 0 && db->dbFetch(0, 117) == 0) {
      char user[10];
      db->dbGetString(1, user, sizeof user, 117);
    }
    db->dbClose(117);
    ++*rows;
  }
  db->dbClose(77);
  return Seconds(start);
}

void Ratio(const char* what, double ours, double theirs, const char* baseline) {
  if (theirs <= 0) {
    std::printf("  %-34s GenDB %7.3f s   %s: unavailable\n", what, ours, baseline);
    return;
  }
  std::printf("  %-34s GenDB %7.3f s   %-14s %7.3f s   ratio %.2f\n", what, ours, baseline, theirs, ours / theirs);
}

}  // namespace

int main(int argc, char** argv) {
  long rows = 1000000;
  long lookups = -1;
  long pg_lookups = 40000;
  std::string kept_file;
  bool no_pg = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc) {
      rows = std::atol(argv[++i]);
    } else if (std::strcmp(argv[i], "--lookups") == 0 && i + 1 < argc) {
      lookups = std::atol(argv[++i]);
    } else if (std::strcmp(argv[i], "--sqlite-file") == 0 && i + 1 < argc) {
      kept_file = argv[++i];
    } else if (std::strcmp(argv[i], "--pg-lookups") == 0 && i + 1 < argc) {
      pg_lookups = std::atol(argv[++i]);
    } else if (std::strcmp(argv[i], "--no-pg") == 0) {
      no_pg = true;
    } else {
      std::fprintf(stderr, "usage: %s [--rows N] [--lookups N] [--pg-lookups N] [--sqlite-file PATH] [--no-pg]\n",
                   argv[0]);
      return 2;
    }
  }
  if (rows < 1) rows = 1;
  if (lookups < 0) lookups = 1000000;

  char dir_template[] = "/tmp/bench-gendb-XXXXXX";
  const std::string dir = mkdtemp(dir_template);
  const std::string file = kept_file.empty() ? dir + "/audit.db" : kept_file;
  const bool reuse = !kept_file.empty() && std::filesystem::exists(kept_file);
  std::string error;

  std::printf("SQLite (%s), %ld rows, %ld look-ups\n", file.c_str(), rows, lookups);
  {
    std::unique_ptr<GenDB> db = OpenGenDB("sqlite:" + file, "", true, &error);
    if (!db) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    if (reuse) {
      long n = 0;
      db->dbExecute("SELECT COUNT(0) FROM AUDITFIL", 21);
      if (db->dbFetch(0, 21) == 0) db->dbGetLong(1, &n, 21);
      db->dbClose(21);
      rows = n > 0 ? n : rows;
    } else if (!CreateAndLoad(db.get(), rows)) {
      return 1;
    }
    db->dbExec("PRAGMA wal_checkpoint(TRUNCATE)");
    double ours = 0, ours_cpu = 0, shell_cpu = 0;
    long sum = 0;
    const long n = ReadAll(db.get(), rows, &ours, &ours_cpu, &sum);
    const double shell = TimeCommand("sqlite3 " + file + " '" + SelectAll("") + "' > /dev/null", &shell_cpu);
    char what[64];
    std::snprintf(what, sizeof what, "read %ld rows x 13 columns", n);
    Ratio(what, ours, shell, "sqlite3 shell");
    Ratio("  same, CPU time", ours_cpu, shell_cpu, "sqlite3 shell");
    long found = 0;
    double ours_lookups = 0, raw = 0;
    for (int round = 0; round < kRounds; ++round) {
      long round_found = 0;
      ours_lookups += LookUps(db.get(), lookups / kRounds, rows, &round_found);
      raw += SqliteRawLookUps(file, lookups / kRounds, rows);
      found += round_found;
    }
    std::snprintf(what, sizeof what, "%ld look-ups (%ld found)", lookups, found);
    Ratio(what, ours_lookups, raw, "sqlite3 C API");
    if (ours_lookups > 0) std::printf("  %.2f us per look-up\n", ours_lookups * 1e6 / lookups);
  }
  std::filesystem::remove_all(dir);

  const char* pg = std::getenv("VANTRA_TEST_PG_URL");
  if (no_pg || pg == nullptr || *pg == '\0') {
    std::printf("PostgreSQL: VANTRA_TEST_PG_URL not set, skipped\n");
    return 0;
  }
  const std::string schema = "vbench_" + std::to_string(getpid());
  std::printf("PostgreSQL (%s, schema %s), %ld rows\n", pg, schema.c_str(), rows);
  std::unique_ptr<GenDB> db = OpenGenDB(pg, schema + ".", true, &error);
  if (!db) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (CreateAndLoad(db.get(), rows)) {
    db->dbExec(("ANALYZE " + schema + ".AUDITFIL").c_str());
    double ours = 0, ours_cpu = 0, psql_cpu = 0;
    long sum = 0;
    const long n = ReadAll(db.get(), rows, &ours, &ours_cpu, &sum);
    const double psql = TimeCommand(std::string("psql -X -q -A -t '") + pg + "' -c '" + SelectAll(schema + ".") +
                                    "' > /dev/null", &psql_cpu);
    char what[64];
    std::snprintf(what, sizeof what, "read %ld rows x 13 columns", n);
    Ratio(what, ours, psql, "psql");
    Ratio("  same, client CPU time", ours_cpu, psql_cpu, "psql");
    // Single-row look-ups, three ways, alternating in rounds. Wall time
    // follows the machine's load; the CPU both sides spend (this process and
    // the server process) does not, and is what a loaded machine waits for.
    long server_pid = 0;
    if (db->dbExecute("SELECT pg_backend_pid()", 21) == 0 && db->dbFetch(0, 21) == 0) {
      db->dbGetLong(1, &server_pid, 21);
    }
    db->dbClose(21);
    CpuMeter meter{server_pid};
    std::printf("  %ld single-row look-ups per path, microseconds per look-up (wall | CPU, client + server):\n",
                pg_lookups);
    std::printf("    %-32s %7s %7s %7s %9s %9s | %7s %7s %7s %9s %9s\n", "", "GenDB", "old", "PQexec",
                "GenDB/raw", "old/GenDB", "GenDB", "old", "PQexec", "GenDB/raw", "old/GenDB");
    for (const bool in_transaction : {false, true}) {
      long found = 0;
      double ours = 0, old = 0, raw = 0, ours_cpu = 0, old_cpu = 0, raw_cpu = 0;
      const long per_round = std::max(1L, pg_lookups / kPgRounds);
      for (int round = 0; round < kPgRounds; ++round) {
        long round_found = 0;
        ours += LookUps(db.get(), per_round, rows, &round_found, in_transaction, &meter, &ours_cpu);
        old += PgRawLookUps(pg, schema + ".", per_round, rows, in_transaction, true, &old_cpu);
        raw += PgRawLookUps(pg, schema + ".", per_round, rows, in_transaction, false, &raw_cpu);
        found += round_found;
      }
      const double us = 1e6 / static_cast<double>(per_round * kPgRounds);
      std::printf("    %-32s %7.1f %7.1f %7.1f %9.2f %9.2f | %7.1f %7.1f %7.1f %9.2f %9.2f%s\n",
                  in_transaction ? "inside the caller's transaction" : "each on its own", ours * us, old * us,
                  raw * us, ours / raw, old / ours, ours_cpu * us, old_cpu * us, raw_cpu * us, ours_cpu / raw_cpu,
                  old_cpu / ours_cpu, found == per_round * kPgRounds && old > 0 && raw > 0 ? "" : "  (rows missing!)");
    }
    const long nested_limit = std::min(rows, pg_lookups);
    long nested_rows = 0;
    const double nested = ReadWithLookUps(db.get(), nested_limit, &nested_rows);
    std::printf("  read %ld rows with a look-up per row on cursor 117: %.3f s (%.2f us per row)\n", nested_rows,
                nested, nested * 1e6 / std::max(1L, nested_rows));
  }
  if (db->dbExec(("DROP SCHEMA " + schema + " CASCADE").c_str()) != 0) {
    std::fprintf(stderr, "drop: %s\n", db->LastError().c_str());
  }
  return 0;
}
