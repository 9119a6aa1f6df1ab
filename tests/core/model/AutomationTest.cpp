#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>
#include <set>

#include "core/model/Clip.h"
#include "core/model/DebugLog.h"
#include "core/model/Q730auto.h"
#include "core/model/Q730sysf.h"
#include "fuzz/PlainEdits.h"
#include "tests/core/model/TestRecords.h"

namespace orb {
namespace {

using test::Chunk;
using test::DrainLog;

constexpr std::uint32_t kMarker = 0x80000000u;
constexpr int kTable = TQ730AUTO::kTableSize;

std::vector<std::uint8_t> NoneTable() {
  std::vector<std::uint8_t> table(kTable);
  for (int i = 0; i < TQ730AUTO::kTableEntries; ++i) PutU32(table.data() + 6 * i, 0x99999999);
  return table;
}

std::vector<std::uint8_t> PatternTable() {
  std::vector<std::uint8_t> table(kTable);
  for (int i = 0; i < kTable; ++i) table[i] = static_cast<std::uint8_t>(i * 31 + 7);
  return table;
}

// An auto.dat body as the console writes it, with its checksum.
std::vector<std::uint8_t> AutoBody(const std::vector<std::uint32_t>& stream, std::uint32_t count,
                                   const std::vector<std::uint8_t>& table) {
  std::vector<std::uint8_t> body(4);
  PutU32(body.data(), count);
  body.insert(body.end(), table.begin(), table.end());
  for (std::uint32_t word : stream) {
    body.resize(body.size() + 4);
    PutU32(body.data() + body.size() - 4, word);
  }
  const unsigned sum = std::accumulate(body.begin() + 4, body.end(), 0u);
  body.push_back(static_cast<std::uint8_t>(sum));
  body.push_back(static_cast<std::uint8_t>(sum >> 8));
  return body;
}

std::vector<std::uint8_t> AutoBody(const std::vector<std::uint32_t>& stream) {
  return AutoBody(stream, static_cast<std::uint32_t>(stream.size()), NoneTable());
}

// 16-bit fader event (parameter 110) of input channel ch.
std::uint32_t Fader(int ch, int value) {
  return static_cast<std::uint32_t>(value) << 16 | static_cast<std::uint32_t>(ch) << 8 | 2;
}

TimeCode At(double seconds) {
  return SecondsToTC(seconds, 30);
}

std::vector<std::uint8_t> SavedBody(TQ730AUTO& automation) {
  MemoryFile out;
  EXPECT_EQ(automation.Save(out), kOk);
  return std::vector<std::uint8_t>(out.Bytes().begin() + 16, out.Bytes().end());
}

struct Title {
  TQ730SYSF system;
  TQ730AUTO automation;
  Title() {
    automation.SetSystem(&system);
    ClearLog();
  }
  Status Load(const std::vector<std::uint8_t>& body) {
    MemoryFile file(Chunk("auto.dat", body));
    return automation.Load(file);
  }
  void Add(double seconds, std::uint32_t word) {
    ASSERT_TRUE(automation.AppendEvent({At(seconds), word}));
  }
  std::vector<TimeCode> Times() const {
    std::vector<TimeCode> times;
    for (int i = 0; i < automation.Count(); ++i) times.push_back(automation.EventTime(i));
    return times;
  }
  std::vector<std::uint32_t> Words() const {
    std::vector<std::uint32_t> words;
    for (int i = 0; i < automation.Count(); ++i) words.push_back(automation.EventWord(i));
    return words;
  }
  std::vector<int> Selected() const {
    std::vector<int> indexes;
    for (int i = 0; i < automation.Count(); ++i) {
      if (automation.IsSelected(i)) indexes.push_back(i);
    }
    return indexes;
  }
};

TEST(AutomationFileTest, EmptyAutomationSavesOnlyTheTerminator) {
  Title title;
  EXPECT_EQ(title.automation.StreamWordCount(), 1);
  EXPECT_EQ(title.automation.DataSize(), 36190u);
  MemoryFile out;
  ASSERT_EQ(title.automation.Save(out), kOk);
  const auto& bytes = out.Bytes();
  ASSERT_EQ(bytes.size(), 16u + 36190);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "auto.dat");
  EXPECT_EQ(GetU32(bytes.data() + 12), 36190u);
  EXPECT_EQ(GetU32(bytes.data() + 16), 1u);
  EXPECT_EQ(GetU32(bytes.data() + 16 + 4 + kTable), 0xFFFFFFFFu);
  const unsigned sum = std::accumulate(bytes.begin() + 20, bytes.end() - 2, 0u);
  EXPECT_EQ(GetU16(bytes.data() + bytes.size() - 2), sum % 65536);
  // A fresh object has no start values.
  EXPECT_TRUE(std::equal(bytes.begin() + 20, bytes.begin() + 20 + kTable, NoneTable().begin()));
  EXPECT_EQ(DrainLog(),
            (std::vector<std::string>{"1", "auto.dat  0 records saved.  Record Size = 00000008"}));
}

TEST(AutomationFileTest, LoadsAndSavesTheConsoleStreamByteForByte) {
  Title title;
  const std::vector<std::uint32_t> stream = {kMarker,
                                             Fader(0, 100),
                                             Fader(4, 0x1234),  // two events share a marker
                                             kMarker | 0x00000115,
                                             0x0100012E,  // 00:00:01:15, an 8-bit switch event
                                             kMarker | 0x01020329,
                                             Fader(47, 0x7FFF),  // 01:02:03:29
                                             0xFFFFFFFF};
  const auto body = AutoBody(stream, 8, PatternTable());
  ASSERT_EQ(title.Load(body), kOk);
  EXPECT_TRUE(title.automation.Loaded());
  EXPECT_EQ(title.automation.Kind(), TQ730::kAutomation);
  EXPECT_EQ(title.Times(), (std::vector<TimeCode>{0, 0, MakeTC(0, 0, 1, 15), MakeTC(1, 2, 3, 29)}));
  EXPECT_EQ(title.Words(), (std::vector<std::uint32_t>{Fader(0, 100), Fader(4, 0x1234), 0x0100012E,
                                                       Fader(47, 0x7FFF)}));
  EXPECT_EQ(title.automation.Count(), 4);
  EXPECT_EQ(DrainLog(),
            (std::vector<std::string>{"Loading auto.dat  ChunkSize = 0x" + Hex8(body.size()), "8",
                                      // The running timecode starts at zero, so a first
                                      // marker at zero counts as a repeat.
                                      "Illigal TC  00000000 = 00000000",
                                      "auto.dat  4 records loaded.  Record Size = 00000008"}));
  EXPECT_EQ(title.automation.StreamWordCount(), 8);
  EXPECT_EQ(title.automation.DataSize(), body.size());

  MemoryFile out;
  ASSERT_EQ(title.automation.Save(out), kOk);
  EXPECT_EQ(out.Bytes(), Chunk("auto.dat", body));
  EXPECT_EQ(DrainLog(),
            (std::vector<std::string>{"8", "auto.dat  4 records saved.  Record Size = 00000008"}));
}

TEST(AutomationFileTest, RoundTripsAStreamAtTheWordLimit) {
  // Groups of marker + two events, then two of marker + one event: exactly the limit.
  std::vector<std::uint32_t> stream;
  int frame = 0;
  auto group = [&](int events) {
    stream.push_back(kMarker |
                     ToBCD(MakeTC(frame / 108000, frame / 1800 % 60, frame / 30 % 60, frame % 30)));
    for (int e = 0; e < events; ++e) stream.push_back(Fader((frame + e) % 48, frame % 32768));
    ++frame;
  };
  while (stream.size() + 1 + 4 < TQ730AUTO::kMaxStreamWords) group(2);
  while (stream.size() + 1 < TQ730AUTO::kMaxStreamWords) group(1);
  stream.push_back(0xFFFFFFFF);
  ASSERT_EQ(stream.size(), static_cast<std::size_t>(TQ730AUTO::kMaxStreamWords));

  Title title;
  const auto body = AutoBody(stream);
  ASSERT_EQ(title.Load(body), kOk);
  EXPECT_EQ(title.automation.StreamWordCount(), TQ730AUTO::kMaxStreamWords);
  EXPECT_EQ(title.automation.EventTime(title.automation.Count() - 1),
            FromBCD(stream[stream.size() - 3] & ~kMarker));
  TQ730AUTO copy;
  ASSERT_EQ(copy.Assign(title.automation), kOk);
  MemoryFile out;
  ASSERT_EQ(copy.Save(out), kOk);
  EXPECT_TRUE(out.Bytes() == Chunk("auto.dat", body));
}

TEST(AutomationFileTest, MarkersOutOfOrderAreLoggedAndTakenAsTheyCome) {
  Title title;
  ASSERT_EQ(title.Load(AutoBody({kMarker | 0x01020328, Fader(0, 1), kMarker | 0x01020304,
                                 Fader(0, 2), kMarker | 0x01020304, Fader(0, 3), 0xFFFFFFFF})),
            kOk);
  const auto log = DrainLog();
  ASSERT_EQ(log.size(), 5u);
  EXPECT_EQ(log[2], "Illigal TC  0102031C > 01020304");
  EXPECT_EQ(log[3], "Illigal TC  01020304 = 01020304");
  EXPECT_EQ(log[4], "auto.dat  3 records loaded.  Record Size = 00000008");
  // File order is kept, each event with the marker before it.
  EXPECT_EQ(title.Times(),
            (std::vector<TimeCode>{MakeTC(1, 2, 3, 28), MakeTC(1, 2, 3, 4), MakeTC(1, 2, 3, 4)}));
  EXPECT_EQ(title.Words(), (std::vector<std::uint32_t>{Fader(0, 1), Fader(0, 2), Fader(0, 3)}));
  // A later event earlier than one before it gets no marker of its own.
  EXPECT_EQ(title.automation.StreamWordCount(), 5);
}

TEST(AutomationFileTest, OldSwitchEventsAreConvertedOnLoad) {
  auto word = [](int code, int ch, int sub, int value) {
    return static_cast<std::uint32_t>(value << 24 | sub << 16 | ch << 8 | code);
  };
  const std::vector<std::uint32_t> old = {word(27, 3, 0, 0),  word(94, 0, 5, 1), word(130, 7, 6, 0),
                                          word(165, 2, 0, 1), word(27, 3, 1, 1), word(28, 0, 0, 0),
                                          word(165, 2, 2, 1), word(27, 0, 6, 5)};
  const std::vector<std::uint32_t> expected = {
      word(27, 3, 1, 1), word(94, 0, 7, 0), word(130, 7, 8, 1), word(165, 2, 1, 0),
      word(27, 3, 1, 1), word(28, 0, 0, 0), word(165, 2, 2, 1), word(27, 0, 8, 0)};
  std::vector<std::uint32_t> stream = {kMarker};
  stream.insert(stream.end(), old.begin(), old.end());
  stream.push_back(0xFFFFFFFF);
  Title title;
  ASSERT_EQ(title.Load(AutoBody(stream)), kOk);
  EXPECT_EQ(title.Words(), expected);
}

TEST(AutomationFileTest, ShortForeignAndBrokenFilesFail) {
  {
    Title title;
    MemoryFile foreign(Chunk("snap.dat", AutoBody({0xFFFFFFFF})));
    EXPECT_EQ(title.automation.Load(foreign), kReadError);
    EXPECT_EQ(foreign.Position(), 0u);
    EXPECT_FALSE(title.automation.Loaded());
  }
  for (std::size_t keep : {2u, 4u + 100u}) {
    Title title;
    auto body = AutoBody({0xFFFFFFFF});
    body.resize(keep);
    EXPECT_EQ(title.Load(body), kReadError) << keep;
    EXPECT_FALSE(title.automation.Loaded());
  }
  {
    // A count far beyond the bytes: fails at the end of the file, keeping
    // what was read.
    Title title;
    auto body = AutoBody({kMarker | 0x00000010, Fader(1, 5), Fader(2, 6)}, 0xFFFFFFFF, NoneTable());
    body.resize(body.size() - 2 - 1);
    EXPECT_EQ(title.Load(body), kReadError);
    EXPECT_EQ(title.Words(), (std::vector<std::uint32_t>{Fader(1, 5)}));
    EXPECT_EQ(title.Times(), (std::vector<TimeCode>{MakeTC(0, 0, 0, 10)}));
    const auto log = DrainLog();
    EXPECT_EQ(log[1], "4294967295");
    EXPECT_EQ(log.back(), "auto.dat  1 records loaded.  Record Size = 00000008");
  }
  {
    // No terminator at all (a count of 0): nothing to read, and a save
    // writes a proper stream again.
    Title title;
    ASSERT_EQ(title.Load(AutoBody({}, 0, PatternTable())), kOk);
    EXPECT_EQ(title.automation.Count(), 0);
    const auto saved = SavedBody(title.automation);
    EXPECT_EQ(saved.size(), 36190u);
    EXPECT_EQ(GetU32(saved.data()), 1u);
  }
  {
    // Loading again replaces what was there.
    Title title;
    const auto body = AutoBody({kMarker, Fader(0, 1), 0xFFFFFFFF});
    ASSERT_EQ(title.Load(body), kOk);
    ASSERT_EQ(title.Load(body), kOk);
    EXPECT_EQ(title.automation.Count(), 1);
  }
  for (std::size_t limit : {10u, 16u + 100u}) {
    Title title;
    title.Add(1, Fader(0, 1));
    MemoryFile failing;
    failing.SetWriteLimit(limit);
    EXPECT_EQ(title.automation.Save(failing), kWriteError) << limit;
  }
}

TEST(AutomationFileTest, BadMarkersAndForeignChannelsAreHandledSafely) {
  Title title;
  const std::uint32_t beyond_layout = Fader(60, 9);
  ASSERT_EQ(title.Load(AutoBody({kMarker | 0x0000FF00, Fader(0, 1),  // seconds digits "FF"
                                 kMarker | 0x23595929, Fader(1, 2), beyond_layout, 0xFFFFFFFF})),
            kOk);
  // Stamps are the markers as decoded; the terminator after the last frame logs nothing.
  EXPECT_EQ(title.Times(), (std::vector<TimeCode>{FromBCD(0x0000FF00), MakeTC(23, 59, 59, 29),
                                                  MakeTC(23, 59, 59, 29)}));
  for (const auto& line : DrainLog()) EXPECT_EQ(line.find("Illigal"), std::string::npos) << line;

  title.automation.SelectAllChannels();
  title.automation.SelectRange(110, 0, 86400);
  EXPECT_EQ(title.Selected(), (std::vector<int>{0, 1}));

  // What was read is what is written: the event beyond the layout is kept.
  const auto saved = SavedBody(title.automation);
  const std::uint8_t* stream = saved.data() + 4 + kTable;
  EXPECT_EQ(GetU32(stream), kMarker | 0x0000FF00);
  EXPECT_EQ(GetU32(stream + 8), kMarker | 0x23595929);
  EXPECT_EQ(GetU32(stream + 16), beyond_layout);
  EXPECT_EQ(title.automation.AppendEvent({0, 0x80000002}), false);
}

// Markers whose fields lie beyond a day are written back as they were read.
TEST(AutomationFileTest, MarkersBeyondADaySurviveAResave) {
  for (std::uint32_t marker : {0x80000035u, 0xF9000000u, 0x8000FF00u, 0x80995999u}) {
    SCOPED_TRACE(marker);
    Title title;
    const std::vector<std::uint32_t> words = {kMarker | 0x00000001, Fader(0, 1), marker,
                                              Fader(1, 2), 0xFFFFFFFF};
    ASSERT_EQ(title.Load(AutoBody(words)), kOk);
    EXPECT_EQ(SavedBody(title.automation), AutoBody(words));
  }
}

TEST(AutomationEventCodeTest, KeysFollowTheCodeTable) {
  Title title;
  const TQ730AUTO& a = title.automation;
  // Input channel 5 is channel index 4, channel byte 4.
  EventKey fader = a.KeyOf(110, 4);
  ASSERT_TRUE(fader.valid);
  EXPECT_EQ(fader.Word(0x1234), 0x12340402u);
  EXPECT_FALSE(fader.Matches(0x7FFF0302));
  EXPECT_EQ(fader.Value(0x12340402), 0x1234);
  EXPECT_EQ(fader.Word(40000), 0x7FFF0402u);

  // 8-bit values with a sub-code: Aux 1 SW on input channel 1 is 46/0.
  EventKey aux = a.KeyOf(69, 0);
  EXPECT_EQ(aux.mask, 0x00FFFFFFu);
  EXPECT_EQ(aux.Word(1), 0x0100002Eu);
  EXPECT_FALSE(aux.Matches(0x0101002E));  // Aux 2 SW
  EXPECT_EQ(aux.Value(0x7F00002E), 127);
  EXPECT_EQ(aux.Word(300), 0x7F00002Eu);
  // 8-bit without a sub-code: bits 16-23 carry nothing.
  EventKey freq = a.KeyOf(55, 2);
  EXPECT_EQ(freq.mask, 0xFFFFu);
  EXPECT_EQ(freq.Word(20), 0x14000209u);
  EXPECT_EQ(freq.Value(0x14550209), 20);

  // Groups: MTR 3 is index 50, RTN 2 index 65, master index 72.
  EXPECT_EQ(a.KeyOf(110, 50).Word(0), 0x0292u);
  EXPECT_EQ(a.KeyOf(14, 65).pattern, 0x00010149u);
  EXPECT_EQ(a.KeyOf(65, 72).pattern, 0x004Fu);
  EXPECT_EQ(a.KeyOf(30, 48).pattern, 0x00B2u);
  EXPECT_FALSE(a.KeyOf(109, 50).valid);
  EXPECT_FALSE(a.KeyOf(110, 73).valid);

  // At 96 kHz MTR starts at index 24 and AUX at 28.
  title.system.Block()[41] = 2;
  EXPECT_EQ(a.KeyOf(110, 24).pattern, 0x0092u);
  EXPECT_EQ(a.KeyOf(110, 28).pattern, 0x006Fu);
}

TEST(AutomationEventCodeTest, TheTableIsConsistent) {
  // The parameters the timeline offers as views.
  const std::set<int> views = {110, 109, 106, 85,  86,  87,  88,  89,  90, 91, 92, 69, 70, 71, 72,
                               73,  74,  75,  76,  77,  78,  79,  80,  81, 82, 83, 84, 93, 94, 95,
                               96,  97,  98,  99,  100, 108, 104, 112, 6,  7,  8,  9,  10, 11, 12,
                               13,  103, 107, 123, 120, 121, 122, 105, 14, 15, 46, 51, 52, 55, 60,
                               45,  47,  48,  49,  50,  53,  56,  65,  61, 57, 66, 62, 58, 67, 63,
                               54,  59,  68,  64,  17,  19,  42,  25,  22, 31, 27, 28, 29, 32, 30,
                               26,  24,  20,  37,  40,  38,  33,  34,  35, 39, 36};
  ASSERT_EQ(views.size(), 101u);
  Title title;
  const int first[5] = {0, 48, 56, 64, 72};
  std::set<int> automatable;
  for (int g = 0; g < 5; ++g) {
    std::vector<std::pair<int, EventKey>> keys;
    for (int p = 0; p < 200; ++p) {
      std::uint32_t pattern = 0, mask = 0;
      if (!EventPattern(p, g, pattern, mask)) continue;
      automatable.insert(p);
      keys.push_back({p, title.automation.KeyOf(p, first[g])});
      // Every parameter with events has a start value in that group.
      title.automation.SetStartValue(p, first[g], MakeTC(1, 0, 0, 0), 7);
      EXPECT_EQ(title.automation.StartValue(p, first[g]).value, 7) << p << " group " << g;
    }
    // No event word belongs to two parameters.
    for (std::size_t i = 0; i < keys.size(); ++i) {
      for (std::size_t j = i + 1; j < keys.size(); ++j) {
        const auto& a = keys[i].second;
        const auto& b = keys[j].second;
        EXPECT_NE(a.pattern & b.mask, b.pattern & a.mask)
            << keys[i].first << " and " << keys[j].first << " in group " << g;
      }
    }
  }
  EXPECT_EQ(automatable, views);
  // Nor to one parameter in two groups: an event's group follows from its word.
  for (int p = 0; p < 200; ++p) {
    std::uint32_t pattern[5], mask[5];
    bool valid[5];
    for (int g = 0; g < 5; ++g) valid[g] = EventPattern(p, g, pattern[g], mask[g]);
    for (int g = 0; g < 5; ++g) {
      for (int h = g + 1; h < 5; ++h) {
        if (!valid[g] || !valid[h]) continue;
        EXPECT_NE((pattern[g] ^ pattern[h]) & mask[g] & mask[h], 0u) << p;
      }
    }
  }
}

TEST(AutomationStartValueTest, EntriesLieWhereTheTableSaysAndConvertTimecodes) {
  Title title;
  TQ730AUTO& a = title.automation;
  struct Case {
    int param, channel, offset;
  } cases[] = {
      {110, 0, 6},            // second entry of input channel 1
      {52, 1, 636 + 6 * 58},  // the first of the two 52s
      {55, 1, 636 + 6 * 60},
      {110, 50, 30528 + 270 * 2},          // MTR 3
      {36, 56, 32688 + 6 * 44},            // AUX 1, last entry
      {15, 71, 34848 + 126 * 7 + 6 * 20},  // RTN 8, last entry
      {110, 72, 35856},                    // master
  };
  int value = 100;
  for (const Case& c : cases) {
    a.SetStartValue(c.param, c.channel, MakeTC(1, 2, 3, 4), ++value);
    const auto table = a.StartTable();
    EXPECT_EQ(GetU32(table.data() + c.offset), 0x01020304u) << c.param << "/" << c.channel;
    EXPECT_EQ(GetU16(table.data() + c.offset + 4), value) << c.param << "/" << c.channel;
    const AutoStart start = a.StartValue(c.param, c.channel);
    EXPECT_EQ(start.time, MakeTC(1, 2, 3, 4));
    EXPECT_EQ(start.value, value);
  }

  // Parameters without an entry read as none and are not written.
  const std::vector<std::uint8_t> before(a.StartTable().begin(), a.StartTable().end());
  a.SetStartValue(109, 50, MakeTC(0, 0, 1, 0), 5);
  a.SetStartValue(110, 73, MakeTC(0, 0, 1, 0), 5);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), a.StartTable().begin()));
  EXPECT_EQ(a.StartValue(109, 50).time, kNoStartTime);

  a.SetStartValue(110, 0, kNoStartTime, 9);
  EXPECT_EQ(GetU32(a.StartTable().data() + 6), 0x99999999u);
  EXPECT_EQ(GetU16(a.StartTable().data() + 10), 0);

  // The place is fixed by group and number: at 96 kHz MTR 1 is index 24.
  title.system.Block()[41] = 2;
  a.SetStartValue(110, 24, MakeTC(0, 0, 0, 1), 3);
  EXPECT_EQ(GetU32(a.StartTable().data() + 30528), 0x00000001u);

  // Loaded values come back in binary form.
  auto table = NoneTable();
  PutU32(table.data() + 6, 0x23595929);
  PutU16(table.data() + 10, 0x4321);
  Title loaded;
  ASSERT_EQ(loaded.Load(AutoBody({0xFFFFFFFF}, 1, table)), kOk);
  EXPECT_EQ(loaded.automation.StartValue(110, 0).time, MakeTC(23, 59, 59, 29));
  EXPECT_EQ(loaded.automation.StartValue(110, 0).value, 0x4321);
}

