#include "audit/ui/audit_graph_dialog.h"

#include "audit/audit_types.h"
#include "audit/audit_graph_series.h"
#include "host/dates.h"
#include "host/list_window.h"
#include "host/qt/fields.h"

PracGraphCBox::PracGraphCBox(TTavoDlg* dialog, int id, char* field, int capacity, int list_kind)
    : TLoadStringCBox(dialog, id, field, capacity), list_kind_(list_kind) {}

void PracGraphCBox::LoadItems() {
  ClearEntries();
  const int count = AuditGraphCodeCount(list_kind_);
  for (int i = 0; i < count; ++i) {
    const AuditGraphCode& c = kAuditGraphCodes[i];
    AddEntry(QString::fromUtf8(LoadTableString(StringTable::kHost, c.title_string_id)), c.title_string_id,
             std::string(1, c.code));
  }
}

PracGraphDialog::PracGraphDialog(QWidget* parent, int template_id, int list_kind, const QenListWindow* list,
                                 const AuditOptions* options, long launcher_info)
    : GraphBaseDialog(parent, template_id, launcher_info, kIniSection),
      list_kind_(list_kind == 1 ? 1 : 0), list_(list), options_(options) {
  setWindowTitle(QStringLiteral("Données Diagramme"));
  SetWantsRowValues(list_kind_ == 1);
  auto* dates = new TRegButton(this, kShowDates, &show_dates_, QStringLiteral("Afficher les dates"));
  main_box_ = new PracGraphCBox(this, kMainCombo, MainCodeField(), kGraphCodeCap, list_kind_);
  axis_box_ = new PracGraphCBox(this, kAxisCombo, AxisCodeField(), kGraphCodeCap, list_kind_);
  AddChartControl(kMainCombo, main_box_, QStringLiteral("Données"));
  AddChartControl(kAxisCombo, axis_box_, QStringLiteral("Axe"));
  AddChartControl(kShowDates, dates);
}

PracGraphDialog::~PracGraphDialog() = default;

bool PracGraphDialog::BuildGraphData() {
  if (!list_) return false;
  AuditGraphRequest request;
  request.list_kind = list_kind_;
  request.main_code = MainCode()[0];
  request.axis_code = AxisCode()[0];
  request.grouping = Grouping();
  request.row_values = WantsRowValues();
  return BuildAuditGraphSeries(*list_, request, &Series()) > 0;
}

bool PracGraphDialog::WriteDataToIni() {
  if (!GraphBaseDialog::WriteDataToIni()) return false;
  if (show_dates_ == 'Y') {
    char from[32] = {}, to[32] = {};
    ldate_to_str1(from, options_ ? options_->from_date : 0, 530);
    ldate_to_str1(to, options_ ? options_->to_date : 0, 530);
    WriteIni("ShowDates", (std::string(from) + " - " + to).c_str());
  }
  return true;
}
