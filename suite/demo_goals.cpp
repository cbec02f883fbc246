// Monthly goals of the demo practice, set from the production that was
// generated (the production service's T5: completed treatments, office
// charges and adjustments), so that results land around 80 % to 120 %.
//
// Per year: an exact goal for each producer that keeps goals of its own and
// produced in that year; "D*" for the dentists (the mean of the dentists'
// months) and "*" for everyone else (the mean of the months of the
// producers it falls back on: those without goals of their own that are not
// dentists), lower in July and August.
// Every month holds a non-zero goal, rounded to $100.
#include <array>
#include <map>

#include "suite/demo_internal.h"

namespace demo {
namespace {

int32_t RoundGoal(double cents) {
  const int32_t hundred = 10000;
  const int32_t v = static_cast<int32_t>(cents / hundred + 0.5) * hundred;
  return v < hundred ? hundred : v;
}

}  // namespace

void BuildGoals(World* w) {
  Rng rng(w->seed, 6);
  // production[producer][year][month-1], cents
  std::map<int, std::map<int, std::array<double, 12>>> production;
  auto add = [&](int producer, int day, double cents) {
    auto& months = production[producer][YearOf(day)];
    months[MonthOf(day) - 1] += cents;
  };
  for (const Treatment& t : w->treatments) {
    if (t.status == 'C' && t.del_day == 0) add(t.producer, t.day, t.fee + t.lab);
  }
  for (const OfficeCharge& o : w->office_charges) add(o.producer, o.day, o.amount);
  for (const Payment& p : w->payments) {
    if (p.kind == 'A' && p.del_day == 0) add(p.producer, p.day, p.amount);
  }

  // The mean of the months that had production, per producer and year.
  auto monthly_mean = [&](int producer, int year) {
    double sum = 0;
    int months = 0;
    for (double v : production[producer][year]) {
      if (v > 0) {
        sum += v;
        ++months;
      }
    }
    return months > 0 ? sum / months : 0.0;
  };

  for (int year = YearOf(w->first); year <= YearOf(w->today); ++year) {
    double dentists = 0, everyone = 0;
    int n_dentists = 0, n_everyone = 0;
    for (size_t p = 0; p < w->producers.size(); ++p) {
      const double mean = monthly_mean(static_cast<int>(p), year);
      if (mean <= 0) continue;
      if (w->producers[p].type == 'D') {
        dentists += mean;
        ++n_dentists;
      } else if (!w->producers[p].goals) {
        everyone += mean;
        ++n_everyone;
      }
      if (!w->producers[p].goals) continue;
      Goal g{w->producers[p].code, year, {}};
      for (int m = 0; m < 12; ++m) g.months[m] = RoundGoal(mean * (0.95 + 0.2 * static_cast<double>(rng.Below(1000)) / 1000.0));
      w->goals.push_back(g);
    }
    if (n_dentists > 0) {
      Goal g{"D*", year, {}};
      for (int m = 0; m < 12; ++m) g.months[m] = RoundGoal(dentists / n_dentists * 1.05);
      w->goals.push_back(g);
    }
    if (n_everyone > 0) {
      Goal g{"*", year, {}};
      for (int m = 0; m < 12; ++m) g.months[m] = RoundGoal(everyone / n_everyone * (m == 6 || m == 7 ? 0.8 : 1.05));
      w->goals.push_back(g);
    }
  }
}

}  // namespace demo
