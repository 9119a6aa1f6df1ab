// TZmodem: moves one file over the serial line with ZMODEM, one timer tick at a time.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/link/Serial.h"
#include "core/model/DataFile.h"
#include "core/model/Status.h"

// Moving one file over the serial line with ZMODEM, as the states 13 to 17 of
// the transfer session. Each call of Step runs one timer tick's worth of the
// exchange and never waits for an answer from the far side.
namespace orb {

inline constexpr const char* kReceiveProgressText = "Receving TITLE data ";
inline constexpr const char* kSendProgressText = "Sending TITLE data ";
inline constexpr const char* kDebugFileText = "Debug file created.";
inline constexpr const char* kDebugFileCaption = "Debug.";

// What the session's window shows for a transfer in progress.
struct TransferProgress {
  int percent = 0;
  std::string message;  // text + percent + "% done..."
  std::uint64_t bits_per_second = 0;
  bool has_remaining = false;  // false while no speed is known
  std::uint64_t remaining_seconds = 0;
};

// An empty file counts as complete; an elapsed time of 0 counts as 1 ms.
TransferProgress MakeProgress(const std::string& text, std::uint64_t position, std::uint64_t size,
                              std::uint64_t elapsed_ms);

enum class ZmodemEnd {
  kRunning,
  kFinished,        // state 17 done: ZFIN or the abort sequence has been sent
  kDamagedFrame,    // receiving, the retries ran out: the last damaged frame went into the
                    // file after what came whole; show kDebugFileText
  kTooManyRetries,  // sending, or before any data came: the retries ran out
  kFileError,       // the transfer file failed; status says how
  kTimedOut,        // the far side fell silent
  kStalled,         // bytes kept coming, but no data got through for kStallLimitMs
  kLineLost,        // the line hung up
};

// What one tick asks of the session.
struct ZmodemTick {
  ZmodemEnd end = ZmodemEnd::kRunning;
  int waited = 0;                // ticks to add to the session's wait counter
  bool retry_changed = false;    // the retry count grew; show it
  std::uint64_t stalled_ms = 0;  // time without progress, once it passes kStallNoticeMs
  std::optional<TransferProgress> progress;
  Status status = kOk;
};

class TZmodem {
 public:
  enum class Direction { kReceive, kSend };

  static constexpr int kFirstState = 13;
  static constexpr int kLastState = 17;
  static constexpr int kFrameArea = 1024;
  static constexpr int kDataArea = 4096;
  static constexpr int kBlockSize = 1024;
  // Longer than any pause of a working peer, and than the 10 s after which
  // a ZMODEM peer repeats itself when something got lost.
  static constexpr std::uint64_t kDefaultIdleLimitMs = 30000;
  // A damaged frame is asked for again from the last good position; these
  // many retries one after another, or in the whole transfer, end it. A large
  // file on a noisy line needs more in all: one more for each four blocks.
  static constexpr int kRetryLimit = 10;
  static constexpr int kTransferRetryLimit = 100;
  static constexpr std::uint64_t kRetryAllowanceBytes = 4 * kBlockSize;
  // Silence while a frame is due: the frame or the answer to it got lost, and
  // the far side waits. A working peer answers within a fraction of this.
  static constexpr std::uint64_t kAskAgainMs = 2000;
  // Bytes that keep coming without data getting through do not count as
  // activity for ever.
  static constexpr std::uint64_t kStallLimitMs = 60000;
  static constexpr std::uint64_t kStallNoticeMs = 5000;

  explicit TZmodem(TSerial& serial) : serial_(serial) {}

  // Begins at state 13. The file is "tmp.gz" of the work folder: created
  // when receiving, read when sending.
  void Start(Direction direction, std::string file_path, std::uint64_t now_ms);
  ZmodemTick Step(std::uint64_t now_ms);

  int State() const { return state_; }
  Direction GetDirection() const { return direction_; }
  std::uint64_t Position() const { return position_; }
  std::uint64_t AcknowledgedPosition() const { return acknowledged_; }
  std::uint64_t FileSize() const { return file_size_; }
  int RetryCount() const { return retry_count_; }  // since the last good block
  int TotalRetries() const { return total_retries_; }
  std::uint64_t StartTime() const { return start_time_; }
  // The session closes the file when it ends the transfer early.
  void CloseFile();
  void SetIdleLimit(std::uint64_t ms) { idle_limit_ms_ = ms; }

