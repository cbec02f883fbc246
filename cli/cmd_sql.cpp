// `vantra sql STATEMENT`: runs one statement through GenDB and prints its
// rows, columns separated by tabs (NULL prints as the empty text, as every
// analysis reads it).
#include <cstdio>
#include <string>

#include "cli/cli_options.h"

namespace {

constexpr int kCursor = 21;

int RunSql(const CliOptions& options) {
  if (options.positional.size() != 1) {
    std::fprintf(stderr, "vantra sql : donnez une seule instruction SQL (entre guillemets)\n");
    return 2;
  }
  QenApplication app;
  std::string error;
  if (!SetUpApplication(options, &app, &error, DbAccess::kWrite)) {
    std::fprintf(stderr, "vantra sql : %s\n", error.c_str());
    return 1;
  }
  GenDB* db = app.GetDb();
  const std::string& statement = options.positional[0];
  if (db->dbExecute(statement.c_str(), kCursor) != 0) {
    std::fprintf(stderr, "vantra sql : %s\n", db->LastError().c_str());
    return 1;
  }
  int columns = db->dbColumnCount(kCursor);
  std::string cell;
  for (int r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
    for (int c = 1; c <= columns; ++c) {
      db->dbGetField(c, &cell, kCursor, false);
      if (c > 1) std::fputc('\t', stdout);
      std::fwrite(cell.data(), 1, cell.size(), stdout);
    }
    std::fputc('\n', stdout);
  }
  bool failed = !db->LastError().empty();
  if (failed) std::fprintf(stderr, "vantra sql : %s\n", db->LastError().c_str());
  db->dbClose(kCursor);
  return failed ? 1 : 0;
}

CliRegistration registration{{"sql", "exécute une instruction SQL et affiche ses rangées",
                              "[--db URL] [--prefix P] \"INSTRUCTION\"", {}, &RunSql}};

}  // namespace
