// The console as the tests play it: the ORB-Q730's login and shell on the far
// end of a terminal, its ten title slots in a folder of ours, and the real
// tar, gzip, sz and rz for the commands that need them.
//
//   console_sim --root DIR [faults]        the console on standard input/output
//   console_sim --pty [--rate B] --root DIR [faults]
//                                          makes its own paced line, prints the
//                                          program side's device path, serves
//
// DIR stands for the console's "/": slots are DIR/home/kel205/data/01 ... 10.
// Faults: --silent (no answer at all), --wrong (every line answered with
// something else), --unended (every line answered with text that never ends
// its line), --cd-fails (every cd answers "can't cd" and stays where it is),
// --logged-in (the shell prompt at once), --prompt-inline (after sz and rz the
// prompt follows cancel bytes and backspaces on the same line), --prompt-glued (after sz and
// rz the prompt follows their last bytes at once), --lose-zfin N (the first N ZFINs the PC
// sends to sz are lost on the way), --free KB (the
// free space df shows), --no-scan (the scan program is missing), --archive
// FILE (packing leaves FILE as /tmp/data.gz), --drop NAME (removed after
// unpacking, repeatable), --hang-up-ms MS (the console dies that long into a
// transfer), --noise-to-pc N / --noise-to-console N (byte N of that direction
// is corrupted; --pty only), --bit-errors N (one byte in N of either direction
// gets a bit flipped; --pty only), --transfer-bit-errors N (the same, only while
// sz or rz runs), --seed S (for the bit errors), --freeze-ms MS (the console
// stops that long into a transfer and never goes on), --no-pwd (the shell has
// no pwd), --stale FILE (FILE is /tmp/data.gz from the start). Faults of one
// command line, CMD or CMD@N for its Nth time: --garble CMD (its last character
// arrives with a bit flipped, and the console echoes and runs that), --lose-prompt
// CMD (no prompt after it), --silent-after CMD (after its echo the console says
// nothing more, but runs it), --garble-answer CMD WORD (the first byte of word
// WORD of the last line it prints gets bit 7 flipped). --log FILE records the
// commands received.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/link/TransferSession.h"
#include "tests/support/PtyLink.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using orb::test::NowMs;
using orb::test::PacedRelay;

struct Options {
  std::string root;
  bool pty = false;
  int rate = orb::test::kLineRate;
  bool silent = false;
  bool wrong = false;
  bool unended = false;
  bool cd_fails = false;
  bool logged_in = false;
  bool prompt_inline = false;
  bool prompt_glued = false;
  int lose_zfin = 0;
  bool scan = true;
  long free_kb = 102400;
  std::string archive;
  std::vector<std::string> drop;
  long hang_up_ms = -1;
  std::vector<std::uint64_t> noise_to_pc;
  std::vector<std::uint64_t> noise_to_console;
  std::uint32_t bit_errors = 0;
  bool bit_errors_in_transfers_only = false;
  unsigned seed = 1;
  long freeze_ms = -1;
  bool pwd = true;
  std::string stale;
  std::vector<std::string> garble;
  std::vector<std::string> lose_prompt;
  std::vector<std::string> silent_after;
  std::vector<std::pair<std::string, int>> garble_answer;
  std::string log;
};

// CMD@N as the command and N; N is 1 without "@".
std::pair<std::string, int> Occurrence(const std::string& spec) {
  const std::size_t at = spec.rfind('@');
  if (at == std::string::npos || at + 1 == spec.size() ||
      spec.find_first_not_of("0123456789", at + 1) != std::string::npos)
    return {spec, 1};
  return {spec.substr(0, at), std::atoi(spec.c_str() + at + 1)};
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

void MakeRaw(int fd) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) return;
  ::cfmakeraw(&settings);
  ::tcsetattr(fd, TCSANOW, &settings);
}

class Console {
 public:
  Console(const Options& options, int fd, PacedRelay* relay)
      : options_(options), fd_(fd), relay_(relay), zfins_to_lose_(options.lose_zfin) {}

  int Run() {
    Prepare();
    MakeRaw(fd_);
    mode_ = options_.logged_in ? Mode::kShell : Mode::kName;
    for (;;) {
      std::uint8_t byte = 0;
      const ssize_t n =
          ::read(fd_, &byte, 1);  // one at a time: what follows a command is its program's
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return 0;
      if (!options_.silent && !muted_) OnByte(byte);
      if (ended_) return 0;
    }
  }

 private:
  enum class Mode { kName, kPassword, kShell };

