// PracBaseGenerator: statements, Generate, reading, sorting and the subtotal
// state machine; the three generators' statements and readers.
#include "audit/audit_generator.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>
#include <utility>

#include "audit/audit_lines.h"
#include "host/application.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "host/sql_literal.h"
#include "host/strings.h"

namespace {

const char* Prefix(GenDB* db) { return db != nullptr ? db->dbPrefix() : ""; }

// Appends " WHERE " before the first condition and " AND " before the others.
void AddCondition(std::string* sql, bool* first, const std::string& condition) {
  sql->append(*first ? " WHERE " : " AND ");
  sql->append(condition);
  *first = false;
}

void ReadText(GenDB* db, int column, char* buffer, int capacity) {
  buffer[0] = '\0';
  db->dbGetString(column, buffer, capacity, kAuditCursor);
  TrimBrokenUtf8Tail(buffer, static_cast<size_t>(capacity));
}

}  // namespace

// --- PracBaseGenerator ----------------------------------------------------------

PracBaseGenerator::PracBaseGenerator(GenDB* db, HWindow parent, AuditOptions* options)
    : parent_(parent), options_(options) {
  db_ = db;
  const short none[4] = {0, 0, 0, 0};
  SetCompareKeys(none, 0);
}

PracBaseGenerator::~PracBaseGenerator() {
  if (sorter_.joinable()) sorter_.join();
}

void PracBaseGenerator::WaitSorted() const {
  if (!sorter_.joinable()) return;
  sorter_.join();
  if (sort_error_) std::rethrow_exception(std::exchange(sort_error_, nullptr));
}

std::string PracBaseGenerator::BuildFromWhere(char source) {
  std::string sql = " FROM ";
  sql += Prefix(db_);
  sql += AuditTableName(source);
  bool first = true;
  char buffer[96];
  const char* date_column = AuditColumnName(source, kColDate);
  if (options_->from_date != 0) {
    std::snprintf(buffer, sizeof buffer, " %s >= %ld ", date_column, options_->from_date);
    AddCondition(&sql, &first, buffer);
  }
  if (options_->to_date != 0) {
    std::snprintf(buffer, sizeof buffer, " %s <= %ld ", date_column, options_->to_date);
    AddCondition(&sql, &first, buffer);
  }
  if (options_->all_users != 'Y' && options_->users[0][0] != '\0') {
    std::string in = AuditColumnName(source, kColUser);
    in += " IN (";
    for (int i = 0; i < kAuditMaxUsers && options_->users[i][0] != '\0'; ++i) {
      if (i > 0) in += ',';
      // A name is at most 9 bytes; strnlen guards an unterminated entry.
      in += SqlQuoted(std::string_view(options_->users[i], strnlen(options_->users[i], kAuditUserCap)));
    }
    in += ") ";
    AddCondition(&sql, &first, in);
  }
  record_condition_ = BuildRecordCondition(source);
  if (!record_condition_.empty()) AddCondition(&sql, &first, record_condition_);
  from_where_ = sql;
  return sql;
}

std::string PracBaseGenerator::BuildRecordCondition(char) { return std::string(); }

std::string PracBaseGenerator::DetailedSelectList(char source) const {
  std::string list = " ";
  for (int i = 0; i < kAuditColumnCount; ++i) {
    if (i > 0) list += ", ";
    list += AuditColumnName(source, i);
  }
  list += ' ';
  return list;
}

std::string PracBaseGenerator::CountStatement() {
  const char source = options_->source;
  const char first = source == 'B' ? 'A' : source;
  std::string sql = "SELECT COUNT(0) " + BuildFromWhere(first);
  if (source == 'B') sql += " UNION  SELECT COUNT(0) " + BuildFromWhere('H');
  return sql;
}

std::string PracBaseGenerator::RowStatement() {
  const char source = options_->source;
  const char first = source == 'B' ? 'A' : source;
  const std::string from = BuildFromWhere(first);
  select_list_ = BuildSelectList(first);
  std::string sql = "SELECT  " + select_list_ + from;
  if (source == 'B') {
    select_list_ = BuildSelectList('H');
    sql += " UNION  SELECT " + select_list_ + BuildFromWhere('H');
  }
  return sql;
}

