#include "suite/presets.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "host/dates.h"
#include "host/strings.h"
#include "host/gendb.h"
#include "host/sql_literal.h"
#include "suite/schema.h"

namespace {

constexpr const char* kTable = "PRESETS";
constexpr const char* kColumns =
    "PRE_ID, PRE_ANALYSIS, PRE_NAME, PRE_PERIOD, PRE_FROM, PRE_TO, PRE_FORMAT, PRE_KEYS, PRE_FLAGS, "
    "PRE_SAVED_BY, PRE_SAVED_ON";
// A save that failed for a reason other than the name (an id taken by
// another writer in the meantime, a busy database) is tried again this often.
constexpr int kWriteAttempts = 5;
constexpr size_t kSavedByMax = 32;

std::string Table(GenDB* db) { return std::string(db->dbPrefix()) + kTable; }

std::string DateText(long date) {
  char text[32];
  return ldate_to_str1(text, date, 530);
}

// The first byte length of text, at most max, that does not cut a UTF-8
// character.
size_t Utf8Cut(std::string_view text, size_t max) {
  if (text.size() <= max) return text.size();
  size_t n = max;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

bool HasControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

// "" when every pair may be stored, else why not.
std::string CheckPairs(const std::vector<std::pair<std::string, std::string>>& pairs, const char* what) {
  for (const auto& [key, value] : pairs) {
    if (key.empty() || key.find_first_of("=\\") != std::string::npos || HasControl(key)) {
      return std::string(what) + " invalide : « " + key + " »";
    }
    if (value.find('\0') != std::string::npos) return std::string(what) + " " + key + " : la valeur contient un octet nul";
  }
  return std::string();
}

bool KnownAnalysis(std::string_view analysis) {
  const auto& all = PresetAnalyses();
  return std::find(all.begin(), all.end(), analysis) != all.end();
}

bool KnownFormat(std::string_view format) {
  for (const char* f : {"", "text", "tsv", "csv", "xlsx", "pdf"}) {
    if (format == f) return true;
  }
  return false;
}

std::string SavedBy() {
  for (const char* name : {"USER", "LOGNAME"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      const std::string_view v(value);
      return std::string(v.substr(0, Utf8Cut(v, kSavedByMax)));
    }
  }
  return std::string();
}

std::string Quoted(const Preset& p) { return "« " + p.name + " » (" + p.analysis + ")"; }

// --- statements -----------------------------------------------------------------

bool TableExists(GenDB* db, bool* exists) {
  *exists = false;
  const std::string sql = db->Dialect().TableExistsSql(db->dbPrefix(), kTable);
  bool got = false;
  if (db->dbExecute(sql.c_str(), kPresetCursor) == 0 && db->dbFetch(0, kPresetCursor) == 0) {
    long value = 0;
    got = db->dbGetLong(1, &value, kPresetCursor) == 0;
    *exists = value != 0;
  }
  db->dbClose(kPresetCursor);
  return got;
}

// The table and its unique index, as the schema declares them. Two
// workstations creating it at once: the one whose statement fails finds
// the other's table.
bool EnsureTable(GenDB* db, std::string* error) {
  bool exists = false;
  if (TableExists(db, &exists) && exists) return true;
  const TableDef* table = FindSchemaTable(kTable);
  std::vector<std::string> statements = {CreateTableSql(*db, *table)};
  for (std::string& sql : CreateIndexSql(*db, *table)) statements.push_back(std::move(sql));
  for (const std::string& sql : statements) {
    if (db->dbExec(sql.c_str()) == 0) continue;
    const std::string failed = db->LastError();
    bool now = false;
    if (TableExists(db, &now) && now && db->dbExec(sql.c_str()) == 0) continue;
    *error = "impossible de créer la table des préréglages : " + failed;
    return false;
  }
  return true;
}

// One number from a statement; -1 when it failed, 0 when no row came.
long QueryNumber(GenDB* db, const std::string& sql) {
  long n = -1;
  if (db->dbExecute(sql.c_str(), kPresetCursor) == 0) {
    n = 0;
    if (db->dbFetch(0, kPresetCursor) == 0) db->dbGetLong(1, &n, kPresetCursor);
    if (!db->LastError().empty()) n = -1;
  }
  db->dbClose(kPresetCursor);
  return n;
}

std::string NameCondition(const std::string& analysis, const std::string& name) {
  return "PRE_ANALYSIS = " + SqlQuoted(analysis) + " AND PRE_NAME = " + SqlQuoted(name);
}

// The id of the preset of analysis and name, 0 when none, -1 on a failure.
long IdOf(GenDB* db, const std::string& analysis, const std::string& name) {
  return QueryNumber(db, "SELECT PRE_ID FROM " + Table(db) + " WHERE " + NameCondition(analysis, name));
}

std::string Field(GenDB* db, int column) {
  std::string text;
  db->dbGetField(column, &text, kPresetCursor, false);
  return text;
}

long Number(GenDB* db, int column) {
  long n = 0;
  db->dbGetLong(column, &n, kPresetCursor);
  return n;
}

// Reads the rows of a SELECT of kColumns. A row whose period, keys or flags
// cannot be read (written by hand, or by a later version) is kept with what
// could be read: running it then names what is wrong.
bool ReadPresets(GenDB* db, const std::string& where, std::vector<Preset>* out, std::string* error) {
  out->clear();
  bool exists = false;
  if (!TableExists(db, &exists)) {
    *error = db->LastError();
    return false;
  }
  if (!exists) return true;
  std::string sql = std::string("SELECT ") + kColumns + " FROM " + Table(db);
  if (!where.empty()) sql += " WHERE " + where;
  bool ok = db->dbExecute(sql.c_str(), kPresetCursor) == 0;
  if (ok) {
    for (int r = db->dbFetch(0, kPresetCursor); r == 0; r = db->dbFetch(1, kPresetCursor)) {
      Preset p;
      p.id = Number(db, 1);
      p.analysis = Field(db, 2);
      p.name = Field(db, 3);
      if (!ParsePeriodRule(Field(db, 4), &p.period)) p.period = PeriodRule::kNone;
      p.from = Number(db, 5);
      p.to = Number(db, 6);
      p.format = Field(db, 7);
      ParsePresetPairsText(Field(db, 8), &p.keys);
      ParsePresetPairsText(Field(db, 9), &p.flags);
      p.saved_by = Field(db, 10);
      p.saved_on = Number(db, 11);
      out->push_back(std::move(p));
    }
    ok = db->LastError().empty();
  }
  if (!ok) *error = db->LastError();
  db->dbClose(kPresetCursor);
  // Byte order, the same on both engines (a server's collation may differ).
  std::sort(out->begin(), out->end(), [](const Preset& a, const Preset& b) {
    return a.analysis != b.analysis ? a.analysis < b.analysis : a.name < b.name;
  });
  return ok;
}

std::string Values(const Preset& p, long id) {
  return std::to_string(id) + ", " + SqlQuoted(p.analysis) + ", " + SqlQuoted(p.name) + ", " +
         SqlQuoted(PeriodRuleCode(p.period)) + ", " + std::to_string(p.from) + ", " + std::to_string(p.to) + ", " +
         SqlQuoted(p.format) + ", " + SqlQuoted(PresetPairsText(p.keys)) + ", " + SqlQuoted(PresetPairsText(p.flags)) +
         ", " + SqlQuoted(p.saved_by) + ", " + std::to_string(p.saved_on);
}

std::string UpdateSql(GenDB* db, const Preset& p, long id) {
  return "UPDATE " + Table(db) + " SET PRE_PERIOD = " + SqlQuoted(PeriodRuleCode(p.period)) +
         ", PRE_FROM = " + std::to_string(p.from) + ", PRE_TO = " + std::to_string(p.to) +
         ", PRE_FORMAT = " + SqlQuoted(p.format) + ", PRE_KEYS = " + SqlQuoted(PresetPairsText(p.keys)) +
         ", PRE_FLAGS = " + SqlQuoted(PresetPairsText(p.flags)) + ", PRE_SAVED_BY = " + SqlQuoted(p.saved_by) +
         ", PRE_SAVED_ON = " + std::to_string(p.saved_on) + " WHERE PRE_ID = " + std::to_string(id);
}

void Pause(int attempt) { std::this_thread::sleep_for(std::chrono::milliseconds(20 * (attempt + 1))); }

enum class Step { kDone, kExists, kRetry, kFailed };

// One attempt inside the transaction: the preset's row replaced or added.
Step WriteRow(GenDB* db, const Preset& p, bool replace, long* id) {
  const long found = IdOf(db, p.analysis, p.name);
  if (found < 0) return Step::kFailed;
  if (found > 0) {
    if (!replace) return Step::kExists;
    if (db->dbExec(UpdateSql(db, p, found).c_str()) != 0) return Step::kFailed;
    // Deleted by another workstation since the look-up: add it again.
    if (db->dbRowsChanged() == 0) return Step::kRetry;
    *id = found;
    return Step::kDone;
  }
  const long max = QueryNumber(db, "SELECT MAX(PRE_ID) FROM " + Table(db));
  if (max < 0) return Step::kFailed;
  const std::string sql = "INSERT INTO " + Table(db) + " (" + kColumns + ") VALUES (" + Values(p, max + 1) + ")";
  if (db->dbExec(sql.c_str()) != 0) return Step::kFailed;
  *id = max + 1;
  return Step::kDone;
}

}  // namespace

// --- period rules -------------------------------------------------------------------

const std::vector<PeriodRuleInfo>& PeriodRules() {
  static const std::vector<PeriodRuleInfo> rules = {
      {PeriodRule::kNone, "", "Dates de l'analyse"},
      {PeriodRule::kFixed, "fixed", "Dates fixes"},
      {PeriodRule::kLastMonth, "last-month", "Le mois dernier"},
      {PeriodRule::kMonthToDate, "month-to-date", "Le mois à ce jour"},
      {PeriodRule::kLast7Days, "last-7-days", "Les 7 derniers jours"},
      {PeriodRule::kYearToDate, "year-to-date", "L'année à ce jour"},
      {PeriodRule::kSameDayLastYear, "same-day-last-year", "Ce jour l'an dernier"},
  };
  return rules;
}

bool ParsePeriodRule(std::string_view code, PeriodRule* out) {
  for (const PeriodRuleInfo& r : PeriodRules()) {
    if (code == r.code) {
      *out = r.rule;
      return true;
    }
  }
  return false;
}

const char* PeriodRuleCode(PeriodRule rule) {
  for (const PeriodRuleInfo& r : PeriodRules()) {
    if (r.rule == rule) return r.code;
  }
  return "";
}

void ResolvePeriod(PeriodRule rule, long today, long fixed_from, long fixed_to, long* from, long* to) {
  *from = *to = 0;
  if (rule == PeriodRule::kFixed) {
    *from = fixed_from;
    *to = fixed_to;
    return;
  }
  if (rule == PeriodRule::kNone || !tavo_valid_date(today)) return;
  int year = 0, month = 0, day = 0;
  sepldat(today, &year, &month, &day);
  const long first_of_month = DMYtoDate(1, month, year);
  switch (rule) {
    case PeriodRule::kLastMonth:
      *to = decr_date(first_of_month);
      *from = IncDate(first_of_month, 0, -1, 0, 1);
      break;
    case PeriodRule::kMonthToDate:
      *from = first_of_month;
      *to = today;
      break;
    case PeriodRule::kLast7Days:
      *from = incr_date(today, -6);
      *to = today;
      break;
    case PeriodRule::kYearToDate:
      *from = DMYtoDate(1, 1, year);
      *to = today;
      break;
    case PeriodRule::kSameDayLastYear:
      *from = *to = IncDate(today, 0, 0, -1, 1);
      break;
    default:
      break;
  }
}

PeriodYear PeriodYearOf(long from, long to) {
  PeriodYear out;
  if (!tavo_valid_date(from) || !tavo_valid_date(to) || from > to) return out;
  int month = 0, day = 0;
  sepldat(to, &out.year, &month, &day);
  out.months.assign(12, 'N');
  out.quarters.assign(4, 'N');
  for (int m = 1; m <= 12; ++m) {
    const long first = DMYtoDate(1, m, out.year), last = DMYtoDate(DaysPerMonth(m, out.year), m, out.year);
    if (first <= to && last >= from) {
      out.months[m - 1] = 'Y';
      out.quarters[(m - 1) / 3] = 'Y';
    }
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> GoalsPeriodKeys(const Preset& preset, long from, long to,
                                                                 const PresetChosenReader& chosen) {
  // A year of four digits, or 0.
  auto year_of = [&preset](const char* key) {
    for (const auto& [k, v] : preset.keys) {
      if (k != key) continue;
      if (v.size() != 4 || !std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; })) return 0;
      return std::stoi(v);
    }
    return 0;
  };
  // The flags chosen (Y) that the period touches.
  auto narrowed = [&chosen](const char* key, const char* def, const std::string& touched) {
    const std::string was = chosen(key, def);
    std::string out(touched.size(), 'N');
    for (size_t i = 0; i < touched.size(); ++i) {
      if (touched[i] == 'Y' && i < was.size() && was[i] == 'Y') out[i] = 'Y';
    }
    return out;
  };
  const PeriodYear period = PeriodYearOf(from, to);
  if (period.year == 0) return {};
  std::vector<std::pair<std::string, std::string>> out = {{"Month", narrowed("Month", "YYYYYYYYYYYY", period.months)},
                                                          {"Q", narrowed("Q", "NNNN", period.quarters)},
                                                          {"Year", std::to_string(period.year)}};
  const int saved_year = year_of("Year"), saved_comp = year_of("CompYear");
  if (saved_year != 0 && saved_comp != 0) out.emplace_back("CompYear", std::to_string(period.year - (saved_year - saved_comp)));
  return out;
}

std::string PeriodFileText(long from, long to) {
  if (!tavo_valid_date(from) || !tavo_valid_date(to)) return std::string();
  int fy = 0, fm = 0, fd = 0, ty = 0, tm = 0, td = 0;
  sepldat(from, &fy, &fm, &fd);
  sepldat(to, &ty, &tm, &td);
  if (from == to) return DateText(from);
  if (fy == ty && fd == 1 && fm == 1 && tm == 12 && td == 31) return std::to_string(fy);
  if (fy == ty && fm == tm && fd == 1 && td == DaysPerMonth(tm, ty)) return DateText(from).substr(0, 7);
  return DateText(from) + " au " + DateText(to);
}

// --- presets ------------------------------------------------------------------------

std::string PresetPeriodLabel(const Preset& preset) {
  for (const PeriodRuleInfo& r : PeriodRules()) {
    if (r.rule != preset.period) continue;
    if (r.rule == PeriodRule::kFixed) {
      return std::string(r.label) + " : du " + DateText(preset.from) + " au " + DateText(preset.to);
    }
    return r.label;
  }
  return std::string();
}

const std::vector<std::string>& PresetAnalyses() {
  static const std::vector<std::string> analyses = {"audit", "productivity", "stats", "goals"};
  return analyses;
}

std::string CheckPresetName(std::string_view name) {
  if (name.find_first_not_of(' ') == std::string_view::npos) return "le nom du préréglage est vide";
  if (name.size() > kPresetNameMax) {
    return "le nom du préréglage dépasse " + std::to_string(kPresetNameMax) + " octets";
  }
  if (!IsValidUtf8(name)) return "le nom du préréglage n'est pas du texte UTF-8";
  if (HasControl(name)) return "le nom du préréglage contient un caractère de contrôle";
  if (name.find_first_of("/\\") != std::string_view::npos) {
    return "le nom du préréglage ne peut contenir ni « / » ni « \\ » (il nomme un fichier)";
  }
  if (name.front() == ' ' || name.back() == ' ') return "le nom du préréglage commence ou finit par un blanc";
  if (name.front() == '-') return "le nom du préréglage ne peut commencer par « - »";
  return std::string();
}

std::string PresetFileName(const Preset& preset, long from, long to, std::string_view ext) {
  if (!ext.empty() && ext.front() == '.') ext.remove_prefix(1);
  const std::string period = PeriodFileText(from, to);
  return preset.name + (period.empty() ? "" : " " + period) + "." + std::string(ext);
}

std::string PresetPairsText(const std::vector<std::pair<std::string, std::string>>& pairs) {
  std::string out;
  for (const auto& [key, value] : pairs) {
    if (!out.empty()) out += '\n';
    out += key;
    out += '=';
    for (char c : value) {
      switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
      }
    }
  }
  return out;
}

