// The order of the audit lists: the comparator of the chosen sort keys and a
// sort that gives the same order without touching the elements while it
// compares.
#include <algorithm>
#include <cstring>
#include <vector>

#include "audit/audit_generator.h"
#include "audit/huge_pages.h"

namespace {

// The sort keys the comparator reads: one copy per thread (the clinics of a
// group sort on their own threads, host/clinic_pool.h).
thread_local short g_sort_keys[4] = {};
thread_local short g_sort_key_count = 0;

// One comparison rule for both ways of sorting: A and B are views of a
// VantraElem (ElemView) or SortKeys copied from one.
template <class A, class B>
int CompareByKeys(const A& a, const B& b) {
  for (int i = 0; i < g_sort_key_count; ++i) {
    switch (g_sort_keys[i]) {
      case kKeyUser: {
        const int c = std::strcmp(a.user(), b.user());
        if (c != 0) return c < 0 ? -1 : 1;
        break;
      }
      case kKeyDate:
        if (a.date() != b.date()) return a.date() < b.date() ? -1 : 1;
        if (a.time() != b.time()) return a.time() < b.time() ? -1 : 1;
        if (a.id() != b.id()) return a.id() < b.id() ? -1 : 1;
        break;
      case kKeyModule:
        if (a.rank() != b.rank()) return a.rank() < b.rank() ? -1 : 1;
        break;
      case kKeyAction:
        if (a.group() != b.group()) return a.group() < b.group() ? -1 : 1;
        break;
      default:
        break;
    }
  }
  // Rows the chosen keys find equal come in the order the engine read them,
  // which differs between engines (and between runs on PostgreSQL, whose
  // scans of a large table may start anywhere): the id (the order the rows
  // were written in), then the date, the time and the user (the two tables
  // of the archive may share an id) decide then, the same on both.
  if (a.id() != b.id()) return a.id() < b.id() ? -1 : 1;
  if (a.date() != b.date()) return a.date() < b.date() ? -1 : 1;
  if (a.time() != b.time()) return a.time() < b.time() ? -1 : 1;
  const int c = std::strcmp(a.user(), b.user());
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// The comparator's view of an element.
struct ElemView {
  const VantraElem& e;
  const char* user() const { return e.user(); }
  long date() const { return e.date(); }
  long time() const { return e.time(); }
  long id() const { return e.audit_id; }
  int rank() const { return ModuleRank(e.module_code); }
  long group() const {
    return ActionGroupOf(e.type(), e.action(), e.record_id(), e.group_mode);
  }
};

// The same fields, copied.
struct SortKey {
  VantraElem* elem;
  long date_, time_, id_, group_;
  int rank_;
  char user_[kAuditUserCap];
  const char* user() const { return user_; }
  long date() const { return date_; }
  long time() const { return time_; }
  long id() const { return id_; }
  int rank() const { return rank_; }
  long group() const { return group_; }
};

}  // namespace

void SetCompareKeys(const short keys[4], short count) {
  for (int i = 0; i < 4; ++i) g_sort_keys[i] = keys[i];
  g_sort_key_count = count < 0 ? 0 : count > 4 ? 4 : count;
}

int CompareVantraElems(const TDElem* a, const TDElem* b) {
  return CompareByKeys(ElemView{*static_cast<const VantraElem*>(a)},
                       ElemView{*static_cast<const VantraElem*>(b)});
}

namespace {

SortKey KeyOf(VantraElem* e, bool need_rank, bool need_group) {
  const ElemView v{*e};
  SortKey k;
  k.elem = e;
  k.date_ = v.date();
  k.time_ = v.time();
  k.id_ = v.id();
  k.group_ = need_group ? v.group() : 0;
  k.rank_ = need_rank ? v.rank() : 0;
  std::memcpy(k.user_, e->user(), sizeof k.user_);
  return k;
}

bool KeyUsed(short key) {
  for (int i = 0; i < g_sort_key_count; ++i) {
    if (g_sort_keys[i] == key) return true;
  }
  return false;
}

bool Less(const SortKey& a, const SortKey& b) { return CompareByKeys(a, b) < 0; }

}  // namespace

// The keys are copied side by side, sorted stably, and the elements relinked
// in that order (each moved to the tail). Sorting by date (first key), the
// rows come from the database already in date order (the date index), only
// not in time order within a day: then each day is sorted on its own, its
// few thousand keys in a buffer that stays in the cache, instead of the whole
// list at once. A stable sort of a list in date order is the days, each
// stably sorted, one after the other.
void SortAuditElements(TDList* list) {
  short first = 0;  // the first key the comparator uses (0: the id breaks ties first)
  for (int i = 0; i < g_sort_key_count; ++i) {
    if (g_sort_keys[i] >= kKeyUser && g_sort_keys[i] <= kKeyAction) {
      first = g_sort_keys[i];
      break;
    }
  }
  if (list->Count() < 2) return;
  const bool need_rank = KeyUsed(kKeyModule), need_group = KeyUsed(kKeyAction);
  bool by_day = first == kKeyDate;
  for (TDElem* p = list->Head(); by_day && p != nullptr && p->Next() != nullptr; p = p->Next()) {
    by_day = static_cast<VantraElem*>(p)->date() <= static_cast<VantraElem*>(p->Next())->date();
  }
  audit_detail::HugeVector<SortKey> keys;
  if (by_day) {
    // The head is always the first element of the next day: the days done
    // have gone to the tail.
    const size_t count = list->Count();
    for (size_t done = 0; done < count;) {
      keys.clear();
      const long day = static_cast<VantraElem*>(list->Head())->date();
      for (TDElem* p = list->Head(); p != nullptr && keys.size() < count - done; p = p->Next()) {
        VantraElem* e = static_cast<VantraElem*>(p);
        if (e->date() != day) break;
        keys.push_back(KeyOf(e, need_rank, need_group));
      }
      std::stable_sort(keys.begin(), keys.end(), Less);
      for (const SortKey& k : keys) {
        list->Remove(k.elem);
        list->Append(k.elem);
      }
      done += keys.size();
    }
    return;
  }
  keys.reserve(list->Count());
  for (VantraElem* e : list->As<VantraElem>()) keys.push_back(KeyOf(e, need_rank, need_group));
  std::stable_sort(keys.begin(), keys.end(), Less);
  // Moving each element to the tail in sorted order leaves the list sorted.
  for (const SortKey& k : keys) {
    list->Remove(k.elem);
    list->Append(k.elem);
  }
}
