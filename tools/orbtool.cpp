#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/compare/Compare.h"
#include "core/link/Serial.h"
#include "core/link/TransferSession.h"
#include "core/model/Status.h"
#include "core/model/Title.h"
#include "core/storage/Floppy.h"
#include "core/storage/Library.h"
#include "core/storage/NewTitle.h"
#include "tools/PaperworkCommands.h"
#include "tools/TitleGenerator.h"

namespace {

// One row per command: its arguments and what it does (lines of at most 64 characters), as
// --help, COMMAND --help, usage errors and the man page show them.
struct CommandHelp {
  const char* name;
  const char* arguments;
  const char* text;
};

constexpr CommandHelp kCommands[] = {
    {"info", "TITLE.orb", "show the title information as the title manager does"},
    {"check", "TITLE.orb", "load the whole title and report each data file"},
    {"resave", "IN.orb OUT.orb", "load IN and save it as OUT, as the editor's Save As does"},
    {"new", "NAME.orb [--rate 48k|44.1k|96k|88.2k] [--tc MODE]",
     "write a new, empty title as a freshly initialised console holds it:\n"
     "every channel at its defaults, no snapshots, cues, library entries\n"
     "or automation (--rate: the sample rate, 48k unless given; --tc: the\n"
     "timecode mode 0-4 or its name, \"30F/s NDF\" unless given); an\n"
     "existing file is never replaced"},
    {"diff", "[--brief] A.orb B.orb",
     "list what differs between two titles, grouped by list (--brief:\n"
     "only whether they differ); exits 0 when they are equal, 1 when\n"
     "they differ, 2 when a title cannot be read"},
    {"make-demo", "FOLDER", "write a few varied sample titles into FOLDER"},
    {"export-folder", "TITLE.orb DIR1 [DIR2] [--single]",
     "write the title as the console's data files into DIR1; a title\n"
     "too large for one floppy puts its second disk into DIR2\n"
     "(--single: always one set, as the console link does)"},
    {"import-folder", "DIR1 [DIR2] LIBRARY --name NAME [--overwrite]",
     "import the set in DIR1 (its second disk in DIR2) as\n"
     "LIBRARY/NAME.orb; an existing title is replaced only with\n"
     "--overwrite"},
    {"console-import", "DEVICE SLOT LIBRARY --name NAME [--overwrite] [--quiet]",
     "log into the console on the serial device DEVICE and bring\n"
     "the title of its slot SLOT (1-10) into LIBRARY/NAME.orb;\n"
     "progress (phase, percent, speed, time left, retries) shows on\n"
     "one line of a terminal, or as a line every few seconds in a\n"
     "pipe, and the run ends with what was written where (--quiet:\n"
     "errors only)"},
    {"console-export", "DEVICE SLOT TITLE.orb [--overwrite] [--reboot] [--quiet]",
     "send the title into the console's slot SLOT; a title there is\n"
     "replaced only with --overwrite; --reboot answers Yes when the\n"
     "console must restart to list the new title; progress as for\n"
     "console-import"},
    {"channels", "TITLE.orb [--csv] [--import-names NAMES.csv [--dry-run]]",
     "list every channel (number, name, source, link, groups, EQ,\n"
     "dynamics, level) as a table, or as CSV with --csv;\n"
     "--import-names names the channels from a CSV or tab-separated\n"
     "file (a channel column and a name column, or names in channel\n"
     "order), prints every change and problem, then saves the title\n"
     "unless --dry-run; exits 1 when the file gives nothing that can\n"
     "be written"},
    {"sheet", "TITLE.orb OUT.pdf [--letter] [--picture CHANNEL]...",
     "write the show sheet (title information, channels, output\n"
     "patch, snapshots, cues) as a PDF on A4 or Letter; each\n"
     "--picture adds the CHANNEL page of that channel (\"CH 3\",\n"
     "\"MTR1\", \"PGM\")"},
    {"automation", "TITLE.orb [--csv] [--channel CHANNEL] [--view NAME]",
     "list the automation events (time code, channel, parameter,\n"
     "value, unit); --view picks a parameter by its timeline name"},
};

const char kAbout[] =
    "orbtool - the command-line companion of orbedit, the ORB-Q730 title editor\n";
const char kExitCodes[] = "Exit codes: 0 success, 1 failure, 2 usage error.\n";

const CommandHelp* FindCommand(const std::string& name) {
  for (const CommandHelp& command : kCommands) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

// The text indented under its command.
std::string Indented(const char* text, const std::string& indent) {
  std::string out = indent;
  for (const char* c = text; *c; ++c) {
    out += *c;
    if (*c == '\n') out += indent;
  }
  return out + "\n";
}

std::string FullUsage() {
  std::string text = std::string(kAbout) +
                     "\nUsage: orbtool COMMAND [ARGUMENTS]\n"
                     "       orbtool COMMAND --help\n"
                     "       orbtool --help | --version\n\nCommands:\n";
  for (const CommandHelp& command : kCommands) {
    text += "  " + std::string(command.name) + " " + command.arguments + "\n";
    text += Indented(command.text, "      ");
  }
  return text + "\n" + kExitCodes;
}

std::string CommandUsage(const CommandHelp& command) {
  return "Usage: orbtool " + std::string(command.name) + " " + command.arguments + "\n";
}

// A usage error: the usage line of the command (of orbtool when the command is unknown) and
// where to read more.
int Usage(const std::string& name = {}) {
  if (const CommandHelp* command = FindCommand(name)) {
    std::fprintf(stderr, "orbtool %s: wrong arguments\n%sTry 'orbtool %s --help'.\n", command->name,
                 CommandUsage(*command).c_str(), command->name);
  } else {
    std::fprintf(stderr, "orbtool: %s\n",
                 name.empty() ? "no command given" : ("unknown command '" + name + "'").c_str());
    std::fputs("Usage: orbtool COMMAND [ARGUMENTS]\nTry 'orbtool --help'.\n", stderr);
  }
  return 2;
}

int Fail(orb::Status status) {
  const char* message = orb::StatusMessage(status);
  std::fprintf(stderr, "%s\n", *message ? message : ("Error " + std::to_string(status)).c_str());
  return 1;
}

// Prints messages the core would show in a box.
class ConsolePrompter : public orb::Prompter {
 public:
  orb::Answer Message(const std::string& text, const std::string& caption,
                      orb::Buttons buttons) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == orb::Buttons::kOk ? orb::Answer::kOk : orb::Answer::kCancel;
  }
};

int Info(const std::string& path) {
  orb::TitleInfo info;
  const orb::Status status = orb::ReadTitleInfo(path, info);
  if (status != orb::kOk) return Fail(status);
  const orb::TitleInfoTexts texts = orb::DescribeTitle(info);
  std::printf(
      "NAME: %s\nSIZE: %s\nDATE: %s\nINITIAL CUE: %s\nTC MODE: %s\nFS: %s\nMEMO: %s\n"
      "LOCK: %s\n",
      texts.name.c_str(), texts.size.c_str(), texts.date.c_str(), texts.initial_cue.c_str(),
      texts.tc_mode.c_str(), texts.fs.c_str(), texts.memo.c_str(), texts.locked ? "on" : "off");
  return 0;
}

int Check(const std::string& path) {
  orb::Title title;
  const orb::Status status = title.OpenTitle(path);
  for (int n = 0; n < orb::Title::kListCount; ++n) {
    orb::TQ730* list = title.List(n);
    std::printf("%-10s %6d %s%s\n", list->Header().Name().c_str(), list->Count(),
                n == 0   ? "channels"
                : n == 5 ? "events"
                         : "records",
                list->Loaded() ? "" : "  (not loaded)");
  }
  std::printf("gfed.dat   %s\n", title.System().GroupFadersInFile() ? "present" : "absent");
  std::printf("status %d\n", status);
  return status == orb::kOk ? 0 : Fail(status);
}

int Resave(const std::string& in, const std::string& out) {
  orb::Title title;
  orb::Status status = title.OpenTitle(in);
  if (status != orb::kOk) return Fail(status);
  ConsolePrompter prompter;
  status = title.SaveTitleAs(out, &prompter);
  return status == orb::kOk ? 0 : Fail(status);
}

// Exit codes as diff has them: 0 equal, 1 different, 2 trouble.
int Diff(const std::string& path_a, const std::string& path_b, bool brief) {
  orb::Title a, b;
  for (const auto& [title, path] : {std::pair{&a, &path_a}, std::pair{&b, &path_b}}) {
    const orb::Status status = title->OpenTitle(*path);
    if (status == orb::kOk) continue;
    const std::string damage = orb::TitleDamage(*path);
    const char* message = orb::StatusMessage(status);
    std::fprintf(stderr, "%s: %s\n", path->c_str(),
                 !damage.empty() ? damage.c_str()
                 : *message      ? message
                                 : ("Error " + std::to_string(status)).c_str());
    return 2;
  }
  const orb::Differences differences = orb::CompareTitles(a, b);
  if (brief) {
    if (!differences.empty())
      std::printf("Titles %s and %s differ\n", path_a.c_str(), path_b.c_str());
    return differences.empty() ? 0 : 1;
  }
  for (std::size_t i = 0; i < differences.size(); ++i) {
    if (i == 0 || differences.ListOf(i - 1) != differences.ListOf(i))
      std::printf("%s\n", orb::CompareListName(differences.ListOf(i)));
    std::printf("  %s\n", differences[i].Line().c_str());
  }
  return differences.empty() ? 0 : 1;
}

namespace fs = std::filesystem;

// Answers the questions of a folder export or import from the command line.
class FolderPrompter : public orb::Prompter {
 public:
  std::string name;
  bool overwrite = false;
  std::string first_folder;
  std::string second_folder;
  std::string refusal;  // why the run was stopped, when it was

