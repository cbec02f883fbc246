#include "goals/ui/goals_fields.h"

#include <QLineEdit>
#include <cstring>
#include <set>

#include "host/gendb.h"
#include "suite/goal_info.h"
#include "suite/pick_lists.h"

namespace {

void Store(const QString& text, char* field, int capacity) {
  const QByteArray bytes = text.trimmed().toUtf8();
  const int n = std::min<int>(static_cast<int>(bytes.size()), capacity - 1);
  std::memcpy(field, bytes.constData(), static_cast<size_t>(n));
  field[n] = '\0';
}

// The code part of an entry "D01 - Dubé, Alain".
QString CodeOf(const QString& text) { return text.section(QLatin1Char(' '), 0, 0); }

}  // namespace

GoalsCBox::GoalsCBox(TTavoDlg* dialog, int id, char* field, int capacity, bool with_empty)
    : QComboBox(dialog), TField(dialog, id), field_(field), capacity_(capacity), with_empty_(with_empty) {
  setEditable(true);
  lineEdit()->setMaxLength(capacity - 1);
  setMinimumContentsLength(5);
  if (with_empty_) addItem(QString());
  Bind();
}

void GoalsCBox::LoadYears(GenDB* db) {
  const QString text = currentText();
  clear();
  if (with_empty_) addItem(QString());
  for (int year : LoadGoalYears(db)) addItem(QString::number(year));
  setCurrentText(text);
}

void GoalsCBox::SetData() {
  shown_ = QString::fromUtf8(field_, static_cast<qsizetype>(strnlen(field_, capacity_ - 1)));
  const int at = findText(shown_);
  if (at >= 0) setCurrentIndex(at);
  setCurrentText(shown_);
}

void GoalsCBox::GetData() { Store(currentText(), field_, capacity_); }
bool GoalsCBox::Changed() const { return currentText() != shown_; }

TProdSearchCBox::TProdSearchCBox(TTavoDlg* dialog, int id, char* field, int capacity)
    : QComboBox(dialog), TField(dialog, id), field_(field), capacity_(capacity) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  Bind();
}

void TProdSearchCBox::LoadProducers(GenDB* db) {
  clear();
  if (db == nullptr) return;
  const std::string sql = AllProducersSql(db->dbPrefix());
  std::set<char> groups;
  if (db->dbExecute(sql.c_str(), 25) == 0) {
    for (int r = db->dbFetch(0, 25); r == 0; r = db->dbFetch(1, 25)) {
      std::string code, last, first;
      db->dbGetField(1, &code, 25, true);
      db->dbGetField(2, &last, 25, true);
      db->dbGetField(3, &first, 25, true);
      if (code.empty()) continue;
      groups.insert(code[0]);
      addItem(QString::fromStdString(code + " - " + last + ", " + first));
    }
  }
  db->dbClose(25);
  for (char g : groups) addItem(QString(QLatin1Char(g)) + QStringLiteral("*"));
  addItem(QStringLiteral("*"));
}

QStringList TProdSearchCBox::Codes() const {
  QStringList out;
  for (int i = 0; i < count(); ++i) out << CodeOf(itemText(i));
  return out;
}

void TProdSearchCBox::SetData() {
  shown_ = QString::fromUtf8(field_, static_cast<qsizetype>(strnlen(field_, capacity_ - 1)));
  for (int i = 0; i < count(); ++i) {
    if (CodeOf(itemText(i)) == shown_) {
      setCurrentIndex(i);
      return;
    }
  }
  setCurrentIndex(-1);
  setCurrentText(shown_);
}

void TProdSearchCBox::GetData() { Store(CodeOf(currentText().trimmed()), field_, capacity_); }
bool TProdSearchCBox::Changed() const { return CodeOf(currentText().trimmed()) != shown_; }
