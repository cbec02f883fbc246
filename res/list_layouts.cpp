// The module's list-layout resources (RCDATA 300, 301, 2001 ... 2010).
//
// Each layout is written here as a table and encoded once, on first use,
// into the binary form that QenListWindow::LoadRes and the dialog base read
// (format in host/list_layout.h). Widths are in average character
// widths; headings are host string ids (0 = a heading the page sets itself).
//
// Dialogs 2005, 2008, 2011 and 2012 have no list; dialog 2009 (goals) lays
// out its report columns in code and has no layout resource.
#include <map>

#include "host/list_layout.h"

namespace {

struct Col {
  uint16_t width;
  uint16_t title;
};

ListLayout Layout(std::initializer_list<Col> columns, uint16_t ex_style) {
  ListLayout layout;
  layout.style = kLayoutListStyle;
  layout.ex_style = ex_style;
  for (const Col& c : columns) layout.columns.push_back(LayoutColumn{c.width, c.title, 0});
  return layout;
}

DialogListLayout List(uint16_t control_id, std::initializer_list<Col> columns, uint16_t ex_style) {
  return DialogListLayout{control_id, Layout(columns, ex_style)};
}

// Audit result lists (bare blocks).
ListLayout Detailed300() {
  return Layout({{5, 10040}, {5, 10141}, {5, 10218}, {5, 10041}, {5, 10250}, {5, 10189},
                 {16, 10083}, {12, 10045}},
                kLvExResultList);
}

ListLayout Summary301() {
  return Layout({{5, 10040}, {5, 10141}, {5, 10218}, {8, 10250}, {8, 10189}, {5, 10150}},
                kLvExResultList);
}

// Audit tab: users 108, modules 109, sort keys 107, all with check boxes.
DialogLayout AuditTab2001() {
  DialogLayout d;
  d.lists.push_back(List(108, {{8, 10218}}, kLvExCheckList));
  d.lists.push_back(List(109, {{8, 10250}}, kLvExCheckList));
  d.lists.push_back(List(107, {{3, 10215}, {4, 10160}, {14, 10083}}, kLvExCheckList));
  return d;
}

// Productivity tab: producers or chairs 109, result list 5111 (its first two
// columns; the page adds one per producer or chair).
DialogLayout ProductivityTab2003() {
  DialogLayout d;
  d.lists.push_back(List(109, {{3, 10076}, {14, 10083}}, kLvExCheckList));
  d.lists.push_back(List(5111, {{8, 10040}, {10, 10189}}, kLvExResultList));
  return d;
}

// Appointment code or type picker.
DialogLayout CodePicker2004() {
  DialogLayout d;
  d.lists.push_back(List(5111, {{3, 10062}, {14, 10083}}, kLvExCheckList));
  return d;
}

// Audit history.
DialogLayout AuditHistory2006() {
  DialogLayout d;
  d.lists.push_back(List(5111,
                         {{5, 10040}, {5, 10141}, {4, 10218}, {8, 10041}, {7, 10250}, {4, 10189},
                          {16, 10083}},
                         kLvExResultList));
  return d;
}

// Statistics tab: producers 111, patients 107, case acceptance 108,
// productivity 109 (columns 1-4 titled by the page), summary 110. The
// producer list carries the same code and name headings as the
// productivity tab's.
DialogLayout StatisticsTab2007() {
  DialogLayout d;
  d.lists.push_back(List(111, {{3, 10076}, {14, 10083}}, kLvExCheckList));
  d.lists.push_back(
      List(107, {{3, 10161}, {4, 10326}, {4, 10331}, {4, 10332}, {4, 10333}}, kLvExResultList));
  d.lists.push_back(List(108,
                         {{6, 10041}, {3, 10064}, {3, 10177}, {6, 10150}, {3, 10177}, {6, 10150},
                          {2, 10104}},
                         kLvExResultList));
  d.lists.push_back(List(109, {{3, 10064}, {4, 0}, {4, 0}, {4, 0}, {4, 0}}, kLvExResultList));
  d.lists.push_back(List(110,
                         {{3, 10064}, {9, 10335}, {9, 10336}, {7, 10337}, {9, 10338}, {9, 10339},
                          {7, 10337}, {9, 10340}, {9, 10348}},
                         kLvExResultList));
  return d;
}

// Goal editor: record list 5111 and button bar 5100 (new, change, delete,
// copy).
DialogLayout GoalEditor2010() {
  DialogLayout d;
  d.lists.push_back(List(5111, {{5, 10062}, {25, 10083}}, kLvExResultList));
  d.bars.push_back(ButtonBarLayout{5100, {{1512, 5102}, {1513, 5103}, {1514, 5104}, {1554, 5122}}});
  return d;
}

const std::map<int, std::vector<uint8_t>>& Resources() {
  static const std::map<int, std::vector<uint8_t>> resources = {
      {300, EncodeListBlock(Detailed300())},
      {301, EncodeListBlock(Summary301())},
      {2001, EncodeDialogLayout(AuditTab2001())},
      {2003, EncodeDialogLayout(ProductivityTab2003())},
      {2004, EncodeDialogLayout(CodePicker2004())},
      {2006, EncodeDialogLayout(AuditHistory2006())},
      {2007, EncodeDialogLayout(StatisticsTab2007())},
      {2010, EncodeDialogLayout(GoalEditor2010())},
  };
  return resources;
}

}  // namespace

std::span<const uint8_t> ListLayoutResource(int id) {
  auto it = Resources().find(id);
  if (it == Resources().end()) return {};
  return it->second;
}

std::vector<int> ListLayoutResourceIds() {
  std::vector<int> ids;
  for (const auto& [id, bytes] : Resources()) ids.push_back(id);
  return ids;
}
