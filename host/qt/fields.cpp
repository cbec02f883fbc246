#include "host/qt/fields.h"

#include <QAction>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "host/dates.h"

// --- TField ------------------------------------------------------------------

TField::TField(TTavoDlg* dialog, int id) : dialog_(dialog), id_(id) {}

TField::~TField() {
  if (dialog_) dialog_->UnregisterField(this);
}

bool TField::Validate(QString* /*message*/) const { return true; }

void TField::Bind() {
  if (dialog_) dialog_->RegisterField(this);
}

void TField::NotifyDialog(Notify code) {
  if (dialog_) dialog_->SendNotify(id_, code);
}

// --- TDateField --------------------------------------------------------------

TDateField::TDateField(TTavoDlg* dialog, int id, long* field)
    : QLineEdit(dialog), TField(dialog, id), field_(field) {
  setPlaceholderText(QStringLiteral("AAAA-MM-JJ"));
  setMaxLength(10);
  setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9 -]{0,10}")), this));
  QAction* calendar = addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                QLineEdit::TrailingPosition);
  calendar->setToolTip(QStringLiteral("Calendrier"));
  connect(calendar, &QAction::triggered, this, &TDateField::OpenCalendar);
  Bind();
}

long TDateField::ParseDate(const QString& text) { return ParseDateText(text.toStdString()); }

QString TDateField::FormatDate(long date) {
  if (date == 0 || !tavo_valid_date(date)) return QString();
  char buffer[32];
  return QString::fromUtf8(ldate_to_str1(buffer, date, 530));
}

void TDateField::SetData() {
  shown_ = FormatDate(*field_);
  setText(shown_);
}

bool TDateField::Validate(QString* message) const {
  if (ParseDate(text()) >= 0) return true;
  if (message)
    *message = QStringLiteral("Date invalide : « %1 ». Entrez la date sous la forme AAAA-MM-JJ.")
                   .arg(text().trimmed());
  return false;
}

void TDateField::GetData() {
  const long date = ParseDate(text());
  if (date >= 0) *field_ = date;
}

bool TDateField::Changed() const { return text().trimmed() != shown_; }

void TDateField::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  NotifyDialog(Notify::kFocusLost);
}

void TDateField::OpenCalendar() {
  auto* popup = new QWidget(this, Qt::Popup);
  popup->setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(popup);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* calendar = new QCalendarWidget(popup);
  calendar->setLocale(QLocale(QLocale::French, QLocale::Canada));
  calendar->setFirstDayOfWeek(Qt::Sunday);
  const long shown = Date();
  if (shown > 0) calendar->setSelectedDate(QDate(shown / 10000, shown / 100 % 100, shown % 100));
  layout->addWidget(calendar);
  connect(calendar, &QCalendarWidget::activated, popup, [this, popup](const QDate& d) {
    SetDate(d.year() * 10000L + d.month() * 100L + d.day());
    popup->close();
  });
  connect(calendar, &QCalendarWidget::clicked, popup, [this, popup](const QDate& d) {
    SetDate(d.year() * 10000L + d.month() * 100L + d.day());
    popup->close();
  });
  popup->move(mapToGlobal(QPoint(0, height())));
  popup->show();
}

// --- TMultButton -------------------------------------------------------------

TMultButton::TMultButton(TTavoDlg* dialog, int id, char* field, char value, const QString& text)
    : QRadioButton(text, dialog), TField(dialog, id), field_(field), value_(value) {
  if (dialog) dialog->RadioGroup(field)->addButton(this);
  Bind();
}

void TMultButton::SetData() {
  shown_ = *field_ == value_;
  if (!shown_ && isChecked()) {
    // The checked button of an exclusive group refuses to uncheck itself.
    QButtonGroup* exclusive = group();
    if (exclusive) exclusive->setExclusive(false);
    setAutoExclusive(false);
    setChecked(false);
    setAutoExclusive(true);
    if (exclusive) exclusive->setExclusive(true);
  } else {
    setChecked(shown_);
  }
}

void TMultButton::GetData() {
  if (isChecked()) *field_ = value_;
}

bool TMultButton::Changed() const { return isChecked() != shown_; }

// --- TRegButton --------------------------------------------------------------

TRegButton::TRegButton(TTavoDlg* dialog, int id, char* field, const QString& text)
    : QCheckBox(text, dialog), TField(dialog, id), field_(field) {
  Bind();
}

void TRegButton::SetData() {
  shown_ = *field_ == 'Y';
  setChecked(shown_);
}

void TRegButton::GetData() { *field_ = isChecked() ? 'Y' : 'N'; }

bool TRegButton::Changed() const { return isChecked() != shown_; }

// --- TSpinField --------------------------------------------------------------

TSpinField::TSpinField(TTavoDlg* dialog, int id, short* field, int minimum, int maximum)
    : QSpinBox(dialog), TField(dialog, id), field_(field) {
  Init(minimum, maximum);
}

TSpinField::TSpinField(TTavoDlg* dialog, int id, int* field, int minimum, int maximum)
    : QSpinBox(dialog), TField(dialog, id), field_(field) {
  Init(minimum, maximum);
}

