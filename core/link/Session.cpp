#include "core/link/Session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/model/DebugLog.h"
#include "core/model/Title.h"
#include "core/storage/Floppy.h"
#include "core/storage/Settings.h"

namespace orb {
namespace fs = std::filesystem;
using S = SessionState;

static_assert(static_cast<int>(S::kZmodemGreeting) == TZmodem::kFirstState);
static_assert(static_cast<int>(S::kZmodemFinish) == TZmodem::kLastState);

namespace {

// The console's data files, in the order the session removes them.
constexpr const char* kDataFiles[] = {"sysf.dat", "eqlib.dat", "dylib.dat", "auto.dat",
                                      "cue.dat",  "snap.dat",  "gfed.dat"};
constexpr const char* kSessionFiles[] = {"sysf.dat", "eqlib.dat", "dylib.dat",
                                         "auto.dat", "cue.dat",   "snap.dat",
                                         "gfed.dat", "tmp",       "tmp.gz"};
// The six files a console title cannot do without, as its listing shows them.
constexpr const char* kListedFiles[] = {"sysf.dat", "eqlib.dat", "dylib.dat",
                                        "auto.dat", "cue.dat",   "snap.dat"};

// No title comes near this; an archive that unpacks to more is not one.
constexpr rlim_t kLocalFileLimit = 64 << 20;

bool Has(const std::string& line, const char* text) {
  return line.find(text) != std::string::npos;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
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

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  const std::string paths = path && *path ? path : "/usr/bin:/bin";
  std::size_t begin = 0;
  while (begin <= paths.size()) {
    const std::size_t end = std::min(paths.find(':', begin), paths.size());
    const std::string dir = end > begin ? paths.substr(begin, end - begin) : ".";
    const std::string candidate = dir + "/" + name;
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    begin = end + 1;
  }
  return {};
}

// Whole decimal numbers only; anything else, as the console's df would never
// print it, counts as no space at all.
long FreeSpace(const std::string& field) {
  if (field.empty()) return 0;
  long value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return 0;
    value = std::min(value * 10 + (c - '0'), 1L << 40);
  }
  return value;
}

SessionState Next(SessionState state) {
  return static_cast<SessionState>(static_cast<int>(state) + 1);
}

// How many steps state lies past first.
std::size_t StepsPast(SessionState state, SessionState first) {
  return static_cast<std::size_t>(static_cast<int>(state) - static_cast<int>(first));
}

std::uint64_t SteadyMs() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

}  // namespace

SessionPort PortFromSettings(const std::string& application_folder) {
  const ProfileFile profile((fs::path(application_folder) / kSettingsFileName).string());
  SessionPort port;
  port.number = ReadShellSettings(profile).serial_index;
  port.device = PortDevice(profile, port.number);
  return port;
}

