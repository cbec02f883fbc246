// bench_audit: the audit generators on large tables, against the sqlite3
// shell running the same work, and on PostgreSQL against SQLite.
//
//   bench_audit [--rows N] [--summary-rows M] [--pg URL] [--dir FOLDER]
//               [--skip-summary] [--skip-pg] [--keep]
//               [--cli-db FILE [--cli-from AAAAMMJJ] [--cli-to AAAAMMJJ]
//                [--cli-pg URL [--cli-prefix P]]]
//               [--vantra PATH]
//
// --cli-db: only the command-line run below, on an existing SQLite file (the
// large demo: --cli-db large.sqlite --cli-from 20260815 --cli-to 20261201
// lists about a million current rows). Without it the command-line run uses
// the detailed table filled here (every date). --cli-pg: the same practice
// on a server (--cli-prefix: its schema, "big." for the large demo loaded
// with demo-db --prefix big.); the command line then also runs on it, with
// psql reading the same row statement as its baseline, turn about with the
// SQLite runs.
//
// Defaults: N = 1,000,000 detailed rows with descriptions and name look-ups
// (one table filled here, with the look-up tables they name), M = 10,000,000
// rows for the summary with subtotals on user and date. The PostgreSQL run
// uses --pg or VANTRA_TEST_PG_URL (skipped when neither is set).
//
// Each measured run is a child process of its own (its own connection, its
// own peak resident memory, reported from wait4). Figures:
//   detailed   read+sort and fill seconds, lines, look-up statements;
//              ratio = generation / (sqlite3 shell, same row statement,
//              output to /dev/null)
//   one-by-one the same with LookupMode::kOneByOne (the reference path)
//   summary    ratio = generation / (sqlite3 shell, SELECT ... GROUP BY
//              user, date)
//   postgres   ratio = PostgreSQL generation / SQLite generation
//   command    `vantra audit --format tsv` (all users, all modules, entry
//              and exit rows, sorted by date; output to /dev/null) against
//              the sqlite3 shell running the same row statement to
//              /dev/null, turn about, best of three each; with --cli-pg
//              also on PostgreSQL against psql (-A -t, output to /dev/null)
//              and against the SQLite run
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "audit/audit_generator.h"
#include "host/gendb.h"
#include "host/list_window.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// --- filling -------------------------------------------------------------------

bool Exec(GenDB* db, const std::string& sql) {
  if (db->dbExec(sql.c_str()) == 0) return true;
  std::fprintf(stderr, "bench_audit: %s\n  %s\n", db->LastError().c_str(), sql.c_str());
  return false;
}

bool Load(GenDB* db, const std::string& table, const std::vector<std::string>& columns, long rows,
          const std::function<void(long, std::vector<BulkCell>*, std::string*)>& row) {
  std::unique_ptr<BulkLoader> loader = db->BeginBulk(table, columns);
  if (!loader) {
    std::fprintf(stderr, "bench_audit: bulk load of %s: %s\n", table.c_str(), db->LastError().c_str());
    return false;
  }
  std::vector<BulkCell> cells;
  std::string texts[8];
  for (long i = 1; i <= rows; ++i) {
    cells.clear();
    row(i, &cells, texts);
    if (!loader->AddRow(cells)) return false;
  }
  return loader->Finish();
}

constexpr long kPatients = 50000, kAccounts = 20000, kPayments = 200000, kClaims = 50000,
               kClaimLines = 100000, kAppointments = 200000;

