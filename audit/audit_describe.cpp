// DescribeRow: the dispatcher by type letter (the rules that several types
// share are in audit_describe_rules.cpp).
#include <cstdlib>
#include <cstring>

#include "audit/describe_internal.h"

namespace audit_detail {

bool Describer::Lookup(LookupKind kind, long id, LinkTable link) {
  if (runner_ == nullptr) return false;
  const LookupAnswer* a = runner_->Run(LookupRequest{kind, link, id});
  if (a == nullptr) {
    stopped_ = true;
    return false;
  }
  if (!a->found) return false;
  switch (kind) {
    case LookupKind::kPayment:
    case LookupKind::kOfficeCharge:
    case LookupKind::kClaimTreatment:
    case LookupKind::kChartTreatment:
    case LookupKind::kChartAlert:
      out_->date = a->date;
      std::memcpy(out_->number, a->number, sizeof out_->number);
      std::memcpy(out_->code, a->code, sizeof out_->code);
      std::memcpy(out_->description, a->description, sizeof out_->description);
      break;
    case LookupKind::kClaim:
      out_->date = a->date;
      std::memcpy(out_->number, a->number, sizeof out_->number);
      break;
    case LookupKind::kFormAnswer:
      std::memcpy(out_->description, a->description, sizeof out_->description);
      break;
    case LookupKind::kPolicy:
      std::memcpy(policy_, a->description, sizeof policy_);
      return true;  // no names
    default:
      break;
  }
  std::memcpy(out_->first_name, a->first_name, sizeof out_->first_name);
  std::memcpy(out_->last_name, a->last_name, sizeof out_->last_name);
  return true;
}

void Describer::Run() {
  const long id = r_.record_id;
  const long n3 = FieldNumber(r_.field_name[2]);
  switch (r_.type) {
    case 'A':
    case 'P':
      table_id_ = r_.type == 'A' ? 1213 : 1212;
      Gate(LookupKind::kPayment, id);
      break;
    case 'B':
      TypeB();
      break;
    case 'C':
      table_id_ = n3;
      Gate(LookupKind::kChartTreatment, id);
      break;
    case 'D':
      table_id_ = n3;
      Lookup(LookupKind::kChartPatientLink, id, LinkTable::kPeriop2);
      break;
    case 'E':
      TypeE();
      break;
    case 'F':
      TypeF();
      break;
    case 'G':
      TypeG();
      break;
    case 'H':
      table_id_ = 70;
      Gate(LookupKind::kPatientLink, id, LinkTable::kPatPpln);
      break;
    case 'I':
      TypeI();
      break;
    case 'J':
      TypeJ();
      break;
    case 'K':
      if (Is(name(1), "DMTAB")) {
        table_id_ = 101;
      } else {
        table_id_ = 102;
        Gate(LookupKind::kPatientLink, id, LinkTable::kDmDoc);
      }
      Describe(info(1));
      break;
    case 'L':
      if (id == 0) {
        TypeM();
      } else if (int report = ReportStringOf(id); report != 0) {
        CopyCut(out_->table_name, sizeof out_->table_name, HostString(report));
      }
      break;
    case 'M':
      TypeM();
      break;
    case 'N':
      NoteRule();
      break;
    case 'O':
      table_id_ = 46;
      Gate(LookupKind::kOfficeCharge, id);
      break;
    case 'R':
      table_id_ = 8;
      Lookup(LookupKind::kPatient, id);
      Describe(info(1));
      break;
    case 'S':
      TypeS();
      break;
    case 'T':
      TypeT();
      break;
    case 'U':
      table_id_ = 1215;
      UtilityRule();
      break;
    case 'X':
      table_id_ = 87;
      Lookup(LookupKind::kPatient, id);
      Describe(name(3));
      break;
    case 'Y': {
      table_id_ = n3;
      Text t;
      t.Add(info(1));
      const char* second = SkipBlanks(info(2));
      if (!Empty(second)) t.Add(", ").Add(second);
      Describe(t);
      break;
    }
    default:
      break;
  }
  if (stopped_) return;
  if (table_id_ != 0) CopyCut(out_->table_name, sizeof out_->table_name, TableNameOf(table_id_));
  if (!success_) *out_ = AuditDescription();
  CopyCut(out_->verb, sizeof out_->verb, ActionTextKept(r_.type, r_.action, r_.record_id));
}

void Describer::TypeB() {
  if (Is(name(1), "ACCOUNT")) {
    table_id_ = 1;
    Lookup(LookupKind::kAccount, r_.record_id);
    Describe(info(1));
  } else if (Is(name(1), "EMPLOYER")) {
    table_id_ = 9;
    Describe(info(1));
  } else if (Is(name(1), "OPTIONS")) {
    table_id_ = 1215;
    UtilityRule();
  } else {
    table_id_ = Is(name(1), "PATEMP")     ? 3
                : Is(name(1), "PATMED")   ? 6
                : Is(name(1), "PRESCRIP") ? 1218
                : Is(name(1), "PATRESP")  ? 1
                                          : 2;
    PatientInfoRule();
  }
}

void Describer::TypeE() {
  if (r_.record_id >= 1 && r_.record_id <= 7) {
    table_id_ = 1217;
    if (!Empty(name(3))) Lookup(LookupKind::kPatient, FieldNumber(name(3)));
    Text t;
    t.Add(info(1)).Add(info(2)).Add(info(3));
    Describe(t);
  } else {
    table_id_ = 1216;
  }
}

void Describer::TypeF() {
  const long n3 = FieldNumber(name(3));
  if (n3 == 0) {
    table_id_ = 92;
    FormRule();
  } else if (n3 == 1003) {
    table_id_ = 1003;
    Gate(LookupKind::kChartPatientLink, r_.record_id, LinkTable::kAnswer2);
  } else {
    table_id_ = n3;
  }
}

void Describer::TypeG() {
  if (Is(name(1), "PATREFER")) {
    table_id_ = 55;
    Gate(LookupKind::kPatient, r_.record_id);
    Text t;
    t.Add(info(1));
    if (!Empty(info(2))) t.Add(",").Add(info(2));
    Describe(t);
  } else if (Is(name(1), "REFSTAFF")) {
    table_id_ = 56;
    Gate(LookupKind::kReferrer, r_.record_id);
  } else {
    table_id_ = 55;
  }
}

void Describer::TypeI() {
  const long id = r_.record_id;
  if (Is(name(1), "EMPPOL")) {
    table_id_ = 10;
    const long patient = r_.action == 'D' ? id : FieldNumber(name(3));
    if (patient != 0) Lookup(LookupKind::kPatient, patient);
    Text t;
    if (Empty(info(2))) {
      t.Add(info(1));
    } else {
      t.Add(info(2));
      if (!Empty(info(1))) t.Add(" : ").Add(info(1));
    }
    Describe(t);
  } else if (Is(name(1), "PATDEP")) {
    table_id_ = 5;
    Gate(LookupKind::kPatient, id);
  } else if (Is(name(1), "FAMINS")) {
    table_id_ = 4;
    Lookup(LookupKind::kPatient, id);
    Text t;
    t.Add(info(1));
    if (!Empty(info(1)) && !Empty(info(2))) t.Add(" : ");
    t.Add(info(2));
    Describe(t);
  } else if (Is(name(1), "PATEMP")) {
    table_id_ = 3;
    Gate(LookupKind::kPatient, id);
    Describe(SkipBlanks(info(1)));
  } else if (Is(name(1), "EMPLOYER")) {
    table_id_ = 9;
    Describe(info(1));
  } else if (Is(name(1), "POLRGE")) {
    table_id_ = 11;
    RangeRule();
  } else {
    table_id_ = 10;
  }
}

void Describer::TypeJ() {
  const long n3 = FieldNumber(name(3));
  Text t;
  const char* first = SkipBlanks(info(1));
  if (Is(name(1), "FEESCH") || Is(name(1), "PASSWORD")) {
    table_id_ = n3;
    t.Add(Is(name(1), "FEESCH") ? "Mise à jour des tarifs" : "Mot de passe changé");
    if (!Empty(first)) t.Add(": ").Add(first);
    Describe(t);
  } else if (Is(name(1), "PRACTICE")) {
    table_id_ = 1228;
  } else {
    table_id_ = n3;
    Describe(first);
  }
}

void Describer::TypeM() {
  const long n3 = FieldNumber(name(3));
  if (n3 == 113) {
    table_id_ = 113;
    Lookup(LookupKind::kPatient, r_.record_id);
    Text t;
    t.Add(info(2));
    if (!Empty(info(3))) t.Add(" : ").Add(info(3));
    Describe(t);
  } else if (Is(name(1), "PATMED") || Is(name(1), "PREMED")) {
    table_id_ = Is(name(1), "PATMED") ? 6 : 2;
    PatientInfoRule();
  } else {
    table_id_ = n3;
    if (Gate(LookupKind::kChartAlert, r_.record_id) && !Empty(out_->description) &&
        !Empty(info(3))) {
      Text t;
      t.Add(out_->description).Add(" : ").Add(info(3));
      Describe(t);
    }
  }
}

void Describer::TypeS() {
  if (Is(name(1), "OPTIONS") || Is(name(1), "APPTUTILS")) {
    table_id_ = 1215;
    UtilityRule();
  } else {
    table_id_ = 20;
    AppointmentRule();
  }
}

void Describer::TypeT() {
  if (Is(name(1), "OPTIONS")) {
    table_id_ = 1215;
    UtilityRule();
  } else if (Is(name(1), "PATCLM")) {
    table_id_ = 16;
    Gate(LookupKind::kClaim, r_.record_id);
  } else {
    table_id_ = 17;
    if (Gate(LookupKind::kClaimTreatment, r_.record_id) && Is(name(1), "PREDEOB") &&
        !Empty(name(2))) {
      // Field name 2 carries two amounts in cents (8 digits each) and a
      // percentage (3 digits): the pre-determination against the EOB.
      const char* n2 = name(2);
      const size_t len = std::strlen(n2);
      auto number = [&](size_t at, size_t n) {
        char part[9] = {};
        for (size_t i = 0; i < n && at + i < len; ++i) part[i] = n2[at + i];
        return std::atol(part);
      };
      const long before = number(0, 8);
      const long after = number(8, 8);
      const int percent = static_cast<int>(number(16, 3));
      Text t;
      t.Format("%s %s: %.2f -> %.2f (%d%%)", "PRED-EOB", SkipBlanks(out_->code), before / 100.0,
               after / 100.0, percent);
      Describe(t);
    }
  }
}

}  // namespace audit_detail

void DescribeRow(const AuditRecord& row, LookupRunner* runner, AuditDescription* out) {
  *out = AuditDescription();
  audit_detail::Describer(row, runner, out).Run();
}
