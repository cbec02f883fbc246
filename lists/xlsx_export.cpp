#include "lists/xlsx_export.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>
#include <tuple>
#include <vector>

#include "host/application.h"
#include "host/atomic_file.h"
#include "host/list_window.h"
#include "lists/xlsx_check.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// libxlsxwriter prints its own lines ("[ERROR] workbook_close(): Zip
// ZIP_ERRNO error while creating xlsx file '<temporary name>' ...") on
// standard error when closing fails; the caller reports the failure in one
// line of its own, so standard error points at /dev/null while the library
// closes (for the whole process: a message another thread prints then is
// lost too).
class QuietStderr {
 public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
    if (null >= 0) ::close(null);
  }
  ~QuietStderr() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
    }
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

// errno values a failed write leaves (as opposed to what other calls of the
// library may leave behind).
bool IsWriteErrno(int err) {
  return err == ENOSPC || err == EFBIG || err == EDQUOT || err == EIO || err == EACCES || err == EROFS;
}

// A plain decimal number: [-]digits[.digits], digits either without commas
// or grouped by three ("1,234"). No leading zero unless the integer part is
// "0" (codes such as "007" stay text), at most 15 significant digits.
bool ParsePlainNumber(std::string_view s, CellValue* out) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && s[i] == '-') {
    negative = true;
    ++i;
  }
  char digits[24];  // the figure without its commas (15 digits, the point)
  size_t n = 0;
  size_t group = 0;
  bool grouped = false;
  while (i < s.size() && (IsDigit(s[i]) || s[i] == ',')) {
    if (s[i] == ',') {
      // A comma must follow 1-3 digits (first group) or exactly 3.
      if (group == 0 || group > 3 || (grouped && group != 3)) return false;
      grouped = true;
      group = 0;
    } else {
      if (n == 15) return false;
      digits[n++] = s[i];
      ++group;
    }
    ++i;
  }
  if (n == 0) return false;
  if (grouped && group != 3) return false;
  if (n > 1 && digits[0] == '0') return false;
  int decimals = 0;
  if (i < s.size() && s[i] == '.') {
    ++i;
    digits[n++] = '.';
    while (i < s.size() && IsDigit(s[i])) {
      if (n - 1 == 15) return false;
      digits[n++] = s[i];
      ++decimals;
      ++i;
    }
    if (decimals == 0) return false;
  }
  if (i != s.size()) return false;
  double value = 0;
  auto [end, ec] = std::from_chars(digits, digits + n, value);
  if (ec != std::errc() || end != digits + n) return false;
  out->number = negative ? -value : value;
  out->decimals = decimals;
  out->grouped = grouped;
  return true;
}

// The letters a figure may carry after it: hours, units, thousands.
bool IsUnitLetter(char c) { return c == 'H' || c == 'U' || c == 'K'; }

// One figure (a trimmed text): a plain number, money, a percentage or a
// number with a unit letter. False, *v untouched in kind, for anything else.
bool ParseFigure(std::string_view text, CellValue* v) {
  if (text.empty()) return false;
  if (text.back() == '%') {
    std::string_view body = TrimBlanks(text.substr(0, text.size() - 1));
    if (!ParsePlainNumber(body, v)) return false;
    v->kind = CellKind::kPercent;
    v->number /= 100.0;
    return true;
  }
  if (text.front() == '$' || text.substr(0, 2) == "-$") {
    const bool sign_first = text.front() == '-';
    std::string_view body = TrimBlanks(text.substr(sign_first ? 2 : 1));
    if (body.empty() || (sign_first && body.front() == '-')) return false;
    // "$14.00-": the sign after the amount, as the lists show a debit.
    const bool sign_last = !sign_first && body.size() > 1 && body.back() == '-' && body.front() != '-';
    if (sign_last) body.remove_suffix(1);
    if (!ParsePlainNumber(body, v)) return false;
    v->kind = CellKind::kMoney;
    v->sign_first = sign_first;
    v->sign_last = sign_last;
    if (sign_first || sign_last) v->number = -v->number;
    return true;
  }
  if (text.size() > 1 && IsUnitLetter(text.back()) && IsDigit(text[text.size() - 2])) {
    if (!ParsePlainNumber(text.substr(0, text.size() - 1), v)) return false;
    v->kind = CellKind::kNumber;
    v->unit = text.back();
    return true;
  }
  if (!ParsePlainNumber(text, v)) return false;
  v->kind = CellKind::kNumber;
  return true;
}

