// TSerial: the program's one connection to the console, a serial device in raw mode.
#pragma once

#include <termios.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The program's one connection to the console: a serial device in raw mode at
// 38400 baud, 8N1, driven by timers without threads, and the ZMODEM framing
// helpers that work on what it has received.
namespace orb {

// Protocol bytes and frame types of ZMODEM, by their published names.
namespace zmodem {
inline constexpr std::uint8_t kZpad = '*';
inline constexpr std::uint8_t kZdle = 0x18;
inline constexpr std::uint8_t kZbin = 'A';
inline constexpr std::uint8_t kZhex = 'B';
inline constexpr std::uint8_t kZcrce = 'h';  // end of frame, a header follows
inline constexpr std::uint8_t kZcrcg = 'i';  // more subpackets follow, no answer expected
inline constexpr std::uint8_t kZcrcq = 'j';  // more subpackets follow, answer with ZACK
inline constexpr std::uint8_t kZcrcw = 'k';  // end of frame, answer with ZACK
inline constexpr std::uint8_t kXon = 0x11;

// The start of a binary header (ZPAD ZDLE ZBIN): whether `bytes` begin with one, and where the
// first one in the n bytes begins (n when none does).
inline bool BinaryHeaderAt(const std::uint8_t* bytes, int n) {
  return n >= 3 && bytes[0] == kZpad && bytes[1] == kZdle && bytes[2] == kZbin;
}
inline int FindBinaryHeader(const std::uint8_t* bytes, int n) {
  for (int i = 0; i + 2 < n; ++i) {
    if (BinaryHeaderAt(bytes + i, 3)) return i;
  }
  return n;
}

inline constexpr std::uint8_t kZrqinit = 0;
inline constexpr std::uint8_t kZrinit = 1;
inline constexpr std::uint8_t kZack = 3;
inline constexpr std::uint8_t kZfile = 4;
inline constexpr std::uint8_t kZfin = 8;
inline constexpr std::uint8_t kZrpos = 9;
inline constexpr std::uint8_t kZdata = 10;
inline constexpr std::uint8_t kZeof = 11;

// No frame the console sends is longer; anything that has not ended within
// this many bytes is damaged.
inline constexpr int kFrameLimit = 4096;

// Where the data subpacket that starts at `from` ends: the index just past
// its CRC (and past the XON that follows a ZCRCW end), or 0 while it has not
// fully arrived. A subpacket that has not ended within kFrameLimit bytes of
// the buffer's start is reported as ending at kFrameLimit + 1. When the
// result is a real end, *end holds the end letter and *xon whether an XON was
// taken in.
int SubpacketLength(const std::uint8_t* bytes, int count, int from, std::uint8_t* end,
                    bool* xon = nullptr);

// How many raw bytes the binary header at the front of a frame takes: ten, and one more for
// each escape among them.
int RawHeaderLength(const std::uint8_t* bytes, int count);

// The bytes of a binary header (ZBIN, 16-bit CRC), escaped.
std::vector<std::uint8_t> BinaryHeader(std::uint8_t type, std::uint32_t position);

// A hex header: the five data bytes as upper-case digits, the CRC as
// lower-case digits, then LF, CR and XON.
std::vector<std::uint8_t> HexHeader(const std::uint8_t data[5]);

// The receiver's ZRINIT: buffer of 1024 bytes, may receive during disk I/O.
std::vector<std::uint8_t> HexZrinit();

// A data subpacket ending with ZCRCW and XON.
std::vector<std::uint8_t> DataSubpacket(const std::uint8_t* data, int count);

// "**", eight ZDLE and ten backspaces: ends a transfer on the far side.
std::vector<std::uint8_t> AbortSequence();

}  // namespace zmodem

class TSerial {
 public:
  static constexpr int kBufferSize = 8192;

  TSerial() = default;
  TSerial(const TSerial&) = delete;
  TSerial& operator=(const TSerial&) = delete;
  ~TSerial();

