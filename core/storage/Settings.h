// The settings file: lines of key=value under [Section] headers, names compared
// without regard to case. Reading never creates anything; every write rewrites
// the whole file at once through a temporary file, keeping all other lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orb {

inline constexpr char kSettingsFileName[] = "orbedit.ini";
inline constexpr char kGlobalSection[] = "Global";
inline constexpr char kPortsSection[] = "Ports";

// A settings file larger than this is not ours: it reads as empty and is never
// overwritten.
inline constexpr std::size_t kMaxSettingsBytes = 1 << 20;

class ProfileFile {
 public:
  ProfileFile() = default;
  // Reads the file; a missing, unreadable or oversized one reads as empty.
  explicit ProfileFile(std::string path);
  // A profile of the given text that is never written anywhere.
  static ProfileFile FromText(std::string_view text);

  // The value of the first such key in the first such section, trimmed and
  // without enclosing double quotes.
  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
  // A decimal integer, or fallback when the key is missing or its value is
  // not a whole number in the range of int.
  int ReadInt(std::string_view section, std::string_view key, int fallback) const;

  // Sets the key and writes the file; false when the write failed (the
  // in-memory value is set all the same). Line breaks in a value become blanks.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int value);

  // The file's text as a write would store it.
  std::string Text() const;
  const std::string& Path() const { return path_; }

 private:
  // Index of the key's line, or of the section's header when the key is
  // missing (npos when the section is missing too); found tells which.
  std::size_t Find(std::string_view section, std::string_view key, bool& found) const;

  std::string path_;
  bool writable_ = false;
  bool crlf_ = false;
  std::vector<std::string> lines_;  // without line ends
};

// The four values of section "Global" and their defaults.
struct ShellSettings {
  int serial_index = 1;  // COM port number 1 to 9
  bool bold = false;
  bool import_enabled = true;
  bool export_enabled = true;
};

inline constexpr int kComPortCount = 9;

// A SerialIndex outside 1 to 9 reads as the default, so that the port dialog
// and the device lookup never see a port that does not exist.
ShellSettings ReadShellSettings(const ProfileFile& profile);

// The device of COM port n: key "COMn" of section "Ports", else /dev/ttyS<n-1>.
std::string DefaultPortDevice(int port);
std::string PortDevice(const ProfileFile& profile, int port);

}  // namespace orb
