#include "audit/audit_lookup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audit/audit_answers.h"
#include "audit/audit_types.h"
#include "host/gendb.h"

namespace {

constexpr int kLookupCursor = 117;

// How the columns of a kind are read into a LookupAnswer.
enum class Shape { kTwo, kSix, kClaim, kFormAnswer, kPolicy };

Shape ShapeOf(LookupKind kind) {
  switch (kind) {
    case LookupKind::kPayment:
    case LookupKind::kOfficeCharge:
    case LookupKind::kClaimTreatment:
    case LookupKind::kChartTreatment:
    case LookupKind::kChartAlert:
      return Shape::kSix;
    case LookupKind::kClaim:
      return Shape::kClaim;
    case LookupKind::kFormAnswer:
      return Shape::kFormAnswer;
    case LookupKind::kPolicy:
      return Shape::kPolicy;
    default:
      return Shape::kTwo;
  }
}

void ReadText(GenDB* db, int column, char* buffer, int capacity, int cursor) {
  buffer[0] = '\0';
  db->dbGetString(column, buffer, capacity, cursor);
  TrimBrokenUtf8Tail(buffer, static_cast<size_t>(capacity));
}

// Reads the current row of cursor into *a; columns start at first_column
// (1 for the one-by-one statements, 2 after the id of a set-based one).
void ReadAnswer(GenDB* db, Shape shape, int first_column, int cursor, LookupAnswer* a) {
  const int c = first_column;
  a->found = true;
  switch (shape) {
    case Shape::kTwo:
      ReadText(db, c, a->first_name, sizeof a->first_name, cursor);
      ReadText(db, c + 1, a->last_name, sizeof a->last_name, cursor);
      break;
    case Shape::kSix:
      db->dbGetLong(c, &a->date, cursor);
      ReadText(db, c + 1, a->number, sizeof a->number, cursor);
      ReadText(db, c + 2, a->code, sizeof a->code, cursor);
      ReadText(db, c + 3, a->description, sizeof a->description, cursor);
      ReadText(db, c + 4, a->first_name, sizeof a->first_name, cursor);
      ReadText(db, c + 5, a->last_name, sizeof a->last_name, cursor);
      break;
    case Shape::kClaim:
      db->dbGetLong(c, &a->date, cursor);
      ReadText(db, c + 1, a->number, sizeof a->number, cursor);
      ReadText(db, c + 2, a->first_name, sizeof a->first_name, cursor);
      ReadText(db, c + 3, a->last_name, sizeof a->last_name, cursor);
      break;
    case Shape::kFormAnswer:
      ReadText(db, c, a->first_name, sizeof a->first_name, cursor);
      ReadText(db, c + 1, a->last_name, sizeof a->last_name, cursor);
      ReadText(db, c + 2, a->description, sizeof a->description, cursor);
      break;
    case Shape::kPolicy: {
      char insurance[6], group_no[16], employer[51];
      ReadText(db, c, insurance, sizeof insurance, cursor);
      ReadText(db, c + 1, group_no, sizeof group_no, cursor);
      ReadText(db, c + 2, employer, sizeof employer, cursor);
      std::snprintf(a->description, sizeof a->description, "%s %s %s", employer, group_no,
                    insurance);
      break;
    }
  }
}

// The parts of a statement a set-based variant needs: what the one-by-one
// statement selects, from where, the column its id is compared with and the
// join conditions after the id condition.
struct StatementParts {
  std::string select_list;
  std::string from;  // with prefixes, as the one-by-one text writes it
  std::string id_column;
  std::string joins;  // " AND ..." or ""
};

StatementParts PartsOf(const char* p, const LookupRequest& r) {
  const std::string pre = p;
  const std::string table = LinkTableName(r.link);
  const std::string col = LinkColumnPrefix(r.link);
  switch (r.kind) {
    case LookupKind::kAccount:
      return {"acc_pname, acc_lname", pre + "ACCOUNT", "ACC_ID", ""};
    case LookupKind::kPatient:
      return {"pat_pname, pat_lname", pre + "PATIENT", "PAT_ID", ""};
    case LookupKind::kPatientLink:
      return {"pat_pname, pat_lname", pre + "PATIENT," + pre + table, col + "_ID",
              " AND PAT_ID = " + col + "_PATID"};
    case LookupKind::kChartPatient:
      return {"PATIENT2_FirstName, PATIENT2_LastName", pre + "PATIENT2", "patient2_autodec", ""};
    case LookupKind::kChartPatientLink:
      return {"PATIENT2_FirstName, PATIENT2_LastName", pre + "PATIENT2, " + pre + table,
              table + "_Autodec", " AND patient2_autodec = " + table + "_PId"};
    case LookupKind::kReferrer:
      return {"refcd_docfname, refcd_refname", pre + "REFERCD", "REFCD_ID", ""};
    case LookupKind::kProducer:
      return {"PROD_FIRST_NAME, PROD_LAST_NAME", pre + "PRODCD", "PROD_ID", ""};
    case LookupKind::kUser:
      return {"USER_NAME, ''", pre + "USERIDCD", "USR_ID", ""};
    case LookupKind::kPayment:
      return {"apmt_date, apmt_trxno, apmt_code, apmt_descrip, acc_pname, acc_lname",
              pre + "ACCPMT, " + pre + "ACCOUNT ", "APMT_ID", " AND ACC_ID = APMT_ACCID"};
    case LookupKind::kOfficeCharge:
      return {"poch_date, poch_servno, poch_code, poch_descrip, pat_pname, pat_lname",
              pre + "PATOCH, " + pre + "PATIENT ", "POCH_ID", " AND PAT_ID = POCH_PATID"};
    case LookupKind::kClaimTreatment:
      return {"ctrt_date, ctrt_claim_no, ctrt_code, ctrt_code_fc_desc, pat_pname, pat_lname",
              pre + "CLMTRT, " + pre + "PATCLM, " + pre + "PATIENT ", "CTRT_ID",
              " AND PCLM_ID = CTRT_PCLMID AND PAT_ID = PCLM_PATID"};
    case LookupKind::kChartTreatment:
      return {"TREATME2_Days, PROCEDU2_code, PROCEDU2_ucode, PROCEDU2_DESCFC, "
              "PATIENT2_FirstName, PATIENT2_LastName",
              pre + "PATIENT2, " + pre + "TREATME2, " + pre + "PROCEDU2", "TREATME2_Autodec",
              " AND patient2_autodec = TREATME2_PId AND Procedu2_autodec = TREATME2_CodeId"};
    case LookupKind::kChartAlert:
      return {"ALERTD2_Time, ALERTD2_Code, ALERTD2_Code, ALERTD2_Code, PATIENT2_FirstName, "
              "PATIENT2_LastName",
              pre + "PATIENT2, " + pre + "ALERTP2, " + pre + "ALERTD2", "ALERTP2_Autodec",
              " AND patient2_autodec = ALERTP2_PId AND ALERTD2_autodec = ALERTP2_AId"};
    case LookupKind::kClaim:
      return {"pclm_date, pclm_number, pat_pname, pat_lname", pre + "PATCLM, " + pre + "PATIENT ",
              "PCLM_ID", " AND PAT_ID = PCLM_PATID"};
    case LookupKind::kFormAnswer:
      return {"pat_pname, pat_lname, pans_code", pre + "PATIENT, " + pre + "PATANS", "PANS_ID",
              " AND PAT_ID = PANS_PATID"};
    case LookupKind::kPolicy:
      return {"epol_insurance, epol_groupno, epol_empname ", pre + "EMPPOL", "EPOL_ID", ""};
    case LookupKind::kCount:
      break;
  }
  return {};
}

}  // namespace

