// Two combo boxes of the suite that the goals dialogs bind to their records.
//
// GoalsCBox (TGenCBox of the suite): the years that have goals, as decimal
// text ("SELECT DISTINCT GOAL_YEAR FROM %sGOALS ORDER BY GOAL_YEAR", cursor
// 115), bound to a year text of 5 bytes; editable, so a year without goals
// can be typed (validation refuses it). with_empty adds an empty first entry
// (the comparison year: none).
//
// TProdSearchCBox: the producer search combo of the goal editor: the
// producers' codes with their names, then the groups ("D*" ...) and "*";
// editable, bound to a producer code of 4 bytes (3 characters).
#pragma once

#include <QComboBox>

#include "host/qt/fields.h"

class GenDB;

class GoalsCBox : public QComboBox, public TField {
  Q_OBJECT
 public:
  GoalsCBox(TTavoDlg* dialog, int id, char* field, int capacity, bool with_empty);

  QWidget* Widget() override { return this; }
  void SetData() override;
  void GetData() override;
  bool Changed() const override;

  // Reloads the years; keeps the text shown.
  void LoadYears(GenDB* db);

 private:
  char* field_;
  int capacity_;
  bool with_empty_;
  QString shown_;
};

class TProdSearchCBox : public QComboBox, public TField {
  Q_OBJECT
 public:
  TProdSearchCBox(TTavoDlg* dialog, int id, char* field, int capacity);

  QWidget* Widget() override { return this; }
  void SetData() override;
  void GetData() override;
  bool Changed() const override;

  // Every producer of PRODCD, then a group per first letter and "*".
  void LoadProducers(GenDB* db);
  // The codes offered (for the tests).
  QStringList Codes() const;

 private:
  char* field_;
  int capacity_;
  QString shown_;
};
