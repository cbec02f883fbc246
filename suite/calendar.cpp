#include "suite/calendar.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/application.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/sql_literal.h"

namespace {

constexpr int kChairCursor = 40;
constexpr int kAptCursor = 41;
constexpr int kProdCursor = 42;
constexpr int kSchCursor = 43;
constexpr int kLocCursor = 44;
constexpr int kSchedCursor = 45;
constexpr int kCalCursor = 46;
constexpr int kWindowDays = 31;

void CopyField(GenDB* db, int column, char* out, int capacity, int cursor) {
  db->dbGetString(column, out, capacity, cursor);
  // Trailing blanks (CHAR columns on other engines) are not part of a code.
  for (int n = static_cast<int>(std::strlen(out)); n > 0 && out[n - 1] == ' '; --n) out[n - 1] = '\0';
}

char CharOr(GenDB* db, int column, int cursor, char def) {
  char c = '\0';
  db->dbGetChar(column, &c, cursor);
  return c == '\0' ? def : c;
}

// "HH:MM" -> HHMMSS; -1 for an empty or bad field.
long HoursField(const char* text) {
  int h = 0, m = 0;
  if (text[0] == '\0' || std::sscanf(text, "%d:%d", &h, &m) != 2) return -1;
  if (h < 0 || h > 24 || m < 0 || m > 59) return -1;
  return h * 10000L + m * 100L;
}

long Minutes(long hhmmss) { return hhmmss / 10000 * 60 + hhmmss / 100 % 100; }

constexpr const char* kAptColumns =
    "PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_TIME, PAPT_LENGTH, PAPT_PRODUCER, PAPT_CHAIR, PAPT_LOC, "
    "PAPT_STATUS, PAPT_TYPE, PAPT_CODE, PAPT_FEE, COALESCE(PAPT_DELDATE, -1)";

AptRec ReadApt(GenDB* db, int cursor) {
  AptRec r;
  long v = 0;
  db->dbGetLong(1, &r.id, cursor);
  db->dbGetLong(2, &r.patient, cursor);
  db->dbGetLong(3, &r.date, cursor);
  db->dbGetLong(4, &r.time, cursor);
  db->dbGetLong(5, &v, cursor);
  // A length outside the day's grid cannot be booked: below 0 reads 0, more
  // than the day's slots reads the whole day (a short would wrap).
  r.length = static_cast<short>(std::clamp(v, 0L, static_cast<long>(kSlotsPerDay)));
  CopyField(db, 6, r.producer, sizeof r.producer, cursor);
  db->dbGetShort(7, &r.chair, cursor);
  r.loc = CharOr(db, 8, cursor, ' ');
  r.status = CharOr(db, 9, cursor, ' ');
  CopyField(db, 10, r.type, sizeof r.type, cursor);
  CopyField(db, 11, r.code, sizeof r.code, cursor);
  db->dbGetLong(12, &r.fee, cursor);
  // A NULL removal date reads -1 (COALESCE above): not standing, as the
  // statements that ask for PAPT_DELDATE = 0 see it.
  db->dbGetLong(13, &r.deldate, cursor);
  return r;
}

}  // namespace

// --- ChairInfo ------------------------------------------------------------------
int ChairInfo::Find(int key) {
  records_.clear();
  if (db_ == nullptr || key != kAllChairs) return 0;
  std::string sql = std::string("SELECT CHR_ID, CHR_IDNO, CHR_LOC, CHR_SHARED, CHR_PRODUCER, CHR_TITLE, "
                                "CHR_INACTIVE FROM ") +
                    db_->dbPrefix() + "CHAIR ORDER BY CHR_IDNO";
  db_->dbExecute(sql.c_str(), kChairCursor);
  for (int r = db_->dbFetch(0, kChairCursor); r == 0; r = db_->dbFetch(1, kChairCursor)) {
    ChairRec c;
    db_->dbGetLong(1, &c.id, kChairCursor);
    db_->dbGetShort(2, &c.number, kChairCursor);
    c.loc = CharOr(db_, 3, kChairCursor, ' ');
    c.shared = CharOr(db_, 4, kChairCursor, 'N');
    CopyField(db_, 5, c.producer, sizeof c.producer, kChairCursor);
    CopyField(db_, 6, c.title, sizeof c.title, kChairCursor);
    c.inactive = CharOr(db_, 7, kChairCursor, 'N');
    records_.push_back(c);
  }
  db_->dbClose(kChairCursor);
  return static_cast<int>(records_.size());
}

