// TDList / TDElem: the suite's owning doubly linked list.
//
// The list owns its elements: DeleteElems and the destructor delete them.
// QSort reorders the links (elements keep their addresses) with a
// comparison function returning <0, 0, >0; it is stable, so elements that
// compare equal keep their insertion order. O(n log n), no allocation per
// element beyond one pointer array.
#pragma once

#include <cstddef>
#include <functional>
#include <type_traits>
#include <utility>

class TDElem {
 public:
  TDElem() = default;
  TDElem(const TDElem&) = delete;
  TDElem& operator=(const TDElem&) = delete;
  virtual ~TDElem() = default;

  TDElem* Next() const { return next_; }
  TDElem* Prev() const { return prev_; }

 private:
  friend class TDList;
  TDElem* next_ = nullptr;
  TDElem* prev_ = nullptr;
};

class TDList {
 public:
  using CompareFn = int (*)(const TDElem*, const TDElem*);

  TDList() = default;
  TDList(const TDList&) = delete;
  TDList& operator=(const TDList&) = delete;
  ~TDList() { DeleteElems(); }

  // Takes ownership. REQUIRES: elem is not in a list.
  void Append(TDElem* elem);
  void Prepend(TDElem* elem);
  // Inserts elem after `after` (which must be in this list; null = at head).
  void InsertAfter(TDElem* after, TDElem* elem);
  // Unlinks elem and gives ownership back to the caller. Returns elem, or
  // null (and changes nothing) when elem is null or visibly not in this list.
  TDElem* Remove(TDElem* elem);
  // Deletes every element.
  void DeleteElems();

  TDElem* Head() const { return head_; }
  TDElem* Tail() const { return tail_; }
  size_t Count() const { return count_; }
  bool IsEmpty() const { return count_ == 0; }
  // Element at 0-based position (O(n)); null when out of range.
  TDElem* At(size_t index) const;

  void QSort(CompareFn compare);
  using CompareFunction = std::function<int(const TDElem*, const TDElem*)>;
  void QSort(const CompareFunction& compare);
  // Any other callable, lambdas included (without this overload a lambda
  // without captures would be ambiguous between the two above).
  template <class F, class = std::enable_if_t<std::is_invocable_r_v<int, F&, const TDElem*, const TDElem*> &&
                                              !std::is_same_v<std::decay_t<F>, CompareFn> &&
                                              !std::is_same_v<std::decay_t<F>, CompareFunction>>>
  void QSort(F&& compare) {
    const CompareFunction function(std::forward<F>(compare));
    QSort(function);
  }

  // Typed iteration helper: for (auto* e : list.As<MyElem>()) ...
  template <class T>
  struct Range {
    TDElem* first;
    struct It {
      TDElem* e;
      T* operator*() const { return static_cast<T*>(e); }
      It& operator++() { e = e->Next(); return *this; }
      bool operator!=(const It& o) const { return e != o.e; }
    };
    It begin() const { return {first}; }
    It end() const { return {nullptr}; }
  };
  template <class T>
  Range<T> As() const { return {head_}; }

 private:
  TDElem* head_ = nullptr;
  TDElem* tail_ = nullptr;
  size_t count_ = 0;
};
