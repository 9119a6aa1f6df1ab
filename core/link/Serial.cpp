#include "core/link/Serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "core/model/DebugLog.h"

namespace orb {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLineBytesPerSecond = 3840;
// A write that makes no progress for this long is given up.
constexpr int kWriteStallMs = 2000;

long long MillisSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool IsLineEnd(std::uint8_t byte) {
  return byte == 0x0D || byte == 0x0A;
}

// Bytes that never travel unescaped from the console; seen raw, they are
// flow control or noise.
bool IsDroppedRaw(std::uint8_t byte) {
  switch (byte) {
    case 0x10:
    case 0x11:
    case 0x13:
    case 0x90:
    case 0x91:
    case 0x93:
      return true;
    default:
      return false;
  }
}

bool NeedsEscape(std::uint8_t byte) {
  switch (byte) {
    case 0x0D:
    case 0x10:
    case 0x11:
    case 0x13:
    case 0x18:
    case 0x8D:
    case 0x90:
    case 0x91:
    case 0x93:
    case 0x7F:
    case 0xFF:
      return true;
    default:
      return false;
  }
}

std::uint8_t EscapedForm(std::uint8_t byte) {
  if (byte == 0x7F) return 'l';
  if (byte == 0xFF) return 'm';
  return byte ^ 0x40;
}

bool Contains(const std::uint8_t* bytes, int count, const char* text) {
  const int n = static_cast<int>(std::strlen(text));
  for (int i = 0; i + n <= count; ++i) {
    if (std::memcmp(bytes + i, text, n) == 0) return true;
  }
  return false;
}

void AppendDumpByte(std::string& out, std::uint8_t byte) {
  if (byte >= 0x20 && byte <= 0x7A) {
    out += static_cast<char>(byte);
  } else {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    out += hex;
  }
  out += ':';
}

const std::array<std::uint16_t, 256> kCrcTable = [] {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    table[i] = static_cast<std::uint16_t>(crc);
  }
  return table;
}();

unsigned CrcUpdate(unsigned crc, std::uint8_t byte) {
  return ((crc << 8) ^ kCrcTable[((crc >> 8) ^ byte) & 0xFF]) & 0xFFFF;
}

}  // namespace

std::string DumpBytes(const std::uint8_t* bytes, int count) {
  std::string out;
  if (count <= 50) {
    for (int i = 0; i < count; ++i) AppendDumpByte(out, bytes[i]);
    return out;
  }
  for (int i = 0; i < 20; ++i) AppendDumpByte(out, bytes[i]);
  out += " ... ";
  for (int i = count - 20; i < count; ++i) AppendDumpByte(out, bytes[i]);
  return out;
}

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
  return text;
}

// ---------------------------------------------------------------------------
// ZMODEM frames

