// Records of the audit-trail analysis: one audit row (AuditRecord), one
// element of a generator's result list (VantraElem), the choices of one query
// (AuditOptions), and the two fixed tables the analysis orders by
// (AuditModuleTable, AuditSortKeyTable).
//
// Text capacities are in bytes including the terminator; texts are cut on a
// UTF-8 character boundary, never in the middle of a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/tdlist.h"

// Capacities (bytes with the terminator) of the audit tables' text columns.
inline constexpr int kAuditUserCap = 10;       // log-on name, at most 9
inline constexpr int kAuditFieldNameCap = 21;  // field names, at most 20
inline constexpr int kAuditFieldInfoCap = 51;  // field infos, at most 50

// One audit row as read from AUDITFIL or AUDHIS. Texts are zero-terminated;
// a column that was not read stays empty. Dates are YYYYMMDD, times HHMMSS.
struct AuditRecord {
  char type = 0;          // kind of audit ('A'..'Y'; which screen wrote it)
  char action = 0;        // what was done ('A' add, 'D' delete, ...)
  long record_id = 0;     // record concerned (type 'E': a module number)
  char user[kAuditUserCap] = {};
  long date = 0;
  long time = 0;
  char field_name[3][kAuditFieldNameCap] = {};
  char field_info[3][kAuditFieldInfoCap] = {};
};

// Copies src into dst of capacity cap (bytes with the terminator), cut on a
// UTF-8 boundary. cap <= 0 writes nothing. Returns the bytes copied.
size_t CopyCut(char* dst, size_t cap, const char* src);
// Same for a text that is not zero-terminated.
size_t CopyCutN(char* dst, size_t cap, const char* src, size_t len);
// Drops a trailing incomplete UTF-8 sequence from a zero-terminated buffer
// (what a byte-counting reader may leave at the end of a cut text).
void TrimBrokenUtf8Tail(char* text);
// The same for a text a reader put into a buffer of capacity bytes: only a
// text that fills it (capacity - 1 bytes) can have been cut. A shorter text
// is kept as stored, its last byte included: a name in Latin-1 ending in
// "é" (0xE9) looks like a cut sequence but is whole.
void TrimBrokenUtf8Tail(char* text, size_t capacity);

// A text field read as a number: 0 when empty or when any character is not a
// decimal digit ("12a", " 12", "-3" are all 0). Saturates at LONG_MAX.
long FieldNumber(const char* text);

// Memory for many VantraElems of one generation, freed all at once (Reset or
// destruction). Elements made in it are laid out in reading order, and
// deleting one (TDList::DeleteElems) costs nothing. REQUIRES: no element of
// the arena is used after Reset or after the arena is destroyed.
//
// Chunks double from 64 KiB up to 4 MiB, so that a list of a few rows costs a
// few pages; from 2 MiB on they are in huge pages (audit/huge_pages.h): a
// million elements cost some seventy page faults instead of some forty
// thousand.
class ElemArena {
 public:
  ElemArena() = default;
  ElemArena(const ElemArena&) = delete;
  ElemArena& operator=(const ElemArena&) = delete;
  ~ElemArena() { Reset(); }
  // bytes of memory aligned to 8, valid until Reset.
  void* Allocate(size_t bytes);
  void Reset();
  size_t BytesReserved() const { return reserved_; }

 private:
  static constexpr size_t kFirstChunkBytes = 64 << 10;
  static constexpr size_t kChunkBytes = 4 << 20;  // the largest chunk
  struct Chunk {
    char* bytes;
    size_t size;
  };
  std::vector<Chunk> chunks_;
  std::vector<std::unique_ptr<char[]>> large_;  // requests above the largest chunk
  size_t used_ = 0;                              // in chunks_.back()
  size_t reserved_ = 0;                          // in chunks_
};

// One element of a generator's result list: an audit row plus what the
// generator derived from it.
//
// Memory: a million-row detailed list holds a million elements, so the six
// field texts are not kept in fixed arrays (216 bytes a row) but packed after
// the element in the same allocation (their lengths plus their bytes), and
// the generators make their elements in an ElemArena. Create is the only way
// to make one; `delete` (TDList::DeleteElems) frees it (or, for an element of
// an arena, leaves the memory to the arena).
class VantraElem : public TDElem {
 public:
  // A new element holding a copy of row, in arena (null = its own heap
  // allocation). The caller (usually a TDList via Append) owns it.
  static VantraElem* Create(const AuditRecord& row, long module_code, long audit_id,
                            long action_group = 0, long count = 0, long group_mode = 0,
                            ElemArena* arena = nullptr);
  ~VantraElem() override = default;
  static void operator delete(void* p);

