#include "shell/main_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QVBoxLayout>

#include "appt/ui/appt_dialog.h"
#include "audit/ui/audit_dialog.h"
#include "audit/ui/audit_list_tools.h"
#include "goals/ui/goals_dialog.h"
#include "host/qt/ml_tooltip.h"
#include "host/strings.h"
#include "stats/stats_productivity.h"
#include "bridge/appt_productivity_source.h"
#include "host/application.h"
#include "stats/ui/stats_dialog.h"

QenVantraMainDialog::QenVantraMainDialog(QWidget* parent, int resource_id, QenDllHandler* module)
    : QenDialog(parent, resource_id), module_(module) {
  // The module's name for the suite (host string of module 2534).
  setWindowTitle(QString::fromUtf8(HostString(5159)));
  SetBkgndColor(QColor(219, 226, 236));
  tabs_ = new QenVantraTabCtrl(kTabCtrlId, this, QColor(219, 226, 236));
  AddControl(kTabCtrlId, tabs_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(tabs_);

  // The launcher information the window was opened with (none here).
  const long launcher_info = 0;
  audit_ = new PracListDialog(tabs_, 2001, launcher_info, module_);
  appt_ = new PracApptDialog(tabs_, 2003, launcher_info, module_);
  stats_ = new PracStatDialog(tabs_, 2007, launcher_info, module_);
  goals_ = new PracGoalsDialog(tabs_, 2009, launcher_info, module_);
  const QenApplication* app = QenApplication::Instance();
  productivity_ = std::make_unique<ApptProductivitySource>(app ? app->GetDb() : nullptr, static_cast<QWidget*>(stats_),
                                                           launcher_info);
  stats_->SetProductivitySource(productivity_.get());
  // Appointments, production items and patients in the drill windows open
  // their patient's audit history, which the audit tab computes.
  const HistoryOpener history = PatientHistoryOpener(launcher_info);
  appt_->SetHistoryOpener(history);
  stats_->SetHistoryOpener(history);
  goals_->SetHistoryOpener(history);
  tabs_->AddPage(59, audit_, 0, QColor(151, 43, 174), 0);
  tabs_->AddPage(71, appt_, 1, QColor(231, 211, 231), 0);
  tabs_->AddPage(82, stats_, 2, QColor(198, 166, 198), 0);
  tabs_->AddPage(93, goals_, 3, QColor(231, 211, 231), 0);

  resize(1100, 720);
}

QenVantraMainDialog::~QenVantraMainDialog() {
  qApp->removeEventFilter(this);
}

QenMLTooltip* QenVantraMainDialog::Tooltip() const { return tooltip_.data(); }

void QenVantraMainDialog::SetupWindow() {
  QenDialog::SetupWindow();
  tooltip_ = new QenMLTooltip(this);
  tooltip_->Activate(true);  // TTM_ACTIVATE
  qApp->installEventFilter(this);
}

bool QenVantraMainDialog::eventFilter(QObject* watched, QEvent* event) {
  // Mouse messages (the suite's 512..525) of this dialog and its
  // descendants go to the tooltip first; nothing is consumed.
  switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      if (tooltip_ && watched->isWidgetType()) {
        auto* target = static_cast<QWidget*>(watched);
        if (target == this || isAncestorOf(target)) tooltip_->RelayEvent(target, event);
      }
      break;
    default:
      break;
  }
  return QenDialog::eventFilter(watched, event);
}

void QenVantraMainDialog::closeEvent(QCloseEvent* event) { event->accept(); }
