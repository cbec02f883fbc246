#include "lists/list_style.h"

#include "host/dates.h"
#include "host/list_window.h"

#include <algorithm>

void ColorCellIndex::Add(const TDList* records) {
  if (!records) return;
  for (const ColorListElem* e : records->As<ColorListElem>()) {
    Colours& c = cells_[Key(e->row, e->column)];
    (e->kind == ColorKind::kText ? c.text : c.background) = e->colour;
  }
}

void ColorCellIndex::Apply(int row, int column, CellStyle* style) const {
  if (cells_.empty()) return;
  auto it = cells_.find(Key(row, column));
  if (it == cells_.end()) return;
  if (it->second.text != kNoColor) style->text = it->second.text;
  if (it->second.background != kNoColor) style->background = it->second.background;
}

CellStyle ListReport::StyleOf(int row, int column) const {
  CellStyle out;
  if (style) out = style(row, column);
  if (colors) {
    if (!index_) index_ = std::make_shared<ColorCellIndex>(colors);
    index_->Apply(row, column, &out);
  }
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string_view CutUtf8(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t n = max_bytes;
  // Step back over continuation bytes to the start of the cut character.
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

int ShownColumnCount(const QenListWindow& list) {
  int columns = static_cast<int>(list.Columns().size());
  if (columns > 0) return columns;
  for (int r = 0; r < list.GetCount(); ++r) columns = std::max(columns, list.CellCount(r));
  return columns;
}

std::string PeriodText(long from, long to) {
  if (!tavo_valid_date(from) || !tavo_valid_date(to)) return {};
  char a[32], b[32];
  ldate_to_str1(a, from, 530);
  if (from == to) return std::string("le ") + a;
  ldate_to_str1(b, to, 530);
  return std::string("du ") + a + " au " + b;
}