  orb::Answer Ask(orb::MessageId id, const std::string& caption,
                  const std::string& detail) override {
    switch (id) {
      case orb::MessageId::kFileExists:
        if (overwrite) return orb::Answer::kYes;
        refusal =
            "A title named \"" + chosen_name_ + "\" already exists; use --overwrite to replace it.";
        return orb::Answer::kCancel;
      // The next folder stands for the changed disk, or the file dialog finds it.
      case orb::MessageId::kInsertSecondDisk:
        return orb::Answer::kOk;
      case orb::MessageId::kInsertFirstDisk:
        refusal = first_folder + " holds no first disk of a title set.";
        return orb::Answer::kCancel;
      default:
        return Prompter::Ask(id, caption, detail);
    }
  }
  orb::Answer Message(const std::string& text, const std::string& caption,
                      orb::Buttons buttons) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == orb::Buttons::kOk ? orb::Answer::kOk : orb::Answer::kCancel;
  }

  bool TitleNameDialog(std::string& text) override {
    if (named_) return false;
    named_ = true;
    text = name;
    chosen_name_ = orb::SanitizeTitleName(name.substr(0, orb::kTitleNameMaxLength));
    return true;
  }

  bool ChooseFile(const orb::FileDialog& dialog, std::string& path) override {
    if (second_folder.empty()) {
      refusal = "The set has a second disk: give its folder as DIR2.";
      return false;
    }
    if (chose_) {
      refusal = second_folder + " holds no second disk of this set.";
      return false;
    }
    chose_ = true;
    path = (fs::path(second_folder) / dialog.file_name).string();
    return true;
  }

