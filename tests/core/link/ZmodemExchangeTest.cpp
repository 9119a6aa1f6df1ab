#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/link/TransferSession.h"
#include "core/link/Zmodem.h"
#include "tests/core/link/TestZmodem.h"
#include "tests/core/model/TestRecords.h"
#include "tests/support/PtyLink.h"

// The two procedures tick by tick against a far side scripted by the test.
namespace orb {
namespace {

using test::Bytes;
using test::Concat;
using test::DrainLog;
using test::Escaping;
using test::Header;
using test::Subpacket;
using S = SessionState;

// TZmodem's states are numbered as the session's.
int Number(SessionState state) {
  return static_cast<int>(state);
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Info(const std::string& size_field) {
  return Concat({Text("data.gz"), {0}, Text(size_field), {0}});
}

Bytes Plain(std::size_t size, unsigned seed) {
  Bytes bytes = test::RandomBytes(size, seed);
  for (auto& byte : bytes) {
    if ((byte & 0x7F) < 0x20 || (byte & 0x7F) == 0x7F) byte = 'a' + byte % 26;
  }
  return bytes;
}

// A request to go back after damage or silence: a streaming sender notices it by reading one
// byte, so it comes with a second ZPAD ahead of the header.
Bytes AskAgain(std::uint32_t position) {
  return Concat({{'*'}, Header(9, position, Escaping::kProgram)});
}

bool Logged(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Open());
    ASSERT_GE(serial_.OpenPort(pty_.slave_path), 0);
    folder_ = test::MakeTempFolder();
    ASSERT_FALSE(folder_.empty());
    path_ = folder_ + "/tmp.gz";
    DrainLog();
  }
  void TearDown() override {
    test::RemoveFolder(folder_);
    DrainLog();
  }

