// The generators against bad data, missing tables, cancels and a server that
// goes away; the batched look-ups against the one-by-one reference.
#include <gtest/gtest.h>
#include <climits>

#include <random>
#include <string>
#include <vector>

#include "audit/audit_generator.h"
#include "host/list_window.h"
#include "host/meter.h"
#include "tests/audit/audit_fixture.h"
#include "tests/audit/recording_db.h"
#include "tests/support/test_db.h"

namespace {

std::vector<std::string> Lines(const QenListWindow& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.GetCount(); ++i) {
    out.push_back(std::to_string(list.GetItemData(i)) + "|" + std::string(list.GetString(i)));
  }
  return out;
}

class CancelMeter : public MeterImpl {
 public:
  explicit CancelMeter(long at) : at_(at) {}
  void Open(const std::string&, long) override {}
  void SetCounter(long v) override { cancelled_ = cancelled_ || (at_ >= 0 && v >= at_); }
  bool Cancelled() override { return cancelled_; }
  void Close() override {}

 private:
  long at_;
  bool cancelled_ = false;
};

// Meter `which` (0 reading, 1 fill) cancels when its counter reaches at.
void CancelMeterNumber(int which, long at) {
  auto made = std::make_shared<int>(0);
  SetMeterFactory([=](HWindow) -> std::unique_ptr<MeterImpl> {
    return std::make_unique<CancelMeter>((*made)++ == which ? at : -1);
  });
}

AuditOptions Everything() {
  AuditOptions o;
  o.all_modules = 'Y';
  o.all_users = 'Y';
  o.track_entry_exit = 'Y';
  o.AddSortKey(kKeyDate);
  return o;
}

class AuditRobustTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(CreateAuditTables(Db()));
  }
  void TearDown() override {
    SetMeterFactory(nullptr);
    DbTest::TearDown();
  }
  void Add(const AuditRowSpec& row) { AddAuditRow(Db(), "AUDITFIL", row); }
  void AddFive() {
    for (long i = 1; i <= 5; ++i) Add({i, "X", "A", 0, "anne", 20261201, 90000 + i, "", "", "", "", "", ""});
  }
  std::vector<std::string> Run(PracBaseGenerator& gen, GenDB* db = nullptr) {
    gen.SetDb(db != nullptr ? db : Db());
    QenListWindow list;
    gen.Generate(&list);
    return Lines(list);
  }

  // A practice with every kind of look-up, duplicates, gaps and odd ids.
  void FillVariedPractice(int rows) {
    ASSERT_TRUE(CreateLookupTables(Db()));
    ASSERT_EQ(Db()->dbBeginTransaction(), 0);
    for (long id = 1; id <= 40; ++id) AddPatient(Db(), id, "P" + std::to_string(id), "Nom'" + std::to_string(id));
    AddPatient(Db(), 13, "Double", "Treize");  // two rows: the one-by-one first row decides
    for (long id = 1; id <= 10; ++id) AddAccount(Db(), id, "A" + std::to_string(id), "Compte");
    for (long id = 100; id <= 110; ++id) AddPayment(Db(), id, id - 99, 20261201, "T", "CHQ", "Chèque " + std::to_string(id));
    for (long id = 1; id <= 12; ++id) AddChartPatient(Db(), id, "C" + std::to_string(id), "Charte");
    for (long id = 1; id <= 8; ++id) AddChartTreatment(Db(), id, id, 50 + id, 3, "D111" + std::to_string(id), "Nettoyage");
    for (long id = 1; id <= 6; ++id) {
      AddLink(Db(), "PATPPLN", id, id + 2);
      AddLink(Db(), "PATAPT", id, id + 3);
      AddLink(Db(), "DMDOC", id, 99);  // patient 99 does not exist
      AddLink(Db(), "PERIOP2", id, id);
      AddLink(Db(), "ANSWER2", id, id + 1);
    }
    ExecOrFail(Db(), "INSERT INTO REFERCD VALUES (3, 'Dre', 'Lavoie')");
    ExecOrFail(Db(), "INSERT INTO PRODCD VALUES (3, 'Paul', 'Gagnon')");
    ExecOrFail(Db(), "INSERT INTO USERIDCD VALUES (3, 'Anne Roy', 'anne')");
    ExecOrFail(Db(), "INSERT INTO EMPPOL VALUES (3, 'SUN', 'G-12', 'Acme')");
    ExecOrFail(Db(), "INSERT INTO PATANS VALUES (3, 4, 'Q1')");
    ExecOrFail(Db(), "INSERT INTO PATCLM VALUES (3, 5, 20261101, 'CL-3')");
    ExecOrFail(Db(), "INSERT INTO CLMTRT VALUES (4, 3, 20261101, 'CL-3', '11101', 'Examen')");
    ExecOrFail(Db(), "INSERT INTO PATOCH VALUES (2, 6, 20261101, 'S1', 'FR', 'Frais')");
    ExecOrFail(Db(), "INSERT INTO ALERTP2 VALUES (2, 2, 7)");
    ExecOrFail(Db(), "INSERT INTO ALERTD2 VALUES (7, 1200, 'ALLERGIE')");
    const char* types = "ABCDEFGHIJKLMNOPRSTUXYQ";
    const char* names1[] = {"",        "ACCOUNT", "PATMED",  "PATRESP", "REFSTAFF", "PATREFER",
                            "TXNOTE",  "REFNOTE", "EMPPOL",  "FAMINS",  "MERGEPOL", "PATCLM",
                            "PREDEOB", "DMTAB",   "OPTIONS", "SCH",     "PATDEP",   "PATEMP"};
    const char* names3[] = {"", "0", "2", "16", "25", "37", "1003", "1007", "113", "1002", "12ab", "17"};
    std::mt19937 rng(7);
    for (int i = 1; i <= rows; ++i) {
      AuditRowSpec r;
      r.id = i;
      r.type = std::string(1, types[rng() % 23]);
      r.action = std::string(1, "AEDXRPUVCOSM"[rng() % 12]);
      const long ids[] = {0, 1, 2, 3, 4, 5, 6, 13, 40, 41, 100, 105, 200, -3, 7004};
      r.record_id = ids[rng() % 15];
      r.user = i % 3 == 0 ? "anne" : "marc";
      r.date = 20261201 + static_cast<long>(rng() % 5);
      r.time = 80000 + static_cast<long>(rng() % 1000);
      r.name1 = names1[rng() % 18];
      r.name2 = rng() % 4 == 0 ? "0001000000005000050" : "";
      r.name3 = names3[rng() % 12];
      r.info1 = rng() % 2 ? "info un" : "";
      r.info2 = rng() % 2 ? "1250" : "";
      r.info3 = rng() % 2 ? "trois" : "";
      Add(r);
    }
    ASSERT_EQ(Db()->dbCommit(), 0);
  }
};