size_t Utf8Chars(std::string_view text) {
  size_t chars = 0;
  for (unsigned char ch : text) chars += (ch & 0xC0) != 0x80;
  return chars;
}

// Replaces bytes that are not UTF-8 with U+FFFD (a spreadsheet program
// refuses a file with broken text). Returns text itself when it is valid.
std::string_view ValidUtf8(std::string_view text, std::string* scratch) {
  auto valid_at = [&](size_t i, size_t* len) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t need = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (need == 0 || i + need > text.size()) return false;
    for (size_t k = 1; k < need; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    *len = need;
    return true;
  };
  size_t i = 0, len = 0;
  while (i < text.size() && valid_at(i, &len)) i += len;
  if (i == text.size()) return text;
  scratch->assign(text.substr(0, i));
  while (i < text.size()) {
    if (valid_at(i, &len)) {
      scratch->append(text.substr(i, len));
      i += len;
    } else {
      scratch->append("\xEF\xBF\xBD");
      ++i;
    }
  }
  return *scratch;
}

lxw_color_t LxwColor(ColorRef c) {
  return static_cast<lxw_color_t>(RedOf(c) << 16 | GreenOf(c) << 8 | BlueOf(c));
}

// A name folded for Excel's comparison of sheet names, which ignores case
// (ASCII and the accented Latin-1 letters the titles use).
std::string FoldedName(std::string_view name) {
  std::string out(name);
  for (size_t i = 0; i < out.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < out.size()) {
      unsigned char d = static_cast<unsigned char>(out[i + 1]);
      if (d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = static_cast<char>(d + 0x20);
      ++i;
    }
  }
  return out;
}

