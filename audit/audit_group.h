// The audit lists of a dental group, for the audit tab and `vantra audit`:
// each clinic's detailed or summary list, generated on its own connection in
// its own snapshot (suite/clinics.h RunClinicGroup), then the group's total:
// the summary's rows merged across clinics as one practice's rows would be
// (PracSummaryGenerator::MergeClinics), or the detailed list's grand total
// of every clinic's rows; laid out as one list (lists/group_list.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audit/audit_drill.h"
#include "audit/audit_generator.h"
#include "audit/audit_types.h"
#include "host/clinic_pool.h"
#include "host/list_window.h"
#include "host/run_outcome.h"
#include "lists/group_list.h"

struct AuditGroupLists {
  std::vector<std::unique_ptr<QenListWindow>> clinics;  // one per clinic, its layout's columns
  std::unique_ptr<QenListWindow> total;
  std::vector<GroupPart> parts;        // the clinics' lists with their headings, then the total
  std::unique_ptr<QenListWindow> composed;  // the parts as one list (the clinics' list number)
  std::vector<GroupRowOrigin> origins; // where each row of composed came from
  std::vector<long> clinic_rows;       // the audit rows each clinic listed
  std::vector<std::string> prefixes;   // of the parts' clinics, in the parts' order
  // With keep_drill: each clinic's drill map (by part), for
  // DrillAuditGroupCell.
  std::vector<AuditDrillMap> maps;
  // The clinics' generators (their elements), kept with the lists.
  std::vector<std::unique_ptr<PracBaseGenerator>> generators;
};

// Runs the list (summary: list 301, else the detailed list 300) for every
// clinic of prefixes over pool. The lists are filled only when the group's
// outcome (ClinicGroupOutcome) is finished or cancelled; a cancelled group
// shows the clinics done and no total.
RunOutcome GenerateAuditGroup(const ClinicPoolOptions& pool, const std::vector<std::string>& prefixes,
                              const AuditOptions& options, bool summary, AuditGroupLists* out,
                              bool keep_drill = false);

// The rows behind a cell of the group list (lists/group_list.h
// PlaceOfGroupDrill): a clinic's line drills on that clinic (a connection
// of pool.url with its prefix, which *db keeps for the result's own
// drills); a heading or a line of the total is refused.
DrillResult DrillAuditGroupCell(const ClinicPoolOptions& pool, const AuditOptions& options,
                                const AuditGroupLists& lists, const DrillTarget& target, std::unique_ptr<GenDB>* db);
