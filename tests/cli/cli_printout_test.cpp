// Every command's printout, as an office manager hands it to the dentist:
// on each page the list's title, the period, the practice and "Page n de
// N", and no cell cut ("…"), on the small demo practice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/pdf_tools.h"
#include "tests/support/run_program.h"
#include "tests/support/test_db.h"

namespace {

class CliPrintoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const ProgramRun made = RunProgram({VANTRA_PROGRAM, "demo-db", "--size", "small", "--db",
                                        "sqlite:" + dir_->File("demo.db"), "--today", "20261201"});
    ASSERT_EQ(made.status, 0) << made.err;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static TempDir* dir_;
};

TempDir* CliPrintoutTest::dir_ = nullptr;

struct PrintCase {
  const char* name;
  std::vector<std::string> args;
  const char* title;
  const char* period;
  std::vector<std::string> cells;  // texts that must be on paper whole
};

TEST_F(CliPrintoutTest, EveryPageSaysWhatItIsAndNoCellIsCut) {
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "poppler-utils is not installed";
  const PrintCase cases[] = {
      {"productivity",
       {"productivity", "--from", "20261101", "--to", "20261130", "ListBy=P", "AllProducers=Y"},
       "Productivité",
       "du 2026-11-01 au 2026-11-30",
       {"Disponible", "Non Planifié", "(82.93%)", "137.67H/166.00H"}},
      {"stats_all", {"stats", "--from", "20260101", "--to", "20261130", "--list", "all"}, "Analyse du cabinet",
       "du 2026-01-01 au 2026-11-30", {"Acceptation des cas", "Solde", "Pourcentage"}},
      {"goals", {"goals", "Year=2026", "CompYear=2025"}, "Objectif", "du 2026-01-01 au 2026-12-31, comparée à 2025",
       {"57013.33/58900 (97%)", "DÉC"}},
      {"audit",
       {"audit", "AllModules=Y", "AllUsers=Y", "--from", "20261124", "--to", "20261124"},
       "Liste détaillé",
       "le 2026-11-24",
       {"Références du patient"}},
  };
  for (const PrintCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string pdf = dir_->File(std::string(c.name) + ".pdf");
    std::vector<std::string> argv{VANTRA_PROGRAM};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    for (const std::string& a : {std::string("--db"), "sqlite:" + dir_->File("demo.db"), std::string("--today"),
                                 std::string("20261201"), std::string("--ini"), dir_->File("vantra.ini"),
                                 std::string("--format"), std::string("pdf"), std::string("--out"), pdf}) {
      argv.push_back(a);
    }
    const ProgramRun run = RunProgram(argv);
    ASSERT_EQ(run.status, 0) << run.err;
    const int pages = PdfPages(pdf);
    ASSERT_GE(pages, 1);
    std::string all;
    for (int n = 1; n <= pages; ++n) {
      const std::string page = PdfPageText(pdf, n);
      EXPECT_NE(page.find(c.title), std::string::npos) << "page " << n;
      EXPECT_NE(page.find(c.period), std::string::npos) << "page " << n;
      EXPECT_NE(page.find("Clinique dentaire du Boulevard"), std::string::npos) << "page " << n;
      EXPECT_NE(page.find("Imprimé le "), std::string::npos) << "page " << n;
      EXPECT_NE(page.find("Page " + std::to_string(n) + " de " + std::to_string(pages)), std::string::npos);
      all += page;
    }
    EXPECT_EQ(all.find("…"), std::string::npos) << "a cut cell";
    for (const std::string& cell : c.cells) EXPECT_NE(all.find(cell), std::string::npos) << cell;
  }
}

}  // namespace