// Excel's sheet names: at most 31 characters (UTF-16 units), none of
// []:*?/\ , no apostrophe first or last, not "History" (which Excel keeps
// for itself). Part 2 on is "<title> (2)" ..., the title cut to make room.
std::string SheetName(const std::string& title, int part) {
  const std::string suffix = part > 1 ? " (" + std::to_string(part) + ")" : std::string();
  const int max_units = 31 - static_cast<int>(suffix.size());
  std::string name;
  int units = 0;
  for (size_t i = 0; i < title.size();) {
    unsigned char c = static_cast<unsigned char>(title[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
    if (i + len > title.size()) break;
    const int u = len == 4 ? 2 : 1;
    if (units + u > max_units) break;
    if (len == 1 && (c < 0x20 || std::strchr("[]:*?/\\", c))) {
      name.push_back(' ');
    } else {
      name.append(title, i, len);
    }
    i += len;
    units += u;
  }
  auto trimmable = [](char c) { return c == ' ' || c == '\''; };
  while (!name.empty() && trimmable(name.back())) name.pop_back();
  size_t lead = 0;
  while (lead < name.size() && trimmable(name[lead])) ++lead;
  name.erase(0, lead);
  if (name.empty()) name = "Liste";
  if (FoldedName(name) == "history") name += " (1)";
  return name + suffix;
}

// What the figures of one split column hold at one position, for its
// column title: '%' percentages, '$' money, 'n' counts ("(183)"), a unit
// letter, '#' anything else or a mix.
char PartRole(const CellParts& parts, int k) {
  const CellValue& v = parts.part[k];
  switch (v.kind) {
    case CellKind::kPercent:
      return '%';
    case CellKind::kMoney:
      return '$';
    case CellKind::kNumber:
      if (v.unit != 0) return v.unit;
      return parts.in_parens[k] && v.decimals == 0 ? 'n' : '#';
    default:
      return '#';
  }
}

// The title of the k-th column (from 0) a list column titled base is split
// into: base itself for the first.
std::string SubColumnTitle(const std::string& base, int k, char role) {
  if (k == 0) return base;
  std::string tag;
  switch (role) {
    case '%':
      tag = "%";
      break;
    case '$':
      tag = "$";
      break;
    case 'n':
      tag = "nb";
      break;
    case 'H':
    case 'U':
    case 'K':
      tag = std::string(1, role);
      break;
    default:
      break;
  }
  // "Usage %" holding percentages again: numbered, not "Usage % %".
  if (tag.empty() || (base.size() >= tag.size() && base.compare(base.size() - tag.size(), tag.size(), tag) == 0)) {
    tag = "(" + std::to_string(k + 1) + ")";
  }
  return base.empty() ? tag : base + " " + tag;
}

// Whether a trimmed cell may hold several figures: it starts as a figure
// does and has a joiner. Only such cells are parsed before the rows are
// written.
bool MayBeComposite(std::string_view t) {
  if (t.size() < 3) return false;
  const char c = t.front();
  if (!IsDigit(c) && c != '$' && c != '-' && c != '(') return false;
  return t.find_first_of("/(,") != std::string_view::npos;
}

// The number format's identity, for the format cache: 0 for none.
uint32_t NumberKey(const CellValue& v) {
  if (v.kind == CellKind::kEmpty || v.kind == CellKind::kText) return 0;
  return static_cast<uint32_t>(v.kind) | static_cast<uint32_t>(std::min(v.decimals, 31)) << 3 |
         uint32_t{v.grouped} << 8 | uint32_t{v.sign_first} << 9 | uint32_t{v.sign_last} << 10 |
         static_cast<uint32_t>(static_cast<unsigned char>(v.unit)) << 11;
}

// One workbook being written: formats are made once per distinct look.
class XlsxWriter {
 public:
  explicit XlsxWriter(lxw_workbook* workbook) : wb_(workbook) {}

  // The format of a cell of this style showing value (null: no number format).
  lxw_format* Format(const CellStyle& style, const CellValue* value) {
    const uint32_t number = value ? NumberKey(*value) : 0;
    auto key = std::make_tuple(style.bold, style.text, style.background, number);
    auto it = formats_.find(key);
    if (it != formats_.end()) return it->second;
    lxw_format* f = nullptr;
    if (style.bold || style.text != kNoColor || style.background != kNoColor || number != 0) {
      f = workbook_add_format(wb_);
      if (style.bold) format_set_bold(f);
      if (style.text != kNoColor) format_set_font_color(f, LxwColor(style.text));
      if (style.background != kNoColor) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, LxwColor(style.background));
      }
      if (number != 0) format_set_num_format(f, NumberFormatOf(*value).c_str());
    }
    formats_.emplace(key, f);
    return f;
  }

  // One list cell into the `width` sheet columns from col: its figures as
  // numbers in order, or its text in the first; the columns it leaves
  // empty keep its background.
  lxw_error Cell(lxw_worksheet* ws, lxw_row_t row, lxw_col_t col, int width, std::string_view text,
                 const CellStyle& style) {
    const CellParts parts = SplitCell(text);
    lxw_error err = LXW_NO_ERROR;
    int k = 0;
    if (parts.count == 1 && parts.part[0].kind == CellKind::kText) {
      err = String(ws, row, col, text, style);
      k = 1;
    } else if (parts.count > width) {
      // Not planned for (past the format's last column): kept whole.
      err = String(ws, row, col, text, style);
      k = 1;
    } else {
      for (; err == LXW_NO_ERROR && k < parts.count; ++k) {
        err = worksheet_write_number(ws, row, static_cast<lxw_col_t>(col + k), parts.part[k].number,
                                     Format(style, &parts.part[k]));
      }
    }
    if (style.background != kNoColor) {
      for (; err == LXW_NO_ERROR && k < width; ++k) {
        err = worksheet_write_blank(ws, row, static_cast<lxw_col_t>(col + k), Format(style, nullptr));
      }
    }
    return err;
  }

 private:
  lxw_error String(lxw_worksheet* ws, lxw_row_t row, lxw_col_t col, std::string_view text, const CellStyle& style) {
    std::string_view safe = ValidUtf8(TrimBlanks(text), &scratch_);
    if (safe.size() > 32767) safe = CutUtf8(safe, 32767);
    text_.assign(safe);
    return worksheet_write_string(ws, row, col, text_.c_str(), Format(style, nullptr));
  }

  lxw_workbook* wb_;
  std::map<std::tuple<bool, ColorRef, ColorRef, uint32_t>, lxw_format*> formats_;
  std::string scratch_;
  std::string text_;
};