const char* LinkTableName(LinkTable link) {
  switch (link) {
    case LinkTable::kPatPpln: return "PATPPLN";
    case LinkTable::kDmDoc: return "DMDOC";
    case LinkTable::kPatApt: return "PATAPT";
    case LinkTable::kPeriop2: return "PERIOP2";
    case LinkTable::kAnswer2: return "ANSWER2";
    case LinkTable::kNone: break;
  }
  return "";
}

const char* LinkColumnPrefix(LinkTable link) {
  switch (link) {
    case LinkTable::kPatPpln: return "PPLN";
    case LinkTable::kDmDoc: return "DDOC";
    case LinkTable::kPatApt: return "PAPT";
    default: return "";
  }
}

std::string LookupStatement(const char* prefix, const LookupRequest& r) {
  const char* p = prefix == nullptr ? "" : prefix;
  const char* t = LinkTableName(r.link);
  const char* c = LinkColumnPrefix(r.link);
  const unsigned long u = static_cast<unsigned long>(r.id);
  char s[640];
  switch (r.kind) {
    case LookupKind::kAccount:
      std::snprintf(s, sizeof s, "SELECT acc_pname, acc_lname FROM %sACCOUNT WHERE ACC_ID = %ld", p,
                    r.id);
      break;
    case LookupKind::kPatient:
      std::snprintf(s, sizeof s, "SELECT pat_pname, pat_lname FROM %sPATIENT WHERE PAT_ID = %ld", p,
                    r.id);
      break;
    case LookupKind::kPatientLink:
      std::snprintf(s, sizeof s,
                    "SELECT pat_pname, pat_lname FROM %sPATIENT,%s%s WHERE %s_ID = %ld AND PAT_ID "
                    "= %s_PATID",
                    p, p, t, c, r.id, c);
      break;
    case LookupKind::kChartPatient:
      std::snprintf(s, sizeof s,
                    "SELECT PATIENT2_FirstName, PATIENT2_LastName FROM %sPATIENT2 WHERE "
                    "patient2_autodec = %ld",
                    p, r.id);
      break;
    case LookupKind::kChartPatientLink:
      std::snprintf(s, sizeof s,
                    "SELECT PATIENT2_FirstName, PATIENT2_LastName FROM %sPATIENT2, %s%s WHERE "
                    "%s_Autodec = %lu AND patient2_autodec = %s_PId",
                    p, p, t, t, u, t);
      break;
    case LookupKind::kReferrer:
      std::snprintf(s, sizeof s,
                    "SELECT refcd_docfname, refcd_refname FROM %sREFERCD WHERE REFCD_ID = %ld", p,
                    r.id);
      break;
    case LookupKind::kProducer:
      std::snprintf(s, sizeof s,
                    "SELECT PROD_FIRST_NAME, PROD_LAST_NAME FROM %sPRODCD WHERE PROD_ID = %ld", p,
                    r.id);
      break;
    case LookupKind::kUser:
      std::snprintf(s, sizeof s, "SELECT USER_NAME, '' FROM %sUSERIDCD WHERE USR_ID = %ld", p,
                    r.id);
      break;
    case LookupKind::kPayment:
      std::snprintf(s, sizeof s,
                    "SELECT apmt_date, apmt_trxno, apmt_code, apmt_descrip, acc_pname, acc_lname "
                    "FROM %sACCPMT, %sACCOUNT  WHERE APMT_ID = %ld AND ACC_ID = APMT_ACCID",
                    p, p, r.id);
      break;
    case LookupKind::kOfficeCharge:
      std::snprintf(s, sizeof s,
                    "SELECT poch_date, poch_servno, poch_code, poch_descrip, pat_pname, pat_lname "
                    "FROM %sPATOCH, %sPATIENT  WHERE POCH_ID = %ld AND PAT_ID = POCH_PATID",
                    p, p, r.id);
      break;
    case LookupKind::kClaimTreatment:
      std::snprintf(s, sizeof s,
                    "SELECT ctrt_date, ctrt_claim_no, ctrt_code, %s, pat_pname, pat_lname FROM "
                    "%sCLMTRT, %sPATCLM, %sPATIENT  WHERE CTRT_ID = %ld AND PCLM_ID = CTRT_PCLMID "
                    "AND PAT_ID = PCLM_PATID",
                    "ctrt_code_fc_desc", p, p, p, r.id);
      break;
    case LookupKind::kChartTreatment:
      std::snprintf(s, sizeof s,
                    "SELECT TREATME2_Days, PROCEDU2_code, PROCEDU2_ucode, %s, PATIENT2_FirstName, "
                    "PATIENT2_LastName FROM %sPATIENT2, %sTREATME2, %sPROCEDU2 WHERE "
                    "TREATME2_Autodec = %lu AND patient2_autodec = TREATME2_PId AND "
                    "Procedu2_autodec = TREATME2_CodeId",
                    "PROCEDU2_DESCFC", p, p, p, u);
      break;
    case LookupKind::kChartAlert:
      std::snprintf(s, sizeof s,
                    "SELECT ALERTD2_Time, ALERTD2_Code, ALERTD2_Code, ALERTD2_Code, "
                    "PATIENT2_FirstName, PATIENT2_LastName FROM %sPATIENT2, %sALERTP2, %sALERTD2 "
                    "WHERE ALERTP2_Autodec = %lu AND patient2_autodec = ALERTP2_PId AND "
                    "ALERTD2_autodec = ALERTP2_AId",
                    p, p, p, u);
      break;
    case LookupKind::kClaim:
      std::snprintf(s, sizeof s,
                    "SELECT pclm_date, pclm_number, pat_pname, pat_lname FROM %sPATCLM, %sPATIENT  "
                    "WHERE PCLM_ID = %ld AND PAT_ID = PCLM_PATID",
                    p, p, r.id);
      break;
    case LookupKind::kFormAnswer:
      std::snprintf(s, sizeof s,
                    "SELECT pat_pname, pat_lname, pans_code FROM %sPATIENT, %sPATANS WHERE PANS_ID "
                    "= %ld AND PAT_ID = PANS_PATID",
                    p, p, r.id);
      break;
    case LookupKind::kPolicy:
      std::snprintf(s, sizeof s,
                    "SELECT epol_insurance, epol_groupno, epol_empname  FROM %sEMPPOL WHERE "
                    "EPOL_ID = %ld",
                    p, r.id);
      break;
    case LookupKind::kCount:
      s[0] = '\0';
      break;
  }
  return s;
}

