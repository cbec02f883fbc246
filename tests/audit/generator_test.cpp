// The generators end to end on a real database (SQLite, and PostgreSQL when
// VANTRA_TEST_PG_URL is set): statements, reading, filtering, sorting,
// merging, descriptions with their look-ups, lines and totals.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "audit/audit_generator.h"
#include "host/list_window.h"
#include "host/meter.h"
#include "host/strings.h"
#include "tests/audit/audit_fixture.h"
#include "tests/audit/recording_db.h"
#include "tests/support/test_db.h"

namespace {

std::string M(long code) { return ModuleNameOf('B', 0, code); }

std::vector<std::string> Lines(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.GetCount(); ++i) {
    out.push_back(std::to_string(list.GetItemData(i)) + "|" + std::string(list.GetString(i)));
  }
  return out;
}

// Meter number `which` (0 = the reading meter, 1 = the fill meter) reports a
// cancel once its counter reaches cancel_at.
class ScriptedMeters {
 public:
  ScriptedMeters(int which, long cancel_at) {
    auto made = std::make_shared<int>(0);
    SetMeterFactory([=](HWindow) -> std::unique_ptr<MeterImpl> {
      return std::make_unique<Impl>((*made)++ == which ? cancel_at : -1);
    });
  }
  ~ScriptedMeters() { SetMeterFactory(nullptr); }

 private:
  class Impl : public MeterImpl {
   public:
    explicit Impl(long cancel_at) : cancel_at_(cancel_at) {}
    void Open(const std::string&, long) override {}
    void SetCounter(long v) override {
      if (cancel_at_ >= 0 && v >= cancel_at_) cancelled_ = true;
    }
    bool Cancelled() override { return cancelled_; }
    void Close() override {}

   private:
    long cancel_at_;
    bool cancelled_ = false;
  };
};

class AuditGenTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(CreateAuditTables(Db()));
    ASSERT_TRUE(CreateLookupTables(Db()));
  }
  void Add(const AuditRowSpec& row, const char* table = "AUDITFIL") { AddAuditRow(Db(), table, row); }

  static AuditOptions Everything(std::initializer_list<short> sort_keys = {kKeyDate}) {
    AuditOptions o;
    o.all_modules = 'Y';
    o.all_users = 'Y';
    for (short k : sort_keys) o.AddSortKey(k);
    return o;
  }

  std::vector<std::string> Generate(PracBaseGenerator& gen, bool* matched = nullptr) {
    gen.SetDb(Db());
    QenListWindow list(300);
    const bool m = gen.Generate(&list);
    if (matched != nullptr) *matched = m;
    return Lines(list);
  }
};

TEST_P(AuditGenTest, DetailedListWithDescriptionsAndNames) {
  AddPatient(Db(), 10, "Marie", "Roy");
  AddAccount(Db(), 7, "Jean", "Tremblay");
  AddPayment(Db(), 500, 7, 20261201, "T1", "CASH", "Paiement comptant");
  Add({1, "B", "E", 10, "anne", 20261201, 91500, "PATRESP", "", "", "N", "", ""});
  Add({2, "A", "A", 500, "marc", 20261201, 102030, "", "", "", "", "", ""});
  Add({3, "Q", "A", 1, "anne", 20261201, 80000, "", "", "", "", "", ""});  // never listed
  Add({4, "B", "E", 10, "anne", 20261201, 80000, "", "", "", "", "", ""}, "AUDHIS");
  AuditOptions o = Everything();
  PracDetailedGenerator gen(Db(), nullptr, &o);
  EXPECT_EQ(Generate(gen),
            (std::vector<std::string>{
                "1|2026-12-01 \t09:15:00 AM \tanne \tCompte \t" + M(20105) +
                    " \tÉditer \tIndication du responsable a été changé : Non \tMarie Roy",
                "2|2026-12-01 \t10:20:30 AM \tmarc \tAjustement \t" + M(20106) +
                    " \tAjouter \tPaiement comptant \tJean Tremblay",
                "-1|Grand Total: 2\t \t2 \t \t2 \t2",
            }));
  EXPECT_EQ(gen.Outcome().message, "");
}

