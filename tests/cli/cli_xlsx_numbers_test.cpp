// The workbooks the vantra program writes, read back through LibreOffice:
// every figure the list shows (as its tsv output of the same command holds
// it) is a number in the workbook, in the columns that list column became,
// and texts (dates, times, names, labels) stay texts. Each case compares,
// column by column, the count and the sum of the figures of the tsv output
// with the count and the sum of the numeric cells of the sheet.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/lists/soffice_read.h"
#include "tests/support/run_program.h"
#include "tests/support/test_db.h"

namespace {

struct NumbersCase {
  const char* name;
  std::vector<std::string> args;  // the command and its options, before --db
  std::set<int> text_columns;     // list columns that hold no figure (dates, times)
};

void PrintTo(const NumbersCase& c, std::ostream* os) { *os << c.name; }

class XlsxNumbersTest : public ::testing::TestWithParam<NumbersCase> {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    db_ = "sqlite:" + dir_->File("practice.sqlite");
    const ProgramRun made = RunProgram({VANTRA_PROGRAM, "demo-db", "--db", db_, "--size", "small", "--today", "20261201"});
    ASSERT_EQ(made.status, 0) << made.err;
  }
  static void TearDownTestSuite() { delete dir_; }
  static TempDir* dir_;
  static std::string db_;
};
TempDir* XlsxNumbersTest::dir_ = nullptr;
std::string XlsxNumbersTest::db_;


std::vector<std::string> Split(const std::string& text, char by) {
  std::vector<std::string> out;
  std::string item;
  std::istringstream in(text);
  while (std::getline(in, item, by)) out.push_back(item);
  if (!text.empty() && text.back() == by && by == '\t') out.emplace_back();
  return out;
}

std::string Trimmed(const std::string& text) {
  const size_t a = text.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  return text.substr(a, text.find_last_not_of(' ') - a + 1);
}

// The figures a list cell shows, read the way a person reads them: "$14.00-"
// is -14, "83.52%" is 0.8352, "111.08H" is 111.08, "(183)" is 183. A cell
// with a word in it ("Total: 500", "01202, Examen de rappel") is a label and
// shows none.
std::vector<double> Figures(const std::string& cell) {
  std::vector<double> out;
  const std::string t = Trimmed(cell);
  for (size_t i = 0; i < t.size(); ++i) {
    const unsigned char ch = static_cast<unsigned char>(t[i]);
    const bool unit = (ch == 'H' || ch == 'U' || ch == 'K') && i > 0 && std::isdigit(static_cast<unsigned char>(t[i - 1]));
    if (ch >= 0x80 || (std::isalpha(ch) && !unit)) return out;
  }
  static const std::regex figure(R"((-?)\$?(-?)([0-9][0-9,]*(?:\.[0-9]+)?)(-?)([HUK%]?))");
  for (std::sregex_iterator it(t.begin(), t.end(), figure), end; it != end; ++it) {
    const std::smatch& m = *it;
    std::string digits = m[3];
    std::erase(digits, ',');
    double v = std::stod(digits);
    if (m[1].length() || m[2].length() || m[4].length()) v = -v;
    if (m[5] == "%") v /= 100;
    out.push_back(v);
  }
  return out;
}

// The sheet columns each list column became, from the column titles: a
// title "<first title> <tag>" goes on the column before it.
std::vector<std::vector<size_t>> ColumnGroups(const FodsSheet& sheet) {
  std::vector<std::vector<size_t>> groups;
  std::string base;
  const size_t width = sheet.rows.size() > 1 ? sheet.rows[1].size() : 0;
  for (size_t c = 0; c < width; ++c) {
    const std::string& title = sheet.At(1, c).text;
    if (!groups.empty() && !base.empty() && title.rfind(base + " ", 0) == 0) {
      groups.back().push_back(c);
    } else {
      groups.push_back({c});
      base = title;
    }
  }
  return groups;
}

