// Name look-ups of the audit descriptions: who the record of an audit row
// belongs to (patient, account, producer ...), read from the practice tables.
//
// Each look-up is one fixed statement with one id (LookupStatement gives its
// exact text, table names after the owner prefix). A row of the list costs
// at most one look-up. Runners answer them:
//
//   DbLookupRunner   runs the statement on cursor 117, first row only, and
//                    keeps every answer for the rest of the generation, so
//                    the same statement never runs twice;
//                    Prefetch() answers many requests ahead with a few
//                    set-based statements per shape ("... WHERE ID BETWEEN a
//                    AND b" for dense runs of ids, "... WHERE ID IN (...)"
//                    for the others) and files each answer under the
//                    statement it stands for. An id whose set-based answer
//                    could differ from the one-by-one answer (several rows, a
//                    negative id, a failed batch) is left to the one-by-one
//                    path.
//                    A statement that fails (missing table or column, lost
//                    server) makes every later request of the same shape
//                    read as "no row" without running it again.
//   CollectingRunner records what would be asked (for Prefetch) and answers
//                    nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "audit/huge_pages.h"

class GenDB;
class AnswerTable;

enum class LookupKind : uint8_t {
  kAccount,           // first/last name of ACCOUNT ACC_ID
  kPatient,           // PATIENT PAT_ID
  kPatientLink,       // PATIENT through a link table (table, column prefix)
  kChartPatient,      // PATIENT2 patient2_autodec
  kChartPatientLink,  // PATIENT2 through a chart table (table)
  kReferrer,          // REFERCD
  kProducer,          // PRODCD
  kUser,              // USERIDCD (name only)
  kPayment,           // ACCPMT + ACCOUNT, six columns
  kOfficeCharge,      // PATOCH + PATIENT, six columns
  kClaimTreatment,    // CLMTRT + PATCLM + PATIENT, six columns
  kChartTreatment,    // PATIENT2 + TREATME2 + PROCEDU2, six columns
  kChartAlert,        // PATIENT2 + ALERTP2 + ALERTD2, six columns
  kClaim,             // PATCLM + PATIENT: date, number, names
  kFormAnswer,        // PATIENT + PATANS: names, description
  kPolicy,            // EMPPOL: a policy text
  kCount
};

// The link tables the descriptions use, by index (stable: part of cache keys).
enum class LinkTable : uint8_t { kNone, kPatPpln, kDmDoc, kPatApt, kPeriop2, kAnswer2 };
// Table name and column prefix of a link ("PATPPLN", "PPLN"); chart links
// have no column prefix (the table's own name serves).
const char* LinkTableName(LinkTable link);
const char* LinkColumnPrefix(LinkTable link);

struct LookupRequest {
  LookupKind kind = LookupKind::kPatient;
  LinkTable link = LinkTable::kNone;  // kPatientLink, kChartPatientLink only
  long id = 0;
  bool operator==(const LookupRequest& o) const {
    return kind == o.kind && link == o.link && id == o.id;
  }
};

// What one look-up yields. Which fields a kind fills:
//   two-column kinds   first_name, last_name (capacity 16)
//   six-column kinds   date, number, code (16), description (154), names
//   kClaim             date, number, names
//   kFormAnswer        names, description (154)
//   kPolicy            description: "<col 3> <col 2> <col 1>" (6/16/51)
// found is false when no row came (or the statement failed); then nothing
// else is set.
struct LookupAnswer {
  bool found = false;
  long date = 0;
  char number[16] = {};
  char code[16] = {};
  char description[154] = {};
  char first_name[16] = {};
  char last_name[16] = {};
};

// The exact statement of a request, every table after prefix.
std::string LookupStatement(const char* prefix, const LookupRequest& request);

class LookupRunner {
 public:
  virtual ~LookupRunner() = default;
  // The answer to request, valid until the next call. A runner that only
  // collects requests returns null: the describer then stops describing the
  // row (its result is not used).
  virtual const LookupAnswer* Run(const LookupRequest& request) = 0;
};

