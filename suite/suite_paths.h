// Where the stand-in suite keeps its files by default.
#pragma once

#include <string>

// The demo practice database that scripts/run.sh creates:
// $VANTRA_DATA/demo.sqlite, else $XDG_DATA_HOME/vantra/demo.sqlite,
// else ~/.local/share/vantra/demo.sqlite.
std::string DefaultDemoDbPath();
// "sqlite:" + DefaultDemoDbPath().
std::string DefaultDemoDbUrl();

// The database both programs open: given (--db) when not empty, else the
// INI file's [SUITE] Database, else DefaultDemoDbUrl().
std::string SuiteDatabaseUrl(const std::string& given, const std::string& ini_path);
// The INI file's [SUITE] ReportDatabase: the server the reports read (a hot
// standby of the Database one, so that they never load the server the front
// desks write to); "" when absent or empty (the reports read Database).
std::string SuiteReportDatabaseUrl(const std::string& ini_path);

class QenApplication;

// The window's connections, as vantra-suite opens them. The practice's
// database (SuiteDatabaseUrl(given, ...)) is opened for writing; the
// reports' one is report_given, else (when given is empty) [SUITE]
// ReportDatabase. Without a reports' database, or with the same URL, the one
// connection is app's GetDb() for everything. With one, it is opened read
// only as GetDb() (every tab reads it) and the practice's database becomes
// app's SetWriteDb() (the goal editor, the presets). *url and *report_url
// receive what was opened (*report_url "" when none). False with *error
// when the practice's database cannot be opened (app has no database);
// a reports' database that cannot be opened leaves the reports on the
// practice's, with true and the reason in *error.
bool OpenSuiteDatabases(QenApplication* app, const std::string& given, const std::string& report_given,
                        const std::string& prefix, std::string* url, std::string* report_url,
                        std::string* error);
