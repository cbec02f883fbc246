#include "lists/qt/graph_base_dialog.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cstdlib>
#include <cstring>

#include "lists/list_style.h"
#include "lists/qt/load_string_cbox.h"
#include "lists/qt/print_list_view.h"
#include "lists/qt/printer_select.h"
#include "host/application.h"
#include "host/list_window.h"

namespace {

GraphBaseDialog::SaveFileHook& SaveHook() {
  static GraphBaseDialog::SaveFileHook hook;
  return hook;
}

void FillGrouping(QComboBox* box) {
  box->addItem(QStringLiteral("Par élément"), QStringLiteral("P"));
  box->addItem(QStringLiteral("Tout"), QStringLiteral("T"));
}

void SelectLetter(QComboBox* box, char letter) {
  const int i = box->findData(QString(QChar(letter)));
  box->setCurrentIndex(i < 0 ? 0 : i);
}

void CopyToField(char (&field)[kGraphCodeCap], const std::string& value) {
  std::string_view cut = CutUtf8(value, kGraphCodeCap - 1);
  if (!cut.empty()) std::memcpy(field, cut.data(), cut.size());
  field[cut.size()] = '\0';
}

char LetterOf(const QComboBox* box) {
  const QString s = box->currentData().toString();
  return s.isEmpty() ? 'P' : s.at(0).toLatin1();
}

}  // namespace

GraphBaseDialog::GraphBaseDialog(QWidget* parent, int template_id, long launcher_info, std::string ini_section)
    : TTavoDlg(parent, template_id),
      section_(std::move(ini_section)),
      ini_(QenApplication::Instance() ? QenApplication::Instance()->GetINI() : std::string()) {
  (void)launcher_info;
  setWindowTitle(QStringLiteral("Diagramme"));
  BuildTemplate();
}

GraphBaseDialog::~GraphBaseDialog() = default;

void GraphBaseDialog::BuildTemplate() {
  resize(920, 640);
  auto* top = new QVBoxLayout(this);
  auto* upper = new QHBoxLayout;
  choices_ = new QFormLayout;
  auto* look = new QFormLayout;
  upper->addLayout(choices_, 1);
  upper->addLayout(look, 1);
  top->addLayout(upper);

  style_box_ = new QComboBox(this);
  for (int s = 0; s < kChartStyleCount; ++s) style_box_->addItem(ChartStyleName(static_cast<ChartStyle>(s)), s);
  axis_group_box_ = new QComboBox(this);
  FillGrouping(axis_group_box_);
  main_group_box_ = new QComboBox(this);
  FillGrouping(main_group_box_);
  value_labels_box_ = new QCheckBox(QStringLiteral("Valeurs sur le diagramme"), this);
  legend_box_ = new QCheckBox(QStringLiteral("Légende"), this);
  main_group_label_ = new QLabel(QStringLiteral("Regroupement des séries"), this);
  look->addRow(QStringLiteral("Style"), style_box_);
  look->addRow(QStringLiteral("Regroupement de l'axe"), axis_group_box_);
  look->addRow(main_group_label_, main_group_box_);
  auto* checks = new QHBoxLayout;
  checks->addWidget(value_labels_box_);
  checks->addWidget(legend_box_);
  checks->addStretch();
  look->addRow(checks);
  AddControl(kStyleCombo, style_box_);
  AddControl(kAxisGrouping, axis_group_box_);
  AddControl(kMainGrouping, main_group_box_);
  AddControl(kValueLabels, value_labels_box_);
  AddControl(kLegend, legend_box_);
  AddControl(kMainGroupingLabel, main_group_label_);
  for (int id : {kStyleCombo, kAxisGrouping, kMainGrouping}) {
    OnNotify(id, Notify::kValueChanged, [this](int) { Redraw(); });
  }
  for (int id : {kValueLabels, kLegend}) OnCommand(id, [this] { Redraw(); });

  view_ = new QChartView(this);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(480, 320);
  top->addWidget(view_, 1);

  auto* buttons = new QHBoxLayout;
  auto* save = new QPushButton(QStringLiteral("&Enregistrer l'image..."), this);
  auto* print = new QPushButton(QStringLiteral("&Imprimer..."), this);
  auto* close = new QPushButton(QStringLiteral("&Fermer"), this);
  buttons->addWidget(save);
  buttons->addWidget(print);
  buttons->addStretch();
  buttons->addWidget(close);
  top->addLayout(buttons);
  AddControl(kCmSavePng, save);
  AddControl(kCmPrint, print);
  AddControl(1, close);
  close->setDefault(true);
  OnCommand(kCmSavePng, [this] { CmSavePng(); });
  OnCommand(kCmPrint, [this] { CmPrint(); });
}

