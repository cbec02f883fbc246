// Hostile texts through the `vantra` program: KEY=VALUE overrides and the INI
// file. A name that fits its field selects exactly its rows; a name longer
// than its field or that is not UTF-8 is refused before anything runs (the
// tabs would cut it and select another name); nothing is injected.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/sql_literal.h"
#include "suite/schema.h"
#include "tests/support/run_program.h"
#include "tests/support/test_db.h"

namespace {

struct Ran {
  int status = -1;
  std::string out, err;
};

std::vector<std::vector<std::string>> Lines(const std::string& text) {
  std::vector<std::vector<std::string>> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> cells(1);
    for (char c : line) {
      if (c == '\t') {
        cells.emplace_back();
      } else {
        cells.back() += c;
      }
    }
    for (std::string& cell : cells) {
      while (!cell.empty() && cell.back() == ' ') cell.pop_back();
    }
    out.push_back(cells);
  }
  return out;
}

class HostileCliTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    std::string error;
    ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
    Exec("INSERT INTO PATIENT (PAT_ID, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE) VALUES "
         "(1, '''1', 20261201, 20261201), (2, '1', 20261201, 20261201), (3, '''''', 20261201, 20261201)");
    long id = 1;
    for (const char* user : {"O'BRIEN", "O'BRIEN", "OBRIEN", "O''BRIEN", "O", "ABCDEFGHI"}) {
      Exec("INSERT INTO AUDITFIL (AUD_ID, AUD_TYPE, AUD_ACTION, AUD_USER, AUD_DATE, AUD_TIME, AUD_FLD_NAME1) VALUES (" +
           std::to_string(id) + ", 'L', 'P', " + SqlQuoted(user) + ", 20261201, " + std::to_string(80000 + id) +
           ", 'RAPPORT')");
      ++id;
    }
    Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_LAST_NAME) VALUES (1, 'O''B', 'Nom'), (2, 'OB', 'Nom'), "
         "(3, 'D''1', 'Nom'), (4, 'D01', 'Nom')");
    Exec("INSERT INTO GOALS (GOALS_ID, GOAL_PROD, GOAL_YEAR, GOAL_JAN) VALUES (1, 'O''B', 2026, 100)");
  }

  Ran Vantra(std::vector<std::string> args, const std::string& ini_text = std::string()) {
    const std::string ini = dir_.File("tolvane.ini");
    std::ofstream(ini, std::ios::binary) << ini_text;
    args.insert(args.begin(), VANTRA_PROGRAM);
    args.insert(args.end(), {"--db", Url(), "--ini", ini, "--today", "20261215", "--format", "tsv"});
    const ProgramRun run = RunProgram(args);
    return {run.status, run.out, run.err};
  }

  TempDir dir_;
};

TEST_P(HostileCliTest, AuditUsersFromOverridesAndTheIniFile) {
  const std::string from[] = {"--from", "20261201", "--to", "20261201"};
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string ini;
  };
  const Case cases[] = {
      {"override", {"AllUsers=N", "Users=O'BRIEN"}, ""},
      {"ini", {}, "[PRAC_DETAILED]\nAllUsers=N\nUsers=O'BRIEN\n"},
      {"override beats the ini", {"Users=O'BRIEN"}, "[PRAC_DETAILED]\nAllUsers=N\nUsers=OBRIEN\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = {"audit", "AllModules=Y"};
    args.insert(args.end(), std::begin(from), std::end(from));
    args.insert(args.end(), c.args.begin(), c.args.end());
    const Ran ran = Vantra(args, c.ini);
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.err, "");
    int rows = 0;
    for (const auto& cells : Lines(ran.out)) {
      if (cells.size() < 3 || cells[1].empty()) continue;  // blank and total lines
      EXPECT_EQ(cells[2], "O'BRIEN");
      ++rows;
    }
    EXPECT_EQ(rows, 2);
  }
}

