// DrillDialog: the window of the rows behind a figure (lists/drill.h).
//
// Opened by a double-click (or Enter) on a cell of a result list: titled with
// what was drilled, it shows the rows in the list view every list uses, with
// the list tools: a filter ("Filtre :", the rows that contain its text;
// headings and totals are left out while it is set), "&Imprimer Liste"
// (printer choice, then the printout of the rows shown, titled with the
// window's text), "&Exporter à Excel" (a workbook of the rows shown, in the
// spreadsheet folder), and the row count ("12 lignes sur 194"). A drill window's own cells drill
// further when the drill gave its rows one (DrillResult::further): a
// detailed audit row opens its record's history.
//
//   ShowDrill(this, DrillAuditCell(...), InstallAuditRowEmphasis, launcher_info);
//
// A refused cell (a label, a blank line) gives one message and no window; a
// failed run its outcome, as every run does (QenDialog::ShowOutcome).
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "lists/drill.h"
#include "lists/list_style.h"

class ListView;
// Gives a drill window's view the row styles of the list its rows come from
// (empty: total rows and group headings in bold).
using ViewStyler = std::function<void(ListView*)>;
// Opens the record a drilled row stands for (DrillResult::record_of) in its
// editor.
using RecordOpener = std::function<void(long id)>;

class ListView;
class QLabel;
class QLineEdit;
class QPoint;
class QenDialog;

class DrillDialog : public QDialog {
  Q_OBJECT
 public:
  DrillDialog(QWidget* parent, DrillResult result, ViewStyler style, long launcher_info,
              RecordOpener open_record = {});
  ~DrillDialog() override;

  const DrillResult& Result() const { return result_; }
  ListView* View() const { return view_; }
  // Shows the rows whose text contains text (any case; empty: every row).
  void SetFilter(const QString& text);
  // The commands of the buttons (public for the tests).
  void CmPrint();
  void CmExport();
  // The last export's path ("" before one).
  QString LastExport() const { return last_export_; }

 private:
  DrillResult result_;
  ViewStyler style_;
  long launcher_info_;
  RecordOpener open_record_;
  std::unique_ptr<QenListWindow> shown_;  // the rows the filter lets through
  std::vector<int> origin_;                // shown row -> row of result_.list
  ListView* view_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QLabel* count_ = nullptr;
  QString last_export_;
};

// The "Détails…" item of a result list's right-click menu (lists/list_menu.h):
// before the menu opens, Aim notes the cell under the click; choosing the
// item drills that cell as a double-click on it would.
//
//   drill_item_ = new DrillMenuItem(this);
//   state.on_cell = drill_item_->Aim(view, global_pos, [this](int r, int c) { DrillCell(r, c); });
class DrillMenuItem : public QObject {
  Q_OBJECT
 public:
  using DrillFn = std::function<void(int row, int column)>;
  // Handles the item's command (kCmDrillCell) of dialog; a child of dialog.
  explicit DrillMenuItem(QenDialog* dialog);
  // Keeps the cell of view under global_pos with drill; false, and nothing
  // kept, when the point is on no cell or on a blank line.
  bool Aim(const ListView* view, const QPoint& global_pos, DrillFn drill);
  // The command: drills the cell kept by the last Aim, once.
  void Choose();

 private:
  int row_ = -1;
  int column_ = -1;
  DrillFn drill_;
};

// Shows result: a message for a refused cell or a failed run, else a new
// DrillDialog (non-modal, deleted when closed), returned (null when none).
// A double-click on a row that stands for a record calls open_record.
DrillDialog* ShowDrill(QWidget* parent, DrillResult result, ViewStyler style, long launcher_info,
                       RecordOpener open_record = {});
