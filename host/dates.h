// The suite's date library on YYYYMMDD longs (year*10000 + month*100 + day;
// 0 = no date) and HHMMSS time longs. French (Canadian) names throughout.
//
// Every function accepts any long: an impossible date (20250230, 0, negative)
// never crashes; arithmetic on it yields 0 and formatting yields "".
// Valid range: years 1 to 9999, proleptic Gregorian calendar (the commands
// take the narrower kFirstSuiteDate..kLastSuiteDate).
#pragma once

#include <string>
#include <string_view>

// The dates a command accepts (--from, --to, --today): the years 1950 to
// 2149, those an appointment book holds (the schedule audit entries read
// their dates within them, appt_periods.cpp). A practice's records (visits,
// payments, audit entries) are all of them; the goals start at 1970 and end
// 25 years after today. Every analysis stays bounded within them: the
// productivity report computes each day of the period, and the widest
// period of these years (73,000 days) ends in minutes, where the year 9999
// ran for hours.
inline constexpr long kFirstSuiteDate = 19500101;
inline constexpr long kLastSuiteDate = 21491231;

// Today's date. Pinned for demos and tests by SetToday(YYYYMMDD) or by the
// environment variable VANTRA_TODAY=YYYYMMDD (SetToday wins; 0 unpins).
long ldate_today();
void SetToday(long date);

// A date typed by a user: "AAAA-MM-JJ" (month and day may have one digit)
// or "AAAAMMJJ", blanks around allowed. 0 for an empty text, -1 when the
// text is not a real calendar date.
long ParseDateText(std::string_view text);

// True when date is a real calendar date (month 1-12, day within the month).
bool tavo_valid_date(long date);

// date + days (days may be negative). 0 when date is invalid.
long incr_date(long date, long days);
// One day back. 0 when date is invalid.
long decr_date(long date);
// Days from `from` to `to` (negative when to < from). 0 when either is invalid.
long daysdiff_betweendates(long from, long to);

// Splits a date; all three outputs 0 for an invalid date.
void sepldat(long date, int* year, int* month, int* day);
// Builds a date; 0 when the parts do not form a valid date.
long DMYtoDate(int day, int month, int year);

// 0 Sunday .. 6 Saturday; -1 for an invalid date.
int DayOfWeek(long date);
// Week of the year, 1-based, weeks starting on Sunday: week 1 holds 1 January,
// a new week starts each Sunday (so 31 December may be week 53 or 54).
// 0 for an invalid date.
int week_number(long date);
// Days in month (1-12) of year; 0 for a month out of range.
int DaysPerMonth(int month, int year);

// Moves a date by days, months and years. Months/years moves keep the day,
// clamped to the last day of the target month when clamp_to_month_end is
// non-zero (20260331 - 1 month = 20260228); otherwise the overflow rolls into
// the next month (20260303). Days are added last.
long IncDate(long date, int days, int months, int years, int clamp_to_month_end);

// Formats into buffer (capacity >= 32). Formats:
//   530: "2026-12-05" (list columns: sortable, Canadian numeric form)
//   611: "5 déc. 2026" (texts in sentences; the abbreviations of the
//        Office québécois de la langue française: "janv.", "févr.", "mars",
//        "avr.", "mai", "juin", "juill.", "août", "sept.", "oct.", "nov.")
// Any other format code behaves as 530. Writes "" for an invalid date.
// Returns buffer.
char* ldate_to_str1(char* buffer, long date, int format);

// Formats a date with a pattern: "yyyy" year, "yy" two-digit year, "mm" month
// number, "dd" day with two digits, "nnn" abbreviated month name, the
// format-611 abbreviation without its dot ("déc", "janv", "mai"), "nnnn"
// full month name ("décembre"), "www" abbreviated day
// name ("sam"), "wwww" full day name. Other characters are copied. Example:
// "www nnn dd, yyyy" -> "sam déc 05, 2026"; "nnndd,yy" -> "déc05,26".
std::string DateToDateString(long date, const char* pattern);

// Full French month name, lower case ("janvier" .. "décembre"); "" out of range.
const char* MonthToString(int month);

namespace CDate {
// Month name with a capital ("Janvier" .. "Décembre"); "" out of range.
const char* month_name(int month);
}

// Readable time of day, 24-hour clock: "13:05". A value of 10000 or more is
// read as HHMMSS (seconds dropped); a value below 10000 as HHMM (the
// four-digit times of appointments: 930 is "09:30"). "" for a negative value,
// a value above 235959, or hours/minutes/seconds out of range.
std::string ctime_todisplay(long hhmmss);
