// Writes the demo audit trail day by day: the day's event rows, the users'
// log-ons and log-offs, routine rows up to the day's quota, and now and then
// an odd row (no user, full-length texts, midnight). Days before the cutoff
// go to the archived table AUDHIS, the others to AUDITFIL; ids follow time
// across both.
//
// Quotas: each side's row target is spread over its days by weight (weekday
// 1, Saturday 0.4, Sunday 0.1, practice holiday 0.15); a day never gets
// fewer routine rows than a small minimum, so every kind of row appears even
// when events fill the quota.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "suite/demo_audit.h"

namespace demo {
namespace {

bool PracticeHoliday(const World& w, int day) {
  for (const Closure& c : w.closures) {
    if (c.day == day && c.kind == 'C' && c.loc == '*' && c.chair == 0 && c.producer.empty() && c.start == 0) {
      return true;
    }
  }
  return false;
}

double DayWeight(const World& w, int day) {
  if (PracticeHoliday(w, day)) return 0.15;
  const int dow = Weekday(day);
  return dow == 0 ? 0.1 : dow == 6 ? 0.4 : 1.0;
}

int32_t TimeBetween(Rng* rng, long from, long to) {
  const int a = static_cast<int>(from / 10000 * 3600 + from / 100 % 100 * 60);
  const int b = static_cast<int>(to / 10000 * 3600 + to / 100 % 100 * 60);
  const int s = static_cast<int>(rng->Range(a, b));
  return (s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60;
}

void WriteRow(TableWriter* out, int64_t id, long date, const AuditRow& r) {
  const char type[2] = {r.type, 0}, action[2] = {r.action, 0};
  out->Int(id).Text(type).Text(action).Int(r.recid).Text(r.user).Int(date).Int(r.time);
  for (const auto& n : r.name) out->Text(n);
  for (const auto& i : r.info) out->Text(i);
  out->EndRow();
}

// Odd rows, one kind on some days: what a long-lived database accumulates.
void AddOddRows(const World& w, Rng* rng, int day, std::vector<AuditRow>* rows) {
  const int k = (day - w.first) % 61;
  if (k > 4) return;
  AuditRow r;
  switch (k) {
    case 0:  // no user, no field at all
      r.Set('B', 'E', 1);
      r.time = TimeBetween(rng, 90000, 170000);
      break;
    case 1:  // every text at its full length
      r.Set('B', 'E', 1);
      r.time = TimeBetween(rng, 90000, 170000);
      r.Name(0, "CUSTOM");
      r.Name(1, "ABCDEFGHIJKLMNOPQRST");
      r.Name(2, "12345678901234567890");
      r.Info(0, "Champ personnalisé : une valeur très longue qui rem");
      r.Info(1, std::string(50, 'x'));
      r.Info(2, "Zoë-Élisabeth O'Neil-Bérubé « guillemets » ; % _ \\");
      Put(r.user, sizeof r.user, w.users[0].logon);
      break;
    case 2:  // midnight and the last second of the day
      r.Set('U', 'E', 0);
      r.Name(0, "OPTIONS");
      r.time = 0;
      Put(r.user, sizeof r.user, "SUPPORT");
      rows->push_back(r);
      r.time = 235959;
      break;
    case 3: {  // a schedule row whose appointment date is in neither layout
      r.Set('S', 'E', rng->Range(1, static_cast<long>(std::max<size_t>(1, w.appts.size()))));
      r.time = TimeBetween(rng, 90000, 170000);
      r.Name(0, "PATAPT");
      r.Info(0, "BD01A0120ZZ13400830090RAPNN");
      r.Info(1, "EXAM");
      Put(r.user, sizeof r.user, "O'BRIEN");
      break;
    }
    default:  // a user that no longer exists
      r.Set('R', 'E', 1);
      r.time = TimeBetween(rng, 90000, 170000);
      r.Name(0, "RECALL");
      Put(r.user, sizeof r.user, "ANCIEN");
      break;
  }
  rows->push_back(r);
}

}  // namespace

int64_t DatedIds::Pick(Rng* rng, int day) const {
  if (ids_.empty()) return 0;
  size_t n = static_cast<size_t>(std::upper_bound(days_.begin(), days_.end(), day) - days_.begin());
  if (n == 0) return ids_[rng->Below(ids_.size())];
  const size_t from = recent_ > 0 && n > recent_ ? n - recent_ : 0;
  return ids_[from + rng->Below(n - from)];
}

void DatedIds::Finish() {
  std::vector<size_t> order(ids_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) { return days_[a] < days_[b]; });
  std::vector<int32_t> days(order.size());
  std::vector<int64_t> ids(order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    days[i] = days_[order[i]];
    ids[i] = ids_[order[i]];
  }
  days_.swap(days);
  ids_.swap(ids);
}

AuditContext::AuditContext(const World& world) : w(world) {
  for (size_t i = 0; i < w.patients.size(); ++i) patients.Add(w.patients[i].open_day, i + 1);
  for (size_t i = 0; i < w.accounts.size(); ++i) accounts.Add(w.accounts[i].open_day, i + 1);
  for (size_t i = 0; i < w.payments.size(); ++i) {
    (w.payments[i].kind == 'A' ? adjustments : payments).Add(w.payments[i].day, i + 1);
  }
  for (size_t i = 0; i < w.office_charges.size(); ++i) office_charges.Add(w.office_charges[i].day, i + 1);
  for (size_t i = 0; i < w.claims.size(); ++i) claims.Add(w.claims[i].day, i + 1);
  for (size_t i = 0; i < w.treatments.size(); ++i) treatments.Add(w.treatments[i].created_day, i + 1);
  for (size_t i = 0; i < w.chart_treatments.size(); ++i) chart_treatments.Add(w.chart_treatments[i].day, i + 1);
  for (size_t i = 0; i < w.perio.size(); ++i) perio.Add(w.perio[i].day, i + 1);
  for (size_t i = 0; i < w.answers.size(); ++i) answers.Add(w.answers[i].day, i + 1);
  for (size_t i = 0; i < w.alerts.size(); ++i) alerts.Add(w.alerts[i].day, i + 1);
  for (size_t i = 0; i < w.forms.size(); ++i) forms.Add(w.forms[i].day, i + 1);
  for (size_t i = 0; i < w.documents.size(); ++i) documents.Add(w.documents[i].day, i + 1);
  for (size_t i = 0; i < w.plans.size(); ++i) plans.Add(w.plans[i].start, i + 1);
  for (size_t i = 0; i < w.appts.size(); ++i) appts.Add(w.appts[i].made_day, i + 1);
  for (size_t i = 0; i < w.proposals.size(); ++i) proposals.Add(w.proposals[i].day, i + 1);
  for (DatedIds* d : {&patients, &accounts, &payments, &adjustments, &office_charges, &claims, &treatments,
                      &chart_treatments, &perio, &answers, &alerts, &forms, &documents, &plans, &appts, &proposals}) {
    d->Finish();
  }
  // Schedule edits concern the appointments made in about the last two months.
  const int days = std::max(1, w.last - w.first);
  appts.set_recent(std::max<size_t>(50, w.appts.size() * 60 / static_cast<size_t>(days)));
  for (const User& u : w.users) user_days.push_back(u.days);
}

std::vector<int> AuditContext::OnDuty(int day) const {
  std::vector<int> out;
  for (size_t i = 0; i < user_days.size(); ++i) {
    if (user_days[i] & (1 << Weekday(day))) out.push_back(static_cast<int>(i));
  }
  if (out.empty()) {
    for (size_t i = 0; i < user_days.size(); ++i) out.push_back(static_cast<int>(i));
  }
  return out;
}

bool WriteAudit(GenDB* db, const World& w, DemoSummary* summary, std::string* error,
                const std::function<void(const std::string&)>& progress) {
  AuditContext ctx(w);
  Rng rng(w.seed, 5);
  double weight_archived = 0, weight_current = 0;
  for (int d = w.first; d <= w.today; ++d) (d < w.cutoff ? weight_archived : weight_current) += DayWeight(w, d);
  const int min_routine = w.size == DemoSize::kSmall ? 15 : 5;

  auto writer = std::make_unique<TableWriter>(db, "AUDHIS", error);
  if (!writer->ok()) return false;
  int64_t id = 1;
  double planned = 0;  // running sum of the side's fractional quotas
  long written_side = 0;
  size_t next_event = 0;
  std::vector<AuditRow> rows;
  int last_percent = -1;
  for (int d = w.first; d <= w.today; ++d) {
    if (d == w.cutoff) {
      if (!writer->Finish()) return false;
      summary->rows.emplace_back("AUDHIS", writer->rows());
      writer = std::make_unique<TableWriter>(db, "AUDITFIL", error);
      if (!writer->ok()) return false;
      planned = 0;
      written_side = 0;
    }
    const bool archived = d < w.cutoff;
    planned += (archived ? w.sizes.audit_archived / weight_archived : w.sizes.audit_current / weight_current) *
               DayWeight(w, d);
    const long quota = std::lround(planned) - written_side;

    rows.clear();
    const std::vector<int> on_duty = ctx.OnDuty(d);
    auto user_of = [&](AuditRow* r) { Put(r->user, sizeof r->user, w.users[on_duty[rng.Below(on_duty.size())]].logon); };
    for (; next_event < w.events.size() && w.events[next_event].day == d; ++next_event) {
      AuditRow r;
      EventRow(w, w.events[next_event], &r);
      user_of(&r);
      rows.push_back(r);
    }
    if (Weekday(d) != 0 && !PracticeHoliday(w, d)) {
      for (int u : on_duty) {
        AuditRow in, out;
        in.Set('E', 'E', 1);
        in.time = TimeBetween(&rng, 73000, 84500);
        in.Info(0, "Poste " + std::to_string(100 + u));
        out.Set('E', 'X', 1);
        out.time = TimeBetween(&rng, 160000, 203000);
        Put(in.user, sizeof in.user, w.users[u].logon);
        Put(out.user, sizeof out.user, w.users[u].logon);
        rows.push_back(in);
        rows.push_back(out);
      }
    }
    const long routine = std::max<long>(min_routine, quota - static_cast<long>(rows.size()));
    for (long i = 0; i < routine; ++i) {
      AuditRow r;
      RoutineRow(ctx, &rng, d, &r);
      r.time = TimeBetween(&rng, 74500, 203000);
      user_of(&r);
      rows.push_back(r);
    }
    AddOddRows(w, &rng, d, &rows);
    std::stable_sort(rows.begin(), rows.end(), [](const AuditRow& a, const AuditRow& b) { return a.time < b.time; });
    const long date = DateOf(d);
    for (const AuditRow& r : rows) WriteRow(writer.get(), id++, date, r);
    if (!writer->ok()) return false;
    written_side += static_cast<long>(rows.size());

    const int percent = static_cast<int>(100L * (d - w.first) / std::max(1, w.today - w.first));
    if (progress && percent / 10 != last_percent / 10) {
      last_percent = percent;
      char line[96];
      std::snprintf(line, sizeof line, "Journal d'audit : %ld (%ld lignes)", date, static_cast<long>(id - 1));
      progress(line);
    }
  }
  if (!writer->Finish()) return false;
  summary->rows.emplace_back(w.cutoff <= w.today ? "AUDITFIL" : "AUDHIS", writer->rows());
  return true;
}

}  // namespace demo
