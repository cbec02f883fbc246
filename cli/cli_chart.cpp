#include "cli/cli_chart.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "audit/audit_graph_series.h"
#include "cli/cli_options.h"
#include "host/atomic_file.h"
#include "host/strings.h"
#include "lists/graph_data.h"
#include "lists/list_style.h"

#if VANTRA_CLI_QT
#include <QString>

#include "lists/qt/graph_chart.h"
#include "lists/qt/offscreen_app.h"
#include "lists/qt/print_list_view.h"
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

// Parses "MAIN,AXIS[,style=N][,axis=P|T][,main=P|T]".
bool ParseChartFlag(const std::string& value, int list_kind, AuditGraphRequest* request, int* style,
                    std::string* error) {
  const std::vector<std::string> parts = Split(value, ',');
  const std::vector<ChartChoice> choices = AuditChartChoices(list_kind);
  if (parts.size() < 2) {
    *error = "--chart attend DONNÉES,AXE (" + ChartChoicesText(choices) + ")";
    return false;
  }
  std::string main, axis;
  if (!PickChartChoice(parts[0], choices, "données", &main, error) ||
      !PickChartChoice(parts[1], choices, "axe", &axis, error)) {
    return false;
  }
  request->list_kind = list_kind;
  request->main_code = main[0];
  request->axis_code = axis[0];
  request->row_values = list_kind == 1;
  for (size_t i = 2; i < parts.size(); ++i) {
    const size_t eq = parts[i].find('=');
    const std::string key = parts[i].substr(0, eq);
    const std::string val = eq == std::string::npos ? std::string() : parts[i].substr(eq + 1);
    if (key == "style") {
      char* end = nullptr;
      const long n = std::strtol(val.c_str(), &end, 10);
      if (val.empty() || *end || n < 0 || n > 10) {
        *error = "--chart : style=0 à 10";
        return false;
      }
      *style = static_cast<int>(n);
    } else if ((key == "axis" || key == "main") && (val == "P" || val == "T")) {
      (key == "axis" ? request->grouping.axis : request->grouping.main) = val[0];
    } else {
      *error = "--chart : option inconnue « " + parts[i] + " »";
      return false;
    }
  }
  return true;
}

}  // namespace

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

std::vector<ChartChoice> AuditChartChoices(int list_kind) {
  std::vector<ChartChoice> out;
  const int count = AuditGraphCodeCount(list_kind);
  for (int i = 0; i < count; ++i) {
    const AuditGraphCode& c = kAuditGraphCodes[i];
    out.push_back({std::string(1, c.code), LoadTableString(StringTable::kHost, c.title_string_id)});
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

bool WriteAuditListChart(const QenListWindow& list, int list_kind, const CliOptions& options,
                         std::string* error) {
  auto flag = options.flags.find("chart");
  if (flag == options.flags.end()) {
    *error = "--chart manque";
    return false;
  }
  AuditGraphRequest request;
  int style = 0;
  if (!ParseChartFlag(flag->second, list_kind, &request, &style, error)) return false;
  TDList series;
  BuildAuditGraphSeries(list, request, &series);
  auto title_of = [](char code) {
    for (const AuditGraphCode& c : kAuditGraphCodes) {
      if (c.code == code) return std::string(HostString(c.title_string_id));
    }
    return std::string();
  };
  const std::string axis = title_of(request.axis_code);
  return WriteChartSeries(series, title_of(request.main_code) + " par " + axis, axis, style, options, error);
}

bool WriteListPdf(const ListReport& report, const std::string& path, std::string* error) {
#if VANTRA_CLI_QT
  if (!EnsureGuiApplication()) {
    *error = "impossible d'imprimer : pas d'application graphique";
    return false;
  }
  QString qerror;
  if (!PrintListToPdf(report, QString::fromStdString(path), &qerror)) {
    *error = qerror.toStdString();
    return false;
  }
  return true;
#else
  (void)report;
  (void)path;
  *error = "le format pdf n'est pas offert par cette construction (sans Qt)";
  return false;
#endif
}
