#include "tests/support/PtyLink.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <pty.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

extern char** environ;

namespace orb::test {
namespace {

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

constexpr std::size_t kHoldBack = 1024;

}  // namespace

std::uint64_t NowMs() {
  return static_cast<std::uint64_t>(NowNs() / 1000000);
}

bool RawPty::Open() {
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return false;
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);
  termios settings{};
  ::tcgetattr(slave, &settings);
  ::cfmakeraw(&settings);
  ::cfsetspeed(&settings, B38400);
  ::tcsetattr(slave, TCSANOW, &settings);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  char* name = ::ttyname(slave);
  slave_path = name ? name : "";
  return !slave_path.empty();
}

void RawPty::Close() {
  if (master >= 0) ::close(master);
  if (slave >= 0) ::close(slave);
  master = slave = -1;
}

// ---------------------------------------------------------------------------

PacedRelay::PacedRelay(int program_master, int peer_master, int bytes_per_second)
    : fd_{program_master, peer_master}, rate_(bytes_per_second) {
  carried_[0] = 0;
  carried_[1] = 0;
}

PacedRelay::~PacedRelay() {
  Stop();
}

void PacedRelay::AddRule(const Rule& rule) {
  rules_.push_back(rule);
}

void PacedRelay::SetNoise(Direction direction, std::uint32_t one_in, unsigned seed,
                          std::uint64_t from) {
  noise_one_in_[direction] = one_in;
  noise_from_[direction] = from;
  noise_random_[direction].seed(seed);
}

void PacedRelay::Start() {
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

void PacedRelay::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void PacedRelay::HangUpProgramSide() {
  hang_up_ = true;
  // Bounded wait until the relay thread has done it.
  for (int i = 0; i < 2000 && !program_closed_; ++i) ::poll(nullptr, 0, 1);
}

void PacedRelay::ReadSide(int direction, std::int64_t now_ns) {
  std::uint8_t chunk[kHoldBack];
  const std::size_t room = kHoldBack - pending_[direction].size();
  const ssize_t n = ::read(fd_[direction], chunk, room);
  if (n <= 0) {
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
      // That terminal has nobody on its far end any more.
      if (direction == kToProgram) peer_gone_ = true;
      fd_[direction] = -1;
    }
    return;
  }
  const double byte_ns = rate_ > 0 ? 1e9 / rate_ : 0;
  for (ssize_t i = 0; i < n; ++i) {
    std::uint8_t byte = chunk[i];
    const std::uint64_t index = read_count_[direction]++;
    double start = std::max(static_cast<double>(now_ns), line_free_ns_[direction]);
    for (const Rule& rule : rules_) {
      if (rule.direction != direction || rule.index != index) continue;
      byte ^= rule.xor_mask;
      start += rule.delay_ms * 1e6;
    }
    if (noise_one_in_[direction] > 0 && noise_active_ && index >= noise_from_[direction] &&
        noise_random_[direction]() % noise_one_in_[direction] == 0) {
      byte ^= static_cast<std::uint8_t>(1u << noise_random_[direction]() % 8);
      ++flipped_[direction];
    }
    line_free_ns_[direction] = start + byte_ns;
    pending_[direction].push_back({byte, static_cast<std::int64_t>(line_free_ns_[direction])});
  }
}

void PacedRelay::Deliver(int direction, std::int64_t now_ns) {
  auto& queue = pending_[direction];
  const int target = fd_[1 - direction];
  std::uint8_t chunk[kHoldBack];
  std::size_t n = 0;
  while (n < queue.size() && queue[n].due_ns <= now_ns) {
    chunk[n] = queue[n].byte;
    ++n;
  }
  if (n == 0) return;
  if (target < 0) {  // nobody there: the bytes are lost on the line
    queue.erase(queue.begin(), queue.begin() + n);
    return;
  }
  const ssize_t written = ::write(target, chunk, n);
  if (written > 0) {
    queue.erase(queue.begin(), queue.begin() + written);
    carried_[direction] += static_cast<std::uint64_t>(written);
  } else if (written < 0 && errno != EAGAIN && errno != EINTR) {
    queue.erase(queue.begin(), queue.begin() + n);
  }
}

