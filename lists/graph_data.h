// The chart data model shared by every chart of the module (audit lists,
// productivity, statistics, goals): series (PracGraphElem) of values
// (GraphValueElem), built without any window and drawn by GraphBaseDialog.
//
// A series has a name (the legend) and one value per category (the x
// axis), in the same order in every series:
//
//   categories:   "anne"   "marc"          (axis = user)
//   series "Ajout":   4        1            (main data = verb)
//   series "Retrait": 0        2
//
// Grouping letters. The chart has two, chosen by the user in the chart
// dialog and stored with its options:
//   first  (axis grouping)    governs the category (x) label of a value;
//   second (main grouping)    governs the second label of a value, and the
//                              series of the audit charts.
// Each is one of
//   'P'  "Par élément": every distinct label is its own category (or
//        series); labels are compared when values are matched. The default.
//   'T'  "Tout": the label is emptied, so everything falls into one category
//        (or one series).
// Any other letter keeps the label but never matches on it. docs/charts.md
// gives the effect on each chart.
#pragma once

#include <string>
#include <string_view>

#include "host/tdlist.h"

inline constexpr int kGraphNameCap = 32;   // labels and series names, with the terminator
inline constexpr int kGraphCodeCap = 128;  // the dialog's main-data and axis code fields
// U+200B ZERO WIDTH SPACE: added to a label that reads like an earlier one
// so that the two stay apart (as categories, and on Qt's category axis,
// which keeps one of two equal texts) while they show alike.
inline constexpr char kGraphInvisibleMark[] = "\xE2\x80\x8B";
// The label of a category or series whose text is blank: its own, never
// the emptied label of grouping 'T' ("Tous", everything).
inline constexpr char kGraphBlankLabel[] = "(vide)";

// What a chart's values measure. The value axis says it, and a percentage
// is never stacked: a sum of percentages means nothing.
enum class ChartUnit { kCount, kMoney, kHours, kUnits, kPercent };
// The axis's words for it: "Nombre", "Montant ($)", "Heures (H)",
// "Unités (U)", "Pourcentage (%)"; with a measure's name, the name and
// the sign ("Traitements ($)", "Usage % (%)" is "Usage %").
std::string ChartUnitTitle(ChartUnit unit, std::string_view measure = {});

struct GraphGrouping {
  char axis = 'P';  // first letter
  char main = 'P';  // second letter
};

// One value of a series: its category label (name), a second label (empty
// in every chart but the goals by year), the value drawn, the value as
// built (reset_value; display transforms start again from it) and how many
// list rows (or added amounts) went into it.
class GraphValueElem : public TDElem {
 public:
  GraphValueElem(std::string_view name, std::string_view name2);
  const char* Name() const { return name_; }
  const char* Name2() const { return name2_; }
  double value = 0;
  double reset_value = 0;
  double count = 0;

 private:
  char name_[kGraphNameCap];
  char name2_[kGraphNameCap];
};

// One series: its name, the first character of the main-data and axis code
// fields it was built for, and its values (owned), one per category.
class PracGraphElem : public TDElem {
 public:
  PracGraphElem(std::string_view name, std::string_view main_code, std::string_view axis_code);
  const char* Name() const { return name_; }
  char MainCode() const { return main_code_; }
  char AxisCode() const { return axis_code_; }
  TDList& Values() { return values_; }
  const TDList& Values() const { return values_; }
  size_t Count() const { return values_.Count(); }

 private:
  char name_[kGraphNameCap];
  char main_code_;
  char axis_code_;
  TDList values_;
};

// The text of a label as stored: cut to kGraphNameCap - 1 bytes (UTF-8 safe).
std::string GraphLabel(std::string_view text);

// True when value v matches the labels (label, label2) under grouping: same
// name while the first letter is 'P', or same second name while the second
// letter is 'P'.
bool GraphValueMatches(const GraphValueElem& v, std::string_view label, std::string_view label2,
                       const GraphGrouping& grouping);

// The series named name in a list of PracGraphElem, or null.
PracGraphElem* FindGraphSeries(const TDList& series, std::string_view name);

// --- building operations of the measure charts (productivity, goals) -----
// A list of categories is a TDList of GraphValueElem used as a template.
//
// Add x label: appends a category (label emptied under 'T' for the first
// letter, label2 under 'T' for the second) unless one already matches.
void GraphAddXLabel(TDList* labels, std::string_view label, std::string_view label2,
                    const GraphGrouping& grouping);
// Add value: when `series` holds a series named name, sets value and
// reset_value of each of its values that matches (label, label2); otherwise
// appends a new series (tagged with the first characters of the two code
// fields) with one value per entry of `labels`, each holding value.
void GraphSetValue(TDList* series, const TDList& labels, std::string_view label,
                   std::string_view label2, std::string_view name, double value,
                   const GraphGrouping& grouping, std::string_view main_code,
                   std::string_view axis_code);

// --- building operations of the list charts (statistics) ----------------
// Category: a new category (label emptied under 'T') is appended unless the
// first category that matches absorbs it (its value grows by 0).
void GraphAddCategory(TDList* categories, std::string_view label, const GraphGrouping& grouping);
// Adds v to value, reset_value and count of every value of series `name`
// that matches label (with an empty second label), creating the series over
// `categories` first when it is missing.
void GraphAddToValue(TDList* series, const TDList& categories, std::string_view label,
                     std::string_view name, double v, const GraphGrouping& grouping,
                     std::string_view main_code, std::string_view axis_code);

// Reads a number at the start of text as atof does in the "C" locale:
// leading blanks, a sign, digits and one decimal point (no exponent, no
// infinity); 0 when there is none. "12.50H" reads 12.5.
double GraphAtof(std::string_view text);

// --- the chart's data as text ---------------------------------------------
// A label or series name as the chart shows it: an emptied label (grouping
// 'T') is "Tous" (module string 13).
std::string GraphShownLabel(std::string_view label);

// The values a chart draws, one line per value, in the order the chart adds
// them (series after series, each over its categories):
//   x label \t series name \t value \n
// Labels and names as shown (GraphShownLabel); the value in the shortest
// form that reads back exactly ("3", "2.5", "-0.125"). No series: "".
//
//   categories "anne" "marc", series "Ajout" 4 1 and "Retrait" 0 2:
//     anne\tAjout\t4
//     marc\tAjout\t1
//     anne\tRetrait\t0
//     marc\tRetrait\t2
std::string GraphSeriesTsv(const TDList& series);

class QenListWindow;
// The value of a row through the chart's list-data call with code "0": the
// row's last non-blank cell read as a number (the count of a summary line),
// 0 when there is none.
double LastCellValue(const QenListWindow& list, int row);
