// A seeded random generator of audit rows driven through the whole
// classification and description path: ModuleCandidates, ModuleCodeOf,
// ActionGroupOf, ActionTextOf, ModuleNameOf, DescribeRow (its look-ups
// answered with random rows, texts at full capacity included), the time and
// duration texts and the line layouts. Built with AddressSanitizer and
// UndefinedBehaviorSanitizer; any memory fault or undefined behaviour ends
// the run, and every output is checked against its capacity and for whole
// UTF-8 characters.
//
//   audit_fuzz_describe [COUNT [SEED]]      (default 20000 rows, seed 1)
// Prints how many inputs ran clean; exit status 0 when all did.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "audit/audit_describe.h"
#include "audit/audit_lines.h"

namespace {

std::mt19937_64 rng;

long Pick(std::initializer_list<long> values) {
  return *(values.begin() + rng() % values.size());
}

const char* const kWords[] = {
    "",         "ACCOUNT",  "EMPLOYER",  "OPTIONS",   "PATEMP",    "PATMED",   "PRESCRIP",
    "PATRESP",  "PHOLDER",  "PREMED",    "ADDINFO",   "PATSTATUS", "PATMERGE", "PATDR",
    "PATHYG",   "PATREFER", "REFSTAFF",  "EMPPOL",    "PATDEP",    "FAMINS",   "POLRGE",
    "ADDMANY",  "CLEAR",    "FEESCH",    "PRACTICE",  "PASSWORD",  "DMTAB",    "SCH",
    "REFNOTE",  "TXNOTE",   "APPTUTILS", "PATCLM",    "PREDEOB",   "TXPPURGE", "RESPPURGE",
    "AUDPURGE", "CHANGEDR", "MERGEPOL",  "PLNPURGE",  "TRXHELD",   "Y",        "1",
    "2",        "0",        "17",        "25",        "1003",      "1007",     "113",
    "1250",     "-3",       "12ab",      "99999999999999999999",   "é",        "20261205CLN0930",
    "CLN202612050930",      "0001234500002000080",     "  lead",    "'; DROP TABLE x; --"};

// A random text: a known word, random bytes (any value but NUL, so broken
// UTF-8 too), or accented letters, up to a little past max.
void RandomText(char* out, size_t cap) {
  std::string s;
  switch (rng() % 4) {
    case 0:
    case 1:
      s = kWords[rng() % (sizeof kWords / sizeof kWords[0])];
      break;
    case 2: {
      const size_t n = rng() % (cap + 8);
      for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(1 + rng() % 255));
      break;
    }
    default: {
      const size_t n = rng() % (cap / 2 + 4);
      for (size_t i = 0; i < n; ++i) s += rng() % 3 ? "é" : "a";
      break;
    }
  }
  CopyCut(out, cap, s.c_str());
}

