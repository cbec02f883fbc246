// The summary merge (and the detailed list over the same rows) on audit rows
// made of any bytes, served by a stand-in connection: every field at any
// length, NULL-ish values (empty texts, 0), numbers at their limits, any
// subtotal flags and sort keys. The summary's elements must hold every row
// kept exactly once (their counts add up to the rows whose module is
// listed), no two elements may share the subtotalled keys, and both lists
// end with their grand total.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "audit/audit_generator.h"
#include "host/gendb.h"
#include "host/list_window.h"

namespace {

// One audit row as the connection holds it: 13 columns, texts of any length.
struct Row {
  long id = 0;
  std::string type, action;
  long record_id = 0;
  std::string user;
  long date = 0, time = 0;
  std::string texts[6];
};

class NoDialect : public SqlDialect {
 public:
  DbEngine Engine() const override { return DbEngine::kSqlite; }
  std::string BigIntType() const override { return "INTEGER"; }
  std::string IntType() const override { return "INTEGER"; }
  std::string TextType(int) const override { return "TEXT"; }
  std::string TableExistsSql(std::string_view, std::string_view) const override { return "SELECT 1"; }
  std::string SchemasHoldingSql(const std::vector<std::string>&) const override { return std::string(); }
};

// Serves the count and the rows on the audit cursor; every other statement
// (the name look-ups) finds nothing. Column readers follow GenDB's rules.
class RowsDb : public GenDB {
 public:
  explicit RowsDb(const std::vector<Row>* rows) : rows_(rows) {}

  int dbExecute(const char* statement, int cursor) override {
    cursor_ = cursor;
    at_ = -1;
    count_ = cursor == kAuditCursor && std::strstr(statement, "COUNT(") != nullptr;
    serving_ = cursor == kAuditCursor;
    return 0;
  }
  int dbFetch(int mode, int cursor) override {
    if (cursor != cursor_ || !serving_) return 1;
    at_ = mode == 0 ? 0 : at_ + 1;
    const long n = count_ ? 1 : static_cast<long>(rows_->size());
    return at_ < n ? 0 : 1;
  }
  int dbGetLong(int column, long* out, int cursor) override {
    *out = 0;
    const Row* r = Current(cursor);
    if (r == nullptr) return count_ && cursor == cursor_ && at_ == 0 && column == 1 ? (*out = Size(), 0) : 1;
    switch (column) {
      case 1: *out = r->id; return 0;
      case 4: *out = r->record_id; return 0;
      case 6: *out = r->date; return 0;
      case 7: *out = r->time; return 0;
      default: {
        const std::string* t = Text(*r, column);
        if (t == nullptr) return 1;
        *out = std::strtol(t->c_str(), nullptr, 10);
        return 0;
      }
    }
  }
  int dbGetShort(int column, short* out, int cursor) override {
    long v = 0;
    const int rc = dbGetLong(column, &v, cursor);
    *out = static_cast<short>(v < SHRT_MIN ? SHRT_MIN : v > SHRT_MAX ? SHRT_MAX : v);
    return rc;
  }
  int dbGetChar(int column, char* out, int cursor) override {
    std::string s;
    const int rc = dbGetField(column, &s, cursor, false);
    *out = s.empty() ? '\0' : s[0];
    return rc;
  }
  int dbGetString(int column, char* buffer, int capacity, int cursor) override {
    if (capacity <= 0) return 1;
    std::string s;
    const int rc = dbGetField(column, &s, cursor, false);
    CopyCutN(buffer, static_cast<size_t>(capacity), s.data(), s.size());
    return rc;
  }
  int dbGetField(int column, std::string* out, int cursor, bool trim) override {
    out->clear();
    const Row* r = Current(cursor);
    if (r == nullptr) return 1;
    if (const std::string* t = Text(*r, column)) {
      *out = *t;
    } else {
      long v = 0;
      dbGetLong(column, &v, cursor);
      *out = std::to_string(v);
    }
    while (trim && !out->empty() && out->back() == ' ') out->pop_back();
    return 0;
  }
  int dbRowCount(long* out, int) override {
    *out = 0;
    return 1;
  }
  int dbClose(int) override {
    serving_ = false;
    return 0;
  }
  int dbColumnCount(int) override { return 13; }
  const char* dbPrefix() const override { return ""; }
  int dbExec(const char*) override { return 0; }
  int dbBeginTransaction() override { return 0; }
  int dbCommit() override { return 0; }
  int dbRollback() override { return 0; }
  std::unique_ptr<BulkLoader> BeginBulk(const std::string&, const std::vector<std::string>&) override {
    return nullptr;
  }
  const SqlDialect& Dialect() const override { return dialect_; }
  const std::string& LastError() const override { return error_; }
  const std::string& Url() const override { return url_; }

 private:
  long Size() const { return static_cast<long>(rows_->size()); }
  const Row* Current(int cursor) const {
    if (count_ || cursor != cursor_ || !serving_ || at_ < 0 || at_ >= Size()) return nullptr;
    return &(*rows_)[static_cast<size_t>(at_)];
  }
  static const std::string* Text(const Row& r, int column) {
    if (column == 2) return &r.type;
    if (column == 3) return &r.action;
    if (column == 5) return &r.user;
    if (column >= 8 && column <= 13) return &r.texts[column - 8];
    return nullptr;
  }

