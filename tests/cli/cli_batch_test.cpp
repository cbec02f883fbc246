// Report presets through the vantra program, on the small demo practice
// (today 2026-11-30) and both engines: --preset runs as the options spelled
// out, `vantra preset` keeps and shows what it was given, `vantra batch`
// writes each report into its file and goes on past a report that fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "suite/demo_db.h"
#include "tests/support/run_program.h"
#include "tests/support/test_db.h"

namespace {

namespace fs = std::filesystem;

constexpr long kToday = 20261130;

class PresetProgramTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    DemoOptions options;
    options.today = kToday;
    DemoSummary summary;
    std::string error;
    ASSERT_TRUE(GenerateDemoPractice(Db(), options, &summary, &error)) << error;
    WriteRaw(Ini(), "[SUITE]\nSpreadSheetDir=" + dir_.File("sheets") + "\n");
  }
  std::string Ini() const { return dir_.File("tolvane.ini"); }
  std::string Out() const { return dir_.File("out"); }
  // vantra ARGS on the case's database, INI file and today.
  ProgramRun Vantra(std::vector<std::string> args) {
    args.insert(args.begin(), VANTRA_PROGRAM);
    args.insert(args.end(), {"--db", Url(), "--ini", Ini(), "--today", std::to_string(kToday)});
    ProgramOptions options;
    options.env = {"USER=marie"};
    return RunProgram(args, options);
  }
  // The files of a folder, by name.
  static std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // The lines of standard error that are batch's log of one report.
  static std::vector<std::string> LogLines(const std::string& err) {
    std::vector<std::string> out;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("vantra batch : « ", 0) == 0) out.push_back(line);
    }
    return out;
  }
  TempDir dir_;
};

