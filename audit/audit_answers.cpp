#include "audit/audit_answers.h"

#include <cstring>

namespace {

void PutText(audit_detail::HugeVector<char>* blob, const char* text, size_t cap) {
  const size_t n = strnlen(text, cap - 1);
  blob->push_back(static_cast<char>(n));
  blob->insert(blob->end(), text, text + n);
}

const char* GetText(const char* in, char* out) {
  const size_t n = static_cast<unsigned char>(*in++);
  std::memcpy(out, in, n);
  out[n] = '\0';
  return in + n;
}

}  // namespace

uint32_t AnswerTable::Pack(const LookupAnswer& a) {
  if (blob_.size() >= kNone - 512) return kNone;
  const uint32_t offset = static_cast<uint32_t>(blob_.size());
  blob_.push_back(a.found ? 1 : 0);
  if (!a.found) return offset;
  const char* date = reinterpret_cast<const char*>(&a.date);
  blob_.insert(blob_.end(), date, date + sizeof a.date);
  PutText(&blob_, a.number, sizeof a.number);
  PutText(&blob_, a.code, sizeof a.code);
  PutText(&blob_, a.description, sizeof a.description);
  PutText(&blob_, a.first_name, sizeof a.first_name);
  PutText(&blob_, a.last_name, sizeof a.last_name);
  return offset;
}

void AnswerTable::Unpack(uint32_t offset, LookupAnswer* out) const {
  // Only the terminated texts are written: what lies past a terminator is
  // never read.
  const char* in = blob_.data() + offset;
  out->found = *in++ != 0;
  if (!out->found) {
    out->date = 0;
    out->number[0] = out->code[0] = out->description[0] = out->first_name[0] =
        out->last_name[0] = '\0';
    return;
  }
  std::memcpy(&out->date, in, sizeof out->date);
  in += sizeof out->date;
  in = GetText(in, out->number);
  in = GetText(in, out->code);
  in = GetText(in, out->description);
  in = GetText(in, out->first_name);
  GetText(in, out->last_name);
}

size_t AnswerTable::SlotOf(const LookupRequest& r) const {
  const size_t mask = slots_.size() - 1;
  size_t i = LookupRequestHash()(r) & mask;
  while (slots_[i].offset != kNone &&
         !(slots_[i].id == r.id && slots_[i].kind == static_cast<uint8_t>(r.kind) &&
           slots_[i].link == static_cast<uint8_t>(r.link))) {
    i = (i + 1) & mask;
  }
  return i;
}

uint32_t AnswerTable::OffsetOf(const LookupRequest& r) const {
  const size_t shape = ShapeOf(r.kind, r.link);
  if (shape < dense_.size() && r.id >= 0 &&
      static_cast<unsigned long>(r.id) < dense_[shape].size()) {
    const uint32_t offset = dense_[shape][r.id];
    if (offset != kNone) return offset;
  }
  if (hashed_ == 0) return kNone;
  return slots_[SlotOf(r)].offset;
}

bool AnswerTable::Find(const LookupRequest& r, LookupAnswer* out) const {
  const uint32_t offset = OffsetOf(r);
  if (offset == kNone) return false;
  Unpack(offset, out);
  return true;
}

void AnswerTable::GrowHash() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 16 : old.size() * 2, Slot{0, kNone, 0, 0});
  for (const Slot& s : old) {
    if (s.offset == kNone) continue;
    slots_[SlotOf(LookupRequest{static_cast<LookupKind>(s.kind), static_cast<LinkTable>(s.link),
                                s.id})] = s;
  }
}

void AnswerTable::Put(const LookupRequest& r, const LookupAnswer& a) {
  const uint32_t offset = Pack(a);
  if (offset == kNone) return;
  ++count_;
  const size_t shape = ShapeOf(r.kind, r.link);
  if (shape < dense_.size() && r.id >= 0 &&
      static_cast<unsigned long>(r.id) < dense_[shape].size()) {
    dense_[shape][r.id] = offset;
    return;
  }
  if (2 * (hashed_ + 1) > slots_.size()) GrowHash();
  Slot& s = slots_[SlotOf(r)];
  if (s.offset == kNone) ++hashed_;
  s = Slot{r.id, offset, static_cast<uint8_t>(r.kind), static_cast<uint8_t>(r.link)};
}

void AnswerTable::Expect(LookupKind kind, LinkTable link, long max_id, size_t count) {
  // Dense: the array costs at most 16 bytes per answer expected (plus 256 KB).
  if (max_id < 0 || static_cast<unsigned long>(max_id) > 4 * count + 65536) return;
  const size_t shape = ShapeOf(kind, link);
  if (dense_.size() <= shape) dense_.resize(shape + 1);
  audit_detail::HugeVector<uint32_t>& index = dense_[shape];
  if (index.size() < static_cast<size_t>(max_id) + 1) index.resize(max_id + 1, kNone);
  blob_.reserve(blob_.size() + count * 48);
}