constexpr int kHeaderRows = 2;  // title, column titles

}  // namespace

CellValue ClassifyCell(std::string_view text) {
  CellValue v;
  text = TrimBlanks(text);
  if (text.empty()) {
    v.kind = CellKind::kEmpty;
    return v;
  }
  if (ParseFigure(text, &v)) return v;
  return CellValue{};
}

std::string NumberFormatOf(const CellValue& value) {
  std::string base = value.grouped ? "#,##0" : "0";
  if (value.decimals > 0) base += "." + std::string(value.decimals, '0');
  switch (value.kind) {
    case CellKind::kNumber:
      if (value.unit != 0) return base + "\"" + value.unit + "\"";
      return base;
    case CellKind::kPercent:
      return base + "%";
    case CellKind::kMoney:
      if (value.sign_first) return "\"$\"" + base + ";\"-$\"" + base;
      if (value.sign_last) return "\"$\"" + base + ";\"$\"" + base + "-";
      return "\"$\"" + base + ";\"$\"-" + base;
    default:
      return std::string();
  }
}

CellParts SplitCell(std::string_view text) {
  CellParts parts;
  const std::string_view t = TrimBlanks(text);
  if (t.empty()) {
    parts.part[0].kind = CellKind::kEmpty;
    return parts;
  }
  parts.count = 1;
  parts.chars[0] = static_cast<int>(Utf8Chars(t));
  if (ParseFigure(t, &parts.part[0])) return parts;
  parts.part[0] = CellValue{};
  // A composite: figure (joiner figure)*, where a joiner is "/" (blanks
  // around it allowed; a ratio of two, never a chain), "," (and blanks), or
  // blanks before a figure in parentheses.
  CellParts split;
  size_t i = 0;
  bool after_slash = false, prev_paren = false;
  for (;;) {
    const bool paren = t[i] == '(';
    if (paren) {
      if (after_slash) return parts;
      ++i;
    }
    size_t end = i;
    // A comma ends the figure when a blank follows it or a unit letter or
    // percent sign precedes it ("996U,166.00H"); inside digits it groups
    // them ("1,234.50").
    while (end < t.size() && t[end] != ' ' && t[end] != '/' && t[end] != ')' &&
           !(t[end] == ',' && (end + 1 == t.size() || t[end + 1] == ' ' ||
                               (end > i && (IsUnitLetter(t[end - 1]) || t[end - 1] == '%'))))) {
      ++end;
    }
    if (split.count == CellParts::kMax) return parts;
    CellValue& v = split.part[split.count];
    if (!ParseFigure(t.substr(i, end - i), &v)) return parts;
    if (paren) {
      if (end == t.size() || t[end] != ')') return parts;
      ++end;
    }
    split.in_parens[split.count] = paren;
    split.chars[split.count] = static_cast<int>(end - i + (paren ? 1 : 0));
    ++split.count;
    prev_paren = paren;
    i = end;
    if (i == t.size()) break;
    size_t blanks = 0;
    while (i < t.size() && t[i] == ' ') ++i, ++blanks;
    if (i == t.size()) return parts;
    if (t[i] == '/') {
      if (after_slash || prev_paren) return parts;
      after_slash = true;
      ++i;
      while (i < t.size() && t[i] == ' ') ++i;
    } else if (t[i] == ',') {
      ++i;
      while (i < t.size() && t[i] == ' ') ++i;
      after_slash = false;
    } else if (t[i] == '(' && blanks > 0) {
      after_slash = false;
    } else {
      return parts;
    }
    if (i == t.size()) return parts;
  }
  if (split.count < 2 && !split.in_parens[0]) return parts;
  return split;
}