  void Prepare() {
    std::error_code error;
    for (int slot = 1; slot <= 10; ++slot) {
      char name[16];
      std::snprintf(name, sizeof name, "%02d", slot);
      fs::create_directories(Host(std::string("/home/kel205/data/") + name), error);
    }
    fs::create_directories(Host("/tmp"), error);
    fs::create_directories(Host("/home/kel205/prog"), error);
    if (!options_.stale.empty())
      fs::copy_file(options_.stale, Host("/tmp/data.gz"), fs::copy_options::overwrite_existing,
                    error);
    if (options_.scan) {
      std::ofstream(Host(orb::kScanProgram)) << "scan\n";
    } else {
      fs::remove(Host(orb::kScanProgram), error);
    }
  }

  std::string Host(const std::string& console_path) const { return options_.root + console_path; }

  // A console path, absolute and without "." or "..", never above "/".
  std::string Resolve(const std::string& path) const {
    const std::string full = !path.empty() && path[0] == '/' ? path : cwd_ + "/" + path;
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i <= full.size()) {
      const std::size_t end = std::min(full.find('/', i), full.size());
      const std::string part = full.substr(i, end - i);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      i = end + 1;
    }
    std::string result;
    for (const std::string& part : parts) result += "/" + part;
    return result.empty() ? "/" : result;
  }

  void Out(const std::string& text) {
    if (muted_) return;
    if (capturing_) {
      captured_ += text;
      return;
    }
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }

  void Log(const std::string& text) {
    if (options_.log.empty()) return;
    std::ofstream(options_.log, std::ios::app) << text << "\n";
  }

  // Whether this is the time a fault of the command is due; counts the command's lines.
  bool Due(const std::vector<std::string>& faults, const std::string& line) {
    for (const std::string& fault : faults) {
      const auto [command, n] = Occurrence(fault);
      if (command == line && seen_[line] == n) return true;
    }
    return false;
  }

  void OnByte(std::uint8_t byte) {
    if (byte >= 0x20 && byte < 0x7F) {
      const std::string typed = line_ + static_cast<char>(byte);
      bool counted = false;
      for (const std::string& fault : options_.garble) {
        const auto [command, n] = Occurrence(fault);
        if (command != typed) continue;
        if (!counted) ++typed_[command];
        counted = true;
        if (typed_[command] == n) {
          byte ^= 0x01;
          break;
        }
      }
    }
    if (byte == '\r') {
      Out("\r\n");
      const std::string line = line_;
      line_.clear();
      if (options_.wrong) {
        Out("ORB-Q730 busy\r\n");
        return;
      }
      if (options_.unended) {
        Out("ORB-Q730 busy ");
        return;
      }
      OnLine(line);
    } else if (byte == 0x08 || byte == 0x7F) {
      if (!line_.empty()) {
        line_.pop_back();
        if (mode_ != Mode::kPassword) Out("\b \b");
      }
    } else if (byte >= 0x20 && byte < 0x7F) {
      line_ += static_cast<char>(byte);
      if (mode_ != Mode::kPassword) Out(std::string(1, static_cast<char>(byte)));
    }
    // Other control bytes (what a transfer program left behind) are dropped.
  }

  void OnLine(const std::string& line) {
    switch (mode_) {
      case Mode::kName:
        if (line.empty()) {
          Out("login: ");
        } else {
          user_ = line;
          Out("password: ");
          mode_ = Mode::kPassword;
        }
        break;
      case Mode::kPassword:
        if (user_ == "root" && line == "qelvo4") {
          Log("login");
          Out("# ");
          mode_ = Mode::kShell;
        } else {
          Out("Login incorrect\r\nlogin: ");
          mode_ = Mode::kName;
        }
        break;
      case Mode::kShell: {
        Log(line);
        ++seen_[line];
        const bool silent = Due(options_.silent_after, line);
        lose_prompt_ = Due(options_.lose_prompt, line);
        int word = 0;
        for (const auto& [fault, w] : options_.garble_answer) {
          if (Due({fault}, line)) word = w;
        }
        capturing_ = word > 0;
        captured_.clear();
        muted_ = silent;
        Execute(line);
        capturing_ = false;
        if (word > 0) Out(GarbleLastLine(captured_, word));
        break;
      }
    }
  }

  // The first byte of the word-th word of the last line before the prompt, bit 7 flipped.
  static std::string GarbleLastLine(std::string text, int word) {
    const std::size_t end = text.rfind("\r\n");
    if (end == std::string::npos) return text;
    const std::size_t previous = end == 0 ? std::string::npos : text.rfind("\r\n", end - 1);
    std::size_t i = previous == std::string::npos ? 0 : previous + 2;
    for (int n = 0; i < end; ++n) {
      while (i < end && text[i] == ' ') ++i;
      if (i == end) break;
      if (n + 1 == word) {
        text[i] = static_cast<char>(text[i] ^ 0x80);
        break;
      }
      while (i < end && text[i] != ' ') ++i;
    }
    return text;
  }

  void Prompt() {
    if (lose_prompt_) {
      lose_prompt_ = false;
      return;
    }
    Out("# ");
  }

  void Execute(const std::string& line) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) {
      Prompt();
      return;
    }
    const std::string& command = words[0];
    if (command == "cd") {
      const std::string target = Resolve(words.size() > 1 ? words[1] : "/");
      std::error_code error;
      if (!options_.cd_fails && fs::is_directory(Host(target), error)) {
        cwd_ = target;
      } else {
        Out("sh: cd: can't cd to " + (words.size() > 1 ? words[1] : "/") + "\r\n");
      }
    } else if (command == "pwd" && options_.pwd) {
      Out(cwd_ + "\r\n");
    } else if (command == "ls") {
      std::vector<std::string> names;
      std::error_code error;
      for (const auto& entry : fs::directory_iterator(Host(cwd_), error)) {
        const std::string name = entry.path().filename().string();
        if (name[0] != '.') names.push_back(name);
      }
      std::sort(names.begin(), names.end());
      std::string listing;
      for (const std::string& name : names) listing += (listing.empty() ? "" : "  ") + name;
      if (!listing.empty()) Out(listing + "\r\n");
    } else if (command == "rm") {
      for (std::size_t i = 1; i < words.size(); ++i) {
        if (::unlink(Host(Resolve(words[i])).c_str()) != 0)
          Out("rm: can't remove '" + words[i] + "': No such file or directory\r\n");
      }
    } else if (command == "df") {
      const long total = 1024 * 1024;
      const long used = std::max(0L, total - options_.free_kb);
      char text[160];
      std::snprintf(text, sizeof text, "//1/dev/hd0t77   /   %ld   %ld   %ld   %ld%%\r\n", total,
                    used, options_.free_kb, used * 100 / total);
      Out("Filesystem       Mounted   Total   Used   Free   Use\r\n");
      Out(text);
    } else if (line == orb::kPackCommand) {
      Pack();
    } else if (line == orb::kUnpackCommand) {
      Shell("cat \"$0\" | gzip -d | tar -x", Host("/tmp/data.gz"));
      for (const std::string& name : options_.drop) ::unlink((Host(cwd_) + "/" + name).c_str());
    } else if (command == "sz" && words.size() == 2) {
      const fs::path file(Host(Resolve(words[1])));
      Transfer({"sz", file.filename().string()}, file.parent_path().string());
      return;
    } else if (command == "rz") {
      Transfer({"rz", "-U", "-y"}, Host(cwd_));
      return;
    } else if (command == orb::kScanProgram) {
      if (!fs::exists(Host(orb::kScanProgram))) Out("sh: " + command + ": not found\r\n");
    } else if (command == "shutdown") {
      Out("The system is going down for reboot NOW!\r\n");
      ::tcdrain(fd_);
      if (!relay_) {
        ended_ = true;
        return;
      }
      ::usleep(500 * 1000);  // the reboot
      mode_ = Mode::kName;
      cwd_ = "/";
      return;
    } else {
      Out("sh: " + command + ": not found\r\n");
    }
    Prompt();
  }

  void Pack() {
    const std::string target = Host("/tmp/data.gz");
    if (options_.archive.empty()) {
      Shell("tar -c *.dat | gzip > \"$0\"", target);
      return;
    }
    std::error_code error;
    fs::copy_file(options_.archive, target, fs::copy_options::overwrite_existing, error);
  }

  // A pipeline of the console's shell in the current folder; $0 is the file.
  void Shell(const std::string& script, const std::string& file) {
    Spawn({"/bin/sh", "-c", script, file}, Host(cwd_), false);
  }

  // sz and rz own the terminal until they end; the shell's prompt then
  // starts on a line of its own.
  void Transfer(const std::vector<std::string>& argv, const std::string& folder) {
    if (relay_ && options_.bit_errors_in_transfers_only) relay_->SetNoiseActive(true);
    const int status = argv[0] == "sz" && zfins_to_lose_ > 0 ? SpawnLosingZfin(argv, folder)
                                                             : Spawn(argv, folder, true);
    if (relay_ && options_.bit_errors_in_transfers_only) relay_->SetNoiseActive(false);
    Log(argv[0] + " ended " + std::to_string(status));
    MakeRaw(fd_);
    // A real console cancels the line discipline's leftovers and prints its prompt on the
    // same line as whatever the transfer left there.
    if (options_.prompt_glued) {
      Out("# ");
    } else if (options_.prompt_inline) {
      Out(std::string(8, '\x18') + std::string(10, '\b') + "# ");
    } else {
      Out("\r\n# ");
    }
  }

  // sz on a terminal of its own, behind a relay that drops the PC's first ZFINs.
  int SpawnLosingZfin(const std::vector<std::string>& argv, const std::string& folder) {
    orb::test::RawPty line;
    if (!line.Open()) return -1;
    const std::vector<std::uint8_t> zfin = orb::zmodem::BinaryHeader(orb::zmodem::kZfin, 0);
    const std::string fin(zfin.begin(), zfin.end());
    std::string from_pc;  // held back while it may be the start of a ZFIN
    const auto relay = [&] {
      char chunk[4096];
      ssize_t n = ::read(fd_, chunk, sizeof chunk);
      if (n > 0) from_pc.append(chunk, static_cast<std::size_t>(n));
      for (std::size_t at; zfins_to_lose_ > 0 && (at = from_pc.find(fin)) != std::string::npos;) {
        from_pc.erase(at, fin.size());
        --zfins_to_lose_;
        Log("ZFIN lost");
      }
      // The longest end of what came that a ZFIN may begin with.
      std::size_t keep = std::min(fin.size() - 1, from_pc.size());
      while (keep > 0 && fin.compare(0, keep, from_pc, from_pc.size() - keep, keep) != 0) --keep;
      const std::size_t pass = from_pc.size() - keep;
      const ssize_t written = pass > 0 ? ::write(line.master, from_pc.data(), pass) : 0;
      if (written > 0) from_pc.erase(0, static_cast<std::size_t>(written));
      n = ::read(line.master, chunk, sizeof chunk);
      if (n > 0) Out(std::string(chunk, static_cast<std::size_t>(n)));
    };
    const int flags = ::fcntl(fd_, F_GETFL);
    ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(line.master, F_SETFL, ::fcntl(line.master, F_GETFL) | O_NONBLOCK);
    const int status = Spawn(argv, folder, true, line.slave, relay);
    relay();
    ::fcntl(fd_, F_SETFL, flags);
    return status;
  }

  int Spawn(const std::vector<std::string>& argv, const std::string& folder, bool on_terminal,
            int terminal = -1, const std::function<void()>& between = {}) {
    if (terminal < 0) terminal = fd_;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (on_terminal) {
      posix_spawn_file_actions_adddup2(&actions, terminal, 0);
      posix_spawn_file_actions_adddup2(&actions, terminal, 1);
    } else {
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    const std::string errors = options_.log.empty() ? "/dev/null" : options_.log;
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int result = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
      Out("sh: " + argv[0] + ": not found\r\n");
      return 127;
    }
    const std::uint64_t start = NowMs();
    bool frozen = false;
    for (;;) {
      int status = 0;
      const pid_t done = ::waitpid(pid, &status, WNOHANG);
      if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      if (done < 0 && errno != EINTR) return -1;
      if (on_terminal && options_.freeze_ms >= 0 && !frozen &&
          NowMs() - start > static_cast<std::uint64_t>(options_.freeze_ms)) {
        ::kill(pid, SIGSTOP);  // and it stays stopped until the session gives up
        Log("freeze");
        frozen = true;
      }
      if (on_terminal && options_.hang_up_ms >= 0 &&
          NowMs() - start > static_cast<std::uint64_t>(options_.hang_up_ms)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        Log("hang-up");
        if (relay_) relay_->HangUpProgramSide();
        std::_Exit(3);
      }
      if (between) between();
      ::usleep(2000);
    }
  }

  const Options& options_;
  int fd_;
  PacedRelay* relay_;
  int zfins_to_lose_ = 0;
  Mode mode_ = Mode::kName;
  std::map<std::string, int> seen_;   // how often each command line came
  std::map<std::string, int> typed_;  // how often each command to garble was typed
  bool lose_prompt_ = false;
  bool muted_ = false;
  bool capturing_ = false;
  std::string captured_;
  std::string line_;
  std::string user_;
  std::string cwd_ = "/";
  bool ended_ = false;
};

