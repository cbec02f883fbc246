// The module shell: handler commands, the practice-analysis window in the
// suite's MDI frame, the main dialog's pages, notification forwarding and
// the tooltip relay. Runs offscreen.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>

#include "host/application.h"
#include "host/qt/ml_tooltip.h"
#include "appt/ui/appt_dialog.h"
#include "audit/ui/audit_dialog.h"
#include "goals/ui/goals_dialog.h"
#include "shell/main_dialog.h"
#include "stats/ui/stats_dialog.h"
#include "shell/vantra_app.h"
#include "shell/vantra_mdi.h"

namespace {

// A suite main window with its MDI client, registered as the application's
// main window, and a handler of our own.
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = std::make_unique<QMainWindow>();
    mdi_area_ = new QMdiArea(main_.get());
    main_->setCentralWidget(mdi_area_);
    main_->resize(1000, 700);
    main_->show();
    app_.SetMainWindow(main_.get());
    QenApplication::SetInstance(&app_);
    handler_ = std::make_unique<QenVantraApp>("vantra", nullptr);
  }
  void TearDown() override {
    handler_.reset();
    main_.reset();
    QenApplication::SetInstance(nullptr);
  }
  int SubWindowCount() const { return static_cast<int>(mdi_area_->subWindowList().size()); }

  QenApplication app_;
  std::unique_ptr<QMainWindow> main_;
  QMdiArea* mdi_area_ = nullptr;
  std::unique_ptr<QenVantraApp> handler_;
};

TEST_F(ShellTest, SecondCommandBringsTheWindowForwardAndBuildsNothing) {
  ASSERT_TRUE(handler_->SendCommand(2534));
  VantraMDI* first = handler_->Mdi();
  ASSERT_NE(first, nullptr);
  QPointer<QenVantraMainDialog> dialog = first->MainDialog();

  // Another child takes the focus, then the command comes again.
  auto* other = mdi_area_->addSubWindow(new QWidget);
  other->show();
  mdi_area_->setActiveSubWindow(other);
  ASSERT_TRUE(handler_->SendCommand(2534));

  EXPECT_EQ(handler_->Mdi(), first);
  EXPECT_EQ(first->MainDialog(), dialog.data());
  EXPECT_EQ(SubWindowCount(), 2);
  EXPECT_EQ(mdi_area_->activeSubWindow(), first);
}

TEST_F(ShellTest, OpensMaximisedOnlyWhenTheActiveChildIsMaximised) {
  struct Case {
    const char* name;
    bool neighbour;
    bool neighbour_maximised;
    bool expect_maximised;
  };
  const Case cases[] = {
      {"no neighbour", false, false, false},
      {"normal neighbour", true, false, false},
      {"maximised neighbour", true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    handler_ = std::make_unique<QenVantraApp>("vantra", nullptr);
    for (QMdiSubWindow* w : mdi_area_->subWindowList()) delete w;
    if (c.neighbour) {
      auto* other = mdi_area_->addSubWindow(new QWidget);
      if (c.neighbour_maximised) other->showMaximized(); else other->showNormal();
      mdi_area_->setActiveSubWindow(other);
    }
    handler_->CmVantra();
    ASSERT_NE(handler_->Mdi(), nullptr);
    EXPECT_EQ(handler_->Mdi()->isMaximized(), c.expect_maximised);
    delete handler_->Mdi();
    EXPECT_EQ(handler_->Mdi(), nullptr);
  }
}

TEST_F(ShellTest, ClosingThenCommandBuildsAFreshWindowWithFreshPages) {
  handler_->CmVantra();
  QPointer<VantraMDI> first = handler_->Mdi();
  QPointer<QenVantraMainDialog> first_dialog = first->MainDialog();
  QPointer<PracListDialog> first_page = first_dialog->AuditPage();
  first->close();  // the child deletes itself on close
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
  EXPECT_TRUE(first_page.isNull());
  EXPECT_EQ(handler_->Mdi(), nullptr);

  handler_->CmVantra();
  ASSERT_NE(handler_->Mdi(), nullptr);
  EXPECT_NE(handler_->Mdi()->MainDialog()->AuditPage(), nullptr);
  EXPECT_EQ(SubWindowCount(), 1);
}

TEST_F(ShellTest, AuditHistoryWithoutRecordDoesNothing) {
  struct Case {
    const char* name;
    bool with_data;
    intptr_t record;
  };
  const Case cases[] = {{"no data record", false, 0}, {"record id 0", true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HandlerData data;
    data.word[0] = reinterpret_cast<intptr_t>(main_.get());
    data.word[1] = c.record;
    data.word[5] = 20105;
    handler_->SetData(c.with_data ? &data : nullptr);
    int before = static_cast<int>(QApplication::topLevelWidgets().size());
    EXPECT_TRUE(handler_->SendCommand(2544));
    EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), before);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  }
}

TEST_F(ShellTest, UnknownCommandIsNotHandled) { EXPECT_FALSE(handler_->SendCommand(2535)); }