bool WholeUtf8(const char* s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  size_t len = std::strlen(s);
  // Only the tail can be cut by us; a broken sequence inside came from the input.
  size_t start = len;
  while (start > 0 && (p[start - 1] & 0xC0) == 0x80 && len - start < 4) --start;
  if (start == 0 || start == len) return true;
  unsigned char lead = p[start - 1];
  size_t need = (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
  return len - (start - 1) >= need || lead < 0xC0;
}

class RandomRunner : public LookupRunner {
 public:
  const LookupAnswer* Run(const LookupRequest& r) override {
    if (r.kind >= LookupKind::kCount) std::abort();
    answer_ = LookupAnswer();
    answer_.found = rng() % 3 != 0;
    answer_.date = Pick({0, 20261205, -1, LONG_MAX, LONG_MIN});
    RandomText(answer_.number, sizeof answer_.number);
    RandomText(answer_.code, sizeof answer_.code);
    RandomText(answer_.description, sizeof answer_.description);
    RandomText(answer_.first_name, sizeof answer_.first_name);
    RandomText(answer_.last_name, sizeof answer_.last_name);
    return &answer_;
  }

 private:
  LookupAnswer answer_;
};

int failures = 0;
void Check(bool ok, const char* what, long input) {
  if (ok) return;
  if (++failures <= 20) std::fprintf(stderr, "input %ld: %s\n", input, what);
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 20000;
  const unsigned long seed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1;
  rng.seed(seed);
  const char* const letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ\x01?e\xE9";
  RandomRunner runner;
  std::string line;
  long clean = 0;
  for (long i = 0; i < count; ++i) {
    const int before = failures;
    AuditRecord r;
    r.type = rng() % 8 == 0 ? static_cast<char>(rng()) : letters[rng() % std::strlen(letters)];
    r.action = rng() % 8 == 0 ? static_cast<char>(rng()) : letters[rng() % std::strlen(letters)];
    r.record_id = Pick({0, 1, 2, 3, 7, 8, 12, 7004, 7029, 20105, 20260115, -1, -99999,
                        LONG_MAX, LONG_MIN, static_cast<long>(rng())});
    RandomText(r.user, sizeof r.user);
    r.date = Pick({0, 20261205, 20261340, 99999999, -20261205, LONG_MAX});
    r.time = Pick({0, 509, 120000, 235959, 240000, 999999, -5, LONG_MIN, LONG_MAX});
    for (auto& n : r.field_name) RandomText(n, sizeof n);
    for (auto& f : r.field_info) RandomText(f, sizeof f);

    AuditOptions options;
    options.all_modules = rng() % 2 ? 'Y' : 'N';
    options.track_entry_exit = rng() % 2 ? 'Y' : 'N';
    for (int m = 0; m < 5; ++m) options.modules[m] = Pick({2061, 20105, 2535, 20146, 0, -1});
    long candidates[3];
    const int n = ModuleCandidates(r, candidates);
    Check(n >= 0 && n <= 3, "candidate count", i);
    const long code = ModuleCodeOf(r, options);
    Check(code == 0 || (n > 0 && code == candidates[0]), "module code not the first candidate", i);
    for (long mode : {0L, 1L}) ActionGroupOf(r, mode);

    std::unique_ptr<VantraElem> e(VantraElem::Create(r, code, i, 0, 1, 0));
    const AuditRecord back = e->Record();
    Check(std::memcmp(&back.field_info, &r.field_info, sizeof r.field_info) == 0 &&
              std::memcmp(&back.field_name, &r.field_name, sizeof r.field_name) == 0,
          "element does not give the row back", i);
    const std::string module = ModuleNameOf(*e);
    Check(module.size() <= 63, "module name too long", i);

    AuditDescription d;
    DescribeRow(back, rng() % 5 == 0 ? nullptr : &runner, &d);
    Check(std::strlen(d.verb) < sizeof d.verb && std::strlen(d.table_name) < sizeof d.table_name &&
              std::strlen(d.description) < sizeof d.description &&
              std::strlen(d.first_name) < sizeof d.first_name &&
              std::strlen(d.last_name) < sizeof d.last_name,
          "description field over capacity", i);
    Check(WholeUtf8(d.verb) && WholeUtf8(d.table_name), "cut inside a character", i);
    Check(std::strcmp(d.verb, ActionText(r.type, r.action, r.record_id).c_str()) == 0,
          "verb differs from ActionTextOf", i);

    char time_text[48];
    FormatAuditTime(r.time, time_text);
    const std::string duration = DurationText(r.time, Pick({0, 235959, LONG_MAX, r.time < LONG_MAX ? r.time + 1 : r.time}));
    DetailedLine(&line, "2026-12-05", time_text, r.user, d.table_name, module.c_str(), d.verb,
                 d.description, d.first_name, d.last_name);
    Check(line.size() < 512, "detailed line too long", i);
    HistoryLine(&line, "", time_text, r.user, d.table_name, module.c_str(), d.verb, d.description);
    SummaryLine(&line, "Tous", "", r.user, module.c_str(), d.verb, r.record_id);
    DetailedTotalLine(&line, "Total:", r.record_id, duration, r.date, r.time, i);
    if (failures == before) ++clean;
  }
  std::printf("%ld of %ld inputs ran clean (seed %lu)\n", clean, count, seed);
  return failures == 0 ? 0 : 1;
}
