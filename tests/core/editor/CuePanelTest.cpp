// The CUE and SETUP pages as the session shows them for generated titles: every cue cell clicked
// in the real scene, timecodes typed into OFFSET and TIME CODE, and the saved bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "core/model/Q730.h"
#include "core/pages/PanelPopups.h"
#include "tests/core/editor/PanelSession.h"

namespace orb {
namespace {

constexpr int kCueTab = 7, kSetupTab = 12, kChannelTab = 0;

class CuePanelTest : public ::testing::Test {
 protected:
  void Open(gen::TitleSpec spec = {}) {
    spec.cues = 6;
    bound.reset();
    bound = std::make_unique<test::PanelSession>(spec);
    ASSERT_EQ(bound->status, kOk);
    session = bound->session.get();
    panel = bound->panel.get();
  }
  void Show(int tab, int cursor = 0) {
    session->ChangeTab(tab);
    session->SetCursor(cursor);
    panel->Refresh();
  }
  PageControl Find(int id, int channel) {
    for (const PageControl& c : panel->Model().Scene().controls) {
      if (c.id == id && c.channel == channel) return c;
    }
    ADD_FAILURE() << "no control " << id << "/" << channel;
    return {};
  }
  // A click at the centre of the control as the page builds it now.
  PanelRequest Click(int id, int channel) {
    panel->Refresh();
    const PageControl c = Find(id, channel);
    const int x = c.box.left + c.box.width / 2, y = c.box.top + c.box.height / 2;
    panel->Press(x, y, false);
    const PanelRequest r = panel->Release(x, y);
    panel->Refresh();
    return r;
  }
  void Type(const std::string& digits) {
    for (char d : digits) session->Pane().TypeChar(d);
  }
  TQ730CUE& Cues() { return session->GetTitle().Cues(); }
  std::unique_ptr<Title> Saved() {
    EXPECT_EQ(session->Save(), kOk);
    auto saved = std::make_unique<Title>();
    EXPECT_EQ(saved->OpenTitle(bound->path.string()), kOk);
    return saved;
  }
  static std::array<std::uint8_t, 4> TimeBytes(std::span<const std::uint8_t> cue) {
    return {cue[0], cue[1], cue[2], cue[3]};
  }