 private:
  std::string chosen_name_;
  bool named_ = false;
  bool chose_ = false;
};

int FailFolder(orb::Status status, const FolderPrompter& prompter) {
  if (status != orb::kCancelled) {
    Fail(status);
    if (!prompter.refusal.empty()) std::fprintf(stderr, "%s\n", prompter.refusal.c_str());
    return 1;
  }
  std::fprintf(stderr, "%s\n", prompter.refusal.empty() ? "Cancelled." : prompter.refusal.c_str());
  return 1;
}

bool MakeFolder(const std::string& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (!error) return true;
  std::fprintf(stderr, "%s: %s\n", folder.c_str(), error.message().c_str());
  return false;
}

int ExportFolder(const std::vector<std::string>& places, bool single) {
  const std::string& title = places[0];
  const std::string second = places.size() > 2 ? places[2] : "";
  std::error_code error;
  const std::uintmax_t size = fs::file_size(title, error);
  if (error) return Fail(orb::kCantOpenSource);
  const bool two_disks = size > orb::kSingleDiskLimit && !single;
  if (two_disks && second.empty()) {
    std::fprintf(stderr,
                 "%s needs two disks (%ju bytes, one holds %ju): give DIR2 for the second, or "
                 "--single.\n",
                 title.c_str(), size, static_cast<std::uintmax_t>(orb::kSingleDiskLimit));
    return 1;
  }
  if (!MakeFolder(places[1]) || (two_disks && !MakeFolder(second))) return 1;
  FolderPrompter prompter;
  const orb::Status status = orb::ExportTitle(title, places[1], single, &prompter, second);
  if (status != orb::kOk) return FailFolder(status, prompter);
  if (two_disks) {
    std::printf("two disks: %s %s\n", places[1].c_str(), second.c_str());
  } else {
    std::printf("one disk: %s\n", places[1].c_str());
  }
  return 0;
}

