#include "goals/goals_generator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "goals/goals_style.h"
#include "host/application.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "host/prodanal.h"
#include "host/sql_literal.h"
#include "host/strings.h"
#include "suite/production_service.h"
#include "suite/pick_lists.h"

namespace {

constexpr int kPeriodWidth = 7;
constexpr int kProducerWidth = 10;

// Upper-cases ASCII letters and the accented lower-case letters of Latin-1
// (UTF-8 C3 A0..C3 BE but C3 B7), which is all the French month names hold.
std::string UpperFrench(std::string text) {
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 'a' && c <= 'z') {
      text[i] = static_cast<char>(c - 32);
    } else if (c == 0xC3 && i + 1 < text.size()) {
      unsigned char n = static_cast<unsigned char>(text[i + 1]);
      if (n >= 0xA0 && n <= 0xBE && n != 0xB7) text[i + 1] = static_cast<char>(n - 0x20);
      ++i;
    }
  }
  return text;
}

// The first `count` characters (not bytes) of a UTF-8 text.
std::string FirstChars(const std::string& text, int count) {
  size_t i = 0;
  for (int n = 0; n < count && i < text.size(); ++n) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return text.substr(0, i);
}

bool IsAllDigits(const char* text, size_t length) {
  if (std::strlen(text) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}


std::string Key(const std::string& code, int year) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%d", code.c_str(), year);
  return text;
}

long Sum(const std::vector<long>& v) {
  long s = 0;
  for (long x : v) s += x;
  return s;
}

// One row: the label and the cells of the chosen periods, separated by
// " \t"; with the total column, empty cells up to column 12 and the total.
std::string RowText(const std::string& label, const GoalsLineCells& cells, const GoalsDisplay& display,
                    bool show_total) {
  std::string row = label;
  for (size_t i = 0; i < cells.production.size(); ++i) {
    row += " \t" + GoalCellText(cells.production[i], i < cells.goal.size() ? cells.goal[i] : 0, display);
  }
  if (show_total) {
    for (size_t i = cells.production.size(); i < 12; ++i) row += " \t";
    row += " \t" + GoalCellText(cells.total_production, cells.total_goal, display);
  }
  return row;
}

}  // namespace

GoalsLineCells GoalsCellsOf(const std::vector<long>& production, const std::vector<long>& goal) {
  GoalsLineCells cells;
  cells.production = production;
  cells.goal = goal;
  cells.total_production = Sum(production);
  cells.total_goal = Sum(goal);
  return cells;
}

bool LoadActiveProducers(GenDB* db, std::vector<GoalsProducer>* out, std::string* error) {
  out->clear();
  if (db == nullptr) return false;
  const std::string sql = GoalsActiveProducersSql(db->dbPrefix());
  bool ok = db->dbExecute(sql.c_str(), kGoalsProducerCursor) == 0;
  if (ok) {
    for (int r = db->dbFetch(0, kGoalsProducerCursor); r == 0; r = db->dbFetch(1, kGoalsProducerCursor)) {
      GoalsProducer p;
      db->dbGetField(1, &p.code, kGoalsProducerCursor, true);
      db->dbGetField(2, &p.last_name, kGoalsProducerCursor, true);
      db->dbGetField(3, &p.first_name, kGoalsProducerCursor, true);
      BlankRowBreaks(&p.last_name);
      BlankRowBreaks(&p.first_name);
      if (!p.code.empty()) out->push_back(std::move(p));  // no code: nothing to select
    }
    ok = db->LastError().empty();
  }
  if (!ok && error) *error = db->LastError();
  db->dbClose(kGoalsProducerCursor);
  return ok;
}

std::vector<std::string> SelectedGoalsProducers(const GoalsOptions& options, const std::vector<GoalsProducer>& active) {
  std::vector<std::string> codes;
  if (options.all_producers == 'Y') {
    for (const GoalsProducer& p : active) {
      if (static_cast<int>(codes.size()) >= kGoalsMaxProducers) break;
      codes.push_back(p.code.substr(0, 4));
    }
  } else {
    codes = options.producers;
  }
  return codes;
}

std::string GoalYearCountSql(const char* prefix, const std::string& year) {
  char sql[128];
  std::snprintf(sql, sizeof sql, "SELECT COUNT(0) FROM %sGOALS WHERE GOAL_YEAR = %s", prefix, year.c_str());
  return sql;
}

