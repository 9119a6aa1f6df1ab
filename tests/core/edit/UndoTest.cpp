#include <gtest/gtest.h>

#include "core/edit/Undo.h"
#include "core/model/Clip.h"
#include "tests/core/edit/EditTitles.h"

namespace orb {
namespace {

int Trim(Title& title) {
  return title.System().GetParam(0, 1);
}

// Trim value of the title after edit k: distinct from its neighbours, inside the trim's range.
int TrimAfter(int k) {
  return k % 40;
}

// One edit more than the history keeps, each pushing an undo step first.
void EditPastTheLimit(Title& title, UndoRing& ring) {
  title.System().SetParam(0, 1, TrimAfter(0));
  for (int step = 1; step <= UndoRing::kMaxSteps + 1; ++step) {
    ring.Push(title, nullptr, "Trim " + std::to_string(step));
    title.System().SetParam(0, 1, TrimAfter(step));
  }
}

TEST(UndoTest, HundredStepsBackAndForthThenRefused) {
  auto title = test::LoadTitle();
  UndoRing ring;
  EXPECT_FALSE(ring.Undo(*title));
  EditPastTheLimit(*title, ring);
  EXPECT_TRUE(title->Modified());
  EXPECT_EQ(ring.UndoCount(), 100);
  EXPECT_EQ(ring.UndoName(), "Trim 101");
  for (int expected = 100; expected >= 1; --expected) {
    ASSERT_TRUE(ring.Undo(*title));
    EXPECT_EQ(Trim(*title), TrimAfter(expected));
  }
  EXPECT_FALSE(ring.Undo(*title));
  EXPECT_EQ(Trim(*title), TrimAfter(1));
  EXPECT_EQ(ring.RedoName(), "Trim 2") << "the oldest step went beyond the limit";
  for (int expected = 2; expected <= 101; ++expected) {
    ASSERT_TRUE(ring.Redo(*title));
    EXPECT_EQ(Trim(*title), TrimAfter(expected));
  }
  EXPECT_FALSE(ring.Redo(*title));

  // A new edit after undoing drops the steps that could have been redone.
  ring.Undo(*title);
  ring.Undo(*title);
  ring.Push(*title, nullptr, "Trim again");
  title->System().SetParam(0, 1, 50);
  EXPECT_EQ(ring.RedoCount(), 0);
  EXPECT_FALSE(ring.Redo(*title));
  EXPECT_EQ(ring.Steps().back(), "Trim again");
  ASSERT_TRUE(ring.Undo(*title));
  EXPECT_EQ(Trim(*title), TrimAfter(99));
  EXPECT_FALSE(ring.GoTo(*title, 101));
  ASSERT_TRUE(ring.GoTo(*title, 0));
  EXPECT_EQ(Trim(*title), TrimAfter(1));
}

TEST(UndoTest, ExchangedListsBelongToTheTitleTheyJoin) {
  auto title = test::LoadTitle();
  TClip clip;
  for (int n = 0; n < Title::kListCount; ++n) title->List(n)->SetClipboard(&clip);
  title->System().SetSelected(0, true);
  title->System().CopySelected(clip, true, nullptr);
  UndoRing ring;
  TQ730SYSF* before = &title->System();
  ring.Push(*title);
  title->Snapshots().DeleteRecord(0);
  ASSERT_TRUE(ring.Undo(*title));
  EXPECT_EQ(&title->System(), before) << "the lists stay the title's own objects";
  EXPECT_EQ(title->Snapshots().Count(), 3);
  for (int n = 0; n < Title::kListCount; ++n) {
    EXPECT_EQ(title->List(n)->System(), &title->System()) << n;
    EXPECT_EQ(title->List(n)->CanDo(0, TQ730::kOpPaste), n == 0 || n == 1 || n == 3 || n == 4);
  }
  ASSERT_TRUE(ring.Redo(*title));
  EXPECT_EQ(&title->System(), before);
  EXPECT_EQ(title->Snapshots().Count(), 2);
  EXPECT_EQ(title->Snapshots().System(), before);
}

}  // namespace
}  // namespace orb
