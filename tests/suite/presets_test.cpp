#include "suite/presets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host/dates.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

// Failures show the preset, not its bytes.
void PrintTo(const Preset& p, std::ostream* os) {
  *os << p.analysis << "/" << p.name << " #" << p.id << " " << PeriodRuleCode(p.period) << " " << p.from << "-"
      << p.to << " [" << p.format << "] {" << PresetPairsText(p.keys) << "} {" << PresetPairsText(p.flags) << "} "
      << p.saved_by << " " << p.saved_on;
}

namespace {

// --- period rules -------------------------------------------------------------------

TEST(PresetPeriod, RulesOnAGivenDay) {
  struct Case {
    const char* name;
    PeriodRule rule;
    long today, from, to;
  } cases[] = {
      {"last month", PeriodRule::kLastMonth, 20261130, 20261001, 20261031},
      {"last month on the 31st", PeriodRule::kLastMonth, 20260331, 20260201, 20260228},
      {"last month in a leap year", PeriodRule::kLastMonth, 20240331, 20240201, 20240229},
      {"last month in January", PeriodRule::kLastMonth, 20260115, 20251201, 20251231},
      {"last month on the 1st", PeriodRule::kLastMonth, 20261201, 20261101, 20261130},
      {"month to date on the 1st", PeriodRule::kMonthToDate, 20261101, 20261101, 20261101},
      {"month to date", PeriodRule::kMonthToDate, 20261115, 20261101, 20261115},
      {"last 7 days", PeriodRule::kLast7Days, 20261115, 20261109, 20261115},
      {"last 7 days across a month end", PeriodRule::kLast7Days, 20260302, 20260224, 20260302},
      {"last 7 days across a leap day", PeriodRule::kLast7Days, 20240302, 20240225, 20240302},
      {"last 7 days across a year end", PeriodRule::kLast7Days, 20260103, 20251228, 20260103},
      {"year to date on 1 January", PeriodRule::kYearToDate, 20260101, 20260101, 20260101},
      {"year to date", PeriodRule::kYearToDate, 20261115, 20260101, 20261115},
      {"same day last year", PeriodRule::kSameDayLastYear, 20261115, 20251115, 20251115},
      {"same day last year on 29 February", PeriodRule::kSameDayLastYear, 20240229, 20230228, 20230228},
      {"same day last year on 1 March after a leap year", PeriodRule::kSameDayLastYear, 20250301, 20240301, 20240301},
      {"same day last year on 31 December", PeriodRule::kSameDayLastYear, 20261231, 20251231, 20251231},
      {"fixed dates ignore today", PeriodRule::kFixed, 20261115, 20250101, 20250331},
      {"the analysis's own dates", PeriodRule::kNone, 20261115, 0, 0},
      {"an impossible today", PeriodRule::kLastMonth, 20260230, 0, 0},
  };
  for (const Case& c : cases) {
    long from = -1, to = -1;
    ResolvePeriod(c.rule, c.today, 20250101, 20250331, &from, &to);
    EXPECT_EQ(from, c.from) << c.name;
    EXPECT_EQ(to, c.to) << c.name;
  }
}

TEST(PresetPeriod, FileText) {
  struct Case {
    const char* name;
    long from, to;
    const char* text;
  } cases[] = {
      {"a whole month", 20261101, 20261130, "2026-11"},
      {"a whole leap February", 20240201, 20240229, "2024-02"},
      {"February short of its leap day", 20240201, 20240228, "2024-02-01 au 2024-02-28"},
      {"a whole year", 20260101, 20261231, "2026"},
      {"one day", 20261130, 20261130, "2026-11-30"},
      {"a week", 20261101, 20261107, "2026-11-01 au 2026-11-07"},
      {"two whole months", 20261001, 20261130, "2026-10-01 au 2026-11-30"},
      {"a year to date", 20260101, 20261115, "2026-01-01 au 2026-11-15"},
      {"across a year end", 20251228, 20260103, "2025-12-28 au 2026-01-03"},
      {"no period", 0, 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(PeriodFileText(c.from, c.to), c.text) << c.name;
}

// --- names and files ------------------------------------------------------------------

TEST(PresetName, Check) {
  struct Case {
    const char* name;
    std::string text;
    bool accepted;
  } cases[] = {
      {"plain", "Annulations du mois", true},
      {"quotes", "L'\"horaire\" d'O'Brien", true},
      {"accents", "Journal de l'été", true},
      {"sixty bytes", std::string(60, 'x'), true},
      {"sixty-one bytes", std::string(61, 'x'), false},
      {"empty", "", false},
      {"blanks only", "   ", false},
      {"slash", "Mois/année", false},
      {"backslash", "Mois\\année", false},
      {"tab", "Mois\tannée", false},
      {"line break", "Mois\nannée", false},
      {"leading blank", " Mois", false},
      {"trailing blank", "Mois ", false},
      {"an option", "--all", false},
      {"not UTF-8", "Mois \xE9t\xE9", false},
  };
  for (const Case& c : cases) {
    const std::string why = CheckPresetName(c.text);
    EXPECT_EQ(why.empty(), c.accepted) << c.name << ": " << why;
  }
}

TEST(PresetName, FileNames) {
  Preset p;
  p.name = "Annulations du mois";
  struct Case {
    const char* name;
    std::string preset;
    long from, to;
    const char* ext;
    const char* file;
  } cases[] = {
      {"a month", "Annulations du mois", 20261101, 20261130, "xlsx", "Annulations du mois 2026-11.xlsx"},
      {"dot given", "Annulations du mois", 20261101, 20261130, ".pdf", "Annulations du mois 2026-11.pdf"},
      {"a range", "Semaine", 20261101, 20261107, "csv", "Semaine 2026-11-01 au 2026-11-07.csv"},
      {"no period", "Journal", 0, 0, "xlsx", "Journal.xlsx"},
      {"quotes kept", "L'\"été\"", 20260101, 20261231, "tsv", "L'\"été\" 2026.tsv"},
  };
  for (const Case& c : cases) {
    p.name = c.preset;
    EXPECT_EQ(PresetFileName(p, c.from, c.to, c.ext), c.file) << c.name;
  }
}

TEST(PresetPairs, TextRoundTrip) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"Users", "O'BRIEN,ADMIN"}, {"Note", "a=b=c"},          {"Lines", "one\ntwo\r\n"},
      {"Path", "C:\\temp\\n"},    {"Empty", ""},              {"PRAC_APPT.ProdUnits", "B"},
      {"Tail", "\\"},
  };
  const std::string text = PresetPairsText(pairs);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
  std::vector<std::pair<std::string, std::string>> back;
  ASSERT_TRUE(ParsePresetPairsText(text, &back));
  EXPECT_EQ(back, pairs);
  ASSERT_TRUE(ParsePresetPairsText("", &back));
  EXPECT_TRUE(back.empty());
}

