// The panel bound to an editor session: gestures as the session's undo steps, the wheel and
// keypad through the session's keys, numeric entry typed into the session, and the FADER
// page's channel numbers opening the CHANNEL tab.
#include "core/editor/PanelBinding.h"

#include <gtest/gtest.h>

#include "tests/core/editor/PanelSession.h"

namespace orb {
namespace {

class PanelBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bound = std::make_unique<test::PanelSession>();
    ASSERT_EQ(bound->status, kOk);
    session = bound->session.get();
    panel = bound->panel.get();
  }
  void TearDown() override { bound.reset(); }
  PageControl Find(int id, int channel = -1) {
    for (const PageControl& c : panel->Model().Scene().controls) {
      if (c.id == id && (channel < 0 || c.channel == channel)) return c;
    }
    ADD_FAILURE() << "no control " << id;
    return {};
  }
  int Get(int channel, int id) { return session->GetTitle().System().GetParam(channel, id); }

  std::unique_ptr<test::PanelSession> bound;
  EditSession* session = nullptr;
  PanelBinding* panel = nullptr;
};

TEST_F(PanelBindingTest, GesturesWheelAndEntriesAreSessionUndoSteps) {
  session->GetTitle().System().SetParam(0, kParamTrim, 10);
  panel->Refresh();
  const PageControl trim = Find(kParamTrim);
  panel->Press(trim.box.left, trim.box.top, false);
  panel->Move(trim.box.left + trim.box.width, trim.box.top);
  panel->Release(0, 0);
  EXPECT_EQ(Get(0, kParamTrim), trim.max);
  EXPECT_EQ(session->Undo().UndoCount(), 1);
  EXPECT_TRUE(session->Modified());

  // The wheel and the keypad over the knob: one burst, one step.
  panel->Move(trim.box.left + 1, trim.box.top + 1);
  session->Wheel(-120);
  session->Key(ListKey::kPadMinus, {});
  EXPECT_EQ(Get(0, kParamTrim), trim.max - 4);
  EXPECT_EQ(session->Undo().UndoCount(), 2);
  session->UndoCommand();
  panel->Refresh();
  EXPECT_EQ(Get(0, kParamTrim), trim.max);
  session->UndoCommand();
  panel->Refresh();
  EXPECT_EQ(Get(0, kParamTrim), 10);

  // The tempo typed into the session's pending entry and committed with Enter.
  session->ChangeTab(12);
  panel->Refresh();
  session->SetPending({kParamTempo, 0, "120"});
  for (char c : std::string("010")) session->TypeChar(c);
  session->Key(ListKey::kEnter, {});
  EXPECT_EQ(Get(0, kParamTempo), 30);
  EXPECT_EQ(session->Pending().item, 0);
  EXPECT_EQ(session->Undo().UndoCount(), 1);
}

TEST_F(PanelBindingTest, ChannelNumberOnTheFaderPageOpensTheChannel) {
  session->ChangeTab(2);
  panel->Refresh();
  const PageControl number = Find(kSwitchChannel, 5);
  panel->Press(number.box.left, number.box.top, false);
  const PanelRequest r = panel->Release(number.box.left, number.box.top);
  EXPECT_EQ(r.kind, PanelRequest::kOpenChannel);
  EXPECT_EQ(session->Tab(), 0);
  EXPECT_EQ(session->Cursor(), 5);
  EXPECT_EQ(panel->Model().State().page, PanelPage::kChannel);
}

// The switches of the pages the panel draws act through the binding: PAGE steps the bank the
// session keeps, a fader group row chooses the group, ALL ON and ALL OFF set every isolate.
TEST_F(PanelBindingTest, PageSwitchesOfTheDrawnPagesAct) {
  auto click = [&](const PageControl& c) {
    panel->Press(c.box.left + 2, c.box.top + 2, false);
    panel->Release(c.box.left + 2, c.box.top + 2);
    panel->Refresh();
  };
  session->ChangeTab(1);  // OVERVIEW
  panel->Refresh();
  EXPECT_EQ(panel->Model().Scene().header, "AUDIO OVERVIEW : 1~24");
  click(Find(kSwitchPage));
  EXPECT_EQ(session->OverviewBank(), 1);
  EXPECT_EQ(panel->Model().Scene().header, "AUDIO OVERVIEW : 25~48");
  click(Find(kSwitchPage));
  click(Find(kSwitchPage));
  EXPECT_EQ(session->OverviewBank(), 0);

  session->ChangeTab(3);  // FADER GROUP
  panel->Refresh();
  click(Find(kSwitchGroupRow, 4));
  EXPECT_EQ(session->FaderGroup(), 4);

  session->ChangeTab(6);  // ISOLATE
  panel->Refresh();
  const int last = session->GetTitle().System().ChannelCount() - 1;
  click(Find(kSwitchAllOn));
  for (int ch : {0, 30, last}) EXPECT_EQ(Get(ch, kParamSnapshotIsolate), 1) << ch;
  click(Find(kSwitchAllOff));
  for (int ch : {0, 30, last}) EXPECT_EQ(Get(ch, kParamSnapshotIsolate), 0) << ch;
}

}  // namespace
}  // namespace orb