namespace zmodem {

int SubpacketLength(const std::uint8_t* bytes, int count, int from, std::uint8_t* end, bool* xon) {
  const int scan_limit = std::min(count, kFrameLimit + 1);
  int p = from;
  while (p < scan_limit) {
    if (bytes[p] != kZdle) {
      ++p;
      continue;
    }
    if (p + 1 >= count) return 0;
    const std::uint8_t letter = bytes[p + 1];
    if (letter < kZcrce || letter > kZcrcw) {
      p += 2;  // an escaped byte
      continue;
    }
    int q = p + 2;
    for (int crc_byte = 0; crc_byte < 2; ++crc_byte) {
      if (q >= count) return 0;
      q += bytes[q] == kZdle ? 2 : 1;
    }
    if (q > count) return 0;
    bool took_xon = false;
    if (letter == kZcrcw) {
      // The console sends XON after ZCRCW; wait for that byte, but take it
      // only when it is one, so that a header right behind stays whole.
      if (q >= count) return 0;
      took_xon = bytes[q] == kXon;
      q += took_xon ? 1 : 0;
    }
    if (q > kFrameLimit) return kFrameLimit + 1;
    *end = letter;
    if (xon) *xon = took_xon;
    return q;
  }
  return count > kFrameLimit ? kFrameLimit + 1 : 0;
}

int RawHeaderLength(const std::uint8_t* bytes, int count) {
  int header = 10;
  for (int p = 3; p < header && p < count; ++p) {
    if (bytes[p] == kZdle) ++header;
  }
  return header;
}

std::vector<std::uint8_t> BinaryHeader(std::uint8_t type, std::uint32_t position) {
  std::uint8_t raw[7] = {type,
                         static_cast<std::uint8_t>(position),
                         static_cast<std::uint8_t>(position >> 8),
                         static_cast<std::uint8_t>(position >> 16),
                         static_cast<std::uint8_t>(position >> 24),
                         0,
                         0};
  const std::uint16_t crc = TSerial::Crc16(raw, 5);
  raw[5] = static_cast<std::uint8_t>(crc >> 8);
  raw[6] = static_cast<std::uint8_t>(crc);
  std::uint8_t out[3 + 14] = {kZpad, kZdle, kZbin};
  std::memcpy(out + 3, raw, sizeof raw);
  const int n = TSerial::ZdleEscape(out + 3, 7, 14);
  return std::vector<std::uint8_t>(out, out + 3 + n);
}

std::vector<std::uint8_t> HexHeader(const std::uint8_t data[5]) {
  std::string text =
      "**\x18"
      "B";
  char digits[16];
  for (int i = 0; i < 5; ++i) {
    std::snprintf(digits, sizeof digits, "%02X", data[i]);
    text += digits;
  }
  std::snprintf(digits, sizeof digits, "%04x", TSerial::Crc16(data, 5));
  text += digits;
  std::vector<std::uint8_t> out(text.begin(), text.end());
  // An XOFF here would stop a sender that has already switched on flow
  // control when this last byte arrives late; an XON cannot do harm.
  out.insert(out.end(), {0x0A, 0x0D, kXon});
  return out;
}

std::vector<std::uint8_t> HexZrinit() {
  static constexpr std::uint8_t kData[5] = {kZrinit, 0x00, 0x04, 0x00, 0x02};
  return HexHeader(kData);
}

std::vector<std::uint8_t> DataSubpacket(const std::uint8_t* data, int count) {
  count = std::max(count, 0);
  // Room for every byte escaped, the end mark, an escaped CRC and the XON.
  std::vector<std::uint8_t> out(static_cast<std::size_t>(count) * 2 + 8);
  if (count > 0) std::memcpy(out.data(), data, count);
  const unsigned crc = CrcUpdate(TSerial::Crc16(data, count), kZcrcw);
  int n = TSerial::ZdleEscape(out.data(), count, static_cast<int>(out.size()));
  out[n++] = kZdle;
  out[n++] = kZcrcw;
  std::uint8_t crc_bytes[4] = {static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
  const int crc_count = TSerial::ZdleEscape(crc_bytes, 2, sizeof crc_bytes);
  std::memcpy(out.data() + n, crc_bytes, crc_count);
  n += crc_count;
  out[n++] = kXon;
  out.resize(n);
  return out;
}

std::vector<std::uint8_t> AbortSequence() {
  std::vector<std::uint8_t> out = {'*', '*'};
  out.insert(out.end(), 8, kZdle);
  out.insert(out.end(), 10, 0x08);
  return out;
}

}  // namespace zmodem

// ---------------------------------------------------------------------------
// The port

TSerial::~TSerial() {
  ClosePort();
}

namespace {

std::string& LockFolderSetting() {
  static std::string folder = "/run/lock";
  return folder;
}

// "LCK.." and the device's name under /dev with its slashes as underscores: LCK..ttyUSB0,
// LCK..pts_3. A link (/dev/serial/by-id/...) names the device it leads to.
std::string LockFileName(const std::string& device) {
  std::error_code error;
  std::filesystem::path real = std::filesystem::canonical(device, error);
  if (error) real = device;
  std::string name = real.string();
  name = name.rfind("/dev/", 0) == 0 ? name.substr(5) : real.filename().string();
  std::replace(name.begin(), name.end(), '/', '_');
  return "LCK.." + name;
}

// The pid a lock file names: ten characters of ASCII, or four bytes as old programs wrote it.
// 0 when it names none.
int LockFileOwner(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return 0;
  char text[32] = {};
  const ssize_t n = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (n == 4) {
    std::int32_t pid = 0;
    std::memcpy(&pid, text, 4);
    return pid > 0 ? pid : 0;
  }
  long pid = 0;
  int i = 0;
  while (i < n && text[i] == ' ') ++i;
  if (i >= n || !std::isdigit(static_cast<unsigned char>(text[i]))) return 0;
  for (; i < n && std::isdigit(static_cast<unsigned char>(text[i])) && pid < 1L << 30; ++i)
    pid = pid * 10 + (text[i] - '0');
  return pid > 0 && pid < 1L << 30 ? static_cast<int>(pid) : 0;
}

bool ProcessAlive(int pid) {
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

void TSerial::SetLockFolder(const std::string& folder) {
  LockFolderSetting() = folder;
}

std::string TSerial::LockFolder() {
  return LockFolderSetting();
}

// False, with lock_owner_ set, when a living process holds the lock. A lock whose owner is gone
// is removed; where no lock file can be made, the flock alone guards the device.
bool TSerial::Lock(const std::string& device) {
  lock_owner_ = 0;
  const std::string path = LockFolder() + "/" + LockFileName(device);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      char text[16];
      const int n = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
      const bool written = ::write(fd, text, n) == n;
      ::close(fd);
      if (written) {
        lock_path_ = path;
        return true;
      }
      ::unlink(path.c_str());
      break;
    }
    if (errno != EEXIST) break;
    // A living owner keeps the device, our own pid too: then another port of this program
    // has it open.
    const int owner = LockFileOwner(path);
    if (owner > 0 && ProcessAlive(owner)) {
      lock_owner_ = owner;
      return false;
    }
    if (owner == 0) {
      // Just made by another program that has not written its pid yet?
      struct stat info {};
      if (::stat(path.c_str(), &info) == 0 && std::time(nullptr) - info.st_mtime < 2) return false;
    }
    LogLine("Stale lock " + path + " removed.");
    ::unlink(path.c_str());
  }
  LogLine("No lock file for " + device + " in " + LockFolder() + ".");
  return true;
}

void TSerial::Unlock() {
  if (lock_path_.empty()) return;
  if (LockFileOwner(lock_path_) == ::getpid()) ::unlink(lock_path_.c_str());
  lock_path_.clear();
}

int TSerial::OpenPort(const std::string& device) {
  ClosePort();
  if (!Lock(device)) {
    errno = EBUSY;
    return -1;
  }
  fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  // A file or another device named by mistake must not get the console dialogue written
  // into it; a device that another program has open for itself is left to it (the flock binds
  // root too, which the exclusive mode does not).
  int error = fd_ < 0 ? errno : !::isatty(fd_) ? ENOTTY : 0;
  if (error == 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) error = errno == EWOULDBLOCK ? EBUSY : 0;
  if (error != 0) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    Unlock();
    errno = error;
    return -1;
  }
  hung_up_ = false;
  ::ioctl(fd_, TIOCEXCL);  // not shared

