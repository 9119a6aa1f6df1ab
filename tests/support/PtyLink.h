// PtyLink: the serial line of the link tests, two pseudo-terminals with a paced relay between
// them, and the peer program on its far end.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/link/Serial.h"
#include "core/link/Zmodem.h"

// A serial line between the program and a real peer, made of two
// pseudo-terminals and a relay that carries bytes between them at the speed
// of a UART. Used by the link tests and the link benchmark.
namespace orb::test {

inline constexpr int kLineRate = 3840;  // bytes per second at 38400 baud, 8N1

std::uint64_t NowMs();

// A pseudo-terminal whose far (slave) end is in raw mode.
struct RawPty {
  int master = -1;
  int slave = -1;
  std::string slave_path;
  bool Open();
  void Close();
  ~RawPty() { Close(); }
};

// Carries bytes between two pseudo-terminal masters. Side A is the program's,
// side B the peer's. Paced, each direction delivers what a 38400 baud line
// would have sent by now, in small chunks every millisecond or two, and reads
// from its source only while less than 1 KiB waits, so that a fast writer is
// held back as a serial driver holds it back.
class PacedRelay {
 public:
  enum Direction { kToPeer = 0, kToProgram = 1 };
  struct Rule {
    Direction direction;
    std::uint64_t index;    // counted from the first byte in that direction
    std::uint8_t xor_mask;  // corrupts the byte when not 0
    int delay_ms;           // the line pauses this long before the byte
  };

  // bytes_per_second 0: as fast as the terminals take it.
  PacedRelay(int program_master, int peer_master, int bytes_per_second);
  ~PacedRelay();
  void AddRule(const Rule& rule);  // before Start
  // Bit errors: each byte in that direction from byte `from` on has one bit
  // flipped with a chance of 1 in one_in (0: none), drawn from a generator
  // seeded with seed. Before Start.
  void SetNoise(Direction direction, std::uint32_t one_in, unsigned seed, std::uint64_t from = 0);
  std::uint64_t Flipped(Direction direction) const { return flipped_[direction]; }
  // The noise can be switched off and on while the relay runs.
  void SetNoiseActive(bool active) { noise_active_ = active; }
  // A wire does not wait for the scheduler: when allowed, the relay thread
  // runs at real-time priority so that a busy machine does not stretch the
  // line (for measurements).
  void SetRealtime(bool realtime) { realtime_ = realtime; }
  void Start();
  void Stop();
  // Closes the program's master: its terminal hangs up.
  void HangUpProgramSide();
  std::uint64_t Carried(Direction direction) const { return carried_[direction]; }
  bool PeerGone() const { return peer_gone_; }

 private:
  struct Pending {
    std::uint8_t byte;
    std::int64_t due_ns;
  };
  void Run();
  void ReadSide(int direction, std::int64_t now_ns);
  void Deliver(int direction, std::int64_t now_ns);

  int fd_[2];
  int rate_;
  std::vector<Rule> rules_;
  std::uint32_t noise_one_in_[2] = {0, 0};
  std::uint64_t noise_from_[2] = {0, 0};
  std::mt19937 noise_random_[2];
  std::atomic<std::uint64_t> flipped_[2] = {0, 0};
  std::atomic<bool> noise_active_{true};
  std::deque<Pending> pending_[2];
  double line_free_ns_[2] = {0, 0};
  std::uint64_t read_count_[2] = {0, 0};
  std::atomic<std::uint64_t> carried_[2];
  std::atomic<bool> stop_{false};
  std::atomic<bool> hang_up_{false};
  std::atomic<bool> peer_gone_{false};
  std::atomic<bool> program_closed_{false};
  bool realtime_ = false;
  std::thread thread_;
};

// A peer program with a terminal as its standard input and output.
class Peer {
 public:
  ~Peer();
  bool Spawn(const std::vector<std::string>& argv, int tty, const std::string& folder,
             const std::string& stderr_path = "/dev/null");
  // True when it ended within the time; *status is the wait status.
  bool Wait(int timeout_ms, int* status = nullptr);
  void Kill();
  bool Running() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// The serial line of a test: the program's TSerial on one terminal, the peer's
// terminal, and the relay between them.
class Line {
 public:
  explicit Line(int bytes_per_second);
  ~Line();
  bool ok() const { return ok_; }
  TSerial& serial() { return serial_; }
  PacedRelay& relay() { return *relay_; }
  int peer_tty() const { return peer_.slave; }
  // The program's terminal hangs up, as when a USB adapter is pulled.
  void HangUp();
  // The peer's terminal stays open here for an in-process peer; a spawned
  // peer should be the only holder, so that its end shows as a hang-up.
  void ReleasePeerTty();
  void Start() { relay_->Start(); }

 private:
  bool ok_ = false;
  RawPty program_;
  RawPty peer_;
  TSerial serial_;
  std::unique_ptr<PacedRelay> relay_;
};

struct DriveResult {
  ZmodemEnd end = ZmodemEnd::kRunning;
  Status status = kOk;
  int ticks = 0;
  int waited = 0;
  int retries = 0;  // ticks that raised the retry count
  std::uint64_t elapsed_ms = 0;
  std::vector<std::string> progress;
};

// Runs ticks until the transfer ends or the time is up: a tick every 10 ms at
// the latest, and at once when bytes arrive. With strict_ticks, exactly every
// 10 ms as a timer would.
DriveResult Drive(TSerial& serial, TZmodem& zmodem, int timeout_ms, bool strict_ticks = false,
                  const std::function<void(const ZmodemTick&)>& on_tick = {});

std::string MakeTempFolder();
void RemoveFolder(const std::string& folder);
bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFile(const std::string& path);
std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed);
// Whether a program is on the PATH.
bool HaveProgram(const std::string& name);

}  // namespace orb::test
