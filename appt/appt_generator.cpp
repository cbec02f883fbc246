#include "appt/appt_generator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "appt/appt_lines.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/prodanal.h"
#include "host/sql_literal.h"
#include "host/strings.h"
#include "suite/calendar.h"
#include "suite/production_service.h"

namespace {

constexpr int kCursor = 77;
constexpr int kWindowDays = 31;

std::string ChairKey(char loc, short number) {
  char key[16];
  std::snprintf(key, sizeof key, "%c%02hd", loc, number);
  return key;
}

// Identity of the period of a day: two days are in the same period exactly
// when their identities are equal (ApptSamePeriod).
long PeriodId(char report_by, long day) {
  int y = 0, m = 0, d = 0;
  sepldat(day, &y, &m, &d);
  switch (report_by) {
    case 'D': return day;
    case 'W': return y * 100L + week_number(day);
    case 'M': return y * 100L + m;
    case 'Y': return y;
    default: return 0;
  }
}

void FreshMaps(char* a, char* b) {
  std::memset(a, 'O', kSlotsPerDay);
  std::memset(b, '.', kSlotsPerDay);
  a[kSlotsPerDay] = b[kSlotsPerDay] = '\0';
}

// A fixed list of entries ends at its first empty one, 100 at most.
template <size_t N>
bool InList(const char (*list)[N], long bound, const char* value) {
  for (long i = 0; i < bound && i < kApptMaxSelected && list[i][0] != '\0'; ++i) {
    if (std::strcmp(list[i], value) == 0) return true;
  }
  return false;
}

}  // namespace

PracApptGenerator::PracApptGenerator(GenDB* db, HWindow parent, long launcher_info, PracApptSettings* settings)
    : parent_(parent), launcher_info_(launcher_info), settings_(settings) {
  if (settings_->ListBy == 'C') settings_->NetFees = 'N';
  db_ = db;
  outcome_ = BeginRun(db_);
  caldat_ = std::make_unique<CalDatInfo>(db_);
  chair_info_ = std::make_unique<ChairInfo>(db_);
  pat_apt_ = std::make_unique<PatAptInfo>(db_);
  prod_info_ = std::make_unique<ProdInfo>(db_);
  loc_info_ = std::make_unique<LocInfo>(db_);
  prd_sch_ = std::make_unique<PrdSchInfo>();
  if (settings_->ListBy == 'P') {
    producer_chairs_.resize(static_cast<size_t>(std::clamp(settings_->SelectedCount, 0L, 100L)));
  }
}

PracApptGenerator::~PracApptGenerator() = default;

void PracApptGenerator::Fail(const std::string& message) { outcome_.NoteFailure(message); }

bool PracApptGenerator::NoteLostConnection() {
  if (outcome_.ServerLost()) return false;
  return outcome_.NoteLostConnection(db_);
}

void PracApptGenerator::SaveDayStart(DayStart* start) const {
  start->count = elements_.Count();
  start->contributions = drill_map_ != nullptr ? drill_map_->contributions.size() : 0;
  start->figures.clear();
  for (const PracApptElem* e : elements_.As<PracApptElem>()) {
    start->figures.insert(start->figures.end(), {e->Fee, e->SchedUnits, e->Minutes, e->Count});
  }
}

// The day's new elements are at the tail (the loop appends); the others get
// their figures back.
void PracApptGenerator::RestoreDayStart(const DayStart& start) {
  while (elements_.Count() > start.count) delete elements_.Remove(elements_.Tail());
  if (drill_map_ != nullptr) drill_map_->contributions.resize(start.contributions);
  index_.clear();
  size_t i = 0;
  for (PracApptElem* e : elements_.As<PracApptElem>()) {
    e->Fee = start.figures[i];
    e->SchedUnits = start.figures[i + 1];
    e->Minutes = start.figures[i + 2];
    e->Count = start.figures[i + 3];
    i += 4;
    index_.emplace(IndexKey(e->Kind, e->Status, e->Key, e->Date, e->Code), e);
  }
}

long PracApptGenerator::Units(long slots, long date) const {
  const SchedulrIni& s = caldat_->Scheduler();
  const long length = date >= s.UnitDate() ? s.UnitLength() : s.OldUnitLength();
  return length > 0 ? (slots * 5) / length : 0;
}

bool PracApptGenerator::ProducerSelected(const char* code) const {
  if (settings_->AllProducers == 'Y') return true;
  if (settings_->ListBy == 'C' || settings_->Producers[0][0] == '\0') return false;
  return InList(settings_->Producers, settings_->SelectedCount, code);
}