  termios settings{};
  have_settings_ = ::tcgetattr(fd_, &settings) == 0;
  if (!have_settings_) LogLine("GetCommState failed.");
  settings_found_ = settings;
  settings.c_iflag &=
      ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
  settings.c_oflag &= ~OPOST;
  settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  settings.c_cflag |= CS8 | CREAD | CLOCAL;
  // With at least one byte asked for, a read without data says EAGAIN and a
  // read of 0 means the line hung up.
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  if (::cfsetispeed(&settings, B38400) != 0 || ::cfsetospeed(&settings, B38400) != 0) {
    LogLine("BuildCommDCB failed.");
  }
  if (::tcsetattr(fd_, TCSANOW, &settings) != 0) LogLine("SetCommState failed.");
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags < 0) {
    LogLine("GetCommTimeouts failed.");
  } else if (::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0) {
    LogLine("SetCommTimeouts failed.");
  }
  return fd_;
}

void TSerial::ClosePort() {
  if (fd_ >= 0) {
    // Whatever still waits to go out is dropped: a line that takes nothing must not hold
    // the program.
    if (have_settings_) {
      ::tcflush(fd_, TCOFLUSH);
      ::tcsetattr(fd_, TCSANOW, &settings_found_);
    }
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    Unlock();
  }
  fd_ = -1;
  have_settings_ = false;
}

int TSerial::Deliver(const std::uint8_t* bytes, int count) {
  const int n = std::clamp(count, 0, kBufferSize - length_);
  if (n > 0) std::memcpy(buffer_.data() + length_, bytes, n);
  length_ += n;
  received_total_ += static_cast<std::uint64_t>(n);
  return n;
}

void TSerial::Poll() {
  if (!IsOpen()) return;
  while (length_ < kBufferSize) {
    const ssize_t n = ::read(fd_, buffer_.data() + length_, kBufferSize - length_);
    if (n > 0) {
      length_ += static_cast<int>(n);
      received_total_ += static_cast<std::uint64_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) hung_up_ = true;
    return;
  }
}