long GoalYearCount(GenDB* db, const char* year) {
  if (!IsAllDigits(year, 4)) return 0;
  if (db == nullptr) return -1;
  // The year goes into the statement as typed: only digits ever reach here.
  const std::string sql = GoalYearCountSql(db->dbPrefix(), year);
  long n = -1;
  if (db->dbExecute(sql.c_str(), kGoalsCursor) == 0 && db->dbFetch(0, kGoalsCursor) == 0) {
    n = 0;
    db->dbGetLong(1, &n, kGoalsCursor);
  }
  db->dbClose(kGoalsCursor);
  return n;
}

std::vector<int> ValidateGoalsReport(GenDB* db, const GoalsOptions& o, size_t selected_count) {
  // The comparison year is counted only when the report year passed, as
  // the tab does.
  const long year_goals = GoalYearCount(db, o.year);
  const long comp_goals = year_goals > 0 && o.HasCompYear() ? GoalYearCount(db, o.comp_year) : 0;
  return GoalsRuleFailures(o, year_goals, comp_goals, selected_count);
}

std::vector<int> GoalsRuleFailures(const GoalsOptions& o, long year_goals, long comp_goals, size_t selected_count) {
  std::vector<int> failed;
  const bool year_ok = IsAllDigits(o.year, 4) && year_goals > 0;
  const bool comp_ok = !o.HasCompYear() || (IsAllDigits(o.comp_year, 4) && comp_goals > 0);
  if (!year_ok || !comp_ok) failed.push_back(97);
  if (o.HasCompYear() && std::strcmp(o.year, o.comp_year) == 0) failed.push_back(94);
  if (selected_count == 0) failed.push_back(95);
  bool any = false;
  if (o.Monthly()) {
    for (char m : o.month) any = any || m == 'Y';
  } else {
    for (char q : o.q) any = any || q == 'Y';
  }
  if (!any) failed.push_back(96);
  return failed;
}

std::string GoalsPeriodTitle(bool monthly, int number) {
  if (!monthly) return "Q" + std::to_string(number);
  return UpperFrench(FirstChars(CDate::month_name(number), 3));
}

std::vector<GoalsPeriod> GoalsPeriods(const GoalsOptions& o, int year) {
  std::vector<GoalsPeriod> out;
  const bool monthly = o.Monthly();
  for (int n = 1; n <= (monthly ? 12 : 4); ++n) {
    if ((monthly ? o.month[n - 1] : o.q[n - 1]) != 'Y') continue;
    const int first = monthly ? n : 3 * n - 2;
    const int last = monthly ? n : 3 * n;
    GoalsPeriod p;
    p.number = n;
    p.from = year * 10000L + first * 100L + 1;
    p.to = year * 10000L + last * 100L + DaysPerMonth(last, year);
    p.title = GoalsPeriodTitle(monthly, n);
    out.push_back(p);
  }
  return out;
}

void SetGoalsColumns(QenListWindow* list, const GoalsOptions& options, bool show_total) {
  std::vector<ListColumn> columns;
  columns.push_back({HostString(10064), kProducerWidth, ColumnAlign::kLeft});
  const std::vector<GoalsPeriod> periods = GoalsPeriods(options, 2000);
  for (size_t i = 0; i < 12; ++i) {
    if (i < periods.size()) {
      columns.push_back({periods[i].title, kPeriodWidth, ColumnAlign::kLeft});
    } else {
      columns.push_back({"", 0, ColumnAlign::kLeft});
    }
  }
  columns.push_back({show_total ? HostString(10150) : "", show_total ? kPeriodWidth : 0, ColumnAlign::kLeft});
  list->SetColumns(std::move(columns));
}

GoalsProductionFn ChannelProduction(QenApplication* app, HWindow owner) {
  return [app, owner](long from, long to, TDList* out, std::string* why) {
    return ChannelProduction(app ? app->Channel() : nullptr, owner)(from, to, out, why);
  };
}

GoalsProductionFn ChannelProduction(RequestChannel* channel, HWindow owner) {
  return [channel, owner](long from, long to, TDList* out, std::string* why) {
    if (channel == nullptr) {
      *why = "aucun service de production";
      return false;
    }
    ProdAnalRequest request;
    request.owner = owner;
    request.result = out;
    request.from = from;
    request.to = to;
    channel->Request(kProductionCommand, &request);
    if (request.status != 1) *why = channel->FailureReason();
    if (request.status == 1 && out->IsEmpty()) *why = "aucun producteur dans la réponse";
    return request.status == 1 && !out->IsEmpty();
  };
}

