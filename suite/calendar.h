// The suite's scheduling data classes and calendar services, over the
// practice database (docs/schema.md, "Schedule"; docs/availability.md for the
// availability rules with a worked example).
//
//   ChairInfo      chairs (CHAIR)                    Find(19): every chair
//   PatAptInfo     appointments (PATAPT)             FindAptRecs, DBFindRecById
//   ProdInfo       producers (PRODCD)                Find(10302, code)
//   PrdSchInfo     producer schedules (PRDSCH)       GenInfo::GetMembers(22, 15)
//   chr_touse      a schedule's chair field -> chair numbers
//   LocInfo        locations (LOCATION)              GetAll
//   SchedulrIni    scheduler settings (SCHEDULR, OFFHOURS)
//   CalDatInfo     availability slot maps (PRDSCHD, CALDAT, OFFHOURS) and
//                  OR_AVTimeSlots
//
// Every class reads through the GenDB it is given (table names with the
// connection's prefix) on cursors 40 to 49, which no analysis uses, so they
// may be called inside an analysis's fetch loop. None keeps the connection
// beyond its own life; none throws. A failed statement reads as "no row"
// and leaves its message in LastError().
//
// Slot maps: 240 characters, one per 5-minute slot from the scheduler's day
// start (SCHD_DAY_START; slot s covers [start + 5s min, start + 5s + 5 min)),
// then a terminator (capacity kSlotMapSize). Characters of the first map:
//   'O' not scheduled (the caller's fill), 'I' available,
//   'F' scheduled but closed by the calendar (holiday, vacation, chair out of
//       service), 'D' (chair maps after OR_AVTimeSlots) available but already
//       counted on another chair of the same producer.
// The second map holds, for each available slot, the location letter of the
// chair, '.' elsewhere.
#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class GenDB;

constexpr int kSlotsPerDay = 240;
constexpr int kSlotMapSize = kSlotsPerDay + 1;

// --- chairs -------------------------------------------------------------------
struct ChairRec {
  long id = 0;
  short number = 0;      // CHR_IDNO, unique across locations
  char loc = ' ';        // location letter
  char shared = 'N';     // 'N' = the chair belongs to one producer
  char producer[4] = {}; // the chair's own producer (not shared)
  char title[11] = {};
  char inactive = 'N';
};

class ChairInfo {
 public:
  static constexpr int kAllChairs = 19;
  explicit ChairInfo(GenDB* db) : db_(db) {}
  // key 19: every chair, by chair number. Returns the count (0 on failure or
  // for another key).
  int Find(int key);
  const std::vector<ChairRec>& Records() const { return records_; }

 private:
  GenDB* db_;
  std::vector<ChairRec> records_;
};

// --- appointments ---------------------------------------------------------------
struct AptRec {
  long id = 0;
  long patient = 0;
  long date = 0;          // YYYYMMDD
  long time = 0;          // HHMMSS
  short length = 0;       // 5-minute slots
  char producer[4] = {};
  short chair = 0;
  char loc = ' ';
  char status = ' ';      // B booked, N no-show, C cancelled, U unscheduled
  char type[4] = {};
  char code[6] = {};
  long fee = 0;           // cents
  long deldate = 0;       // 0 = stands
};

// Answers by statement (one per call) or, after Prefetch(from, to), from the
// rows of that range held in memory (one statement for the range): the same
// records in the same order (by id) either way.
class PatAptInfo {
 public:
  explicit PatAptInfo(GenDB* db) : db_(db) {}
  // The appointments of a chair on a day (every status, deleted ones too),
  // by id; loc '*' = any location. Returns the count.
  int FindAptRecs(long date, short chair, char loc);
  // The appointment with that id as Records()[0]; false when none.
  bool DBFindRecById(long id);
  const std::vector<AptRec>& Records() const { return records_; }

  // Loads every appointment dated from..to (one statement); until the next
  // Prefetch or DropPrefetch, FindAptRecs for those dates and DBFindRecById
  // of those rows are answered from memory (other ids or dates still go to
  // the database). False when the statement failed (nothing held).
  bool Prefetch(long from, long to);
  void DropPrefetch();
  bool Holds(long date) const { return held_ && date >= held_from_ && date <= held_to_; }
  // The held appointments of a day, by id (empty when not held).
  const std::vector<AptRec>& HeldDay(long date) const;
  const std::string& LastError() const { return error_; }

 private:
  GenDB* db_;
  std::vector<AptRec> records_;
  bool held_ = false;
  long held_from_ = 0, held_to_ = 0;
  std::map<long, std::vector<AptRec>> by_day_;
  std::unordered_map<long, std::pair<long, size_t>> by_id_;  // id -> (date, index)
  std::string error_;
};

// --- producers and schedules ---------------------------------------------------
struct ProdRec {
  long id = 0;
  char code[4] = {};
  char first_name[21] = {};
  char last_name[21] = {};
  char type = ' ';
  char inactive = 'N';
  char loc = ' ';
};

struct PrdSchRec {
  long id = 0;
  char producer[4] = {};
  long effective = 0;     // in force from
  char chairs[161] = {};  // "1,101": the field chr_touse expands
};

class PrdSchInfo {
 public:
  const std::vector<PrdSchRec>& Records() const { return records_; }
  std::vector<PrdSchRec>& MutableRecords() { return records_; }

 private:
  std::vector<PrdSchRec> records_;
};

