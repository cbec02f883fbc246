// The order of the audit lists: the comparator of the chosen sort keys and a
// sort that gives the same order without touching the elements while it
// compares.
#include <algorithm>
#include <cstring>
#include <unordered_map>
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
// rows are first dealt out by day, each day keeping the reading order, and
// each day is then sorted on its own, its few thousand keys in a buffer that
// stays in the cache, instead of the whole list at once: a stable sort by
// date first is the days in date order, each stably sorted. The rows mostly
// come in date order already (the date index; a server's scan of the table
// in the order it was loaded, where a day's last rows may follow the next
// day's first), so a row almost always joins the day of the row before it.
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
  audit_detail::HugeVector<SortKey> keys;
  if (first == kKeyDate) {
    struct Day {
      long date;
      std::vector<VantraElem*> elems;
    };
    std::vector<Day> days;
    std::unordered_map<long, size_t> day_of;  // date -> index in days
    size_t last = 0;
    for (VantraElem* e : list->As<VantraElem>()) {
      if (days.empty() || days[last].date != e->date()) {
        auto [it, added] = day_of.try_emplace(e->date(), days.size());
        if (added) days.push_back(Day{e->date(), {}});
        last = it->second;
      }
      days[last].elems.push_back(e);
    }
    std::sort(days.begin(), days.end(), [](const Day& a, const Day& b) { return a.date < b.date; });
    for (const Day& day : days) {
      keys.clear();
      for (VantraElem* e : day.elems) keys.push_back(KeyOf(e, need_rank, need_group));
      std::stable_sort(keys.begin(), keys.end(), Less);
      for (const SortKey& k : keys) {
        list->Remove(k.elem);
        list->Append(k.elem);
      }
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
