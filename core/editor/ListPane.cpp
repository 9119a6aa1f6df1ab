#include "core/editor/ListPane.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/edit/StepName.h"
#include "core/editor/EditSession.h"
#include "core/model/ConsoleText.h"

namespace orb {
namespace {

constexpr int kWheelStep = 40;

}  // namespace

void SelectEntries(TQ730& list, bool on) {
  for (int i = 0, n = list.Count(); i < n; ++i) list.SetSelected(i, on);
}

ListPane::ListPane(EditSession& session) : session_(session) {}

TQ730& ListPane::List() const {
  return session_.CurrentList();
}

void ListPane::SetGeometry(int pane_height, int list_height) {
  pane_height_ = std::max(0, pane_height);
  list_height_ = std::max(0, list_height);
}

int ListPane::ScrollMax() const {
  return std::max(0, List().MaxCount() - 1);
}

int ListPane::PageSize() const {
  return std::max(0, (list_height_ - kHeaderHeight) / kRowHeight);
}

void ListPane::SetScrollPosition(int position) {
  scroll_ = std::clamp(position, 0, ScrollMax());
}

std::vector<ListRow> ListPane::Rows() const {
  const TQ730& list = List();
  std::vector<ListRow> rows;
  if (!session_.HasListPane()) return rows;
  const int cursor = session_.Cursor();
  for (int r = 0, n = PageSize(); r <= n; ++r) {
    ListRow row;
    row.index = scroll_ + r;
    row.slot = row.index < list.MaxCount();
    row.entry = row.index < list.Count();
    if (row.slot) row.number = list.NumberText(row.index);
    if (row.entry) {
      row.name = list.NameText(row.index);
      row.selected = list.IsSelected(row.index);
    }
    row.cursor = row.index == cursor;
    rows.push_back(std::move(row));
  }
  return rows;
}

void ListPane::Reset() {
  rename_.visible = false;
  rename_.list = -1;
  const int max = ScrollMax();
  if (session_.HasListPane()) {
    const int page = pane_height_ / kRowHeight;
    // Clamped to the top last, so that a pane taller than the list never scrolls above it.
    scroll_ = std::max(0, std::min(session_.Cursor() - page / 3, max - page + 2));
  } else {
    // The position the last list pane had may lie beyond this list's end (AUTOMATION's list
    // has a single slot).
    scroll_ = std::clamp(scroll_, 0, max);
  }
}

int ListPane::RowAt(int y) const {
  return (y - kHeaderHeight) / kRowHeight + scroll_;
}

void ListPane::MouseDown(int y, KeyMods mods) {
  TQ730& list = List();
  mouse_down_ = true;
  click_moved_ = true;
  session_.SetActiveItem(0);
  const int row = RowAt(y);
  const int before = session_.Cursor();
  if (row != before) session_.SetCursor(row);
  const int cursor = session_.Cursor();
  const bool entry = row >= 0 && row < list.Count();
  if (entry && list.IsSelected(row)) {
    if (mods.ctrl) {
      list.SetSelected(row, false);
    } else if (row == before) {
      click_moved_ = false;  // releasing here starts renaming
    } else {
      SelectEntries(list, false);
      list.SetSelected(row, true);
    }
    return;
  }
  if (!mods.ctrl) SelectEntries(list, false);
  if (mods.shift) {
    for (int i = std::min(before, cursor), last = std::max(before, cursor); i <= last; ++i)
      list.SetSelected(i, true);
  } else if (entry) {
    list.SetSelected(row, true);
  }
}

void ListPane::MouseMove(int y) {
  if (!mouse_down_) return;
  TQ730& list = List();
  session_.SetActiveItem(0);
  click_moved_ = true;
  const int row = RowAt(y);
  const int old = session_.Cursor();
  if (row != old && row >= 0 && row < list.Count()) {
    // Rows entered toggle, so that moving back over them undoes the selection.
    if (row > old) {
      for (int i = old + 1; i <= row; ++i) list.SetSelected(i, !list.IsSelected(i));
    } else {
      for (int i = row; i < old; ++i) list.SetSelected(i, !list.IsSelected(i));
    }
    session_.SetCursor(row);
  }
  if (y < 0 && scroll_ > 0) --scroll_;
  if (y >= list_height_ && scroll_ < ScrollMax()) ++scroll_;
}

void ListPane::MouseUp() {
  if (!mouse_down_) return;
  mouse_down_ = false;
  const TQ730& list = List();
  const int cursor = session_.Cursor();
  if (!click_moved_ && cursor < list.Count() && list.IsSelected(cursor)) StartRename("");
}

void ListPane::MoveCursorByKey(int cursor, KeyMods mods) {
  TQ730& list = List();
  if (!mods.ctrl) SelectEntries(list, false);
  if (cursor < list.Count()) list.SetSelected(cursor, true);
  if (mods.shift) {
    const int from = std::min(anchor_, cursor), to = std::max(anchor_, cursor);
    for (int i = from; i <= to; ++i) {
      if (i != cursor && i < list.Count()) list.SetSelected(i, true);
    }
  }
  session_.MoveCursor(cursor);
}

void ListPane::ScrollToCursor(bool down) {
  const int cursor = session_.Cursor();
  if (down) {
    const int page = std::max(1, PageSize());
    if (cursor > scroll_ + page - 1) scroll_ = cursor - page + 1;
  } else if (cursor < scroll_) {
    scroll_ = cursor;
  }
  scroll_ = std::clamp(scroll_, 0, ScrollMax());
}

int ListPane::FindNext(const std::string& text) {
  if (text.empty() || !session_.HasListPane()) return -1;
  const TQ730& list = List();
  const auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  const std::string wanted = lower(text);
  const int count = list.Count();
  for (int step = 1; step <= count; ++step) {
    const int index = (session_.Cursor() + step) % count;
    if (lower(list.NameText(index)).find(wanted) == std::string::npos) continue;
    const int before = session_.Cursor();
    MoveCursorByKey(index, {});
    ScrollToCursor(index > before);
    return index;
  }
  return -1;
}

bool ListPane::Key(ListKey key, KeyMods mods) {
  const int last = List().Count() - 1;
  const int cursor = session_.Cursor();
  const bool cursor_key = key == ListKey::kPageUp || key == ListKey::kPageDown ||
                          key == ListKey::kUp || key == ListKey::kDown;
  // The cursor keys move through the list pane; pages without one have no rows to walk.
  if (cursor_key && !session_.HasListPane()) return false;
  switch (key) {
    case ListKey::kShift:
      anchor_ = cursor;
      return true;
    case ListKey::kEscape:
      rename_.list = -1;
      rename_.visible = false;
      session_.DropPending();
      session_.DropPickList();
      return true;
    case ListKey::kPageUp:
      MoveCursorByKey(std::max(0, cursor - PageSize()), mods);
      ScrollToCursor(false);
      return true;
    case ListKey::kPageDown:
      MoveCursorByKey(last < 0 ? 0 : std::min(cursor + PageSize(), last), mods);
      ScrollToCursor(true);
      return true;
    case ListKey::kUp:
      MoveCursorByKey(cursor > 0 ? cursor - 1 : cursor, mods);
      ScrollToCursor(false);
      return true;
    case ListKey::kDown:
      MoveCursorByKey(cursor < last ? cursor + 1 : cursor, mods);
      ScrollToCursor(true);
      return true;
    case ListKey::kDelete:
      if (session_.Enabled().delete_entries) {
        session_.Delete();
        return true;
      }
      return Key(ListKey::kBackspace, mods);
    case ListKey::kBackspace: {
      PendingEntry pending = session_.Pending();
      if (pending.item == 0 || pending.text.empty()) return false;
      pending.text = "0" + pending.text.substr(0, pending.text.size() - 1);
      session_.SetPending(pending);
      return true;
    }
    case ListKey::kEnter:
      session_.Enter();
      return true;
    case ListKey::kPadPlus:
    case ListKey::kPadMinus:
      if (rename_.visible) return false;
      if (session_.Panel().pad_item &&
          session_.Panel().pad_item(key == ListKey::kPadPlus ? kWheelStep : -kWheelStep))
        return true;
      Wheel(key == ListKey::kPadPlus ? kWheelStep : -kWheelStep);
      return true;
  }
  return false;
}

void ListPane::TypeChar(char c) {
  PendingEntry pending = session_.Pending();
  if (pending.item != 0) {
    if (c >= '0' && c <= '9' && !pending.text.empty()) {
      pending.text = pending.text.substr(1) + c;
      session_.SetPending(pending);
    }
    return;
  }
  if (c < '!' || c > 'z' || c == '+' || c == '-') return;
  if (!session_.HasListPane() || rename_.visible) return;
  StartRename(std::string(1, c));
}

void ListPane::Wheel(int delta) {
  if (session_.ActiveItem() != 0) {
    if (session_.Panel().wheel_item) session_.Panel().wheel_item(delta);
    return;
  }
  scroll_ = std::clamp(scroll_ - delta / kWheelStep, 0, ScrollMax());
}

int ListPane::RenameTop(int editor_height) const {
  return (session_.Cursor() - scroll_) * kRowHeight + kListCtrlHeight + kHeaderHeight -
         (editor_height - kRowHeight) / 2;
}

void ListPane::StartRename(const std::string& initial) {
  const TQ730& list = List();
  const int cursor = session_.Cursor();
  if (cursor < 0 || cursor >= list.Count() || session_.Locked()) return;
  rename_.visible = true;
  rename_.list = session_.CurrentListNumber();
  rename_.row = cursor;
  rename_.max_length = list.NameLength() - 1;
  rename_.select_all = initial.empty();
  rename_.text = initial.empty() ? list.NameText(cursor) : initial;
}

void ListPane::CommitRename(const std::string& text) {
  if (!rename_.visible) return;
  rename_.visible = false;
  const int target = rename_.list;
  rename_.list = -1;
  if (target != session_.CurrentListNumber()) return;
  TQ730& list = List();
  const int row = rename_.row;
  if (row < 0 || row >= list.Count() || session_.Locked()) return;
  const std::size_t length = static_cast<std::size_t>(std::max(0, rename_.max_length));
  // A name left as it was stays byte for byte, even where the display cannot show a byte.
  if (text.substr(0, length) == list.NameText(row)) return;
  const std::string name = ConsoleNameOf(text, length).text;
  if (name == list.NameText(row)) return;
  session_.PushUndoStep("Rename " + EntryText(list, row));
  list.SetName(row, name);
  session_.GetTitle().SetModified(true);
}

}  // namespace orb