TSpinField::TSpinField(TTavoDlg* dialog, int id, long* field, int minimum, int maximum)
    : QSpinBox(dialog), TField(dialog, id), field_(field) {
  Init(minimum, maximum);
}

void TSpinField::Init(int minimum, int maximum) {
  setRange(minimum, std::max(minimum, maximum));
  setKeyboardTracking(false);
  Bind();
}

long TSpinField::Stored() const {
  return std::visit([](auto* p) { return static_cast<long>(*p); }, field_);
}

void TSpinField::SetData() {
  shown_ = static_cast<int>(std::clamp<long>(Stored(), minimum(), maximum()));
  setValue(shown_);
}

bool TSpinField::Validate(QString* message) const {
  if (hasAcceptableInput()) return true;
  if (message)
    *message = QStringLiteral("Valeur invalide : « %1 ». Entrez un nombre de %2 à %3.")
                   .arg(cleanText(), QString::number(minimum()), QString::number(maximum()));
  return false;
}

void TSpinField::GetData() {
  interpretText();
  const int v = value();
  std::visit([v](auto* p) { *p = static_cast<std::remove_reference_t<decltype(*p)>>(v); }, field_);
}

bool TSpinField::Changed() const { return value() != shown_ || !hasAcceptableInput(); }

// --- TAmount -----------------------------------------------------------------

namespace {
constexpr long long kMaxCents = 99'999'999'999LL;  // 999 999 999.99 $
}

TAmount::TAmount(TTavoDlg* dialog, int id, long* cents) : QLineEdit(dialog), TField(dialog, id), cents_(cents) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  Bind();
}

bool TAmount::ParseCents(const QString& text, long* cents) {
  QString t;
  for (QChar c : text)
    if (!c.isSpace() && c != QChar(0x202F)) t += c;  // blanks between thousands
  if (t.startsWith('$')) t.remove(0, 1);
  else if (t.endsWith('$')) t.chop(1);
  bool negative = false;
  if (t.startsWith('-')) {
    negative = true;
    t.remove(0, 1);
    if (t.startsWith('$')) t.remove(0, 1);
  }
  if (t.isEmpty()) {
    if (negative) return false;
    *cents = 0;
    return true;
  }
  static const QRegularExpression form(QStringLiteral("^(\\d*)(?:[.,](\\d{0,2}))?$"));
  const QRegularExpressionMatch m = form.match(t);
  if (!m.hasMatch() || (m.captured(1).isEmpty() && m.captured(2).isEmpty())) return false;
  const QString whole = m.captured(1);
  if (whole.size() > 12) return false;
  QString fraction = m.captured(2);
  while (fraction.size() < 2) fraction += '0';
  const long long value = whole.toLongLong() * 100 + fraction.toLongLong();
  if (value > kMaxCents) return false;
  *cents = static_cast<long>(negative ? -value : value);
  return true;
}

QString TAmount::FormatCents(long cents) {
  const long long v = cents;
  const unsigned long long magnitude = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : v;
  return QStringLiteral("%1%2.%3")
      .arg(v < 0 ? "-" : "")
      .arg(magnitude / 100)
      .arg(magnitude % 100, 2, 10, QChar('0'));
}

void TAmount::SetData() {
  shown_ = FormatCents(*cents_);
  setText(shown_);
}

bool TAmount::Validate(QString* message) const {
  long cents = 0;
  if (ParseCents(text(), &cents)) return true;
  if (message)
    *message = QStringLiteral("Montant invalide : « %1 ». Entrez un montant comme 1234.56.")
                   .arg(text().trimmed());
  return false;
}

void TAmount::GetData() {
  long cents = 0;
  if (ParseCents(text(), &cents)) *cents_ = cents;
}

bool TAmount::Changed() const {
  long now = 0;
  long before = 0;
  if (!ParseCents(text(), &now) || !ParseCents(shown_, &before)) return text() != shown_;
  return now != before;
}

void TAmount::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  NotifyDialog(Notify::kFocusLost);
}

// --- TRegEdit ----------------------------------------------------------------

TRegEdit::TRegEdit(TTavoDlg* dialog, int id, char* buffer, int capacity)
    : QLineEdit(dialog), TField(dialog, id), buffer_(buffer), capacity_(std::max(1, capacity)) {
  setMaxLength(capacity_ - 1);
  Bind();
}

void TRegEdit::SetData() {
  shown_ = QString::fromUtf8(buffer_, static_cast<qsizetype>(strnlen(buffer_, capacity_ - 1)));
  setText(shown_);
}

void TRegEdit::GetData() {
  QByteArray bytes = text().toUtf8();
  qsizetype n = std::min<qsizetype>(bytes.size(), capacity_ - 1);
  // Never cut a UTF-8 sequence in two.
  while (n > 0 && n < bytes.size() && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80) --n;
  std::memcpy(buffer_, bytes.constData(), static_cast<size_t>(n));
  buffer_[n] = '\0';
}

bool TRegEdit::Changed() const { return text() != shown_; }

void TRegEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  NotifyDialog(Notify::kFocusLost);
}
