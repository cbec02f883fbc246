// Hostile texts in every value a user, an INI file or the command line puts
// into a statement: log-on names, producer codes, chair keys, appointment
// codes and types, goal producers and years. Each name sits in the practice
// beside decoys that a broken escape, a wildcard or a cut would match; the
// analysis must select exactly the rows holding the name, run every
// statement, and leave every table as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "appt/appt_generator.h"
#include "audit/audit_generator.h"
#include "goals/goal_editor.h"
#include "goals/goals_generator.h"
#include "host/list_window.h"
#include "host/prodanal.h"
#include "host/sql_literal.h"
#include "stats/stats_patients.h"
#include "suite/goal_info.h"
#include "suite/production_service.h"
#include "suite/schema.h"
#include "tests/appt/appt_fixture.h"

namespace {

// One hostile value: what is selected, the name the practice stores (the
// selection cut to its field when it is longer), and decoys.
struct Hostile {
  const char* label;
  std::string select;
  std::string stored;
  std::vector<std::string> decoys;
  bool utf8 = true;  // false: bytes a PostgreSQL (UTF-8) database cannot hold
};

std::string Q(const std::string& v) { return SqlQuoted(v); }

std::vector<std::string> Cells(std::string_view row) {
  std::vector<std::string> out(1);
  for (char c : row) {
    if (c == '\t') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  for (std::string& cell : out) {
    while (!cell.empty() && cell.back() == ' ') cell.pop_back();
  }
  return out;
}

const std::string kDropPatient = "x');DROP TABLE PATIENT;--";

class HostileTest : public ApptFixture {
 protected:
  void SetUp() override {
    ApptFixture::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    Exec("INSERT INTO PATIENT (PAT_ID, PAT_LNAME) VALUES (1, 'Témoin')");
  }
  bool Holds(const Hostile& h) const { return h.utf8 || GetParam() == "sqlite"; }
  // Every table of the schema and its rows.
  std::map<std::string, long> TableRows() {
    std::map<std::string, long> out;
    for (const TableDef& t : SchemaTables()) out[t.name] = CountRows(Db(), t.name);
    return out;
  }
  long next_ = 1000;
};

// --- audit: the user selection ----------------------------------------------

std::vector<Hostile> UserCases() {
  const std::string long_name = "ABCDEFGHI" + std::string(100 * 1024, 'J');
  return {
      {"quote", "O'BRIEN", "O'BRIEN", {"OBRIEN", "O''BRIEN", "O"}},
      {"double_quote", "A\"B", "A\"B", {"AB", "A\"\"B"}},
      {"semicolon_dashes", "X';--", "X';--", {"X", "X'", "X';"}},
      {"comment", "/*A*/", "/*A*/", {"A", "/**/"}},
      {"percent", "%", "%", {"ANNE", "%%"}},
      {"underscore", "AD_IN", "AD_IN", {"ADMIN", "AD__IN"}},
      {"backslash", "A\\'B", "A\\'B", {"A", "A\\", "B", "A'B"}},
      {"line_break", "A\nB", "A\nB", {"AB", "A\r\nB"}},
      {"tab", "A\tB", "A\tB", {"AB", "A B", "A\t"}},
      {"nul_ends_the_name", std::string("NU\0LL", 5), "NU", {"NULL", "NU LL"}},
      {"accents", "ÉTÉ", "ÉTÉ", {"ETE", "été"}},
      {"latin1", "\xC9T\xC9", "\xC9T\xC9", {"ETE", "\xC9T"}, false},
      {"cut_at_capacity", long_name, "ABCDEFGHI", {"ABCDEFGH", "BCDEFGHIJ"}},
      {"drop_table", "');DROP TABLE PATIENT;--", "');DROP T", {"')", "');DROP"}},
  };
}

TEST_P(HostileTest, AuditSelectsExactlyTheUsersNamed) {
  std::map<std::string, long> rows_of;  // stored name -> rows
  long id = 1;
  for (const Hostile& h : UserCases()) {
    if (!Holds(h)) continue;
    std::vector<std::string> names = h.decoys;
    names.push_back(h.stored);
    names.push_back(h.stored);  // two rows for the name itself
    for (const std::string& name : names) {
      if (rows_of.count(name) != 0 && name != h.stored) continue;  // a decoy already stored
      Exec("INSERT INTO AUDITFIL (AUD_ID, AUD_TYPE, AUD_ACTION, AUD_USER, AUD_DATE, AUD_TIME, AUD_FLD_NAME1) "
           "VALUES (" + std::to_string(id) + ", 'L', 'P', " + Q(name) + ", 20261201, " +
           std::to_string(80000 + id) + ", 'RAPPORT')");
      ++rows_of[name];
      ++id;
    }
  }
  const std::map<std::string, long> before = TableRows();
  size_t columns = 0;  // cells of a row, as the first name's rows have them
  for (const Hostile& h : UserCases()) {
    if (!Holds(h)) continue;
    SCOPED_TRACE(h.label);
    AuditOptions o;
    o.all_modules = 'Y';
    o.all_users = 'N';
    o.from_date = 20261201;
    o.to_date = 20261201;
    ASSERT_TRUE(o.AddUser(h.select.c_str()));
    o.AddSortKey(kKeyDate);
    PracDetailedGenerator gen(Db(), nullptr, &o);
    gen.SetDb(Db());
    QenListWindow list;
    gen.Generate(&list);
    EXPECT_EQ(gen.Outcome().message, "");
    // Shown as stored, but for tabs and line breaks, which would open a
    // column (or a line) of their own in the row: they show as blanks.
    std::string shown = h.stored;
    for (char& c : shown) {
      if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    long found = 0;
    for (int r = 0; r < list.GetCount(); ++r) {
      const std::vector<std::string> cells = Cells(list.GetString(r));
      if (list.GetItemData(r) <= 0) continue;
      if (columns == 0) columns = cells.size();
      ASSERT_EQ(cells.size(), columns) << "row " << r << ": " << list.GetString(r);
      EXPECT_EQ(cells[2], shown) << "row " << r;
      ++found;
    }
    EXPECT_EQ(found, rows_of[h.stored]);
  }
  EXPECT_EQ(TableRows(), before);
}

// --- productivity: producers, chairs, codes and types ----------------------

std::vector<Hostile> ProducerCases() {
  return {
      {"quote", "O'B", "O'B", {"OB", "O''"}},
      {"double_quote", "D\"1", "D\"1", {"D1", "D\"\""}},
      {"semicolon", "D;-", "D;-", {"D;", "D"}},
      {"comment", "/**", "/**", {"/*", "*"}},
      {"percent", "%", "%", {"D01", "%%"}},
      {"underscore", "D_1", "D_1", {"DX1", "D__"}},
      {"backslash", "D\\'", "D\\'", {"D\\", "D'"}},
      {"line_break", "D\n1", "D\n1", {"D1", "D\r1"}},
      {"latin1", "\xC9" "01", "\xC9" "01", {"E01"}, false},
      {"cut_at_capacity", "D01" + std::string(100 * 1024, 'X'), "D01", {"D0", "01X"}},
      {"drop_table", kDropPatient, "x')", {"x'", "x"}},
  };
}

class HostileProductivityTest : public HostileTest {
 protected:
  // Every name of the cases as a producer with its own chair and one booked
  // appointment on Monday 7 December 2026 of (chair number) slots.
  void AddProducers() {
    int chair = 0;
    for (const Hostile& h : ProducerCases()) {
      if (!Holds(h)) continue;
      std::vector<std::string> names = h.decoys;
      names.push_back(h.stored);
      for (const std::string& code : names) {
        if (slots_.count(code) != 0) continue;
        ++chair;
        slots_[code] = chair;
        const std::string n = std::to_string(chair), id = std::to_string(next_++);
        Exec("INSERT INTO CHAIR (CHR_ID, CHR_LOC, CHR_IDNO, CHR_SHARED, CHR_PRODUCER) VALUES (" + id + ", 'A', " +
             n + ", 'N', " + Q(code) + ")");
        Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_LAST_NAME) VALUES (" + id + ", " + Q(code) + ", 'Nom')");
        Exec("INSERT INTO PRDSCH (PSCH_ID, PSCH_PROD, PSCH_EFF_DATE, PSCH_CHAIRS) VALUES (" + id + ", " + Q(code) +
             ", 20200101, '" + n + "')");
        Exec("INSERT INTO PRDSCHD (PSD_ID, PSD_SCHID, PSD_PROD, PSD_DOW, PSD_CHAIR, PSD_LOC, PSD_START, PSD_END) "
             "VALUES (" + id + ", " + id + ", " + Q(code) + ", 1, " + n + ", 'A', 80000, 120000)");
        Appointment(code, chair, 'A', "EXA", "R");
      }
    }
  }
  void Appointment(const std::string& producer, int chair, char loc, const std::string& code,
                   const std::string& type) {
    Exec("INSERT INTO PATAPT (PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_TIME, PAPT_LENGTH, PAPT_PRODUCER, PAPT_CHAIR, "
         "PAPT_LOC, PAPT_STATUS, PAPT_TYPE, PAPT_CODE, PAPT_FEE) VALUES (" + std::to_string(next_++) +
         ", 1, 20261207, 90000, " + std::to_string(chair) + ", " + Q(producer) + ", " + std::to_string(chair) +
         ", " + Q(std::string(1, loc)) + ", 'B', " + Q(type) + ", " + Q(code) + ", 1000)");
  }
  static PracApptSettings Settings(char list_by) {
    PracApptSettings s;
    s.DateFrom = s.DateTo = 20261207;
    s.ListBy = list_by;
    s.ReportBy = 'D';
    s.AllProducers = s.AllChairs = 'N';
    s.NetFees = 'N';
    s.NoShows = s.Cancelled = s.Unscheduled = 'N';
    s.SelectedCount = 1;
    return s;
  }
  // Booked elements as "key|code|minutes", on both read paths (which must agree).
  std::vector<std::string> Booked(PracApptSettings s) {
    std::vector<std::string> out[2];
    for (int statements = 0; statements < 2; ++statements) {
      PracApptGenerator g(Db(), nullptr, 0, &s);
      g.SetStatementReads(statements == 1);
      EXPECT_TRUE(g.Compute());
      EXPECT_EQ(g.Outcome().message, "");
      for (const PracApptElem* e : g.Elements().As<PracApptElem>()) {
        if (e->Kind == 1) out[statements].push_back(std::string(e->Key) + "|" + e->Code + "|" + std::to_string(e->Minutes));
      }
    }
    EXPECT_EQ(out[0], out[1]) << "prefetched and one-statement-per-day reads";
    return out[0];
  }
  std::map<std::string, int> slots_;
};

TEST_P(HostileProductivityTest, ProducersSelectOnlyTheirOwnAppointments) {
  AddProducers();
  const std::map<std::string, long> before = TableRows();
  for (const Hostile& h : ProducerCases()) {
    if (!Holds(h)) continue;
    SCOPED_TRACE(h.label);
    PracApptSettings s = Settings('P');
    CopyField(s.Producers[0], h.select.c_str());
    ASSERT_STREQ(s.Producers[0], h.stored.c_str()) << "the field holds the name cut to 3 bytes";
    EXPECT_EQ(Booked(s), std::vector<std::string>{h.stored + "||" + std::to_string(slots_[h.stored] * 5)});
  }
  EXPECT_EQ(TableRows(), before);
}

TEST_P(HostileProductivityTest, ChairKeysCodesAndTypesMatchExactly) {
  // Chairs at locations whose letter is a quote, a wildcard, a backslash.
  const std::string locs = "'%_\";\\A";
  for (size_t i = 0; i < locs.size(); ++i) {
    const std::string n = std::to_string(i + 1), id = std::to_string(next_++);
    Exec("INSERT INTO CHAIR (CHR_ID, CHR_LOC, CHR_IDNO, CHR_SHARED, CHR_PRODUCER) VALUES (" + id + ", " +
         Q(std::string(1, locs[i])) + ", " + n + ", 'Y', '')");
    Appointment("D01", static_cast<int>(i + 1), locs[i], "EXA", "R");
  }
  for (size_t i = 0; i < locs.size(); ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "%c%02d", locs[i], static_cast<int>(i + 1));
    SCOPED_TRACE(key);
    PracApptSettings s = Settings('C');
    CopyField(s.Chairs[0], key);
    EXPECT_EQ(Booked(s), std::vector<std::string>{std::string(key) + "||" + std::to_string((i + 1) * 5)});
  }
  // Codes (5 bytes) and types (3 bytes) of the appointments of chair 20.
  Exec("INSERT INTO CHAIR (CHR_ID, CHR_LOC, CHR_IDNO, CHR_SHARED, CHR_PRODUCER) VALUES (99, 'B', 20, 'Y', '')");
  const std::vector<std::pair<std::string, std::vector<std::string>>> codes = {
      {"A'B;-", {"AB;-", "A''B;"}}, {"%", {"EXA", "%%"}}, {"_XA", {"EXA", "__XA"}},
      {"/*--", {"/*", "--"}},       {"\\'", {"\\", "'"}},  {"A\nB", {"AB"}}};
  for (int kind = 0; kind < 2; ++kind) {
    Exec("DELETE FROM PATAPT WHERE PAPT_CHAIR = 20");
    std::set<std::string> stored;
    for (const auto& [code, decoys] : codes) {
      std::vector<std::string> all = decoys;
      all.push_back(code);
      for (const std::string& c : all) {
        const std::string field = c.substr(0, kind == 0 ? 5 : 3);
        if (!stored.insert(field).second) continue;
        Appointment("D01", 20, 'B', kind == 0 ? field : "R", kind == 0 ? "EXA" : field);
      }
    }
    for (const auto& [code, decoys] : codes) {
      const std::string field = code.substr(0, kind == 0 ? 5 : 3);
      SCOPED_TRACE((kind == 0 ? "code " : "type ") + field);
      PracApptSettings s = Settings('C');
      CopyField(s.Chairs[0], "B20");
      s.ProdInfo = kind == 0 ? 'C' : 'T';
      if (kind == 0) {
        CopyField(s.ApptCodes[0], field.c_str());
      } else {
        CopyField(s.ApptTypes[0], field.c_str());
      }
      // Every appointment of chair 20 lasts 20 slots: one element of 100 minutes.
      EXPECT_EQ(Booked(s), std::vector<std::string>{"B20|" + field + "|100"});
    }
  }
}

// --- statistics: the dentists of the patients list ---------------------------

TEST_P(HostileTest, StatisticsPatientsOfTheNamedDentistsOnly) {
  // PAT_DOCTOR holds the dentist's code without its 'D' (2 bytes).
  const std::vector<Hostile> cases = {
      {"quote", "D'1", "'1", {"1", "''"}},        {"double_quote", "D\"", "\"", {"\"\""}},
      {"percent", "D%", "%", {"01", "%%"}},        {"underscore", "D_", "_", {"X", "__"}},
      {"backslash", "D\\", "\\", {"\\\\", "\\'"}}, {"semicolon", "D;", ";", {";;"}},
      {"latin1", "D\xC9", "\xC9", {"E"}, false},
  };
  std::map<std::string, long> patients_of;
  long id = 10;
  for (const Hostile& h : cases) {
    if (!Holds(h)) continue;
    std::vector<std::string> doctors = h.decoys;
    doctors.push_back(h.stored);
    for (const std::string& d : doctors) {
      if (patients_of.count(d) != 0) continue;
      const long n = 1 + (id % 3);  // 1 to 3 patients each
      for (long k = 0; k < n; ++k, ++id) {
        Exec("INSERT INTO PATIENT (PAT_ID, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE) VALUES (" +
             std::to_string(id) + ", " + Q(d) + ", 20261110, 20261115)");
      }
      patients_of[d] = n;
    }
  }
  const std::map<std::string, long> before = TableRows();
  for (const Hostile& h : cases) {
    if (!Holds(h)) continue;
    SCOPED_TRACE(h.label);
    StatsSelection s;
    s.from = 20261101;
    s.to = 20261130;
    s.all_producers = 'N';
    s.SetProducers({h.select});
    QenListWindow list(107);
    const RunOutcome outcome = FillPatientsList(Db(), s, &list);
    ASSERT_TRUE(outcome.Finished()) << outcome.message;
    const std::string n = std::to_string(patients_of[h.stored]);
    ASSERT_EQ(list.GetCount(), 3) << "one dentist, a blank row, the total";
    EXPECT_EQ(Cells(list.GetString(0)), (std::vector<std::string>{h.select, n, "0", n, n}));
  }
  EXPECT_EQ(TableRows(), before);
}

// --- goals: the report and the editor ----------------------------------------

TEST_P(HostileTest, GoalsOfTheNamedProducersOnly) {
  std::map<std::string, long> goal_of, production_of;
  long id = 1;
  for (const Hostile& h : ProducerCases()) {
    if (!Holds(h)) continue;
    std::vector<std::string> names = h.decoys;
    names.push_back(h.stored);
    for (const std::string& code : names) {
      if (goal_of.count(code) != 0) continue;
      goal_of[code] = 1000 * id;
      production_of[code] = 7 * id;
      Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_LAST_NAME) VALUES (" + std::to_string(id) + ", " + Q(code) +
           ", 'Nom')");
      Exec("INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR, GOAL_JAN) VALUES (" + std::to_string(id) + ", " +
           Q(code) + ", 2026, " + std::to_string(goal_of[code]) + ")");
      Exec("INSERT INTO CLMTRT (CTRT_ID, CTRT_DATE, CTRT_STATUS, CTRT_PRODUCER, CTRT_TOTAL) VALUES (" +
           std::to_string(id) + ", 20260115, 'C', " + Q(code) + ", " + std::to_string(production_of[code]) + ")");
      ++id;
    }
  }
  GoalsProductionFn production = [this](long from, long to, TDList* out, std::string*) {
    std::string error;
    return ComputeProductionFor(Db(), from, to, {}, true, out, &error);
  };
  const std::map<std::string, long> before = TableRows();
  for (const Hostile& h : ProducerCases()) {
    if (!Holds(h)) continue;
    SCOPED_TRACE(h.label);
    GoalsOptions o;
    std::snprintf(o.year, sizeof o.year, "2026");
    std::fill(std::begin(o.month), std::end(o.month), 'N');
    o.month[0] = 'Y';
    o.all_producers = 'N';
    o.producers = {h.stored};
    QenListWindow list(5111);
    const GoalsResult r = GenerateGoalsReport(Db(), o, GoalsDisplay(), {h.stored}, production, &list);
    EXPECT_EQ(r.outcome.message, "");
    ASSERT_EQ(r.entries.size(), 1u);
    EXPECT_EQ(r.entries[0].producer, h.stored);
    EXPECT_EQ(r.entries[0].production, std::vector<long>{production_of[h.stored]});
    EXPECT_EQ(r.entries[0].goal, std::vector<long>{goal_of[h.stored]});
    EXPECT_EQ(r.entries[0].applied, 3);

    // The editor: the pair exists (adding refused); a decoy's pair does not
    // exist for this name once the name's record is gone.
    GoalInfo g;
    g.SetProducer(h.select);
    g.year = 2026;
    EXPECT_STREQ(g.producer, h.stored.c_str());
    EXPECT_TRUE(DuplicateExist(Db(), g, kGoalModeAdding, 0));
    g.year = 2027;
    EXPECT_FALSE(DuplicateExist(Db(), g, kGoalModeAdding, 0));
  }
  EXPECT_EQ(TableRows(), before);
  // Saved and read back byte for byte; then deleting one leaves the decoys.
  std::vector<GoalInfo> saved;
  for (const Hostile& h : ProducerCases()) {
    if (!Holds(h)) continue;
    SCOPED_TRACE(h.label);
    GoalInfo g;
    g.SetProducer(h.select);
    g.year = 2030;
    g.goals[0] = 123;
    std::string error;
    ASSERT_EQ(InsertGoalRecord(Db(), &g, 20261201, &error), GoalWrite::kDone) << error;
    saved.push_back(g);
  }
  std::vector<GoalInfo> read;
  std::string error;
  ASSERT_TRUE(LoadGoalRecords(Db(), 2030, &read, &error)) << error;
  std::multiset<std::string> want, got;
  for (const GoalInfo& g : saved) want.insert(g.producer);
  for (const GoalInfo& g : read) got.insert(g.producer);
  EXPECT_EQ(got, want);
  EXPECT_EQ(CountRows(Db(), "PATIENT"), 1);
}

