#include "stats/ui/stats_graph_dialog.h"

#include <cstdlib>

#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/strings.h"
#include "stats/case_acceptance.h"
#include "stats/stats_graph_series.h"
#include "stats/stats_types.h"

PracStatsGraphMainCBox::PracStatsGraphMainCBox(TTavoDlg* dialog, int id, char* field, int capacity,
                                               int list_number)
    : TLoadStringCBox(dialog, id, field, capacity), list_number_(list_number) {}

void PracStatsGraphMainCBox::LoadItems() {
  ClearEntries();
  for (int figure : StatsGraphFigures(list_number_)) {
    AddStringId(figure < 1000 ? StringTable::kModule : StringTable::kHost, figure, 64);
  }
}

PracStatsGraphXCBox::PracStatsGraphXCBox(TTavoDlg* dialog, int id, char* field, int capacity, int list_number)
    : TLoadStringCBox(dialog, id, field, capacity), list_number_(list_number) {}

void PracStatsGraphXCBox::LoadItems() {
  ClearEntries();
  AddStringId(StringTable::kHost, StatsGraphAxis(list_number_), 32);
}

PracStatsGraphDialog::PracStatsGraphDialog(QWidget* parent, int template_id, const QenListWindow* list,
                                           const long& from, const long& to, int list_number, long launcher_info)
    : GraphBaseDialog(parent, template_id, launcher_info, kIniSection),
      list_(list), from_(from), to_(to), list_number_(list_number) {
  setWindowTitle(QStringLiteral("Données Diagramme"));
  auto* dates = new TRegButton(this, kShowDates, &show_dates_, QStringLiteral("Afficher les dates"));
  auto* main_box = new PracStatsGraphMainCBox(this, kMainCombo, MainCodeField(), kGraphCodeCap, list_number_);
  auto* axis_box = new PracStatsGraphXCBox(this, kAxisCombo, AxisCodeField(), kGraphCodeCap, list_number_);
  main_box->LoadItems();
  axis_box->LoadItems();
  AddChartControl(kMainCombo, main_box, QStringLiteral("Données"));
  AddChartControl(kAxisCombo, axis_box, QStringLiteral("Axe"));
  AddChartControl(kShowDates, dates);
}

PracStatsGraphDialog::~PracStatsGraphDialog() = default;

void PracStatsGraphDialog::SetupWindow() {
  GraphBaseDialog::SetupWindow();
  QString title = QString::fromUtf8(ModuleString(StatsListTitle(list_number_)));
  if (list_number_ == kStatsAcceptance && list_ != nullptr && list_->GetSelIndex() >= 0) {
    if (const auto* e = dynamic_cast<const CaseStatsElem*>(list_->GetItemRecord(list_->GetSelIndex()))) {
      title = QString::fromUtf8(ModuleString(e->rec.group == kCaseGroupPlanned ? 83 : 84));
    }
  }
  setWindowTitle(windowTitle() + QStringLiteral(" (") + title + QStringLiteral(")"));
}

bool PracStatsGraphDialog::BuildGraphData() {
  if (list_ == nullptr) return false;
  StatsGraphRequest request;
  request.list_number = list_number_;
  request.figure = std::atoi(MainCode());
  SetValueUnit(StatsGraphUnit(list_number_, request.figure));
  request.selected_row = list_->GetSelIndex();
  // The series of these charts are the list's rows (or the case-acceptance
  // headings): only the axis grouping applies; under a second letter 'P'
  // every row would fall into the first category (see stats_graph_series.h).
  request.grouping = GraphGrouping{Grouping().axis, 'T'};
  return BuildStatsGraphSeries(*list_, request, &Series()) > 0;
}

bool PracStatsGraphDialog::WriteDataToIni() {
  if (!GraphBaseDialog::WriteDataToIni()) return false;
  if (show_dates_ == 'Y') WriteIni("ShowDates", StatsShowDatesText(from_, to_).c_str());
  return true;
}
