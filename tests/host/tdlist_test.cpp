#include "host/tdlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int g_live = 0;  // elements alive, to check ownership

struct Item : TDElem {
  Item(int key, int seq) : key(key), seq(seq) { ++g_live; }
  ~Item() override { --g_live; }
  int key;
  int seq;
};

int ByKey(const TDElem* a, const TDElem* b) {
  return static_cast<const Item*>(a)->key - static_cast<const Item*>(b)->key;
}

std::vector<int> Seqs(const TDList& list) {
  std::vector<int> out;
  for (Item* e : list.As<Item>()) out.push_back(e->seq);
  return out;
}

// Walks the list backwards too, so broken prev links show.
std::vector<int> SeqsBackwards(const TDList& list) {
  std::vector<int> out;
  for (TDElem* e = list.Tail(); e; e = e->Prev()) out.insert(out.begin(), static_cast<Item*>(e)->seq);
  return out;
}

TEST(TDListTest, InsertRemoveAndAt) {
  {
    TDList list;
    Item* a = new Item(0, 1);
    Item* b = new Item(0, 2);
    Item* c = new Item(0, 3);
    list.Append(b);
    list.Prepend(a);
    list.Append(c);
    list.InsertAfter(b, new Item(0, 4));
    list.InsertAfter(nullptr, new Item(0, 5));
    EXPECT_EQ(Seqs(list), (std::vector<int>{5, 1, 2, 4, 3}));
    EXPECT_EQ(SeqsBackwards(list), Seqs(list));
    EXPECT_EQ(list.Count(), 5u);
    EXPECT_EQ(list.At(0), list.Head());
    EXPECT_EQ(list.At(2), b);
    EXPECT_EQ(list.At(4), c);
    EXPECT_EQ(list.At(5), nullptr);

    // Removing the head, a middle element and the tail.
    TDElem* head = list.Remove(list.Head());
    EXPECT_EQ(list.Remove(b), b);
    EXPECT_EQ(list.Remove(c), c);
    EXPECT_EQ(Seqs(list), (std::vector<int>{1, 4}));
    EXPECT_EQ(SeqsBackwards(list), Seqs(list));
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.Remove(b), nullptr);  // no longer here: nothing changes
    EXPECT_EQ(list.Count(), 2u);
    delete head;
    delete b;
    delete c;
    EXPECT_EQ(g_live, 2);

    list.DeleteElems();
    EXPECT_EQ(g_live, 0);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Tail(), nullptr);
    list.Append(new Item(1, 1));  // usable again; the destructor deletes it
  }
  EXPECT_EQ(g_live, 0);
}

TEST(TDListTest, QSortIsStableAndKeepsAddresses) {
  TDList list;
  const int keys[] = {3, 1, 2, 1, 3, 2, 1, 0};
  std::vector<TDElem*> addresses;
  for (int i = 0; i < 8; ++i) {
    list.Append(new Item(keys[i], i));
    addresses.push_back(list.Tail());
  }
  list.QSort(ByKey);
  EXPECT_EQ(Seqs(list), (std::vector<int>{7, 1, 3, 6, 2, 5, 0, 4}));
  EXPECT_EQ(SeqsBackwards(list), Seqs(list));
  EXPECT_EQ(list.Count(), 8u);
  EXPECT_EQ(list.At(0), addresses[7]);

  // The std::function form, descending.
  list.QSort([](const TDElem* a, const TDElem* b) { return ByKey(b, a); });
  EXPECT_EQ(Seqs(list), (std::vector<int>{0, 4, 2, 5, 1, 3, 6, 7}));
  list.QSort(static_cast<TDList::CompareFn>(nullptr));  // no comparison: unchanged
  EXPECT_EQ(Seqs(list), (std::vector<int>{0, 4, 2, 5, 1, 3, 6, 7}));
}

TEST(TDListTest, QSortsAMillionElements) {
  TDList list;
  const int n = 1000000;
  unsigned x = 12345;
  for (int i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    list.Append(new Item(static_cast<int>((x >> 16) % 1000), i));
  }
  list.QSort(ByKey);
  ASSERT_EQ(list.Count(), static_cast<size_t>(n));
  const Item* prev = nullptr;
  size_t seen = 0;
  for (Item* e : list.As<Item>()) {
    if (prev) {
      ASSERT_LE(prev->key, e->key);
      if (prev->key == e->key) {
        ASSERT_LT(prev->seq, e->seq);
      }
    }
    prev = e;
    ++seen;
  }
  EXPECT_EQ(seen, static_cast<size_t>(n));
  EXPECT_EQ(list.Tail(), prev);
  list.DeleteElems();
  EXPECT_EQ(g_live, 0);
}

}  // namespace
