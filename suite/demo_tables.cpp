// Writes the demo practice's tables (all but the audit trail) from the
// in-memory world, in the schema's column order, through the bulk loader.
#include <algorithm>
#include <cstdio>

#include "suite/demo_internal.h"
#include "suite/presets.h"

namespace demo {
namespace {

std::string Str(char c) { return c == '\0' || c == ' ' ? std::string() : std::string(1, c); }

long DateOrZero(int day) { return day == 0 ? 0 : DateOf(day); }

std::string Phone(uint64_t n) {
  static const char* kAreas[] = {"418", "514", "450", "819", "581"};
  char buf[20];
  std::snprintf(buf, sizeof buf, "%s-555-%04u", kAreas[n % 5], static_cast<unsigned>(n * 7919 % 10000));
  return buf;
}

std::string Surface(uint64_t n) {
  static const char* kSurfaces[] = {"", "O", "MO", "DO", "MOD", "B", "L", "OL"};
  return kSurfaces[n % 8];
}

class Writer {
 public:
  Writer(GenDB* db, DemoSummary* summary, std::string* error) : db_(db), summary_(summary), error_(error) {}
  bool ok() const { return ok_; }

  // Runs fill(writer) over a new writer of the table and records its rows.
  template <class Fill>
  void Table(const char* table, Fill fill) {
    if (!ok_) return;
    TableWriter out(db_, table, error_);
    if (!out.ok()) {
      ok_ = false;
      return;
    }
    fill(out);
    ok_ = out.Finish();
    if (ok_) summary_->rows.emplace_back(table, out.rows());
  }

