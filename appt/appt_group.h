// The productivity report of a dental group: the total under the clinics'
// reports (lists/group_list.h), computed from the clinics' own elements, as
// if one practice had every clinic's chairs and producers. Hours, units,
// fees and missed appointments of the same producer (or chair key) and
// period add up; the usage is computed again from the summed booked and
// available time, never averaged from the clinics' percentages.
//
// The total's columns are every producer (or chair) any clinic lists, in the
// order the clinics list them (a producer of one clinic only has her own
// column, the others' figures have none there); its booked rows list every
// code any clinic lists; a weekday is open when one clinic opens it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "appt/appt_types.h"

class QenListWindow;
class TDList;

// What one clinic's run leaves for the total.
struct ApptClinicRun {
  const TDList* elements = nullptr;              // PracApptGenerator::Elements after Generate
  const PracApptSettings* settings = nullptr;    // its selection (SelectApptKeys)
  std::vector<std::string> codes;                // ApptCodeList of the clinic
  std::array<bool, 7> open = {};                 // PracApptGenerator::OpenDays
};

// Fills *total (a copy of the first clinic's settings with the union of
// the selections) and writes the total's report lines into list (columns set
// up by SetUpApptColumns over *total). Nothing is written when no clinic has
// an element.
void WriteApptGroupTotal(const std::vector<ApptClinicRun>& clinics, PracApptSettings* total, QenListWindow* list);
