// The stand-in suite's command-line options. They are read before the Qt
// application exists, so that --help and a wrong option answer anywhere, with
// or without a display, like the `vantra` command line.
#pragma once

#include <QString>
#include <QStringList>

struct LauncherOptions {
  QString db;          // database URL; empty = the INI file's, else the demo practice
  QString report_db;   // the reports' database; empty = [SUITE] ReportDatabase (without --db)
  QString prefix;      // table prefix
  QString clinic;      // --clinic: a clinic's name, or "all" for every clinic; empty = none chosen
  QString ini;         // INI file; empty = the default path
  long today = 0;      // pinned date (YYYYMMDD), 0 = the clock's
  QString module;      // path of libvantra.so; empty = ../lib beside the program
  int open_command = 0;          // command sent once the window is up (2534), 0 = none
  QStringList history;           // record, module, account for 2544; empty = none
  QString screenshot;            // PNG to draw the window into, then quit
  QStringList tabs;              // tab titles to choose, in order
  QStringList presses;           // button texts to press, in order
};

enum class LauncherParse {
  kRun,    // options read; start the suite
  kHelp,   // --help: print *message to stdout and exit 0
  kError,  // bad option or value: print *message (one line) to stderr and exit 2
};

// Reads arguments (argv as given, program name first). Qt's own options
// (-platform NAME, -style NAME, -reverse, ...) are left for QApplication and
// are not errors here.
LauncherParse ParseLauncherOptions(const QStringList& arguments, LauncherOptions* options, QString* message);
