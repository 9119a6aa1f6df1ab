#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/link/LocalProcess.h"
#include "core/link/SessionPort.h"
#include "core/link/SessionText.h"
#include "core/link/TransferSession.h"
#include "core/model/DebugLog.h"
#include "core/model/Title.h"
#include "tests/core/model/TestRecords.h"
#include "tests/support/PtyLink.h"
#include "tests/support/ScriptedPrompter.h"
#include "tools/TitleGenerator.h"

// The transfer session against the console simulator: a program of ours on
// the far end of a paced pseudo-terminal line that logs in, keeps ten slots
// in a folder and runs the real tar, gzip, sz and rz.
namespace orb {

// Found by argument-dependent lookup when a comparison fails.
void PrintTo(SessionState state, std::ostream* out) {
  *out << static_cast<int>(state);
}

namespace {

namespace fs = std::filesystem;
using S = SessionState;
using test::PacedRelay;
using Bytes = std::vector<std::uint8_t>;
using Files = std::map<std::string, Bytes>;

constexpr int kUnpaced = 0;
constexpr int kPort = 3;
const char* const kSessionFiles[] = {"sysf.dat", "snap.dat", "cue.dat", "dylib.dat", "eqlib.dat",
                                     "auto.dat", "gfed.dat", "tmp",     "tmp.gz"};

class RecordingView : public SessionView {
 public:
  void SetCaption(const std::string& text) override { caption = text; }
  void SetMessage(const std::string& text) override {
    if (messages.empty() || messages.back() != text) messages.push_back(text);
  }
  void SetRetry(const std::string& text) override { retry = text; }
  void SetTotal(const std::string& text) override { total = text; }
  void SetRemain(const std::string& text) override { remain = text; }
  void SetBps(const std::string& text) override { bps = text; }
  void SetProgress(int percent) override { progress = percent; }
  void SetStateLabel(const std::string& text) override { label = text; }
  void SetTimerRunning(bool running) override { timer = running; }
  void CloseWindow() override { ++closed; }

  std::string caption, retry, total, remain, bps, label;
  std::vector<std::string> messages;
  int progress = -1;
  bool timer = false;
  int closed = 0;
};

// Moves the session's clock on while the overwrite question is open, as a
// user who takes ten minutes to answer.
class SlowPrompter : public ScriptedPrompter {
 public:
  explicit SlowPrompter(std::uint64_t* offset) : offset_(offset) {}
  Answer AskDefaultNo(const std::string& text, const std::string& caption,
                      Buttons buttons) override {
    if (IsQuestion(text, kOverwriteQuestion)) *offset_ += 600000;
    return ScriptedPrompter::AskDefaultNo(text, caption, buttons);
  }

 private:
  std::uint64_t* offset_;
};

// The simulator on the far end of a line; the program's device is left for
// the session to open.
class Console {
 public:
  Console(const std::string& root, const std::vector<std::string>& options, int rate,
          const std::vector<PacedRelay::Rule>& rules = {})
      : log_(root + ".log") {
    if (!program_.Open() || !peer_.Open()) return;
    relay_ = std::make_unique<PacedRelay>(program_.master, peer_.master, rate);
    for (const auto& rule : rules) relay_->AddRule(rule);
    relay_->Start();
    std::vector<std::string> argv = {CONSOLE_SIM_PATH, "--root", root, "--log", log_};
    argv.insert(argv.end(), options.begin(), options.end());
    ok_ = sim_.Spawn(argv, peer_.slave, "/");
    ::close(peer_.slave);  // the simulator alone holds its terminal now
    peer_.slave = -1;
  }
  ~Console() {
    sim_.Kill();
    if (relay_) relay_->Stop();
  }
  bool ok() const { return ok_; }
  const std::string& device() const { return program_.slave_path; }
  PacedRelay& relay() { return *relay_; }
  void HangUp() {
    relay_->HangUpProgramSide();
    program_.master = -1;  // closed by the relay
  }
  bool Exited(int timeout_ms) { return sim_.Wait(timeout_ms); }
  // The command lines the console received.
  std::vector<std::string> Commands() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  int Count(const std::string& command) const {
    int n = 0;
    for (const std::string& line : Commands()) n += line == command;
    return n;
  }
  // Whether the console logged the text; sz's own progress shares the log, without a line end
  // of its own, so the text may end a line.
  bool Logged(const std::string& text) const {
    const auto lines = Commands();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.size() >= text.size() &&
             line.compare(line.size() - text.size(), text.size(), text) == 0;
    });
  }

 private:
  std::string log_;
  test::RawPty program_;
  test::RawPty peer_;
  std::unique_ptr<PacedRelay> relay_;
  test::Peer sim_;
  bool ok_ = false;
};

