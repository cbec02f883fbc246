// The schedule and what follows from it, day by day: appointments in the
// producers' working blocks; for each kept appointment a claim with its
// treatments, payments (patient on the day, insurance later), sometimes an
// office charge or an adjustment, chart rows, a treatment plan or a proposal
// whose items are accepted, refused or left pending later on.
#include <algorithm>
#include <cstring>

#include "suite/demo_internal.h"

namespace demo {
namespace {

int ProcIndex(const char* code) {
  const auto& v = Procedures();
  for (size_t i = 0; i < v.size(); ++i) {
    if (std::strcmp(v[i].code, code) == 0) return static_cast<int>(i);
  }
  return 0;
}

int PaymentCodeIndex(const char* code) {
  const auto& v = PaymentCodes();
  for (size_t i = 0; i < v.size(); ++i) {
    if (std::strcmp(v[i].code, code) == 0) return static_cast<int>(i);
  }
  return 0;
}

// Procedures an appointment code is made of: the first is always done, the
// others each with an even chance.
std::vector<const char*> ProceduresOf(const char* appt_code, Rng* rng) {
  const std::string c(appt_code);
  if (c == "EXAM") return {rng->PerMille(200) ? "01103" : "01202", "02102"};
  if (c == "URG") return {"01205", "71101"};
  if (c == "OBT") {
    static const char* kFill[] = {"21211", "23311", "23312", "23313"};
    return {kFill[rng->Below(4)], kFill[rng->Below(4)]};
  }
  if (c == "COUR") return {"27201"};
  if (c == "CANAL") return {rng->PerMille(500) ? "33111" : "33131"};
  if (c == "EXTR") return {rng->PerMille(700) ? "71101" : "71201"};
  if (c == "CONS") return {"01103", "02601"};
  if (c == "PONT") return {"62501"};
  if (c == "NETT") return {"11101", "11701", "12101"};
  if (c == "DETAR") return {rng->PerMille(500) ? "11102" : "11103", "11701", "14101"};
  if (c == "SCEL") return {"13401", "13401"};
  return {"01202"};  // ORTHO follow-up
}

class VisitBuilder {
 public:
  explicit VisitBuilder(World* w) : w_(w), rng_(w->seed, 3) {
    for (size_t i = 0; i < w->patients.size(); ++i) open_days_.push_back(w->patients[i].open_day);
    for (size_t i = 0; i < ApptCodes().size(); ++i) {
      (ApptCodes()[i].who == 'H' ? hyg_codes_ : dent_codes_).push_back(static_cast<int>(i));
    }
    for (size_t i = 0; i < Procedures().size(); ++i) {
      if (Procedures()[i].kind == 'P') planned_.push_back(static_cast<int>(i));
      if (Procedures()[i].kind == 'X') proposed_.push_back(static_cast<int>(i));
    }
  }

  void Run() {
    for (int d = w_->first; d <= w_->last; ++d) {
      for (const Block& b : w_->blocks) {
        if (b.dow == Weekday(d)) FillBlock(d, b);
      }
      for (const Closure& c : w_->closures) {
        if (c.day != d || c.kind != 'O') continue;
        for (size_t p = 0; p < w_->producers.size(); ++p) {
          if (w_->producers[p].code == c.producer) {
            FillBlock(d, Block{static_cast<int>(p), Weekday(d), c.chair, c.loc == '*' ? 'A' : c.loc, c.start, c.end});
          }
        }
      }
    }
    std::stable_sort(w_->payments.begin(), w_->payments.end(),
                     [](const Payment& a, const Payment& b) { return a.day < b.day; });
  }

 private:
  static int Minutes(long hhmmss) { return static_cast<int>(hhmmss / 10000 * 60 + hhmmss / 100 % 100); }
  static long Hhmmss(int minutes) { return (minutes / 60) * 10000L + (minutes % 60) * 100L; }

