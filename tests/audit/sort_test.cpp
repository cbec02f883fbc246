// The order of the audit lists: the comparator on its own, and the fast sort
// against TDList::QSort with the comparator.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "audit/audit_generator.h"
#include "tests/audit/audit_row.h"

namespace {

VantraElem* Elem(const char* user, long date, long time, long id, long module, char type = 'X',
                 char action = 'A', long record_id = 0, long group_mode = 0) {
  AuditRecord r = Row(type, action, record_id).User(user).At(date, time);
  return VantraElem::Create(r, module, id, 0, 1, group_mode);
}

int Compare(std::initializer_list<short> keys, VantraElem* a, VantraElem* b) {
  short k[4] = {};
  short n = 0;
  for (short key : keys) k[n++] = key;
  SetCompareKeys(k, n);
  const int c = CompareVantraElems(a, b);
  delete a;
  delete b;
  return c;
}

TEST(CompareVantraElems, Keys) {
  // Date falls through to time, then id, then the next key.
  EXPECT_LT(Compare({kKeyDate}, Elem("b", 20261201, 90000, 5, 1), Elem("a", 20261202, 0, 1, 1)), 0);
  EXPECT_LT(Compare({kKeyDate}, Elem("b", 20261201, 80000, 5, 1), Elem("a", 20261201, 90000, 1, 1)), 0);
  EXPECT_LT(Compare({kKeyDate}, Elem("b", 20261201, 90000, 1, 1), Elem("a", 20261201, 90000, 5, 1)), 0);
  EXPECT_GT(Compare({kKeyDate, kKeyUser}, Elem("b", 20261201, 90000, 5, 1),
                    Elem("a", 20261201, 90000, 5, 1)), 0);
  // Equal on every chosen key: id, date, time and user decide (never the reading order).
  EXPECT_GT(Compare({kKeyDate}, Elem("b", 20261201, 90000, 5, 1), Elem("a", 20261201, 90000, 5, 1)), 0);
  EXPECT_EQ(Compare({kKeyDate}, Elem("a", 20261201, 90000, 5, 1), Elem("a", 20261201, 90000, 5, 1)), 0);
  EXPECT_LT(Compare({kKeyModule}, Elem("b", 20261202, 90000, 5, 1), Elem("a", 20261201, 90000, 6, 1)), 0);
  EXPECT_GT(Compare({kKeyUser}, Elem("a", 20261202, 0, 5, 1), Elem("a", 20261201, 0, 5, 1)), 0);
  // User: byte-wise, so upper case and accents sort by their bytes.
  EXPECT_LT(Compare({kKeyUser}, Elem("Zoe", 0, 0, 0, 1), Elem("anne", 0, 0, 0, 1)), 0);
  EXPECT_GT(Compare({kKeyUser}, Elem("émile", 0, 0, 0, 1), Elem("zoe", 0, 0, 0, 1)), 0);
  // Module: rank in the module table; unknown codes last.
  EXPECT_LT(Compare({kKeyModule}, Elem("a", 0, 0, 0, 20105), Elem("a", 0, 0, 0, 2535)), 0);
  EXPECT_LT(Compare({kKeyModule}, Elem("a", 0, 0, 0, 2535), Elem("a", 0, 0, 0, 12)), 0);
  // Action: the group of each element with its own group mode.
  EXPECT_LT(Compare({kKeyAction}, Elem("a", 0, 0, 0, 1, 'B', 'A'), Elem("a", 0, 0, 0, 1, 'B', 'D')), 0);
  EXPECT_LT(Compare({kKeyAction}, Elem("a", 0, 0, 0, 1, 'E', 'E', 9, 1),
                    Elem("a", 0, 0, 0, 1, 'E', 'E', 3, 0)), 0);  // 50 < 53
  // No key, or keys outside 1..4: the tie-breakers alone.
  EXPECT_GT(Compare({}, Elem("a", 1, 0, 7, 1), Elem("b", 2, 0, 3, 1)), 0);
  EXPECT_GT(Compare({0, 9}, Elem("a", 2, 0, 0, 1), Elem("b", 1, 0, 0, 1)), 0);
}

// The same rows read in two different orders (as two engines, or two runs of
// a PostgreSQL scan, give them) sort into the same list, whatever the keys.
TEST(SortAuditElements, ReadingOrderDoesNotChangeTheList) {
  std::mt19937 rng(5);
  const char* users[] = {"anne", "marc", "Zoe"};
  const long modules[] = {20105, 2535, 12};
  const std::vector<std::vector<short>> key_sets = {
      {}, {kKeyDate}, {kKeyUser}, {kKeyModule}, {kKeyAction}, {kKeyModule, kKeyAction}, {kKeyUser, kKeyModule}};
  struct Spec {
    const char* user;
    long date, time, id, module;
    char type, action;
  };
  std::vector<Spec> rows;
  for (long id = 1; id <= 2000; ++id) {
    rows.push_back({users[rng() % 3], 20261201 + static_cast<long>(rng() % 3), static_cast<long>(rng() % 4), id,
                    modules[rng() % 3], "XBS"[rng() % 3], "ADR"[rng() % 3]});
  }
  std::vector<Spec> shuffled = rows;
  std::shuffle(shuffled.begin(), shuffled.end(), rng);
  for (const auto& keys : key_sets) {
    short k[4] = {};
    for (size_t i = 0; i < keys.size(); ++i) k[i] = keys[i];
    SetCompareKeys(k, static_cast<short>(keys.size()));
    std::vector<long> orders[2];
    for (int pass = 0; pass < 2; ++pass) {
      TDList list;
      for (const Spec& r : pass == 0 ? rows : shuffled) {
        list.Append(Elem(r.user, r.date, r.time, r.id, r.module, r.type, r.action));
      }
      SortAuditElements(&list);
      for (auto* e : list.As<VantraElem>()) orders[pass].push_back(e->audit_id);
    }
    EXPECT_EQ(orders[0], orders[1]) << "keys " << keys.size();
  }
}

TEST(SortAuditElements, SameOrderAsQSortWithTheComparator) {
  std::mt19937 rng(3);
  const char* users[] = {"anne", "marc", "Zoe", "émile", ""};
  const long modules[] = {20105, 20146, 2535, 12, 2062, 20108};
  const std::vector<std::vector<short>> key_sets = {
      {}, {kKeyDate}, {kKeyUser}, {kKeyModule, kKeyAction}, {kKeyAction, kKeyUser, kKeyDate},
      {kKeyUser, kKeyDate, kKeyModule, kKeyAction}, {7, kKeyModule}};
  for (const auto& keys : key_sets) {
    TDList a, b;
    for (int i = 0; i < 3000; ++i) {
      const char* u = users[rng() % 5];
      const long date = 20261200 + rng() % 3, time = rng() % 3, id = rng() % 50;
      const long module = modules[rng() % 6];
      const char type = "XEBSFL"[rng() % 6], action = "AEXDR"[rng() % 5];
      const long rec = rng() % 9, mode = rng() % 2;
      a.Append(Elem(u, date, time, id, module, type, action, rec, mode));
      b.Append(Elem(u, date, time, id, module, type, action, rec, mode));
      static_cast<VantraElem*>(a.Tail())->action_group = i;  // identity for comparing
      static_cast<VantraElem*>(b.Tail())->action_group = i;
    }
    short k[4] = {};
    for (size_t i = 0; i < keys.size(); ++i) k[i] = keys[i];
    SetCompareKeys(k, static_cast<short>(keys.size()));
    a.QSort(&CompareVantraElems);
    SortAuditElements(&b);
    std::vector<long> order_a, order_b;
    for (auto* e : a.As<VantraElem>()) order_a.push_back(e->action_group);
    for (auto* e : b.As<VantraElem>()) order_b.push_back(e->action_group);
    EXPECT_EQ(order_a, order_b) << "keys " << keys.size();
    EXPECT_EQ(b.Count(), 3000u);
  }
}

// Rows as the date index gives them: in date order, not quite in time order,
// many equal keys (each day sorted on its own must keep the reading order
// among equals); and the same with a few rows stepping back a day (the sort
// of the whole list).
TEST(SortAuditElements, NearlySortedInputSameOrderAsQSort) {
  std::mt19937 rng(11);
  const char* users[] = {"anne", "marc", "Zoe"};
  const std::vector<std::vector<short>> key_sets = {
      {kKeyDate}, {kKeyDate, kKeyUser}, {kKeyUser, kKeyDate}, {kKeyModule}};
  const std::vector<int> late_every = {0, 1, 7, 50, 1000};  // 0: already in order
  for (const auto& keys : key_sets) {
    for (int every : late_every) {
      SCOPED_TRACE("keys " + std::to_string(keys.size()) + " first " + std::to_string(keys[0]) +
                   ", one late row in " + std::to_string(every));
      TDList a, b;
      long date = 20261201, time = 80000;
      for (int i = 0; i < 4000; ++i) {
        if (rng() % 4 == 0) ++time;              // equal times are common
        if (rng() % 500 == 0) ++date;
        long t = time, d = date;
        if (every > 0 && rng() % every == 0) {   // a row that steps back
          t = time - static_cast<long>(rng() % 30);
          if (every != 50 && rng() % 5 == 0) d = date - 1;  // every 50: days stay in order
        }
        const char* u = users[rng() % 3];
        const long id = 5 + static_cast<long>(rng() % 3);  // duplicate ids too
        const long module = rng() % 3 == 0 ? 20105 : 2535;
        a.Append(Elem(u, d, t, id, module));
        b.Append(Elem(u, d, t, id, module));
        static_cast<VantraElem*>(a.Tail())->action_group = i;
        static_cast<VantraElem*>(b.Tail())->action_group = i;
      }
      short k[4] = {};
      for (size_t i = 0; i < keys.size(); ++i) k[i] = keys[i];
      SetCompareKeys(k, static_cast<short>(keys.size()));
      a.QSort(&CompareVantraElems);
      SortAuditElements(&b);
      std::vector<long> order_a, order_b;
      for (auto* e : a.As<VantraElem>()) order_a.push_back(e->action_group);
      for (auto* e : b.As<VantraElem>()) order_b.push_back(e->action_group);
      EXPECT_EQ(order_a, order_b);
      // The links hold both ways.
      size_t back = 0;
      for (TDElem* e = b.Tail(); e != nullptr; e = e->Prev()) ++back;
      EXPECT_EQ(back, 4000u);
    }
  }
}

}  // namespace
