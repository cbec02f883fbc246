// DescribeRow: every type letter, every rule, gating and capacities, with a
// runner that answers every look-up alike (or finds nothing).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "audit/audit_describe.h"
#include "host/strings.h"
#include "tests/audit/audit_row.h"

namespace {

class FakeRunner : public LookupRunner {
 public:
  explicit FakeRunner(bool found) : found_(found) {}
  const LookupAnswer* Run(const LookupRequest& r) override {
    asked.push_back(r);
    answer_ = LookupAnswer();
    answer_.found = found_;
    if (found_) {
      answer_.date = 20260101;
      CopyCut(answer_.number, sizeof answer_.number, "N1");
      CopyCut(answer_.code, sizeof answer_.code, "  D1110");
      CopyCut(answer_.description, sizeof answer_.description,
              r.kind == LookupKind::kPolicy ? "Emp 123 SUN" : "Desc");
      CopyCut(answer_.first_name, sizeof answer_.first_name, "Pre");
      CopyCut(answer_.last_name, sizeof answer_.last_name, "Nom");
    }
    return &answer_;
  }
  std::vector<LookupRequest> asked;

 private:
  bool found_;
  LookupAnswer answer_;
};

std::string Cut(const char* text, size_t cap) {
  char buffer[256];
  CopyCut(buffer, cap, text);
  return buffer;
}
std::string Table(long id) { return Cut(TableNameOf(id), 32); }

struct Case {
  const char* name;
  AuditRecord row;
  bool found;
  std::optional<LookupRequest> request;
  std::string table;
  std::string description;
};

LookupRequest Req(LookupKind kind, long id, LinkTable link = LinkTable::kNone) {
  return LookupRequest{kind, link, id};
}

void Check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    FakeRunner runner(c.found);
    AuditDescription d;
    DescribeRow(c.row, &runner, &d);
    SCOPED_TRACE(c.name);
    if (c.request.has_value()) {
      ASSERT_EQ(runner.asked.size(), 1u);
      EXPECT_EQ(static_cast<int>(runner.asked[0].kind), static_cast<int>(c.request->kind));
      EXPECT_EQ(static_cast<int>(runner.asked[0].link), static_cast<int>(c.request->link));
      EXPECT_EQ(runner.asked[0].id, c.request->id);
    } else {
      EXPECT_EQ(runner.asked.size(), 0u);
    }
    EXPECT_EQ(d.table_name, c.table);
    EXPECT_EQ(d.description, c.description);
    const bool names = c.found && c.request.has_value() && c.request->kind != LookupKind::kPolicy;
    EXPECT_STREQ(d.first_name, names ? "Pre" : "");
    EXPECT_STREQ(d.last_name, names ? "Nom" : "");
    EXPECT_EQ(d.verb, ActionText(c.row.type, c.row.action, c.row.record_id));
  }
}

TEST(DescribeRow, PaymentsChartsAndSimpleTypes) {
  using K = LookupKind;
  Check({
      {"A found", Row('A', 'A', 5), true, Req(K::kPayment, 5), Table(1213), "Desc"},
      {"P gated", Row('P', 'A', 5), false, Req(K::kPayment, 5), "", ""},
      {"C found", Row('C', 'A', 9).Name(3, "1014"), true, Req(K::kChartTreatment, 9),
       Table(1014), "Desc"},
      {"C gated", Row('C', 'A', 9).Name(3, "1014"), false, Req(K::kChartTreatment, 9), "", ""},
      {"D", Row('D', 'E', 9).Name(3, "1009"), true,
       Req(K::kChartPatientLink, 9, LinkTable::kPeriop2), Table(1009), ""},
      {"D not found, not gated", Row('D', 'E', 9).Name(3, "1009"), false,
       Req(K::kChartPatientLink, 9, LinkTable::kPeriop2), Table(1009), ""},
      {"H", Row('H', 'A', 3), true, Req(K::kPatientLink, 3, LinkTable::kPatPpln), Table(70), ""},
      {"H gated", Row('H', 'A', 3), false, Req(K::kPatientLink, 3, LinkTable::kPatPpln), "", ""},
      {"O", Row('O', 'A', 4), true, Req(K::kOfficeCharge, 4), Table(446), "Desc"},
      {"O gated", Row('O', 'A', 4), false, Req(K::kOfficeCharge, 4), "", ""},
      {"R", Row('R', 'A', 4).Info(1, "6 mois"), false, Req(K::kPatient, 4), Table(408), "6 mois"},
      {"X", Row('X', 'A', 4).Name(3, "TX-12"), true, Req(K::kPatient, 4), Table(487), "TX-12"},
      {"Y", Row('Y', 'A').Name(3, "31").Info(1, "a").Info(2, "  b"), true, std::nullopt,
       Table(431), "a, b"},
      {"Y blank second", Row('Y', 'A').Name(3, "31").Info(1, "a").Info(2, "   "), true,
       std::nullopt, Table(431), "a"},
      {"unknown letter", Row('Z', 'E', 4).Info(1, "x"), true, std::nullopt, "", ""},
      {"NUL letter", Row('\0', '\0', 4), true, std::nullopt, "", ""},
  });
}