TEST_P(AuditRobustTest, BatchedLookupsGiveTheOneByOneLines) {
  // More rows than the fill describes on its own thread: both ways describe
  // on a second one, the one-by-one way running its statements there.
  FillVariedPractice(2500);
  for (int kind = 0; kind < 2; ++kind) {
    AuditOptions o = Everything();
    std::unique_ptr<PracBaseGenerator> one, batched;
    if (kind == 0) {
      one = std::make_unique<PracDetailedGenerator>(Db(), nullptr, &o);
      batched = std::make_unique<PracDetailedGenerator>(Db(), nullptr, &o);
    } else {
      o.all_modules = 'N';
      o.AddModule(20105);
      o.AddModule(2060);
      o.AddModule(20120);
      one = std::make_unique<PracAuditGenerator>(Db(), nullptr, &o, 3, 4);
      batched = std::make_unique<PracAuditGenerator>(Db(), nullptr, &o, 3, 4);
    }
    one->SetLookupMode(LookupMode::kOneByOne);
    const std::vector<std::string> reference = Run(*one);
    const std::vector<std::string> fast = Run(*batched);
    ASSERT_GT(reference.size(), kind == 0 ? 300u : 3u);
    EXPECT_EQ(fast, reference) << (kind == 0 ? "detailed" : "history");
    EXPECT_EQ(one->Outcome().message, "");
    EXPECT_EQ(batched->Outcome().message, "");
    EXPECT_GT(batched->Stats().prefetched, 0);
    if (kind == 0) {
      EXPECT_LT(batched->Stats().statements + batched->Stats().batch_statements,
                one->Stats().statements / 4);
    }
  }
}

