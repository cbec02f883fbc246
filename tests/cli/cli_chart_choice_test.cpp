// The chart's choices on the command line: the codes, or the words of the
// window's combo boxes with case, accents and blanks aside.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appt/appt_graph_series.h"
#include "cli/cli_chart.h"
#include "goals/goals_graph.h"
#include "stats/stats_graph_series.h"

namespace {

TEST(ChartChoiceTest, CodesAndTheWindowsWordsPickTheSameChoice) {
  const std::vector<ChartChoice> choices = {{"10104", "Pourcentage"},
                                            {"10338", "Production"},
                                            {"92", "Objectif"},
                                            {"277", "Usage %"},
                                            {"10331", "Chang. statut"},
                                            {"7", "Année"},
                                            {"8", "Années précédentes"}};
  struct Case {
    const char* typed;
    const char* code;  // null: refused
    const char* says;  // part of the refusal
  };
  const Case cases[] = {
      {"10104", "10104", ""},
      {"Pourcentage", "10104", ""},
      {"POURCENTAGE", "10104", ""},
      {"pour", "10104", ""},           // a prefix only one has
      {"prod", "10338", ""},
      {"usage%", "277", ""},           // blanks aside
      {"chang.", "10331", ""},
      {"annee", "7", ""},              // whole words beat a longer choice
      {"ANNÉES", "8", ""},             // accents aside, either case
      {"années préc", "8", ""},
      {"p", nullptr, "désigne plusieurs choix"},
      {"zz", nullptr, "n'est pas un choix offert (10104 Pourcentage, 10338 Production"},
      {"", nullptr, "n'est pas un choix offert"},
      {"1010", nullptr, "n'est pas un choix offert"},  // codes are whole
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    std::string code, error;
    const bool picked = PickChartChoice(c.typed, choices, "données", &code, &error);
    EXPECT_EQ(picked, c.code != nullptr) << error;
    if (c.code != nullptr) {
      EXPECT_EQ(code, c.code);
    } else {
      EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
  }
}

}  // namespace

// What each tab says its measures are: the chart's value axis reads it,
// and a percentage is never stacked.
TEST(ChartUnitOfMeasuresTest, EveryTab) {
  struct Case {
    const char* name;
    ChartUnit unit;
    ChartUnit expected;
  };
  const Case cases[] = {
      {"goals_percentage", GoalsGraphUnit(kGoalsMainPercent), ChartUnit::kPercent},
      {"goals_production", GoalsGraphUnit(kGoalsMainProduction), ChartUnit::kMoney},
      {"goals_goal", GoalsGraphUnit(kGoalsMainGoal), ChartUnit::kMoney},
      {"stats_new_patients", StatsGraphUnit(1, 10326), ChartUnit::kCount},
      {"stats_summary_treatments", StatsGraphUnit(2, 10335), ChartUnit::kMoney},
      {"stats_booked_count", StatsGraphUnit(3, 271), ChartUnit::kCount},
      {"stats_available_hours", StatsGraphUnit(3, 272), ChartUnit::kHours},
      {"stats_usage", StatsGraphUnit(3, 277), ChartUnit::kPercent},
      {"stats_acceptance_count", StatsGraphUnit(4, 10177), ChartUnit::kCount},
      {"stats_acceptance_amount", StatsGraphUnit(4, 10150), ChartUnit::kMoney},
      {"stats_acceptance_percentage", StatsGraphUnit(4, 10104), ChartUnit::kPercent},
      {"productivity_booked", ApptMeasureUnit(1, 'H'), ChartUnit::kCount},
      {"productivity_available_hours", ApptMeasureUnit(2, 'H'), ChartUnit::kHours},
      {"productivity_available_units", ApptMeasureUnit(2, 'U'), ChartUnit::kUnits},
      {"productivity_usage", ApptMeasureUnit(7, 'H'), ChartUnit::kPercent},
      {"productivity_fees", ApptMeasureUnit(8, 'H'), ChartUnit::kMoney},
      {"productivity_missed", ApptMeasureUnit(3, 'H'), ChartUnit::kCount},
  };
  for (const Case& c : cases) EXPECT_EQ(c.unit, c.expected) << c.name;
}

// The --chart value every command reads: leading entries, style, the
// command's own options; anything else refused in one line.
TEST(ChartArgsTest, ReadsWhatTheCommandTakes) {
  const std::vector<std::string> options{"axis=P|T", "row=#", "dates"};
  struct Case {
    const char* name;
    const char* value;
    bool ok;
    const char* error;  // part of the message when refused
  };
  const Case cases[] = {
      {"both_entries_and_options", "4,1,style=7,axis=T,row=12,dates", true, ""},
      {"entries_only", "4,1", true, ""},
      {"an_entry_missing", "4", false, "usage"},
      {"style_out_of_range", "4,1,style=11", false, "style=0 à 10"},
      {"style_not_a_number", "4,1,style=x", false, "style=0 à 10"},
      {"a_letter_not_offered", "4,1,axis=X", false, "option inconnue « axis=X »"},
      {"a_number_that_is_not", "4,1,row=1a", false, "option inconnue « row=1a »"},
      {"a_word_given_a_value", "4,1,dates=1", false, "option inconnue « dates=1 »"},
      {"an_unknown_option", "4,1,compare", false, "option inconnue « compare »"},
  };
  for (const Case& c : cases) {
    ChartArgs args;
    std::string error;
    EXPECT_EQ(ParseChartArgs(c.value, 2, options, "usage", &args, &error), c.ok) << c.name;
    if (!c.ok) {
      EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
    }
  }
  ChartArgs args;
  std::string error;
  ASSERT_TRUE(ParseChartArgs("usage,S,style=4,axis=T,row=3,dates", 2, options, "usage", &args, &error)) << error;
  EXPECT_EQ(args.positional, (std::vector<std::string>{"usage", "S"}));
  EXPECT_EQ(args.style, 4);
  EXPECT_EQ(args.Get("axis"), "T");
  EXPECT_EQ(args.Get("row"), "3");
  EXPECT_TRUE(args.Has("dates"));
  EXPECT_FALSE(args.Has("main"));
}
