// Colour ranges of the statistics lists and the INI section "PRAC_STATS".
//
// Six measures, three ranges each (lower bound, upper bound, colour) and a
// colour-by letter ('D' detail rows only, 'T' total rows only, anything else
// every row), plus the monthly fees goal:
//
//   measure  list, column                      cell reading
//   Diff     patients 3 (net)                  plain number
//   Pct      productivity 3 (usage)            percentage: after "(", up to "%"
//   Amount   case acceptance 3 and 5           money in cents: after "$", cut
//                                              at "-" and at "("
//   Usage    case acceptance 6 (acceptance)    percentage
//   Fees     summary 4 (fees; the goal row)    money
//   Pmts     summary 7 (payments)              money
//
// The first range (1, 2, 3) with lower <= value <= upper gives the cell's
// background; a colour of 0 (or no range) leaves it white. Nothing is
// coloured while every colour 1 and 2 of the list's measures is 0.
//
// Example: Fees range 1 = [100000, 200000] cents, red: "$1000.00" on a
// detail row reads 100000 and is red; the goal row "$1500.00 (75.00%)"
// reads 150000 and is red only when FeesColorBy is 'T' or 'B' (the goal row
// counts as a total row).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "lists/list_style.h"

class QenListWindow;
class TDList;

inline constexpr char kStatsIniSection[] = "PRAC_STATS";

enum class StatsMeasure { kDiff, kPct, kAmount, kUsage, kFees, kPmts };

struct StatsMeasureRanges {
  long colour[3] = {0, 0, 0};  // COLORREF; 0 = none
  long upper[3] = {0, 0, 0};   // shorts for Diff, Pct, Usage; cents for the others
  long lower[3] = {0, 0, 0};
  char color_by = 'D';
};

struct StatsColorOptions {
  StatsMeasureRanges diff, pct, amount, usage, fees, pmts;
  long fees_goal = 0;  // cents

  StatsMeasureRanges& Of(StatsMeasure m);
  const StatsMeasureRanges& Of(StatsMeasure m) const;
};

// value of key in section PRAC_STATS, or def when absent.
using StatsIniReader = std::function<std::string(const char* key, const char* def)>;
using StatsIniWriter = std::function<bool(const char* key, const std::string& value)>;

// Reads every colour, bound, colour-by letter and the goal (all of them, as
// the tab does each time). A colour text beginning with '0' reads as white.
void ReadStatsColorOptions(const StatsIniReader& read, StatsColorOptions* out);
// Writes them all; false when one could not be stored.
bool WriteStatsColorOptions(const StatsColorOptions& o, const StatsIniWriter& write);

// --- cell readings --------------------------------------------------------
enum class CellReading { kPlain, kPercent, kMoney };
// The number a cell shows, as the colouring reads it (the text trimmed of
// blanks first; money in cents).
double ReadCellValue(std::string_view text, CellReading how);

// Which measure and reading a cell of list (1..4) uses; false when the
// column is not coloured.
bool StatsCellMeasure(int list_number, int column, StatsMeasure* measure, CellReading* how);

// The background of a cell: its colour, or kWhite when no range holds the
// value, or kNoColor when the cell is not coloured at all (column not
// coloured, row kind excluded by colour-by, empty text, options not loaded).
ColorRef StatsCellColor(const StatsColorOptions& o, int list_number, int column, bool detail_row,
                        std::string_view text);

// Whether a row of a statistics list is a detail row: item data not 0 for
// lists 1-3; for list 4, a row whose record's action is not 0.
bool StatsDetailRow(const QenListWindow& list, int list_number, int row);

// Records (ColorListElem, background) every coloured cell of list into
// colours (cleared first), each cell once: what printing reproduces.
void CollectStatsColors(const QenListWindow& list, int list_number, const StatsColorOptions& o, TDList* colours);

// The look of the list's rows: non-detail rows in the total-row font (bold);
// cell backgrounds come from the coloured-cell records. list must outlive it.
CellStyleFn StatsRowStyle(const QenListWindow* list, int list_number);
