// The list services of the audit tab and of the history, on a stand-in tab
// (a dialog with the inner tab control 114 and lists 300 and 301).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "audit/audit_style.h"
#include "audit/audit_lines.h"
#include "audit/audit_types.h"
#include "lists/qt/printer_select.h"
#include "audit/ui/audit_list_tools.h"
#include "audit/ui/audit_graph_dialog.h"
#include "audit/ui/prac_list_filter_dialog.h"
#include "host/application.h"
#include "host/ini.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/qt/tab_ctrl.h"
#include "tests/support/pdf_tools.h"
#include "tests/support/test_db.h"

namespace {

class AuditTabStandIn {
 public:
  AuditTabStandIn() : dialog(nullptr, 2001) {
    dialog.setWindowTitle("Journal d'audit");
    auto* layout = new QVBoxLayout(&dialog);
    users = new ListView(108, &dialog);
    tabs = new QenTabCtrl(114, &dialog);
    detailed = new ListView(300, tabs);
    summary = new ListView(301, tabs);
    detailed->List()->LoadRes(300);
    summary->List()->LoadRes(301);
    tabs->AddPage(10, detailed, 0, QColor(151, 43, 174));
    tabs->AddPage(11, summary, 1, QColor(163, 80, 140));
    layout->addWidget(users);
    layout->addWidget(tabs);
    dialog.AddControl(114, tabs);
    dialog.AddControl(108, users);
    dialog.OnCommand(102, [this] { ++generated; });
    options.subtotal[1] = 1;  // date
    tools = new AuditListTools(&dialog, tabs, [this] {
      const bool page1 = tabs->GetSel() == 1;
      return AuditShownList{page1 ? summary->List() : detailed->List(), page1 ? summary : detailed, page1 ? 1 : 0};
    }, &options, 1002, 0);
    dialog.resize(700, 500);
  }

  void FillDetailed() {
    std::string line;
    DetailedLine(&line, "2026-01-05", "09:15:00 AM", "anne", "PATIENT", "Dossiers", "Ajout", "desc", "Luc", "Roy");
    detailed->List()->AddString(line, 1);
    DetailedLine(&line, "2026-01-06", "10:00:00 AM", "marc", "RDV", "Horaire", "Retrait", "desc", "Eve", "Côté");
    detailed->List()->AddString(line, 2);
    detailed->List()->AddString("Grand Total: 2\t \t2 \t \t2 \t2", -1);
  }

  QenDialog dialog;
  QenTabCtrl* tabs;
  ListView* users;
  ListView* detailed;
  ListView* summary;
  AuditOptions options;
  AuditListTools* tools;
  int generated = 0;
};

// The menu as "text" per item, "(text)" when greyed, "-" for a separator.
std::string Render(const QMenu& menu) {
  std::string out;
  for (QAction* a : menu.actions()) {
    if (!out.empty()) out += " | ";
    if (a->isSeparator()) {
      out += "-";
    } else {
      out += a->isEnabled() ? a->text().toStdString() : "(" + a->text().toStdString() + ")";
    }
  }
  return out;
}

class AuditListToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.SetINI(dir_.File("tolvane.ini"));
    QenApplication::SetInstance(&app_);
    SetFolder(dir_.path() + "/xls");
  }
  void TearDown() override { QenApplication::SetInstance(nullptr); }
  void SetFolder(const std::string& folder) {
    ASSERT_TRUE(WDIniObj(app_.GetINI()).write_secini("SUITE", "SpreadSheetDir", folder.c_str()));
  }

  TempDir dir_;
  QenApplication app_;
};

