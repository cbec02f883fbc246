// How the audit lists look wherever they are shown, printed or exported.
#pragma once

#include "lists/list_style.h"

class QenListWindow;

// The audit lists' emphasis: total rows (item data -1) of the detailed,
// summary and history lists (300, 301, 5111) and the "Tous" rows (item data
// 0) of the user and module lists (108, 109) are bold; nothing else changes.
bool AuditRowIsBold(int list_id, long item_data);
// The same rule as a style function over list (which must outlive it).
CellStyleFn AuditRowEmphasis(const QenListWindow* list);