TEST_P(AuditGenTest, DateSubtotalsWithDuration) {
  Add({1, "X", "A", 0, "anne", 20261201, 91500, "", "", "P-1", "", "", ""});
  Add({2, "X", "A", 0, "marc", 20261201, 102030, "", "", "P-2", "", "", ""});
  Add({3, "X", "A", 0, "anne", 20261202, 80000, "", "", "P-3", "", "", ""});
  AuditOptions o = Everything();
  o.subtotal[1] = 1;
  PracDetailedGenerator gen(Db(), nullptr, &o);
  const std::string mod = M(20146);
  const std::string tail = " \tItems de Propositions \t" + mod + " \tAjouter \t";
  EXPECT_EQ(Generate(gen), (std::vector<std::string>{
                               "1|2026-12-01 \t09:15:00 AM \tanne" + tail + "P-1 \t ",
                               "2|2026-12-01 \t10:20:30 AM \tmarc" + tail + "P-2 \t ",
                               "0| \t \t \t \t \t \t \t ",
                               "-1|Total: 2\t01:05:30 \t2 \t \t2 \t2",
                               "0| \t \t \t \t \t \t \t ",
                               "3|2026-12-02 \t08:00:00 AM \tanne" + tail + "P-3 \t ",
                               "0| \t \t \t \t \t \t \t ",
                               "-1|Total: 1\t \t3 \t \t3 \t3",
                               "0| \t \t \t \t \t \t \t ",
                               "-1|Grand Total: 3\t \t3 \t \t3 \t3",
                           }));
}

TEST_P(AuditGenTest, OneUserNeverBreaks) {
  Add({1, "X", "A", 0, "anne", 20261201, 91500, "", "", "", "", "", ""});
  Add({2, "X", "D", 0, "anne", 20261203, 91500, "", "", "", "", "", ""});
  AuditOptions o = Everything({kKeyUser, kKeyDate});
  o.subtotal[0] = 1;
  PracDetailedGenerator gen(Db(), nullptr, &o);
  const std::vector<std::string> lines = Generate(gen);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "-1|Grand Total: 2\t \t2 \t \t2 \t2");
}

TEST_P(AuditGenTest, SortOrders) {
  // Same date and time: the date key falls through to the id, then the user.
  Add({5, "X", "A", 0, "zoe", 20261201, 90000, "", "", "", "", "", ""});
  Add({4, "X", "A", 0, "bob", 20261201, 90000, "", "", "", "", "", ""});
  Add({3, "L", "P", 7004, "anne", 20261130, 90000, "", "", "", "", "", ""});
  Add({2, "X", "D", 0, "anne", 20261202, 90000, "", "", "", "", "", ""});
  Add({1, "B", "A", 0, "anne", 20261202, 90000, "", "", "", "", "", ""});
  struct Case {
    std::vector<short> keys;
    std::vector<long> ids;
  };
  const std::vector<Case> cases = {
      {{kKeyDate}, {3, 4, 5, 1, 2}},
      {{kKeyUser}, {3, 2, 1, 4, 5}},  // stable: reading order within a user
      {{kKeyUser, kKeyDate}, {3, 1, 2, 4, 5}},
      {{kKeyModule, kKeyDate}, {1, 3, 4, 5, 2}},  // ranks: 20105, 20115, 20146 x3
      {{kKeyAction, kKeyUser}, {1, 4, 5, 2, 3}},  // groups 0 x3 (by user), 10, 40
      {{7, kKeyDate}, {3, 4, 5, 1, 2}},           // unknown keys are passed over
  };
  for (const Case& c : cases) {
    AuditOptions o = Everything({});
    for (short k : c.keys) o.AddSortKey(k);
    PracDetailedGenerator gen(Db(), nullptr, &o);
    gen.SetDb(Db());
    ASSERT_TRUE(gen.Generate(nullptr));
    std::vector<long> ids;
    for (auto* e : gen.Elements().As<VantraElem>()) ids.push_back(e->audit_id);
    if (c.keys[0] == kKeyUser && c.keys.size() == 1) {
      // Without a date key the reading order decides inside a user; only the
      // users' order is certain on every engine.
      std::vector<std::string> users;
      for (auto* e : gen.Elements().As<VantraElem>()) users.push_back(e->user());
      EXPECT_EQ(users, (std::vector<std::string>{"anne", "anne", "anne", "bob", "zoe"}));
      continue;
    }
    EXPECT_EQ(ids, c.ids) << "first key " << c.keys[0];
  }
}

