#include "stats/stats_options.h"

#include "host/dates.h"
#include "host/ini.h"

StatsIniReader StatsIniReaderOf(const WDIniObj& ini) {
  return [&ini](const char* key, const char* def) { return ini.read_secini(kStatsIniSection, key, def); };
}

StatsIniWriter StatsIniWriterOf(WDIniObj& ini) {
  return [&ini](const char* key, const std::string& value) {
    return ini.write_secini(kStatsIniSection, key, value.c_str());
  };
}

std::vector<std::string> SplitStatsProducers(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size() && out.size() < kStatsMaxProducers) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string code = text.substr(start, comma - start);
    if (!code.empty()) out.push_back(code.substr(0, 3));
    start = comma + 1;
  }
  return out;
}

void ReadStatsSelection(const StatsIniReader& read, long today, StatsSelection* out) {
  *out = StatsSelection();
  out->from = IncDate(today, 0, -1, 0, 1);
  out->to = today;
  std::string all = read("AllProducers", "Y");
  out->all_producers = all.empty() ? 'Y' : all[0];
  std::string producers = read("Producers", "");
  if (producers.size() > 499) producers.resize(499);
  out->SetProducers(SplitStatsProducers(producers));
}

bool WriteStatsDefaults(const StatsSelection& s, const StatsIniWriter& write) {
  std::string codes;
  for (size_t i = 0; i < s.producers.size() && i < kStatsMaxProducers; ++i) {
    if (i) codes += ",";
    codes += s.producers[i];
  }
  bool ok = write("AllProducers", std::string(1, s.all_producers));
  ok &= write("Producers", codes);
  return ok;
}

char ReadProdUnits(const std::function<std::string(const char*, const char*)>& read_appt) {
  const std::string v = read_appt("ProdUnits", "H");
  return v.empty() ? 'H' : v[0];
}
