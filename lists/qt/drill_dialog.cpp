#include "lists/qt/drill_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/gendb.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/qt/qen_dialog.h"
#include "lists/list_menu.h"
#include "lists/qt/drill_graph_dialog.h"
#include "lists/qt/print_list_view.h"
#include "lists/qt/printer_select.h"

namespace {

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

void Say(QWidget* parent, const std::string& text, QMessageBox::Icon icon) {
  PromptRequest ask;
  ask.parent = parent;
  ask.caption = parent != nullptr ? parent->window()->windowTitle() : QString();
  ask.text = Utf8(text);
  ask.icon = icon;
  QenDialog::Prompt(ask);
}

}  // namespace

DrillDialog::DrillDialog(QWidget* parent, DrillResult result, ViewStyler style, long launcher_info,
                         DrillOpeners openers)
    : QDialog(parent),
      result_(std::move(result)),
      style_(std::move(style)),
      launcher_info_(launcher_info),
      openers_(std::move(openers)) {
  setWindowTitle(Utf8(result_.title));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  // The view shows a copy of the rows, which the filter narrows; the
  // result's own list stays whole for the rows' further drills.
  shown_ = std::make_unique<QenListWindow>(result_.list->Id());
  shown_->SetColumns(result_.list->Columns());
  shown_->SetStyles(result_.list->Style(), result_.list->ExStyle());
  view_ = new ListView(shown_.get(), this);
  if (style_) {
    style_(view_);
  } else {
    const CellStyleFn bold = DrillRowStyle(shown_.get());
    view_->SetRowStyleHook([bold](int row) {
      RowStyle s;
      s.bold = bold(row, 0).bold;
      return s;
    });
  }
  auto* filter_row = new QHBoxLayout;
  auto* filter_label = new QLabel("Fi&ltre :", this);
  filter_ = new QLineEdit(this);
  filter_->setClearButtonEnabled(true);
  filter_->setPlaceholderText("les lignes qui contiennent ce texte");
  filter_label->setBuddy(filter_);
  filter_row->addWidget(filter_label);
  filter_row->addWidget(filter_, 1);
  layout->addLayout(filter_row);
  layout->addWidget(view_, 1);
  auto* buttons = new QHBoxLayout;
  count_ = new QLabel(this);
  count_->setObjectName("drill_count");
  buttons->addWidget(count_);
  buttons->addStretch(1);
  auto* graph = new QPushButton("&Graphique", this);
  auto* print = new QPushButton("&Imprimer Liste", this);
  auto* exporter = new QPushButton("&Exporter à Excel", this);
  auto* close = new QPushButton("&Fermer", this);
  for (QPushButton* b : {graph, print, exporter, close}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);
  connect(graph, &QPushButton::clicked, this, [this] { CmGraph(); });
  connect(print, &QPushButton::clicked, this, [this] { CmPrint(); });
  connect(exporter, &QPushButton::clicked, this, [this] { CmExport(); });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) { SetFilter(text); });
  connect(view_, &ListView::CellActivated, this, [this](int shown_row, int column) { Activate(shown_row, column); });
  SetFilter(QString());
  view_->FitColumnsToContents();
  resize(900, 480);
}

DrillDialog::~DrillDialog() = default;

DrillDialog* DrillDialog::Activate(int shown_row, int column) {
  if (shown_row < 0 || static_cast<size_t>(shown_row) >= origin_.size()) return nullptr;
  const int row = origin_[static_cast<size_t>(shown_row)];
  const long record = result_.record_of && openers_.record ? result_.record_of(*result_.list, row) : 0;
  if (record > 0) {
    openers_.record(record);
    return nullptr;
  }
  const DrillResult::PatientRef patient = result_.PatientOf(row);
  const bool history = patient.id > 0 && openers_.history;
  if (result_.further) {
    DrillResult more = result_.further(*result_.list, {row, column});
    // A row whose own drill has nothing may still name a patient.
    if (!(more.Refused() && history)) return ShowDrill(this, std::move(more), style_, launcher_info_, openers_);
  }
  if (history) {
    return openers_.history(this, openers_.db, patient.id, patient.text.empty() ? std::to_string(patient.id) : patient.text);
  }
  return nullptr;
}

