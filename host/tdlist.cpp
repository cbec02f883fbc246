// TDList: the links live in the elements; the list holds head, tail, count.

#include "host/tdlist.h"

#include <algorithm>
#include <vector>

void TDList::Append(TDElem* elem) { InsertAfter(tail_, elem); }

void TDList::Prepend(TDElem* elem) { InsertAfter(nullptr, elem); }

void TDList::InsertAfter(TDElem* after, TDElem* elem) {
  if (elem == nullptr) return;
  TDElem* next = after ? after->next_ : head_;
  elem->prev_ = after;
  elem->next_ = next;
  if (after) {
    after->next_ = elem;
  } else {
    head_ = elem;
  }
  if (next) {
    next->prev_ = elem;
  } else {
    tail_ = elem;
  }
  ++count_;
}

TDElem* TDList::Remove(TDElem* elem) {
  if (elem == nullptr) return nullptr;
  // An element that is not linked here (a head or tail that is not ours)
  // is left alone rather than corrupting the list.
  if ((elem->prev_ == nullptr && head_ != elem) || (elem->next_ == nullptr && tail_ != elem)) return nullptr;
  if (elem->prev_) {
    elem->prev_->next_ = elem->next_;
  } else {
    head_ = elem->next_;
  }
  if (elem->next_) {
    elem->next_->prev_ = elem->prev_;
  } else {
    tail_ = elem->prev_;
  }
  elem->next_ = elem->prev_ = nullptr;
  --count_;
  return elem;
}

void TDList::DeleteElems() {
  TDElem* e = head_;
  head_ = tail_ = nullptr;
  count_ = 0;
  while (e) {
    TDElem* next = e->next_;
    delete e;
    e = next;
  }
}

TDElem* TDList::At(size_t index) const {
  if (index >= count_) return nullptr;
  TDElem* e = head_;
  for (size_t i = 0; i < index; ++i) e = e->next_;
  return e;
}

namespace {

// The elements of list in the stable order of less.
template <class Less>
std::vector<TDElem*> SortedOrder(const TDList& list, Less less) {
  std::vector<TDElem*> order;
  order.reserve(list.Count());
  for (TDElem* e = list.Head(); e; e = e->Next()) order.push_back(e);
  std::stable_sort(order.begin(), order.end(), less);
  return order;
}

}  // namespace

// Relinking appends the elements again in their new order; the elements keep
// their addresses and the list keeps ownership throughout.
void TDList::QSort(CompareFn compare) {
  if (compare == nullptr || count_ < 2) return;
  std::vector<TDElem*> order =
      SortedOrder(*this, [compare](const TDElem* a, const TDElem* b) { return compare(a, b) < 0; });
  head_ = tail_ = nullptr;
  count_ = 0;
  for (TDElem* e : order) Append(e);
}

void TDList::QSort(const std::function<int(const TDElem*, const TDElem*)>& compare) {
  if (!compare || count_ < 2) return;
  std::vector<TDElem*> order =
      SortedOrder(*this, [&compare](const TDElem* a, const TDElem* b) { return compare(a, b) < 0; });
  head_ = tail_ = nullptr;
  count_ = 0;
  for (TDElem* e : order) Append(e);
}
