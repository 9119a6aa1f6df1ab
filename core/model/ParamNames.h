// The names of the console's parameters, as the timeline's view list and the panel's status
// line show them.
#pragma once

namespace orb {

// The name of parameter id; empty for an unknown id.
const char* ParamName(int id);

}  // namespace orb
