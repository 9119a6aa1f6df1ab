// SessionPort: the COM port a transfer uses, as the application folder's settings file names it.
#pragma once

#include <string>

namespace orb {

// COM<SerialIndex> of the settings file and its device.
struct SessionPort {
  int number = 1;
  std::string device;
};
SessionPort PortFromSettings(const std::string& application_folder);

}  // namespace orb
