#include <gtest/gtest.h>

#include <numeric>

#include "core/model/DebugLog.h"
#include "core/model/Q730classes.h"
#include "core/model/Status.h"
#include "tests/core/model/TestRecords.h"

namespace orb {
namespace {

using test::Chunk;
using test::DrainLog;
using test::PlainList;

std::vector<std::uint8_t> Pattern(std::size_t n, int seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + seed);
  return bytes;
}

TEST(StatusTest, MessagesAndReporting) {
  EXPECT_STREQ(StatusMessage(kFailed), "Failed.");
  EXPECT_STREQ(StatusMessage(0x10000), "Can't open source file.");
  EXPECT_STREQ(StatusMessage(0x10001), "Source file read error.");
  EXPECT_STREQ(StatusMessage(0x10010), "Can't open destination file.");
  EXPECT_STREQ(StatusMessage(0x10012), "Destination file write error.");
  EXPECT_STREQ(StatusMessage(0x10020), "Rename failed.");
  EXPECT_STREQ(StatusMessage(0x10002), "");
  EXPECT_STREQ(StatusMessage(kOk), "");
  EXPECT_FALSE(IsReportedStatus(kOk));
  EXPECT_FALSE(IsReportedStatus(kCancelled));
  EXPECT_FALSE(IsReportedStatus(kNothingFound));
  EXPECT_TRUE(IsReportedStatus(kFailed));
  EXPECT_TRUE(IsReportedStatus(0x4711));
}

TEST(DebugLogTest, RingKeepsOrderAndLosesLinesWhenFull) {
  ClearLog();
  EXPECT_EQ(NextLogLine(), "");
  LogLine("one");
  LogLine("two");
  EXPECT_EQ(NextLogLine(), "one");
  LogLine("three");
  EXPECT_EQ(DrainLog(), (std::vector<std::string>{"two", "three"}));

  // 255 pending lines fit; the 256th makes the indices meet and all are lost.
  for (int i = 0; i < 255; ++i) LogLine("line " + std::to_string(i));
  EXPECT_EQ(NextLogLine(), "line 0");
  ClearLog();
  for (int i = 0; i < 256; ++i) LogLine("x");
  EXPECT_EQ(NextLogLine(), "");
  LogLine("after");
  EXPECT_EQ(NextLogLine(), "after");
}

TEST(ChecksumTest, ByteSumOfAllButTheLastTwoBytes) {
  std::vector<std::uint8_t> zeros(1000, 0);
  EXPECT_EQ(BlockChecksum(zeros.data(), zeros.size()), 0);
  std::uint8_t abc[5] = {'a', 'b', 'c', 0xFF, 0xFF};
  StoreChecksum(abc, 5);
  EXPECT_EQ(abc[3], 0x26);
  EXPECT_EQ(abc[4], 0x01);
  // Sums wrap at 65536; the checksum bytes themselves never count.
  std::vector<std::uint8_t> full(300, 0xFF);
  EXPECT_EQ(BlockChecksum(full.data(), full.size()), (298 * 255) % 65536);
  EXPECT_EQ(BlockChecksum(abc, 1), 0);
}

TEST(ChunkLoadTest, LoadsRecordsAndLogsExactly) {
  ClearLog();
  auto body = Pattern(4 * 36, 3);
  MemoryFile file(Chunk("cue.dat", body));
  PlainList list;
  EXPECT_EQ(list.Load(file), kOk);
  EXPECT_TRUE(list.Loaded());
  ASSERT_EQ(list.Count(), 4);
  EXPECT_TRUE(std::equal(body.begin() + 36, body.begin() + 72, list.Record(1).begin()));
  EXPECT_EQ(DrainLog(),
            (std::vector<std::string>{"Loading cue.dat  ChunkSize = 0x00000090",
                                      "cue.dat  4 records loaded.  Record Size = 00000024"}));
  EXPECT_EQ(file.Position(), file.Bytes().size());
}

TEST(ChunkLoadTest, NameComparisonIgnoresCase) {
  ClearLog();
  MemoryFile file(Chunk("SNAP.DAT", Pattern(8192, 1)));
  PlainList list("snap.dat", 8192);
  EXPECT_EQ(list.Load(file), kOk);
  EXPECT_EQ(list.Count(), 1);
  // The log names the chunk as the file holds it.
  EXPECT_EQ(DrainLog().back(), "SNAP.DAT  1 records loaded.  Record Size = 00002000");
}

TEST(ChunkLoadTest, ForeignChunkIsLeftInPlace) {
  ClearLog();
  auto bytes = Chunk("eqlib.dat", Pattern(66, 5));
  MemoryFile file(bytes);
  PlainList list("dylib.dat", 64);
  EXPECT_EQ(list.Load(file), kReadError);
  EXPECT_FALSE(list.Loaded());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(file.Position(), 0u);
  EXPECT_EQ(DrainLog(), (std::vector<std::string>{"Loading dylib.dat  ChunkSize = 0x00000042",
                                                  "eqlib.dat != dylib.dat"}));
  // The next loader finds the chunk where it was, and the failed object still
  // saves under its own name.
  PlainList eq("eqlib.dat", 66);
  EXPECT_EQ(eq.Load(file), kOk);
  EXPECT_EQ(list.Header().Name(), "dylib.dat");
}

TEST(ChunkLoadTest, EmptyShortAndOddSizedBodies) {
  ClearLog();
  {
    MemoryFile file(Chunk("snap.dat", {}));
    PlainList list("snap.dat", 8192);
    EXPECT_EQ(list.Load(file), kOk);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(DrainLog().back(), "snap.dat  0 records loaded.  Record Size = 00002000");
  }
  {
    // A remainder that is not a whole record stays unread.
    auto bytes = Chunk("cue.dat", Pattern(2 * 36 + 10, 0));
    bytes.push_back(0xAB);
    MemoryFile file(bytes);
    PlainList list;
    EXPECT_EQ(list.Load(file), kOk);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(file.Position(), 16u + 72u);
  }
  {
    // The size field promises three records, the file holds two and a half.
    auto bytes = Chunk("cue.dat", Pattern(2 * 36 + 18, 0), 3 * 36);
    MemoryFile file(bytes);
    PlainList list;
    EXPECT_EQ(list.Load(file), kReadError);
    EXPECT_FALSE(list.Loaded());
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(DrainLog().back(), "cue.dat  2 records loaded.  Record Size = 00000024");
  }
  {
    // A huge size field over a short file must not allocate for it.
    MemoryFile file(Chunk("snap.dat", Pattern(100, 0), 0xFFFFFFFF));
    PlainList list("snap.dat", 8192);
    EXPECT_EQ(list.Load(file), kReadError);
    EXPECT_EQ(list.Count(), 0);
  }
  {
    // Fewer than 16 header bytes.
    std::vector<std::uint8_t> stub = {'c', 'u', 'e'};
    MemoryFile file(stub);
    PlainList list;
    EXPECT_EQ(list.Load(file), kReadError);
    EXPECT_EQ(list.Header().Name(), "cue.dat");
  }
  DrainLog();
}

TEST(RecordSaveTest, RenumbersChecksumsAndWritesInOrder) {
  auto body = Pattern(3 * 36, 9);
  MemoryFile in(Chunk("cue.dat", body));
  PlainList list;
  ASSERT_EQ(list.Load(in), kOk);
  MemoryFile out;
  ASSERT_EQ(list.Save(out), kOk);
  const auto& bytes = out.Bytes();
  ASSERT_EQ(bytes.size(), 16u + 3 * 36);
  EXPECT_EQ(GetU32(bytes.data() + 12), 3u * 36);
  for (int i = 0; i < 3; ++i) {
    const std::uint8_t* record = bytes.data() + 16 + 36 * i;
    EXPECT_EQ(GetU16(record + 32), i + 1);
    const unsigned sum = std::accumulate(record, record + 34, 0u);
    EXPECT_EQ(GetU16(record + 34), sum % 65536);
    // Everything but the trailer is written as loaded.
    EXPECT_TRUE(std::equal(record, record + 32, body.begin() + 36 * i));
    EXPECT_EQ(list.RecordNumber(i), i + 1);
  }
  EXPECT_EQ(list.RecordNumber(3), -1);
}

TEST(RecordSaveTest, ShortWritesReportWriteError) {
  PlainList list;
  list.Append();
  list.Append();
  MemoryFile header_fails;
  header_fails.SetWriteLimit(10);
  EXPECT_EQ(list.Save(header_fails), kWriteError);
  EXPECT_EQ(header_fails.Bytes().size(), 10u);
  MemoryFile body_fails;
  body_fails.SetWriteLimit(16 + 40);
  EXPECT_EQ(list.Save(body_fails), kWriteError);
}

TEST(RecordListTest, SelectionNamesAndNumbers) {
  PlainList list;
  for (int i = 0; i < 12; ++i) list.Append();
  EXPECT_EQ(list.NumberText(0), " 1");
  EXPECT_EQ(list.NumberText(8), " 9");
  EXPECT_EQ(list.NumberText(9), "10");
  EXPECT_EQ(list.NumberText(98), "99");

  list.SetName(2, "A name that is far too long for the slot");
  EXPECT_EQ(list.NameText(2), "A name that is far too ");
  EXPECT_EQ(list.NameText(2).size(), 23u);
  EXPECT_EQ(list.Record(2)[4 + 23], 0);
  list.SetName(2, "Short");
  EXPECT_EQ(list.NameText(2), "Short");
  EXPECT_EQ(list.NameText(12), "");
  list.SetName(-1, "x");
  list.SetName(12, "x");

  EXPECT_FALSE(list.IsSelected(-1));
  EXPECT_FALSE(list.IsSelected(12));
  list.SetSelected(12, true);
  list.SetSelected(-5, true);
  EXPECT_FALSE(list.CanDo(0, TQ730::kOpCopy));
  list.SetSelected(4, true);
  EXPECT_TRUE(list.IsSelected(4));
  EXPECT_TRUE(list.CanDo(0, TQ730::kOpCut));
  EXPECT_TRUE(list.CanDo(0, TQ730::kOpDelete));
}

TEST(RecordListTest, CanDoRules) {
  PlainList list("cue.dat", 36, 2);
  EXPECT_TRUE(list.CanDo(0, TQ730::kOpNew));
  EXPECT_FALSE(list.CanDo(0, TQ730::kOpStore));
  list.Append();
  EXPECT_TRUE(list.CanDo(0, TQ730::kOpStore));
  EXPECT_TRUE(list.CanDo(0, TQ730::kOpRecall));
  EXPECT_FALSE(list.CanDo(1, TQ730::kOpRecall));
  list.Append();
  EXPECT_FALSE(list.CanDo(0, TQ730::kOpNew));
  EXPECT_FALSE(list.CanDo(0, 7));
  EXPECT_FALSE(list.CanDo(0, -1));

  struct Clip : ClipboardQuery {
    int kind = -1;
    bool HoldsKind(int k) const override { return k == kind; }
  } clip;
  EXPECT_FALSE(list.CanDo(0, TQ730::kOpPaste));
  list.SetClipboard(&clip);
  EXPECT_FALSE(list.CanDo(0, TQ730::kOpPaste));
  clip.kind = TQ730::kCue;
  EXPECT_TRUE(list.CanDo(0, TQ730::kOpPaste));
}

TEST(RecordListTest, DeleteSelectedKeepsOrderOfTheRest) {
  PlainList list;
  for (int i = 0; i < 6; ++i) {
    list.Append();
    list.SetName(i, "r" + std::to_string(i));
  }
  // Neighbouring selected records must both go.
  list.SetSelected(0, true);
  list.SetSelected(2, true);
  list.SetSelected(3, true);
  list.SetSelected(5, true);
  list.DeleteSelected();
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.NameText(0), "r1");
  EXPECT_EQ(list.NameText(1), "r4");
  EXPECT_FALSE(list.IsSelected(0));
  EXPECT_FALSE(list.IsSelected(1));
  list.DeleteRecord(0);
  list.DeleteRecord(7);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.NameText(0), "r4");
}