TEST_P(HostileCliTest, EntriesLongerThanTheirFieldOrNotUtf8AreRefused) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string ini;
    const char* message;
  };
  const std::string drop = "x');DROP TABLE PATIENT;--";
  const std::string huge(100 * 1024, 'A');
  const Case cases[] = {
      {"user over 9 bytes", {"audit", "AllUsers=N", "Users=ABCDEFGHIJ"}, "",
       "vantra audit : Users : « ABCDEFGHIJ » dépasse 9 octets\n"},
      {"user drop table", {"audit", "AllUsers=N", "Users=O'BRIEN," + drop}, "",
       "vantra audit : Users : « x');DROP TABLE PATIENT;-- » dépasse 9 octets\n"},
      {"history user from the ini", {"history", "--module", "20105", "--record", "1"},
       "[PRAC_DETAILED]\nAllUsers=N\nUsers=" + drop + "\n",
       "vantra history : Users : « x');DROP TABLE PATIENT;-- » dépasse 9 octets\n"},
      {"user latin1", {"audit", "AllUsers=N", "Users=\xC9T\xC9"}, "",
       "vantra audit : Users : « \\xC9T\\xC9 » n'est pas du texte UTF-8\n"},
      {"user 100 KB", {"audit", "AllUsers=N", "Users=" + huge}, "",
       nullptr},
      {"producer over 3 bytes", {"productivity", "AllProducers=N", "Producers=O'B,D01X"}, "",
       "vantra productivity : Producers : « D01X » dépasse 3 octets\n"},
      {"chair key", {"productivity", "ListBy=C", "AllChairs=N", "Chairs=A01';--"}, "",
       "vantra productivity : Chairs : « A01';-- » dépasse 4 octets\n"},
      {"appointment code", {"productivity", "ProdInfo=C", "ApptCodes=" + drop}, "",
       "vantra productivity : ApptCodes : « x');DROP TABLE PATIENT;-- » dépasse 5 octets\n"},
      {"appointment type from the ini", {"productivity"}, "[PRAC_APPT]\nProdInfo=T\nApptTypes=R,\xFF\n",
       "vantra productivity : ApptTypes : « \\xFF » n'est pas du texte UTF-8\n"},
      {"stats producer", {"stats", "AllProducers=N", "Producers=D'1;"}, "",
       "vantra stats : Producers : « D'1; » dépasse 3 octets\n"},
      {"goals year", {"goals", "Year=2026x"}, "", "vantra goals : Year : « 2026x » dépasse 4 octets\n"},
      {"goals comparison year", {"goals", "Year=2026", "CompYear=2025;--"}, "",
       "vantra goals : CompYear : « 2025;-- » dépasse 4 octets\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Ran ran = Vantra(c.args, c.ini);
    EXPECT_EQ(ran.status, 2);
    EXPECT_EQ(ran.out, "");
    if (c.message != nullptr) {
      EXPECT_EQ(ran.err, c.message);
    } else {
      EXPECT_NE(ran.err.find("dépasse 9 octets"), std::string::npos) << ran.err;
      EXPECT_LT(ran.err.size(), 200u) << "one line, the name cut";
    }
  }
  EXPECT_EQ(CountRows(Db(), "PATIENT"), 3);
}