  // (Re)opens the device; returns its descriptor, -1 when it cannot be
  // opened (errno says why: EBUSY when another process has it). Setting it up
  // can fail step by step: each failure is logged and the port stays open.
  // The device is locked as serial programs on Linux lock it: a lock file
  // LCK..<name> with our pid in the lock folder, and an exclusive flock.
  int OpenPort(const std::string& device);
  bool IsOpen() const { return fd_ >= 0; }
  // Gives the device back with the line settings it had before it was opened.
  void ClosePort();
  // The process that held the device when OpenPort failed with EBUSY; 0 when unknown.
  int LockOwner() const { return lock_owner_; }
  // Where lock files go: /run/lock unless told otherwise (tests).
  static void SetLockFolder(const std::string& folder);
  static std::string LockFolder();

  // Moves what has arrived into the receive buffer without waiting. When the
  // buffer is full, the rest stays with the device until bytes are consumed.
  void Poll();

  // The next line or shell prompt, trimmed; empty while there is none.
  std::string ReadLine();
  bool HasData() const { return length_ > 0; }
  // Removes up to count bytes from the front, copying them to destination
  // when one is given; count comes back limited to what there was.
  void Consume(int& count, std::uint8_t* destination);

  // Sends the bytes and waits until they are out, but never longer than the
  // line needs plus a margin; false when not all of them could be sent.
  bool WriteBytes(const std::uint8_t* bytes, int count);
  bool WriteBytes(const std::vector<std::uint8_t>& bytes) {
    return WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
  }
  // Number of characters sent; 0 when the port is closed.
  int WriteText(const std::string& text);

  // Length of the first complete frame with a binary header at the front of
  // the receive buffer, 0 while it is incomplete. Bytes before a header are
  // consumed first.
  int FrameLength();

  static std::uint16_t Crc16(const std::uint8_t* bytes, int count);
  // Escapes in place; the result must fit in capacity bytes, else -1 and the
  // block is left as it was.
  static int ZdleEscape(std::uint8_t* bytes, int count, int capacity);
  static int ZdleUnescape(std::uint8_t* bytes, int count);

  bool Echo() const { return echo_; }
  void SetEcho(bool echo) { echo_ = echo; }

  // Appends bytes as Poll does; returns how many fitted.
  int Deliver(const std::uint8_t* bytes, int count);
  const std::uint8_t* Data() const { return buffer_.data(); }
  int Length() const { return length_; }
  // Bytes received since the object was made, for telling silence from progress.
  std::uint64_t ReceivedTotal() const { return received_total_; }
  // The far end hung up or the device went away since the port was opened.
  bool HungUp() const { return hung_up_; }
  int Handle() const { return fd_; }

 private:
  bool Lock(const std::string& device);
  void Unlock();

  int fd_ = -1;
  std::string lock_path_;  // the lock file this object made
  int lock_owner_ = 0;
  bool have_settings_ = false;
  termios settings_found_{};
  bool echo_ = false;
  bool hung_up_ = false;
  int length_ = 0;
  std::uint64_t received_total_ = 0;
  std::array<std::uint8_t, kBufferSize> buffer_{};
};

// "Unable to open COMn" and, on a second line, the device and the system's reason (errno);
// for EBUSY, the process that has the device when it is known.
std::string PortOpenFailure(int port_number, const std::string& device, int error, int owner = 0);

// The serial devices under root ("/" on a running system): /dev/serial/by-id/*, then
// /dev/ttyUSB*, /dev/ttyACM* and /dev/ttyS*, each group in the order of its numbers.
std::vector<std::string> ListSerialDevices(const std::string& root = "/");

// The terminal line's Write: opens the port on device when it is closed, then sends text and a
// carriage return. Empty when it went out; otherwise why not, which is logged too.
std::string TerminalWrite(TSerial& serial, int port_number, const std::string& device,
                          const std::string& text);

// How the log shows bytes: 0x20 to 0x7A as themselves, others as 0xNN, each
// followed by ":"; more than 50 bytes show the first and last 20.
std::string DumpBytes(const std::uint8_t* bytes, int count);

// Four upper-case hexadecimal digits.
std::string Hex4(unsigned value);

}  // namespace orb
