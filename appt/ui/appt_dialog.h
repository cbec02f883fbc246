// PracApptDialog: the "Productivité" page (dialog 2003): dates, producers or
// chairs (list 109, first item "Tous"), period, measures, "&Générer" into the
// result list 5111 through PracApptGenerator, "&Effacer", "&Savegarder"
// (section PRAC_APPT), the code or type picker (PracApptListDlg, 2004), the
// colour options (PracApptOptionsDialog, 2005) and the right-click menu 1000
// of the result list (chart, print with the colours, export).
//
// Silent rules: "Générer" does nothing without a producer or chair, or when
// the to date is before the from date.
#pragma once

#include "appt/appt_generator.h"

#include <memory>

#include <QString>

#include "appt/appt_options.h"
#include "appt/appt_types.h"
#include "host/qt/qen_dialog.h"
#include "lists/list_style.h"
#include "lists/qt/drill_dialog.h"

class QenDllHandler;
class ListView;
class QPoint;

class DrillDialog;
class PresetMenu;
struct Preset;
class DrillMenuItem;
struct ApptGroupLists;
struct ClinicGroupChoice;

class PracApptDialog : public TGenDlg {
  Q_OBJECT
 public:
  // Control ids of dialog 2003.
  enum : int {
    kGenerate = 101, kSave = 103, kFrom = 104, kTo = 105, kProducer = 107, kChair = 108, kSelection = 109,
    kNoShows = 111, kCancelled = 112, kUnscheduled = 113, kDaily = 116, kWeekly = 117, kMonthly = 118,
    kYearly = 119, kTrackProd = 120, kSummary = 121, kCodes = 122, kTypes = 123, kUnits = 125, kHours = 126,
    kBoth = 127, kReportDollar = 128, kPick = 129, kClear = 130, kTotalsOnly = 131, kNetFees = 132,
    kOptions = 133, kResult = 5111, kCmPrint = 4000, kCmExport = 4001, kCmChart = 4002
  };

  // (tab control as parent, dialog resource, launcher information, module).
  PracApptDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module);
  ~PracApptDialog() override;

  PracApptSettings& Settings() { return settings_; }
  ApptColourOptions& Colours() { return colours_; }
  ListView* ResultView() const { return result_; }
  ListView* SelectionView() const { return selection_; }
  // The coloured cells recorded by the last drawing of the result list.
  const TDList& ColourList() const { return colour_list_; }
  // How the last generation ended (host/run_outcome.h).
  const RunOutcome& LastOutcome() const { return last_outcome_; }
  // Opens the rows behind a cell of the result list in a drill window, as a
  // double-click or Enter on it does; null when the cell has none (a
  // message says why).
  DrillDialog* DrillCell(int row, int column);
  // What a drilled row naming a patient opens: the audit history of the
  // patient's file, which another tab computes (the program hands it in;
  // until then such rows open nothing).
  void SetHistoryOpener(HistoryOpener opener) { history_ = std::move(opener); }
  PresetMenu* Presets() const { return presets_; }
  // The group's reports the result list shows since its last generation ran
  // for every clinic (QenApplication::GroupChoice); null when it shows one
  // practice's.
  const ApptGroupLists* GroupLists() const { return group_.get(); }
  // How the result list's cells are drawn, printed and exported now.
  const CellStyleFn& ResultStyle() const { return result_style_; }

 protected:
  void SetupWindow() override;

 private:
  void BuildControls();
  void LoadOptions();
  // The preset's side of the "Préréglages" menu: the controls' options into
  // a preset, a preset into the controls.
  bool CollectPreset(Preset* out);
  void ApplyPreset(const Preset& preset, long from, long to);
  void FillSelectionList();
  void SetUpResultColumns();
  void UpdatePickCaption(char prod_info);
  void ApplyTrackRule();
  void ReadSelectionList();
  bool ProducerMode() const;
  void InstallColours();
  // "Générer" for a dental group: every clinic's report and the group's
  // total into the result list, the headings in bold.
  void GenerateGroup(const ClinicGroupChoice& group);
  // Back to one practice's list: no group, the list's own style.
  void DropGroup();
  // colour_list_ for the list shown (a group's: each part's cells moved to
  // their rows).
  void CollectColours();
  void ShowMenu(const QPoint& pos);

  void CmGenerate();
  void CmClear();
  void CmSave();
  void CmPick();
  void CmOptions();
  void CmPrint();
  void CmExport();
  void CmChart();
  void EvListBy(bool producers);
  void EvProdInfo(char prod_info);

  QenDllHandler* module_;
  PracApptSettings settings_;
  ApptColourOptions colours_;
  QString pick_caption_;
  RunOutcome last_outcome_;
  ApptDrillMap drill_map_;      // kept by the last generation
  bool drill_partial_ = false;
  HistoryOpener history_;
  DrillMenuItem* drill_item_ = nullptr;
  PresetMenu* presets_ = nullptr;  // "Préréglages", beside "&Générer"
  ListView* selection_ = nullptr;
  ListView* result_ = nullptr;
  TDList colour_list_;
  std::unique_ptr<ApptGroupLists> group_;  // the group shown, if any
  std::unique_ptr<ClinicGroupChoice> group_choice_;  // the group it was generated for
  CellStyleFn result_style_;               // the result list's style (a group's when one is shown)
};
