// The description rules that several type letters share: utility,
// patient-info, note, form, range and appointment.
#include <cstdlib>
#include <cstring>

#include "audit/describe_internal.h"
#include "host/dates.h"

namespace audit_detail {

namespace {

bool AllDigits(const char* text) {
  if (Empty(text)) return false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
  }
  return true;
}

}  // namespace

// Title and detail by field name 1; "date" is the record id as a date (611),
// "count" the record id in decimal.
void Describer::UtilityRule() {
  const long id = r_.record_id;
  const char* n1 = name(1);
  const char* title = nullptr;
  Text detail;
  char date[64];
  ldate_to_str1(date, id, 611);
  if (Is(n1, "TXPPURGE") || Is(n1, "PLNPURGE") || Is(n1, "NOTPURGE")) {
    title = S(Is(n1, "TXPPURGE") ? 21 : Is(n1, "PLNPURGE") ? 19 : 20);
    detail.Format("# registres Purgés : %ld", id);
  } else if (Is(n1, "RESPPURGE") || Is(n1, "PENDPURGE") || Is(n1, "HISTPURGE") ||
             Is(n1, "AUDPURGE")) {
    title = S(Is(n1, "RESPPURGE") ? 27 : Is(n1, "PENDPURGE") ? 28 : Is(n1, "HISTPURGE") ? 77 : 15);
    detail.Add("Date purger :").Add(date);
  } else if (Is(n1, "TRXHELD") || Is(n1, "TRXINSBAL") || Is(n1, "TRXSTATUS") ||
             Is(n1, "TRXPPLN")) {
    title = S(Is(n1, "TRXHELD") ? 22 : Is(n1, "TRXINSBAL") ? 23 : Is(n1, "TRXSTATUS") ? 25 : 26);
    detail.Format("# Registres trouvés : %ld", id);
  } else if (Is(n1, "TRXINTCHG")) {
    title = S(24);
  } else if (Is(n1, "FEESCH")) {
    title = S(16);
    switch (id) {
      case 0:
        detail.Add("Copier l'agenda des rendez-vous").Add(" ").Add(info(2)).Add(" -> ").Add(info(1));
        break;
      case 1:
        detail.Add("Ajuster l'agenda des rendez-vous").Add(" ").Add(info(1)).Add(" ");
        if (AllDigits(info(2))) detail.Format("%5.2f%%", std::strtod(info(2), nullptr) / 100.0);
        break;
      case 2:
        detail.Add("UVR");
        break;
      case 3:
        detail.Add("Supprimer liste de tarifs").Add(" ").Add(info(1));
        break;
      case 4:
        detail.Add("Charger liste de tarifs");
        if (!Empty(info(1))) detail.Add(": ").Add(info(1));
        break;
      case 5:
        detail.Add("Exporter liste de tarifs");
        break;
      case 6:
        detail.Add("Mettre à jour d'autres liens de code").Add(": ").Add(info(1));
        if (!Empty(info(2))) detail.Add(",").Add(info(2));
        break;
      default:
        break;
    }
  } else if (Is(n1, "CHANGEDR")) {
    title = S(id == 1 ? 31 : 17);
    detail.Add(" ").Add(info(2)).Add(" -> ").Add(info(1));
  } else if (Is(n1, "MERGEPOL")) {
    title = S(18);
    Lookup(LookupKind::kPolicy, id);
    detail.Add(policy_);
  } else if (Is(n1, "OPTIONS")) {
    title = S(53);
  } else if (Is(n1, "APPTUTILS") && id == 1) {
    title = S(101);
    detail.Add(info(1));
  }
  if (title == nullptr) return;
  Text t;
  t.Add(title);
  if (!detail.empty()) t.Add(": ").Add(detail.c_str());
  Describe(t);
}

// Patient look-up first, then a title and a detail by field name 1, written
// one after the other.
void Describer::PatientInfoRule() {
  Lookup(LookupKind::kPatient, r_.record_id);
  if (stopped_) return;
  const char* n1 = name(1);
  const char* yes_no = S(Is(info(1), "Y") ? 50 : 51);
  Text t;
  if (Empty(n1)) {
    t.Add(S(49));
  } else if (Is(n1, "ADDRESS")) {
    t.Add(S(39));
  } else if (Is(n1, "ADDINFO")) {
    t.Add(S(40));
  } else if (Is(n1, "CUSTOM")) {
    t.Add(S(41));
  } else if (Is(n1, "PATMED")) {
    if (!Empty(info(1))) {
      t.Add(S(42)).Add(" : ").Add(info(1));
    } else {
      t.Add(Empty(info(2)) ? S(49) : info(2));
    }
  } else if (Is(n1, "MISSING")) {
    t.Add(S(43));
  } else if (Is(n1, "PATMOVE")) {
    t.Add(S(44));
  } else if (Is(n1, "CONTACT")) {
    t.Add(S(45));
  } else if (Is(n1, "PRESCRIP")) {
    t.Add(info(3));
  } else if (Is(n1, "PATRESP")) {
    t.Add(S(47)).Add(" ").Add(yes_no);
  } else if (Is(n1, "PHOLDER")) {
    t.Add(S(48)).Add(" ").Add(yes_no);
  } else if (Is(n1, "PREMED")) {
    if (Is(name(2), "ADDINFO")) {
      t.Add(S(78));
    } else {
      t.Add(S(52)).Add(" ").Add(yes_no);
    }
  } else if (Is(n1, "OPTIONS")) {
    t.Add(S(53));
  } else if (Is(n1, "PATEMP")) {
    t.Add(Empty(info(1)) ? S(49) : info(1));
  } else if (Is(n1, "PATSTATUS")) {
    t.Add(S(74)).Add(" ").Add(info(1));
    if (info(2)[0] == '1') {
      t.Add(" (").Add(S(44)).Add(")");
    } else if (info(2)[0] == '2') {
      t.Add(" (").Add(S(75)).Add(")");
    }
  } else if (Is(n1, "PATEXPORT")) {
    t.Add(S(79));
  } else if (Is(n1, "PATIMPORT")) {
    t.Add(S(80));
  } else if (Is(n1, "PATMERGE")) {
    t.Add(S(81)).Add(" ").Add(info(1)).Add(" ").Add(info(2)).Add(" ").Add(info(3));
  } else if (Is(n1, "PATDR")) {
    t.Add(S(102)).Add(" ").Add(info(1));
  } else if (Is(n1, "PATHYG")) {
    t.Add(S(103)).Add(" ").Add(info(1));
  } else {
    t.Add(S(49));
  }
  Describe(t);
}

