#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/Serial.h"
#include "tests/core/link/TestZmodem.h"
#include "tests/core/model/TestRecords.h"
#include "tests/support/PtyLink.h"

namespace orb {
namespace {

using test::Bytes;
using test::Concat;
using test::DrainLog;
using test::Escaping;

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

std::uint16_t Crc(const Bytes& bytes) {
  return TSerial::Crc16(bytes.data(), static_cast<int>(bytes.size()));
}

// A block without any byte that needs escaping.
Bytes PlainBlock(std::size_t size, unsigned seed) {
  Bytes bytes = test::RandomBytes(size, seed);
  for (auto& byte : bytes) {
    if ((byte & 0x7F) < 0x20 || (byte & 0x7F) == 0x7F) byte = 'a' + byte % 26;
  }
  return bytes;
}

// A TSerial whose receive buffer is filled by hand; ReadLine and FrameLength
// need an open port, and a pseudo-terminal nobody writes to never delivers anything.
class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Open());
    ASSERT_GE(serial_.OpenPort(pty_.slave_path), 0);
    DrainLog();
  }
  void TearDown() override { DrainLog(); }
  void Put(const Bytes& bytes) {
    ASSERT_EQ(serial_.Deliver(bytes.data(), static_cast<int>(bytes.size())),
              static_cast<int>(bytes.size()));
  }
  void Drop(int count) { serial_.Consume(count, nullptr); }
  Bytes Buffer() const { return Bytes(serial_.Data(), serial_.Data() + serial_.Length()); }
  test::RawPty pty_;  // declared first, so that the port closes before the terminal goes
  TSerial serial_;
};

TEST(ZmodemCrcTest, CheckValues) {
  EXPECT_EQ(Crc(Text("123456789")), 0x31C3);
  EXPECT_EQ(Crc({0x09, 0, 0, 0, 0}), 0xA87C);
  EXPECT_EQ(Crc({0x04, 0, 0, 0, 0}), 0x8906);
  EXPECT_EQ(Crc({0x01, 0x00, 0x04, 0x00, 0x02}), 0x56D3);
  EXPECT_EQ(Crc({}), 0);
  for (unsigned seed = 1; seed < 20; ++seed) {
    const Bytes bytes = test::RandomBytes(seed * 97, seed);
    EXPECT_EQ(Crc(bytes), test::BitwiseCrc(bytes)) << seed;
  }
}

TEST(ZmodemEscapeTest, EscapesExactlyTheControlBytes) {
  for (int value = 0; value < 256; ++value) {
    std::uint8_t area[4] = {static_cast<std::uint8_t>(value)};
    const int n = TSerial::ZdleEscape(area, 1, sizeof area);
    const bool escaped = value == 0x0D || value == 0x10 || value == 0x11 || value == 0x13 ||
                         value == 0x18 || value == 0x8D || value == 0x90 || value == 0x91 ||
                         value == 0x93 || value == 0x7F || value == 0xFF;
    ASSERT_EQ(n, escaped ? 2 : 1) << value;
    if (escaped) {
      EXPECT_EQ(area[0], 0x18);
      EXPECT_EQ(area[1], value == 0x7F ? 'l' : value == 0xFF ? 'm' : value ^ 0x40) << value;
    }
  }
  std::uint8_t block[8] = {'a', 0x0D, 0x98, 'b'};
  ASSERT_EQ(TSerial::ZdleEscape(block, 4, sizeof block), 5);
  EXPECT_EQ(Bytes(block, block + 5), (Bytes{'a', 0x18, 0x4D, 0x98, 'b'}));
  // No room for the growth: nothing is touched.
  std::uint8_t tight[3] = {0x18, 0x18, 'x'};
  EXPECT_EQ(TSerial::ZdleEscape(tight, 3, 4), -1);
  EXPECT_EQ(Bytes(tight, tight + 3), (Bytes{0x18, 0x18, 'x'}));
}

