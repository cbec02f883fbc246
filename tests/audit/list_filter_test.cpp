#include "audit/list_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audit/audit_lines.h"
#include "host/list_window.h"

namespace {

struct Row {
  long id;
  const char* date;
  long time;
  const char* user;
  const char* table;
  const char* module;
  const char* verb;
  const char* name;
};

// Four rows over two dates and two users, with the totals the generator
// wrote for a subtotal on the date (what the filter finds on screen).
const Row kRows[] = {
    {11, "2026-01-05", 91500, "anne", "PATIENT", "Dossiers", "Ajout", "Luc Roy"},
    {12, "2026-01-05", 102030, "anne", "PATIENT", "Dossiers", "Modification", "Luc Roy"},
    {13, "2026-01-06", 131000, "marc", "RENDEZVOUS", "Horaire", "Ajout", "Eve Côté"},
    {14, "2026-01-06", 120000, "marc", "RENDEZVOUS", "Horaire", "Retrait", "Eve Côté"},
};

std::string Line(const Row& r) {
  std::string out;
  DetailedLine(&out, r.date, AuditTimeText(r.time).c_str(), r.user, r.table, r.module, r.verb, "desc",
               r.name, "");
  return out;
}

void Fill(QenListWindow* list, std::vector<Row> rows) {
  list->ClearList();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i == 2) {  // the old group total between the two dates
      list->AddString(kAuditBlankLine, 0);
      list->AddString("Total: 2\t01:05:30 \t2 \t \t2 \t2", -1);
      list->AddString(kAuditBlankLine, 0);
    }
    list->AddString(Line(rows[i]), rows[i].id);
  }
  list->AddString("Grand Total: 4\t \t4 \t \t4 \t4", -1);
}

std::vector<long> DataIds(const QenListWindow& list) {
  std::vector<long> ids;
  for (int r = 0; r < list.GetCount(); ++r) {
    if (list.GetItemData(r) >= 1) ids.push_back(list.GetItemData(r));
  }
  return ids;
}

// The list as "data:text" lines, totals and blanks spelled out.
std::vector<std::string> Shape(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int r = 0; r < list.GetCount(); ++r) {
    long d = list.GetItemData(r);
    if (d >= 1) {
      out.push_back("#" + std::to_string(d));
    } else if (d == 0) {
      out.push_back(list.GetString(r) == kAuditBlankLine ? "blank" : "?0:" + std::string(list.GetString(r)));
    } else {
      out.push_back(std::string(list.GetString(r)));
    }
  }
  return out;
}

const SubtotalFlags kNoFlags{};
const SubtotalFlags kDateFlag{0, 1, 0, 0};
const SubtotalFlags kUserFlag{1, 0, 0, 0};

TEST(ListFilterTest, Conditions) {
  struct Case {
    const char* name;
    int column;
    int condition;
    const char* value;
    std::vector<long> kept;
  };
  const Case cases[] = {
      {"equal", 5, 8732, "Ajout", {11, 13}},
      {"different", 5, 8733, "Ajout", {12, 14}},
      {"contains", 5, 8740, "ti", {12}},
      {"contains_empty_keeps_all", 5, 8740, "", {11, 12, 13, 14}},
      {"case_sensitive", 5, 8732, "ajout", {}},
      {"value_taken_as_typed", 5, 8732, " Ajout", {}},
      {"cell_trimmed", 3, 8732, "PATIENT", {11, 12}},
      {"name_column_utf8", 7, 8732, "Eve Côté", {13, 14}},
      {"module_contains", 4, 8740, "Hor", {13, 14}},
      {"unknown_condition_keeps", 5, 9999, "x", {11, 12, 13, 14}},
  };
  for (const Case& c : cases) {
    QenListWindow list(300);
    Fill(&list, {kRows[0], kRows[1], kRows[2], kRows[3]});
    int before = list.GetCount();
    int deleted = ApplyListFilter(&list, c.column, c.condition, c.value, kNoFlags, false);
    EXPECT_EQ(DataIds(list), c.kept) << c.name;
    EXPECT_EQ(deleted, before - static_cast<int>(c.kept.size())) << c.name;
    // Without subtotal flags only the grand total comes back.
    ASSERT_GT(list.GetCount(), 0) << c.name;
    EXPECT_EQ(list.GetItemData(list.GetCount() - 1), -1) << c.name;
    std::string n = std::to_string(c.kept.size());
    EXPECT_EQ(list.GetString(list.GetCount() - 1),
              "Grand Total: " + n + "\t \t" + n + " \t \t" + n + " \t" + n)
        << c.name;
  }
}

