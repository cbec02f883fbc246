// vantra-suite: the stand-in suite. It sets up the suite's services (database,
// INI file, progress meter, production service), opens its MDI main window,
// loads the practice-analysis module at run time and sends it commands from
// its menus, like the real launcher.
//
//   vantra-suite [--db URL] [--prefix P] [--ini FILE] [--today YYYYMMDD]
//                [--module PATH] [--open 2534] [--history RECORD,MODULE,ACCOUNT]
//                [--tab TITLE]... [--press LABEL]... [--screenshot FILE.png]
#include <dlfcn.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTabBar>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/qt/dll_handler.h"
#include "host/qt/qt_meter.h"
#include "suite/launcher/suite_window.h"
#include "suite/production_service.h"
#include "suite/suite_paths.h"

namespace {

QenDllHandler* LoadModule(const QString& path, QString* error) {
  void* lib = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    *error = QString::fromLocal8Bit(dlerror());
    return nullptr;
  }
  auto entry = reinterpret_cast<GetDllHandlerFn>(dlsym(lib, "GetDllHandler"));
  if (!entry) {
    *error = QStringLiteral("GetDllHandler absent de ") + path;
    return nullptr;
  }
  QenDllHandler* handler = entry();
  if (!handler) *error = QStringLiteral("le module n'a pas fourni de gestionnaire");
  return handler;
}

// Saves the window the user would see (the modal dialog when one is open)
// and ends the program.
void TakeScreenshot(QWidget* main, const QString& path) {
  QWidget* shown = QApplication::activeModalWidget();
  QWidget* target = shown ? shown : main;
  bool ok = target->grab().save(path);
  std::fprintf(ok ? stdout : stderr, ok ? "%s\n" : "impossible d'écrire %s\n",
               QFile::encodeName(path).constData());
  if (shown) shown->close();
  QCoreApplication::exit(ok ? 0 : 1);
}

// The visible text of a button or tab, without its mnemonic marks.
QString Plain(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove('&');
  text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return text;
}

// Chooses the first visible tab titled `title` in any window.
void SelectTab(const QString& title) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    for (QTabBar* bar : top->findChildren<QTabBar*>()) {
      for (int i = 0; i < bar->count(); ++i) {
        if (Plain(bar->tabText(i)) == title) {
          bar->setCurrentIndex(i);
          QCoreApplication::processEvents();
          return;
        }
      }
    }
  }
  std::fprintf(stderr, "vantra-suite : aucun onglet « %s »\n", qPrintable(title));
}

// Presses the first visible, enabled button labelled `text`.
void PressButton(const QString& text) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    for (QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
      if (button->isVisible() && button->isEnabled() && Plain(button->text()) == text) {
        button->click();
        QCoreApplication::processEvents();
        return;
      }
    }
  }
  std::fprintf(stderr, "vantra-suite : aucun bouton « %s »\n", qPrintable(text));
}