TEST_P(AuditRobustTest, PrefetchInSmallChunksAnswersLikeOneByOne) {
  FillVariedPractice(0);
  // Ids spread far thinner than one bit each take the record sort inside
  // Prefetch: both ways.
  for (bool huge_ids : {false, true}) {
    SCOPED_TRACE(huge_ids ? "with ids of 2^48 and above" : "small ids");
    std::vector<LookupRequest> requests;
    std::vector<long> ids = {-3L, 0L, 1L, 2L, 3L, 13L, 13L, 41L, 105L, 7004L};
    if (huge_ids) ids.insert(ids.end(), {1L << 48, (1L << 48) + 7, LONG_MAX});
    for (long id : ids) {
      for (int k = 0; k < static_cast<int>(LookupKind::kCount); ++k) {
        const LookupKind kind = static_cast<LookupKind>(k);
        LinkTable link = LinkTable::kNone;
        if (kind == LookupKind::kPatientLink) link = id % 2 ? LinkTable::kPatPpln : LinkTable::kPatApt;
        if (kind == LookupKind::kChartPatientLink) link = id % 2 ? LinkTable::kPeriop2 : LinkTable::kAnswer2;
        requests.push_back({kind, link, id});
      }
    }
    // Dense runs of ids, read as ranges (with rows nobody asked for, gaps, and
    // the duplicated patient inside).
    for (long id = 0; id <= 150; id += (id % 7 == 3 ? 2 : 1)) {
      requests.push_back({LookupKind::kPatient, LinkTable::kNone, id});
      requests.push_back({LookupKind::kPayment, LinkTable::kNone, 60 + id});
      requests.push_back({LookupKind::kPatientLink, LinkTable::kPatPpln, id});
    }
    RecordingDb recorded(Db());
    DbLookupRunner reference(Db());
    DbLookupRunner batched(&recorded);
    batched.SetBatchSize(3);
    batched.Prefetch(requests);
    EXPECT_GT(batched.Stats().batch_statements, 10);
    for (const LookupRequest& r : requests) {
      const LookupAnswer a = *reference.Run(r);
      const LookupAnswer b = *batched.Run(r);
      SCOPED_TRACE(LookupStatement("", r));
      EXPECT_EQ(a.found, b.found);
      EXPECT_EQ(a.date, b.date);
      EXPECT_STREQ(a.number, b.number);
      EXPECT_STREQ(a.code, b.code);
      EXPECT_STREQ(a.description, b.description);
      EXPECT_STREQ(a.first_name, b.first_name);
      EXPECT_STREQ(a.last_name, b.last_name);
    }
    // The duplicated patient was left to the one-by-one statement.
    EXPECT_GT(batched.Stats().statements, 0);
    int ranges = 0;
    for (const std::string& sql : recorded.On(117)) ranges += sql.find(" BETWEEN ") != std::string::npos;
    EXPECT_EQ(ranges, 3);  // one per dense run
  }
}

TEST_P(AuditRobustTest, MissingLookupTables) {
  Add({1, "B", "E", 10, "anne", 20261201, 91500, "PATRESP", "", "", "N", "", ""});
  Add({2, "A", "A", 500, "marc", 20261201, 102030, "", "", "", "", "", ""});
  Add({3, "R", "A", 11, "marc", 20261201, 102031, "", "", "", "rappel", "", ""});
  for (LookupMode mode : {LookupMode::kOneByOne, LookupMode::kBatched}) {
    AuditOptions o = Everything();
    PracDetailedGenerator gen(Db(), nullptr, &o);
    gen.SetLookupMode(mode);
    const std::vector<std::string> lines = Run(gen);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("Indication du responsable a été changé : Non \t "), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(" \tAjouter \t \t "), std::string::npos) << lines[1];  // gated
    EXPECT_NE(lines[2].find("rappel"), std::string::npos) << lines[2];
    EXPECT_NE(gen.Outcome().message, "");
    EXPECT_LE(gen.Stats().statements, 2);  // one failure per shape, not one per row
  }
}

TEST_P(AuditRobustTest, CancelWhileReadingKeepsTheRowsRead) {
  ASSERT_TRUE(CreateLookupTables(Db()));  // the names are found: a cancel and nothing else
  AddFive();
  CancelMeterNumber(0, 2);
  AuditOptions o = Everything();
  PracDetailedGenerator gen(Db(), nullptr, &o);
  const std::vector<std::string> lines = Run(gen);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "-1|Grand Total: 2\t \t2 \t \t2 \t2");
  EXPECT_TRUE(gen.Outcome().Cancelled());
  EXPECT_EQ(gen.Outcome().message, "");
}

TEST_P(AuditRobustTest, CancelWhileFillingKeepsTheLinesWritten) {
  AddFive();
  CancelMeterNumber(1, 1);
  AuditOptions o = Everything();
  PracDetailedGenerator gen(Db(), nullptr, &o);
  const std::vector<std::string> lines = Run(gen);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "-1|Grand Total: 1\t \t1 \t \t1 \t1");
}