TEST(PresetPairs, MalformedTextsAreRefused) {
  struct Case {
    const char* name;
    const char* text;
  } cases[] = {
      {"no equals sign", "Users"},
      {"no key", "=Y"},
      {"unknown escape", "A=\\t"},
      {"escape at the end", "A=x\\"},
      {"bad second line", "A=1\nB"},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<std::string, std::string>> out;
    EXPECT_FALSE(ParsePresetPairsText(c.text, &out)) << c.name;
  }
}

// --- the table ------------------------------------------------------------------------

class PresetsTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    std::string error;
    ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  }
  static Preset Make(const std::string& analysis, const std::string& name) {
    Preset p;
    p.analysis = analysis;
    p.name = name;
    p.period = PeriodRule::kLastMonth;
    p.keys = {{"AllModules", "Y"}, {"Users", "O'BRIEN"}};
    return p;
  }
  std::vector<Preset> List(const std::string& analysis = std::string()) {
    std::vector<Preset> out;
    std::string error;
    EXPECT_TRUE(ListPresets(Db(), analysis, &out, &error)) << error;
    return out;
  }
  std::vector<Preset> Find(const std::string& analysis, const std::string& name, GenDB* db = nullptr) {
    std::vector<Preset> out;
    std::string error;
    EXPECT_TRUE(FindPresets(db ? db : Db(), analysis, name, &out, &error)) << error;
    return out;
  }
};

