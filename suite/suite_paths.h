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