TEST_P(AuditGenTest, SummaryMergesAndTotals) {
  Add({1, "X", "A", 0, "anne", 20261201, 90000, "", "", "", "", "", ""});
  Add({2, "X", "E", 0, "anne", 20261201, 110000, "", "", "", "", "", ""});
  Add({3, "X", "A", 0, "anne", 20261202, 80000, "", "", "", "", "", ""});
  Add({4, "X", "A", 0, "marc", 20261201, 70000, "", "", "", "", "", ""});
  AuditOptions o = Everything({kKeyUser, kKeyDate});
  o.subtotal[0] = 1;
  o.subtotal[1] = 1;
  PracSummaryGenerator gen(Db(), nullptr, &o);
  EXPECT_EQ(Generate(gen), (std::vector<std::string>{
                               "1|2026-12-01 \t11:00:00 AM \tanne \tTous \tTous \t2 ",
                               "0| \t \t \t \t \t \t \t ",
                               "-1|Total: 1\t \t1 \t \t \t2",
                               "0| \t \t \t \t \t \t \t ",
                               "3|2026-12-02 \t08:00:00 AM \tanne \tTous \tTous \t1 ",
                               "0| \t \t \t \t \t \t \t ",
                               "-1|Total: 1\t \t2 \t \t \t1",
                               "0| \t \t \t \t \t \t \t ",
                               "4|2026-12-01 \t07:00:00 AM \tmarc \tTous \tTous \t1 ",
                               "0| \t \t \t \t \t \t \t ",
                               "-1|Total: 1\t \t3 \t \t \t1",
                               "0| \t \t \t \t \t \t \t ",
                               "-1|Grand Total: 3\t \t3 \t \t \t4",
                           }));
}

// Serves the audit rows in the reverse of the engine's order, as another
// engine (or another run of a PostgreSQL scan) may give them.
class ReversedRowsDb : public RecordingDb {
 public:
  using RecordingDb::RecordingDb;
  int dbExecute(const char* statement, int cursor) override {
    const std::string s = statement;
    if (cursor != kAuditCursor || s.find("COUNT(0)") != std::string::npos) return RecordingDb::dbExecute(statement, cursor);
    return RecordingDb::dbExecute((s + " ORDER BY 1 DESC").c_str(), cursor);
  }
};

// The same rows read in two orders give the same lines, byte for byte, in
// the detailed list and the summary, for key choices whose rows tie.
TEST_P(AuditGenTest, ReadingOrderDoesNotChangeTheLists) {
  const char* users[] = {"anne", "marc", "zoe"};
  const char* types[] = {"X", "B", "S"};
  const char* actions[] = {"A", "D", "R"};
  for (long id = 1; id <= 60; ++id) {
    Add({id, types[id % 3], actions[(id / 3) % 3], 0, users[(id / 2) % 3], 20261201 + (id % 4) / 2,
         80000 + (id % 5) * 100, "", "", "", "", "", ""});
  }
  struct Case {
    const char* name;
    std::vector<short> keys;
    short subtotal[4];
  };
  const Case cases[] = {
      {"user", {kKeyUser}, {1, 0, 0, 0}},
      {"module_action", {kKeyModule, kKeyAction}, {0, 0, 1, 1}},
      {"user_date", {kKeyUser, kKeyDate}, {1, 1, 0, 0}},
      {"action_by_user", {kKeyAction, kKeyUser}, {0, 0, 0, 1}},
      {"none", {}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int summary = 0; summary < 2; ++summary) {
      std::vector<std::string> lines[2];
      for (int reversed = 0; reversed < 2; ++reversed) {
        AuditOptions o = Everything({});
        for (short k : c.keys) o.AddSortKey(k);
        for (int i = 0; i < 4; ++i) o.subtotal[i] = c.subtotal[i];
        ReversedRowsDb reversed_db(Db());
        RecordingDb plain_db(Db());
        GenDB* db = reversed ? static_cast<GenDB*>(&reversed_db) : &plain_db;
        std::unique_ptr<PracBaseGenerator> gen;
        if (summary) {
          gen = std::make_unique<PracSummaryGenerator>(Db(), nullptr, &o);
        } else {
          gen = std::make_unique<PracDetailedGenerator>(Db(), nullptr, &o);
        }
        gen->SetDb(db);
        QenListWindow list(300);
        gen->Generate(&list);
        lines[reversed] = Lines(list);
      }
      EXPECT_EQ(lines[0], lines[1]) << (summary ? "summary" : "detailed");
      EXPECT_GE(lines[0].size(), 2u);
    }
  }
}