std::string Dump(const Bytes& bytes) {
  return DumpBytes(bytes.data(), static_cast<int>(bytes.size()));
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {"sz", "rz", "gzip", "tar"})
      ASSERT_TRUE(test::HaveProgram(program)) << program << " is not installed";
    folder_ = test::MakeTempFolder();
    ASSERT_FALSE(folder_.empty());
    root_ = folder_ + "/console";
    app_ = folder_ + "/app";
    work_ = app_ + "/tmp";
    fs::create_directories(root_);
    fs::create_directories(app_);
    test::DrainLog();
  }
  void TearDown() override {
    test::RemoveFolder(folder_);
    test::DrainLog();
  }

  std::string Slot(int number) const {
    char name[16];
    std::snprintf(name, sizeof name, "%02d", number);
    return root_ + "/home/kel205/data/" + name;
  }
  void PutTitle(int slot, const gen::TitleSpec& spec) {
    fs::create_directories(Slot(slot));
    for (const auto& [name, bytes] : gen::MakeDataFiles(spec))
      ASSERT_TRUE(test::WriteFile(Slot(slot) + "/" + name, bytes));
  }
  void PutFile(int slot, const std::string& name, const std::string& text) {
    fs::create_directories(Slot(slot));
    std::ofstream(Slot(slot) + "/" + name) << text;
  }
  Files SlotFiles(int slot) const {
    Files files;
    for (const auto& entry : fs::directory_iterator(Slot(slot)))
      files[entry.path().filename().string()] = test::ReadFile(entry.path().string());
    return files;
  }
  std::string SaveTitle(const gen::TitleSpec& spec) {
    const std::string path = app_ + "/" + spec.name + ".orb";
    EXPECT_TRUE(test::WriteFile(path, gen::MakeTitle(spec)));
    return path;
  }
  // What is left of the session's files in the work folder.
  std::vector<std::string> LeftInWork() const {
    std::vector<std::string> left;
    for (const char* name : kSessionFiles) {
      std::error_code error;
      if (fs::exists(fs::symlink_status(work_ + "/" + name, error))) left.push_back(name);
    }
    return left;
  }

  SessionSetup Setup(int mode, int slot, const std::string& device,
                     const std::string& title = "") const {
    SessionSetup setup;
    setup.mode = mode;
    setup.slot_index = slot - 1;
    setup.title_path = title;
    setup.library_folder = app_;
    setup.work_folder = work_;
    setup.port_number = kPort;
    setup.device = device;
    return setup;
  }

  // Ticks until the session ends: every tick_ms at the latest and at once
  // when bytes arrive. A session still running at the time limit is cancelled.
  void Drive(TransferSession& session, TSerial& serial, int timeout_ms,
             const std::function<void()>& after_tick = {}, int tick_ms = 10) {
    session.Show();
    const std::uint64_t start = test::NowMs();
    while (!session.Ended()) {
      if (test::NowMs() - start > static_cast<std::uint64_t>(timeout_ms)) {
        ADD_FAILURE() << "still running in state " << testing::PrintToString(session.State());
        session.Cancel();
        break;
      }
      session.Tick();
      Collect();
      if (after_tick && !session.Ended()) after_tick();
      pollfd port{serial.Handle(), POLLIN, 0};
      ::poll(&port, serial.IsOpen() ? 1 : 0, tick_ms);
    }
    Collect();
  }

  // How often the abort sequence went out; the log is drained as it goes,
  // since it keeps only 256 lines.
  void Collect() {
    static const std::string abort_line = "Write : " + Dump(zmodem::AbortSequence());
    for (const std::string& line : test::DrainLog()) aborts_ += line == abort_line;
  }

  struct Outcome {
    bool success = false;
    std::vector<std::string> errors;  // message boxes, as "caption: text"
    std::vector<std::string> questions;
    RecordingView view;
    SessionState state = S::kWakeShell;
  };

  // One session on a console of its own.
  Outcome RunOnConsole(int mode, int slot, const std::vector<std::string>& options,
                       const std::string& title = "",
                       const std::vector<PacedRelay::Rule>& rules = {},
                       ScriptedPrompter* prompter = nullptr) {
    Console console(root_, options, kUnpaced, rules);
    EXPECT_TRUE(console.ok());
    return RunSession(Setup(mode, slot, console.device(), title), prompter);
  }

  Outcome RunSession(const SessionSetup& setup, ScriptedPrompter* prompter = nullptr,
                     int timeout_ms = 60000) {
    ScriptedPrompter own;
    if (!prompter) prompter = &own;
    Outcome outcome;
    TSerial serial;
    TransferSession session(serial, setup, prompter, &outcome.view);
    Drive(session, serial, timeout_ms);
    outcome.success = session.Succeeded();
    outcome.state = session.State();
    for (const auto& shown : prompter->shown()) {
      (shown.buttons == Buttons::kOk ? outcome.errors : outcome.questions)
          .push_back(shown.caption + ": " + shown.text);
    }
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(outcome.view.closed, 1);
    EXPECT_EQ(LeftInWork(), std::vector<std::string>());
    return outcome;
  }

  std::string folder_, root_, app_, work_;
  int aborts_ = 0;
};

gen::TitleSpec SmallSpec() {
  gen::TitleSpec spec;
  spec.name = "Stage";
  spec.with_gfed = false;
  spec.automation_words = 4001;
  return spec;
}

gen::TitleSpec MaximumSpec() {
  gen::TitleSpec spec;
  spec.name = "Maximum";
  spec.snapshots = spec.cues = spec.dynamics = spec.eq = 99;
  spec.automation_words = Title::kMaxAutomationWords;
  spec.seed = 7;
  return spec;
}

// MM:SS with fewer minutes than max_minutes.
bool IsMinutes(const std::string& text, int max_minutes = 100) {
  return text.size() == 5 && text[2] == ':' && std::isdigit(text[0]) && std::isdigit(text[1]) &&
         text[3] >= '0' && text[3] <= '5' && std::isdigit(text[4]) &&
         std::stoi(text.substr(0, 2)) < max_minutes;
}

bool InOrder(const std::vector<std::string>& seen, const std::vector<std::string>& wanted) {
  std::size_t next = 0;
  for (const std::string& text : seen) next += next < wanted.size() && text == wanted[next];
  return next == wanted.size();
}

// A title from slot 3 into the library and back into slot 7 at the line's own
// pace; the second session finds the console still logged in.
TEST_F(SessionTest, ImportAndExportAtLinePace) {
  const gen::TitleSpec spec = SmallSpec();
  PutTitle(3, spec);
  PutFile(7, "memo.txt", "not a title\n");  // so that the listing shows a "."
  Console console(root_, {"--free", "1536"}, test::kLineRate);
  ASSERT_TRUE(console.ok());

  ScriptedPrompter prompter;
  prompter.QueueTitleName("Stage");
  const Outcome in = RunSession(Setup(SessionSetup::kImport, 3, console.device()), &prompter);
  EXPECT_TRUE(in.success);
  EXPECT_EQ(in.errors, std::vector<std::string>());
  EXPECT_EQ(test::ReadFile(app_ + "/Stage.orb"), gen::MakeTitle(spec));
  EXPECT_EQ(in.view.caption, kImportCaption);
  EXPECT_TRUE(
      InOrder(in.view.messages, {"Initializing...", "Compressing...", "Preparing to download...",
                                 "Receving TITLE data 100% done...", "Decompressing..."}));
  EXPECT_EQ(in.view.progress, 100);
  EXPECT_TRUE(IsMinutes(in.view.total, 1)) << in.view.total;
  // The wait counter starts again after the download.
  EXPECT_EQ(in.view.label, std::to_string(static_cast<int>(S::kImportIntoLibrary)) + " : 0");
  EXPECT_FALSE(fs::exists(root_ + "/tmp/data.gz"));

  const Outcome out =
      RunSession(Setup(SessionSetup::kExport, 7, console.device(), app_ + "/Stage.orb"), nullptr);
  EXPECT_TRUE(out.success);
  EXPECT_EQ(out.errors, std::vector<std::string>());
  EXPECT_EQ(out.questions, std::vector<std::string>());
  Files expected = gen::MakeDataFiles(spec);
  expected["memo.txt"] = Bytes({'n', 'o', 't', ' ', 'a', ' ', 't', 'i', 't', 'l', 'e', '\n'});
  EXPECT_EQ(SlotFiles(7), expected);
  EXPECT_EQ(out.view.caption, kExportCaption);
  EXPECT_TRUE(InOrder(out.view.messages, {"Sending TITLE data 100% done...", "Decompressing..."}));
  EXPECT_NE(out.view.bps, "0");
  EXPECT_TRUE(IsMinutes(out.view.remain)) << out.view.remain;
  EXPECT_EQ(console.Count("login"), 1);
  EXPECT_EQ(console.Count("df"), 1);
  EXPECT_EQ(console.Commands().back(), "rm /tmp/data.gz");
  EXPECT_FALSE(fs::exists(root_ + "/tmp/data.gz"));
  EXPECT_EQ(aborts_, 1);  // the end of the send, and none on closing
}