bool CreateTables(GenDB* db) {
  const std::string i = db->Dialect().BigIntType(), t = db->Dialect().TextType(0);
  std::string audit = "CREATE TABLE AUDITFIL (AUD_ID " + i + ", AUD_TYPE " + t + ", AUD_ACTION " + t +
                      ", AUD_RECID " + i + ", AUD_USER " + t + ", AUD_DATE " + i + ", AUD_TIME " + i;
  for (const char* c : {"AUD_FLD_NAME1", "AUD_FLD_NAME2", "AUD_FLD_NAME3", "AUD_FLD_INFO1",
                        "AUD_FLD_INFO2", "AUD_FLD_INFO3"}) {
    audit += std::string(", ") + c + " " + t;
  }
  audit += ")";
  return Exec(db, audit) &&
         Exec(db, "CREATE TABLE PATIENT (PAT_ID " + i + " PRIMARY KEY, pat_pname " + t + ", pat_lname " + t + ")") &&
         Exec(db, "CREATE TABLE ACCOUNT (ACC_ID " + i + " PRIMARY KEY, acc_pname " + t + ", acc_lname " + t + ")") &&
         Exec(db, "CREATE TABLE ACCPMT (APMT_ID " + i + " PRIMARY KEY, APMT_ACCID " + i + ", apmt_date " + i +
                      ", apmt_trxno " + t + ", apmt_code " + t + ", apmt_descrip " + t + ")") &&
         Exec(db, "CREATE TABLE PATCLM (PCLM_ID " + i + " PRIMARY KEY, PCLM_PATID " + i + ", pclm_date " + i +
                      ", pclm_number " + t + ")") &&
         Exec(db, "CREATE TABLE CLMTRT (CTRT_ID " + i + " PRIMARY KEY, CTRT_PCLMID " + i + ", ctrt_date " + i +
                      ", ctrt_claim_no " + t + ", ctrt_code " + t + ", ctrt_code_fc_desc " + t + ")") &&
         Exec(db, "CREATE TABLE PATAPT (PAPT_ID " + i + " PRIMARY KEY, PAPT_PATID " + i + ")");
}

const char* const kUsers[] = {"anne", "marc", "julie", "paul", "sophie", "luc", "O'Brien",
                              "eve", "remi", "chloe", "hugo", "lea", "noah", "zoe", "ines",
                              "jade", "leo", "mia", "sam", "tom"};

// A realistic mix of audit rows (types with and without look-ups).
void AuditRow(std::mt19937_64& rng, long id, long rows, bool texts, std::vector<BulkCell>* c,
              std::string* s) {
  static const char* kTypes = "BBBBBXXAAPTTNNSSUEEM";
  const char type = kTypes[rng() % 20];
  long recid = 0;
  s[0].assign(1, type);
  s[1].assign(1, "AEEEDP"[rng() % 6]);
  s[2] = kUsers[rng() % 20];
  for (int k = 3; k < 8; ++k) s[k].clear();
  switch (type) {
    case 'B': recid = 1 + rng() % kPatients; s[3] = rng() % 2 ? "ADDRESS" : "PATRESP"; s[6] = "N"; break;
    case 'X': recid = 1 + rng() % kPatients; s[5] = "TX-" + std::to_string(rng() % 1000); break;
    case 'A': case 'P': recid = 1 + rng() % kPayments; break;
    case 'T': recid = 1 + rng() % kClaimLines; s[3] = "CLMTRT"; break;
    case 'N': recid = 1 + rng() % kPatients; s[3] = "TXNOTE"; s[5] = "17"; break;
    case 'S': recid = 1 + rng() % kAppointments; s[6] = "20261205CLN0930"; s[7] = "A01DR1"; break;
    case 'U': recid = 20260101 + rng() % 28; s[3] = "AUDPURGE"; break;
    case 'E': recid = 1 + rng() % 9; s[1].assign(1, "EX"[rng() % 2]); break;
    case 'M': recid = 1 + rng() % kPatients; s[3] = "PATMED"; s[6] = "Latex"; break;
  }
  // Rows are written as a practice writes them: in time order, three years
  // of working days from 07:00 to 19:00.
  const double position = (id - 1) * 1095.0 / rows;
  const long day = static_cast<long>(position);
  const long date = 20240101 + (day / 365) * 10000 + (day % 365 / 31 % 12) * 100 +
                    std::min(day % 365 % 31, 27L);
  const long second = 25200 + static_cast<long>((position - day) * 43200);
  const long time = second / 3600 * 10000 + second / 60 % 60 * 100 + second % 60;
  c->push_back(BulkCell::Int(id));
  c->push_back(BulkCell::Text(s[0]));
  c->push_back(BulkCell::Text(s[1]));
  c->push_back(BulkCell::Int(recid));
  c->push_back(BulkCell::Text(s[2]));
  c->push_back(BulkCell::Int(date));
  c->push_back(BulkCell::Int(time));
  for (int k = 3; k < 8; ++k) c->push_back(BulkCell::Text(texts ? s[k] : std::string_view()));
  c->push_back(BulkCell::Text(""));
}

