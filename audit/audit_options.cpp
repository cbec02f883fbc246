#include "audit/audit_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/dates.h"
#include "host/ini.h"

AuditIniReader IniReaderOf(const WDIniObj& ini) {
  return [&ini](const char* key, const char* def) {
    return ini.read_secini(kAuditIniSection, key, def);
  };
}

AuditIniWriter IniWriterOf(WDIniObj& ini) {
  return [&ini](const char* key, const std::string& value) {
    return ini.write_secini(kAuditIniSection, key, value.c_str());
  };
}

namespace {

// The pieces of a comma-separated value, empty pieces skipped.
template <class Fn>
void ForEachPiece(const std::string& value, Fn fn) {
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(',', start);
    if (comma == std::string::npos) comma = value.size();
    if (comma > start && !fn(value.substr(start, comma - start))) return;
    start = comma + 1;
  }
}

char FirstLetter(const std::string& value, char def) { return value.empty() ? def : value[0]; }

}  // namespace

void ParseSortBy(const std::string& value, AuditOptions* out) {
  for (short& k : out->sort_keys) k = 0;
  out->sort_key_count = 0;
  for (size_t i = 0; i < 4 && i < value.size(); ++i) {
    const char c = value[i];
    const short key = c >= '0' && c <= '9' ? static_cast<short>(c - '0') : 0;
    if (key > 0) out->AddSortKey(key);
  }
}

void ParseSumBy(const std::string& value, AuditOptions* out) {
  // Any digit above 0 sets the flag; flags are 0 or 1 everywhere else.
  for (size_t i = 0; i < 4; ++i) {
    const char c = i < value.size() ? value[i] : '0';
    out->subtotal[i] = c >= '1' && c <= '9' ? 1 : 0;
  }
}

void ParseUsers(const std::string& value, AuditOptions* out) {
  std::memset(out->users, 0, sizeof out->users);
  ForEachPiece(value, [&](const std::string& name) { return out->AddUser(name.c_str()); });
}

void ParseModules(const std::string& value, AuditOptions* out) {
  std::memset(out->modules, 0, sizeof out->modules);
  int n = 0;
  ForEachPiece(value, [&](const std::string& piece) {
    const long code = std::strtol(piece.c_str(), nullptr, 10);
    if (code != 0) out->modules[n++] = code;
    return n < kAuditMaxModules;
  });
}

void ReadAuditTabOptions(const AuditIniReader& read, long today, AuditOptions* out) {
  *out = AuditOptions();
  out->from_date = IncDate(today, 0, -1, 0, 1);
  out->to_date = today;
  const long days = std::strtol(read("DaysDiff", "0").c_str(), nullptr, 10);
  if (days < 3651) out->from_date = incr_date(today, -days);
  ParseSortBy(read("SortBy", ""), out);
  ParseSumBy(read("SumBy", ""), out);
  out->all_users = FirstLetter(read("AllUsers", "N"), 'N');
  if (out->all_users == 'N') ParseUsers(read("Users", ""), out);
  out->all_modules = FirstLetter(read("AllModules", "N"), 'N');
  if (out->all_modules == 'N') ParseModules(read("Modules", ""), out);
  out->source = FirstLetter(read("AuditTypes", "A"), 'A');
  out->track_entry_exit = FirstLetter(read("TrackEntryExit", "N"), 'N');
}

void SetHistoryModules(long module_id, AuditOptions* out) {
  out->all_modules = 'N';
  for (long& m : out->modules) m = 0;
  switch (module_id) {
    case 20160:
      out->AddModule(20160);
      out->AddModule(2060);
      out->AddModule(20105);
      break;
    case 20120:
      out->AddModule(20120);
      out->AddModule(20105);
      break;
    case 20105:
      out->AddModule(20105);
      out->AddModule(2060);
      out->AddModule(20120);
      break;
    default:
      break;
  }
}

void ReadAuditHistoryOptions(const AuditIniReader& read, long module_id, AuditOptions* out) {
  *out = AuditOptions();
  out->from_date = 0;
  out->to_date = 0;
  ParseSortBy(read("SortBy", ""), out);
  ParseSumBy(read("SumBy", ""), out);
  out->all_users = 'Y';
  SetHistoryModules(module_id, out);
  out->source = FirstLetter(read("AuditTypes", "A"), 'A');
  out->track_entry_exit = FirstLetter(read("TrackEntryExit", "N"), 'N');
}

bool WriteAuditDefaults(const AuditOptions& o, const AuditIniWriter& write,
                        AuditDefaultsParts parts) {
  bool ok = true;
  auto put = [&](const char* key, const std::string& value) { ok = write(key, value) && ok; };
  long days = daysdiff_betweendates(o.from_date, o.to_date);
  if (days < 0 || days > 3650) days = 0;
  put("DaysDiff", std::to_string(days));
  char keys[4 * 8 + 1] = {};
  int n = 0;
  for (short k : o.sort_keys) n += std::snprintf(keys + n, sizeof keys - n, "%1hd", k);
  put("SortBy", keys);
  if (parts.subtotals) {
    n = 0;
    for (short f : o.subtotal) n += std::snprintf(keys + n, sizeof keys - n, "%1hd", f);
    put("SumBy", keys);
  }
  if (parts.users) {
    put("AllUsers", std::string(1, o.all_users));
    std::string users;
    for (int i = 0; i < kAuditMaxUsers && o.users[i][0] != '\0'; ++i) {
      if (i > 0) users += ',';
      users.append(o.users[i], strnlen(o.users[i], kAuditUserCap));
    }
    put("Users", users);
  }
  if (parts.modules) {
    put("AllModules", std::string(1, o.all_modules));
    std::string modules;
    for (int i = 0; i < kAuditMaxModules && o.modules[i] != 0; ++i) {
      if (i > 0) modules += ',';
      modules += std::to_string(o.modules[i]);
    }
    put("Modules", modules);
  }
  put("AuditTypes", std::string(1, o.source));
  put("TrackEntryExit", std::string(1, o.track_entry_exit));
  return ok;
}
