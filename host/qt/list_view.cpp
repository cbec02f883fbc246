#include "host/qt/list_view.h"

#include <QKeyEvent>

#include <QAbstractItemDelegate>
#include <QStyleOptionViewItem>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>
#include <algorithm>

namespace {

Qt::Alignment ToQt(ColumnAlign align) {
  switch (align) {
    case ColumnAlign::kRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnAlign::kCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case ColumnAlign::kLeft:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QFont EmphasisFont(QFont font) {
  font.setWeight(QFont::ExtraBold);  // the suite's weight 800
  return font;
}

}  // namespace

// --- ListModel ---------------------------------------------------------------

ListModel::ListModel(QenListWindow* list, QObject* parent)
    : QAbstractTableModel(parent), list_(list),
      column_count_(static_cast<int>(list->Columns().size())), row_count_(list->GetCount()),
      batching_(list->InBatch()), report_timer_(new QTimer(this)) {
  bold_font_ = EmphasisFont(normal_font_);
  report_timer_->setSingleShot(true);
  connect(report_timer_, &QTimer::timeout, this, &ListModel::ReportPendingRows);
  list_->AddObserver(this);
}

ListModel::~ListModel() { list_->RemoveObserver(this); }

void ListModel::SetRowStyleHook(std::function<RowStyle(int row)> hook) {
  row_hook_ = std::move(hook);
  RestyleAll();
}

void ListModel::SetCellStyleHook(std::function<void(int row, int column, RowStyle& style)> hook) {
  cell_hook_ = std::move(hook);
  RestyleAll();
}

void ListModel::SetFonts(const QFont& normal, const QFont& bold) {
  normal_font_ = normal;
  bold_font_ = bold;
  RestyleAll();
}

void ListModel::RestyleAll() {
  if (rowCount() > 0 && column_count_ > 0)
    emit dataChanged(index(0, 0), index(rowCount() - 1, column_count_ - 1));
}

RowStyle ListModel::StyleOf(int row, int column) const {
  RowStyle style;
  if (row_hook_) style = row_hook_(row);
  if (cell_hook_) cell_hook_(row, column, style);
  return style;
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : row_count_;
}

int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : column_count_;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row();
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
      std::string_view cell = list_->GetItemText(row, column);
      return QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
    }
    case Qt::CheckStateRole:
      if (column == 0 && list_->HasCheckBoxes())
        return list_->IsChecked(row) ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::TextAlignmentRole:
      if (column < static_cast<int>(list_->Columns().size()))
        return QVariant::fromValue(ToQt(list_->Columns()[column].align));
      return {};
    case Qt::FontRole:
      if ((row_hook_ || cell_hook_) && StyleOf(row, column).bold) return bold_font_;
      return {};
    case Qt::ForegroundRole:
      if (row_hook_ || cell_hook_) {
        QColor colour = StyleOf(row, column).text;
        if (colour.isValid()) return colour;
      }
      return {};
    case Qt::BackgroundRole:
      if (row_hook_ || cell_hook_) {
        QColor colour = StyleOf(row, column).background;
        if (colour.isValid()) return colour;
      }
      return {};
    default:
      return {};
  }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 ||
      section >= static_cast<int>(list_->Columns().size()))
    return {};
  const ListColumn& column = list_->Columns()[section];
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return QString::fromStdString(column.title);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ToQt(column.align));
  return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == 0 && list_->HasCheckBoxes()) f |= Qt::ItemIsUserCheckable;
  return f;
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 0 ||
      !list_->HasCheckBoxes())
    return false;
  const bool checked = value.toInt() == Qt::Checked;
  const int row = index.row();
  if (list_->IsChecked(row) == checked) return true;
  list_->Check(row, checked);
  emit UserChecked(row, checked);
  return true;
}

