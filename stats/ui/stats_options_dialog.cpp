#include "stats/ui/stats_options_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/qt/fields.h"
#include "lists/qt/color_chooser.h"

namespace {

// One measure's controls: colour buttons, lower and upper bounds, colour-by
// buttons (three ids each, ranges 1 to 3).
struct MeasureControls {
  StatsMeasure measure;
  const char* range_label;  // "Gamme de diff %d"
  int colour_ids[3];
  int lower_ids[3];
  int upper_ids[3];
  int color_by_ids[3];
  bool spin;                // spin field (else amount field)
  int minimum, maximum;
};

constexpr MeasureControls kMeasures[] = {
    {StatsMeasure::kDiff, "Gamme de diff %1", {137, 138, 139}, {140, 141, 142}, {143, 144, 145}, {146, 147, 148},
     true, -2000, 2000},
    {StatsMeasure::kPct, "Gamme de % %1", {125, 126, 127}, {128, 129, 130}, {131, 132, 133}, {134, 135, 136},
     true, 0, 150},
    {StatsMeasure::kUsage, "Usage % %1", {110, 111, 112}, {113, 114, 115}, {116, 117, 118}, {122, 123, 124},
     true, 0, 150},
    {StatsMeasure::kAmount, "Gamme Totale %1", {101, 102, 103}, {104, 105, 106}, {107, 108, 109},
     {119, 120, 121}, false, 0, 0},
    {StatsMeasure::kFees, "Gamme de frais %1", {149, 150, 151}, {152, 153, 154}, {155, 156, 157},
     {158, 159, 160}, false, 0, 0},
    {StatsMeasure::kPmts, "Gamme de pmt %1", {161, 162, 163}, {164, 165, 166}, {167, 168, 169},
     {170, 171, 172}, false, 0, 0},
};

// Group boxes: the measure's list, then its colour kind.
const char* GroupTitle(StatsMeasure m) {
  switch (m) {
    case StatsMeasure::kDiff: return "Patient";
    case StatsMeasure::kPct: return "Productivité";
    case StatsMeasure::kUsage: return "Couleur de Pourcentage";
    case StatsMeasure::kAmount: return "Couleur Des Totaux";
    case StatsMeasure::kFees: return "Couleur des frais";
    default: return "Couleur des Pmt";
  }
}

}  // namespace

StatsOptionsDialog::StatsOptionsDialog(QWidget* parent, StatsColorOptions* options, long launcher_info)
    : TGenDlg(parent, 2008, launcher_info), target_(options), work_(*options) {
  setWindowTitle(QStringLiteral("Couleur Des Totaux"));
  BuildControls();
}

StatsOptionsDialog::~StatsOptionsDialog() = default;

void StatsOptionsDialog::BuildControls() {
  auto* outer = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  outer->addLayout(columns);
  // Left: patients and productivity; middle: case acceptance; right: C/R.
  QVBoxLayout* parts[3] = {new QVBoxLayout, new QVBoxLayout, new QVBoxLayout};
  const char* part_titles[3] = {nullptr, "Acceptation des cas", "C/R"};
  QGroupBox* part_boxes[3] = {nullptr, nullptr, nullptr};
  for (int p = 0; p < 3; ++p) {
    if (part_titles[p] != nullptr) {
      part_boxes[p] = new QGroupBox(QString::fromUtf8(part_titles[p]), this);
      part_boxes[p]->setLayout(parts[p]);
      columns->addWidget(part_boxes[p]);
    } else {
      columns->addLayout(parts[p]);
    }
  }
  for (const MeasureControls& m : kMeasures) {
    const int part = m.measure == StatsMeasure::kDiff || m.measure == StatsMeasure::kPct ? 0
                     : m.measure == StatsMeasure::kUsage || m.measure == StatsMeasure::kAmount ? 1
                                                                                                : 2;
    auto* box = new QGroupBox(QString::fromUtf8(GroupTitle(m.measure)), this);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("De"), box), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("À"), box), 0, 3);
    StatsMeasureRanges& r = work_.Of(m.measure);
    for (int k = 0; k < 3; ++k) {
      grid->addWidget(new QLabel(QString::fromUtf8(m.range_label).arg(k + 1), box), k + 1, 0);
      auto* colour = new QenColorButton(box, static_cast<ColorRef>(r.colour[k]));
      colour->setFixedWidth(40);
      AddControl(m.colour_ids[k], colour);
      long* slot = &r.colour[k];
      connect(colour, &QenColorButton::ColourChosen, this, [this, slot](ColorRef c) {
        *slot = static_cast<long>(c);
        colour_changed_ = true;
        SetDlgChanged(true);
      });
      grid->addWidget(colour, k + 1, 1);
      if (m.spin) {
        grid->addWidget(new TSpinField(this, m.lower_ids[k], &r.lower[k], m.minimum, m.maximum), k + 1, 2);
        grid->addWidget(new TSpinField(this, m.upper_ids[k], &r.upper[k], m.minimum, m.maximum), k + 1, 3);
      } else {
        grid->addWidget(new TAmount(this, m.lower_ids[k], &r.lower[k]), k + 1, 2);
        grid->addWidget(new TAmount(this, m.upper_ids[k], &r.upper[k]), k + 1, 3);
      }
    }
    auto* by = new QHBoxLayout;
    const char* labels[3] = {"Détails", "Total", "Ensemble"};
    for (int k = 0; k < 3; ++k) {
      by->addWidget(new TMultButton(this, m.color_by_ids[k], &r.color_by, color_by_values_[k],
                                    QString::fromUtf8(labels[k])));
    }
    grid->addLayout(by, 4, 0, 1, 4);
    parts[part]->addWidget(box);
  }
  auto* goal_row = new QHBoxLayout;
  goal_row->addWidget(new QLabel(QStringLiteral("Objectif"), this));
  goal_row->addWidget(new TAmount(this, 173, &work_.fees_goal));
  parts[2]->addLayout(goal_row);
  parts[2]->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* ok = new QPushButton(QStringLiteral("&OK"), this);
  ok->setDefault(true);
  AddControl(1, ok);
  buttons->addWidget(ok);
  outer->addLayout(buttons);
}

void StatsOptionsDialog::SetupWindow() {
  TGenDlg::SetupWindow();
  for (const MeasureControls& m : kMeasures) {
    for (int k = 0; k < 3; ++k) {
      if (QenColorButton* b = ColourButton(m.colour_ids[k])) {
        b->SetColour(static_cast<ColorRef>(work_.Of(m.measure).colour[k]));
      }
    }
  }
  UpdateDialog(1);
}

QenColorButton* StatsOptionsDialog::ColourButton(int id) const { return Control<QenColorButton>(id); }

bool StatsOptionsDialog::AnyDlgChanges() { return colour_changed_ || TGenDlg::AnyDlgChanges(); }

void StatsOptionsDialog::CmOk() {
  if (!UpdateDialog(0)) return;
  *target_ = work_;
  done(1);
}
