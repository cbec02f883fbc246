// A practice database for the statistics tests: the suite's schema, and
// helpers that add the rows the lists read (unnamed columns take their
// defaults).
#pragma once

#include <string>

class GenDB;

// Creates every table of the suite's schema. False on a failed statement.
bool CreateStatsSchema(GenDB* db);

void AddPatientRow(GenDB* db, long id, const std::string& doctor, long open_date, long last_claim,
                   long deleted = 0);
// A patient-status change (AUD_TYPE 'B', AUD_FLD_NAME1 'PATSTATUS') in
// table AUDITFIL or AUDHIS.
void AddStatusChange(GenDB* db, const char* table, long id, long patient, long date, const std::string& to,
                     const std::string& from);
// A case-acceptance audit row of AUDITFIL.
void AddCaseAudit(GenDB* db, long id, const std::string& type, const std::string& action, long recid, long date,
                  const std::string& info1, const std::string& info2, const std::string& info3);
void AddPlanned(GenDB* db, long id, const std::string& producer, long total, long deleted = 0);
void AddProposalItem(GenDB* db, long id, const std::string& producer, long total, long deleted = 0);
void AddProducer(GenDB* db, long id, const std::string& code, bool inactive = false);
