#include "lists/qt/drill_graph_dialog.h"

#include <cstring>
#include <utility>

#include "host/list_window.h"
#include "lists/list_style.h"

namespace {

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

DrillChartCBox::DrillChartCBox(TTavoDlg* dialog, int id, char* field, std::vector<DrillChartChoice> choices,
                               int default_index)
    : TLoadStringCBox(dialog, id, field, kGraphCodeCap),
      field_(field),
      choices_(std::move(choices)),
      default_index_(default_index) {}

void DrillChartCBox::LoadItems() {
  ClearEntries();
  for (const DrillChartChoice& c : choices_) AddEntry(Utf8(c.title), c.index, c.code);
  const std::string stored(field_, strnlen(field_, kGraphCodeCap));
  for (const DrillChartChoice& c : choices_) {
    if (c.code == stored) return;
  }
  for (const DrillChartChoice& c : choices_) {
    if (c.index != default_index_) continue;
    const std::string_view code = CutUtf8(c.code, kGraphCodeCap - 1);
    std::memcpy(field_, code.data(), code.size());
    field_[code.size()] = '\0';
    return;
  }
}

const DrillChartChoice* DrillChartCBox::Chosen() const {
  const int i = currentIndex();
  return i < 0 || static_cast<size_t>(i) >= choices_.size() ? nullptr : &choices_[static_cast<size_t>(i)];
}

DrillGraphDialog::DrillGraphDialog(QWidget* parent, const DrillResult* result, std::vector<int> rows,
                                   const QString& filter, long launcher_info)
    : GraphBaseDialog(parent, kTemplate, launcher_info, kIniSection), result_(result), rows_(std::move(rows)) {
  subtitle_ = result_->title;
  const QString wanted = filter.trimmed();
  if (!wanted.isEmpty()) subtitle_ += " — lignes contenant « " + wanted.toStdString() + " »";
  setWindowTitle(Utf8(result_->title));
  main_box_ = new DrillChartCBox(this, kMainCombo, MainCodeField(), DrillChartMeasures(*result_),
                                 DrillChartDefaultMeasure(*result_));
  axis_box_ = new DrillChartCBox(this, kAxisCombo, AxisCodeField(), DrillChartAxes(*result_),
                                 DrillChartDefaultAxis(*result_));
  AddChartControl(kMainCombo, main_box_, QStringLiteral("Données"));
  AddChartControl(kAxisCombo, axis_box_, QStringLiteral("Axe"));
}

DrillGraphDialog::~DrillGraphDialog() = default;

void DrillGraphDialog::SetupWindow() {
  GraphBaseDialog::SetupWindow();
  // One series per group of rows, whatever the letter: the groups count
  // different things (a ratio's two sides), never to be added together.
  EnableControl(kMainGrouping, false);
  EnableControl(kMainGroupingLabel, false);
}

bool DrillGraphDialog::BuildGraphData() {
  const DrillChartChoice* measure = main_box_->Chosen();
  const DrillChartChoice* axis = axis_box_->Chosen();
  if (result_->list == nullptr || measure == nullptr || axis == nullptr || rows_.empty()) return false;
  SetValueUnit(measure->unit);
  DrillChartRequest request;
  request.axis_column = axis->index;
  request.measure = measure->index;
  request.grouping = Grouping();
  request.rows = rows_;
  return BuildDrillChartSeries(*result_, request, &Series()) > 0;
}

bool DrillGraphDialog::WriteDataToIni() {
  if (!GraphBaseDialog::WriteDataToIni()) return false;
  return WriteIni("ShowDates", subtitle_.c_str());
}
