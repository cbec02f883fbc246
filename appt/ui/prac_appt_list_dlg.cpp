#include "appt/ui/prac_appt_list_dlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/application.h"
#include "host/gendb.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "host/qt/list_view.h"
#include "host/strings.h"
#include "suite/pick_lists.h"

PracApptListDlg::PracApptListDlg(QWidget* parent, PracApptSettings* settings)
    : TTavoDlg(parent, 2004), settings_(settings) {
  setWindowTitle(QStringLiteral("Codes Selectioné"));
  auto* box = new QVBoxLayout(this);
  list_ = new ListView(5111, this);
  LoadDialogListRes(list_->List(), 2004, 5111);
  AddControl(5111, list_);
  box->addWidget(list_, 1);
  auto* row = new QHBoxLayout;
  auto* clear = new QPushButton(QStringLiteral("&Effacer"), this);
  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  AddControl(101, clear);
  AddControl(1, ok);
  row->addStretch(1);
  row->addWidget(clear);
  row->addWidget(ok);
  box->addLayout(row);
  OnCommand(101, [this] {
    for (int r = 0; r < list_->List()->GetCount(); ++r) list_->List()->Check(r, false);
  });
  resize(360, 420);
}

PracApptListDlg::~PracApptListDlg() = default;

void PracApptListDlg::SetupWindow() {
  TTavoDlg::SetupWindow();
  const bool codes = settings_->ProdInfo == 'C';
  setWindowTitle(QString::fromUtf8(ModuleString(codes ? 72 : 73)));
  QenListWindow* list = list_->List();
  list->ClearList();
  QenApplication* app = QenApplication::Instance();
  GenDB* db = app != nullptr ? app->GetDb() : nullptr;
  if (db == nullptr) return;
  const std::string sql = ApptCodesSql(db->dbPrefix(), codes);
  db->dbExecute(sql.c_str(), 50);
  for (int r = db->dbFetch(0, 50); r == 0; r = db->dbFetch(1, 50)) {
    char code[16] = {}, desc[64] = {};
    db->dbGetString(1, code, sizeof code, 50);
    db->dbGetString(2, desc, sizeof desc, 50);
    BlankRowBreaks(desc);
    char text[96];
    std::snprintf(text, sizeof text, "%s \t%s", code, desc);
    const int row = list->AddString(text, 0);
    bool checked = false;
    for (int i = 0; i < kApptMaxSelected; ++i) {
      const char* entry = codes ? settings_->ApptCodes[i] : settings_->ApptTypes[i];
      if (entry[0] == '\0') break;
      checked = checked || std::strcmp(entry, code) == 0;
    }
    list->Check(row, checked);
  }
  db->dbClose(50);
}

void PracApptListDlg::CmOk() {
  const bool codes = settings_->ProdInfo == 'C';
  for (int i = 0; i < kApptMaxSelected; ++i) (codes ? settings_->ApptCodes[i] : settings_->ApptTypes[i])[0] = '\0';
  int taken = 0;
  const QenListWindow* list = list_->List();
  for (int r = 0; r < list->GetCount() && taken < kApptMaxSelected; ++r) {
    if (!list->IsChecked(r)) continue;
    std::string code(list->GetItemText(r, 0).substr(0, 15));
    while (!code.empty() && code.back() == ' ') code.pop_back();
    if (codes) {
      CopyField(settings_->ApptCodes[taken], code.c_str());
    } else {
      CopyField(settings_->ApptTypes[taken], code.c_str());
    }
    ++taken;
  }
  done(1);
}
