// The suite's field classes: controls bound to members of a transfer record.
//
// Each field is a widget (created as a child of its dialog, laid out by the
// caller) that registers itself with the dialog under its control id, and
// moves one member of a plain struct when the dialog's UpdateDialog runs:
//
//   struct Options { long from; long to; char source; char track; short pct; long goal; };
//   new TDateField(this, 105, &options_.from);             // YYYYMMDD, 0 = none
//   new TMultButton(this, 111, &options_.source, 'A', "Courant");
//   new TMultButton(this, 112, &options_.source, 'H', "Archivé");
//   new TRegButton(this, 115, &options_.track, "Module de trace Entrées/Sorties?");  // 'Y'/'N'
//   new TSpinField(this, 133, &options_.pct, 0, 150);
//   new TAmount(this, 173, &options_.goal);                 // cents
//
// The record members must outlive the field. UpdateDialog(1) shows the
// members; UpdateDialog(0) checks every field, then stores them all (or
// none when one is invalid).
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QString>
#include <variant>

#include "host/qt/qen_dialog.h"

class TField {
 public:
  virtual ~TField();
  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  int Id() const { return id_; }
  TTavoDlg* Dialog() const { return dialog_; }
  virtual QWidget* Widget() = 0;

  // Record -> control.
  virtual void SetData() = 0;
  // True when the control holds a value that GetData can store; otherwise
  // false with *message (French) set.
  virtual bool Validate(QString* message) const;
  // Control -> record. REQUIRES: Validate() is true.
  virtual void GetData() = 0;
  // True when the control differs from what SetData showed last.
  virtual bool Changed() const = 0;

 protected:
  TField(TTavoDlg* dialog, int id);
  // Registers the field and its widget with the dialog; derived
  // constructors call it last.
  void Bind();
  // Tells the dialog (kFocusLost, kValueChanged) when it still exists.
  void NotifyDialog(Notify code);

 private:
  friend class TTavoDlg;  // clears dialog_ when the dialog goes first
  TTavoDlg* dialog_;
  int id_;
};

// Date field: a long YYYYMMDD, shown and typed as AAAA-MM-JJ ("2026-12-05";
// "20261205" is accepted too). Empty means 0 (no date). Anything else that
// is not a real calendar date is refused by Validate.
class TDateField : public QLineEdit, public TField {
  Q_OBJECT
 public:
  TDateField(TTavoDlg* dialog, int id, long* field);

  QWidget* Widget() override { return this; }
  void SetData() override;
  bool Validate(QString* message) const override;
  void GetData() override;
  bool Changed() const override;

  // Parses "AAAA-MM-JJ" or "AAAAMMJJ" (blanks around allowed). Returns the
  // date, 0 for an empty text, -1 when the text is not a valid date.
  static long ParseDate(const QString& text);
  static QString FormatDate(long date);  // "" for 0 or an invalid date
  // The date shown now (-1 when invalid).
  long Date() const { return ParseDate(text()); }
  void SetDate(long date) { setText(FormatDate(date)); }

 protected:
  void focusOutEvent(QFocusEvent* event) override;  // sends Notify::kFocusLost

 private:
  void OpenCalendar();

  long* field_;
  QString shown_;
};

// One radio button of a group: checked when the member holds `value`;
// stores `value` when it is the checked one. The buttons bound to the same
// member form one exclusive group (TTavoDlg::RadioGroup), wherever they are
// laid out; groups bound to different members never interfere.
class TMultButton : public QRadioButton, public TField {
  Q_OBJECT
 public:
  TMultButton(TTavoDlg* dialog, int id, char* field, char value, const QString& text = QString());

  QWidget* Widget() override { return this; }
  char Value() const { return value_; }
  void SetData() override;
  void GetData() override;
  bool Changed() const override;

 private:
  char* field_;
  char value_;
  bool shown_ = false;
};

// Check box storing 'Y' (checked) or 'N'.
class TRegButton : public QCheckBox, public TField {
  Q_OBJECT
 public:
  TRegButton(TTavoDlg* dialog, int id, char* field, const QString& text = QString());

  QWidget* Widget() override { return this; }
  void SetData() override;
  void GetData() override;
  bool Changed() const override;

 private:
  char* field_;
  bool shown_ = false;
};

// Spin field over a short, int or long member, limited to [minimum, maximum].
// A member outside the bounds is shown clamped; a typed text outside them
// (or not a number) is refused by Validate.
class TSpinField : public QSpinBox, public TField {
  Q_OBJECT
 public:
  TSpinField(TTavoDlg* dialog, int id, short* field, int minimum, int maximum);
  TSpinField(TTavoDlg* dialog, int id, int* field, int minimum, int maximum);
  TSpinField(TTavoDlg* dialog, int id, long* field, int minimum, int maximum);

  QWidget* Widget() override { return this; }
  void SetData() override;
  bool Validate(QString* message) const override;
  void GetData() override;
  bool Changed() const override;

 private:
  void Init(int minimum, int maximum);
  long Stored() const;

  std::variant<short*, int*, long*> field_;
  int shown_ = 0;
};

// Amount field over a long of cents, shown "1234.56" (negative "-12.50").
// Accepts a comma or a point as decimal mark, blanks between thousands, a
// leading or trailing "$", at most two decimals; empty means 0.
class TAmount : public QLineEdit, public TField {
  Q_OBJECT
 public:
  TAmount(TTavoDlg* dialog, int id, long* cents);

  QWidget* Widget() override { return this; }
  void SetData() override;
  bool Validate(QString* message) const override;
  void GetData() override;
  bool Changed() const override;

  // Cents of text; false when text is not an amount.
  static bool ParseCents(const QString& text, long* cents);
  static QString FormatCents(long cents);

 protected:
  void focusOutEvent(QFocusEvent* event) override;  // sends Notify::kFocusLost

 private:
  long* cents_;
  QString shown_;
};

// Text field over a char buffer of `capacity` bytes (terminator included);
// at most capacity-1 bytes are typed and stored.
class TRegEdit : public QLineEdit, public TField {
  Q_OBJECT
 public:
  TRegEdit(TTavoDlg* dialog, int id, char* buffer, int capacity);

  QWidget* Widget() override { return this; }
  void SetData() override;
  void GetData() override;
  bool Changed() const override;

 protected:
  void focusOutEvent(QFocusEvent* event) override;  // sends Notify::kFocusLost

 private:
  char* buffer_;
  int capacity_;
  QString shown_;
};