int RunLocal(const std::string& folder, const std::vector<std::string>& arguments) {
  if (arguments.empty()) return -1;
  const std::string program = FindProgram(arguments[0]);
  if (program.empty()) return -1;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const char* directory = folder.c_str();
  const int null_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null_fd < 0) return -1;

  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit limit{kLocalFileLimit, kLocalFileLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    if (::chdir(directory) != 0) ::_exit(127);
    ::dup2(null_fd, 0);
    ::dup2(null_fd, 1);
    ::dup2(null_fd, 2);
    if (::close_range(3, ~0U, 0) != 0) {
      for (int fd = 3; fd < 1024; ++fd) ::close(fd);
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(null_fd);
  if (pid < 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string FifthField(const std::string& line) {
  std::size_t end = line.size();
  while (end > 0 && static_cast<unsigned char>(line[end - 1]) <= ' ') --end;
  std::size_t i = 0;
  while (i < end && static_cast<unsigned char>(line[i]) <= ' ') ++i;
  for (int field = 1;; ++field) {
    while (i < end && IsBlank(line[i])) ++i;
    if (i >= end) return {};
    const std::size_t start = i;
    while (i < end && !IsBlank(line[i])) ++i;
    if (field == 5) return i < end ? line.substr(start, i - start) : std::string();
  }
}

std::string MinutesText(std::uint64_t seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u", static_cast<unsigned>(seconds / 60 % 100),
                static_cast<unsigned>(seconds % 60));
  return text;
}

// ---------------------------------------------------------------------------

TransferSession::TransferSession(TSerial& serial, SessionSetup setup, Prompter* prompter,
                                 SessionView* view, Clock clock)
    : serial_(serial),
      setup_(std::move(setup)),
      prompter_(prompter),
      view_(view),
      clock_(clock ? std::move(clock) : Clock(SteadyMs)),
      zmodem_(serial) {
  char slot[16];
  std::snprintf(slot, sizeof slot, "%02d", setup_.slot_index + 1);
  slot_ = slot;
  std::error_code error;
  fs::create_directories(setup_.work_folder, error);
  DeleteWorkFiles();
}

TransferSession::~TransferSession() {
  Close(false);
}

void TransferSession::Show() {
  if (shown_ || closed_) return;
  start_time_ = Now();
  if (view_) {
    view_->SetCaption(setup_.mode == SessionSetup::kImport ? kImportCaption : kExportCaption);
    view_->SetMessage("Initializing...");
    view_->SetRetry("0");
    view_->SetTotal("--:--");
    view_->SetRemain("--:--");
    view_->SetBps("0");
    view_->SetProgress(0);
  }
  if (setup_.mode == SessionSetup::kExport) {
    // A title that cannot be sent whole is refused before the console is even woken.
    Title whole;
    title_status_ = whole.OpenTitle(setup_.title_path);
  } else if (std::error_code error; !fs::is_directory(setup_.library_folder, error)) {
    // Nor is a title fetched that the library could not take.
    refusal_ = "The library folder " + setup_.library_folder + " is missing or not a folder.";
  } else if (::access(setup_.library_folder.c_str(), W_OK | X_OK) != 0) {
    refusal_ = "The library folder " + setup_.library_folder + " cannot be written: " +
               std::strerror(errno) + ".";
  }
  port_was_open_ = serial_.IsOpen();
  if (title_status_ == kOk && refusal_.empty() && !port_was_open_ &&
      serial_.OpenPort(setup_.device) < 0)
    open_error_ = errno;
  shown_ = true;
  SetTimer(true);
}

void TransferSession::Tick() {
  // A question's own event loop may deliver timer events: the sequence waits.
  if (!shown_ || closed_ || in_tick_ || !timer_running_) return;
  in_tick_ = true;
  RunTick();
  in_tick_ = false;
}

void TransferSession::Cancel() {
  Close(true);
}

void TransferSession::RunTick() {
  if (!refusal_.empty()) {
    Fail(refusal_);
    return;
  }
  if (title_status_ != kOk) {
    Fail(StatusMessage(title_status_));
    return;
  }
  if (serial_.IsOpen() && serial_.HungUp()) {
    serial_.ClosePort();  // the device is gone
    FailLine(true);
    return;
  }
  if (!serial_.IsOpen()) {
    FailLine(open_error_ == 0);
    return;
  }
  serial_.Poll();
  Step();
  if (closed_) return;
  if (view_) {
    view_->SetTotal(MinutesText((Now() - start_time_) / 1000));
    view_->SetStateLabel(std::to_string(static_cast<int>(state_)) + " : " + std::to_string(wait_));
  }
  // The retry limit is the transfer's own: it ends with "Retry error." or the debug file.
  if (static_cast<std::uint64_t>(kTickMs) * wait_ > kWaitLimitMs) Fail("Timeout.");
}

void TransferSession::Step() {
  if (state_ >= S::kZmodemGreeting && state_ <= S::kZmodemFinish && zmodem_active_) {
    TransferStep();
  } else if (state_ == S::kCheckSlot || state_ == S::kAwaitSlotPath) {
    SlotCheckStep();
  } else if (state_ < S::kEnterSlot) {
    LoginStep();
  } else if (state_ == S::kEnterSlot) {
    EnterSlot(S::kInSlot);
  } else if (setup_.mode == SessionSetup::kImport) {
    ImportStep();
  } else {
    ExportStep();
  }
}

void TransferSession::LoginStep() {
  switch (state_) {
    case S::kWakeShell:
      Send("");
      state_ = S::kLoginPrompt;
      break;
    case S::kLoginPrompt: {
      const std::string line = serial_.ReadLine();
      if (serial_.HasData()) {
        ++wait_;  // more is coming, or bytes that never make a line: both count
        break;
      }
      if (line == "login:") {
        Send("root");
        state_ = S::kPasswordPrompt;
      } else if (line == "#") {
        state_ = S::kEnterSlot;
      } else {
        wait_ += 2;
        state_ = S::kWakeShell;
      }
      break;
    }
    case S::kPasswordPrompt:
      if (WaitFor("password:")) {
        Send("qelvo4");
        state_ = S::kLoginDone;
      }
      break;
    case S::kLoginDone:
      if (WaitFor("#")) state_ = S::kEnterSlot;
      break;
    default:
      break;
  }
}

void TransferSession::ImportStep() {
  switch (state_) {
    case S::kInSlot:
      if (WaitFor("#")) {
        if (view_) view_->SetMessage("Compressing...");
        Send(kPackCommand);
        state_ = S::kStartTransfer;
      }
      break;
    case S::kStartTransfer:
      wait_ = 0;  // packing takes as long as it takes
      if (WaitFor("#")) {
        if (view_) view_->SetMessage("Preparing to download...");
        Send("sz /tmp/data.gz");
        zmodem_active_ = true;
        zmodem_.Start(TZmodem::Direction::kReceive, WorkFile("tmp.gz"), Now());
        state_ = S::kZmodemGreeting;
      }
      break;
    case S::kRemoveDownloadedArchive:
      if (WaitFor("#")) {
        Send("rm /tmp/data.gz");
        wait_ = 0;
        state_ = S::kUnpackLocally;
      }
      break;
    case S::kUnpackLocally: {
      Run("tar -xf tmp");
      // GNU and BSD tar keep their writes inside the folder, but may leave
      // links that point out of it: only plain files are taken as data.
      for (const char* name : kDataFiles) {
        std::error_code error;
        const fs::file_status status = fs::symlink_status(WorkFile(name), error);
        if (!error && fs::exists(status) && !fs::is_regular_file(status))
          fs::remove_all(WorkFile(name), error);
      }
      if (!WorkFileExists("sysf.dat")) {
        Fail("TITLE data is not found.");
        return;
      }
      state_ = S::kUnpacked;
      break;
    }
    case S::kUnpacked:
      state_ = S::kImportIntoLibrary;
      break;
    case S::kImportIntoLibrary:
      ImportFolder();
      break;
    default:
      break;
  }
}

void TransferSession::ExportStep() {
  static constexpr const char* kRemovals[] = {"rm sysf.dat", "rm eqlib.dat", "rm dylib.dat",
                                              "rm auto.dat", "rm cue.dat",   "rm snap.dat",
                                              "rm gfed.dat"};
  switch (state_) {
    case S::kInSlot:
      listing_echoed_ = false;
      SendAfterPrompt("ls", S::kListingSlot);
      break;
    case S::kListingSlot:
    case S::kListingSlotNamed:
      ListingStep();
      break;
    case S::kPackLocally:
      ExportLocally();
      break;
    case S::kRemoveStaleArchive:
      SendAfterPrompt("rm data.gz", S::kAskFreeSpace);
      break;
    case S::kAskFreeSpace:
      SendAfterPrompt("df", S::kCheckFreeSpace);
      break;
    case S::kCheckFreeSpace:
      FreeSpaceStep();
      break;
    case S::kStartTransfer:
      if (WaitFor("#")) {
        Send("rz");
        zmodem_active_ = true;
        zmodem_.Start(TZmodem::Direction::kSend, WorkFile("tmp.gz"), Now());
        state_ = S::kZmodemGreeting;
      }
      break;
    case S::kReturnToSlot:
      if (WaitFor("#")) EnterSlot(S::kRemoveSysf);
      break;
    case S::kRemoveSysf:
    case S::kRemoveEqlib:
    case S::kRemoveDylib:
    case S::kRemoveAuto:
    case S::kRemoveCue:
    case S::kRemoveSnap:
      SendAfterPrompt(kRemovals[StepsPast(state_, S::kRemoveSysf)], Next(state_));
      break;
    case S::kRemoveGfed:
      SendAfterPrompt(kRemovals[6], S::kUnpackOnConsole);
      break;
    case S::kUnpackOnConsole:
      if (WaitFor("#")) {
        if (view_) view_->SetMessage("Decompressing...");
        Send(kUnpackCommand);
        state_ = S::kListUnpacked;
      }
      break;
    case S::kListUnpacked:
      wait_ = 0;  // unpacking takes as long as it takes
      listing_echoed_ = false;
      SendAfterPrompt("ls", S::kUnpackedFound0);
      break;
    case S::kUnpackedFound0:
    case S::kUnpackedFound1:
    case S::kUnpackedFound2:
    case S::kUnpackedFound3:
    case S::kUnpackedFound4:
    case S::kUnpackedFound5:
    case S::kUnpackedFound6:
      UnpackedListingStep();
      break;
    case S::kRunScan:
      SendAfterPrompt(kScanProgram, S::kAwaitScanEcho);
      break;
    case S::kAwaitScanEcho:
    case S::kAwaitScanEnd:
      ScanStep();
      break;
    case S::kExportDone:
      Send("rm /tmp/data.gz");
      success_ = true;
      Finish();
      break;
    case S::kDiscardSysf:
    case S::kDiscardEqlib:
    case S::kDiscardDylib:
    case S::kDiscardAuto:
    case S::kDiscardCue:
    case S::kDiscardSnap:
      SendAfterPrompt(kRemovals[StepsPast(state_, S::kDiscardSysf)], Next(state_));
      break;
    case S::kDiskFull:
      Fail("Disk full.");
      break;
    default:
      break;
  }
}

void TransferSession::TransferStep() {
  const ZmodemTick tick = zmodem_.Step(Now());
  wait_ += static_cast<unsigned>(tick.waited);
  if (tick.retry_changed && view_) view_->SetRetry(std::to_string(zmodem_.RetryCount()));
  if (tick.progress) ShowProgress(*tick.progress);
  ShowStall(tick.stalled_ms);
  switch (tick.end) {
    case ZmodemEnd::kRunning:
      state_ = static_cast<SessionState>(zmodem_.State());
      break;
    case ZmodemEnd::kFinished:
      zmodem_active_ = false;
      if (zmodem_.GetDirection() == TZmodem::Direction::kSend) {
        state_ = S::kReturnToSlot;
        break;
      }
      state_ = S::kZmodemFinish;
      if (view_) view_->SetMessage("Decompressing...");
      Run("gzip -d tmp.gz");
      if (!WorkFileExists("tmp")) {
        Fail("Failed to decompress.");
        return;
      }
      state_ = S::kRemoveDownloadedArchive;
      break;
    case ZmodemEnd::kDamagedFrame:
      state_ = static_cast<SessionState>(zmodem_.State());
      keep_debug_file_ = true;
      SetTimer(false);
      Ask(kDebugFileText, kDebugFileCaption, Buttons::kOk);
      Close(true);
      break;
    case ZmodemEnd::kTooManyRetries:
      zmodem_.CloseFile();
      Fail("Retry error.");
      break;
    case ZmodemEnd::kFileError:
      Fail(StatusMessage(tick.status));
      break;
    case ZmodemEnd::kTimedOut:
      Fail("Timeout.");
      break;
    case ZmodemEnd::kStalled:
      Fail("Timeout.\nNo data got through for " +
           std::to_string(TZmodem::kStallLimitMs / 1000) +
           " s although the console kept answering: the line is too noisy.");
      break;
    case ZmodemEnd::kLineLost:
      serial_.ClosePort();
      FailLine(true);
      break;
  }
}

void TransferSession::ListingStep() {
  const std::string line = serial_.ReadLine();
  // A slot that holds nothing lists nothing: then the prompt that follows the echo of "ls" ends
  // the listing. A prompt before the echo is an old one and must not end it, or a title in the
  // slot would be replaced without the question.
  if (state_ == S::kListingSlot && line == "ls") listing_echoed_ = true;
  if (!serial_.HasData() && Has(line, "#") && (state_ == S::kListingSlotNamed || listing_echoed_)) {
    state_ = S::kPackLocally;
    return;
  }
  if (Has(line, "sysf.dat")) {
    SetTimer(false);
    const std::uint64_t asked = Now();
    const std::string question = std::string(kOverwriteQuestion) + "\nThe console's TITLE " +
                                 slot_ + " will be replaced by \"" +
                                 TitleNameOf(setup_.title_path) + "\".";
    if (Ask(question, "Export", Buttons::kYesNo, true) != Answer::kYes) {
      Fail("");
      return;
    }
    start_time_ += Now() - asked;  // "Total:" leaves the question out
    SetTimer(true);
  }
  if (Has(line, ".")) state_ = S::kListingSlotNamed;
}

void TransferSession::ExportLocally() {
  const Status status = ExportTitle(setup_.title_path, setup_.work_folder, true, prompter_);
  // Without the title's files the console would lose its old title for an
  // empty archive: nothing goes to the console then.
  if (status != kOk) {
    Fail(StatusMessage(status));
    return;
  }
  Run(WorkFileExists("gfed.dat")
          ? "tar cvf tmp sysf.dat snap.dat cue.dat auto.dat eqlib.dat dylib.dat gfed.dat"
          : "tar cvf tmp sysf.dat snap.dat cue.dat auto.dat eqlib.dat dylib.dat");
  Run("gzip tmp");
  if (!WorkFileExists("tmp.gz")) {
    Fail("Failed to compress.");
    return;
  }
  Send("cd /tmp/");
  state_ = S::kRemoveStaleArchive;
}

void TransferSession::FreeSpaceStep() {
  const std::string line = serial_.ReadLine();
  if (!Has(line, "//1/")) return;
  const std::string field = FifthField(line);
  LogLine("Test : " + field);
  if (FreeSpace(field) >= kMinimumFreeSpace) {
    state_ = S::kStartTransfer;
  } else {
    Fail("Disk Full.");
  }
}

void TransferSession::UnpackedListingStep() {
  const std::string line = serial_.ReadLine();
  // An unpacking that left none of the files lists none: the prompt after the echo of "ls"
  // ends that listing too, or the session would wait for ever.
  if (state_ == S::kUnpackedFound0 && line == "ls") listing_echoed_ = true;
  if (!serial_.HasData() && Has(line, "#") &&
      (state_ >= S::kUnpackedFound1 || listing_echoed_)) {
    // That prompt is used up: a bare carriage return brings the next one,
    // which the removals wait for as much as the scan does.
    Send("");
    state_ = state_ == S::kUnpackedFound6 ? S::kRunScan : S::kDiscardSysf;
    return;
  }
  for (const char* name : kListedFiles) {
    if (Has(line, name)) state_ = Next(state_);
  }
}

void TransferSession::ScanStep() {
  const std::string line = serial_.ReadLine();
  if (!serial_.HasData() && Has(line, "#") && state_ == S::kAwaitScanEnd) {
    state_ = S::kExportDone;
  } else if (Has(line, "scan: not found")) {
    SetTimer(false);
    reboot_ = Ask(kRebootQuestion, "Export", Buttons::kYesNo) == Answer::kYes;
    SetTimer(true);
    state_ = S::kExportDone;
  } else if (Has(line, kScanProgram)) {
    state_ = S::kAwaitScanEnd;
  }
}

void TransferSession::ImportFolder() {
  SetTimer(false);
  std::string path;
  const Status status =
      ImportTitle(setup_.work_folder, setup_.library_folder, prompter_, false, &path);
  if (status == kOk) imported_path_ = path;
  if (IsReportedStatus(status)) Ask(StatusMessage(status), "Error", Buttons::kOk);
  success_ = status == kOk;
  Close(true);
}

// ---------------------------------------------------------------------------

void TransferSession::Send(const std::string& text) {
  serial_.WriteText(text + "\r");
}

bool TransferSession::WaitFor(const char* text) {
  const std::string line = serial_.ReadLine();
  // Only what arrived last can be the awaited answer; anything after it means the console
  // went on. Every tick without the answer counts against the limit, also while bytes keep
  // coming, so that no wait lasts for ever.
  if (!serial_.HasData() && Has(line, text)) return true;
  ++wait_;
  return false;
}

void TransferSession::EnterSlot(SessionState next) {
  Send(std::string("cd ") + kSlotFolder + slot_);
  after_slot_check_ = next;
  state_ = S::kCheckSlot;
}

void TransferSession::SlotCheckStep() {
  if (state_ == S::kCheckSlot) {
    SendAfterPrompt("pwd", S::kAwaitSlotPath);
    return;
  }
  // A cd mistyped on a noisy line leaves the console elsewhere; listing, removing or
  // unpacking there would touch another slot or the console's own folders.
  const std::string folder = std::string(kSlotFolder) + slot_;
  const std::string line = serial_.ReadLine();
  if (line == folder || line == folder + "/") {
    state_ = after_slot_check_;
    return;
  }
  if (!line.empty() && line.front() == '/') {
    Fail("The console could not enter " + folder + " (it is in " + line + ").");
    return;
  }
  ++wait_;  // the echo of "pwd", or nothing yet
}

void TransferSession::SendAfterPrompt(const std::string& text, SessionState next) {
  if (!WaitFor("#")) return;
  Send(text);
  state_ = next;
}

void TransferSession::Fail(const std::string& text) {
  SetTimer(false);
  if (!text.empty()) Ask(text, "Error", Buttons::kOk);
  Close(true);
}

void TransferSession::FailLine(bool lost) {
  if (!lost) {
    Fail(PortOpenFailure(setup_.port_number, setup_.device, open_error_));
    return;
  }
  std::string text = "Unable to open COM" + std::to_string(setup_.port_number) + "\n";
  text += "The line to the console was lost (" + setup_.device + ").";
  // Once the console has begun to remove the old title, the slot holds part of it or none.
  const bool touched = state_ >= S::kRemoveSysf && state_ <= S::kDiskFull &&
                       (state_ < S::kRunScan || state_ > S::kExportDone);
  if (setup_.mode == SessionSetup::kExport && touched)
    text += "\nThe console's slot " + slot_ + " may now be empty.";
  Fail(text);
}

void TransferSession::Finish() {
  SetTimer(false);
  Close(true);
}

void TransferSession::Close(bool notify) {
  if (closed_) return;
  closed_ = true;
  if (notify) SetTimer(false);
  serial_.SetEcho(true);
  zmodem_.CloseFile();
  if (keep_debug_file_) {
    std::error_code error;
    fs::rename(WorkFile("tmp.gz"), WorkFile(kDebugFileName), error);
  }
  DeleteWorkFiles();
  if (zmodem_active_) SendAbortSequence(serial_);
  if (shown_ && !port_was_open_) {
    if (reboot_ && serial_.IsOpen()) {
      const std::uint64_t before = serial_.ReceivedTotal();
      Send("shutdown -f");
      // The console's answer shows that the command arrived before the line closes.
      const std::uint64_t start = Now();
      for (;;) {
        serial_.Poll();
        const std::uint64_t waited = Now() - start;
        if ((waited >= 100 && serial_.ReceivedTotal() - before >= 35) ||
            waited >= kShutdownWaitMs || serial_.HungUp())
          break;
        ::usleep(1000);
      }
    }
    serial_.ClosePort();
  }
  if (notify && view_) view_->CloseWindow();
}

// While no data gets through, the message line says so once a second instead of standing still.
void TransferSession::ShowStall(std::uint64_t stalled_ms) {
  const std::uint64_t seconds = stalled_ms / 1000;
  if (seconds == stalled_seconds_) return;
  stalled_seconds_ = seconds;
  if (seconds == 0 || !view_) return;
  view_->SetMessage("Nothing got through for " + std::to_string(seconds) + " s (retry " +
                    std::to_string(zmodem_.RetryCount()) + "): waiting for the console...");
}

void TransferSession::ShowProgress(const TransferProgress& progress) {
  if (!view_) return;
  view_->SetProgress(progress.percent);
  view_->SetMessage(progress.message);
  view_->SetBps(std::to_string(progress.bits_per_second));
  if (progress.has_remaining) view_->SetRemain(MinutesText(progress.remaining_seconds));
}

Answer TransferSession::Ask(const std::string& text, const std::string& caption, Buttons buttons,
                            bool default_no) {
  if (prompter_ && default_no) return prompter_->AskDefaultNo(text, caption, buttons);
  if (prompter_) return prompter_->Message(text, caption, buttons);
  return buttons == Buttons::kOk ? Answer::kOk : Answer::kNo;
}

void TransferSession::Run(const char* command_line) {
  RunLocal(setup_.work_folder, Words(command_line));
}

std::string TransferSession::WorkFile(const char* name) const {
  return (fs::path(setup_.work_folder) / name).string();
}

bool TransferSession::WorkFileExists(const char* name) const {
  std::error_code error;
  return fs::is_regular_file(WorkFile(name), error);
}

void TransferSession::DeleteWorkFiles() {
  for (const char* name : kSessionFiles) {
    std::error_code error;
    fs::remove_all(WorkFile(name), error);
  }
}

void TransferSession::SetTimer(bool running) {
  // A window closed while a question was open stays closed.
  if (running == timer_running_ || (running && closed_)) return;
  timer_running_ = running;
  if (view_) view_->SetTimerRunning(running);
}

}  // namespace orb
