// ComposeGroupList: the clinics' lists and the group's total, one list.

#include "lists/group_list.h"

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

std::string ClinicHeading(const std::string& label, const std::string& practice_name) {
  return practice_name.empty() ? "Cabinet " + label : "Cabinet " + label + " — " + practice_name;
}

std::string GroupTotalHeading(size_t clinics) {
  return "Total du groupe (" + std::to_string(clinics) + (clinics == 1 ? " cabinet)" : " cabinets)");
}