int ImportFolder(const std::vector<std::string>& places, const std::string& name, bool overwrite) {
  const std::string& library = places.back();
  if (!MakeFolder(library)) return 1;
  FolderPrompter prompter;
  prompter.name = name;
  prompter.overwrite = overwrite;
  prompter.first_folder = places[0];
  if (places.size() == 3) prompter.second_folder = places[1];
  std::string path, detail;
  const orb::Status status = orb::ImportTitle(places[0], library, &prompter, true, &path, &detail);
  if (status != orb::kOk && !detail.empty()) prompter.refusal = detail;
  if (status != orb::kOk) return FailFolder(status, prompter);
  std::printf("%s\n", path.c_str());
  return 0;
}

// Answers the questions of a console session from the command line and
// keeps the message that ended it.
class SessionPrompter : public orb::Prompter {
 public:
  std::string name;
  bool overwrite = false;
  bool reboot = false;
  std::string message;  // the last message box, or why the run was stopped

  orb::Answer Ask(orb::MessageId id, const std::string& caption,
                  const std::string& detail) override {
    switch (id) {
      case orb::MessageId::kOverwriteSlot:
        if (overwrite) return orb::Answer::kYes;
        message = "The console's slot already holds a title; use --overwrite to replace it.";
        return orb::Answer::kNo;
      case orb::MessageId::kReboot:
        return reboot ? orb::Answer::kYes : orb::Answer::kNo;
      case orb::MessageId::kFileExists:
        if (overwrite) return orb::Answer::kYes;
        message =
            "A title named \"" + chosen_name_ + "\" already exists; use --overwrite to replace it.";
        return orb::Answer::kCancel;
      case orb::MessageId::kInsertFirstDisk:
        message = "The console's slot holds no complete title.";
        return orb::Answer::kCancel;
      default:
        return Prompter::Ask(id, caption, detail);
    }
  }
  orb::Answer Message(const std::string& text, const std::string& caption,
                      orb::Buttons buttons) override {
    message = caption == "Error" || caption == "Export" ? text : caption + " " + text;
    return buttons == orb::Buttons::kOk ? orb::Answer::kOk : orb::Answer::kCancel;
  }

  bool TitleNameDialog(std::string& text) override {
    if (named_) return false;
    named_ = true;
    text = name;
    chosen_name_ = orb::SanitizeTitleName(name.substr(0, orb::kTitleNameMaxLength));
    return true;
  }

 private:
  std::string chosen_name_;
  bool named_ = false;
};

// A console transfer takes minutes; this shows that it is alive. On a terminal one line is
// rewritten in place; in a pipe or a log a line goes out when the phase changes and every few
// seconds while it lasts. Quiet, nothing at all: errors go to stderr apart from this.
class SessionPrinter : public orb::SessionView {
 public:
  enum class Mode { kTerminal, kLog, kQuiet };
  static constexpr std::chrono::seconds kLogEvery{5};

  explicit SessionPrinter(Mode mode) : mode_(mode) {}
  ~SessionPrinter() override { EndLine(); }

  void SetCaption(const std::string&) override {}
  // Every tick ends with the time: the line is shown then, with all of the tick's news.
  void SetMessage(const std::string& text) override {
    // Where a transfer stood at its end goes out even when the pace of the log held it back.
    if (Phase(text) != Phase(message_) && Transferring()) {
      const std::string line = Line();
      if (line != last_line_) Print(line);
    }
    message_ = text;
  }
  void SetRetry(const std::string& text) override { retry_ = text; }
  void SetTotal(const std::string& text) override {
    total_ = text;
    Show();
  }
  void SetRemain(const std::string& text) override { remain_ = text; }
  void SetBps(const std::string& text) override { bps_ = text; }
  void SetProgress(int percent) override { percent_ = percent; }
  void SetStateLabel(const std::string&) override {}
  void SetTimerRunning(bool) override {}
  void CloseWindow() override {}