TEST_P(XlsxNumbersTest, FiguresAreNumbersThatAddUp) {
  if (!HaveSoffice()) GTEST_SKIP() << "soffice (libreoffice-calc-nogui) is not installed";
  const NumbersCase& c = GetParam();
  std::vector<std::string> argv = {VANTRA_PROGRAM};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  argv.insert(argv.end(), {"--db", db_, "--today", "20261201", "--format"});
  std::vector<std::string> tsv_argv = argv;
  tsv_argv.push_back("tsv");
  const ProgramRun tsv = RunProgram(tsv_argv);
  ASSERT_EQ(tsv.status, 0) << tsv.err;
  const std::string path = dir_->File(std::string(c.name) + ".xlsx");
  argv.insert(argv.end(), {"xlsx", "--out", path});
  const ProgramRun xlsx = RunProgram(argv);
  ASSERT_EQ(xlsx.status, 0) << xlsx.err;

  const Converted converted = Convert(path, "fods");
  const std::vector<FodsSheet> sheets = ReadFods(converted.text);
  ASSERT_FALSE(sheets.empty()) << converted.log;

  // The tsv output: the lists one after the other; with several, each after
  // a line holding its title alone.
  std::vector<std::string> lines = Split(tsv.out, '\n');
  size_t line = 0;
  for (const FodsSheet& sheet : sheets) {
    SCOPED_TRACE("sheet " + sheet.name);
    const std::string title = sheet.At(0, 0).text;
    std::string named = title;
    for (char& ch : named) ch = ch == '/' ? ' ' : ch;
    EXPECT_EQ(sheet.name, named) << "the sheet is named after the list";
    std::vector<std::vector<std::string>> rows;
    if (sheets.size() > 1) {
      ASSERT_LT(line, lines.size());
      ASSERT_EQ(lines[line], title) << "tsv line " << line;
      ++line;
    }
    for (; line < lines.size(); ++line) {
      if (sheets.size() > 1 && &sheet != &sheets.back() && lines[line] == (&sheet + 1)->At(0, 0).text) break;
      rows.push_back(Split(lines[line], '\t'));
    }
    ASSERT_FALSE(rows.empty());

    const std::vector<std::vector<size_t>> groups = ColumnGroups(sheet);
    size_t tsv_columns = 0;
    for (const auto& row : rows) tsv_columns = std::max(tsv_columns, row.size());
    size_t checked = 0;
    for (size_t g = 0; g < std::max(groups.size(), tsv_columns); ++g) {
      SCOPED_TRACE("list column " + std::to_string(g));
      std::vector<double> shown;
      for (const auto& row : rows) {
        if (g >= row.size() || c.text_columns.count(static_cast<int>(g))) continue;
        for (double v : Figures(row[g])) shown.push_back(v);
      }
      if (g >= groups.size()) {
        EXPECT_TRUE(shown.empty()) << "figures past the sheet's columns";
        continue;
      }
      size_t numbers = 0;
      double sum = 0, expected = 0;
      bool told = false;  // one row that differs is enough to say why
      for (size_t r = 2; r < sheet.rows.size(); ++r) {
        size_t in_row = 0;
        std::string cells;
        for (size_t col : groups[g]) {
          const FodsCell& cell = sheet.At(r, col);
          cells += " [" + cell.type + " " + cell.text + "]";
          if (cell.Numeric()) {
            ++in_row;
            sum += cell.value;
          }
        }
        numbers += in_row;
        const std::string text = r - 2 < rows.size() && g < rows[r - 2].size() ? rows[r - 2][g] : std::string();
        const size_t figures = c.text_columns.count(static_cast<int>(g)) ? 0 : Figures(text).size();
        if (figures != in_row && !told) {
          ADD_FAILURE() << "row " << r - 2 << ": \"" << text << "\" shows " << figures << " figures, the sheet has"
                        << cells;
          told = true;
        }
      }
      for (double v : shown) expected += v;
      EXPECT_EQ(numbers, shown.size()) << "numeric cells against figures shown";
      EXPECT_NEAR(sum, expected, 1e-6 * (1 + std::fabs(expected)));
      checked += shown.size();
    }
    if (!c.text_columns.empty()) {
      // A text column keeps the list's texts, as texts.
      const int t = *c.text_columns.begin();
      ASSERT_LT(static_cast<size_t>(t), groups.size());
      for (size_t r = 0; r < rows.size() && r < 50; ++r) {
        const FodsCell& cell = sheet.At(r + 2, groups[t][0]);
        if (static_cast<size_t>(t) < rows[r].size() && !Trimmed(rows[r][t]).empty()) {
          EXPECT_EQ(cell.type, "string") << "row " << r;
          EXPECT_EQ(cell.text, Trimmed(rows[r][t])) << "row " << r;
        }
      }
    }
    EXPECT_GT(checked, 0u) << "the sheet shows figures";
  }
  EXPECT_EQ(line, lines.size()) << "every list of the tsv output has its sheet";
}

const NumbersCase kCases[] = {
    {"productivity", {"productivity", "--from", "20261101", "--to", "20261130", "ListBy=P", "AllProducers=Y"}, {0}},
    {"productivity_units_and_hours",
     {"productivity", "--from", "20261101", "--to", "20261130", "ListBy=P", "AllProducers=Y", "ProdUnits=B",
      "ProdInfo=T"},
     {0}},
    {"stats_all_lists", {"stats", "--from", "20260101", "--to", "20261130", "--list", "all"}, {}},
    {"stats_summary_negative_amounts", {"stats", "--from", "20260101", "--to", "20261130", "--list", "summary"}, {}},
    {"goals", {"goals", "Year=2026", "CompYear=2025"}, {}},
    {"goals_in_thousands", {"goals", "Year=2026", "CompYear=2025", "GoalsDisplay=K", "FeesDisplay=K"}, {}},
    {"goals_quarters_without_goals", {"goals", "Year=2026", "CompYear=2025", "ReportBy=Q", "Q=YYYY", "ShowTotCol=Y",
                                      "NoGoals=Y"}, {}},
    {"audit_detailed", {"audit", "--from", "20261101", "--to", "20261107", "AllModules=Y", "AllUsers=Y"}, {0, 1}},
    {"audit_summary",
     {"audit", "--summary", "--from", "20261101", "--to", "20261130", "AllModules=Y", "AllUsers=Y", "SumBy=0100"},
     {0, 1}},
};

INSTANTIATE_TEST_SUITE_P(Commands, XlsxNumbersTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
