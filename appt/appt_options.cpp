#include "appt/appt_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <map>

#include "host/clinic_pool.h"
#include "host/dates.h"
#include "host/gendb.h"
#include "host/list_window.h"
#include "suite/pick_lists.h"

namespace {

struct FlagKey {
  const char* key;
  const char* def;
  char PracApptSettings::*field;
  const char* letters;
};

const FlagKey kFlagKeys[] = {
    {"TrackProd", "Y", &PracApptSettings::TrackProd, "YN"},
    {"ListBy", "P", &PracApptSettings::ListBy, "PC"},
    {"ReportBy", "M", &PracApptSettings::ReportBy, "DWMY"},
    {"ReportDollar", "Y", &PracApptSettings::ReportDollar, "YN"},
    {"ProdUnits", "H", &PracApptSettings::ProdUnits, "HUB"},
    {"NetFees", "Y", &PracApptSettings::NetFees, "YN"},
    {"ProdInfo", "S", &PracApptSettings::ProdInfo, "SCT"},
    {"NoShows", "Y", &PracApptSettings::NoShows, "YN"},
    {"Unscheduled", "Y", &PracApptSettings::Unscheduled, "YN"},
    {"Cancelled", "Y", &PracApptSettings::Cancelled, "YN"},
    {"TotalsOnly", "N", &PracApptSettings::TotalsOnly, "YN"},
    {"AllProducers", "Y", &PracApptSettings::AllProducers, "YN"},
    {"AllChairs", "Y", &PracApptSettings::AllChairs, "YN"},
};

// Splits value at "," into at most 100 entries of a fixed list, each cut to
// `copy` characters (terminator included) and to the field.
template <size_t N>
void SplitInto(const std::string& value, size_t copy, char (*list)[N]) {
  for (int i = 0; i < kApptMaxSelected; ++i) list[i][0] = '\0';
  int n = 0;
  size_t pos = 0;
  while (pos <= value.size() && n < kApptMaxSelected) {
    size_t comma = value.find(',', pos);
    if (comma == std::string::npos) comma = value.size();
    std::string token = value.substr(pos, comma - pos);
    pos = comma + 1;
    if (token.empty()) {
      if (comma >= value.size()) break;
      continue;  // successive tokens: empty ones are skipped
    }
    const size_t keep = std::min(copy - 1, N - 1);
    std::strncpy(list[n], token.c_str(), keep);
    list[n][std::min(token.size(), keep)] = '\0';
    ++n;
  }
}

}  // namespace

void ReadApptOptions(const ApptIniReader& read, long today, PracApptSettings* out) {
  *out = PracApptSettings();
  out->DateTo = today;
  out->DateFrom = IncDate(today, 0, -1, 0, 1);
  out->ListBy = 'P';
  out->ReportBy = 'M';
  out->TrackProd = 'Y';
  out->ReportDollar = 'N';
  out->ProdUnits = 'H';
  out->ProdInfo = 'S';
  out->NoShows = out->Unscheduled = out->Cancelled = 'Y';
  out->NetFees = 'N';
  for (const FlagKey& k : kFlagKeys) {
    std::string value = read(k.key, k.def).substr(0, 1000);
    out->*k.field = value.empty() ? '\0' : value[0];
  }
  std::string value = read("Producers", "");
  if (!value.empty()) SplitInto(value, 4, out->Producers);
  value = read("Chairs", "");
  // Chair keys keep four characters (B101: three-digit chairs of location B).
  if (!value.empty()) SplitInto(value, 5, out->Chairs);
  value = read("ApptCodes", "");
  if (!value.empty()) SplitInto(value, 6, out->ApptCodes);
  value = read("ApptTypes", "");
  if (!value.empty()) SplitInto(value, 4, out->ApptTypes);
}

const std::vector<std::string>& ApptOptionKeys() {
  static const std::vector<std::string> keys = [] {
    std::vector<std::string> k;
    for (const FlagKey& f : kFlagKeys) k.push_back(f.key);
    for (const char* list : {"Producers", "Chairs", "ApptCodes", "ApptTypes"}) k.push_back(list);
    return k;
  }();
  return keys;
}

std::string ApptKeyLetters(const std::string& key) {
  for (const FlagKey& f : kFlagKeys) {
    if (key == f.key) return f.letters;
  }
  return std::string();
}

