#include <gtest/gtest.h>

#include "core/model/Clip.h"
#include "core/edit/Undo.h"
#include "tests/core/edit/EditTitles.h"

namespace orb {
namespace {

int Trim(Title& title) {
  return title.System().GetParam(0, 1);
}

// Eleven edits, each pushing an undo step first: trim 0 becomes 1, 2, … 11.
void EditElevenTimes(Title& title, UndoRing& ring) {
  title.System().SetParam(0, 1, 0);
  for (int step = 1; step <= 11; ++step) {
    ring.Push(title);
    title.System().SetParam(0, 1, step);
  }
}

TEST(UndoTest, TenStepsBackAndForthThenRefused) {
  auto title = test::LoadTitle();
  UndoRing ring;
  EXPECT_FALSE(ring.Undo(*title));
  EditElevenTimes(*title, ring);
  EXPECT_TRUE(title->Modified());
  EXPECT_EQ(ring.UndoCount(), 10);
  for (int expected = 10; expected >= 1; --expected) {
    ASSERT_TRUE(ring.Undo(*title));
    EXPECT_EQ(Trim(*title), expected);
  }
  EXPECT_FALSE(ring.Undo(*title));
  EXPECT_EQ(Trim(*title), 1);
  for (int expected = 2; expected <= 11; ++expected) {
    ASSERT_TRUE(ring.Redo(*title));
    EXPECT_EQ(Trim(*title), expected);
  }
  EXPECT_FALSE(ring.Redo(*title));

  // A new edit after undoing drops the steps that could have been redone.
  ring.Undo(*title);
  ring.Undo(*title);
  ring.Push(*title);
  title->System().SetParam(0, 1, 50);
  EXPECT_EQ(ring.RedoCount(), 0);
  EXPECT_FALSE(ring.Redo(*title));
  ASSERT_TRUE(ring.Undo(*title));
  EXPECT_EQ(Trim(*title), 9);
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
  EXPECT_NE(&title->System(), before);
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
