// Building blocks of the demo generator: PRNG, day numbers, text fitting,
// sizes, the table writer.
#include <algorithm>

#include "suite/demo_internal.h"
#include "suite/schema.h"

namespace demo {

// --- Rng ----------------------------------------------------------------------
namespace {
uint64_t SplitMix(uint64_t* x) {
  uint64_t z = (*x += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}
uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
}  // namespace

Rng::Rng(uint64_t seed, uint64_t stream) {
  uint64_t x = seed ^ (stream * 0xD1B54A32D192ED03ULL);
  for (uint64_t& s : s_) s = SplitMix(&x);
}

uint64_t Rng::Next() {
  const uint64_t result = Rotl(s_[1] * 5, 7) * 9;
  const uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = Rotl(s_[3], 45);
  return result;
}

// --- days (proleptic Gregorian, day 0 = 1970-01-01) ------------------------------
int DayOf(long yyyymmdd) {
  int y = static_cast<int>(yyyymmdd / 10000);
  const int m = static_cast<int>(yyyymmdd / 100 % 100);
  const int d = static_cast<int>(yyyymmdd % 100);
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

long DateOf(int day) {
  const int z = day + 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const int doe = z - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp < 10 ? mp + 3 : mp - 9;
  const int y = yoe + era * 400 + (m <= 2);
  return static_cast<long>(y) * 10000 + m * 100 + d;
}

int YearOf(int day) { return static_cast<int>(DateOf(day) / 10000); }
int MonthOf(int day) { return static_cast<int>(DateOf(day) / 100 % 100); }

// --- text ---------------------------------------------------------------------
std::string Fit(std::string_view s, size_t max_bytes) {
  if (s.size() <= max_bytes) return std::string(s);
  size_t n = max_bytes;
  // Step back over continuation bytes so that no character is cut in two.
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return std::string(s.substr(0, n));
}

std::string FitChars(std::string_view s, size_t max_chars) {
  size_t chars = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    if (chars == max_chars) return std::string(s.substr(0, i));
    ++chars;
  }
  return std::string(s);
}

void Put(char* dst, size_t cap, std::string_view s) {
  if (cap == 0) return;
  const std::string f = Fit(s, cap - 1);
  std::copy(f.begin(), f.end(), dst);
  dst[f.size()] = '\0';
}

// --- sizes --------------------------------------------------------------------
Sizes SizesOf(DemoSize size) {
  if (size == DemoSize::kLarge) {
    return Sizes{9, 6, 100000, 3 * 365, 60, 5'050'000, 5'050'000, 150, 600, 18};
  }
  return Sizes{4, 3, 2500, 2 * 365, 60, 20'000, 30'000, 30, 60, 10};
}

// --- world helpers --------------------------------------------------------------
std::string World::FirstName(int32_t patient) const {
  for (const auto& odd : odd_names) {
    if (odd.first == patient) return odd.second.first;
  }
  const Patient& p = patients[patient];
  return p.sex == 'F' ? FirstNamesF()[p.first % FirstNamesF().size()]
                      : FirstNamesM()[p.first % FirstNamesM().size()];
}

std::string World::LastName(int32_t patient) const {
  for (const auto& odd : odd_names) {
    if (odd.first == patient) return odd.second.second;
  }
  return LastNames()[patients[patient].last % LastNames().size()];
}

const std::string& World::ProducerCode(int i) const {
  static const std::string empty;
  return i < 0 || i >= static_cast<int>(producers.size()) ? empty : producers[i].code;
}

bool World::Closed(int day, int producer, int chair, char loc) const {
  for (const Closure& c : closures) {
    if (c.day != day || c.kind != 'C' || c.start != 0 || c.end != 0) continue;
    if (c.loc != '*' && c.loc != loc) continue;
    if (c.chair != 0 && c.chair != chair) continue;
    if (!c.producer.empty() && c.producer != ProducerCode(producer)) continue;
    return true;
  }
  return false;
}

// --- TableWriter ------------------------------------------------------------------
TableWriter::TableWriter(GenDB* db, const std::string& table, std::string* error)
    : db_(db), table_(table), error_(error) {
  const TableDef* def = FindSchemaTable(table);
  if (def == nullptr) {
    ok_ = false;
    if (error_) *error_ = "table inconnue : " + table;
    return;
  }
  for (const ColumnDef& c : def->columns) lengths_.push_back(c.kind == ColumnKind::kText ? c.length : -1);
  cells_.resize(lengths_.size());
  texts_.resize(lengths_.size());
  loader_ = db->BeginBulk(std::string(db->dbPrefix()) + table, def->ColumnNames());
  if (loader_ == nullptr) {
    ok_ = false;
    if (error_) *error_ = table + " : " + db->LastError();
  }
}

TableWriter::~TableWriter() = default;

TableWriter& TableWriter::Int(int64_t v) {
  if (column_ < cells_.size()) cells_[column_++] = BulkCell::Int(v);
  return *this;
}

TableWriter& TableWriter::Text(std::string_view s) {
  if (column_ < cells_.size()) {
    const int length = lengths_[column_];
    // Column lengths count characters, as both engines do.
    if (length > 0 && s.size() > static_cast<size_t>(length)) {
      texts_[column_] = FitChars(s, static_cast<size_t>(length));
    } else {
      texts_[column_].assign(s);
    }
    cells_[column_] = BulkCell::Text(texts_[column_]);
    ++column_;
  }
  return *this;
}

bool TableWriter::EndRow() {
  if (!ok()) return false;
  if (column_ != cells_.size()) {
    ok_ = false;
    if (error_) *error_ = table_ + " : ligne incomplète";
    return false;
  }
  column_ = 0;
  if (!loader_->AddRow(cells_)) {
    ok_ = false;
    if (error_) *error_ = table_ + " : " + db_->LastError();
    return false;
  }
  ++rows_;
  return true;
}

bool TableWriter::Finish() {
  if (loader_ == nullptr) return false;
  const bool finished = loader_->Finish();
  loader_.reset();
  if (!finished && ok_) {
    ok_ = false;
    if (error_) *error_ = table_ + " : " + db_->LastError();
  }
  return ok_ && finished;
}

}  // namespace demo
