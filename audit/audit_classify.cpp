// ModuleCodeOf, ActionGroupOf, ActionTextOf, ModuleNameOf and the table-name
// and report tables: the classification of an audit row by its letters.
#include <climits>
#include <cstring>

#include "audit/audit_describe.h"
#include "host/strings.h"

namespace {

bool Is(const char* text, const char* word) { return std::strcmp(text, word) == 0; }

}  // namespace

int ModuleCandidates(const AuditRecord& row, long out[3]) {
  const char* name1 = row.field_name[0];
  switch (row.type) {
    case 'A': case 'H': case 'O': case 'P': case 'T': case 'Y':
      out[0] = 20106;
      return 1;
    case 'B': case 'I': case 'R':
      out[0] = 20105;
      return 1;
    case 'C':
      out[0] = 20108;
      return 1;
    case 'D':
      out[0] = 2063;
      return 1;
    case 'E':
      // Module entries and exits: the record id is a module number; 1..7 are
      // the application itself and its helpers.
      out[0] = row.record_id >= 1 && row.record_id <= 7 ? 2535 : row.record_id;
      return 1;
    case 'F':
      out[0] = FieldNumber(row.field_name[2]) != 0 ? 2064 : 2511;
      return 1;
    case 'G':
      out[0] = 20120;
      return 1;
    case 'J':
      out[0] = 20119;
      return 1;
    case 'K':
      out[0] = 20112;
      return 1;
    case 'L':
      out[0] = 20115;
      return 1;
    case 'M':
      out[0] = Is(name1, "PATMED") || Is(name1, "PATPRMED") || Is(name1, "PREMED") ? 20160 : 2060;
      return 1;
    case 'N': {
      const long kind = FieldNumber(row.field_name[2]);
      switch (kind) {
        case 17: out[0] = 20106; break;
        case 86: case 87: out[0] = 20146; break;
        case 25: out[0] = Is(name1, "SCH") ? 20107 : 20105; break;
        case 1007:
          out[0] = 2062;
          out[1] = 2061;
          out[2] = 20108;
          return 3;
        case 56: out[0] = 20120; break;
        default: out[0] = 20105; break;
      }
      return 1;
    }
    case 'S':
      out[0] = 20107;
      return 1;
    case 'U':
      if (Is(name1, "TXPPURGE")) {
        out[0] = 20146;
      } else if (Is(name1, "RESPPURGE") || Is(name1, "PENDPURGE") || Is(name1, "HISTPURGE")) {
        out[0] = 20118;
      } else if (Is(name1, "TRXHELD") || Is(name1, "TRXINSBAL") || Is(name1, "TRXINTCHG") ||
                 Is(name1, "TRXSTATUS") || Is(name1, "TRXPPLN")) {
        out[0] = 20106;
      } else {
        out[0] = 20119;
      }
      return 1;
    case 'X':
      out[0] = 20146;
      return 1;
    default:
      return 0;
  }
}

long ModuleCodeOf(const AuditRecord& row, const AuditOptions& options) {
  if (row.type == 'E' && options.track_entry_exit != 'Y' &&
      (row.action == 'E' || row.action == 'X') && (row.record_id == 1 || row.record_id > 7)) {
    return 0;
  }
  long candidates[3] = {0, 0, 0};
  const int n = ModuleCandidates(row, candidates);
  if (n == 0) return 0;
  if (options.all_modules == 'Y') return candidates[0];
  for (int m = 0; m < kAuditMaxModules && options.modules[m] != 0; ++m) {
    for (int c = 0; c < n; ++c) {
      if (candidates[c] == options.modules[m]) return candidates[0];
    }
  }
  return 0;
}

namespace {

// base + record id for type 'E' groups in detailed elements, saturated so
// that an absurd record id cannot overflow.
long AddSaturated(long base, long record_id) {
  long sum;
  if (__builtin_add_overflow(base, record_id, &sum)) return record_id > 0 ? LONG_MAX : LONG_MIN;
  return sum;
}

}  // namespace

long ActionGroupOf(char type, char action, long record_id, long group_mode) {
  switch (type) {
    case 'S':
      switch (action) {
        case 'A': return 0;
        case 'D': case 'X': return 10;
        case 'R': return 32;
        case 'S': return 31;
        case 'U': return 33;
        default: return 5;
      }
    case 'E':
      if (action == 'E') return group_mode == 1 ? 50 : AddSaturated(50, record_id);
      if (action == 'X') return group_mode == 1 ? 60 : AddSaturated(60, record_id);
      return 5;
    case 'B':
      switch (action) {
        case 'A': return 0;
        case 'C': case 'P': return 40;
        case 'D': return 10;
        default: return 5;
      }
    case 'L':
      return 40;
    case 'U':
      return action == 'D' ? 10 : 45;
    case 'F':
      switch (action) {
        case 'A': case 'S': return 0;
        case 'D': return 10;
        case 'M': return 45;
        case 'R': return 1;
        default: return 5;
      }
    default:
      switch (action) {
        case 'A': return 0;
        case 'D': return 10;
        case 'P': return 24;
        case 'R': return type == 'T' ? 20 : 21;
        case 'U': return 23;
        case 'V': return 22;
        default: return 5;
      }
  }
}

long ActionGroupOf(const AuditRecord& row, long group_mode) {
  return ActionGroupOf(row.type, row.action, row.record_id, group_mode);
}

