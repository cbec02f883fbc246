#include "tests/support/damaged_practice.h"

#include <fstream>
#include <sstream>

#include "host/gendb.h"
#include "suite/schema.h"

namespace {

bool Run(GenDB* db, const std::string& sql, std::string* error) {
  if (db->dbExec(sql.c_str()) == 0) return true;
  *error = db->LastError() + " [" + sql.substr(0, 300) + "]";
  return false;
}

}  // namespace

std::vector<std::string> DamagedSchemaStatements() {
  std::vector<std::string> out;
  for (const TableDef& table : SchemaTables()) {
    std::string sql = std::string("CREATE TABLE ") + table.name + " (";
    for (size_t i = 0; i < table.columns.size(); ++i) {
      const ColumnDef& c = table.columns[i];
      sql += std::string(i > 0 ? ", " : "") + c.name + " ";
      sql += c.kind == ColumnKind::kId ? "BIGINT" : c.kind == ColumnKind::kInt ? "INTEGER" : "TEXT";
    }
    if (table.primary_key != nullptr) sql += std::string(", PRIMARY KEY (") + table.primary_key + ")";
    out.push_back(sql + ")");
    for (const IndexDef& index : table.indexes) {
      std::string columns;
      for (const char* c : index.columns) columns += std::string(columns.empty() ? "" : ", ") + c;
      out.push_back(std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " + index.name + " ON " +
                    table.name + " (" + columns + ")");
    }
  }
  return out;
}

bool CreateDamagedPractice(GenDB* db, const std::string& sql_path, std::string* error) {
  for (const std::string& sql : DamagedSchemaStatements()) {
    if (!Run(db, sql, error)) return false;
  }
  // Statements end with ';' at the end of a line; lines starting with "--"
  // are comments.
  std::ifstream in(sql_path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + sql_path;
    return false;
  }
  std::string line, current;
  while (std::getline(in, line)) {
    if (line.rfind("--", 0) == 0) continue;
    current += line + "\n";
    const size_t end = line.find_last_not_of(" \t\r");
    if (end != std::string::npos && line[end] == ';') {
      current.erase(current.find_last_of(';'));
      if (!Run(db, current, error)) return false;
      current.clear();
    }
  }
  return current.find_first_not_of(" \t\r\n") == std::string::npos || Run(db, current, error);
}