TEST(DescribeRow, PatientsAccountsAndPatientInfoRule) {
  using K = LookupKind;
  Check({
      {"B ACCOUNT", Row('B', 'E', 7).Name(1, "ACCOUNT").Info(1, "Solde"), true,
       Req(K::kAccount, 7), Table(1), "Solde"},
      {"B ACCOUNT not found", Row('B', 'E', 7).Name(1, "ACCOUNT").Info(1, "Solde"), false,
       Req(K::kAccount, 7), Table(1), "Solde"},
      {"B EMPLOYER", Row('B', 'E', 7).Name(1, "EMPLOYER").Info(1, "Acme"), true, std::nullopt,
       Table(9), "Acme"},
      {"B OPTIONS", Row('B', 'E').Name(1, "OPTIONS"), true, std::nullopt, Table(1215),
       "Options/Configuration a été changé"},
      {"B PATRESP", Row('B', 'E', 2).Name(1, "PATRESP").Info(1, "N"), true, Req(K::kPatient, 2),
       Table(1), "Indication du responsable a été changé : Non"},
      {"B PHOLDER", Row('B', 'E', 2).Name(1, "PHOLDER").Info(1, "Y"), true, Req(K::kPatient, 2),
       Table(2), "Indication du détenteur de police a été changé : Oui"},
      {"B PATEMP", Row('B', 'E', 2).Name(1, "PATEMP"), false, Req(K::kPatient, 2), Table(3),
       "Info Personnelle"},
      {"B PATEMP info", Row('B', 'E', 2).Name(1, "PATEMP").Info(1, "Acme"), true,
       Req(K::kPatient, 2), Table(3), "Acme"},
      {"B PATMED alert", Row('B', 'E', 2).Name(1, "PATMED").Info(1, "Diabète"), true,
       Req(K::kPatient, 2), Table(6), "Alertes Médicaux : Diabète"},
      {"B PATMED info 2", Row('B', 'E', 2).Name(1, "PATMED").Info(2, "Asthme"), true,
       Req(K::kPatient, 2), Table(6), "Asthme"},
      {"B PATMED empty", Row('B', 'E', 2).Name(1, "PATMED"), true, Req(K::kPatient, 2), Table(6),
       "Info Personnelle"},
      {"B PRESCRIP", Row('B', 'E', 2).Name(1, "PRESCRIP").Info(3, "Amox 500"), true,
       Req(K::kPatient, 2), Table(1218), "Amox 500"},
      {"B empty name", Row('B', 'A', 2), true, Req(K::kPatient, 2), Table(2), "Info Personnelle"},
      {"B ADDRESS", Row('B', 'E', 2).Name(1, "ADDRESS"), true, Req(K::kPatient, 2), Table(2),
       "Mise à jour de l'adresse"},
      {"B PREMED info", Row('B', 'E', 2).Name(1, "PREMED").Name(2, "ADDINFO"), true,
       Req(K::kPatient, 2), Table(2), "Info Pharmacie"},
      {"B PREMED flag", Row('B', 'E', 2).Name(1, "PREMED").Info(1, "Y"), true,
       Req(K::kPatient, 2), Table(2), "Indication de prémédicament a été changé : Oui"},
      {"B PATSTATUS moved", Row('B', 'E', 2).Name(1, "PATSTATUS").Info(1, "I").Info(2, "1"), true,
       Req(K::kPatient, 2), Table(2), "Statut du patient modifié : I (Patient déplacé)"},
      {"B PATSTATUS restored", Row('B', 'E', 2).Name(1, "PATSTATUS").Info(1, "A").Info(2, "2"),
       true, Req(K::kPatient, 2), Table(2), "Statut du patient modifié : A (Patient restauré)"},
      {"B PATSTATUS plain", Row('B', 'E', 2).Name(1, "PATSTATUS").Info(1, "C"), true,
       Req(K::kPatient, 2), Table(2), "Statut du patient modifié : C"},
      {"B PATMERGE", Row('B', 'E', 2).Name(1, "PATMERGE").Info(1, "a").Info(2, "b").Info(3, "c"),
       true, Req(K::kPatient, 2), Table(2), "Patient fusionné de: a b c"},
      {"B PATDR", Row('B', 'E', 2).Name(1, "PATDR").Info(1, "DR1"), true, Req(K::kPatient, 2),
       Table(2), "Dr. par Défaut Modifié : DR1"},
      {"B other", Row('B', 'E', 2).Name(1, "WHATEVER"), true, Req(K::kPatient, 2), Table(2),
       "Info Personnelle"},
      {"G PATREFER", Row('G', 'A', 3).Name(1, "PATREFER").Info(1, "Dr X").Info(2, "ortho"), true,
       Req(K::kPatient, 3), Table(55), "Dr X,ortho"},
      {"G PATREFER gated", Row('G', 'A', 3).Name(1, "PATREFER").Info(1, "Dr X"), false,
       Req(K::kPatient, 3), "", ""},
      {"G REFSTAFF", Row('G', 'A', 3).Name(1, "REFSTAFF"), true, Req(K::kReferrer, 3), Table(56),
       ""},
      {"G REFSTAFF gated", Row('G', 'A', 3).Name(1, "REFSTAFF"), false, Req(K::kReferrer, 3), "",
       ""},
      {"G other", Row('G', 'A', 3).Name(1, "REF"), true, std::nullopt, Table(55), ""},
      {"I EMPPOL delete", Row('I', 'D', 3).Name(1, "EMPPOL").Name(3, "8").Info(1, "123").Info(2, "Sun"),
       true, Req(K::kPatient, 3), Table(10), "Sun : 123"},
      {"I EMPPOL edit", Row('I', 'E', 3).Name(1, "EMPPOL").Name(3, "8").Info(1, "123"), true,
       Req(K::kPatient, 8), Table(10), "123"},
      {"I EMPPOL no patient", Row('I', 'E', 3).Name(1, "EMPPOL").Name(3, "0").Info(2, "Sun"), true,
       std::nullopt, Table(10), "Sun"},
      {"I PATDEP", Row('I', 'A', 3).Name(1, "PATDEP"), true, Req(K::kPatient, 3), Table(5), ""},
      {"I PATDEP gated", Row('I', 'A', 3).Name(1, "PATDEP"), false, Req(K::kPatient, 3), "", ""},
      {"I FAMINS both", Row('I', 'A', 3).Name(1, "FAMINS").Info(1, "a").Info(2, "b"), false,
       Req(K::kPatient, 3), Table(4), "a : b"},
      {"I FAMINS second", Row('I', 'A', 3).Name(1, "FAMINS").Info(2, "b"), true,
       Req(K::kPatient, 3), Table(4), "b"},
      {"I PATEMP", Row('I', 'A', 3).Name(1, "PATEMP").Info(1, "   Acme"), true, Req(K::kPatient, 3),
       Table(3), "Acme"},
      {"I PATEMP gated", Row('I', 'A', 3).Name(1, "PATEMP").Info(1, "Acme"), false,
       Req(K::kPatient, 3), "", ""},
      {"I POLRGE ADDMANY", Row('I', 'A').Name(1, "POLRGE").Name(3, "ADDMANY").Info(1, "1").Info(2, "5"),
       true, std::nullopt, Table(11), "Emprunté : 1, 5"},
      {"I POLRGE CLEAR", Row('I', 'A').Name(1, "POLRGE").Name(3, "CLEAR"), true, std::nullopt,
       Table(11), "Effacé"},
      {"I POLRGE plain", Row('I', 'A').Name(1, "POLRGE").Info(1, "A").Info(2, "B"), true,
       std::nullopt, Table(11), "B : A"},
      {"I POLRGE first only", Row('I', 'A').Name(1, "POLRGE").Info(1, "A"), true, std::nullopt,
       Table(11), ""},
      {"I other", Row('I', 'A').Name(1, "POLICY"), true, std::nullopt, Table(10), ""},
  });
}

