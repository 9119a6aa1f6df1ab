#include <cstdlib>
#include <string>
#include <string_view>

#include "core/storage/Settings.h"
#include "fuzz/FuzzTargets.h"

namespace orb {

int FuzzSettingsFile(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ProfileFile profile = ProfileFile::FromText(text);
  const ShellSettings settings = ReadShellSettings(profile);
  if (settings.serial_index < 1 || settings.serial_index > kComPortCount) std::abort();
  for (int port = 1; port <= kComPortCount; ++port) PortDevice(profile, port);

  // The first line of the input, used as section, key and value, must survive
  // a write and a fresh read of the written text.
  const std::string_view first = text.substr(0, text.find('\n'));
  const std::string section = "Fuzz";
  std::string value(first.substr(0, 64));
  for (char& c : value) {
    if (c == '\r' || c == '\0') c = ' ';
  }
  profile.WriteString(section, "Value", value);
  const ProfileFile again = ProfileFile::FromText(profile.Text());
  const std::optional<std::string> read = again.ReadString(section, "Value");
  if (!read) std::abort();
  ReadShellSettings(again);
  return 0;
}

}  // namespace orb
