// The analyses across the clinics of a dental group (--clinics,
// --all-clinics, --jobs): every analysis command resolves its group here,
// runs its generator once per clinic through RunCliGroup (host/clinic_pool.h:
// a bounded pool, each clinic in one read-only snapshot) and writes the
// clinics' lists and the group's total as one list (lists/group_list.h).
//
// A clinic that fails is named in one line and the command exits 3 with
// nothing written: the group's total is presented only when every clinic
// finished.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "host/clinic_pool.h"

struct CliGroup {
  std::vector<std::string> prefixes;  // empty: one practice (--prefix), no group
  std::vector<std::string> headings;  // "Cabinet clinic1 — NAME", filled by RunCliGroup
  bool Active() const { return !prefixes.empty(); }
};

// The group the options name, checked on db (the connection of the run):
// --all-clinics lists every clinic of the server (none: one line, exit 2);
// --clinics takes the named ones, each of which must hold the practice's
// tables. -1 when the run goes on (group empty when neither option was
// given), else the exit status once its one line is printed.
int ResolveCliGroup(const char* command, const CliOptions& options, GenDB* db, CliGroup* group);

// The pool of a command's group: the report database, read only, --jobs
// connections.
ClinicPoolOptions CliPoolOptions(const CliOptions& options);

// Runs work once per clinic over --jobs connections of the report database,
// reading each clinic's practice name for its heading first. -1 when every
// clinic finished (or the run was cancelled), else the exit status once the
// failing clinic's line is printed (3).
int RunCliGroup(const char* command, const CliOptions& options, CliGroup* group, const ClinicWork& work);
