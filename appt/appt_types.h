// The productivity tab's records: the settings it hands the computation
// (PracApptSettings, its transfer record), the computed figures
// (PracApptElem), and the row kinds of the report lines.
//
// Units: dates YYYYMMDD longs, money whole cents, time in minutes (a slot is 5
// minutes) and in scheduler units (minutes / the unit length in force on the
// day, integer division).
#pragma once

#include <cstring>

#include "host/tdlist.h"

constexpr int kApptMaxSelected = 100;

struct PracApptSettings {
  long DateFrom = 0;
  long DateTo = 0;
  char AllProducers = 'Y';
  char AllChairs = 'Y';
  char ListBy = 'P';        // 'P' producers, 'C' chairs
  char ReportBy = 'M';      // 'D', 'W', 'M', 'Y'
  char TrackProd = 'Y';
  char ReportDollar = 'Y';
  char ProdUnits = 'H';     // 'H' hours, 'U' units, 'B' both
  char ProdInfo = 'S';      // 'S' summary, 'C' per code, 'T' per type
  char NoShows = 'Y';
  char Unscheduled = 'Y';
  char Cancelled = 'Y';
  char TotalsOnly = 'N';
  char Producers[kApptMaxSelected][4] = {};
  char Chairs[kApptMaxSelected][5] = {};
  char ApptTypes[kApptMaxSelected][4] = {};
  char ApptCodes[kApptMaxSelected][6] = {};
  long SelectedCount = 0;
  char TotalsColumn = 0;    // 1 with a totals column
  char NetFees = 'Y';
};

// Row kinds: the item data of each report line.
enum ApptRowKind : long {
  kApptRowTotal = 0,       // grand-total group and the blank line
  kApptRowBooked = 1,      // one code or type
  kApptRowAvailable = 2,
  kApptRowUnscheduled = 3,
  kApptRowCancelled = 4,
  kApptRowNoShows = 5,
  kApptRowFees = 6,
  kApptRowUsage = 7,
  kApptRowNetFees = 8,
  kApptRowDateColumn = 9,  // first column of every row (colours only)
  kApptRowMissed = 10,     // the combined missed row
  kApptRowSummary = 11,    // booked time in summary mode
};

// One aggregate of the computation: booked time of one key, period, status
// and code (Kind 1), available time of one key and period (Kind 2), or the
// missed appointments of one key, period, status and code (Kind 3).
class PracApptElem : public TDElem {
 public:
  char Status = 0;       // 'B' booked, 'N'/'U'/'C' missed, 0 available
  long Date = 0;         // first day of its period that had data
  long Fee = 0;          // cents
  long SchedUnits = 0;
  long Minutes = 0;
  char Code[16] = {};    // appointment code or type; "" in summary mode
  char Key[8] = {};      // producer code or chair key
  long Kind = 0;         // 1 booked, 2 available, 3 missed
  short Period = 0;
  long Count = 0;
  long NetFee = 0;       // cents
  long NetFrom = 0;
  long NetTo = 0;
};

// Copies text into a fixed field, cut to its capacity (terminator included).
template <size_t N>
void CopyField(char (&field)[N], const char* text) {
  const char* t = text == nullptr ? "" : text;
  size_t n = 0;
  while (n + 1 < N && t[n] != '\0') ++n;
  std::memcpy(field, t, n);
  field[n] = '\0';
}
