#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <string>
#include <thread>
#include <vector>

#include "core/link/Zmodem.h"
#include "core/model/DebugLog.h"
#include "tests/core/link/TestZmodem.h"
#include "tests/core/model/TestRecords.h"
#include "tests/support/PtyLink.h"

// Transfers against the real lrzsz and a console-like sender of our own, over
// pseudo-terminals joined by a relay that paces them like a 38400 baud line.
namespace orb {
namespace {

using test::Bytes;
using test::DrainLog;
using test::Drive;
using test::DriveResult;
using test::Line;
using test::PacedRelay;
using test::Peer;

constexpr int kFast = 10 * test::kLineRate;  // for files whose size, not pace, is the point
constexpr int kUnpaced = 0;

// Time a transfer may take: its bytes at the pace with room for escapes and a
// busy machine, and a fixed margin for starting up.
int Allowance(std::size_t size, int rate) {
  const std::size_t paced = rate > 0 ? size * 1000 / rate : size / 50;
  return static_cast<int>(paced * 2) + 30000;
}

Bytes WithEveryEscape() {
  Bytes bytes;
  const Bytes special = {0x10, 0x11, 0x13, 0x18, 0x7F, 0x8D, 0x90, 0x91, 0x93, 0x98,
                         0xFF, 0x0D, 0x0A, '*',  0x00, 0x2A, 0x18, 'k',  0x18, 'h'};
  for (int round = 0; round < 40; ++round) {
    bytes.insert(bytes.end(), special.begin(), special.end());
    bytes.push_back('@');
    bytes.push_back(0x0D);  // lrzsz escapes CR after "@"
  }
  for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::HaveProgram("sz") && test::HaveProgram("rz")) << "lrzsz is not installed";
    folder_ = test::MakeTempFolder();
    ASSERT_FALSE(folder_.empty());
    target_ = folder_ + "/tmp.gz";
  }
  void TearDown() override {
    test::RemoveFolder(folder_);
    DrainLog();
  }

  // Bit errors on the line: one byte in one_in each way, and the flips that happened.
  struct Noise {
    std::uint32_t one_in = 0;
    unsigned seed = 1;
    std::uint64_t from = 0;  // the first byte it may hit
    std::uint64_t flipped[2] = {0, 0};
    void Apply(PacedRelay& relay) const {
      relay.SetNoise(PacedRelay::kToPeer, one_in, seed, from);
      relay.SetNoise(PacedRelay::kToProgram, one_in, seed + 100, from);
    }
    void Count(const PacedRelay& relay) {
      for (auto direction : {PacedRelay::kToPeer, PacedRelay::kToProgram})
        flipped[direction] = relay.Flipped(direction);
    }
  };

  // The program receives what the real sz sends.
  DriveResult ReceiveFromSz(const Bytes& data, int rate,
                            const std::vector<PacedRelay::Rule>& rules = {}, Noise* noise = nullptr,
                            std::uint64_t idle_limit_ms = 0) {
    Line line(rate);
    EXPECT_TRUE(line.ok());
    for (const auto& rule : rules) line.relay().AddRule(rule);
    if (noise) noise->Apply(line.relay());
    EXPECT_TRUE(test::WriteFile(folder_ + "/data.gz", data));
    line.Start();
    Peer sz;
    EXPECT_TRUE(sz.Spawn({"sz", "data.gz"}, line.peer_tty(), folder_, folder_ + "/sz.log"));
    line.ReleasePeerTty();
    TZmodem zmodem(line.serial());
    if (idle_limit_ms > 0) zmodem.SetIdleLimit(idle_limit_ms);
    zmodem.Start(TZmodem::Direction::kReceive, target_, test::NowMs());
    // A noisy line may take a few times as long.
    const int allowance = Allowance(data.size() * (noise ? 4 : 1), rate);
    DriveResult result = Drive(line.serial(), zmodem, allowance);
    if (noise) noise->Count(line.relay());
    // After a finished transfer sz ends by itself; otherwise it would wait on.
    if (!sz.Wait(result.end == ZmodemEnd::kFinished ? 5000 : 0)) sz.Kill();
    return result;
  }