void PacedRelay::Run() {
  if (realtime_) {
    sched_param priority{};
    priority.sched_priority = 10;
    ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &priority);  // best effort
  }
  while (!stop_) {
    if (hang_up_ && !program_closed_) {
      ::close(fd_[kToPeer]);
      fd_[kToPeer] = -1;
      pending_[kToProgram].clear();
      program_closed_ = true;
    }
    std::int64_t now = NowNs();
    Deliver(kToPeer, now);
    Deliver(kToProgram, now);

    pollfd fds[2];
    int directions[2];
    int count = 0;
    for (int d = 0; d < 2; ++d) {
      if (fd_[d] >= 0 && pending_[d].size() < kHoldBack) {
        fds[count] = {fd_[d], POLLIN, 0};
        directions[count++] = d;
      }
    }
    const bool waiting = !pending_[0].empty() || !pending_[1].empty();
    ::poll(fds, count, waiting ? 1 : 2);
    now = NowNs();
    for (int i = 0; i < count; ++i) {
      if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ReadSide(directions[i], now);
    }
  }
}

// ---------------------------------------------------------------------------

Peer::~Peer() {
  Kill();
}

bool Peer::Spawn(const std::vector<std::string>& argv, int tty, const std::string& folder,
                 const std::string& stderr_path) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_adddup2(&actions, tty, 0);
  posix_spawn_file_actions_adddup2(&actions, tty, 1);
  posix_spawn_file_actions_addopen(&actions, 2, stderr_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const int result = ::posix_spawnp(&pid_, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (result != 0) pid_ = -1;
  return result == 0;
}

bool Peer::Wait(int timeout_ms, int* status) {
  if (pid_ <= 0) return true;
  const std::uint64_t end = NowMs() + timeout_ms;
  for (;;) {
    int wait_status = 0;
    const pid_t done = ::waitpid(pid_, &wait_status, WNOHANG);
    if (done == pid_ || (done < 0 && errno == ECHILD)) {
      pid_ = -1;
      if (status) *status = wait_status;
      return true;
    }
    if (NowMs() >= end) return false;
    ::poll(nullptr, 0, 5);
  }
}

void Peer::Kill() {
  if (pid_ <= 0) return;
  // Its whole group: a console simulator's sz or rz (stopped, perhaps) goes with it.
  ::kill(-pid_, SIGKILL);
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

// ---------------------------------------------------------------------------

Line::Line(int bytes_per_second) {
  if (!program_.Open() || !peer_.Open()) return;
  if (serial_.OpenPort(program_.slave_path) < 0) return;
  relay_ = std::make_unique<PacedRelay>(program_.master, peer_.master, bytes_per_second);
  ok_ = true;
}

Line::~Line() {
  if (relay_) relay_->Stop();
  serial_.ClosePort();
}

void Line::HangUp() {
  relay_->HangUpProgramSide();
  program_.master = -1;  // closed by the relay
}

void Line::ReleasePeerTty() {
  if (peer_.slave >= 0) ::close(peer_.slave);
  peer_.slave = -1;
}

// ---------------------------------------------------------------------------

DriveResult Drive(TSerial& serial, TZmodem& zmodem, int timeout_ms, bool strict_ticks,
                  const std::function<void(const ZmodemTick&)>& on_tick) {
  DriveResult result;
  const std::uint64_t start = NowMs();
  std::uint64_t next_tick = start;
  while (NowMs() - start < static_cast<std::uint64_t>(timeout_ms)) {
    serial.Poll();
    const ZmodemTick tick = zmodem.Step(NowMs());
    ++result.ticks;
    result.waited += tick.waited;
    if (tick.retry_changed) ++result.retries;
    if (tick.progress) result.progress.push_back(tick.progress->message);
    if (on_tick) on_tick(tick);
    if (tick.end != ZmodemEnd::kRunning) {
      result.end = tick.end;
      result.status = tick.status;
      break;
    }
    if (strict_ticks) {
      next_tick += 10;
      const std::uint64_t now = NowMs();
      if (next_tick > now) {
        ::poll(nullptr, 0, static_cast<int>(next_tick - now));
      } else {
        next_tick = now;
      }
    } else {
      pollfd port{serial.Handle(), POLLIN, 0};
      ::poll(&port, 1, 10);
    }
  }
  result.elapsed_ms = NowMs() - start;
  return result;
}

std::string MakeTempFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/orblink.XXXXXX";
  std::vector<char> text(pattern.begin(), pattern.end());
  text.push_back('\0');
  return ::mkdtemp(text.data()) ? std::string(text.data()) : std::string();
}

void RemoveFolder(const std::string& folder) {
  std::error_code error;
  if (!folder.empty()) std::filesystem::remove_all(folder, error);
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> RandomBytes(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(count);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

bool HaveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string paths = path ? path : "/usr/bin:/bin";
  std::size_t begin = 0;
  while (begin <= paths.size()) {
    const std::size_t end = std::min(paths.find(':', begin), paths.size());
    const std::string candidate = paths.substr(begin, end - begin) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    begin = end + 1;
  }
  return false;
}

}  // namespace orb::test
