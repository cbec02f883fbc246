#include "lists/list_menu.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The menu as "text" per item, "(text)" when greyed, "-" for a separator.
std::string Render(const ListMenuState& state) {
  std::string out;
  for (const MenuEntry& e : ListMenuEntries(state)) {
    if (!out.empty()) out += " | ";
    if (e.command == 0) {
      out += "-";
    } else {
      out += e.enabled ? std::string(e.text) : "(" + std::string(e.text) + ")";
    }
  }
  return out;
}

TEST(ListMenuTest, EnablingRules) {
  struct Case {
    const char* name;
    ListMenuState state;
    const char* expected;
  };
  const Case cases[] = {
      {"history_with_rows", {1000, true, true, 3, 0},
       "&Données Diagramme... | - | &Imprimer Liste | &Exporter à Excel"},
      {"history_empty", {1000, true, true, 0, 0},
       "(&Données Diagramme...) | - | &Imprimer Liste | &Exporter à Excel"},
      {"history_no_folder", {1000, false, true, 3, 0}, "&Données Diagramme... | - | &Imprimer Liste"},
      {"history_no_list", {1000, true, false, 0, 0},
       "&Données Diagramme... | - | &Imprimer Liste | &Exporter à Excel"},
      {"tab_detailed", {1002, true, true, 5, 0},
       "&Données Diagramme... | &Filtre... | - | &Imprimer Liste | &Exporter à Excel"},
      {"tab_detailed_empty", {1002, true, true, 0, 0},
       "(&Données Diagramme...) | (&Filtre...) | - | &Imprimer Liste | &Exporter à Excel"},
      {"tab_summary_no_filter", {1002, true, true, 5, 1},
       "&Données Diagramme... | - | &Imprimer Liste | &Exporter à Excel"},
      {"tab_summary_empty_no_folder", {1002, false, true, 0, 1},
       "(&Données Diagramme...) | - | &Imprimer Liste"},
      {"stats_menu_1001", {1001, true, true, 0, 0},
       "(&Données Diagramme...) | Générer | - | Imprimer &Tous | &Imprimer Liste | &Exporter à Excel"},
      {"unknown_menu", {999, true, true, 0, 0}, ""},
      {"over_a_cell", {1000, true, true, 3, 0, true},
       "Détails… | - | &Données Diagramme... | - | &Imprimer Liste | &Exporter à Excel"},
      {"over_a_summary_cell", {1002, false, true, 5, 1, true},
       "Détails… | - | &Données Diagramme... | - | &Imprimer Liste"},
      {"over_a_cell_of_no_menu", {999, true, true, 0, 0, true}, "Détails…"},
  };
  for (const Case& c : cases) EXPECT_EQ(Render(c.state), c.expected) << c.name;
}

TEST(ListMenuTest, PrintIsNeverDisabled) {
  for (int menu : {1000, 1001, 1002}) {
    for (int rows : {0, 1}) {
      for (bool folder : {false, true}) {
        bool found = false;
        for (const MenuEntry& e : ListMenuEntries({menu, folder, true, rows, 0})) {
          if (e.command == kCmPrintList) found = e.enabled;
        }
        EXPECT_TRUE(found) << menu << " rows " << rows << " folder " << folder;
      }
    }
  }
}

}  // namespace
