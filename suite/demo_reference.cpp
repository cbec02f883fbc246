// The practice's fixed frame: producers, chairs, weekly schedules, users,
// calendar exceptions, referrers and insurance policies.
//
// Schedules never put two producers on one chair at the same time:
//   dentist k      location A, chair k+1 (own chair), Monday to Thursday
//                  08:00-12:00 and 13:00-17:00 (odd k: 13:00-20:00 on Tuesday
//                  and Thursday); Friday at B on chair 101+k/2 (even k) or at
//                  A 08:00-12:00 (odd k); dentist 1 also Saturday morning.
//   hygienist j    location A, shared chair nD+1+j/2: even j Monday, Tuesday
//                  and Wednesday morning, odd j Wednesday evening, Thursday
//                  and Friday at B on shared chair 110+j/2; hygienist 0 also
//                  Saturday morning at B.
// Location B's chairs have three digits, so schedule audit rows of B carry
// the long layout (date at position 8).
#include <cstdio>

#include "suite/demo_internal.h"

namespace demo {
namespace {

constexpr long kAm0 = 80000, kAm1 = 120000, kPm0 = 130000, kPm1 = 170000, kEve = 200000;

void AddProducers(World* w, Rng* rng) {
  const Sizes& s = w->sizes;
  for (int k = 0; k < s.dentists; ++k) {
    Producer p;
    char code[16];
    std::snprintf(code, sizeof code, "D%02d", k + 1);
    p.code = code;
    p.type = 'D';
    const bool woman = rng->PerMille(500);
    p.first = woman ? rng->Pick(FirstNamesF()) : rng->Pick(FirstNamesM());
    p.last = LastNames()[(k * 7 + rng->Below(5)) % LastNames().size()];
    p.loc = 'A';
    p.goals = k != 2;  // D03 is covered by the dentists' group goal "D*"
    if (k == s.dentists - 1) {
      p.inactive = true;
      p.last_day = w->today - (w->size == DemoSize::kLarge ? 400 : 300);
    }
    w->producers.push_back(p);
  }
  for (int j = 0; j < s.hygienists; ++j) {
    Producer p;
    char code[16];
    std::snprintf(code, sizeof code, "H%02d", j + 1);
    p.code = code;
    p.type = 'H';
    p.first = rng->Pick(FirstNamesF());
    p.last = LastNames()[(j * 11 + 3 + rng->Below(5)) % LastNames().size()];
    p.loc = 'A';
    p.goals = j == 0;  // the other hygienists fall back on the practice goal "*"
    w->producers.push_back(p);
  }
}

void AddChairsAndBlocks(World* w) {
  const int nd = w->sizes.dentists, nh = w->sizes.hygienists;
  char title[32];
  for (int k = 0; k < nd; ++k) {
    std::snprintf(title, sizeof title, "Salle %d", k + 1);
    w->chairs.push_back({k + 1, 'A', false, w->producers[k].code, title});
  }
  for (int c = 0; c < (nh + 1) / 2; ++c) {
    std::snprintf(title, sizeof title, "Hygiène %d", c + 1);
    w->chairs.push_back({nd + 1 + c, 'A', true, "", title});
  }
  for (int c = 0; c < (nd + 1) / 2; ++c) {
    std::snprintf(title, sizeof title, "B-Salle %d", c + 1);
    w->chairs.push_back({101 + c, 'B', false, w->producers[2 * c].code, title});
  }
  for (int c = 0; c < (nh + 1) / 2; ++c) {
    std::snprintf(title, sizeof title, "B-Hyg %d", c + 1);
    w->chairs.push_back({110 + c, 'B', true, "", title});
  }
  w->chairs.push_back({30, 'A', true, "", "Réserve"});  // in no schedule: never available

  auto block = [w](int prod, int dow, int chair, char loc, long a, long b) {
    w->blocks.push_back({prod, dow, chair, loc, a, b});
  };
  for (int k = 0; k < nd; ++k) {
    for (int dow = 1; dow <= 4; ++dow) {
      block(k, dow, k + 1, 'A', kAm0, kAm1);
      const bool evening = (k % 2 == 1) && (dow == 2 || dow == 4);
      block(k, dow, k + 1, 'A', kPm0, evening ? kEve : kPm1);
    }
    if (k % 2 == 0) {
      block(k, 5, 101 + k / 2, 'B', kAm0, kAm1);
      block(k, 5, 101 + k / 2, 'B', 123000, 160000);
    } else {
      block(k, 5, k + 1, 'A', kAm0, kAm1);
    }
  }
  if (nd > 1) block(1, 6, 2, 'A', 90000, 130000);
  for (int j = 0; j < nh; ++j) {
    const int p = nd + j, chair = nd + 1 + j / 2;
    if (j % 2 == 0) {
      block(p, 1, chair, 'A', kAm0, kAm1);
      block(p, 1, chair, 'A', kPm0, kPm1);
      block(p, 2, chair, 'A', kAm0, kAm1);
      block(p, 2, chair, 'A', kPm0, kPm1);
      block(p, 3, chair, 'A', kAm0, kAm1);
    } else {
      block(p, 3, chair, 'A', kPm0, kEve);
      block(p, 4, chair, 'A', kAm0, kAm1);
      block(p, 4, chair, 'A', kPm0, kPm1);
      block(p, 5, 110 + j / 2, 'B', kAm0, kAm1);
      block(p, 5, 110 + j / 2, 'B', 123000, 160000);
    }
  }
  block(nd, 6, 110, 'B', 90000, 130000);
}

void AddUsers(World* w) {
  struct U {
    const char* logon;
    const char* name;
    const char* group;
    uint8_t days;
  };
  static const U kUsers[] = {
      {"ADMIN", "Administrateur", "ADMIN", 0x3E},
      {"MLAVOIE", "Marie Lavoie", "RECEPTION", 0x1E},
      {"SGAGNON", "Sophie Gagnon", "RECEPTION", 0x7C},
      {"JTREMBLAY", "Julie Tremblay", "HYGIENE", 0x0E},
      {"O'BRIEN", "Kathleen O'Brien", "COMPTA", 0x26},
      {"DRCOTE", "Dr Luc Côté", "DENTISTE", 0x1E},
      {"CBOUCHARD", "Chantal Bouchard", "RECEPTION", 0x3C},
      {"NPELLETIE", "Nathalie Pelletier", "ASSISTANT", 0x1E},
      {"SUPPORT", "Soutien technique", "ADMIN", 0x02},
      {"FLEVESQUE", "Dr François Lévesque", "DENTISTE", 0x3C},
      {"AROY", "Annie Roy", "RECEPTION", 0x1E},
      {"GBERGERON", "Geneviève Bergeron", "HYGIENE", 0x38},
      {"KFORTIN", "Karine Fortin", "ASSISTANT", 0x1E},
      {"LMORIN", "Lucie Morin", "COMPTA", 0x3E},
      {"VGIRARD", "Valérie Girard", "RECEPTION", 0x7E},
      {"ESIMARD", "Dr Éric Simard", "DENTISTE", 0x1E},
      {"DCARON", "Diane Caron", "ASSISTANT", 0x3C},
      {"PPOULIN", "Dr Patrick Poulin", "DENTISTE", 0x0E},
  };
  for (int i = 0; i < w->sizes.users && i < static_cast<int>(std::size(kUsers)); ++i) {
    w->users.push_back({kUsers[i].logon, kUsers[i].name, kUsers[i].group, kUsers[i].days});
  }
}

// Easter Sunday (anonymous Gregorian algorithm), as a day number.
int EasterDay(int y) {
  const int a = y % 19, b = y / 100, c = y % 100, d = b / 4, e = b % 4;
  const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
  const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7;
  const int m = (a + 11 * h + 22 * l) / 451;
  const int month = (h + l - 7 * m + 114) / 31, day = (h + l - 7 * m + 114) % 31 + 1;
  return DayOf(y * 10000L + month * 100 + day);
}

// The n-th (1-based) weekday dow of a month.
int NthWeekday(int y, int month, int dow, int n) {
  int d = DayOf(y * 10000L + month * 100 + 1);
  while (Weekday(d) != dow) ++d;
  return d + 7 * (n - 1);
}

void AddCalendar(World* w, Rng* rng) {
  auto closed = [w](int day, const char* desc) {
    w->closures.push_back({day, '*', 0, "", 'C', 0, 0, desc});
  };
  for (int y = YearOf(w->first); y <= YearOf(w->last); ++y) {
    closed(DayOf(y * 10000L + 101), "Jour de l'An");
    closed(EasterDay(y) - 2, "Vendredi saint");
    int patriots = DayOf(y * 10000L + 524);
    while (Weekday(patriots) != 1) --patriots;
    closed(patriots, "Journée nationale des patriotes");
    closed(DayOf(y * 10000L + 624), "Fête nationale");
    closed(DayOf(y * 10000L + 701), "Fête du Canada");
    closed(NthWeekday(y, 9, 1, 1), "Fête du Travail");
    closed(NthWeekday(y, 10, 1, 2), "Action de grâce");
    closed(DayOf(y * 10000L + 1225), "Noël");
    closed(DayOf(y * 10000L + 1226), "Lendemain de Noël");
    // Christmas Eve: closed in the afternoon only.
    w->closures.push_back({DayOf(y * 10000L + 1224), '*', 0, "", 'C', 120000, 200000, "Veille de Noël"});
    // Chair 1 out of service one day in spring.
    w->closures.push_back({NthWeekday(y, 4, 3, 2), 'A', 1, "", 'C', 0, 0, "Entretien du fauteuil"});
    // A Saturday clinic at the start of December (extra hours for D01).
    w->closures.push_back({NthWeekday(y, 12, 6, 1), 'A', 1, w->producers[0].code, 'O', 90000, 150000,
                           "Clinique du samedi"});
    // Two weeks of vacation per producer: one in summer, one in March.
    for (size_t p = 0; p < w->producers.size(); ++p) {
      const int summer = NthWeekday(y, 7, 1, 1) + 7 * static_cast<int>(rng->Below(7));
      const int spring = NthWeekday(y, 3, 1, 1) + 7 * static_cast<int>(rng->Below(3));
      for (int start : {summer, spring}) {
        for (int d = start; d < start + 6; ++d) {
          w->closures.push_back({d, '*', 0, w->producers[p].code, 'C', 0, 0, "Vacances"});
        }
      }
    }
  }
}

void AddReferrersAndPolicies(World* w, Rng* rng) {
  for (int i = 0; i < w->sizes.referrers; ++i) {
    std::string first = rng->PerMille(500) ? rng->Pick(FirstNamesF()) : rng->Pick(FirstNamesM());
    std::string last = rng->Pick(LastNames());
    if (i % 10 == 9) {  // a clinic, not a person
      first = "";
      last = std::string("Clinique dentaire ") + rng->Pick(Cities());
    }
    w->referrer_names.push_back(first + "|" + last);
  }
  for (int i = 0; i < w->sizes.policies; ++i) {
    char group[16];
    std::snprintf(group, sizeof group, "%c%06ld", static_cast<char>('A' + rng->Below(26)), rng->Range(1000, 999999));
    w->policies.push_back(std::string(rng->Pick(Insurers())) + "|" + group + "|" + Employers()[i % Employers().size()]);
  }
}

}  // namespace

void BuildReference(World* w) {
  Rng rng(w->seed, 1);
  AddProducers(w, &rng);
  AddChairsAndBlocks(w);
  AddUsers(w);
  AddCalendar(w, &rng);
  AddReferrersAndPolicies(w, &rng);
  // The scheduler unit went from 15 to 10 minutes on the first day of the
  // month thirteen months before today.
  int y = YearOf(w->today), m = MonthOf(w->today) - 13;
  while (m < 1) {
    m += 12;
    --y;
  }
  w->unit_change_day = DayOf(y * 10000L + m * 100 + 1);
}

}  // namespace demo
