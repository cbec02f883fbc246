// DrillDialog: the window of the rows behind a figure (lists/drill.h).
//
// Opened by a double-click (or Enter) on a cell of a result list: titled with
// what was drilled, it shows the rows in the list view every list uses, with
// the list tools: a filter ("Filtre :", the rows that contain its text;
// headings and totals are left out while it is set), "&Imprimer Liste"
// (printer choice, then the printout of the rows shown, titled with the
// window's text), "&Exporter à Excel" (a workbook of the rows shown, in the
// spreadsheet folder), "&Graphique" (a chart of the rows shown: counted or
// added up by one of the drill's measures, along a column; DrillGraphDialog),
// and the row count ("12 lignes sur 194"). A drill window's own cells drill
// further when the drill gave its rows one (DrillResult::further): a
// detailed audit row opens its record's history; a row naming a patient (an
// appointment, a production item, a patient) the history of the patient's
// file, when the tab was handed the means (DrillOpeners::history).
//
//   ShowDrill(this, DrillAuditCell(...), InstallAuditRowEmphasis, launcher_info);
//
// A refused cell (a label, a blank line) gives one message and no window; a
// failed run its outcome, as every run does (QenDialog::ShowOutcome).
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lists/drill.h"
#include "lists/list_style.h"

class GenDB;
class ListView;
// Gives a drill window's view the row styles of the list its rows come from
// (empty: total rows and group headings in bold).
using ViewStyler = std::function<void(ListView*)>;
// Opens the record a drilled row stands for (DrillResult::record_of) in its
// editor.
using RecordOpener = std::function<void(long id)>;
// What a drill window's rows open besides their own drills, handed in by the
// tab (and to the tab by the program):
//   record   a row that stands for a record (a goal row: the goal editor)
//   history  a row that names a patient (DrillResult::row_patients): the
//            audit history of the patient's file, in a drill window
class DrillDialog;
// Opens the audit history of a patient's file (patient id, the patient's
// cell as the row shows it, "Roy, Anne (12)") in a drill window over
// parent, read from db (null: the application's database); returns it
// (null when none opened).
using HistoryOpener =
    std::function<DrillDialog*(QWidget* parent, GenDB* db, long patient_id, const std::string& patient_text)>;
struct DrillOpeners {
  RecordOpener record;
  HistoryOpener history;
  // Where the rows were read when it is not the application's database (a
  // clinic of a dental group): a patient they name is that clinic's, so
  // the history is read there. It must outlive the drill windows.
  GenDB* db = nullptr;
};

class ListView;
class QLabel;
class QLineEdit;
class QPoint;
class QenDialog;

class DrillDialog : public QDialog {
  Q_OBJECT
 public:
  DrillDialog(QWidget* parent, DrillResult result, ViewStyler style, long launcher_info,
              DrillOpeners openers = {});
  ~DrillDialog() override;

  const DrillResult& Result() const { return result_; }
  ListView* View() const { return view_; }
  // Shows the rows whose text contains text (any case; empty: every row).
  void SetFilter(const QString& text);
  // The commands of the buttons (public for the tests). CmGraph: the chart
  // of the rows shown (DrillGraphDialog), modal.
  void CmGraph();
  void CmPrint();
  void CmExport();
  // The last export's path ("" before one).
  QString LastExport() const { return last_export_; }
  // What a double-click (or Enter) on shown row, column opens: the row's
  // record in its editor, its further drill, or its patient's history (the
  // new drill window, null when none opened).
  DrillDialog* Activate(int shown_row, int column);

 private:
  DrillResult result_;
  ViewStyler style_;
  long launcher_info_;
  DrillOpeners openers_;
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
// A double-click on a row that stands for a record calls openers.record, on
// a row naming a patient openers.history.
DrillDialog* ShowDrill(QWidget* parent, DrillResult result, ViewStyler style, long launcher_info,
                       DrillOpeners openers = {});
// ShowDrill of a result read on db, a connection of its own (a clinic's of
// a dental group): the window keeps db as long as it lives, and a patient
// its rows name has her history read there (openers.db). db is dropped
// when no window opens.
DrillDialog* ShowDrillOn(QWidget* parent, DrillResult result, std::unique_ptr<GenDB> db, ViewStyler style,
                         long launcher_info, DrillOpeners openers = {});
