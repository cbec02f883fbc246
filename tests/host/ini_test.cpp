#include "host/ini.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/application.h"
#include "tests/support/test_db.h"

namespace {

size_t FolderSize(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(IniTest, RoundTripIsCaseInsensitive) {
  TempDir dir;
  WDIniObj ini(dir.File("a/b/tolvane.ini"));  // the folders do not exist yet
  ASSERT_TRUE(ini.write_secini("PRAC_APPT", "ListBy", "C")) << ini.LastError();
  ASSERT_TRUE(ini.write_secini("PRAC_APPT", "Producers", "DR1,HY2"));
  ASSERT_TRUE(ini.write_secini("prac_appt", "LISTBY", "P"));  // same key, other spelling
  ASSERT_TRUE(ini.write_secini("PRAC_STATS", "Empty", ""));
  EXPECT_EQ(ini.read_secini("prac_appt", "listby", "?"), "P");
  EXPECT_EQ(ini.read_secini("PRAC_STATS", "Empty", "default"), "");  // present, empty
  EXPECT_EQ(ini.read_secini("PRAC_STATS", "Absent", "default"), "default");
  EXPECT_EQ(ReadAll(ini.Path()), "[PRAC_APPT]\nListBy=P\nProducers=DR1,HY2\n\n[PRAC_STATS]\nEmpty=\n");
  EXPECT_EQ(FolderSize(dir.File("a/b")), 1u);  // no temporary file left behind

  // A second object on the same file sees the writes of the first.
  WDIniObj other(ini.Path());
  ASSERT_TRUE(other.write_secini("PRAC_APPT", "ListBy", "C"));
  EXPECT_EQ(ini.read_secini("PRAC_APPT", "ListBy", "?"), "C");

  // Removing a key, then a section.
  ASSERT_TRUE(ini.write_secini("PRAC_APPT", "ListBy", nullptr));
  ASSERT_TRUE(ini.write_secini("PRAC_STATS", nullptr, nullptr));
  EXPECT_EQ(ReadAll(ini.Path()), "[PRAC_APPT]\nProducers=DR1,HY2\n\n");
  EXPECT_FALSE(ini.write_secini("", "k", "v"));
  EXPECT_FALSE(ini.LastError().empty());
}

TEST(IniTest, WritingKeepsEverythingElse) {
  TempDir dir;
  const std::string path = dir.File("tolvane.ini");
  WriteRaw(path,
           "; Options of the suite\n"
           "[SUITE]\n"
           "ChartInstalled = Y\n"
           "\n"
           "[PRAC_DETAILED]\n"
           "  SortBy=2100   \n"
           "Users=ANNE,LUC\n"
           "; next section\n"
           "\n"
           "[PRAC_GOALS]\n"
           "Year=2025");  // no final line break
  WDIniObj ini(path);
  EXPECT_EQ(ini.read_secini("PRAC_DETAILED", "SortBy", ""), "2100");
  EXPECT_EQ(ini.read_secini("SUITE", "ChartInstalled", ""), "Y");

  ASSERT_TRUE(ini.write_secini("prac_detailed", "SORTBY", "1200"));  // replaced in place
  ASSERT_TRUE(ini.write_secini("PRAC_DETAILED", "SumBy", "1000"));   // after the last key
  ASSERT_TRUE(ini.write_secini("PRAC_APPT", "ListBy", "P"));         // new section at the end
  EXPECT_EQ(ReadAll(path),
            "; Options of the suite\n[SUITE]\nChartInstalled = Y\n\n"
            "[PRAC_DETAILED]\n  SortBy=1200\nUsers=ANNE,LUC\nSumBy=1000\n; next section\n\n"
            "[PRAC_GOALS]\nYear=2025\n\n[PRAC_APPT]\nListBy=P\n");
}

TEST(IniTest, CrlfBomAndValuesWithLineBreaks) {
  TempDir dir;
  const std::string path = dir.File("tolvane.ini");
  WriteRaw(path, "\xEF\xBB\xBF[PRAC_APPT]\r\nListBy=C\r\nReportBy=W\r\n");
  WDIniObj ini(path);
  EXPECT_EQ(ini.read_secini("PRAC_APPT", "ListBy", ""), "C");
  ASSERT_TRUE(ini.write_secini("PRAC_APPT", "ListBy", "P"));
  ASSERT_TRUE(ini.write_secini("PRAC_APPT", "Note", "deux\r\nlignes"));
  EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF[PRAC_APPT]\r\nListBy=P\r\nReportBy=W\r\nNote=deux  lignes\r\n");
}

TEST(IniTest, MalformedAndChangingFiles) {
  TempDir dir;
  const std::string path = dir.File("tolvane.ini");
  WriteRaw(path,
           "orphan=before any section\n[GOOD]\nno equals sign here\n=no key\nKey=first\nKey=second\n"
           "Accents=Réservé à l'usager\n[BROKEN\nLost=1\n[ GOOD ]\nLater=2\n\x01\x02\xff\xfe garbage\n");
  WDIniObj ini(path);
  EXPECT_EQ(ini.read_secini("GOOD", "Key", ""), "first");
  EXPECT_EQ(ini.read_secini("GOOD", "Accents", ""), "Réservé à l'usager");
  EXPECT_EQ(ini.read_secini("GOOD", "Later", ""), "2");
  EXPECT_EQ(ini.read_secini("GOOD", "Lost", "d"), "d");
  EXPECT_EQ(ini.read_secini("BROKEN", "Lost", "d"), "d");

  WriteRaw(path, "[GOOD]\nKey=22\n");  // another program rewrites the file
  EXPECT_EQ(ini.read_secini("GOOD", "Key", ""), "22");
  WriteRaw(path, std::string("\0\0\x7f[\xff\n=\n", 8));  // binary: defaults
  EXPECT_EQ(ini.read_secini("GOOD", "Key", "d"), "d");
  std::filesystem::remove(path);
  EXPECT_EQ(ini.read_secini("GOOD", "Key", "gone"), "gone");

  char buffer[8];
  EXPECT_EQ(ini.read_secini("X", "Y", "Trimestriel", buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "Trimest");
  EXPECT_EQ(ini.read_secini("X", "Y", "Année", buffer, 5), 3);  // "Ann" + half an é: cut before it
  EXPECT_STREQ(buffer, "Ann");
  EXPECT_EQ(ini.read_secini("X", "Y", nullptr, buffer, sizeof buffer), 0);
  EXPECT_EQ(ini.read_secini("X", "Y", "d", nullptr, 8), 0);
}

TEST(IniTest, FailedWritesLeaveTheOriginalIntact) {
  TempDir dir;
  WriteRaw(dir.File("plain"), "x");  // a folder that is a regular file
  WDIniObj under_file(dir.File("plain/tolvane.ini"));
  EXPECT_FALSE(under_file.write_secini("S", "k", "v"));
  EXPECT_NE(under_file.LastError().find("plain"), std::string::npos) << under_file.LastError();

  // The new content cannot be written whole (file size limit, which holds
  // for root too): the original stays and no temporary file is left.
  const std::string path = dir.File("tolvane.ini");
  WriteRaw(path, "[S]\nk=1\n");
  WDIniObj ini(path);
  const std::string big(4096, 'v');
  struct rlimit old_limit {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 512;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = ini.write_secini("S", "k", big.c_str());
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadAll(path), "[S]\nk=1\n");
  EXPECT_EQ(FolderSize(dir.path()), 2u);  // "plain" and the INI file
}

TEST(IniTest, WriteKeepsPermissionsAndSymlinks) {
  TempDir dir;
  const std::string real = dir.File("real.ini"), link = dir.File("tolvane.ini");
  WriteRaw(real, "[S]\nk=1\n");
  std::filesystem::permissions(real, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::filesystem::create_symlink(real, link);
  WDIniObj ini(link);
  ASSERT_TRUE(ini.write_secini("S", "k", "2")) << ini.LastError();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadAll(real), "[S]\nk=2\n");
  EXPECT_EQ(std::filesystem::status(real).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(SuiteSettingsTest, ChartAndSpreadsheetFolderFromTheIniFile) {
  TempDir dir;
  const std::string old_home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("HOME", "/home/anne", 1);
  QenApplication app;
  app.SetINI(dir.File("tolvane.ini"));
  EXPECT_TRUE(app.HasChartComponent());  // no file: defaults
  EXPECT_EQ(app.SpreadSheetDirectory(), "/home/anne/Documents/Vantra");
  EXPECT_EQ(app.AppName(), "Cabinet Tolvane");

  WDIniObj ini(app.GetINI());
  ASSERT_TRUE(ini.write_secini("SUITE", "ChartInstalled", "N"));
  ASSERT_TRUE(ini.write_secini("SUITE", "SpreadSheetDir", "~/Exports"));
  EXPECT_FALSE(app.HasChartComponent());
  EXPECT_EQ(app.SpreadSheetDirectory(), "/home/anne/Exports");
  ASSERT_TRUE(ini.write_secini("SUITE", "SpreadSheetDir", ""));  // export not offered
  QenApplication::SetInstance(&app);
  EXPECT_EQ(TGetStatInfo::GetSpreadSheetDirectory(), "");
  { QenApplication other; }  // destroying another object keeps the instance
  EXPECT_EQ(QenApplication::Instance(), &app);
  setenv("HOME", old_home.c_str(), 1);
}

TEST(SuiteSettingsTest, InstanceIsClearedWhenDestroyed) {
  {
    QenApplication app;
    QenApplication::SetInstance(&app);
  }
  EXPECT_EQ(QenApplication::Instance(), nullptr);
}

}  // namespace