TEST(AutomationEditTest, SelectRangeSelectEventAndEditRange) {
  Title title;
  TQ730AUTO& a = title.automation;
  title.Add(1, Fader(0, 1));  // 0
  title.Add(2, Fader(0, 2));  // 1
  title.Add(2, Fader(1, 2));  // 2: another channel
  title.Add(2, 0x05000004);   // 3: Pan (109) of channel 0
  title.Add(3, Fader(0, 3));  // 4: at the open end
  a.SetChannelSelected(0, true);
  EXPECT_FALSE(a.IsSelected(0));  // channel flags are not event flags
  a.SelectRange(110, 3.0, 1.0);
  EXPECT_EQ(title.Selected(), (std::vector<int>{0, 1}));
  a.SelectRange(109, 0, 10);
  EXPECT_EQ(title.Selected(), (std::vector<int>{0, 1, 3}));

  a.SelectEvent(4);
  EXPECT_EQ(title.Selected(), (std::vector<int>{4}));
  EXPECT_DOUBLE_EQ(a.RangeStart(), 3.0);
  EXPECT_DOUBLE_EQ(a.RangeEnd(), 3.0);

  a.SetEditRange(109, 90000, -3);
  EXPECT_EQ(a.CurrentParam(), 109);
  EXPECT_EQ(a.RangeStart(), 0);
  EXPECT_EQ(a.RangeEnd(), 86399);

  a.SetChannelSelected(73, true);
  EXPECT_FALSE(a.IsChannelSelected(73));
}

