// The parameter panel bound to an editor session: the page of the session's tab and cursor,
// the panel's undo steps through the session's undo rule, its numeric entry held as the
// session's pending entry (which the window's digits, Backspace, Esc and Enter edit), and the
// wheel and keypad plus and minus through the session's active item. The panel widget forwards
// mouse events here, opens the popups it is asked for and paints Model().Scene().
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "core/editor/EditSession.h"
#include "core/pages/PanelModel.h"

namespace orb {

// The panel's page for a tab's page kind.
PanelPage PanelPageOf(PageKind kind);

class PanelBinding {
 public:
  // The width functions measure texts as the painter draws them: the page header, table cells.
  PanelBinding(EditSession& session, std::function<int(std::string_view)> header_width = {},
               std::function<int(std::string_view)> cell_width = {});
  ~PanelBinding();
  PanelBinding(const PanelBinding&) = delete;
  PanelBinding& operator=(const PanelBinding&) = delete;

  PanelModel& Model() { return model_; }
  // Whether the scene builder draws this page kind; the others show no controls yet.
  static bool Draws(PageKind kind);
  // After the window's refresh (tab, cursor, undo, data): the page is built anew for it.
  void Refresh();
  // What the panel shows of the session's page now: the page and the panel's state.
  PageInput Input();

  // fine: the modifier for ten times finer drags and the reset to the default.
  void Press(int x, int y, bool shift, bool fine = false);
  void Move(int x, int y, bool fine = false);
  std::optional<PanelRequest> DoubleClick(int x, int y, bool fine);
  // The keys on the current control; a popup comes back to the window as from a release.
  PanelRequest Key(PanelKey key, bool fine = false);
  // True when the typed value was taken (or there was nothing to type into).
  bool CommitTyping(std::string_view text);
  // Popups come back to the window; opening a channel, following a moved cue and opening the
  // cue number list (the session's pick list) are done here.
  PanelRequest Release(int x, int y);
  void Choose(const PanelRequest& popup, int value);

 private:
  PageScene Build(const PanelState& state, int pressed) const;
  PageInput Input(const PanelState& state, int pressed) const;
  // The session's pending entry is the one the keys edit; the model works on a copy.
  void EntryFromSession();
  void EntryToSession();
  void Follow(const PanelRequest& request);
  // What the model changed of the window's state: the fader group, the overview bank.
  void SyncState();

  EditSession& session_;
  std::function<int(std::string_view)> header_width_;
  std::function<int(std::string_view)> cell_width_;
  PanelModel model_;
};

}  // namespace orb