 private:
  GenDB* db_;
  DemoSummary* summary_;
  std::string* error_;
  bool ok_ = true;
};

void WriteFrame(Writer* wr, const World& w) {
  wr->Table("LOCATION", [&](TableWriter& o) {
    o.Int(1).Text("A").Text("Clinique dentaire du Boulevard").Text("2450, boul. Laurier").Text("Québec").EndRow();
    o.Int(2).Text("B").Text("Succursale de Lévis").Text("5700, boul. de la Rive-Sud").Text("Lévis").EndRow();
  });
  wr->Table("PRODCD", [&](TableWriter& o) {
    for (size_t i = 0; i < w.producers.size(); ++i) {
      const Producer& p = w.producers[i];
      o.Int(i + 1).Text(p.code).Text(p.first).Text(p.last).Text(std::string(1, p.type)).Text(p.inactive ? "Y" : "N");
      o.Text(std::to_string(10000 + 37 * i)).Text(std::string(1, p.loc)).EndRow();
    }
  });
  wr->Table("CHAIR", [&](TableWriter& o) {
    for (size_t i = 0; i < w.chairs.size(); ++i) {
      const Chair& c = w.chairs[i];
      o.Int(i + 1).Text(std::string(1, c.loc)).Int(c.number).Text(c.title).Text(c.shared ? "Y" : "N");
      o.Text(c.producer).Text("N").EndRow();
    }
  });
  wr->Table("PRDSCH", [&](TableWriter& o) {
    for (size_t p = 0; p < w.producers.size(); ++p) {
      std::vector<int> chairs;
      for (const Block& b : w.blocks) {
        if (b.producer == static_cast<int>(p) && std::find(chairs.begin(), chairs.end(), b.chair) == chairs.end()) {
          chairs.push_back(b.chair);
        }
      }
      std::string list;
      for (int c : chairs) list += (list.empty() ? "" : ",") + std::to_string(c);
      o.Int(p + 1).Text(w.producers[p].code).Int(DateOf(w.first - 365)).Text(list).EndRow();
    }
  });
  wr->Table("PRDSCHD", [&](TableWriter& o) {
    for (size_t i = 0; i < w.blocks.size(); ++i) {
      const Block& b = w.blocks[i];
      o.Int(i + 1).Int(b.producer + 1).Text(w.ProducerCode(b.producer)).Int(b.dow).Int(b.chair);
      o.Text(std::string(1, b.loc)).Int(b.start).Int(b.end).EndRow();
    }
  });
  wr->Table("CALDAT", [&](TableWriter& o) {
    for (size_t i = 0; i < w.closures.size(); ++i) {
      const Closure& c = w.closures[i];
      o.Int(i + 1).Int(DateOf(c.day)).Text(std::string(1, c.loc)).Int(c.chair).Text(c.producer);
      o.Text(std::string(1, c.kind)).Int(c.start).Int(c.end).Text(c.desc).EndRow();
    }
  });
  wr->Table("SCHEDULR", [&](TableWriter& o) {
    o.Int(1).Int(10).Int(DateOf(w.unit_change_day)).Int(15).Int(60000).EndRow();
  });
  wr->Table("OFFHOURS", [&](TableWriter& o) {
    static const char* kHours[7][6] = {
        {"", "", "", "", "", ""},
        {"08:00", "12:00", "13:00", "20:00", "", ""},
        {"08:00", "12:00", "13:00", "20:00", "", ""},
        {"08:00", "12:00", "13:00", "20:00", "", ""},
        {"08:00", "12:00", "13:00", "20:00", "", ""},
        {"08:00", "12:00", "12:30", "16:00", "", ""},
        {"09:00", "13:00", "", "", "", ""}};
    for (int d = 0; d < 7; ++d) {
      o.Int(d);
      for (const char* t : kHours[d]) o.Text(t);
      o.EndRow();
    }
  });
  wr->Table("USERIDCD", [&](TableWriter& o) {
    for (size_t i = 0; i < w.users.size(); ++i) {
      o.Int(i + 1).Text(w.users[i].logon).Text(w.users[i].name).Text(w.users[i].group).Text("N").EndRow();
    }
  });
  wr->Table("MCBCD", [&](TableWriter& o) {
    for (size_t i = 0; i < ApptCodes().size(); ++i) {
      const ApptCode& c = ApptCodes()[i];
      o.Int(i + 1).Text(c.code).Text(c.desc).Int(c.slots).Int(c.slots * 1500).EndRow();
    }
  });
  wr->Table("APTCODE", [&](TableWriter& o) {
    for (size_t i = 0; i < ApptTypes().size(); ++i) {
      o.Int(i + 1).Text(ApptTypes()[i].code).Text(ApptTypes()[i].desc).Int(0x3366CC + 0x1F2F * i).EndRow();
    }
  });
  wr->Table("PROCEDU2", [&](TableWriter& o) {
    for (size_t i = 0; i < Procedures().size(); ++i) {
      const Procedure& p = Procedures()[i];
      o.Int(i + 1).Text(p.code).Text(std::string(p.code) + "-00").Text(p.desc_fr).Text(p.desc_en).Int(p.fee);
      o.EndRow();
    }
  });
  wr->Table("ALERTD2", [&](TableWriter& o) {
    for (size_t i = 0; i < AlertCodes().size(); ++i) {
      o.Int(i + 1).Text(AlertCodes()[i].code).Int(DateOf(w.first - 2000)).Text(AlertCodes()[i].desc).EndRow();
    }
  });
  wr->Table("REFERCD", [&](TableWriter& o) {
    for (size_t i = 0; i < w.referrer_names.size(); ++i) {
      const std::string& n = w.referrer_names[i];
      char code[32];
      std::snprintf(code, sizeof code, "R%03zu", i + 1);
      o.Int(i + 1).Text(code).Text(n.substr(0, n.find('|'))).Text(n.substr(n.find('|') + 1)).Text(Phone(i)).EndRow();
    }
  });
  wr->Table("EMPPOL", [&](TableWriter& o) {
    for (size_t i = 0; i < w.policies.size(); ++i) {
      const std::string& p = w.policies[i];
      const size_t a = p.find('|'), b = p.rfind('|');
      o.Int(i + 1).Text(p.substr(0, a)).Text(p.substr(a + 1, b - a - 1)).Text(p.substr(b + 1)).Int(70 + 5 * (i % 3));
      o.EndRow();
    }
  });
  wr->Table("GOALS", [&](TableWriter& o) {
    for (size_t i = 0; i < w.goals.size(); ++i) {
      const Goal& g = w.goals[i];
      o.Int(i + 1).Int(g.year * 10000L + 105).Text(g.producer).Int(g.year);
      for (int32_t m : g.months) o.Int(m);
      o.EndRow();
    }
  });
}

void WritePeople(Writer* wr, const World& w) {
  wr->Table("ACCOUNT", [&](TableWriter& o) {
    for (size_t i = 0; i < w.accounts.size(); ++i) {
      const Account& a = w.accounts[i];
      char postal[32];
      std::snprintf(postal, sizeof postal, "G%dV %dK%d", static_cast<int>(i % 9 + 1), static_cast<int>(i * 7 % 10),
                    static_cast<int>(i * 3 % 10));
      o.Int(i + 1).Text(w.FirstName(a.head)).Text(w.LastName(a.head));
      o.Text(std::to_string(100 + i * 37 % 9000) + ", " + Streets()[a.street]).Text(Cities()[a.city]).Text("QC");
      o.Text(postal).Text(Phone(i)).Int(DateOf(a.open_day)).Int(a.balance).EndRow();
    }
  });
  wr->Table("PATIENT", [&](TableWriter& o) {
    for (size_t i = 0; i < w.patients.size(); ++i) {
      const Patient& p = w.patients[i];
      const std::string& doctor = w.ProducerCode(p.doctor);
      int last_claim = p.last_claim_day;
      if (last_claim == 0 && p.open_day < w.first) {
        last_claim = p.open_day + static_cast<int>((i * 2654435761u) % static_cast<uint64_t>(w.first - p.open_day));
      }
      o.Int(i + 1).Int(p.account).Text(w.FirstName(static_cast<int32_t>(i))).Text(w.LastName(static_cast<int32_t>(i)));
      o.Text(std::string(1, p.sex)).Int(p.birth).Text(doctor.empty() ? "" : doctor.substr(1));
      o.Text(w.ProducerCode(p.hygienist)).Text(std::string(1, p.status)).Int(DateOf(p.open_day));
      o.Int(DateOrZero(last_claim)).Int(DateOrZero(p.last_visit_day)).Int(DateOrZero(p.delete_day));
      o.Text(Phone(i + 17)).Int(p.referrer).Int(p.policy).EndRow();
    }
  });
  wr->Table("PATIENT2", [&](TableWriter& o) {
    for (size_t i = 0; i < w.patients.size(); ++i) {
      o.Int(i + 1).Int(i + 1).Text(w.FirstName(static_cast<int32_t>(i))).Text(w.LastName(static_cast<int32_t>(i)));
      o.Int(DateOf(w.patients[i].open_day)).EndRow();
    }
  });
  wr->Table("PATANS", [&](TableWriter& o) {
    static const char* kForms[] = {"MED01", "CONS1", "ADM01", "TRANS", "SAT01"};
    for (size_t i = 0; i < w.forms.size(); ++i) {
      const DatedRef& f = w.forms[i];
      o.Int(i + 1).Int(f.patient + 1).Text(kForms[f.what % 5]).Int(DateOf(f.day)).Text("C").EndRow();
    }
  });
  wr->Table("DMDOC", [&](TableWriter& o) {
    for (size_t i = 0; i < w.documents.size(); ++i) {
      const DatedRef& d = w.documents[i];
      char file[64];
      std::snprintf(file, sizeof file, "documents/%06d/doc%06zu.pdf", d.patient + 1, i + 1);
      o.Int(i + 1).Int(d.patient + 1).Int(DateOf(d.day)).Text(d.what == 1 ? "Radiographies" : "Documents");
      o.Text(DocumentTitles()[d.what]).Text(file).EndRow();
    }
  });
  wr->Table("PATPPLN", [&](TableWriter& o) {
    for (size_t i = 0; i < w.plans.size(); ++i) {
      const PaymentPlan& p = w.plans[i];
      o.Int(i + 1).Int(p.patient + 1).Int(p.account).Int(DateOf(p.start)).Int(p.amount).Int(p.instalment);
      o.Int(p.count).Int(0).EndRow();
    }
  });
  wr->Table("ALERTP2", [&](TableWriter& o) {
    for (size_t i = 0; i < w.alerts.size(); ++i) {
      o.Int(i + 1).Int(w.alerts[i].patient + 1).Int(w.alerts[i].what + 1).Int(DateOf(w.alerts[i].day)).EndRow();
    }
  });
  wr->Table("ANSWER2", [&](TableWriter& o) {
    static const char* kAnswers[] = {"Non", "Oui", "Parfois", "Je ne sais pas"};
    for (size_t i = 0; i < w.answers.size(); ++i) {
      const DatedRef& a = w.answers[i];
      o.Int(i + 1).Int(a.patient + 1).Int(DateOf(a.day)).Text(Questions()[a.what]).Text(kAnswers[i % 4]).EndRow();
    }
  });
  wr->Table("PERIOP2", [&](TableWriter& o) {
    for (size_t i = 0; i < w.perio.size(); ++i) {
      const DatedRef& p = w.perio[i];
      std::string depths, bleeding;
      for (int s = 0; s < 6; ++s) {
        depths += static_cast<char>('1' + (i * 31 + s * 7) % 5);
        bleeding += (i + s) % 4 == 0 ? 'Y' : 'N';
      }
      o.Int(i + 1).Int(p.patient + 1).Int(DateOf(p.day)).Int(p.what).Text(depths).Text(bleeding).EndRow();
    }
  });
}

void WriteVisits(Writer* wr, const World& w) {
  wr->Table("PATAPT", [&](TableWriter& o) {
    for (size_t i = 0; i < w.appts.size(); ++i) {
      const Appt& a = w.appts[i];
      o.Int(i + 1).Int(a.patient + 1).Int(DateOf(a.day)).Int(a.time).Int(a.slots).Text(w.ProducerCode(a.producer));
      o.Int(a.chair).Text(std::string(1, a.loc)).Text(std::string(1, a.status)).Text(ApptTypes()[a.type].code);
      o.Text(ApptCodes()[a.code].code).Int(a.fee).Int(DateOrZero(a.del_day)).Int(DateOf(a.made_day));
      o.Text(i % 23 == 0 ? "Préfère les rendez-vous du matin" : "").EndRow();
    }
  });
  wr->Table("PATCLM", [&](TableWriter& o) {
    for (size_t i = 0; i < w.claims.size(); ++i) {
      const Claim& c = w.claims[i];
      o.Int(i + 1).Int(c.patient + 1).Int(DateOf(c.day)).Int(c.number).Text(w.ProducerCode(c.producer));
      o.Int(c.policy).Int(c.total).Text(Str(c.status)).Int(0).EndRow();
    }
  });
  wr->Table("CLMTRT", [&](TableWriter& o) {
    for (size_t i = 0; i < w.treatments.size(); ++i) {
      const Treatment& t = w.treatments[i];
      const Procedure& p = Procedures()[t.procedure];
      o.Int(i + 1).Int(t.claim).Int(t.patient + 1).Int(DateOf(t.day)).Int(w.claims[t.claim - 1].number);
      o.Text(p.code).Text(p.desc_fr).Int(t.tooth).Text(t.tooth ? Surface(i) : "").Text(Str(t.status));
      o.Text(w.ProducerCode(t.producer)).Int(t.fee).Int(t.lab).Int(t.fee + t.lab).Int(t.ins);
      o.Int(DateOrZero(t.del_day)).EndRow();
    }
  });
  wr->Table("ACCPMT", [&](TableWriter& o) {
    for (size_t i = 0; i < w.payments.size(); ++i) {
      const Payment& p = w.payments[i];
      const Named& code = PaymentCodes()[p.code];
      o.Int(i + 1).Int(p.account).Int(p.patient + 1).Int(DateOf(p.day)).Int(500000 + static_cast<int64_t>(i));
      o.Text(Str(p.kind)).Text(code.code).Text(code.desc).Text(Str(p.source)).Text(Str(p.method)).Int(p.amount);
      o.Text(w.ProducerCode(p.producer)).Int(DateOrZero(p.del_day)).EndRow();
    }
  });
  wr->Table("PATOCH", [&](TableWriter& o) {
    for (size_t i = 0; i < w.office_charges.size(); ++i) {
      const OfficeCharge& c = w.office_charges[i];
      const Named& code = OfficeChargeCodes()[c.code];
      o.Int(i + 1).Int(c.patient + 1).Int(DateOf(c.day)).Int(700000 + static_cast<int64_t>(i)).Text(code.code);
      o.Text(code.desc).Int(c.amount).Text(w.ProducerCode(c.producer)).Int(0).EndRow();
    }
  });
  wr->Table("TXPROP", [&](TableWriter& o) {
    for (size_t i = 0; i < w.proposals.size(); ++i) {
      const Proposal& p = w.proposals[i];
      o.Int(i + 1).Int(p.patient + 1).Int(DateOf(p.day)).Text(ProposalTitles()[p.title]);
      o.Text(w.ProducerCode(p.producer)).Text(Str(p.status)).EndRow();
    }
  });
  wr->Table("TXPTRT", [&](TableWriter& o) {
    for (size_t i = 0; i < w.proposal_items.size(); ++i) {
      const ProposalItem& it = w.proposal_items[i];
      const Procedure& p = Procedures()[it.procedure];
      o.Int(i + 1).Int(it.proposal).Int(it.patient + 1).Int(DateOf(it.day)).Text(p.code).Text(p.desc_fr);
      o.Text(w.ProducerCode(it.producer)).Int(it.total).Text(Str(it.status)).Int(DateOrZero(it.del_day)).EndRow();
    }
  });
  wr->Table("TREATME2", [&](TableWriter& o) {
    for (size_t i = 0; i < w.chart_treatments.size(); ++i) {
      const ChartTreatment& t = w.chart_treatments[i];
      o.Int(i + 1).Int(t.patient + 1).Int(t.procedure + 1).Int(DateOf(t.day)).Int(t.tooth).Text(Surface(i + 3));
      o.Text(Str(t.status)).Text(w.ProducerCode(t.producer)).EndRow();
    }
  });
}

// The reports an office manager runs every week or month, saved by the
// administrator today: one preset per analysis.
void WritePresets(Writer* wr, const World& w) {
  const std::string year = std::to_string(YearOf(w.today));
  const std::string last_year = std::to_string(YearOf(w.today) - 1);
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  auto preset = [](const char* analysis, const char* name, PeriodRule period, Pairs keys, Pairs flags) {
    Preset p;
    p.analysis = analysis;
    p.name = name;
    p.period = period;
    p.keys = std::move(keys);
    p.flags = std::move(flags);
    return p;
  };
  const std::vector<Preset> presets = {
      preset("audit", "Journal du mois dernier", PeriodRule::kLastMonth,
             {{"AllModules", "Y"}, {"AllUsers", "Y"}, {"SumBy", "1000"}}, {{"summary", ""}}),
      preset("productivity", "Annulations du mois", PeriodRule::kMonthToDate,
             {{"ListBy", "P"}, {"AllProducers", "Y"}, {"ReportBy", "W"}, {"Cancelled", "Y"}, {"NoShows", "Y"}}, {}),
      preset("stats", "Analyse de l'année", PeriodRule::kYearToDate, {{"AllProducers", "Y"}}, {}),
      preset("goals", "Objectifs de l'année", PeriodRule::kYearToDate,
             {{"Year", year}, {"CompYear", last_year}, {"AllProducers", "Y"}, {"ReportBy", "M"}}, {}),
  };
  wr->Table("PRESETS", [&](TableWriter& o) {
    for (size_t i = 0; i < presets.size(); ++i) {
      const Preset& p = presets[i];
      o.Int(static_cast<int64_t>(i + 1)).Text(p.analysis).Text(p.name).Text(PeriodRuleCode(p.period)).Int(0).Int(0);
      o.Text(p.format).Text(PresetPairsText(p.keys)).Text(PresetPairsText(p.flags)).Text("ADMIN");
      o.Int(DateOf(w.today)).EndRow();
    }
  });
}

}  // namespace

bool WriteTables(GenDB* db, const World& w, DemoSummary* summary, std::string* error) {
  Writer wr(db, summary, error);
  WriteFrame(&wr, w);
  WritePeople(&wr, w);
  WriteVisits(&wr, w);
  WritePresets(&wr, w);
  return wr.ok();
}

}  // namespace demo
