#include "lists/qt/load_string_cbox.h"

#include <cstring>

#include "lists/list_style.h"

namespace {
constexpr int kValueRole = Qt::UserRole;
constexpr int kCodeRole = Qt::UserRole + 1;
}  // namespace

TLoadStringCBox::TLoadStringCBox(TTavoDlg* dialog, int id, char* field, int capacity)
    : QComboBox(dialog), TField(dialog, id), field_(field), capacity_(capacity) {
  setSizeAdjustPolicy(QComboBox::AdjustToContents);
  Bind();
}

void TLoadStringCBox::AddEntry(const QString& text, long value, const std::string& code) {
  const std::string c = code.empty() ? std::to_string(value) : code;
  addItem(text);
  setItemData(count() - 1, QVariant::fromValue<qlonglong>(value), kValueRole);
  setItemData(count() - 1, QString::fromStdString(c), kCodeRole);
}

void TLoadStringCBox::AddStringId(StringTable table, int id, int capacity) {
  std::string_view text = CutUtf8(LoadTableString(table, id), capacity > 1 ? capacity - 1 : 0);
  AddEntry(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), id);
}

void TLoadStringCBox::ClearEntries() { clear(); }

long TLoadStringCBox::ValueAt(int index) const {
  return index < 0 || index >= count() ? 0 : static_cast<long>(itemData(index, kValueRole).toLongLong());
}

std::string TLoadStringCBox::CodeAt(int index) const {
  return index < 0 || index >= count() ? std::string() : itemData(index, kCodeRole).toString().toStdString();
}

long TLoadStringCBox::SelectedValue() const { return ValueAt(currentIndex()); }

std::string TLoadStringCBox::SelectedCode() const { return CodeAt(currentIndex()); }

bool TLoadStringCBox::SelectCode(const std::string& code) {
  for (int i = 0; i < count(); ++i) {
    if (CodeAt(i) == code) {
      setCurrentIndex(i);
      return true;
    }
  }
  return false;
}

void TLoadStringCBox::SetData() {
  if (!field_ || capacity_ <= 0) return;
  const std::string code(field_, strnlen(field_, static_cast<size_t>(capacity_)));
  if (!SelectCode(code) && count() > 0) setCurrentIndex(0);
  shown_ = currentIndex();
}

void TLoadStringCBox::GetData() {
  if (!field_ || capacity_ <= 0) return;
  std::string_view code = CutUtf8(SelectedCode(), static_cast<size_t>(capacity_ - 1));
  if (!code.empty()) std::memcpy(field_, code.data(), code.size());
  field_[code.size()] = '\0';
}

bool TLoadStringCBox::Changed() const { return currentIndex() != shown_; }
