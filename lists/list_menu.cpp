#include "lists/list_menu.h"

namespace {

constexpr MenuItem kMenu1000[] = {
    {kCmChartData, "&Données Diagramme..."},
    {0, ""},
    {kCmPrintList, "&Imprimer Liste"},
    {kCmExportList, "&Exporter à Excel"},
};
constexpr MenuItem kMenu1001[] = {
    {kCmChartData, "&Données Diagramme..."},
    {kCmGenerateAll, "Générer"},
    {0, ""},
    {kCmPrintAll, "Imprimer &Tous"},
    {kCmPrintList, "&Imprimer Liste"},
    {kCmExportList, "&Exporter à Excel"},
};
constexpr MenuItem kMenu1002[] = {
    {kCmChartData, "&Données Diagramme..."},
    {kCmListFilter, "&Filtre..."},
    {0, ""},
    {kCmPrintList, "&Imprimer Liste"},
    {kCmExportList, "&Exporter à Excel"},
};

}  // namespace

std::span<const MenuItem> ModuleMenu(int menu_id) {
  switch (menu_id) {
    case 1000:
      return kMenu1000;
    case 1001:
      return kMenu1001;
    case 1002:
      return kMenu1002;
    default:
      return {};
  }
}

std::vector<MenuEntry> ListMenuEntries(const ListMenuState& state) {
  const bool empty_list = state.has_list && state.row_count == 0;
  std::vector<MenuEntry> out;
  if (state.on_cell) {
    out.push_back({kCmDrillCell, kDrillMenuText, true});
    out.push_back({0, "", true});
  }
  for (const MenuItem& item : ModuleMenu(state.menu_id)) {
    bool enabled = true;
    switch (item.command) {
      case kCmExportList:
        if (!state.spreadsheet_folder) continue;
        break;
      case kCmChartData:
        enabled = !empty_list;
        break;
      case kCmListFilter:
        if (state.menu_id == 1002 && state.page == 1) continue;
        enabled = !empty_list;
        break;
      default:
        break;
    }
    if (item.command == 0 && (out.empty() || out.back().command == 0)) continue;
    out.push_back({item.command, item.text, enabled});
  }
  if (!out.empty() && out.back().command == 0) out.pop_back();
  return out;
}
