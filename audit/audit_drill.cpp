#include "audit/audit_drill.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <cstring>
#include <string>
#include <unordered_set>

#include "audit/audit_lines.h"
#include "audit/audit_options.h"
#include "host/gendb.h"
#include "host/list_layout.h"
#include "host/strings.h"

namespace {

// The index of line in lines (ascending), or -1.
int IndexOf(const std::vector<int>& lines, int line) {
  const auto it = std::lower_bound(lines.begin(), lines.end(), line);
  return it != lines.end() && *it == line ? static_cast<int>(it - lines.begin()) : -1;
}

// "A — B — C" of the texts that are not blank.
std::string JoinTitle(const std::vector<std::string>& parts) {
  std::string title;
  for (const std::string& p : parts) {
    if (p.empty()) continue;
    if (!title.empty()) title += " — ";
    title += p;
  }
  return title;
}

// The key row (0 user, 1 date, 2 module, 3 action) a total line's cell counts, or -1.
//   detailed and history: "Total: dates" \t duration \t users \t "" \t modules \t actions
//   summary:              "Total: dates" \t ""       \t users \t modules \t actions \t sum
int KeyOfTotalCell(int list_id, int cell) {
  static const int kDetailed[6] = {1, -1, 0, -1, 2, 3};
  static const int kSummary[6] = {1, -1, 0, 2, 3, -1};
  if (cell < 0 || cell >= 6) return -1;
  return list_id == 301 ? kSummary[cell] : kDetailed[cell];
}

// The number a total cell shows ("Total: 12", "3 "), or -1 when it shows none.
long CountShown(std::string_view cell) {
  const size_t digits_end = cell.find_last_of("0123456789");
  if (digits_end == std::string_view::npos) return -1;
  size_t start = digits_end;
  while (start > 0 && cell[start - 1] >= '0' && cell[start - 1] <= '9') --start;
  long value = 0;
  for (size_t i = start; i <= digits_end; ++i) value = value * 10 + (cell[i] - '0');
  return value;
}

// The drill of a result's own rows, through their map.
void DrillFurther(GenDB* db, HWindow parent, const AuditOptions& options, std::shared_ptr<AuditDrillMap> map,
                  DrillResult* out) {
  auto kept = std::make_shared<AuditOptions>(options);
  out->further = [db, parent, kept, map](const QenListWindow& rows, const DrillTarget& target) {
    return DrillAuditCell(db, parent, *kept, rows, *map, target);
  };
}

// Copies the data lines of elements [first, end) of list into the result,
// with a map of their own so that they drill as they did in list.
void CopyLines(GenDB* db, HWindow parent, const AuditOptions& options, const QenListWindow& list,
               const AuditDrillMap& map, long first, long end, DrillResult* out) {
  auto own = std::make_shared<AuditDrillMap>();
  own->list_id = map.list_id;
  const long last = std::min<long>(end, static_cast<long>(map.data_lines.size()));
  for (long k = std::max<long>(first, 0); k < last; ++k) {
    const size_t i = static_cast<size_t>(k);
    const int line = map.data_lines[i];
    own->data_lines.push_back(out->list->GetCount());
    if (i < map.summary.size()) own->summary.push_back(map.summary[i]);
    if (i < map.counts.size()) own->counts.push_back(map.counts[i]);
    if (i < map.ids.size()) own->ids.push_back(map.ids[i]);
    if (i < map.rows.size()) own->rows.push_back(map.rows[i]);
    out->list->AddString(list.GetString(line), list.GetItemData(line));
  }
  DrillFurther(db, parent, options, std::move(own), out);
}

// The users the summary keys name, when the keys are by user and every one
// names a user: the detailed run may then read only their rows.
bool KeyUsers(const AuditOptions& options, const std::vector<AuditSummaryKey>& keys, AuditOptions* narrowed) {
  if (options.subtotal[0] != 1 || keys.empty()) return false;
  std::vector<std::string> users;
  for (const AuditSummaryKey& k : keys) {
    const std::string user(k.user, strnlen(k.user, sizeof k.user));
    if (user.empty()) return false;  // a NULL user is not found by name
    if (std::find(users.begin(), users.end(), user) == users.end()) users.push_back(user);
  }
  if (users.size() > static_cast<size_t>(kAuditMaxUsers)) return false;
  narrowed->all_users = 'N';
  std::memset(narrowed->users, 0, sizeof narrowed->users);
  for (const std::string& user : users) narrowed->AddUser(user.c_str());
  return true;
}

// The detailed generator reading only the audit ids given (of the one
// table of the options' source): the rows a summary merged.
class IdsDetailedGenerator : public PracDetailedGenerator {
 public:
  IdsDetailedGenerator(GenDB* db, HWindow parent, AuditOptions* options, const std::vector<long>* ids)
      : PracDetailedGenerator(db, parent, options), ids_(ids) {}
  std::string BuildRecordCondition(char source) override {
    std::string in = std::string(" ") + AuditColumnName(source, kColId) + " IN (";
    for (size_t i = 0; i < ids_->size(); ++i) {
      if (i > 0) in += ',';
      in += std::to_string((*ids_)[i]);
    }
    return in + ") ";
  }

