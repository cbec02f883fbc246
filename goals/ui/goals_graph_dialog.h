// PracGoalsGraphDialog: the chart of the goals report, on the chart base
// GraphBaseDialog (template 3529, options in section "PRAC_GRAPH_GOALS").
//
// Combo 104 (GoalsGraphMainCBox): the measure, 103 (GoalsGraphXCBox): the
// axis; each entry's value is its string id and its code that id in
// decimal (goals_graph.h lists them). Check box 116 "Utiliser l'année : "
// + the comparison year, shown only when the report has one, reads the
// comparison lines. Choosing a by-year axis (10153, 10154) renames the
// series grouping's label (128) "Grouper par année".
#pragma once

#include <string>
#include <vector>

#include "goals/goals_options.h"
#include "lists/qt/graph_base_dialog.h"
#include "lists/qt/load_string_cbox.h"

class QenListWindow;

class GoalsGraphMainCBox : public TLoadStringCBox {
  Q_OBJECT
 public:
  GoalsGraphMainCBox(TTavoDlg* dialog, char* field, const GoalsDisplay* display);
  void LoadItems() override;

 private:
  const GoalsDisplay* display_;
};

class GoalsGraphXCBox : public TLoadStringCBox {
  Q_OBJECT
 public:
  GoalsGraphXCBox(TTavoDlg* dialog, char* field, const GoalsOptions* options, const GoalsDisplay* display);
  void LoadItems() override;

 private:
  const GoalsOptions* options_;
  const GoalsDisplay* display_;
};

class PracGoalsGraphDialog : public GraphBaseDialog {
  Q_OBJECT
 public:
  static constexpr char kIniSection[] = "PRAC_GRAPH_GOALS";

  // The report list and what it was generated with; all must outlive the dialog.
  PracGoalsGraphDialog(QWidget* parent, const QenListWindow* list, const GoalsOptions* options,
                       const GoalsDisplay* display, std::vector<std::string> producers, long launcher_info);
  ~PracGoalsGraphDialog() override;

  bool BuildGraphData() override;
  char& UseCompYear() { return use_comp_; }
  GoalsGraphMainCBox* MainBox() const { return main_box_; }
  GoalsGraphXCBox* AxisBox() const { return axis_box_; }

 private:
  const QenListWindow* list_;
  const GoalsOptions* options_;
  const GoalsDisplay* display_;
  std::vector<std::string> producers_;
  char use_comp_ = 'N';
  GoalsGraphMainCBox* main_box_ = nullptr;
  GoalsGraphXCBox* axis_box_ = nullptr;
};
