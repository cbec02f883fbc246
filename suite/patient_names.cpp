#include "suite/patient_names.h"

#include <algorithm>
#include <unordered_set>

#include "host/gendb.h"

namespace {

constexpr int kNamesCursor = 63;
constexpr size_t kIdsPerStatement = 500;

// The text without its leading and trailing blanks.
std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

bool ReadPatientNames(GenDB* db, const std::vector<long>& ids, std::unordered_map<long, std::string>* names,
                      std::string* error) {
  if (db == nullptr) return true;
  std::vector<long> wanted;
  std::unordered_set<long> seen;
  for (long id : ids) {
    if (id != 0 && names->count(id) == 0 && seen.insert(id).second) wanted.push_back(id);
  }
  std::sort(wanted.begin(), wanted.end());
  for (size_t at = 0; at < wanted.size(); at += kIdsPerStatement) {
    std::string sql = std::string("SELECT PAT_ID, PAT_LNAME, PAT_PNAME FROM ") + db->dbPrefix() + "PATIENT WHERE PAT_ID IN (";
    const size_t end = std::min(wanted.size(), at + kIdsPerStatement);
    for (size_t i = at; i < end; ++i) {
      if (i > at) sql += ',';
      sql += std::to_string(wanted[i]);
    }
    sql += ')';
    if (db->dbExecute(sql.c_str(), kNamesCursor) != 0) {
      if (error != nullptr) *error = db->LastError();
      db->dbClose(kNamesCursor);
      return false;
    }
    for (int r = db->dbFetch(0, kNamesCursor); r == 0; r = db->dbFetch(1, kNamesCursor)) {
      long id = 0;
      std::string last, first;
      db->dbGetLong(1, &id, kNamesCursor);
      db->dbGetField(2, &last, kNamesCursor, true);
      db->dbGetField(3, &first, kNamesCursor, true);
      last = Trimmed(last);
      first = Trimmed(first);
      std::string name = last;
      if (!first.empty()) name += (name.empty() ? "" : ", ") + first;
      if (!name.empty()) (*names)[id] = std::move(name);
    }
    const std::string failed = db->LastError();
    db->dbClose(kNamesCursor);
    if (!failed.empty()) {
      if (error != nullptr) *error = failed;
      return false;
    }
  }
  return true;
}

bool ReadPatientNames(GenDB* db, const std::vector<FeeItem>& items, std::unordered_map<long, std::string>* names,
                      std::string* error) {
  std::vector<long> ids;
  ids.reserve(items.size());
  for (const FeeItem& item : items) ids.push_back(item.patient);
  return ReadPatientNames(db, ids, names, error);
}