  // The row as an AuditRecord (the packed texts unpacked into *out).
  void Record(AuditRecord* out) const;
  AuditRecord Record() const {
    AuditRecord r;
    Record(&r);
    return r;
  }

  char type() const { return type_; }
  char action() const { return action_; }
  long record_id() const { return record_id_; }
  const char* user() const { return user_; }
  long date() const { return date_; }
  long time() const { return time_; }
  void set_time(long t) { time_ = t; }

  long module_code = 0;   // ModuleCodeOf
  long audit_id = 0;      // the row's AUD_ID / AUDH_ID
  long action_group = 0;  // ActionGroupOf (summary only)
  long count = 0;         // audit rows merged into this element (summary)
  long group_mode = 0;    // 1 in summary elements, 0 in detailed ones

 private:
  // Every element is preceded by one word telling where its memory came
  // from (0 heap, 1 arena), read by operator delete.
  struct Extra {
    size_t bytes;
    ElemArena* arena;
  };
  VantraElem() = default;
  static void* operator new(size_t size, Extra extra);
  static void operator delete(void* p, Extra) { operator delete(p); }

  char type_ = 0;
  char action_ = 0;
  uint8_t text_len_[6] = {};  // field name 1..3, field info 1..3
  char user_[kAuditUserCap] = {};
  long record_id_ = 0;
  long date_ = 0;
  long time_ = 0;
  // The six texts follow the element, back to back, without terminators.
  const char* Texts() const { return reinterpret_cast<const char*>(this + 1); }
};

// The sort and subtotal keys (AuditSortKeyTable order).
enum AuditKey : short { kKeyUser = 1, kKeyDate = 2, kKeyModule = 3, kKeyAction = 4 };
inline constexpr int kAuditMaxUsers = 200;
inline constexpr int kAuditMaxModules = 50;

// The choices of one query; owned by whoever starts the generation (the audit
// tab, the history dialog, the command line) and read through a pointer.
struct AuditOptions {
  long from_date = 0;  // YYYYMMDD; 0 = no lower bound
  long to_date = 0;    // YYYYMMDD; 0 = no upper bound
  // Keys (1 user, 2 date, 3 module, 4 action) in the chosen order; 0 = none.
  short sort_keys[4] = {};
  // One per key row (user, date, module, action): 1 = subtotal on that key.
  short subtotal[4] = {};
  short sort_key_count = 0;
  // Log-on names to keep; the list ends at the first empty entry.
  char users[kAuditMaxUsers][kAuditUserCap] = {};
  char all_users = 'Y';  // 'Y' no user condition, 'N' only the listed users
  // Module codes to keep; the list ends at the first 0.
  long modules[kAuditMaxModules] = {};
  char all_modules = 'Y';   // 'Y' every module, 'N' only the listed ones
  char source = 'A';        // 'A' current table, 'H' archived, 'B' both
  char track_entry_exit = 'N';  // 'Y' keep module entry and exit rows

  // Helpers for callers that build options (they keep the list rules above).
  // Append returns false when the list is full or the value is empty/0.
  bool AddUser(const char* logon);
  bool AddModule(long code);
  bool AddSortKey(short key);
  int UserCount() const;
  int ModuleCount() const;
};

// One row of AuditModuleTable: the module's name (a host string id), its
// code, and whether it belongs to the charting component.
struct AuditModuleRow {
  int string_id;
  long code;
  int chart;
};
// The 23 modules in list order, then a row whose string id is 0.
extern const AuditModuleRow AuditModuleTable[24];
inline constexpr int kAuditModuleCount = 23;
// Position of code in AuditModuleTable (0..22); 23 for a code not in it.
int ModuleRank(long code);

// One row of AuditSortKeyTable: key number and the host string of its name.
struct AuditSortKeyRow {
  short key;
  int string_id;
};
// user (10218), date (10281), module (10250), action (10189), then zeros.
extern const AuditSortKeyRow AuditSortKeyTable[5];

// Column names of the two audit tables by position (0..12); source 'H'
// names AUDHIS's columns, any other letter AUDITFIL's.
enum AuditColumn : int {
  kColId = 0, kColType, kColAction, kColRecId, kColUser, kColDate, kColTime,
  kColFldName1, kColFldName2, kColFldName3, kColFldInfo1, kColFldInfo2, kColFldInfo3,
  kAuditColumnCount
};
const char* AuditColumnName(char source, int position);
// "AUDHIS" for 'H', else "AUDITFIL".
const char* AuditTableName(char source);
