#include "cli/cli_chart.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "cli/cli_options.h"
#include "host/atomic_file.h"
#include "host/strings.h"
#include "lists/graph_data.h"
#include "lists/list_style.h"

#if VANTRA_CLI_QT
#include <QString>

#include "lists/qt/graph_chart.h"
#include "lists/qt/offscreen_app.h"
#endif

namespace {

// Lower case, accents off (the Latin-1 letters of French), blanks dropped:
// "Acceptation  des cas" and "acceptation des cas" read alike, "Rôle" as
// "role".
std::string Folded(const std::string& text) {
  static const char* const kLatin1 =  // U+00C0 .. U+00FF, folded
      "aaaaaaaceeeeiiiidnooooo*ouuuuyts"
      "aaaaaaaceeeeiiiidnooooo/ouuuuyty";
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t') continue;
    if (c == 0xC3 && i + 1 < text.size()) {
      const unsigned char next = static_cast<unsigned char>(text[i + 1]);
      if (next >= 0x80 && next <= 0xBF) {
        out.push_back(kLatin1[next - 0x80]);
        ++i;
        continue;
      }
    }
    out.push_back(static_cast<char>(std::tolower(c)));
  }
  return out;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> out;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, sep)) out.push_back(part);
  return out;
}

}  // namespace

std::string ChartArgs::Get(const std::string& name) const {
  auto it = options.find(name);
  return it == options.end() ? std::string() : it->second;
}

bool ParseChartArgs(const std::string& value, size_t positional, const std::vector<std::string>& options,
                    const std::string& usage, ChartArgs* args, std::string* error) {
  *args = ChartArgs();
  const std::vector<std::string> parts = Split(value, ',');
  if (parts.size() < positional) {
    *error = usage;
    return false;
  }
  args->positional.assign(parts.begin(), parts.begin() + static_cast<long>(positional));
  for (size_t i = positional; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    const size_t eq = part.find('=');
    const std::string name = part.substr(0, eq);
    const std::string val = eq == std::string::npos ? std::string() : part.substr(eq + 1);
    if (name == "style") {
      int n = -1;
      const auto [end, ec] = std::from_chars(val.data(), val.data() + val.size(), n);
      if (eq == std::string::npos || val.empty() || ec != std::errc() || end != val.data() + val.size() || n < 0 ||
          n > 10) {
        *error = "--chart : style=0 à 10";
        return false;
      }
      args->style = n;
      continue;
    }
    bool taken = false;
    for (const std::string& option : options) {
      const size_t oeq = option.find('=');
      if (option.substr(0, oeq) != name) continue;
      if (oeq == std::string::npos) {
        taken = eq == std::string::npos;  // a word takes no value
      } else if (option.substr(oeq + 1) == "#") {
        taken = !val.empty() && val.find_first_not_of("0123456789") == std::string::npos && val.size() < 10;
      } else {
        const std::vector<std::string> letters = Split(option.substr(oeq + 1), '|');
        taken = eq != std::string::npos && std::find(letters.begin(), letters.end(), val) != letters.end();
      }
      break;
    }
    if (!taken) {
      *error = "--chart : option inconnue « " + part + " »";
      return false;
    }
    args->options[name] = val;
  }
  return true;
}

bool PickChartChoice(const std::string& typed, const std::vector<ChartChoice>& choices, const std::string& what,
                     std::string* code, std::string* error) {
  const std::string folded = Folded(typed);
  const ChartChoice* prefixed = nullptr;
  int prefixes = 0;
  for (const ChartChoice& c : choices) {
    if (typed == c.code || (!folded.empty() && folded == Folded(c.text))) {
      *code = c.code;
      return true;
    }
    if (!folded.empty() && Folded(c.text).rfind(folded, 0) == 0) {
      prefixed = &c;
      ++prefixes;
    }
  }
  if (prefixes == 1) {
    *code = prefixed->code;
    return true;
  }
  *error = "--chart : " + what + " : « " + typed + " » " +
           (prefixes > 1 ? "désigne plusieurs choix" : "n'est pas un choix offert") + " (" +
           ChartChoicesText(choices) + ")";
  return false;
}

std::string ChartChoicesText(const std::vector<ChartChoice>& choices) {
  std::string out;
  for (const ChartChoice& c : choices) {
    out += (out.empty() ? "" : ", ") + (c.code == c.text ? c.text : c.code + " " + c.text);
  }
  return out;
}


bool WriteChartSeries(const TDList& series, const std::string& title, const std::string& axis_title, int style,
                      const CliOptions& options, std::string* error, const std::string& subtitle, ChartUnit unit) {
  if (options.format == "tsv") {
    const std::string text = GraphSeriesTsv(series);
    AtomicFile out;
    if (!out.Open(options.out, error)) return false;
    std::fwrite(text.data(), 1, text.size(), out.File());
    return out.Commit(error);
  }
  if (options.format != "text") {
    *error = "--chart : --format tsv (les valeurs) ou aucun format (le PNG de --out)";
    return false;
  }
  if (options.out.empty()) {
    *error = "--chart demande --out FICHIER.png";
    return false;
  }
#if VANTRA_CLI_QT
  if (!EnsureGuiApplication()) {
    *error = "impossible de dessiner : pas d'application graphique";
    return false;
  }
  ChartLook look;
  look.style = static_cast<ChartStyle>(style);
  look.title = QString::fromStdString(title);
  look.axis_title = QString::fromStdString(axis_title);
  if (!subtitle.empty()) look.subtitle = QString::fromStdString(subtitle);
  look.unit = unit;
  QString qerror;
  if (!RenderChartPng(series, look, QString::fromStdString(options.out), SuggestedChartSize(series, look),
                      &qerror)) {
    *error = qerror.toStdString();
    return false;
  }
  return true;
#else
  (void)series;
  (void)title;
  (void)axis_title;
  (void)style;
  (void)subtitle;
  (void)unit;
  *error = "les diagrammes ne sont pas offerts par cette construction (sans Qt)";
  return false;
#endif
}


