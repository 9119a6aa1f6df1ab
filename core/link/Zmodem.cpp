#include "core/link/Zmodem.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "core/model/DebugLog.h"

namespace orb {
namespace {

using namespace zmodem;

constexpr std::string_view kZrqinitLine =
    "**\x18"
    "B00000000000000";
constexpr std::string_view kZrposZeroLine =
    "**\x18"
    "B0900000000a87c";
constexpr std::string_view kHexZack =
    "*\x18"
    "B03";
constexpr std::string_view kHexZrpos =
    "*\x18"
    "B09";
constexpr std::uint8_t kZfileHeader[10] = {0x2A, 0x18, 0x41, 0x04, 0x00,
                                           0x00, 0x00, 0x00, 0x89, 0x06};
constexpr char kFileName[] = "data.gz";
// Sizes beyond this are not numbers to the console's programs either.
constexpr std::uint64_t kLargestSize = 0x7FFFFFFF;

bool Has(const std::string& line, std::string_view text) {
  return line.find(text) != std::string::npos;
}

// The position a receiver's hex ZRPOS header asks for: its four position bytes, lowest first,
// when all fourteen hex digits are there and the CRC over type and position is right.
std::optional<std::uint64_t> AskedPosition(const std::string& line) {
  const std::size_t at = line.find(kHexZrpos);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t digits = at + kHexZrpos.size() - 2;  // from the type's two digits
  if (line.size() < digits + 14) return std::nullopt;
  std::uint8_t bytes[7];
  for (int i = 0; i < 7; ++i) {
    unsigned value = 0;
    const char* first = line.data() + digits + 2 * i;
    const auto [end, error] = std::from_chars(first, first + 2, value, 16);
    if (error != std::errc() || end != first + 2) return std::nullopt;
    bytes[i] = static_cast<std::uint8_t>(value);
  }
  if (TSerial::Crc16(bytes, 5) != (bytes[5] << 8 | bytes[6])) return std::nullopt;
  return static_cast<std::uint64_t>(bytes[1]) | static_cast<std::uint64_t>(bytes[2]) << 8 |
         static_cast<std::uint64_t>(bytes[3]) << 16 | static_cast<std::uint64_t>(bytes[4]) << 24;
}

// The decimal number at the front of the bytes, up to a blank or a zero byte;
// 0 when it is empty or anything else is in it.
std::uint64_t ParseSize(const std::uint8_t* bytes, int count) {
  std::uint64_t value = 0;
  int digits = 0;
  for (int i = 0; i < count && bytes[i] != ' ' && bytes[i] != 0; ++i, ++digits) {
    if (bytes[i] < '0' || bytes[i] > '9') return 0;
    value = value * 10 + (bytes[i] - '0');
    if (value > kLargestSize) return 0;
  }
  return digits > 0 ? value : 0;
}

}  // namespace

TransferProgress MakeProgress(const std::string& text, std::uint64_t position, std::uint64_t size,
                              std::uint64_t elapsed_ms) {
  TransferProgress progress;
  progress.percent =
      size == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(position * 100 / size, 100));
  progress.message = text + std::to_string(progress.percent) + "% done...";
  progress.bits_per_second = position * 8000 / std::max<std::uint64_t>(elapsed_ms, 1);
  if (progress.bits_per_second != 0) {
    progress.has_remaining = true;
    progress.remaining_seconds =
        (size > position ? size - position : 0) * 8 / progress.bits_per_second;
  }
  return progress;
}

void SendAbortSequence(TSerial& serial) {
  serial.WriteBytes(AbortSequence());
}

void TZmodem::Start(Direction direction, std::string file_path, std::uint64_t now_ms) {
  CloseFile();
  direction_ = direction;
  path_ = std::move(file_path);
  state_ = kFirstState;
  done_ = false;
  last_end_ = ZmodemEnd::kRunning;
  streaming_ = false;
  position_ = acknowledged_ = file_size_ = 0;
  retry_count_ = 0;
  start_time_ = now_ms;
  last_activity_ = now_ms;
  last_received_ = serial_.ReceivedTotal();
}

