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
constexpr std::string_view kHexZrinit =
    "*\x18"
    "B01";
constexpr std::string_view kHexZnak =
    "*\x18"
    "B06";
// What a sender repeats when our ZRINIT or its answer got lost: its ZRQINIT, or a ZNAK.
constexpr std::string_view kSenderAsksAgain[] = {
    "\x18"
    "B00",
    "\x18"
    "B06"};
constexpr std::uint8_t kZnak = 6;
// Bytes without a frame after a request before the answer counts as lost: more than a serial
// driver holds, until the line's own depth is known.
constexpr std::uint64_t kGarbageLimit = 4 * kFrameLimit;
// What is kept of a streaming sender's subpackets behind a damaged one: more than a line and
// its terminals hold on the way.
constexpr std::size_t kAfterDamageLimit = 64 * 1024;
constexpr std::uint8_t kZfileHeader[10] = {0x2A, 0x18, 0x41, 0x04, 0x00,
                                           0x00, 0x00, 0x00, 0x89, 0x06};
constexpr char kFileName[] = "data.gz";
constexpr std::uint8_t kLeadingPad[1] = {kZpad};
// Sizes beyond this are not numbers to the console's programs either.
constexpr std::uint64_t kLargestSize = 0x7FFFFFFF;

bool Has(const std::string& line, std::string_view text) {
  return line.find(text) != std::string::npos;
}