TEST_F(AuditListToolsTest, MenuEnabling) {
  AuditTabStandIn tab;
  EXPECT_EQ(Render(*tab.tools->MakeMenu()),
            "(&Données Diagramme...) | (&Filtre...) | - | &Imprimer Liste | &Exporter à Excel");
  tab.FillDetailed();
  EXPECT_EQ(Render(*tab.tools->MakeMenu()),
            "&Données Diagramme... | &Filtre... | - | &Imprimer Liste | &Exporter à Excel");
  tab.tabs->SetSel(1);
  EXPECT_EQ(Render(*tab.tools->MakeMenu()), "(&Données Diagramme...) | - | &Imprimer Liste | &Exporter à Excel")
      << "summary page: no filter, empty summary list";
  SetFolder("");
  EXPECT_EQ(Render(*tab.tools->MakeMenu()), "(&Données Diagramme...) | - | &Imprimer Liste");

  // The history's menu 1000 over its list.
  QenDialog history(nullptr, 2006);
  ListView list(5111, &history);
  AuditOptions options;
  AuditListTools tools(&history, &list, [&] { return AuditShownList{list.List(), &list, 0}; }, &options, 1000);
  EXPECT_EQ(Render(*tools.MakeMenu()), "(&Données Diagramme...) | - | &Imprimer Liste");
}

TEST_F(AuditListToolsTest, MenuOpensOnlyOverTheInnerTab) {
  AuditTabStandIn tab;
  tab.FillDetailed();
  tab.dialog.show();
  QApplication::processEvents();
  auto right_click = [&](QWidget* target) {
    std::string shown;
    QTimer::singleShot(50, [&] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        shown = Render(*menu);
        menu->close();
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &event);
    QApplication::processEvents();
    return shown;
  };
  EXPECT_EQ(right_click(tab.detailed->viewport()),
            "&Données Diagramme... | &Filtre... | - | &Imprimer Liste | &Exporter à Excel")
      << "a right click on the shown list reaches the inner tab control";
  EXPECT_EQ(right_click(tab.users->viewport()), "") << "no menu over the option lists";
}

TEST_F(AuditListToolsTest, ExportWritesTheShownListAndTellsThePath) {
  AuditTabStandIn tab;
  tab.FillDetailed();
  QString told;
  ScopedPromptHook prompt([&](const PromptRequest& r) {
    told = r.text;
    return QMessageBox::Ok;
  });
  tab.dialog.SendCommand(4001);
  const std::string path = tab.tools->LastExportPath();
  ASSERT_FALSE(path.empty()) << told.toStdString();
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(path.rfind(dir_.path() + "/xls/Journal d'audit ", 0), 0u) << path;
  EXPECT_TRUE(told.contains(QString::fromStdString(path))) << told.toStdString();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone";
}

TEST_F(AuditListToolsTest, PrintTakesTheShownPageAndCancelPrintsNothing) {
  TempDir out;
  AuditTabStandIn tab;
  tab.FillDetailed();
  tab.summary->List()->AddString("Tous \t \tanne \tDossiers \tAjout \t5 ", 1);
  tab.tabs->SetSel(1);
  tab.options.from_date = 20261101;
  tab.options.to_date = 20261130;
  const std::string pdf = out.File("sommaire.pdf");
  {
    ScopedPrinterChoice choice([&](QPrinter* p) {
      p->setOutputFormat(QPrinter::PdfFormat);
      p->setOutputFileName(QString::fromStdString(pdf));
      return true;
    });
    tab.dialog.SendCommand(4000);
  }
  ASSERT_TRUE(std::filesystem::exists(pdf));
  const std::string text = PdfText(pdf);
  EXPECT_NE(text.find("Journal d'audit"), std::string::npos) << "the dialog's window text is the title";
  EXPECT_NE(text.find("Liste de sommaire"), std::string::npos) << "and the page's title heads the list";
  EXPECT_NE(text.find("du 2026-11-01 au 2026-11-30"), std::string::npos) << "the period";
  EXPECT_NE(text.find("Dossiers"), std::string::npos);
  EXPECT_EQ(text.find("Horaire"), std::string::npos) << "the detailed page is not printed";

  const std::string cancelled = out.File("annule.pdf");
  {
    ScopedPrinterChoice choice([&](QPrinter* p) {
      p->setOutputFileName(QString::fromStdString(cancelled));
      return false;
    });
    tab.dialog.SendCommand(4000);
  }
  EXPECT_FALSE(std::filesystem::exists(cancelled));

  // A window without text: the page's title heads the printout.
  tab.dialog.setWindowTitle(QString());
  const std::string untitled = out.File("sans-titre.pdf");
  {
    ScopedPrinterChoice choice([&](QPrinter* p) {
      p->setOutputFormat(QPrinter::PdfFormat);
      p->setOutputFileName(QString::fromStdString(untitled));
      return true;
    });
    tab.dialog.SendCommand(4000);
  }
  const std::string heading = PdfText(untitled).substr(0, 200);
  EXPECT_NE(heading.find("Liste de sommaire"), std::string::npos) << heading;
}