  // Before a message of its own: a terminal line being rewritten is ended first.
  void EndLine() {
    if (mode_ == Mode::kTerminal && shown_width_ > 0) std::fputc('\n', stdout);
    shown_width_ = 0;
    std::fflush(stdout);
  }
  std::string Elapsed() const { return total_; }

 private:
  using Clock = std::chrono::steady_clock;

  // "[00:42]  38% Receving TITLE data 38% done...  3610 bps, 01:08 left, retry 1"
  std::string Line() const {
    char head[32];
    std::snprintf(head, sizeof head, "[%s] %3d%% ", total_.c_str(), percent_);
    std::string line = head + message_;
    if (Transferring()) {
      line += "  " + bps_ + " bps";
      if (remain_ != "--:--") line += ", " + remain_ + " left";
      if (retry_ != "0") line += ", retry " + retry_;
    }
    return line;
  }

  bool Transferring() const {
    return message_.find("TITLE data") != std::string::npos ||
           message_.rfind("Nothing got through", 0) == 0;
  }

  // The phase is the message without its numbers: a new percent is no new phase.
  static std::string Phase(const std::string& message) {
    std::string phase;
    for (char c : message)
      if (c < '0' || c > '9') phase += c;
    return phase;
  }

  void Show() {
    if (mode_ == Mode::kQuiet || message_.empty()) return;
    const std::string line = Line();
    if (line == last_line_) return;
    if (mode_ == Mode::kTerminal) {
      last_line_ = line;
      std::printf("\r%s\x1b[K", line.c_str());
      shown_width_ = line.size();
      std::fflush(stdout);
      return;
    }
    if (Phase(message_) == last_phase_ && Clock::now() - last_print_ < kLogEvery) return;
    Print(line);
  }

  void Print(const std::string& line) {
    if (mode_ != Mode::kLog) return;
    last_line_ = line;
    last_phase_ = Phase(message_);
    last_print_ = Clock::now();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }

  Mode mode_;
  Clock::time_point last_print_{};
  std::string message_, retry_ = "0", total_ = "00:00", remain_ = "--:--", bps_ = "0";
  int percent_ = 0;
  std::string last_line_, last_phase_;
  std::size_t shown_width_ = 0;
};

SessionPrinter::Mode g_printer_mode = SessionPrinter::Mode::kLog;

volatile sig_atomic_t g_interrupted = 0;

// The port number that the session's messages name: COMn is /dev/ttyS<n-1>.
int PortNumberOf(const std::string& device) {
  const std::string prefix = "/dev/ttyS";
  if (device.rfind(prefix, 0) != 0 || device.size() == prefix.size()) return 0;
  const std::string digits = device.substr(prefix.size());
  if (digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::atoi(digits.c_str()) + 1;
}

// One session, ticked every 10 ms as the transfer window's timer does;
// Ctrl+C is its Cancel.
int RunSession(orb::SessionSetup setup, SessionPrompter& prompter) {
  // A work folder of its own, so that a running orbedit's is left alone.
  const char* base = std::getenv("TMPDIR");
  const std::string pattern = std::string(base && *base ? base : "/tmp") + "/orbtool-work.XXXXXX";
  std::vector<char> folder(pattern.begin(), pattern.end());
  folder.push_back('\0');
  if (!::mkdtemp(folder.data())) {
    std::fprintf(stderr, "%s: %s\n", pattern.c_str(), std::strerror(errno));
    return 1;
  }
  setup.work_folder = folder.data();
  setup.port_number = PortNumberOf(setup.device);

  struct sigaction action {};
  action.sa_handler = [](int) { g_interrupted = 1; };
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);

  orb::TSerial serial;
  SessionPrinter printer(g_printer_mode);
  bool success = false;
  std::string imported;
  {
    orb::TransferSession session(serial, setup, &prompter, &printer);
    session.Show();
    auto next = std::chrono::steady_clock::now();
    while (!session.Ended()) {
      if (g_interrupted) {
        session.Cancel();
        // The session says more when the slot was touched.
        if (prompter.message.empty()) prompter.message = "Cancelled.";
        break;
      }
      session.Tick();
      next += std::chrono::milliseconds(orb::TransferSession::kTickMs);
      const auto now = std::chrono::steady_clock::now();
      if (next > now) {
        std::this_thread::sleep_until(next);
      } else {
        next = now;
      }
    }
    success = session.Succeeded();
    imported = session.ImportedTitlePath();
  }
  std::string message = prompter.message;
  const fs::path debug_file = fs::path(setup.work_folder) / orb::kDebugFileName;
  std::error_code error;
  if (fs::exists(debug_file, error)) {
    message = std::string(orb::kDebugFileText) + " " + debug_file.string();  // kept for inspection
  } else {
    fs::remove_all(setup.work_folder, error);
  }
  printer.EndLine();
  // A title that is in place with a step left undone succeeds and says what is left.
  if (!message.empty()) std::fprintf(stderr, "%s\n", message.c_str());
  if (!success) return 1;
  if (g_printer_mode == SessionPrinter::Mode::kQuiet) return 0;
  // What was written where, for the log and for whoever reads it.
  char slot[16];
  std::snprintf(slot, sizeof slot, "%02d", setup.slot_index + 1);
  const std::string& file = imported.empty() ? setup.title_path : imported;
  const auto size = fs::file_size(file, error);
  const std::string bytes = error ? std::string("size unknown") : std::to_string(size) + " bytes";
  if (setup.mode == orb::SessionSetup::kImport) {
    std::printf("Imported the console's slot %s as %s (%s) in %s.\n", slot, file.c_str(),
                bytes.c_str(), printer.Elapsed().c_str());
  } else {
    std::printf("Exported %s (%s) into the console's slot %s in %s.\n", file.c_str(), bytes.c_str(),
                slot, printer.Elapsed().c_str());
  }
  return 0;
}

