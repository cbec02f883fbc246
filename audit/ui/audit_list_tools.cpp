#include "audit/ui/audit_list_tools.h"

#include <QMenu>
#include <QWidget>

#include "audit/audit_drill.h"
#include "audit/audit_options.h"
#include "audit/audit_style.h"
#include "audit/audit_types.h"
#include "lists/list_style.h"
#include "lists/qt/bmp_menu.h"
#include "lists/qt/drill_dialog.h"
#include "lists/qt/print_list_view.h"
#include "lists/qt/printer_select.h"
#include "audit/ui/audit_graph_dialog.h"
#include "audit/ui/prac_list_filter_dialog.h"
#include "host/application.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/qt/qen_dialog.h"
#include "host/strings.h"
#include "suite/calendar.h"

namespace {

// What every page of a printout or an export says besides the rows: the
// dates the list covers and the practice.
void SetHeading(CPrintListView* print, const AuditOptions* options) {
  const std::string period = options ? PeriodText(options->from_date, options->to_date) : std::string();
  print->SetHeading(QString::fromStdString(period), QString::fromStdString(CurrentPracticeName()));
}

}  // namespace

AuditListTools::AuditListTools(QenDialog* dialog, QWidget* menu_widget, ShownListFn shown, AuditOptions* options,
                               int menu_id, long launcher_info)
    : QObject(dialog), dialog_(dialog), menu_widget_(menu_widget), shown_(std::move(shown)), options_(options),
      menu_id_(menu_id), launcher_info_(launcher_info) {
  if (menu_widget) {
    menu_widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(menu_widget, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ShowMenu(menu_widget_->mapToGlobal(pos)); });
  }
  dialog_->OnCommand(kCmPrintList, [this] { CmPrint(); });
  dialog_->OnCommand(kCmExportList, [this] { CmExport(); });
  dialog_->OnCommand(kCmChartData, [this] { CmChart(); });
  if (menu_id_ == 1002) dialog_->OnCommand(kCmListFilter, [this] { CmFilter(); });
}

AuditListTools::~AuditListTools() = default;

ListMenuState AuditListTools::MenuState() const {
  ListMenuState state;
  state.menu_id = menu_id_;
  state.spreadsheet_folder = !TGetStatInfo::GetSpreadSheetDirectory().empty();
  const AuditShownList shown = shown_ ? shown_() : AuditShownList{};
  state.has_list = shown.list != nullptr;
  state.row_count = shown.list ? shown.list->GetCount() : 0;
  state.page = shown.kind;
  return state;
}

std::unique_ptr<QMenu> AuditListTools::MakeMenu() const {
  return MakeListMenu(dialog_, ListMenuEntries(MenuState()));
}

void AuditListTools::SetCellDrill(CellDrillFn drill) {
  if (!drill_item_) drill_item_ = new DrillMenuItem(dialog_);
  cell_drill_ = std::move(drill);
}

void AuditListTools::ShowMenu(const QPoint& global_pos) {
  ListMenuState state = MenuState();
  if (drill_item_ && cell_drill_) {
    const AuditShownList shown = shown_ ? shown_() : AuditShownList{};
    const int kind = shown.kind;
    state.on_cell = drill_item_->Aim(shown.view, global_pos,
                                     [this, kind](int row, int column) { cell_drill_(kind, row, column); });
  }
  std::unique_ptr<QMenu> menu = MakeListMenu(dialog_, ListMenuEntries(state));
  if (menu->actions().isEmpty()) return;
  menu->exec(global_pos);
}

void AuditListTools::CmPrint() {
  const AuditShownList shown = shown_ ? shown_() : AuditShownList{};
  if (!shown.list) return;
  TPrinterSelectDlg choice(dialog_, launcher_info_);
  if (choice.Execute() != 1) return;
  // The window's text heads the page and the page's title ("Liste
  // détaillé") the list; a window without text leaves the page's title.
  const QString page = QString::fromUtf8(ModuleString(shown.kind == 1 ? 11 : 10));
  const QString title = ReportTitleOf(dialog_);
  std::unique_ptr<CPrintListView> print;
  if (shown.view) {
    print = std::make_unique<CPrintListView>(dialog_, launcher_info_, shown.view, choice.GetSelectedPrinterDC(),
                                             page, 1, false, true);
  } else {
    print = std::make_unique<CPrintListView>(dialog_, launcher_info_, shown.list, choice.GetSelectedPrinterDC(),
                                             page, 1, false, true);
    print->SetStyle(AuditRowEmphasis(shown.list));
  }
  if (!title.isEmpty() && title != page) print->SetReportTitle(title);
  SetHeading(print.get(), options_);
  print->Print();
  choice.DeleteSelectedPrinterDC();
}

void AuditListTools::CmExport() {
  const AuditShownList shown = shown_ ? shown_() : AuditShownList{};
  if (!shown.list) return;
  const QString title = ReportTitleOf(dialog_, QString::fromUtf8(ModuleString(shown.kind == 1 ? 11 : 10)));
  std::unique_ptr<CPrintListView> exporter;
  if (shown.view) {
    exporter = std::make_unique<CPrintListView>(dialog_, launcher_info_, shown.view, nullptr, title, 1, false, true);
  } else {
    exporter = std::make_unique<CPrintListView>(dialog_, launcher_info_, shown.list, nullptr, title, 1, false, true);
    exporter->SetStyle(AuditRowEmphasis(shown.list));
  }
  SetHeading(exporter.get(), options_);
  exporter->PrintReport(CPrintListView::kSpreadsheet);
  last_export_ = exporter->ExportedPath();
}

void AuditListTools::CmChart() {
  const AuditShownList shown = shown_ ? shown_() : AuditShownList{};
  if (!shown.list) return;
  const int kind = menu_id_ == 1000 ? 0 : shown.kind;
  PracGraphDialog chart(dialog_, GraphBaseDialog::kTemplate, kind, shown.chart != nullptr ? shown.chart : shown.list,
                        options_, launcher_info_);
  chart.Execute();
}

void AuditListTools::CmFilter() {
  if (filter_) {
    filter_->raise();
    filter_->activateWindow();
    return;
  }
  const AuditShownList shown = shown_ ? shown_() : AuditShownList{};
  if (!shown.list || shown.kind != 0) return;
  filter_ = new PracListFilterDialog(dialog_, shown.list, options_);
  filter_->setAttribute(Qt::WA_DeleteOnClose);
  filter_->Create();
  filter_->show();
}

PracListFilterDialog* AuditListTools::FilterDialog() const { return filter_.data(); }

void InstallAuditRowEmphasis(ListView* view) {
  if (!view) return;
  const QenListWindow* list = view->List();
  view->SetRowStyleHook([list](int row) {
    RowStyle style;
    style.bold = AuditRowIsBold(list->Id(), list->GetItemData(row));
    return style;
  });
}

HistoryOpener PatientHistoryOpener(long launcher_info) {
  return [launcher_info](QWidget* parent, GenDB* db, long patient_id, const std::string& patient_text) -> DrillDialog* {
    const QenApplication* app = QenApplication::Instance();
    const WDIniObj ini(app ? app->GetINI() : std::string());
    return ShowDrill(parent, DrillPatientHistory(db != nullptr ? db : ApplicationDb(), parent, IniReaderOf(ini), patient_id, patient_text),
                     InstallAuditRowEmphasis, launcher_info);
  };
}
