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
#pragma once

#include <QString>
#include <memory>

#include "host/ini.h"
#include "host/qt/qen_dialog.h"
#include "lists/qt/drill_dialog.h"
#include "stats/stats_generator.h"

class ListView;
class QenDllHandler;

class DrillDialog;
class DrillMenuItem;
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
};