long GoalOfPeriod(const GoalInfo& record, bool monthly, int n) {
  if (n < 1 || n > (monthly ? 12 : 4)) return 0;
  if (monthly) return record.goals[n - 1];
  long g = 0;
  for (int m = 3 * n - 3; m < 3 * n; ++m) g += record.goals[m];
  return g;
}

void ApplyGoalRecord(const GoalInfo& record, bool monthly, const std::vector<GoalsPeriod>& periods,
                     std::vector<GoalsEntry>* entries, int record_index) {
  const std::string code = record.producer;
  const bool practice = code == "*";
  const bool group = code.size() >= 2 && code[1] == '*';
  for (GoalsEntry& e : *entries) {
    if (e.year != record.year) continue;
    int strength = 0;
    if (code == e.producer) {
      strength = 3;
    } else if (group && !e.producer.empty() && e.producer[0] == code[0]) {
      if (e.applied == 3) continue;
      strength = 2;
    } else if (practice) {
      if (e.applied != 0) continue;
      strength = 1;
    } else {
      continue;
    }
    for (size_t i = 0; i < periods.size(); ++i) e.goal[i] = GoalOfPeriod(record, monthly, periods[i].number);
    e.applied = std::max(e.applied, strength);
    e.goal_record = record_index;
  }
}

RunOutcome CheckGoalsRun(GenDB* db, const GoalsOptions& options, size_t selected_count, std::vector<int>* failed) {
  RunOutcome outcome = db != nullptr ? BeginRun(db) : RunOutcome();
  *failed = ValidateGoalsReport(db, options, selected_count);
  if (failed->empty()) return outcome;
  if (outcome.NoteLostConnection(db)) return outcome;
  return RunOutcome::Refused(ModuleString(failed->front()));
}

bool GoalsEntryLess(const GoalsEntry& a, const GoalsEntry& b) {
  return Key(a.producer, a.year) < Key(b.producer, b.year);
}

void WriteGoalsRows(const std::vector<GoalsEntry>& entries, const GoalsOptions& options, const GoalsDisplay& display,
                    QenListWindow* list, GoalsDrillMap* drill, const GoalsLineCellsFn& cells) {
  std::vector<int> years = {options.Year()};
  if (options.HasCompYear()) years.push_back(options.CompYear());
  const size_t n = GoalsPeriods(options, years[0]).size();
  const bool compare = options.HasCompYear();
  const bool show_total = display.show_tot_col == 'Y';
  if (options.totals_only != 'Y') {
    for (size_t i = 0; i < entries.size(); ++i) {
      const GoalsEntry& e = entries[i];
      std::string label = e.producer;
      if (compare) label += "(" + std::to_string(e.year) + ")";
      if (compare && i > 0 && entries[i - 1].producer != e.producer) {
        list->AddString("", 0);
        if (drill != nullptr) drill->lines.push_back({});
      }
      list->AddString(RowText(label, cells ? cells(static_cast<int>(i), e.year) : GoalsCellsOf(e.production, e.goal),
                              display, show_total),
                      e.year == years[0] ? kGoalLineYear : kGoalLineCompYear);
      if (drill != nullptr) drill->lines.push_back({static_cast<int>(i), 0});
    }
    if (!entries.empty()) {
      list->AddString("", 0);
      if (drill != nullptr) drill->lines.push_back({});
    }
  }
  std::vector<int> order = years;
  std::sort(order.begin(), order.end());
  for (int year : order) {
    std::vector<long> production(n, 0), goal(n, 0);
    for (const GoalsEntry& e : entries) {
      if (e.year != year) continue;
      for (size_t i = 0; i < n && i < e.production.size() && i < e.goal.size(); ++i) {
        production[i] += e.production[i];
        goal[i] += e.goal[i];
      }
    }
    std::string label = ModuleString(57);
    if (compare) label += " " + std::to_string(year);
    list->AddString(RowText(label, cells ? cells(-1, year) : GoalsCellsOf(production, goal), display, show_total),
                    year == years[0] ? kGoalLineTotal : kGoalLineCompTotal);
    if (drill != nullptr) drill->lines.push_back({-1, year});
  }
}