// Numbers are read whole and in range (nothing wraps at 32 bits: record
// 4294967297 is not record 1), a selection names each entry once (a repeated
// producer would count its hours twice), dates stay within what the suite
// holds (a run to 9999 would take most of an hour).
TEST_P(HostileCliTest, NumbersOutOfRangeRepeatedEntriesAndFarDatesAreRefused) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {"id past 32 bits", {"goals-edit", "change", "4294967297", "D01", "2026", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1"},
       "vantra goals-edit : identifiant : « 4294967297 » hors des bornes (1 à 2147483647)\n"},
      {"negative id", {"goals-edit", "delete", "-1"},
       "vantra goals-edit : identifiant : « -1 » hors des bornes (1 à 2147483647)\n"},
      {"id past 64 bits", {"goals-edit", "copy", "9223372036854775808", "D01", "2030"},
       "vantra goals-edit : identifiant : « 9223372036854775808 » hors des bornes (1 à 2147483647)\n"},
      {"id with letters", {"goals-edit", "delete", "12x"},
       "vantra goals-edit : identifiant : « 12x » n'est pas un nombre entier\n"},
      {"year past 32 bits", {"goals-edit", "add", "D01", "4294969323", "1500"},
       "vantra goals-edit : année : « 4294969323 » hors des bornes (1950 à 2149)\n"},
      {"listed year past 32 bits", {"goals-edit", "list", "--year", "4294969323"},
       "vantra goals-edit : --year : « 4294969323 » hors des bornes (0 à 2147483647)\n"},
      {"year zero", {"goals-edit", "add", "D01", "0", "1500"},
       "vantra goals-edit : année : « 0 » hors des bornes (1950 à 2149)\n"},
      {"goals year override", {"goals", "Year=0001"}, "vantra goals : Year : « 0001 » hors des bornes (1950 à 2149)\n"},
      {"fees goal in exponent form", {"stats", "FeesGoal=1e9"},
       "vantra stats : FeesGoal : « 1e9 » n'est pas un nombre entier\n"},
      {"fees goal past 32 bits", {"stats", "FeesGoal=2147483648"},
       "vantra stats : FeesGoal : « 2147483648 » hors des bornes (0 à 2147483647)\n"},
      {"usage bound past a short", {"stats", "UsageFrom0=70000"},
       "vantra stats : UsageFrom0 : « 70000 » hors des bornes (-32768 à 32767)\n"},
      {"producer twice", {"productivity", "AllProducers=N", "Producers=D01,D01,D01"},
       "vantra productivity : Producers : « D01 » figure deux fois\n"},
      {"chair twice", {"productivity", "Chairs=A01,B01,A01"}, "vantra productivity : Chairs : « A01 » figure deux fois\n"},
      {"stats producer twice", {"stats", "AllProducers=N", "Producers=D01,D01"},
       "vantra stats : Producers : « D01 » figure deux fois\n"},
      {"goals producer twice", {"goals", "Year=2026", "AllProducers=N", "Producers=D01,O'B,D01"},
       "vantra goals : Producers : « D01 » figure deux fois\n"},
      {"audit user twice", {"audit", "AllUsers=N", "Users=OBRIEN,O,OBRIEN"},
       "vantra audit : Users : « OBRIEN » figure deux fois\n"},
      {"audit module twice", {"audit", "AllModules=N", "Modules=20105,020105"},
       "vantra audit : Modules : « 020105 » figure deux fois\n"},
      {"end in 9999", {"productivity", "--from", "20260101", "--to", "99991231"}, nullptr},
      {"start before 1950", {"audit", "--from", "18991231", "--to", "20261201"}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Ran ran = Vantra(c.args);
    EXPECT_EQ(ran.status, 2) << ran.err;
    EXPECT_EQ(ran.out, "");
    if (c.message != nullptr) {
      EXPECT_EQ(ran.err, c.message);
    } else {
      EXPECT_NE(ran.err.find("date hors des bornes"), std::string::npos) << ran.err;
    }
  }
  // Nothing was changed by any of them.
  EXPECT_EQ(CountRows(Db(), "GOALS"), 1);
  const Ran list = Vantra({"goals-edit", "list", "--year", "2026"});
  EXPECT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(Lines(list.out).size(), 1u) << list.out;
}

TEST_P(HostileCliTest, QuotedNamesSelectTheirRowsInEveryCommand) {
  // Productivity: the producer O'B exists, has no schedule: an empty report.
  Ran ran = Vantra({"productivity", "AllProducers=N", "Producers=O'B", "--from", "20261207", "--to", "20261207"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.err, "");
  ran = Vantra({"productivity", "AllProducers=N", "Producers=O''", "--from", "20261207", "--to", "20261207"});
  EXPECT_EQ(ran.status, 2);
  EXPECT_EQ(ran.err, "vantra productivity : producteur inconnu : O''\n");
  // Statistics: the dentist D'1 has one new patient ('1), not the patients of
  // '1' or '''.
  ran = Vantra({"stats", "--list", "patients", "AllProducers=N", "Producers=D'1", "--from", "20261201", "--to",
                "20261231"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  ASSERT_FALSE(Lines(ran.out).empty());
  EXPECT_EQ(Lines(ran.out)[0], (std::vector<std::string>{"D'1", "1", "0", "1", "1"}));
  // Goals: the goal of O'B.
  ran = Vantra({"goals", "Year=2026", "AllProducers=N", "Producers=O'B", "Month=YNNNNNNNNNNN", "NoGoals=N",
                "GoalsDisplay=C"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  ASSERT_FALSE(Lines(ran.out).empty());
  EXPECT_EQ(Lines(ran.out)[0][0], "O'B");
  // The goal editor: a goal for O'B in 2031, listed back as it was typed; a
  // second one is a duplicate.
  ran = Vantra({"goals-edit", "add", "O'B", "2031", "12.50"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  ran = Vantra({"goals-edit", "add", "O'B", "2031", "12.50"});
  EXPECT_EQ(ran.status, 1);
  ran = Vantra({"goals-edit", "list", "--year", "2031"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  ASSERT_EQ(Lines(ran.out).size(), 1u) << ran.out;
  EXPECT_EQ(Lines(ran.out)[0][1], "O'B");
  ran = Vantra({"goals-edit", "add", "x');DROP TABLE GOALS;--", "2031", "1"});
  EXPECT_EQ(ran.status, 1);
  EXPECT_EQ(CountRows(Db(), "GOALS"), 2);
  EXPECT_EQ(CountRows(Db(), "PATIENT"), 3);
}

INSTANTIATE_DB_TEST(HostileCliTest);

}  // namespace