void DrillDialog::SetFilter(const QString& text) {
  if (filter_->text() != text) filter_->setText(text);  // comes back here through textChanged
  const QString wanted = text.trimmed();
  const QenListWindow& all = *result_.list;
  origin_.clear();
  shown_->ClearList();
  {
    ListBatch batch(shown_.get());
    for (int r = 0; r < all.GetCount(); ++r) {
      const long data = all.GetItemData(r);
      if (!wanted.isEmpty()) {
        // Headings and totals add up what the filter no longer shows.
        if (!IsDrillDataRow(data)) continue;
        if (!QString::fromUtf8(std::string(all.GetString(r)).c_str()).contains(wanted, Qt::CaseInsensitive)) continue;
      }
      shown_->AddString(all.GetString(r), data);
      origin_.push_back(r);
    }
  }
  const int rows = result_.DataRows();
  int shown = 0;
  for (int r = 0; r < shown_->GetCount(); ++r) {
    if (IsDrillDataRow(shown_->GetItemData(r))) ++shown;
  }
  QString count = QString::number(shown) + (shown == 1 ? " ligne" : " lignes");
  if (!wanted.isEmpty()) count += " sur " + QString::number(rows);
  count_->setText(count);
}

void DrillDialog::CmGraph() {
  DrillGraphDialog chart(this, &result_, origin_, filter_->text(), launcher_info_);
  chart.Execute();
}

void DrillDialog::CmPrint() {
  TPrinterSelectDlg choice(this, launcher_info_);
  if (choice.Execute() != 1) return;
  CPrintListView print(this, launcher_info_, view_, choice.GetSelectedPrinterDC(), windowTitle(), 1, false, true);
  print.Print();
  choice.DeleteSelectedPrinterDC();
}

void DrillDialog::CmExport() {
  CPrintListView exporter(this, launcher_info_, view_, nullptr, windowTitle(), 1, false, true);
  exporter.PrintReport(CPrintListView::kSpreadsheet);
  last_export_ = Utf8(exporter.ExportedPath());
}

DrillDialog* ShowDrill(QWidget* parent, DrillResult result, ViewStyler style, long launcher_info,
                       DrillOpeners openers) {
  if (result.Refused()) {
    Say(parent, result.refused, QMessageBox::Information);
    return nullptr;
  }
  if (!result.outcome.Complete()) {
    Say(parent, result.outcome.message, QMessageBox::Warning);
    return nullptr;
  }
  auto* dialog = new DrillDialog(parent, std::move(result), std::move(style), launcher_info, std::move(openers));
  dialog->show();
  return dialog;
}

DrillMenuItem::DrillMenuItem(QenDialog* dialog) : QObject(dialog) {
  dialog->OnCommand(kCmDrillCell, [this] { Choose(); });
}

bool DrillMenuItem::Aim(const ListView* view, const QPoint& global_pos, DrillFn drill) {
  drill_ = nullptr;
  if (!view) return false;
  const QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(global_pos));
  if (!index.isValid() || IsBlankLine(*view->List(), index.row())) return false;
  row_ = index.row();
  column_ = index.column();
  drill_ = std::move(drill);
  return true;
}

void DrillMenuItem::Choose() {
  DrillFn drill = std::move(drill_);
  drill_ = nullptr;
  if (drill) drill(row_, column_);
}

DrillDialog* ShowDrillOn(QWidget* parent, DrillResult result, std::unique_ptr<GenDB> db, ViewStyler style,
                         long launcher_info, DrillOpeners openers) {
  openers.db = db.get();
  DrillDialog* shown = ShowDrill(parent, std::move(result), std::move(style), launcher_info, std::move(openers));
  if (shown != nullptr && db != nullptr) {
    GenDB* held = db.release();
    QObject::connect(shown, &QObject::destroyed, [held] { delete held; });
  }
  return shown;
}
