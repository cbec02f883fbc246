// prodanal_info: the 258-byte record read and written byte by byte, so the
// layout is the same on every host (packed, little-endian).
//
// ComputeProduction and TProducerAnalysisObj are the production service's
// (suite/production_service.h).

#include "host/prodanal.h"

#include <cstring>

namespace {

// Byte offset of value k of triple t, or -1 when either is out of range.
int OffsetOf(Triple t, int k) {
  int index = static_cast<int>(t);
  if (index < 0 || index >= static_cast<int>(Triple::kCount) || k < 0 || k > 2) return -1;
  return prodanal_info::kTriplesOffset + (index * 3 + k) * 4;
}

}  // namespace

static_assert(prodanal_info::kTriplesOffset + static_cast<int>(Triple::kCount) * 12 == prodanal_info::kSize,
              "the triples fill the record to its end");

std::string prodanal_info::Code() const {
  const char* start = reinterpret_cast<const char*>(data.data()) + kCodeOffset;
  size_t n = 0;
  while (n < static_cast<size_t>(kCodeCapacity) && start[n] != '\0') ++n;
  return std::string(start, n);
}

void prodanal_info::SetCode(const std::string& code) {
  size_t n = code.size() < static_cast<size_t>(kCodeCapacity - 1) ? code.size() : kCodeCapacity - 1;
  std::memset(data.data() + kCodeOffset, 0, kCodeCapacity);
  std::memcpy(data.data() + kCodeOffset, code.data(), n);
}

int32_t prodanal_info::Get(Triple t, int k) const {
  int at = OffsetOf(t, k);
  if (at < 0) return 0;
  uint32_t v = static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
               static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
  return static_cast<int32_t>(v);
}

void prodanal_info::Set(Triple t, int k, int32_t cents) {
  int at = OffsetOf(t, k);
  if (at < 0) return;
  uint32_t v = static_cast<uint32_t>(cents);
  for (int i = 0; i < 4; ++i) data[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
