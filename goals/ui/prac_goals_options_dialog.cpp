#include "goals/ui/prac_goals_options_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/qt/fields.h"
#include "lists/qt/color_chooser.h"

PracGoalsOptionsDialog::PracGoalsOptionsDialog(QWidget* parent, const GoalsDisplay& display, long launcher_info)
    : TGenDlg(parent, 2011, launcher_info), display_(display) {
  setWindowTitle(QStringLiteral("Objectif Options"));
  auto* outer = new QVBoxLayout(this);
  outer->addWidget(new TRegButton(this, 116, &display_.no_goals, QStringLiteral("Ne pas afficher le montant des objectifs")));
  outer->addWidget(new TRegButton(this, 117, &display_.round_up, QStringLiteral("Arrondir le pourcentage")));
  outer->addWidget(new TRegButton(this, 118, &display_.show_tot_col, QStringLiteral("Ajouter une colonne totale")));

  auto* forms = new QHBoxLayout;
  auto* goals = new QGroupBox(QStringLiteral("Objectifs"), this);
  auto* goals_row = new QHBoxLayout(goals);
  goals_row->addWidget(new TMultButton(this, 119, &display_.goals_display, 'C', QStringLiteral("Cents")));
  goals_row->addWidget(new TMultButton(this, 120, &display_.goals_display, 'D', QStringLiteral("Dollar")));
  goals_row->addWidget(new TMultButton(this, 121, &display_.goals_display, 'K', QStringLiteral("Mille")));
  auto* fees = new QGroupBox(QStringLiteral("Honoraires"), this);
  auto* fees_row = new QHBoxLayout(fees);
  fees_row->addWidget(new TMultButton(this, 123, &display_.fees_display, 'C', QStringLiteral("Cents")));
  fees_row->addWidget(new TMultButton(this, 124, &display_.fees_display, 'D', QStringLiteral("Dollar")));
  fees_row->addWidget(new TMultButton(this, 122, &display_.fees_display, 'K', QStringLiteral("Mille")));
  forms->addWidget(goals);
  forms->addWidget(fees);
  outer->addLayout(forms);

  auto* lines = new QGroupBox(QStringLiteral("Lignes"), this);
  auto* lines_grid = new QGridLayout(lines);
  const char* line_names[3] = {"Ligne d'année", "Ligne Comparer", "Ligne totale"};
  for (int k = 0; k < 3; ++k) {
    auto* colour = new QenColorButton(lines, display_.line_color[k]);
    AddControl(101 + k, colour);
    colour_buttons_[k] = colour;
    connect(colour, &QenColorButton::ColourChosen, this, [this, k](ColorRef c) {
      display_.line_color[k] = c;
      SetDlgChanged(true);
    });
    lines_grid->addWidget(new QLabel(QString::fromUtf8(line_names[k]), lines), k, 0);
    lines_grid->addWidget(colour, k, 1);
    lines_grid->addWidget(new TRegButton(this, 104 + k, &display_.bold[k], QStringLiteral("Gras")), k, 2);
  }
  outer->addWidget(lines);

  auto* ranges = new QGroupBox(QStringLiteral("Pourcentages"), this);
  auto* ranges_grid = new QGridLayout(ranges);
  for (int k = 0; k < 3; ++k) {
    auto* colour = new QenColorButton(ranges, display_.range_color[k]);
    AddControl(107 + k, colour);
    colour_buttons_[3 + k] = colour;
    connect(colour, &QenColorButton::ColourChosen, this, [this, k](ColorRef c) {
      display_.range_color[k] = c;
      SetDlgChanged(true);
    });
    ranges_grid->addWidget(new QLabel(QStringLiteral("Objectif % Rge %1").arg(k + 1), ranges), k, 0);
    ranges_grid->addWidget(colour, k, 1);
    ranges_grid->addWidget(new QLabel(QStringLiteral("De"), ranges), k, 2);
    ranges_grid->addWidget(new TSpinField(this, 110 + k, &display_.from[k], -32768, 32767), k, 3);
    ranges_grid->addWidget(new QLabel(QStringLiteral("à"), ranges), k, 4);
    ranges_grid->addWidget(new TSpinField(this, 113 + k, &display_.to[k], -32768, 32767), k, 5);
  }
  outer->addWidget(ranges);

  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
  AddControl(1, ok);
  AddControl(2, cancel);
  ok->setDefault(true);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  outer->addLayout(buttons);
}

PracGoalsOptionsDialog::~PracGoalsOptionsDialog() = default;

void PracGoalsOptionsDialog::SetupWindow() {
  TGenDlg::SetupWindow();
  UpdateDialog(1);
}

QenColorButton* PracGoalsOptionsDialog::ColourButton(int id) const {
  if (id >= 101 && id <= 103) return colour_buttons_[id - 101];
  if (id >= 107 && id <= 109) return colour_buttons_[id - 104];
  return nullptr;
}
