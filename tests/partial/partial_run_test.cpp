// Partial runs of every analysis: Cancel at seeded-random points of each
// meter a generator opens, and the PostgreSQL server lost in the middle of a
// generation (its backend terminated by another connection while the login
// of the generator's role is refused, so the engine cannot reconnect at
// once), then back: the next run on the same connection gives the whole list.
//
// Every case reads the demo practice (generated once per engine and shared:
// the generators only read). The lists are checked with their own line
// formats: every total equals what the data rows it covers add up to, no
// group is cut in half, and a run stopped after N days holds exactly what a
// run over those N days gives.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "appt/appt_types.h"
#include "appt/appt_generator.h"
#include "audit/audit_generator.h"
#include "audit/audit_lines.h"
#include "goals/goals_options.h"
#include "goals/goals_generator.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "host/meter.h"
#include "host/strings.h"
#include "stats/stats_generator.h"
#include "stats/stats_productivity.h"
#include "stats/stats_types.h"
#include "bridge/appt_productivity_source.h"
#include "suite/demo_db.h"
#include "suite/production_service.h"
#include "tests/support/test_db.h"

extern char** environ;

namespace {

constexpr long kToday = 20261201;
constexpr long kFrom = 20261001;  // the appointment range: 61 days, two windows of reads
constexpr long kTo = 20261130;

const char* PgUrl() {
  const char* url = std::getenv("VANTRA_TEST_PG_URL");
  return url != nullptr && *url != '\0' ? url : nullptr;
}

std::string WithQuery(const std::string& url, const std::string& query) {
  return url + (url.find('?') == std::string::npos ? "?" : "&") + query;
}

std::unique_ptr<GenDB> OpenOrDie(const std::string& url) {
  std::string error;
  auto db = OpenGenDB(url, "", true, &error);
  EXPECT_NE(db, nullptr) << error;
  return db;
}

void ExecOrFail(GenDB* db, const std::string& sql) { ASSERT_EQ(db->dbExec(sql.c_str()), 0) << sql << ": " << db->LastError(); }

// The demo practice of one engine, made once. On PostgreSQL it lives in a
// schema of its own, read by a role of its own whose login the cases refuse
// to keep the engine from reconnecting.
struct Practice {
  std::unique_ptr<TempDir> dir;
  std::string url;     // what the generators' connection opens
  std::string schema;  // PostgreSQL
  std::string role;    // PostgreSQL
};

std::map<std::string, Practice>& Practices() {
  static std::map<std::string, Practice> practices;
  return practices;
}

// --- meters ------------------------------------------------------------------

// Meter number `which` (in the order the run opens them) acts once its
// counter reaches `at`: cancels, or runs `action` (and then never cancels).
class ScriptedMeter : public MeterImpl {
 public:
  ScriptedMeter(long at, std::function<void()> action, long* opened_max)
      : at_(at), action_(std::move(action)), opened_max_(opened_max) {}
  void Open(const std::string&, long maximum) override {
    if (opened_max_ != nullptr) *opened_max_ = maximum;
  }
  void SetCounter(long v) override {
    if (at_ < 0 || v < at_ || done_) return;
    done_ = true;
    if (action_) {
      action_();
    } else {
      cancelled_ = true;
    }
  }
  bool Cancelled() override { return cancelled_; }
  void Close() override {}

 private:
  long at_;
  std::function<void()> action_;
  long* opened_max_;
  bool done_ = false;
  bool cancelled_ = false;
};

struct MeterScript {
  std::shared_ptr<int> made = std::make_shared<int>(0);
  std::shared_ptr<std::vector<long>> maxima = std::make_shared<std::vector<long>>();
};

// Installs meters where meter `which` acts at `at` (action null: cancels);
// the maximum each meter was opened with is kept in the script.
MeterScript ScriptMeter(int which, long at, std::function<void()> action = nullptr) {
  MeterScript s;
  SetMeterFactory([s, which, at, action](HWindow) -> std::unique_ptr<MeterImpl> {
    const int n = (*s.made)++;
    s.maxima->push_back(0);
    return std::make_unique<ScriptedMeter>(n == which ? at : -1, n == which ? action : nullptr,
                                           &s.maxima->back());
  });
  return s;
}

// --- list checks ----------------------------------------------------------------

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    std::string f = line.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    while (!f.empty() && f.back() == ' ') f.pop_back();
    while (!f.empty() && f.front() == ' ') f.erase(0, 1);
    out.push_back(f);
    if (tab == std::string::npos) return out;
    start = tab + 1;
  }
}