 private:
  bool ReceiveStep(ZmodemTick& tick, std::uint64_t now_ms);
  bool SendStep(ZmodemTick& tick, std::uint64_t now_ms);
  bool ReceiveFileHeader(ZmodemTick& tick, std::uint64_t now_ms);
  bool ReceiveData(ZmodemTick& tick, std::uint64_t now_ms);
  bool AskForDataAgain(ZmodemTick& tick, int from, int count, bool counted = true);
  enum class Gathered { kTook, kWaiting, kClosed };
  Gathered GatherAfterDamage();
  void StartGathering(const std::uint8_t* damaged, int count, unsigned crc, std::uint8_t end);
  std::size_t GatheredToKeep(const std::uint8_t* block, int count) const;
  void EndWithDamage(ZmodemTick& tick, int from, int count);
  bool CountRetry(ZmodemTick& tick);
  void SendFileHeader(std::uint64_t now_ms);
  bool AwaitFileAcceptance(ZmodemTick& tick, std::uint64_t now_ms);
  bool CloseReceive(ZmodemTick& tick);
  void DiscardReceived();
  bool SilentFor(std::uint64_t now_ms, std::uint64_t ms) const;
  void Progressed(std::uint64_t now_ms) { last_progress_ = now_ms; }
  bool HeaderAtFront() const;
  void Finish(ZmodemTick& tick, ZmodemEnd end, Status status = kOk);

  TSerial& serial_;
  Direction direction_ = Direction::kReceive;
  std::string path_;
  DiskFile file_;
  int state_ = 0;
  bool done_ = false;
  ZmodemEnd last_end_ = ZmodemEnd::kRunning;
  bool streaming_ = false;        // the last subpacket said more follow without a header
  bool asking_again_ = false;     // receiving: the next ZRPOS asks for data again
  bool answer_due_ = false;       // receiving: the sender's answer to that ZRPOS has not come yet
  std::uint64_t answer_lag_ = 0;  // the most bytes that came between a ZRPOS and its answer
  std::uint64_t first_asked_at_ = 0;  // the line's byte count at the first ZRPOS of those
  std::uint64_t position_ = 0;
  std::uint64_t acknowledged_ = 0;
  std::uint64_t file_size_ = 0;
  int retry_count_ = 0;
  int total_retries_ = 0;
  int receiver_greetings_ = 0;  // ZRINITs heard while sending the file header
  // Receiving: a streaming sender goes on after a damaged subpacket until it hears our request,
  // and what it sends meanwhile mostly comes whole. It is kept here until the block sent again
  // shows where it belongs; then the sender is asked to go on behind it.
  struct AfterDamage {
    bool open = false;                  // subpackets are still being gathered
    std::uint64_t at = 0;               // where the damaged subpacket began
    std::vector<std::uint8_t> damaged;  // its data as it came
    unsigned crc = 0;                   // the CRC it came with
    std::uint8_t end = 0;               // and its end letter
    int first_length = -1;              // data bytes of the first subpacket gathered
    std::vector<std::uint8_t> data;     // the subpackets gathered, in order
  } after_damage_;
  std::optional<std::uint64_t> resent_for_;  // sending: the block in flight answers a ZRPOS here
  std::uint64_t start_time_ = 0;
  std::uint64_t last_progress_ = 0;
  std::uint64_t last_asked_ = 0;       // when a frame was last sent or asked for again
  std::uint64_t received_at_ask_ = 0;  // the line's byte count then
  std::uint64_t last_activity_ = 0;
  std::uint64_t last_received_ = 0;
  std::uint64_t idle_limit_ms_ = kDefaultIdleLimitMs;
  std::array<std::uint8_t, kFrameArea> frame_area_{};
  std::array<std::uint8_t, kDataArea> data_area_{};
};

// Sent when a transfer is cut short, so that the far side stops too.
void SendAbortSequence(TSerial& serial);
// The receiver's binary ZFIN, which ends the sender after a whole file.
void SendFin(TSerial& serial);

}  // namespace orb
