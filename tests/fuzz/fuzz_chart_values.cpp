// The chart value readers and the spreadsheet's cell classifier on any text:
// GraphAtof reads what atof reads in the "C" locale (blanks, one sign,
// digits, one decimal point; never an infinity), ClassifyCell takes numbers, money ("$1,234.50",
// "$-10.00", "-$10.00") and percentages ("12.50%") and shows them back the
// same way, and leaves anything else ("(10.00)", "3 (25%)", "007") as text;
// GraphLabel cuts a label on a character boundary.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "lists/graph_data.h"
#include "lists/xlsx_export.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "chart values fuzz: %s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
  std::abort();
}

// atof in the "C" locale over the prefix GraphAtof documents.
double ReferenceAtof(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.push_back(text[i++]);
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') number.push_back(text[i++]);
  if (i < text.size() && text[i] == '.') {
    number.push_back(text[i++]);
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') number.push_back(text[i++]);
  }
  const double v = std::strtod(number.c_str(), nullptr);
  return std::isfinite(v) ? v : 0;
}

bool SameNumber(double a, double b) { return a == b || (a == 0 && b == 0); }

std::string WithoutCommas(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c != ',') out.push_back(c);
  }
  return out;
}

std::string Fixed(double v, int decimals) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
  return buffer;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const double a = GraphAtof(text);
  if (!std::isfinite(a)) Fail("GraphAtof gave a non-finite value", text);
  if (!SameNumber(a, ReferenceAtof(text))) Fail("GraphAtof differs from atof", text);

  const std::string label = GraphLabel(text);
  if (label.size() > kGraphNameCap - 1 || text.substr(0, label.size()) != label) {
    Fail("GraphLabel is not a prefix within its capacity", text);
  }

  // The classifier takes a trimmed cell.
  std::string_view cell = text;
  while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t')) cell.remove_prefix(1);
  while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t')) cell.remove_suffix(1);
  const CellValue v = ClassifyCell(cell);
  if (!std::isfinite(v.number)) Fail("ClassifyCell gave a non-finite value", text);
  const std::string format = NumberFormatOf(v);
  switch (v.kind) {
    case CellKind::kEmpty:
      if (!cell.empty()) Fail("a non-empty cell classified empty", text);
      break;
    case CellKind::kText:
      if (!format.empty()) Fail("a text cell has a number format", text);
      break;
    case CellKind::kNumber: {
      // The number shows back as the cell was written, its unit letter
      // ("111.08H") after it.
      std::string_view figure = cell;
      if (v.unit != 0) {
        if (figure.empty() || figure.back() != v.unit) Fail("a unit that the cell does not end with", text);
        figure.remove_suffix(1);
      }
      if (WithoutCommas(figure) != Fixed(v.number, v.decimals)) Fail("a number does not show back", text);
      break;
    }
    case CellKind::kMoney: {
      if (cell.find('(') != std::string_view::npos) Fail("money with a parenthesis", text);
      std::string body;
      for (char c : cell) {
        if (c != ',' && c != '$' && c != ' ' && c != '\t') body.push_back(c);
      }
      // The lists' negative amounts carry their sign last ("$14.00-").
      if (v.sign_last) {
        if (body.empty() || body.back() != '-') Fail("a sign last that the cell does not have", text);
        body = "-" + body.substr(0, body.size() - 1);
      }
      if (body != Fixed(v.number, v.decimals)) Fail("money does not show back", text);
      break;
    }
    case CellKind::kPercent: {
      if (cell.back() != '%') Fail("a percentage without '%'", text);
      const double shown = std::strtod(WithoutCommas(cell.substr(0, cell.size() - 1)).c_str(), nullptr);
      if (std::fabs(v.number * 100 - shown) > 1e-9 * (1 + std::fabs(shown))) {
        Fail("a percentage does not show back", text);
      }
      break;
    }
  }
  if (v.kind != CellKind::kText && v.kind != CellKind::kEmpty && format.empty()) {
    Fail("a number without a format", text);
  }
  return 0;
}
