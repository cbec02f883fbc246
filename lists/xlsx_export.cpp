#include "lists/xlsx_export.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <sys/statvfs.h>
#include <xlsxwriter.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string_view>
#include <tuple>
#include <vector>

#include "host/application.h"
#include "host/atomic_file.h"
#include "host/list_window.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// errno values a failed write leaves (as opposed to what other calls of the
// library may leave behind).
bool CheckXlsxParts(const std::string& path, std::string* reason, uint64_t* cut_size);
int TruncationErrno(uint64_t cut_size, const std::vector<std::string>& folders);

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

bool WriteListXlsx(const ListReport& report, const std::string& path, std::string* error,
                   const XlsxOptions& options) {
  const QenListWindow* list = report.list;
  if (!list) {
    *error = "aucune liste à exporter";
    return false;
  }
  const int rows = list->GetCount();
  const int columns = std::min(ShownColumnCount(*list), 16384);

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
  std::string title = report.title.empty() ? std::string("Liste") : report.title;
  std::string safe_title_buffer;
  title = std::string(ValidUtf8(title, &safe_title_buffer));
  lxw_doc_properties props = {};
  props.title = title.data();
  props.author = const_cast<char*>("Vantra");
  workbook_set_properties(wb, &props);

  XlsxWriter writer(wb);
  lxw_format* title_format = workbook_add_format(wb);
  format_set_bold(title_format);
  format_set_font_size(title_format, 13);
  lxw_format* heading_format = workbook_add_format(wb);
  format_set_bold(heading_format);
  format_set_bottom(heading_format, LXW_BORDER_THIN);
  format_set_pattern(heading_format, LXW_PATTERN_SOLID);
  format_set_bg_color(heading_format, 0xDBE2EC);

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
    std::string name = SheetName(title, part);
    lxw_worksheet* ws = workbook_add_worksheet(wb, name.c_str());
    if (!ws) {
      err = LXW_ERROR_MEMORY_MALLOC_FAILED;
      break;
    }
    for (int c = 0; c < columns; ++c) worksheet_set_column(ws, c, c, width[c], nullptr);
    worksheet_freeze_panes(ws, kHeaderRows, 0);
    err = worksheet_write_string(ws, 0, 0, title.c_str(), title_format);
    for (int c = 0; err == LXW_NO_ERROR && c < columns; ++c) {
      std::string heading;
      if (c < static_cast<int>(list->Columns().size())) {
        heading.assign(ValidUtf8(list->Columns()[c].title, &safe_title_buffer));
      }
      err = worksheet_write_string(ws, 1, c, heading.c_str(), heading_format);
    }
    const int last = static_cast<int>(std::min<long>(rows, first + rows_per_sheet));
    for (int r = first; err == LXW_NO_ERROR && r < last; ++r) {
      const lxw_row_t out_row = static_cast<lxw_row_t>(r - first + kHeaderRows);
      const int cells = std::min(list->CellCount(r), columns);
      for (int c = 0; err == LXW_NO_ERROR && c < cells; ++c) {
        err = writer.Cell(ws, out_row, static_cast<lxw_col_t>(c), list->GetItemText(r, c),
                          report.StyleOf(r, c));
      }
    }
    if (last >= rows) break;
    first = last;
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
  return out.Commit(error);
}

// --- Reading the written workbook back --------------------------------------
//
// libxlsxwriter writes each sheet's XML into a temporary file of its own and
// copies that into the zip, without checking either write: a sheet cut short
// by a full disk or a size limit is zipped as it is, and workbook_close
// reports success. So the workbook is read back: every XML part of the zip
// must inflate to its recorded size and CRC and end with its root element's
// closing tag.

namespace {

uint32_t Le(const unsigned char* p, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}
uint64_t Le64(const unsigned char* p) { return uint64_t{Le(p + 4, 4)} << 32 | Le(p, 4); }

class ZipReader {
 public:
  explicit ZipReader(const std::string& path) : f_(std::fopen(path.c_str(), "rb")) {}
  ~ZipReader() {
    if (f_) std::fclose(f_);
  }
  bool Read(uint64_t at, void* out, size_t n) {
    return f_ && ::fseeko(f_, static_cast<off_t>(at), SEEK_SET) == 0 && std::fread(out, 1, n, f_) == n;
  }
  uint64_t Size() {
    if (!f_ || ::fseeko(f_, 0, SEEK_END) != 0) return 0;
    return static_cast<uint64_t>(::ftello(f_));
  }
  FILE* File() { return f_; }