namespace {

// Table of a note kind t (field name 3 of an 'N' row).
long NoteKindTable(long t, const char* name1) {
  switch (t) {
    case 8: return 1225;
    case 16: return 1220;
    case 17: return 1222;
    case 25: return Is(name1, "SCH") ? 1226 : 1219;
    case 37: return 1221;
    case 86: return 1223;
    case 87: return 1224;
    default: return 65;
  }
}

}  // namespace

void Describer::NoteRule() {
  const long t = FieldNumber(name(3));
  if (t == 0) return;
  const long id = r_.record_id;
  const char* n1 = name(1);
  if (t == 2 || t == 16 || t == 25 || t == 37) {
    table_id_ = NoteKindTable(t, n1);
    char kind[16];
    CopyCut(kind, sizeof kind, n1);
    Describe(kind);
    if (t == 2) {
      Lookup(LookupKind::kPatient, id);
    } else if (t == 25 && !Is(n1, "SCH")) {
      Lookup(LookupKind::kProducer, id);
    } else if (t == 37) {
      Lookup(LookupKind::kUser, id);
    }
  } else if (Is(n1, "REFNOTE")) {
    table_id_ = 61;
    if (id != 0) Lookup(LookupKind::kReferrer, id);
  } else if (Is(n1, "TXNOTE")) {
    table_id_ = NoteKindTable(t, n1);
    Lookup(LookupKind::kPatient, id);
  } else {
    table_id_ = Empty(info(1)) ? t : 1227;
    Lookup(LookupKind::kChartPatient, id);
  }
}

void Describer::FormRule() {
  if (r_.action == 'D') {
    Lookup(LookupKind::kFormAnswer, r_.record_id);
    return;
  }
  Lookup(LookupKind::kPatient, r_.record_id);
  Text t;
  t.Add(info(1));
  if (!Empty(info(2))) {
    const size_t arrow = Empty(info(1)) ? 0 : 4;
    if (t.size() + arrow + std::strlen(info(2)) <= 153) {
      if (arrow != 0) t.Add(" -> ");
      t.Add(info(2));
    }
  }
  Describe(t);
}

void Describer::RangeRule() {
  const char* title = Is(name(3), "ADDMANY") ? S(55) : Is(name(3), "CLEAR") ? S(56) : nullptr;
  Text t;
  if (title != nullptr) {
    t.Add(title);
    if (!Empty(info(1))) t.Add(" : ").Add(info(1));
    if (!Empty(info(2))) t.Add(", ").Add(info(2));
  } else {
    t.Add(info(2));
    if (!Empty(info(1)) && !Empty(info(2))) t.Add(" : ").Add(info(1));
  }
  Describe(t);
}

// Field info 1 of an appointment row holds, in fixed positions, the
// appointment's date (YYYYMMDD), its 3-character code and its time (HHMM):
//   "20261205CLN0930"  date at 0, code at 8, time at 11;
// rows whose first 8 characters are not a valid date carry the code first:
//   "CLN202612050930"  code at 0, date at 3, time at 11.
// Field info 2 starts with the 6-character chair and producer key.
void Describer::AppointmentRule() {
  Lookup(LookupKind::kPatientLink, r_.record_id, LinkTable::kPatApt);
  if (stopped_) return;
  const char* in = info(1);
  const size_t len = std::strlen(in);
  auto part = [&](size_t at, size_t n, char* out) {
    size_t k = 0;
    for (; k < n && at + k < len; ++k) out[k] = in[at + k];
    out[k] = '\0';
  };
  char date_text[9], code[4], time_text[5];
  part(0, 8, date_text);
  long date = FieldNumber(date_text);
  if (tavo_valid_date(date)) {
    part(8, 3, code);
  } else {
    part(0, 3, code);
    part(3, 8, date_text);
    date = FieldNumber(date_text);
  }
  part(11, 4, time_text);
  // A time needs its four digits; a row without them shows no time rather
  // than midnight.
  const bool has_time = std::strlen(time_text) == 4 && AllDigits(time_text);
  Text t;
  t.AddN(info(2), 6).Add(" ").Add(code).Add(" ");
  t.Add(DateToDateString(date, "nnndd,yy").c_str()).Add(" ");
  if (has_time) t.Add(ctime_todisplay(FieldNumber(time_text)).c_str());
  Describe(t);
}

}  // namespace audit_detail
