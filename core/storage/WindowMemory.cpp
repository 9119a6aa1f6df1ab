#include "core/storage/WindowMemory.h"

#include <cstdint>
#include <cstdio>

namespace orb {
namespace {

constexpr int kMissing = -1000000;

// A title's key: its path as a hash, since a path may hold what a key cannot ("=", "]").
std::string TabKey(const std::string& path) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
  char key[24];
  std::snprintf(key, sizeof key, "Tab%016llx", static_cast<unsigned long long>(hash));
  return key;
}

}  // namespace

std::optional<WindowPlace> WindowMemory::MainWindow() const {
  WindowPlace place;
  place.x = profile_.ReadInt(kWindowSection, "Left", kMissing);
  place.y = profile_.ReadInt(kWindowSection, "Top", kMissing);
  place.width = profile_.ReadInt(kWindowSection, "Width", kMissing);
  place.height = profile_.ReadInt(kWindowSection, "Height", kMissing);
  place.maximized = profile_.ReadInt(kWindowSection, "Maximized", 0) == 1;
  const auto offset = [](int v) { return v >= -kMaxOffset && v <= kMaxOffset; };
  const auto size = [](int v) { return v >= kMinSize && v <= kMaxSize; };
  if (!offset(place.x) || !offset(place.y) || !size(place.width) || !size(place.height))
    return std::nullopt;
  return place;
}

void WindowMemory::SetMainWindow(const WindowPlace& place) {
  Write("Left", place.x);
  Write("Top", place.y);
  Write("Width", place.width);
  Write("Height", place.height);
  Write("Maximized", place.maximized ? 1 : 0);
}

int WindowMemory::ManagerWidth() const {
  const int width = profile_.ReadInt(kWindowSection, "ManagerWidth", 0);
  return width >= kMinSize && width <= kMaxSize ? width : 0;
}

void WindowMemory::SetManagerWidth(int width) {
  Write("ManagerWidth", width);
}

int WindowMemory::LastTab(const std::string& title_path, int tab_count) const {
  const int tab = profile_.ReadInt(kWindowSection, TabKey(title_path), 0);
  return tab >= 0 && tab < tab_count ? tab : 0;
}

void WindowMemory::SetLastTab(const std::string& title_path, int tab) {
  Write(TabKey(title_path), tab);
}

void WindowMemory::Write(const std::string& key, int value) {
  if (profile_.ReadInt(kWindowSection, key, kMissing) != value)
    profile_.WriteInt(kWindowSection, key, value);
}

}  // namespace orb
