#include "stats/case_acceptance.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/gendb.h"
#include "host/list_window.h"
#include "host/strings.h"
#include "stats/stats_format.h"

namespace {

// Items per set-based look-up statement.
constexpr size_t kLookupChunk = 500;

void CopyCode(char (&field)[4], const char* text) {
  std::strncpy(field, text, 3);
  field[3] = '\0';
}

bool CategoryInGroup(long category, long group) {
  if (group == kCaseGroupPlanned) return category == 10 || category == 11 || category == 12;
  if (group == kCaseGroupProposal) return category == 1 || category == 3 || category == 5;
  return false;
}

}  // namespace

std::string CaseAuditStatement(long from, long to, const char* prefix) {
  std::string sql = std::string("SELECT AUD_TYPE, AUD_ACTION, AUD_RECID, AUD_DATE, AUD_FLD_INFO1, AUD_FLD_INFO2, "
                                "AUD_FLD_INFO3 FROM ") +
                    prefix + "AUDITFIL " + " WHERE " +
                    " ((AUD_TYPE = 'T' AND AUD_FLD_INFO3 != ''  and (AUD_ACTION = 'E'  OR (AUD_ACTION = 'A' and  "
                    "AUD_FLD_INFO1 LIKE 'P%'))) " +
                    " OR " + " (AUD_TYPE = 'X' AND AUD_FLD_INFO2 != '' ) )" +
                    " AND (AUD_ACTION = 'A' OR AUD_ACTION = 'E') ";
  char buffer[48];
  if (from != 0) {
    std::snprintf(buffer, sizeof buffer, "%ld", from);
    sql += std::string(" AND ") + " AUD_DATE >= " + buffer;
  }
  if (to != 0) {
    std::snprintf(buffer, sizeof buffer, "%ld", to);
    sql += std::string(" AND ") + " AUD_DATE <= " + buffer;
  }
  return sql + " ORDER BY AUD_ACTION, AUD_DATE ";
}

std::string CaseLookupStatement(long group, long record_id, const char* prefix) {
  char buffer[256];
  if (group == kCaseGroupPlanned) {
    std::snprintf(buffer, sizeof buffer, "SELECT %s,CTRT_TOTAL FROM %sCLMTRT WHERE CTRT_ID=%ld  AND CTRT_DEL_DATE = 0",
                  "CTRT_PRODUCER", prefix, record_id);
  } else {
    std::snprintf(buffer, sizeof buffer, "SELECT %s,TTRT_TOTAL FROM %sTXPTRT WHERE TTRT_ID=%ld  AND TTRT_DEL_DATE = 0",
                  "TTRT_PRODUCER", prefix, record_id);
  }
  return buffer;
}

CaseStats CaseClassify(const CaseAuditRow& row) {
  CaseStats r;
  r.new_status = row.info1.empty() ? 0 : row.info1[0];
  r.old_status = row.info3.empty() ? 0 : row.info3[0];
  r.action = row.action;
  r.date = row.date;
  if (row.type == 'X') {
    r.group = kCaseGroupProposal;
    r.record_id = std::atol(row.info2.c_str());
    if (row.action == 'A') {
      r.category = 1;
      r.new_count = 1;
    } else if (r.new_status == 'A') {
      if (r.old_status == 0) r.category = 3;
      else if (r.old_status == 'I') r.category = 5;
      if (r.category != 0) r.accepted_count = 1;
    }
  } else {
    r.group = kCaseGroupPlanned;
    r.record_id = row.record_id;
    if (row.action == 'A') {
      r.category = 10;
      r.new_count = 1;
    } else {
      if (r.new_status == 'I') r.category = 11;
      else if (r.new_status == 'C' && r.old_status == 'P') r.category = 12;
      if (r.category != 0) r.accepted_count = 1;
    }
  }
  return r;
}

bool CaseAccepted(const CaseStats& r, const StatsSelection& s, const CaseCreatedItems& created) {
  if (s.all_producers != 'Y' && s.ProducerIndex(r.producer) < 0) return false;
  if (r.action == 'E' && !created.Has(r.group, r.record_id)) return false;
  return CategoryInGroup(r.category, r.group);
}

std::string CaseRow(const char* label, const CaseStats& r) {
  char pct[32];
  const float ratio = r.new_count > 0 ? static_cast<float>(r.accepted_count) / static_cast<float>(r.new_count) * 100.0f
                                      : 0.0f;
  std::snprintf(pct, sizeof pct, "%.2f%%", static_cast<double>(ratio));
  return std::string(label) + " \t" + r.producer + " \t" + std::to_string(r.new_count) + " \t" +
         DollarText(r.new_amount) + " \t" + std::to_string(r.accepted_count) + " \t" +
         DollarText(r.accepted_amount) + " \t" + pct;
}