TEST_P(PresetsTest, SaveListFindReplaceDelete) {
  std::string error;
  Preset a = Make("audit", "L'\"horaire\" d'O'Brien");
  a.keys = {{"AllModules", "Y"}, {"Users", "O'BRIEN,'; DROP TABLE PRESETS;--"}, {"Note", "a=b\nc\\d"}};
  a.flags = {{"summary", ""}};
  a.format = "pdf";
  ASSERT_EQ(SavePreset(Db(), &a, false, &error), PresetSaveResult::kSaved) << error;
  EXPECT_GT(a.id, 0);
  EXPECT_EQ(a.saved_on, ldate_today());
  Preset b = Make("productivity", a.name);  // the same name in another analysis
  b.period = PeriodRule::kFixed;
  b.from = 20260101;
  b.to = 20260331;
  ASSERT_EQ(SavePreset(Db(), &b, false, &error), PresetSaveResult::kSaved) << error;
  Preset c = Make("audit", "Annulations");
  ASSERT_EQ(SavePreset(Db(), &c, false, &error), PresetSaveResult::kSaved) << error;

  // Every field read back as saved, by analysis then name (byte order).
  std::vector<Preset> all = List();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0], c);
  EXPECT_EQ(all[1], a);
  EXPECT_EQ(all[2], b);
  EXPECT_EQ(List("productivity"), std::vector<Preset>{b});
  EXPECT_EQ(Find("", a.name).size(), 2u);
  EXPECT_EQ(Find("audit", a.name), std::vector<Preset>{a});
  EXPECT_TRUE(Find("stats", a.name).empty());

  // An existing name: refused without replace (nothing changes), replaced
  // in place with it.
  Preset again = Make("audit", a.name);
  again.keys = {{"AllModules", "N"}};
  ASSERT_EQ(SavePreset(Db(), &again, false, &error), PresetSaveResult::kExists);
  EXPECT_NE(error.find("existe déjà"), std::string::npos) << error;
  EXPECT_EQ(Find("audit", a.name), std::vector<Preset>{a});
  ASSERT_EQ(SavePreset(Db(), &again, true, &error), PresetSaveResult::kSaved) << error;
  EXPECT_EQ(again.id, a.id);
  EXPECT_EQ(Find("audit", a.name), std::vector<Preset>{again});
  EXPECT_EQ(List().size(), 3u);

  ASSERT_TRUE(DeletePreset(Db(), "audit", a.name, &error)) << error;
  EXPECT_TRUE(Find("audit", a.name).empty());
  EXPECT_EQ(Find("", a.name), std::vector<Preset>{b});
  EXPECT_FALSE(DeletePreset(Db(), "audit", a.name, &error));
  EXPECT_NE(error.find("aucun préréglage"), std::string::npos) << error;
  EXPECT_EQ(CountRows(Db(), "PRESETS"), 2);
}

TEST_P(PresetsTest, RefusedPresetsWriteNothing) {
  struct Case {
    const char* name;
    Preset preset;
  };
  std::vector<Case> cases;
  cases.push_back({"unknown analysis", Make("history", "Mois")});
  cases.push_back({"name with a slash", Make("audit", "Mois/année")});
  Preset format = Make("audit", "Mois");
  format.format = "docx";
  cases.push_back({"unknown format", format});
  Preset fixed = Make("audit", "Mois");
  fixed.period = PeriodRule::kFixed;
  fixed.from = 20260301;
  fixed.to = 20260201;
  cases.push_back({"fixed dates reversed", fixed});
  Preset key = Make("audit", "Mois");
  key.keys = {{"A=B", "Y"}};
  cases.push_back({"key holding '='", key});
  Preset line = Make("audit", "Mois");
  line.flags = {{"sum\nmary", ""}};
  cases.push_back({"flag holding a line break", line});
  for (Case& c : cases) {
    std::string error;
    EXPECT_EQ(SavePreset(Db(), &c.preset, false, &error), PresetSaveResult::kRefused) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
  }
  EXPECT_EQ(CountRows(Db(), "PRESETS"), 0);
}