TEST(AutomationEditTest, DeleteSelectedRenewsTheStartValuesOfSelectedChannels) {
  Title title;
  TQ730AUTO& a = title.automation;
  title.Add(1, Fader(0, 10));
  title.Add(1, Fader(1, 30));
  title.Add(2, 0x05000004);  // Pan of channel 0
  title.Add(3, Fader(0, 20));
  for (int ch : {0, 1, 2}) a.SetStartValue(110, ch, At(1), 99);
  a.SetStartValue(109, 0, At(2), 5);
  a.SetEditRange(110, 0, 0);
  a.SetChannelSelected(0, true);
  a.SetChannelSelected(2, true);
  a.SetSelected(0, true);
  a.DeleteSelected();

  EXPECT_EQ(title.Words(), (std::vector<std::uint32_t>{Fader(1, 30), 0x05000004, Fader(0, 20)}));
  EXPECT_TRUE(title.Selected().empty());
  EXPECT_EQ(a.StartValue(110, 0).time, At(3));
  EXPECT_EQ(a.StartValue(110, 0).value, 20);
  EXPECT_EQ(a.StartValue(110, 1).value, 99);  // not a selected channel
  EXPECT_EQ(a.StartValue(110, 2).time, kNoStartTime);
  EXPECT_EQ(a.StartValue(109, 0).value, 5);  // another parameter

  a.SetSelected(2, true);
  a.DeleteSelected();
  EXPECT_EQ(a.StartValue(110, 0).time, kNoStartTime);
  EXPECT_EQ(a.Count(), 2);
}

