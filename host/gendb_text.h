// Text helpers shared by the GenDB engines: how a column value read as text
// becomes a number, how it is copied into a caller's fixed buffer, and how a
// statement text is checked before it is sent. Both engines use these so that
// the same value reads the same way on SQLite and on PostgreSQL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace gendb_text {

// Leading decimal integer of a text: optional blanks, an optional sign, then
// digits up to the first non-digit. "123" -> 123, " -7" -> -7, "12.9" -> 12,
// "abc" -> 0, "" -> 0. Saturates at the int64 limits.
inline int64_t ParseLeadingInt(const char* s, size_t n) {
  size_t i = 0;
  while (i < n && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < n && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  uint64_t value = 0;
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i) {
    const unsigned digit = static_cast<unsigned>(s[i] - '0');
    if (value > (limit - digit) / 10) {
      value = limit;
      break;
    }
    value = value * 10 + digit;
  }
  if (negative) return value == (uint64_t{1} << 63) ? std::numeric_limits<int64_t>::min()
                                                     : -static_cast<int64_t>(value);
  return static_cast<int64_t>(value);
}

// Length of the longest prefix of s[0..n) of at most max bytes that does not
// end inside a UTF-8 sequence. Bytes that are not well-formed UTF-8 (Latin-1
// text, say) are cut as plain bytes: the cut only moves back when the bytes
// before it are a lead byte and its continuation bytes that would not fit.
inline size_t Utf8PrefixLength(const char* s, size_t n, size_t max) {
  if (n <= max) return n;
  const auto byte = [s](size_t i) { return static_cast<unsigned char>(s[i]); };
  if ((byte(max) & 0xC0) != 0x80) return max;  // the cut falls before a new character
  for (size_t back = 1; back <= 3 && back <= max; ++back) {
    const unsigned char b = byte(max - back);
    if ((b & 0xC0) == 0x80) continue;  // continuation byte: keep looking for the lead
    size_t length = 0;
    if ((b & 0xE0) == 0xC0) length = 2;
    else if ((b & 0xF0) == 0xE0) length = 3;
    else if ((b & 0xF8) == 0xF0) length = 4;
    if (length > back) return max - back;  // that character would be split
    return max;
  }
  return max;
}

// Copies s[0..n) into buffer[0..capacity): at most capacity-1 bytes, cut on a
// UTF-8 character boundary, always terminated. capacity <= 0 writes nothing.
inline void CopyToBuffer(const char* s, size_t n, char* buffer, int capacity) {
  if (buffer == nullptr || capacity <= 0) return;
  const size_t length = Utf8PrefixLength(s, n, static_cast<size_t>(capacity) - 1);
  if (length > 0) std::memcpy(buffer, s, length);
  buffer[length] = '\0';
}

// Decimal text of v into out (at least 21 bytes); returns its length.
inline size_t FormatInt(int64_t v, char* out) {
  char digits[24];
  size_t n = 0;
  uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  do {
    digits[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  size_t length = 0;
  if (v < 0) out[length++] = '-';
  while (n > 0) out[length++] = digits[--n];
  out[length] = '\0';
  return length;
}

inline void TrimTrailingBlanks(std::string* s) {
  size_t end = s->size();
  while (end > 0 && ((*s)[end - 1] == ' ' || (*s)[end - 1] == '\t')) --end;
  s->resize(end);
}

// How many statements a text holds. Quoted texts ('...', "...") and comments
// (-- and /* */) are skipped while looking for ';'. With kSingle, *body is the
// statement without surrounding blanks and trailing semicolons.
enum class StatementShape { kEmpty, kSingle, kSeveral };
StatementShape SplitStatement(std::string_view text, std::string_view* body);

// True when the statement yields rows through a cursor: it starts (after
// blanks, comments and opening parentheses) with SELECT, WITH, VALUES or
// TABLE. Other statements (INSERT, UPDATE, CREATE, SET, SHOW, ...) are run at
// once by dbExecute.
bool IsQueryStatement(std::string_view body);

// Why a column reader found nothing to read: no current row on the cursor,
// or a column out of range.
inline std::string NoValueMessage(bool has_row, int column, int cursor) {
  return has_row ? "Colonne " + std::to_string(column) + " hors limites sur le curseur " +
                       std::to_string(cursor) + "."
                 : "Aucune ligne courante sur le curseur " + std::to_string(cursor) + ".";
}

}  // namespace gendb_text
