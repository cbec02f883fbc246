// The list of a dental group: each clinic's list under its heading, then the
// group's total, in one list with the clinics' own columns (the layout of
// the analysis stays as it is; a heading row says whose rows follow).
//
//   Cabinet clinic1 — Clinique du Lac
//   ... clinic1's rows, as its list holds them ...
//   Cabinet clinic2 — Clinique Nord
//   ...
//   Total du groupe (2 cabinets)
//   ... the total's rows ...
//
// The total is the analysis's own (each tab computes it from the clinics'
// figures: hours and counts summed, ratios from the sums); this file only
// lays the parts out and remembers where every row came from, so styles,
// colours, drill-down and charts can ask the part's own list.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/list_window.h"
#include "host/tdlist.h"
#include "lists/drill.h"
#include "lists/list_style.h"

// Item data of a heading row: not a data row (lists/drill.h IsDrillDataRow).
inline constexpr long kGroupHeadingData = 0;

struct GroupPart {
  std::string heading;                 // "Cabinet clinic1 — Clinique du Lac"
  const QenListWindow* list = nullptr;
};

// Where a row of the group list came from: part and row of its list; row
// -1 for a part's heading.
struct GroupRowOrigin {
  int part = -1;
  int row = -1;
};

// Lays parts out into out (cleared; columns of the first part's list):
// heading rows (text in the first column, item data kGroupHeadingData) and
// each list's rows with their item data. origins gets one entry per row of
// out.
void ComposeGroupList(const std::vector<GroupPart>& parts, QenListWindow* out, std::vector<GroupRowOrigin>* origins);

// The coloured cells of every part, each collected from its own list by
// collect (the analysis's own rule), moved to the rows they have in the
// group list; appended to *out.
using PartColourFn = std::function<void(const QenListWindow& list, TDList* colours)>;
void CollectGroupColours(const std::vector<GroupPart>& parts, const std::vector<GroupRowOrigin>& origins,
                         const PartColourFn& collect, TDList* out);

// The rows of the headings (the clinics' and the total's) in the group
// list: the window draws them across every column (ListView::SetFullWidthRows).
std::vector<int> GroupHeadingRows(const std::vector<GroupRowOrigin>& origins);

// The group list's style: heading rows bold, every other cell styled as
// its part's list styles it (part_styles[part], an empty one plain).
// origins must outlive the returned rule.
CellStyleFn GroupCellStyle(const std::vector<GroupRowOrigin>* origins, std::vector<CellStyleFn> part_styles);

// The coloured cells of the parts (part_colours[part], null for none) moved
// to the rows they have in the group list; appended to *out.
void GroupColours(const std::vector<GroupRowOrigin>& origins, const std::vector<const TDList*>& part_colours,
                  TDList* out);

// Where a drill of the group list lands: a clinic's part (its index among
// the parts) and the target in that clinic's own list. A heading or a row
// of the group's total (the part after the clinics) is refused, with the
// line to show: the rows behind a total lie in every clinic, each clinic's
// own line drills them.
struct GroupDrillPlace {
  int part = -1;
  DrillTarget target;
  std::string refused;
};
GroupDrillPlace PlaceOfGroupDrill(const std::vector<GroupRowOrigin>& origins, size_t clinics,
                                  const DrillTarget& target);

// The connection a drill of a clinic's line reads from: url at the
// clinic's prefix, read only. Null when it cannot be opened, with
// result->outcome naming the clinic ("cabinet c2 : <why>").
std::unique_ptr<GenDB> OpenClinicDrillDb(const std::string& url, const std::string& prefix, DrillResult* result);

// A clinic's drill names its clinic first in its title ("HEADING — TITLE"),
// so that the windows of several clinics' drills tell apart.
DrillResult TitledForClinic(const std::string& heading, DrillResult result);

// Headings: "Cabinet clinic1 — NAME" ("Cabinet clinic1" without a name);
// "Total du groupe (N cabinets)".
std::string ClinicHeading(const std::string& label, const std::string& practice_name);
std::string GroupTotalHeading(size_t clinics);
