// The built-in string tables behind host/strings.h.
//
// Each table is a constexpr array of {id, text} sorted by id (checked at
// compile time with IsSortedUnique), looked up by binary search. Texts are
// UTF-8 and live for the whole process.
#pragma once

#include <cstddef>
#include <span>

struct StringEntry {
  int id;
  const char* text;
};

template <size_t N>
constexpr bool IsSortedUnique(const StringEntry (&entries)[N]) {
  for (size_t i = 1; i < N; ++i) {
    if (entries[i - 1].id >= entries[i].id) return false;
  }
  return true;
}

std::span<const StringEntry> ModuleStringTable();      // res/strings_module.cpp
std::span<const StringEntry> HostStringTable();        // res/strings_host.cpp
std::span<const StringEntry> SharedHeadingTable();     // res/strings_host.cpp
std::span<const StringEntry> KelvoUtilsStringTable();  // res/strings_kelvo.cpp
std::span<const StringEntry> KelvoUtils2StringTable(); // res/strings_kelvo.cpp
