#include "tests/lists/soffice_read.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "tests/support/test_db.h"

namespace {

// A shell word: text in single quotes, inner quotes escaped.
std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Decoded(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out.push_back(text[i]);
      continue;
    }
    const size_t semi = text.find(';', i);
    const std::string_view entity = text.substr(i + 1, semi == std::string_view::npos ? 0 : semi - i - 1);
    if (entity == "amp") out.push_back('&');
    else if (entity == "lt") out.push_back('<');
    else if (entity == "gt") out.push_back('>');
    else if (entity == "quot") out.push_back('"');
    else if (entity == "apos") out.push_back('\'');
    else { out.push_back('&'); continue; }
    i = semi;
  }
  return out;
}

// The value of attribute name in a start tag ("" when absent).
std::string Attr(std::string_view tag, const std::string& name) {
  const std::string key = " " + name + "=\"";
  const size_t at = tag.find(key);
  if (at == std::string_view::npos) return std::string();
  const size_t from = at + key.size();
  return Decoded(tag.substr(from, tag.find('"', from) - from));
}

int Repeat(std::string_view tag, const char* name) {
  const std::string n = Attr(tag, name);
  const int count = n.empty() ? 1 : std::atoi(n.c_str());
  return std::max(1, std::min(count, 2000));  // a sheet's empty tail is repeated a million times
}

}  // namespace

bool HaveSoffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

Converted Convert(const std::string& file, const std::string& format) {
  TempDir work;
  const std::string root = std::filesystem::absolute(work.path()).string();
  std::filesystem::create_directories(root + "/home");
  std::filesystem::create_directories(root + "/tmp");
  const std::string filter = format == "csv" ? "csv:Text - txt - csv (StarCalc):44,34,76" : format;
  const std::string log_path = root + "/soffice.log";
  const std::string cmd = "cd " + ShellQuoted(root) + " && env -u SAL_USE_VCLPLUGIN HOME=" +
                          ShellQuoted(root + "/home") + " TMPDIR=" + ShellQuoted(root + "/tmp") +
                          " soffice -env:UserInstallation=file://" + root + "/profile --headless --norestore" +
                          " --convert-to " + ShellQuoted(filter) + " --outdir " + ShellQuoted(root + "/out") + " " +
                          ShellQuoted(std::filesystem::absolute(file).string()) + " >" + ShellQuoted(log_path) +
                          " 2>&1";
  Converted result;
  const int status = std::system(cmd.c_str());
  const std::string out = root + "/out/" + std::filesystem::path(file).stem().string() + "." + format;
  result.log = "soffice exit " + std::to_string(status) + ": " + ReadAll(log_path);
  if (status == 0 && std::filesystem::exists(out)) result.text = ReadAll(out);
  return result;
}

const FodsCell& FodsSheet::At(size_t row, size_t column) const {
  static const FodsCell kEmpty;
  if (row >= rows.size() || column >= rows[row].size()) return kEmpty;
  return rows[row][column];
}

std::vector<FodsSheet> ReadFods(const std::string& xml) {
  std::vector<FodsSheet> sheets;
  FodsCell* cell = nullptr;  // the cell whose text is being read
  int cell_repeat = 1, row_repeat = 1;
  for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
    const size_t end = xml.find('>', at);
    if (end == std::string::npos) break;
    const std::string_view tag(xml.data() + at, end - at + 1);
    const bool closing = tag[1] == '/';
    const bool self_closing = tag[tag.size() - 2] == '/';
    const size_t name_end = tag.find_first_of(" />", closing ? 2 : 1);
    const std::string_view name = tag.substr(closing ? 2 : 1, name_end - (closing ? 2 : 1));
    if (name == "table:table" && !closing) {
      sheets.push_back(FodsSheet{Attr(tag, "table:name"), {}});
    } else if (sheets.empty()) {
      continue;
    } else if (name == "table:table-row") {
      std::vector<std::vector<FodsCell>>& rows = sheets.back().rows;
      if (!closing) {
        rows.emplace_back();
        row_repeat = Repeat(tag, "table:number-rows-repeated");
      }
      if (closing || self_closing) {
        std::vector<FodsCell>& row = rows.back();
        while (!row.empty() && row.back().type.empty() && row.back().text.empty()) row.pop_back();
        if (row_repeat > 1) rows.insert(rows.end(), row_repeat - 1, std::vector<FodsCell>(rows.back()));
        row_repeat = 1;
      }
    } else if ((name == "table:table-cell" || name == "table:covered-table-cell") && !sheets.back().rows.empty()) {
      std::vector<FodsCell>& row = sheets.back().rows.back();
      if (!closing) {
        FodsCell c;
        c.type = Attr(tag, "office:value-type");
        const std::string value = Attr(tag, "office:value");
        if (!value.empty()) c.value = std::strtod(value.c_str(), nullptr);
        row.push_back(c);
        cell = &row.back();
        cell_repeat = Repeat(tag, "table:number-columns-repeated");
      }
      if (closing || self_closing) {
        if (cell_repeat > 1) row.insert(row.end(), cell_repeat - 1, FodsCell(row.back()));
        cell_repeat = 1;
        cell = nullptr;
      }
    } else if (name == "text:p" && !closing && !self_closing && cell != nullptr) {
      // The paragraph's text, its inner tags (spans, spaces) left out.
      const size_t close = xml.find("</text:p>", end);
      std::string text;
      for (size_t i = end + 1; i < close; ++i) {
        if (xml[i] == '<') {
          if (xml.compare(i, 8, "<text:s/") == 0 || xml.compare(i, 8, "<text:s ") == 0) text.push_back(' ');
          i = xml.find('>', i);
        } else {
          text.push_back(xml[i]);
        }
      }
      if (!cell->text.empty()) cell->text.push_back('\n');
      cell->text += Decoded(text);
      at = close;
    }
  }
  for (FodsSheet& sheet : sheets) {
    while (!sheet.rows.empty() && sheet.rows.back().empty()) sheet.rows.pop_back();
  }
  return sheets;
}