// The largest title both ways as fast as the terminals go; the export
// replaces a title, leaves the time of the overwrite question out of
// "Total:" and reboots a console that cannot refresh its list.
TEST_F(SessionTest, MaximumTitleBothWays) {
  const gen::TitleSpec spec = MaximumSpec();
  PutTitle(10, spec);
  ScriptedPrompter prompter;
  prompter.QueueTitleName("Maximum");
  Outcome in = RunOnConsole(SessionSetup::kImport, 10, {}, "", {}, &prompter);
  EXPECT_TRUE(in.success);
  EXPECT_EQ(test::ReadFile(app_ + "/Maximum.orb"), gen::MakeTitle(spec));

  gen::TitleSpec old = SmallSpec();
  old.with_gfed = true;
  PutTitle(1, old);
  Console console(root_, {"--no-scan"}, kUnpaced);
  ASSERT_TRUE(console.ok());
  std::uint64_t offset = 0;
  SlowPrompter slow(&offset);
  slow.Queue(Answer::kYes);  // overwrite
  slow.Queue(Answer::kYes);  // reboot
  RecordingView view;
  TSerial serial;
  {
    TransferSession session(
        serial, Setup(SessionSetup::kExport, 1, console.device(), app_ + "/Maximum.orb"), &slow,
        &view, [&] { return test::NowMs() + offset; });
    Drive(session, serial, 120000);
    EXPECT_TRUE(session.Succeeded());
    EXPECT_TRUE(session.RebootRequested());
  }
  EXPECT_EQ(offset, 600000u);
  EXPECT_TRUE(IsMinutes(view.total, 1)) << view.total;
  ASSERT_EQ(slow.shown().size(), 2u);
  EXPECT_TRUE(IsQuestion(slow.shown()[0].text, kOverwriteQuestion));
  EXPECT_TRUE(slow.shown()[0].default_no);
  EXPECT_EQ(slow.shown()[0].caption, "Export");
  EXPECT_EQ(slow.shown()[1].text, kRebootQuestion);
  const auto files = gen::MakeDataFiles(spec);
  EXPECT_EQ(SlotFiles(1), files);
  EXPECT_EQ(console.Count("shutdown -f"), 1);
  EXPECT_TRUE(console.Exited(5000));
  EXPECT_FALSE(serial.IsOpen());
  EXPECT_EQ(LeftInWork(), std::vector<std::string>());
}

TEST_F(SessionTest, ImportFailures) {
  PutTitle(1, SmallSpec());
  // The first line names the port as the console dialogue knows it; the next says why.
  EXPECT_EQ(RunSession(Setup(SessionSetup::kImport, 1, folder_ + "/no-such-port")).errors,
            std::vector<std::string>({"Error: Unable to open COM3\n" + folder_ +
                                      "/no-such-port: No such file or directory."}));
  test::WriteFile(folder_ + "/plain-file", Bytes{'x'});
  EXPECT_EQ(RunSession(Setup(SessionSetup::kImport, 1, folder_ + "/plain-file")).errors,
            std::vector<std::string>(
                {"Error: Unable to open COM3\n" + folder_ + "/plain-file is not a serial line."}));
  EXPECT_EQ(test::ReadFile(folder_ + "/plain-file"), Bytes{'x'});

  const std::string garbage = folder_ + "/garbage.gz";
  std::ofstream(garbage) << "this is not gzip data\n";
  EXPECT_EQ(RunOnConsole(SessionSetup::kImport, 1, {"--archive", garbage}).errors,
            std::vector<std::string>({"Error: Failed to decompress."}));

  PutFile(2, "snap.dat", "snapshots without a system file");
  EXPECT_EQ(RunOnConsole(SessionSetup::kImport, 2, {}).errors,
            std::vector<std::string>({"Error: TITLE data is not found."}));

  PutTitle(4, SmallSpec());
  PutFile(4, "sysf.dat", "short");
  ScriptedPrompter named;
  named.QueueTitleName("Short");
  EXPECT_EQ(RunOnConsole(SessionSetup::kImport, 4, {}, "", {}, &named).errors,
            std::vector<std::string>({std::string("Error: ") + StatusMessage(kCantOpenSource)}));
  EXPECT_FALSE(fs::exists(app_ + "/Short.orb"));

  // A library that could not take the title is refused before the console is woken.
  {
    Console console(root_, {}, kUnpaced);
    ASSERT_TRUE(console.ok());
    test::WriteFile(folder_ + "/not-a-folder", Bytes{'x'});
    const int logins = console.Count("login");
    for (const std::string& library : {folder_ + "/missing", folder_ + "/not-a-folder"}) {
      SessionSetup setup = Setup(SessionSetup::kImport, 1, console.device());
      setup.library_folder = library;
      EXPECT_EQ(RunSession(setup).errors,
                std::vector<std::string>(
                    {"Error: The library folder " + library + " is missing or not a folder."}));
    }
    EXPECT_EQ(console.Count("login"), logins);
  }

  // A damaged data frame is asked for again, and the title arrives whole. The download is all
  // "A", so that the damaged byte is a data byte in every run.
  const std::string plain = folder_ + "/plain.gz";
  ASSERT_TRUE(test::WriteFile(plain, Bytes(16384, 'A')));
  aborts_ = 0;
  const Outcome damaged = RunOnConsole(SessionSetup::kImport, 1, {"--archive", plain}, "",
                                       {{PacedRelay::kToProgram, 6000, 0x01, 0}});
  // Unpaced, sz may run far enough ahead that the stale stream asks once more.
  EXPECT_TRUE(damaged.view.retry == "1" || damaged.view.retry == "2") << damaged.view.retry;
  EXPECT_TRUE(
      InOrder(damaged.view.messages, {"Receving TITLE data 100% done...", "Decompressing..."}));
  EXPECT_FALSE(fs::exists(work_ + "/" + kDebugFileName));
}

// After sz and rz a real console prints cancel bytes, backspaces and its prompt on one line;
// both directions must still see the prompt and finish.
TEST_F(SessionTest, PromptAfterTheTransferOnTheSameLine) {
  const gen::TitleSpec spec = SmallSpec();
  PutTitle(5, spec);
  ScriptedPrompter prompter;
  prompter.QueueTitleName("Stage");  // the name the title holds
  const Outcome in = RunOnConsole(SessionSetup::kImport, 5, {"--prompt-inline"}, "", {}, &prompter);
  EXPECT_TRUE(in.success);
  EXPECT_EQ(in.errors, std::vector<std::string>());
  EXPECT_EQ(test::ReadFile(app_ + "/Stage.orb"), gen::MakeTitle(spec));

  const Outcome out =
      RunOnConsole(SessionSetup::kExport, 6, {"--prompt-inline"}, app_ + "/Stage.orb");
  EXPECT_TRUE(out.success);
  EXPECT_EQ(out.errors, std::vector<std::string>());
  EXPECT_EQ(SlotFiles(6), gen::MakeDataFiles(spec));
}

// A cd that fails (a mistyped slot on a noisy line) leaves the console elsewhere: the session
// stops before it lists, packs, removes or unpacks anything there.
TEST_F(SessionTest, AFailedCdStopsBeforeAnythingIsTouched) {
  const gen::TitleSpec spec = SmallSpec();
  PutTitle(7, spec);
  const Files before = SlotFiles(7);
  const std::string refused =
      std::string("Error: The console could not enter ") + kSlotFolder + "07 (it is in /).";
  ScriptedPrompter named;
  named.QueueTitleName("Stage");
  const Outcome in = RunOnConsole(SessionSetup::kImport, 7, {"--cd-fails"}, "", {}, &named);
  EXPECT_FALSE(in.success);
  EXPECT_EQ(in.errors, std::vector<std::string>({refused}));
  EXPECT_FALSE(fs::exists(app_ + "/Stage.orb"));

  test::WriteFile(app_ + "/Stage.orb", gen::MakeTitle(spec));
  const Outcome out = RunOnConsole(SessionSetup::kExport, 7, {"--cd-fails"}, app_ + "/Stage.orb");
  EXPECT_FALSE(out.success);
  EXPECT_EQ(out.errors, std::vector<std::string>({refused}));
  EXPECT_EQ(out.questions, std::vector<std::string>()) << "no listing, so no question";
  EXPECT_EQ(SlotFiles(7), before);
  EXPECT_FALSE(fs::exists(root_ + "/tmp/sysf.dat"));
}

