// What the program remembers of its windows in the settings file: the main window's place and
// size, the title manager's width, and the tab each title was last left on.
#pragma once

#include <optional>
#include <string>

#include "core/storage/Settings.h"

namespace orb {

inline constexpr char kWindowSection[] = "Window";

struct WindowPlace {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool maximized = false;
  bool operator==(const WindowPlace&) const = default;
};

class WindowMemory {
 public:
  // Sizes outside these bounds in the settings file are not ours and are left unused.
  static constexpr int kMinSize = 200;
  static constexpr int kMaxSize = 16384;
  static constexpr int kMaxOffset = 32768;

  explicit WindowMemory(ProfileFile& profile) : profile_(profile) {}

  std::optional<WindowPlace> MainWindow() const;
  void SetMainWindow(const WindowPlace& place);
  // 0 when none is kept.
  int ManagerWidth() const;
  void SetManagerWidth(int width);
  // The tab (0 … tab_count - 1) the title was left on; 0 when none is kept.
  int LastTab(const std::string& title_path, int tab_count) const;
  void SetLastTab(const std::string& title_path, int tab);

 private:
  // Writes only what changed: every write rewrites the whole file.
  void Write(const std::string& key, int value);

  ProfileFile& profile_;
};

}  // namespace orb
