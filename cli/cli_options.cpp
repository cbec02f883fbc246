#include "cli/cli_options.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <set>

#include <sys/stat.h>

#include "host/atomic_file.h"
#include "host/dates.h"
#include "host/strings.h"
#include "host/gendb.h"
#include "host/ini.h"
#include "suite/clinics.h"
#include "suite/production_service.h"
#include "suite/suite_paths.h"
#include "suite/pick_lists.h"

namespace {

std::vector<CliCommand>& Registry() {
  static std::vector<CliCommand> commands;
  return commands;
}

// "YYYYMMDD" or "YYYY-MM-DD" -> date; 0 when not a real date.
long ParseDate(const std::string& text) {
  long date = ParseDateText(text);
  return date > 0 ? date : 0;
}

std::string IniPathOf(const CliOptions& options) { return options.ini.empty() ? DefaultIniPath() : options.ini; }

std::string DateText(long date) {
  char text[32];
  return ldate_to_str1(text, date, 530);
}

const CliFlag* FindFlag(const std::vector<CliFlag>& flags, const std::string& name) {
  for (const CliFlag& f : flags) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

bool IsKeyValue(const std::string& arg) {
  size_t eq = arg.find('=');
  if (eq == std::string::npos || eq == 0 || arg[0] == '-') return false;
  for (size_t i = 0; i < eq; ++i) {
    char c = arg[i];
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.')) return false;
  }
  return true;
}

}  // namespace

CliRegistration::CliRegistration(CliCommand command) { Registry().push_back(std::move(command)); }

const std::vector<CliCommand>& CliCommands() { return Registry(); }

const CliCommand* FindCliCommand(std::string_view name) {
  for (const CliCommand& c : Registry()) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

bool ParseCliOptions(int argc, char** argv, const std::vector<CliFlag>& extra_flags,
                     CliOptions* out, std::string* error) {
  static const char* kValueOptions[] = {"db", "report-db", "prefix", "ini", "today", "from", "to", "format", "out", "preset",
                                        "clinics", "jobs"};
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out->help = true;
      continue;
    }
    if (arg == "--item-data") {
      out->item_data = true;
      continue;
    }
    if (arg == "--all-clinics") {
      out->all_clinics = true;
      continue;
    }
    if (arg.rfind("--", 0) == 0) {
      std::string name = arg.substr(2);
      std::string value;
      bool has_inline = false;
      size_t eq = name.find('=');
      if (eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
        has_inline = true;
      }
      bool common = false;
      for (const char* v : kValueOptions) common = common || name == v;
      const CliFlag* extra = common ? nullptr : FindFlag(extra_flags, name);
      if (!common && !extra) {
        *error = "option inconnue : --" + name;
        return false;
      }
      bool takes_value = common || extra->takes_value;
      if (takes_value && !has_inline) {
        if (i + 1 >= argc) {
          *error = "l'option --" + name + " demande une valeur";
          return false;
        }
        value = argv[++i];
      } else if (!takes_value && has_inline) {
        *error = "l'option --" + name + " ne prend pas de valeur";
        return false;
      }
      if (extra) {
        out->flags[name] = value;
        continue;
      }
      if (name == "db") {
        out->db_url = value;
        out->db_given = true;
      } else if (name == "report-db") {
        out->report_db_url = value;
        out->report_db_given = true;
      } else if (name == "prefix") {
        if (!ValidTablePrefix(value, error)) return false;
        out->prefix = value;
      } else if (name == "ini") {
        out->ini = value;
      } else if (name == "format") {
        if (value != "text" && value != "tsv" && value != "csv" && value != "xlsx" && value != "pdf") {
          *error = "format inconnu : " + value + " (text, tsv, csv, xlsx ou pdf)";
          return false;
        }
        out->format = value;
        out->format_given = true;
      } else if (name == "preset") {
        if (value.empty()) {
          *error = "l'option --preset demande un nom";
          return false;
        }
        out->preset = value;
      } else if (name == "out") {
        out->out = value;
      } else if (name == "clinics") {
        if (!ParseClinicList(value, &out->clinics, error)) {
          *error = "--clinics : " + *error;
          return false;
        }
      } else if (name == "jobs") {
        int64_t jobs = 0;
        if (!ParseWholeNumber(value, 1, kMaxJobs, "--jobs", &jobs, error)) return false;
        out->jobs = static_cast<int>(jobs);
        out->jobs_given = true;
      } else {  // dates
        long date = ParseDate(value);
        if (date == 0) {
          *error = "date invalide pour --" + name + " : " + value + " (AAAAMMJJ attendu)";
          return false;
        }
        if (date < kFirstSuiteDate || date > kLastSuiteDate) {
          *error = "date hors des bornes pour --" + name + " : " + value + " (du " + DateText(kFirstSuiteDate) +
                   " au " + DateText(kLastSuiteDate) + ")";
          return false;
        }
        if (name == "today") out->today = date;
        if (name == "from") { out->from = date; out->from_given = true; }
        if (name == "to") { out->to = date; out->to_given = true; }
      }
      continue;
    }
    if (IsKeyValue(arg)) {
      size_t eq = arg.find('=');
      out->overrides[arg.substr(0, eq)] = arg.substr(eq + 1);
      continue;
    }
    out->positional.push_back(arg);
  }
  if (out->all_clinics && !out->clinics.empty()) {
    *error = "--clinics et --all-clinics s'excluent";
    return false;
  }
  if (out->from_given && out->to_given && out->from > out->to) {
    *error = "la date --from suit la date --to";
    return false;
  }
  return true;
}