// A new slot lists nothing, not even a name with a "."; the prompt after the echo of "ls"
// ends the listing and the title goes in without a question.
TEST_F(SessionTest, ExportIntoAnEmptySlot) {
  const gen::TitleSpec spec = SmallSpec();
  const std::string title = SaveTitle(spec);
  fs::create_directories(Slot(4));
  const Outcome out = RunOnConsole(SessionSetup::kExport, 4, {}, title);
  EXPECT_TRUE(out.success);
  EXPECT_EQ(out.errors, std::vector<std::string>());
  EXPECT_EQ(out.questions, std::vector<std::string>());
  EXPECT_EQ(SlotFiles(4), gen::MakeDataFiles(spec));
}

TEST_F(SessionTest, ExportFailures) {
  const std::string title = SaveTitle(SmallSpec());
  PutFile(5, "memo.txt", "\n");

  EXPECT_EQ(RunOnConsole(SessionSetup::kExport, 5, {"--free", "1535"}, title).errors,
            std::vector<std::string>({"Error: Disk Full."}));
  EXPECT_EQ(SlotFiles(5).size(), 1u);

  // Whatever did not unpack, the six files go again.
  const Outcome partial = RunOnConsole(SessionSetup::kExport, 5, {"--drop", "cue.dat"}, title);
  const std::string emptied =
      "Error: Disk full.\nThe console's slot 05 may now be empty or incomplete.";
  EXPECT_EQ(partial.errors, std::vector<std::string>({emptied}));
  EXPECT_EQ(SlotFiles(5).size(), 1u);
  // Nothing unpacked at all: the listing shows none of the files and still ends.
  std::vector<std::string> drop_all;
  for (const char* name : {"sysf.dat", "eqlib.dat", "dylib.dat", "auto.dat", "cue.dat", "snap.dat"})
    drop_all.insert(drop_all.end(), {"--drop", name});
  EXPECT_EQ(RunOnConsole(SessionSetup::kExport, 5, drop_all, title).errors,
            std::vector<std::string>({emptied}));
  EXPECT_EQ(SlotFiles(5).size(), 1u);

  // "No" to the overwrite question ends silently with the console's title as it was.
  gen::TitleSpec other = SmallSpec();
  other.name = "Other";
  other.seed = 9;
  PutTitle(6, other);
  const auto before = SlotFiles(6);
  ScriptedPrompter no;
  no.Queue(Answer::kNo);
  const Outcome refused = RunOnConsole(SessionSetup::kExport, 6, {}, title, {}, &no);
  EXPECT_FALSE(refused.success);
  EXPECT_EQ(refused.errors, std::vector<std::string>());
  EXPECT_EQ(refused.questions,
            std::vector<std::string>({"Export: TITLE already exists. overwrite?\n"
                                      "The console's TITLE 06 will be replaced by \"Stage\"."}));
  EXPECT_EQ(SlotFiles(6), before);

  // A title that cannot be read whole is refused before the console is woken: no login, no
  // question, the console's title stays and the damaged file is not rewritten.
  const std::string damaged = app_ + "/Damaged.orb";
  Bytes cut = gen::MakeTitle(SmallSpec());
  cut.resize(cut.size() * 2 / 3);
  test::WriteFile(damaged, cut);
  const std::pair<std::string, Status> unreadable[] = {{app_ + "/Missing.orb", kCantOpenSource},
                                                       {damaged, kReadError}};
  for (const auto& [path, status] : unreadable) {
    SCOPED_TRACE(path);
    Console console(root_, {}, kUnpaced);
    ASSERT_TRUE(console.ok());
    const int logins = console.Count("login");  // the log goes on from the earlier consoles
    ScriptedPrompter yes;
    yes.Queue(Answer::kYes);
    const Outcome refused_title =
        RunSession(Setup(SessionSetup::kExport, 6, console.device(), path), &yes);
    EXPECT_EQ(refused_title.errors,
              std::vector<std::string>({std::string("Error: ") + StatusMessage(status)}));
    EXPECT_EQ(refused_title.questions, std::vector<std::string>());
    EXPECT_EQ(console.Count("login"), logins);
  }
  EXPECT_EQ(test::ReadFile(damaged), cut);
  EXPECT_EQ(SlotFiles(6), before);

  // Every block damaged on the way: the console asks for it again and again.
  std::vector<PacedRelay::Rule> noise;
  for (std::uint64_t index = 1000; index < 40000; index += 300)
    noise.push_back({PacedRelay::kToPeer, index, 0x20, 0});
  aborts_ = 0;
  ScriptedPrompter again;
  again.Queue(Answer::kYes);
  const Outcome retried = RunOnConsole(SessionSetup::kExport, 6, {}, title, noise, &again);
  EXPECT_EQ(retried.errors, std::vector<std::string>({"Error: Retry error."}));
  EXPECT_EQ(retried.view.retry, "10");
  EXPECT_EQ(aborts_, 1);
  EXPECT_EQ(SlotFiles(6), before);
}

// A console that answers nothing, or nothing the login knows, gets a carriage
// return every second tick until 251 rounds have counted 502 ticks.
TEST_F(SessionTest, TimeoutWithoutTheConsole) {
  // --unended: bytes that never make a line still count against the limit.
  for (const char* fault : {"--silent", "--wrong", "--unended"}) {
    SCOPED_TRACE(fault);
    Console console(root_, {fault}, kUnpaced);
    ASSERT_TRUE(console.ok());
    ScriptedPrompter prompter;
    RecordingView view;
    TSerial serial;
    TransferSession session(serial, Setup(SessionSetup::kImport, 1, console.device()), &prompter,
                            &view);
    Drive(session, serial, 30000, {}, 1);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, "Timeout.");
    EXPECT_GT(session.WaitCounter(), 500u);
    if (std::string(fault) == "--silent") {
      for (int i = 0; i < 1000 && console.relay().Carried(PacedRelay::kToPeer) < 251; ++i)
        ::poll(nullptr, 0, 1);
      EXPECT_EQ(console.relay().Carried(PacedRelay::kToPeer), 251u);
      EXPECT_EQ(session.WaitCounter(), 502u);
    }
  }
}

