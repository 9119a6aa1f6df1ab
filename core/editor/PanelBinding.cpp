#include "core/editor/PanelBinding.h"

#include "core/edit/StepName.h"
#include "core/pages/CuePage.h"

namespace orb {

PanelPage PanelPageOf(PageKind kind) {
  // By page kind; the automation has no panel page of its own.
  static constexpr PanelPage kPages[kPageKinds] = {
      PanelPage::kChannel,    PanelPage::kSnapshot,    PanelPage::kCue,          PanelPage::kDynLib,
      PanelPage::kEqLib,      PanelPage::kChannel,     PanelPage::kOverview,     PanelPage::kFader,
      PanelPage::kFaderGroup, PanelPage::kInputAssign, PanelPage::kOutputAssign, PanelPage::kSetup,
      PanelPage::kIsolate};
  return kind >= 0 && kind < kPageKinds ? kPages[kind] : PanelPage::kChannel;
}

PanelBinding::PanelBinding(EditSession& session, std::function<int(std::string_view)> header_width,
                           std::function<int(std::string_view)> cell_width)
    : session_(session),
      header_width_(std::move(header_width)),
      cell_width_(std::move(cell_width)),
      model_(
          session.Links(), [this](const PanelState& s, int pressed) { return Build(s, pressed); },
          [this] {
            const auto [channel, id] = model_.StepChange();
            session_.PushUndoStep(ParamStepName(session_.Links().Current(), channel, id));
          }) {
  session_.Panel().commit_entry = [this] {
    EntryFromSession();
    const PanelRequest r = model_.EntryEnter();
    EntryToSession();
    Follow(r);
    return model_.Changed();
  };
  session_.Panel().wheel_item = [this](int delta) { model_.Wheel(delta); };
  session_.Panel().pad_item = [this](int delta) { return model_.PadStep(delta); };
  Refresh();
}

PanelBinding::~PanelBinding() {
  session_.Panel() = {};
}

bool PanelBinding::Draws(PageKind kind) {
  return DrawsPage(kind);
}

PageScene PanelBinding::Build(const PanelState& s, int pressed) const {
  return BuildPageScene(Input(s, pressed));
}

PageInput PanelBinding::Input() {
  Refresh();
  return Input(model_.State(), -1);
}

PageInput PanelBinding::Input(const PanelState& s, int pressed) const {
  PageInput in{session_.Page(), &session_.CurrentList(), s.cursor, s.section, header_width_};
  in.pressed_entry = pressed;
  in.view = s.view;
  in.bank = s.bank;
  in.group = s.fader_group;
  in.scroll = session_.Pane().ScrollPosition();
  in.cell_width = cell_width_;
  const Title& title = session_.GetTitle();
  in.snapshots = &title.Snapshots();
  in.eq_lib = &title.Eq();
  in.dyn_lib = &title.Dynamics();
  const PendingEntry& entry = session_.Pending();
  in.entry_id = entry.item;
  in.entry_channel = entry.record;
  in.entry_text = entry.text;
  return in;
}

void PanelBinding::Refresh() {
  TQ730& list = session_.CurrentList();
  if (list.Kind() == TQ730::kSnapshot) list.SetCurrentRecord(session_.Cursor());
  PanelState s = model_.State();
  s.page = PanelPageOf(session_.Page());
  s.cursor = session_.Cursor();
  s.fader_group = session_.FaderGroup();
  s.bank = session_.OverviewBank();
  model_.SetState(s);
  EntryFromSession();
}

void PanelBinding::EntryFromSession() {
  const PendingEntry& p = session_.Pending();
  model_.SetEntry({p.item, p.record, p.text});
}

void PanelBinding::EntryToSession() {
  const NumericEntry& e = model_.Entry();
  if (e.Pending()) {
    session_.SetPending({e.id, e.channel, e.text});
  } else {
    session_.DropPending();
  }
}

void PanelBinding::SyncState() {
  if (model_.State().fader_group != session_.FaderGroup())
    session_.SetFaderGroup(model_.State().fader_group);
  // PAGE steps the bank the session keeps.
  if (model_.State().bank != session_.OverviewBank()) session_.SetOverviewBank(model_.State().bank);
}

void PanelBinding::Press(int x, int y, bool shift, bool fine) {
  // A click anywhere on the panel closes the CUE page's number list, as a click elsewhere does.
  session_.ClosePickList();
  EntryFromSession();
  model_.CancelTyping();
  model_.Press(x, y, shift, fine);
  SyncState();
}

void PanelBinding::Move(int x, int y, bool fine) {
  model_.Move(x, y, fine);
  session_.SetActiveItem(model_.ActiveId());
}

std::optional<PanelRequest> PanelBinding::DoubleClick(int x, int y, bool fine) {
  session_.ClosePickList();
  return model_.DoubleClick(x, y, fine);
}

PanelRequest PanelBinding::Key(PanelKey key, bool fine) {
  EntryFromSession();
  const PanelRequest r = model_.Key(key, fine);
  SyncState();
  EntryToSession();
  Follow(r);
  return r;
}

bool PanelBinding::CommitTyping(std::string_view text) {
  return model_.CommitTyping(text);
}

PanelRequest PanelBinding::Release(int x, int y) {
  EntryFromSession();
  const PanelRequest r = model_.Release(x, y);
  SyncState();
  EntryToSession();
  Follow(r);
  return r;
}

void PanelBinding::Choose(const PanelRequest& popup, int value) {
  model_.Choose(popup, value);
}

void PanelBinding::Follow(const PanelRequest& r) {
  if (r.kind == PanelRequest::kCueMoved) {
    session_.FollowMovedCue(r.channel);
    Refresh();
  } else if (r.kind == PanelRequest::kCueNumberList) {
    for (const PageControl& c : model_.Scene().controls) {
      if (c.id == r.id && c.channel == r.channel)
        session_.OpenPickList(r.channel,
                              CueNumberListOf(Input(model_.State(), -1), r.channel, c.box));
    }
  } else if (r.kind == PanelRequest::kOpenChannel) {
    session_.ChangeTab(0);
    session_.SetCursor(r.channel);
    Refresh();
  }
}

}  // namespace orb
