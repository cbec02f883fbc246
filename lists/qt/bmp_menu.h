// TBmpMenu: the suite's bitmap menus. When they are on, RemapMenu dresses a
// menu before it opens: each item whose command has a picture gets it. The
// module's list commands have theirs:
//
//   4000 "&Imprimer Liste"       theme "document-print"        res/icons/print
//   4001 "&Exporter à Excel"     theme "x-office-spreadsheet"  res/icons/export
//   4002 "&Données Diagramme..." theme "office-chart-bar"      res/icons/chart
//   4004 "Générer"               theme "view-refresh"          res/icons/generate
//   4005 "Imprimer &Tous"        (none)                        res/icons/print-all
//   4006 "&Filtre..."            theme "view-filter"           res/icons/filter
//
// The desktop's icon theme wins when it has the name; our pictures (16 and
// 32 pixels, compiled in) stand in otherwise, so a menu looks the same with
// or without a theme. Bitmap menus are on unless the suite's INI file says
// [SUITE] BitmapMenus=N.
//
// MakeListMenu builds a list's right-click menu from ListMenuEntries (the
// rules in lists/list_menu.h) with its pictures, for every tab:
//
//   std::unique_ptr<QMenu> menu = MakeListMenu(dialog, ListMenuEntries(state));
//   menu->exec(global_pos);
#pragma once

#include <QIcon>
#include <memory>
#include <vector>

#include "lists/list_menu.h"

class QMenu;
class QenDialog;

class TBmpMenu {
 public:
  // Whether the suite's bitmap menus are on (read from its INI file each time).
  static bool Enabled();
  // The picture of a menu command; a null icon for a command without one.
  static QIcon CommandIcon(int command);
  // Gives each action of menu (and of its submenus) whose data() holds a
  // command with a picture that picture. Returns how many got one.
  static int RemapMenu(QMenu* menu);
};

// The menu of entries (separators included), each action sending its
// command to dialog (QenDialog::AddMenuCommand) and enabled as the entry
// says; remapped when bitmap menus are on. dialog owns the menu's parent
// link; the caller owns the menu.
std::unique_ptr<QMenu> MakeListMenu(QenDialog* dialog, const std::vector<MenuEntry>& entries);