namespace {

struct SheetFormats {
  lxw_format* title;
  lxw_format* period;
  lxw_format* heading;
};

constexpr int kMaxSheetColumns = 16384;

// How one list column goes into the sheet.
struct ColumnPlan {
  int first = 0;  // its first sheet column
  int parts = 1;  // the sheet columns it takes (0: past the format's last column)
  char role[CellParts::kMax] = {};  // PartRole of every figure at each position; 0 none seen
};

// Adds the sheets of one list ("<title>", "<title> (2)" ... past the
// format's row limit), each name not yet in *names (folded).
lxw_error AddListSheets(lxw_workbook* wb, XlsxWriter* writer, const SheetFormats& formats, const ListReport& report,
                        const XlsxOptions& options, std::set<std::string>* names) {
  const QenListWindow* list = report.list;
  const int rows = list->GetCount();
  const int columns = std::min(ShownColumnCount(*list), kMaxSheetColumns);
  std::string title = report.title.empty() ? std::string("Liste") : report.title;
  std::string safe_title_buffer;
  title = std::string(ValidUtf8(title, &safe_title_buffer));
  std::string period(ValidUtf8(report.period, &safe_title_buffer));

  // One read of every cell: how many figures each column's cells show at
  // most and what they hold, and the column widths (the widest of the title
  // and the first rows' texts).
  std::vector<ColumnPlan> plan(columns);
  std::vector<std::array<double, CellParts::kMax>> width(columns);
  for (int c = 0; c < columns; ++c) {
    width[c].fill(4);
    if (c < static_cast<int>(list->Columns().size())) {
      width[c][0] = std::max<double>(width[c][0], Utf8Chars(list->Columns()[c].title) + 2);
    }
  }
  for (int r = 0; r < rows; ++r) {
    const int cells = std::min(list->CellCount(r), columns);
    const bool measured = r < 2000;
    for (int c = 0; c < cells; ++c) {
      const std::string_view cell = TrimBlanks(list->GetItemText(r, c));
      if (MayBeComposite(cell)) {
        const CellParts parts = SplitCell(cell);
        if (parts.count > 1) {
          ColumnPlan& p = plan[c];
          p.parts = std::max(p.parts, parts.count);
          for (int k = 0; k < parts.count; ++k) {
            const char role = PartRole(parts, k);
            p.role[k] = p.role[k] == 0 || p.role[k] == role ? role : '#';
            if (measured) width[c][k] = std::max<double>(width[c][k], std::min(parts.chars[k], 60) + 2);
          }
          continue;
        }
      }
      if (measured) width[c][0] = std::max<double>(width[c][0], std::min<size_t>(Utf8Chars(cell), 60) + 2);
    }
  }
  int sheet_columns = 0;
  for (ColumnPlan& p : plan) {
    p.first = sheet_columns;
    p.parts = std::max(0, std::min(p.parts, kMaxSheetColumns - sheet_columns));
    sheet_columns += p.parts;
  }
  std::vector<double> sheet_width(sheet_columns);
  std::vector<std::string> headings(sheet_columns);
  for (int c = 0; c < columns; ++c) {
    std::string base;
    if (c < static_cast<int>(list->Columns().size())) base.assign(ValidUtf8(list->Columns()[c].title, &safe_title_buffer));
    for (int k = 0; k < plan[c].parts; ++k) {
      sheet_width[plan[c].first + k] = width[c][k];
      headings[plan[c].first + k] = SubColumnTitle(base, k, plan[c].role[k]);
    }
  }
  // The period goes in the first cell of row 1 that the title (bold, a
  // larger font) does not run over.
  int period_column = 1;
  for (double covered = sheet_columns > 0 ? sheet_width[0] : 8.43, needed = Utf8Chars(title) * 1.3 + 1;
       covered < needed && period_column < kMaxSheetColumns - 1; ++period_column) {
    covered += period_column < sheet_columns ? sheet_width[period_column] : 8.43;
  }

  lxw_error err = LXW_NO_ERROR;
  const long rows_per_sheet = std::clamp<long>(options.max_sheet_rows, kHeaderRows + 1, 1048576) - kHeaderRows;
  int part = 1;
  for (int first = 0; err == LXW_NO_ERROR && (first < rows || first == 0); ++part) {
    // Two lists of one workbook may share a title: the later one's sheets
    // are numbered on.
    std::string name = SheetName(title, part);
    while (names->count(FoldedName(name)) != 0) name = SheetName(title, ++part);
    names->insert(FoldedName(name));
    lxw_worksheet* ws = workbook_add_worksheet(wb, name.c_str());
    if (!ws) return LXW_ERROR_MEMORY_MALLOC_FAILED;
    for (int c = 0; c < sheet_columns; ++c) worksheet_set_column(ws, c, c, sheet_width[c], nullptr);
    worksheet_freeze_panes(ws, kHeaderRows, 0);
    err = worksheet_write_string(ws, 0, 0, title.c_str(), formats.title);
    if (err == LXW_NO_ERROR && !period.empty()) {
      err = worksheet_write_string(ws, 0, static_cast<lxw_col_t>(period_column), period.c_str(), formats.period);
    }
    for (int c = 0; err == LXW_NO_ERROR && c < sheet_columns; ++c) {
      err = worksheet_write_string(ws, 1, static_cast<lxw_col_t>(c), headings[c].c_str(), formats.heading);
    }
    const int last = static_cast<int>(std::min<long>(rows, first + rows_per_sheet));
    for (int r = first; err == LXW_NO_ERROR && r < last; ++r) {
      const lxw_row_t out_row = static_cast<lxw_row_t>(r - first + kHeaderRows);
      const int cells = std::min(list->CellCount(r), columns);
      for (int c = 0; err == LXW_NO_ERROR && c < cells; ++c) {
        if (plan[c].parts == 0) continue;
        err = writer->Cell(ws, out_row, static_cast<lxw_col_t>(plan[c].first), plan[c].parts, list->GetItemText(r, c),
                           report.StyleOf(r, c));
      }
    }
    if (last >= rows) break;
    first = last;
  }
  return err;
}

}  // namespace