// SLOT as the console numbers it, 1 to 10; 0 when it is none.
int SlotNumber(const std::string& text) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  const int slot = std::atoi(text.c_str());
  return slot >= 1 && slot <= 10 ? slot : 0;
}

int ConsoleImport(const std::vector<std::string>& places, const std::string& name, bool overwrite) {
  const int slot = SlotNumber(places[1]);
  if (slot == 0) return Usage("console-import");
  const std::string& library = places[2];
  if (!MakeFolder(library)) return 1;
  // What would refuse the title after minutes of transfer is checked before the console is
  // woken: a name that is taken, and a library folder that takes no file.
  const std::string cleaned = orb::SanitizeTitleName(name.substr(0, orb::kTitleNameMaxLength));
  if (!overwrite && fs::exists(fs::path(library) / (cleaned + ".orb"))) {
    std::fprintf(stderr, "A title named \"%s\" already exists; use --overwrite to replace it.\n",
                 cleaned.c_str());
    return 1;
  }
  if (::access(library.c_str(), W_OK | X_OK) != 0) {
    std::fprintf(stderr, "%s: %s\n", library.c_str(), std::strerror(errno));
    return 1;
  }
  SessionPrompter prompter;
  prompter.name = name;
  prompter.overwrite = overwrite;
  orb::SessionSetup setup;
  setup.mode = orb::SessionSetup::kImport;
  setup.slot_index = slot - 1;
  setup.library_folder = library;
  setup.device = places[0];
  return RunSession(setup, prompter);
}

int ConsoleExport(const std::vector<std::string>& places, bool overwrite, bool reboot) {
  const int slot = SlotNumber(places[1]);
  if (slot == 0) return Usage("console-export");
  SessionPrompter prompter;
  prompter.overwrite = overwrite;
  prompter.reboot = reboot;
  orb::SessionSetup setup;
  setup.mode = orb::SessionSetup::kExport;
  setup.slot_index = slot - 1;
  setup.title_path = places[2];
  setup.device = places[0];
  return RunSession(setup, prompter);
}

// The places and options after a command.
struct Arguments {
  std::vector<std::string> places;
  std::optional<std::string> name;
  std::optional<std::string> rate;
  std::optional<std::string> tc;
  bool single = false;
  bool overwrite = false;
  bool reboot = false;
  bool quiet = false;
  bool brief = false;
  bool valid = true;
};

Arguments Parse(const std::vector<std::string>& args) {
  Arguments parsed;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--single") {
      parsed.single = true;
    } else if (arg == "--overwrite") {
      parsed.overwrite = true;
    } else if (arg == "--reboot") {
      parsed.reboot = true;
    } else if (arg == "--quiet") {
      parsed.quiet = true;
    } else if (arg == "--brief") {
      parsed.brief = true;
    } else if (arg == "--name" && i + 1 < args.size()) {
      parsed.name = args[++i];
    } else if (arg == "--rate" && i + 1 < args.size()) {
      parsed.rate = args[++i];
    } else if (arg == "--tc" && i + 1 < args.size()) {
      parsed.tc = args[++i];
    } else if (arg.rfind("--", 0) == 0) {
      parsed.valid = false;
    } else {
      parsed.places.push_back(arg);
    }
  }
  return parsed;
}

