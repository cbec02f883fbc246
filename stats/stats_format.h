// Money texts of the statistics lists.
#pragma once

#include <string>

// The suite's amount formatter for lists: "$" and the amount in dollars with
// two decimals, no thousands separator; a negative amount carries its minus
// after the figure ("$1234.56-"), so that readers that stop at "-" (the
// cell colouring) read its size. 123456 -> "$1234.56", -5 -> "$0.05-".
// The suite wrote into 11 characters; here the text is never cut (a cut
// figure would be a wrong figure).
std::string MakeNoCommaNumFormat(long cents);

// "$%.2f" of cents / 100 (the case-acceptance amounts).
std::string DollarText(long cents);