// A tab or line break in a name shows as a blank, but the rows are merged on
// the name as stored: "a<tab>b" and "a b" stay two users.
TEST_P(AuditGenTest, SummaryKeepsApartUsersThatShowAlike) {
  Add({1, "X", "A", 0, "a\tb", 20261201, 90000, "", "", "", "", "", ""});
  Add({2, "X", "A", 0, "a b", 20261201, 90000, "", "", "", "", "", ""});
  Add({3, "X", "A", 0, "a\tb", 20261201, 90000, "", "", "", "", "", ""});
  Add({4, "X", "A", 0, "a\nb", 20261201, 90000, "", "", "", "", "", ""});
  AuditOptions o = Everything({kKeyUser});
  o.subtotal[0] = 1;
  PracSummaryGenerator gen(Db(), nullptr, &o);
  const std::vector<std::string> lines = Generate(gen);
  std::vector<std::string> users;
  for (const std::string& line : lines) {
    if (line.rfind("-1|", 0) == 0 || line.rfind("0|", 0) == 0) continue;
    users.push_back(line.substr(line.find('|') + 1));
  }
  std::sort(users.begin(), users.end());  // the engines order the names' control characters apart
  EXPECT_EQ(users, (std::vector<std::string>{"Tous \t \ta b \tTous \tTous \t1 ", "Tous \t \ta b \tTous \tTous \t1 ",
                                             "Tous \t \ta b \tTous \tTous \t2 "}));
  EXPECT_EQ(lines.back(), "-1|Grand Total: \t \t3 \t \t \t4");
}

TEST_P(AuditGenTest, SummaryWithoutSubtotalsMergesEverything) {
  Add({1, "X", "A", 0, "anne", 20261201, 90000, "", "", "", "", "", ""});
  Add({2, "B", "D", 0, "marc", 20261203, 90000, "", "", "", "", "", ""});
  Add({3, "E", "E", 20105, "marc", 20261203, 90000, "", "", "", "", "", ""});  // dropped
  AuditOptions o = Everything();
  PracSummaryGenerator gen(Db(), nullptr, &o);
  EXPECT_EQ(Generate(gen), (std::vector<std::string>{
                               "1|Tous \t \tTous \tTous \tTous \t2 ",
                               "-1|Grand Total: \t \t \t \t \t2",
                           }));
}

TEST_P(AuditGenTest, SummaryByModuleAndAction) {
  Add({1, "X", "A", 0, "anne", 20261201, 90000, "", "", "", "", "", ""});
  Add({2, "X", "A", 0, "marc", 20261203, 90000, "", "", "", "", "", ""});
  Add({3, "X", "D", 0, "marc", 20261203, 90000, "", "", "", "", "", ""});
  Add({4, "B", "D", 0, "marc", 20261203, 90000, "", "", "", "", "", ""});
  AuditOptions o = Everything({kKeyModule, kKeyAction});
  o.subtotal[2] = 1;
  o.subtotal[3] = 1;
  PracSummaryGenerator gen(Db(), nullptr, &o);
  // Enables: module is the key before the last, so only the action breaks.
  const std::string blank = "0| \t \t \t \t \t \t \t ";
  EXPECT_EQ(Generate(gen), (std::vector<std::string>{
                               "4|Tous \t \tTous \t" + M(20105) + " \tEffacer \t1 ",
                               blank,
                               "-1|Total: \t \t \t1 \t1 \t1",
                               blank,
                               "1|Tous \t \tTous \t" + M(20146) + " \tAjouter \t2 ",
                               blank,
                               "-1|Total: \t \t \t2 \t1 \t2",
                               blank,
                               "3|Tous \t \tTous \t" + M(20146) + " \tEffacer \t1 ",
                               blank,
                               "-1|Total: \t \t \t3 \t1 \t1",
                               blank,
                               "-1|Grand Total: \t \t \t3 \t3 \t4",
                           }));
}

TEST_P(AuditGenTest, BothTablesAndDates) {
  Add({1, "X", "A", 0, "anne", 20261201, 90000, "", "", "", "", "", ""});
  Add({2, "X", "A", 0, "anne", 20261101, 90000, "", "", "", "", "", ""});
  Add({3, "X", "A", 0, "anne", 20261202, 90000, "", "", "", "", "", ""}, "AUDHIS");
  Add({4, "X", "A", 0, "anne", 20261220, 90000, "", "", "", "", "", ""}, "AUDHIS");
  AuditOptions o = Everything();
  o.source = 'B';
  o.from_date = 20261115;
  o.to_date = 20261210;
  PracDetailedGenerator gen(Db(), nullptr, &o);
  gen.SetDb(Db());
  ASSERT_TRUE(gen.Generate(nullptr));
  std::vector<long> ids;
  for (auto* e : gen.Elements().As<VantraElem>()) ids.push_back(e->audit_id);
  EXPECT_EQ(ids, (std::vector<long>{1, 3}));
  o.source = 'H';
  PracDetailedGenerator archived(Db(), nullptr, &o);
  archived.SetDb(Db());
  ASSERT_TRUE(archived.Generate(nullptr));
  EXPECT_EQ(archived.Elements().Count(), 1u);
}

