// PracGoalsDialog: the "Objectifs Mensuels" page (dialog 2009).
//
// The user picks a year (103) and optionally a comparison year (105), the
// producers (list 108, "Tous" first), monthly (109) or quarterly (110)
// periods (month boxes 111-122, quarter boxes 124-127, 123 ticks or clears
// them all) and "Totaux du Cabinet Slmt" (107); "&Générer" (101) fills the
// report list 5111 (goals/goals_generator.h). "&Défauts" (104) stores the
// choices in "PRAC_GOALS"; "Configuration" (102) opens the goal editor;
// "&Options" (128) the display options. The right-click menu 1000 over the
// list charts (4002), prints (4000, CPrintMultipleListViews titled
// "Objectif", with the coloured cells) and exports (4001).
//
// Colours: the list view's hooks draw each cell as GoalCellStyle says from
// the display options in force; the coloured cells are recorded after each
// generation and after "&Options", so printing and export keep them.
#pragma once

#include "goals/goals_generator.h"

#include <memory>
#include <string>
#include <vector>

#include "goals/goals_options.h"
#include "host/ini.h"
#include "lists/list_style.h"
#include "host/qt/qen_dialog.h"
#include "lists/qt/drill_dialog.h"
#include "host/tdlist.h"

struct ClinicGroupChoice;
struct GoalsGroupLists;
class GoalsCBox;
class ListView;
class QCheckBox;
class QMenu;
class QenDllHandler;
class QenListWindow;

class DrillDialog;
class DrillMenuItem;
class PresetMenu;
struct Preset;
class QPoint;

class PracGoalsDialog : public TGenDlg {
  Q_OBJECT
 public:
  enum : int {
    kCmGenerate = 101,
    kCmConfiguration = 102,
    kYear = 103,
    kCmDefaults = 104,
    kCompYear = 105,
    kTotalsOnly = 107,
    kProducerList = 108,
    kMonthly = 109,
    kQuarterly = 110,
    kFirstMonth = 111,
    kSelectAll = 123,
    kFirstQuarter = 124,
    kCmOptions = 128,
    kReportList = 5111,
  };

  // (tab control as parent, dialog resource, launcher information, module).
  PracGoalsDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module);
  ~PracGoalsDialog() override;

  GoalsOptions& Options() { return options_; }
  const GoalsDisplay& Display() const { return display_; }
  QenListWindow* ReportList() const;
  ListView* ReportView() const { return report_; }
  QenListWindow* ProducerList() const;
  const TDList& Colours() const { return colours_; }
  // The producer codes of the last generation, in selection order (for a
  // group, the total's: every clinic's).
  const std::vector<std::string>& GeneratedProducers() const { return generated_producers_; }
  // The lists of the last generation for a dental group (null after one
  // practice's).
  const GoalsGroupLists* GroupLists() const { return group_.get(); }
  // How the last generation ended (host/run_outcome.h).
  const RunOutcome& LastOutcome() const { return last_outcome_; }
  // Opens the production rows and the goal record behind a cell of the
  // report in a drill window, as a double-click or Enter does; null when
  // the cell has none (a message says why).
  // "Configuration des objectifs" (dialog 2010), on the record with this id
  // when it is not 0 (a goal row of a drill window); the tab's years are
  // reloaded when a record changed.
  void OpenGoalEditor(long record_id);
  DrillDialog* DrillCell(int row, int column);
  // What a drilled row naming a patient opens: the audit history of the
  // patient's file, which another tab computes (the program hands it in;
  // until then such rows open nothing).
  void SetHistoryOpener(HistoryOpener opener) { history_ = std::move(opener); }
  // The right-click menu; over a cell of the report (global_pos) it starts
  // with "Détails…".
  std::unique_ptr<QMenu> MakeMenu(const QPoint* global_pos = nullptr);

  // The handlers (public for the tests).
  void CmGenerate();
  void CmDefaults();
  void CmConfiguration();
  void CmOptions();
  void CmSelectAll();
  void CmMode();
  void CmPrint();
  void CmExport();
  void CmChart();
  PresetMenu* Presets() const { return presets_; }

 protected:
  void SetupWindow() override;

 private:
  void BuildControls();
  void FillProducerList();
  void ReadSelection();
  // The preset's side of the "Préréglages" menu: the controls' options into
  // a preset, a preset into the controls (its period as the command line
  // reads it: GoalsPeriodKeys).
  bool CollectPreset(Preset* out);
  void ApplyPreset(const Preset& preset, long from, long to);
  void ApplyMode(bool monthly);
  void LayColumns();
  void Restyle();
  // "&Générer" with every clinic of a group chosen in the suite: each
  // clinic's report under its heading, then the group's total
  // (GenerateGoalsGroup), with the group's cancellable meter.
  void GenerateGroup(const ClinicGroupChoice& group);
  // Back to one practice's list: the group's lists dropped, the list's
  // style its own.
  void DropGroup();
  // The coloured cells of the list shown (each group row's from its part).
  void CollectColours();
  // The list's columns fitted to their contents; a column of width 0 (a
  // period not chosen) hidden.
  void ShowColumns();
  std::string ExportTitle() const;

  QenDllHandler* module_;
  WDIniObj ini_;
  GoalsOptions options_;
  GoalsOptions generated_;  // what the list shows was generated with
  GoalsDisplay display_;
  std::vector<std::string> generated_producers_;
  TDList colours_;  // ColorListElem of the list's coloured cells
  PresetMenu* presets_ = nullptr;  // "Préréglages", beside "&Générer"
  ListView* report_ = nullptr;
  ListView* producers_ = nullptr;
  GoalsCBox* year_box_ = nullptr;
  GoalsCBox* comp_box_ = nullptr;
  QCheckBox* month_boxes_[12] = {};
  QCheckBox* quarter_boxes_[4] = {};
  QCheckBox* select_all_ = nullptr;
  RunOutcome last_outcome_;
  GoalsDrillMap drill_map_;  // kept by the last generation
  std::unique_ptr<GoalsGroupLists> group_;          // the last group generation's
  std::unique_ptr<ClinicGroupChoice> group_choice_;  // the group it ran for (its drills' connections)
  CellStyleFn list_style_;  // how each cell of the list shown is drawn, printed and exported
  HistoryOpener history_;
  DrillMenuItem* drill_item_ = nullptr;
  std::string last_export_;
};
