// FillList of the detailed and history generators: descriptions, name
// look-ups, lines, group totals and the grand total.
//
// Worked example (detailed, subtotal on date, sort by date):
//   2026-12-01 09:15:00 AM  anne  ...            item data = audit id
//   2026-12-01 10:20:30 AM  marc  ...
//   " \t \t \t \t \t \t \t "                      blank, item data 0
//   "Total: 2\t01:05:30 \t2 \t \t2 \t2"           group total, item data -1
//   " \t \t \t \t \t \t \t "
//   2026-12-02 08:00:00 AM  anne  ...
//   (blank, "Total: 1\t \t3 \t \t3 \t3", blank)   last group
//   "Grand Total: 3\t \t3 \t \t3 \t3"             grand total, item data -1
// Counts are of listed rows. A subtotalled key restarts its count when its
// group ends; the counts of the other keys never restart (here user, module
// and action run on to 3). The duration spans the group's first to last row
// and is shown only when the date is subtotalled.
#include <string>

#include "audit/audit_generator.h"
#include "audit/audit_lines.h"
#include "audit/describe_ahead.h"
#include "audit/fill_cache.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "host/strings.h"

void PracBaseGenerator::WriteDetailedTotal(AuditLineSink* list, bool group) {
  const long* c = group ? totals_.group : totals_.grand;
  const std::string duration = group && totals_.subtotal[1] == 1
                                   ? DurationText(totals_.first_time, totals_.last_time)
                                   : std::string();
  std::string line;
  DetailedTotalLine(&line, ModuleString(group ? 57 : 58), c[1], duration, c[0], c[2], c[3]);
  if (group) EmitBlank(list);
  EmitTotal(list, line, group);
  if (group) EmitBlank(list);
}

void PracDetailedGenerator::FillGroupTotal(const std::vector<const PracBaseGenerator*>& clinics,
                                           AuditLineSink* sink) {
  BeginTotals();
  for (const PracBaseGenerator* clinic : clinics) {
    for (int k = 0; k < 4; ++k) totals_.grand[k] += clinic->Totals().grand[k];
  }
  WriteDetailedTotal(sink, false);
}

void PracBaseGenerator::FillDetailed(AuditLineSink* list, bool history) {
  // The sort may still run (ReadAndSort): the look-ups are planned and read
  // first, the list used after.
  TMeter meter(parent_);
  meter.DisplayMeterDlg(ModuleString(59), static_cast<long>(read_count_));
  meter.SetCounter(0);

  // The look-ups run inside one read transaction: one snapshot, and no lock
  // taken and released per statement.
  DbLookupRunner runner(db_);
  bool in_transaction = false;
  if (db_ != nullptr && read_count_ > 0) {
    in_transaction = db_->dbBeginTransaction() == 0;
    runner.SetInTransaction(in_transaction);
  }
  if (lookup_mode_ == LookupMode::kBatched) runner.Prefetch(wanted_lookups_.Requests());
  wanted_lookups_.Clear();
  WaitSorted();

  // From here to Stop the runner is the describer's (see DescribeAhead).
  DescribeAhead ahead(elems_, &runner);
  audit_detail::FillCache cache;
  std::string line;
  char time_text[48];
  bool broke = false;
  long ordinal = 0;
  for (VantraElem* e : elems_.As<VantraElem>()) {
    meter.SetCounter(ordinal++);
    if (meter.Cancelled()) {
      outcome_.NoteCancel();
      break;
    }
    const char* date_text = cache.Date(e->date());
    FormatAuditTime(e->time(), time_text);
    const std::string& module = cache.Module(*e);
    const AuditDescription& d = ahead.Next();
    if (totals_.first_time == 0) totals_.first_time = e->time();
    if (CheckGroupBreak(*e, d)) {
      WriteDetailedTotal(list, true);
      broke = true;
      totals_.first_time = e->time();
    }
    CountRow();
    totals_.last_time = e->time();
    if (history) {
      HistoryLine(&line, date_text, time_text, e->user(), d.table_name, module.c_str(), d.verb,
                  d.description);
    } else {
      DetailedLine(&line, date_text, time_text, e->user(), d.table_name, module.c_str(), d.verb,
                   d.description, d.first_name, d.last_name);
    }
    EmitData(list, line, *e);
  }
  ahead.Stop();
  if (broke) WriteDetailedTotal(list, true);
  WriteDetailedTotal(list, false);

  if (in_transaction) db_->dbCommit();
  stats_ = runner.Stats();
  if (!runner.FirstError().empty()) {
    outcome_.NoteFailure("La recherche des noms a échoué : " + runner.FirstError());
  }
  outcome_.NoteLostConnection(db_);
  meter.SetCounter(0);
  meter.CloseMeter();
}
