#include "suite/suite_paths.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "host/application.h"
#include "host/gendb.h"
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

std::string SuiteReportDatabaseUrl(const std::string& ini_path) {
  return WDIniObj(ini_path).read_secini("SUITE", "ReportDatabase", "");
}

bool OpenSuiteDatabases(QenApplication* app, const std::string& given, const std::string& report_given,
                        const std::string& prefix, std::string* url, std::string* report_url,
                        std::string* error) {
  error->clear();
  *url = SuiteDatabaseUrl(given, app->GetINI());
  *report_url = !report_given.empty() ? report_given : given.empty() ? SuiteReportDatabaseUrl(app->GetINI()) : "";
  if (*report_url == *url) report_url->clear();
  std::unique_ptr<GenDB> db = OpenGenDB(*url, prefix, DbAccess::kWrite, error);
  if (db == nullptr) {
    report_url->clear();
    return false;
  }
  if (report_url->empty()) {
    app->SetDb(std::move(db));
    return true;
  }
  std::string report_error;
  std::unique_ptr<GenDB> reports = OpenGenDB(*report_url, prefix, DbAccess::kRead, &report_error);
  if (reports == nullptr) {
    *error = "base des rapports " + *report_url + " : " + report_error;
    report_url->clear();
    app->SetDb(std::move(db));
    return true;
  }
  app->SetDb(std::move(reports));
  app->SetWriteDb(std::move(db));
  return true;
}