struct LookupRequestHash {
  size_t operator()(const LookupRequest& r) const {
    // splitmix64's finalizer over the three fields.
    uint64_t h = static_cast<uint64_t>(r.id) ^ (static_cast<uint64_t>(r.kind) << 56) ^
                 (static_cast<uint64_t>(r.link) << 48);
    h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
    h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
    return static_cast<size_t>(h ^ (h >> 31));
  }
};

class CollectingRunner : public LookupRunner {
 public:
  const LookupAnswer* Run(const LookupRequest& request) override;
  std::span<const LookupRequest> Requests() const { return requests_; }
  void Clear() { audit_detail::HugeVector<LookupRequest>().swap(requests_); }
  // Room for n requests (a generation knows its row count ahead).
  void Reserve(size_t n) { requests_.reserve(n); }

 private:
  audit_detail::HugeVector<LookupRequest> requests_;
};

struct LookupStats {
  long requests = 0;         // Run calls
  long statements = 0;       // one-by-one statements executed
  long batch_statements = 0; // set-based statements executed by Prefetch
  long prefetched = 0;       // answers filed by Prefetch
};

class DbLookupRunner : public LookupRunner {
 public:
  // db may be null: every look-up then finds nothing.
  explicit DbLookupRunner(GenDB* db);
  ~DbLookupRunner() override;

  const LookupAnswer* Run(const LookupRequest& request) override;

  // Answers the distinct requests ahead (see the file comment). Requests
  // already answered are skipped. Never changes what Run returns for any
  // request, only how fast.
  void Prefetch(std::span<const LookupRequest> requests);

  const LookupStats& Stats() const { return stats_; }
  // The first failure of a look-up statement in this runner ("" when none).
  const std::string& FirstError() const { return first_error_; }

  // Ids per set-based statement (tests lower it to exercise chunking).
  void SetBatchSize(size_t n) { batch_size_ = n == 0 ? 1 : n; }

  // Tells the runner that the caller opened a transaction around the
  // look-ups: after a failed statement (which spoils a transaction on some
  // engines) the runner rolls it back and opens a new one.
  void SetInTransaction(bool in_transaction) { in_transaction_ = in_transaction; }

 private:
  // The distinct ids of one shape, ascending, and its chunks.
  struct Group {
    LookupKind kind;
    LinkTable link;
    std::vector<long> ids;
    size_t chunk_begin, chunk_end;
  };
  // ids[start, end) of a group, asked by one set-based statement.
  struct Chunk {
    size_t start, end;
    bool range;  // "ID BETWEEN first AND last", else "ID IN (...)"
  };

  LookupAnswer RunOne(const LookupRequest& request);
  std::vector<Group> DistinctByShape(std::span<const LookupRequest> requests) const;
  void PlanGroup(const Group& g, std::vector<Chunk>* chunks) const;
  std::string ChunkStatement(const Group& g, const Chunk& c) const;
  // Runs a chunk's statement sql and files its answers; false when it failed.
  bool PrefetchChunk(const Group& g, const Chunk& c, const std::string& sql);
  void NoteFailure();
  static size_t ShapeIndex(LookupKind kind, LinkTable link);

  GenDB* db_;
  // Shapes whose statement failed once: their table or a column is missing,
  // or the server is gone; they read as "no row" for the rest of the run
  // instead of failing once per id.
  std::vector<bool> failed_shapes_;
  bool in_transaction_ = false;
  std::unique_ptr<AnswerTable> answers_;
  LookupAnswer scratch_;  // the answer Run hands out
  // Rows of one set-based statement: answers, and (id, index in answers).
  std::vector<LookupAnswer> chunk_answers_;
  std::vector<std::pair<long, size_t>> chunk_ids_;
  LookupStats stats_;
  std::string first_error_;
  size_t batch_size_ = 1000;
};