bool PracApptGenerator::ChairSelected(const char* key) const {
  if (settings_->AllChairs == 'Y') return true;
  if (settings_->ListBy == 'P' || settings_->Chairs[0][0] == '\0') return false;
  return InList(settings_->Chairs, settings_->SelectedCount, key);
}

bool PracApptGenerator::CodePasses(const char* code, const char* type) const {
  switch (settings_->ProdInfo) {
    case 'S': return true;
    case 'C': return settings_->ApptCodes[0][0] == '\0' || InList(settings_->ApptCodes, kApptMaxSelected, code);
    case 'T': return settings_->ApptTypes[0][0] == '\0' || InList(settings_->ApptTypes, kApptMaxSelected, type);
    default: return false;
  }
}

void PracApptGenerator::BuildProducerChairs() {
  chair_info_->Find(ChairInfo::kAllChairs);
  loc_info_->GetAll();
  const long n = static_cast<long>(producer_chairs_.size());
  for (long i = 0; i < n && settings_->Producers[i][0] != '\0'; ++i) {
    if (!prod_info_->Find(ProdInfo::kByCode, settings_->Producers[i])) continue;
    if (!prod_info_->GetMembers(22, 15, prd_sch_.get())) continue;
    ProducerChairs& entry = producer_chairs_[i];
    short chairs[40] = {};
    chr_touse(prd_sch_->Records().front().chairs, chairs);
    CopyField(entry.code, prod_info_->Record().code);
    for (int j = 0; j < 40 && chairs[j] != 0; ++j) {
      entry.chairs[j] = chairs[j];
      entry.locs[j] = ' ';
      for (const ChairRec& c : chair_info_->Records()) {
        if (c.number == chairs[j]) {
          entry.locs[j] = c.loc;
          break;
        }
      }
    }
  }
  chairs_loaded_ = true;
}

void PracApptGenerator::StartDrillMap() {
  if (drill_map_ == nullptr) return;
  drill_map_->Clear();
  drill_map_->contributions.reserve(4096);
  drill_map_->day_start = caldat_->Scheduler().DayStart();
}

bool PracApptGenerator::Generate(QenListWindow* list) {
  StartDrillMap();
  DayLoop();
  SortByDateKeyKind();
  if (settings_->TrackProd == 'Y' && settings_->ListBy == 'P' && settings_->NetFees == 'Y') ComputeNetFees();
  if (list != nullptr && !elements_.IsEmpty()) {
    ApptLineInput input;
    input.settings = settings_;
    input.codes = ApptCodeList(db_, *settings_);
    input.open = OpenDays();
    input.drill = drill_map_;
    WriteApptReportLines(elements_, input, list);
  }
  NoteLostConnection();  // net fees or codes read after the days (the days are whole)
  return true;
}

bool PracApptGenerator::Compute() {
  StartDrillMap();
  DayLoop();
  std::map<const TDElem*, std::string> keys;
  char buf[32];
  for (const PracApptElem* e : elements_.As<PracApptElem>()) {
    std::snprintf(buf, sizeof buf, "%-8.8s%1ld", e->Key, e->Kind);
    keys[e] = buf;
  }
  elements_.QSort([&keys](const TDElem* a, const TDElem* b) { return keys[a].compare(keys[b]); });
  return true;
}

void SortApptByDateKeyKind(TDList* elements) {
  std::map<const TDElem*, std::string> keys;
  char buf[48];
  for (const PracApptElem* e : elements->As<PracApptElem>()) {
    std::snprintf(buf, sizeof buf, "%08ld%-8.8s%1ld", e->Date, e->Key, e->Kind);
    keys[e] = buf;
  }
  elements->QSort([&keys](const TDElem* a, const TDElem* b) { return keys[a].compare(keys[b]); });
}

void PracApptGenerator::SortByDateKeyKind() { SortApptByDateKeyKind(&elements_); }

std::array<bool, 7> PracApptGenerator::OpenDays() const {
  std::array<bool, 7> open = {};
  for (int d = 0; d < 7; ++d) open[d] = caldat_->Scheduler().IsOpen(d);
  return open;
}