bool WriteListXlsx(const ListReport& report, const std::string& path, std::string* error,
                   const XlsxOptions& options) {
  return WriteReportsXlsx({&report}, path, error, options);
}

bool WriteReportsXlsx(const std::vector<const ListReport*>& reports, const std::string& path, std::string* error,
                      const XlsxOptions& options) {
  int rows = 0;
  for (const ListReport* report : reports) {
    if (report == nullptr || report->list == nullptr) {
      *error = "aucune liste à exporter";
      return false;
    }
    rows = std::max(rows, report->list->GetCount());
  }
  if (reports.empty()) {
    *error = "aucune liste à exporter";
    return false;
  }

  // The workbook goes into a temporary file beside path and replaces it
  // only once the library has closed it without error: a disk that fills
  // up or a size limit is only reported by workbook_close, after the
  // library has written what it could.
  AtomicFile out;
  if (!out.OpenForPath(path, error)) return false;
  lxw_workbook_options wo = {};
  wo.constant_memory = rows > options.constant_memory_rows ? LXW_TRUE : LXW_FALSE;
  std::string tmpdir = options.tmpdir;
  wo.tmpdir = tmpdir.empty() ? nullptr : tmpdir.data();
  wo.use_zip64 = LXW_TRUE;
  errno = 0;  // read after workbook_close: what a failed write left
  lxw_workbook* wb = workbook_new_opt(out.WritePath().c_str(), &wo);
  if (!wb) {
    *error = "impossible de créer le classeur " + path;
    return false;
  }
  std::string title = reports[0]->title.empty() ? std::string("Liste") : reports[0]->title;
  std::string safe_title_buffer;
  title = std::string(ValidUtf8(title, &safe_title_buffer));
  lxw_doc_properties props = {};
  props.title = title.data();
  props.author = const_cast<char*>("Vantra");
  std::string practice(ValidUtf8(reports[0]->practice, &safe_title_buffer));
  if (!practice.empty()) props.company = practice.data();
  workbook_set_properties(wb, &props);

  XlsxWriter writer(wb);
  SheetFormats formats;
  formats.title = workbook_add_format(wb);
  format_set_bold(formats.title);
  format_set_font_size(formats.title, 13);
  formats.period = workbook_add_format(wb);
  format_set_font_size(formats.period, 13);
  formats.heading = workbook_add_format(wb);
  format_set_bold(formats.heading);
  format_set_bottom(formats.heading, LXW_BORDER_THIN);
  format_set_pattern(formats.heading, LXW_PATTERN_SOLID);
  format_set_bg_color(formats.heading, 0xDBE2EC);

  lxw_error err = LXW_NO_ERROR;
  std::set<std::string> names;
  for (const ListReport* report : reports) {
    if (err == LXW_NO_ERROR) err = AddListSheets(wb, &writer, formats, *report, options, &names);
  }
  lxw_error closed;
  int close_errno;
  {
    QuietStderr quiet;
    closed = workbook_close(wb);
    close_errno = errno;
  }
  if (err == LXW_NO_ERROR) err = closed;
  if (err != LXW_NO_ERROR) {
    // The library's own code says little ("Error creating output xlsx
    // file"); the system's reason, when a write set one, says why.
    const bool system = closed != LXW_NO_ERROR && IsWriteErrno(close_errno);
    *error = "impossible d'écrire " + path + " : " +
             (system ? FileErrorText(close_errno) : std::string(lxw_strerror(err)));
    return false;  // out removes the temporary file
  }
  std::string reason;
  uint64_t cut_size = 0;
  if (!out.Direct() && !CheckXlsxParts(out.WritePath(), &reason, &cut_size)) {
    // A write the library did not check failed: say why when the system
    // tells (the errno it left is usually overwritten by then).
    int why = IsWriteErrno(close_errno) ? close_errno : 0;
    if (why == 0) {
      why = TruncationErrno(cut_size, {tmpdir.empty() ? std::string(P_tmpdir) : tmpdir,
                                       std::filesystem::path(out.WritePath()).parent_path().string()});
    }
    *error = "impossible d'écrire " + path + " : " + (why != 0 ? FileErrorText(why) : reason);
    return false;
  }
  if (options.new_name == nullptr) return out.Commit(error);
  if (!out.CommitNew(error)) return false;
  *options.new_name = out.Path();
  return true;
}

