// PracSummaryGenerator: rows merged per combination of the subtotalled keys,
// one line per merged element, summary totals.
//
// Worked example (subtotal on user and date, sort keys user then date):
//   rows  anne 12-01 09:00, anne 12-01 11:00, anne 12-02 08:00, marc 12-01
//   elements (reading order)  anne/12-01 count 2 (time 11:00 of the row
//                             merged with the largest id), anne/12-02
//                             count 1, marc/12-01 1
//   The sort key before the last is "user", so only the date may break a
//   group inside the summary (enables: date on, user off):
//     2026-12-01 11:00:00 AM  anne  Tous  Tous  2
//     blank, "Total: 1\t \t1 \t \t \t2", blank      (date group ends)
//     2026-12-02 08:00:00 AM  anne  Tous  Tous  1
//     blank, "Total: 1\t \t2 \t \t \t1", blank
//     2026-12-01 ...          marc  Tous  Tous  1
//     blank, "Total: 1\t \t3 \t \t \t1", blank      (the last group)
//     "Grand Total: 3\t \t3 \t \t \t4"
// The sums are of merged audit rows; the counts are of listed lines.
#include <cstring>
#include <string>
#include <unordered_map>

#include "audit/audit_generator.h"
#include "audit/audit_lines.h"
#include "audit/fill_cache.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "host/strings.h"