 private:
  const std::vector<long>* ids_;
};

// The most ids a drill names in its statement; a larger count reads its
// dates' range instead.
constexpr size_t kMaxDrillIds = 200000;

// The detailed rows whose summary key is one of keys: the detailed
// generator over the same options, its dates narrowed to the keys' dates,
// keeping the rows whose summary key is wanted. count: the rows the keys
// merge. For keys by user the run reads only their users' rows (the index
// on user and date finds them; on PostgreSQL this is twice as fast as
// naming the ids); else, where the summary kept the ids it merged (one
// table), only those rows (when they are fewer than a third of the
// list's). A log-on name the audit
// trail holds longer than it reads is cut, so a narrowed run that does not
// find count rows reads the whole range again.
void DetailedRowsOf(GenDB* db, HWindow parent, const AuditOptions& options, const AuditDrillMap& map,
                    const std::vector<long>& elements, long count, DrillResult* out) {
  std::vector<AuditSummaryKey> keys;
  std::vector<long> ids;
  bool by_id = map.ids.size() == map.summary.size() && options.source != 'B';
  long listed = 0;
  for (long c : map.counts) listed += c;
  for (long k : elements) {
    if (k < 0 || static_cast<size_t>(k) >= map.summary.size()) continue;
    keys.push_back(map.summary[static_cast<size_t>(k)]);
    if (by_id) {
      const std::vector<long>& merged = map.ids[static_cast<size_t>(k)];
      ids.insert(ids.end(), merged.begin(), merged.end());
    }
  }
  by_id = by_id && !ids.empty() && ids.size() <= kMaxDrillIds && static_cast<long>(ids.size()) * 3 <= listed;
  std::sort(ids.begin(), ids.end());
  std::unordered_set<AuditSummaryKey, AuditSummaryKeyHash> wanted(keys.begin(), keys.end());
  AuditOptions narrowed = options;
  if (options.subtotal[1] == 1 && !keys.empty()) {
    long from = LONG_MAX, to = LONG_MIN;
    for (const AuditSummaryKey& k : keys) {
      from = std::min(from, k.date);
      to = std::max(to, k.date);
    }
    narrowed.from_date = std::max(options.from_date, from);
    narrowed.to_date = std::min(options.to_date, to);
  }
  AuditOptions by_user = narrowed;
  const bool users_first = KeyUsers(options, keys, &by_user);
  by_id = by_id && !users_first;
  // The ids are the rows: no date range, which the engine would rather walk.
  AuditOptions by_ids = narrowed;
  by_ids.from_date = 0;
  by_ids.to_date = 0;
  enum Run { kById, kByUser, kRange };
  for (Run run : {kById, kByUser, kRange}) {
    if ((run == kById && !by_id) || (run == kByUser && !users_first)) continue;
    AuditOptions* run_options = run == kById ? &by_ids : run == kByUser ? &by_user : &narrowed;
    std::unique_ptr<PracDetailedGenerator> gen;
    if (run == kById) {
      gen = std::make_unique<IdsDetailedGenerator>(db, parent, run_options, &ids);
    } else {
      gen = std::make_unique<PracDetailedGenerator>(db, parent, run_options);
    }
    auto rows = std::make_shared<AuditDrillMap>();
    rows->list_id = 300;
    gen->KeepDrillMap(rows.get());
    gen->SetRowFilter([&wanted, &options](const AuditRecord& r) -> long {
      AuditSummaryKey key;
      long summary_module = 0;
      if (!SummaryKeyOfRow(r, options, &key, &summary_module) || wanted.count(key) == 0) return 0;
      // Listed as the detailed list lists it; a row only the summary places
      // keeps the summary's module.
      const long module = ModuleCodeOf(r, options);
      return module != 0 ? module : summary_module;
    });
    StartDrillList(out, 300, {});
    LoadRes(out->list.get(), 300);
    gen->Generate(out->list.get());
    out->outcome = gen->Outcome();
    const bool whole = static_cast<long>(rows->data_lines.size()) == count;
    if (run != kRange && out->outcome.Finished() && !whole) continue;
    DrillFurther(db, parent, narrowed, std::move(rows), out);
    return;
  }
}

// The rows elements [first, end) of a summary merge.
long MergedRows(const AuditDrillMap& map, long first, long end) {
  long rows = 0;
  for (long k = std::max<long>(first, 0); k < end && k < static_cast<long>(map.counts.size()); ++k) {
    rows += map.counts[static_cast<size_t>(k)];
  }
  return rows;
}

// The history module of an audit row's module: 20105, 20120 or 20160, or 0
// when the row's module keeps no record history.
long HistoryModuleOf(long module) {
  switch (module) {
    case 20105:
    case 20120:
    case 20160:
      return module;
    default:
      return 0;
  }
}

// The history list of record_id under options (the modules it was opened
// from) into out.
void HistoryRows(GenDB* db, HWindow parent, AuditOptions* options, long record_id, DrillResult* out) {
  PracAuditGenerator gen(db, parent, options, record_id, 0);
  StartDrillList(out, 5111, {});
  LoadDialogListRes(out->list.get(), 2006, 5111);
  gen.Generate(out->list.get());
  out->outcome = gen.Outcome();
}

}  // namespace