TEST(DescribeRow, EntriesFormsNotesAndCodes) {
  using K = LookupKind;
  Check({
      {"E helper", Row('E', 'E', 3).Name(3, "44").Info(1, "a").Info(2, "b").Info(3, "c"), true,
       Req(K::kPatient, 44), Table(1217), "abc"},
      {"E helper no patient", Row('E', 'E', 3).Info(1, "a"), true, std::nullopt, Table(1217), "a"},
      {"E module", Row('E', 'X', 12).Info(1, "a"), true, std::nullopt, Table(1216), ""},
      {"F answer text", Row('F', 'A', 8).Info(1, "x").Info(2, "y"), true, Req(K::kPatient, 8),
       Table(92), "x -> y"},
      {"F second only", Row('F', 'A', 8).Info(2, "y"), true, Req(K::kPatient, 8), Table(92), "y"},
      {"F delete", Row('F', 'D', 8).Info(1, "x"), true, Req(K::kFormAnswer, 8), Table(92), "Desc"},
      {"F 1003", Row('F', 'A', 8).Name(3, "1003"), true,
       Req(K::kChartPatientLink, 8, LinkTable::kAnswer2), Table(1003), ""},
      {"F 1003 gated", Row('F', 'A', 8).Name(3, "1003"), false,
       Req(K::kChartPatientLink, 8, LinkTable::kAnswer2), "", ""},
      {"F other", Row('F', 'A', 8).Name(3, "1011"), true, std::nullopt, Table(1011), ""},
      {"J FEESCH", Row('J', 'E').Name(1, "FEESCH").Name(3, "31").Info(1, "  liste A"), true,
       std::nullopt, Table(31), "Mise à jour des tarifs: liste A"},
      {"J FEESCH bare", Row('J', 'E').Name(1, "FEESCH").Name(3, "31"), true, std::nullopt,
       Table(31), "Mise à jour des tarifs"},
      {"J PASSWORD", Row('J', 'E').Name(1, "PASSWORD").Name(3, "37").Info(1, "anne"), true,
       std::nullopt, Table(37), "Mot de passe changé: anne"},
      {"J PRACTICE", Row('J', 'E').Name(1, "PRACTICE").Info(1, "x"), true, std::nullopt,
       Table(1228), ""},
      {"J other", Row('J', 'E').Name(1, "PRODCD").Name(3, "25").Info(1, "  abc"), true,
       std::nullopt, Table(25), "abc"},
      {"K DMTAB", Row('K', 'A', 6).Name(1, "DMTAB").Info(1, "Radios"), true, std::nullopt,
       Table(101), "Radios"},
      {"K document", Row('K', 'A', 6).Name(1, "DMDOC").Info(1, "scan"), true,
       Req(K::kPatientLink, 6, LinkTable::kDmDoc), Table(102), "scan"},
      {"K document gated", Row('K', 'A', 6).Name(1, "DMDOC").Info(1, "scan"), false,
       Req(K::kPatientLink, 6, LinkTable::kDmDoc), "", ""},
      {"L report", Row('L', 'P', 7029), true, std::nullopt, Cut(HostString(11175), 32), ""},
      {"L unknown report", Row('L', 'P', 7005), true, std::nullopt, "", ""},
      {"L as M", Row('L', 'P', 0).Name(3, "113").Info(2, "x"), true, Req(K::kPatient, 0),
       Table(113), "x"},
      {"M 113", Row('M', 'A', 4).Name(3, "113").Info(2, "Advil").Info(3, "200mg"), true,
       Req(K::kPatient, 4), Table(113), "Advil : 200mg"},
      {"M PATMED", Row('M', 'A', 4).Name(1, "PATMED").Info(1, "Latex"), true, Req(K::kPatient, 4),
       Table(6), "Alertes Médicaux : Latex"},
      {"M PREMED", Row('M', 'A', 4).Name(1, "PREMED"), true, Req(K::kPatient, 4), Table(2),
       "Indication de prémédicament a été changé : Non"},
      {"M alert", Row('M', 'A', 4).Name(3, "1002").Info(3, "grave"), true, Req(K::kChartAlert, 4),
       Table(1002), "Desc : grave"},
      {"M alert gated", Row('M', 'A', 4).Name(3, "1002").Info(3, "grave"), false,
       Req(K::kChartAlert, 4), "", ""},
      {"N none", Row('N', 'A', 4).Name(1, "GEN"), true, std::nullopt, "", ""},
      {"N 2", Row('N', 'A', 4).Name(1, "ABCDEFGHIJKLMNOPQRST").Name(3, "2"), true,
       Req(K::kPatient, 4), Table(65), "ABCDEFGHIJKLMNO"},
      {"N 16", Row('N', 'A', 4).Name(1, "CLAIM").Name(3, "16"), true, std::nullopt, Table(1220),
       "CLAIM"},
      {"N 25 SCH", Row('N', 'A', 4).Name(1, "SCH").Name(3, "25"), true, std::nullopt, Table(1226),
       "SCH"},
      {"N 25 producer", Row('N', 'A', 4).Name(1, "PROD").Name(3, "25"), true, Req(K::kProducer, 4),
       Table(1219), "PROD"},
      {"N 37", Row('N', 'A', 4).Name(1, "USER").Name(3, "37"), true, Req(K::kUser, 4), Table(1221),
       "USER"},
      {"N REFNOTE", Row('N', 'A', 4).Name(1, "REFNOTE").Name(3, "5"), true, Req(K::kReferrer, 4),
       Table(61), ""},
      {"N REFNOTE no id", Row('N', 'A', 0).Name(1, "REFNOTE").Name(3, "5"), true, std::nullopt,
       Table(61), ""},
      {"N TXNOTE 17", Row('N', 'A', 4).Name(1, "TXNOTE").Name(3, "17"), true, Req(K::kPatient, 4),
       Table(1222), ""},
      {"N TXNOTE 8", Row('N', 'A', 4).Name(1, "TXNOTE").Name(3, "8"), true, Req(K::kPatient, 4),
       Table(1225), ""},
      {"N TXNOTE other", Row('N', 'A', 4).Name(1, "TXNOTE").Name(3, "3"), true, Req(K::kPatient, 4),
       Table(65), ""},
      {"N chart", Row('N', 'A', 4).Name(1, "CHART").Name(3, "1007"), true,
       Req(K::kChartPatient, 4), Table(1007), ""},
      {"N chart info", Row('N', 'A', 4).Name(1, "CHART").Name(3, "1007").Info(1, "x"), true,
       Req(K::kChartPatient, 4), Table(1227), ""},
  });
}

