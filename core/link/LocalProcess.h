// LocalProcess: runs tar and gzip on this machine for the transfer session, in its work folder.
#pragma once

#include <string>
#include <vector>

namespace orb {

// Runs a program of the PATH with the arguments in folder and waits for it,
// with its output discarded, no inherited descriptors and a bound on the size
// of the files it writes. The exit status, or -1 when it did not start.
int RunLocal(const std::string& folder, const std::vector<std::string>& arguments);

}  // namespace orb
