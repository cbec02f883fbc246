// Runs one analysis over the clinics of a dental group: one schema per
// clinic on one PostgreSQL server (or one attached SQLite file per clinic),
// each named by its table prefix ("clinic2.").
//
// The clinics run in parallel over a bounded pool: at most `jobs` worker
// threads, each with one connection of its own, opened for its first clinic
// and moved to the next one with dbSetPrefix, so a run never holds more than
// `jobs` connections beside the caller's. Each clinic runs inside one
// snapshot (GenDB::dbBeginSnapshot: REPEATABLE READ, READ ONLY on
// PostgreSQL), so all of a clinic's lists read the same data.
//
// The first clinic that does not end complete (a failed statement, a
// damaged schema, a lost server) stops the pool: the workers take no new
// clinic, those running finish, and the caller says which clinic failed and
// presents nothing as whole (ClinicGroupOutcome).
//
// Meters: a worker thread opens no window; the meters its analysis builds
// are silent and relay the cancel of the group's one meter, which the
// calling thread shows and polls ("Cabinet 3 de 20").
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "host/gendb.h"
#include "host/meter.h"
#include "host/run_outcome.h"

struct ClinicPoolOptions {
  std::string url;                    // the server (or the SQLite file beside the clinics' files)
  DbAccess access = DbAccess::kRead;  // the reports read only
  int jobs = 2;                       // workers and connections, at least 1
  HWindow parent = nullptr;           // parent of the group's meter
  std::string meter_title;            // "" opens no group meter
};

// What a clinic's run is handed. db is in the clinic's snapshot; the run
// must neither end it nor change its prefix.
struct ClinicContext {
  GenDB* db = nullptr;
  size_t index = 0;  // position of the clinic among the prefixes
  const std::string* prefix = nullptr;
};

using ClinicWork = std::function<RunOutcome(const ClinicContext&)>;

struct ClinicResult {
  std::string prefix;
  bool ran = false;     // false: not started (the pool stopped, or the group was cancelled)
  RunOutcome outcome;   // of the clinic's run, once ran
};

// Runs work once per prefix, in parallel over options.jobs connections; one
// result per prefix, in the order given. Thread safety: work runs on the
// worker threads, several at a time; it must only touch what its index
// owns.
std::vector<ClinicResult> RunClinics(const ClinicPoolOptions& options, const std::vector<std::string>& prefixes,
                                     const ClinicWork& work);

// How a group run ended, for the tabs and the command line: finished when
// every clinic finished; cancelled when the user stopped it; else the first
// clinic (in the given order) that did not end well, named in its one line:
//   "cabinet clinic2 : La connexion au serveur a été perdue : ..." (server lost)
//   "cabinet clinic2 : no such table: clinic2.PRODCD"             (failed)
// A server lost anywhere makes the group's outcome a lost server, so the
// command line exits 3 (nothing is presented as whole).
RunOutcome ClinicGroupOutcome(const std::vector<ClinicResult>& results);

// Reads the clinics one after another on db, the caller's own connection:
// its prefix is moved to each clinic in turn and put back afterwards, so a
// tab's pick lists can list every clinic's producers or chairs. read is
// called with db at the clinic's prefix and says whether its statements
// answered; the first clinic that does not stops the reading, and the
// outcome names it ("<what> du cabinet clinic2 : <error>"). Finished when
// every clinic was read.
RunOutcome ReadClinicByClinic(GenDB* db, const std::vector<std::string>& prefixes, const std::string& what,
                              const std::function<bool(const std::string& prefix)>& read);

// The clinic's name for messages and headings: the prefix without its final
// "." and quotes ("clinic2." -> "clinic2").
std::string ClinicLabel(const std::string& prefix);
