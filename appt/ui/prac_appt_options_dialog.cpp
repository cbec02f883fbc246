#include "appt/ui/prac_appt_options_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/qt/fields.h"
#include "lists/qt/color_chooser.h"

namespace {

const char* const kRowLabels[9] = {"Céduler", "Disponible", "Non Planifié", "Annuler", "Absence",
                                   "Frais Estimés", "Usage %", "Frais Net", "Colonne Date"};

}  // namespace

PracApptOptionsDialog::PracApptOptionsDialog(QWidget* parent, ApptColourOptions* colours)
    : TTavoDlg(parent, 2005), colours_(colours), working_(*colours) {
  setWindowTitle(QStringLiteral("Couleur & Options en Gras"));
  auto* box = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  for (int i = 0; i < 9; ++i) {
    grid->addWidget(new QLabel(QString::fromUtf8(kRowLabels[i]), this), i, 0);
    auto* button = new QPushButton(this);
    button->setFixedWidth(60);
    AddControl(101 + i, button);
    grid->addWidget(button, i, 1);
    grid->addWidget(new TRegButton(this, 110 + i, &working_.Bold[i], QStringLiteral("Gras")), i, 2);
    OnCommand(101 + i, [this, i] { PickColour(101 + i); });
  }
  for (int k = 0; k < 3; ++k) {
    const int row = 9 + k;
    grid->addWidget(new QLabel(QStringLiteral("Usage % Intervalle %1").arg(k + 1), this), row, 0);
    auto* button = new QPushButton(this);
    button->setFixedWidth(60);
    AddControl(130 + k, button);
    grid->addWidget(button, row, 1);
    auto* range = new QHBoxLayout;
    range->addWidget(new TSpinField(this, 133 + k, &working_.UsageFrom[k], 0, 150));
    range->addWidget(new QLabel(QStringLiteral("-"), this));
    range->addWidget(new TSpinField(this, 136 + k, &working_.UsageTo[k], 0, 150));
    grid->addLayout(range, row, 2);
    OnCommand(130 + k, [this, k] { PickColour(130 + k); });
  }
  box->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("&Annuler"), this);
  AddControl(1, ok);
  AddControl(2, cancel);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  box->addLayout(buttons);
}

PracApptOptionsDialog::~PracApptOptionsDialog() = default;

bool PracApptOptionsDialog::AnyDlgChanges() { return picked_ || TTavoDlg::AnyDlgChanges(); }

void PracApptOptionsDialog::SetupWindow() {
  TTavoDlg::SetupWindow();
  UpdateDialog(1);
  for (int id = 101; id <= 109; ++id) PaintButton(id);
  for (int id = 130; id <= 132; ++id) PaintButton(id);
}

void PracApptOptionsDialog::PaintButton(int id) {
  auto* button = Control<QPushButton>(id);
  if (button == nullptr) return;
  const long value = id <= 109 ? working_.Colour[id - 101] : working_.UsageColour[id - 130];
  const ColorRef c = static_cast<ColorRef>(value);
  button->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3);").arg(RedOf(c)).arg(GreenOf(c)).arg(BlueOf(c)));
}

void PracApptOptionsDialog::PickColour(int id) {
  long* value = id <= 109 ? &working_.Colour[id - 101] : &working_.UsageColour[id - 130];
  ColorRef c = static_cast<ColorRef>(*value);
  if (!ChooseColour(this, &c)) return;
  *value = static_cast<long>(c);
  PaintButton(id);
  picked_ = true;
  SetDlgChanged(true);
}

void PracApptOptionsDialog::CmOk() {
  if (!UpdateDialog(0)) return;
  *colours_ = working_;
  done(1);
}
