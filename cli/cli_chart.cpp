#include "cli/cli_chart.h"

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
  if (parts.size() < 2 || parts[0].size() != 1 || parts[1].size() != 1) {
    *error = "--chart attend DONNÉES,AXE (codes 1 usager, 2 date, 3 module, 4 action, 5 table)";
    return false;
  }
  request->list_kind = list_kind;
  request->main_code = parts[0][0];
  request->axis_code = parts[1][0];
  request->row_values = list_kind == 1;
  for (char code : {request->main_code, request->axis_code}) {
    if (AuditGraphColumn(code, list_kind) < 0) {
      *error = std::string("--chart : le code « ") + code + "» n'est pas offert pour cette liste";
      return false;
    }
  }
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

bool WriteChartSeries(const TDList& series, const std::string& title, const std::string& axis_title, int style,
                      const CliOptions& options, std::string* error, const std::string& subtitle) {
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