TEST(ListFilterTest, TotalsRebuilt) {
  struct Case {
    const char* name;
    SubtotalFlags flags;
    bool suppress;
    int condition;
    const char* value;
    std::vector<std::string> shape;
  };
  const Case cases[] = {
      {"date_groups_with_duration",
       kDateFlag, false, 8733, "Retrait",
       {"#11", "#12", "blank", "Total: 2\t01:05:30 \t2 \t \t2 \t2", "blank", "#13", "blank",
        "Total: 1\t \t3 \t \t3 \t3", "blank", "Grand Total: 3\t \t3 \t \t3 \t3"}},
      {"box_106_only_grand_total",
       kDateFlag, true, 8733, "Retrait",
       {"#11", "#12", "#13", "Grand Total: 3\t \t3 \t \t3 \t3"}},
      {"one_group_no_subtotal",
       kUserFlag, false, 8732, "anne",  // column 2 below
       {"#11", "#12", "Grand Total: 2\t \t2 \t \t2 \t2"}},
      {"keeps_every_row_still_rebuilds",
       kDateFlag, false, 8740, "",
       {"#11", "#12", "blank", "Total: 2\t01:05:30 \t2 \t \t2 \t2", "blank", "#13", "#14", "blank",
        // 13:10 then 12:00: the last time is not after the first, no duration.
        "Total: 2\t \t4 \t \t4 \t4", "blank", "Grand Total: 4\t \t4 \t \t4 \t4"}},
      {"nothing_left",
       kDateFlag, false, 8732, "personne",
       {"Grand Total: 0\t \t0 \t \t0 \t0"}},
  };
  for (const Case& c : cases) {
    QenListWindow list(300);
    Fill(&list, {kRows[0], kRows[1], kRows[2], kRows[3]});
    int column = std::string(c.name) == "one_group_no_subtotal" ? 2 : 5;
    ApplyListFilter(&list, column, c.condition, c.value, c.flags, c.suppress);
    EXPECT_EQ(Shape(list), c.shape) << c.name;
  }
}

TEST(ListFilterTest, FiltersOneAfterAnother) {
  QenListWindow list(300);
  Fill(&list, {kRows[0], kRows[1], kRows[2], kRows[3]});
  const SubtotalFlags both{1, 1, 0, 0};
  EXPECT_GT(ApplyListFilter(&list, 5, 8733, "Modification", both, false), 0);
  EXPECT_EQ(Shape(list), (std::vector<std::string>{
                             "#11", "blank", "Total: 1\t \t1 \t \t1 \t1", "blank", "#13", "#14", "blank",
                             "Total: 2\t \t2 \t \t3 \t3", "blank", "Grand Total: 3\t \t3 \t \t3 \t3"}));
  // The second filter reads the list as the first left it.
  EXPECT_GT(ApplyListFilter(&list, 2, 8732, "marc", both, false), 0);
  EXPECT_EQ(Shape(list), (std::vector<std::string>{"#13", "#14", "Grand Total: 2\t \t2 \t \t2 \t2"}));
}

TEST(ListFilterTest, NoChoiceOrNoDeletionLeavesListAlone) {
  QenListWindow list(300);
  list.AddString(Line(kRows[0]), 11);
  list.AddString(Line(kRows[2]), 13);
  EXPECT_EQ(ApplyListFilter(&list, -1, 8732, "Ajout", kNoFlags, false), 0) << "no column";
  EXPECT_EQ(ApplyListFilter(&list, 5, 0, "Ajout", kNoFlags, false), 0) << "no condition";
  EXPECT_EQ(ApplyListFilter(&list, 5, 8732, "Ajout", kNoFlags, false), 0) << "all pass";
  EXPECT_EQ(list.GetCount(), 2) << "no total added when nothing went";
}

TEST(ListFilterTest, TimeRoundTrip) {
  struct Case {
    const char* text;
    long hhmmss;
  };
  const Case cases[] = {
      {"00:05:09 AM", 509},    {"12:00:00 PM", 120000}, {"12:15:00 PM", 121500},
      {"01:10:00 PM", 131000}, {"11:59:59 AM", 115959}, {"11:59:59 PM", 235959},
      {"00:00:00 AM", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AuditTimeText(c.hhmmss), c.text) << c.text;
    EXPECT_EQ(ParseAuditTime(c.text), c.hhmmss) << c.text;
    EXPECT_EQ(ParseAuditTime(std::string(c.text) + " "), c.hhmmss) << c.text << " with the cell's blank";
  }
  EXPECT_EQ(ParseAuditTime(""), 0);
  EXPECT_EQ(ParseAuditTime("garbage"), 0);
}

TEST(ListFilterTest, LongCellsAndValuesAreCut) {
  // Cells are compared on their first 255 bytes, the value on its first 255.
  std::string long_text(300, 'x');
  QenListWindow list(300);
  list.AddString("d \tt \tu \t" + long_text + " \tm \tv \tdesc \tn", 1);
  list.AddString("Grand Total: 1\t \t1 \t \t1 \t1", -1);
  ApplyListFilter(&list, 3, 8732, long_text, kNoFlags, false);
  EXPECT_EQ(DataIds(list), std::vector<long>{1});
}

}  // namespace