long Number(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

// "Total: 12" -> 12 (label from the tab's strings).
long LabelCount(const std::string& field, int label_id) {
  const std::string label = ModuleString(label_id);
  EXPECT_EQ(field.rfind(label, 0), 0u) << field;
  return Number(field.substr(label.size()));
}

struct ListCheck {
  long data_lines = 0;
  long sum = 0;  // summary: merged audit rows
};

// Detailed and history lists, subtotal on the date, sorted by date: each
// group is one date (dates ascend, none comes back), its total counts its
// lines on the date and the lines so far on the other keys; the grand total
// counts every line. A list of one group has no group total.
ListCheck CheckDetailedList(const QenListWindow& list) {
  ListCheck r;
  long in_group = 0, groups = 0;
  std::string group_date, last_closed;
  std::set<std::string> closed;
  int i = 0;
  const int n = list.GetCount();
  for (; i < n; ++i) {
    const std::string line(list.GetString(i));
    const long data = list.GetItemData(i);
    SCOPED_TRACE("line " + std::to_string(i) + ": " + line);
    if (data > 0) {
      const std::string date = Fields(line)[0];
      if (in_group == 0) {
        EXPECT_EQ(closed.count(date), 0u) << "a date's rows in two groups";
        group_date = date;
      }
      EXPECT_EQ(date, group_date) << "a row of another date inside a group";
      ++in_group;
      ++r.data_lines;
      continue;
    }
    if (data == 0) continue;  // blank lines around a group total
    const std::vector<std::string> f = Fields(line);
    EXPECT_EQ(f.size(), 6u);
    if (f.size() != 6) break;
    if (f[0].rfind(ModuleString(58), 0) == 0) {
      EXPECT_EQ(LabelCount(f[0], 58), r.data_lines);
      EXPECT_EQ(Number(f[2]), r.data_lines);
      EXPECT_EQ(Number(f[4]), r.data_lines);
      EXPECT_EQ(Number(f[5]), r.data_lines);
      EXPECT_EQ(i, n - 1) << "the grand total is the last line";
      EXPECT_TRUE(in_group == 0 || groups == 0) << "a group without its total";
      return r;
    }
    EXPECT_GT(in_group, 0) << "a total without rows";
    ++groups;
    EXPECT_EQ(LabelCount(f[0], 57), in_group);
    EXPECT_EQ(Number(f[2]), r.data_lines);  // the user never restarts
    EXPECT_EQ(Number(f[4]), r.data_lines);
    EXPECT_EQ(Number(f[5]), r.data_lines);
    closed.insert(group_date);
    in_group = 0;
  }
  if (n > 0) ADD_FAILURE() << "no grand total";
  return r;
}

// Summary, subtotal on user and date, sorted by user then date: one line per
// user and date (merged: a pair never comes twice); the user, sorted before
// the date, never breaks a group, so a group is a run of lines of one date;
// its total counts its lines and adds their rows; the grand total counts and
// adds everything. A list of one group has no group total.
ListCheck CheckSummaryList(const QenListWindow& list) {
  ListCheck r;
  long in_group = 0, group_sum = 0, groups = 0;
  std::set<std::string> pairs;
  std::string group_key;
  const int n = list.GetCount();
  for (int i = 0; i < n; ++i) {
    const std::string line(list.GetString(i));
    const long data = list.GetItemData(i);
    SCOPED_TRACE("line " + std::to_string(i) + ": " + line);
    const std::vector<std::string> f = Fields(line);
    if (data > 0) {
      EXPECT_EQ(f.size(), 6u);
      if (f.size() != 6) break;
      const std::string key = f[2] + "|" + f[0];
      EXPECT_TRUE(pairs.insert(key).second) << "a user and date listed twice";
      if (in_group == 0) group_key = f[0];
      EXPECT_EQ(f[0], group_key) << "another date inside a group";
      EXPECT_GT(Number(f[5]), 0);
      ++in_group;
      group_sum += Number(f[5]);
      ++r.data_lines;
      r.sum += Number(f[5]);
      continue;
    }
    if (data == 0) continue;
    EXPECT_EQ(f.size(), 6u);
    if (f.size() != 6) break;
    if (f[0].rfind(ModuleString(58), 0) == 0) {
      EXPECT_EQ(LabelCount(f[0], 58), r.data_lines);
      EXPECT_EQ(Number(f[2]), r.data_lines);
      EXPECT_EQ(Number(f[5]), r.sum);
      EXPECT_EQ(i, n - 1) << "the grand total is the last line";
      EXPECT_TRUE(in_group == 0 || groups == 0) << "a group without its total";
      return r;
    }
    ++groups;
    EXPECT_EQ(LabelCount(f[0], 57), in_group);
    EXPECT_EQ(Number(f[5]), group_sum);
    in_group = 0;
    group_sum = 0;
  }
  if (n > 0) ADD_FAILURE() << "no grand total";
  return r;
}

std::vector<std::string> Lines(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.GetCount(); ++i) out.push_back(std::to_string(list.GetItemData(i)) + "|" + std::string(list.GetString(i)));
  return out;
}