  const std::vector<Row>* rows_;
  NoDialect dialect_;
  std::string error_, url_ = "fuzz:";
  int cursor_ = -1;
  long at_ = -1;
  bool count_ = false, serving_ = false;
};

const long kLongs[] = {0, 1, 2, 3, 7, 12, 17, 1003, 1007, 7004, 20105, 20261201, 20261202,
                       20261340, 90000, 120000, 235959, -1, LONG_MAX, LONG_MIN};
const char* const kTexts[] = {"", "A", "E", "X", "N", "L", "S", "anne", "marc", "PATSTATUS", "1007",
                              "ACCOUNT", "\xC3\xA9t\xC3\xA9", "abcdefghijklmnop"};

long Long(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? kLongs[in.ConsumeIntegralInRange<size_t>(0, sizeof kLongs / sizeof kLongs[0] - 1)]
                          : in.ConsumeIntegral<long>();
}
std::string Str(FuzzedDataProvider& in, size_t max) {
  return in.ConsumeBool() ? kTexts[in.ConsumeIntegralInRange<size_t>(0, sizeof kTexts / sizeof kTexts[0] - 1)]
                          : in.ConsumeRandomLengthString(max);
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "audit summary fuzz: %s\n", what);
  std::abort();
}

bool EndsWithGrandTotal(const QenListWindow& list) {
  return list.GetCount() > 0 && list.GetItemData(list.GetCount() - 1) == -1 &&
         list.GetString(list.GetCount() - 1).substr(0, 12) == "Grand Total:";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  AuditOptions options;
  options.all_modules = in.ConsumeBool() ? 'Y' : 'N';
  options.track_entry_exit = in.ConsumeBool() ? 'Y' : 'N';
  for (int m = 0; m < 3; ++m) options.AddModule(Long(in));
  for (short& s : options.subtotal) s = in.ConsumeIntegralInRange<short>(-1, 2);
  options.sort_key_count = in.ConsumeIntegralInRange<short>(-1, 5);
  for (short& k : options.sort_keys) k = in.ConsumeIntegralInRange<short>(-1, 5);
  const int row_count = in.ConsumeIntegralInRange<int>(0, 64);
  std::vector<Row> rows;
  for (int i = 0; i < row_count && in.remaining_bytes() > 0; ++i) {
    Row r;
    r.id = Long(in);
    r.type = Str(in, 3);
    r.action = Str(in, 3);
    r.record_id = Long(in);
    r.user = Str(in, 16);
    r.date = Long(in);
    r.time = Long(in);
    for (std::string& t : r.texts) t = Str(in, 60);
    rows.push_back(std::move(r));
  }
  RowsDb db(&rows);

  // The rows the summary keeps, and their merge keys, as the generator reads
  // them (seven columns); the detailed list reads the field names and infos
  // too, on which the module of some rows depends.
  long kept = 0, kept_detailed = 0;
  std::set<std::tuple<std::string, long, long, long>> keys;
  for (const Row& row : rows) {
    AuditRecord r;
    r.type = row.type.empty() ? '\0' : row.type[0];
    r.action = row.action.empty() ? '\0' : row.action[0];
    r.record_id = row.record_id;
    CopyCutN(r.user, sizeof r.user, row.user.data(), row.user.size());
    TrimBrokenUtf8Tail(r.user, sizeof r.user);
    r.date = row.date;
    r.time = row.time;
    AuditRecord full = r;
    for (int i = 0; i < 3; ++i) {
      CopyCutN(full.field_name[i], sizeof full.field_name[i], row.texts[i].data(), row.texts[i].size());
      TrimBrokenUtf8Tail(full.field_name[i], sizeof full.field_name[i]);
      CopyCutN(full.field_info[i], sizeof full.field_info[i], row.texts[3 + i].data(), row.texts[3 + i].size());
      TrimBrokenUtf8Tail(full.field_info[i], sizeof full.field_info[i]);
    }
    kept_detailed += ModuleCodeOf(full, options) != 0 ? 1 : 0;
    const long module = ModuleCodeOf(r, options);
    if (module == 0) continue;
    ++kept;
    keys.emplace(options.subtotal[0] == 1 ? std::string(r.user) : std::string(),
                 options.subtotal[1] == 1 ? r.date : 0, options.subtotal[2] == 1 ? module : 0,
                 options.subtotal[3] == 1 ? ActionGroupOf(r, 1) : 0);
  }

  PracSummaryGenerator summary(nullptr, nullptr, &options);
  summary.SetDb(&db);
  static QenListWindow list, lines;  // allocated once for the run
  list.ClearList();
  lines.ClearList();
  const bool listed = summary.Generate(&list);
  if (listed != !rows.empty()) Fail("Generate answered for no rows, or not for some");
  long merged = 0;
  for (const VantraElem* e : summary.Elements().As<VantraElem>()) {
    if (e->count < 1) Fail("an element merged no row");
    merged += e->count;
  }
  if (merged != kept) Fail("the merged counts differ from the rows kept");
  if (static_cast<size_t>(summary.Elements().Count()) != keys.size()) {
    Fail("elements and distinct key combinations differ");
  }
  if (listed && !EndsWithGrandTotal(list)) Fail("the summary does not end with its grand total");

  PracDetailedGenerator detailed(nullptr, nullptr, &options);
  detailed.SetDb(&db);
  detailed.Generate(&lines);
  if (static_cast<long>(detailed.Elements().Count()) != kept_detailed) Fail("the detailed list lost or added rows");
  if (listed && !EndsWithGrandTotal(lines)) Fail("the detailed list does not end with its grand total");
  return 0;
}
