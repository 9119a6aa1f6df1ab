#include "core/storage/Settings.h"

#include <charconv>
#include <filesystem>
#include <fstream>

#include "core/model/DataFile.h"

namespace orb {
namespace fs = std::filesystem;

namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The name of a "[name]" line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// The key of a "key=value" line; empty for any other line.
std::string_view KeyOf(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#' || trimmed.front() == '[')
    return {};
  const std::size_t equals = trimmed.find('=');
  return equals == std::string_view::npos ? std::string_view{} : Trim(trimmed.substr(0, equals));
}

std::string_view ValueOf(std::string_view line) {
  std::string_view value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return value;
}

std::vector<std::string> SplitLines(std::string_view text, bool& crlf) {
  std::vector<std::string> lines;
  crlf = false;
  bool first_break = true;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (end != std::string_view::npos && first_break) {
      crlf = !line.empty() && line.back() == '\r';
      first_break = false;
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
  std::error_code error;
  const fs::file_status status = fs::status(path_, error);
  if (status.type() == fs::file_type::not_found) {
    writable_ = true;
    return;
  }
  // Anything we cannot read whole stays untouched: a write would lose it.
  if (error || status.type() != fs::file_type::regular) return;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return;
  std::string text(kMaxSettingsBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return;
  const std::size_t got = static_cast<std::size_t>(in.gcount());
  if (got > kMaxSettingsBytes) return;
  text.resize(got);
  lines_ = SplitLines(text, crlf_);
  writable_ = true;
}

ProfileFile ProfileFile::FromText(std::string_view text) {
  ProfileFile profile;
  profile.lines_ = SplitLines(text.substr(0, kMaxSettingsBytes), profile.crlf_);
  return profile;
}

std::size_t ProfileFile::Find(std::string_view section, std::string_view key, bool& found) const {
  found = false;
  std::size_t header = std::string::npos;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (const auto name = SectionOf(lines_[i])) {
      // Only the first section of the name counts.
      if (header != std::string::npos) break;
      if (SameName(*name, section)) header = i;
      continue;
    }
    if (header != std::string::npos && SameName(KeyOf(lines_[i]), key) && !key.empty()) {
      found = true;
      return i;
    }
  }
  return header;
}

std::optional<std::string> ProfileFile::ReadString(std::string_view section,
                                                   std::string_view key) const {
  bool found = false;
  const std::size_t line = Find(section, key, found);
  if (!found) return std::nullopt;
  return std::string(ValueOf(lines_[line]));
}

int ProfileFile::ReadInt(std::string_view section, std::string_view key, int fallback) const {
  const std::optional<std::string> text = ReadString(section, key);
  if (!text || text->empty()) return fallback;
  const char* first = text->data();
  const char* last = first + text->size();
  if (*first == '+' && text->size() > 1 && first[1] != '-') ++first;
  int value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last ? value : fallback;
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
  std::string line = std::string(key) + "=" + std::string(value);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';

  bool found = false;
  const std::size_t at = Find(section, key, found);
  if (found) {
    lines_[at] = std::move(line);
  } else if (at != std::string::npos) {
    // After the section's last entry, before the blank lines that part it
    // from the next section.
    std::size_t insert = at + 1;
    for (std::size_t i = at + 1; i < lines_.size() && !SectionOf(lines_[i]); ++i)
      if (!Trim(lines_[i]).empty()) insert = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), std::move(line));
  } else {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
    std::string header(1, '[');
    header.append(section).push_back(']');
    lines_.push_back(std::move(header));
    lines_.push_back(std::move(line));
  }

  if (!writable_ || path_.empty()) return false;
  const std::string text = Text();
  ReplacingFile out;
  if (out.Begin(path_) != kOk) return false;
  if (out.Write(text.data(), text.size()) != text.size()) return false;
  return out.Commit() == kOk;
}

bool ProfileFile::WriteInt(std::string_view section, std::string_view key, int value) {
  return WriteString(section, key, std::to_string(value));
}

std::string ProfileFile::Text() const {
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += crlf_ ? "\r\n" : "\n";
  }
  return text;
}

ShellSettings ReadShellSettings(const ProfileFile& profile) {
  ShellSettings settings;
  const int index = profile.ReadInt(kGlobalSection, "SerialIndex", settings.serial_index);
  if (index >= 1 && index <= kComPortCount) settings.serial_index = index;
  settings.bold = profile.ReadInt(kGlobalSection, "Bold", 0) != 0;
  settings.import_enabled = profile.ReadInt(kGlobalSection, "SImportEnabled", 1) != 0;
  settings.export_enabled = profile.ReadInt(kGlobalSection, "SExportEnabled", 1) != 0;
  return settings;
}

std::string DefaultPortDevice(int port) {
  return "/dev/ttyS" + std::to_string(port - 1);
}

std::string PortDevice(const ProfileFile& profile, int port) {
  const std::optional<std::string> device =
      profile.ReadString(kPortsSection, "COM" + std::to_string(port));
  return device && !device->empty() ? *device : DefaultPortDevice(port);
}

}  // namespace orb
