// Throughput of the ZMODEM link on a line paced like 38400 baud (3840 bytes/s
// of payload at most): the program receiving from the real sz, the program
// sending to the real rz, and lrzsz's own sz -> rz on the same kind of line as
// the reference, all in one run.
//
//   bench_link [--size BYTES] [--noise ONE_IN] [--serial] [--strict-ticks] [--noisy-only]
//              [--log]
//
// The program's transfers also run on a noisy line: one byte in ONE_IN (10000 unless told;
// 0 leaves those runs out) has a bit flipped, both ways. Their goal is a rate of at least
// 0.6 of the same direction on the clean line. --log prints, per run, how often each line
// of the program's debug log came (what the retries were for).
//
// The scenarios run side by side in child processes (their pace is wall-clock
// time, not CPU); --serial runs them one after another. With 1 MiB, one
// scenario takes about five minutes. Ticks come every 10 ms and at once when
// bytes arrive; --strict-ticks adds runs with ticks only every 10 ms, as a
// plain timer would give them.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/link/Zmodem.h"
#include "core/model/DebugLog.h"
#include "tests/support/PtyLink.h"

namespace {

using namespace orb;
using namespace orb::test;

struct Figure {
  int ok = 0;
  double seconds = 0;
  int retries = 0;
  std::uint64_t flipped = 0;
};

enum Scenario {
  kReceive,
  kSend,
  kReference,
  kReceiveStrict,
  kSendStrict,
  kReceiveNoisy,
  kSendNoisy
};

std::uint32_t noise_one_in = 10000;
bool print_log = false;

const char* Name(int scenario) {
  switch (scenario) {
    case kReceive:
      return "receive from sz";
    case kSend:
      return "send to rz";
    case kReference:
      return "lrzsz sz -> rz";
    case kReceiveStrict:
      return "receive from sz, 10 ms ticks only";
    case kSendStrict:
      return "send to rz, 10 ms ticks only";
    case kReceiveNoisy:
      return "receive from sz, noisy line";
    default:
      return "send to rz, noisy line";
  }
}

// What the log said, by the start of each line (numbers and dumps cut off).
std::map<std::string, int> log_counts;

void DrainLog() {
  for (std::string line = NextLogLine(); !line.empty(); line = NextLogLine()) {
    if (!print_log) continue;
    const std::size_t cut = line.find_first_of("0123456789:=");
    ++log_counts[line.substr(0, std::min<std::size_t>(cut, 24))];
  }
}

Figure RunProgram(bool receive, bool strict, bool noisy, const std::vector<std::uint8_t>& data) {
  Figure figure;
  const std::string folder = MakeTempFolder();
  const std::string inbox = folder + "/inbox";
  ::mkdir(inbox.c_str(), 0755);
  const std::string source = folder + (receive ? "/data.gz" : "/tmp.gz");
  WriteFile(source, data);
  Line line(kLineRate);
  if (!line.ok()) return figure;
  line.relay().SetRealtime(true);
  if (noisy) {
    line.relay().SetNoise(PacedRelay::kToPeer, noise_one_in, 31);
    line.relay().SetNoise(PacedRelay::kToProgram, noise_one_in, 131);
  }
  line.Start();
  Peer peer;
  const std::uint64_t start = NowMs();
  if (receive) {
    peer.Spawn({"sz", "data.gz"}, line.peer_tty(), folder);
  } else {
    peer.Spawn({"rz", "-U", "-y"}, line.peer_tty(), inbox);
  }
  line.ReleasePeerTty();
  TZmodem zmodem(line.serial());
  zmodem.Start(receive ? TZmodem::Direction::kReceive : TZmodem::Direction::kSend,
               receive ? folder + "/tmp.gz" : source, start);
  const int allowance = static_cast<int>(data.size() * (noisy ? 4000 : 2000) / kLineRate) + 60000;
  const DriveResult result =
      Drive(line.serial(), zmodem, allowance, strict, [](const ZmodemTick&) { DrainLog(); });
  figure.seconds = (NowMs() - start) / 1000.0;
  figure.retries = zmodem.TotalRetries();
  figure.flipped =
      line.relay().Flipped(PacedRelay::kToPeer) + line.relay().Flipped(PacedRelay::kToProgram);
  if (print_log) {
    std::string text = std::string(Name(receive ? kReceive : kSend)) + (noisy ? ", noisy" : "") +
                       ": end " + std::to_string(static_cast<int>(result.end)) + ", log";
    for (const auto& [start_of_line, count] : log_counts)
      text += " [" + start_of_line + "] " + std::to_string(count);
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  if (!peer.Wait(10000)) peer.Kill();
  const auto stored = ReadFile(receive ? folder + "/tmp.gz" : inbox + "/data.gz");
  figure.ok = result.end == ZmodemEnd::kFinished && stored == data;
  RemoveFolder(folder);
  return figure;
}

Figure RunReference(const std::vector<std::uint8_t>& data) {
  Figure figure;
  const std::string folder = MakeTempFolder();
  const std::string inbox = folder + "/inbox";
  ::mkdir(inbox.c_str(), 0755);
  WriteFile(folder + "/data.gz", data);
  RawPty sender;
  RawPty receiver;
  if (!sender.Open() || !receiver.Open()) return figure;
  PacedRelay relay(sender.master, receiver.master, kLineRate);
  relay.SetRealtime(true);
  relay.Start();
  Peer sz;
  Peer rz;
  const std::uint64_t start = NowMs();
  rz.Spawn({"rz", "-U", "-y"}, receiver.slave, inbox);
  sz.Spawn({"sz", "data.gz"}, sender.slave, folder);
  ::close(sender.slave);
  ::close(receiver.slave);
  sender.slave = receiver.slave = -1;
  int status = 0;
  const int allowance = static_cast<int>(data.size() * 2000 / kLineRate) + 60000;
  const bool ended = rz.Wait(allowance, &status);
  figure.seconds = (NowMs() - start) / 1000.0;
  if (!sz.Wait(10000)) sz.Kill();
  relay.Stop();
  figure.ok = ended && ReadFile(inbox + "/data.gz") == data;
  RemoveFolder(folder);
  return figure;
}

Figure Run(int scenario, const std::vector<std::uint8_t>& data) {
  switch (scenario) {
    case kReceive:
      return RunProgram(true, false, false, data);
    case kSend:
      return RunProgram(false, false, false, data);
    case kReference:
      return RunReference(data);
    case kReceiveStrict:
      return RunProgram(true, true, false, data);
    case kSendStrict:
      return RunProgram(false, true, false, data);
    case kReceiveNoisy:
      return RunProgram(true, false, true, data);
    default:
      return RunProgram(false, false, true, data);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t size = 1500 * 1000;
  bool serial = false;
  bool strict = false;
  bool noisy_only = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      size = std::strtoul(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--noise") == 0 && i + 1 < argc) {
      noise_one_in = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (std::strcmp(argv[i], "--noisy-only") == 0) {
      noisy_only = true;
    } else if (std::strcmp(argv[i], "--log") == 0) {
      print_log = true;
    } else if (std::strcmp(argv[i], "--serial") == 0) {
      serial = true;
    } else if (std::strcmp(argv[i], "--strict-ticks") == 0) {
      strict = true;
    } else {
      std::fprintf(stderr,
                   "usage: %s [--size BYTES] [--noise ONE_IN] [--serial] [--strict-ticks] "
                   "[--noisy-only] [--log]\n",
                   argv[0]);
      return 2;
    }
  }
  if (!HaveProgram("sz") || !HaveProgram("rz")) {
    std::fprintf(stderr, "bench_link needs lrzsz (sz and rz)\n");
    return 1;
  }
  const std::vector<std::uint8_t> data = RandomBytes(size, 2024);
  std::vector<int> scenarios = {kReceive, kSend, kReference};
  if (strict) scenarios.insert(scenarios.end(), {kReceiveStrict, kSendStrict});
  if (noisy_only) scenarios.clear();
  if (noise_one_in > 0) scenarios.insert(scenarios.end(), {kReceiveNoisy, kSendNoisy});
  std::printf("ZMODEM over a paced 38400 baud line (%d bytes/s), %zu bytes of random data\n",
              kLineRate, size);
  std::fflush(stdout);

  std::vector<Figure> figures(scenarios.size());
  std::vector<pid_t> children;
  std::vector<int> pipes;
  for (std::size_t i = 0; i < scenarios.size(); ++i) {
    int channel[2];
    if (::pipe(channel) != 0) return 1;
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(channel[0]);
      const Figure figure = Run(scenarios[i], data);
      if (::write(channel[1], &figure, sizeof figure) != sizeof figure) _exit(1);
      _exit(0);
    }
    ::close(channel[1]);
    children.push_back(child);
    pipes.push_back(channel[0]);
    if (serial) {
      if (::read(channel[0], &figures[i], sizeof(Figure)) != sizeof(Figure)) figures[i] = {};
      ::waitpid(child, nullptr, 0);
    }
  }
  if (!serial) {
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
      if (::read(pipes[i], &figures[i], sizeof(Figure)) != sizeof(Figure)) figures[i] = {};
      ::waitpid(children[i], nullptr, 0);
    }
  }

  std::vector<double> rate(kSendNoisy + 1, 0);
  int failures = 0;
  for (std::size_t i = 0; i < scenarios.size(); ++i) {
    const Figure& figure = figures[i];
    if (!figure.ok) {
      std::printf("%-36s FAILED\n", Name(scenarios[i]));
      ++failures;
      continue;
    }
    rate[scenarios[i]] = size / figure.seconds;
    std::printf("%-36s %8.1f s %8.1f B/s  %.3f of line rate", Name(scenarios[i]), figure.seconds,
                rate[scenarios[i]], rate[scenarios[i]] / kLineRate);
    if (scenarios[i] != kReference) std::printf("  %d retries", figure.retries);
    if (figure.flipped > 0) std::printf(", %llu bits flipped", (unsigned long long)figure.flipped);
    std::printf("\n");
  }
  // A failed run shows as 0 in its goal line.
  std::printf("\nlink receive / line rate: %.3f (goal >= 0.96)\n", rate[kReceive] / kLineRate);
  if (rate[kReference] > 0)
    std::printf("link receive / lrzsz: %.3f (goal >= 1)\n", rate[kReceive] / rate[kReference]);
  std::printf("link send / line rate: %.3f (goal >= 0.91)\n", rate[kSend] / kLineRate);
  if (noise_one_in > 0) {
    for (const auto& [noisy, clean, what] :
         {std::tuple{kReceiveNoisy, kReceive, "receive"}, std::tuple{kSendNoisy, kSend, "send"}}) {
      std::printf("link %s, 1 bit error in %u bytes / clean: %.3f (goal >= 0.6)\n", what,
                  noise_one_in, rate[clean] > 0 ? rate[noisy] / rate[clean] : 0.0);
    }
  }
  return failures == 0 ? 0 : 1;
}