// Every change but a batched append first tells the views of the rows still
// pending, so that they see the changes in the order the store made them.
void ListModel::ReportPendingRows() {
  report_timer_->stop();
  if (pending_ == 0) return;
  const int first = row_count_;
  beginInsertRows(QModelIndex(), first, first + pending_ - 1);
  row_count_ += pending_;
  pending_ = 0;
  endInsertRows();
  since_report_.start();
}

void ListModel::BatchBegun() {
  batching_ = true;
  since_report_.invalidate();
}

void ListModel::BatchEnded() {
  batching_ = false;
  ReportPendingRows();
}

void ListModel::RowsAboutToBeInserted(int first, int count) {
  if (batching_ && first == list_->GetCount()) {
    appending_ = true;  // counted in RowsInserted, told later
    return;
  }
  ReportPendingRows();
  beginInsertRows(QModelIndex(), first, first + count - 1);
  in_insert_ = true;
}

void ListModel::RowsInserted(int first, int count) {
  if (appending_) {
    appending_ = false;
    pending_ += count;
    // The first rows of a batch as soon as the event loop runs, the next
    // ones at most every kBatchReportMs.
    if (!report_timer_->isActive()) {
      const qint64 since = since_report_.isValid() ? since_report_.elapsed() : kBatchReportMs;
      report_timer_->start(static_cast<int>(std::max<qint64>(0, kBatchReportMs - since)));
    }
    return;
  }
  if (!in_insert_) beginInsertRows(QModelIndex(), first, first + count - 1);
  in_insert_ = false;
  row_count_ += count;
  endInsertRows();
}

void ListModel::RowsAboutToBeRemoved(int first, int count) {
  ReportPendingRows();
  beginRemoveRows(QModelIndex(), first, first + count - 1);
  in_remove_ = true;
}

void ListModel::RowsRemoved(int first, int count) {
  if (!in_remove_) beginRemoveRows(QModelIndex(), first, first + count - 1);
  in_remove_ = false;
  row_count_ -= count;
  endRemoveRows();
}

void ListModel::RowChanged(int row) {
  ReportPendingRows();
  if (column_count_ > 0 && row < row_count_) emit dataChanged(index(row, 0), index(row, column_count_ - 1));
}

void ListModel::ListAboutToBeReset() {
  report_timer_->stop();
  pending_ = 0;  // the reset tells the views of every row
  beginResetModel();
  in_reset_ = true;
}

void ListModel::ListReset() {
  if (!in_reset_) beginResetModel();
  in_reset_ = false;
  pending_ = 0;
  row_count_ = list_->GetCount();
  endResetModel();
  // A reset drops the views' selection; the store may have kept one.
  if (list_->GetSelIndex() >= 0) emit StoreSelectionChanged(list_->GetSelIndex());
}

void ListModel::ColumnsChanged() {
  ReportPendingRows();
  const int now = static_cast<int>(list_->Columns().size());
  if (now > column_count_) {
    beginInsertColumns(QModelIndex(), column_count_, now - 1);
    column_count_ = now;
    endInsertColumns();
  } else if (now < column_count_) {
    beginRemoveColumns(QModelIndex(), now, column_count_ - 1);
    column_count_ = now;
    endRemoveColumns();
  }
  if (now > 0) {
    emit headerDataChanged(Qt::Horizontal, 0, now - 1);
    RestyleAll();
  }
  emit ColumnsReset();
}

void ListModel::SelectionChanged(int row) {
  ReportPendingRows();
  emit StoreSelectionChanged(row);
}

void ListModel::AdjustColumnsRequested() {
  ReportPendingRows();
  emit AdjustRequested();
}

// --- ListView ----------------------------------------------------------------

ListView::ListView(int id, QWidget* parent)
    : QTableView(parent), owned_(std::make_unique<QenListWindow>(id)), list_(owned_.get()),
      model_(new ListModel(list_, this)) {
  Init();
}

ListView::ListView(QenListWindow* list, QWidget* parent)
    : QTableView(parent), list_(list), model_(new ListModel(list_, this)) {
  Init();
}

