// The editor window's list pane without its widgets: geometry and scroll, the rows to paint,
// the mouse and keys that move the cursor and select, and renaming an entry in place. It lives
// in the editor session, acts on the session's current list and cursor, and runs the session's
// commands for the keys that name one.
#pragma once

#include <string>
#include <vector>

namespace orb {

class EditSession;
class TQ730;

// One row of the list pane as it is painted.
struct ListRow {
  int index = 0;       // list index
  bool slot = false;   // below the capacity: the number is drawn
  bool entry = false;  // below the entry count: the name is drawn
  std::string number;
  std::string name;
  bool selected = false;
  bool cursor = false;
};

// The in-place name editor.
struct RenameState {
  bool visible = false;
  int list = -1;  // the rename target; -1 once forgotten
  int row = -1;
  std::string text;
  bool select_all = false;  // the whole text selected, else the caret after it
  int max_length = 0;
};

enum class ListKey {
  kShift,
  kEscape,
  kPageUp,
  kPageDown,
  kUp,
  kDown,
  kDelete,
  kBackspace,
  kEnter,
  kPadPlus,
  kPadMinus
};

struct KeyMods {
  bool shift = false;
  bool ctrl = false;
};

// Selects or deselects every entry of the list.
void SelectEntries(TQ730& list, bool on);

class ListPane {
 public:
  static constexpr int kRowHeight = 20;
  static constexpr int kHeaderHeight = 20;
  static constexpr int kListCtrlHeight = 51;

  explicit ListPane(EditSession& session);

  // The heights of Pa_List and of the drawing surface PB_List.
  void SetGeometry(int pane_height, int list_height);
  int ScrollPosition() const { return scroll_; }
  int ScrollMax() const;
  int PageSize() const;
  // Sc_List moved by the user.
  void SetScrollPosition(int position);
  // The rows to paint; none on a page without a list pane.
  std::vector<ListRow> Rows() const;
  // After every refresh of the session: the name editor is gone and the cursor is in view.
  void Reset();

  // Mouse in the list pane (left button; y in PB_List's pixels).
  void MouseDown(int y, KeyMods mods);
  void MouseMove(int y);
  void MouseUp();
  bool MouseHeld() const { return mouse_down_; }
  // Keys the window sees first; false when the key does nothing here.
  bool Key(ListKey key, KeyMods mods);
  // A typed character: a digit goes to a pending numeric entry; "!" … "z" (but "+" and "-")
  // starts renaming the cursor row with it.
  void TypeChar(char c);
  void Wheel(int delta);

  // Ctrl+F: the next entry after the cursor (round the end) whose name holds the text, in any
  // case, becomes the cursor and the only selected entry; -1 (nothing moves) when none does.
  int FindNext(const std::string& text);

  // The name editor.
  const RenameState& Rename() const { return rename_; }
  // Top of the name editor in Pa_List for an editor of the given height.
  int RenameTop(int editor_height) const;
  // Starts renaming the cursor row; an empty initial text edits the current name.
  void StartRename(const std::string& initial);
  // The editor was left with this text (focus lost, Enter, deactivation, repaint).
  void CommitRename(const std::string& text);

 private:
  TQ730& List() const;
  int RowAt(int y) const;
  // The keys move the cursor over every slot, entries or not, and select as they go.
  void MoveCursorByKey(int cursor, KeyMods mods);
  void ScrollToCursor(bool down);

  EditSession& session_;
  int pane_height_ = 0;
  int list_height_ = 0;
  int scroll_ = 0;
  int anchor_ = 0;
  bool mouse_down_ = false;
  bool click_moved_ = false;
  RenameState rename_;
};

}  // namespace orb