bool ParsePresetPairsText(std::string_view text, std::vector<std::pair<std::string, std::string>>* out) {
  out->clear();
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) return false;
    std::string value;
    for (size_t i = eq + 1; i < line.size(); ++i) {
      if (line[i] != '\\') {
        value += line[i];
        continue;
      }
      if (++i >= line.size()) return false;
      switch (line[i]) {
        case '\\': value += '\\'; break;
        case 'n': value += '\n'; break;
        case 'r': value += '\r'; break;
        default: return false;
      }
    }
    out->emplace_back(std::string(line.substr(0, eq)), std::move(value));
  }
  return true;
}

PresetSaveResult SavePreset(GenDB* db, Preset* preset, bool replace, std::string* error) {
  if (db == nullptr) {
    *error = "aucune base de données";
    return PresetSaveResult::kFailed;
  }
  if (!KnownAnalysis(preset->analysis)) {
    *error = "analyse inconnue : « " + preset->analysis + " » (audit, productivity, stats ou goals)";
    return PresetSaveResult::kRefused;
  }
  if (std::string why = CheckPresetName(preset->name); !why.empty()) {
    *error = why;
    return PresetSaveResult::kRefused;
  }
  if (!KnownFormat(preset->format)) {
    *error = "format inconnu : " + preset->format + " (text, tsv, csv, xlsx ou pdf)";
    return PresetSaveResult::kRefused;
  }
  if (preset->period == PeriodRule::kFixed) {
    if (!tavo_valid_date(preset->from) || !tavo_valid_date(preset->to) || preset->from > preset->to) {
      *error = "dates fixes invalides : du " + std::to_string(preset->from) + " au " + std::to_string(preset->to);
      return PresetSaveResult::kRefused;
    }
  } else {
    preset->from = preset->to = 0;
  }
  for (const auto& [pairs, what] : {std::pair{&preset->keys, "clé"}, std::pair{&preset->flags, "option"}}) {
    if (std::string why = CheckPairs(*pairs, what); !why.empty()) {
      *error = why;
      return PresetSaveResult::kRefused;
    }
  }
  if (!EnsureTable(db, error)) return PresetSaveResult::kFailed;
  Preset saved = *preset;
  saved.saved_by = SavedBy();
  saved.saved_on = ldate_today();
  const std::string exists = "le préréglage " + Quoted(saved) + " existe déjà";
  std::string last;
  for (int attempt = 0; attempt < kWriteAttempts; ++attempt) {
    if (db->dbBeginTransaction() != 0) {
      last = db->LastError();
      if (db->dbLastFailureWasLock()) break;  // waited once already
      Pause(attempt);
      continue;
    }
    long id = 0;
    const Step step = WriteRow(db, saved, replace, &id);
    if (step == Step::kDone && db->dbCommit() == 0) {
      saved.id = id;
      *preset = saved;
      return PresetSaveResult::kSaved;
    }
    const bool lock = db->dbLastFailureWasLock();
    if (step != Step::kExists && step != Step::kRetry) last = db->LastError();
    db->dbRollback();
    if (step == Step::kExists) {
      *error = exists;
      return PresetSaveResult::kExists;
    }
    if (lock) break;
    // Refused by the unique index: another workstation saved the name first.
    if (!replace && IdOf(db, saved.analysis, saved.name) > 0) {
      *error = exists;
      return PresetSaveResult::kExists;
    }
    Pause(attempt);
  }
  *error = "l'enregistrement du préréglage " + Quoted(saved) + " a échoué : " +
           (last.empty() ? std::string("la base de données l'a refusé") : last);
  return PresetSaveResult::kFailed;
}

bool ListPresets(GenDB* db, const std::string& analysis, std::vector<Preset>* out, std::string* error) {
  return ReadPresets(db, analysis.empty() ? std::string() : "PRE_ANALYSIS = " + SqlQuoted(analysis), out, error);
}

bool FindPresets(GenDB* db, const std::string& analysis, const std::string& name, std::vector<Preset>* out,
                 std::string* error) {
  const std::string where =
      analysis.empty() ? "PRE_NAME = " + SqlQuoted(name) : NameCondition(analysis, name);
  return ReadPresets(db, where, out, error);
}

bool DeletePreset(GenDB* db, const std::string& analysis, const std::string& name, std::string* error) {
  bool exists = false;
  if (!TableExists(db, &exists)) {
    *error = db->LastError();
    return false;
  }
  const std::string missing = "aucun préréglage « " + name + " » (" + analysis + ")";
  if (!exists) {
    *error = missing;
    return false;
  }
  const std::string sql = "DELETE FROM " + Table(db) + " WHERE " + NameCondition(analysis, name);
  if (db->dbExec(sql.c_str()) != 0) {
    *error = db->LastError();
    return false;
  }
  if (db->dbRowsChanged() == 0) {
    *error = missing;
    return false;
  }
  return true;
}
