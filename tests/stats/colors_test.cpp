// Cell readings and the colour ranges of the statistics lists.
#include <gtest/gtest.h>

#include <map>

#include "host/list_window.h"
#include "stats/case_acceptance.h"
#include "stats/stats_style.h"
#include "stats/stats_format.h"

namespace {

TEST(StatsReadingTest, CellValues) {
  struct Case {
    const char* name;
    const char* text;
    CellReading how;
    double value;
  };
  const Case cases[] = {
      {"plain", " -30 ", CellReading::kPlain, -30},
      {"percent in parentheses", "1.50H/15.00H  (10.00%)", CellReading::kPercent, 10},
      {"percent without parentheses", "33.33%", CellReading::kPercent, 33.33},
      {"money in cents", "$1000.00", CellReading::kMoney, 100000},
      {"money cut at the trailing minus", "$12.34-", CellReading::kMoney, 1234},
      {"goal cut at its percentage", "$5000.00 (12.50%)", CellReading::kMoney, 500000},
      {"money without dollar", "7.5", CellReading::kMoney, 750},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(ReadCellValue(c.text, c.how), c.value, 1e-6);
  }
}

TEST(StatsReadingTest, MoneyFormat) {
  EXPECT_EQ(MakeNoCommaNumFormat(123456), "$1234.56");
  EXPECT_EQ(MakeNoCommaNumFormat(0), "$0.00");
  EXPECT_EQ(MakeNoCommaNumFormat(-5), "$0.05-");
  EXPECT_EQ(MakeNoCommaNumFormat(123456789012L), "$1234567890.12");
}

StatsColorOptions Options() {
  StatsColorOptions o;
  o.fees.colour[0] = 0x0000FF;
  o.fees.lower[0] = 100000;
  o.fees.upper[0] = 200000;
  o.fees.colour[1] = 0x00FF00;
  o.fees.lower[1] = 0;
  o.fees.upper[1] = 300000;
  o.fees.color_by = 'D';
  o.pct.colour[0] = 0x123456;
  o.pct.lower[0] = 50;    // lower above upper: never matches
  o.pct.upper[0] = 10;
  o.pct.colour[1] = 0x654321;
  o.pct.lower[1] = 0;
  o.pct.upper[1] = 20;
  o.pct.color_by = 'T';
  o.diff.colour[0] = 0xABCDEF;
  o.diff.lower[0] = -100;
  o.diff.upper[0] = -1;
  o.diff.color_by = 'B';
  return o;
}

TEST(StatsColorTest, Ranges) {
  const StatsColorOptions o = Options();
  struct Case {
    const char* name;
    int list, column;
    bool detail;
    const char* text;
    ColorRef colour;
  };
  const Case cases[] = {
      {"$1000.00 matches a range holding 100000 cents", 2, 4, true, "$1000.00", 0x0000FF},
      {"first matching range wins", 2, 4, true, "$1500.00", 0x0000FF},
      {"second range", 2, 4, true, "$2500.00", 0x00FF00},
      {"no range: white", 2, 4, true, "$9000.00", kWhite},
      {"colour-by D skips total rows", 2, 4, false, "$1000.00", kNoColor},
      {"column not coloured", 2, 3, true, "$1000.00", kNoColor},
      {"empty cell", 2, 4, true, "  ", kNoColor},
      {"lower bound above upper never matches", 3, 3, false, "5.00H/50.00H  (10.00%)", 0x654321},
      {"colour-by T skips detail rows", 3, 3, true, "(10.00%)", kNoColor},
      {"colour-by B colours detail rows", 1, 3, true, "-30", 0xABCDEF},
      {"colour-by B colours total rows", 1, 3, false, "-3", 0xABCDEF},
      {"not loaded: summary payments with no colours", 4, 6, true, "50.00%", kNoColor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StatsCellColor(o, c.list, c.column, c.detail, c.text), c.colour);
  }
}

TEST(StatsColorTest, GoalRowCountsAsTotal) {
  StatsColorOptions o = Options();
  o.fees.color_by = 'T';
  QenListWindow list(110);
  list.AddString("D01 \t$1.00 \t$0.00 \t$0.00 \t$1500.00 \t$0.00 \t$0.00 \t$0.00 \t$0.00", 1);
  list.AddString("", 0);
  list.AddString("Objectif \t \t \t \t$1000.00 (150.00%) \t \t \t \t", 0);
  TDList colours;
  CollectStatsColors(list, 2, o, &colours);
  ASSERT_EQ(colours.Count(), 1u);
  const auto* c = static_cast<const ColorListElem*>(colours.Head());
  EXPECT_EQ(c->row, 2);
  EXPECT_EQ(c->column, 4);
  EXPECT_EQ(c->colour, 0x0000FFu);
  EXPECT_EQ(c->kind, ColorKind::kBackground);
}

TEST(StatsColorTest, AcceptanceRowsTellDetailByRecord) {
  StatsColorOptions o;
  o.usage.colour[0] = 0x111111;
  o.usage.upper[0] = 100;
  o.usage.color_by = 'D';
  QenListWindow list(108);
  CaseStats header;
  header.category = kCaseHeader;
  CaseStats detail;
  detail.action = 'A';
  list.AddString("Traitements Planifiés\t \tNouveau\t \tP->I/C", 0);
  list.SetItemRecord(0, std::make_unique<CaseStatsElem>(header));
  list.AddString(" \tD01 \t1 \t$1.00 \t1 \t$1.00 \t100.00%", 0);
  list.SetItemRecord(1, std::make_unique<CaseStatsElem>(detail));
  list.AddString(" \tD02 \t1 \t$1.00 \t1 \t$1.00 \t100.00%", 0);  // no record: not coloured
  TDList colours;
  CollectStatsColors(list, 4, o, &colours);
  ASSERT_EQ(colours.Count(), 1u);
  EXPECT_EQ(static_cast<const ColorListElem*>(colours.Head())->row, 1);
}

TEST(StatsColorTest, IniRoundTripAndDefaults) {
  std::map<std::string, std::string> ini;
  auto read = [&ini](const char* key, const char* def) {
    auto it = ini.find(key);
    return it == ini.end() ? std::string(def) : it->second;
  };
  StatsColorOptions d;
  ReadStatsColorOptions(read, &d);
  EXPECT_EQ(d.fees.colour[0], static_cast<long>(kWhite)) << "a colour key of \"0\" reads as white";
  EXPECT_EQ(d.amount.color_by, 'D');
  EXPECT_EQ(d.fees_goal, 0);
  StatsColorOptions o = Options();
  o.fees_goal = 5000000;
  o.amount.color_by = 'B';
  auto write = [&ini](const char* key, const std::string& value) {
    ini[key] = value;
    return true;
  };
  ASSERT_TRUE(WriteStatsColorOptions(o, write));
  EXPECT_EQ(ini["FeesFrom0"], "100000");
  EXPECT_EQ(ini["AmtColorBy"], "B");
  EXPECT_EQ(ini["FeesGoal"], "5000000");
  StatsColorOptions back;
  ReadStatsColorOptions(read, &back);
  EXPECT_EQ(back.fees.colour[0], 0x0000FF);
  EXPECT_EQ(back.fees.upper[1], 300000);
  EXPECT_EQ(back.pct.lower[0], 50);
  EXPECT_EQ(back.diff.lower[0], -100);
  EXPECT_EQ(back.fees_goal, 5000000);
  ini["PctTo0"] = "70000";  // short bounds are read as short
  ReadStatsColorOptions(read, &back);
  EXPECT_EQ(back.pct.upper[0], static_cast<short>(70000));
}

}  // namespace
