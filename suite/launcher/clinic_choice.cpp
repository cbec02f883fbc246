#include "suite/launcher/clinic_choice.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

#include "host/application.h"
#include "host/clinic_pool.h"
#include "host/gendb.h"
#include "host/qt/qen_dialog.h"
#include "suite/clinics.h"

namespace {

// Item data of the group's item (a prefix never is).
const QString kAllData = QStringLiteral("*");

// Moves db to prefix; false with *error, db as it was.
bool MovePrefix(GenDB* db, const std::string& prefix, std::string* error) {
  if (db == nullptr || prefix == db->dbPrefix()) return true;
  return db->dbSetPrefix(prefix, error);
}

}  // namespace

const QString& ClinicChoice::AllClinicsText() {
  static const QString text = QStringLiteral("Tous les cabinets");
  return text;
}

ClinicChoice::ClinicChoice(QenApplication* app, QWidget* parent)
    : QWidget(parent), app_(app), label_(new QLabel(QStringLiteral("Cabinet :"), this)), box_(new QComboBox(this)) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(label_);
  row->addWidget(box_);
  label_->setBuddy(box_);
  box_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  GenDB* db = app_ != nullptr ? app_->GetDb() : nullptr;
  if (db != nullptr && !ListClinics(db, &clinics_, &list_error_)) clinics_.clear();
  if (clinics_.empty()) {
    hide();
    return;
  }
  const std::string opening = db->dbPrefix();
  bool opening_is_clinic = false;
  for (const std::string& prefix : clinics_) opening_is_clinic = opening_is_clinic || prefix == opening;
  if (!opening_is_clinic) {
    box_->addItem(opening.empty() ? QStringLiteral("Base ouverte")
                                  : QStringLiteral("Base ouverte (%1)").arg(QString::fromStdString(opening)),
                  QString::fromStdString(opening));
  }
  for (const std::string& prefix : clinics_) {
    box_->addItem(QString::fromStdString(ClinicLabel(prefix)), QString::fromStdString(prefix));
  }
  box_->addItem(AllClinicsText(), kAllData);
  applied_ = box_->findData(QString::fromStdString(opening));
  box_->setCurrentIndex(applied_);
  box_->setToolTip(QStringLiteral("Le cabinet que lisent les onglets, ou tous les cabinets du groupe"));
  connect(box_, &QComboBox::activated, this, [this](int index) {
    QString error;
    if (Apply(index, &error)) return;
    box_->setCurrentIndex(applied_);
    PromptRequest say;
    say.parent = this;
    say.caption = QStringLiteral("Cabinet");
    say.text = error;
    say.icon = QMessageBox::Warning;
    QenDialog::Prompt(say);
  });
}

bool ClinicChoice::Apply(int index, QString* error) {
  if (index < 0 || index >= box_->count()) return false;
  const QString data = box_->itemData(index).toString();
  if (data == kAllData) {
    ClinicGroupChoice group;
    group.url = app_->GetDb()->Url();
    group.prefixes = clinics_;
    app_->SetGroupChoice(std::move(group));
  } else {
    const std::string prefix = data.toStdString();
    GenDB* report = app_->GetDb();
    GenDB* write = app_->GetWriteDb() != report ? app_->GetWriteDb() : nullptr;
    const std::string before = report->dbPrefix();
    std::string why;
    if (!MovePrefix(report, prefix, &why)) {
      *error = QStringLiteral("Le cabinet %1 ne peut pas être lu : %2")
                   .arg(box_->itemText(index), QString::fromStdString(why));
      return false;
    }
    if (!MovePrefix(write, prefix, &why)) {
      std::string ignored;
      MovePrefix(report, before, &ignored);
      *error = QStringLiteral("Le cabinet %1 ne peut pas être écrit : %2")
                   .arg(box_->itemText(index), QString::fromStdString(why));
      return false;
    }
    app_->SetGroupChoice(ClinicGroupChoice());
  }
  applied_ = index;
  box_->setCurrentIndex(index);
  emit Chosen(box_->itemText(index));
  return true;
}

bool ClinicChoice::Choose(const QString& name, QString* error) {
  if (clinics_.empty()) {
    *error = list_error_.empty() ? QStringLiteral("aucun cabinet dans cette base : --clinic %1").arg(name)
                                 : QStringLiteral("la liste des cabinets : %1").arg(QString::fromStdString(list_error_));
    return false;
  }
  int index = -1;
  if (name == QLatin1String(kAllClinicsValue)) {
    index = box_->findData(kAllData);
  } else {
    const std::string wanted = name.endsWith('.') ? name.toStdString() : name.toStdString() + ".";
    for (const std::string& prefix : clinics_) {
      if (prefix == wanted || ClinicLabel(prefix) == name.toStdString()) index = box_->findData(QString::fromStdString(prefix));
    }
  }
  if (index < 0) {
    *error = QStringLiteral("cabinet introuvable : %1").arg(name);
    return false;
  }
  return Apply(index, error);
}