void PracApptGenerator::DayLoop() {
  days_done_ = 0;
  if (settings_->ListBy == 'P' && !chairs_loaded_) BuildProducerChairs();
  if (settings_->ListBy != 'P') chair_info_->Find(ChairInfo::kAllChairs);
  TMeter meter(parent_);
  meter.DisplayMeterDlg(ModuleString(71), daysdiff_betweendates(settings_->DateFrom, settings_->DateTo));
  meter.SetCounter(0);
  // A server lost during a day ends the loop with the days before it: the
  // day's figures are taken out again (it may have read some of its rows).
  DayStart start;
  const bool lost_before = NoteLostConnection();
  long n = 0;
  for (long day = settings_->DateFrom; day != 0 && day <= settings_->DateTo; day = incr_date(day, 1), ++n) {
    meter.SetCounter(n);
    if (meter.Cancelled()) {
      outcome_.NoteCancel();
      break;
    }
    if (lost_before) break;
    SaveDayStart(&start);
    EnsureWindow(day);
    if (settings_->ListBy != 'P') {
      ChairDay(day);
    } else {
      ProducerDay(day);
    }
    MissedDay(day);
    if (NoteLostConnection()) {
      RestoreDayStart(start);
      break;
    }
    ++days_done_;
  }
  meter.SetCounter(0);
  meter.CloseMeter();
  pat_apt_->DropPrefetch();
  audit_[0].clear();
  audit_[1].clear();
  window_to_ = -1;
}

// Set-based reads: the appointments and the schedule audit rows of the next
// 31 days (within the report) at once.
void PracApptGenerator::EnsureWindow(long day) {
  if (statement_reads_ || db_ == nullptr || day <= window_to_) return;
  long to = incr_date(day, kWindowDays - 1);
  if (to == 0 || to > settings_->DateTo) to = settings_->DateTo;
  window_to_ = to;
  if (!pat_apt_->Prefetch(day, to)) Fail(pat_apt_->LastError());
  audit_[0].clear();
  audit_[1].clear();
  const bool missed = settings_->NoShows == 'Y' || settings_->Cancelled == 'Y' || settings_->Unscheduled == 'Y';
  if (!missed) return;
  std::string actions;
  if (settings_->NoShows == 'Y') actions += "'N'";
  if (settings_->Cancelled == 'Y') actions += std::string(actions.empty() ? "" : ",") + "'C'";
  if (settings_->Unscheduled == 'Y') actions += std::string(actions.empty() ? "" : ",") + "'U'";
  for (int archived = 0; archived < 2; ++archived) {
    const char* p = archived ? "AUDH" : "AUD";
    char sql[600];
    std::snprintf(sql, sizeof sql,
                  "SELECT %s_DATE, %s_FLD_INFO1, %s_FLD_INFO2 FROM %s%s WHERE %s_DATE >= %ld AND %s_DATE <= %ld "
                  "AND %s_TYPE = 'S' AND %s_ACTION IN (%s) ORDER BY %s_DATE, %s_ID",
                  p, p, p, db_->dbPrefix(), archived ? "AUDHIS" : "AUDITFIL", p, day, p, to, p, p, actions.c_str(), p,
                  p);
    if (db_->dbExecute(sql, kCursor) != 0) Fail(db_->LastError());
    for (int r = db_->dbFetch(0, kCursor); r == 0; r = db_->dbFetch(1, kCursor)) {
      long date = 0;
      char info1[51] = {}, info2[51] = {};
      db_->dbGetLong(1, &date, kCursor);
      db_->dbGetString(2, info1, sizeof info1, kCursor);
      db_->dbGetString(3, info2, sizeof info2, kCursor);
      audit_[archived][date].push_back({info1, info2});
    }
    Fail(db_->LastError());
    db_->dbClose(kCursor);
  }
}

void PracApptGenerator::ChairDay(long day) {
  char slots[kSlotMapSize], second[kSlotMapSize];
  for (const ChairRec& c : chair_info_->Records()) {
    const std::string key = ChairKey(c.loc, c.number);
    if (!ChairSelected(key.c_str())) continue;
    pat_apt_->FindAptRecs(day, c.number, '*');
    for (const AptRec& r : pat_apt_->Records()) {
      if (CodePasses(r.code, r.type) && r.deldate == 0 && r.status == 'B') RecordAppointment(r, 1);
    }
    FreshMaps(slots, second);
    if (c.shared == 'N') {
      caldat_->GetAVTmSlotsForChair(slots, second, c.number, c.loc, c.producer, day);
    } else {
      caldat_->GetAVTmSlotsForSharedChairs(slots, second, c.number, c.loc, day);
    }
    RecordAvailability(slots, key.c_str(), day, c.number);
  }
}

