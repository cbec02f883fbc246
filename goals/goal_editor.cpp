#include "goals/goal_editor.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "host/gendb.h"
#include "host/sql_literal.h"

std::vector<int> ValidateGoalRecord(const GoalInfo& r, int current_year) {
  std::vector<int> failed;
  if (r.year == 0 || r.year < 1970 || r.year > current_year + 25) failed.push_back(97);
  for (int32_t g : r.goals) {
    if (g == 0) {
      failed.push_back(98);
      break;
    }
  }
  return failed;
}

std::string DuplicateGoalSql(const char* prefix, const GoalInfo& r, int mode, long selected_id) {
  char sql[256];
  std::snprintf(sql, sizeof sql, "SELECT COUNT(0) FROM %sGOALS WHERE GOAL_PROD = '%s' and GOAL_YEAR=%d", prefix,
                SqlEscaped(r.producer).c_str(), static_cast<int>(r.year));
  std::string out = sql;
  if (mode == kGoalModeChanging && selected_id != 0) {
    std::snprintf(sql, sizeof sql, " AND GOALS_ID != %d", static_cast<int>(selected_id));
    out += sql;
  }
  return out;
}

bool DuplicateExist(GenDB* db, const GoalInfo& r, int mode, long selected_id) {
  if (db == nullptr) return false;
  const std::string sql = DuplicateGoalSql(db->dbPrefix(), r, mode, selected_id);
  long count = 0;
  if (db->dbExecute(sql.c_str(), kGoalsCursor) == 0 && db->dbFetch(0, kGoalsCursor) == 0) {
    db->dbGetLong(1, &count, kGoalsCursor);
  }
  db->dbClose(kGoalsCursor);
  return count >= 1;
}

bool JanuaryFill(int mode, std::string months[12]) {
  if (mode != kGoalModeAdding || std::atof(months[0].c_str()) <= 0) return false;
  for (int m = 1; m < 12; ++m) {
    if (!months[m].empty()) return false;
  }
  for (int m = 1; m < 12; ++m) months[m] = months[0];
  return true;
}

GoalInfo CopyGoalRecord(const GoalInfo& selected) {
  GoalInfo copy;
  std::copy(std::begin(selected.producer), std::end(selected.producer), copy.producer);
  copy.year = selected.year;
  std::copy(std::begin(selected.goals), std::end(selected.goals), copy.goals);
  return copy;
}

bool ParseDollars(const std::string& text, long* cents) {
  size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  long long whole = 0;
  int digits = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, ++digits) {
    whole = whole * 10 + (text[i] - '0');
    if (whole > 100000000LL) return false;
  }
  long long fraction = 0;
  int decimals = 0;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
      if (++decimals > 2) return false;
      fraction = fraction * 10 + (text[i] - '0');
    }
  }
  if (i != text.size() || digits + decimals == 0) return false;
  if (decimals == 1) fraction *= 10;
  const long long total = whole * 100 + fraction;
  if (total > 2147483647LL) return false;
  *cents = static_cast<long>(total);
  return true;
}

bool CheckGoalProducer(const std::string& code, const std::vector<std::string>& known, std::string* error) {
  if (code == "*") return true;
  if (code.size() == 2 && code[1] == '*' && std::isalnum(static_cast<unsigned char>(code[0]))) return true;
  if (!code.empty() && code.size() <= 3 && std::find(known.begin(), known.end(), code) != known.end()) return true;
  *error = "producteur inconnu : « " + code + " » (un code de producteur, un groupe comme D* ou *)";
  return false;
}

