// The rows behind a figure of an audit list (lists/drill.h).
//
//   summary line, count        the detailed audit rows merged into it: the
//                              detailed generator run over the same options
//                              (dates narrowed to the line's), keeping the
//                              rows whose summary key (SummaryKeyOf, what the
//                              summary merges on) is the line's
//   summary total, sum         the detailed rows of every line it adds
//   summary total, a count     the summary lines it counts
//   detailed total, a count    the detailed lines it counts
//   detailed line, any cell    the history of its record (the history list,
//                              PracAuditGenerator), for the modules that keep
//                              one: patients 20105, referrals 20120, medical
//                              20160
//
// And for the other tabs' rows that name a patient (an appointment, a
// production item): DrillPatientHistory, the history of the patient's file.
//
// The spans of the totals and the keys of the lines come from the fill that
// wrote the list (AuditDrillMap, kept with PracBaseGenerator::KeepDrillMap),
// so a drill never reads the audit rows again except to list a summary
// figure's detailed rows.
#pragma once

#include "audit/audit_generator.h"
#include "audit/audit_options.h"
#include "audit/audit_types.h"
#include "lists/drill.h"

class GenDB;

// list: the list the fill of map wrote (map.list_id 300, 301 or 5111) from
// options. partial: the list is what a cancelled or cut-short run left (the
// title says so). parent: the window of the drill's meter.
DrillResult DrillAuditCell(GenDB* db, HWindow parent, const AuditOptions& options, const QenListWindow& list,
                           const AuditDrillMap& map, const DrillTarget& target, bool partial = false);

// The audit history of a patient's file, as the history window opened from
// the patient module (20105) shows it for patient_id: every date, every
// user, the history's options read through read (ReadAuditHistoryOptions).
// Titled "Historique des Audits — <patient_text>"; its lines drill no
// further.
DrillResult DrillPatientHistory(GenDB* db, HWindow parent, const AuditIniReader& read, long patient_id,
                                const std::string& patient_text);