// --- PatAptInfo -----------------------------------------------------------------
int PatAptInfo::FindAptRecs(long date, short chair, char loc) {
  records_.clear();
  if (Holds(date)) {
    for (const AptRec& r : HeldDay(date)) {
      if (r.chair == chair && (loc == '*' || r.loc == loc)) records_.push_back(r);
    }
    return static_cast<int>(records_.size());
  }
  if (db_ == nullptr) return 0;
  char sql[512];
  std::snprintf(sql, sizeof sql, "SELECT %s FROM %sPATAPT WHERE PAPT_DATE = %ld AND PAPT_CHAIR = %d ORDER BY PAPT_ID",
                kAptColumns, db_->dbPrefix(), date, chair);
  db_->dbExecute(sql, kAptCursor);
  for (int r = db_->dbFetch(0, kAptCursor); r == 0; r = db_->dbFetch(1, kAptCursor)) {
    AptRec a = ReadApt(db_, kAptCursor);
    if (loc == '*' || a.loc == loc) records_.push_back(a);
  }
  error_ = db_->LastError();
  db_->dbClose(kAptCursor);
  return static_cast<int>(records_.size());
}

bool PatAptInfo::DBFindRecById(long id) {
  records_.clear();
  if (held_) {
    auto it = by_id_.find(id);
    if (it != by_id_.end()) {
      records_.push_back(by_day_[it->second.first][it->second.second]);
      return true;
    }
  }
  if (db_ == nullptr) return false;
  char sql[512];
  std::snprintf(sql, sizeof sql, "SELECT %s FROM %sPATAPT WHERE PAPT_ID = %ld", kAptColumns, db_->dbPrefix(), id);
  db_->dbExecute(sql, kAptCursor);
  if (db_->dbFetch(0, kAptCursor) == 0) records_.push_back(ReadApt(db_, kAptCursor));
  error_ = db_->LastError();
  db_->dbClose(kAptCursor);
  return !records_.empty();
}

bool PatAptInfo::Prefetch(long from, long to) {
  DropPrefetch();
  if (db_ == nullptr) return false;
  char sql[512];
  std::snprintf(sql, sizeof sql,
                "SELECT %s FROM %sPATAPT WHERE PAPT_DATE >= %ld AND PAPT_DATE <= %ld ORDER BY PAPT_DATE, PAPT_ID",
                kAptColumns, db_->dbPrefix(), from, to);
  bool ok = db_->dbExecute(sql, kAptCursor) == 0;
  for (int r = ok ? db_->dbFetch(0, kAptCursor) : 1; r == 0; r = db_->dbFetch(1, kAptCursor)) {
    AptRec a = ReadApt(db_, kAptCursor);
    std::vector<AptRec>& day = by_day_[a.date];
    by_id_[a.id] = {a.date, day.size()};
    day.push_back(a);
  }
  error_ = db_->LastError();
  ok = ok && error_.empty();
  db_->dbClose(kAptCursor);
  if (!ok) {
    DropPrefetch();
    return false;
  }
  held_ = true;
  held_from_ = from;
  held_to_ = to;
  return true;
}

void PatAptInfo::DropPrefetch() {
  held_ = false;
  by_day_.clear();
  by_id_.clear();
}

const std::vector<AptRec>& PatAptInfo::HeldDay(long date) const {
  static const std::vector<AptRec> kNone;
  auto it = by_day_.find(date);
  return it == by_day_.end() ? kNone : it->second;
}