void PracApptGenerator::ProducerDay(long day) {
  char a[kSlotMapSize], b[kSlotMapSize], c[kSlotMapSize], d[kSlotMapSize];
  for (const ProducerChairs& entry : producer_chairs_) {
    // Booked time.
    std::vector<long> ids;
    if (pat_apt_->Holds(day)) {
      for (const AptRec& r : pat_apt_->HeldDay(day)) {
        if (std::strcmp(r.producer, entry.code) == 0 && r.deldate == 0 && r.status == 'B') ids.push_back(r.id);
      }
    } else if (db_ != nullptr) {
      char sql[300];
      std::snprintf(sql, sizeof sql,
                    "SELECT papt_id from %sPATAPT WHERE papt_date = %ld and papt_producer = '%s' and papt_deldate = 0 "
                    "and papt_status = 'B'",
                    db_->dbPrefix(), day, SqlEscaped(entry.code).c_str());
      if (db_->dbExecute(sql, kCursor) != 0) Fail(db_->LastError());
      for (int r = db_->dbFetch(0, kCursor); r == 0; r = db_->dbFetch(1, kCursor)) {
        long id = 0;
        db_->dbGetLong(1, &id, kCursor);
        ids.push_back(id);
      }
      db_->dbClose(kCursor);
    }
    for (long id : ids) {
      if (!pat_apt_->DBFindRecById(id)) continue;
      const AptRec& r = pat_apt_->Records().front();
      if (ProducerSelected(r.producer) && CodePasses(r.code, r.type)) RecordAppointment(r, 1);
    }
    // Available time, each chair adding only what the earlier ones did not.
    FreshMaps(a, b);
    for (int j = 0; j < 40 && entry.chairs[j] != 0; ++j) {
      FreshMaps(c, d);
      caldat_->GetAVTmSlotsForProducer(c, d, entry.chairs[j], entry.locs[j], entry.code, day);
      CalDatInfo::OR_AVTimeSlots(a, c, b, d);
      RecordAvailability(c, entry.code, day, entry.chairs[j]);
    }
  }
}

bool PracApptGenerator::MissedDay(long day) {
  if (settings_->NoShows == 'N' && settings_->Cancelled == 'N' && settings_->Unscheduled == 'N') return false;
  if (MissedFrom(day, false)) return true;
  return MissedFrom(day, true);
}

bool PracApptGenerator::MissedFrom(long day, bool archived) {
  std::vector<AuditRow> rows;
  const bool held = !statement_reads_ && day <= window_to_;
  if (held) {
    auto it = audit_[archived ? 1 : 0].find(day);
    if (it != audit_[archived ? 1 : 0].end()) rows = it->second;
  } else if (db_ != nullptr) {
    std::string actions;
    if (settings_->NoShows == 'Y') actions += "'N'";
    if (settings_->Cancelled == 'Y') actions += std::string(actions.empty() ? "" : ",") + "'C'";
    if (settings_->Unscheduled == 'Y') actions += std::string(actions.empty() ? "" : ",") + "'U'";
    const char* action = archived ? "AUDH_ACTION" : "AUD_ACTION";
    char condition[80];
    std::snprintf(condition, sizeof condition, " AND %s IN (%s)", action, actions.c_str());
    char sql[600];
    std::snprintf(sql, sizeof sql, "SELECT %s, %s, %s, %s FROM %s%s where %s = %d AND %s = 'S' %s", action,
                  archived ? "AUDH_DATE" : "AUD_DATE", archived ? "AUDH_FLD_INFO1" : "AUD_FLD_INFO1",
                  archived ? "AUDH_FLD_INFO2" : "AUD_FLD_INFO2", db_->dbPrefix(), archived ? "AUDHIS" : "AUDITFIL",
                  archived ? "AUDH_DATE" : "AUD_DATE", static_cast<int>(day), archived ? "AUDH_TYPE" : "AUD_TYPE",
                  condition);
    if (db_->dbExecute(sql, kCursor) != 0) Fail(db_->LastError());
    for (int r = db_->dbFetch(0, kCursor); r == 0; r = db_->dbFetch(1, kCursor)) {
      char action_char = 0;
      long date = 0;
      char info1[51] = {}, info2[51] = {};
      db_->dbGetChar(1, &action_char, kCursor);
      db_->dbGetLong(2, &date, kCursor);
      db_->dbGetString(3, info1, sizeof info1, kCursor);
      db_->dbGetString(4, info2, sizeof info2, kCursor);
      rows.push_back({info1, info2});
    }
    db_->dbClose(kCursor);
  }
  for (const AuditRow& row : rows) {
    AptRec r;
    ParseScheduleAudit(row.info1.c_str(), row.info2.c_str(), &r);
    // A field info 1 cut short or garbled carries no appointment date: the
    // row has no period to count in.
    if (!tavo_valid_date(r.date)) continue;
    const std::string key = ChairKey(r.loc, r.chair);
    const bool selected = (settings_->ListBy == 'C' && ChairSelected(key.c_str())) ||
                          (settings_->ListBy == 'P' && ProducerSelected(r.producer));
    if (selected && CodePasses(r.code, r.type)) RecordAppointment(r, 3, day, archived);
  }
  return !rows.empty();
}