  // Bytes from the far side, all of them in the receive buffer on return.
  void Feed(const Bytes& bytes) {
    ASSERT_EQ(::write(pty_.master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    const std::uint64_t target = serial_.ReceivedTotal() + bytes.size();
    const std::uint64_t end = test::NowMs() + 5000;
    while (serial_.ReceivedTotal() < target && test::NowMs() < end) {
      pollfd port{serial_.Handle(), POLLIN, 0};
      ::poll(&port, 1, 20);
      serial_.Poll();
    }
    ASSERT_EQ(serial_.ReceivedTotal(), target);
  }
  ZmodemTick Tick() {
    clock_ += 10;
    serial_.Poll();
    return zmodem_.Step(clock_);
  }
  // The next count bytes the program sent.
  Bytes Heard(std::size_t count) {
    Bytes out;
    const std::uint64_t end = test::NowMs() + 5000;
    while (out.size() < count && test::NowMs() < end) {
      pollfd port{pty_.master, POLLIN, 0};
      if (::poll(&port, 1, 20) <= 0) continue;
      std::uint8_t chunk[1];  // never more than asked for
      if (::read(pty_.master, chunk, 1) == 1) out.push_back(chunk[0]);
    }
    return out;
  }
  Bytes Expect(const Bytes& expected) { return Heard(expected.size()); }
  bool Quiet() {
    pollfd port{pty_.master, POLLIN, 0};
    return ::poll(&port, 1, 100) == 0;
  }

  // Through ZRQINIT and ZRINIT to the file header, as sz begins.
  void BeginReceive() {
    zmodem_.Start(TZmodem::Direction::kReceive, path_, clock_);
    Feed(Concat({Text("rz\r**\x18"
                      "B00000000000000\r"),
                 {0x8A, 0x11}}));
    Tick();  // the line "rz"
    EXPECT_EQ(zmodem_.State(), Number(S::kZmodemGreeting));
    Tick();
    EXPECT_EQ(zmodem_.State(), Number(S::kZmodemFileHeader));
    EXPECT_EQ(Heard(21), Concat({Text("**\x18"
                                      "B010004000256d3"),
                                 {0x0A, 0x0D, 0x11}}));
  }
  void SendFileHeader(const Bytes& info) {
    Feed(Concat({Header(4, 0, Escaping::kSender), Subpacket(info, 'k', Escaping::kSender)}));
  }

  test::RawPty pty_;
  TSerial serial_;
  TZmodem zmodem_{serial_};
  std::string folder_;
  std::string path_;
  std::uint64_t clock_ = 100000;
};

TEST_F(ExchangeTest, ReceiveAnswersEachFrameAsTheConsoleExpects) {
  BeginReceive();
  EXPECT_EQ(Tick().waited, 1);  // the file header is waited for on the session's clock

  SendFileHeader(Info("2048 14677243412 100644 0 1 2048"));
  ZmodemTick tick = Tick();
  EXPECT_EQ(zmodem_.State(), Number(S::kZmodemAwaitBlock));
  EXPECT_EQ(zmodem_.FileSize(), 2048u);
  EXPECT_TRUE(Logged(DrainLog(), "File Size = 2048"));
  EXPECT_EQ(Heard(10), (Bytes{0x2A, 0x18, 0x41, 0x09, 0, 0, 0, 0, 0xA8, 0x7C}));
  EXPECT_EQ(Tick().waited, 0);  // data frames are waited for without counting

  const Bytes first = Plain(1024, 1);
  Feed(Concat({Header(10, 0, Escaping::kSender), Subpacket(first, 'k', Escaping::kSender)}));
  tick = Tick();
  ASSERT_TRUE(tick.progress);
  EXPECT_EQ(tick.progress->message, "Receving TITLE data 50% done...");
  EXPECT_EQ(Expect(Header(3, 1024, Escaping::kProgram)), Header(3, 1024, Escaping::kProgram));
  EXPECT_TRUE(Logged(DrainLog(), "Receive Buffer. size = 1039"));
  EXPECT_FALSE(serial_.Echo());

  const Bytes second = test::RandomBytes(1024, 2);  // with escapes this time
  Feed(Concat({Header(10, 1024, Escaping::kSender), Subpacket(second, 'k', Escaping::kSender)}));
  tick = Tick();
  EXPECT_EQ(tick.end, ZmodemEnd::kFinished);
  EXPECT_EQ(zmodem_.State(), Number(S::kZmodemFinish));
  EXPECT_EQ(Expect(Header(8, 0, Escaping::kProgram)), Header(8, 0, Escaping::kProgram));
  EXPECT_TRUE(Quiet());
  EXPECT_TRUE(serial_.Echo());
  EXPECT_EQ(test::ReadFile(path_), Concat({first, second}));
  EXPECT_EQ(Tick().end, ZmodemEnd::kFinished);  // nothing more happens
  EXPECT_TRUE(Quiet());
}

TEST_F(ExchangeTest, StreamedSubpacketsNeedNoHeaderEach) {
  BeginReceive();
  SendFileHeader(Info("5000 0 100644 0 1 5000"));
  Tick();
  Heard(10);
  const Bytes data = test::RandomBytes(5000, 3);
  auto piece = [&](int index) {
    return Bytes(data.begin() + index * 1024, data.begin() + std::min(5000, index * 1024 + 1024));
  };
  // G, Q, G, G and a closing E, then ZEOF, all at once as a streaming sz sends them.
  Feed(Concat({Header(10, 0, Escaping::kSender), Subpacket(piece(0), 'i', Escaping::kSender),
               Subpacket(piece(1), 'j', Escaping::kSender),
               Subpacket(piece(2), 'i', Escaping::kSender),
               Subpacket(piece(3), 'i', Escaping::kSender),
               Subpacket(piece(4), 'h', Escaping::kSender), Header(11, 5000, Escaping::kSender)}));
  ZmodemTick tick;
  for (int i = 0; i < 20 && tick.end == ZmodemEnd::kRunning; ++i) tick = Tick();
  EXPECT_EQ(tick.end, ZmodemEnd::kFinished);
  // Only the ZCRCQ is answered on the way, and the file ends with ZFIN.
  const Bytes expected =
      Concat({Header(3, 2048, Escaping::kProgram), Header(8, 0, Escaping::kProgram)});
  EXPECT_EQ(Expect(expected), expected);
  EXPECT_TRUE(Quiet());
  EXPECT_EQ(test::ReadFile(path_), data);
  EXPECT_EQ(serial_.Length(), 0);  // the ZEOF did not stay behind for the shell
}

TEST_F(ExchangeTest, EmptyFiles) {
  // As lrzsz sends it: one empty closing subpacket and ZEOF.
  BeginReceive();
  SendFileHeader(Info("0 0 100644 0 1 0"));
  Tick();
  Heard(10);
  Feed(Concat({Header(10, 0, Escaping::kSender), Subpacket({}, 'h', Escaping::kSender),
               Header(11, 0, Escaping::kSender)}));
  EXPECT_EQ(Tick().end, ZmodemEnd::kFinished);
  EXPECT_TRUE(test::ReadFile(path_).empty());
  EXPECT_TRUE(std::filesystem::exists(path_));
  EXPECT_EQ(Expect(Header(8, 0, Escaping::kProgram)), Header(8, 0, Escaping::kProgram));

  // A sender that goes straight to ZEOF.
  BeginReceive();
  SendFileHeader(Info("0"));
  Tick();
  Heard(10);
  Feed(Header(11, 0, Escaping::kSender));
  EXPECT_EQ(Tick().end, ZmodemEnd::kFinished);
  EXPECT_EQ(Expect(Header(8, 0, Escaping::kProgram)), Header(8, 0, Escaping::kProgram));
}

TEST_F(ExchangeTest, FileSizeOfTheFileHeader) {
  struct Case {
    Bytes header;
    std::string size_field;
    std::uint64_t size;
  } cases[] = {
      {Header(4, 0, Escaping::kSender), "2048 123 100644", 2048},
      {Header(4, 0, Escaping::kSender), "2048", 2048},
      {Header(4, 0x18111300, Escaping::kSender), "777 1", 777},  // escapes in the header
      {Header(4, 0, Escaping::kSender), "12ab 5", 0},
      {Header(4, 0, Escaping::kSender), "", 0},
      {Header(4, 0, Escaping::kSender), "99999999999 1", 0},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.size_field);
    BeginReceive();
    Feed(Concat({item.header, Subpacket(Info(item.size_field), 'k', Escaping::kSender)}));
    Tick();
    EXPECT_EQ(zmodem_.State(), Number(S::kZmodemAwaitBlock));
    EXPECT_EQ(zmodem_.FileSize(), item.size);
    EXPECT_EQ(Heard(10).size(), 10u);
  }
  // Another frame where the file header belongs is only logged.
  BeginReceive();
  Feed(
      Concat({Header(10, 0, Escaping::kSender), Subpacket(Text("hello"), 'k', Escaping::kSender)}));
  DrainLog();
  Tick();
  EXPECT_EQ(zmodem_.State(), Number(S::kZmodemFileHeader));
  EXPECT_FALSE(DrainLog().empty());
  EXPECT_TRUE(Quiet());
}

// Every way a data frame can come wrong is answered with ZRPOS at the last good position, and
// the frame sent again is taken.
TEST_F(ExchangeTest, DamagedFramesAreAskedForAgain) {
  const Bytes first = Plain(1024, 4);
  const Bytes second = Plain(1024, 5);
  const Bytes good =
      Concat({Header(10, 1024, Escaping::kSender), Subpacket(second, 'k', Escaping::kSender)});
  Bytes flipped_data = good;
  flipped_data[120] ^= 0x01;  // a plain letter stays a plain letter
  Bytes flipped_position = good;
  flipped_position[5] ^= 0x10;  // the position's second byte: 1024 becomes 5120
  Bytes lost_end = good;
  lost_end[lost_end.size() - 4] = 'K';  // the end mark's letter
  struct Case {
    const char* what;
    Bytes frame;     // what arrives instead of the good frame
    int silence_ms;  // then this long nothing
    const char* logged;
  } cases[] = {
      {"data byte", flipped_data, 0, nullptr},
      {"header CRC", flipped_position, 0, "Frame damaged."},
      {"too long", Concat({Header(10, 1024, Escaping::kSender), Plain(6000, 6)}), 0,
       "Frame damaged."},
      {"bad escape",
       Concat({Header(10, 1024, Escaping::kSender), Text("ab"), {0x18, 'i', 0x11, 0x11}}), 0,
       "Frame damaged."},
      {"later frame",
       Concat({Header(10, 2048, Escaping::kSender), Subpacket(second, 'k', Escaping::kSender)}), 0,
       "Frame out of place."},
      {"early end", Header(11, 3000, Escaping::kSender), TZmodem::kAskAgainMs, "No data."},
      {"our answer damaged", Header(6, 0, Escaping::kSender), 0, "Answer again."},
      {"end mark lost", lost_end, TZmodem::kAskAgainMs, "No data."},
      {"nothing", {}, TZmodem::kAskAgainMs, "No data."},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.what);
    BeginReceive();
    SendFileHeader(Info("3000 0 100644"));
    Tick();
    Heard(10);
    Feed(Concat({Header(10, 0, Escaping::kSender), Subpacket(first, 'k', Escaping::kSender)}));
    Tick();
    Heard(10);
    if (!item.frame.empty()) Feed(item.frame);
    DrainLog();
    ZmodemTick tick = Tick();
    if (item.silence_ms > 0) {
      EXPECT_TRUE(Quiet());
      clock_ += item.silence_ms;
      tick = Tick();
    }
    // Damage counts a retry; silence does not, the time limits bound it.
    const int counted = item.silence_ms > 0 ? 0 : 1;
    EXPECT_EQ(tick.end, ZmodemEnd::kRunning);
    EXPECT_EQ(tick.retry_changed, counted == 1);
    EXPECT_EQ(zmodem_.RetryCount(), counted);
    const auto log = DrainLog();
    if (item.logged) {
      EXPECT_TRUE(Logged(log, item.logged));
    }
    EXPECT_EQ(Expect(AskAgain(1024)), AskAgain(1024));
    // A frame that was on its way before the request is passed over without an answer.
    Feed(Concat({Header(10, 0, Escaping::kSender), Subpacket(first, 'k', Escaping::kSender)}));
    Tick();
    EXPECT_TRUE(Quiet());
    Feed(good);
    tick = Tick();
    ASSERT_TRUE(tick.progress);
    EXPECT_EQ(zmodem_.RetryCount(), 0);
    EXPECT_EQ(Expect(Header(3, 2048, Escaping::kProgram)), Header(3, 2048, Escaping::kProgram));
    EXPECT_EQ(zmodem_.Position(), 2048u);
    zmodem_.CloseFile();
    EXPECT_EQ(test::ReadFile(path_), Concat({first, second}));
  }
}

TEST_F(ExchangeTest, WhenTheRetriesRunOutTheDamagedFrameIsKept) {
  BeginReceive();
  SendFileHeader(Info("3000 0 100644"));
  Tick();
  Heard(10);
  const Bytes first = Plain(1024, 4);
  Feed(Concat({Header(10, 0, Escaping::kSender), Subpacket(first, 'k', Escaping::kSender)}));
  Tick();
  Heard(10);

  Bytes second = Plain(1024, 5);
  const Bytes good = Subpacket(second, 'k', Escaping::kSender);
  Bytes damaged = good;
  damaged[100] ^= 0x01;
  second[100] ^= 0x01;
  for (int retry = 1; retry < TZmodem::kRetryLimit; ++retry) {
    Feed(Concat({Header(10, 1024, Escaping::kSender), damaged}));
    EXPECT_EQ(Tick().end, ZmodemEnd::kRunning);
    EXPECT_EQ(Expect(AskAgain(1024)), AskAgain(1024));
  }
  Feed(Concat({Header(10, 1024, Escaping::kSender), damaged}));
  DrainLog();
  const ZmodemTick tick = Tick();
  EXPECT_EQ(tick.end, ZmodemEnd::kDamagedFrame);
  EXPECT_EQ(zmodem_.RetryCount(), TZmodem::kRetryLimit);

  Bytes checked = second;
  checked.push_back('k');
  const std::uint16_t computed = test::BitwiseCrc(checked);
  const std::uint8_t high = good[good.size() - 3];
  const std::uint8_t low = good[good.size() - 2];
  EXPECT_TRUE(Logged(DrainLog(), "CRC error. " + Hex4(computed) + " : " + Hex4(low << 8 | high)));
  // The good block, then the damaged data and its trailer for inspection.
  EXPECT_EQ(test::ReadFile(path_), Concat({first, second, {'k', 'k', high, low, 0x11}}));
  EXPECT_TRUE(Quiet());  // no answer, no ZFIN
}

// A streaming sender goes on after a damaged subpacket until our request reaches it. What it
// sent meanwhile is kept once the block sent again shows where it belongs, and the sender is
// asked to go on behind it; when the block cannot show that, it is answered as always.
TEST_F(ExchangeTest, WhatCameWholeAfterTheDamageIsKept) {
  const int kPieces = 6;
  const Bytes data = Plain(kPieces * 1024, 11);
  auto piece = [&](int index, int length = 1024) {
    return Bytes(data.begin() + index * 1024, data.begin() + index * 1024 + length);
  };
  const Bytes good = Subpacket(piece(1), 'i', Escaping::kSender);
  ASSERT_EQ(good[1024], 0x18);
  ASSERT_TRUE(good[1026] != 0x18 && good[1026] != 0x98);
  Bytes data_flipped = good;
  data_flipped[300] ^= 0x04;
  Bytes crc_flipped = good;
  crc_flipped[1026] ^= 0x01;
  Bytes false_escape = good;  // a byte turned into ZDLE takes the next one with it
  false_escape[500] = 0x18;
  false_escape[501] = 'a';
  struct Case {
    const char* what;
    Bytes damaged;   // what came instead of the second subpacket
    int third_flip;  // a byte of the third subpacket flipped too (-1: none)
    int resent;      // bytes of the block sent again
    Bytes answer;    // to that block
  } cases[] = {
      {"data byte", data_flipped, -1, 1024, AskAgain(5 * 1024)},
      {"CRC byte", crc_flipped, -1, 1024, AskAgain(5 * 1024)},
      {"false escape", false_escape, -1, 1024, AskAgain(5 * 1024)},
      {"longer block again", data_flipped, -1, 2048, AskAgain(5 * 1024)},
      {"shorter block again", data_flipped, -1, 512, Header(3, 1536, Escaping::kProgram)},
      {"nothing whole behind", data_flipped, 40, 1024, Header(3, 2048, Escaping::kProgram)},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.what);
    BeginReceive();
    SendFileHeader(Info(std::to_string(data.size()) + " 0 100644"));
    Tick();
    Heard(10);
    Bytes third = Subpacket(piece(2), 'i', Escaping::kSender);
    if (item.third_flip >= 0) third[item.third_flip] ^= 0x01;
    // The damage, and what the sender sent before it heard us: three subpackets and the empty
    // closing one lrzsz sends when it stops streaming.
    Feed(Concat({Header(10, 0, Escaping::kSender), Subpacket(piece(0), 'i', Escaping::kSender),
                 item.damaged, third, Subpacket(piece(3), 'i', Escaping::kSender),
                 Subpacket(piece(4), 'i', Escaping::kSender),
                 Subpacket({}, 'h', Escaping::kSender)}));
    for (int i = 0; i < 10; ++i) Tick();
    EXPECT_EQ(Expect(AskAgain(1024)), AskAgain(1024));
    EXPECT_EQ(zmodem_.RetryCount(), 1);
    Feed(Concat({Header(10, 1024, Escaping::kSender),
                 Subpacket(Bytes(data.begin() + 1024, data.begin() + 1024 + item.resent), 'k',
                           Escaping::kSender)}));
    Tick();
    EXPECT_EQ(Expect(item.answer), item.answer);
    EXPECT_TRUE(Quiet());
    EXPECT_EQ(zmodem_.RetryCount(), 0);
    // The sender goes on from where it was asked to, and the file comes out whole.
    const std::uint32_t from = static_cast<std::uint32_t>(zmodem_.Position());
    Bytes rest = Header(10, from, Escaping::kSender);
    for (std::uint32_t at = from; at < data.size(); at += 1024) {
      const std::uint32_t to = std::min<std::uint32_t>(at + 1024, data.size());
      rest = Concat({rest, Subpacket(Bytes(data.begin() + at, data.begin() + to),
                                     to == data.size() ? 'h' : 'i', Escaping::kSender)});
    }
    Feed(Concat({rest, Header(11, static_cast<std::uint32_t>(data.size()), Escaping::kSender)}));
    ZmodemTick tick;
    for (int i = 0; i < 10 && tick.end == ZmodemEnd::kRunning; ++i) tick = Tick();
    EXPECT_EQ(tick.end, ZmodemEnd::kFinished);
    EXPECT_EQ(Expect(Header(8, 0, Escaping::kProgram)), Header(8, 0, Escaping::kProgram));
    EXPECT_EQ(test::ReadFile(path_), data);
  }
}

