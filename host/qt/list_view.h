// ListView: the suite's list-view control over a QenListWindow row store.
//
// ListModel is a thin QAbstractTableModel that observes one QenListWindow:
// row and column counts come from the store, data() cuts the one cell asked
// for and nothing else (no per-row work on reset, no caching of texts), so a
// million-row list opens as fast as a ten-row one. During a batch of the
// store (ListBatch around a generation) rows appended at the end are told
// to the views in a few large steps: when the event loop runs (the progress
// meter keeps it running), at most every kBatchReportMs after the first
// step, before any other change, and all of them when the batch ends. Until
// then rowCount() is the count the views were told. ListView is a QTableView
// with the suite's look: report mode, single full-row selection kept in
// step with QenListWindow::SetSelIndex/GetSelIndex, uniform row heights,
// check boxes in column 0 when the list has the check-box style, column
// widths in average character widths, grid lines from the extended style.
//
// Colours and fonts come from one hook per list (never from the painter):
//   view->SetRowStyleHook([list](int row) {
//     RowStyle s; s.bold = list->GetItemData(row) == -1; return s; });
//   view->SetCellStyleHook([&](int row, int col, RowStyle& s) {
//     if (col == 3) s.background = QColor(255, 200, 200); });
// The row hook runs first, then the cell hook may amend its answer. Hooks
// are called while painting: keep them to reading the store.
//
// Ownership: a ListView built with an id owns its QenListWindow; one built
// over an existing list does not (the list must outlive the view).
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QTableView>
#include <QTimer>
#include <functional>
#include <memory>

#include "host/list_window.h"

// How a row (or a cell) is drawn. Invalid colours keep the view's defaults.
struct RowStyle {
  bool bold = false;   // the emphasis font (ListView::BoldFont)
  QColor text;         // text colour
  QColor background;   // cell background
};

class ListModel : public QAbstractTableModel, public ListObserver {
  Q_OBJECT
 public:
  // Observes list (not owned; must outlive the model or be detached first).
  explicit ListModel(QenListWindow* list, QObject* parent = nullptr);
  ~ListModel() override;

  QenListWindow* List() const { return list_; }

  void SetRowStyleHook(std::function<RowStyle(int row)> hook);
  void SetCellStyleHook(std::function<void(int row, int column, RowStyle& style)> hook);
  void SetFonts(const QFont& normal, const QFont& bold);
  // Asks the views to repaint every cell (after a page changed what its
  // hooks answer, e.g. new colour options).
  void RestyleAll();
  // The style of a cell as the hooks give it (default style without hooks).
  RowStyle StyleOf(int row, int column) const;

  // QAbstractTableModel
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // ListObserver
  void RowsAboutToBeInserted(int first, int count) override;
  void RowsInserted(int first, int count) override;
  void RowsAboutToBeRemoved(int first, int count) override;
  void RowsRemoved(int first, int count) override;
  void RowChanged(int row) override;
  void ListAboutToBeReset() override;
  void ListReset() override;
  void ColumnsChanged() override;
  void SelectionChanged(int row) override;
  void AdjustColumnsRequested() override;
  void BatchBegun() override;
  void BatchEnded() override;

  // Tells the views of the rows appended in the current batch and not told
  // yet (done by itself; public for code that reads the views in a batch).
  void ReportPendingRows();
  // Rows appended in the current batch that the views do not know of yet.
  int PendingRows() const { return pending_; }

  static constexpr int kBatchReportMs = 250;

 signals:
  void ColumnsReset();
  void StoreSelectionChanged(int row);
  void AdjustRequested();
  // A check box changed through the view (not through QenListWindow::Check).
  void UserChecked(int row, bool checked);

 private:
  QenListWindow* list_;
  std::function<RowStyle(int)> row_hook_;
  std::function<void(int, int, RowStyle&)> cell_hook_;
  QFont normal_font_;
  QFont bold_font_;
  bool in_reset_ = false;
  bool in_insert_ = false;
  bool in_remove_ = false;
  int column_count_ = 0;  // as last reported to the views
  int row_count_ = 0;     // as last reported to the views
  // Batches: appended rows not reported yet, and when they will be.
  bool batching_ = false;
  bool appending_ = false;
  int pending_ = 0;
  QTimer* report_timer_ = nullptr;
  QElapsedTimer since_report_;
};

class ListView : public QTableView {
  Q_OBJECT
 public:
  // A view owning a new, empty QenListWindow with this control id.
  explicit ListView(int id, QWidget* parent = nullptr);
  // A view over an existing list (not owned).
  explicit ListView(QenListWindow* list, QWidget* parent = nullptr);
  ~ListView() override;

  int Id() const { return list_->Id(); }
  QenListWindow* List() const { return list_; }
  ListModel* Model() const { return model_; }

  void SetRowStyleHook(std::function<RowStyle(int row)> hook) { model_->SetRowStyleHook(std::move(hook)); }
  void SetCellStyleHook(std::function<void(int row, int column, RowStyle& style)> hook) {
    model_->SetCellStyleHook(std::move(hook));
  }
  // The emphasis font ("Helv", height -10, weight 800 in the suite): the
  // view's font made extra bold unless set otherwise.
  QFont BoldFont() const { return bold_font_; }
  void SetBoldFont(const QFont& font);

  // Pixel width of width_chars average character widths in the view's font.
  int CharsToPixels(int width_chars) const;
  // Pixel width of a column: its characters plus the cell's text margins
  // (and the check box in column 0 of a check-box list); 0 for width 0.
  int ColumnPixels(int column) const;
  // Widens each column to its widest text, its title included (at most
  // MaxColumnPixels; a longer text is elided and its tooltip shows it
  // whole), and keeps those widths as the columns' least until the columns
  // change: the widths of FitColumnsToWidth and ApplyColumnWidths never go
  // below them. The tabs call it after each generation.
  void FitColumnsToContents();
  int MaxColumnPixels() const;
  // Re-applies the store's column widths (called on column changes).
  void ApplyColumnWidths();
  // Spreads the viewport width over the columns in proportion to their
  // widths in characters (zero-width columns stay hidden).
  void FitColumnsToWidth();
  void SetHeaderVisible(bool visible);
  // Rows drawn across every column (the clinics' headings of a group's
  // list): their first cell spans the row, and FitColumnsToContents does
  // not measure them, so a long heading widens no column. Forgotten when
  // the list is cleared or refilled.
  void SetFullWidthRows(std::vector<int> rows);
  // Row -1 clears. Same as List()->SetSelIndex(row).
  void SetSelIndex(int row) { list_->SetSelIndex(row); }
  int GetSelIndex() const { return list_->GetSelIndex(); }

 signals:
  // The selected row changed (by the user or by SetSelIndex); -1 = none.
  void SelectionChanged(int row);
  // The user ticked or cleared the check box of row.
  void CheckChanged(int row, bool checked);
  void RowDoubleClicked(int row);
  // The user asked for what lies behind a cell: a double-click on it, or
  // Enter on the current cell.
  void CellActivated(int row, int column);

 protected:
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Init();
  void ApplyStyles();
  void SyncSelectionFromStore(int row);

  std::unique_ptr<QenListWindow> owned_;
  QenListWindow* list_;
  ListModel* model_;
  QFont bold_font_;
  bool bold_font_set_ = false;
  bool syncing_ = false;
  bool fit_to_width_ = false;
  std::vector<int> full_width_rows_;  // SetFullWidthRows', sorted
  std::vector<int> content_width_;  // FitColumnsToContents' measures, pixels  // AdjustColumns asked; kept until the columns change
};