std::string TSerial::ReadLine() {
  if (!IsOpen() || length_ == 0) return {};
  const std::uint8_t* bytes = buffer_.data();
  int end = 0;
  while (end < length_ && !IsLineEnd(bytes[end])) ++end;
  if (end < length_) {
    while (end < length_ && IsLineEnd(bytes[end])) ++end;
  } else {
    // The shell's prompt need not start its line: after a transfer the console prints it
    // behind cancel bytes and backspaces, or right behind the last frame, zero bytes and all.
    // It is what has arrived last.
    int last = length_;
    while (last > 0 && bytes[last - 1] <= 0x20) --last;
    const bool prompt = (last > 0 && bytes[last - 1] == '#') ||
                        Contains(bytes, length_, "login:") || Contains(bytes, length_, "password:");
    // A full buffer without a line end is taken as one line, or nothing could
    // ever be received again.
    if (!prompt && length_ < kBufferSize) return {};
    end = length_;
  }

  // Zero bytes are no text; what follows them still is.
  std::string text;
  text.reserve(end);
  for (int i = 0; i < end; ++i) {
    if (bytes[i] != 0) text += static_cast<char>(bytes[i]);
  }
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));

  Consume(end, nullptr);
  if (echo_) LogLine("*\r" + text);
  return text;
}

void TSerial::Consume(int& count, std::uint8_t* destination) {
  if (count <= 0) {
    count = 0;
    return;
  }
  count = std::min(count, length_);
  if (count == 0) return;
  if (destination) std::memcpy(destination, buffer_.data(), count);
  if (buffer_[0] == '*') LogLine("*\rBIN " + DumpBytes(buffer_.data(), count));
  std::memmove(buffer_.data(), buffer_.data() + count, length_ - count);
  length_ -= count;
}

bool TSerial::WriteBytes(const std::uint8_t* bytes, int count) {
  if (!IsOpen()) return false;
  count = std::max(count, 0);
  int done = 0;
  auto last_progress = Clock::now();
  while (done < count) {
    const ssize_t n = ::write(fd_, bytes + done, count - done);
    if (n > 0) {
      done += static_cast<int>(n);
      last_progress = Clock::now();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      const long long waited = MillisSince(last_progress);
      if (waited >= kWriteStallMs) break;
      pollfd port{fd_, POLLOUT, 0};
      ::poll(&port, 1, static_cast<int>(kWriteStallMs - waited));
      continue;
    }
    if (n < 0 && errno == EIO) hung_up_ = true;
    break;
  }

  // Wait until the device has sent it, as long as the line needs and a little more.
  int queued = 0;
  if (done > 0 && ::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0) {
    const auto start = Clock::now();
    const long long limit = 200 + 1000LL * queued / kLineBytesPerSecond;
    // A fast far end (a pseudo-terminal) takes the bytes within microseconds: look again a
    // few times before sleeping a millisecond at a time.
    for (int look = 0;
         ::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && MillisSince(start) < limit; ++look) {
      if (look < 100) {
        ::sched_yield();
      } else {
        ::poll(nullptr, 0, 1);
      }
    }
  }

  LogLine("Write : " + DumpBytes(bytes, std::min(count, 50)) + (count >= 50 ? "..." : ""));
  return done == count;
}

int TSerial::WriteText(const std::string& text) {
  if (!IsOpen()) return 0;
  WriteBytes(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
  return static_cast<int>(text.size());
}

std::vector<std::string> ListSerialDevices(const std::string& root) {
  namespace fs = std::filesystem;
  // ttyS10 after ttyS9: shorter names first, then by text.
  const auto by_number = [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  };
  const fs::path dev = fs::path(root) / "dev";
  std::vector<std::string> devices;
  std::error_code error;
  for (fs::directory_iterator it(dev / "serial" / "by-id", error), end; !error && it != end;
       it.increment(error))
    devices.push_back(it->path().string());
  std::sort(devices.begin(), devices.end());
  for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
    std::vector<std::string> group;
    for (fs::directory_iterator it(dev, error), end; !error && it != end; it.increment(error)) {
      const std::string name = it->path().filename().string();
      if (name.rfind(prefix, 0) == 0 && name.size() > std::strlen(prefix) &&
          std::all_of(name.begin() + std::strlen(prefix), name.end(),
                      [](unsigned char c) { return std::isdigit(c); }))
        group.push_back(it->path().string());
    }
    error.clear();
    std::sort(group.begin(), group.end(), by_number);
    devices.insert(devices.end(), group.begin(), group.end());
  }
  return devices;
}

