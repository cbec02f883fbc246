#include "cli/cli_preset.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "host/dates.h"
#include "host/gendb.h"
#include "host/ini.h"

namespace {

bool Holds(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

const CliFlag* FindFlag(const std::vector<CliFlag>& flags, const std::string& name) {
  for (const CliFlag& f : flags) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Who(const Preset& preset) { return "le préréglage « " + preset.name + " » (" + preset.analysis + ")"; }

std::string DateText(long date) {
  char text[32];
  return ldate_to_str1(text, date, 530);
}

// A goals preset's period as its keys (GoalsPeriodKeys); keys the command
// line gives stay as given.
void GoalsPeriodOverrides(const Preset& preset, long from, long to, const std::map<std::string, std::string>& given,
                          const CliCommand& command, CliOptions* options) {
  const std::string section = command.ini_section;
  const auto keys = GoalsPeriodKeys(preset, from, to, [&](const char* key, const char* def) {
    return OptionValue(*options, section, key, def);
  });
  for (const auto& [key, value] : keys) {
    if (given.count(key) == 0 && given.count(section + "." + key) == 0) options->overrides[key] = value;
  }
}

// The keys of section (and of the other sections command's keys name) that
// the INI file at path has now, in the order of command's keys.
std::vector<std::pair<std::string, std::string>> IniKeys(const CliCommand& command, const std::string& path) {
  std::vector<std::pair<std::string, std::string>> out;
  std::ifstream in(path, std::ios::binary);
  if (!in) return out;
  std::ostringstream content;
  content << in.rdbuf();
  const auto values = IniReadAllText(content.str());
  for (const std::string& key : command.keys()) {
    const size_t dot = key.find('.');
    const std::string section = dot == std::string::npos ? command.ini_section : key.substr(0, dot);
    const std::string name = dot == std::string::npos ? key : key.substr(dot + 1);
    const auto s = values.find(Lower(section));
    if (s == values.end()) continue;
    const auto v = s->second.find(Lower(name));
    if (v != s->second.end()) out.emplace_back(key, v->second);
  }
  return out;
}

}  // namespace

const CliCommand* PresetCommand(std::string_view analysis) {
  if (!Holds(PresetAnalyses(), std::string(analysis))) return nullptr;
  const CliCommand* command = FindCliCommand(analysis);
  return command != nullptr && command->keys != nullptr ? command : nullptr;
}

std::vector<CliFlag> PresetFlagsOf(const CliCommand& command) {
  std::vector<CliFlag> out;
  for (const CliFlag& f : command.extra_flags) {
    if (f.name != "chart" && f.name != "drill") out.push_back(f);
  }
  return out;
}

void AddAnalysisFlags(std::vector<CliFlag>* flags) {
  for (const std::string& analysis : PresetAnalyses()) {
    const CliCommand* command = PresetCommand(analysis);
    if (command == nullptr) continue;
    for (const CliFlag& f : PresetFlagsOf(*command)) {
      if (FindFlag(*flags, f.name) == nullptr) flags->push_back(f);
    }
  }
}

bool ApplyPreset(const Preset& preset, const CliCommand& command, CliOptions* options, std::string* error) {
  const std::string refused = ", que vantra " + std::string(command.name) + " n'accepte plus";
  for (const auto& [key, value] : preset.keys) {
    if (!Holds(command.keys(), key)) {
      *error = Who(preset) + " a la clé " + key + refused + " (vantra preset keys " + command.name + ")";
      return false;
    }
  }
  const std::vector<CliFlag> flags = PresetFlagsOf(command);
  for (const auto& [name, value] : preset.flags) {
    const CliFlag* flag = FindFlag(flags, name);
    if (flag == nullptr || (!flag->takes_value && !value.empty())) {
      *error = Who(preset) + " a l'option --" + name + refused;
      return false;
    }
  }
  const std::map<std::string, std::string> given = options->overrides;
  for (const auto& [key, value] : preset.keys) options->overrides.emplace(key, value);
  for (const auto& [name, value] : preset.flags) options->flags.emplace(name, value);
  if (!options->format_given && !preset.format.empty()) options->format = preset.format;
  if (const std::string pdf = CheckPdfOut(*options); !pdf.empty()) {
    *error = pdf + " (" + Who(preset) + " écrit du pdf)";
    return false;
  }
  if (preset.period == PeriodRule::kNone) return true;
  long from = 0, to = 0;
  const long today = options->today != 0 ? options->today : ldate_today();
  ResolvePeriod(preset.period, today, preset.from, preset.to, &from, &to);
  if (!tavo_valid_date(from) || !tavo_valid_date(to) || from > to) {
    *error = Who(preset) + " a une période invalide (du " + std::to_string(preset.from) + " au " +
             std::to_string(preset.to) + ")";
    return false;
  }
  if (!options->from_given) options->from = from;
  if (!options->to_given) options->to = to;
  options->from_given = options->to_given = true;
  if (options->from < kFirstSuiteDate || options->to > kLastSuiteDate) {
    *error = "la période de " + Who(preset) + " sort des dates permises (du " + DateText(options->from) + " au " +
             DateText(options->to) + ")";
    return false;
  }
  if (options->from > options->to) {
    *error = "la période va du " + DateText(options->from) + " au " + DateText(options->to) +
             " : --from ou --to contredit la période de " + Who(preset);
    return false;
  }
  if (std::string_view(command.name) == "goals") {
    GoalsPeriodOverrides(preset, options->from, options->to, given, command, options);
  }
  return true;
}

int ApplyNamedPreset(const CliCommand& command, CliOptions* options) {
  if (options->preset.empty()) return -1;
  if (PresetCommand(command.name) != &command) {
    std::fprintf(stderr, "vantra %s : --preset ne s'applique qu'aux analyses (audit, productivity, stats, goals)\n",
                 command.name);
    return 2;
  }
  QenApplication app;
  std::string error;
  if (!SetUpApplication(*options, &app, &error)) {
    std::fprintf(stderr, "vantra %s : %s\n", command.name, error.c_str());
    return 1;
  }
  std::vector<Preset> found;
  if (!FindPresets(app.GetDb(), command.name, options->preset, &found, &error)) {
    const int status = DatabaseReadFailed(command.name, app.GetDb(), "les préréglages");
    if (status >= 0) return status;
    std::fprintf(stderr, "vantra %s : les préréglages : %s\n", command.name, error.c_str());
    return 1;
  }
  if (found.empty()) {
    std::fprintf(stderr, "vantra %s : préréglage inconnu : « %s » (vantra preset list %s)\n", command.name,
                 options->preset.c_str(), command.name);
    return 2;
  }
  if (!ApplyPreset(found[0], command, options, &error)) {
    std::fprintf(stderr, "vantra %s : %s\n", command.name, error.c_str());
    return 2;
  }
  return -1;
}

bool PresetFromOptions(const CliCommand& command, const std::string& name, const CliOptions& options, Preset* out,
                       std::string* error) {
  Preset p;
  p.analysis = command.name;
  p.name = name;
  const std::string section = command.ini_section;
  const std::vector<std::string>& accepted = command.keys();
  p.keys = IniKeys(command, options.ini.empty() ? DefaultIniPath() : options.ini);
  for (const auto& [given, value] : options.overrides) {
    std::string key = given;
    if (!Holds(accepted, key) && key.rfind(section + ".", 0) == 0) key = key.substr(section.size() + 1);
    if (!Holds(accepted, key)) {
      *error = "clé inconnue pour " + p.analysis + " : " + given + " (vantra preset keys " + p.analysis + ")";
      return false;
    }
    auto at = std::find_if(p.keys.begin(), p.keys.end(), [&](const auto& kv) { return kv.first == key; });
    if (at != p.keys.end()) {
      at->second = value;
    } else {
      p.keys.emplace_back(key, value);
    }
  }
  // In the order of the command's list, what the INI had and what was given alike.
  std::stable_sort(p.keys.begin(), p.keys.end(), [&](const auto& a, const auto& b) {
    return std::find(accepted.begin(), accepted.end(), a.first) < std::find(accepted.begin(), accepted.end(), b.first);
  });
  const std::vector<CliFlag> flags = PresetFlagsOf(command);
  for (const auto& [flag, value] : options.flags) {
    if (flag == "period" || flag == "replace") continue;
    if (FindFlag(flags, flag) == nullptr) {
      *error = "--" + flag + " n'est pas une option de vantra " + p.analysis;
      return false;
    }
    p.flags.emplace_back(flag, value);
  }
  const auto period = options.flags.find("period");
  if (period != options.flags.end()) {
    if (!ParsePeriodRule(period->second, &p.period)) {
      std::string codes;
      for (const PeriodRuleInfo& r : PeriodRules()) {
        if (*r.code != '\0') codes += std::string(codes.empty() ? "" : ", ") + r.code;
      }
      *error = "période inconnue : « " + period->second + " » (" + codes + ")";
      return false;
    }
    if (p.period == PeriodRule::kFixed && !(options.from_given && options.to_given)) {
      *error = "--period fixed demande --from et --to";
      return false;
    }
    if (p.period != PeriodRule::kFixed && (options.from_given || options.to_given)) {
      *error = "--period " + period->second + " et --from/--to s'excluent (des dates fixes : --from et --to seuls)";
      return false;
    }
  } else if (options.from_given || options.to_given) {
    if (!(options.from_given && options.to_given)) {
      *error = "des dates fixes demandent --from et --to";
      return false;
    }
    p.period = PeriodRule::kFixed;
  }
  if (p.period == PeriodRule::kFixed) {
    p.from = options.from;
    p.to = options.to;
  }
  if (options.format_given) p.format = options.format;
  *out = std::move(p);
  return true;
}