  // The program sends to the real rz; returns what rz stored.
  DriveResult SendToRz(const Bytes& data, int rate, Bytes* stored,
                       const std::vector<PacedRelay::Rule>& rules = {}, Noise* noise = nullptr) {
    Line line(rate);
    EXPECT_TRUE(line.ok());
    for (const auto& rule : rules) line.relay().AddRule(rule);
    if (noise) noise->Apply(line.relay());
    const std::string source = folder_ + "/tmp.gz";
    const std::string inbox = folder_ + "/inbox";
    EXPECT_TRUE(test::WriteFile(source, data));
    EXPECT_EQ(::mkdir(inbox.c_str(), 0755), 0);
    line.Start();
    Peer rz;
    // -U keeps the file after the abort sequence, -y replaces an old one.
    EXPECT_TRUE(rz.Spawn({"rz", "-U", "-y"}, line.peer_tty(), inbox, folder_ + "/rz.log"));
    line.ReleasePeerTty();
    TZmodem zmodem(line.serial());
    zmodem.Start(TZmodem::Direction::kSend, source, test::NowMs());
    DriveResult result =
        Drive(line.serial(), zmodem, Allowance(data.size() * (noise ? 4 : 1), rate));
    if (noise) noise->Count(line.relay());
    // rz ends on the abort sequence and only then has its file complete.
    EXPECT_TRUE(rz.Wait(10000));
    *stored = test::ReadFile(inbox + "/data.gz");
    return result;
  }

  // The program receives from the console-like sender of the tests.
  void ReceiveFromOwnSender(const Bytes& data, std::uint8_t end, int rate) {
    Line line(rate);
    ASSERT_TRUE(line.ok());
    line.Start();
    test::ConsoleSender sender;
    sender.data = data;
    sender.end = end;
    std::thread peer([&] { sender.Run(line.peer_tty()); });
    TZmodem zmodem(line.serial());
    zmodem.Start(TZmodem::Direction::kReceive, target_, test::NowMs());
    const DriveResult result = Drive(line.serial(), zmodem, Allowance(data.size(), rate));
    peer.join();
    EXPECT_EQ(result.end, ZmodemEnd::kFinished);
    EXPECT_EQ(sender.error, "");
    EXPECT_EQ(test::ReadFile(target_), data);
    EXPECT_EQ(sender.heard, test::ExpectedReceiverBytes(data.size(), end));
  }

  std::string folder_;
  std::string target_;
};

TEST_F(LinkTest, ReceivesFromRealSz) {
  for (std::size_t size : {0, 1, 1023, 1024, 1025}) {
    SCOPED_TRACE(size);
    const Bytes data = test::RandomBytes(size, 7 + static_cast<unsigned>(size));
    const DriveResult result = ReceiveFromSz(data, test::kLineRate);
    EXPECT_EQ(result.end, ZmodemEnd::kFinished);
    EXPECT_EQ(test::ReadFile(target_), data);
  }
}

TEST_F(LinkTest, SendsToRealRz) {
  for (std::size_t size : {0, 1, 1023, 1024, 1025}) {
    SCOPED_TRACE(size);
    const Bytes data = test::RandomBytes(size, 11 + static_cast<unsigned>(size));
    Bytes stored;
    const DriveResult result = SendToRz(data, test::kLineRate, &stored);
    EXPECT_EQ(result.end, ZmodemEnd::kFinished);
    EXPECT_EQ(stored, data);
    test::RemoveFolder(folder_ + "/inbox");
  }
}

TEST_F(LinkTest, EscapedBytesBothWays) {
  const Bytes data = WithEveryEscape();
  EXPECT_EQ(ReceiveFromSz(data, test::kLineRate).end, ZmodemEnd::kFinished);
  EXPECT_EQ(test::ReadFile(target_), data);
  Bytes stored;
  EXPECT_EQ(SendToRz(data, test::kLineRate, &stored).end, ZmodemEnd::kFinished);
  EXPECT_EQ(stored, data);
}

// sz runs ahead of the line by what the terminals buffer; the program must
// keep up with its stream for the whole file.
TEST_F(LinkTest, LargeFileFromSzAtLineRate) {
  const Bytes data = test::RandomBytes(64 * 1024, 5);
  const DriveResult result = ReceiveFromSz(data, test::kLineRate);
  EXPECT_EQ(result.end, ZmodemEnd::kFinished);
  EXPECT_EQ(test::ReadFile(target_), data);
  ASSERT_FALSE(result.progress.empty());
  EXPECT_EQ(result.progress.back(), "Receving TITLE data 100% done...");
}

TEST_F(LinkTest, LargeFileToRzAtLineRate) {
  const Bytes data = test::RandomBytes(64 * 1024, 6);
  Bytes stored;
  const DriveResult result = SendToRz(data, test::kLineRate, &stored);
  EXPECT_EQ(result.end, ZmodemEnd::kFinished);
  EXPECT_EQ(stored, data);
  EXPECT_EQ(result.progress.size(), 64u);  // one acknowledgement per block
}

// The paced megabyte belongs to the benchmark; here it goes as fast as the
// terminals take it.
TEST_F(LinkTest, MegabyteBothWaysUnpaced) {
  const Bytes data = test::RandomBytes(1024 * 1024, 9);
  EXPECT_EQ(ReceiveFromSz(data, kUnpaced).end, ZmodemEnd::kFinished);
  EXPECT_EQ(test::ReadFile(target_), data);
  Bytes stored;
  EXPECT_EQ(SendToRz(data, kUnpaced, &stored).end, ZmodemEnd::kFinished);
  EXPECT_EQ(stored, data);
  ReceiveFromOwnSender(data, 'k', kUnpaced);
}

