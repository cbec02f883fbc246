// The order of the audit lists: the comparator of the chosen sort keys and a
// sort that gives the same order without touching the elements while it
// compares.
#include <algorithm>
#include <cstring>
#include <vector>

#include "audit/audit_generator.h"

namespace {

// The process-wide copy of the sort keys read by the comparator.
short g_sort_keys[4] = {};
short g_sort_key_count = 0;

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
  return 0;
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

// Rows sorted by date come from the database nearly in that order (the date
// index gives them by day, and within a day mostly by time), so the sort
// first keeps the longest run it can walk in order and sorts only the
// elements that step back:
//   1. walk the list; an element that compares below the last one kept is
//      taken out (into `late`, keys copied), the others stay: what stays is
//      in order;
//   2. sort `late` stably;
//   3. merge `late` back in; on equal keys the element that stayed goes
//      first.
// Step 3 gives the stable order: a late element e was taken out because it
// is below some element k kept before it; every element kept after e is at
// least k, so above e. An element that stayed and equals e was therefore
// read before e, which is where the stable order puts it.
void SortAuditElements(TDList* list) {
  if (list->Count() < 2 || g_sort_key_count == 0) return;
  std::vector<SortKey> late;
  const VantraElem* last = nullptr;
  for (TDElem* p = list->Head(); p != nullptr;) {
    TDElem* next = p->Next();
    VantraElem* e = static_cast<VantraElem*>(p);
    if (last != nullptr && CompareByKeys(ElemView{*e}, ElemView{*last}) < 0) {
      const ElemView v{*e};
      SortKey k;
      k.elem = e;
      k.date_ = v.date();
      k.time_ = v.time();
      k.id_ = v.id();
      k.group_ = v.group();
      k.rank_ = v.rank();
      std::memcpy(k.user_, e->user(), sizeof k.user_);
      late.push_back(k);
      list->Remove(e);
    } else {
      last = e;
    }
    p = next;
  }
  if (late.empty()) return;
  std::stable_sort(late.begin(), late.end(),
                   [](const SortKey& a, const SortKey& b) { return CompareByKeys(a, b) < 0; });
  TDElem* placed = nullptr;        // the element the next late one goes after
  TDElem* stayed = list->Head();   // the first element that stayed not yet passed
  for (const SortKey& k : late) {
    while (stayed != nullptr &&
           CompareByKeys(ElemView{*static_cast<const VantraElem*>(stayed)}, k) <= 0) {
      placed = stayed;
      stayed = stayed->Next();
    }
    list->InsertAfter(placed, k.elem);
    placed = k.elem;
  }
}
