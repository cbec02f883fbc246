// Options common to every command of the command line, and the set-up they
// drive (database connection, INI file, pinned today, QenApplication).
//
//   --db URL          sqlite:PATH, postgresql://..., or a libpq conninfo;
//                     default: [SUITE] Database of the INI file, else the
//                     demo database (DefaultDemoDbUrl)
//   --report-db URL   the database the reports read (a hot standby of the
//                     practice's server); default: --db when given, else
//                     [SUITE] ReportDatabase, else the database above. The
//                     goal editor, demo-db, sql and the presets' changes
//                     write to the --db one all the same
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
//   --preset NAME     the analyses: a report preset's options first, those
//                     given on the command line over them (cli/cli_preset.h)
//   --clinics P1,P2   the analyses: the same report for each clinic of a
//   --all-clinics     group, then the group's total (cli/cli_group.h)
//   --jobs N          clinics run at once, one connection each (default 2)
//   --help
// Commands add their own flags through CliCommand::extra_flags.
#pragma once

// Exit status of a report whose server was lost during the generation: the
// one line of PartialListMessage on stderr, and nothing written to --out or
// standard output (a script never takes a partial report for a whole one).
// The others: 0 done, 1 failed, 2 bad arguments, 70 internal error.
inline constexpr int kExitPartial = 3;

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/application.h"
#include "host/run_outcome.h"

// What a run wrote, for a caller that runs a command in-process and asks
// (vantra batch): the output writers (cli/cli_output.h) add the rows of the
// lists they write, in every format.
struct CliWritten {
  long rows = 0;
};

// The most connections a group run opens at once (--jobs).
inline constexpr int64_t kMaxJobs = 64;

struct CliOptions {
  std::string db_url;
  bool db_given = false;
  std::string report_db_url;  // --report-db
  bool report_db_given = false;
  std::string prefix;
  std::string ini;
  long today = 0;
  long from = 0, to = 0;
  bool from_given = false, to_given = false;
  std::map<std::string, std::string> overrides;  // KEY=VALUE, in memory only
  std::string format = "text";
  bool format_given = false;
  std::string out;
  bool item_data = false;
  bool help = false;
  // Flags a command declared (name without "--" -> value; "" for switches).
  std::map<std::string, std::string> flags;
  std::vector<std::string> positional;
  std::string preset;  // --preset NAME (applied before the command runs)
  // A dental group (cli/cli_group.h): --clinics P1,P2 (prefixes, each with
  // its final "."), --all-clinics, --jobs N (connections of the pool).
  std::vector<std::string> clinics;
  bool all_clinics = false;
  int jobs = 2;
  bool jobs_given = false;
  CliWritten* written = nullptr;  // null: nobody asks
};

// A command's description for parsing and --help.
struct CliFlag {
  std::string name;      // without "--"
  bool takes_value;
  std::string help;
};

// Parses argv (after the command name). Returns false and fills *error on a
// bad option or a bad date. Dates are checked with tavo_valid_date and must
// lie within kFirstSuiteDate..kLastSuiteDate (host/dates.h).
bool ParseCliOptions(int argc, char** argv, const std::vector<CliFlag>& extra_flags,
                     CliOptions* out, std::string* error);
// "" unless --format pdf lacks --out (a PDF is never written to standard
// output): then the one line to print. Every command that writes checks it
// once its options are read (`vantra preset save` keeps a format instead).
std::string CheckPdfOut(const CliOptions& options);

// DefaultDemoDbPath / DefaultDemoDbUrl: the demo database the run script creates.
#include "suite/suite_paths.h"

// The database of a run: --db, else the INI file's [SUITE] Database (as the
// suite reads it), else the demo database.
std::string DatabaseUrl(const CliOptions& options);
// The database the reports read: --report-db, else --db when given (a
// database named on the command line is the one to read), else the INI
// file's [SUITE] ReportDatabase, else DatabaseUrl.
std::string ReportDatabaseUrl(const CliOptions& options);

// Sets up the process-wide QenApplication from the options: pins today,
// sets the INI path and opens the database (not created when missing). The
// commands that ask the suite for production figures (goals, stats) install
// the production service themselves. Returns false with one clear line in
// *error (no database, bad URL, unreachable server). The reports open the
// database read only (nothing in a SQLite file changes), ReportDatabaseUrl's;
// the commands that write (goals-edit, sql) ask for DbAccess::kWrite and
// open DatabaseUrl's.
bool SetUpApplication(const CliOptions& options, QenApplication* app, std::string* error,
                      DbAccess access = DbAccess::kRead);

// "" unless --out names a file the run reads or keeps: the SQLite database
// or its -journal, -wal or -shm file, or the INI file in use (the same file
// through links and relative paths: same device and inode, or the same
// canonical path when it does not exist yet). Else the one line to print;
// checked before anything is computed.
std::string CheckOutputTarget(const CliOptions& options);

// After a read the run cannot do without (a pick list, the selection, the
// year checks): -1 when the last statement went well, else the exit status
// once its one line is printed: 3 with the lost-server line, 1 with what and
// the database's reason ("la liste des producteurs : no such table: PRODCD").
int DatabaseReadFailed(const char* command, GenDB* db, const std::string& what);

// How every command ends a run (host/run_outcome.h): -1 when the command
// goes on to write its list (finished, cancelled), else the exit status once
// the one line is printed on standard error:
//   server lost  "vantra COMMAND : La connexion au serveur a été perdue : ..." 3
//   failed       "vantra COMMAND : MESSAGE ; rien n'est écrit"               1
//   refused      "vantra COMMAND : MESSAGE"                                  2
int StopOnOutcome(const char* command, const RunOutcome& outcome);
// After the list of a cancelled run was written: "vantra COMMAND :
// interrompu ; WRITTEN" (for example "les jours calculés ont été écrits").
void SayIfCancelled(const char* command, const RunOutcome& outcome, const char* written);

