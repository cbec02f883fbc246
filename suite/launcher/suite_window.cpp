#include "suite/launcher/suite_window.h"

#include "host/application.h"
#include "host/qt/qen_dialog.h"
#include "suite/launcher/clinic_choice.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>

namespace {
constexpr int kCmVantra = 2534;
constexpr int kCmPracAudit = 2544;
}  // namespace

SuiteWindow::SuiteWindow(QenDllHandler* handler, const QString& database_text)
    : handler_(handler), mdi_(new QMdiArea(this)), clinics_(new ClinicChoice(QenApplication::Instance(), this)) {
  setWindowTitle(QStringLiteral("Cabinet Tolvane"));
  mdi_->setBackground(QColor(96, 110, 130));
  setCentralWidget(mdi_);

  QMenu* file = menuBar()->addMenu(QStringLiteral("&Fichier"));
  file->addAction(QStringLiteral("&Quitter"), QKeySequence::Quit, this, &QWidget::close);

  QMenu* reports = menuBar()->addMenu(QStringLiteral("&Rapports"));
  QAction* analysis = reports->addAction(QStringLiteral("&Analyse de la pratique"));
  analysis->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  connect(analysis, &QAction::triggered, this, [this] { SendModuleCommand(kCmVantra); });
  QAction* history = reports->addAction(QStringLiteral("&Historique des audits..."));
  history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  connect(history, &QAction::triggered, this, &SuiteWindow::AskAuditHistory);

  QMenu* window = menuBar()->addMenu(QStringLiteral("Fe&nêtre"));
  window->addAction(QStringLiteral("&Cascade"), mdi_, &QMdiArea::cascadeSubWindows);
  window->addAction(QStringLiteral("&Mosaïque"), mdi_, &QMdiArea::tileSubWindows);

  statusBar()->showMessage(database_text);
  statusBar()->addPermanentWidget(clinics_);
  resize(1280, 860);
}

SuiteWindow::~SuiteWindow() = default;

bool SuiteWindow::SendModuleCommand(int command) {
  if (!handler_) {
    // Through the suite's prompt, which a scripted run answers itself (a
    // message box of its own would wait for a click nobody makes).
    PromptRequest say;
    say.parent = this;
    say.caption = windowTitle();
    say.text = QStringLiteral("Le module d'analyse de la pratique n'est pas chargé.");
    say.icon = QMessageBox::Warning;
    QenDialog::Prompt(say);
    return false;
  }
  handler_->SetData(nullptr);
  const bool sent = handler_->SendCommand(command);
  UpdateClinicChoice();
  return sent;
}

void SuiteWindow::UpdateClinicChoice() {
  bool open = false;
  for (QMdiSubWindow* child : mdi_->subWindowList()) {
    // Told once per window: when it goes, the choice may come back.
    if (!child->property("vantraWatched").toBool()) {
      child->setProperty("vantraWatched", true);
      connect(child, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, [this] { UpdateClinicChoice(); }); });
    }
    open = true;
  }
  clinics_->setEnabled(!open);
  clinics_->setToolTip(open ? QStringLiteral("Fermez l'analyse de la pratique pour changer de cabinet") : QString());
}

void SuiteWindow::SendAuditHistory(long record_id, long module_id, long account_id) {
  if (!handler_) return;
  data_ = HandlerData();
  data_.word[0] = reinterpret_cast<intptr_t>(static_cast<QWidget*>(this));
  data_.word[1] = record_id;
  data_.word[2] = account_id;
  data_.word[4] = 0;
  data_.word[5] = module_id;
  handler_->SetData(&data_);
  handler_->SendCommand(kCmPracAudit);
  handler_->SetData(nullptr);
}

void SuiteWindow::AskAuditHistory() {
  QDialog ask(this);
  ask.setWindowTitle(QStringLiteral("Historique des audits"));
  auto* form = new QFormLayout(&ask);
  auto* record = new QSpinBox(&ask);
  record->setRange(0, 2147483647);
  auto* module = new QSpinBox(&ask);
  module->setRange(0, 99999);
  module->setValue(20105);
  auto* account = new QSpinBox(&ask);
  account->setRange(0, 2147483647);
  form->addRow(QStringLiteral("No de la fiche :"), record);
  form->addRow(QStringLiteral("Module (20105 patient, 20120 références, 20160 médical) :"), module);
  form->addRow(QStringLiteral("No du compte :"), account);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
  if (ask.exec() != QDialog::Accepted) return;
  SendAuditHistory(record->value(), module->value(), account->value());
}
