#include "cli/cli_output.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "lists/xlsx_export.h"
#include "cli/cli_chart.h"
#include "cli/cli_options.h"
#include "host/atomic_file.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "suite/calendar.h"

#if VANTRA_CLI_QT
#include <QString>

#include "lists/qt/offscreen_app.h"
#include "lists/qt/print_list_view.h"
#endif

namespace {

// Cells as the layouts write them end in the blank that precedes each tab
// (" \t"); text and csv outputs show them without the padding.
std::string_view Trimmed(std::string_view cell) {
  while (!cell.empty() && (cell.front() == ' ')) cell.remove_prefix(1);
  while (!cell.empty() && (cell.back() == ' ')) cell.remove_suffix(1);
  return cell;
}

int CellsOf(const QenListWindow& list) {
  int cells = static_cast<int>(list.Columns().size());
  for (int r = 0; r < list.GetCount(); ++r) cells = std::max(cells, list.CellCount(r));
  return cells;
}

void WriteCsvCell(FILE* f, std::string_view cell) {
  bool quote = cell.find_first_of(",\"\r\n") != std::string_view::npos;
  if (!quote) {
    PutBytes(f, cell);
    return;
  }
  std::fputc('"', f);
  for (char c : cell) {
    if (c == '"') std::fputc('"', f);
    std::fputc(c, f);
  }
  std::fputc('"', f);
}

// Display width of UTF-8 text: one column per code point.
size_t Width(std::string_view s) {
  size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

void WriteText(FILE* f, const QenListWindow& list, bool item_data) {
  int cells = CellsOf(list);
  std::vector<size_t> width(cells, 0);
  for (int c = 0; c < cells && c < static_cast<int>(list.Columns().size()); ++c) {
    width[c] = Width(list.Columns()[c].title);
  }
  for (int r = 0; r < list.GetCount(); ++r) {
    for (int c = 0; c < cells; ++c) width[c] = std::max(width[c], Width(Trimmed(list.GetItemText(r, c))));
  }
  auto pad = [&](std::string_view text, int c, bool right) {
    size_t w = Width(text);
    size_t fill = width[c] > w ? width[c] - w : 0;
    if (right) for (size_t i = 0; i < fill; ++i) std::fputc(' ', f);
    PutBytes(f, text);
    if (!right && c + 1 < cells) for (size_t i = 0; i < fill; ++i) std::fputc(' ', f);
    if (c + 1 < cells) std::fputs("  ", f);
  };
  auto right_aligned = [&](int c) {
    return c < static_cast<int>(list.Columns().size()) && list.Columns()[c].align == ColumnAlign::kRight;
  };
  if (!list.Columns().empty()) {
    for (int c = 0; c < cells; ++c) {
      std::string_view title;
      if (c < static_cast<int>(list.Columns().size())) title = list.Columns()[c].title;
      pad(title, c, right_aligned(c));
    }
    std::fputc('\n', f);
    for (int c = 0; c < cells; ++c) {
      for (size_t i = 0; i < width[c]; ++i) std::fputc('-', f);
      if (c + 1 < cells) std::fputs("  ", f);
    }
    std::fputc('\n', f);
  }
  for (int r = 0; r < list.GetCount(); ++r) {
    if (item_data) std::fprintf(f, "%ld\t", list.GetItemData(r));
    for (int c = 0; c < cells; ++c) pad(Trimmed(list.GetItemText(r, c)), c, right_aligned(c));
    std::fputc('\n', f);
  }
}

}  // namespace

void CountWritten(const CliOptions& options, long rows) {
  if (options.written != nullptr) options.written->rows += rows;
}

bool WriteWorkbook(const std::vector<const ListReport*>& reports, const std::string& title,
                   const CliOptions& options, std::string* error) {
  long rows = 0;
  for (const ListReport* r : reports) rows += r->list != nullptr ? r->list->GetCount() : 0;
  if (!options.out.empty()) {
    if (!WriteReportsXlsx(reports, options.out, error)) return false;
    CountWritten(options, rows);
    return true;
  }
  const std::string path = ExportReportsToSpreadsheet(reports, title, error);
  if (path.empty()) return false;
  CountWritten(options, rows);
  // The path on standard output is the result: report when it is lost.
  AtomicFile out;
  if (!out.Open(std::string(), error)) return false;
  std::fprintf(out.File(), "%s\n", path.c_str());
  return out.Commit(error);
}

bool WriteListPdf(const ListReport& report, const std::string& path, std::string* error) {
#if VANTRA_CLI_QT
  if (!EnsureGuiApplication()) {
    *error = "impossible d'imprimer : pas d'application graphique";
    return false;
  }
  QString qerror;
  if (!PrintListToPdf(report, QString::fromStdString(path), &qerror)) {
    *error = qerror.toStdString();
    return false;
  }
  return true;
#else
  (void)report;
  (void)path;
  *error = "le format pdf n'est pas offert par cette construction (sans Qt)";
  return false;
#endif
}

ListReport ReportOf(const QenListWindow& list, const ListDecor& decor) {
  ListReport report(&list, decor.title.empty() ? std::string("Vantra") : decor.title, decor.style, decor.colors);
  report.period = decor.period;
  report.practice = CurrentPracticeName();
  return report;
}


bool WriteList(const QenListWindow& list, const CliOptions& options, const ListDecor& decor,
               std::string* error) {
  if (options.format == "xlsx" || options.format == "pdf") {
    const ListReport report = ReportOf(list, decor);
    if (options.format == "pdf") {
      if (options.out.empty()) {
        *error = "le format pdf demande --out FICHIER";
        return false;
      }
      if (!WriteListPdf(report, options.out, error)) return false;
      CountWritten(options, list.GetCount());
      return true;
    }
    return WriteWorkbook({&report}, report.title, options, error);
  }
  if (options.format == "tsv") {
    TsvWriter writer;
    if (!writer.Open(options, error)) return false;
    for (int r = 0; r < list.GetCount(); ++r) writer.Row(list.GetString(r), list.GetItemData(r));
    return writer.Finish(error);
  }
  // text and csv: the whole file or nothing under its name (AtomicFile).
  AtomicFile out;
  if (!out.Open(options.out, error)) return false;
  WriteListStream(out.File(), list, options);
  return out.Commit(error);
}

void WriteListStream(FILE* f, const QenListWindow& list, const CliOptions& options) {
  CountWritten(options, list.GetCount());
  if (options.format == "csv") {
    int cells = CellsOf(list);
    if (!list.Columns().empty()) {
      if (options.item_data) std::fputs("item_data,", f);
      for (int c = 0; c < cells; ++c) {
        if (c) std::fputc(',', f);
        if (c < static_cast<int>(list.Columns().size())) WriteCsvCell(f, list.Columns()[c].title);
      }
      std::fputs("\r\n", f);
    }
    for (int r = 0; r < list.GetCount(); ++r) {
      if (options.item_data) std::fprintf(f, "%ld,", list.GetItemData(r));
      for (int c = 0; c < cells; ++c) {
        if (c) std::fputc(',', f);
        WriteCsvCell(f, Trimmed(list.GetItemText(r, c)));
      }
      std::fputs("\r\n", f);
    }
  } else if (options.format == "tsv") {
    for (int r = 0; r < list.GetCount(); ++r) {
      if (options.item_data) std::fprintf(f, "%d\t", static_cast<int32_t>(list.GetItemData(r)));
      const std::string_view row = list.GetString(r);
      PutBytes(f, row);
      std::fputc('\n', f);
    }
  } else {
    WriteText(f, list, options.item_data);
  }
}

// --- TsvWriter ------------------------------------------------------------------

namespace {
constexpr size_t kTsvBuffer = 1 << 20;
}

TsvWriter::~TsvWriter() = default;  // out_ removes an unfinished file

bool TsvWriter::Open(const CliOptions& options, std::string* error) {
  item_data_ = options.item_data;
  written_ = options.written;
  rows_ = 0;
  if (!out_.Open(options.out, error)) return false;
  buffer_.resize(kTsvBuffer);
  used_ = 0;
  return true;
}

void TsvWriter::Flush() {
  if (used_ > 0 && out_.File()) std::fwrite(buffer_.data(), 1, used_, out_.File());
  used_ = 0;
}

void TsvWriter::Row(std::string_view text, long item_data) {
  // item data (at most 12 bytes and a tab), the text, a line break.
  const size_t need = text.size() + 16;
  if (used_ + need > buffer_.size()) {
    Flush();
    if (need > buffer_.size()) buffer_.resize(need);
  }
  char* p = buffer_.data() + used_;
  if (item_data_) {
    // A list keeps 32 bits of it.
    p = std::to_chars(p, p + 12, static_cast<int32_t>(item_data)).ptr;
    *p++ = '\t';
  }
  if (!text.empty()) std::memcpy(p, text.data(), text.size());  // a blank line may have no data
  p += text.size();
  *p++ = '\n';
  used_ = static_cast<size_t>(p - buffer_.data());
  ++rows_;
}

bool TsvWriter::Finish(std::string* error) {
  Flush();
  if (!out_.Commit(error)) return false;
  if (written_ != nullptr) written_->rows += rows_;
  return true;
}