  // Minutes of a partial closure that overlaps [from, to) on that day, or -1.
  int PartialClosureEnd(int day, int producer, const Block& b, int from, int to) const {
    for (const Closure& c : w_->closures) {
      if (c.day != day || c.kind != 'C' || (c.start == 0 && c.end == 0)) continue;
      if ((c.loc != '*' && c.loc != b.loc) || (c.chair != 0 && c.chair != b.chair)) continue;
      if (!c.producer.empty() && c.producer != w_->ProducerCode(producer)) continue;
      if (from < Minutes(c.end) && Minutes(c.start) < to) return Minutes(c.end);
    }
    return -1;
  }

  // A patient opened on or before the day, not deleted by then; a dentist's
  // own patients are preferred.
  int32_t PickPatient(int day, int producer) {
    const size_t n = static_cast<size_t>(std::upper_bound(open_days_.begin(), open_days_.end(), day) - open_days_.begin());
    if (n == 0) return -1;
    int32_t chosen = -1;
    for (int attempt = 0; attempt < 4; ++attempt) {
      const int32_t i = static_cast<int32_t>(rng_.Below(n));
      const Patient& p = w_->patients[i];
      if (p.delete_day != 0 && p.delete_day <= day) continue;
      chosen = i;
      if (w_->producers[producer].type == 'H' || p.doctor == producer) break;
    }
    return chosen;
  }

  int PickCode(const std::vector<int>& codes) {
    int total = 0;
    for (int c : codes) total += ApptCodes()[c].weight;
    int r = static_cast<int>(rng_.Below(static_cast<uint64_t>(total)));
    for (int c : codes) {
      if (r < ApptCodes()[c].weight) return c;
      r -= ApptCodes()[c].weight;
    }
    return codes.front();
  }

  void FillBlock(int d, const Block& b) {
    const Producer& prod = w_->producers[b.producer];
    if (d > prod.last_day || w_->Closed(d, b.producer, b.chair, b.loc)) return;
    const int fill = d <= w_->today ? 880 : std::max(100, 880 - 12 * (d - w_->today));
    const std::vector<int>& codes = prod.type == 'H' ? hyg_codes_ : dent_codes_;
    int t = Minutes(b.start);
    const int end = Minutes(b.end);
    while (t + 20 <= end) {
      if (!rng_.PerMille(fill)) {
        t += 5 * static_cast<int>(rng_.Range(1, 3));
        continue;
      }
      const ApptCode& code = ApptCodes()[PickCode(codes)];
      int slots = code.slots + static_cast<int>(rng_.Range(0, 2));
      if (t + slots * 5 > end) slots = (end - t) / 5;
      if (slots < 4) break;
      const int closed_until = PartialClosureEnd(d, b.producer, b, t, t + slots * 5);
      if (closed_until >= 0) {
        t = std::max(closed_until, t + 5);
        continue;
      }
      AddAppointment(d, b, code, slots, t);
      t += slots * 5;
    }
  }

