// PRAC_APPT options and colours.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "appt/appt_style.h"
#include "appt/appt_options.h"
#include "host/list_window.h"

namespace {

ApptIniReader ReaderOf(const std::map<std::string, std::string>& ini) {
  return [&ini](const char* key, const char* def) {
    auto it = ini.find(key);
    return it == ini.end() ? std::string(def) : it->second;
  };
}

TEST(ApptOptions, FirstUseDefaults) {
  const std::map<std::string, std::string> ini;
  PracApptSettings s;
  ReadApptOptions(ReaderOf(ini), 20261205, &s);
  EXPECT_EQ(20261105, s.DateFrom);
  EXPECT_EQ(20261205, s.DateTo);
  const std::string flags = {s.ListBy, s.ReportBy, s.TrackProd, s.ProdUnits, s.ProdInfo, s.NoShows, s.Unscheduled,
                             s.Cancelled, s.ReportDollar, s.NetFees, s.TotalsOnly, s.AllProducers};
  EXPECT_EQ("PMYHSYYYYYNY", flags);
  EXPECT_EQ('\0', s.Producers[0][0]);
}

TEST(ApptOptions, ListsAndEmptyValues) {
  const std::map<std::string, std::string> ini = {
      {"Producers", "D01,H01,,D02"}, {"Chairs", "A01,B101"}, {"ApptCodes", "EXAM1,DETARTRAGE"},
      {"ApptTypes", ""},             {"ListBy", ""},          {"ReportBy", "Wxyz"}};
  PracApptSettings s;
  ReadApptOptions(ReaderOf(ini), 20261231, &s);
  EXPECT_EQ(20261130, s.DateFrom) << "one month back, clamped to the month's end";
  EXPECT_STREQ("D01", s.Producers[0]);
  EXPECT_STREQ("H01", s.Producers[1]);
  EXPECT_STREQ("D02", s.Producers[2]);
  EXPECT_STREQ("B101", s.Chairs[1]);
  EXPECT_STREQ("DETAR", s.ApptCodes[1]);
  EXPECT_EQ('\0', s.ApptTypes[0][0]);
  EXPECT_EQ('\0', s.ListBy) << "an empty value reads as 0";
  EXPECT_EQ('W', s.ReportBy);
}

TEST(ApptOptions, WritingInChairModeLeavesTheProducerKeys) {
  PracApptSettings s;
  s.ListBy = 'C';
  s.ProdInfo = 'T';
  CopyField(s.Chairs[0], "A01");
  CopyField(s.Chairs[1], "B101");
  CopyField(s.ApptTypes[0], "R");
  std::map<std::string, std::string> written;
  WriteApptOptions(s, [&written](const char* k, const std::string& v) { written[k] = v; });
  EXPECT_EQ(0u, written.count("AllProducers"));
  EXPECT_EQ(0u, written.count("Producers"));
  EXPECT_EQ(0u, written.count("ApptCodes"));
  EXPECT_EQ("A01,B101", written["Chairs"]);
  EXPECT_EQ("R", written["ApptTypes"]);
  EXPECT_EQ("C", written["ListBy"]);
  EXPECT_EQ(14u, written.size()) << "11 letters, AllChairs, Chairs, ApptTypes";
}

TEST(ApptColours, RoundTripAndUsageRanges) {
  ApptColourOptions c;
  c.Colour[1] = 255;
  c.Bold[6] = 'Y';
  c.UsageColour[0] = 0x0000FF;
  c.UsageColour[1] = 0x00FFFF;
  c.UsageColour[2] = 0x00FF00;
  const short from[] = {0, 51, 81}, to[] = {50, 80, 150};
  for (int k = 0; k < 3; ++k) {
    c.UsageFrom[k] = from[k];
    c.UsageTo[k] = to[k];
  }
  std::map<std::string, std::string> ini;
  WriteApptColours(c, [&ini](const char* k, const std::string& v) { ini[k] = v; });
  ApptColourOptions back;
  ReadApptColours(ReaderOf(ini), &back);
  EXPECT_EQ(255, back.Colour[1]);
  EXPECT_EQ('Y', back.Bold[6]);
  EXPECT_EQ(51, back.UsageFrom[1]);
  EXPECT_EQ(0x00FFFF, back.UsageColour[1]);

  struct Case {
    const char* cell;
    int range;
  } cases[] = {{"6.00H/10.00H  (60.00%)", 1}, {"5.05H/10.00H  (50.50%)", -1}, {"(0.00%)", 0},
               {"(100.00%)", 2}, {"no number", -1}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.cell);
    EXPECT_EQ(k.range, ApptUsageRange(back, k.cell));
  }
  ApptColourOptions unset;
  EXPECT_EQ(-1, ApptUsageRange(unset, "(10.00%)")) << "no range set";
  ini["UsageColor1"] = "0";
  ReadApptColours(ReaderOf(ini), &back);
  EXPECT_EQ(0xFFFFFF, back.UsageColour[1]) << "a value starting with 0 means none";
}

TEST(ApptColours, CellStyles) {
  QenListWindow list;
  list.AddString("décembre 2026\tDisponible\t20.00H\t", 2);
  list.AddString(" \tUsage %\t6.00H/10.00H  (60.00%)\t5.05H/10.00H  (50.50%)\t", 7);
  list.AddString("Totaux\tDisponible\t20.00H\t", 0);
  ApptColourOptions c;
  c.Colour[1] = 0x0000FF;  // available rows in red
  c.Colour[8] = 0x808080;  // date column
  c.Bold[6] = 'Y';
  c.UsageColour[1] = 0x00FFFF;
  c.UsageFrom[1] = 51;
  c.UsageTo[1] = 80;
  EXPECT_EQ((CellStyle{false, 0x0000FF, kNoColor}), ApptCellStyle(list, c, 0, 2));
  EXPECT_EQ((CellStyle{false, 0x808080, kNoColor}), ApptCellStyle(list, c, 0, 0));
  EXPECT_EQ((CellStyle{true, kNoColor, 0x00FFFF}), ApptCellStyle(list, c, 1, 2)) << "60.00 in 51-80";
  EXPECT_EQ((CellStyle{true, kNoColor, kWhite}), ApptCellStyle(list, c, 1, 3)) << "50.50 in no range";
  EXPECT_EQ((CellStyle{true, kNoColor, kNoColor}), ApptCellStyle(list, c, 2, 2)) << "grand total";
  EXPECT_EQ((CellStyle{true, 0x808080, kNoColor}), ApptCellStyle(list, c, 2, 0)) << "date column of a total row";
  TDList records;
  CollectApptColours(list, c, &records);
  EXPECT_EQ(6u, records.Count()) << "three date cells, two red cells, one background";
}

}  // namespace