// Each demo preset against the same command with every option spelled out
// (options given over a preset: the golden case preset_overrides).
TEST_P(PresetProgramTest, PresetRunsAsItsOptionsSpelledOut) {
  struct Case {
    const char* name;
    std::vector<std::string> with_preset;
    std::vector<std::string> spelled_out;
  } cases[] = {
      {"audit summary, last month",
       {"audit", "--preset", "Journal du mois dernier"},
       {"audit", "--summary", "AllModules=Y", "AllUsers=Y", "SumBy=1000", "--from", "20261001", "--to", "20261031"}},
      {"productivity, month to date",
       {"productivity", "--preset", "Annulations du mois"},
       {"productivity", "ListBy=P", "AllProducers=Y", "ReportBy=W", "Cancelled=Y", "NoShows=Y", "--from", "20261101",
        "--to", "20261130"}},
      {"statistics, year to date",
       {"stats", "--preset", "Analyse de l'année", "--list", "summary"},
       {"stats", "AllProducers=Y", "--list", "summary", "--from", "20260101", "--to", "20261130"}},
      {"goals, year to date",
       {"goals", "--preset", "Objectifs de l'année"},
       {"goals", "Year=2026", "CompYear=2025", "AllProducers=Y", "ReportBy=M", "Month=YYYYYYYYYYYN", "Q=NNNN"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> a = c.with_preset, b = c.spelled_out;
    a.insert(a.end(), {"--format", "tsv"});
    b.insert(b.end(), {"--format", "tsv"});
    const ProgramRun preset = Vantra(a), spelled = Vantra(b);
    ASSERT_EQ(preset.status, 0) << preset.err;
    ASSERT_EQ(spelled.status, 0) << spelled.err;
    EXPECT_GT(std::count(preset.out.begin(), preset.out.end(), '\n'), 2);
    EXPECT_EQ(preset.out, spelled.out);
  }
}

TEST_P(PresetProgramTest, SaveListShowDelete) {
  const std::string name = "L'\"été\"";
  ProgramRun run = Vantra({"preset", "save", name, "audit", "--period", "year-to-date", "Users=O'BRIEN,a=b",
                           "--summary", "--format", "csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "« L'\"été\" » (audit) enregistré\n");
  run = Vantra({"preset", "save", name, "audit", "AllModules=Y"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "vantra preset : le préréglage « L'\"été\" » (audit) existe déjà : ajoutez --replace pour le "
                     "remplacer\n");
  run = Vantra({"preset", "save", name, "audit", "--period", "year-to-date", "Users=O'BRIEN,a=b", "AllModules=Y",
                "--summary", "--format", "csv", "--replace"});
  ASSERT_EQ(run.status, 0) << run.err;
  run = Vantra({"preset", "save", name, "productivity", "--from", "20260101", "--to", "20260131"});
  ASSERT_EQ(run.status, 0) << run.err;

  run = Vantra({"preset", "list", "audit", "--format", "tsv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "audit\tJournal du mois dernier\tlast-month\t\tADMIN\t2026-11-30\n"
            "audit\tL'\"été\"\tyear-to-date\tcsv\tmarie\t2026-11-30\n");
  run = Vantra({"preset", "show", name, "audit"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Analyse : audit\nNom : L'\"été\"\nPériode : L'année à ce jour (year-to-date)\nFormat : csv\n"
            "Options : --summary\nEnregistré par : marie, le 2026-11-30\nClés :\n  Users=O'BRIEN,a=b\n"
            "  AllModules=Y\n");
  run = Vantra({"preset", "list", "--format", "tsv"});
  EXPECT_NE(run.out.find("productivity\tL'\"été\"\tfixed:20260101-20260131\t\tmarie\t2026-11-30\n"),
            std::string::npos)
      << run.out;

  // The name is used by two analyses: delete asks which.
  run = Vantra({"preset", "delete", name});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("plusieurs analyses (audit, productivity)"), std::string::npos) << run.err;
  run = Vantra({"preset", "delete", name, "audit"});
  ASSERT_EQ(run.status, 0) << run.err;
  run = Vantra({"preset", "show", name});
  EXPECT_EQ(run.out.rfind("Analyse : productivity\n", 0), 0u) << run.out;
  EXPECT_EQ(run.out.find("Analyse : audit"), std::string::npos) << run.out;

  // One key per line, for shell completion.
  run = Vantra({"preset", "keys", "audit"});
  EXPECT_EQ(run.out, "DaysDiff\nSortBy\nSumBy\nAllUsers\nUsers\nAllModules\nModules\nAuditTypes\nTrackEntryExit\n");

  struct Refused {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* line;
  } refused[] = {
      {"a slash", {"preset", "save", "Mois/année", "audit"}, 2,
       "vantra preset : le nom du préréglage ne peut contenir ni « / » ni « \\ » (il nomme un fichier)\n"},
      {"an unknown analysis", {"preset", "save", "Mois", "history"}, 2,
       "vantra preset : analyse inconnue : « history » (audit, productivity, stats ou goals)\n"},
      {"a key the analysis does not take", {"preset", "save", "Mois", "goals", "Users=anne"}, 2,
       "vantra preset : clé inconnue pour goals : Users (vantra preset keys goals)\n"},
      {"a chart", {"preset", "save", "Mois", "audit", "--chart", "4,1"}, 2, "vantra preset : option inconnue : --chart\n"},
      {"an unknown preset", {"preset", "delete", "Nope"}, 2, "vantra preset : préréglage inconnu : « Nope »\n"},
  };
  for (const Refused& c : refused) {
    SCOPED_TRACE(c.name);
    run = Vantra(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.line);
  }
}

// Three reports, one of whose keys its command refuses: the other two are
// written under their names, the batch says which failed and exits 1.
TEST_P(PresetProgramTest, BatchGoesOnPastAFailedReport) {
  Exec("INSERT INTO PRESETS (PRE_ID, PRE_ANALYSIS, PRE_NAME, PRE_PERIOD, PRE_KEYS) VALUES (10, 'stats', "
       "'Vieux', 'last-month', 'AllProducers=Y\nNope=1')");
  const ProgramRun run =
      Vantra({"batch", "Journal du mois dernier", "Vieux", "Annulations du mois", "--out-dir", Out()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(Files(Out()),
            (std::vector<std::string>{"Annulations du mois 2026-11.xlsx", "Journal du mois dernier 2026-10.xlsx"}));
  EXPECT_EQ(ReadAll(Out() + "/Journal du mois dernier 2026-10.xlsx").substr(0, 2), "PK");
  const std::vector<std::string> log = LogLines(run.err);
  ASSERT_EQ(log.size(), 3u) << run.err;
  const std::regex written("vantra batch : « (.*) » \\((audit|productivity)\\) : (.*) : ([0-9]+) lignes en [0-9]+,[0-9]{2} s");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(log[0], m, written)) << log[0];
  EXPECT_EQ(m[1], "Journal du mois dernier");
  EXPECT_EQ(m[3], Out() + "/Journal du mois dernier 2026-10.xlsx");
  // The rows are the list's: as many as the same report's tsv lines.
  const ProgramRun tsv = Vantra({"audit", "--preset", "Journal du mois dernier", "--format", "tsv"});
  EXPECT_EQ(std::stol(m[4]), std::count(tsv.out.begin(), tsv.out.end(), '\n'));
  EXPECT_TRUE(std::regex_match(log[1], std::regex("vantra batch : « Vieux » \\(stats\\) : échec \\(code 2\\) en "
                                                  "[0-9]+,[0-9]{2} s : aucun fichier écrit")))
      << log[1];
  ASSERT_TRUE(std::regex_match(log[2], m, written)) << log[2];
  EXPECT_EQ(m[1], "Annulations du mois");
  EXPECT_NE(run.err.find("vantra batch : le préréglage « Vieux » (stats) a la clé Nope, que vantra stats n'accepte plus"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("vantra batch : 1 rapport sur 3 en échec : « Vieux » (stats)\n"), std::string::npos)
      << run.err;
}

// The spreadsheet folder of the INI file; one name in two analyses makes
// two files named with their analysis; a second run replaces them.
TEST_P(PresetProgramTest, BatchIntoTheSpreadsheetFolder) {
  for (const char* analysis : {"audit", "productivity"}) {
    const ProgramRun save = Vantra({"preset", "save", "Mensuel", analysis, "--period", "last-month"});
    ASSERT_EQ(save.status, 0) << save.err;
  }
  const std::vector<std::string> expected = {"Mensuel 2026-10 (audit).xlsx", "Mensuel 2026-10 (productivity).xlsx"};
  for (int run_number = 0; run_number < 2; ++run_number) {
    const ProgramRun run = Vantra({"batch", "Mensuel"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LogLines(run.err).size(), 2u) << run.err;
    EXPECT_EQ(Files(dir_.File("sheets")), expected);
  }
  const ProgramRun all = Vantra({"batch", "--all", "--out-dir", Out()});
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(LogLines(all.err).size(), 6u) << all.err;
  EXPECT_EQ(Files(Out()),
            (std::vector<std::string>{"Analyse de l'année 2026-01-01 au 2026-11-30.xlsx",
                                      "Annulations du mois 2026-11.xlsx", "Journal du mois dernier 2026-10.xlsx",
                                      "Mensuel 2026-10 (audit).xlsx", "Mensuel 2026-10 (productivity).xlsx",
                                      "Objectifs de l'année 2026-01-01 au 2026-11-30.xlsx"}));
}

TEST_P(PresetProgramTest, BatchArgumentsRefused) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    const char* line;
  } cases[] = {
      {"no name and no --all", {"batch", "--out-dir", Out()}, "donnez des noms de préréglages ou --all"},
      {"an unknown name", {"batch", "Journal du mois dernier", "Nope", "--out-dir", Out()},
       "préréglage inconnu : « Nope »"},
      {"names and --all", {"batch", "Vieux", "--all", "--out-dir", Out()}, "pas les deux"},
      {"a format", {"batch", "--all", "--format", "csv", "--out-dir", Out()}, "chaque préréglage donne ses options"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramRun run = Vantra(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.line), std::string::npos) << run.err;
    EXPECT_TRUE(Files(Out()).empty());
  }
  // An INI file that offers no export and no --out-dir: nowhere to write.
  WriteRaw(Ini(), "[SUITE]\nSpreadSheetDir=\n");
  const ProgramRun run = Vantra({"batch", "--all"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("donnez --out-dir DOSSIER"), std::string::npos) << run.err;
}

INSTANTIATE_DB_TEST(PresetProgramTest);

}  // namespace