  void AddAppointment(int d, const Block& b, const ApptCode& code, int slots, int minute) {
    int made = rng_.PerMille(100) ? d : d - static_cast<int>(rng_.Range(1, 60));
    made = std::min(std::max(made, w_->first), w_->today);
    const int32_t patient = PickPatient(std::min(made, d), b.producer);
    if (patient < 0) return;
    const Patient& pat = w_->patients[patient];
    made = std::max<int>(made, pat.open_day);

    Appt a{};
    a.patient = patient;
    a.day = d;
    a.made_day = made;
    a.time = static_cast<int32_t>(Hhmmss(minute));
    a.slots = static_cast<int16_t>(slots);
    a.chair = static_cast<int16_t>(b.chair);
    a.loc = b.loc;
    a.producer = static_cast<uint8_t>(b.producer);
    a.code = static_cast<uint8_t>(&code - ApptCodes().data());
    const bool new_patient = d - pat.open_day < 45;
    const char* type = new_patient ? "NP"
                       : code.who == 'H' ? (rng_.PerMille(800) ? "HYG" : "RAP")
                       : std::strcmp(code.code, "URG") == 0 ? "URG"
                       : std::strcmp(code.code, "CONS") == 0 ? "CON"
                       : std::strcmp(code.code, "EXAM") == 0 ? "RAP"
                       : rng_.PerMille(850) ? "TRT" : "SUI";
    for (size_t i = 0; i < ApptTypes().size(); ++i) {
      if (std::strcmp(ApptTypes()[i].code, type) == 0) a.type = static_cast<uint8_t>(i);
    }
    std::vector<int> procs;
    for (const char* pc : ProceduresOf(code.code, &rng_)) {
      if (procs.empty() || rng_.PerMille(500)) procs.push_back(ProcIndex(pc));
    }
    for (int p : procs) a.fee += Procedures()[p].fee + Procedures()[p].lab;

    a.status = 'B';
    if (d <= w_->today) {
      const int r = static_cast<int>(rng_.Below(1000));
      if (r < 30) {
        a.status = 'N';
        a.event_day = d;
      } else if (r < 75) {
        a.status = 'C';
        a.event_day = std::max(made, d - static_cast<int>(rng_.Range(0, 7)));
      } else if (r < 90) {
        a.status = 'U';
        a.event_day = std::max(made, d - static_cast<int>(rng_.Range(0, 14)));
      }
    } else if (rng_.PerMille(20)) {
      a.status = 'C';
      a.event_day = static_cast<int32_t>(rng_.Range(made, w_->today));
    }
    if (a.status == 'B' && rng_.PerMille(6)) {
      a.del_day = static_cast<int32_t>(rng_.Range(made, std::min(d, w_->today)));
    }
    w_->appts.push_back(a);

    if (a.status == 'N' && rng_.PerMille(400)) {
      w_->office_charges.push_back({patient, d, 5000, 0, a.producer});
    }
    if (a.status == 'B' && a.del_day == 0 && d <= w_->today) Visit(d, a, procs);
  }

  // Payments of a bill: the patient's part (usually on the day), the insurer's later.
  void Pay(int d, int32_t patient, uint8_t producer, int32_t total, int32_t ins) {
    const Patient& p = w_->patients[patient];
    const int32_t own = total - ins;
    if (own > 0 && !rng_.PerMille(30)) {
      const int day = rng_.PerMille(850) ? d : d + static_cast<int>(rng_.Range(7, 45));
      if (day <= w_->today) {
        static const char* kCodes[] = {"COMPT", "CHQ", "DEBIT", "DEBIT", "DEBIT", "VISA", "VISA", "MC"};
        static const char kMethods[] = {'C', 'Q', 'D', 'D', 'D', 'V', 'V', 'V'};
        const int m = static_cast<int>(rng_.Below(8));
        AddPayment({p.account, patient, day, 0, own, static_cast<uint8_t>(PaymentCodeIndex(kCodes[m])), producer,
                    'P', 'P', kMethods[m]});
      }
    }
    if (ins > 0) {
      const int day = d + static_cast<int>(rng_.Range(3, 30));
      if (day <= w_->today) {
        const bool eft = rng_.PerMille(700);
        AddPayment({p.account, patient, day, 0, ins, static_cast<uint8_t>(PaymentCodeIndex(eft ? "TEF" : "ASSUR")),
                    producer, 'P', 'I', eft ? 'E' : 'Q'});
      }
    }
  }

  void AddPayment(Payment pay) {
    if (rng_.PerMille(5)) pay.del_day = std::min<int32_t>(pay.day + static_cast<int32_t>(rng_.Range(0, 5)), w_->today);
    w_->payments.push_back(pay);
  }