// The position a receiver's hex header of the given kind (ZRPOS, ZACK) carries: its four position
// bytes, lowest first, when all fourteen hex digits are there and the CRC over type and position
// is right.
std::optional<std::uint64_t> HexHeaderPosition(const std::string& line, std::string_view kind) {
  const std::size_t at = line.find(kind);
  if (at == std::string::npos) return std::nullopt;
  const std::size_t digits = at + kind.size() - 2;  // from the type's two digits
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

// Whether the type, the four position or flag bytes and the CRC of a binary header whose
// escapes have been undone agree.
bool HeaderIntact(const std::uint8_t* area, int count) {
  return count >= 10 && TSerial::Crc16(area + 3, 5) == (area[8] << 8 | area[9]);
}

std::uint32_t HeaderPosition(const std::uint8_t* area) {
  return static_cast<std::uint32_t>(area[4]) | static_cast<std::uint32_t>(area[5]) << 8 |
         static_cast<std::uint32_t>(area[6]) << 16 | static_cast<std::uint32_t>(area[7]) << 24;
}

// A data subpacket at `header` of an area of m unescaped bytes, ending with ZDLE, the end
// letter, two CRC bytes and, when taken, the XON.
struct Subpacket {
  int data = -1;  // data bytes; -1 when the end mark is not where it belongs
  unsigned crc = 0;
  unsigned received = 0;
  bool Intact() const { return data >= 0 && crc == received; }
};

Subpacket CheckSubpacket(std::uint8_t* area, int m, int header, std::uint8_t end, bool xon) {
  Subpacket packet;
  const int data = m - header - 4 - (xon ? 1 : 0);
  if (data < 0 || area[header + data] != kZdle || area[header + data + 1] != end) return packet;
  packet.data = data;
  area[header + data] = end;  // the CRC covers the data and the end letter
  packet.crc = TSerial::Crc16(area + header, data + 1);
  packet.received = static_cast<unsigned>(area[header + data + 2]) << 8 | area[header + data + 3];
  return packet;
}

std::vector<std::uint8_t> HexZnak() {
  static constexpr std::uint8_t kData[5] = {kZnak, 0, 0, 0, 0};
  return HexHeader(kData);
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

void SendFin(TSerial& serial) {
  serial.WriteBytes(BinaryHeader(kZfin, 0));
}

void TZmodem::Start(Direction direction, std::string file_path, std::uint64_t now_ms) {
  CloseFile();
  direction_ = direction;
  path_ = std::move(file_path);
  state_ = kFirstState;
  done_ = false;
  last_end_ = ZmodemEnd::kRunning;
  streaming_ = asking_again_ = answer_due_ = false;
  answer_lag_ = 0;
  resent_for_.reset();
  after_damage_ = {};
  position_ = acknowledged_ = file_size_ = 0;
  retry_count_ = total_retries_ = receiver_greetings_ = 0;
  start_time_ = now_ms;
  last_progress_ = last_asked_ = now_ms;
  received_at_ask_ = serial_.ReceivedTotal();
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
    const std::uint64_t stalled = now_ms > last_progress_ ? now_ms - last_progress_ : 0;
    if (!serial_.IsOpen() || serial_.HungUp()) {
      Finish(tick, ZmodemEnd::kLineLost);
    } else if (now_ms > last_activity_ && now_ms - last_activity_ > idle_limit_ms_) {
      Finish(tick, ZmodemEnd::kTimedOut);
    } else if (stalled > kStallLimitMs) {
      Finish(tick, ZmodemEnd::kStalled);
    } else if (stalled >= kStallNoticeMs) {
      tick.stalled_ms = stalled;
    }
  }
  return tick;
}

void TZmodem::DiscardReceived() {
  int all = serial_.Length();
  serial_.Consume(all, nullptr);
}

bool TZmodem::SilentFor(std::uint64_t now_ms, std::uint64_t ms) const {
  const std::uint64_t since = std::max(last_activity_, last_asked_);
  return now_ms > since && now_ms - since >= ms;
}

// True when the retries have run out.
bool TZmodem::CountRetry(ZmodemTick& tick) {
  ++retry_count_;
  ++total_retries_;
  tick.retry_changed = true;
  const std::uint64_t transfer_limit = kTransferRetryLimit + file_size_ / kRetryAllowanceBytes;
  return retry_count_ >= kRetryLimit ||
         static_cast<std::uint64_t>(total_retries_) >= transfer_limit;
}

bool TZmodem::HeaderAtFront() const {
  return BinaryHeaderAt(serial_.Data(), serial_.Length());
}

// ---------------------------------------------------------------------------
// Receiving

bool TZmodem::ReceiveStep(ZmodemTick& tick, std::uint64_t now_ms) {
  switch (state_) {
    case 13:
      if (Has(serial_.ReadLine(), kZrqinitLine)) {
        serial_.WriteBytes(HexZrinit());
        last_asked_ = now_ms;
        state_ = 14;
      }
      return false;
    case 14:
      return ReceiveFileHeader(tick, now_ms);
    case 15:
      // A streaming sender notices an answer by reading one byte of it: a request to go back
      // gets a second ZPAD, so that the header is still whole behind the byte it takes.
      if (asking_again_) {
        serial_.WriteBytes(kLeadingPad, 1);
        // What the line holds when we first ask is the depth of the way back to the sender.
        if (!answer_due_) first_asked_at_ = serial_.ReceivedTotal();
        answer_due_ = true;
      }
      asking_again_ = false;
      serial_.WriteBytes(BinaryHeader(position_ != acknowledged_ ? kZack : kZrpos,
                                      static_cast<std::uint32_t>(position_)));
      acknowledged_ = position_;
      last_asked_ = now_ms;
      received_at_ask_ = serial_.ReceivedTotal();
      state_ = 16;
      return false;
    case 16:
      return ReceiveData(tick, now_ms);
    case 17:
      return CloseReceive(tick);
    default:
      return false;
  }
}

bool TZmodem::ReceiveFileHeader(ZmodemTick& tick, std::uint64_t now_ms) {
  // A sender that repeats its request, or that stays silent, did not get our ZRINIT whole.
  // Silence is no damage: it counts no retry, and the time limits bound it.
  const std::string_view waiting(reinterpret_cast<const char*>(serial_.Data()),
                                 static_cast<std::size_t>(serial_.Length()));
  bool asked = false;
  for (std::string_view request : kSenderAsksAgain) {
    if (waiting.find(request) != std::string_view::npos) asked = true;
  }
  const int n = serial_.FrameLength();
  if (n == 0) {
    tick.waited = 1;
    if (asked || SilentFor(now_ms, kAskAgainMs)) {
      DiscardReceived();
      if (asked && CountRetry(tick)) {
        Finish(tick, ZmodemEnd::kTooManyRetries);
        return false;
      }
      serial_.WriteBytes(HexZrinit());
      last_asked_ = now_ms;
    }
    return false;
  }
  const int raw_header = RawHeaderLength(serial_.Data(), n);
  std::uint8_t end = 0;
  bool xon = false;
  SubpacketLength(serial_.Data(), n, raw_header, &end, &xon);
  int kept = std::min(n, kFrameArea);
  serial_.Consume(kept, frame_area_.data());
  int rest = n - kept;
  serial_.Consume(rest, nullptr);

  std::uint8_t* frame = frame_area_.data();
  if (kept < 10 || !BinaryHeaderAt(frame, kept) || frame[3] != kZfile) {
    const int text = static_cast<int>(std::find(frame, frame + kept, 0) - frame);
    if (text > 0) LogLine(std::string(reinterpret_cast<const char*>(frame), text));
    return false;
  }

  // The header's escapes are undone first, so that the name starts right
  // behind its ten bytes even when one of them was escaped.
  const int m = TSerial::ZdleUnescape(frame, kept);
  const Subpacket info = CheckSubpacket(frame, m, 10, end, xon);
  if (rest > 0 || !HeaderIntact(frame, m) || !info.Intact()) {
    // A damaged size would cut the file short or wait for bytes that never come: the sender
    // is asked for its file header again.
    LogLine("File header damaged.");
    if (CountRetry(tick)) {
      Finish(tick, ZmodemEnd::kTooManyRetries);
      return false;
    }
    serial_.WriteBytes(HexZnak());
    last_asked_ = now_ms;
    return false;
  }
  const std::uint8_t* name = frame + 10;
  const std::uint8_t* name_end_limit = frame + 10 + info.data;
  const std::uint8_t* name_end = std::find(name, name_end_limit, 0);
  file_size_ = name_end < name_end_limit
                   ? ParseSize(name_end + 1, static_cast<int>(name_end_limit - name_end - 1))
                   : 0;
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
  Progressed(now_ms);
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
  if (after_damage_.open) {
    const Gathered gathered = GatherAfterDamage();
    if (gathered == Gathered::kTook) return true;
    if (gathered == Gathered::kWaiting) {
      if (!SilentFor(now_ms, kAskAgainMs)) return false;
      after_damage_.open = false;
    }
  }
  if (streaming_ && !HeaderAtFront()) {
    // A subpacket that follows one ending in ZCRCG or ZCRCQ has no header.
    n = SubpacketLength(bytes, serial_.Length(), 0, &end, &xon);
  } else {
    streaming_ = false;
    n = serial_.FrameLength();
    if (n > 0 && HeaderAtFront() && n >= 4 && serial_.Data()[3] == kZdata) {
      header = 10;
      SubpacketLength(bytes, serial_.Length(), RawHeaderLength(bytes, n), &end, &xon);
    } else if (n > 0 && HeaderAtFront() && serial_.Length() > 3 && serial_.Data()[3] == kZnak) {
      // The sender could not read our last answer: it goes again.
      int answer = std::min(RawHeaderLength(bytes, serial_.Length()), serial_.Length());
      serial_.Consume(answer, nullptr);
      LogLine("Answer again.");
      return AskForDataAgain(tick, 0, 0);
    } else if (n > 0) {
      std::uint8_t frame[20] = {};
      int kept = std::min(n, 20);
      serial_.Consume(kept, frame);
      int rest = n - kept;
      serial_.Consume(rest, nullptr);
      const int m = TSerial::ZdleUnescape(frame, kept);
      if (frame[3] == kZeof && HeaderIntact(frame, m)) {
        if (position_ == file_size_) {
          CloseFile();
          state_ = 17;
          return true;
        }
        // Data is missing, but this end may have left before the sender heard our request
        // for it: if it did not, the silence that follows asks again.
        LogLine("End of file too early.");
      }
      return false;
    }
  }
  if (n == 0) {
    // The frame in flight, or our answer to the last one, got lost: the sender waits.
    if (SilentFor(now_ms, kAskAgainMs)) {
      DiscardReceived();
      LogLine("No data.");
      return AskForDataAgain(tick, 0, 0, false);
    }
    // A frame whose header was damaged: a streaming sender goes on with subpackets that belong
    // nowhere, and only a request to go back stops it. What the line and the terminals held
    // when we last asked is still on its way and no sign of that: the sender's answer to a
    // request has come after this many bytes before, and may again.
    const std::uint64_t garbage_limit = std::max(kGarbageLimit, answer_lag_ + kFrameLimit);
    if (!streaming_ && !HeaderAtFront() &&
        serial_.ReceivedTotal() - received_at_ask_ > garbage_limit) {
      LogLine("Frame lost.");
      return AskForDataAgain(tick, 0, 0);
    }
    return false;
  }

  std::uint8_t* area = data_area_.data();
  int kept = std::min(n, kDataArea);
  serial_.Consume(kept, area);
  int rest = n - kept;
  serial_.Consume(rest, nullptr);
  const int m = TSerial::ZdleUnescape(area, kept);
  if (n > kFrameLimit) {
    LogLine("Frame damaged.");
    return AskForDataAgain(tick, std::min(header, m), m - std::min(header, m));
  }
  LogLine("Receive Buffer. size = " + std::to_string(m));

  if (header > 0) {
    if (!HeaderIntact(area, m)) {
      LogLine("Frame damaged.");
      return AskForDataAgain(tick, std::min(header, m), m - std::min(header, m));
    }
    const std::uint32_t at = HeaderPosition(area);
    // A frame sent before the sender heard our last request: the one asked for follows. An
    // answer to it would be a second request for the same place, and the sender would go
    // twice.
    if (at < position_) return false;
    if (at == position_ && answer_due_) {
      answer_due_ = false;
      answer_lag_ = std::max(answer_lag_, serial_.ReceivedTotal() - first_asked_at_);
    }
    if (at > position_) {
      LogLine("Frame out of place.");
      return AskForDataAgain(tick, header, 0);
    }
  }
  const Subpacket packet = CheckSubpacket(area, m, header, end, xon);
  if (packet.data < 0) {
    LogLine("Frame damaged.");
    return AskForDataAgain(tick, std::min(header, m), m - std::min(header, m));
  }
  if (!packet.Intact()) {
    const std::uint8_t high = area[header + packet.data + 2];
    const std::uint8_t low = area[header + packet.data + 3];
    LogLine("CRC error. " + Hex4(packet.crc) + " : " +
            Hex4(static_cast<unsigned>(low) << 8 | high));
    after_damage_ = {};
    if (end == kZcrcg || end == kZcrcq) {
      StartGathering(area + header, packet.data, packet.received, end);
    }
    return AskForDataAgain(tick, header, m - header);
  }
  const int data = packet.data;
  const std::size_t gathered = header > 0 ? GatheredToKeep(area + header, data) : 0;

  // Data past the announced size is checked but not kept.
  const int keep = static_cast<int>(std::min<std::uint64_t>(data, file_size_ - position_));
  if (keep > 0 && file_.Write(area + header, keep) != static_cast<std::size_t>(keep)) {
    Finish(tick, ZmodemEnd::kFileError, kWriteError);
    return false;
  }
  position_ += keep;
  if (gathered > 0) {
    // What came after the damage belongs right behind this block: it is kept, and the sender is
    // asked to go on behind it instead of sending it a second time.
    const std::uint8_t* behind = after_damage_.data.data() + (after_damage_.data.size() - gathered);
    const std::size_t taken = static_cast<std::size_t>(
        std::min<std::uint64_t>(gathered, file_size_ - std::min(position_, file_size_)));
    if (taken > 0 && file_.Write(behind, taken) != taken) {
      Finish(tick, ZmodemEnd::kFileError, kWriteError);
      return false;
    }
    position_ += taken;
    LogLine("Kept " + std::to_string(taken) + " bytes that came after the damage.");
  }
  // A block with a header ends what was gathered, whether it was used or not.
  if (header > 0) after_damage_ = {};
  if (keep > 0 || gathered > 0) Progressed(now_ms);
  tick.progress = MakeProgress(kReceiveProgressText, position_, file_size_, now_ms - start_time_);
  retry_count_ = 0;
  // The sender still stands where this block ended; the file's end, when reached here, comes
  // with the sender's own end of file.
  if (gathered > 0) return AskForDataAgain(tick, 0, 0, false);
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

// A frame came damaged, out of place or not at all: the sender is asked to go on from the
// last good position, as long as the retries last (silence counts none). When they run out, the
// count bytes at `from` of the data area (the damaged data and its trailer) go into the file after
// what came whole, for inspection.
bool TZmodem::AskForDataAgain(ZmodemTick& tick, int from, int count, bool counted) {
  if (counted && CountRetry(tick)) {
    EndWithDamage(tick, from, count);
    return false;
  }
  streaming_ = false;
  asking_again_ = true;
  acknowledged_ = position_;  // state 15 then sends ZRPOS at the position
  state_ = 15;
  return true;
}

void TZmodem::StartGathering(const std::uint8_t* damaged, int count, unsigned crc,
                             std::uint8_t end) {
  after_damage_.open = true;
  after_damage_.at = position_;
  after_damage_.damaged.assign(damaged, damaged + count);
  after_damage_.crc = crc;
  after_damage_.end = end;
}

// The next headerless subpacket behind a damaged one, as long as they come whole and in a row.
// A header, a damaged subpacket or one that ends the stream closes the gathering.
TZmodem::Gathered TZmodem::GatherAfterDamage() {
  const std::uint8_t* bytes = serial_.Data();
  const int length = serial_.Length();
  if (length > 0 && bytes[0] == kZpad) {
    if (length < 3) return Gathered::kWaiting;
    after_damage_.open = false;
    return Gathered::kClosed;
  }
  std::uint8_t end = 0;
  bool xon = false;
  const int n = SubpacketLength(bytes, length, 0, &end, &xon);
  if (n == 0) return Gathered::kWaiting;
  after_damage_.open = false;
  if (n > kFrameLimit) return Gathered::kClosed;
  // A subpacket whose end mark was lost runs into the next header, which must stay whole.
  if (FindBinaryHeader(bytes, n) != n) return Gathered::kClosed;
  std::uint8_t* area = data_area_.data();
  int kept = n;
  serial_.Consume(kept, area);
  const int m = TSerial::ZdleUnescape(area, kept);
  const Subpacket packet = CheckSubpacket(area, m, 0, end, xon);
  if (!packet.Intact() || after_damage_.data.size() + packet.data > kAfterDamageLimit) {
    return Gathered::kTook;
  }
  if (after_damage_.first_length < 0) after_damage_.first_length = packet.data;
  after_damage_.data.insert(after_damage_.data.end(), area, area + packet.data);
  after_damage_.open = end == kZcrcg || end == kZcrcq;
  return Gathered::kTook;
}

// How many of the gathered bytes lie beyond the end of `block`, the intact block sent again
// from where the damaged subpacket began: 0 unless the block proves where they belong. The
// damaged subpacket is taken to have had the length of the first one behind it; the block shows
// that it did when its first bytes of that length fit the damaged subpacket's CRC as it came, or
// are the damaged subpacket's data byte for byte (the damage was in its CRC), and its bytes past
// them are the gathered ones.
std::size_t TZmodem::GatheredToKeep(const std::uint8_t* block, int count) const {
  const AfterDamage& gathered = after_damage_;
  const int length = gathered.first_length;
  if (gathered.at != position_ || gathered.data.empty() || length <= 0 || count < length) {
    return 0;
  }
  bool placed = gathered.damaged.size() == static_cast<std::size_t>(length) &&
                std::equal(block, block + length, gathered.damaged.begin());
  if (!placed) {
    std::vector<std::uint8_t> with_end(block, block + length);
    with_end.push_back(gathered.end);
    placed = TSerial::Crc16(with_end.data(), length + 1) == gathered.crc;
  }
  const std::size_t overlap = static_cast<std::size_t>(count - length);
  if (!placed || overlap >= gathered.data.size() ||
      !std::equal(block + length, block + count, gathered.data.begin())) {
    return 0;
  }
  return gathered.data.size() - overlap;
}

void TZmodem::EndWithDamage(ZmodemTick& tick, int from, int count) {
  if (file_.IsOpen() && count > 0) file_.Write(data_area_.data() + from, count);
  Finish(tick, ZmodemEnd::kDamagedFrame);
}

// The file is whole and checked: our ZFIN ends the sender. Its ZEOF and XONs are no business
// of the shell; the shell's prompt, right behind them, is.
bool TZmodem::CloseReceive(ZmodemTick& tick) {
  for (;;) {
    if (serial_.Length() > 0 && (serial_.Data()[0] & 0x7F) == kXon) {
      int one = 1;
      serial_.Consume(one, nullptr);
    } else if (HeaderAtFront() &&
               serial_.Length() >= RawHeaderLength(serial_.Data(), serial_.Length()) &&
               serial_.Data()[3] == kZeof) {
      int header = RawHeaderLength(serial_.Data(), serial_.Length());
      serial_.Consume(header, nullptr);
    } else {
      break;
    }
  }
  serial_.SetEcho(true);
  SendFin(serial_);
  Finish(tick, ZmodemEnd::kFinished);
  return false;
}

// ---------------------------------------------------------------------------
// Sending

void TZmodem::SendFileHeader(std::uint64_t now_ms) {
  serial_.WriteBytes(kZfileHeader, sizeof kZfileHeader);
  std::string info(kFileName, sizeof kFileName);  // with its zero byte
  info += std::to_string(file_size_);
  info += '\0';
  std::string with_end = info + static_cast<char>(kZcrcw);
  LogLine(Hex4(TSerial::Crc16(reinterpret_cast<const std::uint8_t*>(with_end.data()),
                              static_cast<int>(with_end.size()))));
  serial_.WriteBytes(DataSubpacket(reinterpret_cast<const std::uint8_t*>(info.data()),
                                   static_cast<int>(info.size())));
  last_asked_ = now_ms;
}

// The receiver takes the file when it asks for position 0. It greets us with ZRINIT once when
// it starts; a ZRINIT after that, a ZNAK, or silence after its greeting mean that our file
// header did not reach it whole, and it goes again.
bool TZmodem::AwaitFileAcceptance(ZmodemTick& tick, std::uint64_t now_ms) {
  const std::string line = serial_.ReadLine();
  if (Has(line, kZrposZeroLine)) {
    retry_count_ = 0;
    acknowledged_ = position_ = 0;
    CloseFile();
    if (!file_.Open(path_, DiskFile::Mode::kRead) && file_size_ > 0) {
      Finish(tick, ZmodemEnd::kFileError, kCantOpenSource);
      return false;
    }
    start_time_ = now_ms;
    Progressed(now_ms);
    state_ = 15;
    return false;
  }
  bool asked = Has(line, kHexZnak);
  if (Has(line, kHexZrinit)) asked = asked || ++receiver_greetings_ > 1;
  if (!asked && !(receiver_greetings_ > 0 && SilentFor(now_ms, kAskAgainMs))) return false;
  LogLine("File header again.");
  if (asked && CountRetry(tick)) {
    Finish(tick, ZmodemEnd::kTooManyRetries);
    return false;
  }
  SendFileHeader(now_ms);
  return false;
}

bool TZmodem::SendStep(ZmodemTick& tick, std::uint64_t now_ms) {
  switch (state_) {
    case 13: {
      serial_.ReadLine();
      std::error_code error;
      const auto size = std::filesystem::file_size(path_, error);
      file_size_ = error ? 0 : size;
      SendFileHeader(now_ms);
      state_ = 14;
      return false;
    }
    case 14:
      return AwaitFileAcceptance(tick, now_ms);
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
      last_asked_ = now_ms;
      state_ = 16;
      return false;
    }
    case 16: {
      const std::string line = serial_.ReadLine();
      if (Has(line, kHexZack)) {
        // The receiver acknowledges with the position after the block it took. Another position
        // answers a block that went twice; waiting on for the answer to this one keeps the
        // exchange in step.
        if (const auto at = HexHeaderPosition(line, kHexZack); at && *at != position_) {
          LogLine("Old answer.");
          return false;
        }
        tick.progress =
            MakeProgress(kSendProgressText, position_, file_size_, now_ms - start_time_);
        retry_count_ = 0;
        resent_for_.reset();
        Progressed(now_ms);
        state_ = position_ < file_size_ ? 15 : 17;
        return true;
      }
      if (Has(line, kHexZrpos)) {
        // The receiver names where it stands. That is past the last block when only its
        // acknowledgement was lost: sending the block again would be refused for ever. A
        // position that cannot be read or lies beyond the file sends the last block again.
        std::uint64_t resume = acknowledged_;
        const auto asked = HexHeaderPosition(line, kHexZrpos);
        if (asked && *asked <= file_size_) resume = *asked;
        // A receiver may ask twice for the same place; the block on its way answers both.
        if (asked && resent_for_ == *asked && *asked == acknowledged_) {
          LogLine("Asked again.");
          resent_for_.reset();
          return false;
        }
        if (file_.IsOpen() && !file_.SeekTo(resume)) {
          Finish(tick, ZmodemEnd::kFileError, kReadError);
          return false;
        }
        if (resume > acknowledged_) Progressed(now_ms);
        position_ = resume;
        resent_for_ = resume;
        if (CountRetry(tick)) {
          Finish(tick, ZmodemEnd::kTooManyRetries);
          return false;
        }
        state_ = 15;
        return true;
      }
      // Neither answer came: the block or its answer got lost on the way. The block goes again;
      // a receiver that has it already names the position it wants.
      if (SilentFor(now_ms, kAskAgainMs)) {
        LogLine("No answer.");
        if (file_.IsOpen() && !file_.SeekTo(acknowledged_)) {
          Finish(tick, ZmodemEnd::kFileError, kReadError);
          return false;
        }
        position_ = acknowledged_;
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
