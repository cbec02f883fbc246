// Reading and writing the "PRAC_DETAILED" options.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "audit/audit_options.h"
#include "host/dates.h"
#include "host/ini.h"
#include "tests/support/test_db.h"

namespace {

struct FakeIni {
  std::map<std::string, std::string> values;
  AuditIniReader Reader() const {
    return [this](const char* key, const char* def) {
      auto it = values.find(key);
      return it == values.end() ? std::string(def) : it->second;
    };
  }
  AuditIniWriter Writer() {
    return [this](const char* key, const std::string& value) {
      values[key] = value;
      return true;
    };
  }
};

constexpr long kToday = 20261205;

TEST(AuditOptionsIni, TabDefaults) {
  FakeIni ini;
  AuditOptions o;
  ReadAuditTabOptions(ini.Reader(), kToday, &o);
  EXPECT_EQ(o.from_date, kToday);  // "DaysDiff" defaults to 0
  EXPECT_EQ(o.to_date, kToday);
  EXPECT_EQ(o.sort_key_count, 0);
  EXPECT_EQ(o.all_users, 'N');
  EXPECT_EQ(o.UserCount(), 0);
  EXPECT_EQ(o.all_modules, 'N');
  EXPECT_EQ(o.ModuleCount(), 0);
  EXPECT_EQ(o.source, 'A');
  EXPECT_EQ(o.track_entry_exit, 'N');
}

TEST(AuditOptionsIni, TabValues) {
  struct Case {
    const char* key;
    const char* value;
    std::function<void(const AuditOptions&)> check;
  };
  const std::vector<Case> cases = {
      {"DaysDiff", "30", [](const AuditOptions& o) { EXPECT_EQ(o.from_date, 20261105); }},
      {"DaysDiff", "4000", [](const AuditOptions& o) { EXPECT_EQ(o.from_date, 20261105); }},
      {"DaysDiff", "3650", [](const AuditOptions& o) { EXPECT_EQ(o.from_date, incr_date(kToday, -3650)); }},
      {"DaysDiff", "abc", [](const AuditOptions& o) { EXPECT_EQ(o.from_date, kToday); }},
      {"SortBy", "2100",
       [](const AuditOptions& o) {
         EXPECT_EQ(o.sort_key_count, 2);
         EXPECT_EQ(o.sort_keys[0], 2);
         EXPECT_EQ(o.sort_keys[1], 1);
         EXPECT_EQ(o.sort_keys[2], 0);
       }},
      {"SortBy", "x3", [](const AuditOptions& o) { EXPECT_EQ(o.sort_key_count, 1); }},
      {"SortBy", "123456", [](const AuditOptions& o) { EXPECT_EQ(o.sort_key_count, 4); }},
      {"SumBy", "0101",
       [](const AuditOptions& o) {
         EXPECT_EQ(o.subtotal[0], 0);
         EXPECT_EQ(o.subtotal[1], 1);
         EXPECT_EQ(o.subtotal[2], 0);
         EXPECT_EQ(o.subtotal[3], 1);
       }},
      {"SumBy", "9", [](const AuditOptions& o) { EXPECT_EQ(o.subtotal[0], 1); }},
      {"AuditTypes", "B", [](const AuditOptions& o) { EXPECT_EQ(o.source, 'B'); }},
      {"AuditTypes", "", [](const AuditOptions& o) { EXPECT_EQ(o.source, 'A'); }},
      {"TrackEntryExit", "Y", [](const AuditOptions& o) { EXPECT_EQ(o.track_entry_exit, 'Y'); }},
  };
  for (const Case& c : cases) {
    FakeIni ini;
    ini.values[c.key] = c.value;
    AuditOptions o;
    ReadAuditTabOptions(ini.Reader(), kToday, &o);
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    c.check(o);
  }
}

TEST(AuditOptionsIni, UsersAndModules) {
  FakeIni ini;
  ini.values["Users"] = "anne,,O'Brien,bartholomew";
  ini.values["Modules"] = "20105,abc,2060";
  AuditOptions o;
  ReadAuditTabOptions(ini.Reader(), kToday, &o);
  ASSERT_EQ(o.UserCount(), 3);
  EXPECT_STREQ(o.users[1], "O'Brien");
  EXPECT_STREQ(o.users[2], "bartholom");  // 9 bytes at most
  ASSERT_EQ(o.ModuleCount(), 2);
  EXPECT_EQ(o.modules[1], 2060);

  ini.values["AllUsers"] = "Y";
  ini.values["AllModules"] = "Y";
  ReadAuditTabOptions(ini.Reader(), kToday, &o);
  EXPECT_EQ(o.UserCount(), 0);
  EXPECT_EQ(o.ModuleCount(), 0);

  std::string many;
  for (int i = 0; i < 260; ++i) many += "u" + std::to_string(i) + ",";
  ParseUsers(many, &o);
  EXPECT_EQ(o.UserCount(), 200);
  std::string codes;
  for (int i = 1; i < 80; ++i) codes += std::to_string(i) + ",";
  ParseModules(codes, &o);
  EXPECT_EQ(o.ModuleCount(), 50);
  ParseUsers("solo", &o);
  EXPECT_EQ(o.UserCount(), 1);
  ParseModules("2534", &o);
  EXPECT_EQ(o.ModuleCount(), 1);
}

TEST(AuditOptionsIni, HistoryModules) {
  FakeIni ini;
  ini.values["SortBy"] = "2";
  ini.values["AuditTypes"] = "H";
  const std::vector<std::pair<long, std::vector<long>>> cases = {
      {20160, {20160, 2060, 20105}}, {20120, {20120, 20105}}, {20105, {20105, 2060, 20120}},
      {2060, {}}};
  for (const auto& [module, expected] : cases) {
    AuditOptions o;
    ReadAuditHistoryOptions(ini.Reader(), module, &o);
    EXPECT_EQ(o.from_date, 0);
    EXPECT_EQ(o.to_date, 0);
    EXPECT_EQ(o.all_users, 'Y');
    EXPECT_EQ(o.all_modules, 'N');
    EXPECT_EQ(o.source, 'H');
    EXPECT_EQ(o.sort_key_count, 1);
    ASSERT_EQ(o.ModuleCount(), static_cast<int>(expected.size())) << module;
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(o.modules[i], expected[i]) << module;
  }
}

TEST(AuditOptionsIni, DefaultsRoundTripThroughTheIniFile) {
  TempDir dir;
  WDIniObj ini(dir.File("tolvane.ini"));
  AuditOptions o;
  o.from_date = 20261101;
  o.to_date = 20261205;
  o.AddSortKey(kKeyDate);
  o.AddSortKey(kKeyUser);
  o.subtotal[1] = 1;
  o.all_users = 'N';
  o.AddUser("anne");
  o.AddUser("O'Brien");
  o.all_modules = 'N';
  o.AddModule(20105);
  o.AddModule(2534);
  o.source = 'B';
  o.track_entry_exit = 'Y';
  ASSERT_TRUE(WriteAuditDefaults(o, IniWriterOf(ini)));
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "DaysDiff", ""), "34");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "SortBy", ""), "2100");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "SumBy", ""), "0100");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "Users", ""), "anne,O'Brien");
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "Modules", ""), "20105,2534");
  AuditOptions back;
  ReadAuditTabOptions(IniReaderOf(ini), 20261205, &back);
  EXPECT_EQ(back.from_date, 20261101);
  EXPECT_EQ(back.sort_key_count, 2);
  EXPECT_EQ(back.subtotal[1], 1);
  EXPECT_EQ(back.UserCount(), 2);
  EXPECT_EQ(back.ModuleCount(), 2);
  EXPECT_EQ(back.source, 'B');
  EXPECT_EQ(back.track_entry_exit, 'Y');

  // A range above 3650 days is stored as 0: the next opening starts today.
  o.from_date = 20150101;
  FakeIni fake;
  WriteAuditDefaults(o, fake.Writer(), AuditDefaultsParts{false, false, false});
  EXPECT_EQ(fake.values["DaysDiff"], "0");
  EXPECT_EQ(fake.values.count("SumBy"), 0u);
  EXPECT_EQ(fake.values.count("Users"), 0u);
  EXPECT_EQ(fake.values.count("Modules"), 0u);
  EXPECT_EQ(fake.values["AuditTypes"], "B");
}

}  // namespace
