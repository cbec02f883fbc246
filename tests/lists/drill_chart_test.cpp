// The chart of a drill's rows: categories, sums, series per group, the rows
// a filter shows, labels that cut alike.
#include "lists/drill_chart.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "host/list_window.h"

namespace {

// Item data of a test row that opens a group titled with its text.
constexpr long kGroupHeading = -100;

struct TestRow {
  const char* text;  // cells: date, producer, description, amount, hours
  long data;
};

DrillResult MakeResult(const std::vector<TestRow>& rows) {
  DrillResult result;
  StartDrillList(&result, 0, DrillColumns({{"Date", 10}, {"Producteur", 6}, {"Description", 30}, {" Montant ", 10},
                                          {"Heures", 6}}));
  result.measures = {{3, ChartUnit::kMoney}, {4, ChartUnit::kHours}};
  for (const TestRow& r : rows) {
    if (r.data == kGroupHeading) {
      BeginDrillGroup(&result, r.text);
    } else {
      result.list->AddString(r.text, r.data);
    }
  }
  EndDrillGroup(&result);
  return result;
}

constexpr int kDate = 0, kProducer = 1, kDescription = 2;
constexpr int kAmount = 0;

TEST(DrillChartTest, SeriesOfTheRows) {
  struct Case {
    const char* name;
    std::vector<TestRow> rows;
    int axis;
    int measure;
    char axis_letter;
    std::vector<int> shown;  // empty: every row
    const char* tsv;
  };
  const Case cases[] = {
      {"count_by_producer",
       {{"2026-11-02\tD01\tExamen\t$10.00\t", 1},
        {"2026-11-02\tD02\tExamen\t$10.00\t", 2},
        {"2026-11-03\tD01\tExamen\t$10.00\t", 3}},
       kProducer, kDrillChartCount, 'P', {},
       "D01\tNombre de lignes\t2\nD02\tNombre de lignes\t1\n"},
      {"money_exact_to_the_cent",
       {{"2026-11-02\tD01\t\t$0.10\t", 1},
        {"2026-11-02\tD01\t\t$0.20\t", 2},
        {"2026-11-02\tD02\t\t$1234.56\t", 3},
        {"2026-11-03\tD02\t\t$-4.50\t", 4},
        {"2026-11-03\tD03\t\t-$0.01\t", 5},
        {"2026-11-03\tD03\t\t12\t", 6}},
       kProducer, kAmount, 'P', {},
       "D01\tMontant\t0.3\nD02\tMontant\t1230.06\nD03\tMontant\t11.99\n"},
      {"two_groups_two_series_same_categories",
       {{"Production", kGroupHeading},
        {"2026-11-02\tD01\t\t$100.00\t", 1},
        {"2026-11-02\tD02\t\t$50.00\t", 2},
        {"Total\t\t\t$150.00\t", -1},
        {"Objectif", kGroupHeading},
        {"2026-11-01\tD02\t\t$80.00\t", 3},
        {"2026-11-01\tD03\t\t$20.00\t", 4}},
       kProducer, kAmount, 'P', {},
       "D01\tProduction\t100\nD02\tProduction\t50\nD03\tProduction\t0\n"
       "D01\tObjectif\t0\nD02\tObjectif\t80\nD03\tObjectif\t20\n"},
      {"filtered_rows_only",
       {{"2026-11-02\tD01\tExamen\t$10.00\t", 1},
        {"2026-11-02\tD02\tDétartrage\t$20.00\t", 2},
        {"2026-11-03\tD01\tDétartrage\t$30.00\t", 3},
        {"Total\t\t\t$60.00\t", -1}},
       kProducer, kAmount, 'P', {1, 2, 3},
       "D02\tMontant\t20\nD01\tMontant\t30\n"},
      {"totals_and_headings_never_counted",
       {{"Production", kGroupHeading},
        {"2026-11-02\tD01\t\t$10.00\t", 1},
        {"Total\tTotal\t\t$10.00\t", -1},
        {"\t\t\t\t", 0}},
       kProducer, kDrillChartCount, 'P', {},
       "D01\tNombre de lignes\t1\n"},
      {"long_labels_cut_alike_stay_two_points",
       {{"2026-11-02\tD01\tRestauration composite antérieure, 1 surface\t$80.00\t", 1},
        {"2026-11-02\tD01\tRestauration composite antérieure, 2 surfaces\t$95.00\t", 2},
        {"2026-11-02\tD01\tRestauration composite antérieure, 1 surface\t$80.00\t", 3}},
       kDescription, kAmount, 'P', {},
       "Restauration composite antérie\tMontant\t160\n"
       "Restauration composite anté\xE2\x80\x8B\tMontant\t95\n"},
      {"axis_all_one_category",
       {{"2026-11-02\tD01\t\t$10.00\t", 1}, {"2026-11-03\tD02\t\t$-2.50\t", 2}},
       kProducer, kAmount, 'T', {},
       "Tous\tMontant\t7.5\n"},
      {"blank_cells_are_their_own_category",
       {{"2026-11-02\t\t\t$10.00\t", 1},
        {"2026-11-02\tD01\t\t$5.00\t", 2},
        {"2026-11-02\t  \t\t$1.00\t", 3},
        {"2026-11-02\t(vide)\t\t$2.00\t", 4}},
       kProducer, kAmount, 'P', {},
       "(vide)\tMontant\t11\nD01\tMontant\t5\n(vide)\xE2\x80\x8B\tMontant\t2\n"},
      {"dates_in_their_order_blanks_last",
       {{"2026-11-30\tD01\t\t\t", 1}, {"\tD01\t\t\t", 2}, {"2026-11-02\tD01\t\t\t", 3}, {"2026-11-30\tD02\t\t\t", 4}},
       kDate, kDrillChartCount, 'P', {},
       "2026-11-02\tNombre de lignes\t1\n2026-11-30\tNombre de lignes\t2\n(vide)\tNombre de lignes\t1\n"},
      {"a_filter_that_leaves_no_data_row",
       {{"2026-11-02\tD01\t\t$10.00\t", 1}, {"Total\t\t\t$10.00\t", -1}},
       kProducer, kAmount, 'P', {1},
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DrillResult result = MakeResult(c.rows);
    DrillChartRequest request;
    request.axis_column = c.axis;
    request.measure = c.measure;
    request.grouping.axis = c.axis_letter;
    request.rows = c.shown;
    TDList series;
    BuildDrillChartSeries(result, request, &series);
    EXPECT_EQ(GraphSeriesTsv(series), c.tsv);
  }
}

// However many long texts start alike, each keeps its own point, within the
// label's bytes.
TEST(DrillChartTest, ManyLongTextsThatCutAlikeStayApart) {
  std::vector<std::string> texts;
  for (int i = 1; i <= 14; ++i) texts.push_back("\t\tRestauration composite antérieure " + std::to_string(i) + "\t\t");
  std::vector<TestRow> rows;
  for (const std::string& t : texts) rows.push_back({t.c_str(), static_cast<long>(rows.size() + 1)});
  DrillChartRequest request;
  request.axis_column = kDescription;
  TDList series;
  ASSERT_EQ(BuildDrillChartSeries(MakeResult(rows), request, &series), 1);
  std::set<std::string> labels;
  for (const GraphValueElem* v : static_cast<PracGraphElem*>(series.Head())->Values().As<GraphValueElem>()) {
    EXPECT_EQ(v->value, 1);
    labels.insert(v->Name());
  }
  EXPECT_EQ(labels.size(), texts.size());
}

}  // namespace
