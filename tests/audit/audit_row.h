// Building audit rows in tests: Row('N', 'A').Name(1, "SCH").Name(3, "25").
#pragma once

#include "audit/audit_types.h"

struct Row {
  AuditRecord r;
  Row(char type, char action, long record_id = 0) {
    r.type = type;
    r.action = action;
    r.record_id = record_id;
  }
  Row& Name(int i, const char* text) {
    CopyCut(r.field_name[i - 1], kAuditFieldNameCap, text);
    return *this;
  }
  Row& Info(int i, const char* text) {
    CopyCut(r.field_info[i - 1], kAuditFieldInfoCap, text);
    return *this;
  }
  Row& User(const char* text) {
    CopyCut(r.user, kAuditUserCap, text);
    return *this;
  }
  Row& At(long date, long time) {
    r.date = date;
    r.time = time;
    return *this;
  }
  operator const AuditRecord&() const { return r; }
};