std::string PracApptGenerator::IndexKey(long kind, char status, const char* key, long date,
                                        const char* code) const {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%ld|%d|%.7s|%ld|%.15s", kind, status, key, PeriodId(settings_->ReportBy, date),
                code);
  return buf;
}

namespace {

// The runs of available slots ('I') of a day's map, into c.
void NoteBlocks(const char* slots, ApptContribution* c) {
  for (int s = 0; s < kSlotsPerDay && slots[s] != '\0';) {
    if (slots[s] != 'I') {
      ++s;
      continue;
    }
    const int first = s;
    while (s < kSlotsPerDay && slots[s] == 'I') ++s;
    if (c->block_count < ApptContribution::kMaxBlocks) {
      c->blocks[c->block_count][0] = static_cast<short>(first);
      c->blocks[c->block_count][1] = static_cast<short>(s);
      ++c->block_count;
    }
  }
}

}  // namespace

std::string ApptContribution::BlocksText(long day_start) const {
  const int origin = static_cast<int>(day_start / 10000 * 60 + day_start / 100 % 100);
  std::string out;
  char buf[64];
  for (int b = 0; b < block_count; ++b) {
    const int from = origin + blocks[b][0] * 5, to = origin + blocks[b][1] * 5;
    std::snprintf(buf, sizeof buf, "%s%02d:%02d-%02d:%02d", out.empty() ? "" : ", ", from / 60, from % 60, to / 60,
                  to % 60);
    out += buf;
  }
  return out;
}

void PracApptGenerator::RecordAvailability(const char* slots, const char* key, long day, short chair) {
  if (key == nullptr || key[0] == '\0') return;
  long n = 0;
  for (int s = 0; s < kSlotsPerDay && slots[s] != '\0'; ++s) n += slots[s] == 'I';
  const std::string index = IndexKey(2, 0, key, day, "");
  auto note = [&](const PracApptElem* e) {
    if (drill_map_ == nullptr) return;
    ApptContribution c;
    c.elem = e;
    c.what = 'D';
    c.day = day;
    c.free_slots = n;
    c.units = Units(n, day);
    CopyField(c.key, key);
    c.chair = chair;
    NoteBlocks(slots, &c);
    drill_map_->contributions.push_back(c);
  };
  auto it = index_.find(index);
  if (it != index_.end()) {
    it->second->SchedUnits += Units(n, day);
    it->second->Minutes += n * 5;
    note(it->second);
    return;
  }
  auto* e = new PracApptElem;
  e->Status = 0;
  e->Date = day;
  e->SchedUnits = Units(n, day);
  e->Minutes = n * 5;
  CopyField(e->Key, key);
  e->Kind = 2;
  e->Period = ApptPeriodIndex(settings_->ReportBy, day);
  elements_.Append(e);
  index_.emplace(index, e);
  note(e);
}

