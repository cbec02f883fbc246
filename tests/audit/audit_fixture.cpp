#include "tests/audit/audit_fixture.h"

#include <gtest/gtest.h>

#include "host/gendb.h"
#include "host/sql_literal.h"

void ExecOrFail(GenDB* db, const std::string& sql) {
  EXPECT_EQ(db->dbExec(sql.c_str()), 0) << sql << "\n" << db->LastError();
}

namespace {

std::string Int(GenDB* db) { return db->Dialect().BigIntType(); }
std::string Text(GenDB* db) { return db->Dialect().TextType(0); }

bool Create(GenDB* db, const std::string& table, const std::vector<std::string>& int_cols,
            const std::vector<std::string>& text_cols) {
  std::string sql = "CREATE TABLE " + table + " (";
  bool first = true;
  for (const auto& c : int_cols) {
    sql += (first ? "" : ", ") + c + " " + Int(db);
    first = false;
  }
  for (const auto& c : text_cols) {
    sql += (first ? "" : ", ") + c + " " + Text(db);
    first = false;
  }
  sql += ")";
  const bool ok = db->dbExec(sql.c_str()) == 0;
  EXPECT_TRUE(ok) << sql << "\n" << db->LastError();
  return ok;
}

}  // namespace

bool CreateAuditTables(GenDB* db) {
  for (const std::string p : {"AUD_", "AUDH_"}) {
    const std::string table = p == "AUD_" ? "AUDITFIL" : "AUDHIS";
    const std::string sql = "CREATE TABLE " + table + " (" + p + "ID " + Int(db) + ", " + p +
                            "TYPE " + Text(db) + ", " + p + "ACTION " + Text(db) + ", " + p +
                            "RECID " + Int(db) + ", " + p + "USER " + Text(db) + ", " + p +
                            "DATE " + Int(db) + ", " + p + "TIME " + Int(db) + ", " + p +
                            "FLD_NAME1 " + Text(db) + ", " + p + "FLD_NAME2 " + Text(db) + ", " +
                            p + "FLD_NAME3 " + Text(db) + ", " + p + "FLD_INFO1 " + Text(db) +
                            ", " + p + "FLD_INFO2 " + Text(db) + ", " + p + "FLD_INFO3 " +
                            Text(db) + ")";
    if (db->dbExec(sql.c_str()) != 0) {
      ADD_FAILURE() << sql << "\n" << db->LastError();
      return false;
    }
  }
  return true;
}

bool CreateLookupTables(GenDB* db) {
  return Create(db, "PATIENT", {"PAT_ID"}, {"pat_pname", "pat_lname"}) &&
         Create(db, "ACCOUNT", {"ACC_ID"}, {"acc_pname", "acc_lname"}) &&
         Create(db, "ACCPMT", {"APMT_ID", "APMT_ACCID", "apmt_date"},
                {"apmt_trxno", "apmt_code", "apmt_descrip"}) &&
         Create(db, "PATOCH", {"POCH_ID", "POCH_PATID", "poch_date"},
                {"poch_servno", "poch_code", "poch_descrip"}) &&
         Create(db, "CLMTRT", {"CTRT_ID", "CTRT_PCLMID", "ctrt_date"},
                {"ctrt_claim_no", "ctrt_code", "ctrt_code_fc_desc"}) &&
         Create(db, "PATCLM", {"PCLM_ID", "PCLM_PATID", "pclm_date"}, {"pclm_number"}) &&
         Create(db, "PATIENT2", {"patient2_autodec"}, {"PATIENT2_FirstName", "PATIENT2_LastName"}) &&
         Create(db, "TREATME2", {"TREATME2_Autodec", "TREATME2_PId", "TREATME2_CodeId", "TREATME2_Days"},
                {}) &&
         Create(db, "PROCEDU2", {"Procedu2_autodec"},
                {"PROCEDU2_code", "PROCEDU2_ucode", "PROCEDU2_DESCFC"}) &&
         Create(db, "ALERTP2", {"ALERTP2_Autodec", "ALERTP2_PId", "ALERTP2_AId"}, {}) &&
         Create(db, "ALERTD2", {"ALERTD2_autodec", "ALERTD2_Time"}, {"ALERTD2_Code"}) &&
         Create(db, "PATANS", {"PANS_ID", "PANS_PATID"}, {"pans_code"}) &&
         Create(db, "EMPPOL", {"EPOL_ID"}, {"epol_insurance", "epol_groupno", "epol_empname"}) &&
         Create(db, "REFERCD", {"REFCD_ID"}, {"refcd_docfname", "refcd_refname"}) &&
         Create(db, "PRODCD", {"PROD_ID"}, {"PROD_FIRST_NAME", "PROD_LAST_NAME"}) &&
         Create(db, "USERIDCD", {"USR_ID"}, {"USER_NAME", "USER_LOGON"}) &&
         Create(db, "PATPPLN", {"PPLN_ID", "PPLN_PATID"}, {}) &&
         Create(db, "DMDOC", {"DDOC_ID", "DDOC_PATID"}, {}) &&
         Create(db, "PATAPT", {"PAPT_ID", "PAPT_PATID"}, {}) &&
         Create(db, "PERIOP2", {"PERIOP2_Autodec", "PERIOP2_PId"}, {}) &&
         Create(db, "ANSWER2", {"ANSWER2_Autodec", "ANSWER2_PId"}, {});
}

