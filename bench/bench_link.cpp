// Throughput of the ZMODEM link on a line paced like 38400 baud (3840 bytes/s
// of payload at most): the program receiving from the real sz, the program
// sending to the real rz, and lrzsz's own sz -> rz on the same kind of line as
// the reference, all in one run.
//
//   bench_link [--size BYTES] [--serial] [--strict-ticks]
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
#include <string>
#include <vector>

#include "core/link/Zmodem.h"
#include "core/model/DebugLog.h"
#include "tests/core/link/PtyLink.h"

namespace {

using namespace orb;
using namespace orb::test;

struct Figure {
  int ok = 0;
  double seconds = 0;
};

enum Scenario { kReceive, kSend, kReference, kReceiveStrict, kSendStrict };

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
    default:
      return "send to rz, 10 ms ticks only";
  }
}

void DrainLog() {
  while (!NextLogLine().empty()) {
  }
}

Figure RunProgram(bool receive, bool strict, const std::vector<std::uint8_t>& data) {
  Figure figure;
  const std::string folder = MakeTempFolder();
  const std::string inbox = folder + "/inbox";
  ::mkdir(inbox.c_str(), 0755);
  const std::string source = folder + (receive ? "/data.gz" : "/tmp.gz");
  WriteFile(source, data);
  Line line(kLineRate);
  if (!line.ok()) return figure;
  line.relay().SetRealtime(true);
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
  const int allowance = static_cast<int>(data.size() * 2000 / kLineRate) + 60000;
  const DriveResult result =
      Drive(line.serial(), zmodem, allowance, strict, [](const ZmodemTick&) { DrainLog(); });
  figure.seconds = (NowMs() - start) / 1000.0;
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
      return RunProgram(true, false, data);
    case kSend:
      return RunProgram(false, false, data);
    case kReference:
      return RunReference(data);
    case kReceiveStrict:
      return RunProgram(true, true, data);
    default:
      return RunProgram(false, true, data);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t size = 1024 * 1024;
  bool serial = false;
  bool strict = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
      size = std::strtoul(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--serial") == 0) {
      serial = true;
    } else if (std::strcmp(argv[i], "--strict-ticks") == 0) {
      strict = true;
    } else {
      std::fprintf(stderr, "usage: %s [--size BYTES] [--serial] [--strict-ticks]\n", argv[0]);
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

  double reference_rate = 0;
  for (std::size_t i = 0; i < scenarios.size(); ++i) {
    if (scenarios[i] == kReference && figures[i].ok) reference_rate = size / figures[i].seconds;
  }
  int failures = 0;
  for (std::size_t i = 0; i < scenarios.size(); ++i) {
    const Figure& figure = figures[i];
    if (!figure.ok) {
      std::printf("%-36s FAILED\n", Name(scenarios[i]));
      ++failures;
      continue;
    }
    const double rate = size / figure.seconds;
    std::printf("%-36s %8.1f s %8.1f B/s  %.3f of line rate", Name(scenarios[i]), figure.seconds,
                rate, rate / kLineRate);
    if (scenarios[i] != kReference && reference_rate > 0) {
      std::printf("  %.3f of lrzsz", rate / reference_rate);
    }
    std::printf("\n");
  }
  std::printf("goals: receive >= 0.96 of line rate and >= lrzsz; send >= 0.91 of line rate\n");
  return failures == 0 ? 0 : 1;
}
