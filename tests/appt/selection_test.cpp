// The productivity tab's choices and its selection rule, on both engines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "appt/appt_options.h"
#include "tests/appt/appt_fixture.h"

namespace {

class SelectionTest : public ApptFixture {
 protected:
  void SetUp() override {
    ApptFixture::SetUp();
    if (HasFatalFailure() || IsSkipped()) return;
    AddChair('A', 1, false, "D01");
    AddChair('B', 105, false, "D02");
    AddProducer("D02", "1");
    AddProducer("D01", "1");
    AddProducer("X09", "1", 20200101, /*inactive=*/true);
  }

  static std::string Keys(const std::vector<ApptChoice>& choices) {
    std::string out;
    for (const ApptChoice& c : choices) out += c.key + " ";
    return out;
  }

  static std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find(' ', start);
      out.push_back(text.substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
    return out;
  }
};

TEST_P(SelectionTest, ChoicesAreTheActiveProducersAndTheChairs) {
  std::vector<ApptChoice> producers, chairs;
  ASSERT_TRUE(LoadApptChoices(Db(), true, &producers));
  ASSERT_TRUE(LoadApptChoices(Db(), false, &chairs));
  EXPECT_EQ("D01 D02 ", Keys(producers)) << "in code order, the inactive one left out";
  EXPECT_EQ("A01 B105 ", Keys(chairs));
  ASSERT_FALSE(chairs.empty());
  EXPECT_EQ(0u, chairs[0].text.rfind("A01 \t ", 0)) << chairs[0].text;
  ASSERT_FALSE(producers.empty());
  EXPECT_EQ(0u, producers[0].text.rfind("D01\t", 0)) << producers[0].text;
}

TEST_P(SelectionTest, TheRule) {
  struct Case {
    const char* name;
    char list_by;
    bool all;
    const char* named;     // space-separated
    const char* expected;  // the mode's list, or "refused: <message>"
  } cases[] = {
      {"all producers, in code order", 'P', true, "D02", "D01 D02 "},
      {"named producers, in the order named", 'P', false, "D02 D01", "D02 D01 "},
      {"an inactive producer may be named", 'P', false, "X09", "X09 "},
      {"an unknown producer is refused", 'P', false, "D01 ZZZ", "refused: producteur inconnu : ZZZ"},
      {"named chairs", 'C', false, "B105", "B105 "},
      {"all chairs", 'C', true, "", "A01 B105 "},
      {"an unknown chair is refused", 'C', false, "A07", "refused: salle inconnue : A07"},
      {"nothing named, nothing chosen", 'P', false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<ApptChoice> choices;
    ASSERT_TRUE(LoadApptChoices(Db(), c.list_by == 'P', &choices));
    std::vector<std::string> known;
    for (const ApptChoice& choice : choices) known.push_back(choice.key);
    PracApptSettings s;
    s.ListBy = c.list_by;
    CopyField(s.Producers[0], "OLD");
    CopyField(s.Chairs[0], "Z99");
    s.SelectedCount = 1;
    const RunOutcome run = SelectApptKeys(Db(), known, c.all, Split(c.named), &s);
    std::string seen;
    if (run.Refused()) {
      seen = "refused: " + run.message;
      EXPECT_EQ(1, s.SelectedCount) << "a refusal leaves the settings as they were";
    } else {
      for (long i = 0; i < s.SelectedCount; ++i) seen += std::string(c.list_by == 'P' ? s.Producers[i] : s.Chairs[i]) + " ";
      EXPECT_EQ(c.all ? 'Y' : 'N', c.list_by == 'P' ? s.AllProducers : s.AllChairs);
      EXPECT_STREQ(c.list_by == 'P' ? "Z99" : "OLD", c.list_by == 'P' ? s.Chairs[0] : s.Producers[0])
          << "the other mode's list keeps what it held";
    }
    EXPECT_EQ(c.expected, seen);
  }
}

TEST_P(SelectionTest, AtMostTheListsLengthIsKept) {
  std::vector<std::string> known;
  for (int i = 0; i < kApptMaxSelected + 5; ++i) known.push_back("K" + std::to_string(i));
  PracApptSettings s;
  s.ListBy = 'C';
  EXPECT_TRUE(SelectApptKeys(Db(), known, true, {}, &s).Finished());
  EXPECT_EQ(kApptMaxSelected, s.SelectedCount);
  EXPECT_STREQ("K99", s.Chairs[kApptMaxSelected - 1]);
}

INSTANTIATE_DB_TEST(SelectionTest);

}  // namespace
