// PresetMenu: the "Préréglages" button every tab has beside "&Générer".
//
// Its menu lists the presets of the tab's analysis, read from the practice
// database each time it opens (so a preset another workstation saved a
// minute ago is there), and:
//   a preset's name        loads it into the tab's controls (its keys, its
//                          period resolved on today), ready for "&Générer"
//   "Enregistrer sous…"    the tab's options under a name, with a period
//                          (a rule such as "Le mois dernier", or the tab's
//                          dates as fixed dates) and the format a batch run
//                          writes; an existing name asks to replace it
//   "Supprimer…"           a preset, after asking
// The tab says what its options are and how to show one (PresetHooks); the
// database calls are suite/presets.h.
//
//   presets_ = new PresetMenu(this, {"productivity", [this](Preset* p) { ... }, [this](const Preset& p, long from, long to) { ... }});
//   buttons->addWidget(presets_->Button());
#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <functional>
#include <string>

#include "suite/presets.h"

class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QenDialog;

struct PresetHooks {
  std::string analysis;  // "audit", "productivity", "stats", "goals"
  // Fills the preset's keys (every key of the tab's INI section, as its
  // controls hold them), flags and the tab's dates (from, to). False when a
  // control holds a value that cannot be kept (the tab has said why).
  std::function<bool(Preset* out)> collect;
  // Shows preset in the tab's controls, its period's dates from..to (0..0:
  // the dates its keys give).
  std::function<void(const Preset& preset, long from, long to)> apply;
};

// A tab's INI reader over a preset: the preset's value of a key, else
// fallback's (the INI: a key the preset was saved without).
using PresetKeyReader = std::function<std::string(const char* key, const char* def)>;
PresetKeyReader PresetReader(const Preset& preset, PresetKeyReader fallback);
// Appends key=value to preset's keys (a tab's INI writer into a preset).
void AddPresetKey(Preset* preset, const char* key, const std::string& value);

class PresetMenu : public QObject {
  Q_OBJECT
 public:
  PresetMenu(QenDialog* tab, PresetHooks hooks);
  ~PresetMenu() override;

  QPushButton* Button() const { return button_; }
  // The menu as it is shown: refilled from the database.
  QMenu* Menu();

  // The commands of the menu (public for the tests). Each says what went
  // wrong in a message box and returns false.
  bool Load(const std::string& name);
  // Saves the tab's options as name; an existing one is replaced after the
  // user agrees (or at once when replace is true).
  bool SaveAs(const std::string& name, PeriodRule period, const std::string& format, bool replace = false);
  bool Delete(const std::string& name);
  // "Enregistrer sous…": the save dialog, then SaveAs.
  void CmSaveAs();

 private:
  void Refill();
  QMessageBox::StandardButton Prompt(const QString& text, QMessageBox::Icon icon,
                                     QMessageBox::StandardButtons buttons) const;
  void Say(const QString& text, bool warning) const;
  // True when the user answers "Oui".
  bool Ask(const QString& text) const;

  QenDialog* tab_;
  PresetHooks hooks_;
  QPushButton* button_ = nullptr;
  QMenu* menu_ = nullptr;
};

// The dialog of "Enregistrer sous…": the name ("Nom :"), the period
// ("Période :", every rule of PeriodRules but the analysis's own dates
// when the tab has dates, "Dates fixes" meaning the tab's), the format
// ("Format :", xlsx, pdf, csv, tsv, text).
class PresetSaveDialog : public QDialog {
  Q_OBJECT
 public:
  PresetSaveDialog(QWidget* parent, const QString& caption);
  std::string Name() const;
  PeriodRule Period() const;
  std::string Format() const;
  QLineEdit* NameField() const { return name_; }
  QComboBox* PeriodField() const { return period_; }
  QComboBox* FormatField() const { return format_; }

 private:
  QLineEdit* name_;
  QComboBox* period_;
  QComboBox* format_;
};