// --- runners ----------------------------------------------------------------

const LookupAnswer* CollectingRunner::Run(const LookupRequest& request) {
  requests_.push_back(request);
  return nullptr;
}

DbLookupRunner::DbLookupRunner(GenDB* db) : db_(db), answers_(std::make_unique<AnswerTable>()) {}

DbLookupRunner::~DbLookupRunner() = default;

size_t DbLookupRunner::ShapeIndex(LookupKind kind, LinkTable link) {
  return static_cast<size_t>(kind) * 8 + static_cast<size_t>(link);
}

void DbLookupRunner::NoteFailure() {
  if (db_ == nullptr) return;
  if (first_error_.empty()) {
    first_error_ = db_->LastError().empty() ? "look-up failed" : db_->LastError();
  }
  if (in_transaction_) {
    db_->dbRollback();
    db_->dbBeginTransaction();
  }
}

LookupAnswer DbLookupRunner::RunOne(const LookupRequest& request) {
  LookupAnswer a;
  if (db_ == nullptr) return a;
  const size_t shape = ShapeIndex(request.kind, request.link);
  if (shape < failed_shapes_.size() && failed_shapes_[shape]) return a;
  const std::string sql = LookupStatement(db_->dbPrefix(), request);
  ++stats_.statements;
  bool failed = false;
  if (db_->dbExecute(sql.c_str(), kLookupCursor) != 0) {
    failed = true;
  } else if (db_->dbFetch(0, kLookupCursor) == 0) {
    ReadAnswer(db_, ShapeOf(request.kind), 1, kLookupCursor, &a);
  } else {
    failed = !db_->LastError().empty();
  }
  db_->dbClose(kLookupCursor);
  if (failed) {
    NoteFailure();
    if (failed_shapes_.size() <= shape) failed_shapes_.resize(shape + 1, false);
    failed_shapes_[shape] = true;
  }
  return a;
}

