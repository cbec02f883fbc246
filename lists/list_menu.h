// The module's right-click menus of the result lists (menu resources 1000
// to 1002) and the rules that enable their items, as data: the window code
// turns the answer into a QMenu, tests read it directly.
//
//   menu 1000  "&Données Diagramme..." 4002 | --- | "&Imprimer Liste" 4000 | "&Exporter à Excel" 4001
//   menu 1001  "&Données Diagramme..." 4002 | "Générer" 4004 | --- | "Imprimer &Tous" 4005 |
//              "&Imprimer Liste" 4000 | "&Exporter à Excel" 4001
//   menu 1002  "&Données Diagramme..." 4002 | "&Filtre..." 4006 | --- | "&Imprimer Liste" 4000 |
//              "&Exporter à Excel" 4001
//
// A menu opened over a cell of a result list starts with "Détails…" 4007
// (the rows behind that cell, as a double-click opens them) and a separator.
#pragma once

#include <span>
#include <vector>

enum ListMenuCommand : int {
  kCmPrintList = 4000,
  kCmExportList = 4001,
  kCmChartData = 4002,
  kCmGenerateAll = 4004,
  kCmPrintAll = 4005,
  kCmListFilter = 4006,
  kCmDrillCell = 4007,
};

inline constexpr char kDrillMenuText[] = "Détails…";

struct MenuItem {
  int command;       // 0 = separator
  const char* text;  // "" for a separator
};

// The items of menu resource id (1000, 1001, 1002); empty for any other id.
std::span<const MenuItem> ModuleMenu(int menu_id);

// What the rules need to know when a menu opens.
struct ListMenuState {
  int menu_id = 1000;
  bool spreadsheet_folder = true;  // TGetStatInfo::GetSpreadSheetDirectory() is not empty
  bool has_list = true;            // the list the menu acts on exists
  int row_count = 0;               // rows of that list (the shown page's list on the tab)
  int page = 0;                    // audit tab (1002): the inner tab's page, 0 detailed, 1 summary
  bool on_cell = false;            // the menu opens over a cell whose rows can be asked for
};

struct MenuEntry {
  int command;  // 0 = separator
  const char* text;
  bool enabled;
};

// The menu as it opens: menu_id's items minus the removed ones, each with
// its enabled state.
//   - every menu: 4001 is removed when there is no spreadsheet folder;
//   - 1000, 1001: 4002 is greyed when the list exists and holds no row;
//   - 1002: 4002 and 4006 are greyed when the shown list holds no row, and
//     4006 is removed when page 1 (summary) is shown.
//   - on_cell: "Détails…" and a separator come first.
// "&Imprimer Liste" is never disabled. A separator that would end up first,
// last or doubled is dropped too.
std::vector<MenuEntry> ListMenuEntries(const ListMenuState& state);