void TZmodem::CloseFile() {
  if (file_.IsOpen()) file_.Close();
}

void TZmodem::Finish(ZmodemTick& tick, ZmodemEnd end, Status status) {
  if (end != ZmodemEnd::kFinished) CloseFile();
  done_ = true;
  last_end_ = end;
  tick.end = end;
  tick.status = status;
}

ZmodemTick TZmodem::Step(std::uint64_t now_ms) {
  ZmodemTick tick;
  if (done_ || state_ < kFirstState) {
    tick.end = last_end_;
    return tick;
  }
  if (serial_.ReceivedTotal() != last_received_) {
    last_received_ = serial_.ReceivedTotal();
    last_activity_ = now_ms;
  }
  // A step may hand on to the next state within the same tick; a few rounds
  // are all any exchange needs.
  bool again = true;
  for (int round = 0; again && !done_ && round < 4; ++round) {
    again = direction_ == Direction::kReceive ? ReceiveStep(tick, now_ms) : SendStep(tick, now_ms);
  }
  if (!done_) {
    if (!serial_.IsOpen() || serial_.HungUp()) {
      Finish(tick, ZmodemEnd::kLineLost);
    } else if (now_ms > last_activity_ && now_ms - last_activity_ > idle_limit_ms_) {
      Finish(tick, ZmodemEnd::kTimedOut);
    }
  }
  return tick;
}

bool TZmodem::HeaderAtFront() const {
  const std::uint8_t* bytes = serial_.Data();
  return serial_.Length() >= 3 && bytes[0] == kZpad && bytes[1] == kZdle && bytes[2] == kZbin;
}

// ---------------------------------------------------------------------------
// Receiving

bool TZmodem::ReceiveStep(ZmodemTick& tick, std::uint64_t now_ms) {
  switch (state_) {
    case 13:
      if (Has(serial_.ReadLine(), kZrqinitLine)) {
        serial_.WriteBytes(HexZrinit());
        state_ = 14;
      }
      return false;
    case 14:
      return ReceiveFileHeader(tick, now_ms);
    case 15:
      serial_.WriteBytes(BinaryHeader(position_ != acknowledged_ ? kZack : kZrpos,
                                      static_cast<std::uint32_t>(position_)));
      acknowledged_ = position_;
      state_ = 16;
      return false;
    case 16:
      return ReceiveData(tick, now_ms);
    case 17:
      serial_.SetEcho(true);
      // The sender's ZEOF, when it is already here, is no business of the shell.
      if (HeaderAtFront() && serial_.Length() > 3 && serial_.Data()[3] == kZeof) {
        int n = serial_.FrameLength();
        serial_.Consume(n, nullptr);
      }
      serial_.WriteBytes(BinaryHeader(kZfin, 0));
      Finish(tick, ZmodemEnd::kFinished);
      return false;
    default:
      return false;
  }
}

bool TZmodem::ReceiveFileHeader(ZmodemTick& tick, std::uint64_t now_ms) {
  const int n = serial_.FrameLength();
  if (n == 0) {
    tick.waited = 1;
    return false;
  }
  int kept = std::min(n, kFrameArea);
  serial_.Consume(kept, frame_area_.data());
  int rest = n - kept;
  serial_.Consume(rest, nullptr);

  std::uint8_t* frame = frame_area_.data();
  if (kept < 10 || frame[0] != kZpad || frame[1] != kZdle || frame[2] != kZbin ||
      frame[3] != kZfile) {
    const int text = static_cast<int>(std::find(frame, frame + kept, 0) - frame);
    if (text > 0) LogLine(std::string(reinterpret_cast<const char*>(frame), text));
    return false;
  }

  // The header's escapes are undone first, so that the name starts right
  // behind its ten bytes even when one of them was escaped.
  const int m = TSerial::ZdleUnescape(frame, kept);
  const std::uint8_t* name = frame + 10;
  const std::uint8_t* end = frame + std::max(m, 10);
  const std::uint8_t* name_end = std::find(name, end, 0);
  file_size_ = name_end < end ? ParseSize(name_end + 1, static_cast<int>(end - name_end - 1)) : 0;
  LogLine("File Size = " + std::to_string(file_size_));

  CloseFile();
  if (!file_.Open(path_, DiskFile::Mode::kCreate)) {
    Finish(tick, ZmodemEnd::kFileError, kCantOpenDestination);
    return false;
  }
  retry_count_ = 0;
  acknowledged_ = position_ = 0;
  streaming_ = false;
  start_time_ = now_ms;
  state_ = 15;
  return true;
}

