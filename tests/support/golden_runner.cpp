// Runs one golden case of the command line, for every analysis:
//   golden_runner VANTRA CASE_DIR sqlite|postgres
//
// Makes a fresh database (a SQLite file in a temporary folder, or a schema on
// the server of VANTRA_TEST_PG_URL, named through --prefix) and fills it:
// with CASE_DIR/../schema.sql when the case folder's parent has one (cases
// that bring their own tables), else with the practice schema (CreateSchema)
// and CASE_DIR/../practice.sql when present (the small practice the cases of
// a folder share); then CASE_DIR/input.sql when present. It runs each command
// of CASE_DIR/args (one argument per line, '#' comments, blocks separated by
// a line "---") as
//   VANTRA <args...> --db URL --ini EMPTY --format tsv --item-data [--prefix P]
// and compares standard output with CASE_DIR/expected.tsv byte for byte, the
// exit status with CASE_DIR/status (0 when absent) and, when
// CASE_DIR/expected.stderr exists, standard error with it.
// Exit status 0: the case passes; 77: PostgreSQL asked for but not
// configured (skipped); anything else: a failure, with the difference shown.
// VANTRA_GOLDEN_PRINT=1 prints the actual output (to write expected.tsv).
//
// A group of clinics: when CASE_DIR/clinics exists (one clinic name per
// line), each clinic NAME is the small demo practice (`demo-db --today
// 20261201`) followed by CASE_DIR/../NAME.sql when present (its own tables,
// unprefixed). On SQLite the clinics are the files NAME.db beside an empty
// group.sqlite that --db names; on PostgreSQL they are the schemas NAME of a
// database made for the case (so --all-clinics sees only them), dropped
// afterwards. The commands get no --prefix.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "suite/schema.h"

namespace {

bool ReadFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *out = s.str();
  return true;
}

// Statements end with ';' at the end of a line; lines starting with "--" are
// comments.
std::vector<std::string> Statements(const std::string& sql) {
  std::vector<std::string> out;
  std::string current, line;
  std::istringstream in(sql);
  while (std::getline(in, line)) {
    if (line.rfind("--", 0) == 0) continue;
    current += line + "\n";
    size_t end = line.find_last_not_of(" \t\r");
    if (end != std::string::npos && line[end] == ';') {
      current.erase(current.find_last_of(';'));
      out.push_back(current);
      current.clear();
    }
  }
  if (current.find_first_not_of(" \t\r\n") != std::string::npos) out.push_back(current);
  return out;
}

bool RunSqlFile(GenDB* db, const std::string& path) {
  std::string sql;
  if (!ReadFile(path, &sql)) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  for (const std::string& s : Statements(sql)) {
    if (db->dbExec(s.c_str()) != 0) {
      std::fprintf(stderr, "%s: %s\n%s\n", path.c_str(), db->LastError().c_str(), s.c_str());
      return false;
    }
  }
  return true;
}

