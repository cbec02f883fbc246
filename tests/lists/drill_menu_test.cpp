// The "Détails…" item of the result lists' right-click menus: the cell under
// the click is the one drilled, a blank line or empty space offers nothing.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <utility>

#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/qt/qen_dialog.h"
#include "lists/list_menu.h"
#include "lists/qt/bmp_menu.h"
#include "lists/qt/drill_dialog.h"

namespace {

TEST(DrillMenuTest, TheItemDrillsTheCellUnderTheClick) {
  QenDialog dialog(nullptr, 2007);
  dialog.resize(500, 300);
  auto* view = new ListView(300, &dialog);
  view->setGeometry(0, 0, 500, 300);
  QenListWindow* list = view->List();
  list->AddColumn("Date", 12);
  list->AddColumn("Nombre", 8);
  list->AddString("2026-11-02\t14", 1);
  list->AddString("\t", 0);  // a blank line between groups
  list->AddString("Total:\t14", -1);
  dialog.show();

  auto global = [&](int row, int column) {
    return view->viewport()->mapToGlobal(view->visualRect(view->Model()->index(row, column)).center());
  };
  std::pair<int, int> drilled{-1, -1};
  auto drill = [&](int row, int column) { drilled = {row, column}; };
  auto* item = new DrillMenuItem(&dialog);

  struct Case {
    const char* name;
    QPoint at;
    bool offered;
    std::pair<int, int> cell;
  };
  const Case cases[] = {
      {"data_cell", global(0, 1), true, {0, 1}},
      {"total_label", global(2, 0), true, {2, 0}},
      {"blank_line", global(1, 1), false, {-1, -1}},
      {"below_the_rows", view->viewport()->mapToGlobal(QPoint(10, 290)), false, {-1, -1}},
  };
  for (const Case& c : cases) {
    drilled = {-1, -1};
    EXPECT_EQ(item->Aim(view, c.at, drill), c.offered) << c.name;
    ListMenuState state;
    state.on_cell = c.offered;
    std::unique_ptr<QMenu> menu = MakeListMenu(&dialog, ListMenuEntries(state));
    const QAction* first = menu->actions().value(0);
    ASSERT_NE(first, nullptr) << c.name;
    EXPECT_EQ(first->text() == QString::fromUtf8(kDrillMenuText), c.offered) << c.name;
    dialog.SendCommand(kCmDrillCell);
    EXPECT_EQ(drilled, c.cell) << c.name;
  }
  // The item drills once: a second command without a new click does nothing.
  ASSERT_TRUE(item->Aim(view, global(0, 0), drill));
  dialog.SendCommand(kCmDrillCell);
  drilled = {-1, -1};
  dialog.SendCommand(kCmDrillCell);
  EXPECT_EQ(drilled, std::make_pair(-1, -1));
}

}  // namespace
