#include "lists/qt/bmp_menu.h"

#include <QAction>
#include <QMenu>
#include <cctype>

#include "host/application.h"
#include "host/ini.h"
#include "host/qt/qen_dialog.h"

namespace {

struct CommandPicture {
  int command;
  const char* theme;  // "" = none in the freedesktop names
  const char* ours;   // base name in res/icons
};

constexpr CommandPicture kPictures[] = {
    {kCmPrintList, "document-print", "print"},       {kCmExportList, "x-office-spreadsheet", "export"},
    {kCmChartData, "office-chart-bar", "chart"},     {kCmGenerateAll, "view-refresh", "generate"},
    {kCmPrintAll, "", "print-all"},                  {kCmListFilter, "view-filter", "filter"},
    {kCmDrillCell, "zoom-in", "details"},
};

QIcon OurIcon(const char* name) {
  QIcon icon;
  for (int size : {16, 32}) {
    icon.addFile(QStringLiteral(":/vantra/icons/%1-%2.png").arg(QLatin1String(name)).arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace

bool TBmpMenu::Enabled() {
  const QenApplication* app = QenApplication::Instance();
  if (!app || app->GetINI().empty()) return true;
  const std::string value = WDIniObj(app->GetINI()).read_secini("SUITE", "BitmapMenus", "Y");
  return value.empty() || std::toupper(static_cast<unsigned char>(value[0])) != 'N';
}

QIcon TBmpMenu::CommandIcon(int command) {
  for (const CommandPicture& p : kPictures) {
    if (p.command != command) continue;
    const QIcon ours = OurIcon(p.ours);
    return *p.theme ? QIcon::fromTheme(QLatin1String(p.theme), ours) : ours;
  }
  return QIcon();
}

int TBmpMenu::RemapMenu(QMenu* menu) {
  if (!menu) return 0;
  int dressed = 0;
  for (QAction* action : menu->actions()) {
    if (action->menu()) dressed += RemapMenu(action->menu());
    bool ok = false;
    const int command = action->data().toInt(&ok);
    if (!ok) continue;
    const QIcon icon = CommandIcon(command);
    if (icon.isNull()) continue;
    action->setIcon(icon);
    ++dressed;
  }
  return dressed;
}

std::unique_ptr<QMenu> MakeListMenu(QenDialog* dialog, const std::vector<MenuEntry>& entries) {
  auto menu = std::make_unique<QMenu>(dialog);
  for (const MenuEntry& e : entries) {
    if (e.command == 0) {
      menu->addSeparator();
      continue;
    }
    QAction* action = dialog->AddMenuCommand(menu.get(), e.command, QString::fromUtf8(e.text));
    action->setEnabled(e.enabled);
  }
  if (TBmpMenu::Enabled()) TBmpMenu::RemapMenu(menu.get());
  return menu;
}
