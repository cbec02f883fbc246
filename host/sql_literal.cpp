#include "host/sql_literal.h"

std::string SqlEscaped(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 2);
  for (char c : value) {
    if (c == '\0') continue;
    if (c == '\'') out.push_back('\'');
    out.push_back(c);
  }
  return out;
}

std::string SqlQuoted(std::string_view value) {
  std::string out = "'";
  out += SqlEscaped(value);
  out += '\'';
  return out;
}
