#include "suite/pick_lists.h"

#include "host/gendb.h"
#include "host/sql_literal.h"

std::string ActiveProducersSql(const char* prefix) {
  return std::string("SELECT PROD_CODE, PROD_LAST_NAME, PROD_FIRST_NAME FROM ") + prefix +
         "PRODCD WHERE PROD_INACTIVE != 'Y' " + " ORDER BY PROD_CODE";
}

std::string GoalsActiveProducersSql(const char* prefix) {
  return std::string("SELECT PROD_CODE, PROD_LAST_NAME, PROD_FIRST_NAME FROM ") + prefix +
         "PRODCD WHERE PROD_INACTIVE != 'Y' ORDER BY PROD_CODE";
}

std::string AllProducersSql(const char* prefix) {
  return std::string("SELECT PROD_CODE, PROD_LAST_NAME, PROD_FIRST_NAME FROM ") + prefix + "PRODCD ORDER BY PROD_CODE";
}

std::string ProducerCodesSql(const char* prefix) {
  return std::string("SELECT PROD_CODE FROM ") + prefix + "PRODCD ORDER BY PROD_CODE";
}

std::string NamedProducerSql(const char* prefix, const std::string& code) {
  return std::string("SELECT PROD_CODE FROM ") + prefix + "PRODCD WHERE PROD_CODE = '" + SqlEscaped(code) + "'";
}

std::string ChairsSql(const char* prefix) {
  return std::string("SELECT CHR_LOC, CHR_IDNO, CHR_TITLE FROM ") + prefix + "CHAIR" + " ORDER BY CHR_IDNO";
}

std::string UsersSql(const char* prefix) {
  return std::string("SELECT USR_ID, USER_LOGON FROM ") + prefix + "USERIDCD" + " ORDER BY USER_LOGON";
}

std::string ApptCodesSql(const char* prefix, bool codes) {
  return codes ? std::string("SELECT MCB_CODE, MCB_DESCRIPTION FROM ") + prefix + "MCBCD ORDER BY MCB_CODE"
               : std::string("SELECT APCD_CODE, APCD_DESC FROM ") + prefix + "APTCODE ORDER BY APCD_CODE";
}

std::vector<std::string> LoadProducerCodes(GenDB* db) {
  std::vector<std::string> codes;
  if (db == nullptr) return codes;
  const std::string sql = ProducerCodesSql(db->dbPrefix());
  if (db->dbExecute(sql.c_str(), 25) == 0) {
    for (int r = db->dbFetch(0, 25); r == 0; r = db->dbFetch(1, 25)) {
      std::string code;
      db->dbGetField(1, &code, 25, true);
      if (!code.empty()) codes.push_back(code);  // a producer without a code cannot have goals
    }
  }
  db->dbClose(25);
  return codes;
}
