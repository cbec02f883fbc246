// The chart's choices on the command line: the codes, or the words of the
// window's combo boxes with case, accents and blanks aside.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_chart.h"

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
