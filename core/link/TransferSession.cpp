#include "core/link/TransferSession.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/link/LocalProcess.h"
#include "core/link/SessionText.h"
#include "core/model/DebugLog.h"
#include "core/model/Title.h"
#include "core/storage/Floppy.h"

namespace orb {
namespace fs = std::filesystem;
using S = SessionState;

static_assert(static_cast<int>(S::kZmodemGreeting) == TZmodem::kFirstState);
static_assert(static_cast<int>(S::kZmodemFinish) == TZmodem::kLastState);

namespace {

// The console's data files, in the order the session removes them; the first six are the ones a
// console title cannot do without, gfed.dat may be missing.
constexpr const char* kDataFiles[] = {"sysf.dat", "eqlib.dat", "dylib.dat", "auto.dat",
                                      "cue.dat",  "snap.dat",  "gfed.dat"};
constexpr std::size_t kRequiredFiles = 6;
// What the session leaves in the work folder besides the data files.
constexpr const char* kArchiveFiles[] = {"tmp", "tmp.gz"};

std::string Removal(std::size_t file) {
  return std::string("rm ") + kDataFiles[file];
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
    refusal_ = "The library folder " + setup_.library_folder +
               " cannot be written: " + std::strerror(errno) + ".";
  }
  port_was_open_ = serial_.IsOpen();
  if (title_status_ == kOk && refusal_.empty() && !port_was_open_ &&
      serial_.OpenPort(setup_.device) < 0) {
    open_error_ = errno;
    open_owner_ = serial_.LockOwner();
  }
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
  // Once the slot's old title is being removed, the user learns what the slot now holds.
  if (!closed_ && shown_ && (slot_touched_ || title_written_)) {
    Fail("Cancelled.");
    return;
  }
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
  if (static_cast<std::uint64_t>(kTickMs) * wait_ > kWaitLimitMs ||
      static_cast<std::uint64_t>(kTickMs) * long_ticks_ > long_limit_ms_)
    Fail("Timeout.");
}

void TransferSession::Step() {
  if (awaiting_echo_ || resending_) {
    EchoStep();
  } else if (state_ >= S::kZmodemGreeting && state_ <= S::kZmodemFinish && zmodem_active_) {
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
      // An archive that an earlier export or import left would otherwise be downloaded
      // whenever the packing goes wrong.
      if (AtPrompt()) {
        if (view_) view_->SetMessage("Compressing...");
        Command("rm /tmp/data.gz", S::kPackArchive);
      }
      break;
    case S::kPackArchive:
      SendAfterPrompt(kPackCommand, S::kStartTransfer, true);
      break;
    case S::kStartTransfer:
      if (AtPrompt()) {
        if (view_) view_->SetMessage("Preparing to download...");
        Command("sz /tmp/data.gz", S::kStartTransfer);
        transfer_command_ = true;
        zmodem_active_ = true;
      }
      break;
    case S::kRemoveDownloadedArchive:
      if (AtPrompt()) {
        Send("rm /tmp/data.gz");
        wait_ = 0;
        state_ = S::kUnpackLocally;
      } else {
        EndSenderStep();
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
  switch (state_) {
    case S::kInSlot:
      List(S::kListingSlot);
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
      free_space_asks_ = 0;
      free_space_ = -1;
      SendAfterPrompt("df", S::kCheckFreeSpace);
      break;
    case S::kCheckFreeSpace:
      FreeSpaceStep();
      break;
    case S::kStartTransfer:
      if (AtPrompt()) {
        Command("rz", S::kStartTransfer);
        transfer_command_ = true;
        zmodem_active_ = true;
      }
      break;
    case S::kReturnToSlot:
      if (AtPrompt()) EnterSlot(S::kRemoveSysf);
      break;
    case S::kRemoveSysf:
    case S::kRemoveEqlib:
    case S::kRemoveDylib:
    case S::kRemoveAuto:
    case S::kRemoveCue:
    case S::kRemoveSnap:
    case S::kRemoveGfed:
      if (AtPrompt()) {
        slot_touched_ = true;
        Command(Removal(StepsPast(state_, S::kRemoveSysf)),
                state_ == S::kRemoveGfed ? S::kListEmptied : Next(state_));
      }
      break;
    case S::kListEmptied:
      List(S::kCheckEmptied);
      break;
    case S::kCheckEmptied:
      EmptiedListingStep();
      break;
    case S::kUnpackOnConsole:
      if (AtPrompt()) {
        if (view_) view_->SetMessage("Decompressing...");
        Command(kUnpackCommand, S::kListUnpacked, true);
      }
      break;
    case S::kListUnpacked:
      List(S::kUnpackedFound0);
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
      SendAfterPrompt(kScanProgram, S::kAwaitScanEcho, true);
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
      SendAfterPrompt(Removal(StepsPast(state_, S::kDiscardSysf)), Next(state_));
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
      fins_sent_ = 1;
      fin_ticks_ = 0;
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
      Fail("Timeout.\nNo data got through for " + std::to_string(TZmodem::kStallLimitMs / 1000) +
           " s although the console kept answering: the line is too noisy.");
      break;
    case ZmodemEnd::kLineLost:
      serial_.ClosePort();
      FailLine(true);
      break;
  }
}

// The download is whole and checked; the prompt comes once the console's sz has taken our ZFIN
// and ended. A ZFIN lost on the way would keep sz waiting for about a minute: it goes again,
// and an sz that still does not end is cancelled. Without a prompt even then, the console keeps
// its /tmp/data.gz and the title is taken all the same.
void TransferSession::EndSenderStep() {
  if (++fin_ticks_ < kFinAgainTicks) return;
  fin_ticks_ = 0;
  wait_ = 0;
  if (fins_sent_ < kFinTries) {
    LogLine("No prompt after the download: ZFIN again.");
    SendFin(serial_);
  } else if (fins_sent_ == kFinTries) {
    LogLine("No prompt after the download: sz cancelled.");
    SendAbortSequence(serial_);
  } else {
    LogLine("No prompt after the download: /tmp/data.gz stays on the console.");
    state_ = S::kUnpackLocally;
  }
  ++fins_sent_;
}

void TransferSession::ListingStep() {
  if (!ReadListing()) {
    if (listed_files_ != 0) state_ = S::kListingSlotNamed;
    return;
  }
  if (listing_unclean_) {
    ListAgain(S::kListingSlot);
    return;
  }
  // One damaged name must not hide a title: any of its files asks the question.
  if (listed_files_ != 0) {
    SetTimer(false);
    const std::uint64_t asked = Now();
    const std::string detail = "The console's TITLE " + slot_ + " will be replaced by \"" +
                               TitleNameOf(setup_.title_path) + "\".";
    if (Ask(MessageId::kOverwriteSlot, detail) != Answer::kYes) {
      Fail("");
      return;
    }
    start_time_ += Now() - asked;  // "Total:" leaves the question out
    SetTimer(true);
  }
  at_prompt_ = true;
  state_ = S::kPackLocally;
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
  Command("cd /tmp/", S::kRemoveStaleArchive);
}

void TransferSession::FreeSpaceStep() {
  std::string line;
  if (!ReadAnswer(line)) {
    if (!Contains(line, "//1/") || free_space_ >= 0) return;
    const std::string field = FifthField(line);
    LogLine("Test : " + field);
    // A damaged digit would read as another amount: only a clean line counts.
    if (IsPrintable(line) && !field.empty() &&
        field.find_first_not_of("0123456789") == std::string::npos)
      free_space_ = FreeSpace(field);
    return;
  }
  if (free_space_ < 0) {
    if (++free_space_asks_ > kResends) {
      Fail("The console's answer to df could not be read.");
      return;
    }
    Command("df", S::kCheckFreeSpace);
    return;
  }
  if (free_space_ < kMinimumFreeSpace) {
    Fail("Disk Full.");
    return;
  }
  at_prompt_ = true;
  state_ = S::kStartTransfer;
}

void TransferSession::EmptiedListingStep() {
  if (!ReadListing()) return;
  if (listing_unclean_) {
    ListAgain(S::kCheckEmptied);
    return;
  }
  // Unpacking beside an old file would leave a title of two.
  if (listed_files_ != 0) {
    std::string names;
    for (std::size_t i = 0; i < std::size(kDataFiles); ++i) {
      if (listed_files_ & (1u << i))
        names += std::string(names.empty() ? "" : ", ") + kDataFiles[i];
    }
    Fail("The console's slot " + slot_ + " still holds " + names +
         " after the removals; the title was not unpacked.");
    return;
  }
  at_prompt_ = true;
  state_ = S::kUnpackOnConsole;
}

void TransferSession::UnpackedListingStep() {
  const bool ended = ReadListing();
  int found = 0;
  for (std::size_t i = 0; i < kRequiredFiles; ++i) found += (listed_files_ >> i) & 1;
  state_ = static_cast<SessionState>(static_cast<int>(S::kUnpackedFound0) + found);
  if (!ended) return;
  if (listing_unclean_) {
    ListAgain(S::kUnpackedFound0);
    return;
  }
  at_prompt_ = true;
  if (state_ == S::kUnpackedFound6) {
    title_written_ = true;
    state_ = S::kRunScan;
  } else {
    state_ = S::kDiscardSysf;
  }
}

void TransferSession::ScanStep() {
  std::string line;
  if (ReadAnswer(line)) {
    state_ = S::kExportDone;
  } else if (state_ == S::kAwaitScanEcho && Contains(line, "scan: not found")) {
    SetTimer(false);
    reboot_ = Ask(MessageId::kReboot, "") == Answer::kYes;
    SetTimer(true);
    state_ = S::kAwaitScanEnd;
  }
}

bool TransferSession::ReadListing() {
  std::string line;
  const bool ended = ReadAnswer(line);
  // A line end lost on the way leaves the last names in front of the prompt.
  const std::string names = ended ? line.substr(0, line.rfind('#')) : line;
  for (const std::string& name : Fields(names)) {
    if (!IsPrintable(name)) listing_unclean_ = true;
    for (std::size_t i = 0; i < std::size(kDataFiles); ++i) {
      if (name == kDataFiles[i]) listed_files_ |= 1u << i;
    }
  }
  return ended;
}

void TransferSession::List(SessionState next) {
  listings_ = 0;
  SendAfterPrompt("ls", next);
}

void TransferSession::ListAgain(SessionState state) {
  if (++listings_ > kResends) {
    Fail("The console's listing of slot " + slot_ + " could not be read.");
    return;
  }
  Command("ls", state);
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

void TransferSession::Command(const std::string& text, SessionState next, bool long_command) {
  Send(text);
  command_ = text;
  awaiting_echo_ = true;
  resending_ = false;
  resends_ = 0;
  transfer_command_ = false;
  nudged_ = false;
  command_ticks_ = 0;
  answer_lines_ = 0;
  at_prompt_ = false;
  listed_files_ = 0;
  listing_unclean_ = false;
  long_command_ = long_command;
  long_ticks_ = 0;
  if (long_command) wait_ = 0;  // it takes as long as it takes, up to the long limit
  state_ = next;
}

// The console echoes what it received: a command whose echo differs is not what the console
// acts on, so its result is not used. An empty line brings the prompt back, and the command goes
// again.
void TransferSession::EchoStep() {
  const std::string line = serial_.ReadLine();
  ++command_ticks_;
  if (resending_) {
    if (!serial_.HasData() && Contains(line, "#")) {
      resending_ = false;
      awaiting_echo_ = true;
      nudged_ = false;
      command_ticks_ = 0;
      Send(command_);
      return;
    }
    CountWait();  // a long command may still run
  } else {
    // Prompts of empty lines sent before may come first, or stand in front of the echo.
    const std::size_t start = line.find_first_not_of("# \t");
    if (start == std::string::npos) {
      ++wait_;
    } else if (line.compare(start, std::string::npos, command_) == 0) {
      awaiting_echo_ = false;
      nudged_ = false;
      command_ticks_ = 0;
      if (transfer_command_) StartTransfer();
      return;
    } else {
      LogLine("Echo : " + line.substr(start));
      if (++resends_ > kResends) {
        Fail("The console did not take the command \"" + command_ + "\" (its echo came back " +
             std::to_string(resends_) + " times garbled).");
        return;
      }
      // An sz or rz that started anyway is stopped first.
      if (transfer_command_) SendAbortSequence(serial_);
      Send("");
      resending_ = true;
      nudged_ = true;
      command_ticks_ = 0;
      return;
    }
  }
  if (command_ticks_ >= kNudgeTicks && !nudged_) {
    Send("");  // a lost line end: the command goes, or its prompt comes back
    nudged_ = true;
  }
}

void TransferSession::StartTransfer() {
  transfer_command_ = false;
  zmodem_.Start(setup_.mode == SessionSetup::kImport ? TZmodem::Direction::kReceive
                                                     : TZmodem::Direction::kSend,
                WorkFile("tmp.gz"), Now());
  state_ = S::kZmodemGreeting;
}

bool TransferSession::WaitFor(const char* text) {
  const std::string line = serial_.ReadLine();
  // Only what arrived last can be the awaited answer; anything after it means the console
  // went on. Every tick without the answer counts against the limit, also while bytes keep
  // coming, so that no wait lasts for ever.
  if (!serial_.HasData() && Contains(line, text)) return true;
  ++wait_;
  return false;
}

bool TransferSession::ReadAnswer(std::string& line) {
  line = serial_.ReadLine();
  if (!serial_.HasData() && Contains(line, "#")) {
    if (long_command_) wait_ = 0;  // the waiting starts again after a long command
    long_command_ = false;
    return true;
  }
  // A line is progress, not waiting, unless the answer goes on far longer than any answer the
  // session asks for.
  if (line.empty() || ++answer_lines_ > kAnswerLines) CountWait();
  // A prompt lost on the way is asked for once; the console answers an empty line with one.
  if (++command_ticks_ >= kNudgeTicks && !nudged_) {
    Send("");
    nudged_ = true;
  }
  return false;
}

bool TransferSession::AtPrompt() {
  if (at_prompt_) {
    at_prompt_ = false;
    return true;
  }
  std::string line;
  return ReadAnswer(line);
}

void TransferSession::CountWait() {
  if (long_command_) {
    ++long_ticks_;
  } else {
    ++wait_;
  }
}

void TransferSession::EnterSlot(SessionState next) {
  after_slot_check_ = next;
  cd_answer_.clear();
  pwd_answered_ = false;
  Command(std::string("cd ") + kSlotFolder + slot_, S::kCheckSlot);
}

void TransferSession::SlotCheckStep() {
  // A cd mistyped on a noisy line leaves the console elsewhere; listing, removing or
  // unpacking there would touch another slot or the console's own folders.
  const std::string folder = std::string(kSlotFolder) + slot_;
  std::string line;
  const bool prompt = ReadAnswer(line);
  if (state_ == S::kCheckSlot) {
    if (!prompt) {
      if (!line.empty()) cd_answer_ = line;  // cd says something only when it fails
      return;
    }
    Command("pwd", S::kAwaitSlotPath);
    return;
  }
  if (!prompt) {
    // A console without pwd says so; a path with damaged bytes says nothing.
    if (line.empty() || line.front() != '/' || !IsPrintable(line)) return;
    if (line != folder && line != folder + "/") {
      Fail("The console could not enter " + folder + " (it is in " + line + ").");
      return;
    }
    pwd_answered_ = true;
    return;
  }
  if (!pwd_answered_ && !cd_answer_.empty()) {
    Fail("The console could not enter " + folder + " (" + cd_answer_ + ").");
    return;
  }
  at_prompt_ = true;
  state_ = after_slot_check_;
}

void TransferSession::SendAfterPrompt(const std::string& text, SessionState next,
                                      bool long_command) {
  if (AtPrompt()) Command(text, next, long_command);
}

std::string TransferSession::SlotNote() const {
  return "The console's slot " + slot_ + " may now be empty or incomplete.";
}

void TransferSession::Fail(const std::string& text) {
  SetTimer(false);
  // Once the title is verified in the slot, only the refresh of the console's list is left:
  // the export has succeeded and says what did not finish.
  if (title_written_) {
    success_ = true;
    Ask("The title is in the console's slot " + slot_ +
            ", but the console's title list was not refreshed:\n" + text,
        "Export", Buttons::kOk);
  } else if (!text.empty()) {
    Ask(slot_touched_ ? text + "\n" + SlotNote() : text, "Error", Buttons::kOk);
  }
  Close(true);
}

void TransferSession::FailLine(bool lost) {
  if (!lost) {
    Fail(PortOpenFailure(setup_.port_number, setup_.device, open_error_, open_owner_));
    return;
  }
  // A device without a COM number is named by itself.
  std::string text = setup_.port_number > 0
                         ? "Unable to open COM" + std::to_string(setup_.port_number) + "\n"
                         : "";
  Fail(text + "The line to the console was lost (" + setup_.device + ").");
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

Answer TransferSession::Ask(const std::string& text, const std::string& caption, Buttons buttons) {
  if (prompter_) return prompter_->Message(text, caption, buttons);
  return buttons == Buttons::kOk ? Answer::kOk : Answer::kNo;
}

Answer TransferSession::Ask(MessageId question, const std::string& detail) {
  return prompter_ ? prompter_->Ask(question, "Export", detail) : Answer::kNo;
}

void TransferSession::Run(const char* command_line) {
  RunLocal(setup_.work_folder, Fields(command_line));
}

std::string TransferSession::WorkFile(const char* name) const {
  return (fs::path(setup_.work_folder) / name).string();
}

bool TransferSession::WorkFileExists(const char* name) const {
  std::error_code error;
  return fs::is_regular_file(WorkFile(name), error);
}

void TransferSession::DeleteWorkFiles() {
  std::error_code error;
  for (const char* name : kDataFiles) fs::remove_all(WorkFile(name), error);
  for (const char* name : kArchiveFiles) fs::remove_all(WorkFile(name), error);
}

void TransferSession::SetTimer(bool running) {
  // A window closed while a question was open stays closed.
  if (running == timer_running_ || (running && closed_)) return;
  timer_running_ = running;
  if (view_) view_->SetTimerRunning(running);
}

}  // namespace orb
