#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The far side of ZMODEM as the tests play it, written apart from the
// program's own code: a bitwise CRC, frame builders in either side's escaping,
// a header reader, and a sender that behaves like the console's sz.
namespace orb::test {

using Bytes = std::vector<std::uint8_t>;

std::uint16_t BitwiseCrc(const Bytes& bytes);

// Escaping as the program does it (also CR, 0x7F and 0xFF) or as lrzsz does.
enum class Escaping { kProgram, kSender };

Bytes Header(std::uint8_t type, std::uint32_t position, Escaping escaping);
// Lower-case digits, CR, 0x8A and an XON except after ZACK and ZFIN, as lrzsz sends them.
Bytes HexHeaderOfReceiver(std::uint8_t type, std::uint32_t position);
Bytes Subpacket(const Bytes& data, std::uint8_t end, Escaping escaping);
Bytes Concat(std::initializer_list<Bytes> parts);

struct ParsedHeader {
  std::uint8_t type = 0;
  std::uint32_t position = 0;
  bool crc_ok = false;
};
// Reads the next binary header at or after *cursor; false while incomplete.
// On success *cursor is moved past it.
bool ParseBinaryHeader(const Bytes& bytes, std::size_t* cursor, ParsedHeader* header);

// A sender like the console's sz, on the far end of a terminal. End 'k': one
// ZCRCW subpacket per ZDATA frame, each answered; 'i': one frame of ZCRCG
// subpackets and a closing ZCRCE, then ZEOF; 'j': ZCRCQ subpackets, each
// answered, and a closing ZCRCE.
struct ConsoleSender {
  Bytes data;
  std::uint8_t end = 'k';
  int block = 1024;
  int timeout_ms = 30000;
  Bytes heard;  // everything the program sent
  std::string error;
  void Run(int fd);
};

// What the program must send while receiving `size` bytes from that sender.
Bytes ExpectedReceiverBytes(std::size_t size, std::uint8_t end, int block = 1024);

}  // namespace orb::test
