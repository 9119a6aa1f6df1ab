// File → Recent titles: the last eight titles opened, newest first, kept in section "Recent"
// of the settings file as keys Title1 … Title8.
#pragma once

#include <string>
#include <vector>

#include "core/storage/Settings.h"

namespace orb {

inline constexpr char kRecentSection[] = "Recent";

struct RecentTitle {
  std::string path;
  std::string name;     // the file name without ".orb"
  bool exists = false;  // the menu greys a title whose file is gone
};

class RecentTitles {
 public:
  static constexpr int kMax = 8;
  // The longest path taken from the settings file; longer values are not ours.
  static constexpr std::size_t kMaxPathLength = 4096;

  // Reads the list; empty, overlong, repeated and non-title values are left out.
  explicit RecentTitles(ProfileFile& profile);

  // Puts the title first (once) and writes the list; false when the write failed.
  bool Add(const std::string& path);
  // The list as the menu shows it, each file looked up now.
  std::vector<RecentTitle> Entries() const;
  const std::vector<std::string>& Paths() const { return paths_; }

 private:
  ProfileFile& profile_;
  std::vector<std::string> paths_;
};

}  // namespace orb
