#include "lists/qt/preset_menu.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <vector>

#include "host/application.h"
#include "host/dates.h"
#include "host/qt/qen_dialog.h"

namespace {

QString Utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

const char* const kFormats[] = {"xlsx", "pdf", "csv", "tsv", "text"};

}  // namespace

PresetKeyReader PresetReader(const Preset& preset, PresetKeyReader fallback) {
  return [keys = preset.keys, fallback = std::move(fallback)](const char* key, const char* def) -> std::string {
    for (const auto& [k, v] : keys) {
      if (k == key) return v;
    }
    return fallback ? fallback(key, def) : std::string(def != nullptr ? def : "");
  };
}

void AddPresetKey(Preset* preset, const char* key, const std::string& value) {
  for (auto& [k, v] : preset->keys) {
    if (k == key) {
      v = value;
      return;
    }
  }
  preset->keys.emplace_back(key, value);
}

PresetMenu::PresetMenu(QenDialog* tab, PresetHooks hooks) : QObject(tab), tab_(tab), hooks_(std::move(hooks)) {
  button_ = new QPushButton(QStringLiteral("&Préréglages"), tab);
  button_->setAutoDefault(false);
  menu_ = new QMenu(button_);
  button_->setMenu(menu_);
  connect(menu_, &QMenu::aboutToShow, this, [this] { Refill(); });
}

PresetMenu::~PresetMenu() = default;

QMenu* PresetMenu::Menu() {
  Refill();
  return menu_;
}

QMessageBox::StandardButton PresetMenu::Prompt(const QString& text, QMessageBox::Icon icon,
                                               QMessageBox::StandardButtons buttons) const {
  PromptRequest ask;
  ask.parent = tab_;
  ask.caption = QStringLiteral("Préréglages");
  ask.text = text;
  ask.icon = icon;
  ask.buttons = buttons;
  return QenDialog::Prompt(ask);
}

void PresetMenu::Say(const QString& text, bool warning) const {
  Prompt(text, warning ? QMessageBox::Warning : QMessageBox::Information, QMessageBox::Ok);
}

bool PresetMenu::Ask(const QString& text) const {
  return Prompt(text, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void PresetMenu::Refill() {
  menu_->clear();
  std::vector<Preset> presets;
  std::string error;
  if (!ListPresets(ApplicationWriteDb(), hooks_.analysis, &presets, &error)) {
    QAction* failed = menu_->addAction(QStringLiteral("(lecture impossible : %1)").arg(Utf8(error)));
    failed->setEnabled(false);
  } else if (presets.empty()) {
    menu_->addAction(QStringLiteral("(aucun préréglage)"))->setEnabled(false);
  }
  for (const Preset& p : presets) {
    QAction* load = menu_->addAction(Utf8(p.name));
    const std::string name = p.name;
    connect(load, &QAction::triggered, this, [this, name] { Load(name); });
  }
  menu_->addSeparator();
  connect(menu_->addAction(QStringLiteral("&Enregistrer sous…")), &QAction::triggered, this, [this] { CmSaveAs(); });
  QMenu* remove = menu_->addMenu(QStringLiteral("&Supprimer…"));
  remove->setEnabled(!presets.empty());
  for (const Preset& p : presets) {
    const std::string name = p.name;
    connect(remove->addAction(Utf8(p.name)), &QAction::triggered, this, [this, name] { Delete(name); });
  }
}

bool PresetMenu::Load(const std::string& name) {
  std::vector<Preset> found;
  std::string error;
  if (!FindPresets(ApplicationWriteDb(), hooks_.analysis, name, &found, &error)) {
    Say(QStringLiteral("Le préréglage « %1 » n'a pas pu être lu : %2").arg(Utf8(name), Utf8(error)), true);
    return false;
  }
  if (found.empty()) {
    Say(QStringLiteral("Le préréglage « %1 » n'existe plus.").arg(Utf8(name)), true);
    return false;
  }
  long from = 0, to = 0;
  ResolvePeriod(found[0].period, ldate_today(), found[0].from, found[0].to, &from, &to);
  hooks_.apply(found[0], from, to);
  return true;
}

bool PresetMenu::SaveAs(const std::string& name, PeriodRule period, const std::string& format, bool replace) {
  const std::string bad = CheckPresetName(name);
  if (!bad.empty()) {
    Say(Utf8(bad), true);
    return false;
  }
  Preset preset;
  preset.analysis = hooks_.analysis;
  preset.name = name;
  preset.format = format;
  if (!hooks_.collect(&preset)) return false;
  preset.period = period;
  if (period != PeriodRule::kFixed) {
    preset.from = 0;
    preset.to = 0;
  }
  std::string error;
  PresetSaveResult saved = SavePreset(ApplicationWriteDb(), &preset, replace, &error);
  if (saved == PresetSaveResult::kExists) {
    if (!Ask(QStringLiteral("Le préréglage « %1 » existe déjà. Voulez-vous le remplacer ?").arg(Utf8(name)))) {
      return false;
    }
    saved = SavePreset(ApplicationWriteDb(), &preset, true, &error);
  }
  if (saved != PresetSaveResult::kSaved) {
    Say(QStringLiteral("Le préréglage « %1 » n'a pas été enregistré : %2").arg(Utf8(name), Utf8(error)), true);
    return false;
  }
  return true;
}

bool PresetMenu::Delete(const std::string& name) {
  if (!Ask(QStringLiteral("Supprimer le préréglage « %1 » ?").arg(Utf8(name)))) return false;
  std::string error;
  if (!DeletePreset(ApplicationWriteDb(), hooks_.analysis, name, &error)) {
    Say(QStringLiteral("Le préréglage « %1 » n'a pas été supprimé : %2").arg(Utf8(name), Utf8(error)), true);
    return false;
  }
  return true;
}

void PresetMenu::CmSaveAs() {
  PresetSaveDialog ask(tab_, QStringLiteral("Enregistrer les options sous"));
  if (ask.exec() != QDialog::Accepted) return;
  SaveAs(ask.Name(), ask.Period(), ask.Format());
}

PresetSaveDialog::PresetSaveDialog(QWidget* parent, const QString& caption) : QDialog(parent) {
  setWindowTitle(caption);
  setMinimumWidth(380);
  auto* form = new QFormLayout(this);
  name_ = new QLineEdit(this);
  name_->setMaxLength(static_cast<int>(kPresetNameMax));
  form->addRow(QStringLiteral("&Nom :"), name_);
  period_ = new QComboBox(this);
  for (const PeriodRuleInfo& r : PeriodRules()) period_->addItem(QString::fromUtf8(r.label), static_cast<int>(r.rule));
  form->addRow(QStringLiteral("&Période :"), period_);
  format_ = new QComboBox(this);
  for (const char* f : kFormats) format_->addItem(QString::fromLatin1(f));
  form->addRow(QStringLiteral("&Format :"), format_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Enregistrer"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Annuler"));
  form->addRow(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::string PresetSaveDialog::Name() const { return name_->text().trimmed().toStdString(); }

PeriodRule PresetSaveDialog::Period() const { return static_cast<PeriodRule>(period_->currentData().toInt()); }

std::string PresetSaveDialog::Format() const { return format_->currentText().toStdString(); }