// What came after the damage may reach the file's end: the sender is asked for the end, and its
// empty last subpacket and end of file close the transfer.
TEST_F(ExchangeTest, WhatCameAfterTheDamageMayEndTheFile) {
  const Bytes data = Plain(3000, 12);
  BeginReceive();
  SendFileHeader(Info("3000 0 100644"));
  Tick();
  Heard(10);
  Bytes damaged = Subpacket(Bytes(data.begin(), data.begin() + 1024), 'i', Escaping::kSender);
  damaged[10] ^= 0x02;
  Feed(Concat({Header(10, 0, Escaping::kSender), damaged,
               Subpacket(Bytes(data.begin() + 1024, data.begin() + 2048), 'i', Escaping::kSender),
               Subpacket(Bytes(data.begin() + 2048, data.end()), 'h', Escaping::kSender),
               Header(11, 3000, Escaping::kSender)}));
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(Expect(AskAgain(0)), AskAgain(0));
  Feed(Concat({Header(10, 0, Escaping::kSender),
               Subpacket(Bytes(data.begin(), data.begin() + 1024), 'k', Escaping::kSender)}));
  Tick();
  EXPECT_EQ(Expect(AskAgain(3000)), AskAgain(3000));
  EXPECT_EQ(zmodem_.State(), Number(S::kZmodemAwaitBlock));
  Feed(Concat({Header(10, 3000, Escaping::kSender), Subpacket({}, 'h', Escaping::kSender),
               Header(11, 3000, Escaping::kSender)}));
  ZmodemTick tick;
  for (int i = 0; i < 10 && tick.end == ZmodemEnd::kRunning; ++i) tick = Tick();
  EXPECT_EQ(tick.end, ZmodemEnd::kFinished);
  EXPECT_EQ(test::ReadFile(path_), data);
}