// Cancel at each phase: the work folder is emptied, a transfer under way is
// aborted, and the port is closed unless it was open before the session.
TEST_F(SessionTest, CancelDuringEachPhase) {
  PutTitle(1, SmallSpec());
  const std::string title = SaveTitle(SmallSpec());
  struct Phase {
    int mode;
    int slot;
    SessionState state;
    bool port_open_before;
    int aborts;  // a finished send has sent one already
  };
  const Phase phases[] = {
      {SessionSetup::kImport, 1, S::kPasswordPrompt, false, 0},
      {SessionSetup::kImport, 1, S::kStartTransfer, false, 0},
      {SessionSetup::kImport, 1, S::kZmodemAwaitBlock, false, 1},
      {SessionSetup::kImport, 1, S::kZmodemAwaitBlock, true, 1},
      {SessionSetup::kImport, 1, S::kUnpackLocally, false, 0},
      {SessionSetup::kExport, 1, S::kListingSlot, false, 0},
      {SessionSetup::kExport, 1, S::kCheckFreeSpace, false, 0},
      {SessionSetup::kExport, 1, S::kZmodemAwaitBlock, false, 1},
      {SessionSetup::kExport, 1, S::kListUnpacked, false, 1},
  };
  for (const Phase& phase : phases) {
    SCOPED_TRACE(std::to_string(phase.mode) + " at " + testing::PrintToString(phase.state));
    Console console(root_, {}, 10 * test::kLineRate);
    ASSERT_TRUE(console.ok());
    TSerial serial;
    if (phase.port_open_before) {
      ASSERT_GE(serial.OpenPort(console.device()), 0);
    }
    ScriptedPrompter prompter;
    prompter.Queue(Answer::kYes);
    RecordingView view;
    aborts_ = 0;
    {
      TransferSession session(serial, Setup(phase.mode, phase.slot, console.device(), title),
                              &prompter, &view);
      Drive(session, serial, 60000, [&] {
        if (session.State() == phase.state) session.Cancel();
      });
      EXPECT_EQ(session.State(), phase.state);
    }
    EXPECT_EQ(view.closed, 1);
    EXPECT_EQ(LeftInWork(), std::vector<std::string>());
    EXPECT_EQ(aborts_, phase.aborts);
    EXPECT_EQ(serial.IsOpen(), phase.port_open_before);
    EXPECT_EQ(console.Count("shutdown -f"), 0);
  }
}

// A line that hangs up, and a console that dies during a transfer.
TEST_F(SessionTest, LostLineAndDeadConsole) {
  PutTitle(1, SmallSpec());
  {
    Console console(root_, {}, test::kLineRate);
    ASSERT_TRUE(console.ok());
    ScriptedPrompter prompter;
    RecordingView view;
    TSerial serial;
    TransferSession session(serial, Setup(SessionSetup::kImport, 1, console.device()), &prompter,
                            &view);
    bool hung_up = false;
    Drive(session, serial, 60000, [&] {
      if (session.State() == S::kZmodemAwaitBlock && !hung_up) {
        console.HangUp();
        hung_up = true;
      }
    });
    EXPECT_TRUE(hung_up);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text,
              "Unable to open COM3\nThe line to the console was lost (" + console.device() + ").");
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(LeftInWork(), std::vector<std::string>());
  }
  // A console that dies, or freezes, mid-transfer: the silence ends it.
  for (const auto& [fault, logged] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--hang-up-ms", "1500"}, "hang-up"}, {{"--freeze-ms", "300"}, "freeze"}}) {
    SCOPED_TRACE(logged);
    Console console(root_, fault, test::kLineRate);
    ASSERT_TRUE(console.ok());
    ScriptedPrompter prompter;
    prompter.QueueTitleName("Stage");
    RecordingView view;
    TSerial serial;
    TransferSession session(serial, Setup(SessionSetup::kImport, 1, console.device()), &prompter,
                            &view);
    session.SetTransferIdleLimit(1000);
    Drive(session, serial, 60000);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].text, "Timeout.");
    EXPECT_TRUE(console.Logged(logged));
  }
  {
    // The line lost once the console has begun to replace the slot's title: the user is told.
    Console console(root_, {}, test::kLineRate);
    ASSERT_TRUE(console.ok());
    ScriptedPrompter prompter;
    prompter.Queue(Answer::kYes);  // replace the title there
    RecordingView view;
    TSerial serial;
    const std::string title = app_ + "/Lost.orb";
    ASSERT_TRUE(test::WriteFile(title, gen::MakeTitle(SmallSpec())));
    TransferSession session(serial, Setup(SessionSetup::kExport, 1, console.device(), title),
                            &prompter, &view);
    bool hung_up = false;
    Drive(session, serial, 60000, [&] {
      if (session.State() == S::kRemoveEqlib && !hung_up) {
        console.HangUp();
        hung_up = true;
      }
    });
    EXPECT_TRUE(hung_up);
    EXPECT_EQ(prompter.shown().back().text,
              "Unable to open COM3\nThe line to the console was lost (" + console.device() +
                  ").\nThe console's slot 01 may now be empty or incomplete.");
  }
}

// A tar member header of the ustar format.
Bytes TarMember(const std::string& name, char type, const std::string& link, const Bytes& data) {
  Bytes header(512, 0);
  auto put = [&](std::size_t at, const std::string& text) {
    std::memcpy(header.data() + at, text.data(), std::min<std::size_t>(text.size(), 99));
  };
  char number[16];
  put(0, name);
  put(100, "0000644");
  put(108, "0000000");
  put(116, "0000000");
  std::snprintf(number, sizeof number, "%011o", static_cast<unsigned>(data.size()));
  put(124, number);
  put(136, "00000000000");
  header[156] = static_cast<std::uint8_t>(type);
  put(157, link);
  put(257, std::string("ustar\0"
                       "00",
                       8));
  std::memset(header.data() + 148, ' ', 8);
  unsigned sum = 0;
  for (std::uint8_t byte : header) sum += byte;
  std::snprintf(number, sizeof number, "%06o", sum);
  std::memcpy(header.data() + 148, number, 7);
  Bytes member = header;
  member.insert(member.end(), data.begin(), data.end());
  member.resize((member.size() + 511) / 512 * 512, 0);
  return member;
}

// The archive comes from outside: whatever its member names, nothing is
// written outside the work folder, and no link there is read as data.
TEST_F(SessionTest, UnpackingStaysInTheWorkFolder) {
  const std::string outside = folder_ + "/outside";
  fs::create_directories(outside);
  gen::TitleSpec victim = SmallSpec();
  victim.name = "Outside";
  const auto victim_files = gen::MakeDataFiles(victim);
  ASSERT_TRUE(test::WriteFile(outside + "/victim.dat", victim_files.at("sysf.dat")));

  Bytes archive;
  auto add = [&](const Bytes& member) {
    archive.insert(archive.end(), member.begin(), member.end());
  };
  const Bytes evil = {'e', 'v', 'i', 'l'};
  add(TarMember("../escape.dat", '0', "", evil));
  add(TarMember(outside + "/absolute.dat", '0', "", evil));
  add(TarMember("way", '2', outside, {}));
  add(TarMember("way/through.dat", '0', "", evil));
  add(TarMember("cue.dat", '1', outside + "/victim.dat", {}));
  add(TarMember("cue.dat", '0', "", evil));
  for (const char* name : {"snap.dat", "dylib.dat", "eqlib.dat", "auto.dat"})
    add(TarMember(name, '0', "", victim_files.at(name)));
  add(TarMember("sysf.dat", '2', outside + "/victim.dat", {}));
  archive.resize(archive.size() + 1024, 0);
  ASSERT_TRUE(test::WriteFile(folder_ + "/evil", archive));
  ASSERT_EQ(RunLocal(folder_, {"gzip", "-n", "evil"}), 0);

  ScriptedPrompter prompter;
  prompter.QueueTitleName("Outside");
  const Outcome outcome = RunOnConsole(SessionSetup::kImport, 1,
                                       {"--archive", folder_ + "/evil.gz"}, "", {}, &prompter);
  EXPECT_FALSE(outcome.success);
  EXPECT_EQ(outcome.errors, std::vector<std::string>({"Error: TITLE data is not found."}));
  EXPECT_FALSE(fs::exists(app_ + "/Outside.orb"));
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(outside))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, std::set<std::string>({"victim.dat"}));
  EXPECT_EQ(test::ReadFile(outside + "/victim.dat"), victim_files.at("sysf.dat"));
  EXPECT_FALSE(fs::exists(app_ + "/escape.dat"));
  EXPECT_FALSE(fs::exists(folder_ + "/escape.dat"));
}