  void Visit(int d, const Appt& a, const std::vector<int>& procs) {
    Patient& pat = w_->patients[a.patient];
    const int coverage = pat.policy != 0 ? 70 + static_cast<int>(pat.policy % 3) * 5 : 0;
    Claim claim{a.patient, d, 100000 + static_cast<int32_t>(w_->claims.size()), pat.policy, a.fee, a.producer,
                'P'};
    if (pat.policy != 0) claim.status = rng_.PerMille(10) ? 'R' : (d < w_->today - 30 ? 'P' : 'S');
    w_->claims.push_back(claim);
    const int32_t claim_id = static_cast<int32_t>(w_->claims.size());
    int32_t ins_total = 0;
    for (int p : procs) {
      const Procedure& pr = Procedures()[p];
      Treatment t{};
      t.claim = claim_id;
      t.patient = a.patient;
      t.day = t.created_day = d;
      t.fee = pr.fee;
      t.lab = pr.lab;
      t.ins = claim.status == 'R' ? 0 : (pr.fee + pr.lab) * coverage / 100;
      t.tooth = static_cast<int16_t>(pr.who == 'D' ? 10 * rng_.Range(1, 4) + rng_.Range(1, 8) : 0);
      t.procedure = static_cast<uint8_t>(p);
      t.producer = a.producer;
      t.status = 'C';
      ins_total += t.ins;
      w_->treatments.push_back(t);
      if (pr.who == 'D' && pr.code[0] != '0' && rng_.PerMille(500)) {
        w_->chart_treatments.push_back({a.patient, d, static_cast<uint8_t>(p), a.producer, t.tooth, 'C'});
      }
    }
    pat.last_claim_day = d;
    pat.last_visit_day = d;
    Pay(d, a.patient, a.producer, a.fee, ins_total);

    if (rng_.PerMille(30)) {  // courtesy discount, 10 %
      AddPayment({pat.account, a.patient, d, 0, -(a.fee / 10), static_cast<uint8_t>(PaymentCodeIndex("ESC")),
                  a.producer, 'A', 'P', ' '});
    } else if (rng_.PerMille(5)) {  // cheque returned: fee charged
      const int day = std::min(d + static_cast<int>(rng_.Range(5, 20)), w_->today);
      AddPayment({pat.account, a.patient, day, 0, 2500, static_cast<uint8_t>(PaymentCodeIndex("NSF")), a.producer,
                  'A', 'P', ' '});
    } else if (rng_.PerMille(3)) {  // small balance written off
      AddPayment({pat.account, a.patient, d, 0, -static_cast<int32_t>(rng_.Range(100, 2500)),
                  static_cast<uint8_t>(PaymentCodeIndex("RADI")), a.producer, 'A', 'P', ' '});
    }
    if (rng_.PerMille(60)) {
      static const int32_t kAmounts[] = {0, 2000, 500, 25000, 1500, 15000};
      const uint8_t c = static_cast<uint8_t>(rng_.Range(1, 5));
      w_->office_charges.push_back({a.patient, d, kAmounts[c], c, a.producer});
    }
    if (w_->producers[a.producer].type == 'H' && rng_.PerMille(250)) {
      w_->perio.push_back({a.patient, d, static_cast<uint16_t>(10 * rng_.Range(1, 4) + rng_.Range(1, 8))});
    }
    if (w_->producers[a.producer].type == 'D') {
      if (rng_.PerMille(80)) Plan(d, a);
      if (rng_.PerMille(40)) Propose(d, a);
    }
  }

