#include "audit/audit_style.h"

#include "host/list_window.h"

bool AuditRowIsBold(int list_id, long item_data) {
  switch (list_id) {
    case 300:
    case 301:
    case 5111:
      return item_data == -1;
    case 108:
    case 109:
      return item_data == 0;
    default:
      return false;
  }
}

CellStyleFn AuditRowEmphasis(const QenListWindow* list) {
  return [list](int row, int /*column*/) {
    CellStyle style;
    style.bold = AuditRowIsBold(list->Id(), list->GetItemData(row));
    return style;
  };
}