// A damaged file header would give a wrong size: the sender is asked for it again with ZNAK.
// A sender that repeats its ZRQINIT or a ZNAK, or stays silent, did not get our ZRINIT.
TEST_F(ExchangeTest, DamagedFileHeaderAndLostGreetingAreAskedForAgain) {
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04x", test::BitwiseCrc({6, 0, 0, 0, 0}));
  const Bytes znak = Concat({Text(std::string("**\x18"
                                              "B0600000000") +
                                  crc),
                             {0x0A, 0x0D, 0x11}});
  const Bytes zrinit = Concat({Text("**\x18"
                                    "B010004000256d3"),
                               {0x0A, 0x0D, 0x11}});
  const Bytes whole = Concat(
      {Header(4, 0, Escaping::kSender), Subpacket(Info("2048 0 100644"), 'k', Escaping::kSender)});
  Bytes size_digit = whole;
  size_digit[10 + 8] ^= 0x04;  // "2048" becomes "6048"
  Bytes header_crc = whole;
  header_crc[8] ^= 0x01;
  struct Case {
    const char* what;
    Bytes arrives;
    int silence_ms;
    Bytes answer;
  } cases[] = {
      {"size digit", size_digit, 0, znak},
      {"header CRC", header_crc, 0, znak},
      {"ZRQINIT again",
       Concat({Text("**\x18"
                    "B00000000000000\r"),
               {0x8A, 0x11}}),
       0, zrinit},
      {"ZNAK", test::HexHeaderOfReceiver(6, 0), 0, zrinit},
      {"silence", {}, TZmodem::kAskAgainMs, zrinit},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.what);
    BeginReceive();
    if (!item.arrives.empty()) Feed(item.arrives);
    clock_ += item.silence_ms;
    const ZmodemTick tick = Tick();
    EXPECT_EQ(tick.end, ZmodemEnd::kRunning);
    EXPECT_EQ(tick.retry_changed, item.silence_ms == 0);
    EXPECT_EQ(zmodem_.State(), Number(S::kZmodemFileHeader));
    EXPECT_EQ(Expect(item.answer), item.answer);
    SendFileHeader(Info("2048 0 100644"));
    Tick();
    EXPECT_EQ(zmodem_.State(), Number(S::kZmodemAwaitBlock));
    EXPECT_EQ(zmodem_.FileSize(), 2048u);
    EXPECT_EQ(zmodem_.RetryCount(), 0);
    EXPECT_EQ(Heard(10).size(), 10u);
  }
}

