// DrillGraphDialog: the chart of a drill window's rows (GraphBaseDialog,
// template 3529, section "PRAC_GRAPH_DRILL"), opened by the window's
// "&Graphique" over the rows it shows.
//
// "Données" (104): "Nombre de lignes" or a measure of the drill (an amount,
// hours, units: DrillResult::measures); "Axe" (103): a column of the rows.
// A new chart opens on the stored choices when the drill offers them (the
// codes are the titles: "Producteur", "Montant"), else on the first column
// that is not a measure (often "Date") and the first measure (the count when
// the drill has none). The series are the drill's groups (lists/drill_chart.h),
// so "Regroupement des séries" is not offered. Titled as the drill window;
// the chart's second line names the drill (and the filter when one is set),
// so that a saved or printed chart tells what its rows are behind.
//
//   DrillGraphDialog chart(this, &result_, origin_, filter_->text(), launcher_info_);
//   chart.Execute();
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "lists/drill.h"
#include "lists/drill_chart.h"
#include "lists/qt/graph_base_dialog.h"
#include "lists/qt/load_string_cbox.h"

// A combo box of the chart's choices (DrillChartChoice: text the title, value
// the index, code the code). Before the record is shown it puts the default
// choice's code in the record when the stored one is not among its entries.
class DrillChartCBox : public TLoadStringCBox {
  Q_OBJECT
 public:
  // default_index: the DrillChartChoice::index of the default choice.
  DrillChartCBox(TTavoDlg* dialog, int id, char* field, std::vector<DrillChartChoice> choices, int default_index);
  void LoadItems() override;
  // The chosen entry, null when there is none.
  const DrillChartChoice* Chosen() const;

 private:
  char* field_;
  std::vector<DrillChartChoice> choices_;
  int default_index_;
};

class DrillGraphDialog : public GraphBaseDialog {
  Q_OBJECT
 public:
  static constexpr char kIniSection[] = "PRAC_GRAPH_DRILL";

  // result: the drill charted (not owned; outlives the dialog). rows: the
  // rows of its list charted, those the drill window shows (none: nothing
  // to draw). filter: the window's filter text ("" when none), named on the
  // chart.
  DrillGraphDialog(QWidget* parent, const DrillResult* result, std::vector<int> rows, const QString& filter,
                   long launcher_info);
  ~DrillGraphDialog() override;

  bool BuildGraphData() override;
  bool WriteDataToIni() override;
  DrillChartCBox* MainBox() const { return main_box_; }
  DrillChartCBox* AxisBox() const { return axis_box_; }

 protected:
  void SetupWindow() override;

 private:
  const DrillResult* result_;
  std::vector<int> rows_;
  std::string subtitle_;
  DrillChartCBox* main_box_ = nullptr;
  DrillChartCBox* axis_box_ = nullptr;
};
