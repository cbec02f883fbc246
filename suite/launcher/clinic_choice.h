// The clinic choice of the suite window, beside the database: the clinics of
// the report database (suite/clinics.h ListClinics), then "Tous les
// cabinets". A database without clinics hides the choice and changes
// nothing.
//
//   a clinic             the application's connections (report and write)
//                        take its prefix, so every tab reads that clinic as
//                        with --prefix; no group
//   "Tous les cabinets"  the group of every clinic (QenApplication::
//                        SetGroupChoice): the tabs' "Générer" runs each
//                        clinic and the group's total; the prefix stays
//   "Base ouverte"       (only when the opening prefix is no clinic) that
//                        prefix again, no group
//
// The choice is made before the practice-analysis window opens: the tabs
// read their pick lists (users, producers, chairs) when they open, so the
// suite window disables the choice while the window is open.
#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QenApplication;

class ClinicChoice : public QWidget {
  Q_OBJECT
 public:
  // The text of the group's item, and the value --clinic takes for it.
  static const QString& AllClinicsText();
  static constexpr const char* kAllClinicsValue = "all";

  // Lists the clinics of app's report database (app->GetDb()); hidden when
  // there is none or they cannot be listed (ListError says why).
  ClinicChoice(QenApplication* app, QWidget* parent);

  bool HasClinics() const { return !clinics_.empty(); }
  const std::vector<std::string>& Clinics() const { return clinics_; }
  const std::string& ListError() const { return list_error_; }
  QComboBox* Box() const { return box_; }

  // Chooses by name, as --clinic does: a clinic's name ("c2") or prefix
  // ("c2."), or "all" for every clinic. False with the one line to print
  // (no clinic of that name, a database without clinics, a prefix that
  // could not be taken); the choice is then as it was.
  bool Choose(const QString& name, QString* error);

 signals:
  // A choice was applied (its item's text).
  void Chosen(const QString& text);

 private:
  // Applies item index; false with *error (the connections keep their prefix).
  bool Apply(int index, QString* error);

  QenApplication* app_;
  QLabel* label_;
  QComboBox* box_;
  std::vector<std::string> clinics_;
  std::string list_error_;
  int applied_ = -1;  // the item whose choice is in force
};