// The receiver greets once; a second ZRINIT, a ZNAK, or silence after the greeting mean that
// our file header did not reach it whole.
TEST_F(ExchangeTest, SenderRepeatsTheFileHeaderWhenTheReceiverAsks) {
  ASSERT_TRUE(test::WriteFile(path_, Plain(100, 9)));
  const Bytes header = Concat({{0x2A, 0x18, 0x41, 0x04, 0, 0, 0, 0, 0x89, 0x06},
                               Subpacket(Info("100"), 'k', Escaping::kProgram)});
  const Bytes greeting = Text(
      "**\x18"
      "B0100000023be50\r\x8a\x11");
  struct Case {
    const char* what;
    Bytes then;
    int silence_ms;
  } cases[] = {
      {"second ZRINIT", greeting, 0},
      {"ZNAK", test::HexHeaderOfReceiver(6, 0), 0},
      {"silence", {}, TZmodem::kAskAgainMs},
  };
  for (const Case& item : cases) {
    SCOPED_TRACE(item.what);
    zmodem_.Start(TZmodem::Direction::kSend, path_, clock_);
    Tick();
    EXPECT_EQ(Expect(header), header);
    Feed(greeting);
    Tick();
    EXPECT_TRUE(Quiet());  // the greeting itself asks for nothing
    if (!item.then.empty()) Feed(item.then);
    clock_ += item.silence_ms;
    const ZmodemTick tick = Tick();
    EXPECT_EQ(tick.retry_changed, item.silence_ms == 0);
    EXPECT_EQ(Expect(header), header);
    Feed(test::HexHeaderOfReceiver(9, 0));
    Tick();
    EXPECT_EQ(zmodem_.State(), Number(S::kZmodemNextBlock));
    EXPECT_EQ(zmodem_.RetryCount(), 0);
    zmodem_.CloseFile();
  }
}

