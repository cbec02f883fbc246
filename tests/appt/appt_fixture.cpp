#include "tests/appt/appt_fixture.h"

#include <cstdio>
#include <sstream>

#include "host/gendb.h"
#include "suite/schema.h"

namespace {
// A GenDB that forwards to the case's connection without owning it.
class Borrowed : public GenDB {
 public:
  explicit Borrowed(GenDB* db) : db_(db) {}
  int dbExecute(const char* s, int c) override { return db_->dbExecute(s, c); }
  int dbFetch(int m, int c) override { return db_->dbFetch(m, c); }
  int dbGetLong(int col, long* o, int c) override { return db_->dbGetLong(col, o, c); }
  int dbGetShort(int col, short* o, int c) override { return db_->dbGetShort(col, o, c); }
  int dbGetChar(int col, char* o, int c) override { return db_->dbGetChar(col, o, c); }
  int dbGetString(int col, char* b, int cap, int c) override { return db_->dbGetString(col, b, cap, c); }
  int dbGetField(int col, std::string* o, int c, bool t) override { return db_->dbGetField(col, o, c, t); }
  int dbRowCount(long* o, int c) override { return db_->dbRowCount(o, c); }
  int dbClose(int c) override { return db_->dbClose(c); }
  int dbColumnCount(int c) override { return db_->dbColumnCount(c); }
  const char* dbPrefix() const override { return db_->dbPrefix(); }
  int dbExec(const char* s) override { return db_->dbExec(s); }
  int dbBeginTransaction() override { return db_->dbBeginTransaction(); }
  int dbCommit() override { return db_->dbCommit(); }
  int dbRollback() override { return db_->dbRollback(); }
  std::unique_ptr<BulkLoader> BeginBulk(const std::string& t, const std::vector<std::string>& c) override {
    return db_->BeginBulk(t, c);
  }
  const SqlDialect& Dialect() const override { return db_->Dialect(); }
  const std::string& LastError() const override { return db_->LastError(); }
  const std::string& Url() const override { return db_->Url(); }

 private:
  GenDB* db_;
};
}  // namespace

void ApptFixture::SetUp() {
  DbTest::SetUp();
  if (HasFatalFailure() || IsSkipped()) return;
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  Exec("INSERT INTO LOCATION (LOC_ID, LOC_CODE, LOC_NAME) VALUES (1, 'A', 'Clinique'), (2, 'B', 'Succursale')");
  Exec("INSERT INTO SCHEDULR (SCHD_ID, SCHD_UNIT, SCHD_UNIT_DATE, SCHD_OLD_UNIT, SCHD_DAY_START) "
       "VALUES (1, 10, 20260601, 15, 60000)");
  for (int d = 1; d <= 5; ++d) SetOfficeHours(d, "08:00,12:00,13:00,17:00");
  SetOfficeHours(6, "09:00,12:00");
  SetOfficeHours(0, "");
  app_.SetDb(std::make_unique<Borrowed>(Db()));
  QenApplication::SetInstance(&app_);
}

void ApptFixture::TearDown() {
  QenApplication::SetInstance(nullptr);
  DbTest::TearDown();
}

void ApptFixture::SetOfficeHours(int dow, const std::string& times) {
  std::string f[6];
  std::stringstream in(times);
  for (int k = 0; k < 6 && std::getline(in, f[k], ','); ++k) {
  }
  Exec("DELETE FROM OFFHOURS WHERE OFH_DOW = " + std::to_string(dow));
  Exec("INSERT INTO OFFHOURS VALUES (" + std::to_string(dow) + ", '" + f[0] + "', '" + f[1] + "', '" + f[2] + "', '" +
       f[3] + "', '" + f[4] + "', '" + f[5] + "')");
}

void ApptFixture::AddChair(char loc, int number, bool shared, const std::string& producer, bool inactive) {
  char sql[300];
  std::snprintf(sql, sizeof sql,
                "INSERT INTO CHAIR (CHR_ID, CHR_LOC, CHR_IDNO, CHR_TITLE, CHR_SHARED, CHR_PRODUCER, CHR_INACTIVE) "
                "VALUES (%ld, '%c', %d, 'Salle %d', '%s', '%s', '%s')",
                next_id_++, loc, number, number, shared ? "Y" : "N", producer.c_str(), inactive ? "Y" : "N");
  Exec(sql);
}

