// How the productivity result list is drawn: the colour options applied to
// each cell (the tab's custom drawing, the printout, the export and the
// command line's pdf all use this one rule).
//
//   row kind of a cell: 9 for column 0, else the row's item data
//   kind 0 (grand total, blank line; columns 1 on): default colour, bold
//   other kinds: colour index (ApptColourIndex); its colour when not 0 (and a
//     text record), bold when its flag is 'Y' or the row's item data is 0
//   usage rows (kind 7), columns 2 on: the first usage range holding the
//     percentage gives the background (and a background record); none: white
#pragma once

#include "appt/appt_options.h"
#include "lists/list_style.h"

class QenListWindow;

// The style of one cell.
CellStyle ApptCellStyle(const QenListWindow& list, const ApptColourOptions& colours, int row, int column);

// Appends to records one ColorListElem per coloured cell of the list (what
// the window records while drawing), row by row.
void CollectApptColours(const QenListWindow& list, const ApptColourOptions& colours, TDList* records);