// The console's shell as a noisy line leaves it: a command garbled on its way, an answer
// garbled on its way back, a lost prompt, a shell without pwd, a console that falls silent after
// a chosen command. Every command is checked by its echo, every answer read whole or asked for
// again, every wait ends, and an ending says what the slot now holds.
class DialogueTest : public SessionTest {
 protected:
  static constexpr int kFrom = 1;  // the import's slot
  static constexpr int kInto = 2;  // the export's slot, holding an older title and a memo

  struct Case {
    int mode;
    std::vector<std::string> options;
    std::string error;  // "" for a clean success
    bool success;
  };

  void SetUp() override {
    SessionTest::SetUp();
    old_.name = "Old";
    old_.seed = 9;
    old_.with_gfed = true;
    PutTitle(kFrom, SmallSpec());
    // Outside the library, which the import writes into.
    title_ = folder_ + "/Stage.orb";
    ASSERT_TRUE(test::WriteFile(title_, gen::MakeTitle(SmallSpec())));
  }

  // Runs one case on a fresh console and checks the ending against it: the imported title, or
  // the slot with the new title only, or on failure before any removal the old title untouched.
  void Check(const Case& row) {
    SCOPED_TRACE((row.mode == SessionSetup::kImport ? "import" : "export") +
                 testing::PrintToString(row.options));
    fs::remove_all(Slot(kInto));
    PutTitle(kInto, old_);
    PutFile(kInto, "memo.txt", "x\n");
    const Files before = SlotFiles(kInto);
    fs::remove(app_ + "/Stage.orb");
    Console console(root_, row.options, kUnpaced);
    ASSERT_TRUE(console.ok());
    ScriptedPrompter prompter;
    prompter.QueueTitleName("Stage");  // the name the title holds
    prompter.Queue(Answer::kYes);      // replace the old title
    RecordingView view;
    TSerial serial;
    bool success = false;
    {
      TransferSession session(serial,
                              Setup(row.mode, row.mode == SessionSetup::kImport ? kFrom : kInto,
                                    console.device(), title_),
                              &prompter, &view);
      session.SetLongCommandLimit(1500);
      Drive(session, serial, 60000, {}, 5);
      success = session.Succeeded();
    }
    std::vector<std::string> errors, questions;
    for (const auto& shown : prompter.shown()) {
      if (shown.buttons == Buttons::kOk) errors.push_back(shown.caption + ": " + shown.text);
      if (shown.buttons == Buttons::kYesNo) questions.push_back(shown.text);
    }
    EXPECT_EQ(success, row.success);
    EXPECT_EQ(errors, row.error.empty() ? std::vector<std::string>()
                                        : std::vector<std::string>({row.error}));
    EXPECT_EQ(view.closed, 1);
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(LeftInWork(), std::vector<std::string>());
    // The console really received each garbled command: its last character flipped.
    for (std::size_t i = 0; i + 1 < row.options.size(); ++i) {
      if (row.options[i] == "--lose-zfin") {
        EXPECT_TRUE(console.Logged("ZFIN lost"));
      }
      if (row.options[i] != "--garble") continue;
      std::string garbled = row.options[i + 1].substr(0, row.options[i + 1].rfind('@'));
      garbled.back() = static_cast<char>(garbled.back() ^ 0x01);
      EXPECT_GE(console.Count(garbled), 1) << garbled;
    }
    if (row.mode == SessionSetup::kImport) {
      if (row.success) {
        EXPECT_EQ(test::ReadFile(app_ + "/Stage.orb"), gen::MakeTitle(SmallSpec()));
      } else {
        EXPECT_FALSE(fs::exists(app_ + "/Stage.orb"));
      }
      return;
    }
    // An export that got as far as the listing asked before replacing the old title.
    if (console.Count("ls") > 0 && !questions.empty()) {
      EXPECT_TRUE(IsQuestion(questions[0], kOverwriteQuestion));
    }
    Files expected = gen::MakeDataFiles(SmallSpec());
    expected["memo.txt"] = before.at("memo.txt");
    if (row.success) {
      EXPECT_EQ(questions.size(), 1u);
      EXPECT_EQ(SlotFiles(kInto), expected);
    } else if (row.error.find("may now be empty") == std::string::npos) {
      EXPECT_EQ(SlotFiles(kInto), before);
    }
  }

  gen::TitleSpec old_ = SmallSpec();
  std::string title_;
};

const std::string kSlotNote = "\nThe console's slot 02 may now be empty or incomplete.";
const std::string kInSlot =
    "Export: The title is in the console's slot 02, but the console's "
    "title list was not refreshed:\n";

// Every command garbled once on its way, and answers garbled on their way back: the session
// sends the command again or asks again, and the title arrives whole, never mixed.
TEST_F(DialogueTest, GarbledCommandsAndAnswersAreDoneAgain) {
  const int im = SessionSetup::kImport, ex = SessionSetup::kExport;
  const Case cases[] = {
      {im, {"--garble", "cd /home/kel205/data/01"}, "", true},  // would enter slot 00
      {im, {"--garble", "pwd"}, "", true},
      {im, {"--garble", "rm /tmp/data.gz"}, "", true},
      {im, {"--garble", kPackCommand}, "", true},
      {im, {"--garble", "sz /tmp/data.gz"}, "", true},
      {im, {"--no-pwd"}, "", true},
      {im, {"--no-pwd", "--garble", "cd /home/kel205/data/01"}, "", true},
      {im, {"--garble-answer", "pwd", "1"}, "", true},
      {ex, {"--no-pwd"}, "", true},
      {ex, {"--garble", "cd /home/kel205/data/02"}, "", true},  // would enter slot 03
      {ex, {"--garble", "ls"}, "", true},
      {ex, {"--garble", "cd /tmp/"}, "", true},
      {ex, {"--garble", "rm data.gz"}, "", true},
      {ex, {"--garble", "df"}, "", true},
      {ex, {"--garble", "rz"}, "", true},
      {ex, {"--garble", "cd /home/kel205/data/02@2"}, "", true},
      {ex, {"--garble", "rm sysf.dat"}, "", true},
      {ex, {"--garble", "rm gfed.dat"}, "", true},  // the old gfed.dat would stay
      {ex, {"--garble", "ls@2"}, "", true},
      {ex, {"--garble", kUnpackCommand}, "", true},
      {ex, {"--garble", "ls@3"}, "", true},
      {ex, {"--garble", kScanProgram}, "", true},
      {ex, {"--garble-answer", "ls", "8"}, "", true},  // sysf.dat damaged: listed again
      {ex, {"--garble-answer", "ls@2", "1"}, "", true},
      {ex, {"--garble-answer", "ls@3", "1"}, "", true},
      {ex, {"--garble-answer", "df", "5"}, "", true},  // a free-space digit: asked again
      {ex, {"--garble-answer", "df", "1"}, "", true},  // no free-space line at all
      {ex, {"--lose-prompt", "ls"}, "", true},
      {ex, {"--lose-prompt", "df"}, "", true},
      {ex, {"--lose-prompt", "rm sysf.dat"}, "", true},
      {ex, {"--lose-prompt", kUnpackCommand}, "", true},
      {ex, {"--lose-prompt", "ls@3"}, "", true},
      {im, {"--lose-prompt", kPackCommand}, "", true},
      {im, {"--prompt-glued"}, "", true},
      {ex, {"--prompt-glued"}, "", true},
      {im, {"--lose-zfin", "1"}, "", true},   // sent again
      {im, {"--lose-zfin", "99"}, "", true},  // sz cancelled, the title kept
  };
  for (const Case& row : cases) Check(row);
}