// The console's own sz sends one ZCRCW subpacket per frame and waits for each
// answer; what the program sends must then be exactly the original exchange.
TEST_F(LinkTest, ConsoleLikeSender) {
  std::vector<Bytes> files;
  for (std::size_t size : {0, 1, 1023, 1024, 1025}) {
    files.push_back(test::RandomBytes(size, 13 + static_cast<unsigned>(size)));
  }
  files.push_back(WithEveryEscape());
  for (const Bytes& data : files) {
    SCOPED_TRACE(data.size());
    ReceiveFromOwnSender(data, 'k', test::kLineRate);
  }
  ReceiveFromOwnSender(test::RandomBytes(64 * 1024, 14), 'k', kFast);
}

TEST_F(LinkTest, StreamingSenders) {
  const Bytes data = test::RandomBytes(5000, 15);
  ReceiveFromOwnSender(data, 'i', test::kLineRate);
  ReceiveFromOwnSender(data, 'j', test::kLineRate);
}

// One damaged byte costs one retry: sz goes back to the block.
TEST_F(LinkTest, CorruptedByteFromSzIsSentAgain) {
  const Bytes data(8192, 'A');  // so that the damaged byte is a data byte
  DrainLog();
  const DriveResult result =
      ReceiveFromSz(data, test::kLineRate, {{PacedRelay::kToProgram, 600, 0x01, 0}});
  EXPECT_EQ(result.end, ZmodemEnd::kFinished);
  EXPECT_EQ(result.retries, 1);
  bool logged = false;
  for (const std::string& line : DrainLog()) logged = logged || line.rfind("CRC error. ", 0) == 0;
  EXPECT_TRUE(logged);
  EXPECT_EQ(test::ReadFile(target_), data);
}

// Bit errors in both directions, at a rate that damages about one frame in three: every
// transfer ends byte-exact, by retries alone.
TEST_F(LinkTest, NoisyLineBothWays) {
  const Bytes data = test::RandomBytes(16 * 1024, 21);
  Noise noise{3000, 1};
  EXPECT_EQ(ReceiveFromSz(data, test::kLineRate, {}, &noise).end, ZmodemEnd::kFinished);
  EXPECT_EQ(test::ReadFile(target_), data);
  EXPECT_GT(noise.flipped[PacedRelay::kToProgram], 0u);

  noise = Noise{3000, 201};
  Bytes stored;
  EXPECT_EQ(SendToRz(data, test::kLineRate, &stored, {}, &noise).end, ZmodemEnd::kFinished);
  EXPECT_EQ(stored, data);
  EXPECT_GT(noise.flipped[PacedRelay::kToPeer], 0u);
}

// Once the file header is through, a line that damages every frame, however short: the
// transfer ends on its retries (or on sz giving up first) before a minute without progress,
// instead of going on as long as bytes keep coming.
TEST_F(LinkTest, AHopelessLineEndsTheTransfer) {
  const Bytes data = test::RandomBytes(16 * 1024, 22);
  Noise noise{5, 5, 200};
  const DriveResult result = ReceiveFromSz(data, test::kLineRate, {}, &noise, 5000);
  EXPECT_TRUE(result.end == ZmodemEnd::kDamagedFrame || result.end == ZmodemEnd::kTimedOut)
      << static_cast<int>(result.end);
  EXPECT_LT(result.elapsed_ms, TZmodem::kStallLimitMs);
}

// One bad byte in our file header: rz asks again, and gets it again at once instead of
// re-asking for minutes.
TEST_F(LinkTest, DamagedFileHeaderToRzIsSentAgain) {
  const Bytes data = test::RandomBytes(3000, 23);
  for (std::uint64_t index : {4, 15}) {  // in the header, in the name
    SCOPED_TRACE(index);
    Bytes stored;
    const DriveResult result =
        SendToRz(data, test::kLineRate, &stored, {{PacedRelay::kToPeer, index, 0x01, 0}});
    EXPECT_EQ(result.end, ZmodemEnd::kFinished);
    EXPECT_GE(result.retries, 1);
    EXPECT_LT(result.elapsed_ms, 10000u);
    EXPECT_EQ(stored, data);
    test::RemoveFolder(folder_ + "/inbox");
  }
}

TEST_F(LinkTest, RzAsksForABlockAgain) {
  const Bytes data = test::RandomBytes(5000, 16);
  Bytes stored;
  const DriveResult result =
      SendToRz(data, test::kLineRate, &stored, {{PacedRelay::kToPeer, 2000, 0x01, 0}});
  EXPECT_EQ(result.end, ZmodemEnd::kFinished);
  EXPECT_GE(result.retries, 1);
  EXPECT_EQ(stored, data);
}