TEST_P(HostileTest, GoalYearsThatAreNotDigitsNeverReachAStatement) {
  Exec("INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR, GOAL_JAN) VALUES (1, 'D01', 2026, 500)");
  Exec("INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR, GOAL_JAN) VALUES (2, 'D01', 1, 900)");
  for (const char* year : {"1=1", "1 OR", "0;--", "'1'", "1/*"}) {
    SCOPED_TRACE(year);
    GoalsOptions o;
    std::snprintf(o.year, sizeof o.year, "2026");
    std::snprintf(o.comp_year, sizeof o.comp_year, "%s", year);
    const std::vector<int> failed = ValidateGoalsReport(Db(), o, 1);
    EXPECT_NE(std::find(failed.begin(), failed.end(), 97), failed.end()) << "refused by the validation";
    // A caller that skips the validation still runs a sound statement, with
    // the year as the number the text starts with.
    QenListWindow list(5111);
    const GoalsResult r = GenerateGoalsReport(
        Db(), o, GoalsDisplay(), {"D01"}, [](long, long, TDList*, std::string*) { return true; }, &list);
    EXPECT_EQ(r.outcome.message, "");
  }
  EXPECT_EQ(CountRows(Db(), "GOALS"), 2);
}

INSTANTIATE_DB_TEST(HostileTest);
INSTANTIATE_DB_TEST(HostileProductivityTest);

}  // namespace