TEST(AutomationEditTest, WriteEventsReplacesTheRangeUpToTheLastNewEvent) {
  Title t2;
  TQ730AUTO& b = t2.automation;
  t2.Add(1, Fader(0, 1));
  t2.Add(2, Fader(0, 2));
  t2.Add(3, Fader(0, 3));
  t2.Add(3, Fader(1, 33));
  t2.Add(3, 0x05000004);  // Pan of channel 0
  t2.Add(4, Fader(0, 4));
  t2.Add(5, Fader(0, 5));
  b.SetSelected(0, true);
  const AutoEvent fresh[] = {{At(2.5), 100u << 16}, {At(3.5), 200u << 16 | 0xFFFF}};
  b.WriteEvents(110, 0, 4.0, 2.0, fresh, true, false);

  EXPECT_EQ(t2.Words(),
            (std::vector<std::uint32_t>{Fader(0, 1), Fader(0, 100), Fader(1, 33), 0x05000004,
                                        Fader(0, 200), Fader(0, 4), Fader(0, 5)}));
  EXPECT_EQ(t2.Times(),
            (std::vector<TimeCode>{At(1), At(2.5), At(3), At(3), At(3.5), At(4), At(5)}));
  EXPECT_EQ(t2.Selected(), (std::vector<int>{0, 1, 4}));
  // The first new event is earlier than "no start value".
  EXPECT_EQ(b.StartValue(110, 0).time, At(2.5));
  EXPECT_EQ(b.StartValue(110, 0).value, 100);

  // The range includes its end; an earlier start value stays.
  b.WriteEvents(110, 0, 0, 1, std::span<const AutoEvent>(fresh + 1, 1), false, false);
  EXPECT_EQ(t2.Times().front(), At(2.5));
  EXPECT_EQ(b.StartValue(110, 0).time, At(2.5));
  b.WriteEvents(110, 0, 0, 10, {}, false, false);
  b.WriteEvents(109, 50, 0, 10, fresh, false, false);  // no Pan on MTR
  EXPECT_EQ(b.Count(), 7);

  // 8-bit values lie in the top byte and stay below bit 31.
  Title t3;
  const AutoEvent switches[] = {{At(0), 1u << 24 | 0xFF0000}, {At(1), 200u << 24}};
  t3.automation.WriteEvents(69, 0, 0, 1, switches, false, false);
  EXPECT_EQ(t3.Words(), (std::vector<std::uint32_t>{0x0100002E, 0x7F00002E}));

  // Shifting moves the channel's later events by the range and keeps time order.
  Title t4;
  t4.Add(1, Fader(0, 1));
  t4.Add(2, Fader(1, 2));
  t4.Add(3, Fader(0, 3));
  t4.Add(3.5, Fader(1, 4));
  t4.automation.WriteEvents(110, 0, 2, 3, std::span<const AutoEvent>(fresh, 1), false, true);
  EXPECT_EQ(t4.Words(), (std::vector<std::uint32_t>{Fader(0, 1), Fader(1, 2), Fader(0, 100),
                                                    Fader(1, 4), Fader(0, 3)}));
  EXPECT_EQ(t4.Times(), (std::vector<TimeCode>{At(1), At(2), At(2.5), At(3.5), At(4)}));
}

