// OpenGenDB: picks the engine from the connection URL. Also the statement
// scanner shared by both engines (gendb_text.h).
#include "host/gendb.h"

#include <cctype>
#include <cstdio>

#include "host/gendb_postgres.h"
#include "host/gendb_sqlite.h"
#include "host/gendb_text.h"

namespace gendb_text {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// Index just past the quoted text, comment or single character at i.
size_t SkipToken(std::string_view t, size_t i) {
  const char c = t[i];
  if (c == '\'' || c == '"') {
    // A doubled quote inside stays inside the quoted text.
    for (size_t j = i + 1; j < t.size(); ++j) {
      if (t[j] == c) {
        if (j + 1 < t.size() && t[j + 1] == c) { ++j; continue; }
        return j + 1;
      }
    }
    return t.size();
  }
  if (c == '-' && i + 1 < t.size() && t[i + 1] == '-') {
    const size_t end = t.find('\n', i);
    return end == std::string_view::npos ? t.size() : end + 1;
  }
  if (c == '/' && i + 1 < t.size() && t[i + 1] == '*') {
    const size_t end = t.find("*/", i + 2);
    return end == std::string_view::npos ? t.size() : end + 2;
  }
  return i + 1;
}

// Index of the first character at or after i that is not blank, a comment
// or (when also_semicolons) a ';'.
size_t SkipFiller(std::string_view t, size_t i, bool also_semicolons) {
  while (i < t.size()) {
    const char c = t[i];
    if (IsBlank(c) || (also_semicolons && c == ';')) {
      ++i;
    } else if ((c == '-' || c == '/') && i + 1 < t.size() && t[i + 1] == (c == '-' ? '-' : '*')) {
      i = SkipToken(t, i);
    } else {
      break;
    }
  }
  return i;
}

}  // namespace

StatementShape SplitStatement(std::string_view text, std::string_view* body) {
  const size_t begin = SkipFiller(text, 0, true);
  if (begin == text.size()) return StatementShape::kEmpty;
  size_t i = begin;
  size_t end = text.size();
  while (i < text.size()) {
    if (text[i] == ';') {
      end = i;
      if (SkipFiller(text, i, true) != text.size()) return StatementShape::kSeveral;
      break;
    }
    i = SkipToken(text, i);
  }
  // Trailing blanks (not comments: a trailing "-- note" stays harmlessly).
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (body != nullptr) *body = text.substr(begin, end - begin);
  return StatementShape::kSingle;
}

bool IsQueryStatement(std::string_view body) {
  size_t i = 0;
  while (true) {
    i = SkipFiller(body, i, false);
    if (i < body.size() && body[i] == '(') { ++i; continue; }
    break;
  }
  size_t j = i;
  while (j < body.size() && std::isalpha(static_cast<unsigned char>(body[j]))) ++j;
  std::string word;
  for (size_t k = i; k < j; ++k) word.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(body[k]))));
  return word == "SELECT" || word == "WITH" || word == "VALUES" || word == "TABLE";
}

}  // namespace gendb_text

namespace {

bool StartsWithNoCase(const std::string& s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  }
  return true;
}

// "host=... dbname=...": a key word of letters and '_' followed by '='.
bool LooksLikeConninfo(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  const size_t start = i;
  while (i < s.size() && (std::isalpha(static_cast<unsigned char>(s[i])) || s[i] == '_')) ++i;
  if (i == start) return false;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return i < s.size() && s[i] == '=';
}

}  // namespace

std::string PartialListMessage(const std::string& reason) {
  return "La connexion au serveur a été perdue : la liste est partielle (" + reason + ").";
}

bool ValidTablePrefix(std::string_view prefix, std::string* error) {
  constexpr size_t kMaxPrefix = 63;  // PostgreSQL's longest name
  std::string_view name = prefix;
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"' && prefix.back() == '.') {
    name = name.substr(1, name.size() - 2);
  }
  bool ok = prefix.size() <= kMaxPrefix && (prefix.empty() || !name.empty());
  for (size_t i = 0; ok && i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    ok = letter || (i > 0 && c >= '0' && c <= '9');
  }
  if (ok) return true;
  if (error != nullptr) {
    // The prefix as typed, its bytes outside printable ASCII escaped.
    std::string shown;
    for (size_t i = 0; i < prefix.size() && i < 80; ++i) {
      const unsigned char c = static_cast<unsigned char>(prefix[i]);
      if (c >= 0x20 && c < 0x7F) {
        shown.push_back(static_cast<char>(c));
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        shown += hex;
      }
    }
    if (prefix.size() > 80) shown += "...";
    *error = "Préfixe de tables invalide : « " + shown +
             " » (lettres, chiffres et _, un point final pour un schéma, 63 caractères au plus).";
  }
  return false;
}

std::string SqlitePathOfUrl(const std::string& url) {
  if (!StartsWithNoCase(url, "sqlite:")) return std::string();
  std::string path = url.substr(7);
  // "sqlite:///abs/file" is accepted as well as "sqlite:/abs/file".
  if (path.rfind("//", 0) == 0) path.erase(0, 2);
  return path;
}

std::unique_ptr<GenDB> OpenGenDB(const std::string& url, const std::string& prefix,
                                 bool create_if_missing, std::string* error) {
  return OpenGenDB(url, prefix, create_if_missing ? DbAccess::kCreate : DbAccess::kWrite, error);
}

std::unique_ptr<GenDB> OpenGenDB(const std::string& url, const std::string& prefix, DbAccess access,
                                 std::string* error) {
  const bool create_if_missing = access == DbAccess::kCreate;
  std::string ignored;
  if (error == nullptr) error = &ignored;
  error->clear();
  if (!ValidTablePrefix(prefix, error)) return nullptr;
  if (StartsWithNoCase(url, "sqlite:")) {
    const std::string path = SqlitePathOfUrl(url);
    if (path.empty()) {
      *error = "Adresse SQLite sans chemin de fichier : « " + url + " ».";
      return nullptr;
    }
    return OpenSqliteGenDB(path, prefix, access, error);
  }
  if (StartsWithNoCase(url, "postgresql://") || StartsWithNoCase(url, "postgres://") ||
      LooksLikeConninfo(url)) {
    std::unique_ptr<GenDB> db = OpenPostgresGenDB(url, prefix, create_if_missing, error);
    // A writing connection learns now whether the server takes writes.
    if (db != nullptr && access == DbAccess::kWrite) db->dbIsStandby();
    return db;
  }
  *error = "Adresse de base de données non reconnue : « " + url +
           " » (attendu : sqlite:CHEMIN, postgresql://hôte/base ou host=... dbname=...).";
  return nullptr;
}
