#include "appt/appt_style.h"

#include <string>

#include "appt/appt_types.h"
#include "host/list_window.h"

CellStyle ApptCellStyle(const QenListWindow& list, const ApptColourOptions& c, int row, int column) {
  CellStyle style;
  const long data = list.GetItemData(row);
  const long kind = column == 0 ? kApptRowDateColumn : data;
  if (kind == 0) {
    style.bold = true;
    return style;
  }
  const int index = ApptColourIndex(kind);
  if (index < 0 || index > 8) return style;
  if (c.Colour[index] != 0) style.text = static_cast<ColorRef>(c.Colour[index]);
  style.bold = c.Bold[index] == 'Y' || data == 0;
  if (kind == kApptRowUsage && column >= 2) {
    const std::string text(list.GetItemText(row, column));
    const int range = ApptUsageRange(c, text.c_str());
    bool any = false;
    for (int k = 0; k < 3; ++k) any = any || c.UsageColour[k] != 0 || c.UsageFrom[k] != 0 || c.UsageTo[k] != 0;
    if (range >= 0) {
      style.background = static_cast<ColorRef>(c.UsageColour[range]);
    } else if (any) {
      style.background = kWhite;
    }
  }
  return style;
}

void CollectApptColours(const QenListWindow& list, const ApptColourOptions& c, TDList* records) {
  for (int row = 0; row < list.GetCount(); ++row) {
    // Each cell is followed by a tab: the empty text after the last one is no cell.
    const std::string_view text = list.GetString(row);
    const int cells = list.CellCount(row) - (!text.empty() && text.back() == '\t' ? 1 : 0);
    for (int column = 0; column < cells; ++column) {
      const CellStyle s = ApptCellStyle(list, c, row, column);
      if (s.text != kNoColor) records->Append(new ColorListElem(row, column, s.text, ColorKind::kText));
      if (s.background != kNoColor && s.background != kWhite) {
        records->Append(new ColorListElem(row, column, s.background, ColorKind::kBackground));
      }
    }
  }
}