std::string PortOpenFailure(int port_number, const std::string& device, int error, int owner) {
  // A device that stands for no COM port is named by itself.
  std::string text =
      "Unable to open " + (port_number > 0 ? "COM" + std::to_string(port_number) : device) + "\n";
  if (error == EBUSY) {
    return text + device + " is in use by " +
           (owner > 0 ? "process " + std::to_string(owner) : std::string("another program")) + ".";
  }
  if (error == EACCES || error == EPERM) {
    return text + device + ": " + std::strerror(error) +
           ".\nThe user must be in the group that owns the device (usually dialout).";
  }
  if (error == ENOTTY) return text + device + " is not a serial line.";
  return text + device + ": " + std::strerror(error) + ".";
}

std::string TerminalWrite(TSerial& serial, int port_number, const std::string& device,
                          const std::string& text) {
  std::string failure;
  if (!serial.IsOpen() && serial.OpenPort(device) < 0) {
    failure = PortOpenFailure(port_number, device, errno, serial.LockOwner());
  } else {
    const std::string line = text + "\r";
    if (!serial.WriteBytes(reinterpret_cast<const std::uint8_t*>(line.data()),
                           static_cast<int>(line.size())))
      failure = "COM" + std::to_string(port_number) + " (" + device + "): the line was not sent.";
  }
  if (!failure.empty()) LogLine(failure);
  return failure;
}

int TSerial::FrameLength() {
  using namespace zmodem;
  const std::uint8_t* bytes = buffer_.data();
  int start = FindBinaryHeader(bytes, length_);
  if (start == length_) {
    // Nothing here can become a frame except a header start cut off at the end.
    int junk = length_ - 2;
    if (junk > 0) Consume(junk, nullptr);
    return 0;
  }
  if (start > 0) Consume(start, nullptr);

  const int header = RawHeaderLength(bytes, length_);
  if (length_ < header) return 0;
  std::uint8_t end = 0;
  switch (bytes[3]) {
    case kZack:
    case kZrpos:
    case kZeof:
      return header;
    case kZfile:
    case kZdata:
      return SubpacketLength(bytes, length_, header, &end);
    default:
      return 1;
  }
}

std::uint16_t TSerial::Crc16(const std::uint8_t* bytes, int count) {
  unsigned crc = 0;
  for (int i = 0; i < count; ++i) crc = CrcUpdate(crc, bytes[i]);
  return static_cast<std::uint16_t>(crc);
}

int TSerial::ZdleEscape(std::uint8_t* bytes, int count, int capacity) {
  if (count <= 0) return 0;
  int grown = count;
  for (int i = 0; i < count; ++i) {
    if (NeedsEscape(bytes[i])) ++grown;
  }
  if (grown > capacity) return -1;
  // From the back, so that every byte is read before it is overwritten.
  int out = grown;
  for (int i = count - 1; i >= 0; --i) {
    const std::uint8_t byte = bytes[i];
    if (NeedsEscape(byte)) {
      bytes[--out] = EscapedForm(byte);
      bytes[--out] = zmodem::kZdle;
    } else {
      bytes[--out] = byte;
    }
  }
  return grown;
}

int TSerial::ZdleUnescape(std::uint8_t* bytes, int count) {
  int out = 0;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t byte = bytes[i];
    if (i == count - 1) {
      bytes[out++] = byte;
      break;
    }
    if (IsDroppedRaw(byte)) {
      char text[8];
      std::snprintf(text, sizeof text, "0x%02X", byte);
      LogLine(text);
      continue;
    }
    if (byte != zmodem::kZdle) {
      bytes[out++] = byte;
      continue;
    }
    const std::uint8_t next = bytes[++i];
    switch (next) {
      case 'M':
      case 'P':
      case 'Q':
      case 'S':
      case 'X':
      case 0xCD:
      case 0xD0:
      case 0xD1:
      case 0xD3:
        bytes[out++] = next ^ 0x40;
        break;
      case 'l':
        bytes[out++] = 0x7F;
        break;
      case 'm':
        bytes[out++] = 0xFF;
        break;
      default:
        bytes[out++] = zmodem::kZdle;
        bytes[out++] = next;
        break;
    }
  }
  return out;
}

}  // namespace orb
