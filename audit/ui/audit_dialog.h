// PracListDialog: the "Journal d'audit" page of the practice-analysis window
// (dialog 2001).
//
// The user picks a date range, users (list 108), modules (list 109), the
// table (current, archived, both), whether module entries and exits stay,
// a sort order and subtotal keys (list 107), then "&Générer" fills the list
// of the inner tab's shown page: the detailed list (300) or the summary
// list (301). "Défauts" stores the choices in section "PRAC_DETAILED".
//
// Controls (id: role): 105/106 from/to dates; 111/112/113 source "A"/"H"/"B";
// 115 entry/exit tracking; 102 "&Générer"; 103 "&Effacé"; 104 "Défauts";
// 110 "R&eset"; 114 inner tab control; 107, 108, 109 option lists.
#pragma once

#include "audit/audit_generator.h"

#include <memory>

#include "audit/audit_types.h"
#include "host/ini.h"
#include "host/qt/qen_dialog.h"

class AuditListTools;
struct AuditGroupLists;
struct ClinicGroupChoice;
class ListView;
class QenDllHandler;
class QenListWindow;
class QenVantraTabCtrl;

// Fits the columns of a result list to their texts after a generation.
void FitResultColumns(ListView* view);

class DrillDialog;
class PresetMenu;
struct Preset;

class PracListDialog : public TGenDlg {
  Q_OBJECT
 public:
  enum : int {
    kCmGenerate = 102,
    kCmClear = 103,
    kCmDefaults = 104,
    kFromDate = 105,
    kToDate = 106,
    kSortList = 107,
    kUserList = 108,
    kModuleList = 109,
    kCmReset = 110,
    kSourceCurrent = 111,
    kSourceArchived = 112,
    kSourceBoth = 113,
    kInnerTab = 114,
    kTrackEntryExit = 115,
    kDetailedList = 300,
    kSummaryList = 301,
  };

  // (tab control as parent, dialog resource 2001, launcher information, module).
  PracListDialog(QWidget* parent, int resource_id, long launcher_info, QenDllHandler* module);
  ~PracListDialog() override;

  AuditOptions& Options() { return *options_; }
  QenVantraTabCtrl* InnerTab() const { return inner_tab_; }
  ListView* DetailedView() const { return detailed_; }
  ListView* SummaryView() const { return summary_; }
  // The list of the page the inner tab shows (detailed on page 0).
  QenListWindow* ShownList() const;
  ListView* ShownView() const;
  QenListWindow* SortList() const;
  QenListWindow* UserList() const;
  QenListWindow* ModuleList() const;
  // How the last generation ended (host/run_outcome.h).
  const RunOutcome& LastOutcome() const { return last_outcome_; }
  AuditListTools* Tools() const { return tools_; }
  // The group's lists the detailed (false) or summary list shows since its
  // last generation ran for every clinic (QenApplication::GroupChoice);
  // null when it shows one practice's.
  const AuditGroupLists* GroupLists(bool summary) const { return group_[summary ? 1 : 0].get(); }
  PresetMenu* Presets() const { return presets_; }
  // Opens the rows behind cell column of row of the detailed (summary
  // false) or summary list in a drill window, as a double-click or Enter on
  // the cell does; returns it (null when the cell has no rows: a message
  // says why).
  DrillDialog* DrillCell(bool summary, int row, int column);

  // The handlers (public so the tests can press the buttons).
  void CmGenerate();
  void CmClear();
  void CmDefaults();
  void CmReset();
  void EvSortSelChange(int row);

 protected:
  void SetupWindow() override;

 private:
  void BuildControls();
  void ReadOptions();
  // The preset's side of the "Préréglages" menu: the controls' options (and
  // the list shown: detailed or summary) into a preset, a preset into them.
  bool CollectPreset(Preset* out);
  void ApplyPreset(const Preset& preset, long from, long to);
  void FillUserList();
  void FillModuleList();
  void FillSortList();
  // Steps 2-4 of a generation: users, modules and subtotal flags from the
  // lists' check boxes.
  void CollectUsers();
  void CollectModules();
  void CollectSubtotals();
  // "Générer" for a dental group: every clinic's list and the group's
  // total into the shown list, the headings in bold.
  void GenerateGroup(const ClinicGroupChoice& group, bool summary);

  QenDllHandler* module_;
  std::unique_ptr<AuditOptions> options_;  // large (200 users): on the heap
  // What a drill on each list needs, kept by its last generation: the
  // options it ran with, where its lines lie, and whether it was cut short.
  struct DrillState {
    std::unique_ptr<AuditOptions> options;
    AuditDrillMap map;
    bool partial = false;
  };
  DrillState drill_[2];  // detailed, summary
  std::unique_ptr<AuditGroupLists> group_[2];  // detailed, summary: the group shown, if any
  std::unique_ptr<ClinicGroupChoice> group_choice_[2];  // the group they were generated for
  WDIniObj ini_;
  QenVantraTabCtrl* inner_tab_ = nullptr;
  ListView* detailed_ = nullptr;
  ListView* summary_ = nullptr;
  ListView* sort_list_ = nullptr;
  ListView* user_list_ = nullptr;
  ListView* module_list_ = nullptr;
  char source_values_[4] = {};  // "AHB"
  RunOutcome last_outcome_;
  AuditListTools* tools_ = nullptr;  // child of the dialog
  PresetMenu* presets_ = nullptr;    // "Préréglages", beside "&Générer"
};