DrillResult DrillPatientHistory(GenDB* db, HWindow parent, const AuditIniReader& read, long patient_id,
                                const std::string& patient_text) {
  DrillResult result;
  result.outcome = BeginRun(db);
  if (!result.outcome.Complete()) return result;
  AuditOptions history;
  ReadAuditHistoryOptions(read, 20105, &history);
  HistoryRows(db, parent, &history, patient_id, &result);
  result.title = JoinTitle({"Historique des Audits", patient_text});
  return result;
}

DrillResult DrillAuditCell(GenDB* db, HWindow parent, const AuditOptions& options, const QenListWindow& list,
                           const AuditDrillMap& map, const DrillTarget& target, bool partial) {
  DrillResult result;
  result.outcome = BeginRun(db);
  result.refused = CheckDrillCell(list, target, map.lines);
  if (result.Refused()) return result;
  const bool summary = map.list_id == 301;
  const int data = IndexOf(map.data_lines, target.line);
  const int total = IndexOf(map.total_lines, target.line);
  auto cell = [&](int c) { return TrimmedCell(list.GetItemText(target.line, c)); };
  auto finish = [&](std::string title) {
    result.title = partial ? PartialDrillTitle(title) : title;
    return std::move(result);
  };

  if (data >= 0 && summary) {
    // date 0, time 1, user 2, module 3, verb 4, count 5
    if (target.cell != 5) {
      result.refused = LabelCellMessage(target);
      return result;
    }
    DetailedRowsOf(db, parent, options, map, {data}, MergedRows(map, data, data + 1), &result);
    const std::string tous = TrimmedCell(ModuleString(13));
    std::vector<std::string> parts;
    for (int c : {4, 2, 3, 0}) {
      const std::string text = cell(c);
      if (text != tous) parts.push_back(text);
    }
    std::string title = JoinTitle(parts);
    return finish(title.empty() ? tous : title);
  }

  if (data >= 0) {
    if (map.list_id != 300) {
      result.refused = "une ligne de l'historique n'a pas d'autre détail";
      return result;
    }
    const AuditRowRef& row = map.rows[static_cast<size_t>(data)];
    const long module = HistoryModuleOf(row.module);
    if (module == 0 || row.record_id == 0) {
      result.refused = "le module « " + cell(4) + " » ne garde pas d'historique de dossier";
      return result;
    }
    AuditOptions history = options;
    SetHistoryModules(module, &history);
    history.all_users = 'Y';
    history.from_date = 0;
    history.to_date = 0;
    HistoryRows(db, parent, &history, row.record_id, &result);
    return finish(JoinTitle({"Historique", cell(4), std::to_string(row.record_id)}));
  }

  if (total >= 0) {
    const AuditTotalSpan& span = map.totals[static_cast<size_t>(total)];
    // "Total: 12" -> "Total", "Grand Total:" -> "Grand Total".
    const std::string label = cell(0).substr(0, cell(0).find_last_not_of("0123456789 :") + 1);
    const std::string column = DrillColumnTitle(list, target.cell);
    if (summary && target.cell == 5) {
      std::vector<long> elements;
      for (long k = span.sum_first; k < span.end; ++k) elements.push_back(k);
      DetailedRowsOf(db, parent, options, map, elements, MergedRows(map, span.sum_first, span.end), &result);
      return finish(JoinTitle({label, column, cell(5)}));
    }
    const int key = KeyOfTotalCell(map.list_id, target.cell);
    if (key < 0 || CountShown(list.GetItemText(target.line, target.cell)) < 0) {
      result.refused = LabelCellMessage(target);
      return result;
    }
    StartDrillList(&result, map.list_id, list.Columns());
    result.list->SetStyles(list.Style(), list.ExStyle());
    CopyLines(db, parent, options, list, map, span.first[key], span.end, &result);
    return finish(JoinTitle({label, column, std::to_string(span.end - span.first[key])}));
  }
  result.refused = LabelCellMessage(target);
  return result;
}