void CaseAcceptanceGenerator::Fail(const std::string& message) {
  if (error_.empty()) error_ = message;
}

void CaseAcceptanceGenerator::Count(CaseStats r, const CaseItem& item) {
  CopyCode(r.producer, item.producer);
  if (r.action == 'A') r.new_amount += item.total;
  else r.accepted_amount += item.total;
  if (r.action == 'A') created_.Add(r);
  if (!CaseAccepted(r, sel_, created_)) return;
  if (counted_ != nullptr) counted_->push_back(r);
  for (CaseStats& m : merged_) {
    if (m.group == r.group && std::strcmp(m.producer, r.producer) == 0) {
      m.new_count += r.new_count;
      m.accepted_count += r.accepted_count;
      m.new_amount += r.new_amount;
      m.accepted_amount += r.accepted_amount;
      return;
    }
  }
  merged_.push_back(r);
}

namespace {

CaseAuditRow ReadAuditRow(GenDB* db, int c) {
  CaseAuditRow row;
  char text[51];
  db->dbGetChar(1, &row.type, c);
  db->dbGetChar(2, &row.action, c);
  db->dbGetLong(3, &row.record_id, c);
  db->dbGetLong(4, &row.date, c);
  db->dbGetString(5, text, sizeof text, c);
  row.info1 = text;
  db->dbGetString(6, text, sizeof text, c);
  row.info2 = text;
  db->dbGetString(7, text, sizeof text, c);
  row.info3 = text;
  return row;
}

}  // namespace

bool CaseAcceptanceGenerator::ReadStatementPath() {
  constexpr int c = kCaseAuditCursor, k = kCaseLookupCursor;
  const std::string sql = CaseAuditStatement(sel_.from, sel_.to, db_->dbPrefix());
  if (db_->dbExecute(sql.c_str(), c) != 0) Fail(db_->LastError());
  for (int r = db_->dbFetch(0, c); r == 0; r = db_->dbFetch(1, c)) {
    const CaseStats rec = CaseClassify(ReadAuditRow(db_, c));
    if (rec.category == 0) continue;
    const std::string lookup = CaseLookupStatement(rec.group, rec.record_id, db_->dbPrefix());
    ++lookups_;
    if (db_->dbExecute(lookup.c_str(), k) != 0) Fail(db_->LastError());
    if (db_->dbFetch(0, k) != 0) {
      db_->dbClose(k);
      continue;
    }
    CaseItem item;
    db_->dbGetString(1, item.producer, sizeof item.producer, k);
    db_->dbGetLong(2, &item.total, k);
    db_->dbClose(k);
    Count(rec, item);
  }
  db_->dbClose(c);
  return error_.empty();
}

bool CaseAcceptanceGenerator::LookUpAll(long group, const std::vector<long>& ids,
                                        std::unordered_map<long, CaseItem>* out) {
  constexpr int k = kCaseLookupCursor;
  const bool planned = group == kCaseGroupPlanned;
  for (size_t first = 0; first < ids.size(); first += kLookupChunk) {
    std::string list;
    for (size_t i = first; i < ids.size() && i < first + kLookupChunk; ++i) {
      if (!list.empty()) list += ",";
      list += std::to_string(ids[i]);
    }
    // The same rows the one-item statements find: the item of that id, not
    // deleted; its producer and total.
    const std::string sql =
        planned ? std::string("SELECT CTRT_ID,CTRT_PRODUCER,CTRT_TOTAL FROM ") + db_->dbPrefix() +
                      "CLMTRT WHERE CTRT_DEL_DATE = 0 AND CTRT_ID IN (" + list + ")"
                : std::string("SELECT TTRT_ID,TTRT_PRODUCER,TTRT_TOTAL FROM ") + db_->dbPrefix() +
                      "TXPTRT WHERE TTRT_DEL_DATE = 0 AND TTRT_ID IN (" + list + ")";
    ++lookups_;
    if (db_->dbExecute(sql.c_str(), k) != 0) Fail(db_->LastError());
    for (int r = db_->dbFetch(0, k); r == 0; r = db_->dbFetch(1, k)) {
      long id = 0;
      CaseItem item;
      db_->dbGetLong(1, &id, k);
      db_->dbGetString(2, item.producer, sizeof item.producer, k);
      db_->dbGetLong(3, &item.total, k);
      out->emplace(id, item);  // the first row of an id, as the fetch of one statement
    }
    if (!db_->LastError().empty()) Fail(db_->LastError());
    db_->dbClose(k);
  }
  return error_.empty();
}