// --- ProdInfo, schedules --------------------------------------------------------
bool ProdInfo::Find(int key, const char* code) {
  record_ = ProdRec();
  found_ = false;
  if (db_ == nullptr || key != kByCode || code == nullptr || code[0] == '\0') return false;
  std::string sql = std::string("SELECT PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_TYPE, "
                                "PROD_INACTIVE, PROD_LOC FROM ") +
                    db_->dbPrefix() + "PRODCD WHERE PROD_CODE = '" + SqlEscaped(code) + "'";
  db_->dbExecute(sql.c_str(), kProdCursor);
  if (db_->dbFetch(0, kProdCursor) == 0) {
    db_->dbGetLong(1, &record_.id, kProdCursor);
    CopyField(db_, 2, record_.code, sizeof record_.code, kProdCursor);
    CopyField(db_, 3, record_.first_name, sizeof record_.first_name, kProdCursor);
    CopyField(db_, 4, record_.last_name, sizeof record_.last_name, kProdCursor);
    record_.type = CharOr(db_, 5, kProdCursor, ' ');
    record_.inactive = CharOr(db_, 6, kProdCursor, 'N');
    record_.loc = CharOr(db_, 7, kProdCursor, ' ');
    found_ = true;
  }
  db_->dbClose(kProdCursor);
  return found_;
}

bool ProdInfo::GetMembers(int relation, int key, PrdSchInfo* members) {
  if (members == nullptr) return false;
  members->MutableRecords().clear();
  if (db_ == nullptr || !found_ || relation != 22 || key != 15) return false;
  std::string sql = std::string("SELECT PSCH_ID, PSCH_PROD, PSCH_EFF_DATE, PSCH_CHAIRS FROM ") + db_->dbPrefix() +
                    "PRDSCH WHERE PSCH_PROD = '" + SqlEscaped(record_.code) +
                    "' ORDER BY PSCH_EFF_DATE DESC, PSCH_ID";
  db_->dbExecute(sql.c_str(), kSchCursor);
  for (int r = db_->dbFetch(0, kSchCursor); r == 0; r = db_->dbFetch(1, kSchCursor)) {
    PrdSchRec s;
    db_->dbGetLong(1, &s.id, kSchCursor);
    CopyField(db_, 2, s.producer, sizeof s.producer, kSchCursor);
    db_->dbGetLong(3, &s.effective, kSchCursor);
    CopyField(db_, 4, s.chairs, sizeof s.chairs, kSchCursor);
    members->MutableRecords().push_back(s);
  }
  db_->dbClose(kSchCursor);
  return !members->Records().empty();
}

int chr_touse(const char* field, short chairs[40]) {
  int n = 0;
  const char* p = field == nullptr ? "" : field;
  while (*p != '\0' && n < 40) {
    while (*p == ' ' || *p == ',') ++p;
    if (*p == '\0') break;
    char* end = nullptr;
    long v = std::strtol(p, &end, 10);
    if (end == p) {  // not a number: skip the item
      while (*p != '\0' && *p != ',') ++p;
      continue;
    }
    p = end;
    while (*p == ' ') ++p;
    if (*p != ',' && *p != '\0') {  // "1x": not a number either
      while (*p != '\0' && *p != ',') ++p;
      continue;
    }
    if (v > 0 && v <= 32767) chairs[n++] = static_cast<short>(v);
  }
  if (n < 40) chairs[n] = 0;
  return n;
}

// --- LocInfo --------------------------------------------------------------------
int LocInfo::GetAll() {
  records_.clear();
  if (db_ == nullptr) return 0;
  std::string sql = std::string("SELECT LOC_CODE, LOC_NAME FROM ") + db_->dbPrefix() + "LOCATION ORDER BY LOC_CODE";
  db_->dbExecute(sql.c_str(), kLocCursor);
  for (int r = db_->dbFetch(0, kLocCursor); r == 0; r = db_->dbFetch(1, kLocCursor)) {
    LocRec l;
    l.code = CharOr(db_, 1, kLocCursor, ' ');
    CopyField(db_, 2, l.name, sizeof l.name, kLocCursor);
    records_.push_back(l);
  }
  db_->dbClose(kLocCursor);
  return static_cast<int>(records_.size());
}

