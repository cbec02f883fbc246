// The suite's Qt window classes: list view and model, dialog bases and their
// response tables, field transfer, tab control, progress meter.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <stdexcept>

#include "host/list_layout.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"
#include "host/qt/qen_dialog.h"
#include "host/qt/qt_meter.h"
#include "host/qt/render.h"
#include "host/qt/tab_ctrl.h"
#include "host/strings.h"

namespace {

QString Cell(const ListModel* m, int row, int column, int role = Qt::DisplayRole) {
  return m->data(m->index(row, column), role).toString();
}

// Records every prompt and answers with `answer`.
struct Prompts {
  QStringList texts;
  QMessageBox::StandardButton answer = QMessageBox::Ok;
  ScopedPromptHook hook{[this](const PromptRequest& r) {
    texts << r.text;
    return answer;
  }};
};

// --- list view ----------------------------------------------------------------

TEST(ListViewTest, CheckBoxesAndSelectionFollowTheStore) {
  ListView view(108);
  QenListWindow* list = view.List();
  ASSERT_TRUE(LoadDialogListRes(list, 2001, 108));
  list->AddString("Tous", 0);
  list->AddString("MARIE", 4);
  list->AddString("SOPHIE", 7);
  const ListModel* m = view.Model();
  ASSERT_EQ(3, m->rowCount());
  ASSERT_EQ(1, m->columnCount());
  EXPECT_EQ("SOPHIE", Cell(m, 2, 0));
  EXPECT_TRUE(m->flags(m->index(0, 0)) & Qt::ItemIsUserCheckable);

  // The view ticks: the store and the listeners hear it.
  std::vector<int> checks;
  QObject::connect(&view, &ListView::CheckChanged, [&](int row, bool) { checks.push_back(row); });
  ASSERT_TRUE(view.model()->setData(m->index(1, 0), Qt::Checked, Qt::CheckStateRole));
  EXPECT_TRUE(list->IsChecked(1));
  EXPECT_EQ(std::vector<int>{1}, checks);
  // The store ticks: the model answers with the new state.
  list->Check(2, true);
  EXPECT_EQ(Qt::Checked, m->data(m->index(2, 0), Qt::CheckStateRole).toInt());
  EXPECT_EQ(Qt::Unchecked, m->data(m->index(0, 0), Qt::CheckStateRole).toInt());

  std::vector<int> selections;
  QObject::connect(&view, &ListView::SelectionChanged, [&](int row) { selections.push_back(row); });
  view.selectRow(2);
  EXPECT_EQ(2, list->GetSelIndex());
  list->SetSelIndex(1);
  ASSERT_EQ(1, view.selectionModel()->selectedRows().size());
  EXPECT_EQ(1, view.selectionModel()->selectedRows()[0].row());
  list->SetSelIndex(-1);
  EXPECT_TRUE(view.selectionModel()->selectedRows().isEmpty());
  EXPECT_EQ(std::vector<int>({2, 1, -1}), selections);
}

TEST(ListViewTest, ResultListHasNoCheckBoxes) {
  ListView view(300);
  ASSERT_TRUE(view.List()->LoadRes(300));
  view.List()->AddString("2026-03-14\t13:05", 1);
  const ListModel* m = view.Model();
  EXPECT_FALSE(m->flags(m->index(0, 0)) & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(m->data(m->index(0, 0), Qt::CheckStateRole).isValid());
  EXPECT_EQ(QString::fromUtf8(HostString(10040)), m->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString());
  EXPECT_TRUE(view.showGrid());
  // Styles changed after the view exists reach it.
  view.List()->SetStyles(0x98, kLvExCheckBoxes | kLvExFullRowSelect);
  EXPECT_TRUE(m->flags(m->index(0, 0)) & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(view.showGrid());
}

TEST(ListViewTest, RowsChangedAfterTheViewExists) {
  QenListWindow list(5111);
  list.AddColumn("A", 5);
  list.AddColumn("B", 5, ColumnAlign::kRight);
  ListView view(&list);
  const ListModel* m = view.Model();
  EXPECT_EQ(0, m->rowCount());
  list.AddString("r1\t1", 1);
  list.AddString("r3\t3", 3);
  list.InsertString("r2\t2", 1, 2);
  ASSERT_EQ(3, m->rowCount());
  EXPECT_EQ("r2", Cell(m, 1, 0));
  EXPECT_EQ("3", Cell(m, 2, 1));
  EXPECT_EQ(int(Qt::AlignRight | Qt::AlignVCenter), m->data(m->index(0, 1), Qt::TextAlignmentRole).toInt());
  list.SetString(0, "R1\t10");
  EXPECT_EQ("10", Cell(m, 0, 1));
  list.DeleteString(1);
  EXPECT_EQ(2, m->rowCount());
  EXPECT_EQ("r3", Cell(m, 1, 0));

  // A filter with many runs resets the view; the store's selection comes back.
  for (int i = 0; i < 100; ++i) list.AddString("x" + std::to_string(i), i);
  list.SetSelIndex(60);  // "x58"
  list.DeleteRowsIf([](int i) { return i >= 2 && i % 2 == 1; });
  EXPECT_EQ(list.GetCount(), m->rowCount());
  ASSERT_EQ(1, view.selectionModel()->selectedRows().size());
  EXPECT_EQ(list.GetSelIndex(), view.selectionModel()->selectedRows()[0].row());
  EXPECT_EQ("x58", Cell(m, list.GetSelIndex(), 0));

  list.AddColumn("C", 4);
  EXPECT_EQ(3, m->columnCount());
  list.DeleteAColumn(0);
  EXPECT_EQ(2, m->columnCount());
  list.ClearList();
  EXPECT_EQ(0, m->rowCount());
}

// In a batch, rows appended at the end reach the views in a few steps: when
// the event loop runs, before any other change, and at the end of the batch.
TEST(ListViewTest, BatchedAppendsReachTheViewsInSteps) {
  QenListWindow list(300);
  list.AddColumn("A", 5);
  list.AddString("before", 1);
  ListView view(&list);
  view.resize(300, 200);
  view.show();
  const ListModel* m = view.Model();
  int inserted_signals = 0;
  int inserted_rows = 0;
  QObject::connect(m, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int last) {
    ++inserted_signals;
    inserted_rows += last - first + 1;
  });
  auto consistent = [&] {
    // The views know of exactly rowCount() rows, and each reads as stored.
    if (m->rowCount() + m->PendingRows() != list.GetCount()) return false;
    for (int r = 0; r < m->rowCount(); ++r)
      if (Cell(m, r, 0).toStdString() != list.GetItemText(r, 0)) return false;
    return true;
  };
  {
    ListBatch batch(&list);
    for (int i = 0; i < 1000; ++i) list.AddString("r" + std::to_string(i), i + 2);
    EXPECT_EQ(1, m->rowCount()) << "nothing told before the event loop runs";
    EXPECT_EQ(1000, m->PendingRows());
    QApplication::processEvents();  // the first step comes at once
    EXPECT_EQ(1001, m->rowCount());
    EXPECT_EQ(1, inserted_signals);
    EXPECT_EQ(1000, inserted_rows);
    for (int i = 0; i < 500; ++i) list.AddString("s" + std::to_string(i), i);
    // Any other change tells the pending rows first.
    list.InsertString("middle", 1, 99);
    EXPECT_EQ(1502, m->rowCount());
    EXPECT_EQ("middle", Cell(m, 1, 0));
    EXPECT_TRUE(consistent());
    for (int i = 0; i < 10; ++i) list.AddString("t" + std::to_string(i), i);
    list.SetSelIndex(1510);
    EXPECT_EQ(1512, m->rowCount());
    ASSERT_EQ(1, view.selectionModel()->selectedRows().size());
    EXPECT_EQ(1510, view.selectionModel()->selectedRows()[0].row());
    for (int i = 0; i < 10; ++i) list.AddString("u" + std::to_string(i), i);
    list.DeleteString(0);
    EXPECT_TRUE(consistent());
    list.AddString("last", 7);
    EXPECT_EQ(1, m->PendingRows());
  }
  EXPECT_EQ(0, m->PendingRows()) << "the end of the batch tells the rest";
  EXPECT_EQ(list.GetCount(), m->rowCount());
  EXPECT_EQ("last", Cell(m, m->rowCount() - 1, 0));
  EXPECT_LE(inserted_signals, 6);
  // A clear in a batch drops what was pending.
  {
    ListBatch batch(&list);
    list.AddString("gone", 1);
    list.ClearList();
    EXPECT_EQ(0, m->rowCount());
    list.AddString("kept", 1);
  }
  EXPECT_EQ(1, m->rowCount());
  EXPECT_EQ("kept", Cell(m, 0, 0));
  // Outside a batch every row is told at once.
  list.AddString("now", 2);
  EXPECT_EQ(2, m->rowCount());
}

TEST(ListViewTest, StyleHooks) {
  ListView view(300);
  QenListWindow* list = view.List();
  ASSERT_TRUE(list->LoadRes(301));
  list->AddString("2026-03-14\t\tMARIE\tPatients\tAjout\t3", 1);
  list->AddString("Total:\t\t\t\t\t3", -1);
  view.SetRowStyleHook([list](int row) {
    RowStyle s;
    s.bold = list->GetItemData(row) == -1;
    return s;
  });
  view.SetCellStyleHook([](int row, int column, RowStyle& s) {
    if (row == 0 && column == 5) s.background = QColor(255, 0, 0);
    if (column == 0) s.text = QColor(0, 0, 255);
  });
  const ListModel* m = view.Model();
  const QFont bold = m->data(m->index(1, 2), Qt::FontRole).value<QFont>();
  EXPECT_EQ(QFont::ExtraBold, bold.weight());
  EXPECT_FALSE(m->data(m->index(0, 2), Qt::FontRole).isValid()) << "detail rows keep the list's font";
  EXPECT_EQ(QColor(255, 0, 0), m->data(m->index(0, 5), Qt::BackgroundRole).value<QColor>());
  EXPECT_FALSE(m->data(m->index(1, 5), Qt::BackgroundRole).isValid());
  EXPECT_EQ(QColor(0, 0, 255), m->data(m->index(1, 0), Qt::ForegroundRole).value<QColor>());
  EXPECT_FALSE(m->data(m->index(1, 1), Qt::ForegroundRole).isValid());
}

TEST(ListViewTest, ColumnWidthsInAverageCharacters) {
  ListView view(300);
  ASSERT_TRUE(view.List()->LoadRes(300));
  const int avg = view.fontMetrics().averageCharWidth();
  EXPECT_GE(view.columnWidth(6) - view.columnWidth(0), 10 * avg) << "16 and 5 characters";
  for (int c = 0; c < 8; ++c) {
    const QString title = QString::fromStdString(view.List()->Columns()[c].title);
    EXPECT_GT(view.columnWidth(c), view.horizontalHeader()->fontMetrics().horizontalAdvance(title))
        << "the title of column " << c << " is whole before any row is in";
  }
  ListView checks(108);
  ASSERT_TRUE(LoadDialogListRes(checks.List(), 2001, 109));  // one column of 8, check boxes
  ListView plain(108);
  plain.List()->AddColumn("Module", 8);
  EXPECT_GT(checks.columnWidth(0), plain.columnWidth(0)) << "room for the check box";
  view.List()->SetColumnWidth(7, 0);
  EXPECT_TRUE(view.isColumnHidden(7));

  view.resize(1200, 300);
  view.show();
  view.List()->AdjustColumns();
  int total = 0;
  for (int c = 0; c < 7; ++c) total += view.columnWidth(c);
  EXPECT_EQ(view.viewport()->width(), total);
  EXPECT_GT(view.columnWidth(6), 3 * view.columnWidth(0)) << "in proportion to 16 and 5";
  view.resize(1400, 300);  // keeps fitting after AdjustColumns
  total = 0;
  for (int c = 0; c < 7; ++c) total += view.columnWidth(c);
  EXPECT_EQ(view.viewport()->width(), total);
}

// After a generation the columns take their texts' widths, bold rows and
// titles included, and keep them when the window spreads the columns; a
// text past the maximum is elided, its tooltip whole.
TEST(ListViewTest, ColumnsFitTheirContents) {
  ListView view(5111);
  view.List()->SetColumns({{"Action", 4, ColumnAlign::kLeft}, {"D01", 4, ColumnAlign::kLeft},
                           {"Remarque", 4, ColumnAlign::kLeft}});
  const std::string remark(300, 'x');
  view.List()->AddString(" \t137.67H/166.00H  (82.93%) \t" + remark, 1);
  view.List()->AddString("Non Planifié \t145.33H/174.00H  (83.52%) \tcourt", 2);
  view.SetRowStyleHook([](int row) {
    RowStyle s;
    s.bold = row == 1;  // the totals row
    return s;
  });
  view.resize(400, 300);
  view.show();
  view.FitColumnsToContents();
  const QFontMetrics bold(view.BoldFont());
  EXPECT_GT(view.columnWidth(0), bold.horizontalAdvance(QStringLiteral("Non Planifié")));
  EXPECT_GT(view.columnWidth(1), bold.horizontalAdvance(QStringLiteral("145.33H/174.00H  (83.52%)")));
  EXPECT_LE(view.columnWidth(2), view.MaxColumnPixels() + 16) << "a long text stops at the maximum";
  EXPECT_EQ(view.Model()->data(view.Model()->index(0, 2), Qt::ToolTipRole).toString().trimmed(),
            QString::fromStdString(remark));
  const int usage = view.columnWidth(1);
  view.List()->AdjustColumns();  // spread over a narrow window: nothing shrinks
  EXPECT_GE(view.columnWidth(1), usage);
  view.resize(1600, 300);
  EXPECT_GE(view.columnWidth(1), usage);
}

// A full-width row (a group's clinic heading) spans the row and widens no
// column; a list cleared and refilled has no such row any more.
TEST(ListViewTest, FullWidthRowsSpanAndAreNotMeasured) {
  ListView view(5111);
  view.List()->SetColumns({{"Producteur", 4, ColumnAlign::kLeft}, {"NOV", 4, ColumnAlign::kLeft}});
  const QString heading = QStringLiteral("Cabinet c1 — Clinique dentaire du Boulevard, la plus longue");
  view.List()->AddString(heading.toStdString(), 0);
  view.List()->AddString("D01 \t62441.50/68100 (92%)", 1);
  view.resize(800, 300);
  view.show();
  view.SetFullWidthRows({0});
  view.FitColumnsToContents();
  EXPECT_EQ(2, view.columnSpan(0, 0));
  EXPECT_EQ(1, view.columnSpan(1, 0));
  EXPECT_LT(view.columnWidth(0), view.fontMetrics().horizontalAdvance(heading));
  view.List()->ClearList();
  view.List()->AddString(heading.toStdString(), 0);
  view.FitColumnsToContents();
  EXPECT_EQ(1, view.columnSpan(0, 0));
  EXPECT_GT(view.columnWidth(0), view.fontMetrics().horizontalAdvance(heading));
}

// --- dialogs and fields ---------------------------------------------------------

struct Options {
  long from = 20260105;
  long to = 20260214;
  char source = 'H';
  char track = 'Y';
  short pct = 75;
  int diff = -20;
  long goal = 1234567;  // cents
  char year[5] = "2026";
};

class OptionsDialog : public TGenDlg {
 public:
  explicit OptionsDialog(Options* o, QWidget* parent = nullptr) : TGenDlg(parent, 2001, 77) {
    auto* layout = new QVBoxLayout(this);
    from = new TDateField(this, 105, &o->from);
    to = new TDateField(this, 106, &o->to);
    current = new TMultButton(this, 111, &o->source, 'A', "Courant");
    archived = new TMultButton(this, 112, &o->source, 'H', "Archivé");
    both = new TMultButton(this, 113, &o->source, 'B', "Les deux");
    track = new TRegButton(this, 115, &o->track, "Module de trace Entrées/Sorties?");
    pct = new TSpinField(this, 133, &o->pct, 0, 150);
    diff = new TSpinField(this, 140, &o->diff, -2000, 2000);
    goal = new TAmount(this, 173, &o->goal);
    year = new TRegEdit(this, 114, o->year, 5);
    for (QWidget* w : std::initializer_list<QWidget*>{from, to, current, archived, both, track, pct,
                                                      diff, goal, year})
      layout->addWidget(w);
  }
  TDateField* from;
  TDateField* to;
  TMultButton* current;
  TMultButton* archived;
  TMultButton* both;
  TRegButton* track;
  TSpinField* pct;
  TSpinField* diff;
  TAmount* goal;
  TRegEdit* year;
};

QLineEdit* SpinText(QSpinBox* spin) { return spin->findChild<QLineEdit*>(); }

TEST(FieldsTest, RoundTrip) {
  Options o;
  OptionsDialog dlg(&o);
  ASSERT_TRUE(dlg.UpdateDialog(1));
  EXPECT_EQ("2026-01-05", dlg.from->text());
  EXPECT_TRUE(dlg.archived->isChecked());
  EXPECT_FALSE(dlg.current->isChecked());
  EXPECT_TRUE(dlg.track->isChecked());
  EXPECT_EQ(75, dlg.pct->value());
  EXPECT_EQ("12345.67", dlg.goal->text());
  EXPECT_EQ("2026", dlg.year->text());
  EXPECT_FALSE(dlg.AnyDlgChanges());

  dlg.to->setText("20261231");
  dlg.both->setChecked(true);
  dlg.track->setChecked(false);
  dlg.pct->setValue(150);
  dlg.diff->setValue(-2000);
  dlg.goal->setText("$1 000,5");
  dlg.year->setText("2027");
  EXPECT_TRUE(dlg.AnyDlgChanges());
  ASSERT_TRUE(dlg.UpdateDialog(0));
  EXPECT_EQ(20260105, o.from);
  EXPECT_EQ(20261231, o.to);
  EXPECT_EQ('B', o.source);
  EXPECT_EQ('N', o.track);
  EXPECT_EQ(150, o.pct);
  EXPECT_EQ(-2000, o.diff);
  EXPECT_EQ(100050, o.goal);
  EXPECT_STREQ("2027", o.year);
}

TEST(FieldsTest, InvalidValuesAreRefusedAndNothingIsStored) {
  struct Case {
    const char* name;
    std::function<void(OptionsDialog&)> edit;
    const char* message_part;
  };
  const std::vector<Case> cases = {
      {"30 February", [](OptionsDialog& d) { d.to->setText("2026-02-30"); }, "Date invalide"},
      {"letters in date", [](OptionsDialog& d) { d.from->setText("2026-1"); }, "AAAA-MM-JJ"},
      {"spin above maximum", [](OptionsDialog& d) { SpinText(d.pct)->setText("151"); }, "de 0 à 150"},
      {"amount with three decimals", [](OptionsDialog& d) { d.goal->setText("1.234"); }, "Montant invalide"},
  };
  for (const Case& c : cases) {
    Options o;
    OptionsDialog dlg(&o);
    dlg.UpdateDialog(1);
    dlg.both->setChecked(true);  // a valid change that must not be stored either
    c.edit(dlg);
    Prompts prompts;
    EXPECT_FALSE(dlg.UpdateDialog(0)) << c.name;
    ASSERT_EQ(1, prompts.texts.size()) << c.name;
    EXPECT_TRUE(prompts.texts[0].contains(QString::fromUtf8(c.message_part))) << c.name << ": "
                                                                             << prompts.texts[0].toStdString();
    EXPECT_EQ('H', o.source) << c.name;
    EXPECT_EQ(20260214, o.to) << c.name;
  }
}

TEST(FieldsTest, ParseDate) {
  struct Case {
    const char* text;
    long date;
  };
  const Case cases[] = {
      {"2026-12-05", 20261205}, {" 2026-1-5 ", 20260105}, {"20240229", 20240229}, {"", 0},
      {"   ", 0},               {"2025-02-29", -1},       {"2026-13-01", -1},     {"2026-00-10", -1},
      {"26-12-05", -1},         {"2026/12/05", -1},       {"202612", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.date, TDateField::ParseDate(c.text)) << '"' << c.text << '"';
  EXPECT_EQ("2026-12-05", TDateField::FormatDate(20261205));
  EXPECT_EQ("", TDateField::FormatDate(0));
  EXPECT_EQ("", TDateField::FormatDate(20260230));
}

TEST(FieldsTest, Amounts) {
  struct Case {
    const char* text;
    bool ok;
    long cents;
  };
  const Case cases[] = {
      {"1234.56", true, 123456}, {"1234,5", true, 123450}, {"$12", true, 1200},
      {"12 $", true, 1200},      {"-0.05", true, -5},      {"-$3.10", true, -310},
      {"1 000 000", true, 100000000}, {"", true, 0},       {".5", true, 50},
      {"12.", true, 1200},       {"1.234", false, 0},      {"abc", false, 0},
      {"1.2.3", false, 0},       {"-", false, 0},          {"9999999999999", false, 0},
  };
  for (const Case& c : cases) {
    long cents = -777;
    EXPECT_EQ(c.ok, TAmount::ParseCents(QString::fromUtf8(c.text), &cents)) << c.text;
    if (c.ok) {
      EXPECT_EQ(c.cents, cents) << c.text;
    }
  }
  EXPECT_EQ("0.00", TAmount::FormatCents(0));
  EXPECT_EQ("-0.05", TAmount::FormatCents(-5));
  EXPECT_EQ("1234.50", TAmount::FormatCents(123450));
}

TEST(FieldsTest, RadioGroupsAndCheckBoxes) {
  struct Case {
    char stored;
    bool current, archived, both;
  };
  const Case cases[] = {{'A', true, false, false}, {'H', false, true, false}, {'B', false, false, true},
                        {'X', false, false, false}};
  Options o;
  OptionsDialog dlg(&o);
  for (const Case& c : cases) {
    o.source = c.stored;
    dlg.UpdateDialog(1);
    EXPECT_EQ(c.current, dlg.current->isChecked()) << c.stored;
    EXPECT_EQ(c.archived, dlg.archived->isChecked()) << c.stored;
    EXPECT_EQ(c.both, dlg.both->isChecked()) << c.stored;
    dlg.UpdateDialog(0);
    EXPECT_EQ(c.stored, o.source) << "no button checked keeps the letter";
  }
  // Two groups laid out in the same widget stay independent.
  char units = 'H';
  auto* hours = new TMultButton(&dlg, 126, &units, 'H', "Heures");
  auto* unit = new TMultButton(&dlg, 125, &units, 'U', "Unités");
  dlg.layout()->addWidget(hours);
  dlg.layout()->addWidget(unit);
  o.source = 'A';
  dlg.UpdateDialog(1);
  EXPECT_TRUE(hours->isChecked());
  unit->click();
  EXPECT_TRUE(dlg.current->isChecked()) << "another member's group is untouched";
  EXPECT_FALSE(hours->isChecked());
  dlg.archived->click();
  EXPECT_TRUE(unit->isChecked());
  dlg.UpdateDialog(0);
  EXPECT_EQ('U', units);
  EXPECT_EQ('H', o.source);
  for (char flag : {'Y', 'N', 'x'}) {
    o.track = flag;
    dlg.UpdateDialog(1);
    EXPECT_EQ(flag == 'Y', dlg.track->isChecked()) << flag;
    dlg.UpdateDialog(0);
    EXPECT_EQ(flag == 'Y' ? 'Y' : 'N', o.track) << flag;
  }
  o.pct = 400;  // out of bounds: shown clamped, stored clamped
  o.diff = -9999;
  dlg.UpdateDialog(1);
  EXPECT_EQ(150, dlg.pct->value());
  dlg.UpdateDialog(0);
  EXPECT_EQ(150, o.pct);
  EXPECT_EQ(-2000, o.diff);
}

class CommandDialog : public TGenDlg {
 public:
  explicit CommandDialog(QWidget* parent = nullptr) : TGenDlg(parent, 2001, 5) {
    auto* layout = new QVBoxLayout(this);
    auto* generate = new QPushButton("&Générer", this);
    layout->addWidget(generate);
    AddControl(102, generate);
    OnCommand(102, &CommandDialog::CmGenerate);
    OnCommand(4000, [this] { log << "print"; });
    OnCommand(666, [] { throw std::runtime_error("boom"); });
    sort = new ListView(107, this);
    layout->addWidget(sort);
    AddControl(107, sort);
    OnNotify(107, Notify::kSelChange, &CommandDialog::EvSortSelChange);
    new TDateField(this, 105, &date);
  }
  void CmGenerate() { log << "generate"; }
  void EvSortSelChange(int row) { log << QString("sel %1").arg(row); }
  void SetupWindow() override {
    TGenDlg::SetupWindow();
    ++setups;
  }
  QStringList log;
  ListView* sort;
  long date = 20260101;
  int setups = 0;
};

TEST(QenDialogTest, ResponseTable) {
  CommandDialog dlg;
  EXPECT_EQ(5, dlg.LauncherInfo());
  dlg.Control<QPushButton>(102)->click();
  EXPECT_TRUE(dlg.SendCommand(4000));
  EXPECT_FALSE(dlg.SendCommand(4001)) << "no handler";
  EXPECT_TRUE(dlg.SendCommand(666)) << "a throwing handler counts as handled";
  EXPECT_EQ(nullptr, dlg.Control<QPushButton>(107)) << "wrong type";
  EXPECT_EQ(nullptr, dlg.ControlWidget(999));
  // The list of a dialog template takes its columns from the resource.
  EXPECT_EQ(3u, dlg.sort->List()->Columns().size());
  dlg.sort->List()->AddString(" \t \tDate", 1);
  dlg.sort->List()->AddString(" \t \tUtilisateur", 2);
  dlg.sort->selectRow(1);
  dlg.sort->List()->SetSelIndex(0);
  EXPECT_EQ(QStringList({"generate", "print", "sel 1", "sel 0"}), dlg.log);
}

TEST(QenDialogTest, OkCancelAndMessages) {
  CommandDialog dlg;
  Prompts prompts;
  QTimer::singleShot(0, &dlg, [&] { dlg.SendCommand(1); });
  EXPECT_EQ(1, dlg.Execute());
  EXPECT_EQ(1, dlg.setups) << "set up once, before showing";

  dlg.Control<TDateField>(105)->setText("2026-02-31");
  QTimer::singleShot(0, &dlg, [&] {
    dlg.SendCommand(1);  // refused: the dialog stays open
    EXPECT_TRUE(dlg.isVisible());
    dlg.ShowModuleMessage(94);
    EXPECT_TRUE(dlg.isVisible());
    dlg.SendCommand(2);
  });
  EXPECT_EQ(2, dlg.Execute());
  ASSERT_EQ(2, prompts.texts.size());
  EXPECT_TRUE(prompts.texts[0].startsWith("Date invalide"));
  EXPECT_EQ(QString::fromUtf8(ModuleString(94)), prompts.texts[1]);
  EXPECT_EQ(1, dlg.setups);

  prompts.answer = QMessageBox::Yes;
  EXPECT_TRUE(dlg.OkToSaveDefaults());
  prompts.answer = QMessageBox::No;
  EXPECT_FALSE(dlg.OkToSaveDefaults());
  EXPECT_EQ(TTavoDlg::SaveDefaultsQuestion(), prompts.texts.last());
}

TEST(QenDialogTest, PagesAreSetUpWithTheirDialogAndCanSendToIt) {
  QenDialog main(nullptr, 2000);
  QStringList log;
  main.OnCommand(102, [&] { log << "main 102"; });
  auto* tabs = new QenTabCtrl(101, &main);
  main.AddControl(101, tabs);
  main.OnNotify(101, Notify::kSelChange, [&](int page) { log << QString("page %1").arg(page); });
  auto* first = new CommandDialog(&main);
  auto* second = new CommandDialog(&main);
  tabs->AddPage(59, first, 0, QColor(151, 43, 174), 0);
  tabs->AddPage(71, second, 5, QColor(231, 211, 231), 0);  // index clamped
  tabs->AddPage(82, new QWidget, 0, QColor(), 0);          // at the front
  EXPECT_FALSE(first->isWindow());
  EXPECT_EQ(0, first->setups);
  main.Create();
  EXPECT_EQ(1, first->setups);
  EXPECT_EQ(1, second->setups);
  main.Create();
  EXPECT_EQ(1, first->setups);

  EXPECT_EQ(3, tabs->GetCount());
  EXPECT_EQ(QString::fromUtf8(ModuleString(59)), tabs->tabText(1));
  EXPECT_EQ(first, tabs->Page(1));
  EXPECT_EQ(QColor(231, 211, 231), tabs->TabColour(2));
  EXPECT_FALSE(tabs->TabColour(0).isValid());
  tabs->SetSel(2);
  EXPECT_EQ(2, tabs->GetSel());

  ASSERT_EQ(&main, first->ParentDialog());
  EXPECT_TRUE(first->ParentDialog()->SendCommand(102));
  EXPECT_TRUE(log.contains("page 2"));
  EXPECT_TRUE(log.contains("main 102"));

  QTemporaryDir dir;
  const QString png = dir.filePath("main.png");
  main.resize(500, 300);
  ASSERT_TRUE(RenderToPng(&main, png));
  EXPECT_GT(QFileInfo(png).size(), 0);
}

// --- progress meter -------------------------------------------------------------

TEST(QtMeterTest, CancelAndThrottle) {
  QWidget parent;
  QtMeter meter(&parent);
  meter.Open("Lecture...", 3000000000L);  // above INT_MAX: scaled
  ASSERT_NE(nullptr, meter.Dialog());
  EXPECT_LE(meter.Dialog()->maximum(), INT_MAX);
  QElapsedTimer clock;
  clock.start();
  for (long i = 0; i < 2000000; ++i) meter.SetCounter(i);
  const long allowed = clock.elapsed() / QtMeter::kRefreshIntervalMs + 1;
  EXPECT_LE(meter.Refreshes(), allowed);
  EXPECT_FALSE(meter.Cancelled());
  meter.Dialog()->cancel();
  EXPECT_TRUE(meter.Cancelled());
  meter.Close();
  EXPECT_EQ(nullptr, meter.Dialog());

  InstallQtMeterFactory();
  {
    TMeter suite_meter(&parent);
    suite_meter.DisplayMeterDlg("Calcul...", 10);
    auto* dialog = parent.findChild<QProgressDialog*>();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(Qt::WindowModal, dialog->windowModality());
    EXPECT_FALSE(suite_meter.Cancelled());
    dialog->cancel();
    EXPECT_TRUE(suite_meter.Cancelled());
  }
  EXPECT_EQ(nullptr, parent.findChild<QProgressDialog*>()) << "closed with the TMeter";
  SetMeterFactory(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
