#include "tests/stats/stats_fixture.h"

#include <gtest/gtest.h>

#include "host/gendb.h"
#include "host/sql_literal.h"
#include "suite/schema.h"

namespace {

void Exec(GenDB* db, const std::string& sql) {
  ASSERT_EQ(db->dbExec(sql.c_str()), 0) << db->LastError() << "\n" << sql;
}

std::string N(long v) { return std::to_string(v); }

}  // namespace

bool CreateStatsSchema(GenDB* db) {
  for (const TableDef& t : SchemaTables()) {
    if (db->dbExec(CreateTableSql(*db, t).c_str()) != 0) {
      ADD_FAILURE() << db->LastError();
      return false;
    }
  }
  return true;
}

void AddPatientRow(GenDB* db, long id, const std::string& doctor, long open_date, long last_claim, long deleted) {
  Exec(db, std::string("INSERT INTO ") + db->dbPrefix() +
               "PATIENT (PAT_ID, PAT_DOCTOR, PAT_OPEN_DATE, PAT_LAST_CLAIM_DATE, PAT_DELETE_DATE) VALUES (" + N(id) +
               "," + SqlQuoted(doctor) + "," + N(open_date) + "," + N(last_claim) + "," + N(deleted) + ")");
}

void AddStatusChange(GenDB* db, const char* table, long id, long patient, long date, const std::string& to,
                     const std::string& from) {
  const std::string p = std::string(table) == "AUDHIS" ? "AUDH_" : "AUD_";
  Exec(db, std::string("INSERT INTO ") + db->dbPrefix() + table + " (" + p + "ID," + p + "TYPE," + p + "ACTION," + p +
               "RECID," + p + "DATE," + p + "FLD_NAME1," + p + "FLD_INFO1," + p + "FLD_INFO2) VALUES (" + N(id) +
               ",'B','E'," + N(patient) + "," + N(date) + ",'PATSTATUS'," + SqlQuoted(to) + "," + SqlQuoted(from) +
               ")");
}

void AddCaseAudit(GenDB* db, long id, const std::string& type, const std::string& action, long recid, long date,
                  const std::string& info1, const std::string& info2, const std::string& info3) {
  Exec(db, std::string("INSERT INTO ") + db->dbPrefix() +
               "AUDITFIL (AUD_ID, AUD_TYPE, AUD_ACTION, AUD_RECID, AUD_DATE, AUD_FLD_INFO1, AUD_FLD_INFO2, "
               "AUD_FLD_INFO3) VALUES (" +
               N(id) + "," + SqlQuoted(type) + "," + SqlQuoted(action) + "," + N(recid) + "," + N(date) + "," +
               SqlQuoted(info1) + "," + SqlQuoted(info2) + "," + SqlQuoted(info3) + ")");
}

void AddPlanned(GenDB* db, long id, const std::string& producer, long total, long deleted) {
  Exec(db, std::string("INSERT INTO ") + db->dbPrefix() +
               "CLMTRT (CTRT_ID, CTRT_PRODUCER, CTRT_TOTAL, CTRT_DEL_DATE) VALUES (" + N(id) + "," +
               SqlQuoted(producer) + "," + N(total) + "," + N(deleted) + ")");
}

void AddProposalItem(GenDB* db, long id, const std::string& producer, long total, long deleted) {
  Exec(db, std::string("INSERT INTO ") + db->dbPrefix() +
               "TXPTRT (TTRT_ID, TTRT_PRODUCER, TTRT_TOTAL, TTRT_DEL_DATE) VALUES (" + N(id) + "," +
               SqlQuoted(producer) + "," + N(total) + "," + N(deleted) + ")");
}

void AddProducer(GenDB* db, long id, const std::string& code, bool inactive) {
  Exec(db, std::string("INSERT INTO ") + db->dbPrefix() + "PRODCD (PROD_ID, PROD_CODE, PROD_INACTIVE) VALUES (" +
               N(id) + "," + SqlQuoted(code) + "," + (inactive ? "'Y'" : "'N'") + ")");
}
