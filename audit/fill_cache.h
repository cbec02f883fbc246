// Texts of the fill that repeat over many rows (date texts, module names),
// made once per generation. Internal to audit/.
#pragma once

#include <string>
#include <unordered_map>

#include "audit/audit_describe.h"
#include "host/dates.h"

namespace audit_detail {

// Texts that repeat over a million rows, made once per generation.
class FillCache {
 public:
  const char* Date(long date) {
    if (date != last_date_ || !have_date_) {
      ldate_to_str1(date_text_, date, 530);
      last_date_ = date;
      have_date_ = true;
    }
    return date_text_;
  }
  const std::string& Module(const VantraElem& e) {
    const bool helper = e.type() == 'E' && e.record_id() >= 1 && e.record_id() <= 7;
    if (helper) {
      std::string& name = helper_names_[e.record_id()];
      if (!have_helper_[e.record_id()]) {
        name = ModuleNameOf(e);
        have_helper_[e.record_id()] = true;
      }
      return name;
    }
    auto it = module_names_.find(e.module_code);
    if (it == module_names_.end()) it = module_names_.emplace(e.module_code, ModuleNameOf(e)).first;
    return it->second;
  }

 private:
  char date_text_[64] = {};
  long last_date_ = 0;
  bool have_date_ = false;
  std::string helper_names_[8];
  bool have_helper_[8] = {};
  std::unordered_map<long, std::string> module_names_;
};

}  // namespace audit_detail