bool FillPractice(GenDB* db, long audit_rows, bool texts) {
  if (!CreateTables(db)) return false;
  std::mt19937_64 rng(42);
  auto name = [](const char* p, long i, std::string* s) { *s = p + std::to_string(i); };
  return Load(db, "AUDITFIL",
              {"AUD_ID", "AUD_TYPE", "AUD_ACTION", "AUD_RECID", "AUD_USER", "AUD_DATE", "AUD_TIME",
               "AUD_FLD_NAME1", "AUD_FLD_NAME2", "AUD_FLD_NAME3", "AUD_FLD_INFO1", "AUD_FLD_INFO2",
               "AUD_FLD_INFO3"},
              audit_rows, [&](long i, std::vector<BulkCell>* c, std::string* s) { AuditRow(rng, i, audit_rows, texts, c, s); }) &&
         Load(db, "PATIENT", {"PAT_ID", "pat_pname", "pat_lname"}, kPatients,
              [&](long i, std::vector<BulkCell>* c, std::string* s) {
                name("Prénom", i, &s[0]);
                name("Nom", i, &s[1]);
                *c = {BulkCell::Int(i), BulkCell::Text(s[0]), BulkCell::Text(s[1])};
              }) &&
         Load(db, "ACCOUNT", {"ACC_ID", "acc_pname", "acc_lname"}, kAccounts,
              [&](long i, std::vector<BulkCell>* c, std::string* s) {
                name("Titulaire", i, &s[0]);
                name("Compte", i, &s[1]);
                *c = {BulkCell::Int(i), BulkCell::Text(s[0]), BulkCell::Text(s[1])};
              }) &&
         Load(db, "ACCPMT", {"APMT_ID", "APMT_ACCID", "apmt_date", "apmt_trxno", "apmt_code", "apmt_descrip"},
              kPayments, [&](long i, std::vector<BulkCell>* c, std::string* s) {
                name("T", i, &s[0]);
                *c = {BulkCell::Int(i), BulkCell::Int(1 + i % kAccounts), BulkCell::Int(20260101),
                      BulkCell::Text(s[0]), BulkCell::Text("CHQ"), BulkCell::Text("Paiement par chèque")};
              }) &&
         Load(db, "PATCLM", {"PCLM_ID", "PCLM_PATID", "pclm_date", "pclm_number"}, kClaims,
              [&](long i, std::vector<BulkCell>* c, std::string* s) {
                name("CL-", i, &s[0]);
                *c = {BulkCell::Int(i), BulkCell::Int(1 + i % kPatients), BulkCell::Int(20260101),
                      BulkCell::Text(s[0])};
              }) &&
         Load(db, "CLMTRT", {"CTRT_ID", "CTRT_PCLMID", "ctrt_date", "ctrt_claim_no", "ctrt_code", "ctrt_code_fc_desc"},
              kClaimLines, [&](long i, std::vector<BulkCell>* c, std::string* s) {
                name("CL-", 1 + i % kClaims, &s[0]);
                *c = {BulkCell::Int(i), BulkCell::Int(1 + i % kClaims), BulkCell::Int(20260101),
                      BulkCell::Text(s[0]), BulkCell::Text("01202"), BulkCell::Text("Examen de rappel")};
              }) &&
         Load(db, "PATAPT", {"PAPT_ID", "PAPT_PATID"}, kAppointments,
              [&](long i, std::vector<BulkCell>* c, std::string*) {
                *c = {BulkCell::Int(i), BulkCell::Int(1 + i % kPatients)};
              });
}

// --- measuring in a child process ---------------------------------------------------

