// GraphBaseDialog: the suite's chart dialog (template 3529), the base of
// every chart of the module (audit lists, productivity, statistics, goals).
//
// The base owns the chart options and the drawing; a derived dialog adds
// its data choices and builds the series:
//
//   class MyGraph : public GraphBaseDialog {
//     MyGraph(QWidget* parent, ...) : GraphBaseDialog(parent, 3529, info, "PRAC_GRAPH_X") {
//       auto* main = new MyMainCBox(this, kMainCombo, MainCodeField(), kGraphCodeCap);
//       AddChartControl(main, "Données");          // redraws when it changes
//     }
//     bool BuildGraphData() override { ... fill Series() ...; return true; }
//   };
//   MyGraph(this, ...).Execute();
//
// Layout of the template: the choices on top (the derived controls, then
// "Style" 105, "Regroupement de l'axe" 106 and "Regroupement des séries" 107
// with its label 128, "Valeurs sur le diagramme" 108, "Légende" 109), the
// chart below, and the buttons "&Enregistrer l'image..." 130, "&Imprimer..."
// 131 and "&Fermer" 1.
//
// Drawing: at set-up and after every change of a choice, the base transfers
// the controls into the record (UpdateDialog(0)), stores the options
// (WriteDataToIni), asks the derived dialog for the data (BuildGraphData)
// and draws the series in the chosen style (graph_chart.h). The chart's
// title is "<main data> par <axis>"; its second line is the INI key
// "ShowDates" when present (the derived dialogs write it when their
// show-dates box 116 is ticked).
//
// Options, in the suite's INI file (QenApplication::GetINI, else
// DefaultIniPath), in the section given at construction (one per chart kind):
//   Style=0..10  AxisGroup=P|T  MainGroup=P|T  MainData=<code>  AxisData=<code>
//   ValueLabels=Y|N  Legend=Y|N  ShowDates=<text, written by the derived dialog>
// WriteDataToIni of the base writes the first seven and removes ShowDates.
//
// Grouping letters: graph_data.h (and docs/charts.md).
#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <string>

#include "lists/graph_data.h"
#include "lists/qt/graph_chart.h"
#include "host/ini.h"
#include "host/qt/qen_dialog.h"

class QChart;
class QChartView;
class QComboBox;
class QCheckBox;
class QFormLayout;
class QLabel;
class QPrinter;
class QenListWindow;
class TLoadStringCBox;

class GraphBaseDialog : public TTavoDlg {
  Q_OBJECT
 public:
  enum : int {
    kTemplate = 3529,
    kAxisCombo = 103,
    kMainCombo = 104,
    kStyleCombo = 105,
    kAxisGrouping = 106,
    kMainGrouping = 107,
    kValueLabels = 108,
    kLegend = 109,
    kShowDates = 116,
    kMainGroupingLabel = 128,
    kCmSavePng = 130,
    kCmPrint = 131,
  };

  // ini_section: where the options are kept ("PRAC_GRAPH_AUDIT" ...).
  GraphBaseDialog(QWidget* parent, int template_id, long launcher_info, std::string ini_section);
  ~GraphBaseDialog() override;

  // --- the record -----------------------------------------------------------
  // The main-data and axis code fields (kGraphCodeCap bytes each) the
  // derived combo boxes 104 and 103 are bound to.
  char* MainCodeField() { return main_code_; }
  char* AxisCodeField() { return axis_code_; }
  const char* MainCode() const { return main_code_; }
  const char* AxisCode() const { return axis_code_; }
  GraphGrouping Grouping() const { return GraphGrouping{axis_group_[0], main_group_[0]}; }
  ChartStyle Style() const;
  void SetStyle(ChartStyle style);

  // The series the derived dialog fills (PracGraphElem, owned by the base).
  TDList& Series() { return series_; }
  const TDList& Series() const { return series_; }

  // Places a derived control in the choices area, registers it under its
  // id (when not already a field) and redraws when it changes. label may
  // be empty (check boxes carry their own text).
  void AddChartControl(int id, QWidget* control, const QString& label = QString());

  // --- hooks ------------------------------------------------------------------
  // Fills Series() from the current record; false when there is nothing
  // to draw (the chart is then empty). It also says what the values are
  // (SetValueUnit; counts when it does not).
  virtual bool BuildGraphData() = 0;
  void SetValueUnit(ChartUnit unit) { unit_ = unit; }
  // Stores the base's options; true when they were written.
  virtual bool WriteDataToIni();
  // Writes one key of the chart's section.
  bool WriteIni(const char* key, const char* value);
  std::string ReadIni(const char* key, const char* def) const;
  const std::string& IniSection() const { return section_; }

  // The list-data call: code "0" gives the value of a row (its last
  // non-blank cell read as a number, the count of a summary line); a code
  // "c<n>" the number in column n. 0 for anything else.
  double GetListData(const QenListWindow& list, int row, const char* code) const;
  // Whether the chart wants each row's value (set for lists whose rows stand
  // for several events, such as the audit summary).
  bool WantsRowValues() const { return row_values_; }
  void SetWantsRowValues(bool on) { row_values_ = on; }

  // --- drawing ------------------------------------------------------------------
  // Stores the choices, rebuilds the data and draws it. Does nothing while
  // a control holds an invalid value.
  void Redraw();
  ChartLook Look() const;
  QChart* Chart() const;
  QChartView* ChartView() const { return view_; }
  // Number of times the chart was drawn (tests).
  int DrawCount() const { return draws_; }

  // The chart as a PNG file (size: the view's, at least SuggestedChartSize).
  bool SaveChartPng(const QString& path, QSize size = QSize());
  // The chart on one landscape page of printer.
  bool PrintChart(QPrinter* printer);
  // Buttons 130 and 131: file choice then SaveChartPng; printer choice then
  // PrintChart.
  void CmSavePng();
  void CmPrint();
  // Replaces the file dialog of CmSavePng (tests): gets the suggested path,
  // returns the chosen one ("" = cancelled). Null restores the dialog.
  using SaveFileHook = std::function<QString(const QString& suggested)>;
  static SaveFileHook SetSaveFileHook(SaveFileHook hook);

 protected:
  void SetupWindow() override;
  void CmOk() override;

 private:
  void BuildTemplate();
  void ReadOptions();

  std::string section_;
  WDIniObj ini_;
  char main_code_[kGraphCodeCap] = {};
  char axis_code_[kGraphCodeCap] = {};
  char axis_group_[2] = {'P', 0};
  char main_group_[2] = {'P', 0};
  int style_ = 0;
  ChartUnit unit_ = ChartUnit::kCount;
  bool value_labels_ = false;
  bool legend_ = true;
  bool row_values_ = false;
  bool ready_ = false;  // set-up done: changes redraw
  int draws_ = 0;
  TDList series_;
  QFormLayout* choices_ = nullptr;
  QComboBox* style_box_ = nullptr;
  QComboBox* axis_group_box_ = nullptr;
  QComboBox* main_group_box_ = nullptr;
  QCheckBox* value_labels_box_ = nullptr;
  QCheckBox* legend_box_ = nullptr;
  QLabel* main_group_label_ = nullptr;
  QChartView* view_ = nullptr;
};