// Random events of a few parameters on a few channels, with many equal timecodes.
void AddRandomEvents(Title& t, std::mt19937& random, int count, bool in_order) {
  std::vector<std::pair<double, std::uint32_t>> events;
  for (int i = 0; i < count; ++i) {
    const double seconds = static_cast<double>(random() % 24) / 2;
    const std::uint32_t ch = random() % 6;
    const std::uint32_t value = random() % 1000;
    const std::uint32_t word = random() % 4 == 0 ? 0x05000004u | ch << 8 | (value % 64) << 24
                                                 : Fader(static_cast<int>(ch), value);
    events.emplace_back(seconds, word);
  }
  if (in_order) {
    std::ranges::stable_sort(events, {}, &std::pair<double, std::uint32_t>::first);
  }
  for (const auto& [seconds, word] : events) t.Add(seconds, word);
  for (int i = 0; i < t.automation.Count(); ++i) t.automation.SetSelected(i, random() % 3 == 0);
}

// Writing several channels at once must leave what writing them one after the other leaves:
// the same events in the same order, the same selection and the same start values, with equal
// timecodes among old and new events and across channels, and a channel written twice.
TEST(AutomationEditTest, WritingSeveralChannelsEqualsChannelAfterChannel) {
  for (unsigned seed = 1; seed <= 150; ++seed) {
    std::mt19937 random(seed);
    const bool in_order = seed % 5 != 0;
    Title at_once;
    Title in_turn;
    for (Title* t : {&at_once, &in_turn}) {
      std::mt19937 same(seed);
      AddRandomEvents(*t, same, 40, in_order);
      t->automation.SetStartValue(110, 2, At(3), 7);
    }
    std::vector<std::vector<AutoEvent>> fresh;
    std::vector<TQ730AUTO::ChannelEvents> channels;
    // Every fourth time channel 2 comes twice.
    const std::vector<int> rows =
        seed % 4 == 0 ? std::vector<int>{0, 2, 3, 5, 2, 60} : std::vector<int>{0, 2, 3, 5, 60};
    for (std::size_t k = 0; k < rows.size(); ++k) {
      std::vector<AutoEvent>& events = fresh.emplace_back();
      for (int n = static_cast<int>(random() % 5); n > 0; --n)
        events.push_back({At(static_cast<double>(random() % 24) / 2),
                          static_cast<std::uint32_t>(random() % 1000) << 16});
      std::ranges::stable_sort(events, {}, &AutoEvent::time);
    }
    for (std::size_t k = 0; k < fresh.size(); ++k) channels.push_back({rows[k], fresh[k]});
    const double from = static_cast<double>(random() % 12) / 2;
    const double to = from + static_cast<double>(random() % 12) / 2;
    const bool select = seed % 2 == 0;
    at_once.automation.WriteEvents(110, to, from, channels, select);
    for (const auto& c : channels)
      in_turn.automation.WriteEvents(110, c.channel, to, from, c.events, select, false);

    ASSERT_EQ(at_once.Times(), in_turn.Times()) << "seed " << seed;
    ASSERT_EQ(at_once.Words(), in_turn.Words()) << "seed " << seed;
    ASSERT_EQ(at_once.Selected(), in_turn.Selected()) << "seed " << seed;
    ASSERT_TRUE(
        std::ranges::equal(at_once.automation.StartTable(), in_turn.automation.StartTable()))
        << "seed " << seed;
  }
}