ListView::~ListView() {
  // The model observes the list: detach it before an owned list goes, and
  // tell no one about the selection changes this causes.
  blockSignals(true);
  setModel(nullptr);
  delete model_;
}

void ListView::SetFullWidthRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  clearSpans();
  full_width_rows_ = std::move(rows);
  const int columns = static_cast<int>(list_->Columns().size());
  if (columns < 2) return;
  for (int r : full_width_rows_) {
    if (r >= 0 && r < model_->rowCount()) setSpan(r, 0, 1, columns);
  }
}

void ListView::Init() {
  setModel(model_);
  // Spans belong to the rows they were set on: a list cleared or refilled
  // has none.
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    full_width_rows_.clear();
    clearSpans();
  });
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setSortingEnabled(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  verticalHeader()->hide();
  // Uniform rows: a fixed section size means no per-row measuring, ever.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsMovable(false);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  bold_font_ = EmphasisFont(font());
  model_->SetFonts(font(), bold_font_);
  ApplyStyles();
  ApplyColumnWidths();

  connect(model_, &ListModel::ColumnsReset, this, [this] {
    content_width_.clear();
    ApplyStyles();
    ApplyColumnWidths();
  });
  connect(model_, &ListModel::AdjustRequested, this, &ListView::FitColumnsToWidth);
  connect(model_, &ListModel::StoreSelectionChanged, this, &ListView::SyncSelectionFromStore);
  connect(model_, &ListModel::UserChecked, this, &ListView::CheckChanged);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (syncing_) return;
    const QModelIndexList rows = selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.first().row();
    if (row == list_->GetSelIndex()) return;
    syncing_ = true;
    list_->SetSelIndex(row);
    syncing_ = false;
    emit SelectionChanged(row);
  });
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    emit RowDoubleClicked(index.row());
    emit CellActivated(index.row(), index.column());
  });
  if (list_->GetSelIndex() >= 0) SyncSelectionFromStore(list_->GetSelIndex());
}

void ListView::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
    emit CellActivated(currentIndex().row(), currentIndex().column());
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void ListView::ApplyStyles() {
  setShowGrid((list_->ExStyle() & 0x01) != 0);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

void ListView::SetBoldFont(const QFont& font) {
  bold_font_ = font;
  bold_font_set_ = true;
  model_->SetFonts(this->font(), bold_font_);
}

int ListView::CharsToPixels(int width_chars) const {
  return std::max(0, width_chars) * fontMetrics().averageCharWidth();
}

int ListView::ColumnPixels(int column) const {
  const std::vector<ListColumn>& columns = list_->Columns();
  if (column < 0 || column >= static_cast<int>(columns.size()) || columns[column].width_chars <= 0)
    return 0;
  // The item delegate keeps (focus frame margin + 1) free on each side.
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  int width = CharsToPixels(columns[column].width_chars) + 2 * margin;
  if (column < static_cast<int>(content_width_.size())) width = std::max(width, content_width_[column] + 2 * margin);
  // Never narrower than the column's title, even before any row is in.
  const int title = horizontalHeader()->fontMetrics().horizontalAdvance(QString::fromStdString(columns[column].title)) +
                    2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
  width = std::max(width, std::min(title, MaxColumnPixels()));
  if (column == 0 && list_->HasCheckBoxes())
    width += style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, this) + 2 * margin;
  return width;
}

int ListView::MaxColumnPixels() const { return std::max(CharsToPixels(48), 360); }