  std::unique_ptr<test::PanelSession> bound;
  EditSession* session = nullptr;
  PanelBinding* panel = nullptr;
};

// Typed timecodes are stored as the packed BCD the pages read, and the field then shows what
// was typed; a time the title's rate does not have writes nothing and stays as typed.
TEST_F(CuePanelTest, TypedTimecodesStoreTheBytesThePageReads) {
  struct Case {
    const char* typed;
    std::array<std::uint8_t, 4> bytes;  // frames, seconds, minutes, hours; empty: refused
    bool accepted;
  };
  struct Rate {
    int tc_mode;
    std::vector<Case> cases;
  };
  const Rate rates[] = {
      {0,
       {{"00000000", {0x00, 0x00, 0x00, 0x00}, true},
        {"09090909", {0x09, 0x09, 0x09, 0x09}, true},
        {"10101010", {0x10, 0x10, 0x10, 0x10}, true},
        {"00595900", {0x00, 0x59, 0x59, 0x00}, true},
        {"00001520", {0x20, 0x15, 0x00, 0x00}, true},
        {"23595929", {0x29, 0x59, 0x59, 0x23}, true},
        {"00000030", {}, false},
        {"00000059", {}, false},
        {"59000000", {}, false},
        {"00006000", {}, false}}},
      {4,
       {{"10101010", {0x10, 0x10, 0x10, 0x10}, true},
        {"23595924", {0x24, 0x59, 0x59, 0x23}, true},
        {"00000025", {}, false}}},
      {1, {{"00010002", {0x02, 0x00, 0x01, 0x00}, true}, {"00010000", {}, false}}},
  };
  for (const Rate& rate : rates) {
    gen::TitleSpec spec;
    spec.tc_mode = rate.tc_mode;
    Open(spec);
    for (const Case& c : rate.cases) {
      SCOPED_TRACE(std::string(c.typed) + " at mode " + std::to_string(rate.tc_mode));
      const std::string shown =
          FormatTC(FromBCD(c.bytes[0] | c.bytes[1] << 8 | c.bytes[2] << 16 | c.bytes[3] << 24));
      // OFFSET on SETUP.
      Show(kSetupTab);
      const int offset_before = session->GetTitle().System().GetParam(0, kParamOffset);
      const std::string offset_face = Find(kParamOffset, 0).face;
      Click(kParamOffset, 0);
      EXPECT_EQ(session->Pending().text,
                FormatTCDigits(FromBCD(static_cast<std::uint32_t>(offset_before))));
      Type(c.typed);
      const int undo = session->Undo().UndoCount();
      session->Pane().Key(ListKey::kEnter, {});
      panel->Refresh();
      if (c.accepted) {
        EXPECT_EQ(Find(kParamOffset, 0).face, shown);
        EXPECT_EQ(session->Pending().item, 0);
      } else {
        EXPECT_EQ(session->GetTitle().System().GetParam(0, kParamOffset), offset_before);
        EXPECT_EQ(session->Undo().UndoCount(), undo);
        EXPECT_EQ(Find(kParamOffset, 0).face, c.typed);
        session->Pane().Key(ListKey::kEscape, {});
        panel->Refresh();
        EXPECT_EQ(Find(kParamOffset, 0).face, offset_face);
      }

      // TIME CODE of the third cue on CUE; the list sorts, the cursor follows the cue.
      Show(kCueTab, 2);
      const auto cues_before = Cues().Count();
      const std::vector<std::uint8_t> cue_before(Cues().Record(2).begin(), Cues().Record(2).end());
      Click(kParamCueTime, 2);
      Type(c.typed);
      session->Pane().Key(ListKey::kEnter, {});
      panel->Refresh();
      ASSERT_EQ(Cues().Count(), cues_before);
      if (c.accepted) {
        const int moved = session->Cursor();
        EXPECT_TRUE(Cues().IsSelected(moved));
        EXPECT_EQ(TimeBytes(Cues().Record(moved)), c.bytes);
        EXPECT_TRUE(std::equal(cue_before.begin() + 4, cue_before.end() - 4,
                               Cues().Record(moved).begin() + 4));
        EXPECT_EQ(Find(kParamCueTime, moved).face, shown);
        for (int q = 1; q < Cues().Count(); ++q)
          EXPECT_LE(Cues().GetParam(q - 1, kParamCueTime), Cues().GetParam(q, kParamCueTime));
      } else {
        EXPECT_TRUE(std::ranges::equal(Cues().Record(2), cue_before));
        EXPECT_EQ(Find(kParamCueTime, 2).face, c.typed);
        session->Pane().Key(ListKey::kEscape, {});
      }
    }
    // What the page showed is what the file holds.
    const int offset = session->GetTitle().System().GetParam(0, kParamOffset);
    std::vector<std::vector<std::uint8_t>> cues;
    for (int q = 0; q < Cues().Count(); ++q)
      cues.emplace_back(Cues().Record(q).begin(), Cues().Record(q).end() - 4);
    const auto saved = Saved();
    EXPECT_EQ(saved->System().GetParam(0, kParamOffset), offset);
    ASSERT_EQ(saved->Cues().Count(), static_cast<int>(cues.size()));
    for (int q = 0; q < saved->Cues().Count(); ++q) {
      EXPECT_TRUE(std::ranges::equal(saved->Cues().Record(q).subspan(0, 32),
                                     std::span(cues[static_cast<std::size_t>(q)]).subspan(0, 32)))
          << q;
    }
  }
}

// Every cell of a cue in the page the session builds: EVENT and CHANNEL open their popups,
// NUMBER its list (closed by Enter, Esc, a tab change or a click elsewhere, one undo step),
// TC LINK toggles; the saved record holds the choices.
TEST_F(CuePanelTest, EveryCueCellEditsThroughTheRealPage) {
  Open();
  Show(kCueTab);
  const TQ730SYSF& system = session->GetTitle().System();
  const TQ730& snapshots = session->GetTitle().Snapshots();
  int steps = 0;
  const auto expect_steps = [&](int more) {
    steps += more;
    EXPECT_EQ(session->Undo().UndoCount(), steps);
  };

  PanelRequest r = Click(kParamCueEvent, 0);
  ASSERT_EQ(r.kind, PanelRequest::kPopup);
  ASSERT_EQ(r.menu, Po_Event);
  panel->Choose(r, PopupItems(Po_Event, system, r.channel)[1].value);  // "&SNAPSHOT"
  panel->Refresh();
  expect_steps(1);
  EXPECT_EQ(Find(kParamCueEvent, 0).face, "SNAPSHOT");
  EXPECT_EQ(Find(kParamCueEventNumber, 0).face, "00");
  EXPECT_EQ(Find(kParamCueChannel, 0).face, "ALL");
  EXPECT_EQ(Find(kParamCueEventName, 0).face, "INITIAL SNAPSHOT");
  EXPECT_TRUE(Find(kParamCueEventName, 0).display_only);

  // The number list lies on the cell with the cue's number chosen.
  const PageControl number = Find(kParamCueEventNumber, 0);
  EXPECT_EQ(Click(kParamCueEventNumber, 0).kind, PanelRequest::kCueNumberList);
  const PickListState& pick = session->PickList();
  ASSERT_TRUE(pick.visible);
  EXPECT_EQ(pick.cue, 0);
  EXPECT_EQ(pick.list.box.left, number.box.left);
  EXPECT_EQ(pick.list.box.top, number.box.top);
  EXPECT_EQ(pick.list.box.height, 221);
  ASSERT_EQ(pick.list.items.size(), static_cast<std::size_t>(snapshots.Count() + 1));
  EXPECT_EQ(pick.list.items[0].text, "00 : INITIAL SNAPSHOT");
  EXPECT_EQ(pick.list.items[2].text, "02 : " + snapshots.NameText(1));
  EXPECT_EQ(pick.list.chosen, 0);
  session->ChoosePick(2);
  session->Pane().Key(ListKey::kEnter, {});
  panel->Refresh();
  EXPECT_FALSE(session->PickList().visible);
  EXPECT_EQ(Find(kParamCueEventNumber, 0).face, "02");
  EXPECT_EQ(Find(kParamCueEventName, 0).face, snapshots.NameText(1));
  expect_steps(1);

  struct Close {
    const char* how;
    int row;
    int number;  // after closing
    int steps;
  };
  for (const Close& c : {Close{"Esc", 3, 2, 0}, Close{"tab", 1, 1, 1}, Close{"click", 3, 3, 1},
                         Close{"Enter on the same", 3, 3, 0}}) {
    SCOPED_TRACE(c.how);
    Show(kCueTab);
    Click(kParamCueEventNumber, 0);
    ASSERT_TRUE(session->PickList().visible);
    session->ChoosePick(c.row);
    const std::string how = c.how;
    if (how == "Esc") {
      session->Pane().Key(ListKey::kEscape, {});
    } else if (how == "tab") {
      session->ChangeTab(kChannelTab);
    } else if (how == "click") {
      // Elsewhere on the panel: the header of the table.
      panel->Press(5, 55, false);
      panel->Release(5, 55);
    } else {
      session->Pane().Key(ListKey::kEnter, {});
    }
    EXPECT_FALSE(session->PickList().visible);
    EXPECT_EQ(Cues().GetParam(0, kParamCueEventNumber), c.number);
    expect_steps(c.steps);
  }

  // CHANNEL: Po_CH, by submenu or a bus item.
  Show(kCueTab);
  struct Pick {
    std::vector<std::string> path;
    int channel;
    const char* face;
  };
  for (const Pick& p :
       {Pick{{"CH &9-16", "CH11"}, 10, "CH11"},
        Pick{{"MTR 2"}, system.FirstChannelOf(kGroupMTR) + 1, "MTR2"},
        Pick{{"&PGM"}, system.FirstChannelOf(kGroupPGM), "PGM"}, Pick{{"&NA"}, 255, "ALL"}}) {
    r = Click(kParamCueChannel, 0);
    ASSERT_EQ(r.kind, PanelRequest::kPopup);
    ASSERT_EQ(r.menu, Po_CH);
    std::vector<PopupItem> items = PopupItems(Po_CH, system, r.channel);
    int value = -1;
    for (const std::string& caption : p.path) {
      const auto item = std::ranges::find(items, caption, &PopupItem::caption);
      ASSERT_NE(item, items.end()) << caption;
      value = item->value;
      std::vector<PopupItem> sub = item->items;
      items = std::move(sub);
    }
    panel->Choose(r, value);
    panel->Refresh();
    EXPECT_EQ(Cues().GetParam(0, kParamCueChannel), p.channel);
    EXPECT_EQ(Find(kParamCueChannel, 0).face, p.face);
    expect_steps(1);
  }
  panel->Choose(Click(kParamCueChannel, 0), system.FirstChannelOf(kGroupAUX));
  expect_steps(1);

  // TC LINK toggles.
  const int link = Cues().GetParam(1, kParamCueTcLink);
  Click(kParamCueTcLink, 1);
  EXPECT_EQ(Cues().GetParam(1, kParamCueTcLink), 1 - link);
  EXPECT_EQ(Find(kParamCueTcLink, 1).face, link ? "OFF" : "ON");
  expect_steps(1);

  const auto saved = Saved();
  const auto cue = saved->Cues().Record(0), other = saved->Cues().Record(1);
  EXPECT_EQ(cue[29], 1);
  EXPECT_EQ(cue[30], 3);
  EXPECT_EQ(cue[31], system.FirstChannelOf(kGroupAUX));
  EXPECT_EQ(other[28], 1 - link);
}

// A cue that recalls nothing has no number or channel to pick: those cells only show.
TEST_F(CuePanelTest, ACueThatRecallsNothingOnlyShowsNumberAndChannel) {
  Open();
  Show(kCueTab);
  Cues().SetParam(3, kParamCueEvent, 0);
  panel->Refresh();
  for (int id : {kParamCueEventNumber, kParamCueChannel, kParamCueEventName})
    EXPECT_TRUE(Find(id, 3).display_only) << id;
  for (int id : {kParamCueTime, kParamCueTcLink, kParamCueEvent})
    EXPECT_FALSE(Find(id, 3).display_only) << id;
  EXPECT_EQ(Click(kParamCueEventNumber, 3).kind, PanelRequest::kNone);
  EXPECT_FALSE(session->PickList().visible);
  EXPECT_EQ(session->Undo().UndoCount(), 0);
}

}  // namespace
}  // namespace orb
