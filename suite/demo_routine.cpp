// Routine rows of the demo audit trail: the day-to-day work of the users
// (edits of patient files, chart work, notes, printouts, utilities...),
// covering every type letter and every case of field names that the audit
// descriptions tell apart. Each row names a record that exists on its day.
//
// Routine rows never write what the analyses count: no schedule row with
// action N, C or U (missed appointments), no PATSTATUS row, no type T row
// with field info 3 and no type X row with field info 2 (case acceptance).
#include <cstdio>

#include "suite/demo_audit.h"

namespace demo {
namespace {

std::string Num(int64_t v) { return std::to_string(v); }

char PickAction(Rng* rng, const char* actions) {
  size_t n = 0;
  while (actions[n] != '\0') ++n;
  return actions[rng->Below(n)];
}

const char* YesNo(Rng* rng) { return rng->PerMille(500) ? "Y" : "N"; }

void TypeB(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  static const char* kOther[] = {"", "ADDRESS", "ADDINFO", "CUSTOM", "MISSING", "PATMOVE", "CONTACT", "PHOLDER",
                                 "PREMED", "PATEXPORT", "PATIMPORT", "PATMERGE", "PATDR", "PATHYG", "NOTES"};
  const int64_t pat = c.patients.Pick(rng, day);
  const char action = PickAction(rng, "EEEEEEEEEEEEEEAAPPCDR");
  switch (rng->Below(10)) {
    case 0: {
      static const char* kWhat[] = {"Adresse", "Téléphone", "Solde reporté", "Responsable du compte"};
      r->Set('B', action, c.accounts.Pick(rng, day));
      r->Name(0, "ACCOUNT");
      r->Info(0, kWhat[rng->Below(4)]);
      break;
    }
    case 1: {
      const int64_t id = rng->Range(1, c.w.sizes.policies);
      const std::string& policy = c.w.policies[id - 1];
      r->Set('B', action, id);
      r->Name(0, "EMPLOYER");
      r->Info(0, policy.substr(policy.rfind('|') + 1));
      break;
    }
    case 2:
      r->Set('B', 'E', 0);
      r->Name(0, "OPTIONS");
      break;
    case 3:
      r->Set('B', action, pat);
      r->Name(0, "PATEMP");
      if (rng->PerMille(700)) r->Info(0, Employers()[rng->Below(Employers().size())]);
      break;
    case 4: {
      r->Set('B', action, pat);
      r->Name(0, "PATMED");
      const int k = static_cast<int>(rng->Below(3));
      if (k == 0) r->Info(0, AlertCodes()[rng->Below(AlertCodes().size())].code);
      if (k == 1) r->Info(1, "Médecin de famille : Dr Paquette");
      break;
    }
    case 5: {
      static const char* kDrugs[] = {"Amoxicilline 500 mg, 21 comprimés", "Ibuprofène 400 mg au besoin",
                                     "Chlorhexidine 0,12 % rince-bouche", "Clindamycine 300 mg, 28 capsules"};
      r->Set('B', action, pat);
      r->Name(0, "PRESCRIP");
      r->Info(2, kDrugs[rng->Below(4)]);
      break;
    }
    case 6:
      r->Set('B', action, pat);
      r->Name(0, "PATRESP");
      r->Info(0, YesNo(rng));
      break;
    default: {
      const std::string what = kOther[rng->Below(std::size(kOther))];
      r->Set('B', action, pat);
      r->Name(0, what);
      if (what == "PHOLDER" || what == "PREMED") r->Info(0, YesNo(rng));
      if (what == "PREMED" && rng->PerMille(400)) r->Name(1, "ADDINFO");
      if (what == "PATDR") r->Info(0, c.w.producers[rng->Below(c.w.sizes.dentists)].code);
      if (what == "PATHYG") r->Info(0, c.w.producers[c.w.sizes.dentists].code);
      if (what == "PATMERGE") {
        r->Info(0, Num(c.patients.Pick(rng, day)));
        r->Info(1, LastNames()[rng->Below(LastNames().size())]);
        r->Info(2, FirstNamesF()[rng->Below(FirstNamesF().size())]);
      }
      break;
    }
  }
}

void TypeE(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  static const int64_t kModules[] = {20105, 20106, 20107, 20108, 20112, 20115, 20118, 20119, 20120, 20146,
                                     20147, 20148, 20156, 20160, 2534,  2535,  2052,  2060,  2061,  2062,
                                     2063,  2064,  2511,  2545};
  const int k = static_cast<int>(rng->Below(20));
  if (k < 12) {
    r->Set('E', rng->PerMille(500) ? 'E' : 'X', kModules[rng->Below(std::size(kModules))]);
  } else if (k < 19) {
    static const char* kWhat[] = {"", "", "Courriel : rappel de rendez-vous", "Lettre de rappel.docx",
                                  "Liste des soldes.xlsx", "Radiographie ", "Consentement.pdf", ""};
    const int64_t app = rng->Range(2, 7);
    r->Set('E', PickAction(rng, "EEXXO"), app);
    if (app >= 5) r->Name(2, Num(c.patients.Pick(rng, day)));
    r->Info(0, kWhat[app]);
    if (app == 5) r->Info(1, Num(rng->Range(11, 48)));
  } else {
    r->Set('E', 'L', 1);  // failed log-on
    r->Info(0, "Mot de passe invalide");
  }
}

void TypeF(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  static const char* kForms[] = {"Questionnaire médical", "Consentement", "Formulaire d'admission",
                                 "Autorisation de transfert", "Sondage de satisfaction"};
  const int k = static_cast<int>(rng->Below(6));
  if (k < 3) {
    const char action = PickAction(rng, "AASSRRMD");
    if (action == 'D') {
      r->Set('F', 'D', c.forms.Pick(rng, day));
    } else {
      r->Set('F', action, c.patients.Pick(rng, day));
      r->Info(0, kForms[rng->Below(5)]);
      if (rng->PerMille(500)) r->Info(1, rng->PerMille(500) ? "Complété" : "En attente");
    }
    r->Name(2, k == 0 ? "" : "0");
    r->Name(0, "PATFORM");
  } else if (k < 5) {
    r->Set('F', PickAction(rng, "AEED"), c.answers.Pick(rng, day));
    r->Name(0, "ANSWER2");
    r->Name(2, "1003");
  } else {
    r->Set('F', PickAction(rng, "AED"), rng->Range(1, 8));
    r->Name(0, "QUESTION2");
    r->Name(2, "1013");
  }
}

void TypeI(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  const int64_t pat = c.patients.Pick(rng, day);
  const std::string& policy = c.w.policies[rng->Below(c.w.policies.size())];
  const std::string insurer = policy.substr(0, policy.find('|'));
  const std::string group = policy.substr(policy.find('|') + 1, policy.rfind('|') - policy.find('|') - 1);
  const char action = PickAction(rng, "EEEAAD");
  switch (rng->Below(8)) {
    case 0:
      r->Set('I', action, action == 'D' ? pat : rng->Range(1, c.w.sizes.policies));
      r->Name(0, "EMPPOL");
      if (action != 'D') r->Name(2, rng->PerMille(900) ? Num(pat) : "0");
      r->Info(0, insurer);
      if (rng->PerMille(800)) r->Info(1, group);
      break;
    case 1:
      r->Set('I', action, pat);
      r->Name(0, "PATDEP");
      break;
    case 2:
      r->Set('I', action, pat);
      r->Name(0, "FAMINS");
      r->Info(0, insurer);
      if (rng->PerMille(700)) r->Info(1, group);
      break;
    case 3:
      r->Set('I', action, pat);
      r->Name(0, "PATEMP");
      r->Info(0, std::string("   ") + Employers()[rng->Below(Employers().size())]);
      break;
    case 4:
      r->Set('I', action, 0);
      r->Name(0, "EMPLOYER");
      r->Info(0, Employers()[rng->Below(Employers().size())]);
      break;
    case 5:
    case 6: {
      static const char* kRange[] = {"ADDMANY", "CLEAR", ""};
      r->Set('I', 'E', rng->Range(1, c.w.sizes.policies));
      r->Name(0, "POLRGE");
      r->Name(2, kRange[rng->Below(3)]);
      if (rng->PerMille(800)) r->Info(0, "01-0" + Num(rng->Range(2, 9)));
      if (rng->PerMille(800)) r->Info(1, "Couverture " + Num(rng->Range(5, 10) * 10) + " %");
      break;
    }
    default:
      r->Set('I', action, rng->Range(1, c.w.sizes.policies));
      r->Name(0, "POLFIELD");
      break;
  }
}

void TypeJ(const AuditContext& c, Rng* rng, AuditRow* r) {
  const int64_t id = rng->Range(1, 20);
  switch (rng->Below(5)) {
    case 0:
      r->Set('J', 'E', id);
      r->Name(0, "FEESCH");
      r->Name(2, "31");
      if (rng->PerMille(700)) r->Info(0, " Tarifs " + Num(YearOf(c.w.today)));
      break;
    case 1:
      r->Set('J', 'E', 1);
      r->Name(0, "PRACTICE");
      break;
    case 2:
      r->Set('J', 'E', rng->Range(1, c.w.users.size()));
      r->Name(0, "PASSWORD");
      r->Name(2, "37");
      if (rng->PerMille(600)) r->Info(0, "  " + c.w.users[rng->Below(c.w.users.size())].logon);
      break;
    default: {
      static const char* kTables[][2] = {{"PRODCD", "25"}, {"CHAIR", "21"}, {"MCBCD", "50"}, {"REFERCD", "56"},
                                         {"USERIDCD", "37"}, {"APTCODE", "50"}, {"PROVINCE", "19"}};
      const auto& t = kTables[rng->Below(std::size(kTables))];
      r->Set('J', PickAction(rng, "AED"), id);
      r->Name(0, t[0]);
      r->Name(2, t[1]);
      r->Info(0, "   Code " + Num(id));
      break;
    }
  }
}

void TypeM(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  const int64_t pat = c.patients.Pick(rng, day);
  const char action = PickAction(rng, "AEEED");
  switch (rng->Below(5)) {
    case 0:
      r->Set('M', action, pat);
      r->Name(2, "113");
      r->Name(0, "VITALS");
      r->Info(1, "Tension artérielle");
      if (rng->PerMille(800)) r->Info(2, Num(rng->Range(105, 150)) + "/" + Num(rng->Range(65, 95)));
      break;
    case 1:
      r->Set('M', action, pat);
      r->Name(0, "PATMED");
      if (rng->PerMille(700)) r->Info(0, AlertCodes()[rng->Below(AlertCodes().size())].code);
      break;
    case 2:
      r->Set('M', action, pat);
      r->Name(0, "PREMED");
      if (rng->PerMille(300)) r->Name(1, "ADDINFO");
      r->Info(0, YesNo(rng));
      break;
    default: {
      const int64_t alert = c.alerts.Pick(rng, day);
      r->Set('M', action, alert);
      r->Name(0, "ALERTP2");
      r->Name(2, "1002");
      if (alert > 0) r->Info(0, Num(c.w.alerts[alert - 1].patient + 1));
      if (rng->PerMille(500)) r->Info(2, AlertCodes()[rng->Below(AlertCodes().size())].desc);
      break;
    }
  }
}

void TypeN(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  const char action = PickAction(rng, "AAAEED");
  const int64_t pat = c.patients.Pick(rng, day);
  switch (rng->Below(12)) {
    case 0:
    case 1:
      r->Set('N', action, pat);
      r->Name(0, "PATNOTE");
      r->Name(2, "2");
      break;
    case 2:
      r->Set('N', action, c.claims.Pick(rng, day));
      r->Name(0, "CLMNOTE");
      r->Name(2, "16");
      break;
    case 3:
      r->Set('N', action, c.appts.Pick(rng, day));
      r->Name(0, "SCH");
      r->Name(2, "25");
      break;
    case 4:
      r->Set('N', action, rng->Range(1, c.w.producers.size()));
      r->Name(0, "PRODNOTE");
      r->Name(2, "25");
      break;
    case 5:
      r->Set('N', action, rng->Range(1, c.w.users.size()));
      r->Name(0, "USRNOTE");
      r->Name(2, "37");
      break;
    case 6: {
      static const char* kKinds[] = {"17", "86", "87", "8"};
      r->Set('N', action, pat);
      r->Name(0, "TXNOTE");
      r->Name(2, kKinds[rng->Below(4)]);
      break;
    }
    case 7:
      r->Set('N', action, rng->PerMille(900) ? rng->Range(1, c.w.sizes.referrers) : 0);
      r->Name(0, "REFNOTE");
      r->Name(2, "56");
      break;
    case 8:
    case 9:
      r->Set('N', action, pat);
      r->Name(0, "CHTNOTE");
      r->Name(2, "1007");
      if (rng->PerMille(500)) r->Info(0, Num(rng->Range(1, 300)));
      break;
    case 10:
      r->Set('N', action, pat);
      r->Name(0, "RCLNOTE");
      r->Name(2, "8");
      break;
    default:
      r->Set('N', action, pat);
      r->Name(0, "PATNOTE");
      r->Name(2, rng->PerMille(500) ? "" : "17");
      break;
  }
}

void TypeS(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  const int k = static_cast<int>(rng->Below(25));
  if (k == 0) {
    r->Set('S', 'E', 0);
    r->Name(0, "OPTIONS");
    return;
  }
  if (k == 1) {
    const Producer& p = c.w.producers[rng->Below(c.w.producers.size())];
    r->Set('S', 'E', 1);
    r->Name(0, "APPTUTILS");
    r->Info(0, p.code + " : A0" + Num(rng->Range(1, 4)) + " -> A0" + Num(rng->Range(5, 9)));
    return;
  }
  const int64_t id = c.appts.Pick(rng, day);
  if (id == 0) {
    r->Set('S', 'E', 0);
    r->Name(0, "OPTIONS");
    return;
  }
  const Appt& a = c.w.appts[id - 1];
  r->Set('S', PickAction(rng, "EEEEERRSSX"), id);
  r->Name(0, "PATAPT");
  r->Info(0, ApptInfo1(c.w, a, 'B'));
  r->Info(1, ApptCodes()[a.code].code);
}

void TypeT(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  const int k = static_cast<int>(rng->Below(10));
  if (k == 0) {
    r->Set('T', 'E', 0);
    r->Name(0, "OPTIONS");
  } else if (k < 4) {
    r->Set('T', PickAction(rng, "EEERRVPD"), c.claims.Pick(rng, day));
    r->Name(0, "PATCLM");
  } else if (k < 8) {
    const int64_t id = c.treatments.Pick(rng, day);
    r->Set('T', PickAction(rng, "EEERVPUX"), id);
    r->Name(0, "CLMTRT");
    if (id > 0) r->Info(1, Procedures()[c.w.treatments[id - 1].procedure].code);
  } else {
    const int64_t id = c.treatments.Pick(rng, day);
    r->Set('T', 'E', id);
    r->Name(0, "PREDEOB");
    if (rng->PerMille(900) && id > 0) {
      const Treatment& t = c.w.treatments[id - 1];
      const long total = t.fee + t.lab;
      const long paid = t.ins > 0 ? t.ins : total * 6 / 10;
      char packed[64];
      std::snprintf(packed, sizeof packed, "%08ld%08ld%03ld", total, paid, total > 0 ? paid * 100 / total : 0);
      r->Name(1, packed);
    }
  }
}

void TypeU(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  const long date = DateOf(day - static_cast<int>(rng->Range(30, 400)));
  switch (rng->Below(17)) {
    case 0: r->Set('U', 'D', rng->Range(0, 300)); r->Name(0, "TXPPURGE"); break;
    case 1: r->Set('U', 'D', date); r->Name(0, "RESPPURGE"); break;
    case 2: r->Set('U', 'D', date); r->Name(0, "PENDPURGE"); break;
    case 3: r->Set('U', 'D', date); r->Name(0, "HISTPURGE"); break;
    case 4: r->Set('U', 'R', rng->Range(0, 40)); r->Name(0, "TRXHELD"); break;
    case 5: r->Set('U', 'E', rng->Range(0, 200)); r->Name(0, "TRXINSBAL"); break;
    case 6: r->Set('U', 'E', 0); r->Name(0, "TRXINTCHG"); break;
    case 7: r->Set('U', 'R', rng->Range(0, 500)); r->Name(0, "TRXSTATUS"); break;
    case 8: r->Set('U', 'E', rng->Range(0, 30)); r->Name(0, "TRXPPLN"); break;
    case 9:
    case 15:
    case 16: {
      const int64_t kind = rng->Range(0, 7);  // 7: a kind the descriptions do not know
      const int year = YearOf(day);
      r->Set('U', 'E', kind);
      r->Name(0, "FEESCH");
      if (kind == 0) {
        r->Info(0, "Tarifs " + Num(year));
        r->Info(1, "Tarifs " + Num(year - 1));
      } else if (kind == 1) {
        r->Info(0, "Tarifs " + Num(year));
        r->Info(1, rng->PerMille(800) ? Num(rng->Range(100, 600)) : "3,5");
      } else if (kind == 3 || kind == 6) {
        r->Info(0, "Tarifs " + Num(year - 2));
        if (kind == 6 && rng->PerMille(500)) r->Info(1, "MCBCD");
      } else if (kind == 4 && rng->PerMille(700)) {
        r->Info(0, "ACDQ " + Num(year));
      }
      break;
    }
    case 10: {
      const int64_t hyg = rng->Range(0, 1);
      r->Set('U', 'E', hyg);
      r->Name(0, "CHANGEDR");
      const int base = hyg == 1 ? c.w.sizes.dentists : 0;
      r->Info(0, c.w.producers[base].code);
      r->Info(1, c.w.producers[base + 1].code);
      break;
    }
    case 11: r->Set('U', 'E', rng->Range(1, c.w.sizes.policies)); r->Name(0, "MERGEPOL"); break;
    case 12: r->Set('U', 'D', rng->Range(0, 900)); r->Name(0, rng->PerMille(500) ? "PLNPURGE" : "NOTPURGE"); break;
    case 13: r->Set('U', 'E', 0); r->Name(0, "OPTIONS"); break;
    default: r->Set('U', 'R', 0); r->Name(0, "REINDEX"); break;
  }
}

void TypeY(Rng* rng, AuditRow* r) {
  static const char* kTables[][3] = {{"32", "01202", "  Examen de rappel"}, {"31", "ACDQ", "  Tarifs"},
                                     {"40", "VISA", "  Carte Visa"},       {"42", "BROS", "  Brosse à dents"},
                                     {"28", "LATEX", "  Allergie latex"},  {"50", "EXAM", ""},
                                     {"21", "A01", "  Salle 1"},           {"25", "D01", ""}};
  const auto& t = kTables[rng->Below(std::size(kTables))];
  r->Set('Y', PickAction(rng, "AEEED"), rng->Range(1, 60));
  r->Name(0, "CODES");
  r->Name(2, t[0]);
  r->Info(0, t[1]);
  r->Info(1, t[2]);
}

// Weights of the type letters in routine rows (per 1000).
struct Weight {
  char type;
  int weight;
};
constexpr Weight kWeights[] = {{'B', 140}, {'S', 110}, {'T', 80}, {'C', 70}, {'N', 80}, {'P', 50}, {'L', 55},
                               {'R', 45},  {'M', 40},  {'E', 60}, {'I', 30}, {'F', 30}, {'K', 25}, {'O', 20},
                               {'A', 15},  {'D', 15},  {'G', 15}, {'Y', 15}, {'U', 25}, {'J', 10}, {'H', 8},
                               {'X', 8},   {'Q', 2}};

char PickType(Rng* rng) {
  int total = 0;
  for (const Weight& w : kWeights) total += w.weight;
  int r = static_cast<int>(rng->Below(static_cast<uint64_t>(total)));
  for (const Weight& w : kWeights) {
    if (r < w.weight) return w.type;
    r -= w.weight;
  }
  return 'B';
}

}  // namespace

void RoutineRow(const AuditContext& c, Rng* rng, int day, AuditRow* r) {
  switch (PickType(rng)) {
    case 'A': r->Set('A', PickAction(rng, "EEPUV"), c.adjustments.Pick(rng, day)); r->Name(0, "ACCPMT"); break;
    case 'P': r->Set('P', PickAction(rng, "EEPPUVR"), c.payments.Pick(rng, day)); r->Name(0, "ACCPMT"); break;
    case 'B': TypeB(c, rng, day, r); break;
    case 'C': {
      const int64_t id = c.chart_treatments.Pick(rng, day);
      r->Set('C', PickAction(rng, "AAEEED"), id);
      r->Name(0, "TREATME2");
      r->Name(2, "1014");
      if (id > 0) {
        const ChartTreatment& t = c.w.chart_treatments[id - 1];
        r->Info(0, Num(t.patient + 1));
        r->Info(1, Procedures()[t.procedure].code);
      }
      break;
    }
    case 'D': {
      const int64_t id = c.perio.Pick(rng, day);
      r->Set('D', PickAction(rng, "AAEED"), id);
      r->Name(0, "PERIOP2");
      r->Name(2, "1009");
      if (id > 0) r->Info(0, Num(c.w.perio[id - 1].patient + 1));
      break;
    }
    case 'E': TypeE(c, rng, day, r); break;
    case 'F': TypeF(c, rng, day, r); break;
    case 'G': {
      const int k = static_cast<int>(rng->Below(3));
      const char action = PickAction(rng, "AAEED");
      if (k == 0) {
        const std::string& ref = c.w.referrer_names[rng->Below(c.w.referrer_names.size())];
        r->Set('G', action, c.patients.Pick(rng, day));
        r->Name(0, "PATREFER");
        r->Info(0, ref.substr(ref.find('|') + 1));
        if (rng->PerMille(400)) r->Info(1, "Orthodontie");
      } else if (k == 1) {
        r->Set('G', action, rng->Range(1, c.w.sizes.referrers));
        r->Name(0, "REFSTAFF");
      } else {
        r->Set('G', action, c.patients.Pick(rng, day));
        r->Name(0, "REF");
      }
      break;
    }
    case 'H': r->Set('H', PickAction(rng, "AEEED"), c.plans.Pick(rng, day)); r->Name(0, "PATPPLN"); break;
    case 'I': TypeI(c, rng, day, r); break;
    case 'J': TypeJ(c, rng, r); break;
    case 'K':
      if (rng->PerMille(250)) {
        r->Set('K', PickAction(rng, "AED"), rng->Range(1, 8));
        r->Name(0, "DMTAB");
        r->Info(0, rng->PerMille(500) ? "Radiographies" : "Correspondance");
      } else {
        const int64_t id = c.documents.Pick(rng, day);
        r->Set('K', PickAction(rng, "AAEDO"), id);
        r->Name(0, "DMDOC");
        if (id > 0) r->Info(0, DocumentTitles()[c.w.documents[id - 1].what]);
      }
      break;
    case 'L':
      if (rng->PerMille(30)) {
        r->Set('L', 'P', rng->PerMille(500) ? 0 : 9999);  // no report / unknown report
      } else {
        r->Set('L', rng->PerMille(300) ? 'S' : 'P', ReportIds()[rng->Below(ReportIds().size())]);
      }
      break;
    case 'M': TypeM(c, rng, day, r); break;
    case 'N': TypeN(c, rng, day, r); break;
    case 'O': r->Set('O', PickAction(rng, "EEDA"), c.office_charges.Pick(rng, day)); r->Name(0, "PATOCH"); break;
    case 'R': {
      static const char* kRecalls[] = {"Rappel 6 mois", "Rappel 12 mois", "Rappel hygiène", ""};
      r->Set('R', PickAction(rng, "AEEED"), c.patients.Pick(rng, day));
      r->Name(0, "RECALL");
      r->Info(0, kRecalls[rng->Below(4)]);
      break;
    }
    case 'S': TypeS(c, rng, day, r); break;
    case 'T': TypeT(c, rng, day, r); break;
    case 'U': TypeU(c, rng, day, r); break;
    case 'X': {
      const int64_t id = c.proposals.Pick(rng, day);
      r->Set('X', PickAction(rng, "EPD"), id > 0 ? c.w.proposals[id - 1].patient + 1 : 0);
      r->Name(0, "TXPROP");
      if (id > 0) r->Name(2, ProposalTitles()[c.w.proposals[id - 1].title]);
      break;
    }
    case 'Y': TypeY(rng, r); break;
    default:  // a letter no analysis knows: never listed
      r->Set(rng->PerMille(500) ? 'Q' : 'Z', 'E', rng->Range(1, 100));
      r->Name(0, "INCONNU");
      break;
  }
}

}  // namespace demo
