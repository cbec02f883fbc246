// The event rows of the demo audit trail: what the practice's data implies
// (new patients, status changes, appointments made, missed and deleted,
// treatment plans and proposals with their status changes, claims, payments,
// office charges, the audit purge) and how each is written.
//
// Case acceptance reads these rows: a planned treatment's creation is type
// T action A with field info 1 "P" and a non-empty field info 3; its status
// changes are action E with the new status in field info 1 and the old one
// in field info 3. A proposal item's rows are type X with the item id in
// field info 2. Routine rows of types T and X leave those fields empty so
// they never count.
#include <algorithm>
#include <cstdio>

#include "suite/demo_audit.h"

namespace demo {
namespace {

std::string Num(int64_t v) { return std::to_string(v); }

int32_t RandomTime(Rng* rng, long from = 74500, long to = 200000) {
  const int a = static_cast<int>(from / 10000 * 3600 + from / 100 % 100 * 60);
  const int b = static_cast<int>(to / 10000 * 3600 + to / 100 % 100 * 60);
  const int s = static_cast<int>(rng->Range(a, b));
  return (s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60;
}

int32_t Later(int32_t hhmmss, int minutes) {
  int s = (hhmmss / 10000) * 3600 + (hhmmss / 100 % 100) * 60 + hhmmss % 100 + minutes * 60;
  s = std::min(s, 23 * 3600 + 59 * 60 + 59);
  return (s / 3600) * 10000 + (s / 60 % 60) * 100 + s % 60;
}

}  // namespace

std::string ApptInfo1(const World& w, const Appt& a, char status) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%c%-3.3s%c%0*d%08ld%04d%02d%-3.3s%c%c", status,
                w.ProducerCode(a.producer).c_str(), a.loc, a.chair >= 100 ? 3 : 2, a.chair, DateOf(a.day),
                a.time / 100, a.slots, ApptTypes()[a.type].code, a.fee > 0 ? 'Y' : 'N', 'N');
  return buf;
}

void BuildEvents(World* w) {
  Rng rng(w->seed, 4);
  // Bookings, claims, payments and office charges are logged in full in the
  // large practice; the small one logs a sample of them, so that the routine
  // rows keep their share of its ~50,000 rows. Missed appointments, plans,
  // proposals and patient changes are always logged: the analyses count them.
  const bool large = w->size == DemoSize::kLarge;
  const int money_per_mille = large ? 1000 : 150;
  const int booking_per_mille = large ? 1000 : 350;
  auto add = [w](int day, int32_t time, Ev kind, uint16_t variant, int32_t ref) {
    if (day < w->first || day > w->today) return;
    w->events.push_back({day, time, kind, variant, ref});
  };
  for (size_t i = 0; i < w->accounts.size(); ++i) {
    const int32_t t = RandomTime(&rng);
    add(w->accounts[i].open_day, t, Ev::kAccountNew, 0, static_cast<int32_t>(i));
  }
  for (size_t i = 0; i < w->patients.size(); ++i) {
    const Patient& p = w->patients[i];
    add(p.open_day, RandomTime(&rng), Ev::kPatientNew, 0, static_cast<int32_t>(i));
    if (p.delete_day != 0) add(p.delete_day, RandomTime(&rng), Ev::kPatientDelete, 0, static_cast<int32_t>(i));
  }
  for (size_t i = 0; i < w->status_changes.size(); ++i) {
    add(w->status_changes[i].day, RandomTime(&rng), Ev::kPatientStatus, 0, static_cast<int32_t>(i));
  }
  for (size_t i = 0; i < w->appts.size(); ++i) {
    const Appt& a = w->appts[i];
    const int32_t ref = static_cast<int32_t>(i);
    if (rng.PerMille(booking_per_mille)) add(a.made_day, RandomTime(&rng), Ev::kApptCreate, 0, ref);
    if (a.status == 'N') {
      add(a.event_day, Later(a.time, 15), Ev::kApptMissed, 0, ref);
    } else if (a.status == 'C' || a.status == 'U') {
      add(a.event_day, RandomTime(&rng), Ev::kApptMissed, 0, ref);
    }
    if (a.del_day != 0) add(a.del_day, RandomTime(&rng), Ev::kApptDelete, 0, ref);
    if (a.status == 'B' && rng.PerMille(40)) {
      add(static_cast<int>(rng.Range(a.made_day, std::min(a.day, w->today))), RandomTime(&rng), Ev::kApptMove, 0,
          ref);
    }
  }
  for (size_t i = 0; i < w->treatments.size(); ++i) {
    const Treatment& t = w->treatments[i];
    if (w->claims[t.claim - 1].status != 'T') continue;
    add(t.created_day, RandomTime(&rng), Ev::kPlanAdd, 0, static_cast<int32_t>(i));
    if (t.del_day != 0) add(t.del_day, RandomTime(&rng), Ev::kPlanDelete, 0, static_cast<int32_t>(i));
  }
  for (size_t i = 0; i < w->plan_steps.size(); ++i) {
    add(w->plan_steps[i].day, RandomTime(&rng), Ev::kPlanEdit, 0, static_cast<int32_t>(i));
  }
  for (size_t i = 0; i < w->proposal_items.size(); ++i) {
    add(w->proposal_items[i].day, RandomTime(&rng), Ev::kPropAdd, 0, static_cast<int32_t>(i));
  }
  for (size_t i = 0; i < w->proposal_steps.size(); ++i) {
    add(w->proposal_steps[i].day, RandomTime(&rng), Ev::kPropEdit, 0, static_cast<int32_t>(i));
  }
  for (size_t i = 0; i < w->claims.size(); ++i) {
    if (w->claims[i].status != 'T' && rng.PerMille(money_per_mille)) {
      add(w->claims[i].day, RandomTime(&rng), Ev::kClaimAdd, 0, static_cast<int32_t>(i));
    }
  }
  for (size_t i = 0; i < w->payments.size(); ++i) {
    if (!rng.PerMille(money_per_mille)) continue;
    add(w->payments[i].day, RandomTime(&rng), Ev::kPayment, 0, static_cast<int32_t>(i));
    if (w->payments[i].del_day != 0) {
      add(w->payments[i].del_day, RandomTime(&rng), Ev::kPaymentDelete, 0, static_cast<int32_t>(i));
    }
  }
  for (size_t i = 0; i < w->office_charges.size(); ++i) {
    if (rng.PerMille(money_per_mille)) {
      add(w->office_charges[i].day, RandomTime(&rng), Ev::kOfficeCharge, 0, static_cast<int32_t>(i));
    }
  }
  add(w->cutoff, 73000, Ev::kAuditPurge, 0, 0);
  std::stable_sort(w->events.begin(), w->events.end(), [](const Event& a, const Event& b) {
    return a.day != b.day ? a.day < b.day : a.time < b.time;
  });
}

