#include "goals/ui/goals_graph_dialog.h"

#include <QLabel>
#include <cstdlib>

#include "goals/goals_graph.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/strings.h"

GoalsGraphMainCBox::GoalsGraphMainCBox(TTavoDlg* dialog, char* field, const GoalsDisplay* display)
    : TLoadStringCBox(dialog, GraphBaseDialog::kMainCombo, field, kGraphCodeCap), display_(display) {}

void GoalsGraphMainCBox::LoadItems() {
  ClearEntries();
  for (int id : GoalsGraphMainChoices(*display_)) AddEntry(QString::fromStdString(GoalsGraphChoiceText(id)), id);
}

GoalsGraphXCBox::GoalsGraphXCBox(TTavoDlg* dialog, char* field, const GoalsOptions* options, const GoalsDisplay* display)
    : TLoadStringCBox(dialog, GraphBaseDialog::kAxisCombo, field, kGraphCodeCap), options_(options), display_(display) {}

void GoalsGraphXCBox::LoadItems() {
  ClearEntries();
  for (int id : GoalsGraphAxisChoices(*options_, *display_)) {
    AddEntry(QString::fromStdString(GoalsGraphChoiceText(id)), id);
  }
}

PracGoalsGraphDialog::PracGoalsGraphDialog(QWidget* parent, const QenListWindow* list, const GoalsOptions* options,
                                           const GoalsDisplay* display, std::vector<std::string> producers,
                                           long launcher_info)
    : GraphBaseDialog(parent, kTemplate, launcher_info, kIniSection),
      list_(list), options_(options), display_(display), producers_(std::move(producers)) {
  setWindowTitle(QStringLiteral("Données Diagramme"));
  main_box_ = new GoalsGraphMainCBox(this, MainCodeField(), display_);
  axis_box_ = new GoalsGraphXCBox(this, AxisCodeField(), options_, display_);
  AddChartControl(kMainCombo, main_box_, QStringLiteral("Données"));
  AddChartControl(kAxisCombo, axis_box_, QStringLiteral("Axe"));
  if (options_->HasCompYear()) {
    auto* comp = new TRegButton(this, kShowDates, &use_comp_,
                                QString::fromUtf8(ModuleString(99)) + QString::fromUtf8(options_->comp_year));
    AddChartControl(kShowDates, comp);
  }
}

PracGoalsGraphDialog::~PracGoalsGraphDialog() = default;

bool PracGoalsGraphDialog::BuildGraphData() {
  if (!list_) return false;
  GoalsGraphRequest r;
  r.main = std::atoi(MainCode());
  SetValueUnit(GoalsGraphUnit(r.main));
  r.axis = std::atoi(AxisCode());
  r.use_comparison = use_comp_ == 'Y' && options_->HasCompYear();
  r.grouping = Grouping();
  r.producers = producers_;
  r.display = *display_;
  r.report_year = options_->Year();
  r.comp_year = options_->CompYear();
  if (r.axis == kGoalsAxisProducersByYear || r.axis == kGoalsAxisPeriodsByYear) {
    if (auto* label = qobject_cast<QLabel*>(ControlWidget(kMainGroupingLabel))) {
      label->setText(QString::fromUtf8(ModuleString(100)));
    }
  }
  return BuildGoalsGraphSeries(*list_, r, &Series()) > 0;
}