TEST_P(AuditGenTest, UserFilterWithQuotes) {
  Add({1, "X", "A", 0, "O'Brien", 20261201, 90000, "", "", "", "", "", ""});
  Add({2, "X", "A", 0, "anne", 20261201, 90000, "", "", "", "", "", ""});
  Add({3, "X", "A", 0, "x') OR (", 20261201, 90000, "", "", "", "", "", ""});
  AuditOptions o = Everything();
  o.all_users = 'N';
  o.AddUser("O'Brien");
  o.AddUser("x') OR (");
  PracDetailedGenerator gen(Db(), nullptr, &o);
  gen.SetDb(Db());
  ASSERT_TRUE(gen.Generate(nullptr));
  std::vector<long> ids;
  for (auto* e : gen.Elements().As<VantraElem>()) ids.push_back(e->audit_id);
  EXPECT_EQ(ids, (std::vector<long>{1, 3}));  // each name matches itself only
}

TEST_P(AuditGenTest, HistoryOfOneRecord) {
  AddPatient(Db(), 55, "Luc", "Côté");
  Add({1, "G", "A", 55, "anne", 20261201, 90000, "PATREFER", "", "", "Dr Nadeau", "", ""});
  Add({2, "G", "A", 56, "anne", 20261201, 90000, "PATREFER", "", "", "", "", ""});
  Add({3, "M", "A", 55, "anne", 20261201, 90000, "REF", "", "", "", "", ""});  // module 2060
  Add({4, "B", "E", 55, "anne", 20261202, 90000, "REF", "", "", "", "", ""});
  AuditOptions o = Everything();
  o.all_modules = 'N';
  o.AddModule(20120);
  o.AddModule(20105);
  PracAuditGenerator gen(Db(), nullptr, &o, 55, 0);
  EXPECT_EQ(Generate(gen),
            (std::vector<std::string>{
                "1|2026-12-01 \t09:00:00 AM \tanne \tRéférences du patient \t" + M(20120) +
                    " \tAjouter \tDr Nadeau",
                "4|2026-12-02 \t09:00:00 AM \tanne \tPatient \t" + M(20105) +
                    " \tÉditer \tInfo Personnelle",
                "-1|Grand Total: 2\t \t2 \t \t2 \t2",
            }));
}

TEST_P(AuditGenTest, NothingMatched) {
  Add({1, "X", "A", 0, "anne", 20261201, 90000, "", "", "", "", "", ""});
  AuditOptions o = Everything();
  o.from_date = 20270101;
  PracDetailedGenerator gen(Db(), nullptr, &o);
  bool matched = true;
  EXPECT_TRUE(Generate(gen, &matched).empty());
  EXPECT_FALSE(matched);
  EXPECT_EQ(gen.Outcome().message, "");
}

TEST_P(AuditGenTest, RowsOfUnselectedModulesLeaveOnlyTheGrandTotal) {
  Add({1, "X", "A", 0, "anne", 20261201, 90000, "", "", "", "", "", ""});
  AuditOptions o = Everything();
  o.all_modules = 'N';
  o.AddModule(20105);
  PracDetailedGenerator gen(Db(), nullptr, &o);
  EXPECT_EQ(Generate(gen), (std::vector<std::string>{"-1|Grand Total: 0\t \t0 \t \t0 \t0"}));
}

TEST_P(AuditGenTest, StatementsRunOnTheirCursors) {
  AddPatient(Db(), 10, "Marie", "Roy");
  Add({1, "B", "E", 10, "anne", 20261201, 91500, "PATRESP", "", "", "N", "", ""});
  Add({2, "R", "A", 10, "anne", 20261201, 91500, "", "", "", "", "", ""});
  RecordingDb rec(Db());
  AuditOptions o = Everything();
  PracDetailedGenerator gen(Db(), nullptr, &o);
  gen.SetDb(&rec);
  gen.SetLookupMode(LookupMode::kOneByOne);
  QenListWindow list;
  ASSERT_TRUE(gen.Generate(&list));
  EXPECT_EQ(rec.On(kAuditCursor),
            (std::vector<std::string>{gen.CountStatement(), gen.RowStatement()}));
  // The same look-up for both rows runs once, verbatim.
  EXPECT_EQ(rec.On(117), (std::vector<std::string>{
                             "SELECT pat_pname, pat_lname FROM PATIENT WHERE PAT_ID = 10"}));
}

}  // namespace

INSTANTIATE_DB_TEST(AuditGenTest);