void EventRow(const World& w, const Event& e, AuditRow* r) {
  r->time = e.time;
  const auto status = [](char c) { return c == '\0' || c == ' ' ? std::string() : std::string(1, c); };
  switch (e.kind) {
    case Ev::kAccountNew:
      r->Set('B', 'A', e.ref + 1);
      r->Name(0, "ACCOUNT");
      r->Info(0, "Nouveau compte");
      break;
    case Ev::kPatientNew:
      r->Set('B', 'A', e.ref + 1);
      break;
    case Ev::kPatientDelete:
      r->Set('B', 'D', e.ref + 1);
      break;
    case Ev::kPatientStatus: {
      const StatusChange& c = w.status_changes[e.ref];
      r->Set('B', 'E', c.patient + 1);
      r->Name(0, "PATSTATUS");
      r->Info(0, std::string(1, c.status));
      r->Info(1, std::string(1, c.info2));
      break;
    }
    case Ev::kApptCreate:
    case Ev::kApptMissed:
    case Ev::kApptDelete:
    case Ev::kApptMove: {
      const Appt& a = w.appts[e.ref];
      const char action = e.kind == Ev::kApptCreate ? 'A'
                          : e.kind == Ev::kApptMissed ? a.status
                          : e.kind == Ev::kApptDelete ? 'D' : 'R';
      r->Set('S', action, e.ref + 1);
      r->Name(0, "PATAPT");
      r->Info(0, ApptInfo1(w, a, e.kind == Ev::kApptMissed ? a.status : 'B'));
      r->Info(1, ApptCodes()[a.code].code);
      break;
    }
    case Ev::kPlanAdd:
    case Ev::kPlanDelete: {
      const Treatment& t = w.treatments[e.ref];
      const bool add = e.kind == Ev::kPlanAdd;
      r->Set('T', add ? 'A' : 'D', e.ref + 1);
      r->Name(0, "CLMTRT");
      r->Info(0, "P");
      r->Info(1, Procedures()[t.procedure].code);
      if (add) r->Info(2, "-");  // no previous status
      break;
    }
    case Ev::kPlanEdit: {
      const Step& s = w.plan_steps[e.ref];
      r->Set('T', 'E', s.ref + 1);
      r->Name(0, "CLMTRT");
      r->Info(0, status(s.next));
      r->Info(1, Procedures()[w.treatments[s.ref].procedure].code);
      r->Info(2, status(s.prev));
      break;
    }
    case Ev::kPropAdd:
    case Ev::kPropEdit: {
      const bool add = e.kind == Ev::kPropAdd;
      const int32_t item = add ? e.ref : w.proposal_steps[e.ref].ref;
      const ProposalItem& it = w.proposal_items[item];
      r->Set('X', add ? 'A' : 'E', it.patient + 1);
      r->Name(0, "TXPTRT");
      r->Name(2, ProposalTitles()[w.proposals[it.proposal - 1].title]);
      if (!add) {
        r->Info(0, status(w.proposal_steps[e.ref].next));
        r->Info(2, status(w.proposal_steps[e.ref].prev));
      }
      r->Info(1, Num(item + 1));
      break;
    }
    case Ev::kClaimAdd:
      r->Set('T', 'A', e.ref + 1);
      r->Name(0, "PATCLM");
      break;
    case Ev::kPayment:
    case Ev::kPaymentDelete: {
      const Payment& p = w.payments[e.ref];
      r->Set(p.kind == 'A' ? 'A' : 'P', e.kind == Ev::kPayment ? 'A' : 'D', e.ref + 1);
      r->Name(0, "ACCPMT");
      char amount[32];
      std::snprintf(amount, sizeof amount, "%.2f", p.amount / 100.0);
      r->Info(0, amount);
      break;
    }
    case Ev::kOfficeCharge:
      r->Set('O', 'A', e.ref + 1);
      r->Name(0, "PATOCH");
      break;
    case Ev::kAuditPurge:
      r->Set('U', 'D', DateOf(w.cutoff));
      r->Name(0, "AUDPURGE");
      break;
  }
}

}  // namespace demo
