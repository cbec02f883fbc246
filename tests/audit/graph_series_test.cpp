#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audit/audit_lines.h"
#include "audit/audit_graph_series.h"
#include "lists/graph_data.h"
#include "host/list_window.h"

namespace {

// "series: v(count) v(count) ..." per series, categories listed first.
std::vector<std::string> Dump(const TDList& series) {
  std::vector<std::string> out;
  if (series.IsEmpty()) return out;
  std::string cats = "categories:";
  for (const GraphValueElem* v : static_cast<PracGraphElem*>(series.Head())->Values().As<GraphValueElem>()) {
    cats += " [" + std::string(v->Name()) + "]";
  }
  out.push_back(cats);
  for (const PracGraphElem* s : series.As<PracGraphElem>()) {
    std::string line = std::string(s->Name()) + ":";
    for (const GraphValueElem* v : s->Values().As<GraphValueElem>()) {
      char buf[64];
      std::snprintf(buf, sizeof buf, " %g(%g)", v->value, v->count);
      line += buf;
      EXPECT_EQ(v->reset_value, v->value) << line;
    }
    out.push_back(line);
  }
  return out;
}

void AddDetailed(QenListWindow* list, long id, const char* date, const char* user, const char* table,
                 const char* module, const char* verb) {
  std::string line;
  DetailedLine(&line, date, "09:00:00 AM", user, table, module, verb, "desc", "Luc", "Roy");
  list->AddString(line, id);
}

void FillDetailed(QenListWindow* list) {
  AddDetailed(list, 1, "2026-01-05", "marc", "PATIENT", "Dossiers", "Ajout");
  AddDetailed(list, 2, "2026-01-05", "anne", "PATIENT", "Dossiers", "Ajout");
  AddDetailed(list, 3, "2026-01-06", "anne", "RDV", "Horaire", "Retrait");
  list->AddString(kAuditBlankLine, 0);
  list->AddString("Total: 3\t \t3 \t \t3 \t3", -1);
  list->AddString(kAuditBlankLine, 0);
  AddDetailed(list, 4, "2026-01-07", "anne", "RDV", "Horaire", "Ajout");
  list->AddString("Grand Total: 4\t \t4 \t \t4 \t4", -1);
}

void FillSummary(QenListWindow* list) {
  std::string line;
  SummaryLine(&line, "Tous", "", "anne", "Dossiers", "Ajout", 5);
  list->AddString(line, 1);
  SummaryLine(&line, "Tous", "", "anne", "Horaire", "Ajout", 2);
  list->AddString(line, 2);
  SummaryLine(&line, "Tous", "", "marc", "Dossiers", "Retrait", 7);
  list->AddString(line, 3);
  list->AddString("Grand Total: \t \t \t \t \t14", -1);
}

TEST(AuditGraphSeriesTest, Build) {
  struct Case {
    const char* name;
    bool summary;
    AuditGraphRequest request;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"verb_by_user", false, {0, '4', '1', {'P', 'P'}, false},
       {"categories: [marc] [anne]", "Ajout: 1(1) 2(2)", "Retrait: 0(0) 1(1)"}},
      {"user_by_date", false, {0, '1', '2', {'P', 'P'}, false},
       {"categories: [2026-01-05] [2026-01-06] [2026-01-07]", "marc: 1(1) 0(0) 0(0)",
        "anne: 1(1) 1(1) 1(1)"}},
      {"table_code_5", false, {0, '5', '3', {'P', 'P'}, false},
       {"categories: [Dossiers] [Horaire]", "PATIENT: 2(2) 0(0)", "RDV: 0(0) 2(2)"}},
      {"axis_T_one_category", false, {0, '4', '1', {'T', 'P'}, false},
       {"categories: []", "Ajout: 3(3)", "Retrait: 1(1)"}},
      {"main_T_same_codes_one_series", false, {0, '1', '1', {'P', 'T'}, false},
       {"categories: [marc] [anne]", "marc: 1(1) 3(3)"}},
      {"main_T_other_codes_keeps_series", false, {0, '4', '1', {'P', 'T'}, false},
       {"categories: [marc] [anne]", "Ajout: 1(1) 2(2)", "Retrait: 0(0) 1(1)"}},
      // Summary: column 3 is the module, the count is the last cell.
      {"summary_P_counts_lines", true, {1, '3', '1', {'P', 'P'}, true},
       {"categories: [anne] [marc]", "Dossiers: 1(5) 1(7)", "Horaire: 1(2) 0(0)"}},
      {"summary_T_sums_counts", true, {1, '3', '1', {'T', 'P'}, true},
       {"categories: []", "Dossiers: 12(2)", "Horaire: 2(1)"}},
      {"summary_without_row_values", true, {1, '4', '1', {'P', 'P'}, false},
       {"categories: [anne] [marc]", "Ajout: 2(2) 0(0)", "Retrait: 0(0) 1(1)"}},
      {"summary_has_no_code_5", true, {1, '5', '1', {'P', 'P'}, true}, {}},
  };
  for (const Case& c : cases) {
    QenListWindow list(c.summary ? 301 : 300);
    if (c.summary) {
      FillSummary(&list);
    } else {
      FillDetailed(&list);
    }
    TDList series;
    int n = BuildAuditGraphSeries(list, c.request, &series);
    EXPECT_EQ(Dump(series), c.expected) << c.name;
    EXPECT_EQ(n, static_cast<int>(series.Count())) << c.name;
  }
}