void PracApptGenerator::RecordAppointment(const AptRec& r, long kind, long audit_date, bool archived) {
  const std::string key = settings_->ListBy == 'P' ? std::string(r.producer) : ChairKey(r.loc, r.chair);
  const char* code = settings_->ProdInfo == 'C' ? r.code : settings_->ProdInfo == 'T' ? r.type : "";
  const std::string index = IndexKey(kind, r.status, key.c_str(), r.date, code);
  auto note = [&](const PracApptElem* e) {
    if (drill_map_ == nullptr) return;
    ApptContribution c;
    c.elem = e;
    c.what = kind == 3 ? 'M' : 'A';
    c.apt = r;
    c.audit_date = audit_date;
    c.archived = archived;
    c.units = Units(r.length, r.date);
    CopyField(c.key, key.c_str());
    drill_map_->contributions.push_back(c);
  };
  auto it = index_.find(index);
  if (it != index_.end()) {
    PracApptElem* e = it->second;
    note(e);
    e->SchedUnits += Units(r.length, r.date);
    e->Minutes += r.length * 5L;
    e->Fee += r.fee;
    e->Count += 1;
    return;
  }
  auto* e = new PracApptElem;
  e->Status = r.status;
  e->Date = r.date;
  e->Fee = r.fee;
  e->SchedUnits = Units(r.length, r.date);
  e->Minutes = r.length * 5L;
  CopyField(e->Code, code);
  CopyField(e->Key, key.c_str());
  e->Kind = kind;
  e->Period = ApptPeriodIndex(settings_->ReportBy, r.date);
  e->Count = 1;
  elements_.Append(e);
  index_.emplace(index, e);
  note(e);
}

void PracApptGenerator::ComputeNetFees() {
  if (settings_->SelectedCount == 0) return;
  std::string list_text;
  char field[8];
  for (int i = 0; i < kApptMaxSelected && settings_->Producers[i][0] != '\0'; ++i) {
    std::snprintf(field, sizeof field, "%-*.*s", 3, 3, settings_->Producers[i]);
    list_text += field;
  }
  // The walk over the periods, handing each period's first element and its
  // range to fill; the elements it covers follow.
  auto walk = [this](const std::function<void(TDElem*, long, long)>& fill) {
    bool have_range = false;
    long start = 0, end = 0;
    TDElem* e = elements_.Head();
    while (e != nullptr) {
      auto* first = static_cast<PracApptElem*>(e);
      if (have_range && first->Date >= start && first->Date <= end) {
        e = e->Next();
        continue;
      }
      ApptPeriodRange(settings_->ReportBy, first->Date, settings_->DateFrom, settings_->DateTo, &start, &end);
      have_range = true;
      fill(e, start, end);
      for (; e != nullptr; e = e->Next()) {
        if (!ApptSamePeriod(settings_->ReportBy, first->Date, first->Period, static_cast<PracApptElem*>(e)->Date)) {
          break;
        }
      }
    }
  };
  auto apply = [this](TDElem* e, long start, long end, const std::map<std::string, long>& fees) {
    auto* first = static_cast<PracApptElem*>(e);
    for (; e != nullptr; e = e->Next()) {
      auto* x = static_cast<PracApptElem*>(e);
      if (!ApptSamePeriod(settings_->ReportBy, first->Date, first->Period, x->Date)) break;
      auto it = fees.find(x->Key);
      if (it == fees.end()) continue;
      x->NetFee = it->second;
      x->NetFrom = start;
      x->NetTo = end;
    }
  };
  if (statement_reads_) {
    // One production analysis per period.
    walk([&](TDElem* e, long start, long end) {
      TProducerAnalysisObj analysis(db_, launcher_info_, 0, end, parent_, true);
      analysis.SetProducerList(list_text);
      analysis.SetStartDate(start);
      if (!analysis.LoadPracticeAnalysisInfo(false, false)) Fail("le calcul de la production a échoué");
      std::map<std::string, long> fees;
      for (prodanal_info* p = analysis.GetProdDListElem(nullptr); p != nullptr; p = analysis.GetProdDListElem(p)) {
        fees.emplace(p->Code(), p->Get(Triple::T5, 1));
      }
      apply(e, start, end, fees);
    });
    return;
  }
  // Set-based: the fees of every day the ranges cover, read once, summed per
  // range (the fees are additive over days).
  long low = 0, high = 0;
  walk([&](TDElem*, long start, long end) {
    low = low == 0 ? start : std::min(low, start);
    high = std::max(high, end);
  });
  std::map<long, std::map<std::string, long>> daily;
  std::string error;
  std::vector<std::string> codes = SplitProducerList(list_text);
  if (!ComputeDailyFees(db_, low, high, codes, &daily, &error)) Fail(error);
  walk([&](TDElem* e, long start, long end) {
    std::map<std::string, long> fees;
    for (const std::string& code : codes) fees[code] = 0;
    for (auto it = daily.lower_bound(start); it != daily.end() && it->first <= end; ++it) {
      for (const auto& [code, cents] : it->second) fees[code] += cents;
    }
    apply(e, start, end, fees);
  });
}
