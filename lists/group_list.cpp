// ComposeGroupList: the clinics' lists and the group's total, one list.

#include "lists/group_list.h"

#include <utility>

#include "host/clinic_pool.h"

void ComposeGroupList(const std::vector<GroupPart>& parts, QenListWindow* out, std::vector<GroupRowOrigin>* origins) {
  out->ClearList();
  origins->clear();
  if (parts.empty() || parts.front().list == nullptr) return;
  out->SetColumns(parts.front().list->Columns());
  out->BeginBatch();
  for (size_t p = 0; p < parts.size(); ++p) {
    const QenListWindow* list = parts[p].list;
    out->AddString(parts[p].heading, kGroupHeadingData);
    origins->push_back({static_cast<int>(p), -1});
    if (list == nullptr) continue;
    for (int row = 0; row < list->GetCount(); ++row) {
      out->AddString(list->GetString(row), list->GetItemData(row));
      origins->push_back({static_cast<int>(p), row});
    }
  }
  out->EndBatch();
}

CellStyleFn GroupCellStyle(const std::vector<GroupRowOrigin>* origins, std::vector<CellStyleFn> part_styles) {
  return [origins, styles = std::move(part_styles)](int row, int column) {
    CellStyle style;
    if (row < 0 || static_cast<size_t>(row) >= origins->size()) return style;
    const GroupRowOrigin& o = (*origins)[static_cast<size_t>(row)];
    if (o.row < 0) {
      style.bold = true;
      return style;
    }
    const size_t part = static_cast<size_t>(o.part);
    return part < styles.size() && styles[part] ? styles[part](o.row, column) : style;
  };
}

void GroupColours(const std::vector<GroupRowOrigin>& origins, const std::vector<const TDList*>& part_colours,
                  TDList* out) {
  // The first row of each part's list in the group list.
  std::vector<int> first(part_colours.size(), -1);
  for (size_t row = 0; row < origins.size(); ++row) {
    const GroupRowOrigin& o = origins[row];
    if (o.row == 0 && static_cast<size_t>(o.part) < first.size()) first[o.part] = static_cast<int>(row);
  }
  for (size_t part = 0; part < part_colours.size(); ++part) {
    if (part_colours[part] == nullptr || first[part] < 0) continue;
    for (const ColorListElem* c : part_colours[part]->As<ColorListElem>()) {
      out->Append(new ColorListElem(first[part] + c->row, c->column, c->colour, c->kind));
    }
  }
}

GroupDrillPlace PlaceOfGroupDrill(const std::vector<GroupRowOrigin>& origins, size_t clinics,
                                  const DrillTarget& target) {
  GroupDrillPlace place;
  const std::string line = std::to_string(target.line + 1);
  if (target.line < 0 || static_cast<size_t>(target.line) >= origins.size()) {
    place.refused = "la ligne " + line + " dépasse la fin de la liste (" + std::to_string(origins.size()) + " lignes)";
    return place;
  }
  const GroupRowOrigin& o = origins[static_cast<size_t>(target.line)];
  if (o.row < 0) {
    place.refused = "la ligne " + line + " est le titre d'un cabinet";
  } else if (static_cast<size_t>(o.part) >= clinics) {
    place.refused = "la ligne " + line + " est du total du groupe : percez la même ligne dans la liste d'un cabinet";
  } else {
    place.part = o.part;
    place.target = {o.row, target.cell};
  }
  return place;
}

std::string ClinicHeading(const std::string& label, const std::string& practice_name) {
  return practice_name.empty() ? "Cabinet " + label : "Cabinet " + label + " — " + practice_name;
}

std::string GroupTotalHeading(size_t clinics) {
  return "Total du groupe (" + std::to_string(clinics) + (clinics == 1 ? " cabinet)" : " cabinets)");
}

std::vector<int> GroupHeadingRows(const std::vector<GroupRowOrigin>& origins) {
  std::vector<int> rows;
  for (size_t r = 0; r < origins.size(); ++r) {
    if (origins[r].row < 0) rows.push_back(static_cast<int>(r));
  }
  return rows;
}

std::unique_ptr<GenDB> OpenClinicDrillDb(const std::string& url, const std::string& prefix, DrillResult* result) {
  std::string error;
  std::unique_ptr<GenDB> db = OpenGenDB(url, prefix, DbAccess::kRead, &error);
  if (db == nullptr) result->outcome = RunOutcome::Failed("cabinet " + ClinicLabel(prefix) + " : " + error);
  return db;
}

DrillResult TitledForClinic(const std::string& heading, DrillResult result) {
  if (!heading.empty() && !result.title.empty()) result.title = heading + " — " + result.title;
  return result;
}

void CollectGroupColours(const std::vector<GroupPart>& parts, const std::vector<GroupRowOrigin>& origins,
                         const PartColourFn& collect, TDList* out) {
  std::vector<TDList> records(parts.size());
  std::vector<const TDList*> part_colours;
  for (size_t p = 0; p < parts.size(); ++p) {
    collect(*parts[p].list, &records[p]);
    part_colours.push_back(&records[p]);
  }
  GroupColours(origins, part_colours, out);
}
