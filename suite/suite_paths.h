// Where the stand-in suite keeps its files by default.
#pragma once

#include <string>

// The demo practice database that scripts/run.sh creates:
// $VANTRA_DATA/demo.sqlite, else $XDG_DATA_HOME/vantra/demo.sqlite,
// else ~/.local/share/vantra/demo.sqlite.
std::string DefaultDemoDbPath();
// "sqlite:" + DefaultDemoDbPath().
std::string DefaultDemoDbUrl();