std::string SpreadsheetFileName(const std::string& folder, const std::string& title, std::time_t when,
                                const char* extension) {
  std::string stem;
  for (unsigned char c : title) {
    if (c < 0x20 || std::strchr("/\\:*?\"<>|", c)) {
      stem.push_back(' ');
    } else {
      stem.push_back(static_cast<char>(c));
    }
  }
  stem = std::string(TrimBlanks(CutUtf8(stem, 80)));
  while (!stem.empty() && stem.back() == '.') stem.pop_back();
  if (stem.empty()) stem = "Liste";
  std::tm local = {};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, " %Y-%m-%d %Hh%Mm%S", &local);
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base.push_back('/');
  base += stem + stamp;
  std::string path = base + extension;
  std::error_code ec;
  for (int n = 2; std::filesystem::exists(path, ec); ++n) {
    path = base + " (" + std::to_string(n) + ")" + extension;
  }
  return path;
}

std::string ExportListToSpreadsheet(const ListReport& report, std::string* error,
                                    const XlsxOptions& options) {
  return ExportReportsToSpreadsheet({&report}, report.title, error, options);
}

std::string ExportReportsToSpreadsheet(const std::vector<const ListReport*>& reports, const std::string& title,
                                       std::string* error, const XlsxOptions& options) {
  std::string folder = TGetStatInfo::GetSpreadSheetDirectory();
  if (folder.empty()) {
    *error = "aucun dossier de chiffrier n'est défini";
    return std::string();
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    *error = "impossible de créer le dossier " + folder;
    return std::string();
  }
  // The name is only proposed here; the commit takes it or the next free
  // one, so two exports at the same second never share a workbook.
  std::string path = SpreadsheetFileName(folder, title, std::time(nullptr));
  XlsxOptions as_new = options;
  as_new.new_name = &path;
  if (!WriteReportsXlsx(reports, path, error, as_new)) return std::string();
  return path;
}
