#include "host/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool InstallQtFrenchTranslations(QString* why) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) {
    if (why) *why = QStringLiteral("aucune application Qt");
    return false;
  }
  // One translator for the life of the process: Qt keeps a pointer to it.
  static QTranslator* installed = nullptr;
  if (installed) return true;
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(app);
  if (!translator->load(QStringLiteral("qtbase_fr"), folder)) {
    delete translator;
    if (why) *why = folder + QStringLiteral("/qtbase_fr.qm introuvable");
    return false;
  }
  QCoreApplication::installTranslator(translator);
  installed = translator;
  return true;
}