// Bytes that keep coming without data getting through: noticed after a few seconds, and the
// end after a minute, although the line is never idle.
TEST_F(ExchangeTest, AStallIsShownAndBounded) {
  BeginReceive();
  SendFileHeader(Info("5000"));
  Tick();
  Heard(10);
  const std::uint64_t start = clock_;
  ZmodemTick tick;
  for (std::uint64_t at = start + 1000; at <= start + TZmodem::kStallLimitMs + 1000; at += 1000) {
    Feed(Text("noise"));
    tick = zmodem_.Step(at);
    if (tick.end != ZmodemEnd::kRunning) break;
    EXPECT_EQ(tick.stalled_ms, at - start < TZmodem::kStallNoticeMs ? 0u : at - start);
  }
  EXPECT_EQ(tick.end, ZmodemEnd::kStalled);
}

TEST_F(ExchangeTest, DataBeyondTheAnnouncedSizeIsNotWritten) {
  BeginReceive();
  SendFileHeader(Info("100 0 100644"));
  Tick();
  Heard(10);
  const Bytes block = test::RandomBytes(1024, 7);
  Feed(Concat({Header(10, 0, Escaping::kSender), Subpacket(block, 'k', Escaping::kSender)}));
  EXPECT_EQ(Tick().end, ZmodemEnd::kFinished);
  EXPECT_EQ(test::ReadFile(path_), Bytes(block.begin(), block.begin() + 100));
}

