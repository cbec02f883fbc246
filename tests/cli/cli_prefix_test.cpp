// The command line refuses a table prefix that is not a name while reading
// its options, before any connection is made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_options.h"

namespace {

TEST(CliPrefixTest, PrefixIsCheckedWithTheOptions) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    bool ok;
  };
  const Case cases[] = {
      {"schema", {"--prefix", "clinic2."}, true},
      {"inline", {"--prefix=CLN_"}, true},
      {"quote", {"--prefix", "a'b"}, false},
      {"inline injection", {"--prefix=x;DROP TABLE PATIENT;--"}, false},
      {"percent", {"--prefix", "%"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.args;
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    CliOptions options;
    std::string error;
    EXPECT_EQ(ParseCliOptions(static_cast<int>(argv.size()), argv.data(), {}, &options, &error), c.ok) << error;
    if (!c.ok) {
      EXPECT_EQ(error.rfind("Préfixe de tables invalide : « ", 0), 0u) << error;
    }
  }
}

}  // namespace
