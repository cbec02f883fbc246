// Cell texts, the suite's rounding, colours and the values the chart reads.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "goals/goals_style.h"
#include "host/list_window.h"

namespace {

GoalsDisplay Display(char fees, char goals, char no_goals = 'N', char round_up = 'Y') {
  GoalsDisplay d;
  d.fees_display = fees;
  d.goals_display = goals;
  d.no_goals = no_goals;
  d.round_up = round_up;
  return d;
}

TEST(GoalsCells, SuiteRoundIsHalfAwayFromZero) {
  struct Case { double in; long out; } cases[] = {
      {2.5, 3}, {-2.5, -3}, {2.4999, 2}, {0.5, 1}, {-0.5, -1}, {100.5, 101}, {0, 0}, {12.5, 13}};
  for (const Case& c : cases) EXPECT_EQ(SuiteRound(c.in), c.out) << c.in;
}

TEST(GoalsCells, AmountForms) {
  struct Case { const char* name; long cents; char form; const char* text; } cases[] = {
      {"cents", 123456, 'C', "1234.56"},
      {"cents negative", -1050, 'C', "-10.50"},
      {"dollars truncate", 123456, 'D', "1234"},
      {"dollars small", 99, 'D', "0"},
      {"thousands with fraction", 123456, 'K', "1.2K"},
      {"thousands whole", 100000, 'K', "1K"},
      {"thousands fraction at the bound", 101000, 'K', "1K"},
      {"thousands fraction just above", 101100, 'K', "1.0K"},
      {"thousands below one", 50000, 'K', "0.5K"},
      {"unknown form reads as cents", 5, 'X', "0.05"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GoalAmountText(c.cents, c.form), c.text);
  }
}

TEST(GoalsCells, CellTexts) {
  struct Case { const char* name; long p, g; GoalsDisplay d; const char* text; } cases[] = {
      {"cents over dollars", 123456, 100000, Display('C', 'D'), "1234.56/1000 (123%)"},
      {"half percent rounds up", 20100, 20000, Display('C', 'D'), "201.00/200 (101%)"},
      {"decimals", 20050, 20000, Display('C', 'D', 'N', 'N'), "200.50/200 (100.25%)"},
      {"no goals", 123456, 100000, Display('D', 'D', 'Y'), "1234 (123%)"},
      {"thousands both", 123456, 100000, Display('K', 'K'), "1.2K/1K (123%)"},
      {"goal below 1 is empty", 500, 0, Display('C', 'D'), ""},
      {"negative goal is empty", 500, -100, Display('C', 'D'), ""},
      {"no production", 0, 50000, Display('C', 'D'), "0.00/500 (0%)"},
      {"goal of one cent", 1, 1, Display('C', 'C'), "0.01/0.01 (100%)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GoalCellText(c.p, c.g, c.d), c.text);
  }
}

TEST(GoalsCells, ValuesReadBack) {
  struct Case { const char* name; const char* cell; GoalsDisplay d; double pct, production, goal; } cases[] = {
      {"cents and dollars", " 1234.56/1000 (123%) ", Display('C', 'D'), 123, 1234.56, 1000},
      {"thousands", "1.2K/1K (123%)", Display('K', 'K'), 123, 1.2, 1},
      {"no goals", "1234 (123%)", Display('D', 'D', 'Y'), 123, 1234, 0},
      {"decimals", "200.50/200 (100.25%)", Display('C', 'D', 'N', 'N'), 100.25, 200.5, 200},
      {"empty", "", Display('C', 'D'), 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(GoalCellPercentValue(c.cell), c.pct);
    EXPECT_DOUBLE_EQ(GoalCellProductionValue(c.cell, c.d), c.production);
    EXPECT_DOUBLE_EQ(GoalCellGoalValue(c.cell), c.goal);
  }
}

GoalsDisplay Ranges() {
  GoalsDisplay d;
  d.line_color[0] = Rgb(0, 0, 255);
  d.line_color[2] = Rgb(200, 0, 0);
  d.bold[2] = 'Y';
  d.range_color[0] = Rgb(255, 0, 0);
  d.range_color[1] = Rgb(255, 255, 0);
  d.range_color[2] = Rgb(0, 255, 0);
  d.from[0] = 0;   d.to[0] = 79;
  d.from[1] = 80;  d.to[1] = 99;
  d.from[2] = 100; d.to[2] = 500;
  return d;
}

TEST(GoalsCells, ColourByLineKindAndRange) {
  const GoalsDisplay d = Ranges();
  struct Case { const char* name; long kind; const char* cell; CellStyle want; } cases[] = {
      {"year line, low", 1, "10/100 (10%)", {false, Rgb(0, 0, 255), Rgb(255, 0, 0)}},
      {"comparison line, middle", 2, "90/100 (90%)", {false, kBlack, Rgb(255, 255, 0)}},
      {"totals, high and bold", 3, "150/100 (150%)", {true, Rgb(200, 0, 0), Rgb(0, 255, 0)}},
      {"comparison totals use range 2", 4, "x (100%)", {true, Rgb(200, 0, 0), Rgb(0, 255, 0)}},
      {"between ranges is white", 1, "(79.5%)", {false, Rgb(0, 0, 255), kWhite}},
      {"no percentage is white", 1, "", {false, Rgb(0, 0, 255), kWhite}},
      {"blank row keeps defaults", 0, "(10%)", {false, kNoColor, kNoColor}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GoalCellStyle(d, c.kind, c.cell), c.want);
  }
}

TEST(GoalsCells, BackgroundSkippedWhenRangesAreUnset) {
  GoalsDisplay bounds_zero = Ranges();
  for (int k = 0; k < 3; ++k) bounds_zero.from[k] = bounds_zero.to[k] = 0;
  EXPECT_EQ(GoalCellStyle(bounds_zero, 1, "(0%)").background, kWhite);
  EXPECT_EQ(GoalCellStyle(bounds_zero, 1, "(0%)").text, Rgb(0, 0, 255));
  GoalsDisplay colours_zero = Ranges();
  for (ColorRef& c : colours_zero.range_color) c = 0;
  EXPECT_EQ(GoalCellStyle(colours_zero, 1, "(10%)").background, kWhite);
}

TEST(GoalsCells, RecordedColoursFollowTheStyle) {
  QenListWindow list(5111);
  list.AddString("D01 \t10/100 (10%) \t150/100 (150%)", 1);
  list.AddString("", 0);
  list.AddString("Total: \t160/200 (80%)", 3);
  const GoalsDisplay d = Ranges();
  TDList colours;
  CollectGoalColours(list, d, &colours);
  const ListReport report(&list, "Objectif", GoalListStyle(&list, &d), &colours);
  for (int row : {0, 2}) {
    for (int column = 0; column < list.CellCount(row); ++column) {
      SCOPED_TRACE(testing::Message() << row << "," << column);
      const CellStyle s = GoalCellStyle(d, list.GetItemData(row), column ? list.GetItemText(row, column) : "");
      const CellStyle printed = report.StyleOf(row, column);
      EXPECT_EQ(printed.text, s.text);
      EXPECT_EQ(printed.background == kNoColor ? kWhite : printed.background, s.background);
    }
  }
  // Text colour on the 3 + 2 cells of the coloured lines, backgrounds on the
  // three percentage cells (10% red, 150% green, 80% yellow).
  EXPECT_EQ(colours.Count(), 5u + 3u);
}

TEST(GoalsOptionsIni, ColourTextStartingWithZeroIsWhite) {
  EXPECT_EQ(GoalColorOf("0"), kWhite);
  EXPECT_EQ(GoalColorOf("0255"), kWhite);
  EXPECT_EQ(GoalColorOf("255"), Rgb(255, 0, 0));
  EXPECT_EQ(GoalColorOf(""), kWhite);
}

TEST(GoalsOptionsIni, DisplayRoundTrip) {
  std::map<std::string, std::string> ini;
  GoalsDisplay d = Ranges();
  d.no_goals = 'Y';
  d.round_up = 'N';
  d.goals_display = 'K';
  d.fees_display = 'D';
  d.show_tot_col = 'Y';
  ASSERT_TRUE(WriteGoalsDisplay(d, [&](const char* k, const std::string& v) { ini[k] = v; return true; }));
  EXPECT_EQ(ini["GoalFrom1"], "80");
  EXPECT_EQ(ini["Bold2"], "Y");
  GoalsDisplay back;
  ReadGoalsDisplay([&](const char* k, const char* def) { return ini.count(k) ? ini[k] : std::string(def); }, &back);
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(back.bold[k], d.bold[k]);
    EXPECT_EQ(back.line_color[k], d.line_color[k]);
    EXPECT_EQ(back.range_color[k], d.range_color[k]);
    EXPECT_EQ(back.from[k], d.from[k]);
    EXPECT_EQ(back.to[k], d.to[k]);
  }
  EXPECT_EQ(std::string({back.no_goals, back.round_up, back.show_tot_col, back.goals_display, back.fees_display}),
            "YNYKD");
}

}  // namespace
