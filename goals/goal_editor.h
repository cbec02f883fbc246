// What the goal editor (GoalCodes, dialog 2010) adds to the suite's
// code-table editor, without any window: validation, the duplicate check,
// the January fill and the copy; plus the parsing the command line needs
// (amounts in dollars, producer codes).
#pragma once

#include <string>
#include <vector>

#include "suite/goal_info.h"
#include "suite/pick_lists.h"

class GenDB;

// Editor modes of the code-table base.
inline constexpr int kGoalModeAdding = 100;
inline constexpr int kGoalModeChanging = 101;

// The failing rules' string ids, in order: 97 "Année entrée invalide" (year
// 0, before 1970 or after current_year + 25), 98 "Veuillez remplir les
// objectifs pour chaque mois" (a month whose goal is 0). Both may fail.
std::vector<int> ValidateGoalRecord(const GoalInfo& record, int current_year);

// "SELECT COUNT(0) FROM %sGOALS WHERE GOAL_PROD = '%s' and GOAL_YEAR=%d",
// with " AND GOALS_ID != %d" when changing a selected record (selected_id
// not 0). The producer goes through the escaping helper.
std::string DuplicateGoalSql(const char* prefix, const GoalInfo& record, int mode, long selected_id);
// Runs it on cursor 115: true when the count is 1 or more. A failed count
// answers false (the unique index still refuses a real duplicate).
bool DuplicateExist(GenDB* db, const GoalInfo& record, int mode, long selected_id);

// The January fill: in adding mode, when the January text read as a number
// is above 0 and the eleven other month texts are all empty, each of them
// receives the January text. Returns true when it filled them.
bool JanuaryFill(int mode, std::string months[12]);

// The copy command: keeps the editable part of selected (producer, year,
// goals) and clears the rest (the id).
GoalInfo CopyGoalRecord(const GoalInfo& selected);

// Dollars as typed ("1500", "19.99", "0.5") into cents, exactly (no floating
// point): digits, at most one point and two decimals, an optional leading
// "$"; false for anything else or beyond the 32-bit range.
bool ParseDollars(const std::string& text, long* cents);

// A code the goal records accept: "*", a group "X*" (X a letter or digit),
// or one of known (the producers' codes). False with a French *error.
bool CheckGoalProducer(const std::string& code, const std::vector<std::string>& known, std::string* error);