const LookupAnswer* DbLookupRunner::Run(const LookupRequest& request) {
  ++stats_.requests;
  if (!answers_->Find(request, &scratch_)) {
    scratch_ = RunOne(request);
    answers_->Put(request, scratch_);
  }
  return &scratch_;
}

void DbLookupRunner::Prefetch(std::span<const LookupRequest> requests) {
  if (db_ == nullptr) return;
  std::vector<Group> groups = DistinctByShape(requests);
  // Every statement is known before the first runs: the connection is told
  // the whole list, so that a server can work on the next while the answers
  // of the last are filed.
  std::vector<Chunk> chunks;
  for (Group& g : groups) {
    g.chunk_begin = chunks.size();
    answers_->Expect(g.kind, g.link, g.ids.back(), g.ids.size());
    PlanGroup(g, &chunks);
    g.chunk_end = chunks.size();
  }
  std::vector<std::string> statements;
  statements.reserve(chunks.size());
  for (const Group& g : groups) {
    for (size_t c = g.chunk_begin; c < g.chunk_end; ++c) statements.push_back(ChunkStatement(g, chunks[c]));
  }
  db_->dbReadAhead(statements, kLookupCursor);
  for (const Group& g : groups) {
    for (size_t c = g.chunk_begin; c < g.chunk_end; ++c) {
      // A failed chunk leaves the rest of its shape to the one-by-one path.
      if (!PrefetchChunk(g, chunks[c], statements[c])) break;
    }
  }
}