void ListLineSink::AddLine(std::string_view text, long item_data) {
  list_->AddString(text, item_data);
}

bool PracBaseGenerator::Generate(QenListWindow* list) {
  if (!ReadAndSort()) return false;
  if (list != nullptr) FillList(list);
  return true;
}

bool PracBaseGenerator::GenerateLines(AuditLineSink* sink) {
  if (!ReadAndSort()) return false;
  if (sink != nullptr) FillLines(sink);
  return true;
}

bool PracBaseGenerator::ReadAndSort() {
  WaitSorted();
  read_count_ = elems_.Count();
  stats_ = LookupStats();
  outcome_ = BeginRun(db_);
  if (db_ == nullptr) return false;
  // 1-4. Count what matches; nothing -> no meter, no list.
  const std::string count_sql = CountStatement();
  long total = 0;
  if (db_->dbExecute(count_sql.c_str(), kAuditCursor) == 0) {
    for (int r = db_->dbFetch(0, kAuditCursor); r == 0; r = db_->dbFetch(1, kAuditCursor)) {
      long n = 0;
      db_->dbGetLong(1, &n, kAuditCursor);
      total += n;
    }
  }
  if (!db_->LastError().empty()) {
    outcome_.NoteFailure("Erreur de la base de données : " + db_->LastError());
  }
  db_->dbClose(kAuditCursor);
  outcome_.NoteLostConnection(db_);
  if (total <= 0) return false;

  // 5-7. Read the rows under the meter.
  const std::string row_sql = RowStatement();
  BeginTotals();
  TMeter meter(parent_);
  meter.DisplayMeterDlg(ModuleString(59), total);
  meter.SetCounter(0);
  elems_.DeleteElems();
  arena_.Reset();
  wanted_lookups_.Clear();
  expected_rows_ = total;
  if (db_->dbExecute(row_sql.c_str(), kAuditCursor) == 0) {
    long ordinal = 0;
    for (int r = db_->dbFetch(0, kAuditCursor); r == 0; r = db_->dbFetch(1, kAuditCursor)) {
      meter.SetCounter(ordinal++);
      if (meter.Cancelled()) {
        outcome_.NoteCancel();
        break;
      }
      ReadRow();
    }
  }
  if (!outcome_.Cancelled() && !db_->LastError().empty()) {
    outcome_.NoteFailure("La lecture du journal d'audit a été interrompue : " + db_->LastError());
  }
  db_->dbClose(kAuditCursor);
  outcome_.NoteLostConnection(db_);
  meter.SetCounter(0);
  meter.CloseMeter();

  // 8. Sort by the chosen keys (stable: equal rows keep the reading order).
  // The keys are the thread's own (SetCompareKeys): the sorting thread sets
  // them too.
  std::array<short, 4> keys;
  std::copy_n(options_->sort_keys, 4, keys.begin());
  const short key_count = options_->sort_key_count;
  SetCompareKeys(keys.data(), key_count);
  read_count_ = elems_.Count();
  if (wanted_lookups_.Requests().empty()) {
    SortAuditElements(&elems_);
    return true;
  }
  try {
    sorter_ = std::thread([this, keys, key_count] {
      try {
        SetCompareKeys(keys.data(), key_count);
        SortAuditElements(&elems_);
      } catch (...) {
        sort_error_ = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    SortAuditElements(&elems_);  // no thread: sorted here
  }
  return true;
}

void PracBaseGenerator::ReadDetailedRow() {
  AuditRecord r;
  long id = 0;
  db_->dbGetLong(1, &id, kAuditCursor);
  db_->dbGetChar(2, &r.type, kAuditCursor);
  db_->dbGetChar(3, &r.action, kAuditCursor);
  db_->dbGetLong(4, &r.record_id, kAuditCursor);
  ReadText(db_, 5, r.user, kAuditUserCap);
  db_->dbGetLong(6, &r.date, kAuditCursor);
  db_->dbGetLong(7, &r.time, kAuditCursor);
  for (int i = 0; i < 3; ++i) ReadText(db_, 8 + i, r.field_name[i], kAuditFieldNameCap);
  for (int i = 0; i < 3; ++i) ReadText(db_, 11 + i, r.field_info[i], kAuditFieldInfoCap);
  const long module = keep_ ? keep_(r) : ModuleCodeOf(r, *options_);
  if (module == 0) return;
  elems_.Append(VantraElem::Create(r, module, id, 0, 0, 0, &arena_));
  if (lookup_mode_ == LookupMode::kBatched) {
    // About one look-up per row: room for them at once, not by doubling.
    if (wanted_lookups_.Requests().empty()) wanted_lookups_.Reserve(static_cast<size_t>(expected_rows_));
    AuditDescription unused;
    DescribeRow(r, &wanted_lookups_, &unused);
  }
}

// --- subtotal state machine ----------------------------------------------------------

void PracBaseGenerator::BeginTotals() {
  totals_ = AuditTotals();
  for (int i = 0; i < 4; ++i) totals_.subtotal[i] = options_->subtotal[i];
  counted_ = 0;
  for (long& first : group_first_) first = 0;
  sum_first_ = 0;
  lines_written_ = 0;
  if (drill_map_ != nullptr) {
    const int list_id = drill_map_->list_id;
    drill_map_->Clear();
    drill_map_->list_id = list_id;
  }
}

void PracBaseGenerator::CountRow() {
  for (int i = 0; i < 4; ++i) {
    if (totals_.breaks[i]) {
      totals_.group[i] = 1;
      totals_.breaks[i] = false;
      group_first_[i] = counted_;
    } else {
      ++totals_.group[i];
    }
    ++totals_.grand[i];
  }
  ++counted_;
}

void PracBaseGenerator::EmitData(AuditLineSink* sink, std::string_view text, const VantraElem& e) {
  if (drill_map_ != nullptr) {
    drill_map_->data_lines.push_back(lines_written_);
    if (e.group_mode == 1) {
      drill_map_->summary.push_back(SummaryKeyOf(e.Record(), e.module_code, options_->subtotal));
      drill_map_->counts.push_back(e.count);
    } else {
      drill_map_->rows.push_back({e.record_id(), e.module_code});
    }
    drill_map_->lines = lines_written_ + 1;
  }
  ++lines_written_;
  sink->AddLine(text, e.audit_id);
}

void PracBaseGenerator::EmitTotal(AuditLineSink* sink, std::string_view text, bool group) {
  if (drill_map_ != nullptr) {
    AuditTotalSpan span;
    for (int i = 0; i < 4; ++i) span.first[i] = group ? group_first_[i] : 0;
    span.sum_first = group ? sum_first_ : 0;
    span.end = counted_;
    drill_map_->total_lines.push_back(lines_written_);
    drill_map_->totals.push_back(span);
    drill_map_->lines = lines_written_ + 1;
  }
  ++lines_written_;
  sink->AddLine(text, kTotalItemData);
}

void PracBaseGenerator::EmitBlank(AuditLineSink* sink) {
  ++lines_written_;
  if (drill_map_ != nullptr) drill_map_->lines = lines_written_;
  sink->AddLine(kAuditBlankLine, 0);
}

void PracBaseGenerator::ResetGroupCounts() {
  for (int i = 0; i < 4; ++i) {
    if (totals_.breaks[i]) {
      totals_.group[i] = 0;
      totals_.breaks[i] = false;
    }
  }
}

// The break test shared by the base (on = the subtotal flags) and the
// summary (on = the summary-break enables).
bool PracBaseGenerator::TestBreaks(const bool on[4], const VantraElem& e,
                                   const AuditDescription& d) {
  AuditTotals* t = &totals_;
  if (!on[0] && !on[1] && !on[2] && !on[3]) return false;
  if (on[0] && t->prev_user[0] != '\0' && std::strcmp(t->prev_user, e.user()) != 0) {
    t->breaks[0] = true;
  }
  if (on[1] && t->prev_date != 0 && t->prev_date != e.date()) t->breaks[1] = true;
  if (on[2] && t->prev_module != -1 && t->prev_module != e.module_code) t->breaks[2] = true;
  if (on[3] && t->prev_verb[0] != '\0' && std::strcmp(t->prev_verb, d.verb) != 0) {
    t->breaks[3] = true;
  }
  CopyCut(t->prev_user, sizeof t->prev_user, e.user());
  CopyCut(t->prev_verb, sizeof t->prev_verb, d.verb);
  t->prev_date = e.date();
  t->prev_module = e.module_code;
  return t->breaks[0] || t->breaks[1] || t->breaks[2] || t->breaks[3];
}

bool PracBaseGenerator::CheckGroupBreak(const VantraElem& e, const AuditDescription& d) {
  bool on[4];
  for (int i = 0; i < 4; ++i) on[i] = totals_.subtotal[i] == 1;
  return TestBreaks(on, e, d);
}

// --- PracDetailedGenerator ------------------------------------------------------------

PracDetailedGenerator::PracDetailedGenerator(GenDB* db, HWindow parent, AuditOptions* options)
    : PracBaseGenerator(db, parent, options) {}

void PracDetailedGenerator::ReadRow() { ReadDetailedRow(); }

std::string PracDetailedGenerator::BuildSelectList(char source) {
  return DetailedSelectList(source);
}

void PracDetailedGenerator::FillList(QenListWindow* list) {
  ListLineSink sink(list);
  FillLines(&sink);
}

void PracDetailedGenerator::FillLines(AuditLineSink* sink) { FillDetailed(sink, false); }

// --- PracAuditGenerator ------------------------------------------------------------------

PracAuditGenerator::PracAuditGenerator(GenDB* db, HWindow parent, AuditOptions* options, long record_id,
                                       long account_id)
    : PracBaseGenerator(db, parent, options), record_id_(record_id), account_id_(account_id) {}

void PracAuditGenerator::ReadRow() { ReadDetailedRow(); }

std::string PracAuditGenerator::BuildSelectList(char source) { return DetailedSelectList(source); }

void PracAuditGenerator::FillList(QenListWindow* list) {
  ListLineSink sink(list);
  FillLines(&sink);
}

void PracAuditGenerator::FillLines(AuditLineSink* sink) { FillDetailed(sink, true); }

std::string PracAuditGenerator::BuildRecordCondition(char source) {
  if (record_id_ == 0) return std::string();
  const int chart_table = kChartAuditTable;
  const std::string recid = AuditColumnName(source, kColRecId);
  const std::string type = AuditColumnName(source, kColType);
  const std::string name1 = AuditColumnName(source, kColFldName1);
  const std::string name3 = AuditColumnName(source, kColFldName3);
  const std::string info1 = AuditColumnName(source, kColFldInfo1);
  const std::string r = std::to_string(record_id_);
  const std::string t = std::to_string(chart_table);
  // Values between quotes go through the escaping helper, constants too.
  auto q = [](const std::string& v) { return SqlEscaped(v); };
  auto eq = [&](const char* value) { return name1 + "='" + q(value) + "'"; };
  switch (options_->modules[0]) {
    case 20160:
      return " ( ( " + recid + " = " + r + " AND " + "( " + eq("PATMED") + " OR " + eq("PATPRMED") +
             " OR " + eq("PREMED") + " OR " + eq("PRESCRIP") + " )" + " ) OR ( " + name3 + " = '" +
             q(t) + "' AND " + info1 + " = '" + q(r) + "' )) ";
    case 20120:
      return "(" + recid + " = " + r + " AND " + "( " + eq("PATREFER") + " OR " + eq("REF") + " )" +
             ")";
    case 20105: {
      std::string c = "(" + recid + " = " + r + " AND  " + type + " != '" + q("M") + "' )" +
                      "  OR (" + name3 + " = '" + q(t) + "' AND " + info1 + " = '" + q(r) + "') ";
      if (account_id_ != 0) {
        c += "OR (" + recid + " = " + std::to_string(account_id_) + " AND " + name1 + " = '" +
             q("ACCOUNT") + "')";
      }
      return "(" + c + ")";
    }
    default:
      return std::string();
  }
}
