#include "core/storage/RecentTitles.h"

#include <algorithm>
#include <filesystem>

#include "core/model/Title.h"

namespace orb {
namespace {

std::string KeyOf(int n) {
  return "Title" + std::to_string(n + 1);
}

}  // namespace

RecentTitles::RecentTitles(ProfileFile& profile) : profile_(profile) {
  for (int n = 0; n < kMax; ++n) {
    const std::optional<std::string> value = profile_.ReadString(kRecentSection, KeyOf(n));
    if (!value || value->empty() || value->size() > kMaxPathLength) continue;
    if (TitleNameOf(*value).empty()) continue;
    if (std::find(paths_.begin(), paths_.end(), *value) != paths_.end()) continue;
    paths_.push_back(*value);
  }
}

bool RecentTitles::Add(const std::string& path) {
  if (path.empty() || path.size() > kMaxPathLength) return false;
  paths_.erase(std::remove(paths_.begin(), paths_.end(), path), paths_.end());
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > static_cast<std::size_t>(kMax)) paths_.resize(kMax);
  bool written = true;
  for (int n = 0; n < kMax; ++n) {
    const std::string value = n < static_cast<int>(paths_.size()) ? paths_[n] : std::string();
    const std::optional<std::string> now = profile_.ReadString(kRecentSection, KeyOf(n));
    if (now.value_or("") == value) continue;
    written = profile_.WriteString(kRecentSection, KeyOf(n), value) && written;
  }
  return written;
}

std::vector<RecentTitle> RecentTitles::Entries() const {
  std::vector<RecentTitle> entries;
  for (const std::string& path : paths_) {
    std::error_code error;
    entries.push_back({path, TitleNameOf(path), std::filesystem::is_regular_file(path, error)});
  }
  return entries;
}

}  // namespace orb