// The distinct requests not answered yet, by shape (kind, then link) and
// ascending id. Negative ids print differently under %lu and %ld: they are
// left to the one-by-one path. A million requests of a practice (ids 1..N of
// each table) are sorted by one bit per id of each shape; ids spread thinner
// than that (never seen in a practice) are sorted as records.
std::vector<DbLookupRunner::Group> DbLookupRunner::DistinctByShape(
    std::span<const LookupRequest> requests) const {
  constexpr size_t kShapes = static_cast<size_t>(LookupKind::kCount) * 8;
  const bool some_answered = answers_->size() > 0;
  auto wanted = [&](const LookupRequest& r) { return r.id >= 0 && !(some_answered && answers_->Has(r)); };
  struct Seen {
    long max = -1;
    size_t count = 0;
    std::vector<uint64_t> bits;
  };
  std::vector<Seen> seen(kShapes);
  for (const LookupRequest& r : requests) {
    if (!wanted(r)) continue;
    Seen& s = seen[ShapeIndex(r.kind, r.link)];
    s.max = std::max(s.max, r.id);
    ++s.count;
  }
  const bool bitmaps = std::all_of(seen.begin(), seen.end(), [](const Seen& s) {
    return static_cast<unsigned long>(s.max) + 1 <= 64 * s.count + (1UL << 20);
  });
  std::vector<Group> groups;
  if (bitmaps) {
    for (Seen& s : seen) {
      if (s.count > 0) s.bits.assign(static_cast<size_t>(s.max) / 64 + 1, 0);
    }
    for (const LookupRequest& r : requests) {
      if (!wanted(r)) continue;
      const auto id = static_cast<unsigned long>(r.id);
      seen[ShapeIndex(r.kind, r.link)].bits[id / 64] |= uint64_t{1} << (id % 64);
    }
    for (size_t shape = 0; shape < kShapes; ++shape) {
      const std::vector<uint64_t>& bits = seen[shape].bits;
      if (bits.empty()) continue;
      Group g{static_cast<LookupKind>(shape / 8), static_cast<LinkTable>(shape % 8), {}, 0, 0};
      for (size_t w = 0; w < bits.size(); ++w) {
        for (uint64_t word = bits[w]; word != 0; word &= word - 1) {
          g.ids.push_back(static_cast<long>(w * 64 + static_cast<size_t>(__builtin_ctzll(word))));
        }
      }
      groups.push_back(std::move(g));
    }
    return groups;
  }
  std::vector<LookupRequest> todo;
  for (const LookupRequest& r : requests) {
    if (wanted(r)) todo.push_back(r);
  }
  std::sort(todo.begin(), todo.end(), [](const LookupRequest& x, const LookupRequest& y) {
    if (x.kind != y.kind) return x.kind < y.kind;
    if (x.link != y.link) return x.link < y.link;
    return x.id < y.id;
  });
  todo.erase(std::unique(todo.begin(), todo.end()), todo.end());
  for (size_t i = 0; i < todo.size();) {
    Group g{todo[i].kind, todo[i].link, {}, 0, 0};
    while (i < todo.size() && todo[i].kind == g.kind && todo[i].link == g.link) g.ids.push_back(todo[i++].id);
    groups.push_back(std::move(g));
  }
  return groups;
}

// Splits sorted distinct ids into chunks, each answered by one statement:
// a dense run (at least kMinRange ids, no more than 4 ids of the key space per
// id asked) becomes "ID BETWEEN first AND last", which an index reads as one
// range instead of one probe per id; the rest go in IN lists of batch_size.
// The rows a range brings for ids nobody asked for are ignored. A shape whose
// ids are spread no thinner than one in 8 over the whole span is one range:
// each statement of a join hashes the joined tables whole on a server (a
// claim treatment's range, its claims and patients: some 45 ms each on the
// large demo), and the rows in the gaps cost less than the statements saved.
// No range covers more than kMaxSpan ids of the key space, which bounds the
// rows one statement brings.
void DbLookupRunner::PlanGroup(const Group& g, std::vector<Chunk>* chunks) const {
  constexpr size_t kMinRange = 64;
  constexpr unsigned long kMaxSpan = 1UL << 18;
  const std::vector<long>& ids = g.ids;
  auto span = [&](size_t from, size_t to) {  // ids[from..to] inclusive
    return static_cast<unsigned long>(ids[to] - ids[from]) + 1;
  };
  auto dense = [&](size_t from, size_t to, unsigned long per_id = 4) {
    return span(from, to) <= per_id * (to - from + 1);
  };
  if (ids.size() >= kMinRange && dense(0, ids.size() - 1, 8) && span(0, ids.size() - 1) <= kMaxSpan) {
    chunks->push_back(Chunk{0, ids.size(), true});
    return;
  }
  size_t i = 0;
  while (i < ids.size()) {
    size_t end = i;  // one past the chunk
    bool range = false;
    if (i + kMinRange <= ids.size() && dense(i, i + kMinRange - 1) && span(i, i + kMinRange - 1) <= kMaxSpan) {
      end = i + kMinRange;
      while (end < ids.size() && span(i, end) <= kMaxSpan && dense(i, end)) ++end;
      range = true;
    } else {
      end = i + 1;
      while (end < ids.size() && end - i < batch_size_ &&
             !(end + kMinRange <= ids.size() && dense(end, end + kMinRange - 1))) {
        ++end;
      }
    }
    chunks->push_back(Chunk{i, end, range});
    i = end;
  }
}

