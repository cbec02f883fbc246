#include "lists/qt/offscreen_app.h"

#include "host/qt/translations.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <unistd.h>

bool EnsureGuiApplication() {
  if (QCoreApplication* existing = QCoreApplication::instance()) {
    return qobject_cast<QGuiApplication*>(existing) != nullptr;
  }
  // Created once, never destroyed: the program may ask again, and Qt wants
  // argc and argv to outlive the application object.
  static int argc = 3;
  static char arg0[] = "vantra";
  static char arg1[] = "-platform";
  static char arg2[] = "offscreen";
  static char* argv[] = {arg0, arg1, arg2, nullptr};
  // The offscreen platform wants a private runtime folder; give it one
  // rather than have it warn on every run.
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QByteArray runtime = QDir::tempPath().toUtf8() + "/runtime-" + QByteArray::number(getuid());
    if (QDir().mkpath(QString::fromUtf8(runtime))) {
      QFile::setPermissions(QString::fromUtf8(runtime), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      qputenv("XDG_RUNTIME_DIR", runtime);
    }
  }
  static QApplication* app = new QApplication(argc, argv);
  // The command line draws no dialog, but its printouts and charts may
  // carry Qt's texts: French as in the window.
  InstallQtFrenchTranslations();
  return app != nullptr;
}