struct Figures {
  double seconds = 0;       // whole run
  double read_seconds = 0;  // count, read, sort
  double fill_seconds = 0;
  long lines = 0;
  long elements = 0;
  LookupStats stats;
  long peak_kb = 0;  // peak resident memory of the child
  double cpu = 0;    // user + system seconds of the child (the machine may be shared)
  bool ok = false;
};

double CpuSeconds(const struct rusage& u) {
  return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

template <class Fn>
Figures InChild(Fn fn) {
  int fd[2];
  if (pipe(fd) != 0) return {};
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fd[0]);
    Figures f = fn();
    if (write(fd[1], &f, sizeof f) != static_cast<ssize_t>(sizeof f)) _exit(1);
    _exit(0);
  }
  close(fd[1]);
  Figures f;
  const bool got = read(fd[0], &f, sizeof f) == static_cast<ssize_t>(sizeof f);
  close(fd[0]);
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  if (!got) return {};
  f.peak_kb = usage.ru_maxrss;
  f.cpu = CpuSeconds(usage);
  return f;
}

Figures RunGenerator(const std::string& url, bool summary, LookupMode mode) {
  return InChild([&] {
    Figures f;
    std::string error;
    std::unique_ptr<GenDB> db = OpenGenDB(url, "", false, &error);
    if (!db) {
      std::fprintf(stderr, "bench_audit: %s\n", error.c_str());
      return f;
    }
    AuditOptions o;
    o.all_modules = 'Y';
    o.all_users = 'Y';
    o.source = 'A';
    std::unique_ptr<PracBaseGenerator> gen;
    if (summary) {
      o.AddSortKey(kKeyUser);
      o.AddSortKey(kKeyDate);
      o.subtotal[0] = 1;
      o.subtotal[1] = 1;
      gen = std::make_unique<PracSummaryGenerator>(nullptr, nullptr, &o);
    } else {
      o.AddSortKey(kKeyDate);
      gen = std::make_unique<PracDetailedGenerator>(nullptr, nullptr, &o);
    }
    gen->SetDb(db.get());
    gen->SetLookupMode(mode);
    QenListWindow list(summary ? 301 : 300);
    const double t0 = Now();
    gen->Generate(nullptr);  // count, read, sort
    const double t1 = Now();
    gen->FillList(&list);
    const double t2 = Now();
    f.read_seconds = t1 - t0;
    f.fill_seconds = t2 - t1;
    f.seconds = t2 - t0;
    f.lines = list.GetCount();
    f.elements = static_cast<long>(gen->Elements().Count());
    f.stats = gen->Stats();
    f.ok = gen->Outcome().message.empty();
    if (!f.ok) std::fprintf(stderr, "bench_audit: %s\n", gen->Outcome().message.c_str());
    return f;
  });
}

