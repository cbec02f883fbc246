// The table definitions of the practice database. docs/schema.md explains
// every table and column; keep the two in step.
#include "suite/schema.h"

namespace {

constexpr ColumnKind I = ColumnKind::kInt;
constexpr ColumnKind K = ColumnKind::kId;

ColumnDef Id(const char* name) { return {name, K, 0, ""}; }
ColumnDef Int(const char* name) { return {name, I, 0, ""}; }
ColumnDef Txt(const char* name, int length) { return {name, ColumnKind::kText, length, ""}; }
// A Y/N flag whose default is 'N'.
ColumnDef Flag(const char* name) { return {name, ColumnKind::kText, 1, "N"}; }

// The thirteen audit columns, in the order every audit statement relies on.
#define VANTRA_AUDIT_COLUMNS(P)                                                           \
  {Id(P "_ID"),          Txt(P "_TYPE", 1),        Txt(P "_ACTION", 1),                    \
   Id(P "_RECID"),       Txt(P "_USER", 9),        Int(P "_DATE"),                         \
   Int(P "_TIME"),       Txt(P "_FLD_NAME1", 20),  Txt(P "_FLD_NAME2", 20),                \
   Txt(P "_FLD_NAME3", 20), Txt(P "_FLD_INFO1", 50), Txt(P "_FLD_INFO2", 50),              \
   Txt(P "_FLD_INFO3", 50)}

std::vector<TableDef> BuildTables() {
  std::vector<TableDef> t;

  // --- audit trail ----------------------------------------------------------
  t.push_back({"AUDITFIL", "current audit trail: one row per change, printout, purge, log-in or module entry",
               VANTRA_AUDIT_COLUMNS("AUD"), "AUD_ID",
               {{"AUDITFIL_DATE", {"AUD_DATE", "AUD_TYPE"}},
                {"AUDITFIL_RECID", {"AUD_RECID", "AUD_TYPE"}},
                {"AUDITFIL_CHART", {"AUD_FLD_NAME3", "AUD_FLD_INFO1"}},
                // Missed appointments of a day or a range: type S, action N/C/U.
                {"AUDITFIL_SCHED", {"AUD_TYPE", "AUD_ACTION", "AUD_DATE"}},
                // Patients' status changes and planned treatments of a period:
                // type B or T, one field name.
                {"AUDITFIL_FIELD", {"AUD_TYPE", "AUD_FLD_NAME1", "AUD_DATE"}},
                // The rows of chosen users over a range (the audit tab's
                // user choice, a summary count's rows by user).
                {"AUDITFIL_USER", {"AUD_USER", "AUD_DATE"}}}});
  t.push_back({"AUDHIS", "archived audit trail, same columns as AUDITFIL", VANTRA_AUDIT_COLUMNS("AUDH"),
               "AUDH_ID",
               {{"AUDHIS_DATE", {"AUDH_DATE", "AUDH_TYPE"}},
                {"AUDHIS_RECID", {"AUDH_RECID", "AUDH_TYPE"}},
                {"AUDHIS_CHART", {"AUDH_FLD_NAME3", "AUDH_FLD_INFO1"}},
                {"AUDHIS_SCHED", {"AUDH_TYPE", "AUDH_ACTION", "AUDH_DATE"}},
                {"AUDHIS_FIELD", {"AUDH_TYPE", "AUDH_FLD_NAME1", "AUDH_DATE"}},
                {"AUDHIS_USER", {"AUDH_USER", "AUDH_DATE"}}}});

  // --- people -----------------------------------------------------------------
  t.push_back({"ACCOUNT", "family accounts (the person responsible for payment)",
               {Id("ACC_ID"), Txt("ACC_PNAME", 15), Txt("ACC_LNAME", 20), Txt("ACC_ADDRESS", 40),
                Txt("ACC_CITY", 25), Txt("ACC_PROV", 2), Txt("ACC_POSTAL", 7), Txt("ACC_PHONE", 14),
                Int("ACC_OPEN_DATE"), Int("ACC_BALANCE")},
               "ACC_ID", {}});
  t.push_back({"PATIENT", "patients",
               {Id("PAT_ID"), Id("PAT_ACCID"), Txt("PAT_PNAME", 15), Txt("PAT_LNAME", 20),
                Txt("PAT_SEX", 1), Int("PAT_BIRTH_DATE"), Txt("PAT_DOCTOR", 2), Txt("PAT_HYGIENIST", 3),
                Txt("PAT_STATUS", 1), Int("PAT_OPEN_DATE"), Int("PAT_LAST_CLAIM_DATE"),
                Int("PAT_LAST_VISIT_DATE"), Int("PAT_DELETE_DATE"), Txt("PAT_PHONE", 14),
                Id("PAT_REFCDID"), Id("PAT_EPOLID")},
               "PAT_ID",
               {{"PATIENT_OPEN", {"PAT_OPEN_DATE"}},
                {"PATIENT_CLAIM", {"PAT_LAST_CLAIM_DATE"}},
                {"PATIENT_DOCTOR", {"PAT_DOCTOR"}},
                {"PATIENT_ACC", {"PAT_ACCID"}}}});
  t.push_back({"REFERCD", "referrers (dentists, physicians, patients who refer)",
               {Id("REFCD_ID"), Txt("REFCD_CODE", 5), Txt("REFCD_DOCFNAME", 15), Txt("REFCD_REFNAME", 30),
                Txt("REFCD_PHONE", 14)},
               "REFCD_ID", {}});
  t.push_back({"PRODCD", "producers (dentists, hygienists)",
               {Id("PROD_ID"), Txt("PROD_CODE", 3), Txt("PROD_FIRST_NAME", 20), Txt("PROD_LAST_NAME", 20),
                Txt("PROD_TYPE", 1), Flag("PROD_INACTIVE"), Txt("PROD_LICENSE", 10), Txt("PROD_LOC", 1)},
               "PROD_ID", {{"PRODCD_CODE", {"PROD_CODE"}, true}}});
  t.push_back({"USERIDCD", "users of the suite and their log-on names",
               {Id("USR_ID"), Txt("USER_LOGON", 9), Txt("USER_NAME", 30), Txt("USER_GROUP", 10),
                Flag("USER_INACTIVE")},
               "USR_ID", {{"USERIDCD_LOGON", {"USER_LOGON"}}}});
  t.push_back({"EMPPOL", "employer insurance policies",
               {Id("EPOL_ID"), Txt("EPOL_INSURANCE", 5), Txt("EPOL_GROUPNO", 15), Txt("EPOL_EMPNAME", 50),
                Int("EPOL_COVERAGE")},
               "EPOL_ID", {}});

  // --- money ------------------------------------------------------------------
  t.push_back({"ACCPMT", "payments and adjustments posted to accounts",
               {Id("APMT_ID"), Id("APMT_ACCID"), Id("APMT_PATID"), Int("APMT_DATE"), Int("APMT_TRXNO"),
                Txt("APMT_KIND", 1), Txt("APMT_CODE", 5), Txt("APMT_DESCRIP", 30), Txt("APMT_SOURCE", 1),
                Txt("APMT_METHOD", 1), Int("APMT_AMOUNT"), Txt("APMT_PRODUCER", 3), Int("APMT_DEL_DATE")},
               "APMT_ID", {{"ACCPMT_DATE", {"APMT_DATE"}}, {"ACCPMT_ACC", {"APMT_ACCID"}}}});
  t.push_back({"PATOCH", "office charges billed to patients (not claimable)",
               {Id("POCH_ID"), Id("POCH_PATID"), Int("POCH_DATE"), Int("POCH_SERVNO"), Txt("POCH_CODE", 5),
                Txt("POCH_DESCRIP", 30), Int("POCH_AMOUNT"), Txt("POCH_PRODUCER", 3), Int("POCH_DEL_DATE")},
               "POCH_ID", {{"PATOCH_DATE", {"POCH_DATE"}}}});
  t.push_back({"PATCLM", "claims (a visit's treatments, a predetermination or a treatment plan)",
               {Id("PCLM_ID"), Id("PCLM_PATID"), Int("PCLM_DATE"), Int("PCLM_NUMBER"),
                Txt("PCLM_PRODUCER", 3), Id("PCLM_EPOLID"), Int("PCLM_TOTAL"), Txt("PCLM_STATUS", 1),
                Int("PCLM_DEL_DATE")},
               "PCLM_ID", {{"PATCLM_PAT", {"PCLM_PATID"}}, {"PATCLM_DATE", {"PCLM_DATE"}}}});
  t.push_back({"CLMTRT", "treatments: completed, in progress and planned",
               {Id("CTRT_ID"), Id("CTRT_PCLMID"), Id("CTRT_PATID"), Int("CTRT_DATE"), Int("CTRT_CLAIM_NO"),
                Txt("CTRT_CODE", 5), Txt("CTRT_CODE_FC_DESC", 50), Int("CTRT_TOOTH"), Txt("CTRT_SURFACE", 5),
                Txt("CTRT_STATUS", 1), Txt("CTRT_PRODUCER", 3), Int("CTRT_FEE"), Int("CTRT_LAB"),
                Int("CTRT_TOTAL"), Int("CTRT_INS_AMT"), Int("CTRT_DEL_DATE")},
               "CTRT_ID",
               {{"CLMTRT_DATE", {"CTRT_DATE", "CTRT_PRODUCER"}}, {"CLMTRT_CLAIM", {"CTRT_PCLMID"}}}});
  t.push_back({"TXPROP", "treatment proposals (headers)",
               {Id("TXP_ID"), Id("TXP_PATID"), Int("TXP_DATE"), Txt("TXP_TITLE", 40), Txt("TXP_PRODUCER", 3),
                Txt("TXP_STATUS", 1)},
               "TXP_ID", {}});
  t.push_back({"TXPTRT", "items of treatment proposals",
               {Id("TTRT_ID"), Id("TTRT_TXPID"), Id("TTRT_PATID"), Int("TTRT_DATE"), Txt("TTRT_CODE", 5),
                Txt("TTRT_DESC", 50), Txt("TTRT_PRODUCER", 3), Int("TTRT_TOTAL"), Txt("TTRT_STATUS", 1),
                Int("TTRT_DEL_DATE")},
               "TTRT_ID", {{"TXPTRT_DATE", {"TTRT_DATE"}}}});
  t.push_back({"PATPPLN", "payment plans",
               {Id("PPLN_ID"), Id("PPLN_PATID"), Id("PPLN_ACCID"), Int("PPLN_START"), Int("PPLN_AMOUNT"),
                Int("PPLN_INSTALMENT"), Int("PPLN_COUNT"), Int("PPLN_DEL_DATE")},
               "PPLN_ID", {}});

  // --- forms, documents -------------------------------------------------------
  t.push_back({"PATANS", "forms filled in by patients",
               {Id("PANS_ID"), Id("PANS_PATID"), Txt("PANS_CODE", 10), Int("PANS_DATE"), Txt("PANS_STATUS", 1)},
               "PANS_ID", {}});
  t.push_back({"DMDOC", "documents filed in the patient's folder",
               {Id("DDOC_ID"), Id("DDOC_PATID"), Int("DDOC_DATE"), Txt("DDOC_TAB", 20), Txt("DDOC_TITLE", 50),
                Txt("DDOC_FILE", 120)},
               "DDOC_ID", {}});

  // --- dental chart -------------------------------------------------------------
  t.push_back({"PATIENT2", "chart patients (one per patient; PATIENT2_AUTODEC = PAT_ID)",
               {Id("PATIENT2_AUTODEC"), Id("PATIENT2_PATID"), Txt("PATIENT2_FIRSTNAME", 15),
                Txt("PATIENT2_LASTNAME", 20), Int("PATIENT2_CREATED")},
               "PATIENT2_AUTODEC", {}});
  t.push_back({"PROCEDU2", "chart procedure codes",
               {Id("PROCEDU2_AUTODEC"), Txt("PROCEDU2_CODE", 10), Txt("PROCEDU2_UCODE", 10),
                Txt("PROCEDU2_DESCFC", 60), Txt("PROCEDU2_DESCEN", 60), Int("PROCEDU2_FEE")},
               "PROCEDU2_AUTODEC", {}});
  t.push_back({"TREATME2", "chart treatments",
               {Id("TREATME2_AUTODEC"), Id("TREATME2_PID"), Id("TREATME2_CODEID"), Int("TREATME2_DAYS"),
                Int("TREATME2_TOOTH"), Txt("TREATME2_SURFACE", 5), Txt("TREATME2_STATUS", 1),
                Txt("TREATME2_PRODUCER", 3)},
               "TREATME2_AUTODEC", {}});
  t.push_back({"ALERTD2", "chart alert codes",
               {Id("ALERTD2_AUTODEC"), Txt("ALERTD2_CODE", 30), Int("ALERTD2_TIME"), Txt("ALERTD2_DESC", 60)},
               "ALERTD2_AUTODEC", {}});
  t.push_back({"ALERTP2", "chart alerts of patients",
               {Id("ALERTP2_AUTODEC"), Id("ALERTP2_PID"), Id("ALERTP2_AID"), Int("ALERTP2_DATE")},
               "ALERTP2_AUTODEC", {}});
  t.push_back({"PERIOP2", "periodontal readings",
               {Id("PERIOP2_AUTODEC"), Id("PERIOP2_PID"), Int("PERIOP2_DATE"), Int("PERIOP2_TOOTH"),
                Txt("PERIOP2_DEPTHS", 20), Txt("PERIOP2_BLEEDING", 6)},
               "PERIOP2_AUTODEC", {}});
  t.push_back({"ANSWER2", "answers to the chart questionnaire",
               {Id("ANSWER2_AUTODEC"), Id("ANSWER2_PID"), Int("ANSWER2_DATE"), Txt("ANSWER2_QUESTION", 60),
                Txt("ANSWER2_ANSWER", 60)},
               "ANSWER2_AUTODEC", {}});

  // --- schedule -----------------------------------------------------------------
  t.push_back({"PATAPT", "appointments",
               {Id("PAPT_ID"), Id("PAPT_PATID"), Int("PAPT_DATE"), Int("PAPT_TIME"), Int("PAPT_LENGTH"),
                Txt("PAPT_PRODUCER", 3), Int("PAPT_CHAIR"), Txt("PAPT_LOC", 1), Txt("PAPT_STATUS", 1),
                Txt("PAPT_TYPE", 3), Txt("PAPT_CODE", 5), Int("PAPT_FEE"), Int("PAPT_DELDATE"),
                Int("PAPT_MADE_DATE"), Txt("PAPT_NOTE", 60)},
               "PAPT_ID",
               {{"PATAPT_PROD", {"PAPT_DATE", "PAPT_PRODUCER"}},
                {"PATAPT_CHAIR", {"PAPT_DATE", "PAPT_CHAIR"}},
                {"PATAPT_PAT", {"PAPT_PATID"}}}});
  t.push_back({"MCBCD", "appointment codes",
               {Id("MCB_ID"), Txt("MCB_CODE", 5), Txt("MCB_DESCRIPTION", 30), Int("MCB_LENGTH"), Int("MCB_FEE")},
               "MCB_ID", {{"MCBCD_CODE", {"MCB_CODE"}, true}}});
  t.push_back({"APTCODE", "appointment types",
               {Id("APCD_ID"), Txt("APCD_CODE", 3), Txt("APCD_DESC", 30), Int("APCD_COLOR")},
               "APCD_ID", {{"APTCODE_CODE", {"APCD_CODE"}, true}}});
  t.push_back({"LOCATION", "practice locations (one letter each)",
               {Id("LOC_ID"), Txt("LOC_CODE", 1), Txt("LOC_NAME", 30), Txt("LOC_ADDRESS", 40), Txt("LOC_CITY", 25)},
               "LOC_ID", {{"LOCATION_CODE", {"LOC_CODE"}, true}}});
  t.push_back({"CHAIR", "chairs (operatories); numbers are unique across locations",
               {Id("CHR_ID"), Txt("CHR_LOC", 1), Int("CHR_IDNO"), Txt("CHR_TITLE", 10), Flag("CHR_SHARED"),
                Txt("CHR_PRODUCER", 3), Flag("CHR_INACTIVE")},
               "CHR_ID", {{"CHAIR_IDNO", {"CHR_IDNO"}, true}}});
  t.push_back({"PRDSCH", "producer schedules: the chairs a producer works on",
               {Id("PSCH_ID"), Txt("PSCH_PROD", 3), Int("PSCH_EFF_DATE"), Txt("PSCH_CHAIRS", 160)},
               "PSCH_ID", {{"PRDSCH_PROD", {"PSCH_PROD"}}}});
  t.push_back({"PRDSCHD", "producer schedules: weekly working blocks per chair",
               {Id("PSD_ID"), Id("PSD_SCHID"), Txt("PSD_PROD", 3), Int("PSD_DOW"), Int("PSD_CHAIR"),
                Txt("PSD_LOC", 1), Int("PSD_START"), Int("PSD_END")},
               "PSD_ID", {{"PRDSCHD_PROD", {"PSD_PROD", "PSD_DOW"}}, {"PRDSCHD_CHAIR", {"PSD_CHAIR", "PSD_DOW"}}}});
  t.push_back({"CALDAT", "calendar exceptions per day (holidays, absences, extra openings)",
               {Id("CALD_ID"), Int("CALD_DATE"), Txt("CALD_LOC", 1), Int("CALD_CHAIR"), Txt("CALD_PROD", 3),
                Txt("CALD_KIND", 1), Int("CALD_START"), Int("CALD_END"), Txt("CALD_DESC", 30)},
               "CALD_ID", {{"CALDAT_DATE", {"CALD_DATE"}}}});
  t.push_back({"SCHEDULR", "appointment-scheduler settings (one row)",
               {Id("SCHD_ID"), Int("SCHD_UNIT"), Int("SCHD_UNIT_DATE"), Int("SCHD_OLD_UNIT"),
                Int("SCHD_DAY_START")},
               "SCHD_ID", {}});
  t.push_back({"OFFHOURS", "weekly office hours: three open/close pairs per weekday",
               {Id("OFH_DOW"), Txt("OFH_TIME1", 5), Txt("OFH_TIME2", 5), Txt("OFH_TIME3", 5),
                Txt("OFH_TIME4", 5), Txt("OFH_TIME5", 5), Txt("OFH_TIME6", 5)},
               "OFH_DOW", {}});

  // --- goals --------------------------------------------------------------------
  t.push_back({"GOALS", "monthly production goals per producer (or group) and year",
               {Id("GOALS_ID"), Int("GOAL_CHGDATE"), Txt("GOAL_PROD", 3), Int("GOAL_YEAR"), Int("GOAL_JAN"),
                Int("GOAL_FEB"), Int("GOAL_MAR"), Int("GOAL_APR"), Int("GOAL_MAY"), Int("GOAL_JUN"),
                Int("GOAL_JUL"), Int("GOAL_AUG"), Int("GOAL_SEP"), Int("GOAL_OCT"), Int("GOAL_NOV"),
                Int("GOAL_DEC")},
               "GOALS_ID",
               {{"GOALS_YEAR", {"GOAL_YEAR", "GOAL_PROD"}},
                // One record per producer (or group) and year, also when two
                // workstations save the same pair at once.
                {"GOALS_PROD_YEAR", {"GOAL_PROD", "GOAL_YEAR"}, true}}});

  // --- report presets -------------------------------------------------------------
  // Keys and flags are "KEY=VALUE" lines (PresetPairsText, suite/presets.h).
  t.push_back({"PRESETS", "report presets: the options of one analysis under a name (tabs, --preset, batch)",
               {Id("PRE_ID"), Txt("PRE_ANALYSIS", 12), Txt("PRE_NAME", 60), Txt("PRE_PERIOD", 20), Int("PRE_FROM"),
                Int("PRE_TO"), Txt("PRE_FORMAT", 4), Txt("PRE_KEYS", 0), Txt("PRE_FLAGS", 0),
                Txt("PRE_SAVED_BY", 32), Int("PRE_SAVED_ON")},
               "PRE_ID",
               // One preset of a name per analysis, also when two
               // workstations save the same name at once.
               {{"PRESETS_NAME", {"PRE_ANALYSIS", "PRE_NAME"}, true}}});
  return t;
}

}  // namespace

const std::vector<TableDef>& SchemaTables() {
  static const std::vector<TableDef> tables = BuildTables();
  return tables;
}
