#include "suite/suite_paths.h"

#include <cstdlib>
#include <filesystem>

#include "host/ini.h"

std::string DefaultDemoDbPath() {
  namespace fs = std::filesystem;
  if (const char* data = std::getenv("VANTRA_DATA"); data && *data) {
    return (fs::path(data) / "demo.sqlite").string();
  }
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    return (fs::path(xdg) / "vantra" / "demo.sqlite").string();
  }
  const char* home = std::getenv("HOME");
  return (fs::path(home && *home ? home : ".") / ".local" / "share" / "vantra" / "demo.sqlite").string();
}

std::string DefaultDemoDbUrl() { return "sqlite:" + DefaultDemoDbPath(); }

std::string SuiteDatabaseUrl(const std::string& given, const std::string& ini_path) {
  if (!given.empty()) return given;
  const std::string configured = WDIniObj(ini_path).read_secini("SUITE", "Database", "");
  return configured.empty() ? DefaultDemoDbUrl() : configured;
}
