// What an audit row means: its module (ModuleCodeOf), its action group
// (ActionGroupOf), its verb (ActionTextOf), its module's name (ModuleNameOf)
// and its readable description (DescribeRow: table name, description and
// the name of the person concerned, looked up in the practice tables).
//
// Everything here is a pure function of the row (plus the options for the
// module filter, and a LookupRunner for the names); nothing throws, any byte
// content is accepted. Texts are cut to their capacities on UTF-8 boundaries.
#pragma once

#include <string>

#include "audit/audit_lookup.h"
#include "audit/audit_types.h"

// --- module code -------------------------------------------------------------

// The module code(s) of a row by its type letter, before any filtering: one
// code, or (type 'N', note kind 1007) three candidates of which the first is
// the row's code. Returns how many were written to out[0..2]; 0 for a type
// that is never listed.
int ModuleCandidates(const AuditRecord& row, long out[3]);

// The row's module code after the entry/exit rule and the module filter of
// options; 0 means the row is dropped (never listed).
long ModuleCodeOf(const AuditRecord& row, const AuditOptions& options);

// A small number that orders and groups actions (group_mode 1 in summary
// elements, 0 in detailed ones; only type 'E' rows depend on it).
long ActionGroupOf(const AuditRecord& row, long group_mode);
// Same, for the fields a list element keeps.
long ActionGroupOf(char type, char action, long record_id, long group_mode);

// --- verbs and names ------------------------------------------------------------

// Where a verb's text comes from: this module's strings, or the suite's
// printing library (type 'S' verbs).
struct VerbId {
  int id = 0;  // 0 = no verb
  bool printing_library = false;
};
VerbId ActionTextOf(char type, char action, long record_id);
// The verb's text ("" when none), at most 15 bytes.
std::string ActionText(char type, char action, long record_id);
// The same text, kept: each verb's text is cut once per thread and handed out
// from then on (a million rows ask a dozen verbs). Valid until the next call
// on the same thread.
const char* ActionTextKept(char type, char action, long record_id);

// The module's name, at most 63 bytes: for type 'E' rows of modules 1..7 the
// application's or this module's text, otherwise the host's name of
// module_code in AuditModuleTable ("" for 0 or a code not in the table).
std::string ModuleNameOf(char type, long record_id, long module_code);
std::string ModuleNameOf(const VantraElem& elem);

// Table-name rule: n < 117 gives this module's string n + 400, else string n;
// 0 (or an id without a string) gives "".
const char* TableNameOf(long table_id);

// Report table of type 'L' rows: the host string id of report record_id, or
// 0 when the id is not one of the 48 reports.
int ReportStringOf(long record_id);

// --- descriptions -----------------------------------------------------------------

// The readable columns of one row. Capacities in bytes with the terminator.
struct AuditDescription {
  long date = 0;               // set only by the six-column look-ups
  char verb[16] = {};
  char table_name[32] = {};
  char number[16] = {};
  char code[16] = {};
  char description[154] = {};  // at most 153 bytes
  char first_name[16] = {};
  char last_name[16] = {};
};

// Fills *out (cleared first) with the table name, description and names of
// row, running at most one look-up through runner, then the verb. When a
// gating look-up finds no row, everything but the verb stays empty.
// runner may be null (no look-up runs; every look-up finds nothing).
// A runner that returns null (CollectingRunner) ends the description early;
// *out is then unspecified.
void DescribeRow(const AuditRecord& row, LookupRunner* runner, AuditDescription* out);