TEST(DescribeRow, ClaimsUtilitiesAndAppointments) {
  using K = LookupKind;
  Check({
      {"T OPTIONS", Row('T', 'E').Name(1, "OPTIONS"), true, std::nullopt, Table(1215),
       "Options/Configuration a été changé"},
      {"T PATCLM", Row('T', 'A', 6).Name(1, "PATCLM"), true, Req(K::kClaim, 6), Table(16), ""},
      {"T PATCLM gated", Row('T', 'A', 6).Name(1, "PATCLM"), false, Req(K::kClaim, 6), "", ""},
      {"T treatment", Row('T', 'A', 6).Name(1, "CLMTRT"), true, Req(K::kClaimTreatment, 6),
       Table(17), "Desc"},
      {"T PREDEOB", Row('T', 'E', 6).Name(1, "PREDEOB").Name(2, "0001234500002000080"), true,
       Req(K::kClaimTreatment, 6), Table(17), "PRED-EOB D1110: 123.45 -> 20.00 (80%)"},
      {"T PREDEOB short", Row('T', 'E', 6).Name(1, "PREDEOB").Name(2, "500"), true,
       Req(K::kClaimTreatment, 6), Table(17), "PRED-EOB D1110: 5.00 -> 0.00 (0%)"},
      {"T PREDEOB empty", Row('T', 'E', 6).Name(1, "PREDEOB"), true, Req(K::kClaimTreatment, 6),
       Table(17), "Desc"},
      {"T gated", Row('T', 'E', 6).Name(1, "PREDEOB").Name(2, "1"), false,
       Req(K::kClaimTreatment, 6), "", ""},
      {"U AUDPURGE", Row('U', 'D', 20260115).Name(1, "AUDPURGE"), true, std::nullopt, Table(1215),
       "Purger l'Audit: Date purger :15 janv. 2026"},
      {"U RESPPURGE", Row('U', 'D', 20261205).Name(1, "RESPPURGE"), true, std::nullopt,
       Table(1215), "Purger les réponses d'EDI: Date purger :5 déc. 2026"},
      {"U PENDPURGE bad date", Row('U', 'D', 20261305).Name(1, "PENDPURGE"), true, std::nullopt,
       Table(1215), "Purger les réclamations en suspens: Date purger :"},
      {"U TXPPURGE", Row('U', 'D', 42).Name(1, "TXPPURGE"), true, std::nullopt, Table(1215),
       "Purger les propositions: # registres Purgés : 42"},
      {"U NOTPURGE", Row('U', 'D', 0).Name(1, "NOTPURGE"), true, std::nullopt, Table(1215),
       "Purger les notes: # registres Purgés : 0"},
      {"U TRXHELD", Row('U', 'R', 7).Name(1, "TRXHELD"), true, std::nullopt, Table(1215),
       "Traiter les paiements en suspens: # Registres trouvés : 7"},
      {"U TRXPPLN", Row('U', 'R', 7).Name(1, "TRXPPLN"), true, std::nullopt, Table(1215),
       "Frais des plans d'Otho: # Registres trouvés : 7"},
      {"U TRXINTCHG", Row('U', 'R', 7).Name(1, "TRXINTCHG"), true, std::nullopt, Table(1215),
       "Charger Intérêt"},
      {"U FEESCH 0", Row('U', 'E', 0).Name(1, "FEESCH").Info(1, "B").Info(2, "A"), true,
       std::nullopt, Table(1215),
       "Mise à jour des tarifs: Copier l'agenda des rendez-vous A -> B"},
      {"U FEESCH 1", Row('U', 'E', 1).Name(1, "FEESCH").Info(1, "L1").Info(2, "1250"), true,
       std::nullopt, Table(1215),
       "Mise à jour des tarifs: Ajuster l'agenda des rendez-vous L1 12.50%"},
      {"U FEESCH 1 small", Row('U', 'E', 1).Name(1, "FEESCH").Info(1, "L1").Info(2, "5"), true,
       std::nullopt, Table(1215),
       "Mise à jour des tarifs: Ajuster l'agenda des rendez-vous L1  0.05%"},
      {"U FEESCH 1 not digits", Row('U', 'E', 1).Name(1, "FEESCH").Info(1, "L1").Info(2, "x"),
       true, std::nullopt, Table(1215),
       "Mise à jour des tarifs: Ajuster l'agenda des rendez-vous L1 "},
      {"U FEESCH 2", Row('U', 'E', 2).Name(1, "FEESCH"), true, std::nullopt, Table(1215),
       "Mise à jour des tarifs: UVR"},
      {"U FEESCH 3", Row('U', 'E', 3).Name(1, "FEESCH").Info(1, "L2"), true, std::nullopt,
       Table(1215), "Mise à jour des tarifs: Supprimer liste de tarifs L2"},
      {"U FEESCH 4", Row('U', 'E', 4).Name(1, "FEESCH").Info(1, "L3"), true, std::nullopt,
       Table(1215), "Mise à jour des tarifs: Charger liste de tarifs: L3"},
      {"U FEESCH 4 bare", Row('U', 'E', 4).Name(1, "FEESCH"), true, std::nullopt, Table(1215),
       "Mise à jour des tarifs: Charger liste de tarifs"},
      {"U FEESCH 5", Row('U', 'E', 5).Name(1, "FEESCH"), true, std::nullopt, Table(1215),
       "Mise à jour des tarifs: Exporter liste de tarifs"},
      {"U FEESCH 6", Row('U', 'E', 6).Name(1, "FEESCH").Info(1, "a").Info(2, "b"), true,
       std::nullopt, Table(1215),
       "Mise à jour des tarifs: Mettre à jour d'autres liens de code: a,b"},
      {"U FEESCH 9", Row('U', 'E', 9).Name(1, "FEESCH"), true, std::nullopt, Table(1215),
       "Mise à jour des tarifs"},
      {"U CHANGEDR", Row('U', 'E', 0).Name(1, "CHANGEDR").Info(1, "B").Info(2, "A"), true,
       std::nullopt, Table(1215), "Changer Dr par défaut:  A -> B"},
      {"U CHANGEDR hyg", Row('U', 'E', 1).Name(1, "CHANGEDR").Info(1, "B").Info(2, "A"), true,
       std::nullopt, Table(1215), "Changer Hyg par défaut:  A -> B"},
      {"U MERGEPOL", Row('U', 'E', 12).Name(1, "MERGEPOL"), true, Req(K::kPolicy, 12), Table(1215),
       "Fusionner les polices: Emp 123 SUN"},
      {"U MERGEPOL none", Row('U', 'E', 12).Name(1, "MERGEPOL"), false, Req(K::kPolicy, 12),
       Table(1215), "Fusionner les polices"},
      {"U OPTIONS", Row('U', 'E').Name(1, "OPTIONS"), true, std::nullopt, Table(1215),
       "Options/Configuration a été changé"},
      {"U unknown", Row('U', 'E').Name(1, "SOMETHING"), true, std::nullopt, Table(1215), ""},
      {"S APPTUTILS 1", Row('S', 'E', 1).Name(1, "APPTUTILS").Info(1, "DR1 -> DR2"), true,
       std::nullopt, Table(1215), "Changer de chaise de Producteur: DR1 -> DR2"},
      {"S APPTUTILS 2", Row('S', 'E', 2).Name(1, "APPTUTILS").Info(1, "x"), true, std::nullopt,
       Table(1215), ""},
      {"S appointment", Row('S', 'A', 5).Info(1, "20261205CLN0930").Info(2, "A01DR1xx"), true,
       Req(K::kPatientLink, 5, LinkTable::kPatApt), Table(20), "A01DR1 CLN déc05,26 09:30"},
      {"S appointment code first", Row('S', 'A', 5).Info(1, "CLN202612050930").Info(2, "A01"),
       false, Req(K::kPatientLink, 5, LinkTable::kPatApt), Table(20), "A01 CLN déc05,26 09:30"},
      {"S appointment garbage", Row('S', 'A', 5).Info(1, "xx"), false,
       Req(K::kPatientLink, 5, LinkTable::kPatApt), Table(20), " xx  "},
  });
}

