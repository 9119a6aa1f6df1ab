#include "core/link/SessionPort.h"

#include <filesystem>

#include "core/storage/Settings.h"

namespace orb {
namespace fs = std::filesystem;

SessionPort PortFromSettings(const std::string& application_folder) {
  const ProfileFile profile((fs::path(application_folder) / kSettingsFileName).string());
  SessionPort port;
  port.number = ReadShellSettings(profile).serial_index;
  port.device = PortDevice(profile, port.number);
  return port;
}

}  // namespace orb
