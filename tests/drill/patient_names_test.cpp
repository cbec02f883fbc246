// The patients' names of drilled rows: read in sets, every id found once,
// blanks and quotes as stored, and the id alone when there is no name.
#include <gtest/gtest.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "lists/drill.h"
#include "suite/patient_names.h"
#include "suite/schema.h"
#include "tests/support/test_db.h"

namespace {

class PatientNamesTest : public DbTest {};

TEST_P(PatientNamesTest, NamesOfTheIdsAsTheCellsShowThem) {
  std::string error;
  ASSERT_TRUE(CreateSchema(Db(), &error)) << error;
  // 1,200 patients: three statements' worth of ids.
  Db()->dbBeginTransaction();
  for (long id = 1; id <= 1200; ++id) {
    Exec("INSERT INTO PATIENT (PAT_ID, PAT_PNAME, PAT_LNAME) VALUES (" + std::to_string(id) + ", 'P" +
         std::to_string(id) + "', 'N" + std::to_string(id) + "')");
  }
  Exec("INSERT INTO PATIENT (PAT_ID, PAT_PNAME, PAT_LNAME) VALUES (5001, 'Zoé  ', '  O''Neil')");
  Exec("INSERT INTO PATIENT (PAT_ID, PAT_PNAME, PAT_LNAME) VALUES (5002, '', 'Roy')");
  Exec("INSERT INTO PATIENT (PAT_ID, PAT_PNAME, PAT_LNAME) VALUES (5003, '  ', '')");
  Exec("INSERT INTO PATIENT (PAT_ID) VALUES (5004)");
  Db()->dbCommit();

  std::vector<long> ids;
  for (long id = 1200; id >= 1; --id) ids.push_back(id);
  ids.insert(ids.end(), {5001, 5002, 5003, 5004, 9999, 0, 7, 7});
  std::unordered_map<long, std::string> names;
  ASSERT_TRUE(ReadPatientNames(Db(), ids, &names, &error)) << error;
  EXPECT_EQ(names.size(), 1202u);

  struct Case {
    const char* name;
    long id;
    const char* cell;
  };
  const Case cases[] = {
      {"first_set", 1, "N1, P1 (1)"},
      {"last_set", 1200, "N1200, P1200 (1200)"},
      {"blanks_trimmed_quote_kept", 5001, "O'Neil, Zoé (5001)"},
      {"last_name_only", 5002, "Roy (5002)"},
      {"blank_name", 5003, "5003"},
      {"null_name", 5004, "5004"},
      {"not_a_patient", 9999, "9999"},
      {"no_patient", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(DrillPatientText(c.id, &names), c.cell) << c.name;
  EXPECT_EQ(DrillPatientText(1, nullptr), "1") << "without names";
}

TEST_P(PatientNamesTest, AMissingTableSaysSoAndKeepsTheIds) {
  std::unordered_map<long, std::string> names;
  std::string error;
  EXPECT_FALSE(ReadPatientNames(Db(), std::vector<long>{1, 2}, &names, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(DrillPatientText(2, &names), "2");
  EXPECT_TRUE(ReadPatientNames(Db(), std::vector<long>{}, &names, &error)) << "nothing to read";
}

INSTANTIATE_DB_TEST(PatientNamesTest);

}  // namespace
