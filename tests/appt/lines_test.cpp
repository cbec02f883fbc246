// The productivity report lines, byte for byte, from hand-made elements.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appt/appt_lines.h"
#include "appt/appt_generator.h"
#include "host/list_window.h"

namespace {

struct E {
  long kind;
  char status;
  long date;
  const char* key;
  long minutes, units, count, fee;
  const char* code = "";
};

class LinesTest : public ::testing::Test {
 protected:
  LinesTest() {
    s.ListBy = 'P';
    s.ReportBy = 'M';
    s.ProdUnits = 'H';
    s.ProdInfo = 'S';
    s.ReportDollar = 'Y';
    s.NetFees = 'N';
    CopyField(s.Producers[0], "D01");
    CopyField(s.Producers[1], "H01");
    s.SelectedCount = 2;
    s.TotalsColumn = 1;
    for (int d = 1; d <= 5; ++d) in.open[d] = true;
  }

  std::vector<std::string> Run(const std::vector<E>& elems) {
    TDList list;
    for (const E& x : elems) {
      auto* e = new PracApptElem;
      e->Kind = x.kind;
      e->Status = x.status;
      e->Date = x.date;
      CopyField(e->Key, x.key);
      e->Minutes = x.minutes;
      e->SchedUnits = x.units;
      e->Count = x.count;
      e->Fee = x.fee;
      CopyField(e->Code, x.code);
      e->Period = ApptPeriodIndex(s.ReportBy, x.date);
      list.Append(e);
    }
    in.settings = &s;
    if (in.codes.empty()) in.codes = {""};
    QenListWindow out;
    WriteApptReportLines(list, in, &out);
    std::vector<std::string> lines;
    for (int r = 0; r < out.GetCount(); ++r) {
      lines.push_back(std::to_string(out.GetItemData(r)) + "|" + std::string(out.GetString(r)));
    }
    return lines;
  }