std::string CheckPdfOut(const CliOptions& options) {
  // A PDF is a document, never written to standard output.
  if (options.format == "pdf" && options.out.empty() && !options.help) return "le format pdf demande --out FICHIER";
  return std::string();
}

bool SetUpApplication(const CliOptions& options, QenApplication* app, std::string* error, DbAccess access) {
  if (options.today != 0) SetToday(options.today);
  app->SetINI(IniPathOf(options));
  const std::string url = access == DbAccess::kRead ? ReportDatabaseUrl(options) : DatabaseUrl(options);
  if (url == DefaultDemoDbUrl()) {
    std::error_code ec;
    if (!std::filesystem::exists(DefaultDemoDbPath(), ec)) {
      *error = "aucune base de données : " + DefaultDemoDbPath() +
               " n'existe pas (créez-la avec « vantra demo-db » ou donnez --db URL)";
      return false;
    }
  }
  std::string open_error;
  std::unique_ptr<GenDB> db = OpenGenDB(url, options.prefix, access, &open_error);
  if (!db) {
    *error = "impossible d'ouvrir la base de données " + url + " : " + open_error;
    return false;
  }
  app->SetDb(std::move(db));
  return true;
}

namespace {

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0) {
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }
  std::error_code ec_a, ec_b;
  const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ec_a);
  const std::filesystem::path cb = std::filesystem::weakly_canonical(b, ec_b);
  return !ec_a && !ec_b && ca == cb;
}

}  // namespace

std::string DatabaseUrl(const CliOptions& options) {
  return SuiteDatabaseUrl(options.db_given ? options.db_url : std::string(),
                          IniPathOf(options));
}

std::string ReportDatabaseUrl(const CliOptions& options) {
  if (options.report_db_given) return options.report_db_url;
  if (!options.db_given) {
    const std::string configured = SuiteReportDatabaseUrl(IniPathOf(options));
    if (!configured.empty()) return configured;
  }
  return DatabaseUrl(options);
}

std::string CheckOutputTarget(const CliOptions& options) {
  if (options.out.empty()) return std::string();
  std::vector<std::pair<std::string, const char*>> kept;
  for (const std::string& url : {DatabaseUrl(options), ReportDatabaseUrl(options)}) {
    const std::string db = SqlitePathOfUrl(url);
    if (db.empty()) continue;
    kept.push_back({db, "la base de données"});
    for (const char* suffix : {"-journal", "-wal", "-shm"}) kept.push_back({db + suffix, "un fichier de la base de données"});
  }
  kept.push_back({IniPathOf(options), "le fichier INI"});
  for (const auto& [path, what] : kept) {
    if (SameFile(options.out, path)) {
      return "--out " + options.out + " est " + what + " en usage (" + path + ") : choisissez un autre fichier";
    }
  }
  return std::string();
}

int DatabaseReadFailed(const char* command, GenDB* db, const std::string& what) {
  if (db == nullptr) return -1;
  const std::string lost = db->LostConnection();
  if (!lost.empty()) {
    std::fprintf(stderr, "vantra %s : %s\n", command, PartialListMessage(lost).c_str());
    return kExitPartial;
  }
  if (db->LastError().empty()) return -1;
  std::fprintf(stderr, "vantra %s : %s : %s\n", command, what.c_str(), db->LastError().c_str());
  return 1;
}

int StopOnOutcome(const char* command, const RunOutcome& outcome) {
  switch (outcome.end) {
    case RunEnd::kFinished:
    case RunEnd::kCancelled:
      return -1;
    case RunEnd::kFailed:
      // The list would lack what the failed statement read.
      std::fprintf(stderr, "vantra %s : %s ; rien n'est écrit\n", command, outcome.message.c_str());
      break;
    case RunEnd::kServerLost:
    case RunEnd::kRefused:
      std::fprintf(stderr, "vantra %s : %s\n", command, outcome.message.c_str());
      break;
  }
  return ExitStatusOf(outcome);
}

void SayIfCancelled(const char* command, const RunOutcome& outcome, const char* written) {
  if (outcome.Cancelled()) std::fprintf(stderr, "vantra %s : interrompu ; %s\n", command, written);
}

std::string UnknownProducer(GenDB* db, const std::vector<std::string>& named) {
  if (named.empty() || db == nullptr) return std::string();
  const std::vector<std::string> known = LoadProducerCodes(db);
  for (const std::string& code : named) {
    if (std::find(known.begin(), known.end(), code) == known.end()) return "producteur inconnu : " + code;
  }
  return std::string();
}

