// TLoadStringCBox: the suite's combo box of string resources, bound to a
// code field of a dialog's transfer record.
//
// Each entry has a text (usually a string resource), a 32-bit item value
// and a code; the code of the selected entry is what the record holds
// (a 128-character field in the chart dialogs). By default an entry's code
// is its item value written with "%d", as for entries loaded from string
// ids; other boxes give their own codes ("1" to "5" in the audit chart).
//
//   auto* box = new TLoadStringCBox(dialog, 104, main_code_, sizeof main_code_);
//   box->AddStringId(StringTable::kHost, 10218);   // text of 10218, value 10218, code "10218"
//   box->AddEntry("Usager", 10218, "1");
//
// Derived boxes override LoadItems, which the owning chart dialog calls
// before showing the record (GraphBaseDialog::SetupWindow). UpdateDialog(1)
// selects the entry whose code the record holds (the first entry when none
// does); UpdateDialog(0) stores the selected entry's code ("" when empty).
#pragma once

#include <QComboBox>
#include <QString>
#include <string>

#include "host/qt/fields.h"
#include "host/strings.h"

class TLoadStringCBox : public QComboBox, public TField {
  Q_OBJECT
 public:
  // field: the record's code buffer of capacity bytes (terminator included).
  TLoadStringCBox(TTavoDlg* dialog, int id, char* field, int capacity);

  QWidget* Widget() override { return this; }
  void SetData() override;
  void GetData() override;
  bool Changed() const override;

  // Fills the entries; the base leaves them as they are.
  virtual void LoadItems() {}

  // Appends an entry; code "" means the value as "%d".
  void AddEntry(const QString& text, long value, const std::string& code = std::string());
  // Appends string id of table (text cut to capacity - 1 bytes), value id.
  void AddStringId(StringTable table, int id, int capacity = 64);
  void ClearEntries();

  // The selected entry (-1 = none): its value, code and text.
  long SelectedValue() const;
  std::string SelectedCode() const;
  QString SelectedText() const { return currentText(); }
  std::string CodeAt(int index) const;
  long ValueAt(int index) const;
  // Selects the entry with this code; false (selection unchanged) when none.
  bool SelectCode(const std::string& code);

 private:
  char* field_;
  int capacity_;
  int shown_ = -1;
};
