#include "lists/drill.h"

#include <charconv>
#include <cstdio>

namespace {

bool PositiveNumber(std::string_view text, int* out) {
  if (text.empty() || text.size() > 9) return false;
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1) return false;
  *out = value;
  return true;
}

}  // namespace

bool ParseDrillTarget(std::string_view text, DrillTarget* out, std::string* error) {
  const size_t comma = text.find(',');
  int line = 0, cell = 0;
  if (comma == std::string_view::npos || !PositiveNumber(text.substr(0, comma), &line) ||
      !PositiveNumber(text.substr(comma + 1), &cell)) {
    *error = "--drill attend LIGNE,CELLULE (deux nombres à partir de 1, ex. 3,2) : « " + std::string(text) + " »";
    return false;
  }
  out->line = line - 1;
  out->cell = cell - 1;
  return true;
}

bool IsBlankLine(const QenListWindow& list, int line) {
  const std::string_view text = list.GetString(line);
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string CheckDrillCell(const QenListWindow& list, const DrillTarget& target, long written_lines) {
  const int count = list.GetCount();
  if (written_lines >= 0 && written_lines != count) {
    return "la liste a changé depuis qu'elle a été générée : générez-la de nouveau pour voir ses détails";
  }
  if (target.line < 0 || target.line >= count) {
    return "la ligne " + std::to_string(target.line + 1) + " dépasse la fin de la liste (" + std::to_string(count) +
           (count == 1 ? " ligne)" : " lignes)");
  }
  if (IsBlankLine(list, target.line)) {
    return "la ligne " + std::to_string(target.line + 1) + " est une ligne blanche : rien n'y est compté";
  }
  const int cells = list.CellCount(target.line);
  if (target.cell < 0 || target.cell >= cells) {
    return "la ligne " + std::to_string(target.line + 1) + " n'a que " + std::to_string(cells) +
           (cells == 1 ? " cellule" : " cellules");
  }
  return std::string();
}

std::string LabelCellMessage(const DrillTarget& target) {
  return "la cellule " + std::to_string(target.cell + 1) + " de la ligne " + std::to_string(target.line + 1) +
         " est un libellé : aucune ligne n'est derrière";
}

CellStyleFn DrillRowStyle(const QenListWindow* list) {
  return [list](int row, int) {
    CellStyle style;
    const long data = list->GetItemData(row);
    style.bold = data == -1 || (data == 0 && !IsBlankLine(*list, row));
    return style;
  };
}

int DrillResult::DataRows() const {
  if (!list) return 0;
  int n = 0;
  for (int r = 0; r < list->GetCount(); ++r) {
    if (IsDrillDataRow(list->GetItemData(r))) ++n;
  }
  return n;
}

DrillResult::PatientRef DrillResult::PatientOf(int line) const {
  return line >= 0 && static_cast<size_t>(line) < row_patients.size() ? row_patients[static_cast<size_t>(line)]
                                                                        : PatientRef();
}

void DrillResult::NotePatient(long patient, std::string text) {
  if (!list || list->GetCount() == 0 || patient == 0) return;
  const size_t line = static_cast<size_t>(list->GetCount() - 1);
  if (row_patients.size() <= line) row_patients.resize(line + 1);
  row_patients[line] = PatientRef{patient, std::move(text)};
}

void StartDrillList(DrillResult* result, int list_id, std::vector<ListColumn> columns) {
  result->list = std::make_unique<QenListWindow>(list_id);
  result->list->SetColumns(std::move(columns));
  result->groups.clear();
}

void BeginDrillGroup(DrillResult* result, std::string title) {
  EndDrillGroup(result);
  const int columns = static_cast<int>(result->list->Columns().size());
  std::string heading = title;
  for (int c = 1; c < columns; ++c) heading += "\t ";
  result->list->AddString(heading, 0);
  const int first = result->list->GetCount();
  result->groups.push_back({std::move(title), first, first});
}

void EndDrillGroup(DrillResult* result) {
  if (!result->groups.empty()) result->groups.back().end = result->list->GetCount();
}

std::string PartialDrillTitle(const std::string& title) { return title + " (liste partielle)"; }

std::string TrimmedCell(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string();
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string DrillDateText(long d) {
  if (d <= 0) return std::string();
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04ld-%02ld-%02ld", d / 10000, d / 100 % 100, d % 100);
  return buf;
}

std::string DrillTimeText(long hhmmss) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld", hhmmss / 10000 % 100, hhmmss / 100 % 100);
  return buf;
}

std::string DrillMoneyText(long cents) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "$%.2f", static_cast<double>(cents) / 100.0);
  return buf;
}

std::string DrillRowText(const std::vector<std::string>& cells) {
  std::string text;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) text += '\t';
    text += cells[i];
  }
  return text;
}

std::vector<ListColumn> DrillColumns(const std::vector<std::pair<const char*, int>>& titles) {
  std::vector<ListColumn> out;
  for (const auto& [title, width] : titles) {
    ListColumn c;
    c.title = title;
    c.width_chars = width;
    out.push_back(std::move(c));
  }
  return out;
}

std::vector<ListColumn> FeeItemColumns() {
  return DrillColumns({{"Date", 10},
                       {"Producteur", 10},
                       {"Genre", 16},
                       {"No", 8},
                       {"Patient", 24},
                       {"Code", 6},
                       {"Description", 30},
                       {"Montant", 10}});
}

std::string DrillColumnTitle(const QenListWindow& list, int cell) {
  if (cell < 0 || static_cast<size_t>(cell) >= list.Columns().size()) return std::string();
  return TrimmedCell(list.Columns()[static_cast<size_t>(cell)].title);
}

std::string DrillPatientText(long id, const DrillPatientNames* names) {
  if (id == 0) return std::string();
  const auto it = names != nullptr ? names->find(id) : DrillPatientNames::const_iterator();
  if (names == nullptr || it == names->end()) return std::to_string(id);
  return it->second + " (" + std::to_string(id) + ")";
}

long AddFeeItemRows(const std::vector<FeeItem>& items, long* ordinal, DrillResult* out,
                    const DrillPatientNames* names) {
  if (out->measures.empty()) out->measures.push_back({7, ChartUnit::kMoney});
  long cents = 0;
  for (const FeeItem& item : items) {
    std::string patient = DrillPatientText(item.patient, names);
    out->list->AddString(DrillRowText({DrillDateText(item.date), item.producer, item.kind, std::to_string(item.id),
                                       patient, item.code, item.description, DrillMoneyText(item.cents)}),
                         ++*ordinal);
    out->NotePatient(item.patient, std::move(patient));
    cents += item.cents;
  }
  return cents;
}