TEST_P(AuditRobustTest, CancelWhileDescribingAheadStopsTheDescriber) {
  // A list long enough to be described on a second thread, cancelled half
  // way: the lines before the cancel, the grand total, and the connection
  // free for the next run (the describer gone, the look-ups' transaction
  // ended).
  FillVariedPractice(3000);
  AuditOptions o = Everything();
  PracDetailedGenerator whole(Db(), nullptr, &o);
  const std::vector<std::string> all = Run(whole);
  ASSERT_GT(all.size(), 2000u);
  CancelMeterNumber(1, 1500);
  PracDetailedGenerator gen(Db(), nullptr, &o);
  const std::vector<std::string> lines = Run(gen);
  ASSERT_EQ(lines.size(), 1501u);
  EXPECT_TRUE(gen.Outcome().Cancelled());
  EXPECT_TRUE(std::equal(lines.begin(), lines.end() - 1, all.begin()));
  EXPECT_EQ(lines.back(), "-1|Grand Total: 1500\t \t1500 \t \t1500 \t1500");
  SetMeterFactory(nullptr);
  PracDetailedGenerator again(Db(), nullptr, &o);
  EXPECT_EQ(Run(again), all);
}

TEST_P(AuditRobustTest, ServerLostWhileReading) {
  AddFive();
  RecordingDb flaky(Db());
  flaky.loss_cursor = kAuditCursor;
  flaky.rows_before_loss = 3;
  AuditOptions o = Everything();
  PracDetailedGenerator gen(Db(), nullptr, &o);
  const std::vector<std::string> lines = Run(gen, &flaky);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], "-1|Grand Total: 3\t \t3 \t \t3 \t3");
  EXPECT_EQ(gen.Outcome().message,
            "La connexion au serveur a été perdue : la liste est partielle (server closed the connection "
            "unexpectedly).");
  EXPECT_TRUE(gen.Outcome().ServerLost());
  EXPECT_FALSE(gen.Outcome().Complete());
}

TEST_P(AuditRobustTest, ServerGoneBeforeCounting) {
  AddFive();
  RecordingDb flaky(Db());
  flaky.loss_cursor = kAuditCursor;
  flaky.rows_before_loss = 0;
  AuditOptions o = Everything();
  PracSummaryGenerator gen(Db(), nullptr, &o);
  gen.SetDb(&flaky);
  QenListWindow list;
  EXPECT_FALSE(gen.Generate(&list));
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_NE(gen.Outcome().message, "");
  EXPECT_TRUE(gen.Outcome().ServerLost());
}

TEST_P(AuditRobustTest, NoDatabase) {
  AuditOptions o = Everything();
  PracDetailedGenerator gen(Db(), nullptr, &o);
  gen.SetDb(nullptr);
  QenListWindow list;
  EXPECT_FALSE(gen.Generate(&list));
  EXPECT_EQ(gen.Outcome().message, "Aucune connexion à la base de données.");
}

TEST_P(AuditRobustTest, MissingArchiveTable) {
  AddFive();
  ExecOrFail(Db(), "DROP TABLE AUDHIS");
  AuditOptions o = Everything();
  o.source = 'B';
  PracDetailedGenerator gen(Db(), nullptr, &o);
  const std::vector<std::string> lines = Run(gen);
  EXPECT_TRUE(lines.empty());
  EXPECT_NE(gen.Outcome().message, "");
}

TEST_P(AuditRobustTest, BadData) {
  AddNullAuditRow(Db(), "AUDITFIL", 1);  // no type: never listed
  ExecOrFail(Db(), "INSERT INTO AUDITFIL (AUD_ID, AUD_TYPE) VALUES (2, 'X')");
  Add({3, "XB", "A", 0, "abcdefghijklmnop", 20261340, 999999, "", "", std::string(30, '9'),
       "", "", ""});
  Add({4, "F", "A", 0, "Émilie-Anne", 0, 120000, "", "", "12ab", std::string(80, 'i'), "", ""});
  Add({5, "J", "?", 0, "x", 20261201, -5, "PASSWORD", "", "-3", "  secret", "", ""});
  AuditOptions o = Everything();
  PracDetailedGenerator gen(Db(), nullptr, &o);
  const std::vector<std::string> lines = Run(gen);
  const std::string i50(50, 'i');
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "2| \t00:00:00 AM \t \tItems de Propositions \t" + ModuleNameOf('X', 0, 20146) +
                           " \tÉditer \t \t ",
                       "4| \t12:00:00 PM \tÉmilie-A \tFormulaires du Patient \t" +
                           ModuleNameOf('F', 0, 2511) + " \tAjouter \t" + i50 + " \t ",
                       "5|2026-12-01 \t00:00:-5 AM \tx \t \t" + ModuleNameOf('J', 0, 20119) +
                           " \tÉditer \tMot de passe changé: secret \t ",
                       "3| \t99:99:99 PM \tabcdefghi \tItems de Propositions \t" +
                           ModuleNameOf('X', 0, 20146) + " \tAjouter \t" + std::string(20, '9') +
                           " \t ",
                       "-1|Grand Total: 4\t \t4 \t \t4 \t4",
                   }));
}

}  // namespace

INSTANTIATE_DB_TEST(AuditRobustTest);
