#include "host/list_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/tdlist.h"

namespace {

// A record that counts the live instances.
struct CountedElem : TDElem {
  static int live;
  int value;
  explicit CountedElem(int v) : value(v) { ++live; }
  ~CountedElem() override { --live; }
};
int CountedElem::live = 0;

// Records every notification as one line of text.
struct Recorder : ListObserver {
  std::vector<std::string> events;
  void Add(std::string e) { events.push_back(std::move(e)); }
  void RowsAboutToBeInserted(int f, int c) override { Add("about-insert " + R(f, c)); }
  void RowsInserted(int f, int c) override { Add("insert " + R(f, c)); }
  void RowsAboutToBeRemoved(int f, int c) override { Add("about-remove " + R(f, c)); }
  void RowsRemoved(int f, int c) override { Add("remove " + R(f, c)); }
  void RowChanged(int r) override { Add("changed " + std::to_string(r)); }
  void ListAboutToBeReset() override { Add("about-reset"); }
  void ListReset() override { Add("reset"); }
  void ColumnsChanged() override { Add("columns"); }
  void SelectionChanged(int r) override { Add("select " + std::to_string(r)); }
  void AdjustColumnsRequested() override { Add("adjust"); }
  void BatchBegun() override { Add("batch"); }
  void BatchEnded() override { Add("end-batch"); }
  static std::string R(int f, int c) { return std::to_string(f) + "+" + std::to_string(c); }
};

std::vector<std::string> Rows(const QenListWindow& list) {
  std::vector<std::string> rows;
  for (int i = 0; i < list.GetCount(); ++i)
    rows.push_back(std::string(list.GetString(i)) + "#" + std::to_string(list.GetItemData(i)));
  return rows;
}

// Rows "a", "b", "c" with item data 1, 2, 3.
void FillAbc(QenListWindow& list) {
  list.AddString("a", 1);
  list.AddString("b", 2);
  list.AddString("c", 3);
}

// A name's tabs and line breaks become blanks, each on its own, wherever
// they stand; appending keeps what the row already holds.
TEST(RowBreaksTest, BlankedInPlaceAndWhenAppended) {
  const struct {
    const char* name;
    const char* text;
    const char* shown;
  } cases[] = {
      {"empty", "", ""},
      {"plain", "O'BRIEN é", "O'BRIEN é"},
      {"tab", "A\tB", "A B"},
      {"each_break_alone", "\t\r\n", "   "},
      {"two_tabs", "A\t\tB", "A  B"},
      {"first_and_last", "\nAB\r", " AB "},
      {"crlf_inside", "A\r\nB\tC", "A  B C"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string in_place = c.text;
    BlankRowBreaks(&in_place);
    EXPECT_EQ(in_place, c.shown);
    std::string row = "x\t";
    AppendCellText(&row, c.text);
    EXPECT_EQ(row, std::string("x\t") + c.shown);
  }
}

TEST(QenListWindowTest, InsertAndDelete) {
  struct Case {
    const char* name;
    std::function<void(QenListWindow&)> op;
    std::vector<std::string> rows;
    std::vector<std::string> events;
  };
  const std::vector<Case> cases = {
      {"append", [](QenListWindow& l) { EXPECT_EQ(3, l.AddString("d", 4)); },
       {"a#1", "b#2", "c#3", "d#4"}, {"about-insert 3+1", "insert 3+1"}},
      {"insert at head", [](QenListWindow& l) { EXPECT_EQ(0, l.InsertString("z", 0, 9)); },
       {"z#9", "a#1", "b#2", "c#3"}, {"about-insert 0+1", "insert 0+1"}},
      {"insert in middle", [](QenListWindow& l) { EXPECT_EQ(2, l.InsertString("m", 2, -1)); },
       {"a#1", "b#2", "m#-1", "c#3"}, {"about-insert 2+1", "insert 2+1"}},
      {"insert past end appends", [](QenListWindow& l) { EXPECT_EQ(3, l.InsertString("e", 99)); },
       {"a#1", "b#2", "c#3", "e#0"}, {"about-insert 3+1", "insert 3+1"}},
      {"delete head", [](QenListWindow& l) { l.DeleteString(0); }, {"b#2", "c#3"},
       {"about-remove 0+1", "remove 0+1"}},
      {"delete middle", [](QenListWindow& l) { l.DeleteString(1); }, {"a#1", "c#3"},
       {"about-remove 1+1", "remove 1+1"}},
      {"delete tail", [](QenListWindow& l) { l.DeleteString(2); }, {"a#1", "b#2"},
       {"about-remove 2+1", "remove 2+1"}},
      {"delete out of range", [](QenListWindow& l) { l.DeleteString(3); l.DeleteString(-1); },
       {"a#1", "b#2", "c#3"}, {}},
      {"set string keeps data", [](QenListWindow& l) { l.SetString(1, "B\tx"); },
       {"a#1", "B\tx#2", "c#3"}, {"changed 1"}},
      {"set item data", [](QenListWindow& l) { l.SetItemData(2, -1); }, {"a#1", "b#2", "c#-1"},
       {"changed 2"}},
      {"clear", [](QenListWindow& l) { l.ClearList(); }, {}, {"about-reset", "reset"}},
      {"empty text", [](QenListWindow& l) { l.AddString("", 5); }, {"a#1", "b#2", "c#3", "#5"},
       {"about-insert 3+1", "insert 3+1"}},
  };
  for (const Case& c : cases) {
    QenListWindow list;
    FillAbc(list);
    Recorder recorder;
    list.AddObserver(&recorder);
    c.op(list);
    EXPECT_EQ(c.rows, Rows(list)) << c.name;
    EXPECT_EQ(c.events, recorder.events) << c.name;
  }
}

TEST(QenListWindowTest, GetItemText) {
  struct Case {
    const char* text;
    int column;
    const char* cell;
    int cells;
  };
  const Case cases[] = {
      {"a\tb\tc", 0, "a", 3},
      {"a\tb\tc", 2, "c", 3},
      {"a\tb\tc", 3, "", 3},
      {"a\tb\t", 2, "", 3},       // trailing empty cell
      {"a\tb\t\t", 3, "", 4},     // two trailing empty cells
      {"\t\tx", 0, "", 3},
      {"\t\tx", 2, "x", 3},
      {" \t1 \tDate", 0, " ", 3},  // the sort list's " \t%s \t%s" layout
      {" \t1 \tDate", 1, "1 ", 3},
      {" \t \t Utilisateur", 2, " Utilisateur", 3},
      {"", 0, "", 1},
      {"", 1, "", 1},
      {"abc", -1, "", 1},
      {"Créé\tÉté", 1, "Été", 2},
  };
  for (const Case& c : cases) {
    QenListWindow list;
    list.AddString(c.text);
    EXPECT_EQ(c.cell, list.GetItemText(0, c.column)) << '"' << c.text << "\" column " << c.column;
    EXPECT_EQ(c.cells, list.CellCount(0)) << '"' << c.text << '"';
  }
  QenListWindow list;
  EXPECT_EQ("", list.GetItemText(0, 0));
  EXPECT_EQ(0, list.CellCount(5));
}

// Writers pass these views to memcpy and fwrite as they are.
TEST(QenListWindowTest, NoTextReadsAsEmptyWithAPointer) {
  QenListWindow list(1);
  list.AddString("", 0);
  list.AddString("a\t\tc", 1);
  const struct {
    const char* name;
    std::string_view text;
  } cases[] = {
      {"empty row", list.GetString(0)},
      {"row out of range", list.GetString(7)},
      {"cell of an empty row", list.GetItemText(0, 0)},
      {"cell past the last", list.GetItemText(1, 5)},
      {"negative column", list.GetItemText(1, -1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, "");
    EXPECT_NE(c.text.data(), nullptr);
  }
}

TEST(QenListWindowTest, RecordsAreFreedWithTheirRows) {
  struct Case {
    const char* name;
    std::function<void(QenListWindow&)> op;
    int live_after;  // of 3 records on rows 0, 1, 2
  };
  const std::vector<Case> cases = {
      {"delete one", [](QenListWindow& l) { l.DeleteString(1); }, 2},
      {"delete rows if", [](QenListWindow& l) { l.DeleteRowsIf([](int i) { return i != 1; }); }, 1},
      {"clear", [](QenListWindow& l) { l.ClearList(); }, 0},
      {"replace", [](QenListWindow& l) { l.SetItemRecord(0, std::make_unique<CountedElem>(9)); }, 3},
      {"reset to null", [](QenListWindow& l) { l.SetItemRecord(2, nullptr); }, 2},
      {"insert keeps", [](QenListWindow& l) { l.InsertString("x", 1); }, 3},
  };
  for (const Case& c : cases) {
    CountedElem::live = 0;
    {
      QenListWindow list;
      FillAbc(list);
      for (int i = 0; i < 3; ++i) list.SetItemRecord(i, std::make_unique<CountedElem>(i));
      c.op(list);
      EXPECT_EQ(c.live_after, CountedElem::live) << c.name;
    }
    EXPECT_EQ(0, CountedElem::live) << c.name << " (list destroyed)";
  }
}

TEST(QenListWindowTest, RecordsFollowTheirRows) {
  QenListWindow list;
  FillAbc(list);
  list.SetItemRecord(2, std::make_unique<CountedElem>(30));
  EXPECT_EQ(3, list.GetItemData(2)) << "a record leaves the item data alone";
  list.InsertString("head", 0);
  list.DeleteString(1);
  ASSERT_NE(nullptr, list.GetItemRecord(2));
  EXPECT_EQ(30, static_cast<CountedElem*>(list.GetItemRecord(2))->value);
  EXPECT_EQ(nullptr, list.GetItemRecord(0));
  EXPECT_EQ(nullptr, list.GetItemRecord(7));
  list.DeleteRowsIf([](int i) { return i == 0; });
  EXPECT_EQ(30, static_cast<CountedElem*>(list.GetItemRecord(1))->value);
}

TEST(QenListWindowTest, DeleteRowsIf) {
  struct Case {
    const char* name;
    int rows;
    std::function<bool(int)> drop;
    int selected_before;
    int dropped;
    int selected_after;
    std::vector<std::string> events;
  };
  const std::vector<Case> cases = {
      {"nothing", 5, [](int) { return false; }, 2, 0, 2, {}},
      {"two runs, last first", 6, [](int i) { return i == 1 || i == 2 || i == 4; }, 5, 3, 2,
       {"about-remove 4+1", "remove 4+1", "about-remove 1+2", "remove 1+2"}},
      {"everything", 4, [](int) { return true; }, 1, 4, -1, {"about-remove 0+4", "remove 0+4"}},
      {"selected row dropped", 3, [](int i) { return i == 1; }, 1, 1, -1,
       {"about-remove 1+1", "remove 1+1"}},
      {"many runs reset once", 100, [](int i) { return i % 2 == 1; }, 50, 50, 25,
       {"about-reset", "reset"}},
  };
  for (const Case& c : cases) {
    QenListWindow list;
    for (int i = 0; i < c.rows; ++i) list.AddString("row " + std::to_string(i), i);
    list.SetSelIndex(c.selected_before);
    Recorder recorder;
    list.AddObserver(&recorder);
    std::vector<int> asked;
    EXPECT_EQ(c.dropped, list.DeleteRowsIf([&](int i) {
      asked.push_back(i);
      return c.drop(i);
    })) << c.name;
    EXPECT_EQ(c.rows, static_cast<int>(asked.size())) << c.name << ": each row asked once";
    EXPECT_EQ(c.rows - c.dropped, list.GetCount()) << c.name;
    EXPECT_EQ(c.selected_after, list.GetSelIndex()) << c.name;
    EXPECT_EQ(c.events, recorder.events) << c.name;
    // The survivors are the rows not dropped, in order, with their data.
    int kept = 0;
    for (int i = 0; i < c.rows; ++i) {
      if (c.drop(i)) continue;
      EXPECT_EQ("row " + std::to_string(i), list.GetString(kept)) << c.name;
      EXPECT_EQ(i, list.GetItemData(kept)) << c.name;
      ++kept;
    }
  }
}

TEST(QenListWindowTest, SelectionCheckAndColumns) {
  QenListWindow list;
  FillAbc(list);
  Recorder recorder;
  list.AddObserver(&recorder);
  list.SetSelIndex(1);
  list.SetSelIndex(1);   // unchanged: no event
  list.SetSelIndex(3);   // out of range: ignored
  list.InsertString("x", 0);
  EXPECT_EQ(2, list.GetSelIndex()) << "selection follows its row";
  list.DeleteString(0);
  EXPECT_EQ(1, list.GetSelIndex());
  list.Check(0, true);
  list.Check(0, true);  // unchanged: no event
  list.SetString(0, "A");
  EXPECT_TRUE(list.IsChecked(0)) << "new text keeps the check";
  EXPECT_FALSE(list.IsChecked(1));
  EXPECT_FALSE(list.IsChecked(9));
  list.AddColumn("Date", 5);
  list.AddColumn("Heure", 5, ColumnAlign::kRight);
  list.SetColumnWidth(0, 12);
  list.SetColumnWidth(5, 12);  // no such column: ignored
  list.DeleteAColumn(0);
  list.AdjustColumns();
  list.SetSelIndex(-1);
  ASSERT_EQ(1u, list.Columns().size());
  EXPECT_EQ("Heure", list.Columns()[0].title);
  EXPECT_EQ(ColumnAlign::kRight, list.Columns()[0].align);
  const std::vector<std::string> expected = {
      "select 1", "about-insert 0+1", "insert 0+1", "about-remove 0+1", "remove 0+1",
      "changed 0", "changed 0", "columns", "columns", "columns", "columns", "adjust", "select -1"};
  EXPECT_EQ(expected, recorder.events);
  list.RemoveObserver(&recorder);
  list.AddString("after");
  EXPECT_EQ(expected.size(), recorder.events.size()) << "a removed observer hears nothing";
}

TEST(QenListWindowTest, ArenaReclaimsDeletedText) {
  QenListWindow list;
  const std::string big(4000, 'x');
  for (int i = 0; i < 2000; ++i) list.AddString(std::to_string(i) + big, i);  // ~8 MB
  const size_t full = list.MemoryBytes();
  list.DeleteRowsIf([](int i) { return i % 10 != 0; });  // keep 200 rows
  EXPECT_LT(list.MemoryBytes(), full / 4);
  for (int k = 0; k < 200; ++k) {
    EXPECT_EQ(std::to_string(k * 10) + big, list.GetString(k));
    EXPECT_EQ(k * 10, list.GetItemData(k));
  }
  // Rewriting rows over and over does not grow the arena without bound.
  for (int round = 0; round < 50; ++round)
    for (int k = 0; k < 200; ++k) list.SetString(k, std::to_string(round) + big);
  EXPECT_LT(list.MemoryBytes(), full / 2);
  EXPECT_EQ("49" + big, list.GetString(199));
}

TEST(QenListWindowTest, RowLongerThanAChunk) {
  QenListWindow list;
  const std::string huge(3 << 20, 'h');  // 3 MiB, beyond one arena chunk
  list.AddString("before");
  list.AddString(huge + "\tend");
  list.AddString("after");
  EXPECT_EQ("before", list.GetString(0));
  EXPECT_EQ(huge.size() + 4, list.GetString(1).size());
  EXPECT_EQ("end", list.GetItemText(1, 1));
  EXPECT_EQ("after", list.GetString(2));
}

// Rows are kept as cells, shared through the list's dictionary or inline:
// every shape of text reads back as added.
TEST(QenListWindowTest, CellsReadBackAsAdded) {
  const std::string long_cell(200, 'L');  // never shared
  const std::vector<std::string> texts = {
      "",
      "x",
      "\t",
      "a\t",
      "\tb",
      "2026-08-15 \t07:45:04 AM \tSGAGNON \tPaiement \t \t",
      "2026-08-15 \t07:45:04 AM \tSGAGNON \tPaiement \t \t",  // the same again: all shared
      "Grand Total: 3\t \t3 \t \t3 \t3",
      "un\t" + long_cell + "\tdeux",
      "a\tb\tc\td\te\tf\tg\th\ti\tj\tk\tl\tm\tn\to\tp\tq\tr\tcolonne 19",
      "Élodie\tcafé crème\t\t\t",
  };
  QenListWindow list;
  for (size_t i = 0; i < texts.size(); ++i) list.AddString(texts[i], static_cast<long>(i));
  for (size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(texts[i]);
    const int row = static_cast<int>(i);
    EXPECT_EQ(texts[i], list.GetString(row));
    std::vector<std::string> cells;
    size_t start = 0;
    for (;;) {
      const size_t tab = texts[i].find('\t', start);
      cells.push_back(texts[i].substr(start, tab == std::string::npos ? std::string::npos : tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    ASSERT_EQ(static_cast<int>(cells.size()), list.CellCount(row));
    for (size_t c = 0; c < cells.size(); ++c) EXPECT_EQ(cells[c], list.GetItemText(row, static_cast<int>(c)));
    EXPECT_EQ("", list.GetItemText(row, static_cast<int>(cells.size())));
    EXPECT_EQ(static_cast<long>(i), list.GetItemData(row));
  }
  // Cells stay valid while other rows are read whole.
  const std::string_view user = list.GetItemText(5, 2);
  const std::string_view name = list.GetItemText(8, 1);
  for (int row = 0; row < list.GetCount(); ++row) list.GetString(row);
  EXPECT_EQ("SGAGNON ", user);
  EXPECT_EQ(long_cell, name);
}

// Repeated cells cost a few bytes a row; a column of cells that never repeat
// stops going through the dictionary and keeps its texts inline.
TEST(QenListWindowTest, RepeatedCellsAreStoredOnce) {
  const char* users[] = {"SGAGNON ", "VGIRARD ", "ADMIN ", "MLAVOIE "};
  const char* verbs[] = {"Ajouter ", "Éditer ", "Effacer "};
  auto line = [&](int i) {
    return "2026-08-" + std::to_string(10 + i / 20000) + " \t" + users[i % 4] + "\tTransactions \t" +
           verbs[i % 3] + "\tFiche no " + std::to_string(i) + " \tPaiement électronique ";
  };
  const int rows = 60000;
  size_t text_bytes = 0;
  QenListWindow list;
  for (int i = 0; i < rows; ++i) {
    const std::string text = line(i);
    text_bytes += text.size();
    list.AddString(text, i + 1);
  }
  // The unique column (about 16 bytes a row) is inline, the rest a few
  // bytes; 12 bytes of row.
  EXPECT_LT(list.MemoryBytes(), rows * (12 + 16 + 16) + (3u << 20)) << text_bytes;
  for (int i : {0, 1, 4095, 4096, 20000, 59999}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(line(i), list.GetString(i));
    EXPECT_EQ("Fiche no " + std::to_string(i) + " ", list.GetItemText(i, 4));
  }
  // Replaced and deleted rows, then an emptied list, start over cleanly.
  list.SetString(1, "autre\tSGAGNON ");
  EXPECT_EQ("SGAGNON ", list.GetItemText(1, 1));
  list.DeleteRowsIf([](int i) { return i % 3 != 0; });
  EXPECT_EQ(rows / 3, list.GetCount());
  EXPECT_EQ(line(3), list.GetString(1));
  list.ClearList();
  list.AddString("Fiche no 1 \tx", 1);
  EXPECT_EQ("Fiche no 1 ", list.GetItemText(0, 0));
  EXPECT_LT(list.MemoryBytes(), size_t{4} << 20);
}

TEST(QenListWindowTest, BatchesNestAndAreHeardOnce) {
  QenListWindow list;
  Recorder recorder;
  list.AddObserver(&recorder);
  list.BeginBatch();
  {
    ListBatch inner(&list);
    EXPECT_TRUE(list.InBatch());
    list.AddString("a", 1);
  }
  EXPECT_TRUE(list.InBatch());
  list.EndBatch();
  list.EndBatch();  // one too many: ignored
  EXPECT_FALSE(list.InBatch());
  const std::vector<std::string> expected = {"batch", "about-insert 0+1", "insert 0+1", "end-batch"};
  EXPECT_EQ(expected, recorder.events);
  list.RemoveObserver(&recorder);
}

}  // namespace