TEST(RecordListTest, AssignCopiesRecordsUnselectedAndLogs) {
  auto body = Pattern(2 * 36, 4);
  MemoryFile in(Chunk("CUE.DAT", body));
  PlainList source;
  ASSERT_EQ(source.Load(in), kOk);
  source.SetSelected(1, true);
  source.SetEditEnabled(true);
  ClearLog();
  PlainList copy;
  copy.SetEditEnabled(true);
  EXPECT_EQ(copy.Assign(source), kOk);
  EXPECT_EQ(NextLogLine(), "Backup  CUE.DAT : 2");
  EXPECT_EQ(copy.Count(), 2);
  EXPECT_TRUE(copy.Loaded());
  EXPECT_FALSE(copy.IsSelected(1));
  EXPECT_FALSE(copy.EditEnabled());
  EXPECT_TRUE(std::equal(body.begin(), body.end(), copy.Record(0).begin()));
  MemoryFile a, b;
  ASSERT_EQ(source.Save(a), kOk);
  ASSERT_EQ(copy.Save(b), kOk);
  EXPECT_EQ(a.Bytes(), b.Bytes());
  // The copy is deep.
  source.SetName(0, "changed");
  EXPECT_NE(copy.NameText(0), "changed");
}

}  // namespace
}  // namespace orb