void ApptFixture::AddProducer(const std::string& code, const std::string& chairs, long effective, bool inactive) {
  const std::string id = std::to_string(next_id_++);
  Exec("INSERT INTO PRODCD (PROD_ID, PROD_CODE, PROD_FIRST_NAME, PROD_LAST_NAME, PROD_INACTIVE) VALUES (" + id +
       ", '" + code + "', 'Prénom', 'Nom " + code + "', '" + (inactive ? "Y" : "N") + "')");
  Exec("INSERT INTO PRDSCH (PSCH_ID, PSCH_PROD, PSCH_EFF_DATE, PSCH_CHAIRS) VALUES (" + id + ", '" + code + "', " +
       std::to_string(effective) + ", '" + chairs + "')");
}

void ApptFixture::AddBlock(const std::string& producer, int dow, int chair, char loc, long start, long end) {
  char sql[300];
  std::snprintf(sql, sizeof sql,
                "INSERT INTO PRDSCHD (PSD_ID, PSD_SCHID, PSD_PROD, PSD_DOW, PSD_CHAIR, PSD_LOC, PSD_START, PSD_END) "
                "VALUES (%ld, 0, '%s', %d, %d, '%c', %ld, %ld)",
                next_id_++, producer.c_str(), dow, chair, loc, start, end);
  Exec(sql);
}

void ApptFixture::AddException(long date, char loc, int chair, const std::string& producer, char kind, long start,
                               long end) {
  char sql[300];
  std::snprintf(sql, sizeof sql,
                "INSERT INTO CALDAT (CALD_ID, CALD_DATE, CALD_LOC, CALD_CHAIR, CALD_PROD, CALD_KIND, CALD_START, "
                "CALD_END, CALD_DESC) VALUES (%ld, %ld, '%c', %d, '%s', '%c', %ld, %ld, 'x')",
                next_id_++, date, loc, chair, producer.c_str(), kind, start, end);
  Exec(sql);
}

void ApptFixture::AddAppointment(long date, const std::string& producer, int chair, char loc, int slots, char status,
                                 long fee, const std::string& code, const std::string& type, long deldate, long time) {
  char sql[500];
  std::snprintf(sql, sizeof sql,
                "INSERT INTO PATAPT (PAPT_ID, PAPT_PATID, PAPT_DATE, PAPT_TIME, PAPT_LENGTH, PAPT_PRODUCER, "
                "PAPT_CHAIR, PAPT_LOC, PAPT_STATUS, PAPT_TYPE, PAPT_CODE, PAPT_FEE, PAPT_DELDATE) VALUES "
                "(%ld, 1, %ld, %ld, %d, '%s', %d, '%c', '%c', '%s', '%s', %ld, %ld)",
                next_id_++, date, time, slots, producer.c_str(), chair, loc, status, type.c_str(), code.c_str(), fee,
                deldate);
  Exec(sql);
}

void ApptFixture::AddAudit(bool archived, long audit_date, char action, const std::string& info1,
                           const std::string& info2) {
  const char* p = archived ? "AUDH" : "AUD";
  char sql[600];
  std::snprintf(sql, sizeof sql,
                "INSERT INTO %s (%s_ID, %s_TYPE, %s_ACTION, %s_RECID, %s_USER, %s_DATE, %s_TIME, %s_FLD_NAME1, "
                "%s_FLD_INFO1, %s_FLD_INFO2) VALUES (%ld, 'S', '%c', 0, 'anne', %ld, 100000, 'PATAPT', '%s', '%s')",
                archived ? "AUDHIS" : "AUDITFIL", p, p, p, p, p, p, p, p, p, p, next_id_++, action, audit_date,
                info1.c_str(), info2.c_str());
  Exec(sql);
}

std::string ScheduleInfo(char status, const std::string& producer, char loc, int chair, long date, int slots,
                         const std::string& type) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%c%-3s%c%02d%08ld0900%02d%-3sNN", status, producer.c_str(), loc, chair, date, slots,
                type.c_str());
  return buf;
}