TEST_F(ShellTest, WithoutSuiteFrameTheWindowStandsAlone) {
  app_.SetMainWindow(nullptr);
  handler_->CmVantra();
  ASSERT_NE(handler_->Mdi(), nullptr);
  EXPECT_EQ(handler_->Mdi()->Client(), nullptr);
  EXPECT_TRUE(handler_->Mdi()->isVisible());
  EXPECT_EQ(SubWindowCount(), 0);
  delete handler_->Mdi();
}

TEST(MainDialog, FourPagesInOrderWithTitlesAndColours) {
  QenVantraMainDialog dialog(nullptr, 2000, nullptr);
  QenVantraTabCtrl* tabs = dialog.TabCtrl();
  ASSERT_EQ(tabs->GetCount(), 4);
  EXPECT_EQ(tabs->Id(), 101);
  EXPECT_EQ(tabs->BkgndColor(), QColor(219, 226, 236));
  EXPECT_EQ(dialog.BkgndColor(), QColor(219, 226, 236));
  struct Page {
    QWidget* page;
    const char* title;
    QColor colour;
    int resource;
  };
  const Page pages[] = {
      {dialog.AuditPage(), "Journal d'audit", QColor(151, 43, 174), 2001},
      {dialog.ApptPage(), "Productivité", QColor(231, 211, 231), 2003},
      {dialog.StatPage(), "Analyse du cabinet", QColor(198, 166, 198), 2007},
      {dialog.GoalsPage(), "Objectifs Mensuels", QColor(231, 211, 231), 2009},
  };
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(pages[i].title);
    EXPECT_EQ(tabs->Page(i), pages[i].page);
    EXPECT_EQ(tabs->tabText(i).toStdString(), pages[i].title);
    EXPECT_EQ(tabs->TabColour(i), pages[i].colour);
    EXPECT_EQ(static_cast<QenDialog*>(pages[i].page)->ResourceId(), pages[i].resource);
  }
}

TEST(MainDialog, PageSwitchIsFollowed) {
  QenVantraMainDialog dialog(nullptr, 2000, nullptr);
  dialog.Create();
  dialog.TabCtrl()->SetSel(2);
  EXPECT_EQ(dialog.CurrentPage(), 2);
}

TEST(TabCtrl, ForwardsOnlyItemChangedCustomDrawAndDoubleClick) {
  QenVantraTabCtrl tabs(114);
  std::vector<int> seen;
  tabs.SetNotifyTarget([&seen](int id, int code, int) {
    seen.push_back(code);
    return id == 300 ? 32L : 7L;
  });
  struct Case {
    const char* name;
    int code;
    long answer;
  };
  const Case cases[] = {
      {"LVN_ITEMCHANGED", kLvnItemChanged, 32},
      {"NM_CUSTOMDRAW", kNmCustomDraw, 32},
      {"NM_DBLCLK", kNmDblClk, 32},
      {"LVN_COLUMNCLICK", kLvnColumnClick, 0},
      {"other", -999, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(tabs.ForwardNotification(300, c.code, 0), c.answer);
  }
  EXPECT_EQ(seen, (std::vector<int>{kLvnItemChanged, kNmCustomDraw, kNmDblClk}));
}

TEST(MainDialog, MouseEventsOfDescendantsReachTheTooltip) {
  QenVantraMainDialog dialog(nullptr, 2000, nullptr);
  dialog.show();
  ASSERT_NE(dialog.Tooltip(), nullptr);
  EXPECT_TRUE(dialog.Tooltip()->IsActive());
  QPushButton stranger;
  long before = dialog.Tooltip()->RelayedCount();
  QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(dialog.AuditPage(), &move);
  EXPECT_EQ(dialog.Tooltip()->RelayedCount(), before + 1);
  QApplication::sendEvent(&stranger, &move);
  EXPECT_EQ(dialog.Tooltip()->RelayedCount(), before + 1);
}

TEST(ModuleEntry, AttachCountKeepsOneHandlerUntilTheLastDetach) {
  ASSERT_EQ(VantraHandler(), nullptr);  // this program never loaded the module itself
  VantraProcessAttach();
  QenVantraApp* handler = VantraHandler();
  ASSERT_NE(handler, nullptr);
  VantraProcessAttach();
  EXPECT_EQ(VantraHandler(), handler);
  EXPECT_EQ(VantraAttachCount(), 2);
  VantraProcessDetach();
  EXPECT_EQ(VantraHandler(), handler);
  VantraProcessDetach();
  EXPECT_EQ(VantraHandler(), nullptr);
  VantraProcessDetach();  // one too many changes nothing
  EXPECT_EQ(VantraAttachCount(), 0);
}

TEST(ModuleEntry, LoadedLibraryHandsOutItsHandler) {
  void* lib = dlopen(VANTRA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto entry = reinterpret_cast<GetDllHandlerFn>(dlsym(lib, "GetDllHandler"));
  ASSERT_NE(entry, nullptr);
  QenDllHandler* handler = entry();
  ASSERT_NE(handler, nullptr);
  EXPECT_EQ(entry(), handler);  // the same handler every time
  EXPECT_FALSE(handler->SendCommand(1));
  // Nothing else of the module is visible.
  EXPECT_EQ(dlsym(lib, "_Z13VantraHandlerv"), nullptr);
  dlclose(lib);
}

}  // namespace