VerbId ActionTextOf(char type, char action, long record_id) {
  switch (type) {
    case 'E':
      switch (action) {
        case 'E': return {record_id == 1 ? 260 : 258, false};
        case 'X': return {record_id == 1 ? 261 : 259, false};
        case 'L': return {281, false};
        case 'O': return {258, false};
        default: return {};
      }
    case 'B':
      switch (action) {
        case 'A': return {250, false};
        case 'C': return {264, false};
        case 'D': return {252, false};
        case 'P': return {262, false};
        case 'R': return {267, false};
        default: return {251, false};
      }
    case 'L':
      return {action == 'S' ? 263 : 262, false};
    case 'U':
      switch (action) {
        case 'D': return {265, false};
        case 'E': return {266, false};
        default: return {267, false};
      }
    case 'F':
      switch (action) {
        case 'A': return {250, false};
        case 'D': return {252, false};
        case 'M': return {270, false};
        case 'R': return {269, false};
        case 'S': return {268, false};
        default: return {251, false};
      }
    case 'S':
      switch (action) {
        case 'A': return {8545, true};
        case 'C': return {8787, true};
        case 'D': return {8547, true};
        case 'E': return {8546, true};
        case 'R': return {8549, true};
        case 'S': return {8548, true};
        case 'U': return {8550, true};
        case 'X': return {8551, true};
        default: return {};
      }
    default:
      switch (action) {
        case 'A': return {250, false};
        case 'D': return {252, false};
        case 'O': return {285, false};
        case 'P': return {257, false};
        case 'R': return {type == 'T' ? 255 : 253, false};
        case 'U': return {256, false};
        case 'V': return {254, false};
        case 'X': return {266, false};
        default: return {251, false};
      }
  }
}

std::string ActionText(char type, char action, long record_id) {
  const VerbId verb = ActionTextOf(type, action, record_id);
  if (verb.id == 0) return std::string();
  const char* text = LoadTableString(
      verb.printing_library ? StringTable::kKelvoUtils2 : StringTable::kModule, verb.id);
  char buffer[16];
  CopyCut(buffer, sizeof buffer, text);
  return buffer;
}

const char* ActionTextKept(char type, char action, long record_id) {
  const VerbId verb = ActionTextOf(type, action, record_id);
  if (verb.id == 0) return "";
  // A small direct-mapped store by verb; a collision only costs a new cut.
  struct Kept {
    int key = -1;
    char text[16] = {};
  };
  thread_local Kept kept[64];
  const int key = verb.id * 2 + (verb.printing_library ? 1 : 0);
  Kept& slot = kept[static_cast<unsigned>(key) % 64];
  if (slot.key != key) {
    CopyCut(slot.text, sizeof slot.text,
            LoadTableString(verb.printing_library ? StringTable::kKelvoUtils2 : StringTable::kModule,
                            verb.id));
    slot.key = key;
  }
  return slot.text;
}

std::string ModuleNameOf(char type, long record_id, long module_code) {
  char buffer[64];
  buffer[0] = '\0';
  if (type == 'E' && record_id == 1) {
    CopyCut(buffer, sizeof buffer, HostString(kAppNameStringId));
  } else if (type == 'E' && record_id >= 2 && record_id < 8) {
    // Helpers 2..7 of the application (mail, word processor, ...). Record
    // ids of 0 and below name no helper and fall to the module table.
    CopyCut(buffer, sizeof buffer, ModuleString(1200 + static_cast<int>(record_id)));
  } else {
    const int rank = ModuleRank(module_code);
    if (module_code != 0 && rank < kAuditModuleCount) {
      CopyCut(buffer, sizeof buffer, HostString(AuditModuleTable[rank].string_id));
    }
  }
  return buffer;
}

std::string ModuleNameOf(const VantraElem& elem) {
  return ModuleNameOf(elem.type(), elem.record_id(), elem.module_code);
}

const char* TableNameOf(long table_id) {
  if (table_id <= 0 || table_id > INT_MAX) return "";
  const int id = static_cast<int>(table_id);
  return ModuleString(id < 117 ? id + 400 : id);
}

namespace {
struct ReportRow {
  long record_id;
  int string_id;
};
constexpr ReportRow kReportTable[48] = {
    {7004, 10985}, {2036, 11000}, {2037, 11001}, {2031, 11002}, {2032, 11003}, {2033, 11004},
    {2034, 11005}, {2035, 11007}, {7026, 11009}, {7034, 11010}, {7001, 11025}, {7003, 11026},
    {7006, 11027}, {7008, 11028}, {7007, 11029}, {7010, 11030}, {7011, 11031}, {7013, 11032},
    {7002, 11033}, {7015, 11034}, {7017, 11035}, {7018, 11036}, {7019, 11037}, {7020, 11038},
    {7028, 11039}, {7029, 11175}, {7030, 11176}, {7031, 11040}, {7033, 11041}, {7032, 11177},
    {7036, 11178}, {7035, 11179}, {7037, 11042}, {7042, 11043}, {7044, 11044}, {7045, 11045},
    {7046, 11046}, {2058, 11054}, {2044, 11075}, {2045, 11076}, {2043, 11077}, {2076, 11081},
    {2038, 11126}, {2040, 11127}, {2039, 11128}, {2055, 11150}, {7021, 11151}, {7023, 11152},
};
}  // namespace

int ReportStringOf(long record_id) {
  for (const ReportRow& r : kReportTable) {
    if (r.record_id == record_id) return r.string_id;
  }
  return 0;
}
