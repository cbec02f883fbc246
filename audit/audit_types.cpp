#include "audit/audit_types.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

#include "audit/huge_pages.h"

namespace {

// Length of the longest prefix of src[0..len) that fits max bytes and does
// not end inside a UTF-8 sequence.
size_t Utf8Fit(const char* src, size_t len, size_t max) {
  if (len <= max) return len;
  size_t n = max;
  // Step back over continuation bytes to the start of the cut character.
  while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80) --n;
  return n;
}

}  // namespace

size_t CopyCutN(char* dst, size_t cap, const char* src, size_t len) {
  if (cap == 0) return 0;
  size_t n = Utf8Fit(src, len, cap - 1);
  std::memcpy(dst, src, n);
  dst[n] = '\0';
  return n;
}

size_t CopyCut(char* dst, size_t cap, const char* src) {
  if (cap == 0) return 0;
  if (src == nullptr) {
    dst[0] = '\0';
    return 0;
  }
  return CopyCutN(dst, cap, src, strnlen(src, cap));
}

void TrimBrokenUtf8Tail(char* text) {
  size_t len = std::strlen(text);
  if (len == 0) return;
  // Find the start of the last sequence (at most 4 bytes back).
  size_t start = len;
  int back = 0;
  while (start > 0 && back < 4 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) {
    --start;
    ++back;
  }
  if (start == 0) return;
  unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  size_t need = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
  if (lead < 0x80) return;  // ends on an ASCII byte (stray continuation bytes are left alone)
  if (len - (start - 1) < need) text[start - 1] = '\0';
}

void TrimBrokenUtf8Tail(char* text, size_t capacity) {
  if (capacity > 0 && strnlen(text, capacity) + 1 == capacity) TrimBrokenUtf8Tail(text);
}

long FieldNumber(const char* text) {
  if (text == nullptr || text[0] == '\0') return 0;
  long value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return 0;
    int digit = *p - '0';
    if (value > (LONG_MAX - digit) / 10) {
      value = LONG_MAX;
    } else {
      value = value * 10 + digit;
    }
  }
  return value;
}

// --- ElemArena and VantraElem -----------------------------------------------------

void* ElemArena::Allocate(size_t bytes) {
  bytes = (bytes + 7) & ~size_t{7};
  if (bytes > kChunkBytes) {
    large_.emplace_back(new char[bytes]);
    return large_.back().get();
  }
  if (chunks_.empty() || used_ + bytes > chunks_.back().size) {
    size_t size = chunks_.empty() ? kFirstChunkBytes : std::min(chunks_.back().size * 2, kChunkBytes);
    while (size < bytes) size *= 2;
    chunks_.reserve(chunks_.size() + 1);  // so that push_back cannot throw and leak the chunk
    char* chunk = size >= audit_detail::kHugePage ? static_cast<char*>(audit_detail::MapHuge(size)) : new char[size];
    chunks_.push_back({chunk, size});
    reserved_ += size;
    used_ = 0;
  }
  void* p = chunks_.back().bytes + used_;
  used_ += bytes;
  return p;
}

void ElemArena::Reset() {
  for (const Chunk& chunk : chunks_) {
    if (chunk.size >= audit_detail::kHugePage) {
      audit_detail::UnmapHuge(chunk.bytes, chunk.size);
    } else {
      delete[] chunk.bytes;
    }
  }
  chunks_.clear();
  large_.clear();
  used_ = 0;
  reserved_ = 0;
}

namespace {
constexpr uintptr_t kFromHeap = 0, kFromArena = 1;
constexpr size_t kHeader = sizeof(uintptr_t);
}  // namespace

void* VantraElem::operator new(size_t size, Extra extra) {
  const size_t total = kHeader + size + extra.bytes;
  char* base = static_cast<char*>(extra.arena != nullptr ? extra.arena->Allocate(total)
                                                          : ::operator new(total));
  *reinterpret_cast<uintptr_t*>(base) = extra.arena != nullptr ? kFromArena : kFromHeap;
  return base + kHeader;
}

void VantraElem::operator delete(void* p) {
  if (p == nullptr) return;
  char* base = static_cast<char*>(p) - kHeader;
  if (*reinterpret_cast<uintptr_t*>(base) == kFromHeap) ::operator delete(base);
}

VantraElem* VantraElem::Create(const AuditRecord& row, long module_code, long audit_id,
                               long action_group, long count, long group_mode, ElemArena* arena) {
  const char* texts[6] = {row.field_name[0], row.field_name[1], row.field_name[2],
                          row.field_info[0], row.field_info[1], row.field_info[2]};
  const size_t caps[6] = {kAuditFieldNameCap, kAuditFieldNameCap, kAuditFieldNameCap,
                          kAuditFieldInfoCap, kAuditFieldInfoCap, kAuditFieldInfoCap};
  size_t lens[6];
  size_t total = 0;
  for (int i = 0; i < 6; ++i) {
    lens[i] = strnlen(texts[i], caps[i] - 1);
    total += lens[i];
  }
  VantraElem* e = new (Extra{total, arena}) VantraElem();
  e->type_ = row.type;
  e->action_ = row.action;
  e->record_id_ = row.record_id;
  CopyCut(e->user_, sizeof e->user_, row.user);
  e->date_ = row.date;
  e->time_ = row.time;
  char* out = reinterpret_cast<char*>(e + 1);
  for (int i = 0; i < 6; ++i) {
    e->text_len_[i] = static_cast<uint8_t>(lens[i]);
    std::memcpy(out, texts[i], lens[i]);
    out += lens[i];
  }
  e->module_code = module_code;
  e->audit_id = audit_id;
  e->action_group = action_group;
  e->count = count;
  e->group_mode = group_mode;
  return e;
}