void GraphBaseDialog::AddChartControl(int id, QWidget* control, const QString& label) {
  if (label.isEmpty()) {
    choices_->addRow(control);
  } else {
    choices_->addRow(label, control);
  }
  if (ControlWidget(id) != control) AddControl(id, control);
  if (qobject_cast<QComboBox*>(control)) {
    OnNotify(id, Notify::kValueChanged, [this](int) { Redraw(); });
  } else {
    OnCommand(id, [this] { Redraw(); });
  }
}

ChartStyle GraphBaseDialog::Style() const {
  return static_cast<ChartStyle>(style_ >= 0 && style_ < kChartStyleCount ? style_ : 0);
}

void GraphBaseDialog::SetStyle(ChartStyle style) { style_box_->setCurrentIndex(static_cast<int>(style)); }

void GraphBaseDialog::ReadOptions() {
  style_ = std::atoi(ReadIni("Style", "0").c_str());
  if (style_ < 0 || style_ >= kChartStyleCount) style_ = 0;
  const std::string axis = ReadIni("AxisGroup", "P");
  const std::string main = ReadIni("MainGroup", "P");
  axis_group_[0] = axis.empty() ? 'P' : axis[0];
  main_group_[0] = main.empty() ? 'P' : main[0];
  value_labels_ = ReadIni("ValueLabels", "N") == "Y";
  legend_ = ReadIni("Legend", "Y") != "N";
  // The stored codes select the combo entries (the first entry when a code
  // is no longer offered).
  CopyToField(main_code_, ReadIni("MainData", ""));
  CopyToField(axis_code_, ReadIni("AxisData", ""));
}

void GraphBaseDialog::SetupWindow() {
  TTavoDlg::SetupWindow();
  ReadOptions();
  style_box_->setCurrentIndex(style_);
  SelectLetter(axis_group_box_, axis_group_[0]);
  SelectLetter(main_group_box_, main_group_[0]);
  value_labels_box_->setChecked(value_labels_);
  legend_box_->setChecked(legend_);
  for (TField* field : Fields()) {
    if (auto* box = dynamic_cast<TLoadStringCBox*>(field)) box->LoadItems();
  }
  UpdateDialog(1);
  ready_ = true;
  Redraw();
}

void GraphBaseDialog::Redraw() {
  if (!ready_) return;
  style_ = style_box_->currentIndex();
  axis_group_[0] = LetterOf(axis_group_box_);
  main_group_[0] = LetterOf(main_group_box_);
  value_labels_ = value_labels_box_->isChecked();
  legend_ = legend_box_->isChecked();
  if (!UpdateDialog(0)) return;
  WriteDataToIni();
  series_.DeleteElems();
  BuildGraphData();
  QChart* old = view_->chart();
  view_->setChart(BuildChart(series_, Look()));
  delete old;
  ++draws_;
}

ChartLook GraphBaseDialog::Look() const {
  ChartLook look;
  look.style = Style();
  auto* main = Control<QComboBox>(kMainCombo);
  auto* axis = Control<QComboBox>(kAxisCombo);
  const QString main_text = main ? main->currentText() : QString();
  const QString axis_text = axis ? axis->currentText() : QString();
  look.title = axis_text.isEmpty() ? main_text : QStringLiteral("%1 par %2").arg(main_text, axis_text);
  look.subtitle = QString::fromStdString(ReadIni("ShowDates", ""));
  look.axis_title = axis_text;
  look.legend = legend_;
  look.value_labels = value_labels_;
  look.unit = unit_;
  return look;
}

