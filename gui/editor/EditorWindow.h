// EditorWindow: what the main frame needs of an editor window, so that the frame reaches its
// editors without knowing their widgets.
#pragma once

#include <string>

namespace orb {

class EditSession;

// What the frame needs of an editor window: the widget of every child window
// whose "tag" property is 0 (the title manager's is -1).
class EditorWindow {
 public:
  virtual ~EditorWindow() = default;
  virtual void SaveTitle() = 0;
  // The new title file's path; empty when cancelled.
  virtual std::string SaveTitleAs() = 0;
  // Redraws the list pane, parameter panel and timeline, for a new font weight.
  virtual void RedrawAll() = 0;
  // The File menu's paperwork commands act on the session and then show it anew.
  virtual EditSession& Session() = 0;
  virtual void RefreshView() = 0;
};

}  // namespace orb
