// The tab's period and producer choice from "PRAC_STATS" (the colour keys
// are in stats_style.h).
//
//   AllProducers  "Y" / "N" (first character; default "Y")
//   Producers     codes joined by "," (at most 100, 3 characters each)
// Values are read into 500 characters.
#pragma once

#include <string>
#include <vector>

#include "stats/stats_style.h"
#include "stats/stats_types.h"

class WDIniObj;

StatsIniReader StatsIniReaderOf(const WDIniObj& ini);
StatsIniWriter StatsIniWriterOf(WDIniObj& ini);

// From one month before today (IncDate(today, 0, -1, 0, 1)) to today, and
// the producer keys. *out is reset first (the goal is read with the colours).
void ReadStatsSelection(const StatsIniReader& read, long today, StatsSelection* out);
// Splits "D01,H01" into codes, each cut to 3 bytes, at most 100.
std::vector<std::string> SplitStatsProducers(const std::string& text);
// Writes AllProducers and Producers (the Defaults button).
bool WriteStatsDefaults(const StatsSelection& s, const StatsIniWriter& write);
// The first letter of "ProdUnits" in "PRAC_APPT" ('H' by default).
char ReadProdUnits(const std::function<std::string(const char*, const char*)>& read_appt);