  PracApptSettings s;
  ApptLineInput in;
};

TEST_F(LinesTest, MonthlySummaryWithTotalsColumn) {
  const auto lines = Run({
      {2, 0, 20261201, "D01", 1200, 120, 0, 0},
      {1, 'B', 20261201, "D01", 750, 75, 14, 145000},
      {3, 'N', 20261202, "D01", 30, 3, 1, 0},
      {2, 0, 20261201, "H01", 480, 48, 0, 0},
      {1, 'B', 20261203, "H01", 360, 36, 9, 54000},
      {3, 'C', 20261203, "H01", 30, 3, 2, 0},
  });
  const std::vector<std::string> expected = {
      "11|décembre 2026\tCéduler\t12.50H  (14)\t6.00H  (9)\t18.50H  (23)\t",
      "2| \tDisponible\t20.00H\t8.00H\t28.00H\t",
      "7| \tUsage %\t12.50H/20.00H  (62.50%)\t6.00H/8.00H  (75.00%)\t18.50H/28.00H  (66.07%)\t",
      "6| \tEstimation\t$1450.00   \t$540.00    \t$1990.00   \t",
      "5| \tAbsence\t1\t0\t1\t",
      "4| \tAnnuler\t0\t2\t2\t",
      "3| \tNon Planifié\t0\t0\t0\t",
      "0|",
      "0|Totaux\tCéduler\t12.50H  (14)\t6.00H  (9)\t18.50H  (23)\t",
      "0| \tDisponible\t20.00H\t8.00H\t28.00H\t",
      "0| \tUsage %\t12.50H/20.00H  (62.50%)\t6.00H/8.00H  (75.00%)\t18.50H/28.00H  (66.07%)\t",
      "0| \tEstimation\t$1450.00   \t$540.00    \t$1990.00   \t",
      "0| \tAbsence\t1\t0\t1\t",
      "0| \tAnnuler\t0\t2\t2\t",
      "0| \tNon Planifié\t0\t0\t0\t",
  };
  EXPECT_EQ(expected, lines);
}

TEST_F(LinesTest, CellShapes) {
  struct Case {
    const char* name;
    char units, prod_info, totals_only, track, no_shows;
    std::vector<std::string> codes;
    std::vector<std::string> expected;
  } cases[] = {
      {"units",
       'U', 'S', 'N', 'Y', 'N', {""},
       {"11|2026\tCéduler\t7U  (3)\t0\t7U  (3)\t", "2| \tDisponible\t12U\t0U\t12U\t",
        "7| \tUsage %\t7U/12U  (58.33%)\t0U/0U  (0.00%)\t7U/12U  (58.33%)\t"}},
      {"both: ', ' in booked cells, ',' in the available row",
       'B', 'S', 'N', 'Y', 'N', {""},
       {"11|2026\tCéduler\t7U, 1.17H  (3)\t0\t7U, 1.17H  (3)\t", "2| \tDisponible\t12U,2.00H\t0U,0.00H\t12U,2.00H\t",
        "7| \tUsage %\t7U/12U, 1.17H/2.00H  (58.33%)\t0U/0U, 0.00H/0.00H  (0.00%)\t7U/12U, 1.17H/2.00H  (58.33%)\t"}},
      {"per code: a code without appointments shows 0",
       'H', 'C', 'N', 'Y', 'N', {"DET", "EXA"},
       {"1|2026\tDET\t0\t0\t0\t", "1| \tEXA\t1.17H  (3)\t0\t1.17H  (3)\t", "2| \tDisponible\t2.00H\t0.00H\t2.00H\t",
        "7| \tUsage %\t1.17H/2.00H  (58.33%)\t0.00H/0.00H  (0.00%)\t1.17H/2.00H  (58.33%)\t"}},
      {"combined missed row whatever the three options say",
       'H', 'S', 'Y', 'N', 'N', {""}, {"10| \tNon Planifié\t2\t0\t2\t"}},
      {"missed rows without productivity rows", 'H', 'S', 'N', 'N', 'Y', {""}, {"5| \tAbsence\t2\t0\t2\t"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    s.ReportBy = 'Y';
    s.ProdUnits = c.units;
    s.ProdInfo = c.prod_info;
    s.TotalsOnly = c.totals_only;
    s.TrackProd = c.track;
    s.NoShows = c.no_shows;
    s.Cancelled = s.Unscheduled = 'N';
    s.ReportDollar = 'N';
    in.codes = c.codes;
    const auto lines = Run({
        {2, 0, 20260105, "D01", 120, 12, 0, 0},
        {1, 'B', 20260105, "D01", 70, 7, 3, 0, "EXA"},
        {3, 'N', 20260105, "D01", 10, 1, 2, 0},
        {1, 'B', 20260105, "Z99", 70, 7, 3, 0, "EXA"},  // in no column: adds nothing
    });
    ASSERT_EQ(2 * c.expected.size() + 1, lines.size());
    for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(c.expected[i], lines[i]) << i;
    EXPECT_EQ("0|", lines[c.expected.size()]);
    EXPECT_EQ(0u, lines[c.expected.size() + 1].rfind("0|", 0));
  }
}

TEST_F(LinesTest, DailyReportsSkipClosedWeekdaysWithoutData) {
  s.ReportBy = 'D';
  s.ReportDollar = 'N';
  s.NoShows = s.Cancelled = s.Unscheduled = 'N';
  // Friday 4, Saturday 5 (closed, no data), Sunday 6 (closed, one booking), Monday 7.
  const auto lines = Run({
      {2, 0, 20261204, "D01", 60, 6, 0, 0},
      {2, 0, 20261205, "D01", 0, 0, 0, 0},
      {2, 0, 20261206, "D01", 0, 0, 0, 0},
      {1, 'B', 20261206, "D01", 30, 3, 1, 0},
      {2, 0, 20261207, "D01", 60, 6, 0, 0},
      {2, 0, 20261207, "H01", 60, 6, 0, 0},
  });
  std::vector<std::string> labels;
  for (const std::string& l : lines) {
    if (l.rfind("11|", 0) == 0) labels.push_back(l.substr(3, l.find('\t') - 3));
  }
  EXPECT_EQ((std::vector<std::string>{"ven déc 04, 2026", "dim déc 06, 2026", "lun déc 07, 2026"}), labels);
}

TEST_F(LinesTest, NothingForNoElement) { EXPECT_TRUE(Run({}).empty()); }

TEST(ApptColumns, OnePerSelectionAndTotals) {
  QenListWindow list;
  list.AddColumn("Date", 8);
  list.AddColumn("Action", 10);
  list.AddColumn("old", 12);
  PracApptSettings s;
  s.ListBy = 'C';
  CopyField(s.Chairs[0], "A01");
  s.SelectedCount = 1;
  SetUpApptColumns(&list, &s);
  ASSERT_EQ(3u, list.Columns().size());
  EXPECT_EQ("A01", list.Columns()[2].title);
  EXPECT_EQ(0, s.TotalsColumn);
  CopyField(s.Chairs[1], "B101");
  s.SelectedCount = 2;
  SetUpApptColumns(&list, &s);
  ASSERT_EQ(5u, list.Columns().size());
  EXPECT_EQ("B101", list.Columns()[3].title);
  EXPECT_EQ("Totaux", list.Columns()[4].title);
  EXPECT_EQ(1, s.TotalsColumn);
}

}  // namespace
