#include "stats/stats_format.h"

#include <cstdio>
#include <cstdlib>

std::string MakeNoCommaNumFormat(long cents) {
  const unsigned long size = cents < 0 ? 0UL - static_cast<unsigned long>(cents) : static_cast<unsigned long>(cents);
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "$%lu.%02lu%s", size / 100, size % 100, cents < 0 ? "-" : "");
  return buffer;
}

std::string DollarText(long cents) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "$%.2f", static_cast<double>(cents) / 100.0);
  return buffer;
}