std::string DbLookupRunner::ChunkStatement(const Group& g, const Chunk& c) const {
  const StatementParts parts = PartsOf(db_->dbPrefix(), LookupRequest{g.kind, g.link, 0});
  std::string sql = "SELECT " + parts.id_column + ", " + parts.select_list + " FROM " + parts.from +
                    " WHERE " + parts.id_column;
  if (c.range) {
    sql += " BETWEEN " + std::to_string(g.ids[c.start]) + " AND " + std::to_string(g.ids[c.end - 1]);
  } else {
    sql += " IN (";
    for (size_t i = c.start; i < c.end; ++i) {
      if (i > c.start) sql += ',';
      sql += std::to_string(g.ids[i]);
    }
    sql += ')';
  }
  sql += parts.joins;
  return sql;
}

bool DbLookupRunner::PrefetchChunk(const Group& g, const Chunk& c, const std::string& sql) {
  const LookupKind kind = g.kind;
  const LinkTable link = g.link;
  const std::vector<long>& ids = g.ids;
  const size_t start = c.start, end = c.end;
  const bool range = c.range;
  const Shape shape = ShapeOf(kind);
  ++stats_.batch_statements;
  auto asked = [&](long id) { return std::binary_search(ids.begin() + start, ids.begin() + end, id); };
  // Rows per id: one row gives the answer; none, "no row"; several, the
  // one-by-one statement decides (its first row is the engine's choice).
  // The rows are read into buffers the runner keeps from chunk to chunk
  // (no allocation per row), then ordered by id.
  size_t rows = 0;
  chunk_ids_.clear();
  bool ok = db_->dbExecute(sql.c_str(), kLookupCursor) == 0;
  if (ok) {
    for (int f = db_->dbFetch(0, kLookupCursor); f == 0; f = db_->dbFetch(1, kLookupCursor)) {
      long id = 0;
      db_->dbGetLong(1, &id, kLookupCursor);
      if (range && !asked(id)) continue;
      if (rows == chunk_answers_.size()) chunk_answers_.emplace_back();
      LookupAnswer& answer = chunk_answers_[rows];
      answer = LookupAnswer{};
      ReadAnswer(db_, shape, 2, kLookupCursor, &answer);
      chunk_ids_.emplace_back(id, rows++);
    }
    ok = db_->LastError().empty();
  }
  db_->dbClose(kLookupCursor);
  if (!ok) {
    // Leave the rest to the one-by-one path, which reports the failure.
    if (in_transaction_) {
      db_->dbRollback();
      db_->dbBeginTransaction();
    }
    return false;
  }
  std::sort(chunk_ids_.begin(), chunk_ids_.end());
  const LookupAnswer none;
  size_t row = 0;  // in chunk_ids_; ids[start, end) ascend too
  for (size_t i = start; i < end; ++i) {
    const long id = ids[i];
    while (row < chunk_ids_.size() && chunk_ids_[row].first < id) ++row;
    size_t same = 0;
    while (row + same < chunk_ids_.size() && chunk_ids_[row + same].first == id) ++same;
    if (same > 1) continue;  // ambiguous
    answers_->Put(LookupRequest{kind, link, id},
                  same == 1 ? chunk_answers_[chunk_ids_[row].second] : none);
    ++stats_.prefetched;
  }
  return true;
}