std::vector<std::string> ApptElements(const PracApptGenerator& gen) {
  std::vector<std::string> out;
  char buf[200];
  for (const PracApptElem* e : gen.Elements().As<PracApptElem>()) {
    std::snprintf(buf, sizeof buf, "%s|%ld|%d|%s|%ld|%d|%ld|%ld|%ld|%ld", e->Key, e->Kind, e->Status, e->Code, e->Date,
                  e->Period, e->Minutes, e->SchedUnits, e->Fee, e->Count);
    out.push_back(buf);
  }
  return out;
}

// The last day of the first `days` days of the range (0 days: none).
long DayAfterFrom(long days) { return incr_date(kFrom, days - 1); }

// --- the cases -------------------------------------------------------------------

class PartialRunTest : public ::testing::TestWithParam<std::string> {
 public:
  static void TearDownTestSuite() {
    auto it = Practices().find("postgres");
    if (it != Practices().end() && PgUrl() != nullptr) {
      std::string error;
      auto admin = OpenGenDB(PgUrl(), "", false, &error);
      if (admin != nullptr) {
        admin->dbExec(("DROP SCHEMA IF EXISTS " + it->second.schema + " CASCADE").c_str());
        admin->dbExec(("DROP ROLE IF EXISTS " + it->second.role).c_str());
      }
    }
    Practices().clear();
  }

 protected:
  void SetUp() override {
    if (GetParam() == "postgres" && PgUrl() == nullptr) GTEST_SKIP() << "VANTRA_TEST_PG_URL n'est pas défini";
    Practice& p = Practices()[GetParam()];
    if (p.url.empty()) MakePractice(GetParam(), &p);
    ASSERT_FALSE(p.url.empty());
    practice_ = &p;
    app_.SetDb(OpenOrDie(p.url));
    ASSERT_NE(app_.GetDb(), nullptr);
    InstallProductionService(&app_);
    QenApplication::SetInstance(&app_);
  }
  void TearDown() override {
    SetMeterFactory(nullptr);
    if (admin_ != nullptr) admin_->dbExec(("ALTER ROLE " + practice_->role + " LOGIN").c_str());
    QenApplication::SetInstance(nullptr);
  }

  static void MakePractice(const std::string& engine, Practice* p) {
    std::string base;
    std::unique_ptr<GenDB> db;
    if (engine == "sqlite") {
      p->dir = std::make_unique<TempDir>();
      base = "sqlite:" + p->dir->File("demo.db");
      db = OpenOrDie(base);
    } else {
      p->schema = "vt_partial_" + std::to_string(getpid());
      p->role = p->schema + "_reader";
      auto admin = OpenOrDie(PgUrl());
      ExecOrFail(admin.get(), "DROP SCHEMA IF EXISTS " + p->schema + " CASCADE");
      ExecOrFail(admin.get(), "CREATE SCHEMA " + p->schema);
      admin->dbExec(("DROP ROLE IF EXISTS " + p->role).c_str());
      ExecOrFail(admin.get(), "CREATE ROLE " + p->role + " LOGIN SUPERUSER");
      const std::string path = "options=-csearch_path%3D" + p->schema;
      db = OpenOrDie(WithQuery(PgUrl(), path));
      base = WithQuery(PgUrl(), "user=" + p->role + "&application_name=vantra_partial&" + path);
    }
    if (db == nullptr) return;
    DemoOptions demo;
    demo.today = kToday;
    demo.seed = 7;
    DemoSummary summary;
    std::string error;
    ASSERT_TRUE(GenerateDemoPractice(db.get(), demo, &summary, &error)) << error;
    p->url = base;
  }

  GenDB* Db() { return app_.GetDb(); }
  bool Pg() const { return GetParam() == "postgres"; }

  // The generator's backend, for the cut (read before the run).
  long BackendPid() {
    GenDB* db = Db();
    long pid = 0;
    EXPECT_EQ(db->dbExecute("SELECT pg_backend_pid()", 5), 0) << db->LastError();
    if (db->dbFetch(0, 5) == 0) db->dbGetLong(1, &pid, 5);
    db->dbClose(5);
    return pid;
  }