// Selecting a range takes the events of the selected channels' keys within it; deleting renews
// the start value of every selected channel from its first remaining event of the current
// parameter. Both as a search per channel would.
TEST(AutomationEditTest, SelectRangeAndDeleteSelectedMatchASearchPerChannel) {
  for (unsigned seed = 1; seed <= 100; ++seed) {
    const int param = seed % 2 == 0 ? 110 : 109;
    std::mt19937 random(seed);
    const double from = static_cast<double>(random() % 24) / 2;
    const double to = static_cast<double>(random() % 24) / 2;
    Title fast;
    Title plain;
    for (Title* t : {&fast, &plain}) {
      std::mt19937 same(seed);
      AddRandomEvents(*t, same, 30, seed % 3 != 0);
      t->automation.SetEditRange(param, 0, 0);
      for (int c = 0; c < 8; ++c) {
        t->automation.SetChannelSelected(c, same() % 2 == 0);
        t->automation.SetStartValue(param, c, At(1), 9);
      }
    }
    fast.automation.SelectRange(param, from, to);
    plain::SelectRange(plain.automation, param, from, to);
    ASSERT_EQ(fast.Selected(), plain.Selected()) << "seed " << seed;

    fast.automation.DeleteSelected();
    plain::DeleteSelected(plain.automation, param);
    ASSERT_EQ(fast.Times(), plain.Times()) << "seed " << seed;
    ASSERT_TRUE(std::ranges::equal(fast.automation.StartTable(), plain.automation.StartTable()))
        << "seed " << seed;
  }
}

// Erasing a channel's events over a range leaves every other event, in order, selected or not,
// in lists in time order (searched by halving) and out of it.
TEST(AutomationEditTest, EraseEventsTakesOnlyTheChannelsEventsInTheRange) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 random(seed);
    Title t;
    AddRandomEvents(t, random, 30, seed % 3 != 0);
    const int channel = static_cast<int>(random() % 6);
    double from = static_cast<double>(random() % 24) / 2;
    double to = static_cast<double>(random() % 24) / 2;
    std::vector<std::pair<TimeCode, std::uint32_t>> expected;
    std::vector<bool> expected_selected;
    const EventKey key = t.automation.KeyOf(110, channel);
    for (int i = 0; i < t.automation.Count(); ++i) {
      const double s = TCToSeconds(t.automation.EventTime(i), 30);
      if (key.Matches(t.automation.EventWord(i)) && s >= std::min(from, to) &&
          s <= std::max(from, to))
        continue;
      expected.emplace_back(t.automation.EventTime(i), t.automation.EventWord(i));
      expected_selected.push_back(t.automation.IsSelected(i));
    }
    t.automation.EraseEvents(110, channel, from, to);
    std::vector<std::pair<TimeCode, std::uint32_t>> got;
    std::vector<bool> got_selected;
    for (int i = 0; i < t.automation.Count(); ++i) {
      got.emplace_back(t.automation.EventTime(i), t.automation.EventWord(i));
      got_selected.push_back(t.automation.IsSelected(i));
    }
    ASSERT_EQ(got, expected) << "seed " << seed;
    ASSERT_EQ(got_selected, expected_selected) << "seed " << seed;
  }
}

