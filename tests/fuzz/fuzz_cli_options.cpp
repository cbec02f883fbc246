// The command-line option parser on any argument vector (arguments split at
// NUL bytes): it either refuses with a message, or gives options that hold
// only real dates, a known format, a valid table prefix and a period whose
// start is not after its end.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "host/dates.h"
#include "host/gendb.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "cli options fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args;
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (size > 0) args.push_back(current);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  static const std::vector<CliFlag> extra = {{"summary", false, ""}, {"source", true, ""}, {"chart", true, ""}};
  CliOptions options;
  std::string error;
  if (!ParseCliOptions(static_cast<int>(args.size()), argv.data(), extra, &options, &error)) {
    if (error.empty()) Fail("refused without a message");
    return 0;
  }
  if (!error.empty()) Fail("accepted with a message");
  for (long date : {options.today, options.from, options.to}) {
    if (date != 0 && !tavo_valid_date(date)) Fail("an impossible date accepted");
    if (date != 0 && (date < kFirstSuiteDate || date > kLastSuiteDate)) Fail("a date outside the suite's range accepted");
  }
  if (options.from_given && options.to_given && options.from > options.to) Fail("--from after --to accepted");
  const std::string& f = options.format;
  if (f != "text" && f != "tsv" && f != "csv" && f != "xlsx" && f != "pdf") Fail("an unknown format accepted");
  std::string prefix_error;
  if (!ValidTablePrefix(options.prefix, &prefix_error)) Fail("an invalid table prefix accepted");
  for (const auto& [name, value] : options.flags) {
    if (name != "summary" && name != "source" && name != "chart") Fail("an unknown flag accepted");
    if (name == "summary" && !value.empty()) Fail("a switch took a value");
  }
  return 0;
}