// Runs argv, returns its exit status and its standard output; standard
// error goes to err_path.
int Run(const std::vector<std::string>& args, std::string* out, const std::string& err_path) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    if (std::freopen(err_path.c_str(), "w", stderr) == nullptr) _exit(126);
    dup2(pipefd[1], 1);
    close(pipefd[0]);
    close(pipefd[1]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipefd[1]);
  char buffer[65536];
  ssize_t n;
  while ((n = read(pipefd[0], buffer, sizeof buffer)) > 0) out->append(buffer, n);
  close(pipefd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ShowDifference(const std::string& expected, const std::string& actual) {
  std::istringstream e(expected), a(actual);
  std::string el, al;
  for (int line = 1;; ++line) {
    const bool he = static_cast<bool>(std::getline(e, el));
    const bool ha = static_cast<bool>(std::getline(a, al));
    if (!he && !ha) break;
    if (!he || !ha || el != al) {
      std::fprintf(stderr, "first difference at line %d\n  expected: %s\n  actual:   %s\n", line,
                   he ? el.c_str() : "(end)", ha ? al.c_str() : "(end)");
      return;
    }
  }
  std::fprintf(stderr, "outputs differ (line ends)\n");
}

// The URL of another database on the server of url (a postgresql:// URL).
std::string WithDatabase(const std::string& url, const std::string& name) {
  const size_t scheme = url.find("://");
  const size_t slash = scheme == std::string::npos ? std::string::npos : url.find('/', scheme + 3);
  if (slash == std::string::npos) return url + "/" + name;
  const size_t query = url.find('?', slash);
  return url.substr(0, slash + 1) + name + (query == std::string::npos ? "" : url.substr(query));
}

// Builds the clinics of CASE_DIR/clinics; false with a message on stderr.
bool MakeClinics(const std::string& vantra, const std::string& dir, const std::string& engine,
                 const std::string& group_url, const std::string& tmp) {
  std::string text;
  ReadFile(dir + "/clinics", &text);
  std::istringstream lines(text);
  std::string name;
  while (std::getline(lines, name)) {
    if (name.empty() || name[0] == '#') continue;
    const std::string url = engine == "sqlite" ? "sqlite:" + tmp + "/" + name + ".db" : group_url;
    std::vector<std::string> args = {vantra, "demo-db", "--db", url, "--today", "20261201"};
    if (engine != "sqlite") args.insert(args.end(), {"--prefix", name + "."});
    std::string ignored;
    if (Run(args, &ignored, tmp + "/demo.txt") != 0) {
      std::string err;
      ReadFile(tmp + "/demo.txt", &err);
      std::fprintf(stderr, "demo-db for clinic %s: %s\n", name.c_str(), err.c_str());
      return false;
    }
    const std::string own = dir + "/../" + name + ".sql";
    if (!std::filesystem::exists(own)) continue;
    std::string error;
    std::unique_ptr<GenDB> db = OpenGenDB(url, "", false, &error);
    if (db && engine != "sqlite" && db->dbExec(("SET search_path TO " + name).c_str()) != 0) db.reset();
    if (!db || !RunSqlFile(db.get(), own)) {
      std::fprintf(stderr, "clinic %s: %s\n", name.c_str(), error.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: golden_runner VANTRA CASE_DIR sqlite|postgres\n");
    return 1;
  }
  const std::string vantra = argv[1], dir = argv[2], engine = argv[3];
  const char* pg = std::getenv("VANTRA_TEST_PG_URL");
  if (engine != "sqlite" && (pg == nullptr || *pg == '\0')) {
    std::printf("skipped: VANTRA_TEST_PG_URL is not set\n");
    return 77;
  }
  std::error_code ec;
  std::string tmp = (std::filesystem::temp_directory_path(ec) / "vantra-golden-XXXXXX").string();
  if (mkdtemp(tmp.data()) == nullptr) return 1;
  std::string url, prefix, schema, error, group_database;
  std::unique_ptr<GenDB> db;
  const bool group = std::filesystem::exists(dir + "/clinics");
  if (group) {
    bool made = false;
    if (engine == "sqlite") {
      url = "sqlite:" + tmp + "/group.sqlite";
      std::ofstream(tmp + "/group.sqlite").close();
      made = true;
    } else {
      db = OpenGenDB(pg, "", false, &error);
      group_database = "golden_group_" + std::to_string(getpid());
      made = db && db->dbExec(("CREATE DATABASE " + group_database).c_str()) == 0;
      if (db && !made) error = db->LastError();
      if (!made) group_database.clear();
      url = WithDatabase(pg, group_database);
    }
    int result = 1;
    if (!made) {
      std::fprintf(stderr, "cannot make the group's database: %s\n", error.c_str());
    } else if (MakeClinics(vantra, dir, engine, url, tmp)) {
      result = -1;
    }
    if (result == 1) {
      if (db && !group_database.empty()) db->dbExec(("DROP DATABASE " + group_database + " WITH (FORCE)").c_str());
      std::filesystem::remove_all(tmp, ec);
      return 1;
    }
    // The group's cases run below on url, with no prefix; db stays on the
    // server's own database to drop the group's at the end.
  } else if (engine == "sqlite") {
    url = "sqlite:" + tmp + "/golden.sqlite";
    db = OpenGenDB(url, "", true, &error);
  } else {
    url = pg;
    schema = "golden_" + std::to_string(getpid());
    prefix = schema + ".";
    db = OpenGenDB(url, "", false, &error);
    if (db && (db->dbExec(("CREATE SCHEMA " + schema).c_str()) != 0 ||
               db->dbExec(("SET search_path TO " + schema).c_str()) != 0)) {
      error = db->LastError();
      db.reset();
    }
  }
  int result = 1;
  // The practice of a single-clinic case: its tables, then its rows.
  bool ready = group;
  if (group) {
    // the clinics are made
  } else if (!db) {
    std::fprintf(stderr, "cannot open %s: %s\n", url.c_str(), error.c_str());
  } else if (std::filesystem::exists(dir + "/../schema.sql")
                 ? !RunSqlFile(db.get(), dir + "/../schema.sql")
                 : !CreateSchema(db.get(), &error)) {
    if (!error.empty()) std::fprintf(stderr, "schema: %s\n", error.c_str());
  } else {
    ready = (!std::filesystem::exists(dir + "/../practice.sql") || RunSqlFile(db.get(), dir + "/../practice.sql")) &&
            (!std::filesystem::exists(dir + "/input.sql") || RunSqlFile(db.get(), dir + "/input.sql"));
  }
  if (ready) {
    // One command per block of lines; blocks are separated by a line "---"
    // and run in order on the same database (the status is the first
    // non-zero one; the outputs are concatenated).
    std::vector<std::vector<std::string>> commands(1, std::vector<std::string>{vantra});
    std::string text;
    ReadFile(dir + "/args", &text);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (line == "---") {
        commands.push_back({vantra});
      } else if (!line.empty() && line[0] != '#') {
        commands.back().push_back(line);
      }
    }
    std::string expected, actual, status_text, expected_err, actual_err;
    int status = 0;
    for (std::vector<std::string>& args : commands) {
      args.insert(args.end(), {"--db", url, "--ini", tmp + "/none.ini", "--format", "tsv", "--item-data"});
      if (!prefix.empty()) args.insert(args.end(), {"--prefix", prefix});
      const int s = Run(args, &actual, tmp + "/stderr.txt");
      if (status == 0) status = s;
      std::string err;
      ReadFile(tmp + "/stderr.txt", &err);
      actual_err += err;
    }
    ReadFile(dir + "/expected.tsv", &expected);
    const int expected_status = ReadFile(dir + "/status", &status_text) ? std::atoi(status_text.c_str()) : 0;
    const bool check_err = ReadFile(dir + "/expected.stderr", &expected_err);
    if (std::getenv("VANTRA_GOLDEN_PRINT") != nullptr) std::fwrite(actual.data(), 1, actual.size(), stdout);
    // VANTRA_GOLDEN_STDERR=FILE keeps the standard error (to write expected.stderr).
    if (const char* keep = std::getenv("VANTRA_GOLDEN_STDERR")) {
      std::ofstream(keep, std::ios::binary) << actual_err;
    }
    if (status != expected_status) {
      std::fprintf(stderr, "exit status %d, expected %d\n", status, expected_status);
    } else if (actual != expected) {
      ShowDifference(expected, actual);
    } else if (check_err && actual_err != expected_err) {
      std::fprintf(stderr, "standard error differs:\n");
      ShowDifference(expected_err, actual_err);
    } else {
      result = 0;
    }
  }
  if (db && !schema.empty()) db->dbExec(("DROP SCHEMA " + schema + " CASCADE").c_str());
  if (db && !group_database.empty()) db->dbExec(("DROP DATABASE " + group_database + " WITH (FORCE)").c_str());
  db.reset();
  std::filesystem::remove_all(tmp, ec);
  return result;
}
