// Runs one golden case of the statistics command line:
//   stats_golden_runner VANTRA CASE_DIR sqlite|postgres
// Creates a fresh database (a temporary SQLite file, or a schema of its own on
// the server of VANTRA_TEST_PG_URL, named through --prefix), runs
// the suite's schema (every table) and CASE_DIR/input.sql in it, runs
//   VANTRA <lines of CASE_DIR/args> --db URL [--prefix SCHEMA.] --ini EMPTY
//          --format tsv --item-data
// and compares standard output with CASE_DIR/expected.tsv byte for byte (and
// the exit status with CASE_DIR/status, 0 when absent).
// Exit status: 0 same, 1 different or failed, 77 skipped (no PostgreSQL).
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

bool CreateSchema(GenDB* db) {
  for (const TableDef& t : SchemaTables()) {
    if (db->dbExec(CreateTableSql(*db, t).c_str()) != 0) {
      std::fprintf(stderr, "schema %s: %s\n", t.name, db->LastError().c_str());
      return false;
    }
  }
  return true;
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

// Runs argv, returns its exit status and its standard output.
int Run(const std::vector<std::string>& args, std::string* out) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: stats_golden_runner VANTRA CASE_DIR sqlite|postgres\n");
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
  std::string url, prefix, schema, error;
  std::unique_ptr<GenDB> db;
  if (engine == "sqlite") {
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
  if (!db) {
    std::fprintf(stderr, "cannot open %s: %s\n", url.c_str(), error.c_str());
  } else if (CreateSchema(db.get()) && RunSqlFile(db.get(), dir + "/input.sql")) {
    std::vector<std::string> args = {vantra};
    std::string text;
    ReadFile(dir + "/args", &text);
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (!line.empty() && line[0] != '#') args.push_back(line);
    }
    args.insert(args.end(), {"--db", url, "--ini", tmp + "/none.ini", "--format", "tsv", "--item-data"});
    if (!prefix.empty()) args.insert(args.end(), {"--prefix", prefix});
    std::string expected, actual, status_text;
    ReadFile(dir + "/expected.tsv", &expected);
    const int expected_status = ReadFile(dir + "/status", &status_text) ? std::atoi(status_text.c_str()) : 0;
    const int status = Run(args, &actual);
    if (std::getenv("VANTRA_GOLDEN_PRINT") != nullptr) std::fwrite(actual.data(), 1, actual.size(), stdout);
    if (status != expected_status) {
      std::fprintf(stderr, "exit status %d, expected %d\n", status, expected_status);
    } else if (actual != expected) {
      ShowDifference(expected, actual);
    } else {
      result = 0;
    }
  }
  if (db && !schema.empty()) db->dbExec(("DROP SCHEMA " + schema + " CASCADE").c_str());
  db.reset();
  std::filesystem::remove_all(tmp, ec);
  return result;
}