void WriteApptOptions(const PracApptSettings& s, const ApptIniWriter& write) {
  for (int i = 0; i < 11; ++i) write(kFlagKeys[i].key, std::string(1, s.*kFlagKeys[i].field));
  if (s.ListBy == 'P') {
    write("AllProducers", std::string(1, s.AllProducers));
    write("Producers", JoinEntries(s.Producers));
  } else {
    write("AllChairs", std::string(1, s.AllChairs));
    write("Chairs", JoinEntries(s.Chairs));
  }
  if (s.ProdInfo == 'C') write("ApptCodes", JoinEntries(s.ApptCodes));
  if (s.ProdInfo == 'T') write("ApptTypes", JoinEntries(s.ApptTypes));
}

void ReadApptColours(const ApptIniReader& read, ApptColourOptions* out) {
  char key[32];
  for (int i = 0; i < 9; ++i) {
    std::snprintf(key, sizeof key, "%s%d", "Bold", i);
    std::string v = read(key, "N").substr(0, 31);
    out->Bold[i] = v.empty() ? '\0' : v[0];
    std::snprintf(key, sizeof key, "%s%d", "Color", i);
    out->Colour[i] = std::atol(read(key, "0").substr(0, 31).c_str());
  }
  for (int k = 0; k < 3; ++k) {
    std::snprintf(key, sizeof key, "%s%d", "UsageColor", k);
    std::string v = read(key, "0").substr(0, 31);
    out->UsageColour[k] = !v.empty() && v[0] == '0' ? 0xFFFFFF : std::atol(v.c_str());
    std::snprintf(key, sizeof key, "%s%d", "UsageFrom", k);
    out->UsageFrom[k] = static_cast<short>(std::atoi(read(key, "0").substr(0, 31).c_str()));
    std::snprintf(key, sizeof key, "%s%d", "UsageTo", k);
    out->UsageTo[k] = static_cast<short>(std::atoi(read(key, "0").substr(0, 31).c_str()));
  }
}

void WriteApptColours(const ApptColourOptions& c, const ApptIniWriter& write) {
  char key[32], value[32];
  for (int i = 0; i < 9; ++i) {
    std::snprintf(key, sizeof key, "%s%d", "Bold", i);
    write(key, std::string(1, c.Bold[i]));
    std::snprintf(key, sizeof key, "%s%d", "Color", i);
    std::snprintf(value, sizeof value, "%ld", c.Colour[i]);
    write(key, value);
  }
  for (int k = 0; k < 3; ++k) {
    std::snprintf(key, sizeof key, "%s%d", "UsageColor", k);
    std::snprintf(value, sizeof value, "%ld", c.UsageColour[k]);
    write(key, value);
    std::snprintf(key, sizeof key, "%s%d", "UsageFrom", k);
    std::snprintf(value, sizeof value, "%hd", c.UsageFrom[k]);
    write(key, value);
    std::snprintf(key, sizeof key, "%s%d", "UsageTo", k);
    std::snprintf(value, sizeof value, "%hd", c.UsageTo[k]);
    write(key, value);
  }
}

int ApptColourIndex(long row_kind) {
  if (row_kind == 0) return -1;
  if (row_kind == 10) return 2;
  if (row_kind == 11) return 0;
  return static_cast<int>(row_kind - 1);
}

int ApptUsageRange(const ApptColourOptions& c, const char* cell_text) {
  bool colours = false, bounds = false;
  for (int k = 0; k < 3; ++k) {
    colours = colours || c.UsageColour[k] != 0;
    bounds = bounds || c.UsageFrom[k] != 0 || c.UsageTo[k] != 0;
  }
  if (!colours || !bounds || cell_text == nullptr) return -1;
  const char* open = std::strchr(cell_text, '(');
  if (open == nullptr) return -1;
  const double value = std::atof(open + 1);
  for (int k = 0; k < 3; ++k) {
    if (c.UsageFrom[k] <= value && value <= c.UsageTo[k]) return c.UsageColour[k] > 0 ? k : -1;
  }
  return -1;
}

// --- the selection -------------------------------------------------------------