 private:
  FILE* f_;
};

// The name of the root element of an XML text's start ("" when none), and
// whether its start tag closes itself ("<sst .../>").
std::string RootElement(std::string_view head, bool* self_closing) {
  size_t at = 0;
  for (;;) {
    at = head.find('<', at);
    if (at == std::string_view::npos || at + 1 >= head.size()) return std::string();
    if (head[at + 1] != '?' && head[at + 1] != '!') break;
    ++at;
  }
  const size_t end = head.find_first_of(" \t\r\n/>", at + 1);
  if (end == std::string_view::npos) return std::string();
  const size_t close = head.find('>', end);
  *self_closing = close != std::string_view::npos && close > 0 && head[close - 1] == '/';
  return std::string(head.substr(at + 1, end - at - 1));
}

// Inflates one entry (method 0 or 8) from the reader's current position,
// keeping the first and last bytes of its text; false on a damaged stream.
bool InflateEntry(FILE* f, int method, uint64_t compressed, uint64_t expected_size, uint32_t expected_crc,
                  std::string* head, std::string* tail) {
  z_stream z = {};
  if (method == 8 && inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
  std::vector<unsigned char> in(1 << 16), out(1 << 16);
  uint64_t left = compressed, produced = 0;
  uLong crc = crc32(0, nullptr, 0);
  bool ok = true, done = false;
  auto take = [&](const unsigned char* data, size_t n) {
    crc = crc32(crc, data, static_cast<uInt>(n));
    produced += n;
    if (head->size() < 512) head->append(reinterpret_cast<const char*>(data), std::min<size_t>(n, 512 - head->size()));
    tail->append(reinterpret_cast<const char*>(data), n);
    if (tail->size() > 64) tail->erase(0, tail->size() - 64);
  };
  while (ok && !done && left > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, in.size()));
    if (std::fread(in.data(), 1, n, f) != n) {
      ok = false;
      break;
    }
    left -= n;
    if (method == 0) {
      take(in.data(), n);
      continue;
    }
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(n);
    while (ok && z.avail_in > 0 && !done) {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      const int rc = inflate(&z, Z_NO_FLUSH);
      take(out.data(), out.size() - z.avail_out);
      if (rc == Z_STREAM_END) done = true;
      else if (rc != Z_OK && rc != Z_BUF_ERROR) ok = false;
      else if (rc == Z_BUF_ERROR && z.avail_out == out.size()) ok = false;
    }
  }
  if (method == 8) {
    // Flush what the last input left inside zlib.
    while (ok && !done) {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      const int rc = inflate(&z, Z_FINISH);
      take(out.data(), out.size() - z.avail_out);
      if (rc == Z_STREAM_END) done = true;
      else if (z.avail_out == out.size()) ok = false;
    }
    inflateEnd(&z);
  }
  return ok && produced == expected_size && static_cast<uint32_t>(crc) == expected_crc;
}

