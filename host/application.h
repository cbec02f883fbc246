// QenApplication: what the suite's application object offers the module.
//
// One instance per process, set up by the program that hosts the module
// (the stand-in suite, the command line, a test) before the module is used:
// the database connection, the INI file, the main window, the production
// service (command 2536) and a few suite settings.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/clinic_pool.h"
#include "host/gendb.h"
#include "host/meter.h"

// The suite's request channel: one operation, a command number and a record.
class RequestChannel {
 public:
  virtual ~RequestChannel() = default;
  // Returns 0 when the command is known. Command 2536 takes a ProdAnalRequest*.
  virtual long Request(int command, void* record) = 0;
  // Why the last request failed, when the service knows ("" otherwise).
  virtual std::string FailureReason() const { return std::string(); }
};

// The audit table number of the chart treatments table: the table of the
// chart's audit rows (a patient's chart history reads them beside its own).
inline constexpr int kChartAuditTable = 1014;

// The dental group the tabs generate for when the user chose every clinic
// ("Tous les cabinets" in the suite window): each tab's "Générer" runs its
// analysis once per clinic over a pool of `jobs` connections of its own to
// `url` (host/clinic_pool.h) and shows the clinics' lists and the group's
// total. Empty prefixes: no group, the tabs read GetDb() at its prefix.
struct ClinicGroupChoice {
  std::string url;                    // the report database (GetDb()'s URL)
  std::vector<std::string> prefixes;  // the clinics, in natural order ("c1.", "c2.")
  int jobs = 2;
  bool Active() const { return !prefixes.empty(); }
  // The pool a tab runs the group over: the report database read only,
  // `jobs` connections, the group's meter titled meter_title over parent.
  ClinicPoolOptions Pool(HWindow parent, std::string meter_title) const {
    ClinicPoolOptions pool;
    pool.url = url;
    pool.access = DbAccess::kRead;
    pool.jobs = jobs;
    pool.parent = parent;
    pool.meter_title = std::move(meter_title);
    return pool;
  }
};

class QenApplication {
 public:
  // The process-wide instance, or null when no program set one up.
  static QenApplication* Instance();
  // Makes app the instance (null clears it). Does not take ownership.
  static void SetInstance(QenApplication* app);

  QenApplication();
  ~QenApplication();  // clears the instance when it is this object

  // The open connection or null: the one every report reads. With
  // [SUITE] ReportDatabase set it is that server (a hot standby of the
  // practice's server, opened read only), not the one the front desks
  // write to.
  GenDB* GetDb() const { return db_.get(); }
  void SetDb(std::unique_ptr<GenDB> db) { db_ = std::move(db); }
  std::unique_ptr<GenDB> TakeDb() { return std::move(db_); }
  // The connection the goal editor and the presets write through: the
  // [SUITE] Database one when the reports read another (SetWriteDb), else
  // GetDb().
  GenDB* GetWriteDb() const { return write_db_ != nullptr ? write_db_.get() : db_.get(); }
  void SetWriteDb(std::unique_ptr<GenDB> db) { write_db_ = std::move(db); }

  // The group the tabs generate for (none by default). Set by the suite's
  // clinic choice; a single clinic's choice clears it and moves the
  // connections' prefix instead.
  const ClinicGroupChoice& GroupChoice() const { return group_; }
  void SetGroupChoice(ClinicGroupChoice group) { group_ = std::move(group); }

  // Path of the suite's INI file ("tolvane.ini").
  const std::string& GetINI() const { return ini_; }
  void SetINI(std::string path) { ini_ = std::move(path); }

  HWindow GetMainWindow() const { return main_window_; }
  void SetMainWindow(HWindow w) { main_window_ = w; }

  // The suite's own name (module name of type "E" record 1 rows): host
  // string kAppNameStringId.
  std::string AppName() const;

  // Whether the suite's charting component is installed: INI [SUITE]
  // ChartInstalled=Y|N (default Y; only a value starting with N/n is "no").
  // The INI file is GetINI(), or DefaultIniPath() when that is empty.
  bool HasChartComponent() const;
  // The suite's spreadsheet folder: INI [SUITE] SpreadSheetDir (default
  // ~/Documents/Vantra when the key is absent); a present but empty value
  // means export is not offered. A leading "~/" stands for $HOME.
  std::string SpreadSheetDirectory() const;
  // Chart audit table number (GetChartAuditTable(2)): kChartAuditTable,
  // the chart treatments table; 0 for any other kind.
  int GetChartAuditTable(int kind) const;

  // Production service (command 2536); null when the program installed none.
  RequestChannel* Channel() const { return channel_.get(); }
  void SetChannel(std::unique_ptr<RequestChannel> channel) { channel_ = std::move(channel); }

 private:
  std::unique_ptr<GenDB> db_;
  std::unique_ptr<GenDB> write_db_;  // null: writes go through db_
  ClinicGroupChoice group_;
  std::string ini_;
  HWindow main_window_ = nullptr;
  std::unique_ptr<RequestChannel> channel_;
};

// The running application's practice database, for the windows that hand
// it to a generator; null without an application or a database.
inline GenDB* ApplicationDb() {
  const QenApplication* app = QenApplication::Instance();
  return app != nullptr ? app->GetDb() : nullptr;
}

// The group the running application's tabs generate for; null without an
// application or when no group is chosen.
inline const ClinicGroupChoice* ApplicationGroup() {
  const QenApplication* app = QenApplication::Instance();
  return app != nullptr && app->GroupChoice().Active() ? &app->GroupChoice() : nullptr;
}

// The running application's connection for writing (GetWriteDb), for the
// windows that write (the goal editor, the presets menu); null without an
// application or a database.
inline GenDB* ApplicationWriteDb() {
  const QenApplication* app = QenApplication::Instance();
  return app != nullptr ? app->GetWriteDb() : nullptr;
}

// The suite's spreadsheet folder (TGetStatInfo::GetSpreadSheetDirectory): the
// instance's SpreadSheetDirectory(), or the same rule over DefaultIniPath()
// when no instance is set.
struct TGetStatInfo {
  static std::string GetSpreadSheetDirectory();
};
