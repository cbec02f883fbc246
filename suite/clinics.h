// The clinics of a dental group: which table prefixes hold a practice.
//
// On PostgreSQL a group keeps one schema per clinic on one server; every
// schema that holds the practice's tables (kClinicTables) is a clinic, named
// by its prefix "schema." ("\"Clinique Nord\"." when the name needs quotes).
// On SQLite a group keeps one file per clinic in one folder: the database
// opened is any file of that folder (an empty one will do), and each
// NAME.db beside it that holds the practice's tables is the clinic "NAME.",
// attached by the engine when a connection takes its prefix
// (host/gendb.h OpenGenDB).
//
// Clinics are listed in natural order of their names ("clinic2" before
// "clinic10").
#pragma once

#include <string>
#include <vector>

#include "host/clinic_pool.h"

class GenDB;

// The tables that make a schema a clinic's.
const std::vector<std::string>& ClinicTables();

// Every clinic the connection's server (or folder) holds. False with *error
// when the list cannot be read; true with an empty list when there is none.
bool ListClinics(GenDB* db, std::vector<std::string>* prefixes, std::string* error);

// The clinics of a --clinics value "clinic1,clinic2." (a final "." added
// where missing, blanks around names dropped). False with the one line to
// print: an empty list, an invalid name, a clinic named twice.
bool ParseClinicList(const std::string& text, std::vector<std::string>* prefixes, std::string* error);

// "" when every prefix holds the practice's tables on db's server (or
// folder), else "cabinet introuvable : clinic9 (aucune table du cabinet sous
// ce préfixe)", or the database's reason when it cannot tell.
std::string MissingClinic(GenDB* db, const std::vector<std::string>& prefixes);

// Natural order of clinic names: runs of digits compare as numbers.
bool ClinicNameLess(const std::string& a, const std::string& b);

// RunClinics, and each clinic's practice name (PracticeName, read in its
// snapshot) in (*names)[index] for its heading (lists/group_list.h
// ClinicHeading). Every analysis of a group, window or command line, runs
// its clinics through here.
std::vector<ClinicResult> RunClinicGroup(const ClinicPoolOptions& options, const std::vector<std::string>& prefixes,
                                         const ClinicWork& work, std::vector<std::string>* names);
