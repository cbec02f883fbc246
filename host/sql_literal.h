// The one place where a value becomes an SQL string literal.
//
// Statements keep the exact texts the analyses are specified with; where such
// a text puts a value between quotes ('%s'), the value goes through
// SqlQuoted / SqlEscaped so that a log-on name like O'Brien, or a code read
// from the INI file, can never break or change the statement.
#pragma once

#include <string>
#include <string_view>

// The value with every ' doubled and every NUL dropped, no surrounding quotes.
// For templates that already hold the quotes: "... = '%s'".
std::string SqlEscaped(std::string_view value);

// The value as a complete literal: ' + SqlEscaped(value) + '.
std::string SqlQuoted(std::string_view value);