void AddAuditRow(GenDB* db, const char* table, const AuditRowSpec& r) {
  const bool archived = std::string(table) == "AUDHIS";
  const std::string p = archived ? "AUDH_" : "AUD_";
  char numbers[160];
  std::snprintf(numbers, sizeof numbers, "%ld, %s, %s, %ld, %s, %ld, %ld", r.id,
                SqlQuoted(r.type).c_str(), SqlQuoted(r.action).c_str(), r.record_id,
                SqlQuoted(r.user).c_str(), r.date, r.time);
  ExecOrFail(db, std::string("INSERT INTO ") + table + " (" + p + "ID, " + p + "TYPE, " + p +
               "ACTION, " + p + "RECID, " + p + "USER, " + p + "DATE, " + p + "TIME, " + p +
               "FLD_NAME1, " + p + "FLD_NAME2, " + p + "FLD_NAME3, " + p + "FLD_INFO1, " + p +
               "FLD_INFO2, " + p + "FLD_INFO3) VALUES (" + numbers + ", " + SqlQuoted(r.name1) +
               ", " + SqlQuoted(r.name2) + ", " + SqlQuoted(r.name3) + ", " + SqlQuoted(r.info1) +
               ", " + SqlQuoted(r.info2) + ", " + SqlQuoted(r.info3) + ")");
}

void AddNullAuditRow(GenDB* db, const char* table, long id) {
  const std::string p = std::string(table) == "AUDHIS" ? "AUDH_" : "AUD_";
  ExecOrFail(db, std::string("INSERT INTO ") + table + " (" + p + "ID) VALUES (" + std::to_string(id) +
               ")");
}

void AddPatient(GenDB* db, long id, const std::string& first, const std::string& last) {
  ExecOrFail(db, "INSERT INTO PATIENT VALUES (" + std::to_string(id) + ", " + SqlQuoted(first) + ", " +
               SqlQuoted(last) + ")");
}

void AddAccount(GenDB* db, long id, const std::string& first, const std::string& last) {
  ExecOrFail(db, "INSERT INTO ACCOUNT VALUES (" + std::to_string(id) + ", " + SqlQuoted(first) + ", " +
               SqlQuoted(last) + ")");
}

void AddPayment(GenDB* db, long id, long account, long date, const std::string& trxno,
                const std::string& code, const std::string& description) {
  ExecOrFail(db, "INSERT INTO ACCPMT VALUES (" + std::to_string(id) + ", " + std::to_string(account) +
               ", " + std::to_string(date) + ", " + SqlQuoted(trxno) + ", " + SqlQuoted(code) +
               ", " + SqlQuoted(description) + ")");
}

void AddChartPatient(GenDB* db, long id, const std::string& first, const std::string& last) {
  ExecOrFail(db, "INSERT INTO PATIENT2 VALUES (" + std::to_string(id) + ", " + SqlQuoted(first) + ", " +
               SqlQuoted(last) + ")");
}

void AddChartTreatment(GenDB* db, long id, long patient, long code_id, long days,
                       const std::string& code, const std::string& description) {
  ExecOrFail(db, "INSERT INTO TREATME2 VALUES (" + std::to_string(id) + ", " + std::to_string(patient) +
               ", " + std::to_string(code_id) + ", " + std::to_string(days) + ")");
  ExecOrFail(db, "INSERT INTO PROCEDU2 VALUES (" + std::to_string(code_id) + ", " + SqlQuoted(code) +
               ", " + SqlQuoted(code) + ", " + SqlQuoted(description) + ")");
}

void AddLink(GenDB* db, const std::string& table, long id, long patient) {
  ExecOrFail(db, "INSERT INTO " + table + " VALUES (" + std::to_string(id) + ", " +
               std::to_string(patient) + ")");
}
