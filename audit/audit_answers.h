// AnswerTable: the answers of one generation's name look-ups, by request.
//
// A million-row list asks some hundred thousand distinct look-ups, then reads
// an answer for every row, in list order. So the answers are packed (a flag,
// the date and five length-prefixed texts: ~40 bytes instead of the 240 of a
// LookupAnswer) and, for a shape whose ids are dense (ids 1..N of a table),
// found through a plain array indexed by id; other ids go through an
// open-addressing hash. Internal to audit/ (DbLookupRunner).
#pragma once

#include <cstdint>
#include <vector>

#include "audit/audit_lookup.h"
#include "audit/huge_pages.h"

class AnswerTable {
 public:
  bool Has(const LookupRequest& r) const { return OffsetOf(r) != kNone; }
  // Copies the answer filed for r into *out; false (out untouched) when none.
  bool Find(const LookupRequest& r, LookupAnswer* out) const;
  // Files a for r (replacing an earlier answer). An answer that no longer
  // fits (over 4 GB of answers) is not filed; Find then reports none.
  void Put(const LookupRequest& r, const LookupAnswer& a);
  // Tells that about count answers of shape (kind, link), ids up to max_id,
  // are coming: a dense shape gets its array.
  void Expect(LookupKind kind, LinkTable link, long max_id, size_t count);
  size_t size() const { return count_; }

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;
  struct Slot {
    long id;
    uint32_t offset;  // kNone = empty slot
    uint8_t kind;
    uint8_t link;
  };
  static size_t ShapeOf(LookupKind kind, LinkTable link) {
    return static_cast<size_t>(kind) * 8 + static_cast<size_t>(link);
  }
  uint32_t OffsetOf(const LookupRequest& r) const;
  size_t SlotOf(const LookupRequest& r) const;
  void GrowHash();
  uint32_t Pack(const LookupAnswer& a);
  void Unpack(uint32_t offset, LookupAnswer* out) const;

  std::vector<audit_detail::HugeVector<uint32_t>> dense_;  // by shape, then id
  std::vector<Slot> slots_;                   // power of two, at most half full
  size_t hashed_ = 0;
  size_t count_ = 0;
  audit_detail::HugeVector<char> blob_;       // the packed answers
};
