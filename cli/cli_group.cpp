// Resolving and running the group of an analysis command.

#include "cli/cli_group.h"

#include <cstdio>

#include "lists/group_list.h"
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

ClinicPoolOptions CliPoolOptions(const CliOptions& options) {
  ClinicPoolOptions pool;
  pool.url = ReportDatabaseUrl(options);
  pool.access = DbAccess::kRead;
  pool.jobs = options.jobs;
  pool.meter_title = "Cabinets";  // the bar on a terminal's standard error: clinics done
  return pool;
}

int RunCliGroup(const char* command, const CliOptions& options, CliGroup* group, const ClinicWork& work) {
  std::vector<std::string> names;
  const std::vector<ClinicResult> results = RunClinicGroup(CliPoolOptions(options), group->prefixes, work, &names);
  group->headings.clear();
  for (size_t i = 0; i < names.size(); ++i) {
    group->headings.push_back(ClinicHeading(ClinicLabel(group->prefixes[i]), names[i]));
  }
  return StopOnOutcome(command, ClinicGroupOutcome(results));
}
