#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/link/Serial.h"
#include "tests/core/model/TestRecords.h"
#include "tests/support/PtyLink.h"
#include "tests/support/TempFolder.h"

namespace orb {
namespace {

using test::DrainLog;

// A TSerial on a pseudo-terminal whose master plays the console.
class SerialTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Open());
    ASSERT_GE(serial_.OpenPort(pty_.slave_path), 0);
    DrainLog();
  }
  void TearDown() override { DrainLog(); }

  void Put(const std::string& text) {
    serial_.Deliver(reinterpret_cast<const std::uint8_t*>(text.data()),
                    static_cast<int>(text.size()));
  }
  std::string Buffer() const {
    return std::string(reinterpret_cast<const char*>(serial_.Data()), serial_.Length());
  }
  // What arrived at the console's end: count bytes, waiting a bounded time.
  std::string Heard(std::size_t count) {
    std::string out;
    const std::uint64_t end = test::NowMs() + 5000;
    while (out.size() < count && test::NowMs() < end) {
      pollfd port{pty_.master, POLLIN, 0};
      if (::poll(&port, 1, 50) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::read(pty_.master, chunk, sizeof chunk);
      if (n > 0) out.append(chunk, n);
    }
    return out;
  }
  // Writes at the console's end and polls until all of it is in the buffer.
  void Send(const std::string& bytes) {
    ASSERT_EQ(::write(pty_.master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    const std::uint64_t target = serial_.ReceivedTotal() + bytes.size();
    const std::uint64_t end = test::NowMs() + 5000;
    while (serial_.ReceivedTotal() < target && test::NowMs() < end) {
      pollfd port{serial_.Handle(), POLLIN, 0};
      ::poll(&port, 1, 50);
      serial_.Poll();
    }
    ASSERT_EQ(serial_.ReceivedTotal(), target);
  }

  test::RawPty pty_;
  TSerial serial_;
};

TEST_F(SerialTest, OpenPortSetsARawLineWithoutFlowControl) {
  // Start from a cooked terminal, as a device is found after a login shell.
  serial_.ClosePort();
  termios cooked{};
  ASSERT_EQ(::tcgetattr(pty_.slave, &cooked), 0);
  cooked.c_iflag |= ISTRIP | ICRNL | INLCR | IGNCR | IXON | IXOFF | IXANY;
  cooked.c_oflag |= OPOST;
  cooked.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
  cooked.c_cflag = (cooked.c_cflag & ~CSIZE) | CS7 | PARENB | CSTOPB | CRTSCTS;
  ::cfsetspeed(&cooked, B9600);
  ASSERT_EQ(::tcsetattr(pty_.slave, TCSANOW, &cooked), 0);
  ASSERT_EQ(::tcgetattr(pty_.slave, &cooked), 0);  // as the terminal took them

  ASSERT_GE(serial_.OpenPort(pty_.slave_path), 0);
  EXPECT_TRUE(serial_.IsOpen());
  termios line{};
  ASSERT_EQ(::tcgetattr(pty_.slave, &line), 0);
  EXPECT_EQ(line.c_iflag & (ISTRIP | ICRNL | INLCR | IGNCR | IXON | IXOFF | IXANY), 0u);
  EXPECT_EQ(line.c_oflag & OPOST, 0u);
  EXPECT_EQ(line.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
  EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(line.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
  EXPECT_EQ(::cfgetispeed(&line), static_cast<speed_t>(B38400));
  EXPECT_EQ(::cfgetospeed(&line), static_cast<speed_t>(B38400));
  EXPECT_TRUE(::fcntl(serial_.Handle(), F_GETFL) & O_NONBLOCK);
  EXPECT_TRUE(DrainLog().empty());

  // Bytes travel untouched: no CR to LF, no echo, XON and XOFF are data.
  Send(std::string("a\rb\x11\x13\n", 6));
  EXPECT_EQ(Buffer(), std::string("a\rb\x11\x13\n", 6));
  ASSERT_TRUE(serial_.WriteBytes(reinterpret_cast<const std::uint8_t*>("x\r\n\x13"), 4));
  EXPECT_EQ(Heard(4), "x\r\n\x13");

  // Closing gives the device back as it was found.
  serial_.ClosePort();
  termios after{};
  ASSERT_EQ(::tcgetattr(pty_.slave, &after), 0);
  EXPECT_EQ(after.c_iflag, cooked.c_iflag);
  EXPECT_EQ(after.c_oflag, cooked.c_oflag);
  EXPECT_EQ(after.c_lflag, cooked.c_lflag);
  EXPECT_EQ(after.c_cflag, cooked.c_cflag);
  EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B9600));
}

// A device in use by another program is refused at once, naming the program when its lock
// file does; a lock whose owner is gone is taken over. The flock binds root too.
TEST_F(SerialTest, ADeviceInUseIsRefused) {
  const std::string folder = test::MakeTempFolder();
  const std::string saved = TSerial::LockFolder();
  TSerial::SetLockFolder(folder);
  serial_.ClosePort();
  std::string name = pty_.slave_path.substr(std::strlen("/dev/"));  // pts/N
  name[3] = '_';
  const std::string lock = folder + "/LCK.." + name;
  const auto write_lock = [&](const std::string& text) { std::ofstream(lock) << text; };
  const auto pid_text = [](int pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", pid);
    return std::string(text);
  };
  test::Peer sleeper;
  ASSERT_TRUE(sleeper.Spawn({"sleep", "30"}, pty_.master, "/"));
  test::Peer gone;
  ASSERT_TRUE(gone.Spawn({"true"}, pty_.master, "/"));
  const int gone_pid = gone.Pid();
  ASSERT_TRUE(gone.Wait(5000));
  int holder = -1;  // another descriptor of the device with the flock

  struct Case {
    const char* what;
    std::function<void()> arrange;
    int owner;  // -1: the port opens; else the owner it names (0: unknown)
  };
  const std::vector<Case> cases = {
      {"a living program's lock", [&] { write_lock(pid_text(sleeper.Pid())); }, sleeper.Pid()},
      {"our own open port", [&] { ASSERT_GE(serial_.OpenPort(pty_.slave_path), 0); }, ::getpid()},
      {"a lock of a program that is gone", [&] { write_lock(pid_text(gone_pid)); }, -1},
      {"a lock without a pid, old",
       [&] {
         write_lock("garbage");
         const timeval old[2] = {{::time(nullptr) - 60, 0}, {::time(nullptr) - 60, 0}};
         ::utimes(lock.c_str(), old);
       },
       -1},
      {"no lock file but a flock",
       [&] {
         holder = ::open(pty_.slave_path.c_str(), O_RDWR | O_NOCTTY);
         ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
       },
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.arrange();
    TSerial port;
    const int fd = port.OpenPort(pty_.slave_path);
    if (c.owner < 0) {
      EXPECT_GE(fd, 0);
      const std::string ours = pid_text(::getpid());
      EXPECT_EQ(test::ReadFile(lock), std::vector<std::uint8_t>(ours.begin(), ours.end()));
      port.ClosePort();
      EXPECT_FALSE(std::filesystem::exists(lock));
    } else {
      EXPECT_EQ(fd, -1);
      EXPECT_EQ(errno, EBUSY);
      EXPECT_EQ(port.LockOwner(), c.owner);
      EXPECT_EQ(PortOpenFailure(0, pty_.slave_path, EBUSY, port.LockOwner()),
                "Unable to open " + pty_.slave_path + "\n" + pty_.slave_path + " is in use by " +
                    (c.owner > 0 ? "process " + std::to_string(c.owner) : "another program") + ".");
    }
    serial_.ClosePort();
    if (holder >= 0) ::close(holder);
    holder = -1;
    std::filesystem::remove(lock);
  }
  sleeper.Kill();
  TSerial::SetLockFolder(saved);
  test::RemoveFolder(folder);
  DrainLog();
}

TEST_F(SerialTest, ClosedPortReadsAndSendsNothing) {
  TSerial closed;
  EXPECT_EQ(closed.OpenPort("/nonexistent/ttyS9"), -1);
  EXPECT_FALSE(closed.IsOpen());
  const std::string prompt = "# ";
  closed.Deliver(reinterpret_cast<const std::uint8_t*>(prompt.data()), 2);
  closed.Poll();
  EXPECT_EQ(closed.ReadLine(), "");
  EXPECT_EQ(closed.Length(), 2);
  EXPECT_FALSE(closed.WriteBytes(reinterpret_cast<const std::uint8_t*>("ls"), 2));
  EXPECT_EQ(closed.WriteText("ls\r"), 0);
  EXPECT_TRUE(DrainLog().empty());

  serial_.ClosePort();
  EXPECT_FALSE(serial_.IsOpen());
  EXPECT_EQ(serial_.WriteText("ls\r"), 0);
}

// Only a terminal is a serial line: a regular file, /dev/null or a FIFO given as the device is
// refused before anything is written to it.
TEST_F(SerialTest, WhatIsNotATerminalIsRefusedUntouched) {
  const test::TempFolder temp;
  const std::string file = temp.File("not_a_tty");
  { std::ofstream(file) << "keep me"; }
  const std::string fifo = file + ".fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& device : {file, std::string("/dev/null"), fifo}) {
    TSerial port;
    EXPECT_EQ(port.OpenPort(device), -1) << device;
    EXPECT_FALSE(port.IsOpen()) << device;
    EXPECT_EQ(port.WriteText("\r"), 0);
  }
  std::ifstream in(file);
  const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, "keep me");
}

// The terminal line's Write says why nothing went out, in what it returns and in the log.
TEST_F(SerialTest, TerminalWriteTellsWhyThePortWouldNotOpen) {
  const test::TempFolder temp;
  const std::string file = temp.File("terminal");
  { std::ofstream(file) << "keep me"; }
  const struct {
    std::string device;
    std::string failure;
  } cases[] = {
      {"/nonexistent/ttyS9", "Unable to open COM3\n/nonexistent/ttyS9: No such file or directory."},
      {file, "Unable to open COM3\n" + file + " is not a serial line."},
  };
  for (const auto& c : cases) {
    TSerial port;
    EXPECT_EQ(TerminalWrite(port, 3, c.device, "ls"), c.failure);
    EXPECT_EQ(DrainLog(), std::vector<std::string>{c.failure});
    EXPECT_FALSE(port.IsOpen());
  }
  std::filesystem::remove(file);

  // A closed port opens on the device; the line goes out with its carriage return.
  serial_.ClosePort();
  EXPECT_EQ(TerminalWrite(serial_, 3, pty_.slave_path, "ls"), "");
  EXPECT_TRUE(serial_.IsOpen());
  EXPECT_EQ(Heard(3), "ls\r");
}

TEST(SerialDevicesTest, ListsTheLikelyPortsFirstInTheOrderOfTheirNumbers) {
  namespace fs = std::filesystem;
  const test::TempFolder temp;
  const fs::path root = temp.path() / "root";
  EXPECT_TRUE(ListSerialDevices(root.string()).empty());
  fs::create_directories(root / "dev" / "serial" / "by-id");
  for (const char* name : {"ttyS10", "ttyS2", "ttyACM0", "ttyUSB1", "ttyUSB0", "tty1", "ttySAC",
                           "console", "serial/by-id/usb-FTDI_Cable-if00-port0"})
    std::ofstream(root / "dev" / name);
  const std::string dev = (root / "dev").string();
  EXPECT_EQ(ListSerialDevices(root.string()),
            (std::vector<std::string>{dev + "/serial/by-id/usb-FTDI_Cable-if00-port0",
                                      dev + "/ttyUSB0", dev + "/ttyUSB1", dev + "/ttyACM0",
                                      dev + "/ttyS2", dev + "/ttyS10"}));
}

TEST_F(SerialTest, ReadLineCutsLinesAndPrompts) {
  Put("l");
  Put("s\r\nsysf.dat\r\n");
  EXPECT_EQ(serial_.ReadLine(), "ls");
  EXPECT_EQ(serial_.ReadLine(), "sysf.dat");
  EXPECT_EQ(serial_.ReadLine(), "");
  EXPECT_FALSE(serial_.HasData());

  Put("abc");
  EXPECT_EQ(serial_.ReadLine(), "");
  EXPECT_EQ(Buffer(), "abc");
  Put("\r\n\r\n  def \n");
  EXPECT_EQ(serial_.ReadLine(), "abc");  // the run of line ends belongs to it
  EXPECT_EQ(serial_.ReadLine(), "def");
  EXPECT_FALSE(serial_.HasData());

  Put("# ");
  EXPECT_EQ(serial_.ReadLine(), "#");
  Put("ORB login: ");
  EXPECT_EQ(serial_.ReadLine(), "ORB login:");
  Put("password: ");
  EXPECT_EQ(serial_.ReadLine(), "password:");
  Put("Password: ");
  EXPECT_EQ(serial_.ReadLine(), "");
  EXPECT_EQ(Buffer(), "Password: ");
  Put("\r\n");
  EXPECT_EQ(serial_.ReadLine(), "Password:");

  // The prompt may stand behind other bytes on its line: after a transfer the console
  // prints cancel bytes and backspaces first. A "#" inside a line is no prompt.
  Put(std::string(5, '\x18') + std::string(5, '\b') + "# ");
  EXPECT_EQ(serial_.ReadLine(), "#");  // control bytes are trimmed like blanks
  EXPECT_FALSE(serial_.HasData());
  Put("100%   # ");
  EXPECT_EQ(serial_.ReadLine(), "100%   #");
  Put("a # b");
  EXPECT_EQ(serial_.ReadLine(), "");
  EXPECT_EQ(serial_.ReadLine(), "");
  Put("\r\n");
  EXPECT_EQ(serial_.ReadLine(), "a # b");

  // Zero bytes are no text, but what follows them is: the prompt may come right behind the
  // last frame of a transfer, whose header holds zero bytes.
  Put(std::string("ab\0cd\r\n", 7));
  EXPECT_EQ(serial_.ReadLine(), "abcd");
  Put(std::string("x\0login:", 8));
  EXPECT_EQ(serial_.ReadLine(), "xlogin:");
  EXPECT_EQ(serial_.Length(), 0);
  const std::vector<std::uint8_t> zeof = zmodem::BinaryHeader(zmodem::kZeof, 0);
  Put(std::string(zeof.begin(), zeof.end()) + "# ");
  EXPECT_NE(serial_.ReadLine().find('#'), std::string::npos);
  EXPECT_FALSE(serial_.HasData());
}

TEST_F(SerialTest, EchoedLinesGoToTheLog) {
  Put("ls\r\n");
  serial_.ReadLine();
  EXPECT_TRUE(DrainLog().empty());
  serial_.SetEcho(true);
  Put("  sysf.dat\r\n");
  serial_.ReadLine();
  EXPECT_EQ(DrainLog(), std::vector<std::string>{"*\rsysf.dat"});
}

TEST_F(SerialTest, ConsumeLimitsTheCountAndDumpsHeaders) {
  std::string block =
      "*\x18"
      "A";
  for (int i = 0; i < 57; ++i) block += static_cast<char>(i < 17 ? 'a' + i : 0x70 + i);
  Put(block);
  std::vector<std::uint8_t> out(100, 0xEE);
  int count = 60;
  serial_.Consume(count, out.data());
  EXPECT_EQ(count, 60);
  EXPECT_EQ(std::memcmp(out.data(), block.data(), 60), 0);
  EXPECT_EQ(out[60], 0xEE);
  const auto lines = DrainLog();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "*\rBIN *:0x18:A:a:b:c:d:e:f:g:h:i:j:k:l:m:n:o:p:q: ... "
            "0x95:0x96:0x97:0x98:0x99:0x9A:0x9B:0x9C:0x9D:0x9E:0x9F:0xA0:0xA1:0xA2:0xA3:0xA4:"
            "0xA5:0xA6:0xA7:0xA8:");

  Put("z{*");
  count = 10;
  serial_.Consume(count, nullptr);
  EXPECT_EQ(count, 3);
  EXPECT_FALSE(serial_.HasData());
  EXPECT_TRUE(DrainLog().empty());  // not a header: no dump
  Put("*z{ ");
  count = 4;
  serial_.Consume(count, nullptr);
  EXPECT_EQ(DrainLog(), std::vector<std::string>{"*\rBIN *:z:0x7B: :"});
  count = 0;
  serial_.Consume(count, nullptr);
  EXPECT_EQ(count, 0);
}