std::string IniReadProblem(const CliOptions& options) {
  const std::string ini = IniPathOf(options);
  std::FILE* f = std::fopen(ini.c_str(), "rb");
  if (f != nullptr) {
    std::fclose(f);
    return std::string();
  }
  if (errno == ENOENT) return std::string();
  return "le fichier INI " + ini + " est illisible : " + FileErrorText(errno);
}

std::string OptionValue(const CliOptions& options, const std::string& section,
                        const std::string& key, const std::string& def) {
  // SECTION.KEY=VALUE names the section; a bare KEY=VALUE is the command's own.
  auto it = options.overrides.find(section + "." + key);
  if (it == options.overrides.end()) it = options.overrides.find(key);
  if (it != options.overrides.end()) return it->second;
  std::string ini = IniPathOf(options);
  return WDIniObj(ini).read_secini(section, key, def);
}

bool ParseWholeNumber(std::string_view text, int64_t min, int64_t max, const std::string& what, int64_t* value,
                      std::string* error) {
  const std::string shown = std::string(text.substr(0, 40)) + (text.size() > 40 ? "..." : "");
  // from_chars takes exactly the digits with an optional leading '-', and
  // tells a value past 64 bits from one that is not a number.
  const char* end = text.data() + text.size();
  int64_t v = 0;
  const auto [stop, ec] = std::from_chars(text.data(), end, v);
  if (ec == std::errc::invalid_argument || stop != end) {
    *error = what + " : « " + shown + " » n'est pas un nombre entier";
    return false;
  }
  if (ec == std::errc::result_out_of_range || v < min || v > max) {
    *error = what + " : « " + shown + " » hors des bornes (" + std::to_string(min) + " à " + std::to_string(max) + ")";
    return false;
  }
  *value = v;
  return true;
}

int64_t FirstSuiteYear() { return kFirstSuiteDate / 10000; }
int64_t LastSuiteYear() { return kLastSuiteDate / 10000; }

std::string CheckNumberOverrides(const CliOptions& options, const std::string& section,
                                 const std::vector<NumberKey>& keys) {
  for (const NumberKey& k : keys) {
    for (const std::string& name : {section + "." + k.key, k.key}) {
      auto it = options.overrides.find(name);
      if (it == options.overrides.end()) continue;
      if (it->second.empty() && k.empty_allowed) continue;
      int64_t value = 0;
      std::string error;
      if (!ParseWholeNumber(it->second, k.min, k.max, name, &value, &error)) return error;
    }
  }
  return std::string();
}

void AddNumberKeys(std::vector<NumberKey>* keys, const char* stem, int64_t min, int64_t max) {
  for (int i = 0; i < 3; ++i) keys->push_back({stem + std::to_string(i), min, max});
}

namespace {

// The entry as typed, bytes outside printable ASCII and UTF-8 shown as \xFF,
// cut after 40 bytes.
std::string Shown(const std::string& entry) {
  std::string out;
  for (size_t i = 0; i < entry.size() && i < 40; ++i) {
    const unsigned char c = static_cast<unsigned char>(entry[i]);
    if (c >= 0x20 && c != 0x7F && (c < 0x80 || IsValidUtf8(entry))) {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (entry.size() > 40) out += "...";
  return out;
}

}  // namespace

std::string CheckListEntries(const CliOptions& options, const std::string& section, const std::string& key,
                             size_t max_bytes, ListEntries how) {
  const std::string value = OptionValue(options, section, key, "");
  std::vector<std::string> entries;
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos) comma = value.size();
    const std::string entry = value.substr(start, comma - start);
    if (!IsValidUtf8(entry)) return key + " : « " + Shown(entry) + " » n'est pas du texte UTF-8";
    if (entry.size() > max_bytes) {
      return key + " : « " + Shown(entry) + " » dépasse " + std::to_string(max_bytes) + " octets";
    }
    if (!entry.empty()) entries.push_back(entry);
    start = comma + 1;
  }
  // The entries as the tab holds them, then each against those before it.
  std::vector<int64_t> numbers;
  if (how == ListEntries::kProducers) {
    entries = SplitProducerList(value);
    for (std::string& e : entries) e = e.substr(0, 4);
  } else if (how == ListEntries::kNumbers) {
    for (const std::string& e : entries) {
      int64_t n = 0;
      std::string error;
      if (!ParseWholeNumber(e, 1, INT32_MAX, key, &n, &error)) return error;
      numbers.push_back(n);
    }
  }
  std::set<std::string> seen;
  std::set<int64_t> seen_numbers;
  for (size_t i = 0; i < entries.size(); ++i) {
    const bool again = how == ListEntries::kNumbers ? !seen_numbers.insert(numbers[i]).second
                                                    : !seen.insert(entries[i]).second;
    if (again) return key + " : « " + Shown(entries[i]) + " » figure deux fois";
  }
  return std::string();
}