TEST(ZmodemEscapeTest, DecodingUndoesEscapingOfEveryByte) {
  Bytes all;
  for (int value = 0; value < 256; ++value) all.push_back(static_cast<std::uint8_t>(value));
  all.push_back('z');  // the last byte is never decoded
  Bytes area = all;
  area.resize(all.size() * 2);
  const int escaped =
      TSerial::ZdleEscape(area.data(), static_cast<int>(all.size()), static_cast<int>(area.size()));
  ASSERT_GT(escaped, 0);
  const int decoded = TSerial::ZdleUnescape(area.data(), escaped);
  EXPECT_EQ(Bytes(area.begin(), area.begin() + decoded), all);
  DrainLog();
}

TEST(ZmodemEscapeTest, DecodingKeepsFrameMarksAndDropsFlowControl) {
  Bytes frame = {0x18, 0x58, 0x18, 0x6C, 0x18, 0x6D, 0x18, 0x4D, 0x18, 0xCD, 0x18, 0xD1,
                 0x11, 'a',  0x93, '*',  0x18, 'A',  0x18, 'k',  0x18, 0x41, 0x13, 0x11};
  const int n = TSerial::ZdleUnescape(frame.data(), static_cast<int>(frame.size()));
  EXPECT_EQ(Bytes(frame.begin(), frame.begin() + n),
            (Bytes{0x18, 0x7F, 0xFF, 0x0D, 0x8D, 0x91, 'a', '*', 0x18, 'A', 0x18, 'k', 0x18, 0x41,
                   0x11}));
  EXPECT_EQ(DrainLog(), (std::vector<std::string>{"0x11", "0x93", "0x13"}));
}

TEST(ZmodemFramesTest, StoredFramesAndHeaders) {
  EXPECT_EQ(zmodem::HexZrinit(), Concat({Text("**\x18"
                                              "B010004000256d3"),
                                         {0x0A, 0x0D, 0x11}}));
  EXPECT_EQ(zmodem::HexZrinit().size(), 21u);
  EXPECT_EQ(zmodem::BinaryHeader(9, 0), (Bytes{0x2A, 0x18, 0x41, 0x09, 0, 0, 0, 0, 0xA8, 0x7C}));
  EXPECT_EQ(zmodem::BinaryHeader(4, 0), (Bytes{0x2A, 0x18, 0x41, 0x04, 0, 0, 0, 0, 0x89, 0x06}));
  for (std::uint32_t position : {0u, 1024u, 0x1318u, 0x7F11FF0Du, 0x98989898u}) {
    EXPECT_EQ(zmodem::BinaryHeader(3, position), test::Header(3, position, Escaping::kProgram))
        << position;
    EXPECT_EQ(zmodem::BinaryHeader(8, position), test::Header(8, position, Escaping::kProgram));
  }
  EXPECT_EQ(zmodem::AbortSequence(), Concat({Text("**"), Bytes(8, 0x18), Bytes(10, 0x08)}));
}

TEST(ZmodemFramesTest, DataSubpacketsEndWithZcrcwAndXon) {
  for (const Bytes& block : {Bytes{},
                             Text("data.gz\0"
                                  "2048\0"),
                             test::RandomBytes(1024, 3), test::RandomBytes(517, 4)}) {
    const Bytes packet = zmodem::DataSubpacket(block.data(), static_cast<int>(block.size()));
    EXPECT_EQ(packet, test::Subpacket(block, 'k', Escaping::kProgram));
    EXPECT_EQ(packet.back(), 0x11);
  }
}

TEST_F(FrameTest, DataFrameOf1039BytesCountsOnlyWhenComplete) {
  const Bytes frame = Concat({test::Header(10, 0, Escaping::kSender),
                              test::Subpacket(PlainBlock(1024, 9), 'k', Escaping::kSender)});
  ASSERT_EQ(frame.size(), 1039u);
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
    Put({frame[i]});
    ASSERT_EQ(serial_.FrameLength(), 0) << i;
  }
  Put({frame.back()});
  EXPECT_EQ(serial_.FrameLength(), 1039);
  EXPECT_EQ(serial_.Length(), 1039);
}