bool CheckXlsxParts(const std::string& path, std::string* reason, uint64_t* cut_size) {
  ZipReader zip(path);
  const uint64_t size = zip.Size();
  if (size < 22) {
    *reason = "le classeur est vide ou tronqué";
    return false;
  }
  // End of central directory: the last 22 bytes, or earlier behind a comment.
  const uint64_t span = std::min<uint64_t>(size, 65535 + 22);
  std::vector<unsigned char> end(span);
  if (!zip.Read(size - span, end.data(), span)) {
    *reason = "le classeur ne peut pas être relu";
    return false;
  }
  long eocd = -1;
  for (long i = static_cast<long>(span) - 22; i >= 0; --i) {
    if (Le(&end[i], 4) == 0x06054b50) {
      eocd = i;
      break;
    }
  }
  if (eocd < 0) {
    *reason = "le classeur est tronqué (fin du zip absente)";
    return false;
  }
  uint64_t entries = Le(&end[eocd + 10], 2);
  uint64_t cd_offset = Le(&end[eocd + 16], 4);
  if (eocd >= 20 && Le(&end[eocd - 20], 4) == 0x07064b50) {
    unsigned char z64[56];
    if (!zip.Read(Le64(&end[eocd - 20 + 8]), z64, sizeof z64) || Le(z64, 4) != 0x06064b50) {
      *reason = "le classeur est tronqué (zip64)";
      return false;
    }
    entries = Le64(z64 + 32);
    cd_offset = Le64(z64 + 48);
  }
  uint64_t at = cd_offset;
  for (uint64_t e = 0; e < entries; ++e) {
    unsigned char cd[46];
    if (!zip.Read(at, cd, sizeof cd) || Le(cd, 4) != 0x02014b50) {
      *reason = "le classeur est tronqué (répertoire)";
      return false;
    }
    const int method = static_cast<int>(Le(cd + 10, 2));
    const uint32_t crc = Le(cd + 16, 4);
    uint64_t csize = Le(cd + 20, 4), usize = Le(cd + 24, 4), local = Le(cd + 42, 4);
    const size_t name_len = Le(cd + 28, 2), extra_len = Le(cd + 30, 2), comment_len = Le(cd + 32, 2);
    std::string name(name_len, '\0');
    std::vector<unsigned char> extra(extra_len);
    if (!zip.Read(at + 46, name.data(), name_len) || !zip.Read(at + 46 + name_len, extra.data(), extra_len)) {
      *reason = "le classeur est tronqué (répertoire)";
      return false;
    }
    for (size_t x = 0; x + 4 <= extra_len;) {
      const uint32_t id = Le(&extra[x], 2), len = Le(&extra[x + 2], 2);
      size_t f = x + 4;
      if (id == 1) {
        for (uint64_t* v : {&usize, &csize, &local}) {
          if (*v == 0xFFFFFFFFu && f + 8 <= x + 4 + len && f + 8 <= extra_len) {
            *v = Le64(&extra[f]);
            f += 8;
          }
        }
      }
      x += 4 + len;
    }
    at += 46 + name_len + extra_len + comment_len;
    const bool xml = name.size() > 4 && (name.compare(name.size() - 4, 4, ".xml") == 0 ||
                                         name.compare(name.size() - 5, 5, ".rels") == 0);
    if (!xml) continue;
    unsigned char lh[30];
    if (!zip.Read(local, lh, sizeof lh) || Le(lh, 4) != 0x04034b50 ||
        ::fseeko(zip.File(), static_cast<off_t>(local + 30 + Le(lh + 26, 2) + Le(lh + 28, 2)), SEEK_SET) != 0) {
      *reason = "le classeur est tronqué (" + name + ")";
      return false;
    }
    std::string head, tail;
    bool self_closing = false;
    bool ok = (method == 0 || method == 8) && InflateEntry(zip.File(), method, csize, usize, crc, &head, &tail);
    std::string root = ok ? RootElement(head, &self_closing) : std::string();
    while (!tail.empty() && std::strchr(" \t\r\n", tail.back())) tail.pop_back();
    const std::string closing = "</" + root + ">";
    ok = ok && !root.empty() &&
         ((tail.size() >= closing.size() && tail.compare(tail.size() - closing.size(), closing.size(), closing) == 0) ||
          (self_closing && usize <= head.size() && !tail.empty() && tail.back() == '>'));
    if (!ok) {
      *reason = "le classeur est incomplet (" + name + " tronqué)";
      *cut_size = usize;
      return false;
    }
  }
  return true;
}

// Why a part of cut_size bytes came out cut short, when the system's state
// tells: a file-size limit it reached (EFBIG) or a folder the library
// writes into left without room (ENOSPC); 0 when neither.
int TruncationErrno(uint64_t cut_size, const std::vector<std::string>& folders) {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && cut_size >= limit.rlim_cur) {
    return EFBIG;
  }
  for (const std::string& folder : folders) {
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) == 0 && uint64_t{fs.f_bavail} * fs.f_frsize < (1u << 20)) return ENOSPC;
  }
  return 0;
}

}  // namespace

bool XlsxPartsComplete(const std::string& path, std::string* reason) {
  uint64_t cut_size = 0;
  return CheckXlsxParts(path, reason, &cut_size);
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
  std::string path = SpreadsheetFileName(folder, report.title, std::time(nullptr));
  if (!WriteListXlsx(report, path, error, options)) return std::string();
  return path;
}