// "" when every named producer code is one of PRODCD (an inactive producer
// may be named, as in the tabs), else "producteur inconnu : ZZZ": every
// command refuses it the same way (exit 2). Log-on names are not checked:
// the audit trail keeps the names of users since removed.
std::string UnknownProducer(GenDB* db, const std::vector<std::string>& named);

// "" when the INI file in use can be read or does not exist (defaults),
// else why it cannot ("le fichier INI /x/tolvane.ini est illisible :
// Permission non accordée"): the cause to add to a message about a value
// that came out wrong.
std::string IniReadProblem(const CliOptions& options);

// A value of an INI section: the SECTION.KEY=VALUE override when given, else
// the KEY=VALUE override, else the INI file's value, else def.
std::string OptionValue(const CliOptions& options, const std::string& section,
                        const std::string& key, const std::string& def);

// A whole number typed on the command line (an argument, a flag's value, a
// KEY=VALUE override): decimal digits only, with a leading "-" when min is
// below 0; no blank, "+", decimal point or exponent. Read as a 64-bit value
// (nothing wraps: 4294967297 is not 1), then held to min..max. False with
// the one line to print in *error:
//   "identifiant : « 12x » n'est pas un nombre entier"
//   "identifiant : « 4294967297 » hors des bornes (1 à 2147483647)"
bool ParseWholeNumber(std::string_view text, int64_t min, int64_t max, const std::string& what, int64_t* value,
                      std::string* error);

// The years a command accepts: those of kFirstSuiteDate..kLastSuiteDate.
int64_t FirstSuiteYear();
int64_t LastSuiteYear();

// A number key of an INI section given as an override on the command line
// (KEY=VALUE or SECTION.KEY=VALUE): a whole number in min..max. The tabs'
// own reading of the INI file is left as it is (atol of the text); the
// command line refuses what they would misread ("FeesGoal=1e9" is 1 cent).
struct NumberKey {
  std::string key;
  int64_t min;
  int64_t max;
  bool empty_allowed = false;  // "" stands for none (CompYear)
};
// "" when every override among keys is such a number, else the one line
// ("FeesGoal : « 1e9 » n'est pas un nombre entier").
std::string CheckNumberOverrides(const CliOptions& options, const std::string& section,
                                 const std::vector<NumberKey>& keys);

// Three keys NAME0, NAME1, NAME2 (the colour ranges and line kinds).
void AddNumberKeys(std::vector<NumberKey>* keys, const char* stem, int64_t min, int64_t max);
// A colour of the INI files: a decimal 0x00BBGGRR.
inline constexpr int64_t kMaxColour = 0xFFFFFF;

// How a tab splits a list value into entries and compares them.
enum class ListEntries {
  kCommas,     // at ",", empty entries skipped, compared byte for byte
               // (appointment and statistics lists, audit users)
  kProducers,  // SplitProducerList: at "," or in 3-byte fields without a
               // comma, blanks around dropped, cut to 4 bytes (goals)
  kNumbers,    // at ",", empty entries skipped, each a whole number from 1
               // to 2^31 - 1, compared as numbers (audit modules)
};

// A list value of an analysis's section (Users, Producers, Chairs, codes,
// years), entries separated by ",". The tabs cut each entry to its field, so
// "D01X" would select D01; a PostgreSQL database refuses a statement
// holding bytes that are not UTF-8; and an entry named twice is counted
// twice (Producers=D01,D01 doubles the hours). The command line refuses all
// three before anything runs: "" when every entry of the value of KEY
// (OptionValue) has at most max_bytes bytes, is UTF-8 and is named once
// (entries compared as the tab compares them), else the one line to print
// ("Producers : « D01X » dépasse 3 octets", "Producers : « D01 » figure
// deux fois"). The fields hold bytes: "ÉÉÉÉÉ" is 10 of them.
std::string CheckListEntries(const CliOptions& options, const std::string& section, const std::string& key,
                             size_t max_bytes, ListEntries how = ListEntries::kCommas);

// --- command table ---------------------------------------------------------
struct CliCommand {
  const char* name;
  const char* summary;                   // one line for `vantra --help`
  const char* usage;                     // text after "usage: vantra NAME "
  std::vector<CliFlag> extra_flags;
  int (*run)(const CliOptions& options); // exit status
  // The commands that read an INI section: the section, and every KEY= the
  // command accepts (a key of its own section bare, another section's as
  // SECTION.KEY), the one list the command checks its arguments against.
  // Presets keep these keys; `vantra preset keys` lists them.
  const char* ini_section = nullptr;
  const std::vector<std::string>& (*keys)() = nullptr;
  // The options describe a preset rather than a run (`vantra preset save`):
  // the command also takes the flags every analysis keeps in a preset, and
  // --format names the preset's format (a pdf needs no --out).
  bool preset_options = false;
  // The command runs across the clinics of a group (--clinics,
  // --all-clinics, --jobs; cli/cli_group.h); the others refuse them.
  bool group = false;
};

// Commands register themselves from their own file:
//   static CliRegistration reg{{"sql", "...", "...", {}, &RunSql}};
struct CliRegistration {
  explicit CliRegistration(CliCommand command);
};
const std::vector<CliCommand>& CliCommands();
// The command of that name, or null.
const CliCommand* FindCliCommand(std::string_view name);
