// Internals of DescribeRow shared by its two source files (the dispatcher
// and the rules). Not for use outside audit/.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "audit/audit_describe.h"
#include "host/strings.h"

namespace audit_detail {

inline bool Is(const char* text, const char* word) { return std::strcmp(text, word) == 0; }
inline bool Empty(const char* text) { return text[0] == '\0'; }
inline const char* SkipBlanks(const char* text) {
  while (*text == ' ') ++text;
  return text;
}
inline const char* S(int id) { return ModuleString(id); }

// A text being built; longer than any description the rules can make, cut to
// the record's capacity when stored.
class Text {
 public:
  // Only the terminator is set: clearing the whole buffer cost more than
  // most descriptions (a Text or two per row, a million rows).
  Text() { buf_[0] = '\0'; }
  Text& Add(const char* s) {
    while (*s != '\0' && n_ < sizeof buf_ - 1) buf_[n_++] = *s++;
    buf_[n_] = '\0';
    return *this;
  }
  // At most max bytes of s, cut on a UTF-8 boundary.
  Text& AddN(const char* s, size_t max) {
    char part[64];
    CopyCut(part, max + 1 < sizeof part ? max + 1 : sizeof part, s);
    return Add(part);
  }
  Text& Format(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    char tmp[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(tmp, sizeof tmp, fmt, args);
    va_end(args);
    return Add(tmp);
  }
  const char* c_str() const { return buf_; }
  size_t size() const { return n_; }
  bool empty() const { return n_ == 0; }

 private:
  char buf_[768];
  size_t n_ = 0;
};

class Describer {
 public:
  Describer(const AuditRecord& row, LookupRunner* runner, AuditDescription* out)
      : r_(row), runner_(runner), out_(out) {}

  void Run();

 private:
  // Runs one look-up and writes what its shape yields into the record.
  // Returns whether a row came; sets stopped_ when the runner only collects.
  bool Lookup(LookupKind kind, long id, LinkTable link = LinkTable::kNone);
  bool Gate(LookupKind kind, long id, LinkTable link = LinkTable::kNone) {
    success_ = Lookup(kind, id, link);
    return success_;
  }
  void Describe(const Text& t) { CopyCut(out_->description, sizeof out_->description, t.c_str()); }
  void Describe(const char* s) { CopyCut(out_->description, sizeof out_->description, s); }

  void TypeB();
  void TypeE();
  void TypeF();
  void TypeG();
  void TypeI();
  void TypeJ();
  void TypeM();
  void TypeS();
  void TypeT();
  void UtilityRule();
  void PatientInfoRule();
  void NoteRule();
  void FormRule();
  void RangeRule();
  void AppointmentRule();

  const char* name(int i) const { return r_.field_name[i - 1]; }
  const char* info(int i) const { return r_.field_info[i - 1]; }

  const AuditRecord& r_;
  LookupRunner* runner_;
  AuditDescription* out_;
  long table_id_ = 0;
  bool success_ = true;
  bool stopped_ = false;
  char policy_[154] = {};  // text of the policy look-up
};

}  // namespace audit_detail
