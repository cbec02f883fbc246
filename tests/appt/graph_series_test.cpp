// The productivity chart's series, from report lines.
#include <gtest/gtest.h>

#include <string>

#include "appt/appt_graph_series.h"
#include "host/list_window.h"

namespace {

class ApptGraphTest : public ::testing::Test {
 protected:
  ApptGraphTest() {
    s.ListBy = 'P';
    s.ProdUnits = 'H';
    CopyField(s.Producers[0], "D01");
    CopyField(s.Producers[1], "H01");
    s.SelectedCount = 2;
    for (const char* month : {"novembre 2026", "décembre 2026"}) {
      const bool nov = month[0] == 'n';
      list.AddString(std::string(month) + "\tDET\t0\t1.00H  (2)\t1.00H  (2)\t", 1);
      list.AddString(std::string(" \tEXA\t") + (nov ? "2.50H  (3)" : "1.00H  (1)") + "\t0\t2.50H  (3)\t", 1);
      list.AddString(std::string(" \tDisponible\t") + (nov ? "12.50H" : "8.00H") + "\t4.00H\t16.50H\t", 2);
      list.AddString(" \tUsage %\t2.50H/12.50H  (20.00%)\t1.00H/4.00H  (0.00%)\t3.50H/16.50H  (21.21%)\t", 7);
      list.AddString(" \tEstimation\t$125.50    \t$80.00     \t$205.50    \t", 6);
      list.AddString(" \tAbsence\t1\t0\t1\t", 5);
    }
    list.AddString("", 0);
    list.AddString("Totaux\tDET\t9\t9\t9\t", 0);
  }

  // "series:category=value ..." of the built series.
  std::string Build(const ApptMeasure& m, long axis) {
    TDList series;
    BuildApptGraphSeries(list, s, m, axis, GraphGrouping{}, &series);
    std::string out;
    for (const PracGraphElem* g : series.As<PracGraphElem>()) {
      for (const GraphValueElem* v : g->Values().As<GraphValueElem>()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", v->value);
        out += std::string(g->Name()) + ":" + v->Name() + "=" + buf + " ";
      }
    }
    return out;
  }

  PracApptSettings s;
  QenListWindow list;
};

TEST_F(ApptGraphTest, MeasuresFromTheFirstGroup) {
  const auto items = ApptMeasureItems(list);
  ASSERT_EQ(6u, items.size());
  EXPECT_EQ("EXA", items[1].text);
  EXPECT_EQ(1, items[1].kind);
  EXPECT_EQ("Usage %", items[3].text);
  EXPECT_EQ(7, items[3].kind);
}

TEST_F(ApptGraphTest, Series) {
  struct Case {
    const char* name;
    ApptMeasure measure;
    long axis;
    char units;
    const char* expected;
  } cases[] = {
      {"a code reads its own row", {"EXA", 1}, kApptAxisPeriods, 'H',
       "D01:novembre 2026=3 D01:décembre 2026=1 H01:novembre 2026=0 H01:décembre 2026=0 "},
      {"available hours with periods on the axis", {"Disponible", 2}, kApptAxisPeriods, 'H',
       "D01:novembre 2026=12.5 D01:décembre 2026=8 H01:novembre 2026=4 H01:décembre 2026=4 "},
      {"truncated with producers on the axis", {"Disponible", 2}, kApptAxisProducers, 'H',
       "novembre 2026:D01=12 novembre 2026:H01=4 décembre 2026:D01=8 décembre 2026:H01=4 "},
      {"usage 0.00 charts 0", {"Usage %", 7}, kApptAxisPeriods, 'H',
       "D01:novembre 2026=20 D01:décembre 2026=20 H01:novembre 2026=0 H01:décembre 2026=0 "},
      {"fees", {"Estimation", 6}, kApptAxisPeriods, 'H',
       "D01:novembre 2026=125.5 D01:décembre 2026=125.5 H01:novembre 2026=80 H01:décembre 2026=80 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    s.ProdUnits = c.units;
    EXPECT_EQ(c.expected, Build(c.measure, c.axis));
  }
}

TEST(ApptCellValue, ByRowKind) {
  EXPECT_DOUBLE_EQ(14, ApptCellValue(11, 'H', " 12.50H  (14) "));
  EXPECT_DOUBLE_EQ(0, ApptCellValue(1, 'H', "0"));
  EXPECT_DOUBLE_EQ(75, ApptCellValue(2, 'B', "75U,12.50H"));
  EXPECT_DOUBLE_EQ(12.5, ApptCellValue(2, 'H', "12.50H"));
  EXPECT_DOUBLE_EQ(62.5, ApptCellValue(7, 'U', "5U/8U  (62.50%)"));
  EXPECT_DOUBLE_EQ(1450, ApptCellValue(8, 'H', "$1450.00   "));
  EXPECT_DOUBLE_EQ(3, ApptCellValue(10, 'H', "3"));
  EXPECT_DOUBLE_EQ(0, ApptCellValue(9, 'H', "3"));
}

}  // namespace