TEST_F(AuditListToolsTest, FilterDialogFiltersAndRestores) {
  AuditTabStandIn tab;
  tab.FillDetailed();
  tab.dialog.SendCommand(4006);
  PracListFilterDialog* filter = tab.tools->FilterDialog();
  ASSERT_NE(filter, nullptr);
  EXPECT_FALSE(filter->isModal());
  EXPECT_EQ(filter->windowTitle(), "Liste de filtres");
  ASSERT_EQ(filter->ColumnBox()->count(), 5);
  EXPECT_EQ(filter->ColumnBox()->itemData(0).toInt(), 3);
  EXPECT_EQ(filter->ColumnBox()->itemData(4).toInt(), 7);
  ASSERT_EQ(filter->ConditionBox()->count(), 3);
  EXPECT_EQ(filter->ConditionBox()->itemData(2).toInt(), 8740);
  EXPECT_FALSE(filter->ControlWidget(PracListFilterDialog::kCmRestore)->isEnabled());
  EXPECT_FALSE(filter->NoSubtotalBox()->isHidden()) << "a subtotal flag is set";

  filter->ColumnBox()->setCurrentIndex(2);     // verb
  filter->ConditionBox()->setCurrentIndex(0);  // equal
  filter->ValueEdit()->setText("Ajout");
  filter->SendCommand(PracListFilterDialog::kCmExecute);
  EXPECT_EQ(filter->LastDeleted(), 2);
  EXPECT_EQ(tab.detailed->List()->GetCount(), 2) << "the Ajout row and the grand total";
  EXPECT_TRUE(filter->ControlWidget(PracListFilterDialog::kCmRestore)->isEnabled());

  filter->SendCommand(PracListFilterDialog::kCmRestore);
  EXPECT_EQ(tab.generated, 1) << "command 102 went to the tab";
  EXPECT_FALSE(filter->ControlWidget(PracListFilterDialog::kCmRestore)->isEnabled());

  tab.dialog.SendCommand(4006);
  EXPECT_EQ(tab.tools->FilterDialog(), filter) << "the open filter is brought forward";
}

TEST_F(AuditListToolsTest, FilterWithoutSubtotalsHidesBox106) {
  QenDialog tab(nullptr, 2001);
  ListView list(300, &tab);
  AuditOptions options;  // no subtotal flag
  PracListFilterDialog filter(&tab, list.List(), &options);
  filter.Create();
  EXPECT_TRUE(filter.NoSubtotalBox()->isHidden());
}

TEST_F(AuditListToolsTest, BoldRows) {
  AuditTabStandIn tab;
  tab.FillDetailed();
  InstallAuditRowEmphasis(tab.detailed);
  InstallAuditRowEmphasis(tab.users);
  tab.users->List()->AddString("Tous", 0);
  tab.users->List()->AddString("anne", 4);
  EXPECT_FALSE(tab.detailed->Model()->StyleOf(0, 0).bold);
  EXPECT_TRUE(tab.detailed->Model()->StyleOf(2, 3).bold) << "the grand total (-1)";
  EXPECT_TRUE(tab.users->Model()->StyleOf(0, 0).bold) << "the Tous row (0)";
  EXPECT_FALSE(tab.users->Model()->StyleOf(1, 0).bold);
  const QVariant font = tab.detailed->Model()->data(tab.detailed->Model()->index(2, 0), Qt::FontRole);
  ASSERT_TRUE(font.isValid());
  EXPECT_GE(font.value<QFont>().weight(), QFont::Bold);
}

}  // namespace