TEST(DescribeRow, CapacitiesAreRespected) {
  // The longest texts the rules can build are cut to the record's capacities.
  AuditRecord r = Row('B', 'E', 2)
                      .Name(1, "PATMERGE")
                      .Info(1, "ééééééééééééééééééééééééé")  // 50 bytes
                      .Info(2, "ééééééééééééééééééééééééé")
                      .Info(3, "ééééééééééééééééééééééééé");
  AuditDescription d;
  DescribeRow(r, nullptr, &d);
  const std::string text = d.description;
  EXPECT_GE(text.size(), 152u);
  EXPECT_LE(text.size(), 153u);
  char copy[154];
  CopyCut(copy, sizeof copy, text.c_str());
  TrimBrokenUtf8Tail(copy);
  EXPECT_EQ(std::string(copy), text) << "cut inside a character";
  // Table names are cut to 31 bytes.
  DescribeRow(Row('J', 'E').Name(1, "X").Name(3, "74"), nullptr, &d);
  EXPECT_EQ(std::string(d.table_name), Cut(ModuleString(474), 32));
  EXPECT_LE(std::string(d.table_name).size(), 31u);
}

TEST(DescribeRow, CollectingRunnerGetsTheSameRequests) {
  const AuditRecord rows[] = {Row('A', 'A', 1), Row('N', 'A', 4).Name(1, "TXNOTE").Name(3, "17"),
                              Row('U', 'E', 12).Name(1, "MERGEPOL"), Row('Y', 'A')};
  for (const AuditRecord& r : rows) {
    CollectingRunner collect;
    FakeRunner fake(true);
    AuditDescription d;
    DescribeRow(r, &collect, &d);
    DescribeRow(r, &fake, &d);
    EXPECT_EQ(std::vector<LookupRequest>(collect.Requests().begin(), collect.Requests().end()),
              fake.asked)
        << r.type;
  }
}

}  // namespace