// rz's acknowledgement of the second block is damaged on the way, so the program waits; rz
// times out and asks for the position after the block it has. The program goes on from there.
TEST_F(LinkTest, LostAcknowledgementResumesWhereRzStands) {
  const Bytes data = test::RandomBytes(5000, 17);
  Bytes stored;
  // The ZACK of 2048 begins at byte 65 of what rz sends (62 without its leading "rz\r"):
  // damaging bytes 66 to 68 breaks its "*\x18B03" either way.
  std::vector<PacedRelay::Rule> rules;
  for (std::uint64_t index : {66, 67, 68})
    rules.push_back({PacedRelay::kToProgram, index, 0x01, 0});
  const DriveResult result = SendToRz(data, test::kLineRate, &stored, rules);
  EXPECT_EQ(result.end, ZmodemEnd::kFinished);
  EXPECT_GE(result.retries, 1);
  EXPECT_EQ(stored, data);
}

// A real serial line does not tell that the far side is gone: the transfer
// ends on the silence.
TEST_F(LinkTest, PeerDiesMidTransfer) {
  const Bytes data = test::RandomBytes(64 * 1024, 17);
  ASSERT_TRUE(test::WriteFile(folder_ + "/data.gz", data));
  {
    Line line(test::kLineRate);
    ASSERT_TRUE(line.ok());
    line.Start();
    Peer sz;
    ASSERT_TRUE(sz.Spawn({"sz", "data.gz"}, line.peer_tty(), folder_));
    line.ReleasePeerTty();
    TZmodem zmodem(line.serial());
    zmodem.SetIdleLimit(2000);
    zmodem.Start(TZmodem::Direction::kReceive, target_, test::NowMs());
    const DriveResult result = Drive(line.serial(), zmodem, 60000, false, [&](const ZmodemTick&) {
      if (zmodem.Position() > 4096 && sz.Running()) sz.Kill();
    });
    EXPECT_EQ(result.end, ZmodemEnd::kTimedOut);
    EXPECT_LT(zmodem.Position(), data.size());
  }
  {
    Line line(test::kLineRate);
    ASSERT_TRUE(line.ok());
    const std::string inbox = folder_ + "/inbox";
    ASSERT_EQ(::mkdir(inbox.c_str(), 0755), 0);
    line.Start();
    Peer rz;
    ASSERT_TRUE(rz.Spawn({"rz", "-U", "-y"}, line.peer_tty(), inbox));
    line.ReleasePeerTty();
    TZmodem zmodem(line.serial());
    zmodem.SetIdleLimit(2000);
    zmodem.Start(TZmodem::Direction::kSend, folder_ + "/data.gz", test::NowMs());
    const DriveResult result = Drive(line.serial(), zmodem, 60000, false, [&](const ZmodemTick&) {
      if (zmodem.Position() > 4096 && rz.Running()) rz.Kill();
    });
    EXPECT_EQ(result.end, ZmodemEnd::kTimedOut);
  }
}

TEST_F(LinkTest, HangUpMidTransfer) {
  const Bytes data = test::RandomBytes(64 * 1024, 18);
  ASSERT_TRUE(test::WriteFile(folder_ + "/data.gz", data));
  Line line(test::kLineRate);
  ASSERT_TRUE(line.ok());
  line.Start();
  Peer sz;
  ASSERT_TRUE(sz.Spawn({"sz", "data.gz"}, line.peer_tty(), folder_));
  line.ReleasePeerTty();
  TZmodem zmodem(line.serial());
  zmodem.Start(TZmodem::Direction::kReceive, target_, test::NowMs());
  bool hung_up = false;
  const DriveResult result = Drive(line.serial(), zmodem, 60000, false, [&](const ZmodemTick&) {
    if (zmodem.Position() > 4096 && !hung_up) {
      line.HangUp();
      hung_up = true;
    }
  });
  EXPECT_TRUE(hung_up);
  EXPECT_EQ(result.end, ZmodemEnd::kLineLost);
  EXPECT_FALSE(line.serial().WriteBytes(zmodem::AbortSequence()));
  sz.Kill();
}

// On a real line the last byte of the ZRINIT can arrive after sz has read the
// rest and switched on XON/XOFF; it must not stop sz.
TEST_F(LinkTest, LateLastByteOfTheZrinit) {
  const Bytes data = test::RandomBytes(8192, 19);
  const DriveResult result =
      ReceiveFromSz(data, test::kLineRate, {{PacedRelay::kToPeer, 20, 0, 500}});
  EXPECT_EQ(result.end, ZmodemEnd::kFinished);
  EXPECT_EQ(test::ReadFile(target_), data);
}

}  // namespace
}  // namespace orb
