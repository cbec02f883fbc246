// How the cells of a result list are drawn, without any widget: colours in
// the suite's 0x00BBGGRR form, the coloured-cell records the tabs collect
// while drawing, and the style of one cell as printing and export see it.
//
// The window draws a list through its ListView hooks (host/qt); the
// printout, the spreadsheet and the command line cannot ask a view, so they
// take a ListReport: the list, its title, a style function (usually the
// same rule the view's hooks apply, e.g. the audit lists' bold totals) and the list's
// ColorListElem records. A record wins over the style function for its
// colour (text or background); bold comes from the style function only.
//
//   TDList colours;                                   // owned by the tab
//   colours.Append(new ColorListElem(4, 3, Rgb(255, 200, 200), ColorKind::kBackground));
//   ListReport report{&list, "Productivité", nullptr, &colours};
//   CellStyle s = report.StyleOf(4, 3);               // background set
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "host/tdlist.h"

class QenListWindow;

// A colour as the suite stores it (Windows COLORREF): 0x00BBGGRR. The INI
// files of the tabs hold it as a decimal number.
using ColorRef = uint32_t;
inline constexpr ColorRef kWhite = 0x00FFFFFF;
inline constexpr ColorRef kBlack = 0x00000000;
// "No colour": the list's default (not a valid COLORREF: the high byte is set).
inline constexpr ColorRef kNoColor = 0xFFFFFFFFu;

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>(c >> 8 & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>(c >> 16 & 0xFF); }

enum class ColorKind { kText, kBackground };

// The suite's record of one coloured cell (row and column 0-based, as in the
// list when it was drawn). The tabs append one per coloured cell to a TDList
// they own, and clear that list whenever they refill the list window.
class ColorListElem : public TDElem {
 public:
  ColorListElem(int row, int column, ColorRef colour, ColorKind kind)
      : row(row), column(column), colour(colour), kind(kind) {}
  int row;
  int column;
  ColorRef colour;
  ColorKind kind;
};

// The style of one cell. Colours are kNoColor when the list's default applies.
struct CellStyle {
  bool bold = false;
  ColorRef text = kNoColor;
  ColorRef background = kNoColor;
  bool operator==(const CellStyle&) const = default;
};

// A style rule over a list: row and column 0-based. Called once per cell
// printed or exported, so it must be cheap and only read the list.
using CellStyleFn = std::function<CellStyle(int row, int column)>;

// The colours of a TDList of ColorListElem, indexed for look-up by cell. A
// later record for the same cell and kind replaces an earlier one.
class ColorCellIndex {
 public:
  ColorCellIndex() = default;
  explicit ColorCellIndex(const TDList* records) { Add(records); }
  void Add(const TDList* records);  // null adds nothing
  // Overwrites the colours that records give this cell.
  void Apply(int row, int column, CellStyle* style) const;
  bool Empty() const { return cells_.empty(); }

 private:
  static uint64_t Key(int row, int column) {
    return static_cast<uint64_t>(static_cast<uint32_t>(row)) << 32 | static_cast<uint32_t>(column);
  }
  struct Colours {
    ColorRef text = kNoColor;
    ColorRef background = kNoColor;
  };
  std::unordered_map<uint64_t, Colours> cells_;
};

// What printing and export read: the rows of one list as the user sees them.
// Nothing is owned; list, style and colours must outlive the report.
struct ListReport {
  ListReport() = default;
  ListReport(const QenListWindow* list, std::string title, CellStyleFn style = nullptr,
             const TDList* colors = nullptr)
      : list(list), title(std::move(title)), style(std::move(style)), colors(colors) {}

  const QenListWindow* list = nullptr;
  std::string title;                // printed above the list, names the file and the sheet
  std::string period;               // "du 2026-11-01 au 2026-11-30" (PeriodText), "" when none
  std::string practice;             // the practice's name for the page heading, "" when none
  CellStyleFn style;                // may be empty (plain list)
  const TDList* colors = nullptr;   // ColorListElem records, may be null

  // The style function's answer amended by the records. Builds the record
  // index on first use (not thread-safe; reports are used on one thread).
  CellStyle StyleOf(int row, int column) const;

 private:
  mutable std::shared_ptr<ColorCellIndex> index_;
};

// The period a printout or a workbook covers, in the list columns' date form:
// "du 2026-11-01 au 2026-11-30"; "le 2026-11-01" when from == to; "" when
// either date is not a valid one.
std::string PeriodText(long from, long to);

// The columns a list shows, prints and exports: the count of its column
// layout. Cells past the last column are not shown (the blank separator rows
// of the summary list carry the detailed list's 8 cells in its 6 columns).
// A list filled without a layout (no columns) shows as many columns as its
// widest row.
int ShownColumnCount(const QenListWindow& list);

// Cells as the layouts write them carry the blank that precedes each tab;
// printing, export and comparisons use them without leading and trailing
// blanks (spaces only).
std::string_view TrimBlanks(std::string_view text);
// The longest prefix of text of at most max_bytes bytes that does not end
// inside a UTF-8 character (what a fixed text buffer of the suite keeps).
std::string_view CutUtf8(std::string_view text, size_t max_bytes);
