#include "suite/production_service.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "host/gendb.h"

namespace {

// Cursor of the service's statements; no analysis uses it, so the service
// may be called from inside an analysis's fetch loop.
constexpr int kCursor = 93;

// The three windows of a triple, as SQL conditions on a date column:
// value 0 the last day, value 1 the range, value 2 the year to date.
struct Windows {
  long from, to, year_start;
  long Lowest() const { return std::min(from, year_start); }
  std::string Condition(const char* column, int k) const {
    char buf[160];
    if (k == 0) {
      std::snprintf(buf, sizeof buf, "%s = %ld", column, to);
    } else {
      std::snprintf(buf, sizeof buf, "%s >= %ld AND %s <= %ld", column, k == 1 ? from : year_start, column, to);
    }
    return buf;
  }
};

// One aggregate statement: per producer, for each measure and each window,
// SUM(CASE WHEN window AND measure THEN amount ELSE 0 END). Measures are
// (condition, amount expression, triple, sign).
struct Measure {
  std::string condition;  // "" = always
  std::string amount;
  Triple triple;
  int sign;
};

bool RunAggregate(GenDB* db, const std::string& producer_column, const std::string& date_column,
                  const std::string& from_where, const std::vector<Measure>& measures, const Windows& win,
                  std::map<std::string, prodanal_info*>* records, std::string* error) {
  std::string sql = "SELECT " + producer_column;
  for (const Measure& m : measures) {
    for (int k = 0; k < 3; ++k) {
      sql += ", SUM(CASE WHEN " + win.Condition(date_column.c_str(), k);
      if (!m.condition.empty()) sql += " AND " + m.condition;
      sql += " THEN " + m.amount + " ELSE 0 END)";
    }
  }
  char range[96];
  std::snprintf(range, sizeof range, " AND %s >= %ld AND %s <= %ld", date_column.c_str(), win.Lowest(),
                date_column.c_str(), win.to);
  sql += " " + from_where + range + " GROUP BY " + producer_column;
  if (db->dbExecute(sql.c_str(), kCursor) != 0) {
    if (error) *error = db->LastError();
    db->dbClose(kCursor);
    return false;
  }
  for (int r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
    std::string code;
    db->dbGetField(1, &code, kCursor, true);
    auto it = records->find(code);
    if (it == records->end()) continue;  // a producer not in PRODCD, or not asked for
    int column = 2;
    for (const Measure& m : measures) {
      for (int k = 0; k < 3; ++k) {
        long v = 0;
        db->dbGetLong(column++, &v, kCursor);
        it->second->Add(m.triple, k, static_cast<int32_t>(m.sign * v));
      }
    }
  }
  const bool failed = !db->LastError().empty();
  if (failed && error) *error = db->LastError();
  db->dbClose(kCursor);
  return !failed;
}

// Derived triples: sums of the ones read from the tables.
void Derive(prodanal_info* p) {
  for (int k = 0; k < 3; ++k) {
    const int32_t t1 = p->Get(Triple::T1, k), t2 = p->Get(Triple::T2, k), t3 = p->Get(Triple::T3, k);
    const int32_t t4 = p->Get(Triple::T4, k), t6 = p->Get(Triple::T6, k);
    p->Set(Triple::T0, k, t1 + t2 + t3);
    p->Set(Triple::T5, k, t1 + t2 + t3 + t4);
    p->Set(Triple::T7, k, t1 + t2 + t3 + t4 - t6);
    p->Set(Triple::G0c, k, p->Get(Triple::G0a, k) + p->Get(Triple::G0b, k));
    p->Set(Triple::G1c, k, p->Get(Triple::G1a, k) + p->Get(Triple::G1b, k));
    p->Set(Triple::G2a, k, p->Get(Triple::G0c, k));
    p->Set(Triple::G2b, k, p->Get(Triple::G1c, k));
    p->Set(Triple::G2c, k, p->Get(Triple::G0c, k) + p->Get(Triple::G1c, k));
  }
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The three sources of the fees T5 (T1 + T3 treatments, T2 office charges,
// T4 adjustments): the aggregate of ComputeProductionFor, the daily fees and
// the items listed behind a fee all read them from here.
struct FeeSource {
  const char* kind;      // what an item of it is, for the item list
  const char* table;
  const char* id;
  const char* patient;
  const char* producer;
  const char* date;
  const char* where;     // the rows that count
  const char* amount;    // the fee of a row (T5's part)
  const char* code;
  const char* description;
};
constexpr FeeSource kFeeSources[] = {
    {"Traitement", "CLMTRT", "CTRT_ID", "CTRT_PATID", "CTRT_PRODUCER", "CTRT_DATE",
     "CTRT_STATUS = 'C' AND CTRT_DEL_DATE = 0", "CTRT_TOTAL", "CTRT_CODE", "CTRT_CODE_FC_DESC"},
    {"Frais de bureau", "PATOCH", "POCH_ID", "POCH_PATID", "POCH_PRODUCER", "POCH_DATE", "POCH_DEL_DATE = 0",
     "POCH_AMOUNT", "POCH_CODE", "POCH_DESCRIP"},
    {"Ajustement", "ACCPMT", "APMT_ID", "APMT_PATID", "APMT_PRODUCER", "APMT_DATE",
     "APMT_KIND = 'A' AND APMT_DEL_DATE = 0", "APMT_AMOUNT", "APMT_CODE", "APMT_DESCRIP"},
};

std::string FromWhere(const std::string& prefix, const FeeSource& src) {
  return std::string("FROM ") + prefix + src.table + " WHERE " + src.where;
}

// The other sources of the summary's columns: payments (by source and
// method; credits, negative cents) and the treatments of claims sent (P1).
constexpr FeeSource kPaymentSource = {"Paiement", "ACCPMT", "APMT_ID", "APMT_PATID", "APMT_PRODUCER", "APMT_DATE",
                                      "APMT_KIND = 'P' AND APMT_DEL_DATE = 0", "APMT_AMOUNT", "APMT_CODE",
                                      "APMT_DESCRIP"};
struct PaymentMeasure {
  const char* condition;
  Triple triple;
};
constexpr PaymentMeasure kPaymentMeasures[4] = {
    {"APMT_SOURCE != 'I' AND APMT_METHOD IN ('C','Q')", Triple::G0a},
    {"APMT_SOURCE != 'I' AND APMT_METHOD NOT IN ('C','Q')", Triple::G0b},
    {"APMT_SOURCE = 'I' AND APMT_METHOD = 'Q'", Triple::G1a},
    {"APMT_SOURCE = 'I' AND APMT_METHOD != 'Q'", Triple::G1b},
};
constexpr FeeSource kClaimSource = {"Traitement réclamé", "CLMTRT", "CTRT_ID", "CTRT_PATID", "CTRT_PRODUCER",
                                    "PCLM_DATE", "PCLM_ID = CTRT_PCLMID AND PCLM_STATUS = 'T' AND CTRT_DEL_DATE = 0",
                                    "CTRT_TOTAL", "CTRT_CODE", "CTRT_CODE_FC_DESC"};

}  // namespace

std::vector<std::string> SplitProducerList(const std::string& text) {
  std::vector<std::string> out;
  auto take = [&out](const std::string& code) {
    const std::string c = Trim(code);
    if (!c.empty()) out.push_back(c);
  };
  if (text.find(',') != std::string::npos) {
    size_t start = 0;
    for (;;) {
      const size_t comma = text.find(',', start);
      take(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  } else {
    for (size_t i = 0; i < text.size(); i += 3) take(text.substr(i, 3));
  }
  return out;
}

bool ComputeProductionFor(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                          bool include_inactive, TDList* result, std::string* error) {
  if (db == nullptr || result == nullptr) {
    if (error) *error = "aucune base de données";
    return false;
  }
  const std::string prefix = db->dbPrefix();
  // The producers, in code order.
  std::vector<std::unique_ptr<prodanal_info>> made;
  std::map<std::string, prodanal_info*> records;
  const std::string list_sql = "SELECT PROD_CODE, PROD_INACTIVE FROM " + prefix + "PRODCD ORDER BY PROD_CODE";
  if (db->dbExecute(list_sql.c_str(), kCursor) != 0) {
    if (error) *error = db->LastError();
    db->dbClose(kCursor);
    return false;
  }
  for (int r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
    std::string code;
    char inactive = 0;
    db->dbGetField(1, &code, kCursor, true);
    db->dbGetChar(2, &inactive, kCursor);
    const bool named = std::find(producers.begin(), producers.end(), code) != producers.end();
    if (!producers.empty() && !named) continue;
    if (producers.empty() && !include_inactive && inactive == 'Y') continue;
    if (code.empty() || records.count(code) != 0) continue;
    auto p = std::make_unique<prodanal_info>();
    p->SetCode(code);
    records[code] = p.get();
    made.push_back(std::move(p));
  }
  db->dbClose(kCursor);

  Windows win{from, to, (to / 10000) * 10000 + 101};
  bool ok = true;
  if (!records.empty()) {
    ok = RunAggregate(db, "CTRT_PRODUCER", "CTRT_DATE", FromWhere(prefix, kFeeSources[0]),
                      // A NULL amount counts 0 (a NULL insurer part must not
                      // take the treatment's total with it).
                      {{"", "COALESCE(CTRT_INS_AMT, 0)", Triple::T1, 1},
                       {"", "COALESCE(CTRT_TOTAL, 0) - COALESCE(CTRT_INS_AMT, 0)", Triple::T3, 1},
                       {"", "CTRT_LAB", Triple::T6, 1}},
                      win, &records, error) &&
         RunAggregate(db, "POCH_PRODUCER", "POCH_DATE", FromWhere(prefix, kFeeSources[1]),
                      {{"", "POCH_AMOUNT", Triple::T2, 1}}, win, &records, error) &&
         RunAggregate(db, "APMT_PRODUCER", "APMT_DATE", FromWhere(prefix, kFeeSources[2]),
                      {{"", "APMT_AMOUNT", Triple::T4, 1}}, win, &records, error) &&
         RunAggregate(db, "APMT_PRODUCER", "APMT_DATE", FromWhere(prefix, kPaymentSource),
                      {{kPaymentMeasures[0].condition, "APMT_AMOUNT", kPaymentMeasures[0].triple, -1},
                       {kPaymentMeasures[1].condition, "APMT_AMOUNT", kPaymentMeasures[1].triple, -1},
                       {kPaymentMeasures[2].condition, "APMT_AMOUNT", kPaymentMeasures[2].triple, -1},
                       {kPaymentMeasures[3].condition, "APMT_AMOUNT", kPaymentMeasures[3].triple, -1}},
                      win, &records, error) &&
         RunAggregate(db, "TTRT_PRODUCER", "TTRT_DATE", "FROM " + prefix + "TXPTRT WHERE TTRT_DEL_DATE = 0",
                      {{"", "TTRT_TOTAL", Triple::P0, 1}}, win, &records, error) &&
         RunAggregate(db, "CTRT_PRODUCER", "PCLM_DATE",
                      "FROM " + prefix + "CLMTRT, " + prefix + "PATCLM WHERE " + kClaimSource.where,
                      {{"", "CTRT_TOTAL", Triple::P1, 1}}, win, &records, error);
  }
  if (!ok) return false;
  for (auto& p : made) {
    Derive(p.get());
    result->Append(p.release());
  }
  return true;
}

bool ComputeDailyFees(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                      std::map<long, std::map<std::string, long>>* fees, std::string* error) {
  if (db == nullptr || fees == nullptr) {
    if (error) *error = "aucune base de données";
    return false;
  }
  const std::string prefix = db->dbPrefix();
  for (const FeeSource& src : kFeeSources) {
    char range[160];
    std::snprintf(range, sizeof range, " AND %s >= %ld AND %s <= %ld", src.date, from, src.date, to);
    const std::string sql = std::string("SELECT ") + src.producer + ", " + src.date + ", SUM(" + src.amount + ") " +
                            FromWhere(prefix, src) + range + " GROUP BY " + src.producer + ", " + src.date;
    if (db->dbExecute(sql.c_str(), kCursor) != 0) {
      if (error) *error = db->LastError();
      db->dbClose(kCursor);
      return false;
    }
    for (int r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
      std::string code;
      long date = 0, amount = 0;
      db->dbGetField(1, &code, kCursor, true);
      db->dbGetLong(2, &date, kCursor);
      db->dbGetLong(3, &amount, kCursor);
      if (!producers.empty() && std::find(producers.begin(), producers.end(), code) == producers.end()) continue;
      (*fees)[date][code] += amount;
    }
    const bool failed = !db->LastError().empty();
    if (failed && error) *error = db->LastError();
    db->dbClose(kCursor);
    if (failed) return false;
  }
  return true;
}

namespace {

// The rows of one source over [from, to] (condition: an extra condition, ""
// none; sign: what a row's amount counts as), into items.
bool ReadItems(GenDB* db, const std::string& from_where, const FeeSource& src, const std::string& condition, int sign,
               long from, long to, const std::vector<std::string>& producers, std::vector<FeeItem>* items,
               std::string* error) {
  char range[160];
  std::snprintf(range, sizeof range, " AND %s >= %ld AND %s <= %ld", src.date, from, src.date, to);
  const std::string sql = std::string("SELECT ") + src.producer + ", " + src.date + ", " + src.amount + ", " +
                          src.id + ", " + src.patient + ", " + src.code + ", " + src.description + " " + from_where +
                          (condition.empty() ? std::string() : " AND (" + condition + ")") + range + " ORDER BY " +
                          src.date + ", " + src.id;
  if (db->dbExecute(sql.c_str(), kCursor) != 0) {
    if (error) *error = db->LastError();
    db->dbClose(kCursor);
    return false;
  }
  for (int r = db->dbFetch(0, kCursor); r == 0; r = db->dbFetch(1, kCursor)) {
    FeeItem item;
    db->dbGetField(1, &item.producer, kCursor, true);
    if (!producers.empty() && std::find(producers.begin(), producers.end(), item.producer) == producers.end()) continue;
    item.kind = src.kind;
    item.table = src.table;
    db->dbGetLong(2, &item.date, kCursor);
    long amount = 0;
    db->dbGetLong(3, &amount, kCursor);
    item.cents = sign * amount;
    db->dbGetLong(4, &item.id, kCursor);
    db->dbGetLong(5, &item.patient, kCursor);
    db->dbGetField(6, &item.code, kCursor, true);
    db->dbGetField(7, &item.description, kCursor, true);
    items->push_back(std::move(item));
  }
  const bool failed = !db->LastError().empty();
  if (failed && error) *error = db->LastError();
  db->dbClose(kCursor);
  return !failed;
}

// The payment measures of the triples asked (their conditions OR'ed).
std::string PaymentCondition(std::initializer_list<Triple> triples) {
  std::string out;
  for (const PaymentMeasure& m : kPaymentMeasures) {
    for (Triple t : triples) {
      if (t != m.triple) continue;
      out += (out.empty() ? "(" : " OR (") + std::string(m.condition) + ")";
    }
  }
  return out;
}

}  // namespace

bool ListProductionItems(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                         ProductionColumn column, std::vector<FeeItem>* items, std::string* error) {
  if (db == nullptr) {
    if (error) *error = "aucune base de données";
    return false;
  }
  const std::string prefix = db->dbPrefix();
  auto fees = [&](int first, int last) {
    for (int i = first; i <= last; ++i) {
      if (!ReadItems(db, FromWhere(prefix, kFeeSources[i]), kFeeSources[i], "", 1, from, to, producers, items, error)) {
        return false;
      }
    }
    return true;
  };
  auto payments = [&](std::initializer_list<Triple> triples) {
    return ReadItems(db, FromWhere(prefix, kPaymentSource), kPaymentSource, PaymentCondition(triples), -1, from, to,
                     producers, items, error);
  };
  switch (column) {
    case ProductionColumn::kTreatments: return fees(0, 0);
    case ProductionColumn::kOfficeCharges: return fees(1, 1);
    case ProductionColumn::kAdjustments: return fees(2, 2);
    case ProductionColumn::kFees: return fees(0, 2);
    case ProductionColumn::kClaimedTreatments:
      return ReadItems(db, "FROM " + prefix + "CLMTRT, " + prefix + "PATCLM WHERE " + kClaimSource.where, kClaimSource,
                       "", 1, from, to, producers, items, error);
    case ProductionColumn::kInsurancePayments: return payments({Triple::G1a, Triple::G1b});
    case ProductionColumn::kPayments: return payments({Triple::G0a, Triple::G0b, Triple::G1a, Triple::G1b});
    case ProductionColumn::kPaymentsAndFees:
      return payments({Triple::G0a, Triple::G0b, Triple::G1a, Triple::G1b}) && fees(0, 2);
  }
  return false;
}

bool ListFeeItems(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                  std::vector<FeeItem>* items, std::string* error) {
  return ListProductionItems(db, from, to, producers, ProductionColumn::kFees, items, error);
}

bool ComputeProduction(GenDB* db, long from, long to, const std::vector<std::string>& producers,
                       TDList* result, std::string* error) {
  return ComputeProductionFor(db, from, to, producers, true, result, error);
}

// --- TProducerAnalysisObj ------------------------------------------------------------

TProducerAnalysisObj::TProducerAnalysisObj(long /*launcher_info*/, long from, long to, HWindow /*parent*/,
                                           bool /*owns*/)
    : from_(from), to_(to) {}

TProducerAnalysisObj::TProducerAnalysisObj(GenDB* db, long /*launcher_info*/, long from, long to,
                                           HWindow /*parent*/, bool /*owns*/)
    : from_(from), to_(to), application_db_(false), db_(db) {}

void TProducerAnalysisObj::SetProducerList(const std::string& codes) { producers_ = SplitProducerList(codes); }

bool TProducerAnalysisObj::LoadPracticeAnalysisInfo(bool /*show_meter*/, bool include_inactive) {
  list_.DeleteElems();
  GenDB* db = db_;
  if (application_db_) {
    QenApplication* app = QenApplication::Instance();
    db = app != nullptr ? app->GetDb() : nullptr;
  }
  std::string error;
  return ComputeProductionFor(db, from_, to_, producers_, include_inactive, &list_, &error);
}

prodanal_info* TProducerAnalysisObj::GetProdDListElem(prodanal_info* previous) {
  TDElem* e = previous == nullptr ? list_.Head() : previous->Next();
  return static_cast<prodanal_info*>(e);
}

// --- request channel -------------------------------------------------------------------

long ProductionChannel::Request(int command, void* record) {
  if (command != kProductionCommand) return -1;
  error_.clear();
  auto* request = static_cast<ProdAnalRequest*>(record);
  if (request == nullptr) {
    error_ = "requête absente";
    return 0;
  }
  request->status = 0;
  GenDB* db = db_ != nullptr ? db_ : app_ != nullptr ? app_->GetDb() : nullptr;
  if (db == nullptr || request->result == nullptr) {
    error_ = db == nullptr ? "aucune base de données" : "liste de résultats absente";
    return 0;
  }
  TDList all;
  if (!ComputeProductionFor(db, request->from, request->to, {}, true, &all, &error_)) return 0;
  const std::string first(request->first_producer, strnlen(request->first_producer, sizeof request->first_producer));
  const std::string last(request->last_producer, strnlen(request->last_producer, sizeof request->last_producer));
  while (TDElem* e = all.Head()) {
    auto* p = static_cast<prodanal_info*>(all.Remove(e));
    const std::string code = p->Code();
    if ((!first.empty() && code < first) || (!last.empty() && code > last)) {
      delete p;
      continue;
    }
    request->result->Append(p);
  }
  request->status = 1;
  return 0;
}

void InstallProductionService(QenApplication* app) {
  if (app != nullptr) app->SetChannel(std::make_unique<ProductionChannel>(app));
}