TEST_F(FrameTest, BytesBeforeAHeaderAreDropped) {
  Put(Text("rz\r"));
  EXPECT_EQ(serial_.FrameLength(), 0);
  EXPECT_EQ(Buffer(), Text("z\r"));  // the start of a header might be cut off
  Put(Concat({{0x8A, 0x11}, test::Header(9, 0x1318, Escaping::kSender), Text("tail")}));
  EXPECT_EQ(serial_.FrameLength(), 12);  // two escapes in the header
  EXPECT_EQ(serial_.Data()[0], '*');
  int n = 12;
  serial_.Consume(n, nullptr);
  EXPECT_EQ(serial_.FrameLength(), 0);
  EXPECT_EQ(Buffer(), Text("il"));
}

TEST_F(FrameTest, FrameTypes) {
  // ZACK and ZEOF are headers alone; an unknown type is skipped a byte at a time.
  Put(test::Header(3, 2048, Escaping::kSender));
  EXPECT_EQ(serial_.FrameLength(), 10);
  Drop(10);
  Put(test::Header(11, 0x1388, Escaping::kSender));
  EXPECT_EQ(serial_.FrameLength(), 11);
  Drop(11);
  Put(test::Header(2, 0, Escaping::kSender));
  EXPECT_EQ(serial_.FrameLength(), 1);
  Drop(10);

  // ZFILE: header and its subpacket with the XON behind it.
  const Bytes zfile = Concat(
      {test::Header(4, 0, Escaping::kSender), test::Subpacket(Text(std::string("data.gz\0"
                                                                               "2048 1 644\0",
                                                                               20)),
                                                              'k', Escaping::kSender)});
  Put(zfile);
  EXPECT_EQ(serial_.FrameLength(), static_cast<int>(zfile.size()));
  Drop(1000);
}

TEST_F(FrameTest, SubpacketEnds) {
  const Bytes data = PlainBlock(100, 2);
  // ZCRCG and ZCRCE have no XON; what follows is left for the next frame.
  for (std::uint8_t end : {'h', 'i', 'j'}) {
    const Bytes frame = Concat(
        {test::Header(10, 0, Escaping::kSender), test::Subpacket(data, end, Escaping::kSender)});
    Put(Concat({frame, test::Header(11, 100, Escaping::kSender)}));
    EXPECT_EQ(serial_.FrameLength(), static_cast<int>(frame.size())) << end;
    Drop(1000);
  }
  // After ZCRCW the next byte is awaited and taken only when it is an XON.
  Bytes frame = Concat(
      {test::Header(10, 0, Escaping::kSender), test::Subpacket(data, 'k', Escaping::kSender)});
  frame.pop_back();
  Put(frame);
  EXPECT_EQ(serial_.FrameLength(), 0);
  Put(test::Header(11, 100, Escaping::kSender));
  EXPECT_EQ(serial_.FrameLength(), static_cast<int>(frame.size()));
  Drop(1000);

  // A CRC byte that needed escaping makes the frame longer.
  Bytes escaped_crc;
  for (unsigned seed = 0; escaped_crc.empty(); ++seed) {
    const Bytes candidate = test::Subpacket(PlainBlock(10, seed), 'i', Escaping::kSender);
    if (candidate.size() > 14) escaped_crc = candidate;
  }
  Put(Concat({test::Header(10, 0, Escaping::kSender), escaped_crc}));
  EXPECT_EQ(serial_.FrameLength(), static_cast<int>(10 + escaped_crc.size()));
  std::uint8_t end = 0;
  EXPECT_EQ(zmodem::SubpacketLength(serial_.Data(), serial_.Length(), 10, &end),
            static_cast<int>(10 + escaped_crc.size()));
  EXPECT_EQ(end, 'i');
}

TEST_F(FrameTest, EndlessFrameIsReportedAsTooLong) {
  Put(test::Header(10, 0, Escaping::kSender));
  Put(PlainBlock(zmodem::kFrameLimit - 10, 5));
  EXPECT_EQ(serial_.FrameLength(), 0);
  Put({'x'});
  EXPECT_EQ(serial_.FrameLength(), zmodem::kFrameLimit + 1);
  // The same when its end lies beyond the limit.
  Put(test::Subpacket({}, 'k', Escaping::kSender));
  EXPECT_EQ(serial_.FrameLength(), zmodem::kFrameLimit + 1);
}

}  // namespace
}  // namespace orb
