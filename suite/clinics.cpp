// Listing and checking the clinics of a group.

#include "suite/clinics.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>

#include "host/gendb.h"
#include "suite/calendar.h"

namespace {

constexpr int kClinicCursor = 118;

std::string Trimmed(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// The prefix of a schema: plain when PostgreSQL would fold the name to
// itself, quoted otherwise.
std::string PrefixOfSchema(const std::string& schema) {
  bool plain = !schema.empty() && !std::isdigit(static_cast<unsigned char>(schema[0]));
  for (char c : schema) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) plain = false;
  }
  return plain ? schema + "." : "\"" + schema + "\".";
}

// The folder and file name of a SQLite URL's file.
bool SqliteFolder(const std::string& url, std::string* folder, std::string* file) {
  const std::string path = SqlitePathOfUrl(url);
  if (path.empty() || path == ":memory:" || path.rfind("file:", 0) == 0) return false;
  const std::string::size_type slash = path.rfind('/');
  *folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
  *file = slash == std::string::npos ? path : path.substr(slash + 1);
  return true;
}

// Whether the prefix holds every table of the clinics on db.
bool HoldsClinic(GenDB* db, const std::string& prefix, std::string* error) {
  for (const std::string& table : ClinicTables()) {
    const std::string sql = db->Dialect().TableExistsSql(prefix, table);
    long found = 0;
    if (db->dbExecute(sql.c_str(), kClinicCursor) != 0 || db->dbFetch(0, kClinicCursor) != 0 ||
        db->dbGetLong(1, &found, kClinicCursor) != 0) {
      *error = db->LastError();
      db->dbClose(kClinicCursor);
      // A SQLite prefix whose file is missing has no sqlite_master: no clinic.
      if (db->Dialect().Engine() == DbEngine::kSqlite) error->clear();
      return false;
    }
    db->dbClose(kClinicCursor);
    if (found == 0) return false;
  }
  return true;
}

// A connection of its own for a SQLite clinic's prefix (its file attached).
bool SqliteHoldsClinic(GenDB* db, const std::string& prefix, std::string* error) {
  std::unique_ptr<GenDB> own = OpenGenDB(db->Url(), prefix, DbAccess::kRead, error);
  if (own == nullptr) return false;
  return HoldsClinic(own.get(), prefix, error);
}

}  // namespace

const std::vector<std::string>& ClinicTables() {
  static const std::vector<std::string> tables = {"AUDITFIL", "PATIENT", "PRODCD", "PATAPT"};
  return tables;
}

bool ClinicNameLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const bool da = std::isdigit(static_cast<unsigned char>(a[i])) != 0;
    const bool db = std::isdigit(static_cast<unsigned char>(b[j])) != 0;
    if (da && db) {
      size_t ei = i, ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
      // Leading zeros aside, the longer run is the larger number.
      size_t zi = i, zj = j;
      while (zi + 1 < ei && a[zi] == '0') ++zi;
      while (zj + 1 < ej && b[zj] == '0') ++zj;
      if (ei - zi != ej - zj) return ei - zi < ej - zj;
      const int c = a.compare(zi, ei - zi, b, zj, ej - zj);
      if (c != 0) return c < 0;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

bool ListClinics(GenDB* db, std::vector<std::string>* prefixes, std::string* error) {
  prefixes->clear();
  error->clear();
  if (db == nullptr) {
    *error = "Aucune connexion à la base de données.";
    return false;
  }
  std::vector<std::string> names;
  const std::string sql = db->Dialect().SchemasHoldingSql(ClinicTables());
  if (!sql.empty()) {
    if (db->dbExecute(sql.c_str(), kClinicCursor) != 0) {
      *error = db->LastError();
      return false;
    }
    std::string schema;
    for (int r = db->dbFetch(0, kClinicCursor); r == 0; r = db->dbFetch(1, kClinicCursor)) {
      db->dbGetField(1, &schema, kClinicCursor, true);
      names.push_back(schema);
    }
    const bool failed = !db->LastError().empty();
    if (failed) *error = db->LastError();
    db->dbClose(kClinicCursor);
    if (failed) return false;
    std::sort(names.begin(), names.end(), ClinicNameLess);
    for (const std::string& n : names) prefixes->push_back(PrefixOfSchema(n));
    return true;
  }
  // Files beside the one opened.
  std::string folder, opened;
  if (!SqliteFolder(db->Url(), &folder, &opened)) return true;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    *error = "le dossier « " + folder + " » est illisible";
    return false;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() <= 3 || name.compare(name.size() - 3, 3, ".db") != 0 || name == opened) continue;
    const std::string stem = name.substr(0, name.size() - 3);
    if (ValidTablePrefix(stem + ".", nullptr)) names.push_back(stem);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end(), ClinicNameLess);
  for (const std::string& n : names) {
    std::string why;
    if (SqliteHoldsClinic(db, n + ".", &why)) prefixes->push_back(n + ".");
  }
  return true;
}

bool ParseClinicList(const std::string& text, std::vector<std::string>* prefixes, std::string* error) {
  prefixes->clear();
  std::set<std::string> seen;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string name = Trimmed(text.substr(start, comma - start));
    start = comma + 1;
    if (name.empty()) continue;
    if (name.back() != '.') name += '.';
    if (!ValidTablePrefix(name, error) || name == ".") {
      if (name == ".") *error = "nom de cabinet vide";
      return false;
    }
    if (!seen.insert(name).second) {
      *error = "le cabinet « " + name.substr(0, name.size() - 1) + " » figure deux fois";
      return false;
    }
    prefixes->push_back(name);
  }
  if (prefixes->empty()) {
    *error = "aucun cabinet nommé";
    return false;
  }
  return true;
}

std::string MissingClinic(GenDB* db, const std::vector<std::string>& prefixes) {
  for (const std::string& prefix : prefixes) {
    std::string error;
    const bool sqlite = db->Dialect().Engine() == DbEngine::kSqlite;
    const bool holds = sqlite ? SqliteHoldsClinic(db, prefix, &error) : HoldsClinic(db, prefix, &error);
    if (holds) continue;
    std::string name = prefix.substr(0, prefix.size() - 1);
    if (!error.empty() && !sqlite) return "cabinet " + name + " : " + error;
    return "cabinet introuvable : " + name + " (aucune table du cabinet sous ce préfixe)";
  }
  return std::string();
}

std::vector<ClinicResult> RunClinicGroup(const ClinicPoolOptions& options, const std::vector<std::string>& prefixes,
                                         const ClinicWork& work, std::vector<std::string>* names) {
  names->assign(prefixes.size(), std::string());
  return RunClinics(options, prefixes, [names, &work](const ClinicContext& clinic) {
    (*names)[clinic.index] = PracticeName(clinic.db);
    return work(clinic);
  });
}
