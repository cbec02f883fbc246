// String look-up over the built-in tables of res/.

#include "host/strings.h"

#include <algorithm>
#include <span>

#include "res/string_tables.h"

namespace {

// Text of id in one sorted table, or null.
const char* Find(std::span<const StringEntry> table, int id) {
  auto it = std::lower_bound(table.begin(), table.end(), id,
                             [](const StringEntry& e, int wanted) { return e.id < wanted; });
  return it != table.end() && it->id == id ? it->text : nullptr;
}

}  // namespace

const char* LoadTableString(StringTable table, int id) {
  const char* text = nullptr;
  switch (table) {
    case StringTable::kModule:
      text = Find(ModuleStringTable(), id);
      break;
    case StringTable::kHost:
      text = Find(HostStringTable(), id);
      if (!text) text = Find(SharedHeadingTable(), id);
      break;
    case StringTable::kKelvoUtils:
      text = Find(KelvoUtilsStringTable(), id);
      if (!text) text = Find(SharedHeadingTable(), id);
      break;
    case StringTable::kKelvoUtils2:
      text = Find(KelvoUtils2StringTable(), id);
      break;
  }
  return text ? text : "";
}

TDLoadString::TDLoadString(int capacity, StringTable table) : capacity_(capacity), table_(table) {}

const char* TDLoadString::Text(int id) {
  const char* text = LoadTableString(table_, id);
  size_t max = capacity_ > 1 ? static_cast<size_t>(capacity_ - 1) : 0;
  size_t n = std::char_traits<char>::length(text);
  if (n > max) {
    n = max;
    // Back up to the first byte of a UTF-8 sequence so no character is cut.
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  }
  buffer_.assign(text, n);
  return buffer_.c_str();
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t more = 0;
    unsigned long code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1, code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2, code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3, code = c & 0x07;
    } else {
      return false;
    }
    if (i + more >= text.size()) return false;
    for (size_t k = 1; k <= more; ++k) {
      const unsigned char d = static_cast<unsigned char>(text[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      code = (code << 6) | (d & 0x3F);
    }
    if ((more == 2 && code < 0x800) || (more == 3 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += more + 1;
  }
  return true;
}