TEST(AuditGraphSeriesTest, ListWithoutDataRowsGivesNoSeries) {
  QenListWindow list(300);
  list.AddString(kAuditBlankLine, 0);
  list.AddString("Grand Total: 0\t \t0 \t \t0 \t0", -1);
  TDList series;
  series.Append(new PracGraphElem("old", "1", "2"));
  EXPECT_EQ(BuildAuditGraphSeries(list, AuditGraphRequest{}, &series), 0);
  EXPECT_TRUE(series.IsEmpty()) << "the previous data is dropped";
}

TEST(AuditGraphSeriesTest, CodesPerListKind) {
  EXPECT_EQ(AuditGraphCodeCount(0), 5);
  EXPECT_EQ(AuditGraphCodeCount(1), 4);
  EXPECT_EQ(AuditGraphColumn('3', 0), 4);
  EXPECT_EQ(AuditGraphColumn('3', 1), 3);
  EXPECT_EQ(AuditGraphColumn('5', 1), -1);
  EXPECT_EQ(AuditGraphColumn('9', 0), -1);
}

TEST(AuditGraphSeriesTest, LabelsAreCutTo31Bytes) {
  QenListWindow list(300);
  std::string user(40, 'u');
  AddDetailed(&list, 1, "2026-01-05", user.c_str(), "T", "M", "V");
  TDList series;
  BuildAuditGraphSeries(list, {0, '1', '2', {'P', 'P'}, false}, &series);
  ASSERT_EQ(series.Count(), 1u);
  EXPECT_EQ(std::string(static_cast<PracGraphElem*>(series.Head())->Name()), std::string(31, 'u'));
}