size_t AuditSummaryKeyHash::operator()(const AuditSummaryKey& k) const {
  uint64_t h = 1469598103934665603ull;
  for (char c : k.user) {
    if (c == '\0') break;
    h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  h ^= static_cast<uint64_t>(k.date) * 0x9E3779B97F4A7C15ull;
  h ^= (static_cast<uint64_t>(k.module) << 17) ^ (static_cast<uint64_t>(k.group) << 41);
  return static_cast<size_t>(h ^ (h >> 29));
}

AuditSummaryKey SummaryKeyOf(const AuditRecord& r, long module, const short flags[4]) {
  AuditSummaryKey key;
  std::memset(&key, 0, sizeof key);
  // The user up to its terminator: a name trimmed short may leave bytes
  // after it, which must not split one user in two.
  if (flags[0] == 1) std::memcpy(key.user, r.user, strnlen(r.user, sizeof key.user));
  if (flags[1] == 1) key.date = r.date;
  if (flags[2] == 1) key.module = module;
  if (flags[3] == 1) key.group = ActionGroupOf(r, 1);
  return key;
}

namespace {

// SummaryKeyOfRow of a row that holds only the summary's columns.
inline bool KeyOfSummaryColumns(const AuditRecord& own, const AuditOptions& options, AuditSummaryKey* key,
                                long* module) {
  *module = ModuleCodeOf(own, options);
  if (*module == 0) return false;
  *key = SummaryKeyOf(own, *module, options.subtotal);
  return true;
}

}  // namespace

bool SummaryKeyOfRow(const AuditRecord& row, const AuditOptions& options, AuditSummaryKey* key, long* module) {
  AuditRecord own;  // the columns the summary reads: through the time
  own.type = row.type;
  own.action = row.action;
  own.record_id = row.record_id;
  std::memcpy(own.user, row.user, sizeof own.user);
  own.date = row.date;
  own.time = row.time;
  return KeyOfSummaryColumns(own, options, key, module);
}

struct PracSummaryGenerator::MergeIndex {
  struct Merged {
    VantraElem* elem;
    long last_id;  // the largest id merged: its row gives the time
    std::vector<long> ids = {};  // with a drill map of one table: every id merged
  };
  std::unordered_map<AuditSummaryKey, Merged, AuditSummaryKeyHash> map;
};

PracSummaryGenerator::PracSummaryGenerator(GenDB* db, HWindow parent, AuditOptions* options)
    : PracBaseGenerator(db, parent, options), index_(std::make_unique<MergeIndex>()) {}

PracSummaryGenerator::~PracSummaryGenerator() = default;

std::string PracSummaryGenerator::BuildSelectList(char source) {
  std::string list = " ";
  for (int i = 0; i <= kColTime; ++i) {
    if (i > 0) list += ", ";
    list += AuditColumnName(source, i);
  }
  return list;
}

void PracSummaryGenerator::ReadRow() {
  AuditRecord r;
  long id = 0;
  db_->dbGetLong(1, &id, kAuditCursor);
  db_->dbGetChar(2, &r.type, kAuditCursor);
  db_->dbGetChar(3, &r.action, kAuditCursor);
  db_->dbGetLong(4, &r.record_id, kAuditCursor);
  db_->dbGetString(5, r.user, kAuditUserCap, kAuditCursor);
  TrimBrokenUtf8Tail(r.user, kAuditUserCap);
  db_->dbGetLong(6, &r.date, kAuditCursor);
  db_->dbGetLong(7, &r.time, kAuditCursor);
  // The first element whose subtotalled keys all equal the row's absorbs it.
  // Every element was made from a row that no earlier element absorbed, so
  // no two elements share a combination: the index finds that first one.
  AuditSummaryKey key;
  long module = 0;
  if (!KeyOfSummaryColumns(r, *options_, &key, &module)) return;  // r holds only those columns
  const long group = options_->subtotal[3] == 1 ? key.group : ActionGroupOf(r, 1);
  auto [it, fresh] = index_->map.try_emplace(key, MergeIndex::Merged{nullptr, id});
  if (drill_map_ != nullptr && options_->source != 'B') it->second.ids.push_back(id);
  if (!fresh) {
    // Whatever order the engine reads the rows in: the element shows the
    // time of the row written last (the largest id) and, for the rest, is
    // the row written first (the smallest id), as when they come in id order.
    MergeIndex::Merged& m = it->second;
    VantraElem* e = m.elem;
    ++e->count;
    if (id > m.last_id || (id == m.last_id && r.time > e->time())) {
      m.last_id = id;
      e->set_time(r.time);
    }
    if (id < e->audit_id) {
      VantraElem* first = VantraElem::Create(r, module, id, group, e->count, 1, &arena_);
      first->set_time(e->time());
      elems_.Remove(e);
      delete e;
      elems_.Append(first);
      m.elem = first;
    }
    return;
  }
  VantraElem* e = VantraElem::Create(r, module, id, group, 1, 1, &arena_);
  elems_.Append(e);
  it->second.elem = e;
}

void PracSummaryGenerator::BeginTotals() {
  PracBaseGenerator::BeginTotals();
  index_->map.clear();
  // k: the key chosen in the position before the last; breaks on it would
  // only repeat the lines, so it never breaks a summary group.
  const short n = options_->sort_key_count;
  const short k = n > 1 && n <= 4 ? options_->sort_keys[n - 2] : 0;
  int flagged = 0;
  for (int i = 0; i < 4; ++i) flagged += totals_.subtotal[i] == 1 ? 1 : 0;
  for (int i = 0; i < 4; ++i) {
    totals_.summary_break[i] = flagged > 1 && totals_.subtotal[i] == 1 && (i + 1) != k;
  }
  totals_.group_sum = 0;
  totals_.grand_sum = 0;
}

bool PracSummaryGenerator::CheckGroupBreak(const VantraElem& e, const AuditDescription& d) {
  return TestBreaks(totals_.summary_break, e, d);
}

void PracSummaryGenerator::WriteSummaryTotal(AuditLineSink* list, bool group) {
  const long* c = group ? totals_.group : totals_.grand;
  auto count = [&](int key) {
    return totals_.subtotal[key] == 1 ? std::to_string(c[key]) : std::string();
  };
  std::string line;
  SummaryTotalLine(&line, ModuleString(group ? 57 : 58), count(1), count(0), count(2), count(3),
                   group ? totals_.group_sum : totals_.grand_sum);
  if (group) EmitBlank(list);
  EmitTotal(list, line, group);
  if (group) EmitBlank(list);
}

void PracSummaryGenerator::MergeClinics(const std::vector<const PracSummaryGenerator*>& clinics) {
  outcome_ = RunOutcome();
  BeginTotals();
  elems_.DeleteElems();
  arena_.Reset();
  for (const PracSummaryGenerator* clinic : clinics) {
    for (const VantraElem* c : clinic->Elements().As<VantraElem>()) {
      const AuditRecord r = c->Record();
      const AuditSummaryKey key = SummaryKeyOf(r, c->module_code, options_->subtotal);
      auto [it, fresh] = index_->map.try_emplace(key, MergeIndex::Merged{nullptr, c->audit_id});
      if (fresh) {
        VantraElem* e = VantraElem::Create(r, c->module_code, c->audit_id, c->action_group, c->count, 1, &arena_);
        elems_.Append(e);
        it->second.elem = e;
        continue;
      }
      // Ids of two clinics do not compare: the time shown is the latest.
      VantraElem* e = it->second.elem;
      e->count += c->count;
      if (c->time() > e->time()) e->set_time(c->time());
    }
  }
  SetCompareKeys(options_->sort_keys, options_->sort_key_count);
  SortAuditElements(&elems_);
}

void PracSummaryGenerator::FillList(QenListWindow* list) {
  ListLineSink sink(list);
  FillLines(&sink);
}

void PracSummaryGenerator::FillLines(AuditLineSink* list) {
  char tous[32];
  CopyCut(tous, sizeof tous, ModuleString(13));
  const short* flag = totals_.subtotal;
  audit_detail::FillCache cache;
  AuditDescription d;
  std::string line;
  char time_text[48];
  bool broke = false;
  for (VantraElem* e : elems_.As<VantraElem>()) {
    CopyCut(d.verb, sizeof d.verb, ActionTextKept(e->type(), e->action(), e->record_id()));
    const char* date_text = tous;
    time_text[0] = '\0';
    if (flag[1] == 1) {
      date_text = cache.Date(e->date());
      FormatAuditTime(e->time(), time_text);
    }
    const char* module = flag[2] == 1 ? cache.Module(*e).c_str() : tous;
    const char* verb = flag[3] == 1 ? d.verb : tous;
    if (CheckGroupBreak(*e, d)) {
      WriteSummaryTotal(list, true);
      broke = true;
      totals_.group_sum = 0;
      sum_first_ = counted_;
    }
    CountRow();
    const char* user = flag[0] == 1 ? e->user() : tous;
    SummaryLine(&line, date_text, time_text, user, module, verb, e->count);
    EmitData(list, line, *e);
    if (drill_map_ != nullptr && options_->source != 'B') {
      const auto merged = index_->map.find(drill_map_->summary.back());
      drill_map_->ids.push_back(merged != index_->map.end() ? std::move(merged->second.ids) : std::vector<long>());
    }
    totals_.group_sum += e->count;
    totals_.grand_sum += e->count;
  }
  if (broke) WriteSummaryTotal(list, true);
  WriteSummaryTotal(list, false);
}
