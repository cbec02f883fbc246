#include "host/qt/qt_meter.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QWidget>
#include <climits>

QtMeter::QtMeter(QWidget* parent) : parent_(parent) {}

QtMeter::~QtMeter() { Close(); }

void QtMeter::Open(const std::string& title, long maximum) {
  Close();
  title_ = title;
  maximum_ = maximum > 0 ? maximum : 0;
  scale_ = 1;
  while (maximum_ / scale_ > INT_MAX) scale_ *= 2;
  value_ = 0;
  refreshes_ = 0;
  calls_to_clock_read_ = 1;
  cancelled_ = false;
  auto* dialog = new QProgressDialog(parent_);
  dialog->setWindowTitle(QCoreApplication::applicationName());
  dialog->setLabelText(Label());
  dialog->setCancelButtonText(QStringLiteral("Annuler"));
  dialog->setWindowModality(Qt::WindowModal);
  dialog->setAutoClose(false);
  dialog->setAutoReset(false);
  // Short runs finish before the dialog would appear.
  dialog->setMinimumDuration(400);
  dialog->setRange(0, static_cast<int>(maximum_ / scale_));
  dialog->setValue(0);
  QObject::connect(dialog, &QProgressDialog::canceled, dialog, [this] { cancelled_ = true; });
  dialog_ = dialog;
  timer_.start();
}

void QtMeter::SetCounter(long value) {
  value_ = value;
  // The clock is read once every kCallsPerClockRead calls.
  if (maximum_ > kFewSteps && --calls_to_clock_read_ > 0) return;
  calls_to_clock_read_ = kCallsPerClockRead;
  if (!dialog_ || timer_.elapsed() < kRefreshIntervalMs) return;
  Refresh();
}

void QtMeter::Refresh() {
  timer_.restart();
  ++refreshes_;
  long v = value_ < 0 ? 0 : (value_ > maximum_ ? maximum_ : value_);
  if (title_.find('%') != std::string::npos) dialog_->setLabelText(Label());
  dialog_->setValue(static_cast<int>(v / scale_));
  // setValue pumps events only once the dialog is shown; the cancel button
  // and repaints need them before that too.
  QCoreApplication::processEvents();
}

// A title may name the counter and the maximum: "Cabinet %v de %m" reads
// "Cabinet 2 de 3" once two steps are done.
QString QtMeter::Label() const {
  QString text = QString::fromStdString(title_);
  if (!text.contains('%')) return text;
  const long v = value_ < 0 ? 0 : (value_ > maximum_ ? maximum_ : value_);
  text.replace(QStringLiteral("%v"), QString::number(v));
  text.replace(QStringLiteral("%m"), QString::number(maximum_));
  return text;
}

bool QtMeter::Cancelled() {
  if (dialog_ && dialog_->wasCanceled()) cancelled_ = true;
  return cancelled_;
}

void QtMeter::Close() {
  if (dialog_) {
    QProgressDialog* dialog = dialog_;
    dialog_ = nullptr;
    dialog->hide();
    delete dialog;
  }
}

void InstallQtMeterFactory() {
  SetMeterFactory([](HWindow parent) -> std::unique_ptr<MeterImpl> {
    return std::make_unique<QtMeter>(static_cast<QWidget*>(parent));
  });
}