TEST_F(ExchangeTest, ReceiveFileThatCannotBeCreated) {
  path_ = folder_ + "/missing/tmp.gz";
  BeginReceive();
  SendFileHeader(Info("100"));
  const ZmodemTick tick = Tick();
  EXPECT_EQ(tick.end, ZmodemEnd::kFileError);
  EXPECT_EQ(tick.status, kCantOpenDestination);
}

TEST_F(ExchangeTest, SilenceAndHangUpEndTheTransfer) {
  BeginReceive();
  SendFileHeader(Info("5000"));
  Tick();
  Heard(10);
  // Asking again is no sign of life from the far side.
  EXPECT_EQ(zmodem_.Step(clock_ + TZmodem::kDefaultIdleLimitMs).end, ZmodemEnd::kRunning);
  EXPECT_EQ(Expect(AskAgain(0)), AskAgain(0));
  EXPECT_EQ(zmodem_.Step(clock_ + TZmodem::kDefaultIdleLimitMs + 20).end, ZmodemEnd::kTimedOut);

  clock_ += TZmodem::kDefaultIdleLimitMs + 100;
  BeginReceive();
  ::close(pty_.master);
  pty_.master = -1;
  EXPECT_EQ(Tick().end, ZmodemEnd::kLineLost);
}

TEST_F(ExchangeTest, SendWaitsForEachAcknowledgement) {
  Bytes data = test::RandomBytes(2500, 8);
  data[5] = 0x0D;
  data[6] = 0x98;
  ASSERT_TRUE(test::WriteFile(path_, data));
  const Bytes block0(data.begin(), data.begin() + 1024);
  const Bytes block1(data.begin() + 1024, data.begin() + 2048);
  const Bytes block2(data.begin() + 2048, data.end());
  zmodem_.Start(TZmodem::Direction::kSend, path_, clock_);

  // The file header goes out at once, without waiting for the receiver.
  Tick();
  const Bytes info = Info("2500");
  const Bytes header = Concat(
      {{0x2A, 0x18, 0x41, 0x04, 0, 0, 0, 0, 0x89, 0x06}, Subpacket(info, 'k', Escaping::kProgram)});
  EXPECT_EQ(Expect(header), header);
  EXPECT_TRUE(Logged(DrainLog(), Hex4(test::BitwiseCrc(Concat({info, {'k'}})))));
  EXPECT_EQ(zmodem_.State(), Number(S::kZmodemFileHeader));

  Feed(
      Text("rz waiting to receive.**\x18"
           "B0100000023be50\r\x8a\x11"));
  Tick();
  EXPECT_EQ(zmodem_.State(), Number(S::kZmodemFileHeader));
  Feed(test::HexHeaderOfReceiver(9, 0));
  Tick();
  EXPECT_EQ(zmodem_.State(), Number(S::kZmodemNextBlock));
  Tick();
  Bytes frame =
      Concat({Header(10, 0, Escaping::kProgram), Subpacket(block0, 'k', Escaping::kProgram)});
  const Bytes sent = Expect(frame);
  EXPECT_EQ(sent, frame);
  const Bytes escaped_cr = {0x18, 0x4D};
  EXPECT_NE(std::search(sent.begin(), sent.end(), escaped_cr.begin(), escaped_cr.end()),
            sent.end());
  EXPECT_TRUE(Quiet());  // stop and wait

  Feed(test::HexHeaderOfReceiver(3, 1024));
  ZmodemTick tick = Tick();
  ASSERT_TRUE(tick.progress);
  EXPECT_EQ(tick.progress->message, "Sending TITLE data 40% done...");
  frame =
      Concat({Header(10, 1024, Escaping::kProgram), Subpacket(block1, 'k', Escaping::kProgram)});
  EXPECT_EQ(Expect(frame), frame);

  // ZRPOS: the same block again from the same place, and one more retry. A receiver that asks
  // twice for the same place gets the block once: the block on its way answers both.
  Feed(test::HexHeaderOfReceiver(9, 1024));
  tick = Tick();
  EXPECT_TRUE(tick.retry_changed);
  EXPECT_EQ(zmodem_.RetryCount(), 1);
  EXPECT_EQ(Expect(frame), frame);
  Feed(test::HexHeaderOfReceiver(9, 1024));
  EXPECT_FALSE(Tick().retry_changed);
  EXPECT_TRUE(Quiet());

  // A ZRPOS past the block: the receiver has it and only its ZACK was lost, so the next block
  // goes. One that cannot be read, or lies beyond the file, sends the block again.
  Bytes damaged = test::HexHeaderOfReceiver(9, 2048);
  damaged[17] ^= 1;  // a CRC digit
  for (const Bytes& bad : {damaged, test::HexHeaderOfReceiver(9, 4096)}) {
    Feed(bad);
    Tick();
    EXPECT_EQ(Expect(frame), frame);
  }
  Feed(test::HexHeaderOfReceiver(9, 2048));
  Tick();
  EXPECT_EQ(zmodem_.RetryCount(), 4);
  frame =
      Concat({Header(10, 2048, Escaping::kProgram), Subpacket(block2, 'k', Escaping::kProgram)});
  EXPECT_EQ(Expect(frame), frame);
  // The ZACK of the last block lost as well: the receiver stands at the end of the file and
  // gets an empty block there.
  Feed(test::HexHeaderOfReceiver(9, 2500));
  Tick();
  frame = Concat({Header(10, 2500, Escaping::kProgram), Subpacket({}, 'k', Escaping::kProgram)});
  EXPECT_EQ(Expect(frame), frame);

  // An acknowledgement of another place answers a block that went twice: the one for this
  // block is still to come.
  Feed(test::HexHeaderOfReceiver(3, 2048));
  EXPECT_FALSE(Tick().progress);
  EXPECT_TRUE(Quiet());

  // After the last acknowledgement: the abort sequence instead of ZEOF and ZFIN.
  Feed(test::HexHeaderOfReceiver(3, 2500));
  tick = Tick();
  EXPECT_EQ(tick.end, ZmodemEnd::kFinished);
  EXPECT_EQ(tick.progress->message, "Sending TITLE data 100% done...");
  EXPECT_EQ(Expect(zmodem::AbortSequence()), zmodem::AbortSequence());
  EXPECT_TRUE(Quiet());
}