int New(const std::string& path, const std::optional<std::string>& rate,
        const std::optional<std::string>& tc) {
  orb::NewTitleSettings settings;
  if (rate) settings.rate_mode = orb::SampleRateModeOf(*rate);
  if (tc) settings.tc_mode = orb::TimecodeModeOf(*tc);
  if (settings.rate_mode < 0 || settings.tc_mode < 0 || orb::TitleNameOf(path).empty())
    return Usage("new");
  ConsolePrompter prompter;
  const orb::Status status = orb::CreateTitle(path, settings, &prompter);
  if (status == orb::kCantOpenDestination && fs::exists(path)) {
    std::fprintf(stderr, "%s exists already; it is not replaced.\n", path.c_str());
    return 1;
  }
  return status == orb::kOk ? 0 : Fail(status);
}

int MakeDemo(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (const orb::gen::TitleSpec& spec : orb::gen::DemoSpecs()) {
    const auto bytes = orb::gen::MakeTitle(spec);
    const std::string path = (std::filesystem::path(folder) / (spec.name + ".orb")).string();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), orb::StatusMessage(orb::kWriteError));
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  if (command == "--help" || command == "help") {
    std::fputs(FullUsage().c_str(), stdout);
    return 0;
  }
  if (command == "--version") {
    std::printf("orbtool %s\n", ORB_VERSION);
    return 0;
  }
  if (const CommandHelp* help = FindCommand(command);
      help && std::find(args.begin() + 1, args.end(), "--help") != args.end()) {
    std::printf("%s\n%s", CommandUsage(*help).c_str(), Indented(help->text, "  ").c_str());
    return 0;
  }
  if (const int code = orb::tool::RunPaperworkCommand(args); code >= 0)
    return code == 2 ? Usage(command) : code;
  if (command == "info" && args.size() == 2) return Info(args[1]);
  if (command == "check" && args.size() == 2) return Check(args[1]);
  if (command == "resave" && args.size() == 3) return Resave(args[1], args[2]);
  if (command == "make-demo" && args.size() == 2) return MakeDemo(args[1]);
  const Arguments parsed = Parse(args);
  // --rate and --tc belong to new alone.
  if (command == "new" && parsed.valid && parsed.places.size() == 1 && !parsed.name &&
      !parsed.single && !parsed.overwrite && !parsed.reboot && !parsed.quiet && !parsed.brief)
    return New(parsed.places[0], parsed.rate, parsed.tc);
  if (parsed.rate || parsed.tc) return Usage(command);
  // --brief belongs to diff alone; options may stand anywhere after the command.
  if (command == "diff" && parsed.valid && parsed.places.size() == 2 && !parsed.name &&
      !parsed.single && !parsed.overwrite && !parsed.reboot && !parsed.quiet)
    return Diff(parsed.places[0], parsed.places[1], parsed.brief);
  if (parsed.brief) return Usage(command);
  const bool two_or_three = parsed.places.size() == 2 || parsed.places.size() == 3;
  if (command == "export-folder" && parsed.valid && !parsed.quiet && two_or_three && !parsed.name &&
      !parsed.overwrite && !parsed.reboot)
    return ExportFolder(parsed.places, parsed.single);
  if (command == "import-folder" && parsed.valid && !parsed.quiet && two_or_three && parsed.name &&
      !parsed.single && !parsed.reboot)
    return ImportFolder(parsed.places, *parsed.name, parsed.overwrite);
  const bool three = parsed.places.size() == 3 && parsed.valid && !parsed.single;
  if (parsed.quiet) {
    g_printer_mode = SessionPrinter::Mode::kQuiet;
  } else if (::isatty(STDOUT_FILENO)) {
    g_printer_mode = SessionPrinter::Mode::kTerminal;
  }
  if (command == "console-import" && three && parsed.name && !parsed.reboot)
    return ConsoleImport(parsed.places, *parsed.name, parsed.overwrite);
  if (command == "console-export" && three && !parsed.name)
    return ConsoleExport(parsed.places, parsed.overwrite, parsed.reboot);
  return Usage(command);
}
