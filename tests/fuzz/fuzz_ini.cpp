// The INI text operations: read a file, change one key (or remove a key or a
// section), read the result back. The changed key reads as written, every
// other key reads as before, and the lines not edited are kept as they were.
//
// Input: one byte of operation, the section, key and value (each a string
// ended by a NUL byte or the end of input), then the file's content.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "host/ini.h"

namespace {

std::string_view Next(const uint8_t** data, size_t* size) {
  const char* begin = reinterpret_cast<const char*>(*data);
  const void* nul = std::memchr(begin, 0, *size);
  const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - begin) : *size;
  *data += nul ? n + 1 : n;
  *size -= nul ? n + 1 : n;
  return std::string_view(begin, n);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string Trimmed(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// Lines without their "\n" (a '\r' before it kept), BOM removed.
std::vector<std::string_view> Lines(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    lines.push_back(text.substr(start, end - start));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return lines;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "INI fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int op = data[0] % 4;  // 0, 1 set a key; 2 remove a key; 3 remove a section
  ++data;
  --size;
  const std::string section(Next(&data, &size));
  const std::string key(Next(&data, &size));
  const std::string value(Next(&data, &size));
  const std::string_view content(reinterpret_cast<const char*>(data), size);

  const char* key_arg = op == 3 ? nullptr : key.c_str();
  const char* value_arg = op >= 2 ? nullptr : value.c_str();
  if (!IniNameError(section.c_str(), key_arg).empty()) return 0;  // refused by write_secini

  const auto before = IniReadAllText(content);
  const std::string edited = IniEditText(content, section, key_arg, value_arg);
  const auto after = IniReadAllText(edited);
  const std::string s = Lower(Trimmed(section));
  const std::string k = Lower(Trimmed(key));

  // The changed key (or section) reads as intended.
  std::string read;
  const bool found = IniReadText(edited, section, key, &read);
  if (op <= 1) {
    std::string expected = value;
    for (char& c : expected) {
      if (c == '\n' || c == '\r') c = ' ';
    }
    if (!found || read != Trimmed(expected)) Fail("the key does not read back as written");
  } else if (op == 2 && found) {
    Fail("a removed key still reads");
  } else if (op == 3 && after.count(s) != 0 && !after.at(s).empty()) {
    Fail("a removed section still has keys");
  }

  // Every other key reads as before, and no key appears from nowhere.
  for (const auto& [sec, keys] : before) {
    for (const auto& [name, v] : keys) {
      if (sec == s && (op == 3 || name == k)) continue;
      auto a = after.find(sec);
      if (a == after.end() || a->second.count(name) == 0 || a->second.at(name) != v) {
        Fail("another key changed");
      }
    }
  }
  for (const auto& [sec, keys] : after) {
    for (const auto& [name, v] : keys) {
      if (sec == s && name == k) continue;
      auto b = before.find(sec);
      if (b == before.end() || b->second.count(name) == 0) Fail("a key appeared");
    }
  }

  // The lines: setting replaces one line or adds up to three (blank line,
  // header, key); removing only drops lines.
  const std::vector<std::string_view> old_lines = Lines(content);
  const std::vector<std::string_view> new_lines = Lines(edited);
  if (op <= 1) {
    size_t p = 0;
    while (p < old_lines.size() && p < new_lines.size() && old_lines[p] == new_lines[p]) ++p;
    size_t q = 0;
    while (q < old_lines.size() - p && q < new_lines.size() - p &&
           old_lines[old_lines.size() - 1 - q] == new_lines[new_lines.size() - 1 - q]) {
      ++q;
    }
    const size_t old_mid = old_lines.size() - p - q;
    const size_t new_mid = new_lines.size() - p - q;
    if (old_mid > 1 || new_mid > 3) Fail("lines other than the key's changed");
  } else {
    size_t j = 0;
    for (size_t i = 0; i < old_lines.size() && j < new_lines.size(); ++i) {
      if (old_lines[i] == new_lines[j]) ++j;
    }
    if (j != new_lines.size()) Fail("a removal changed a line it kept");
  }
  return 0;
}
