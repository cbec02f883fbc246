// The list-layout resource readers on any bytes: they never read past the
// input, refuse what they cannot read with a message, and what they accept
// encodes back to bytes that decode to the same layout (a bare resource to
// the very same bytes).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "host/list_layout.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "list-layout fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Copy into an exact-size buffer so that AddressSanitizer sees any read
  // past the end.
  std::vector<uint8_t> bytes(data, data + size);
  std::span<const uint8_t> in(bytes.data(), bytes.size());

  ListLayout list;
  size_t consumed = 0;
  std::string error;
  if (DecodeListBlock(in, &list, &consumed, &error)) {
    if (consumed > size) Fail("consumed more than the input");
    ListLayout again;
    size_t again_consumed = 0;
    const std::vector<uint8_t> encoded = EncodeListBlock(list);
    if (!DecodeListBlock(encoded, &again, &again_consumed, nullptr) || !(again == list) ||
        again_consumed != encoded.size()) {
      Fail("a list block does not survive encoding");
    }
  } else if (error.empty()) {
    Fail("a refused list block without a message");
  }

  error.clear();
  if (DecodeBareListResource(in, &list, &error)) {
    if (EncodeListBlock(list) != bytes) Fail("a bare resource encodes to other bytes");
  } else if (error.empty()) {
    Fail("a refused bare resource without a message");
  }

  DialogLayout dialog;
  error.clear();
  if (DecodeDialogLayout(in, &dialog, &error)) {
    const std::vector<uint8_t> encoded = EncodeDialogLayout(dialog);
    DialogLayout again;
    if (!DecodeDialogLayout(encoded, &again, nullptr) || !(again == dialog)) {
      Fail("a dialog resource does not survive encoding");
    }
    for (const DialogListLayout& l : dialog.lists) {
      if (dialog.FindList(l.control_id) == nullptr) Fail("FindList misses a list");
    }
  } else if (error.empty()) {
    Fail("a refused dialog resource without a message");
  }
  return 0;
}
