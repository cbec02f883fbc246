// QenApplication: the process-wide instance and the suite settings it reads
// from section [SUITE] of the INI file.

#include "host/application.h"

#include <atomic>
#include <cstdlib>

#include "host/ini.h"
#include "host/strings.h"

namespace {

std::atomic<QenApplication*> g_instance{nullptr};

constexpr char kSuiteSection[] = "SUITE";
// Default of keys whose absence must be told apart from an empty value.
constexpr char kAbsent[] = "\x01";

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : ".";
}

std::string SpreadSheetDirectoryOf(const std::string& ini_path) {
  std::string value = WDIniObj(ini_path).read_secini(kSuiteSection, "SpreadSheetDir", kAbsent);
  if (value == kAbsent) return HomeFolder() + "/Documents/Vantra";
  if (value == "~") return HomeFolder();
  if (value.rfind("~/", 0) == 0) return HomeFolder() + value.substr(1);
  return value;
}

}  // namespace

QenApplication* QenApplication::Instance() { return g_instance.load(); }

void QenApplication::SetInstance(QenApplication* app) { g_instance.store(app); }

QenApplication::QenApplication() = default;

QenApplication::~QenApplication() {
  QenApplication* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

std::string QenApplication::AppName() const { return HostString(kAppNameStringId); }

bool QenApplication::HasChartComponent() const {
  std::string value = WDIniObj(ini_).read_secini(kSuiteSection, "ChartInstalled", "Y");
  return !(!value.empty() && (value[0] == 'N' || value[0] == 'n'));
}

std::string QenApplication::SpreadSheetDirectory() const { return SpreadSheetDirectoryOf(ini_); }

int QenApplication::GetChartAuditTable(int kind) const { return kind == 2 ? kChartAuditTable : 0; }

std::string TGetStatInfo::GetSpreadSheetDirectory() {
  QenApplication* app = QenApplication::Instance();
  return SpreadSheetDirectoryOf(app ? app->GetINI() : std::string());
}