// A console that falls silent after each command in turn: every wait ends, and once the old
// title's removal has begun the message says what the slot may hold; once the new title is
// verified there, the export succeeds and says what did not finish.
TEST_F(DialogueTest, ASilentConsoleEndsEveryWait) {
  const int im = SessionSetup::kImport, ex = SessionSetup::kExport;
  const std::string timeout = "Error: Timeout.";
  const Case cases[] = {
      {im, {"--silent-after", "cd /home/kel205/data/01"}, timeout, false},
      {im, {"--silent-after", "pwd"}, timeout, false},
      {im, {"--silent-after", "rm /tmp/data.gz"}, timeout, false},
      {im, {"--silent-after", kPackCommand}, timeout, false},
      {ex, {"--silent-after", "ls"}, timeout, false},
      {ex, {"--silent-after", "cd /tmp/"}, timeout, false},
      {ex, {"--silent-after", "df"}, timeout, false},
      {ex, {"--silent-after", "cd /home/kel205/data/02@2"}, timeout, false},
      {ex, {"--silent-after", "rm sysf.dat"}, timeout + kSlotNote, false},
      {ex, {"--silent-after", "rm gfed.dat"}, timeout + kSlotNote, false},
      {ex, {"--silent-after", "ls@2"}, timeout + kSlotNote, false},
      {ex, {"--silent-after", kUnpackCommand}, timeout + kSlotNote, false},
      {ex, {"--silent-after", "ls@3"}, timeout + kSlotNote, false},
      {ex, {"--silent-after", kScanProgram}, kInSlot + "Timeout.", true},
  };
  for (const Case& row : cases) Check(row);
}

// What the session does not get past, and how it says so.
TEST_F(DialogueTest, RefusalsNameWhatFailed) {
  const int im = SessionSetup::kImport, ex = SessionSetup::kExport;
  std::vector<std::string> four;
  for (const char* n : {"", "@2", "@3", "@4"})
    four.insert(four.end(), {"--garble", std::string("rm gfed.dat") + n});
  std::vector<std::string> cd_four;
  for (const char* n : {"", "@2", "@3", "@4"})
    cd_four.insert(cd_four.end(), {"--garble", std::string("cd /home/kel205/data/01") + n});
  std::vector<std::string> df_four;
  for (const char* n : {"", "@2", "@3", "@4"})
    df_four.insert(df_four.end(), {"--garble-answer", std::string("df") + n, "5"});
  const Case cases[] = {
      {im, cd_four,
       "Error: The console did not take the command \"cd /home/kel205/data/01\" (its echo came "
       "back 4 times garbled).",
       false},
      {ex, four,
       "Error: The console did not take the command \"rm gfed.dat\" (its echo came back 4 times "
       "garbled)." +
           kSlotNote,
       false},
      {ex, df_four, "Error: The console's answer to df could not be read.", false},
      {ex,
       {"--cd-fails", "--no-pwd"},
       "Error: The console could not enter /home/kel205/data/02 (sh: cd: can't cd to "
       "/home/kel205/data/02).",
       false},
  };
  for (const Case& row : cases) Check(row);
}

// An archive that an earlier session left in /tmp is never taken for the slot's title, and a
// file the console cannot remove keeps the new title from being unpacked beside it.
TEST_F(DialogueTest, NoOtherTitleAndNoMixedTitle) {
  const std::string pack = folder_ + "/pack";
  fs::create_directories(pack);
  std::vector<std::string> tar = {"tar", "cf", "other.tar"};
  for (const auto& [name, bytes] : gen::MakeDataFiles(old_)) {
    ASSERT_TRUE(test::WriteFile(pack + "/" + name, bytes));
    tar.push_back(name);
  }
  ASSERT_EQ(RunLocal(pack, tar), 0);
  ASSERT_EQ(RunLocal(pack, {"gzip", "-n", "other.tar"}), 0);
  Check({SessionSetup::kImport,
         {"--stale", pack + "/other.tar.gz", "--garble", kPackCommand},
         "",
         true});
  EXPECT_FALSE(fs::exists(root_ + "/tmp/data.gz"));

  // rm cannot remove a folder: the slot still lists gfed.dat after the removals.
  fs::remove_all(Slot(kInto));
  PutTitle(kInto, SmallSpec());
  fs::remove(Slot(kInto) + "/gfed.dat");
  fs::create_directories(Slot(kInto) + "/gfed.dat");
  Console console(root_, {}, kUnpaced);
  ASSERT_TRUE(console.ok());
  ScriptedPrompter yes;
  yes.Queue(Answer::kYes);
  const Outcome out =
      RunSession(Setup(SessionSetup::kExport, kInto, console.device(), title_), &yes);
  EXPECT_FALSE(out.success);
  EXPECT_EQ(out.errors,
            std::vector<std::string>({"Error: The console's slot 02 still holds gfed.dat "
                                      "after the removals; the title was not unpacked." +
                                      kSlotNote}));
  EXPECT_EQ(console.Count(kUnpackCommand), 0);
}

// Cancelling says nothing before the old title's removal has begun, and what the slot may hold
// after.
TEST_F(DialogueTest, CancelSaysWhatTheSlotMayHold) {
  const std::pair<SessionState, std::vector<std::string>> cases[] = {
      {S::kCheckFreeSpace, {}},
      {S::kRemoveDylib, {"Error: Cancelled." + kSlotNote}},
      {S::kListUnpacked, {"Error: Cancelled." + kSlotNote}},
  };
  for (const auto& [state, shown] : cases) {
    SCOPED_TRACE(testing::PrintToString(state));
    Console console(root_, {}, kUnpaced);
    ASSERT_TRUE(console.ok());
    ScriptedPrompter prompter;
    prompter.Queue(Answer::kYes);
    RecordingView view;
    TSerial serial;
    TransferSession session(serial, Setup(SessionSetup::kExport, kInto, console.device(), title_),
                            &prompter, &view);
    Drive(session, serial, 60000, [&, at = state] {
      if (session.State() == at) session.Cancel();
    });
    std::vector<std::string> errors;
    for (const auto& box : prompter.shown())
      if (box.buttons == Buttons::kOk) errors.push_back(box.caption + ": " + box.text);
    EXPECT_EQ(errors, shown);
    EXPECT_FALSE(session.Succeeded());
  }
}