TEST_F(SerialTest, WriteLogsWhatItSends) {
  EXPECT_EQ(serial_.WriteText("ls\r"), 3);
  EXPECT_EQ(Heard(3), "ls\r");
  EXPECT_EQ(DrainLog(), std::vector<std::string>{"Write : l:s:0x0D:"});

  const std::string long_text(60, 'x');
  serial_.WriteText(long_text);
  EXPECT_EQ(Heard(60), long_text);
  EXPECT_EQ(DrainLog(), std::vector<std::string>{"Write : " + [] {
              std::string dump;
              for (int i = 0; i < 50; ++i) dump += "x:";
              return dump;
            }() + "..."});
  serial_.WriteText(std::string(49, 'y'));
  EXPECT_EQ(DrainLog().at(0).back(), ':');
  serial_.WriteText(std::string(50, 'y'));
  EXPECT_EQ(DrainLog().at(0).substr(8 + 100), "...");
}

TEST_F(SerialTest, ReceiveBufferNeverOverflows) {
  std::string flood;
  for (int i = 0; i < 10000; ++i) flood += static_cast<char>('a' + i % 26);
  ASSERT_EQ(::write(pty_.master, flood.data(), flood.size()), 10000);
  const std::uint64_t end = test::NowMs() + 5000;
  while (serial_.Length() < TSerial::kBufferSize && test::NowMs() < end) {
    pollfd port{serial_.Handle(), POLLIN, 0};
    ::poll(&port, 1, 50);
    serial_.Poll();
  }
  EXPECT_EQ(serial_.Length(), TSerial::kBufferSize);
  // The rest waits with the device until there is room again.
  std::vector<std::uint8_t> taken(10000);
  int count = 5000;
  serial_.Consume(count, taken.data());
  while (serial_.ReceivedTotal() < 10000 && test::NowMs() < end) {
    pollfd port{serial_.Handle(), POLLIN, 0};
    ::poll(&port, 1, 50);
    serial_.Poll();
  }
  ASSERT_EQ(serial_.Length(), 5000);
  std::memcpy(taken.data() + 5000, serial_.Data(), 5000);
  EXPECT_EQ(std::string(taken.begin(), taken.end()), flood);

  EXPECT_EQ(serial_.Deliver(taken.data(), 10000), TSerial::kBufferSize - 5000);
  EXPECT_EQ(serial_.Length(), TSerial::kBufferSize);
  // A full buffer without a line end is taken as one line, so that the
  // dialogue cannot stall on it.
  EXPECT_EQ(serial_.ReadLine().size(), static_cast<std::size_t>(TSerial::kBufferSize));
  EXPECT_FALSE(serial_.HasData());
}

TEST_F(SerialTest, HangUpIsNoticedAndWritesDoNotBlock) {
  Send("# ");
  ::close(pty_.master);
  pty_.master = -1;
  serial_.Poll();
  EXPECT_TRUE(serial_.HungUp());
  EXPECT_EQ(serial_.ReadLine(), "#");  // what had arrived is still there
  EXPECT_FALSE(serial_.WriteBytes(reinterpret_cast<const std::uint8_t*>("ls\r"), 3));
}

TEST_F(SerialTest, WriteGivesUpWhenTheLineTakesNothing) {
  // Nobody reads the console's end, so the terminal fills up and stays full.
  const std::vector<std::uint8_t> block(256 * 1024, 'x');
  EXPECT_FALSE(serial_.WriteBytes(block.data(), static_cast<int>(block.size())));
  EXPECT_FALSE(serial_.HungUp());
}

}  // namespace
}  // namespace orb
