// The chart's values as text (what `--chart ... --format tsv` writes).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lists/graph_data.h"

namespace {

void AddSeries(TDList* series, const char* name, const std::vector<std::pair<const char*, double>>& values) {
  auto* s = new PracGraphElem(name, "4", "1");
  for (const auto& [label, value] : values) {
    auto* v = new GraphValueElem(label, "");
    v->value = value;
    s->Values().Append(v);
  }
  series->Append(s);
}

TEST(GraphSeriesTsvTest, OneLinePerValueInDrawingOrder) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, std::vector<std::pair<const char*, double>>>> series;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"no series", {}, ""},
      {"series after series",
       {{"Ajout", {{"anne", 4}, {"marc", 1}}}, {"Retrait", {{"anne", 0}, {"marc", 2}}}},
       "anne\tAjout\t4\nmarc\tAjout\t1\nanne\tRetrait\t0\nmarc\tRetrait\t2\n"},
      {"emptied labels read Tous", {{"", {{"", 7}}}}, "Tous\tTous\t7\n"},
      {"fractions and signs read back exactly",
       {{"Heures", {{"lun", 2.5}, {"mar", -0.125}, {"mer", 1e-7}, {"jeu", 123456789}}}},
       "lun\tHeures\t2.5\nmar\tHeures\t-0.125\nmer\tHeures\t1e-07\njeu\tHeures\t123456789\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TDList series;
    for (const auto& [name, values] : c.series) AddSeries(&series, name, values);
    EXPECT_EQ(GraphSeriesTsv(series), c.expected);
  }
}

}  // namespace