bool TZmodem::ReceiveData(ZmodemTick& tick, std::uint64_t now_ms) {
  serial_.SetEcho(false);
  const std::uint8_t* bytes = serial_.Data();
  std::uint8_t end = 0;
  bool xon = false;
  int header = 0;
  int n = 0;
  if (streaming_ && !HeaderAtFront()) {
    // A subpacket that follows one ending in ZCRCG or ZCRCQ has no header.
    n = SubpacketLength(bytes, serial_.Length(), 0, &end, &xon);
  } else {
    streaming_ = false;
    n = serial_.FrameLength();
    if (n == 0) return false;
    if (!HeaderAtFront() || n < 4 || serial_.Data()[3] != kZdata) {
      const bool eof = HeaderAtFront() && n >= 4 && serial_.Data()[3] == kZeof;
      serial_.Consume(n, nullptr);
      if (eof && position_ == file_size_) {
        CloseFile();
        state_ = 17;
        return true;
      }
      return false;
    }
    header = 10;
    int raw_header = 10;
    for (int p = 3; p < raw_header; ++p) {
      if (bytes[p] == kZdle) ++raw_header;
    }
    SubpacketLength(bytes, serial_.Length(), raw_header, &end, &xon);
  }
  if (n == 0) return false;

  std::uint8_t* area = data_area_.data();
  int kept = std::min(n, kDataArea);
  serial_.Consume(kept, area);
  int rest = n - kept;
  serial_.Consume(rest, nullptr);
  const int m = TSerial::ZdleUnescape(area, kept);
  if (n > kFrameLimit) {
    LogLine("Frame damaged.");
    EndWithDamage(tick, std::min(header, m), m - std::min(header, m));
    return false;
  }
  LogLine("Receive Buffer. size = " + std::to_string(m));

  // Header, data, ZDLE, end letter, two CRC bytes and the XON after ZCRCW.
  const int data = m - header - 4 - (xon ? 1 : 0);
  if (data < 0 || area[header + data] != kZdle || area[header + data + 1] != end) {
    LogLine("Frame damaged.");
    EndWithDamage(tick, std::min(header, m), m - std::min(header, m));
    return false;
  }
  area[header + data] = end;
  const unsigned crc = TSerial::Crc16(area + header, data + 1);
  const std::uint8_t high = area[header + data + 2];
  const std::uint8_t low = area[header + data + 3];
  if (crc != (static_cast<unsigned>(high) << 8 | low)) {
    LogLine("CRC error. " + Hex4(crc) + " : " + Hex4(static_cast<unsigned>(low) << 8 | high));
    ++retry_count_;
    tick.retry_changed = true;
    EndWithDamage(tick, header, m - header);
    return false;
  }

  // Data past the announced size is checked but not kept.
  const int keep = static_cast<int>(std::min<std::uint64_t>(data, file_size_ - position_));
  if (keep > 0 && file_.Write(area + header, keep) != static_cast<std::size_t>(keep)) {
    Finish(tick, ZmodemEnd::kFileError, kWriteError);
    return false;
  }
  position_ += keep;
  tick.progress = MakeProgress(kReceiveProgressText, position_, file_size_, now_ms - start_time_);
  retry_count_ = 0;
  if (position_ == file_size_) {
    if (!file_.Close()) {
      Finish(tick, ZmodemEnd::kFileError, kWriteError);
      return false;
    }
    streaming_ = false;
    state_ = 17;
    return true;
  }
  streaming_ = end == kZcrcg || end == kZcrcq;
  if (end == kZcrcg) return false;  // the sender expects no answer
  state_ = 15;
  return true;
}

