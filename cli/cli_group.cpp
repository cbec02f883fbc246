// Resolving and running the group of an analysis command.

#include "cli/cli_group.h"

#include <cstdio>

#include "lists/group_list.h"
#include "suite/calendar.h"
#include "suite/clinics.h"

int ResolveCliGroup(const char* command, const CliOptions& options, GenDB* db, CliGroup* group) {
  group->prefixes.clear();
  group->headings.clear();
  if (!options.all_clinics && options.clinics.empty()) return -1;
  if (!options.prefix.empty()) {
    std::fprintf(stderr, "vantra %s : --prefix ne va pas avec --clinics ou --all-clinics\n", command);
    return 2;
  }
  if (options.all_clinics) {
    std::string error;
    if (!ListClinics(db, &group->prefixes, &error)) {
      std::fprintf(stderr, "vantra %s : la liste des cabinets : %s\n", command, error.c_str());
      return 1;
    }
    if (group->prefixes.empty()) {
      std::fprintf(stderr, "vantra %s : aucun cabinet sur %s (aucun schéma ne tient les tables du cabinet)\n",
                   command, db->Url().c_str());
      return 2;
    }
  } else {
    const std::string missing = MissingClinic(db, options.clinics);
    if (!missing.empty()) {
      std::fprintf(stderr, "vantra %s : %s\n", command, missing.c_str());
      return 2;
    }
    group->prefixes = options.clinics;
  }
  group->headings.assign(group->prefixes.size(), std::string());
  return -1;
}

int RunCliGroup(const char* command, const CliOptions& options, CliGroup* group, const ClinicWork& work) {
  ClinicPoolOptions pool;
  pool.url = ReportDatabaseUrl(options);
  pool.access = DbAccess::kRead;
  pool.jobs = options.jobs;
  group->headings.assign(group->prefixes.size(), std::string());
  const std::vector<ClinicResult> results =
      RunClinics(pool, group->prefixes, [group, &work](const ClinicContext& clinic) {
        group->headings[clinic.index] = ClinicHeading(ClinicLabel(*clinic.prefix), PracticeName(clinic.db));
        return work(clinic);
      });
  return StopOnOutcome(command, ClinicGroupOutcome(results));
}
