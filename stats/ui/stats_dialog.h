// PracStatDialog: the "Analyse du cabinet" page (dialog 2007), practice
// statistics: period and producers on the left, the four lists (patients,
// productivity, case acceptance, summary) on the right, each with the
// right-click menu 1001 (chart, generate this list, print all, print,
// export).
//
// The page computes nothing itself: it reads its controls into a
// StatsSelection and calls the statistics core (stats_generator.h); cells
// are coloured by StatsCellColor through the views' style hooks, and the
// coloured cells of each fill are recorded for printing.
//
// The productivity list needs the productivity computation, which belongs
// to another tab: the program hands it in with SetProductivitySource; until
// then that list stays empty.
//
// When the application's group is set (every clinic chosen in the suite
// window), "Générer" and a list's own "Générer" run the lists for every
// clinic (stats/stats_group_run.h) under the group's cancellable meter, and
// each list shows the clinics' lists under their bold headings, then the
// group's total; printing and export take those lists with their styles
// and colours, the chart draws the group's total, and "Détails…" on a
// clinic's row drills on that clinic.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "host/ini.h"
#include "host/qt/qen_dialog.h"
#include "lists/qt/drill_dialog.h"
#include "stats/stats_generator.h"

class ListView;
class QenDllHandler;

class DrillDialog;
class DrillMenuItem;
struct ClinicGroupChoice;
struct StatsGroupLists;
struct StatsGroupList;
class PresetMenu;
struct Preset;

class PracStatDialog : public TGenDlg {
  Q_OBJECT
 public:
  enum : int {
    kCmGenerate = 101,
    kCmDefaults = 103,
    kFromDate = 104,
    kToDate = 105,
    kCmOptions = 106,
  };

  // (tab control as parent, dialog resource, launcher information, module).
  PracStatDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module);
  ~PracStatDialog() override;

  // The productivity computation (not owned; null = not connected).
  void SetProductivitySource(StatsProductivitySource* source) { productivity_ = source; }
  // What a drilled row naming a patient opens: the audit history of the
  // patient's file, which another tab computes (the program hands it in;
  // until then such rows open nothing).
  void SetHistoryOpener(HistoryOpener opener) { history_ = std::move(opener); }


  // --- state, for the window tests -------------------------------------------
  StatsSelection& Selection() { return sel_; }
  const StatsColorOptions& ColourOptions() const { return colours_; }
  StatsLists& Lists() { return lists_; }
  ListView* View(int list_number) const { return views_[list_number]; }
  ListView* ProducerView() const { return producers_; }
  int RecordedList() const { return recorded_; }
  // What the right-click does: records the list and shows menu 1001 at
  // global_pos (show = false only records, for tests).
  void ContextMenu(int list_number, const QPoint& global_pos, bool show = true);
  // How the last generation ended (host/run_outcome.h).
  const RunOutcome& LastOutcome() const { return last_outcome_; }
  // The group's lists list_number shows since its last fill ran for every
  // clinic (QenApplication::GroupChoice); null when it shows one practice's.
  const StatsGroupLists* GroupLists(int list_number) const;
  // How the cells of list list_number are printed and exported now, and
  // its coloured cells (a group's: each part's at its rows).
  CellStyleFn ListStyle(int list_number) const;
  const TDList* ListColours(int list_number) const;
  // The list the chart of list_number draws: a group's total (the clinics'
  // lists above it would draw every producer once per clinic and once
  // more for the group), else the list shown.
  const QenListWindow* ChartList(int list_number) const;
  // Opens the rows behind a cell of list list_number in a drill window, as a
  // double-click or Enter does (the patients list); null when the cell has
  // none (a message says why).
  DrillDialog* DrillCell(int list_number, int row, int column);

  // Commands.
  void CmGenerate();
  void CmGenerateOne();
  void CmDefaults();
  void CmOptions();
  void CmPrintList();
  void CmPrintAll();
  void CmExport();
  void CmChart();
  PresetMenu* Presets() const { return presets_; }

 protected:
  void SetupWindow() override;

 private:
  void BuildControls();
  void FillProducerList();
  void ReadProducerList();
  // The preset's side of the "Préréglages" menu: the controls' options into
  // a preset, a preset into the controls.
  bool CollectPreset(Preset* out);
  void ApplyPreset(const Preset& preset, long from, long to);
  // Controls into the selection, colour options reloaded; false when
  // generation cannot start.
  bool PrepareGeneration();
  StatsContext Context() const;
  // The fill of numbers for a dental group: every clinic's lists and the
  // group's totals into the views, the headings in bold.
  void GenerateGroup(const ClinicGroupChoice& group, const std::vector<int>& numbers);
  // Back to one practice's list: no group shown in list_number.
  void DropGroup(int list_number);
  // The group list shown in list_number, or null.
  const StatsGroupList* GroupList(int list_number) const;
  // The list and row a row of the view of list_number shows: the view's
  // own, or the row of a group part's list; false for a group's heading.
  bool SourceRow(int list_number, int row, const QenListWindow** list, int* source_row) const;
  void AfterFill(int list_number);
  void InstallColouring(int list_number);

  QenDllHandler* module_;
  WDIniObj ini_;
  StatsSelection sel_;
  StatsSelection generated_sel_[5];  // the selection each list was last filled with
  bool generated_partial_[5] = {};    // ... and whether that fill was cut short
  StatsColorOptions colours_;
  PresetMenu* presets_ = nullptr;  // "Préréglages", beside "&Générer"
  StatsLists lists_;
  ListView* views_[5] = {};
  ListView* producers_ = nullptr;
  int recorded_ = 0;
  DrillMenuItem* drill_item_ = nullptr;
  StatsProductivitySource* productivity_ = nullptr;
  HistoryOpener history_;
  RunOutcome last_outcome_;
  // The group each list shows, shared by the lists of one run.
  struct GroupShown;
  std::shared_ptr<GroupShown> group_[5];
};
