#include "suite/launcher/launcher_options.h"

#include <QCommandLineParser>
#include <QSet>

#include "host/dates.h"

namespace {

// The options QGuiApplication and QApplication take out of argv themselves;
// the second set takes a value in the next argument unless written "-opt=value".
const QSet<QString> kQtFlags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                QStringLiteral("-sync")};
const QSet<QString> kQtValued = {QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"),
                                 QStringLiteral("-platformtheme"),   QStringLiteral("-plugin"),
                                 QStringLiteral("-qwindowgeometry"), QStringLiteral("-qwindowicon"),
                                 QStringLiteral("-qwindowtitle"),    QStringLiteral("-session"),
                                 QStringLiteral("-display"),         QStringLiteral("-style"),
                                 QStringLiteral("-stylesheet"),      QStringLiteral("-qmljsdebugger")};

// arguments without Qt's own options (which QApplication reads later).
QStringList WithoutQtOptions(const QStringList& arguments) {
  QStringList kept;
  for (int i = 0; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (i > 0 && a.startsWith('-') && !a.startsWith(QStringLiteral("--"))) {
      const QString name = a.section('=', 0, 0);
      if (kQtFlags.contains(name)) continue;
      if (kQtValued.contains(name)) {
        if (!a.contains('=')) ++i;  // skip the value too
        continue;
      }
    }
    kept << a;
  }
  return kept;
}

}  // namespace

LauncherParse ParseLauncherOptions(const QStringList& arguments, LauncherOptions* options, QString* message) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Suite de démonstration et module d'analyse de la pratique"));
  QCommandLineOption help_opt({QStringLiteral("h"), QStringLiteral("help")}, "Affiche cette aide.");
  QCommandLineOption db_opt("db", "Base de données (sqlite:CHEMIN, postgresql://...).", "URL");
  QCommandLineOption report_db_opt(
      "report-db", "Base que lisent les onglets (serveur de secours) ; le rédacteur d'objectifs écrit dans --db.",
      "URL");
  QCommandLineOption prefix_opt("prefix", "Préfixe des tables.", "P");
  QCommandLineOption clinic_opt(
      "clinic", "Cabinet que lisent les onglets (son nom), ou « all » : tous les cabinets du groupe.", "NOM|all");
  QCommandLineOption ini_opt("ini", "Fichier INI de la suite.", "FICHIER");
  QCommandLineOption today_opt("today", "Date du jour (AAAAMMJJ).", "DATE");
  QCommandLineOption module_opt("module", "Chemin du module libvantra.so.", "CHEMIN");
  QCommandLineOption open_opt("open", "Commande à envoyer au démarrage (2534).", "COMMANDE");
  QCommandLineOption history_opt("history", "Historique des audits au démarrage.", "FICHE,MODULE,COMPTE");
  QCommandLineOption shot_opt("screenshot", "Dessine la fenêtre dans un PNG et quitte.", "FICHIER");
  QCommandLineOption tab_opt("tab", "Choisit l'onglet de ce titre après l'ouverture (répétable).", "TITRE");
  QCommandLineOption press_opt(
      "press",
      "Appuie sur le bouton de ce texte après l'ouverture (répétable) ; les messages vont alors à la sortie "
      "d'erreur et les questions reçoivent Non.",
      "TEXTE");
  parser.addOptions({help_opt, db_opt, report_db_opt, prefix_opt, clinic_opt, ini_opt, today_opt, module_opt, open_opt, history_opt,
                     shot_opt, tab_opt, press_opt});

  const QStringList ours = WithoutQtOptions(arguments);
  const bool parsed = parser.parse(ours);
  // --help wins over any other mistake on the line, as in most programs.
  if (parser.isSet(help_opt)) {
    QString text = parser.helpText();
    // Without an application object Qt cannot name the program.
    const QString program = ours.isEmpty() ? QStringLiteral("vantra-suite") : ours.first().section('/', -1);
    text.replace(QStringLiteral("<executable_name>"), program);
    text.replace(QStringLiteral("Usage: "), QStringLiteral("usage : "));
    text.replace(QStringLiteral("\nOptions:\n"), QStringLiteral("\nOptions :\n"));
    *message = text;
    return LauncherParse::kHelp;
  }
  if (!parsed) {
    const QStringList unknown = parser.unknownOptionNames();
    *message = unknown.isEmpty() ? parser.errorText()
                                 : QStringLiteral("option inconnue « %1%2 »")
                                       .arg(unknown.first().size() == 1 ? "-" : "--", unknown.first());
    return LauncherParse::kError;
  }
  if (!parser.positionalArguments().isEmpty()) {
    *message = QStringLiteral("argument inattendu : %1").arg(parser.positionalArguments().first());
    return LauncherParse::kError;
  }

  LauncherOptions o;
  o.db = parser.value(db_opt);
  o.report_db = parser.value(report_db_opt);
  o.prefix = parser.value(prefix_opt);
  o.clinic = parser.value(clinic_opt);
  if (parser.isSet(clinic_opt) && o.clinic.trimmed().isEmpty()) {
    *message = QStringLiteral("--clinic attend le nom d'un cabinet ou « all »");
    return LauncherParse::kError;
  }
  if (!o.clinic.isEmpty() && !o.prefix.isEmpty()) {
    *message = QStringLiteral("--prefix ne va pas avec --clinic");
    return LauncherParse::kError;
  }
  o.ini = parser.value(ini_opt);
  if (parser.isSet(today_opt)) {
    bool ok = false;
    o.today = parser.value(today_opt).toLong(&ok);
    if (!ok || !tavo_valid_date(o.today)) {
      *message = QStringLiteral("date invalide : %1").arg(parser.value(today_opt));
      return LauncherParse::kError;
    }
  }
  o.module = parser.value(module_opt);
  if (parser.isSet(open_opt)) {
    bool ok = false;
    o.open_command = parser.value(open_opt).toInt(&ok);
    if (!ok) {
      *message = QStringLiteral("commande invalide : %1").arg(parser.value(open_opt));
      return LauncherParse::kError;
    }
  }
  if (parser.isSet(history_opt)) {
    o.history = parser.value(history_opt).split(',');
    if (o.history.size() != 3) {
      *message = QStringLiteral("--history attend FICHE,MODULE,COMPTE : %1").arg(parser.value(history_opt));
      return LauncherParse::kError;
    }
  }
  o.screenshot = parser.value(shot_opt);
  o.tabs = parser.values(tab_opt);
  o.presses = parser.values(press_opt);
  *options = o;
  return LauncherParse::kRun;
}