void TZmodem::EndWithDamage(ZmodemTick& tick, int from, int count) {
  if (file_.IsOpen() && count > 0) file_.Write(data_area_.data() + from, count);
  Finish(tick, ZmodemEnd::kDamagedFrame);
}

// ---------------------------------------------------------------------------
// Sending

bool TZmodem::SendStep(ZmodemTick& tick, std::uint64_t now_ms) {
  switch (state_) {
    case 13: {
      serial_.ReadLine();
      serial_.WriteBytes(kZfileHeader, sizeof kZfileHeader);
      std::error_code error;
      const auto size = std::filesystem::file_size(path_, error);
      file_size_ = error ? 0 : size;
      std::string info(kFileName, sizeof kFileName);  // with its zero byte
      info += std::to_string(file_size_);
      info += '\0';
      std::string with_end = info + static_cast<char>(kZcrcw);
      LogLine(Hex4(TSerial::Crc16(reinterpret_cast<const std::uint8_t*>(with_end.data()),
                                  static_cast<int>(with_end.size()))));
      serial_.WriteBytes(DataSubpacket(reinterpret_cast<const std::uint8_t*>(info.data()),
                                       static_cast<int>(info.size())));
      state_ = 14;
      return false;
    }
    case 14:
      if (Has(serial_.ReadLine(), kZrposZeroLine)) {
        retry_count_ = 0;
        acknowledged_ = position_ = 0;
        CloseFile();
        if (!file_.Open(path_, DiskFile::Mode::kRead) && file_size_ > 0) {
          Finish(tick, ZmodemEnd::kFileError, kCantOpenSource);
          return false;
        }
        start_time_ = now_ms;
        state_ = 15;
      }
      return false;
    case 15: {
      serial_.WriteBytes(BinaryHeader(kZdata, static_cast<std::uint32_t>(position_)));
      std::uint8_t* block = data_area_.data();
      const std::size_t n = file_.IsOpen() ? file_.Read(block, kBlockSize) : 0;
      if (n == 0 && position_ < file_size_) {
        Finish(tick, ZmodemEnd::kFileError, kReadError);
        return false;
      }
      acknowledged_ = position_;
      position_ += n;
      serial_.WriteBytes(DataSubpacket(block, static_cast<int>(n)));
      state_ = 16;
      return false;
    }
    case 16: {
      const std::string line = serial_.ReadLine();
      if (Has(line, kHexZack)) {
        tick.progress =
            MakeProgress(kSendProgressText, position_, file_size_, now_ms - start_time_);
        retry_count_ = 0;
        state_ = position_ < file_size_ ? 15 : 17;
        return true;
      }
      if (Has(line, kHexZrpos)) {
        // The receiver names where it stands. That is past the last block when only its
        // acknowledgement was lost: sending the block again would be refused for ever. A
        // position that cannot be read or lies beyond the file sends the last block again.
        std::uint64_t resume = acknowledged_;
        if (const auto asked = AskedPosition(line); asked && *asked <= file_size_) resume = *asked;
        if (file_.IsOpen() && !file_.SeekTo(resume)) {
          Finish(tick, ZmodemEnd::kFileError, kReadError);
          return false;
        }
        position_ = resume;
        ++retry_count_;
        tick.retry_changed = true;
        state_ = 15;
        return true;
      }
      return false;
    }
    case 17:
      serial_.WriteBytes(AbortSequence());
      CloseFile();
      Finish(tick, ZmodemEnd::kFinished);
      return false;
    default:
      return false;
  }
}

}  // namespace orb