bool LoadApptChoices(GenDB* db, bool producers, std::vector<ApptChoice>* out) {
  out->clear();
  if (db == nullptr) return true;
  const int cursor = producers ? 25 : 21;
  const std::string sql = producers ? ActiveProducersSql(db->dbPrefix()) : ChairsSql(db->dbPrefix());
  const bool ok = db->dbExecute(sql.c_str(), cursor) == 0;
  for (int r = db->dbFetch(0, cursor); r == 0; r = db->dbFetch(1, cursor)) {
    char text[128];
    char key[16] = {};
    if (producers) {
      char last[21] = {}, first[21] = {};
      db->dbGetString(1, key, 4, cursor);
      db->dbGetString(2, last, sizeof last, cursor);
      db->dbGetString(3, first, sizeof first, cursor);
      BlankRowBreaks(last);
      BlankRowBreaks(first);
      std::snprintf(text, sizeof text, "%s\t%s, %s", key, last, first);
    } else {
      char loc = ' ', title[11] = {};
      short number = 0;
      db->dbGetChar(1, &loc, cursor);
      db->dbGetShort(2, &number, cursor);
      db->dbGetString(3, title, sizeof title, cursor);
      BlankRowBreaks(title);
      std::snprintf(key, sizeof key, "%c%02hd", loc, number);
      std::snprintf(text, sizeof text, "%s \t %s", key, title);
    }
    out->push_back(ApptChoice{key, text});
  }
  const bool read = ok && db->LastError().empty();
  db->dbClose(cursor);
  return read;
}

namespace {

RunOutcome SelectKeys(GenDB* db, const std::vector<std::string>& known, bool all,
                      const std::vector<std::string>& named, PracApptSettings* s, std::vector<std::string>* unknown) {
  const bool producers = s->ListBy == 'P';
  std::vector<std::string> taken;
  if (all) {
    taken = known;
  } else {
    for (const std::string& entry : named) {
      if (entry.empty()) break;
      bool found = std::find(known.begin(), known.end(), entry) != known.end();
      if (!found && producers && db != nullptr) {  // an inactive producer may be named
        const std::string one = NamedProducerSql(db->dbPrefix(), entry.c_str());
        db->dbExecute(one.c_str(), 25);
        found = db->dbFetch(0, 25) == 0;
        db->dbClose(25);
      }
      if (!found && unknown != nullptr) {
        unknown->push_back(entry);
        continue;
      }
      if (!found) {
        return RunOutcome::Refused(std::string(producers ? "producteur inconnu : " : "salle inconnue : ") + entry);
      }
      taken.push_back(entry);
    }
  }
  (producers ? s->AllProducers : s->AllChairs) = all ? 'Y' : 'N';
  for (int i = 0; i < kApptMaxSelected; ++i) (producers ? s->Producers[i] : s->Chairs[i])[0] = '\0';
  s->SelectedCount = 0;
  for (const std::string& key : taken) {
    if (s->SelectedCount >= kApptMaxSelected) break;
    if (producers) {
      CopyField(s->Producers[s->SelectedCount], key.c_str());
    } else {
      CopyField(s->Chairs[s->SelectedCount], key.c_str());
    }
    ++s->SelectedCount;
  }
  return RunOutcome();
}

}  // namespace

RunOutcome SelectApptKeys(GenDB* db, const std::vector<std::string>& known, bool all,
                          const std::vector<std::string>& named, PracApptSettings* s) {
  return SelectKeys(db, known, all, named, s, nullptr);
}

void SelectClinicApptKeys(GenDB* db, const std::vector<std::string>& known, bool all,
                          const std::vector<std::string>& named, PracApptSettings* s,
                          std::vector<std::string>* unknown) {
  SelectKeys(db, known, all, named, s, unknown);
}

RunOutcome LoadGroupApptChoices(GenDB* db, const std::vector<std::string>& prefixes, bool producers,
                                std::vector<ApptChoice>* out) {
  out->clear();
  std::map<std::string, std::string> texts;  // by key, the first clinic's text
  const RunOutcome read = ReadClinicByClinic(
      db, prefixes, producers ? "la liste des producteurs" : "la liste des fauteuils", [&](const std::string&) {
        std::vector<ApptChoice> clinic;
        if (!LoadApptChoices(db, producers, &clinic)) return false;
        for (ApptChoice& c : clinic) texts.emplace(c.key, std::move(c.text));
        return true;
      });
  for (auto& [key, text] : texts) out->push_back(ApptChoice{key, std::move(text)});
  return read;
}
