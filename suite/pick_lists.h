// The practice's pick lists: the statements that list its producers,
// chairs, users and appointment codes for the tabs' selection lists and the
// command line, in one place. Where two tabs word the same list slightly
// differently, both texts are here side by side, each byte for byte as its
// tab runs it.
#pragma once

#include <string>
#include <vector>

class GenDB;

// Active producers with their names, in code order: the productivity and
// statistics tabs' text ("... != 'Y'  ORDER BY ...", two blanks).
std::string ActiveProducersSql(const char* prefix);
// The same list as the goals tab words it (one blank).
std::string GoalsActiveProducersSql(const char* prefix);
// Every producer, active or not, with its name (the goals editor's list).
std::string AllProducersSql(const char* prefix);
// Every producer's code, active or not (goal records may name any).
std::string ProducerCodesSql(const char* prefix);
// The producer of that code, active or not ("an inactive producer may be
// named"); code goes through the literal escaping.
std::string NamedProducerSql(const char* prefix, const std::string& code);
// The chairs, by number: location, number, title.
std::string ChairsSql(const char* prefix);
// The suite's users (id, log-on name), by log-on name.
std::string UsersSql(const char* prefix);
// The appointment codes (codes true: MCBCD) or types (APTCODE), code and
// description, by code.
std::string ApptCodesSql(const char* prefix, bool codes);

// The codes of every producer of PRODCD, active or not, in code order
// (cursor 25); empty when the statement failed. No empty code.
std::vector<std::string> LoadProducerCodes(GenDB* db);