// The sqlite3 shell running sql on the file, output to /dev/null.
Figures RunShell(const std::string& file, const std::string& sql) {
  Figures f;
  std::fflush(stdout);
  const double t0 = Now();
  const pid_t pid = fork();
  if (pid == 0) {
    FILE* null = std::freopen("/dev/null", "w", stdout);
    (void)null;
    execlp("sqlite3", "sqlite3", "-batch", file.c_str(), sql.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  f.seconds = Now() - t0;
  f.peak_kb = usage.ru_maxrss;
  f.cpu = CpuSeconds(usage);
  f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return f;
}

// psql reading sql from the server at url, search path set to schema
// (when not empty), output to /dev/null.
Figures RunPsql(const std::string& url, const std::string& schema, const std::string& sql) {
  Figures f;
  std::fflush(stdout);
  const double t0 = Now();
  const pid_t pid = fork();
  if (pid == 0) {
    FILE* null = std::freopen("/dev/null", "w", stdout);
    (void)null;
    if (!schema.empty()) setenv("PGOPTIONS", ("-c search_path=" + schema).c_str(), 1);
    execlp("psql", "psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", url.c_str(), "-c", sql.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  f.seconds = Now() - t0;
  f.peak_kb = usage.ru_maxrss;
  f.cpu = CpuSeconds(usage);
  f.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return f;
}

// `vantra ARGS...`, output to /dev/null.
Figures RunProgram(const std::string& program, const std::vector<std::string>& args) {
  Figures f;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);
  const double t0 = Now();
  const pid_t pid = fork();
  if (pid == 0) {
    FILE* null = std::freopen("/dev/null", "w", stdout);
    (void)null;
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  wait4(pid, &status, 0, &usage);
  f.seconds = Now() - t0;
  f.peak_kb = usage.ru_maxrss;
  f.cpu = CpuSeconds(usage);
  // 1 = rows may be missing or a look-up failed (the bench's own tables have
  // no chart tables): the lines were written all the same.
  f.ok = WIFEXITED(status) && WEXITSTATUS(status) <= 1;
  return f;
}

// The best wall and the best cpu seconds of each, measured turn about (the
// order turns too, so that none always follows the same one).
void BestOfThree(const std::vector<std::function<Figures()>>& runs, const std::vector<Figures*>& bests) {
  const size_t n = runs.size();
  for (int i = 0; i < 3; ++i) {
    for (size_t k = 0; k < n; ++k) {
      const size_t which = (k + static_cast<size_t>(i)) % n;
      const Figures f = runs[which]();
      Figures* best = bests[which];
      if (i == 0) {
        *best = f;
        continue;
      }
      best->ok = best->ok && f.ok;
      if (f.seconds < best->seconds) best->seconds = f.seconds;
      if (f.cpu < best->cpu) best->cpu = f.cpu;
      if (f.peak_kb > best->peak_kb) best->peak_kb = f.peak_kb;
    }
  }
}

void Print(const char* what, const Figures& f) {
  std::printf("  %-32s %7.2f s wall %7.2f s cpu  (read+sort %.2f, fill %.2f)  %8ld lines  peak %6.1f MB\n",
              what, f.seconds, f.cpu, f.read_seconds, f.fill_seconds, f.lines, f.peak_kb / 1024.0);
  if (f.stats.requests > 0) {
    std::printf("  %-34s look-ups %ld, one-by-one statements %ld, set-based statements %ld, "
                "prefetched answers %ld\n", "", f.stats.requests, f.stats.statements,
                f.stats.batch_statements, f.stats.prefetched);
  }
}

std::string DetailedRowStatement(long from_date = 0, long to_date = 0) {
  AuditOptions o;
  o.source = 'A';
  o.from_date = from_date;
  o.to_date = to_date;
  PracDetailedGenerator gen(nullptr, nullptr, &o);
  return gen.RowStatement();
}

// The command line against the sqlite3 shell on file and, when pg is not
// empty, on the server against psql (see the file comment).
void CommandLineRun(const std::string& vantra, const std::string& file, long from, long to,
                    const std::string& pg = std::string(), const std::string& prefix = std::string()) {
  auto args_for = [&](const std::string& url) {
    std::vector<std::string> args = {"audit",        "--db",       url,           "AllModules=Y",
                                     "AllUsers=Y",   "TrackEntryExit=Y",           "SortBy=2",
                                     "SumBy=0000",   "AuditTypes=A", "--format",   "tsv"};
    if (!prefix.empty() && url == pg) args.insert(args.end(), {"--prefix", prefix});
    args.insert(args.end(), {"--from", std::to_string(from), "--to", std::to_string(to)});
    return args;
  };
  const std::vector<std::string> args = args_for("sqlite:" + file);
  const std::string sql = DetailedRowStatement(from, to);
  Figures cli, shell, pg_cli, psql;
  std::vector<std::function<Figures()>> runs = {[&] { return RunProgram(vantra, args); },
                                                [&] { return RunShell(file, sql); }};
  std::vector<Figures*> bests = {&cli, &shell};
  if (!pg.empty()) {
    const std::vector<std::string> pg_args = args_for(pg);
    const std::string schema = prefix.size() > 1 && prefix.back() == '.' ? prefix.substr(0, prefix.size() - 1) : "";
    runs.push_back([&, pg_args] { return RunProgram(vantra, pg_args); });
    runs.push_back([&, schema] { return RunPsql(pg, schema, sql); });
    bests.push_back(&pg_cli);
    bests.push_back(&psql);
  }
  BestOfThree(runs, bests);
  std::printf("\nCommand line, %s, %ld to %ld (best of three, turn about):\n", file.c_str(), from,
              to);
  Print("sqlite3 shell, row statement", shell);
  Print("vantra audit --format tsv", cli);
  if (!cli.ok || !shell.ok) std::printf("  (a run failed: see its message above)\n");
  std::printf("  ratio vantra / shell: %.2f wall, %.2f cpu\n", cli.seconds / shell.seconds,
              cli.cpu / shell.cpu);
  if (pg.empty()) return;
  Print("psql, row statement", psql);
  Print("vantra audit, PostgreSQL", pg_cli);
  if (!pg_cli.ok || !psql.ok) std::printf("  (a PostgreSQL run failed: see its message above)\n");
  std::printf("  ratio vantra PostgreSQL / psql: %.2f wall (client cpu %.2f / %.2f s)\n",
              pg_cli.seconds / psql.seconds, pg_cli.cpu, psql.cpu);
  std::printf("  ratio vantra PostgreSQL / vantra SQLite: %.2f wall, %.2f client cpu\n",
              pg_cli.seconds / cli.seconds, pg_cli.cpu / cli.cpu);
}

}  // namespace

int main(int argc, char** argv) {
  long rows = 1000000, summary_rows = 10000000;
  std::string dir, pg, cli_db, cli_pg, cli_prefix;
  long cli_from = 20000101, cli_to = 29991231;
  std::string vantra = (std::filesystem::path(argv[0]).parent_path() / "vantra").string();
  bool skip_summary = false, skip_pg = false, keep = false;
  if (const char* env = std::getenv("VANTRA_TEST_PG_URL")) pg = env;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--rows") rows = std::atol(next().c_str());
    else if (a == "--summary-rows") summary_rows = std::atol(next().c_str());
    else if (a == "--pg") pg = next();
    else if (a == "--dir") dir = next();
    else if (a == "--skip-summary") skip_summary = true;
    else if (a == "--skip-pg") skip_pg = true;
    else if (a == "--keep") keep = true;
    else if (a == "--cli-db") cli_db = next();
    else if (a == "--cli-from") cli_from = std::atol(next().c_str());
    else if (a == "--cli-to") cli_to = std::atol(next().c_str());
    else if (a == "--cli-pg") cli_pg = next();
    else if (a == "--cli-prefix") cli_prefix = next();
    else if (a == "--vantra") vantra = next();
    else {
      std::fprintf(stderr, "usage: bench_audit [--rows N] [--summary-rows M] [--pg URL] [--dir D] "
                           "[--skip-summary] [--skip-pg] [--keep] [--cli-db FILE [--cli-from D] "
                           "[--cli-to D] [--cli-pg URL [--cli-prefix P]]] [--vantra PATH]\n");
      return 2;
    }
  }
  if (!cli_db.empty()) {
    CommandLineRun(vantra, cli_db, cli_from, cli_to, cli_pg, cli_prefix);
    return 0;
  }
  if (dir.empty()) {
    char tmpl[] = "/tmp/bench-audit-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) return 1;
    dir = tmpl;
  }
  std::filesystem::create_directories(dir);
  std::printf("bench_audit: %ld detailed rows, %ld summary rows, folder %s\n", rows, summary_rows,
              dir.c_str());

  // --- detailed, SQLite ---
  const std::string file = dir + "/detailed.sqlite";
  std::filesystem::remove(file);
  std::string error;
  {
    double t0 = Now();
    std::unique_ptr<GenDB> db = OpenGenDB("sqlite:" + file, "", true, &error);
    if (!db || !FillPractice(db.get(), rows, true)) return 1;
    std::printf("  filled SQLite in %.1f s\n", Now() - t0);
  }
  const Figures shell = RunShell(file, DetailedRowStatement());
  const Figures batched = RunGenerator("sqlite:" + file, false, LookupMode::kBatched);
  const Figures one = RunGenerator("sqlite:" + file, false, LookupMode::kOneByOne);
  std::printf("\nDetailed list, SQLite:\n");
  Print("sqlite3 shell, row statement", shell);
  Print("generator, batched look-ups", batched);
  Print("generator, one-by-one look-ups", one);
  std::printf("  ratio batched / shell: %.2f wall, %.2f cpu   one-by-one / shell: %.2f wall, %.2f cpu\n",
              batched.seconds / shell.seconds, batched.cpu / shell.cpu, one.seconds / shell.seconds,
              one.cpu / shell.cpu);
  std::printf("  memory: %.0f bytes per listed row (peak over the shell's %.1f MB)\n",
              (batched.peak_kb - shell.peak_kb) * 1024.0 / (batched.lines > 0 ? batched.lines : 1),
              shell.peak_kb / 1024.0);
  CommandLineRun(vantra, file, 20000101, 29991231);

  // --- detailed, PostgreSQL ---
  if (!skip_pg && !pg.empty()) {
    const std::string schema = "bench_audit_" + std::to_string(getpid());
    std::unique_ptr<GenDB> admin = OpenGenDB(pg, "", false, &error);
    if (admin && Exec(admin.get(), "CREATE SCHEMA " + schema)) {
      const std::string url = pg + (pg.find("://") != std::string::npos
                                        ? (pg.find('?') == std::string::npos ? "?" : "&") +
                                              std::string("options=-csearch_path%3D") + schema
                                        : " options='-csearch_path=" + schema + "'");
      double t0 = Now();
      std::unique_ptr<GenDB> db = OpenGenDB(url, "", false, &error);
      if (db && FillPractice(db.get(), rows, true) && Exec(db.get(), "ANALYZE")) {
        std::printf("\n  filled PostgreSQL in %.1f s\n", Now() - t0);
        const Figures pgb = RunGenerator(url, false, LookupMode::kBatched);
        const Figures pgo = RunGenerator(url, false, LookupMode::kOneByOne);
        std::printf("Detailed list, PostgreSQL:\n");
        Print("generator, batched look-ups", pgb);
        Print("generator, one-by-one look-ups", pgo);
        std::printf("  ratio PostgreSQL / SQLite, wall: batched %.2f, one-by-one %.2f "
                    "(client cpu only: %.2f, %.2f)\n",
                    pgb.seconds / batched.seconds, pgo.seconds / one.seconds, pgb.cpu / batched.cpu,
                    pgo.cpu / one.cpu);
      } else {
        std::fprintf(stderr, "bench_audit: PostgreSQL run skipped: %s\n", error.c_str());
      }
      db.reset();
      if (!keep) Exec(admin.get(), "DROP SCHEMA " + schema + " CASCADE");
    }
  } else {
    std::printf("\n  PostgreSQL run skipped (give --pg URL or VANTRA_TEST_PG_URL)\n");
  }
  if (!keep) std::filesystem::remove(file);

  // --- summary, SQLite ---
  if (!skip_summary) {
    const std::string sfile = dir + "/summary.sqlite";
    std::filesystem::remove(sfile);
    double t0 = Now();
    {
      std::unique_ptr<GenDB> db = OpenGenDB("sqlite:" + sfile, "", true, &error);
      if (!db || !FillPractice(db.get(), summary_rows, false)) return 1;
    }
    std::printf("\n  filled %ld summary rows in %.1f s\n", summary_rows, Now() - t0);
    const Figures group = RunShell(
        sfile, "SELECT AUD_USER, AUD_DATE, COUNT(0), MAX(AUD_TIME) FROM AUDITFIL GROUP BY AUD_USER, AUD_DATE");
    const Figures sum = RunGenerator("sqlite:" + sfile, true, LookupMode::kBatched);
    std::printf("Summary, subtotals on user and date:\n");
    Print("sqlite3 shell, GROUP BY user, date", group);
    Print("summary generator", sum);
    std::printf("  %ld merged elements; ratio summary / GROUP BY: %.2f wall, %.2f cpu\n",
                sum.elements, sum.seconds / group.seconds, sum.cpu / group.cpu);
    if (!keep) std::filesystem::remove(sfile);
  }
  if (!keep) std::filesystem::remove_all(dir);
  return 0;
}