QChart* GraphBaseDialog::Chart() const { return view_->chart(); }

bool GraphBaseDialog::WriteDataToIni() {
  bool ok = WriteIni("Style", std::to_string(style_).c_str());
  ok = WriteIni("AxisGroup", std::string(1, axis_group_[0]).c_str()) && ok;
  ok = WriteIni("MainGroup", std::string(1, main_group_[0]).c_str()) && ok;
  ok = WriteIni("MainData", main_code_) && ok;
  ok = WriteIni("AxisData", axis_code_) && ok;
  ok = WriteIni("ValueLabels", value_labels_ ? "Y" : "N") && ok;
  ok = WriteIni("Legend", legend_ ? "Y" : "N") && ok;
  // The date range is written again by the derived dialog when it is wanted.
  ok = ini_.write_secini(section_.c_str(), "ShowDates", nullptr) && ok;
  return ok;
}

bool GraphBaseDialog::WriteIni(const char* key, const char* value) {
  return ini_.write_secini(section_.c_str(), key, value);
}

std::string GraphBaseDialog::ReadIni(const char* key, const char* def) const {
  return ini_.read_secini(section_, key, def);
}

double GraphBaseDialog::GetListData(const QenListWindow& list, int row, const char* code) const {
  if (!code) return 0;
  if (std::strcmp(code, "0") == 0) return LastCellValue(list, row);
  if (code[0] == 'c' && code[1]) return GraphAtof(TrimBlanks(list.GetItemText(row, std::atoi(code + 1))));
  return 0;
}

bool GraphBaseDialog::SaveChartPng(const QString& path, QSize size) {
  if (!size.isValid()) size = view_->size().expandedTo(SuggestedChartSize(series_, Look()));
  QString error;
  if (RenderChartPng(series_, Look(), path, size, &error)) return true;
  ShowMessage(error, QMessageBox::Warning);
  return false;
}

bool GraphBaseDialog::PrintChart(QPrinter* printer) {
  if (!printer) return false;
  printer->setPageOrientation(QPageLayout::Landscape);
  printer->setDocName(Look().title);
  // Printed into a PDF file, the file appears whole or not at all.
  QString error;
  const bool ok = PrintIntoFile(
      printer,
      [&](QString* e) {
        QPainter painter;
        if (!painter.begin(printer)) {
          *e = QStringLiteral("Impossible d'imprimer : l'imprimante ou le fichier n'est pas disponible.");
          return false;
        }
        std::unique_ptr<QChart> chart(BuildChart(series_, Look()));
        PaintChart(chart.get(), &painter, QRectF(0, 0, printer->width(), printer->height()));
        if (!painter.end()) {
          *e = QStringLiteral("L'impression n'a pas pu être terminée.");
          return false;
        }
        return true;
      },
      &error);
  if (!ok) ShowMessage(error, QMessageBox::Warning);
  return ok;
}

GraphBaseDialog::SaveFileHook GraphBaseDialog::SetSaveFileHook(SaveFileHook hook) {
  SaveFileHook old = std::move(SaveHook());
  SaveHook() = std::move(hook);
  return old;
}

void GraphBaseDialog::CmSavePng() {
  QString folder = QString::fromStdString(TGetStatInfo::GetSpreadSheetDirectory());
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QString stem = Look().title;
  stem.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|]")), QStringLiteral(" "));
  const QString suggested = QDir(folder).filePath((stem.isEmpty() ? QStringLiteral("Diagramme") : stem) + ".png");
  QString path = SaveHook() ? SaveHook()(suggested)
                            : QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer le diagramme"), suggested,
                                                           QStringLiteral("Images PNG (*.png)"));
  if (path.isEmpty()) return;
  if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
  SaveChartPng(path);
}

void GraphBaseDialog::CmPrint() {
  TPrinterSelectDlg choice(this, 0);
  if (choice.Execute() != 1) return;
  PrintChart(choice.GetSelectedPrinterDC());
  choice.DeleteSelectedPrinterDC();
}

void GraphBaseDialog::CmOk() {
  if (!UpdateDialog(0)) return;
  WriteDataToIni();
  done(1);
}
