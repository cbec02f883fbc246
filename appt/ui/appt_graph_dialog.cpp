#include "appt/ui/appt_graph_dialog.h"

#include <string>

#include "host/dates.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/strings.h"

ApptGraphMainCBox::ApptGraphMainCBox(TTavoDlg* dialog, int id, char* field, int capacity, const QenListWindow* list)
    : TLoadStringCBox(dialog, id, field, capacity), list_(list) {}

void ApptGraphMainCBox::LoadItems() {
  ClearEntries();
  if (list_ == nullptr) return;
  for (const ApptMeasure& m : ApptMeasureItems(*list_)) {
    const QString text = QString::fromUtf8(m.text.c_str()).trimmed();
    AddEntry(text, m.kind, m.text);
  }
}

ApptGraphXCBox::ApptGraphXCBox(TTavoDlg* dialog, int id, char* field, int capacity,
                               const PracApptSettings* settings)
    : TLoadStringCBox(dialog, id, field, capacity), settings_(settings) {}

void ApptGraphXCBox::LoadItems() {
  ClearEntries();
  AddStringId(StringTable::kHost, static_cast<int>(kApptAxisPeriods));
  AddStringId(StringTable::kHost,
              static_cast<int>(settings_ != nullptr && settings_->ListBy == 'C' ? kApptAxisChairs : kApptAxisProducers));
}

PracApptGraphDialog::PracApptGraphDialog(QWidget* parent, const QenListWindow* list, const PracApptSettings* settings,
                                         long launcher_info)
    : GraphBaseDialog(parent, kTemplate, launcher_info, "PRAC_GRAPH_APPT"), list_(list), settings_(settings) {
  setWindowTitle(QStringLiteral("Données Diagramme"));
  auto* dates = new TRegButton(this, kShowDates, &show_dates_, QStringLiteral("Afficher les dates"));
  main_box_ = new ApptGraphMainCBox(this, kMainCombo, MainCodeField(), kGraphCodeCap, list_);
  axis_box_ = new ApptGraphXCBox(this, kAxisCombo, AxisCodeField(), kGraphCodeCap, settings_);
  AddChartControl(kShowDates, dates);
  AddChartControl(kMainCombo, main_box_, QStringLiteral("Données"));
  AddChartControl(kAxisCombo, axis_box_, QStringLiteral("Axe"));
}

PracApptGraphDialog::~PracApptGraphDialog() = default;

bool PracApptGraphDialog::BuildGraphData() {
  if (list_ == nullptr || settings_ == nullptr) return false;
  ApptMeasure measure;
  const int index = main_box_->currentIndex();
  if (index >= 0) {
    measure.text = main_box_->CodeAt(index);
    measure.kind = main_box_->ValueAt(index);
  }
  SetValueUnit(ApptMeasureUnit(measure.kind, settings_->ProdUnits));
  const long axis = axis_box_->SelectedValue();
  return BuildApptGraphSeries(*list_, *settings_, measure, axis, Grouping(), &Series()) > 0;
}

bool PracApptGraphDialog::WriteDataToIni() {
  if (!GraphBaseDialog::WriteDataToIni()) return false;
  if (show_dates_ == 'Y' && settings_ != nullptr) {
    char from[32] = {}, to[32] = {};
    ldate_to_str1(from, settings_->DateFrom, 530);
    ldate_to_str1(to, settings_->DateTo, 530);
    WriteIni("ShowDates", (std::string(from) + " - " + to).c_str());
  }
  return true;
}