  // Refuses the generator's login and terminates its backend, then waits
  // until the backend is gone: the next statement of the run finds the
  // server lost and cannot reconnect.
  void Cut(long pid) {
    if (admin_ == nullptr) admin_ = OpenOrDie(PgUrl());
    ASSERT_NE(admin_, nullptr);
    ExecOrFail(admin_.get(), "ALTER ROLE " + practice_->role + " NOLOGIN");
    ExecOrFail(admin_.get(), "SELECT pg_terminate_backend(" + std::to_string(pid) + ")");
    const std::string probe = "SELECT COUNT(0) FROM pg_stat_activity WHERE pid = " + std::to_string(pid);
    for (int i = 0; i < 200; ++i) {
      long left = 1;
      if (admin_->dbExecute(probe.c_str(), 1) == 0 && admin_->dbFetch(0, 1) == 0) admin_->dbGetLong(1, &left, 1);
      admin_->dbClose(1);
      if (left == 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "the backend " << pid << " did not end";
  }
  // The server is back: the role may log in again.
  void Restore() { ExecOrFail(admin_.get(), "ALTER ROLE " + practice_->role + " LOGIN"); }

  void ExpectLossMessage(const std::string& message) {
    EXPECT_EQ(message.rfind("La connexion au serveur a été perdue : la liste est partielle (", 0), 0u) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    EXPECT_EQ(message.back(), '.') << message;
  }

  static AuditOptions DetailedOptions() {
    AuditOptions o;
    o.all_modules = 'Y';
    o.all_users = 'Y';
    o.track_entry_exit = 'Y';
    o.from_date = 20261101;
    o.to_date = 20261130;
    o.AddSortKey(kKeyDate);
    o.subtotal[1] = 1;
    return o;
  }
  static AuditOptions SummaryOptions() {
    AuditOptions o = DetailedOptions();
    o.sort_key_count = 0;
    o.AddSortKey(kKeyUser);
    o.AddSortKey(kKeyDate);
    o.subtotal[0] = 1;
    return o;
  }
  static PracApptSettings ApptSettings(long to) {
    PracApptSettings s;
    s.DateFrom = kFrom;
    s.DateTo = to;
    s.ListBy = 'P';
    s.ReportBy = 'W';
    s.AllProducers = 'Y';
    s.NetFees = 'N';
    s.NoShows = s.Cancelled = s.Unscheduled = 'Y';
    return s;
  }
  PracApptSettings ApptSettingsAll(long to) {
    PracApptSettings s = ApptSettings(to);
    const std::vector<std::string> codes = ActiveProducerCodes(Db());
    s.SelectedCount = static_cast<long>(codes.size());
    for (size_t i = 0; i < codes.size(); ++i) CopyField(s.Producers[i], codes[i].c_str());
    return s;
  }
  StatsSelection Selection(long to = kTo) {
    StatsSelection s;
    s.from = kFrom;
    s.to = to;
    s.SetProducers(ActiveProducerCodes(Db()));
    return s;
  }

  enum Kind { kDetailed, kSummary, kHistory };
  std::unique_ptr<PracBaseGenerator> Make(Kind kind, AuditOptions* o) {
    switch (kind) {
      case kDetailed: return std::make_unique<PracDetailedGenerator>(Db(), nullptr, o);
      case kSummary: return std::make_unique<PracSummaryGenerator>(Db(), nullptr, o);
      default: return std::make_unique<PracAuditGenerator>(Db(), nullptr, o, 0, 0);
    }
  }
  static ListCheck Check(Kind kind, const QenListWindow& list) {
    return kind == kSummary ? CheckSummaryList(list) : CheckDetailedList(list);
  }

  Practice* practice_ = nullptr;
  QenApplication app_;
  std::unique_ptr<GenDB> admin_;
};

// --- Cancel ------------------------------------------------------------------------

TEST_P(PartialRunTest, AuditCancelAtRandomPointsKeepsConsistentLists) {
  std::mt19937 rng(20261201);
  for (Kind kind : {kDetailed, kSummary, kHistory}) {
    AuditOptions whole_options = kind == kSummary ? SummaryOptions() : DetailedOptions();
    QenListWindow whole;
    {
      SetMeterFactory(nullptr);
      auto gen = Make(kind, &whole_options);
      gen->SetDb(Db());
      ASSERT_TRUE(gen->Generate(&whole));
      ASSERT_EQ(gen->Outcome().message, "");
    }
    const ListCheck all = Check(kind, whole);
    ASSERT_GT(all.data_lines, 100);
    const long rows_read = kind == kSummary ? all.sum : all.data_lines;
    // Reading (meter 0) counts rows read; filling (meter 1, not in the summary) lines written.
    for (int meter : {0, 1}) {
      if (kind == kSummary && meter == 1) continue;
      const long span = meter == 0 ? rows_read : all.data_lines;
      std::vector<long> points = {0, 1, span - 1};
      for (int i = 0; i < 6; ++i) points.push_back(static_cast<long>(rng() % static_cast<unsigned>(span)));
      for (long at : points) {
        SCOPED_TRACE("list " + std::to_string(kind) + ", meter " + std::to_string(meter) + ", at " + std::to_string(at));
        AuditOptions o = kind == kSummary ? SummaryOptions() : DetailedOptions();
        ScriptMeter(meter, at);
        auto gen = Make(kind, &o);
        gen->SetDb(Db());
        QenListWindow list;
        gen->Generate(&list);
        EXPECT_TRUE(gen->Outcome().Cancelled());
        EXPECT_FALSE(gen->Outcome().ServerLost());
        EXPECT_EQ(gen->Outcome().message, "");
        const ListCheck got = Check(kind, list);
        if (meter == 1) {
          EXPECT_EQ(got.data_lines, at);  // the lines written before the cancel
        } else if (kind == kSummary) {
          EXPECT_LE(got.sum, at);  // rows read before the cancel (a few dropped by their module)
          if (at == 0) {
            EXPECT_EQ(list.GetCount(), 1);
          }
        } else {
          EXPECT_LE(got.data_lines, at);
        }
      }
    }
  }
}

TEST_P(PartialRunTest, ProductivityCancelAtRandomDaysEqualsTheDaysDone) {
  std::mt19937 rng(1201);
  const long days = daysdiff_betweendates(kFrom, kTo) + 1;
  std::vector<long> points = {0, 1, 30, 31, days - 1};
  for (int i = 0; i < 5; ++i) points.push_back(static_cast<long>(rng() % days));
  for (long at : points) {
    SCOPED_TRACE("cancel at day " + std::to_string(at));
    PracApptSettings s = ApptSettingsAll(kTo);
    ScriptMeter(0, at);
    PracApptGenerator gen(Db(), nullptr, 0, &s);
    QenListWindow list;
    gen.Generate(&list);
    EXPECT_TRUE(gen.Outcome().Cancelled());
    EXPECT_EQ(gen.DaysDone(), at);
    SetMeterFactory(nullptr);
    std::vector<std::string> expected;
    QenListWindow expected_list;
    if (at > 0) {
      PracApptSettings r = ApptSettingsAll(DayAfterFrom(at));
      PracApptGenerator ref(Db(), nullptr, 0, &r);
      ref.Generate(&expected_list);
      expected = ApptElements(ref);
    }
    EXPECT_EQ(ApptElements(gen), expected);
    EXPECT_EQ(list.GetCount() > 0, at > 0);
  }
}

TEST_P(PartialRunTest, StatsProductivityCancelFoldsTheDaysDone) {
  for (long at : {0L, 17L, 45L}) {
    SCOPED_TRACE("cancel at day " + std::to_string(at));
    ApptProductivitySource source(Db(), nullptr, 0);
    StatsContext context;
    context.db = Db();
    context.productivity = &source;
    StatsLists lists;
    ScriptMeter(0, at);
    EXPECT_TRUE(FillStatsList(kStatsProductivity, Selection(), context, &lists).Cancelled());
    EXPECT_EQ(source.DaysDone(), at);
    SetMeterFactory(nullptr);
    StatsLists expected;
    if (at > 0) FillStatsList(kStatsProductivity, Selection(DayAfterFrom(at)), context, &expected);
    EXPECT_EQ(Lines(lists.List(kStatsProductivity)), Lines(expected.List(kStatsProductivity)));
  }
}

// --- the server lost, then back ---------------------------------------------------------

// A server that goes away exists only on PostgreSQL.
class ServerLossTest : public PartialRunTest {};

TEST_P(ServerLossTest, AuditServerLostKeepsTheRowsReadThenWorksAgain) {
  // When: -1 before the run, 0 while reading (meter 0), 1 while filling (meter 1).
  for (Kind kind : {kDetailed, kSummary, kHistory}) {
    for (int when : {-1, 0, 1}) {
      if (kind == kSummary && when == 1) continue;
      SCOPED_TRACE("list " + std::to_string(kind) + ", when " + std::to_string(when));
      AuditOptions whole_options = kind == kSummary ? SummaryOptions() : DetailedOptions();
      SetMeterFactory(nullptr);
      QenListWindow whole;
      auto ref = Make(kind, &whole_options);
      ref->SetDb(Db());
      ref->Generate(&whole);
      const ListCheck all = Check(kind, whole);

      AuditOptions o = whole_options;
      const long pid = BackendPid();
      if (when < 0) {
        Cut(pid);
      } else {
        ScriptMeter(when, when == 0 ? 40 : 3, [&] { Cut(pid); });
      }
      auto gen = Make(kind, &o);
      gen->SetDb(Db());
      QenListWindow list;
      gen->Generate(&list);
      EXPECT_FALSE(gen->Outcome().Cancelled());
      const ListCheck got = Check(kind, list);
      if (when == 0 && kind == kSummary && !gen->Outcome().ServerLost()) {
        // Every row had come before the server went, and the summary reads
        // nothing more: the list is whole, and nothing is said.
        EXPECT_EQ(gen->Outcome().message, "");
        EXPECT_EQ(Lines(list), Lines(whole));
      } else {
        EXPECT_TRUE(gen->Outcome().ServerLost());
        ExpectLossMessage(gen->Outcome().message);
        if (when < 0) {
          EXPECT_EQ(list.GetCount(), 0);  // the count found it
        } else if (when == 0) {
          EXPECT_LE(got.data_lines, all.data_lines);
        } else {
          EXPECT_EQ(got.data_lines, all.data_lines);  // read whole; names left out from the cut on
        }
      }

      Restore();
      SetMeterFactory(nullptr);
      AuditOptions again_options = whole_options;
      auto again = Make(kind, &again_options);
      again->SetDb(Db());
      QenListWindow second;
      again->Generate(&second);
      EXPECT_FALSE(again->Outcome().ServerLost());
      EXPECT_EQ(again->Outcome().message, "");
      EXPECT_EQ(Lines(second), Lines(whole));
    }
  }
}

TEST_P(ServerLossTest, ProductivityServerLostKeepsTheWholeDaysThenWorksAgain) {
  for (long at : {0L, 12L, 31L}) {
    SCOPED_TRACE("lost at day " + std::to_string(at));
    SetMeterFactory(nullptr);
    PracApptSettings w = ApptSettingsAll(kTo);
    PracApptGenerator whole(Db(), nullptr, 0, &w);
    whole.Generate(nullptr);

    const long pid = BackendPid();
    ScriptMeter(0, at, [&] { Cut(pid); });
    PracApptSettings s = ApptSettingsAll(kTo);
    PracApptGenerator gen(Db(), nullptr, 0, &s);
    QenListWindow list;
    gen.Generate(&list);
    EXPECT_TRUE(gen.Outcome().ServerLost());
    ExpectLossMessage(gen.Outcome().message);
    // The day of the cut reads nothing new when its rows were read ahead:
    // the loop stops at the next day that reads.
    EXPECT_GE(gen.DaysDone(), at);
    EXPECT_LT(gen.DaysDone(), at + 31);
    const long done = gen.DaysDone();

    Restore();
    SetMeterFactory(nullptr);
    std::vector<std::string> expected;
    if (done > 0) {
      PracApptSettings r = ApptSettingsAll(DayAfterFrom(done));
      PracApptGenerator ref(Db(), nullptr, 0, &r);
      ref.Generate(nullptr);
      expected = ApptElements(ref);
    }
    EXPECT_EQ(ApptElements(gen), expected) << "a half day kept";

    PracApptSettings a = ApptSettingsAll(kTo);
    PracApptGenerator again(Db(), nullptr, 0, &a);
    again.Generate(nullptr);
    EXPECT_FALSE(again.Outcome().ServerLost());
    EXPECT_EQ(again.Outcome().message, "");
    EXPECT_EQ(ApptElements(again), ApptElements(whole));
  }
}

TEST_P(ServerLossTest, StatsServerLostEndsTheRunThenWorksAgain) {
  ApptProductivitySource source(Db(), nullptr, 0);
  StatsContext context;
  context.db = Db();
  context.productivity = &source;
  context.channel = app_.Channel();
  SetMeterFactory(nullptr);
  StatsLists whole;
  ASSERT_TRUE(FillAllStatsLists(Selection(), context, &whole).Finished());
  ASSERT_GT(whole.List(kStatsPatients).GetCount(), 2);
  ASSERT_GT(whole.List(kStatsAcceptance).GetCount(), 0);
  ASSERT_GT(whole.List(kStatsSummary).GetCount(), 0);

  // One list at a time: the server gone before it starts.
  for (int n : {kStatsPatients, kStatsAcceptance, kStatsSummary}) {
    SCOPED_TRACE("list " + std::to_string(n));
    Cut(BackendPid());
    StatsLists lists;
    RunOutcome outcome = FillStatsList(n, Selection(), context, &lists);
    EXPECT_TRUE(outcome.ServerLost());
    ExpectLossMessage(outcome.message);
    EXPECT_EQ(lists.List(n).GetCount(), 0) << "a row mixes several statements: none is whole";
    Restore();
    outcome = FillStatsList(n, Selection(), context, &lists);
    EXPECT_TRUE(outcome.Finished()) << outcome.message;
    EXPECT_EQ(Lines(lists.List(n)), Lines(whole.List(n)));
  }

  // Generate all, lost during the productivity days: the patients are whole,
  // the productivity holds the days done, the lists after it stay empty.
  const long pid = BackendPid();
  ScriptMeter(0, 20, [&] { Cut(pid); });
  StatsLists lists;
  const RunOutcome cut = FillAllStatsLists(Selection(), context, &lists);
  EXPECT_TRUE(cut.ServerLost());
  ExpectLossMessage(cut.message);
  EXPECT_EQ(Lines(lists.List(kStatsPatients)), Lines(whole.List(kStatsPatients)));
  EXPECT_EQ(lists.List(kStatsAcceptance).GetCount(), 0);
  EXPECT_EQ(lists.List(kStatsSummary).GetCount(), 0);
  const long done = source.DaysDone();
  EXPECT_GE(done, 20);
  Restore();
  SetMeterFactory(nullptr);
  StatsLists expected;
  FillStatsList(kStatsProductivity, Selection(DayAfterFrom(done)), context, &expected);
  EXPECT_EQ(Lines(lists.List(kStatsProductivity)), Lines(expected.List(kStatsProductivity)));

  StatsLists again;
  const RunOutcome second = FillAllStatsLists(Selection(), context, &again);
  EXPECT_TRUE(second.Finished()) << second.message;
  for (int n : kStatsPrintOrder) EXPECT_EQ(Lines(again.List(n)), Lines(whole.List(n))) << "list " << n;
}

TEST_P(ServerLossTest, GoalsServerLostLeavesNoRowThenWorksAgain) {
  GoalsOptions o;
  std::snprintf(o.year, sizeof o.year, "2026");
  std::snprintf(o.comp_year, sizeof o.comp_year, "2025");
  const std::vector<std::string> producers = ActiveProducerCodes(Db());
  GoalsDisplay display;
  const GoalsProductionFn service = ChannelProduction(&app_, nullptr);
  QenListWindow whole;
  const GoalsResult full = GenerateGoalsReport(Db(), o, display, producers, service, &whole);
  ASSERT_EQ(full.outcome.message, "");
  ASSERT_GT(whole.GetCount(), 3);

  for (int at : {0, 5, 23}) {  // before the first month, in the first year, in the second
    SCOPED_TRACE("lost at period " + std::to_string(at));
    const long pid = BackendPid();
    int calls = 0;
    const GoalsProductionFn cut = [&](long from, long to, TDList* out, std::string* why) {
      if (calls++ == at) Cut(pid);
      return service(from, to, out, why);
    };
    QenListWindow list;
    const GoalsResult result = GenerateGoalsReport(Db(), o, display, producers, cut, &list);
    EXPECT_TRUE(result.outcome.ServerLost());
    ExpectLossMessage(result.outcome.message);
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(result.entries.empty());
    Restore();
    QenListWindow again;
    const GoalsResult second = GenerateGoalsReport(Db(), o, display, producers, service, &again);
    EXPECT_FALSE(second.outcome.ServerLost());
    EXPECT_EQ(second.outcome.message, "");
    EXPECT_EQ(Lines(again), Lines(whole));
  }
}

// The engine alone: a backend terminated while the connection was idle is
// found before the next statement and replaced (session settings and search
// path with it); one terminated while rows come ends them with the reason.
TEST_P(ServerLossTest, EngineReconnectsAfterAnIdleKillAndReportsAKillWhileReading) {
  GenDB* db = Db();
  const long first = BackendPid();
  Cut(first);
  Restore();
  db->ClearLostConnection();
  long n = 0;
  ASSERT_EQ(db->dbExecute("SELECT COUNT(0) FROM AUDITFIL", 3), 0) << db->LastError();  // search path back
  ASSERT_EQ(db->dbFetch(0, 3), 0);
  db->dbGetLong(1, &n, 3);
  db->dbClose(3);
  EXPECT_GT(n, 1000);
  EXPECT_EQ(db->LostConnection(), "");
  EXPECT_NE(BackendPid(), first);
  // A transaction too: BEGIN goes to the new backend.
  Cut(BackendPid());
  Restore();
  EXPECT_EQ(db->dbBeginTransaction(), 0) << db->LastError();
  EXPECT_EQ(db->dbRollback(), 0) << db->LastError();

  // While rows come: the cut after the first rows, the reconnection refused.
  const long pid = BackendPid();
  db->ClearLostConnection();
  ASSERT_EQ(db->dbExecute("SELECT AUD_ID, AUD_FLD_INFO1, AUD_FLD_INFO2, AUD_FLD_INFO3 FROM AUDITFIL", 3), 0);
  long rows = 0;
  int r = db->dbFetch(0, 3);
  for (; r == 0; r = db->dbFetch(1, 3)) {
    if (++rows == 5) Cut(pid);
  }
  db->dbClose(3);
  EXPECT_LT(rows, n);
  EXPECT_NE(db->LostConnection(), "");
  EXPECT_NE(db->LastError().find("Connexion au serveur PostgreSQL perdue"), std::string::npos) << db->LastError();
  Restore();
}

// --- the command line --------------------------------------------------------------------

#ifdef VANTRA_CLI
// Runs vantra with args while a second connection holds a lock on `table`:
// the command's statement on it waits; the watcher finds it (the role's
// active backend), refuses the role's login, terminates it and lets go.
struct CliRun {
  int status = -1;
  std::string err;
};

TEST_P(ServerLossTest, CommandLineExitsThreeWithOneLineAndNoFile) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* table;
  };
  const std::vector<Case> cases = {
      {"audit", {"audit", "AllModules=Y", "--from", "20261101", "--to", "20261130", "--format", "tsv"}, "AUDITFIL"},
      {"audit --summary", {"audit", "--summary", "AllModules=Y", "--from", "20261101", "--format", "csv"}, "AUDITFIL"},
      {"history", {"history", "--record", "3", "--module", "20105", "--format", "tsv"}, "AUDITFIL"},
      {"productivity", {"productivity", "--from", "20261001", "--to", "20261130", "--format", "tsv"}, "PATAPT"},
      {"stats", {"stats", "--from", "20261001", "--to", "20261130", "--format", "tsv"}, "PATIENT"},
      {"stats --list acceptance", {"stats", "--list", "acceptance", "--from", "20261001", "--format", "tsv"}, "AUDITFIL"},
      {"goals", {"goals", "Year=2026", "--format", "tsv"}, "GOALS"},
      // Lost before the generation starts, in the pick-list read that comes
      // first: the same exit and line (it used to be exit 2 "lecture
      // impossible", exit 1, or "producteur inconnu").
      {"productivity, producers", {"productivity", "ListBy=P", "AllProducers=Y", "--from", "20261001", "--format", "tsv"},
       "PRODCD"},
      {"stats, producers", {"stats", "AllProducers=Y", "--from", "20261001", "--format", "tsv"}, "PRODCD"},
      {"goals, producers", {"goals", "Year=2026", "--format", "tsv"}, "PRODCD"},
      {"goals-edit add, producers", {"goals-edit", "add", "D01", "2031", "1500"}, "PRODCD"},
  };
  TempDir dir;
  auto admin = OpenOrDie(WithQuery(PgUrl(), "options=-csearch_path%3D" + practice_->schema));
  admin_ = OpenOrDie(PgUrl());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = dir.File(std::string("out_") + std::to_string(&c - cases.data()));
    std::vector<std::string> args = {VANTRA_CLI};
    args.insert(args.end(), c.args.begin(), c.args.end());
    for (const char* a : {"--db", practice_->url.c_str(), "--today", "20261201", "--out", out.c_str()}) args.push_back(a);
    const std::string err_file = out + ".err";
    ASSERT_EQ(admin->dbBeginTransaction(), 0) << admin->LastError();
    ExecOrFail(admin.get(), std::string("LOCK TABLE ") + c.table + " IN ACCESS EXCLUSIVE MODE");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // The command's backend waiting on the lock.
    const std::string find = "SELECT pid FROM pg_stat_activity WHERE usename = '" + practice_->role +
                             "' AND state = 'active' AND wait_event_type = 'Lock'";
    long backend = 0;
    for (int i = 0; i < 1000 && backend == 0; ++i) {
      if (admin_->dbExecute(find.c_str(), 1) == 0 && admin_->dbFetch(0, 1) == 0) admin_->dbGetLong(1, &backend, 1);
      admin_->dbClose(1);
      if (backend == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(backend, 0) << "the command never waited on " << c.table;
    if (backend != 0) Cut(backend);
    admin->dbRollback();
    int status = 0;
    waitpid(child, &status, 0);
    Restore();
    std::ifstream in(err_file);
    const std::string err((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(": La connexion au serveur a été perdue : la liste est partielle ("), std::string::npos) << err;
    EXPECT_FALSE(std::ifstream(out).good()) << "a partial list was written";
  }
}
#endif

INSTANTIATE_TEST_SUITE_P(Engines, PartialRunTest, ::testing::Values("sqlite", "postgres"),
                         [](const auto& info) { return info.param; });
INSTANTIATE_TEST_SUITE_P(Engines, ServerLossTest, ::testing::Values("postgres"),
                         [](const auto& info) { return info.param; });

}  // namespace
