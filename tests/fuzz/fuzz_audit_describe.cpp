// The audit row classification and description on rows made of any bytes:
// every text field at any length (up to past its capacity, broken UTF-8,
// empty as a NULL reads), the numbers at their limits, and look-up answers
// made of the same. ModuleCandidates, ModuleCodeOf, ActionGroupOf,
// ActionText, ModuleNameOf, DescribeRow, the time and duration texts and the
// line layouts; every output is checked against its capacity.
// (tests/audit/fuzz_describe.cpp drives the same path with a seeded random
// generator in the ordinary test run.)
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "audit/audit_describe.h"
#include "audit/audit_lines.h"

namespace {

const char* const kWords[] = {
    "",         "ACCOUNT",  "EMPLOYER", "OPTIONS",   "PATEMP",    "PATMED",   "PRESCRIP", "PATRESP",
    "PHOLDER",  "PREMED",   "ADDINFO",  "PATSTATUS", "PATMERGE",  "PATDR",    "PATHYG",   "PATREFER",
    "REFSTAFF", "EMPPOL",   "PATDEP",   "FAMINS",    "POLRGE",    "ADDMANY",  "CLEAR",    "FEESCH",
    "PRACTICE", "PASSWORD", "DMTAB",    "SCH",       "REFNOTE",   "TXNOTE",   "APPTUTILS", "PATCLM",
    "PREDEOB",  "TXPPURGE", "RESPPURGE", "AUDPURGE", "CHANGEDR",  "MERGEPOL", "PLNPURGE", "TRXHELD",
    "Y",        "1",        "2",        "0",         "17",        "25",       "1003",     "1007",
    "113",      "1250",     "-3",       "20261205CLN0930", "CLN202612050930", "0001234500002000080"};

const long kLongs[] = {0, 1, 2, 3, 7, 8, 12, 17, 25, 113, 1003, 1007, 7004, 20105, 20261205,
                       20261340, 120000, 235959, 240000, -1, LONG_MAX, LONG_MIN};

// A text as a column reader leaves it: cut to cap - 1 bytes on a UTF-8
// boundary, NUL-terminated. Known words or any bytes (NUL ends the text,
// as it does in a C string).
void Text(FuzzedDataProvider& in, char* out, size_t cap) {
  std::string s;
  if (in.ConsumeBool()) {
    s = kWords[in.ConsumeIntegralInRange<size_t>(0, sizeof kWords / sizeof kWords[0] - 1)];
  } else {
    s = in.ConsumeRandomLengthString(cap + 8);
  }
  CopyCut(out, cap, s.c_str());
}

long Long(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? kLongs[in.ConsumeIntegralInRange<size_t>(0, sizeof kLongs / sizeof kLongs[0] - 1)]
                          : in.ConsumeIntegral<long>();
}

class FuzzRunner : public LookupRunner {
 public:
  explicit FuzzRunner(FuzzedDataProvider* in) : in_(in) {}
  const LookupAnswer* Run(const LookupRequest& r) override {
    if (r.kind >= LookupKind::kCount) std::abort();
    answer_ = LookupAnswer();
    answer_.found = in_->ConsumeBool();
    answer_.date = Long(*in_);
    Text(*in_, answer_.number, sizeof answer_.number);
    Text(*in_, answer_.code, sizeof answer_.code);
    Text(*in_, answer_.description, sizeof answer_.description);
    Text(*in_, answer_.first_name, sizeof answer_.first_name);
    Text(*in_, answer_.last_name, sizeof answer_.last_name);
    return &answer_;
  }

 private:
  FuzzedDataProvider* in_;
  LookupAnswer answer_;
};

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "audit describe fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  AuditRecord r;
  r.type = in.ConsumeIntegral<char>();
  r.action = in.ConsumeIntegral<char>();
  r.record_id = Long(in);
  r.date = Long(in);
  r.time = Long(in);
  Text(in, r.user, sizeof r.user);
  for (auto& n : r.field_name) Text(in, n, sizeof n);
  for (auto& f : r.field_info) Text(in, f, sizeof f);

  AuditOptions options;
  options.all_modules = in.ConsumeBool() ? 'Y' : 'N';
  options.track_entry_exit = in.ConsumeBool() ? 'Y' : 'N';
  for (long& m : options.modules) m = in.ConsumeBool() ? Long(in) : 0;

  long candidates[3];
  const int n = ModuleCandidates(r, candidates);
  if (n < 0 || n > 3) Fail("candidate count out of range");
  const long code = ModuleCodeOf(r, options);
  if (code != 0 && (n == 0 || code != candidates[0])) Fail("module code is not the first candidate");
  for (long mode : {0L, 1L}) {
    if (ActionGroupOf(r, mode) != ActionGroupOf(r.type, r.action, r.record_id, mode)) {
      Fail("the two ActionGroupOf differ");
    }
  }

  std::unique_ptr<VantraElem> e(VantraElem::Create(r, code, 1, 0, 1, 0));
  const AuditRecord back = e->Record();
  if (std::memcmp(&back.field_info, &r.field_info, sizeof r.field_info) != 0 ||
      std::memcmp(&back.field_name, &r.field_name, sizeof r.field_name) != 0 ||
      std::strcmp(back.user, r.user) != 0) {
    Fail("the element does not give the row back");
  }
  const std::string module = ModuleNameOf(*e);
  if (module.size() > 63) Fail("module name over 63 bytes");
  const std::string verb = ActionText(r.type, r.action, r.record_id);
  if (verb.size() > 15) Fail("verb over 15 bytes");

  FuzzRunner runner(&in);
  AuditDescription d;
  DescribeRow(back, in.ConsumeBool() ? &runner : nullptr, &d);
  if (std::strlen(d.verb) >= sizeof d.verb || std::strlen(d.table_name) >= sizeof d.table_name ||
      std::strlen(d.description) >= sizeof d.description || std::strlen(d.number) >= sizeof d.number ||
      std::strlen(d.code) >= sizeof d.code || std::strlen(d.first_name) >= sizeof d.first_name ||
      std::strlen(d.last_name) >= sizeof d.last_name) {
    Fail("a description field is over its capacity");
  }
  if (verb != d.verb) Fail("the description's verb differs from ActionText");

  char time_text[48];
  FormatAuditTime(r.time, time_text);
  if (std::strlen(time_text) >= sizeof time_text) Fail("time text over capacity");
  const std::string duration = DurationText(r.time, Long(in));
  std::string line;
  DetailedLine(&line, "2026-12-05", time_text, r.user, d.table_name, module.c_str(), d.verb, d.description,
               d.first_name, d.last_name);
  HistoryLine(&line, "", time_text, r.user, d.table_name, module.c_str(), d.verb, d.description);
  SummaryLine(&line, "Tous", "", r.user, module.c_str(), d.verb, r.record_id);
  DetailedTotalLine(&line, "Total:", r.record_id, duration, r.date, r.time, Long(in));
  return 0;
}
