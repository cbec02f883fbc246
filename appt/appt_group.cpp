// WriteApptGroupTotal: every clinic's elements under one selection.

#include "appt/appt_group.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "appt/appt_generator.h"
#include "appt/appt_lines.h"
#include "host/list_window.h"
#include "host/tdlist.h"

namespace {

PracApptElem* CopyOf(const PracApptElem& e) {
  auto* c = new PracApptElem();
  c->Status = e.Status;
  c->Date = e.Date;
  c->Fee = e.Fee;
  c->SchedUnits = e.SchedUnits;
  c->Minutes = e.Minutes;
  std::memcpy(c->Code, e.Code, sizeof c->Code);
  std::memcpy(c->Key, e.Key, sizeof c->Key);
  c->Kind = e.Kind;
  c->Period = e.Period;
  c->Count = e.Count;
  c->NetFee = e.NetFee;
  c->NetFrom = e.NetFrom;
  c->NetTo = e.NetTo;
  return c;
}

}  // namespace

void WriteApptGroupTotal(const std::vector<ApptClinicRun>& clinics, PracApptSettings* total, QenListWindow* list) {
  if (clinics.empty() || clinics.front().settings == nullptr) return;
  *total = *clinics.front().settings;
  const bool producers = total->ListBy == 'P';
  // The union of the selections, in the order the clinics give them.
  long n = 0;
  std::vector<std::string> codes;
  std::array<bool, 7> open = {};
  for (const ApptClinicRun& clinic : clinics) {
    const PracApptSettings& s = *clinic.settings;
    for (long i = 0; i < std::min(s.SelectedCount, static_cast<long>(kApptMaxSelected)); ++i) {
      const char* key = producers ? s.Producers[i] : s.Chairs[i];
      bool known = false;
      for (long j = 0; j < n && !known; ++j) {
        known = std::strcmp(producers ? total->Producers[j] : total->Chairs[j], key) == 0;
      }
      if (known || n >= kApptMaxSelected) continue;
      if (producers) {
        CopyField(total->Producers[n], key);
      } else {
        CopyField(total->Chairs[n], key);
      }
      ++n;
    }
    for (const std::string& code : clinic.codes) {
      if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
    }
    for (int d = 0; d < 7; ++d) open[d] = open[d] || clinic.open[d];
  }
  for (long j = n; j < kApptMaxSelected; ++j) {
    if (producers) {
      total->Producers[j][0] = '\0';
    } else {
      total->Chairs[j][0] = '\0';
    }
  }
  total->SelectedCount = n;
  SetUpApptColumns(list, total);

  // Every clinic's elements merged: one element per period, producer (or
  // chair), kind, status and code, as one practice's run makes them, its
  // time, units, fees and counts the clinics' sums. A producer's net fees
  // of a period ride on the first of her elements of that period.
  std::map<std::string, PracApptElem*> index;
  std::map<std::string, long> net_fees;  // period start + key -> cents
  TDList elements;
  char buf[64];
  for (const ApptClinicRun& clinic : clinics) {
    if (clinic.elements == nullptr) continue;
    // A clinic's net fees of a producer and period are on each of her
    // elements of the period; the lines read the first.
    std::map<std::string, bool> fee_taken;
    for (const PracApptElem* e : clinic.elements->As<PracApptElem>()) {
      long start = 0, end = 0;
      ApptPeriodRange(total->ReportBy, e->Date, total->DateFrom, total->DateTo, &start, &end);
      std::snprintf(buf, sizeof buf, "%08ld|%-8.8s", start, e->Key);
      const std::string period_key = buf;
      if (e->NetFee != 0 && !fee_taken[period_key]) {
        fee_taken[period_key] = true;
        net_fees[period_key] += e->NetFee;
      }
      const std::string key = period_key + "|" + std::to_string(e->Kind) + "|" + std::string(1, e->Status) + "|" +
                              e->Code;
      auto [it, fresh] = index.try_emplace(key, nullptr);
      if (fresh) {
        it->second = CopyOf(*e);
        it->second->NetFee = 0;
        elements.Append(it->second);
        continue;
      }
      PracApptElem* m = it->second;
      m->Date = std::min(m->Date, e->Date);
      m->Fee += e->Fee;
      m->SchedUnits += e->SchedUnits;
      m->Minutes += e->Minutes;
      m->Count += e->Count;
    }
  }
  if (elements.IsEmpty()) return;
  SortApptByDateKeyKind(&elements);
  for (PracApptElem* e : elements.As<PracApptElem>()) {
    long start = 0, end = 0;
    ApptPeriodRange(total->ReportBy, e->Date, total->DateFrom, total->DateTo, &start, &end);
    std::snprintf(buf, sizeof buf, "%08ld|%-8.8s", start, e->Key);
    auto fee = net_fees.find(buf);
    if (fee == net_fees.end() || fee->second == 0) continue;
    e->NetFee = fee->second;
    e->NetFrom = start;
    e->NetTo = end;
    fee->second = 0;  // the first element of the period carries it
  }
  ApptLineInput input;
  input.settings = total;
  input.codes = codes;
  input.open = open;
  WriteApptReportLines(elements, input, list);
  elements.DeleteElems();
}
