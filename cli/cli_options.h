// Options common to every command of the command line, and the set-up they
// drive (database connection, INI file, pinned today, QenApplication).
//
//   --db URL          sqlite:PATH, postgresql://..., or a libpq conninfo;
//                     default: the demo database (DefaultDemoDbUrl)
//   --prefix P        table owner prefix
//   --ini FILE        the suite's INI file (default DefaultIniPath())
//   --today YYYYMMDD  pins today's date
//   --from YYYYMMDD, --to YYYYMMDD
//   KEY=VALUE         overrides of the analysis's INI section (memory only)
//   SECTION.KEY=VALUE an override of a key of another INI section (the
//                     statistics tab reads PRAC_APPT.ProdUnits); commands
//                     leave such keys to the section they name
//   --format text|tsv|csv|xlsx|pdf   (default text)
//   --out FILE        (default standard output)
//   --item-data       prefix each tsv/csv line with the row's item data
//   --help
// Commands add their own flags through CliCommand::extra_flags.
#pragma once

// Exit status of a report whose server was lost during the generation: the
// one line of PartialListMessage on stderr, and nothing written to --out or
// standard output (a script never takes a partial report for a whole one).
// The others: 0 done, 1 failed, 2 bad arguments, 70 internal error.
inline constexpr int kExitPartial = 3;

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/application.h"

struct CliOptions {
  std::string db_url;
  bool db_given = false;
  std::string prefix;
  std::string ini;
  long today = 0;
  long from = 0, to = 0;
  bool from_given = false, to_given = false;
  std::map<std::string, std::string> overrides;  // KEY=VALUE, in memory only
  std::string format = "text";
  std::string out;
  bool item_data = false;
  bool help = false;
  // Flags a command declared (name without "--" -> value; "" for switches).
  std::map<std::string, std::string> flags;
  std::vector<std::string> positional;
};

// A command's description for parsing and --help.
struct CliFlag {
  std::string name;      // without "--"
  bool takes_value;
  std::string help;
};

// Parses argv (after the command name). Returns false and fills *error on a
// bad option or a bad date. Dates are checked with tavo_valid_date.
bool ParseCliOptions(int argc, char** argv, const std::vector<CliFlag>& extra_flags,
                     CliOptions* out, std::string* error);

// DefaultDemoDbPath / DefaultDemoDbUrl: the demo database the run script creates.
#include "suite/suite_paths.h"

// Sets up the process-wide QenApplication from the options: pins today,
// sets the INI path and opens the database (not created when missing). The
// commands that ask the suite for production figures (goals, stats) install
// the production service themselves. Returns false with one clear line in
// *error (no database, bad URL, unreachable server).
bool SetUpApplication(const CliOptions& options, QenApplication* app, std::string* error);

// A value of an INI section: the SECTION.KEY=VALUE override when given, else
// the KEY=VALUE override, else the INI file's value, else def.
std::string OptionValue(const CliOptions& options, const std::string& section,
                        const std::string& key, const std::string& def);

// A list value of an analysis's section (Users, Producers, Chairs, codes,
// years), entries separated by ",". The tabs cut each entry to its field, so
// "D01X" would select D01; and a PostgreSQL database refuses a statement
// holding bytes that are not UTF-8. The command line refuses both before
// anything runs: "" when every entry of the value of KEY (OptionValue) has
// at most max_bytes bytes and is UTF-8, else the one line to print
// ("Producers : « D01X » dépasse 3 caractères").
std::string CheckListEntries(const CliOptions& options, const std::string& section, const std::string& key,
                             size_t max_bytes);

// --- command table ---------------------------------------------------------
struct CliCommand {
  const char* name;
  const char* summary;                   // one line for `vantra --help`
  const char* usage;                     // text after "usage: vantra NAME "
  std::vector<CliFlag> extra_flags;
  int (*run)(const CliOptions& options); // exit status
};

// Commands register themselves from their own file:
//   static CliRegistration reg{{"sql", "...", "...", {}, &RunSql}};
struct CliRegistration {
  explicit CliRegistration(CliCommand command);
};
const std::vector<CliCommand>& CliCommands();