TEST_F(ExchangeTest, SendOfAMissingFileSendsNothingAtAll) {
  zmodem_.Start(TZmodem::Direction::kSend, folder_ + "/none.gz", clock_);
  Tick();
  const Bytes header = Concat({{0x2A, 0x18, 0x41, 0x04, 0, 0, 0, 0, 0x89, 0x06},
                               Subpacket(Info("0"), 'k', Escaping::kProgram)});
  EXPECT_EQ(Expect(header), header);
  Feed(test::HexHeaderOfReceiver(9, 0));
  Tick();
  Tick();
  const Bytes frame =
      Concat({Header(10, 0, Escaping::kProgram), Subpacket({}, 'k', Escaping::kProgram)});
  EXPECT_EQ(Expect(frame), frame);
  Feed(test::HexHeaderOfReceiver(3, 0));
  EXPECT_EQ(Tick().end, ZmodemEnd::kFinished);
}

TEST(TransferProgressTest, PercentSpeedAndRemainingTime) {
  TransferProgress progress = MakeProgress(kReceiveProgressText, 512, 2048, 1000);
  EXPECT_EQ(progress.percent, 25);
  EXPECT_EQ(progress.message, "Receving TITLE data 25% done...");
  EXPECT_EQ(progress.bits_per_second, 4096u);
  EXPECT_TRUE(progress.has_remaining);
  EXPECT_EQ(progress.remaining_seconds, 3u);

  progress = MakeProgress(kSendProgressText, 0, 0, 0);
  EXPECT_EQ(progress.message, "Sending TITLE data 100% done...");
  EXPECT_EQ(progress.bits_per_second, 0u);
  EXPECT_FALSE(progress.has_remaining);
  EXPECT_EQ(MakeProgress(kSendProgressText, 1000, 3000, 0).bits_per_second, 8000000u);
}

}  // namespace
}  // namespace orb