// A blank module is its own category, "(vide)", never "Tous", which stays
// the one category of grouping 'T'.
TEST(AuditGraphSeriesTest, BlankTextsAreTheirOwnCategory) {
  QenListWindow list(300);
  AddDetailed(&list, 1, "2026-01-05", "anne", "PATIENT", "", "Ajout");
  AddDetailed(&list, 2, "2026-01-05", "anne", "PATIENT", "Dossiers", "Ajout");
  AddDetailed(&list, 3, "2026-01-06", "marc", "RDV", "", "Retrait");
  struct Case {
    const char* name;
    GraphGrouping grouping;
    std::vector<std::string> categories;  // as shown
  };
  const Case cases[] = {
      {"by module", {'P', 'P'}, {"(vide)", "Dossiers"}},
      {"all in one", {'T', 'P'}, {"Tous"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDList series;
    BuildAuditGraphSeries(list, {0, '1', '3', c.grouping, false}, &series);
    ASSERT_FALSE(series.IsEmpty());
    std::vector<std::string> shown;
    for (const GraphValueElem* v : static_cast<PracGraphElem*>(series.Head())->Values().As<GraphValueElem>()) {
      shown.push_back(GraphShownLabel(v->Name()));
    }
    EXPECT_EQ(shown, c.categories);
  }
}

// The building operations shared by the measure charts (productivity, goals)
// and the list charts (statistics).
TEST(GraphDataTest, SetValueAndAddToValue) {
  const GraphGrouping pp{'P', 'P'};
  TDList labels;
  GraphAddXLabel(&labels, "Jan", "", {'P', 'X'});
  GraphAddXLabel(&labels, "Fév", "", {'P', 'X'});
  GraphAddXLabel(&labels, "Jan", "", {'P', 'X'});  // already there
  EXPECT_EQ(labels.Count(), 2u);
  TDList series;
  GraphSetValue(&series, labels, "Jan", "", "DR1", 0, {'P', 'X'}, "1", "2");
  GraphSetValue(&series, labels, "Fév", "", "DR1", 12.5, {'P', 'X'}, "1", "2");
  GraphSetValue(&series, labels, "Jan", "", "DR1", 3, {'P', 'X'}, "1", "2");
  EXPECT_EQ(Dump(series), (std::vector<std::string>{"categories: [Jan] [Fév]", "DR1: 3(0) 12.5(0)"}));

  TDList categories;
  GraphAddCategory(&categories, "anne", pp);
  GraphAddCategory(&categories, "marc", {'P', 'X'});
  GraphAddCategory(&categories, "anne", {'P', 'X'});
  EXPECT_EQ(categories.Count(), 2u);
  TDList sums;
  GraphAddToValue(&sums, categories, "anne", "Frais", 10, {'P', 'X'}, "7", "8");
  GraphAddToValue(&sums, categories, "anne", "Frais", 5, {'P', 'X'}, "7", "8");
  GraphAddToValue(&sums, categories, "marc", "Frais", 1, {'P', 'X'}, "7", "8");
  EXPECT_EQ(Dump(sums), (std::vector<std::string>{"categories: [anne] [marc]", "Frais: 15(15) 1(1)"}));
  EXPECT_EQ(static_cast<PracGraphElem*>(sums.Head())->MainCode(), '7');

  // Second letter 'P' with empty second labels: every category matches.
  TDList all;
  GraphAddToValue(&all, categories, "anne", "S", 2, pp, "", "");
  EXPECT_EQ(Dump(all), (std::vector<std::string>{"categories: [anne] [marc]", "S: 2(2) 2(2)"}));
  // First letter 'T': the label is emptied; with the second letter 'P' the
  // first category absorbs every later row, otherwise nothing matches.
  TDList one;
  GraphAddCategory(&one, "anne", {'T', 'P'});
  GraphAddCategory(&one, "marc", {'T', 'P'});
  ASSERT_EQ(one.Count(), 1u);
  EXPECT_STREQ(static_cast<GraphValueElem*>(one.Head())->Name(), "");
  TDList unmatched;
  GraphAddCategory(&unmatched, "anne", {'T', 'X'});
  GraphAddCategory(&unmatched, "marc", {'T', 'X'});
  EXPECT_EQ(unmatched.Count(), 2u);
}

TEST(GraphDataTest, Atof) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {{"12.50H", 12.5}, {" -3", -3}, {"+4.", 4}, {"abc", 0}, {"", 0},
                        {"inf", 0},       {"1e5", 1},  {"7,5", 7}};
  for (const Case& c : cases) EXPECT_EQ(GraphAtof(c.text), c.value) << c.text;
}

}  // namespace
