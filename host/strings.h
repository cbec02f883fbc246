// String tables: this module's numbered French texts and the suite's.
//
// Tables, all in Canadian French, built into the program from res/:
//   kModule      this module's string table (ids 1..~1300), verbatim texts
//   kHost        the suite host's resources: module names (5022..20160,
//                2534, 2535), report names (10985..11179), column headings
//                (10040..10281), the application's name
//   kKelvoUtils  the suite's KelvoUtils table
//   kKelvoUtils2 the suite's printing library table (verbs 8545..8551, 8787,
//                filter conditions 8732..8740, ...)
// The list headings the suite's libraries share (10040..10348: "Date",
// "Heure", "Usager", ...) are found through both kHost and kKelvoUtils, as
// callers name either table for them. The suite's own name is host string
// kAppNameStringId. A missing id gives the empty text, never a crash.
#pragma once

#include <string_view>

#include <string>

enum class StringTable { kModule, kHost, kKelvoUtils, kKelvoUtils2 };

// Host string holding the suite's own name ("Cabinet Tolvane").
constexpr int kAppNameStringId = 1;

// Text of id in table; "" when the table has no such id. The pointer stays
// valid for the life of the process.
const char* LoadTableString(StringTable table, int id);

// The suite's string loader: TDLoadString(instance, capacity) then Text(id).
// Text returns at most capacity-1 bytes of the string (cut on a UTF-8
// character boundary; "" when capacity < 2), held in the loader until the
// next Text call.
class TDLoadString {
 public:
  explicit TDLoadString(int capacity = 256, StringTable table = StringTable::kModule);
  const char* Text(int id);
  const char* operator()(int id) { return Text(id); }

 private:
  int capacity_;
  StringTable table_;
  std::string buffer_;
};

// Host string of id (module names, column headings, report names).
inline const char* HostString(int id) { return LoadTableString(StringTable::kHost, id); }
inline const char* ModuleString(int id) { return LoadTableString(StringTable::kModule, id); }

// True when text is well-formed UTF-8: no stray continuation byte, no
// overlong form, no surrogate, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text);
