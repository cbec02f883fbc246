// A damaged practice: the practice schema's tables and columns, in the same
// order, as a database that other programs wrote would have them: no NOT
// NULL and no DEFAULT, texts without a length, the same indexes (unique
// ones too, so only duplicates the schema allows can be stored); then the
// rows of tests/support/damaged_practice.sql (which says what each damaged
// row is and what the analyses must make of it).
#pragma once

#include <string>
#include <vector>

class GenDB;

// The statements that create the tables and indexes, without prefix, in
// types both engines read alike (BIGINT, INTEGER, TEXT). The command-line
// golden cases over the damaged practice keep them in
// tests/reliability/golden/schema.sql (a test checks the file is this text).
std::vector<std::string> DamagedSchemaStatements();

// Creates the tables and indexes on db (its prefix "") and loads the rows of
// the file at sql_path. False with *error (the failing statement) on a
// failure.
bool CreateDamagedPractice(GenDB* db, const std::string& sql_path, std::string* error);