  // A treatment plan: planned items (status 'P') on a plan claim; each item
  // is later started ('I') and completed ('C'), done at once ('C'), left
  // pending or deleted.
  void Plan(int d, const Appt& a) {
    const Patient& pat = w_->patients[a.patient];
    w_->claims.push_back({a.patient, d, 100000 + static_cast<int32_t>(w_->claims.size()), pat.policy, 0, a.producer,
                          'T'});
    const int32_t claim_id = static_cast<int32_t>(w_->claims.size());
    const int items = static_cast<int>(rng_.Range(1, 3));
    for (int i = 0; i < items; ++i) {
      const int p = planned_[rng_.Below(planned_.size())];
      const Procedure& pr = Procedures()[p];
      Treatment t{};
      t.claim = claim_id;
      t.patient = a.patient;
      t.day = t.created_day = d;
      t.fee = pr.fee;
      t.lab = pr.lab;
      t.ins = pat.policy != 0 ? (pr.fee + pr.lab) / 2 : 0;
      t.tooth = static_cast<int16_t>(10 * rng_.Range(1, 4) + rng_.Range(1, 8));
      t.procedure = static_cast<uint8_t>(p);
      t.producer = a.producer;
      t.status = 'P';
      w_->claims.back().total += pr.fee + pr.lab;
      const int32_t ref = static_cast<int32_t>(w_->treatments.size());
      const int r = static_cast<int>(rng_.Below(100));
      if (r < 35) {
        const int started = d + static_cast<int>(rng_.Range(3, 60));
        if (started <= w_->today) {
          w_->plan_steps.push_back({ref, started, 'I', 'P'});
          t.status = 'I';
          t.day = started;
          const int done = started + static_cast<int>(rng_.Range(7, 60));
          if (done <= w_->today) {
            w_->plan_steps.push_back({ref, done, 'C', 'I'});
            t.status = 'C';
            t.day = done;
          }
        }
      } else if (r < 55) {
        const int done = d + static_cast<int>(rng_.Range(7, 90));
        if (done <= w_->today) {
          w_->plan_steps.push_back({ref, done, 'C', 'P'});
          t.status = 'C';
          t.day = done;
        }
      } else if (r >= 90) {
        const int gone = d + static_cast<int>(rng_.Range(1, 120));
        if (gone <= w_->today) t.del_day = gone;
      }
      w_->treatments.push_back(t);
      if (t.status == 'C') Pay(t.day, a.patient, a.producer, t.fee + t.lab, t.ins);
    }
  }

  // A proposal: items presented (no status), then considered ('I'),
  // approved ('A') or refused ('R').
  void Propose(int d, const Appt& a) {
    w_->proposals.push_back({a.patient, d, static_cast<uint8_t>(rng_.Below(ProposalTitles().size())), a.producer, ' '});
    const int32_t proposal = static_cast<int32_t>(w_->proposals.size());
    const int items = static_cast<int>(rng_.Range(1, 3));
    char overall = '\0';
    for (int i = 0; i < items; ++i) {
      const int p = proposed_[rng_.Below(proposed_.size())];
      ProposalItem it{proposal, a.patient, d, Procedures()[p].fee + Procedures()[p].lab, 0,
                      static_cast<uint8_t>(p), a.producer, '\0'};
      const int32_t ref = static_cast<int32_t>(w_->proposal_items.size());
      auto step = [&](int day, char next) {
        if (day > w_->today) return false;
        w_->proposal_steps.push_back({ref, day, next, it.status});
        it.status = next;
        return true;
      };
      const int r = static_cast<int>(rng_.Below(100));
      if (r < 30) {
        const int considered = d + static_cast<int>(rng_.Range(2, 30));
        if (step(considered, 'I')) step(considered + static_cast<int>(rng_.Range(5, 60)), rng_.PerMille(600) ? 'A' : 'R');
      } else if (r < 60) {
        step(d + static_cast<int>(rng_.Range(1, 45)), 'A');
      } else if (r < 80) {
        step(d + static_cast<int>(rng_.Range(3, 60)), 'R');
      }
      if (rng_.PerMille(30)) it.del_day = std::min(d + static_cast<int>(rng_.Range(1, 90)), w_->today);
      if (it.status == 'A') overall = 'A';
      w_->proposal_items.push_back(it);
    }
    w_->proposals.back().status = overall == 'A' ? 'A' : ' ';
  }

  World* w_;
  Rng rng_;
  std::vector<int32_t> open_days_;
  std::vector<int> dent_codes_, hyg_codes_, planned_, proposed_;
};

}  // namespace

void BuildVisits(World* w) { VisitBuilder(w).Run(); }

}  // namespace demo