// A first start (no INI file yet) writes the settings the suite's installer
// would: the charting component is present, and the audit tab starts with
// every user and every module ticked, so a first generation lists something.
void SeedNewIni(const std::string& path) {
  if (QFileInfo::exists(QString::fromStdString(path))) return;
  WDIniObj ini(path);
  ini.write_secini("SUITE", "ChartInstalled", "Y");
  ini.write_secini("PRAC_DETAILED", "AllUsers", "Y");
  ini.write_secini("PRAC_DETAILED", "AllModules", "Y");
  ini.write_secini("PRAC_DETAILED", "DaysDiff", "7");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vantra-suite"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Suite de démonstration et module d'analyse de la pratique"));
  parser.addHelpOption();
  QCommandLineOption db_opt("db", "Base de données (sqlite:CHEMIN, postgresql://...).", "URL");
  QCommandLineOption prefix_opt("prefix", "Préfixe des tables.", "P");
  QCommandLineOption ini_opt("ini", "Fichier INI de la suite.", "FICHIER");
  QCommandLineOption today_opt("today", "Date du jour (AAAAMMJJ).", "DATE");
  QCommandLineOption module_opt("module", "Chemin du module libvantra.so.", "CHEMIN");
  QCommandLineOption open_opt("open", "Commande à envoyer au démarrage (2534).", "COMMANDE");
  QCommandLineOption history_opt("history", "Historique des audits au démarrage.", "FICHE,MODULE,COMPTE");
  QCommandLineOption shot_opt("screenshot", "Dessine la fenêtre dans un PNG et quitte.", "FICHIER");
  QCommandLineOption tab_opt("tab", "Choisit l'onglet de ce titre après l'ouverture (répétable).", "TITRE");
  QCommandLineOption press_opt("press", "Appuie sur le bouton de ce texte après l'ouverture (répétable).", "TEXTE");
  parser.addOptions({db_opt, prefix_opt, ini_opt, today_opt, module_opt, open_opt, history_opt, shot_opt,
                     tab_opt, press_opt});
  parser.process(qt);

  if (parser.isSet(today_opt)) {
    long today = parser.value(today_opt).toLong();
    if (!tavo_valid_date(today)) {
      std::fprintf(stderr, "vantra-suite : date invalide : %s\n", qPrintable(parser.value(today_opt)));
      return 2;
    }
    SetToday(today);
  }

  QenApplication app;
  QenApplication::SetInstance(&app);
  app.SetINI(parser.isSet(ini_opt) ? parser.value(ini_opt).toStdString() : DefaultIniPath());
  SeedNewIni(app.GetINI());
  std::string url = parser.isSet(db_opt)
                        ? parser.value(db_opt).toStdString()
                        : WDIniObj(app.GetINI()).read_secini("SUITE", "Database", DefaultDemoDbUrl());
  std::string error;
  app.SetDb(OpenGenDB(url, parser.value(prefix_opt).toStdString(), false, &error));
  QString db_text = app.GetDb() ? QStringLiteral("Base de données : %1").arg(QString::fromStdString(url))
                                : QStringLiteral("Aucune base de données (%1)").arg(QString::fromStdString(error));
  if (!app.GetDb()) std::fprintf(stderr, "vantra-suite : %s : %s\n", url.c_str(), error.c_str());
  InstallProductionService(&app);
  InstallQtMeterFactory();

  QString module_path = parser.isSet(module_opt)
                            ? parser.value(module_opt)
                            : QDir(QCoreApplication::applicationDirPath()).filePath("../lib/libvantra.so");
  QString load_error;
  QenDllHandler* handler = LoadModule(module_path, &load_error);
  if (!handler) {
    std::fprintf(stderr, "vantra-suite : module %s : %s\n", qPrintable(module_path), qPrintable(load_error));
  }

  SuiteWindow window(handler, db_text);
  app.SetMainWindow(static_cast<QWidget*>(&window));
  window.show();

  // The start-up script: open the window, choose tabs, press buttons, then
  // (optionally) take the screenshot; the history dialog, being modal, comes
  // last.
  QStringList tabs = parser.values(tab_opt);
  QStringList presses = parser.values(press_opt);
  QString shot = parser.value(shot_opt);
  int open_command = parser.isSet(open_opt) ? parser.value(open_opt).toInt() : 0;
  QStringList history = parser.isSet(history_opt) ? parser.value(history_opt).split(',') : QStringList();
  QTimer::singleShot(0, &window, [&, tabs, presses, shot, open_command, history] {
    if (open_command) window.SendModuleCommand(open_command);
    QCoreApplication::processEvents();
    for (const QString& tab : tabs) SelectTab(tab);
    for (const QString& press : presses) PressButton(press);
    if (!shot.isEmpty()) {
      QTimer::singleShot(600, &window, [&window, shot] { TakeScreenshot(&window, shot); });
    }
    if (!history.isEmpty()) {
      window.SendAuditHistory(history.value(0).toLong(), history.value(1).toLong(), history.value(2).toLong());
    }
  });
  int status = qt.exec();
  app.SetMainWindow(nullptr);
  QenApplication::SetInstance(nullptr);
  return status;
}
