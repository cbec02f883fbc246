// The schedule audit entries behind the missed appointments of the
// productivity report, and the period helpers their dates then go through.
//
// Half the inputs are raw: both information fields are any bytes (as a
// damaged audit table may hold, cut at 50 bytes as the reader cuts them). The
// parse must stay inside its fields, keep a date only when it is one, and the
// period helpers must take whatever date comes out. The other half are
// entries written the way the scheduler writes them, in either layout (two-
// or three-digit chair), from fields the input picks: they must read back as
// written.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "appt/appt_generator.h"
#include "host/dates.h"
#include "suite/calendar.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& info1, const std::string& info2) {
  std::fprintf(stderr, "fuzz_schedule_audit: %s\n  info1 \"%s\"\n  info2 \"%s\"\n", what, info1.c_str(),
               info2.c_str());
  std::abort();
}

void Check(bool ok, const char* what, const std::string& info1, const std::string& info2) {
  if (!ok) Fail(what, info1, info2);
}

// A date as the report's period helpers see it: every report period, the
// report's own range around it.
void ThroughPeriods(long date, const std::string& info1, const std::string& info2) {
  for (char by : {'D', 'W', 'M', 'Y', 'X'}) {
    const short period = ApptPeriodIndex(by, date);
    const std::string label = ApptPeriodLabel(by, date);
    Check(label.size() < 200, "period label too long", info1, info2);
    if (!tavo_valid_date(date)) continue;
    Check(ApptSamePeriod(by, date, period, date), "a day outside its own period", info1, info2);
    long start = 0, end = 0;
    ApptPeriodRange(by, date, date, date, &start, &end);
    Check(start == date && end == date, "a one-day report's period is not that day", info1, info2);
    const long from = incr_date(date, -40), to = incr_date(date, 40);
    if (from == 0 || to == 0) continue;
    ApptPeriodRange(by, date, from, to, &start, &end);
    Check(from <= start && start <= date && date <= end && end <= to, "period range does not hold its day", info1,
          info2);
  }
}

bool Fits(const char* field, size_t capacity) { return std::memchr(field, '\0', capacity) != nullptr; }

void Raw(FuzzedDataProvider& in) {
  std::string info1 = in.ConsumeRandomLengthString(60);
  std::string info2 = in.ConsumeRandomLengthString(60);
  info1.resize(std::strlen(info1.c_str()));
  info2.resize(std::strlen(info2.c_str()));
  if (info1.size() > 50) info1.resize(50);
  if (info2.size() > 50) info2.resize(50);
  AptRec r;
  ParseScheduleAudit(info1.c_str(), info2.c_str(), &r);
  Check(r.status == (info1.empty() ? ' ' : info1[0]), "status is not the first character", info1, info2);
  Check(Fits(r.producer, sizeof r.producer) && Fits(r.type, sizeof r.type) && Fits(r.code, sizeof r.code),
        "a text field overflows", info1, info2);
  Check(r.fee == 0, "fee not 0", info1, info2);
  Check(r.chair >= -99 && r.chair <= 999, "chair beyond three characters", info1, info2);
  Check(r.length >= -9 && r.length <= 99, "length beyond two characters", info1, info2);
  Check(std::strncmp(r.code, info2.c_str(), std::strlen(r.code)) == 0, "code is not the start of info2", info1,
        info2);
  ThroughPeriods(r.date, info1, info2);
  // The date pieces, NULL-ish: a null field reads as an empty one.
  AptRec null_fields;
  ParseScheduleAudit(nullptr, nullptr, &null_fields);
  Check(null_fields.status == ' ' && null_fields.date == 0, "null fields", info1, info2);
}

void Written(FuzzedDataProvider& in) {
  static const char kStatus[] = "NCU";
  static const char kCodeChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  const char status = kStatus[in.ConsumeIntegralInRange<int>(0, 2)];
  std::string producer;
  for (int n = in.ConsumeIntegralInRange<int>(1, 3); n > 0; --n) {
    producer += kCodeChars[in.ConsumeIntegralInRange<int>(0, 35)];
  }
  const char loc = static_cast<char>('A' + in.ConsumeIntegralInRange<int>(0, 25));
  const bool three_digits = in.ConsumeBool();
  const int chair = three_digits ? in.ConsumeIntegralInRange<int>(100, 999) : in.ConsumeIntegralInRange<int>(0, 99);
  // Appointment dates of the years an appointment book can hold (the parse
  // tells the layouts apart by them).
  const long year = in.ConsumeIntegralInRange<long>(1950, 2149);
  const long month = in.ConsumeIntegralInRange<long>(1, 12);
  const long day = in.ConsumeIntegralInRange<long>(1, DaysPerMonth(static_cast<int>(month), static_cast<int>(year)));
  const long date = year * 10000 + month * 100 + day;
  const int hour = in.ConsumeIntegralInRange<int>(0, 23), minute = in.ConsumeIntegralInRange<int>(0, 59);
  const int length = in.ConsumeIntegralInRange<int>(0, 99);
  std::string type, code;
  for (int n = in.ConsumeIntegralInRange<int>(0, 3); n > 0; --n) type += kCodeChars[in.ConsumeIntegralInRange<int>(0, 35)];
  for (int n = in.ConsumeIntegralInRange<int>(0, 5); n > 0; --n) code += kCodeChars[in.ConsumeIntegralInRange<int>(0, 35)];

  char buf[64];
  std::snprintf(buf, sizeof buf, "%c%-3s%c%0*d%08ld%02d%02d%02d%-3sNN", status, producer.c_str(), loc,
                three_digits ? 3 : 2, chair, date, hour, minute, length, type.c_str());
  const std::string info1 = buf;
  const std::string info2 = code;
  AptRec r;
  ParseScheduleAudit(info1.c_str(), info2.c_str(), &r);
  Check(r.status == status, "status", info1, info2);
  Check(producer == r.producer, "producer", info1, info2);
  Check(r.loc == loc, "location", info1, info2);
  Check(r.chair == chair, "chair", info1, info2);
  Check(r.date == date, "date", info1, info2);
  Check(r.length == length, "length", info1, info2);
  Check(type == r.type, "type", info1, info2);
  Check(code == r.code, "code", info1, info2);
  ThroughPeriods(r.date, info1, info2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    Written(in);
  } else {
    Raw(in);
  }
  return 0;
}
