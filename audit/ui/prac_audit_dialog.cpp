#include "audit/ui/prac_audit_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>

#include "audit/audit_generator.h"
#include "audit/audit_options.h"
#include "audit/ui/audit_dialog.h"
#include "audit/ui/audit_list_tools.h"
#include "host/application.h"
#include "host/list_layout.h"
#include "host/list_window.h"
#include "host/qt/fields.h"
#include "host/qt/list_view.h"

namespace {
// The first layout of the dialog (its template, in pixels).
constexpr int kWidth = 860;
constexpr int kHeight = 460;
constexpr int kMargin = 10;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 28;
}  // namespace

PracAuditDialog::PracAuditDialog(QWidget* parent, long launcher_info, long record_id, long module_id,
                                 long account_id)
    : TGenDlg(parent, 2006, launcher_info),
      options_(std::make_unique<AuditOptions>()),
      record_id_(record_id),
      module_id_(module_id),
      account_id_(account_id),
      ini_(QenApplication::Instance() ? QenApplication::Instance()->GetINI() : std::string()) {
  setWindowTitle(QStringLiteral("Historique des Audits"));
  setSizeGripEnabled(true);

  auto* from_label = new QLabel(QStringLiteral("De :"), this);
  auto* from = new TDateField(this, kFromDate, &options_->from_date);
  auto* to_label = new QLabel(QStringLiteral("À  :"), this);
  auto* to = new TDateField(this, kToDate, &options_->to_date);
  from->setParent(this);
  to->setParent(this);
  from_label->setGeometry(kMargin, kMargin + 4, 30, 20);
  from->setGeometry(kMargin + 32, kMargin, 110, 26);
  to_label->setGeometry(kMargin + 160, kMargin + 4, 30, 20);
  to->setGeometry(kMargin + 192, kMargin, 110, 26);

  auto* generate = new QPushButton(QStringLiteral("&Générer"), this);
  auto* cancel = new QPushButton(QStringLiteral("&Annuler"), this);
  generate->setDefault(true);
  AddControl(kCmGenerate, generate);
  AddControl(2, cancel);
  generate_ = generate;
  cancel_ = cancel;
  generate->setGeometry(kWidth - 2 * (kButtonWidth + kMargin), kMargin, kButtonWidth, kButtonHeight);
  cancel->setGeometry(kWidth - (kButtonWidth + kMargin), kMargin, kButtonWidth, kButtonHeight);

  view_ = new ListView(kList, this);
  LoadDialogListRes(view_->List(), 2006, kList);
  AddControl(kList, view_);
  InstallAuditRowEmphasis(view_);
  tools_ = new AuditListTools(
      this, view_, [this] { return AuditShownList{List(), view_, 0}; }, options_.get(), 1000, launcher_info);
  int top = kMargin + kButtonHeight + kMargin;
  view_->setGeometry(kMargin, top, kWidth - 2 * kMargin, kHeight - top - kMargin);

  OnCommand(kCmGenerate, &PracAuditDialog::CmGenerate);
  resize(kWidth, kHeight);
}

PracAuditDialog::~PracAuditDialog() = default;

QenListWindow* PracAuditDialog::List() const { return view_->List(); }

void PracAuditDialog::SetupWindow() {
  TGenDlg::SetupWindow();
  // The first places, kept for resizing.
  initial_client_ = QSize(kWidth, kHeight);
  initial_generate_ = generate_->geometry();
  initial_cancel_ = cancel_->geometry();
  initial_list_ = view_->geometry();
  int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
  int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
  setMinimumSize(initial_client_.width() * 8 / 10 + 2 * frame,
                 initial_client_.height() / 2 + 2 * frame + caption);

  ReadAuditHistoryOptions(IniReaderOf(ini_), module_id_, options_.get());
  UpdateDialog(1);
  CmGenerate();
}

void PracAuditDialog::CmGenerate() {
  if (!UpdateDialog(0)) return;
  List()->ClearList();
  PracAuditGenerator generator(ApplicationDb(), static_cast<QWidget*>(this), options_.get(), record_id_, account_id_);
  {
    ListBatch batch(List());  // the view hears of the rows in a few steps
    generator.Generate(List());
  }
  FitResultColumns(view_);
  last_outcome_ = generator.Outcome();
  ShowOutcome(last_outcome_);
}

void PracAuditDialog::resizeEvent(QResizeEvent* event) {
  TGenDlg::resizeEvent(event);
  if (initial_client_.isEmpty()) return;
  PlaceControls();
}

void PracAuditDialog::PlaceControls() {
  int dx = width() - initial_client_.width();
  int dy = height() - initial_client_.height();
  generate_->move(initial_generate_.x() + dx, initial_generate_.y());
  cancel_->move(initial_cancel_.x() + dx, initial_cancel_.y());
  view_->setGeometry(initial_list_.x(), initial_list_.y(), std::max(40, initial_list_.width() + dx),
                     std::max(40, initial_list_.height() + dy));
  view_->FitColumnsToWidth();
}
