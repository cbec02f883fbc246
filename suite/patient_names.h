// The names of the patients a drilled list names: the rows behind a figure
// carry a patient's id (appointments, treatments, office charges); the
// drill window shows who that is.
//
//   std::unordered_map<long, std::string> names;
//   ReadPatientNames(db, ids, &names, &error);
//   cell = DrillPatientText(id, &names);   // lists/drill.h: "Tremblay, Marie (1234)"
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "host/prodanal.h"

class GenDB;

// The names ("Last, First") of the ids given (0 and repeats skipped), read
// from PATIENT in statements of at most 500 ids each on cursor 63; an id
// not in the table gets no entry. False, with *error, when a statement
// failed: the names read before it are kept.
bool ReadPatientNames(GenDB* db, const std::vector<long>& ids, std::unordered_map<long, std::string>* names,
                      std::string* error);
// The same for the patients of production rows.
bool ReadPatientNames(GenDB* db, const std::vector<FeeItem>& items, std::unordered_map<long, std::string>* names,
                      std::string* error);
