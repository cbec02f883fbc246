// What the goal editor checks: validation bounds, the duplicate statement,
// the January fill, the copy, dollars typed on the command line.
#include <gtest/gtest.h>

#include "goals/goal_editor.h"

namespace {

GoalInfo Record(int year, int32_t cents = 1000) {
  GoalInfo g;
  g.SetProducer("D01");
  g.year = year;
  for (int32_t& v : g.goals) v = cents;
  return g;
}

TEST(GoalEditor, ValidationBounds) {
  const int current = 2026;
  struct Case { const char* name; GoalInfo record; std::vector<int> failed; } cases[] = {
      {"1969 refused", Record(1969), {97}},
      {"1970 accepted", Record(1970), {}},
      {"current + 25 accepted", Record(2051), {}},
      {"current + 26 refused", Record(2052), {97}},
      {"year 0 refused", Record(0), {97}},
      {"a month of 0", [] { GoalInfo g = Record(2026); g.goals[6] = 0; return g; }(), {98}},
      {"both messages", Record(1900, 0), {97, 98}},
      {"negative goals are not 0", Record(2026, -5), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ValidateGoalRecord(c.record, current), c.failed);
  }
}

TEST(GoalEditor, DuplicateStatement) {
  GoalInfo r = Record(2026);
  EXPECT_EQ(DuplicateGoalSql("", r, kGoalModeAdding, 7),
            "SELECT COUNT(0) FROM GOALS WHERE GOAL_PROD = 'D01' and GOAL_YEAR=2026");
  EXPECT_EQ(DuplicateGoalSql("clinic2.", r, kGoalModeChanging, 7),
            "SELECT COUNT(0) FROM clinic2.GOALS WHERE GOAL_PROD = 'D01' and GOAL_YEAR=2026 AND GOALS_ID != 7");
  EXPECT_EQ(DuplicateGoalSql("", r, kGoalModeChanging, 0),
            "SELECT COUNT(0) FROM GOALS WHERE GOAL_PROD = 'D01' and GOAL_YEAR=2026");
  r.SetProducer("O'B");
  EXPECT_EQ(DuplicateGoalSql("", r, kGoalModeAdding, 0),
            "SELECT COUNT(0) FROM GOALS WHERE GOAL_PROD = 'O''B' and GOAL_YEAR=2026");
}

TEST(GoalEditor, JanuaryFill) {
  struct Case { const char* name; int mode; const char* january; int other; bool filled; } cases[] = {
      {"new record, other months empty", kGoalModeAdding, "1000", -1, true},
      {"new record, decimals", kGoalModeAdding, "19.99", -1, true},
      {"a month already typed", kGoalModeAdding, "1000", 5, false},
      {"December typed", kGoalModeAdding, "1000", 11, false},
      {"changing a record", kGoalModeChanging, "1000", -1, false},
      {"January 0", kGoalModeAdding, "0", -1, false},
      {"January not a number", kGoalModeAdding, "abc", -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string months[12];
    months[0] = c.january;
    if (c.other >= 0) months[c.other] = "5";
    EXPECT_EQ(JanuaryFill(c.mode, months), c.filled);
    for (int m = 1; m < 12; ++m) {
      const std::string want = c.filled ? c.january : (m == c.other ? "5" : "");
      EXPECT_EQ(months[m], want) << m;
    }
  }
}

TEST(GoalEditor, CopyKeepsTheEditablePartOnly) {
  GoalInfo g = Record(2026, 4200);
  g.id = 17;
  g.goals[3] = 1;
  const GoalInfo copy = CopyGoalRecord(g);
  EXPECT_EQ(copy.id, 0);
  EXPECT_EQ(copy.Producer(), "D01");
  EXPECT_EQ(copy.year, 2026);
  EXPECT_EQ(copy.goals[3], 1);
  EXPECT_EQ(copy.goals[11], 4200);
}

TEST(GoalEditor, DollarsToCentsExactly) {
  struct Case { const char* text; bool ok; long cents; } cases[] = {
      {"1500", true, 150000}, {"19.99", true, 1999}, {"0.07", true, 7},   {"0.5", true, 50},
      {"$12", true, 1200},    {".5", true, 50},      {"1.", true, 100},    {"21474836.47", true, 2147483647},
      {"21474836.48", false, 0}, {"19.999", false, 0}, {"1,5", false, 0}, {"", false, 0},
      {"-5", false, 0},       {"12a", false, 0},     {".", false, 0},      {"4.35", true, 435},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    long cents = -1;
    EXPECT_EQ(ParseDollars(c.text, &cents), c.ok);
    if (c.ok) {
      EXPECT_EQ(cents, c.cents);
    }
  }
}

TEST(GoalEditor, ProducerCodes) {
  const std::vector<std::string> known = {"D01", "H01"};
  struct Case { const char* code; bool ok; } cases[] = {
      {"*", true}, {"D*", true}, {"H*", true}, {"D01", true}, {"Z9", false},
      {"**", false}, {"D01*", false}, {"", false}, {"d01", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    std::string error;
    EXPECT_EQ(CheckGoalProducer(c.code, known, &error), c.ok);
    EXPECT_EQ(error.empty(), c.ok);
  }
}

}  // namespace