std::string PracticeName(GenDB* db) {
  LocInfo locations(db);
  if (locations.GetAll() == 0) return {};
  std::string name = locations.Records().front().name;
  const size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

std::string CurrentPracticeName() {
  const QenApplication* app = QenApplication::Instance();
  return app && app->GetDb() ? PracticeName(app->GetDb()) : std::string();
}

// --- SchedulrIni ----------------------------------------------------------------
bool SchedulrIni::Read() {
  if (db_ == nullptr) return false;
  bool ok = true;
  std::string sql = std::string("SELECT SCHD_UNIT, SCHD_UNIT_DATE, SCHD_OLD_UNIT, SCHD_DAY_START FROM ") +
                    db_->dbPrefix() + "SCHEDULR WHERE SCHD_ID = 1";
  ok = db_->dbExecute(sql.c_str(), kSchedCursor) == 0 && ok;
  if (db_->dbFetch(0, kSchedCursor) == 0) {
    db_->dbGetShort(1, &unit_, kSchedCursor);
    db_->dbGetLong(2, &unit_date_, kSchedCursor);
    db_->dbGetShort(3, &old_unit_, kSchedCursor);
    db_->dbGetLong(4, &day_start_, kSchedCursor);
  }
  db_->dbClose(kSchedCursor);
  sql = std::string("SELECT OFH_DOW, OFH_TIME1, OFH_TIME2, OFH_TIME3, OFH_TIME4, OFH_TIME5, OFH_TIME6 FROM ") +
        db_->dbPrefix() + "OFFHOURS";
  ok = db_->dbExecute(sql.c_str(), kSchedCursor) == 0 && ok;
  for (int r = db_->dbFetch(0, kSchedCursor); r == 0; r = db_->dbFetch(1, kSchedCursor)) {
    long dow = -1;
    db_->dbGetLong(1, &dow, kSchedCursor);
    if (dow < 0 || dow > 6) continue;
    for (int k = 0; k < 6; ++k) CopyField(db_, 2 + k, hours_[dow][k], 6, kSchedCursor);
  }
  db_->dbClose(kSchedCursor);
  return ok;
}

bool SchedulrIni::IsOpen(int weekday) const {
  if (weekday < 0 || weekday > 6) return false;
  for (int k = 0; k < 6; ++k) {
    if (hours_[weekday][k][0] != '\0') return true;
  }
  return false;
}

// --- CalDatInfo -----------------------------------------------------------------
CalDatInfo::CalDatInfo(GenDB* db) : db_(db), sched_(db) {
  if (db_ == nullptr) return;
  sched_.Read();
  statements_ += 2;
  std::string sql = std::string("SELECT PSD_PROD, PSD_DOW, PSD_CHAIR, PSD_START, PSD_END FROM ") + db_->dbPrefix() +
                    "PRDSCHD ORDER BY PSD_ID";
  db_->dbExecute(sql.c_str(), kCalCursor);
  for (int r = db_->dbFetch(0, kCalCursor); r == 0; r = db_->dbFetch(1, kCalCursor)) {
    Block b = {};
    long v = 0;
    CopyField(db_, 1, b.producer, sizeof b.producer, kCalCursor);
    db_->dbGetLong(2, &v, kCalCursor);
    b.dow = static_cast<int>(v);
    db_->dbGetShort(3, &b.chair, kCalCursor);
    db_->dbGetLong(4, &b.start, kCalCursor);
    db_->dbGetLong(5, &b.end, kCalCursor);
    blocks_.push_back(b);
  }
  db_->dbClose(kCalCursor);
  sql = std::string("SELECT PSCH_PROD, PSCH_EFF_DATE FROM ") + db_->dbPrefix() + "PRDSCH";
  db_->dbExecute(sql.c_str(), kCalCursor);
  for (int r = db_->dbFetch(0, kCalCursor); r == 0; r = db_->dbFetch(1, kCalCursor)) {
    char code[4] = {};
    long eff = 0;
    CopyField(db_, 1, code, sizeof code, kCalCursor);
    db_->dbGetLong(2, &eff, kCalCursor);
    auto it = in_force_.find(code);
    if (it == in_force_.end() || eff < it->second) in_force_[code] = eff;
  }
  db_->dbClose(kCalCursor);
  ChairInfo chairs(db_);
  chairs.Find(ChairInfo::kAllChairs);
  chairs_ = chairs.Records();
  statements_ += 3;
}

void CalDatInfo::SlotRange(long start, long end, int* first, int* last) const {
  // Slots that the range touches: from the slot holding start up to the slot
  // holding the last minute before end (floor and ceiling in 5-minute steps).
  const long base = Minutes(sched_.DayStart());
  auto floor5 = [](long m) { return m >= 0 ? m / 5 : -((-m + 4) / 5); };
  const long a = floor5(Minutes(start) - base), b = -floor5(-(Minutes(end) - base));
  *first = static_cast<int>(std::clamp(a, 0L, static_cast<long>(kSlotsPerDay)));
  *last = static_cast<int>(std::clamp(b, 0L, static_cast<long>(kSlotsPerDay)));
}

const std::vector<CalDatRec>& CalDatInfo::Exceptions(long date) {
  static const std::vector<CalDatRec> kNone;
  if (db_ == nullptr) return kNone;
  if (date < window_from_ || date > window_to_) {
    exceptions_.clear();
    window_from_ = date;
    window_to_ = incr_date(date, kWindowDays - 1);
    if (window_to_ == 0) window_to_ = date;
    char sql[400];
    std::snprintf(sql, sizeof sql,
                  "SELECT CALD_DATE, CALD_LOC, CALD_CHAIR, CALD_PROD, CALD_KIND, CALD_START, CALD_END FROM "
                  "%sCALDAT WHERE CALD_DATE >= %ld AND CALD_DATE <= %ld ORDER BY CALD_DATE, CALD_ID",
                  db_->dbPrefix(), window_from_, window_to_);
    ++statements_;
    db_->dbExecute(sql, kCalCursor);
    for (int r = db_->dbFetch(0, kCalCursor); r == 0; r = db_->dbFetch(1, kCalCursor)) {
      CalDatRec c;
      db_->dbGetLong(1, &c.date, kCalCursor);
      c.loc = CharOr(db_, 2, kCalCursor, '*');
      db_->dbGetShort(3, &c.chair, kCalCursor);
      CopyField(db_, 4, c.producer, sizeof c.producer, kCalCursor);
      c.kind = CharOr(db_, 5, kCalCursor, 'C');
      db_->dbGetLong(6, &c.start, kCalCursor);
      db_->dbGetLong(7, &c.end, kCalCursor);
      exceptions_[c.date].push_back(c);
    }
    db_->dbClose(kCalCursor);
  }
  auto it = exceptions_.find(date);
  return it == exceptions_.end() ? kNone : it->second;
}

// The rules, in order (docs/availability.md):
//   1. nothing before the producer's schedule is in force, nor on an
//      inactive chair;
//   2. the producer's weekly blocks on the chair for the weekday, within the
//      office hours of the weekday;
//   3. openings of the day for that producer (or every producer) on that
//      chair (or every chair) of that location (or every location) add
//      their hours (the weekday's office hours when given as 0, 0), office
//      hours or not;
//   4. closings that match the same way take their hours (the whole day
//      when 0, 0) away: holidays, vacations, a chair out of service.
void CalDatInfo::ProducerOnChair(char* slots, char* second, short chair, char loc, const char* producer,
                                 long date) {
  if (producer == nullptr || producer[0] == '\0') return;
  auto force = in_force_.find(producer);
  if (force == in_force_.end() || date < force->second) return;
  for (const ChairRec& c : chairs_) {
    if (c.number == chair && c.inactive == 'Y') return;
  }
  const int dow = DayOfWeek(date);
  if (dow < 0) return;
  auto mark = [&](int first, int last, char what) {
    for (int s = first; s < last; ++s) {
      if (what == 'I') {
        slots[s] = 'I';
        second[s] = loc;
      } else if (slots[s] == 'I') {
        slots[s] = 'F';
        second[s] = '.';
      }
    }
  };
  const auto& hours = sched_.Hours()[dow];
  for (const Block& b : blocks_) {
    if (b.dow != dow || b.chair != chair || std::strcmp(b.producer, producer) != 0) continue;
    for (int k = 0; k < 6; k += 2) {
      const long open = HoursField(hours[k]), close = HoursField(hours[k + 1]);
      if (open < 0 || close <= open) continue;
      const long a = std::max(open, b.start), e = std::min(close, b.end);
      if (a >= e) continue;
      int first = 0, last = 0;
      SlotRange(a, e, &first, &last);
      mark(first, last, 'I');
    }
  }
  const std::vector<CalDatRec>& exceptions = Exceptions(date);
  auto matches = [&](const CalDatRec& c) {
    return (c.loc == '*' || c.loc == loc) && (c.chair == 0 || c.chair == chair) &&
           (c.producer[0] == '\0' || std::strcmp(c.producer, producer) == 0);
  };
  for (char kind : {'O', 'C'}) {
    for (const CalDatRec& c : exceptions) {
      if (c.kind != kind || !matches(c)) continue;
      if (c.start == 0 && c.end == 0) {
        if (kind == 'C') {
          mark(0, kSlotsPerDay, 'C');
          continue;
        }
        for (int k = 0; k < 6; k += 2) {
          const long open = HoursField(hours[k]), close = HoursField(hours[k + 1]);
          if (open < 0 || close <= open) continue;
          int first = 0, last = 0;
          SlotRange(open, close, &first, &last);
          mark(first, last, 'I');
        }
        continue;
      }
      int first = 0, last = 0;
      SlotRange(c.start, c.end, &first, &last);
      mark(first, last, kind == 'O' ? 'I' : 'C');
    }
  }
}

void CalDatInfo::GetAVTmSlotsForChair(char* slots, char* second, short chair, char loc, const char* chair_producer,
                                      long date) {
  ProducerOnChair(slots, second, chair, loc, chair_producer, date);
}

void CalDatInfo::GetAVTmSlotsForSharedChairs(char* slots, char* second, short chair, char loc, long date) {
  const int dow = DayOfWeek(date);
  std::vector<std::string> producers;
  auto add = [&producers](const char* p) {
    if (p[0] != '\0' && std::find(producers.begin(), producers.end(), p) == producers.end()) producers.push_back(p);
  };
  for (const Block& b : blocks_) {
    if (b.dow == dow && b.chair == chair) add(b.producer);
  }
  for (const CalDatRec& c : Exceptions(date)) {
    if (c.kind == 'O' && c.chair == chair) add(c.producer);
  }
  char one[kSlotMapSize], one_second[kSlotMapSize];
  for (const std::string& p : producers) {
    std::memset(one, 'O', kSlotsPerDay);
    std::memset(one_second, '.', kSlotsPerDay);
    one[kSlotsPerDay] = one_second[kSlotsPerDay] = '\0';
    ProducerOnChair(one, one_second, chair, loc, p.c_str(), date);
    for (int s = 0; s < kSlotsPerDay; ++s) {
      if (one[s] == 'I') {
        slots[s] = 'I';
        second[s] = one_second[s];
      } else if (one[s] == 'F' && slots[s] != 'I') {
        slots[s] = 'F';
      }
    }
  }
}

void CalDatInfo::GetAVTmSlotsForProducer(char* slots, char* second, short chair, char loc, const char* producer,
                                         long date) {
  ProducerOnChair(slots, second, chair, loc, producer, date);
}

void CalDatInfo::OR_AVTimeSlots(char* accumulated, char* chair, char* accumulated_second, char* chair_second) {
  for (int s = 0; s < kSlotsPerDay; ++s) {
    if (chair[s] != 'I') continue;
    if (accumulated[s] == 'I') {
      chair[s] = 'D';
    } else {
      accumulated[s] = 'I';
      accumulated_second[s] = chair_second[s];
    }
  }
}