void VantraElem::Record(AuditRecord* out) const {
  out->type = type_;
  out->action = action_;
  out->record_id = record_id_;
  std::memcpy(out->user, user_, sizeof out->user);
  out->date = date_;
  out->time = time_;
  const char* in = Texts();
  char* fields[6] = {out->field_name[0], out->field_name[1], out->field_name[2],
                     out->field_info[0], out->field_info[1], out->field_info[2]};
  for (int i = 0; i < 6; ++i) {
    std::memcpy(fields[i], in, text_len_[i]);
    fields[i][text_len_[i]] = '\0';
    in += text_len_[i];
  }
}

// --- AuditOptions -------------------------------------------------------------

bool AuditOptions::AddUser(const char* logon) {
  if (logon == nullptr || logon[0] == '\0') return false;
  int n = UserCount();
  if (n >= kAuditMaxUsers) return false;
  CopyCut(users[n], kAuditUserCap, logon);
  return true;
}

bool AuditOptions::AddModule(long code) {
  if (code == 0) return false;
  int n = ModuleCount();
  if (n >= kAuditMaxModules) return false;
  modules[n] = code;
  return true;
}

bool AuditOptions::AddSortKey(short key) {
  if (sort_key_count < 0 || sort_key_count >= 4) return false;
  sort_keys[sort_key_count++] = key;
  return true;
}

int AuditOptions::UserCount() const {
  int n = 0;
  while (n < kAuditMaxUsers && users[n][0] != '\0') ++n;
  return n;
}

int AuditOptions::ModuleCount() const {
  int n = 0;
  while (n < kAuditMaxModules && modules[n] != 0) ++n;
  return n;
}

// --- fixed tables ---------------------------------------------------------------

const AuditModuleRow AuditModuleTable[24] = {
    {20105, 20105, 0}, {20106, 20106, 0}, {5107, 20107, 0}, {5114, 20115, 0},
    {5136, 20120, 0},  {5022, 20112, 0},  {5137, 20146, 0}, {5139, 20148, 0},
    {5156, 2511, 0},   {5138, 20147, 0},  {5119, 20119, 0}, {5108, 20108, 1},
    {5141, 2063, 1},   {5142, 2062, 1},   {5145, 2060, 1},  {5144, 2061, 1},
    {5143, 2064, 1},   {5149, 2052, 1},   {5118, 20118, 0}, {5157, 20156, 0},
    {5159, 2534, 0},   {5162, 20160, 0},  {2535, 2535, 0},  {0, 0, 0},
};

int ModuleRank(long code) {
  // Called twice per comparison while sorting a million rows: a switch the
  // compiler turns into a search, instead of a scan of the table.
  switch (code) {
    case 20105: return 0;
    case 20106: return 1;
    case 20107: return 2;
    case 20115: return 3;
    case 20120: return 4;
    case 20112: return 5;
    case 20146: return 6;
    case 20148: return 7;
    case 2511: return 8;
    case 20147: return 9;
    case 20119: return 10;
    case 20108: return 11;
    case 2063: return 12;
    case 2062: return 13;
    case 2060: return 14;
    case 2061: return 15;
    case 2064: return 16;
    case 2052: return 17;
    case 20118: return 18;
    case 20156: return 19;
    case 2534: return 20;
    case 20160: return 21;
    case 2535: return 22;
    default: return kAuditModuleCount;
  }
}

const AuditSortKeyRow AuditSortKeyTable[5] = {
    {kKeyUser, 10218}, {kKeyDate, 10281}, {kKeyModule, 10250}, {kKeyAction, 10189}, {0, 0},
};

namespace {
const char* const kCurrentColumns[kAuditColumnCount] = {
    "AUD_ID",        "AUD_TYPE",      "AUD_ACTION",    "AUD_RECID",     "AUD_USER",
    "AUD_DATE",      "AUD_TIME",      "AUD_FLD_NAME1", "AUD_FLD_NAME2", "AUD_FLD_NAME3",
    "AUD_FLD_INFO1", "AUD_FLD_INFO2", "AUD_FLD_INFO3"};
const char* const kArchivedColumns[kAuditColumnCount] = {
    "AUDH_ID",        "AUDH_TYPE",      "AUDH_ACTION",    "AUDH_RECID",     "AUDH_USER",
    "AUDH_DATE",      "AUDH_TIME",      "AUDH_FLD_NAME1", "AUDH_FLD_NAME2", "AUDH_FLD_NAME3",
    "AUDH_FLD_INFO1", "AUDH_FLD_INFO2", "AUDH_FLD_INFO3"};
}  // namespace

const char* AuditColumnName(char source, int position) {
  if (position < 0 || position >= kAuditColumnCount) return "";
  return source == 'H' ? kArchivedColumns[position] : kCurrentColumns[position];
}

const char* AuditTableName(char source) { return source == 'H' ? "AUDHIS" : "AUDITFIL"; }