int Usage() {
  std::fputs(
      "usage: console_sim [--pty [--rate BYTES_PER_SECOND]] --root DIR [--silent] [--wrong] "
      "[--unended]\n"
      "         [--cd-fails]\n"
      "         [--logged-in] [--prompt-inline] [--free KB] [--no-scan] [--archive FILE] [--drop "
      "NAME]...\n"
      "         [--hang-up-ms MS] [--noise-to-pc N]... [--noise-to-console N]...\n"
      "         [--bit-errors N | --transfer-bit-errors N] [--seed S] [--freeze-ms MS]\n"
      "         [--no-pwd] [--stale FILE] [--garble CMD[@N]]... [--lose-prompt CMD[@N]]...\n"
      "         [--silent-after CMD[@N]] [--garble-answer CMD[@N] WORD]... [--log FILE]\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--pty") {
      options.pty = true;
    } else if (arg == "--silent") {
      options.silent = true;
    } else if (arg == "--wrong") {
      options.wrong = true;
    } else if (arg == "--cd-fails") {
      options.cd_fails = true;
    } else if (arg == "--unended") {
      options.unended = true;
    } else if (arg == "--prompt-inline") {
      options.prompt_inline = true;
    } else if (arg == "--prompt-glued") {
      options.prompt_glued = true;
    } else if (arg == "--lose-zfin" && has_value) {
      options.lose_zfin = std::atoi(argv[++i]);
    } else if (arg == "--logged-in") {
      options.logged_in = true;
    } else if (arg == "--no-scan") {
      options.scan = false;
    } else if (arg == "--root" && has_value) {
      options.root = fs::absolute(argv[++i]).string();
    } else if (arg == "--rate" && has_value) {
      options.rate = std::atoi(argv[++i]);
    } else if (arg == "--free" && has_value) {
      options.free_kb = std::atol(argv[++i]);
    } else if (arg == "--archive" && has_value) {
      options.archive = fs::absolute(argv[++i]).string();
    } else if (arg == "--drop" && has_value) {
      options.drop.push_back(argv[++i]);
    } else if (arg == "--hang-up-ms" && has_value) {
      options.hang_up_ms = std::atol(argv[++i]);
    } else if (arg == "--noise-to-pc" && has_value) {
      options.noise_to_pc.push_back(std::strtoull(argv[++i], nullptr, 10));
    } else if ((arg == "--bit-errors" || arg == "--transfer-bit-errors") && has_value) {
      options.bit_errors = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
      options.bit_errors_in_transfers_only = arg == "--transfer-bit-errors";
    } else if (arg == "--seed" && has_value) {
      options.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--freeze-ms" && has_value) {
      options.freeze_ms = std::atol(argv[++i]);
    } else if (arg == "--noise-to-console" && has_value) {
      options.noise_to_console.push_back(std::strtoull(argv[++i], nullptr, 10));
    } else if (arg == "--no-pwd") {
      options.pwd = false;
    } else if (arg == "--stale" && has_value) {
      options.stale = fs::absolute(argv[++i]).string();
    } else if (arg == "--garble" && has_value) {
      options.garble.push_back(argv[++i]);
    } else if (arg == "--lose-prompt" && has_value) {
      options.lose_prompt.push_back(argv[++i]);
    } else if (arg == "--silent-after" && has_value) {
      options.silent_after.push_back(argv[++i]);
    } else if (arg == "--garble-answer" && i + 2 < argc) {
      options.garble_answer.emplace_back(argv[i + 1], std::atoi(argv[i + 2]));
      i += 2;
    } else if (arg == "--log" && has_value) {
      options.log = fs::absolute(argv[++i]).string();
    } else {
      return Usage();
    }
  }
  if (options.root.empty()) return Usage();
  ::signal(SIGPIPE, SIG_IGN);

  if (!options.pty) return Console(options, 0, nullptr).Run();

  orb::test::RawPty program;
  orb::test::RawPty console;
  if (!program.Open() || !console.Open()) {
    std::fputs("console_sim: no pseudo-terminal\n", stderr);
    return 1;
  }
  // The program's side stays open here too, so that the program closing its
  // port is no hang-up.
  PacedRelay relay(program.master, console.master, options.rate);
  for (std::uint64_t index : options.noise_to_pc)
    relay.AddRule({PacedRelay::kToProgram, index, 0x01, 0});
  for (std::uint64_t index : options.noise_to_console)
    relay.AddRule({PacedRelay::kToPeer, index, 0x01, 0});
  relay.SetNoise(PacedRelay::kToProgram, options.bit_errors, options.seed);
  relay.SetNoise(PacedRelay::kToPeer, options.bit_errors, options.seed + 1);
  relay.SetNoiseActive(!options.bit_errors_in_transfers_only);
  relay.Start();
  std::printf("%s\n", program.slave_path.c_str());
  std::fflush(stdout);
  return Console(options, console.slave, &relay).Run();
}
