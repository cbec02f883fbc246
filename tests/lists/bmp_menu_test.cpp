// The suite's bitmap menus over the list menus: which items get a picture,
// that the pictures are drawn, and the INI switch.
#include "lists/qt/bmp_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <cstdlib>

#include "host/application.h"
#include "host/ini.h"
#include "host/qt/qen_dialog.h"
#include "tests/support/test_db.h"

namespace {

class BmpMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.SetINI(dir_.File("tolvane.ini"));
    QenApplication::SetInstance(&app_);
  }
  void TearDown() override { QenApplication::SetInstance(nullptr); }
  TempDir dir_;
  QenApplication app_;
};

TEST_F(BmpMenuTest, EveryListCommandHasItsPicture) {
  for (int command : {kCmPrintList, kCmExportList, kCmChartData, kCmGenerateAll, kCmPrintAll, kCmListFilter, kCmDrillCell}) {
    SCOPED_TRACE(command);
    const QIcon icon = TBmpMenu::CommandIcon(command);
    ASSERT_FALSE(icon.isNull());
    // Drawn, not blank: the picture has opaque pixels at menu size.
    const QImage image = icon.pixmap(16, 16).toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
    }
    EXPECT_GT(opaque, 30);
  }
  EXPECT_TRUE(TBmpMenu::CommandIcon(4003).isNull()) << "no picture for an unknown command";
}

TEST_F(BmpMenuTest, ListMenusAreDressedUnlessTheSuiteSaysNo) {
  QenDialog dialog(nullptr, 2007);
  ListMenuState state;
  state.menu_id = 1001;
  state.row_count = 3;
  std::unique_ptr<QMenu> menu = MakeListMenu(&dialog, ListMenuEntries(state));
  int with_icon = 0, items = 0;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) continue;
    ++items;
    with_icon += !a->icon().isNull();
  }
  EXPECT_EQ(items, 5);
  EXPECT_EQ(with_icon, 5) << "chart, generate, print all, print, export";
  if (const char* shot = std::getenv("VANTRA_MENU_PNG")) {  // to look at it
    menu->adjustSize();
    menu->grab().save(QString::fromLocal8Bit(shot));
  }

  // The actions still send their commands.
  int printed = 0;
  dialog.OnCommand(kCmPrintList, [&] { ++printed; });
  for (QAction* a : menu->actions()) {
    if (a->data().toInt() == kCmPrintList) a->trigger();
  }
  EXPECT_EQ(printed, 1);

  ASSERT_TRUE(WDIniObj(app_.GetINI()).write_secini("SUITE", "BitmapMenus", "N"));
  EXPECT_FALSE(TBmpMenu::Enabled());
  menu = MakeListMenu(&dialog, ListMenuEntries(state));
  for (QAction* a : menu->actions()) EXPECT_TRUE(a->icon().isNull()) << a->text().toStdString();
}

}  // namespace