// Base of the data classes that have member records in another table.
class GenInfo {
 public:
  virtual ~GenInfo() = default;
  // relation 22 with key 15 on a producer: its schedule records (PRDSCH,
  // latest in force first) into members. False when there is none.
  virtual bool GetMembers(int relation, int key, PrdSchInfo* members) = 0;
};

class ProdInfo : public GenInfo {
 public:
  static constexpr int kByCode = 10302;
  explicit ProdInfo(GenDB* db) : db_(db) {}
  // key 10302: the producer with that code as Record(). False when none.
  bool Find(int key, const char* code);
  const ProdRec& Record() const { return record_; }
  bool GetMembers(int relation, int key, PrdSchInfo* members) override;

 private:
  GenDB* db_;
  ProdRec record_;
  bool found_ = false;
};

// Expands a schedule's chair field ("1, 101,7") into at most 40 chair numbers;
// a 0 follows the last when fewer than 40. Items that are not numbers above 0
// are skipped. Returns the count.
int chr_touse(const char* field, short chairs[40]);

// --- locations -----------------------------------------------------------------
struct LocRec {
  char code = ' ';
  char name[31] = {};
};

class LocInfo {
 public:
  explicit LocInfo(GenDB* db) : db_(db) {}
  // Every location by code. Returns the count.
  int GetAll();
  const std::vector<LocRec>& Records() const { return records_; }

 private:
  GenDB* db_;
  std::vector<LocRec> records_;
};

// The practice's name for page headings: the name of its first location
// (by code), trimmed; "" when there is none or it cannot be read.
std::string PracticeName(GenDB* db);
// The same for the database of the running application ("" without one).
std::string CurrentPracticeName();

// --- scheduler settings ----------------------------------------------------------
// The appointment scheduler's settings (SCHEDULR row 1, OFFHOURS). Defaults
// when a row is missing: unit 15 minutes with no change date, day start
// 06:00, every weekday closed.
class SchedulrIni {
 public:
  explicit SchedulrIni(GenDB* db) : db_(db) {}
  // Reads both tables. False when a statement failed (defaults kept).
  bool Read();

  short UnitLength() const { return unit_; }          // minutes, current
  long UnitDate() const { return unit_date_; }        // the current unit applies from this day
  short OldUnitLength() const { return old_unit_; }   // minutes, before UnitDate
  long DayStart() const { return day_start_; }        // HHMMSS of slot 0
  // The weekly office-hours table: 7 weekdays (0 Sunday) x 6 "HH:MM" fields,
  // each 5 characters and a terminator; "" when empty.
  using OfficeHours = char[7][6][6];
  const OfficeHours& Hours() const { return hours_; }
  // True when any of the weekday's six fields is not empty.
  bool IsOpen(int weekday) const;

 private:
  GenDB* db_;
  short unit_ = 15;
  long unit_date_ = 0;
  short old_unit_ = 15;
  long day_start_ = 60000;
  OfficeHours hours_ = {};
};

// --- availability -------------------------------------------------------------------
// One calendar exception row (CALDAT).
struct CalDatRec {
  long date = 0;
  char loc = '*';
  short chair = 0;
  char producer[4] = {};
  char kind = 'C';
  long start = 0, end = 0;  // HHMMSS, [start, end); 0, 0 = the whole day
};

class CalDatInfo {
 public:
  // Reads the scheduler settings, the weekly blocks (PRDSCHD), the schedules
  // in force (PRDSCH) and the chairs once; calendar exceptions are read per
  // window of days as the dates asked for move (one statement per 31 days).
  explicit CalDatInfo(GenDB* db);

  // The caller fills slots with 240 'O' and second with 240 '.' first.
  // A chair that is not shared: the time of its own producer on it.
  void GetAVTmSlotsForChair(char* slots, char* second, short chair, char loc, const char* chair_producer,
                            long date);
  // A shared chair: the time of every producer with a block (or an opening)
  // on it that day.
  void GetAVTmSlotsForSharedChairs(char* slots, char* second, short chair, char loc, long date);
  // One producer on one chair.
  void GetAVTmSlotsForProducer(char* slots, char* second, short chair, char loc, const char* producer,
                               long date);
  // Merges a chair's maps into a producer's day maps: each 'I' of chair is
  // made 'I' in accumulated (and its location copied into accumulated_second)
  // unless accumulated already holds 'I' there, in which case the chair's
  // slot becomes 'D'. Afterwards the 'I's of chair are the time this chair
  // adds, so summing them over the chairs counts no time twice.
  static void OR_AVTimeSlots(char* accumulated, char* chair, char* accumulated_second, char* chair_second);

  // Slot range [first, last) of a time range (HHMMSS), clipped to the day.
  void SlotRange(long start, long end, int* first, int* last) const;
  const SchedulrIni& Scheduler() const { return sched_; }
  // Statements run so far (for tests and benchmarks).
  long Statements() const { return statements_; }

 private:
  struct Block {
    char producer[4];
    int dow;
    short chair;
    long start, end;
  };
  void ProducerOnChair(char* slots, char* second, short chair, char loc, const char* producer, long date);
  const std::vector<CalDatRec>& Exceptions(long date);

  GenDB* db_;
  SchedulrIni sched_;
  std::vector<Block> blocks_;
  std::map<std::string, long> in_force_;  // producer -> PSCH_EFF_DATE (earliest)
  std::vector<ChairRec> chairs_;
  long window_from_ = 0, window_to_ = -1;
  std::map<long, std::vector<CalDatRec>> exceptions_;
  long statements_ = 0;
};
