// Audit fixtures: the two audit tables and the look-up tables the
// descriptions read, created with their own DDL (texts unbounded so that a
// test can store texts longer than the audit columns allow), and helpers to
// fill them.
#pragma once

#include <string>

class GenDB;

struct AuditRowSpec {
  long id = 0;
  std::string type;  // usually one letter; longer or empty to test bad data
  std::string action;
  long record_id = 0;
  std::string user;
  long date = 0;
  long time = 0;
  std::string name1, name2, name3, info1, info2, info3;
};

// Creates AUDITFIL and AUDHIS (thirteen columns each). Returns false with a
// gtest failure when a statement fails.
bool CreateAuditTables(GenDB* db);
// Creates the look-up tables (PATIENT, ACCOUNT, ACCPMT, PATOCH, CLMTRT,
// PATCLM, PATIENT2, TREATME2, PROCEDU2, ALERTP2, ALERTD2, PATANS, EMPPOL,
// REFERCD, PRODCD, USERIDCD, PATPPLN, DMDOC, PATAPT, PERIOP2, ANSWER2).
bool CreateLookupTables(GenDB* db);

// Adds one audit row to table ("AUDITFIL" or "AUDHIS"); texts are escaped.
void AddAuditRow(GenDB* db, const char* table, const AuditRowSpec& row);
// Adds a row with every column but the id NULL.
void AddNullAuditRow(GenDB* db, const char* table, long id);

// Look-up rows.
void AddPatient(GenDB* db, long id, const std::string& first, const std::string& last);
void AddAccount(GenDB* db, long id, const std::string& first, const std::string& last);
void AddPayment(GenDB* db, long id, long account, long date, const std::string& trxno,
                const std::string& code, const std::string& description);
void AddChartPatient(GenDB* db, long id, const std::string& first, const std::string& last);
void AddChartTreatment(GenDB* db, long id, long patient, long code_id, long days,
                       const std::string& code, const std::string& description);
// A row of a two-column link table (PATPPLN, DMDOC, PATAPT, PERIOP2, ANSWER2).
void AddLink(GenDB* db, const std::string& table, long id, long patient);
void ExecOrFail(GenDB* db, const std::string& sql);