GoalsResult GenerateGoalsReport(GenDB* db, const GoalsOptions& options, const GoalsDisplay& display,
                                const std::vector<std::string>& selected, const GoalsProductionFn& production,
                                QenListWindow* list, GoalsDrillMap* drill) {
  GoalsResult result;
  if (drill != nullptr) *drill = GoalsDrillMap();
  list->ClearList();
  if (db != nullptr) result.outcome = BeginRun(db);
  std::vector<int> years = {options.Year()};
  if (options.HasCompYear()) years.push_back(options.CompYear());
  const std::vector<GoalsPeriod> shape = GoalsPeriods(options, years[0]);
  const size_t n = shape.size();

  // Step 2: production per period, one entry per producer and year.
  std::map<std::string, size_t> index;  // "%s%d" -> entry
  for (int year : years) {
    const std::vector<GoalsPeriod> periods = GoalsPeriods(options, year);
    for (size_t i = 0; i < periods.size(); ++i) {
      TDList records;
      std::string why;
      if (!production(periods[i].from, periods[i].to, &records, &why)) {
        result.outcome.NoteFailure("le service de production n'a pas répondu pour " + std::to_string(periods[i].from) +
                                   " - " + std::to_string(periods[i].to) +
                                   (why.empty() ? std::string() : " : " + why));
      }
      for (auto* p : records.As<prodanal_info>()) {
        const std::string code = p->Code();
        if (std::find(selected.begin(), selected.end(), code) == selected.end()) continue;
        const std::string key = Key(code, year);
        auto it = index.find(key);
        if (it == index.end()) {
          GoalsEntry e;
          e.producer = code;
          e.year = year;
          e.production.assign(n, 0);
          e.goal.assign(n, 0);
          it = index.emplace(key, result.entries.size()).first;
          result.entries.push_back(std::move(e));
        }
        result.entries[it->second].production[i] += p->Get(Triple::T5);
      }
    }
  }

  // Step 3: the goals of both years.
  if (db != nullptr) {
    char sql[160];
    // The years as numbers: the year texts are the user's, checked only by
    // ValidateGoalsReport, which a caller may not have run.
    std::snprintf(sql, sizeof sql, "SELECT * FROM %sGOALS WHERE GOAL_YEAR = %d", db->dbPrefix(), options.Year());
    std::string statement = sql;
    if (options.HasCompYear()) {
      std::snprintf(sql, sizeof sql, " OR GOAL_YEAR = %d", options.CompYear());
      statement += sql;
    }
    std::vector<GoalInfo> records;
    if (db->dbExecute(statement.c_str(), kGoalsCursor) == 0) {
      for (int r = db->dbFetch(0, kGoalsCursor); r == 0; r = db->dbFetch(1, kGoalsCursor)) {
        GoalInfo g;
        long v = 0;
        db->dbGetLong(1, &v, kGoalsCursor);
        g.id = static_cast<int32_t>(v);
        // A code longer than the field is no producer's (nor a group's): cut
        // to the field it would pass for another ('D0123' for D01).
        std::string code;
        db->dbGetField(3, &code, kGoalsCursor, false);
        if (code.size() >= sizeof g.producer) continue;
        std::memcpy(g.producer, code.c_str(), code.size() + 1);
        db->dbGetLong(4, &v, kGoalsCursor);
        g.year = static_cast<int32_t>(v);
        for (int m = 0; m < 12; ++m) {
          db->dbGetLong(5 + m, &v, kGoalsCursor);
          g.goals[m] = static_cast<int32_t>(v);
        }
        records.push_back(g);
      }
    }
    result.outcome.NoteFailure(db->LastError());
    db->dbClose(kGoalsCursor);
    for (size_t r = 0; r < records.size(); ++r) {
      ApplyGoalRecord(records[r], options.Monthly(), shape, &result.entries, static_cast<int>(r));
    }
    if (drill != nullptr) drill->records = records;
    if (result.outcome.NoteLostConnection(db)) {
      result.entries.clear();
      return result;
    }
  }

  // Step 4: rows, then one totals line per year, the earlier year first.
  std::sort(result.entries.begin(), result.entries.end(), GoalsEntryLess);
  WriteGoalsRows(result.entries, options, display, list, drill);
  if (drill != nullptr) {
    drill->entries = result.entries;
    for (size_t y = 0; y < years.size() && y < 2; ++y) {
      drill->years[y] = years[y];
      drill->periods[y] = GoalsPeriods(options, years[y]);
    }
    drill->monthly = options.Monthly();
    drill->show_total = display.show_tot_col == 'Y';
    drill->display = display;
  }
  return result;
}
