// The automation events of a title as a table of texts: time code, channel, parameter, value and
// unit, for a spreadsheet or a terminal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orb {

class TQ730AUTO;

std::vector<std::string> AutomationHeader();

// Events in list order; channel -1 keeps every channel, param 0 every parameter. Words that name
// no parameter of the timeline's views are left out.
std::vector<std::vector<std::string>> AutomationRows(const TQ730AUTO& automation, int channel = -1,
                                                     int param = 0);

// The parameter of a timeline view by its name as the view list shows it (case does not
// matter); 0 for none.
int ViewNamed(std::string_view name);

}  // namespace orb
