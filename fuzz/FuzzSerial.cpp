#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/link/Serial.h"
#include "core/link/Zmodem.h"
#include "core/model/DebugLog.h"
#include "fuzz/FuzzTargets.h"

namespace orb {
namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The bytes arrive in pieces whose sizes the first byte chooses, as a line
// delivers them.
template <typename Each>
void InPieces(const std::uint8_t* data, std::size_t size, Each each) {
  if (size == 0) return;
  const std::size_t piece = 1 + data[0] % 64;
  for (std::size_t at = 1; at < size; at += piece) {
    each(data + at, static_cast<int>(std::min(piece, size - at)));
  }
}

// A pseudo-terminal that nobody writes to: a port that is open and never delivers anything by
// itself. A reader thread takes away whatever the port sends at once, as a line would, so that
// its writes never wait for the line to drain.
class QuietLine {
 public:
  QuietLine() {
    int master = -1;
    if (::openpty(&master, &slave_, nullptr, nullptr, nullptr) != 0) return;
    const char* name = ::ttyname(slave_);
    if (name) path_ = name;
    std::thread([master] {
      std::uint8_t sink[4096];
      for (;;) {
        pollfd fd{master, POLLIN, 0};
        if (::poll(&fd, 1, -1) > 0 && ::read(master, sink, sizeof sink) < 0 && errno != EINTR &&
            errno != EAGAIN)
          ::poll(nullptr, 0, 1);  // the slave is reopened between inputs
      }
    }).detach();
  }
  const std::string& Path() const { return path_; }

 private:
  int slave_ = -1;  // kept open, so that the line never hangs up between inputs
  std::string path_;
};

const QuietLine& Quiet() {
  static const QuietLine line;
  return line;
}

bool OpenQuietPort(TSerial& serial) {
  return !Quiet().Path().empty() && serial.OpenPort(Quiet().Path()) >= 0;
}

// Delivers the input in pieces to a fresh port, calling drain after every
// delivery so the buffer makes room for the rest.
template <typename Drain>
bool DeliverInPieces(const std::uint8_t* data, std::size_t size, Drain drain) {
  TSerial serial;
  if (!OpenQuietPort(serial)) return false;
  InPieces(data, size, [&](const std::uint8_t* bytes, int count) {
    while (count > 0) {
      const int taken = serial.Deliver(bytes, count);
      bytes += taken;
      count -= taken;
      drain(serial);
    }
  });
  return true;
}

}  // namespace

int FuzzSerialParsers(const std::uint8_t* data, std::size_t size) {
  if (size > 16384) return 0;

  // Lines and prompts.
  const bool lines = DeliverInPieces(data, size, [](TSerial& serial) {
    for (int guard = 0; guard <= TSerial::kBufferSize; ++guard) {
      const int before = serial.Length();
      const std::string line = serial.ReadLine();
      Check(serial.Length() <= before && serial.Length() >= 0);
      Check(line.size() <= static_cast<std::size_t>(before));
      if (serial.Length() == before) break;
    }
    Check(serial.Length() < TSerial::kBufferSize);  // a full buffer always makes a line
  });
  if (!lines) return 0;

  // Frames at the front of the buffer.
  const bool frames = DeliverInPieces(data, size, [](TSerial& serial) {
    for (int guard = 0; guard <= TSerial::kBufferSize; ++guard) {
      int n = serial.FrameLength();
      Check(n >= 0 && n <= serial.Length() && n <= zmodem::kFrameLimit + 1);
      std::uint8_t end = 0;
      const int packet = zmodem::SubpacketLength(serial.Data(), serial.Length(), 0, &end);
      Check(packet >= 0 && packet <= serial.Length());
      if (n == 0) break;
      serial.Consume(n, nullptr);
    }
    if (serial.Length() == TSerial::kBufferSize) {
      int all = TSerial::kBufferSize;
      serial.Consume(all, nullptr);
    }
  });
  if (!frames) return 0;

  // Decoding in place never grows a block.
  {
    std::vector<std::uint8_t> area(data, data + std::min<std::size_t>(size, 4096));
    const int n = TSerial::ZdleUnescape(area.data(), static_cast<int>(area.size()));
    Check(n >= 0 && n <= static_cast<int>(area.size()));
  }

  // The receiving procedure, once sz has asked for a receiver.
  {
    TSerial serial;
    if (!OpenQuietPort(serial)) return 0;
    TZmodem zmodem(serial);
    std::uint64_t clock = 0;
    zmodem.Start(TZmodem::Direction::kReceive, "/dev/null", clock);
    const std::string hello =
        "**\x18"
        "B00000000000000\r";
    serial.Deliver(reinterpret_cast<const std::uint8_t*>(hello.data()),
                   static_cast<int>(hello.size()));
    zmodem.Step(clock += 10);
    bool ended = false;
    InPieces(data, size, [&](const std::uint8_t* bytes, int count) {
      while (count > 0 && !ended) {
        const int taken = serial.Deliver(bytes, count);
        bytes += taken;
        count -= taken;
        for (int tick = 0; tick < 4 && !ended; ++tick) {
          ended = zmodem.Step(clock += 10).end != ZmodemEnd::kRunning;
          Check(zmodem.Position() <= zmodem.FileSize());
        }
        if (taken == 0 && serial.Length() == TSerial::kBufferSize) ended = true;
      }
    });
  }

  while (!NextLogLine().empty()) {
  }
  return 0;
}

}  // namespace orb
