// vantra-suite: the stand-in suite. It sets up the suite's services (database,
// INI file, progress meter, production service), opens its MDI main window,
// loads the practice-analysis module at run time and sends it commands from
// its menus, like the real launcher.
//
//   vantra-suite [--db URL] [--prefix P | --clinic NAME|all] [--ini FILE] [--today YYYYMMDD]
//                [--module PATH] [--open 2534] [--history RECORD,MODULE,ACCOUNT]
//                [--tab TITLE]... [--press LABEL]... [--screenshot FILE.png]
#include <dlfcn.h>

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QTabBar>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstdio>
#include <memory>
#include <tuple>

#include "host/atomic_file.h"
#include "host/qt/translations.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/ini.h"
#include "host/qt/dll_handler.h"
#include "host/qt/qen_dialog.h"
#include "host/qt/qt_meter.h"
#include "suite/launcher/clinic_choice.h"
#include "suite/launcher/launcher_options.h"
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

// The module beside the program: bin/../lib/libvantra.so in a build tree,
// else the installed one (VANTRA_INSTALLED_MODULE_DIR, relative to the
// installed program: ../lib/x86_64-linux-gnu/vantra in the package).
QString DefaultModulePath() {
  const QDir bin(QCoreApplication::applicationDirPath());
  const QString built = bin.filePath(QStringLiteral("../lib/libvantra.so"));
#ifdef VANTRA_INSTALLED_MODULE_DIR
  if (!QFileInfo::exists(built)) {
    return QDir::cleanPath(bin.filePath(QStringLiteral(VANTRA_INSTALLED_MODULE_DIR "/libvantra.so")));
  }
#endif
  return built;
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

// Takes the screenshot the first time the event loop has nothing left to do
// (the presses' generations, layouts and paints are done; a modal dialog
// opened after this call is shown and filled), instead of after a fixed
// delay that a million-row list either outlasts or waits for in vain.
void TakeScreenshotWhenIdle(QWidget* main, const QString& path) {
  auto idle = std::make_shared<QMetaObject::Connection>();
  *idle = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, main,
                           [idle, main, path] {
                             QObject::disconnect(*idle);
                             QTimer::singleShot(0, main, [main, path] { TakeScreenshot(main, path); });
                           });
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
// The first run's settings file. "" when written (or already there), else
// why not: the window then runs on the defaults and says so.
std::string SeedNewIni(const std::string& path) {
  if (QFileInfo::exists(QString::fromStdString(path))) return std::string();
  WDIniObj ini(path);
  for (const auto& [section, key, value] : {std::tuple<const char*, const char*, const char*>{"SUITE", "ChartInstalled", "Y"},
                                            {"PRAC_DETAILED", "AllUsers", "Y"},
                                            {"PRAC_DETAILED", "AllModules", "Y"},
                                            {"PRAC_DETAILED", "DaysDiff", "7"}}) {
    if (!ini.write_secini(section, key, value)) return ini.LastError();
  }
  return std::string();
}

// Whether QApplication can open its windows somewhere: a display, or a
// platform named in QT_QPA_PLATFORM or with -platform. Without one Qt aborts.
bool HasDisplay(const QStringList& arguments) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    if (!qEnvironmentVariableIsEmpty(name)) return true;
  }
  for (const QString& a : arguments) {
    if (a == QStringLiteral("-platform") || a.startsWith(QStringLiteral("-platform="))) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Above a file-size limit the kernel's SIGXFSZ would close the window
  // with the user's work; ignored, an export fails with EFBIG and says so
  // in its message box, and the older file stays.
  std::signal(SIGXFSZ, SIG_IGN);
  // A SIGTERM (the session ending) removes the exports being written.
  InstallInterruptCleanup("vantra-suite");
  // Options first: --help and a wrong option must answer without a display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  LauncherOptions options;
  QString message;
  switch (ParseLauncherOptions(arguments, &options, &message)) {
    case LauncherParse::kHelp:
      std::fputs(qPrintable(message), stdout);
      return 0;
    case LauncherParse::kError:
      std::fprintf(stderr, "vantra-suite : %s (vantra-suite --help)\n", qPrintable(message));
      return 2;
    case LauncherParse::kRun:
      break;
  }
  if (options.today != 0) SetToday(options.today);
  if (!HasDisplay(arguments)) {
    std::fprintf(stderr,
                 "vantra-suite : aucun écran (DISPLAY et WAYLAND_DISPLAY vides) ; "
                 "QT_QPA_PLATFORM=offscreen dessine hors écran (--screenshot)\n");
    return 2;
  }

  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("vantra-suite"));
  QString untranslated;
  if (!InstallQtFrenchTranslations(&untranslated)) {
    std::fprintf(stderr, "vantra-suite : les dialogues de Qt resteront en anglais (%s)\n",
                 untranslated.toLocal8Bit().constData());
  }

  QenApplication app;
  QenApplication::SetInstance(&app);
  app.SetINI(!options.ini.isEmpty() ? options.ini.toStdString() : DefaultIniPath());
  const std::string ini_error = SeedNewIni(app.GetINI());
  if (!ini_error.empty()) {
    std::fprintf(stderr, "vantra-suite : les réglages de départ ne sont pas enregistrés (%s) : %s\n",
                 app.GetINI().c_str(), ini_error.c_str());
  }
  std::string url, report_url, error;
  const bool opened = OpenSuiteDatabases(&app, options.db.toStdString(), options.report_db.toStdString(),
                                         options.prefix.toStdString(), &url, &report_url, &error);
  QString db_text = opened ? QStringLiteral("Base de données : %1").arg(QString::fromStdString(url))
                           : QStringLiteral("Aucune base de données (%1)").arg(QString::fromStdString(error));
  if (!report_url.empty()) db_text += QStringLiteral(" — rapports : %1").arg(QString::fromStdString(report_url));
  if (!opened) std::fprintf(stderr, "vantra-suite : %s : %s\n", url.c_str(), error.c_str());
  if (opened && !error.empty()) std::fprintf(stderr, "vantra-suite : %s\n", error.c_str());
  if (!ini_error.empty()) {
    db_text += QStringLiteral(" — réglages non enregistrés : %1").arg(QString::fromStdString(ini_error));
  }
  InstallProductionService(&app);
  InstallQtMeterFactory();

  QString module_path = !options.module.isEmpty() ? options.module : DefaultModulePath();
  QString load_error;
  QenDllHandler* handler = LoadModule(module_path, &load_error);
  if (!handler) {
    std::fprintf(stderr, "vantra-suite : module %s : %s\n", qPrintable(module_path), qPrintable(load_error));
  }

  SuiteWindow window(handler, db_text);
  if (!window.Clinics()->ListError().empty()) {
    std::fprintf(stderr, "vantra-suite : la liste des cabinets : %s\n", window.Clinics()->ListError().c_str());
  }
  if (!options.clinic.isEmpty()) {
    QString clinic_error;
    if (!window.Clinics()->Choose(options.clinic, &clinic_error)) {
      std::fprintf(stderr, "vantra-suite : %s\n", qPrintable(clinic_error));
      QenApplication::SetInstance(nullptr);
      return 2;
    }
  }
  app.SetMainWindow(static_cast<QWidget*>(&window));
  window.show();

  // The start-up script: open the window, choose tabs, press buttons, then
  // (optionally) take the screenshot; the history dialog, being modal, comes
  // last.
  const QStringList tabs = options.tabs;
  const QStringList presses = options.presses;
  const QString shot = options.screenshot;
  const int open_command = options.open_command;
  const QStringList history = options.history;
  // A scripted run has nobody to close a message box: each message goes to
  // standard error instead, a question is answered No (the answer that
  // changes nothing), and the script goes on.
  std::unique_ptr<ScopedPromptHook> unattended;
  if (!presses.isEmpty() || !shot.isEmpty()) {
    unattended = std::make_unique<ScopedPromptHook>([](const PromptRequest& request) {
      std::fprintf(stderr, "vantra-suite : message : %s\n", qPrintable(request.text));
      if (request.buttons & QMessageBox::No) return QMessageBox::No;
      if (request.buttons & QMessageBox::Cancel) return QMessageBox::Cancel;
      return QMessageBox::Ok;
    });
  }
  QTimer::singleShot(0, &window, [&, tabs, presses, shot, open_command, history] {
    if (open_command) window.SendModuleCommand(open_command);
    QCoreApplication::processEvents();
    for (const QString& tab : tabs) SelectTab(tab);
    for (const QString& press : presses) PressButton(press);
    if (!shot.isEmpty()) {
      TakeScreenshotWhenIdle(&window, shot);
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
