// AuditListTools: the list services of the audit tab (PracListDialog) and of
// the audit-history dialog (PracAuditDialog): the right-click menu, its
// enabling rules, and the commands it sends.
//
//   menu 1002 (audit tab, over the inner tab control 114):
//     4002 "&Données Diagramme...", 4006 "&Filtre...", ---, 4000 "&Imprimer Liste",
//     4001 "&Exporter à Excel"
//   menu 1000 (history, over list 5111):
//     4002 "&Données Diagramme...", ---, 4000 "&Imprimer Liste", 4001 "&Exporter à Excel"
//
// The dialog creates one, after its controls exist:
//
//   // PracListDialog::SetupWindow (or its constructor)
//   tools_ = new AuditListTools(this, inner_tab_, [this] {
//     return AuditShownList{ShownList(), ShownView(), inner_tab_->GetSel() == 1 ? 1 : 0};
//   }, options_.get(), 1002, LauncherInfo());
//   InstallAuditRowEmphasis(detailed_);  InstallAuditRowEmphasis(summary_);
//   InstallAuditRowEmphasis(user_list_); InstallAuditRowEmphasis(module_list_);
//
//   // PracAuditDialog
//   tools_ = new AuditListTools(this, view_, [this] {
//     return AuditShownList{List(), view_, 0};
//   }, options_.get(), 1000, LauncherInfo());
//   InstallAuditRowEmphasis(view_);
//
// The tools register commands 4000, 4001, 4002 (and 4006 for menu 1002) in
// the dialog's response table (QenDialog::OnCommand), so SendCommand(4000)
// prints just as the menu item does:
//   4000 print the shown list: printer choice (TPrinterSelectDlg), then
//        CPrintListView titled with the dialog's window text; nothing on cancel;
//   4001 export the shown list to a workbook in the spreadsheet folder, with
//        the wait cursor, then a message giving the file's path;
//   4002 PracGraphDialog over the shown list, modal;
//   4006 PracListFilterDialog over the detailed list, modeless ("&Rétablir"
//        sends command 102 to the dialog).
// The object is a child of the dialog (deleted with it).
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "lists/list_menu.h"
#include "lists/qt/drill_dialog.h"

class QenDialog;
class QenListWindow;
class ListView;
class DrillMenuItem;
class QMenu;
class QPoint;
class QWidget;
class PracListFilterDialog;
struct AuditOptions;

// The list a command acts on: the window's row store, its view (for the
// styles it paints; may be null) and its kind (0 detailed or history,
// 1 summary).
struct AuditShownList {
  QenListWindow* list = nullptr;
  ListView* view = nullptr;
  int kind = 0;
  // What the chart counts when it is not list: a group's summary list
  // charts the group's total, whose rows are the clinics' rows merged.
  const QenListWindow* chart = nullptr;
};

class AuditListTools : public QObject {
  Q_OBJECT
 public:
  using ShownListFn = std::function<AuditShownList()>;

  // dialog: the owner (not owned; the tools become its child).
  // menu_widget: the menu shows only for right clicks over it (the inner tab
  //   control, or the history's list view); its context-menu policy is set.
  // shown: gives the list a command acts on, asked at each command.
  // options: the dialog's option record (date range of the chart; subtotal
  //   flags of the filter); must outlive the tools.
  // menu_id: 1002 (audit tab) or 1000 (history).
  AuditListTools(QenDialog* dialog, QWidget* menu_widget, ShownListFn shown, AuditOptions* options,
                 int menu_id, long launcher_info = 0);
  ~AuditListTools() override;

  int MenuId() const { return menu_id_; }
  // The menu as it would open now (items, removed items and greyed items
  // applied, pictures when the suite's bitmap menus are on: MakeListMenu),
  // its actions sending their commands to the dialog. The caller owns it.
  std::unique_ptr<QMenu> MakeMenu() const;
  // The state the enabling rules read now.
  ListMenuState MenuState() const;
  // Opens the menu at global_pos (modal popup); over a cell of the shown
  // list, when a cell drill is set, it starts with "Détails…".
  void ShowMenu(const QPoint& global_pos);
  // What "Détails…" does with the cell (row, column) of the shown list of
  // kind (AuditShownList::kind).
  using CellDrillFn = std::function<void(int kind, int row, int column)>;
  void SetCellDrill(CellDrillFn drill);

  // The commands (also reached through dialog->SendCommand).
  void CmPrint();
  void CmExport();
  void CmChart();
  void CmFilter();

  // The filter dialog while it is open (null otherwise).
  PracListFilterDialog* FilterDialog() const;
  // The file written by the last export ("" when none or failed).
  const std::string& LastExportPath() const { return last_export_; }

 private:
  QenDialog* dialog_;
  QPointer<QWidget> menu_widget_;
  ShownListFn shown_;
  AuditOptions* options_;
  int menu_id_;
  long launcher_info_;
  QPointer<PracListFilterDialog> filter_;
  std::string last_export_;
  DrillMenuItem* drill_item_ = nullptr;  // with SetCellDrill
  CellDrillFn cell_drill_;
};

// Bold emphasis of the audit lists, as a row-style hook of view: total rows
// (item data -1) of lists 300, 301 and 5111 and the "Tous" rows (item data 0)
// of lists 108 and 109 are drawn in the view's bold font ("Helv"-like,
// weight 800); other rows keep the list's font; colours are not changed.
void InstallAuditRowEmphasis(ListView* view);

// What the other tabs' drill windows open for a row naming a patient: the
// audit history of the patient's file (DrillPatientHistory) in a drill
// window with the audit lists' emphasis, read from the drill's database
// (a clinic's, for a group) or else the application's, with the history's
// options from the suite's INI file.
HistoryOpener PatientHistoryOpener(long launcher_info);
