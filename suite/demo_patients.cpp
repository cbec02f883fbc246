// Patients and their families' accounts, in the order they were opened (so
// patient ids grow with the opening date), with status changes, deletions and
// the folder and chart rows made when a patient is opened.
#include <algorithm>

#include "suite/demo_internal.h"

namespace demo {
namespace {

struct Family {
  int open_day;
  int size;
};

// Dentists active on a day (indexes into producers).
std::vector<int> DentistsOn(const World& w, int day) {
  std::vector<int> out;
  for (size_t i = 0; i < w.producers.size(); ++i) {
    const Producer& p = w.producers[i];
    if (p.type == 'D' && (!p.inactive || p.last_day >= day)) out.push_back(static_cast<int>(i));
  }
  return out;
}

std::vector<int> Hygienists(const World& w) {
  std::vector<int> out;
  for (size_t i = 0; i < w.producers.size(); ++i) {
    if (w.producers[i].type == 'H') out.push_back(static_cast<int>(i));
  }
  return out;
}

void AddStatusChanges(World* w, Rng* rng, int32_t index) {
  Patient& p = w->patients[index];
  int day = std::max<int>(p.open_day, w->first);
  for (;;) {
    // About one status change per patient every 20 years, spread evenly.
    day += static_cast<int>(rng->Range(30, 20 * 365));
    if (day >= w->today || (p.delete_day != 0 && day >= p.delete_day)) break;
    StatusChange c{index, day, 'I', '0'};
    if (p.status == 'A') {
      const int r = static_cast<int>(rng->Below(100));
      if (r < 55) {
        c = {index, day, 'I', '0'};
      } else if (r < 80) {
        c = {index, day, 'I', '1'};  // moved away
      } else {
        c = {index, day, 'C', '0'};  // file closed
      }
    } else {
      c = {index, day, 'A', '2'};  // restored
    }
    p.status = c.status;
    w->status_changes.push_back(c);
  }
}

}  // namespace

void BuildPatients(World* w) {
  Rng rng(w->seed, 2);
  const int total = w->sizes.patients;
  const int initial = total * 76 / 100;

  // Families and their opening days, in date order.
  std::vector<Family> families;
  int counted = 0;
  while (counted < total) {
    const int r = static_cast<int>(rng.Below(100));
    int size = r < 45 ? 1 : r < 70 ? 2 : r < 85 ? 3 : 4;
    size = std::min(size, total - counted);
    const int day = counted < initial ? static_cast<int>(rng.Range(w->first - 15 * 365, w->first - 1))
                                      : static_cast<int>(rng.Range(w->first, w->today));
    families.push_back({day, size});
    counted += size;
  }
  std::stable_sort(families.begin(), families.end(),
                   [](const Family& a, const Family& b) { return a.open_day < b.open_day; });

  const std::vector<int> hygienists = Hygienists(*w);
  for (const Family& f : families) {
    Account account{};
    account.open_day = f.open_day;
    account.head = static_cast<int32_t>(w->patients.size());
    account.street = static_cast<uint16_t>(rng.Below(Streets().size()));
    account.city = static_cast<uint16_t>(rng.Below(Cities().size()));
    account.balance = rng.PerMille(200) ? static_cast<int32_t>(rng.Range(1, 60000)) : 0;
    w->accounts.push_back(account);
    const int32_t account_id = static_cast<int32_t>(w->accounts.size());
    const uint16_t last = static_cast<uint16_t>(rng.Below(LastNames().size()));
    const int32_t policy = rng.PerMille(650) ? static_cast<int32_t>(rng.Range(1, w->sizes.policies)) : 0;
    const std::vector<int> dentists = DentistsOn(*w, f.open_day);
    const int doctor = dentists.empty() ? -1 : dentists[rng.Below(dentists.size())];
    for (int m = 0; m < f.size; ++m) {
      Patient p{};
      p.open_day = f.open_day;
      p.account = account_id;
      p.policy = policy;
      p.referrer = (f.open_day >= w->first && rng.PerMille(250))
                       ? static_cast<int32_t>(rng.Range(1, w->sizes.referrers)) : 0;
      p.sex = rng.PerMille(520) ? 'F' : 'M';
      p.first = static_cast<uint16_t>(rng.Below(40));
      p.last = last;
      const int age_days = m < 2 ? static_cast<int>(rng.Range(20 * 365, 85 * 365))
                                 : static_cast<int>(rng.Range(2 * 365, 18 * 365));
      p.birth = static_cast<int32_t>(DateOf(f.open_day - age_days));
      p.doctor = static_cast<int8_t>(rng.PerMille(30) ? -1 : doctor);
      p.hygienist = static_cast<int8_t>(hygienists.empty() || rng.PerMille(100)
                                            ? -1 : hygienists[rng.Below(hygienists.size())]);
      if (rng.PerMille(4)) {
        p.delete_day = static_cast<int32_t>(rng.Range(std::max(f.open_day, w->first), w->today));
      }
      w->patients.push_back(p);
    }
  }

  // A few odd names: empty, long (cut by the column), accents and quotes.
  w->odd_names.push_back({5, {"", "Sans-Prénom"}});
  w->odd_names.push_back({17, {"Marie-Ève", "O'Neil-Bérubé de la Fontaine-Tremblay"}});
  w->odd_names.push_back({23, {"Zoë-Élisabeth", "D'Amours"}});
  w->odd_names.push_back({42, {"Seán", "O'Brien"}});

  for (int32_t i = 0; i < static_cast<int32_t>(w->patients.size()); ++i) {
    AddStatusChanges(w, &rng, i);
    const Patient& p = w->patients[i];
    if (rng.PerMille(500)) {
      for (int q = 0; q < 2; ++q) {
        w->answers.push_back({i, p.open_day, static_cast<uint16_t>(rng.Below(Questions().size()))});
      }
    }
    if (rng.PerMille(120)) {
      const int n = static_cast<int>(rng.Range(1, 2));
      for (int a = 0; a < n; ++a) {
        w->alerts.push_back({i, p.open_day, static_cast<uint16_t>(rng.Below(AlertCodes().size()))});
      }
    }
    if (rng.PerMille(400)) w->forms.push_back({i, p.open_day, static_cast<uint16_t>(rng.Below(5))});
    if (rng.PerMille(300)) {
      w->documents.push_back({i, p.open_day, static_cast<uint16_t>(rng.Below(DocumentTitles().size()))});
    }
    if (rng.PerMille(15)) {
      const int32_t amount = static_cast<int32_t>(rng.Range(10, 60)) * 10000;
      const int32_t count = static_cast<int32_t>(rng.Range(6, 24));
      const int32_t start = static_cast<int32_t>(rng.Range(std::max(p.open_day, w->first), w->today));
      w->plans.push_back({i, p.account, start, amount, amount / count, count});
    }
  }
}

}  // namespace demo
