// The typed column readers of GenDB (dbGetLong, dbGetShort, dbGetChar,
// dbGetString, dbGetField), written once for both engines on top of the two
// primitives each engine has:
//
//   int ReadInt(int column, int cursor, int64_t* v);
//   int ReadText(int column, int cursor, char* scratch, std::string_view* v);
//
// ReadInt gives the column as a 64-bit integer (NULL and non-numbers read 0);
// ReadText gives it as text (NULL reads ""), possibly formatted into scratch
// (kReadScratch bytes), valid until the next read. Both return 0, or kFailed
// with the engine's LastError() set when there is no such row or column.
// Static dispatch (the engine is the template argument): these run once per
// value read, so they cost no more than the engine's own override would.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/gendb.h"
#include "host/gendb_text.h"

inline constexpr int kReadScratch = 32;

template <class Engine>
class GenDBTypedReaders : public GenDB {
 public:
  int dbGetLong(int column, long* out, int cursor) final {
    int64_t v = 0;
    const int rc = Self()->ReadInt(column, cursor, &v);
    if (out != nullptr) *out = static_cast<long>(v);
    return rc;
  }

  int dbGetShort(int column, short* out, int cursor) final {
    int64_t v = 0;
    const int rc = Self()->ReadInt(column, cursor, &v);
    if (out != nullptr) *out = static_cast<short>(std::clamp<int64_t>(v, SHRT_MIN, SHRT_MAX));
    return rc;
  }

  int dbGetChar(int column, char* out, int cursor) final {
    char scratch[kReadScratch];
    std::string_view v;
    const int rc = Self()->ReadText(column, cursor, scratch, &v);
    if (out != nullptr) *out = v.empty() ? '\0' : v.front();
    return rc;
  }

  int dbGetString(int column, char* buffer, int capacity, int cursor) final {
    char scratch[kReadScratch];
    std::string_view v;
    const int rc = Self()->ReadText(column, cursor, scratch, &v);
    gendb_text::CopyToBuffer(v.data(), v.size(), buffer, capacity);
    return rc;
  }

  int dbGetField(int column, std::string* out, int cursor, bool trim_trailing) final {
    char scratch[kReadScratch];
    std::string_view v;
    const int rc = Self()->ReadText(column, cursor, scratch, &v);
    if (out == nullptr) return rc;
    out->assign(v.data(), v.size());
    if (trim_trailing) gendb_text::TrimTrailingBlanks(out);
    return rc;
  }

 private:
  Engine* Self() { return static_cast<Engine*>(this); }
};