void ListView::FitColumnsToContents() {
  const std::vector<ListColumn>& columns = list_->Columns();
  const int count = static_cast<int>(columns.size());
  const int rows = list_->GetCount();
  // Every row of a list up to 5,000, else the first 2,000, the last 500
  // and an even sample between: the look-ups stay bounded on a million.
  std::vector<int> sample;
  if (rows <= 5000) {
    for (int r = 0; r < rows; ++r) sample.push_back(r);
  } else {
    for (int r = 0; r < 2000; ++r) sample.push_back(r);
    const int step = std::max(1, (rows - 2500) / 2500);
    for (int r = 2000; r < rows - 500; r += step) sample.push_back(r);
    for (int r = rows - 500; r < rows; ++r) sample.push_back(r);
  }
  // Measured as the view draws them: the delegate's size for the cell,
  // with the font and margins of its row (bold totals are wider).
  const QFontMetrics header(horizontalHeader()->font());
  const int header_extra = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  content_width_.assign(static_cast<size_t>(count), 0);
  for (int c = 0; c < count; ++c) {
    if (columns[c].width_chars <= 0) continue;
    int width = header.horizontalAdvance(QString::fromStdString(columns[c].title)) + header_extra;
    for (int r : sample) {
      if (list_->GetItemText(r, c).empty()) continue;
      if (std::binary_search(full_width_rows_.begin(), full_width_rows_.end(), r)) continue;
      const QModelIndex index = model_->index(r, c);
      width = std::max(width, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    // A very long text (a description) is elided past the maximum; its
    // tooltip shows it whole.
    content_width_[c] = std::min(width, MaxColumnPixels());
  }
  if (fit_to_width_) {
    FitColumnsToWidth();
  } else {
    for (int c = 0; c < count; ++c)
      if (columns[c].width_chars > 0) setColumnWidth(c, ColumnPixels(c));
  }
}

void ListView::ApplyColumnWidths() {
  fit_to_width_ = false;
  const std::vector<ListColumn>& columns = list_->Columns();
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    const int width = columns[c].width_chars;
    setColumnHidden(c, width <= 0);
    if (width > 0) setColumnWidth(c, ColumnPixels(c));
  }
}

void ListView::FitColumnsToWidth() {
  fit_to_width_ = true;
  const std::vector<ListColumn>& columns = list_->Columns();
  const int count = static_cast<int>(columns.size());
  int total_chars = 0;
  int natural = 0;
  for (int c = 0; c < count; ++c) {
    total_chars += std::max(0, columns[c].width_chars);
    natural += ColumnPixels(c);
  }
  if (total_chars == 0) return;
  const int available = viewport()->width();
  if (available <= natural) {
    // Narrower than the columns' own widths: keep those and scroll.
    for (int c = 0; c < count; ++c)
      if (columns[c].width_chars > 0) setColumnWidth(c, ColumnPixels(c));
    return;
  }
  // Each column gets its own width plus a share of the spare room in
  // proportion to its characters; the last one takes the rounding.
  const long long spare = available - natural;
  int used = 0;
  int last = -1;
  for (int c = 0; c < count; ++c) {
    if (columns[c].width_chars <= 0) continue;
    const int width = ColumnPixels(c) + static_cast<int>(spare * columns[c].width_chars / total_chars);
    setColumnWidth(c, width);
    used += width;
    last = c;
  }
  if (last >= 0) setColumnWidth(last, columnWidth(last) + available - used);
}

void ListView::SetHeaderVisible(bool visible) { horizontalHeader()->setVisible(visible); }

void ListView::SyncSelectionFromStore(int row) {
  if (syncing_) return;
  syncing_ = true;
  if (row < 0 || row >= model_->rowCount()) {
    selectionModel()->clearSelection();
  } else {
    const QModelIndex index = model_->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
  }
  syncing_ = false;
  emit SelectionChanged(row < 0 || row >= model_->rowCount() ? -1 : row);
}

void ListView::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    if (!bold_font_set_) bold_font_ = EmphasisFont(font());
    model_->SetFonts(font(), bold_font_);
    ApplyStyles();
    if (fit_to_width_) FitColumnsToWidth();
    else ApplyColumnWidths();
  }
}

void ListView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  if (fit_to_width_) FitColumnsToWidth();
}
