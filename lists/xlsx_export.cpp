#include "lists/xlsx_export.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
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
  std::string digits;
  size_t group = 0;
  bool grouped = false;
  while (i < s.size() && (IsDigit(s[i]) || s[i] == ',')) {
    if (s[i] == ',') {
      // A comma must follow 1-3 digits (first group) or exactly 3.
      if (group == 0 || group > 3 || (grouped && group != 3)) return false;
      grouped = true;
      group = 0;
    } else {
      digits.push_back(s[i]);
      ++group;
    }
    ++i;
  }
  if (digits.empty()) return false;
  if (grouped && group != 3) return false;
  if (digits.size() > 1 && digits[0] == '0') return false;
  int decimals = 0;
  if (i < s.size() && s[i] == '.') {
    ++i;
    digits.push_back('.');
    while (i < s.size() && IsDigit(s[i])) {
      digits.push_back(s[i]);
      ++decimals;
      ++i;
    }
    if (decimals == 0) return false;
  }
  if (i != s.size()) return false;
  size_t significant = digits.size() - (decimals ? 1 : 0);
  if (significant > 15) return false;
  double value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size()) return false;
  out->number = negative ? -value : value;
  out->decimals = decimals;
  out->grouped = grouped;
  return true;
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

// Excel's sheet names: at most 31 characters, none of []:*?/\ .
std::string SheetName(const std::string& title, int part) {
  std::string name;
  int chars = 0;
  const int max_chars = part > 1 ? 26 : 31;
  for (size_t i = 0; i < title.size() && chars < max_chars;) {
    unsigned char c = static_cast<unsigned char>(title[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
    if (i + len > title.size()) break;
    if (len == 1 && (std::strchr("[]:*?/\\'", c) || c < 0x20)) {
      name.push_back(' ');
    } else {
      name.append(title, i, len);
    }
    i += len;
    ++chars;
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  while (!name.empty() && name.front() == ' ') name.erase(0, 1);
  if (name.empty()) name = "Liste";
  if (part > 1) name += " (" + std::to_string(part) + ")";
  return name;
}

// One workbook being written: formats are made once per distinct look.
class XlsxWriter {
 public:
  explicit XlsxWriter(lxw_workbook* workbook) : wb_(workbook) {}

  lxw_format* Format(const CellStyle& style, const std::string& number_format) {
    auto key = std::make_tuple(style.bold, style.text, style.background, number_format);
    auto it = formats_.find(key);
    if (it != formats_.end()) return it->second;
    lxw_format* f = nullptr;
    if (style.bold || style.text != kNoColor || style.background != kNoColor || !number_format.empty()) {
      f = workbook_add_format(wb_);
      if (style.bold) format_set_bold(f);
      if (style.text != kNoColor) format_set_font_color(f, LxwColor(style.text));
      if (style.background != kNoColor) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, LxwColor(style.background));
      }
      if (!number_format.empty()) format_set_num_format(f, number_format.c_str());
    }
    formats_.emplace(key, f);
    return f;
  }

  lxw_error Cell(lxw_worksheet* ws, lxw_row_t row, lxw_col_t col, std::string_view text,
                 const CellStyle& style) {
    CellValue v = ClassifyCell(text);
    if (v.kind == CellKind::kEmpty) {
      if (style.background == kNoColor) return LXW_NO_ERROR;
      return worksheet_write_blank(ws, row, col, Format(style, std::string()));
    }
    if (v.kind != CellKind::kText) {
      return worksheet_write_number(ws, row, col, v.number, Format(style, NumberFormatOf(v)));
    }
    std::string_view safe = ValidUtf8(TrimBlanks(text), &scratch_);
    if (safe.size() > 32767) safe = CutUtf8(safe, 32767);
    text_.assign(safe);
    return worksheet_write_string(ws, row, col, text_.c_str(), Format(style, std::string()));
  }

 private:
  lxw_workbook* wb_;
  std::map<std::tuple<bool, ColorRef, ColorRef, std::string>, lxw_format*> formats_;
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
  if (text.back() == '%') {
    std::string_view body = TrimBlanks(text.substr(0, text.size() - 1));
    if (ParsePlainNumber(body, &v)) {
      v.kind = CellKind::kPercent;
      v.number /= 100.0;
      return v;
    }
    return CellValue{};
  }
  if (text.front() == '$' || text.substr(0, 2) == "-$") {
    const bool sign_first = text.front() == '-';
    std::string_view body = TrimBlanks(text.substr(sign_first ? 2 : 1));
    if (!body.empty() && (!sign_first || body.front() != '-') && ParsePlainNumber(body, &v)) {
      v.kind = CellKind::kMoney;
      v.sign_first = sign_first;
      if (sign_first) v.number = -v.number;
      return v;
    }
    return CellValue{};
  }
  if (ParsePlainNumber(text, &v)) {
    v.kind = CellKind::kNumber;
    return v;
  }
  return CellValue{};
}

std::string NumberFormatOf(const CellValue& value) {
  std::string base = value.grouped ? "#,##0" : "0";
  if (value.decimals > 0) base += "." + std::string(value.decimals, '0');
  switch (value.kind) {
    case CellKind::kNumber:
      return base;
    case CellKind::kPercent:
      return base + "%";
    case CellKind::kMoney:
      return value.sign_first ? "\"$\"" + base + ";\"-$\"" + base : "\"$\"" + base + ";\"$\"-" + base;
    default:
      return std::string();
  }
}

namespace {

struct SheetFormats {
  lxw_format* title;
  lxw_format* heading;
};

// Adds the sheets of one list ("<title>", "<title> (2)" ... past the
// format's row limit), each name not yet in *names.
lxw_error AddListSheets(lxw_workbook* wb, XlsxWriter* writer, const SheetFormats& formats, const ListReport& report,
                        const XlsxOptions& options, std::set<std::string>* names) {
  const QenListWindow* list = report.list;
  const int rows = list->GetCount();
  const int columns = std::min(ShownColumnCount(*list), 16384);
  std::string title = report.title.empty() ? std::string("Liste") : report.title;
  std::string safe_title_buffer;
  title = std::string(ValidUtf8(title, &safe_title_buffer));

  // Column widths: the widest of the title and the first rows' texts.
  std::vector<double> width(columns, 4);
  for (int c = 0; c < columns; ++c) {
    if (c < static_cast<int>(list->Columns().size())) {
      width[c] = std::max<double>(width[c], list->Columns()[c].title.size() + 2);
    }
  }
  for (int r = 0; r < std::min(rows, 2000); ++r) {
    for (int c = 0; c < columns; ++c) {
      std::string_view cell = TrimBlanks(list->GetItemText(r, c));
      size_t chars = 0;
      for (unsigned char ch : cell) chars += (ch & 0xC0) != 0x80;
      width[c] = std::max<double>(width[c], std::min<size_t>(chars, 60) + 2);
    }
  }

  lxw_error err = LXW_NO_ERROR;
  const long rows_per_sheet = std::clamp<long>(options.max_sheet_rows, kHeaderRows + 1, 1048576) - kHeaderRows;
  int part = 1;
  for (int first = 0; err == LXW_NO_ERROR && (first < rows || first == 0); ++part) {
    // Two lists of one workbook may share a title: the later one's sheets
    // are numbered on.
    std::string name = SheetName(title, part);
    while (names->count(name) != 0) name = SheetName(title, ++part);
    names->insert(name);
    lxw_worksheet* ws = workbook_add_worksheet(wb, name.c_str());
    if (!ws) return LXW_ERROR_MEMORY_MALLOC_FAILED;
    for (int c = 0; c < columns; ++c) worksheet_set_column(ws, c, c, width[c], nullptr);
    worksheet_freeze_panes(ws, kHeaderRows, 0);
    err = worksheet_write_string(ws, 0, 0, title.c_str(), formats.title);
    for (int c = 0; err == LXW_NO_ERROR && c < columns; ++c) {
      std::string heading;
      if (c < static_cast<int>(list->Columns().size())) {
        heading.assign(ValidUtf8(list->Columns()[c].title, &safe_title_buffer));
      }
      err = worksheet_write_string(ws, 1, c, heading.c_str(), formats.heading);
    }
    const int last = static_cast<int>(std::min<long>(rows, first + rows_per_sheet));
    for (int r = first; err == LXW_NO_ERROR && r < last; ++r) {
      const lxw_row_t out_row = static_cast<lxw_row_t>(r - first + kHeaderRows);
      const int cells = std::min(list->CellCount(r), columns);
      for (int c = 0; err == LXW_NO_ERROR && c < cells; ++c) {
        err = writer->Cell(ws, out_row, static_cast<lxw_col_t>(c), list->GetItemText(r, c), report.StyleOf(r, c));
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
  workbook_set_properties(wb, &props);

  XlsxWriter writer(wb);
  SheetFormats formats;
  formats.title = workbook_add_format(wb);
  format_set_bold(formats.title);
  format_set_font_size(formats.title, 13);
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