// The word count and time order are kept between changes: after every kind of change they are
// what a list worked out afresh gives.
TEST(AutomationEditTest, WordCountAndTimeOrderFollowEveryChange) {
  Title title;
  TQ730AUTO& a = title.automation;
  std::mt19937 random(7);
  AddRandomEvents(title, random, 40, true);
  TQ730AUTO other;
  other.SetSystem(&title.system);
  other.AppendEvent({At(3), Fader(2, 9)});
  TClip clip;
  a.SetClipboard(&clip);
  const std::vector<std::pair<const char*, std::function<void()>>> changes = {
      {"append later", [&] { title.Add(20, Fader(1, 3)); }},
      {"write",
       [&] {
         const std::vector<AutoEvent> events = {{At(2), 5u << 16}, {At(2.5), 6u << 16}};
         a.WriteEvents(110, 0, 2, 3, events, false, false);
         const std::vector<TQ730AUTO::ChannelEvents> channels = {{2, events}, {3, events}};
         a.WriteEvents(110, 2, 3, channels, true);
       }},
      {"values", [&] { a.SetSelectedValues([](int value, int) { return value + 1; }); }},
      {"delete selected",
       [&] {
         for (int i = 0; i < a.Count(); i += 3) a.SetSelected(i, true);
         a.DeleteSelected();
       }},
      {"delete one", [&] { a.DeleteRecord(0); }},
      {"insert time", [&] { a.ShiftTime(4, 6, false); }},
      {"delete time", [&] { a.ShiftTime(1, 3, true); }},
      {"cut",
       [&] {
         a.SelectAllChannels();
         a.SetEditRange(110, 5, 9);
         a.CutSelected(clip);
       }},
      {"paste", [&] { a.PasteFromClipboard(clip); }},
      {"write a time halving cannot find",
       [&] {
         const std::vector<AutoEvent> events = {{MakeTC(0, 0, 70, 0), 7u << 16}};
         const std::vector<TQ730AUTO::ChannelEvents> channels = {{1, events}};
         a.WriteEvents(110, 9, 9, channels, false);
       }},
      {"append earlier", [&] { title.Add(1, Fader(1, 4)); }},
      {"delete out of order",
       [&] {
         a.SetSelected(0, true);
         a.DeleteSelected();
       }},
      {"assign", [&] { ASSERT_EQ(a.Assign(other), kOk); }},
      {"load",
       [&] {
         ASSERT_EQ(
             title.Load(AutoBody({kMarker, Fader(0, 1), kMarker | 0x100, Fader(0, 2), 0xFFFFFFFF})),
             kOk);
       }},
      // The first of two times made the later one: out of order, and one marker less.
      {"record bytes", [&] { PutU32(a.Record(0).data(), a.EventTime(1) + 1); }},
  };
  for (const auto& [name, change] : changes) {
    (void)a.Facts();  // kept from before the change
    change();
    TQ730AUTO fresh;
    ASSERT_EQ(fresh.Assign(a), kOk);
    // The order first: asking for the word count works both out afresh.
    EXPECT_EQ(a.SearchableByTime(), fresh.SearchableByTime()) << name;
    EXPECT_EQ(a.StreamWordCount(), fresh.StreamWordCount()) << name;
  }
  DrainLog();
}

// A list in order of its timecodes is searched by halving, unless a timecode's minutes or
// seconds field is 60 or more, when its seconds no longer grow with its value.
TEST(AutomationEditTest, OddTimecodeFieldsAreStillFoundByTime) {
  struct Case {
    std::vector<TimeCode> times;
    double from, to;
    std::vector<int> selected;
    bool searchable;
    std::int64_t words;
  };
  for (const Case& c :
       {Case{{MakeTC(0, 0, 59, 0), MakeTC(0, 1, 0, 0), MakeTC(0, 1, 5, 0)},
             59.5,
             65.5,
             {1, 2},
             true,
             7},
        Case{{MakeTC(0, 0, 70, 0), MakeTC(0, 1, 0, 0), MakeTC(0, 1, 5, 0)},
             64,
             71,
             {0, 2},
             false,
             7},
        Case{{MakeTC(0, 70, 0, 0), MakeTC(1, 0, 0, 0), MakeTC(1, 0, 30, 0)},
             3630,
             4300,
             {0, 2},
             false,
             7},
        // Out of order: the earlier time gets no marker of its own.
        Case{{MakeTC(0, 0, 9, 0), MakeTC(0, 0, 5, 0), MakeTC(0, 0, 9, 0)}, 4, 6, {1}, false, 5},
        Case{{MakeTC(0, 0, 5, 0), MakeTC(0, 0, 5, 0)}, 4, 6, {0, 1}, true, 4}}) {
    Title t;
    for (const TimeCode time : c.times) ASSERT_TRUE(t.automation.AppendEvent({time, Fader(0, 5)}));
    t.automation.SetChannelSelected(0, true);
    t.automation.SelectRange(110, c.from, c.to);
    EXPECT_EQ(t.Selected(), c.selected) << c.from;
    // The one pass a paint makes agrees with the two it stands for.
    EXPECT_EQ(t.automation.SearchableByTime(), c.searchable) << c.from;
    EXPECT_EQ(t.automation.Facts().searchable, c.searchable) << c.from;
    EXPECT_EQ(t.automation.Facts().words, c.words) << c.from;
  }
}