TEST(SessionParts, FreeSpaceFieldAndTimes) {
  EXPECT_EQ(FifthField("//1/dev/hd0t77   /   1048576   1047040   1536   99%"), "1536");
  EXPECT_EQ(FifthField("  a b  c\td e  "), "");  // trimmed first
  EXPECT_EQ(FifthField("a b c d e f"), "e");
  EXPECT_EQ(FifthField("a b c d 1536"), "");  // no blank after it
  EXPECT_EQ(FifthField("a b c"), "");
  EXPECT_EQ(MinutesText(0), "00:00");
  EXPECT_EQ(MinutesText(61), "01:01");
  EXPECT_EQ(MinutesText(3599), "59:59");
  EXPECT_EQ(MinutesText(6000 + 75), "01:15");  // minutes keep their last two digits
}

TEST(SessionParts, PortFromTheSettingsFile) {
  const std::string folder = test::MakeTempFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(PortFromSettings(folder).device, "/dev/ttyS0");  // no settings file yet
  std::ofstream(folder + "/orbedit.ini") << "[Global]\nSerialIndex=4\n[Ports]\nCOM4=/dev/ttyUSB0\n";
  const SessionPort port = PortFromSettings(folder);
  EXPECT_EQ(port.number, 4);
  EXPECT_EQ(port.device, "/dev/ttyUSB0");
  test::RemoveFolder(folder);
}

TEST(SessionParts, RunLocal) {
  const std::string folder = test::MakeTempFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(RunLocal(folder, {"no-such-program-of-orbedit"}), -1);
  EXPECT_EQ(RunLocal(folder, {"sh", "-c", "pwd > here; exit 3"}), 3);
  const std::string here = folder + "\n";
  EXPECT_EQ(test::ReadFile(folder + "/here"), Bytes(here.begin(), here.end()));
  // An archive from outside cannot fill the disk.
  EXPECT_NE(RunLocal(folder, {"dd", "if=/dev/zero", "of=big", "bs=1M", "count=80"}), 0);
  EXPECT_LE(fs::file_size(folder + "/big"), 64u << 20);
  test::RemoveFolder(folder);
}

struct ToolResult {
  int code;
  std::string out;
};

ToolResult Orbtool(const std::string& arguments) {
  const std::string command = std::string(ORBTOOL_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string out;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    out.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

// The simulator with its own line, as a user starts it; the device it prints, or "".
std::string StartSimulator(test::Peer& sim, std::vector<std::string> options) {
  const std::string device_file = test::MakeTempFolder() + "/device";
  FILE* out = std::fopen(device_file.c_str(), "w");
  if (!out) return "";
  options.insert(options.begin(), {CONSOLE_SIM_PATH, "--pty"});
  const bool started = sim.Spawn(options, ::fileno(out), "/");
  std::fclose(out);
  std::string device;
  for (int i = 0; started && i < 500 && device.empty(); ++i) {
    std::ifstream(device_file) >> device;
    if (device.empty()) ::poll(nullptr, 0, 10);
  }
  test::RemoveFolder(fs::path(device_file).parent_path().string());
  return device;
}

// orbtool against the simulator with its own line, as a user runs it.
TEST_F(SessionTest, OrbtoolConsoleCommands) {
  const gen::TitleSpec spec = SmallSpec();
  PutTitle(2, spec);
  test::Peer sim;
  const std::string device = StartSimulator(sim, {"--rate", "0", "--root", root_});
  ASSERT_FALSE(device.empty());

  const std::string library = folder_ + "/library";
  ToolResult result = Orbtool("console-import " + device + " 2 '" + library + "' --name Stage");
  EXPECT_EQ(result.code, 0) << result.out;
  // In a pipe: a line for each phase, where the transfer ended, and what was written where.
  const std::string title = library + "/Stage.orb";
  const std::string size = std::to_string(gen::MakeTitle(spec).size());
  for (const std::string& line : std::vector<std::string>{
           "]   0% Initializing...\n", "]   0% Compressing...\n",
           "] 100% Receving TITLE data 100% done...  ", "] 100% Decompressing...\n",
           "Imported the console's slot 02 as " + title + " (" + size + " bytes) in 00:0"})
    EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
  EXPECT_EQ(test::ReadFile(title), gen::MakeTitle(spec));

  result = Orbtool("console-export " + device + " 2 '" + library + "/Stage.orb'");
  EXPECT_EQ(result.code, 1);
  // "No" to the overwrite question, and why.
  EXPECT_EQ(result.out,
            "[--:--]   0% Initializing...\n"
            "The console's slot already holds a title; use --overwrite to replace it.\n");
  result =
      Orbtool("console-export " + device + " 2 '" + library + "/Stage.orb' --overwrite --quiet");
  EXPECT_EQ(result.code, 0) << result.out;
  EXPECT_EQ(result.out, "");
  const auto files = gen::MakeDataFiles(spec);
  EXPECT_EQ(SlotFiles(2), files);

  // A name that is taken is refused before the console is woken (no progress line).
  result = Orbtool("console-import " + device + " 2 '" + library + "' --name Stage");
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.out, "A title named \"Stage\" already exists; use --overwrite to replace it.\n");

  result = Orbtool("console-import /no/such/tty 2 '" + library + "' --name X");
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(
      result.out.find("Unable to open /no/such/tty\n/no/such/tty: No such file or directory."),
      std::string::npos);
  EXPECT_EQ(Orbtool("console-import " + device + " 11 '" + library + "' --name X").code, 2);
  sim.Kill();
}

// Bit errors on a paced line while sz and rz run: both directions end byte-exact, by retries,
// and the progress says so.
TEST_F(SessionTest, OrbtoolThroughANoisyLine) {
  gen::TitleSpec spec = SmallSpec();
  spec.name = "Noisy";  // as the import names it
  PutTitle(4, spec);
  test::Peer sim;
  const std::string device =
      StartSimulator(sim, {"--rate", std::to_string(test::kLineRate), "--root", root_,
                           "--transfer-bit-errors", "3000", "--seed", "3"});
  ASSERT_FALSE(device.empty());

  const std::string library = folder_ + "/library";
  ToolResult result = Orbtool("console-import " + device + " 4 '" + library + "' --name Noisy");
  EXPECT_EQ(result.code, 0) << result.out;
  EXPECT_EQ(test::ReadFile(library + "/Noisy.orb"), gen::MakeTitle(spec));
  EXPECT_NE(result.out.find(", retry "), std::string::npos) << result.out;

  result = Orbtool("console-export " + device + " 5 '" + library + "/Noisy.orb'");
  EXPECT_EQ(result.code, 0) << result.out;
  EXPECT_EQ(SlotFiles(5), gen::MakeDataFiles(spec));
  sim.Kill();
}

}  // namespace
}  // namespace orb