// An older practice database has no PRESETS table: no preset until the
// first save creates it.
TEST_P(PresetsTest, MissingTableIsNoPresetUntilTheFirstSave) {
  Exec("DROP TABLE PRESETS");
  EXPECT_TRUE(List().empty());
  EXPECT_TRUE(Find("", "Mois").empty());
  std::string error;
  EXPECT_FALSE(DeletePreset(Db(), "audit", "Mois", &error));
  EXPECT_NE(error.find("aucun préréglage"), std::string::npos) << error;
  Preset p = Make("audit", "Mois");
  ASSERT_EQ(SavePreset(Db(), &p, false, &error), PresetSaveResult::kSaved) << error;
  EXPECT_EQ(List(), std::vector<Preset>{p});
  // With its unique index.
  Preset twin = Make("audit", "Mois");
  EXPECT_EQ(SavePreset(OpenAgain().get(), &twin, false, &error), PresetSaveResult::kExists);
  EXPECT_NE(Db()->dbExec("INSERT INTO PRESETS (PRE_ID, PRE_ANALYSIS, PRE_NAME) VALUES (99, 'audit', 'Mois')"), 0);
}

// A workstation saving a name another one is writing (not committed yet)
// waits for it, then finds the name taken.
TEST_P(PresetsTest, SaveBehindAnotherWorkstationsUncommittedSaveIsExists) {
  std::unique_ptr<GenDB> other = OpenAgain();
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(other->dbBeginTransaction(), 0) << other->LastError();
  ASSERT_EQ(other->dbExec("INSERT INTO PRESETS (PRE_ID, PRE_ANALYSIS, PRE_NAME, PRE_PERIOD) "
                          "VALUES (1, 'goals', 'Objectifs', 'year-to-date')"),
            0)
      << other->LastError();
  std::atomic<int> result{-1};
  std::string error;
  std::thread saver([&] {
    Preset p = Make("goals", "Objectifs");
    result = static_cast<int>(SavePreset(Db(), &p, false, &error));
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(result.load(), -1) << "the save did not wait for the other workstation";
  ASSERT_EQ(other->dbCommit(), 0) << other->LastError();
  saver.join();
  EXPECT_EQ(result.load(), static_cast<int>(PresetSaveResult::kExists)) << error;
  EXPECT_NE(error.find("existe déjà"), std::string::npos) << error;
  const std::vector<Preset> kept = Find("goals", "Objectifs");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].period, PeriodRule::kYearToDate);
}

// Two workstations saving the same new name at the same moment: exactly
// one saves it. Different names at the same moment both save (ids taken
// by the other are tried again).
TEST_P(PresetsTest, ConcurrentSavesOfOneNameOneWins) {
  std::unique_ptr<GenDB> second = OpenAgain();
  ASSERT_NE(second, nullptr);
  GenDB* dbs[2] = {Db(), second.get()};
  for (int round = 0; round < 8; ++round) {
    const bool same = round % 2 == 0;
    std::atomic<int> ready{0};
    PresetSaveResult results[2];
    std::string errors[2];
    std::thread threads[2];
    for (int w = 0; w < 2; ++w) {
      threads[w] = std::thread([&, w] {
        Preset p = Make("stats", "Tour " + std::to_string(round) + (same ? "" : "-" + std::to_string(w)));
        ++ready;
        while (ready.load() < 2) std::this_thread::yield();
        results[w] = SavePreset(dbs[w], &p, false, &errors[w]);
      });
    }
    for (std::thread& t : threads) t.join();
    const int saved = (results[0] == PresetSaveResult::kSaved) + (results[1] == PresetSaveResult::kSaved);
    const int exists = (results[0] == PresetSaveResult::kExists) + (results[1] == PresetSaveResult::kExists);
    EXPECT_EQ(saved, same ? 1 : 2) << "round " << round << ": " << errors[0] << " / " << errors[1];
    EXPECT_EQ(exists, same ? 1 : 0) << "round " << round << ": " << errors[0] << " / " << errors[1];
  }
  EXPECT_EQ(List("stats").size(), 12u);
}

INSTANTIATE_DB_TEST(PresetsTest);

}  // namespace