TEST(AutomationEditTest, ShiftTimeInsertsAndDeletesTime) {
  Title title;
  TQ730AUTO& a = title.automation;
  for (double s : {1.0, 2.0, 3.0, 5.0, 8.5}) title.Add(s, Fader(0, static_cast<int>(s * 10)));
  a.SetStartValue(110, 0, At(0.5), 1);
  a.SetStartValue(110, 1, At(3), 2);
  a.SetStartValue(110, 2, At(6), 3);
  a.SetStartValue(36, 72, At(2), 4);
  a.SetSelected(4, true);
  TQ730AUTO copy;
  ASSERT_EQ(copy.Assign(a), kOk);

  a.ShiftTime(2, 5, false);
  EXPECT_EQ(title.Times(), (std::vector<TimeCode>{At(1), At(2), At(6), At(8), At(11.5)}));
  EXPECT_EQ(a.StartValue(110, 0).time, At(0.5));
  EXPECT_EQ(a.StartValue(110, 1).time, At(6));
  EXPECT_EQ(a.StartValue(110, 2).time, At(9));
  EXPECT_EQ(a.StartValue(36, 72).time, At(5));  // at `from` itself it moves
  EXPECT_EQ(a.StartValue(110, 3).time, kNoStartTime);

  ASSERT_EQ(a.Assign(copy), kOk);
  a.SetSelected(4, true);
  a.ShiftTime(5, 2, true);  // bounds in either order
  EXPECT_EQ(title.Times(), (std::vector<TimeCode>{At(1), At(2), At(2), At(5.5)}));
  EXPECT_EQ(title.Words(),
            (std::vector<std::uint32_t>{Fader(0, 10), Fader(0, 20), Fader(0, 50), Fader(0, 85)}));
  EXPECT_EQ(title.Selected(), (std::vector<int>{3}));
  EXPECT_EQ(a.StartValue(110, 0).time, At(0.5));
  EXPECT_EQ(a.StartValue(110, 1).time, At(2));
  EXPECT_EQ(a.StartValue(110, 2).time, At(3));
  EXPECT_EQ(a.StartValue(36, 72).time, At(2));
  EXPECT_EQ(a.StartValue(110, 3).time, kNoStartTime);

  // Inserted time cannot push events past the end of the day.
  Title late;
  late.Add(86390, Fader(0, 1));
  late.automation.ShiftTime(0, 20, false);
  EXPECT_EQ(late.Times(), (std::vector<TimeCode>{MakeTC(23, 59, 59, 0)}));
}

class FakeClipboard : public ClipboardQuery {
 public:
  bool HoldsKind(int kind) const override { return kind == TQ730::kAutomation; }
};

TEST(AutomationListTest, AssignCanDoAndWordCount) {
  Title title;
  TQ730AUTO& a = title.automation;
  auto table = PatternTable();
  ASSERT_EQ(
      title.Load(AutoBody(
          {kMarker, Fader(0, 1), Fader(1, 1), kMarker | 0x100, Fader(2, 1), 0xFFFFFFFF}, 6, table)),
      kOk);
  // Three events at two distinct times.
  EXPECT_EQ(a.StreamWordCount(), 6);
  a.SetSelected(1, true);
  a.SetChannelSelected(5, true);
  a.SetEditRange(69, 1, 2);
  DrainLog();

  TQ730AUTO copy;
  ASSERT_EQ(copy.Assign(a), kOk);
  EXPECT_EQ(DrainLog(), std::vector<std::string>{"Backup  auto.dat : 3"});
  EXPECT_FALSE(copy.IsSelected(1));
  EXPECT_TRUE(copy.IsChannelSelected(5));
  EXPECT_EQ(copy.CurrentParam(), 69);
  EXPECT_TRUE(std::equal(table.begin(), table.end(), copy.StartTable().begin()));
  EXPECT_EQ(SavedBody(copy), SavedBody(a));
  TQ730SYSF other;
  EXPECT_EQ(a.Assign(other), kFailed);

  // Cut, copy and delete are always offered; new, store and recall never.
  a.SetSelected(1, false);
  for (int op : {TQ730::kOpCut, TQ730::kOpCopy, TQ730::kOpDelete}) EXPECT_TRUE(a.CanDo(0, op));
  for (int op : {int{TQ730::kOpNew}, int{TQ730::kOpStore}, int{TQ730::kOpRecall}, 7})
    EXPECT_FALSE(a.CanDo(0, op));
  EXPECT_FALSE(a.CanDo(0, TQ730::kOpPaste));
  FakeClipboard automation;
  a.SetClipboard(&automation);
  EXPECT_TRUE(a.CanDo(0, TQ730::kOpPaste));

  a.Renumber();  // events carry no record numbers
  EXPECT_EQ(a.EventWord(0), Fader(0, 1));
}

}  // namespace
}  // namespace orb

namespace orb {
namespace {

TEST(AutomationSelectionTest, ChannelSelectionShiftsAndEventSelectionClears) {
  struct Case {
    int offset;
    std::vector<int> selected;  // channels selected afterwards, from 0, 1, 2, 40 and 72
  };
  const Case cases[] = {
      {0, {0, 1, 2, 40, 72}}, {1, {0, 1, 39, 71}}, {-2, {2, 3, 4, 42}}, {73, {}}, {-80, {}},
  };
  for (const Case& c : cases) {
    Title t;
    ASSERT_EQ(t.automation.ChannelCount(), 73);
    for (int ch : {0, 1, 2, 40, 72}) t.automation.SetChannelSelected(ch, true);
    t.automation.ShiftChannelSelection(c.offset);
    std::vector<int> selected;
    for (int ch = 0; ch < 73; ++ch) {
      if (t.automation.IsChannelSelected(ch)) selected.push_back(ch);
    }
    EXPECT_EQ(selected, c.selected) << "offset " << c.offset;
  }
  Title t;
  t.Add(1, 0x00000100);
  t.Add(2, 0x00000200);
  t.automation.SetSelected(0, true);
  t.automation.SetSelected(1, true);
  t.automation.ClearEventSelection();
  EXPECT_TRUE(t.Selected().empty());
  EXPECT_EQ(t.automation.Count(), 2);
}

}  // namespace
}  // namespace orb