bool CaseAcceptanceGenerator::ReadSetBased() {
  constexpr int c = kCaseAuditCursor;
  const std::string sql = CaseAuditStatement(sel_.from, sel_.to, db_->dbPrefix());
  if (db_->dbExecute(sql.c_str(), c) != 0) Fail(db_->LastError());
  std::vector<CaseStats> counted;
  for (int r = db_->dbFetch(0, c); r == 0; r = db_->dbFetch(1, c)) {
    const CaseStats rec = CaseClassify(ReadAuditRow(db_, c));
    if (rec.category != 0) counted.push_back(rec);
  }
  if (!db_->LastError().empty()) Fail(db_->LastError());
  db_->dbClose(c);
  std::unordered_map<long, CaseItem> items[2];  // planned, proposals
  for (int g = 0; g < 2; ++g) {
    const long group = g == 0 ? kCaseGroupPlanned : kCaseGroupProposal;
    std::unordered_set<long> seen;
    std::vector<long> ids;
    for (const CaseStats& r : counted) {
      if (r.group == group && seen.insert(r.record_id).second) ids.push_back(r.record_id);
    }
    LookUpAll(group, ids, &items[g]);
  }
  for (const CaseStats& r : counted) {
    const auto& found = items[r.group == kCaseGroupPlanned ? 0 : 1];
    auto it = found.find(r.record_id);
    if (it != found.end()) Count(r, it->second);
  }
  return error_.empty();
}

void WriteCaseAcceptanceRows(const std::vector<CaseStats>& merged, QenListWindow* list) {
  auto add = [list](const std::string& text, const CaseStats* rec) {
    const int row = list->AddString(text, 0);
    if (rec != nullptr) list->SetItemRecord(row, std::make_unique<CaseStatsElem>(*rec));
  };
  auto write_group = [&](long group, int title, int accepted_title, size_t* at) {
    CaseStats header;
    header.category = kCaseHeader;
    header.group = group;
    add(std::string(ModuleString(title)) + "\t \t" + ModuleString(87) + "\t \t" + ModuleString(accepted_title),
        &header);
    CaseStats total;
    total.category = kCaseTotal;
    total.group = group;
    for (; *at < merged.size() && merged[*at].group == group; ++*at) {
      const CaseStats& r = merged[*at];
      add(CaseRow("", r), &r);
      total.new_count += r.new_count;
      total.accepted_count += r.accepted_count;
      total.new_amount += r.new_amount;
      total.accepted_amount += r.accepted_amount;
    }
    add(CaseRow(ModuleString(kTotalLabel), total), &total);
  };
  size_t at = 0;
  bool planned = false;
  if (!merged.empty() && merged[0].group == kCaseGroupPlanned) {
    write_group(kCaseGroupPlanned, 83, 85, &at);
    add("", nullptr);
    planned = true;
  }
  if (at < merged.size() && merged[at].group == kCaseGroupProposal) {
    if (planned) add("", nullptr);
    write_group(kCaseGroupProposal, 84, 86, &at);
  }
}

namespace {

std::string CaseSortKey(const CaseStats& r) {
  char key[48];
  std::snprintf(key, sizeof key, "%05d%s", static_cast<int>(r.group), r.producer);
  return key;
}

}  // namespace

bool CaseTotalsBefore(const CaseStats& a, const CaseStats& b) { return CaseSortKey(a) < CaseSortKey(b); }

RunOutcome CaseAcceptanceGenerator::Fill(QenListWindow* list) {
  list->ClearList();
  created_.Clear();
  merged_.clear();
  if (counted_ != nullptr) counted_->clear();
  error_.clear();
  lookups_ = 0;
  if (db_ == nullptr) return RunOutcome();
  const bool ok = statement_lookups_ ? ReadStatementPath() : ReadSetBased();
  TDList sorted;
  for (const CaseStats& r : merged_) sorted.Append(new CaseStatsElem(r));
  sorted.QSort([](const TDElem* a, const TDElem* b) {
    const CaseStats& x = static_cast<const CaseStatsElem*>(a)->rec;
    const CaseStats& y = static_cast<const CaseStatsElem*>(b)->rec;
    char kx[48], ky[48];
    std::snprintf(kx, sizeof kx, "%05d%s", static_cast<int>(x.group), x.producer);
    std::snprintf(ky, sizeof ky, "%05d%s", static_cast<int>(y.group), y.producer);
    return std::strcmp(kx, ky);
  });
  merged_.clear();
  for (auto* e : sorted.As<CaseStatsElem>()) merged_.push_back(e->rec);
  created_.Clear();
  WriteCaseAcceptanceRows(merged_, list);
  RunOutcome outcome;
  if (!ok) outcome.NoteFailure(error_.empty() ? db_->LastError() : error_);
  return outcome;
}
