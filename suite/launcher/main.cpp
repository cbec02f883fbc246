// vantra-suite: the stand-in suite. It sets up the suite's services (database,
// INI file, progress meter, production service), opens its MDI main window,
// loads the practice-analysis module at run time and sends it commands from
// its menus, like the real launcher.
//
//   vantra-suite [--db URL] [--prefix P] [--ini FILE] [--today YYYYMMDD]
//                [--module PATH] [--open 2534] [--history RECORD,MODULE,ACCOUNT]
//                [--screenshot FILE.png]
#include <dlfcn.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "shell/host/application.h"
#include "shell/host/dates.h"
#include "shell/host/ini.h"
#include "shell/host/qt/dll_handler.h"
#include "shell/host/qt/qt_meter.h"
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
  parser.addOptions({db_opt, prefix_opt, ini_opt, today_opt, module_opt, open_opt, history_opt, shot_opt});
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

  if (parser.isSet(shot_opt)) {
    QString path = parser.value(shot_opt);
    QTimer::singleShot(800, &window, [&window, path] { TakeScreenshot(&window, path); });
  }
  if (parser.isSet(open_opt)) {
    int command = parser.value(open_opt).toInt();
    QTimer::singleShot(0, &window, [&window, command] { window.SendModuleCommand(command); });
  }
  if (parser.isSet(history_opt)) {
    QStringList parts = parser.value(history_opt).split(',');
    long record = parts.value(0).toLong(), module = parts.value(1).toLong(), account = parts.value(2).toLong();
    QTimer::singleShot(50, &window, [&window, record, module, account] {
      window.SendAuditHistory(record, module, account);
    });
  }
  int status = qt.exec();
  app.SetMainWindow(nullptr);
  QenApplication::SetInstance(nullptr);
  return status;
}
