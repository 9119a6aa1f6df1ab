// TransferSession: the scripted dialogue with the console's shell that brings one title from a
// console slot or sends one into it, as a state machine ticked every 10 ms.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/link/Serial.h"
#include "core/link/Zmodem.h"
#include "core/model/Prompter.h"
#include "core/model/Status.h"

// The transfer session: the scripted dialogue with the console's shell that
// imports one title from a console slot or exports one into it. It is a state
// machine advanced by Tick() every 10 ms; the window shows it through
// SessionView and the user answers its questions through the Prompter.
namespace orb {

inline constexpr const char* kImportCaption = "Import from RS-232C";
inline constexpr const char* kExportCaption = "Export to RS-232C";
inline constexpr const char* kPackCommand = "tar -c *.dat | gzip > /tmp/data.gz";
inline constexpr const char* kUnpackCommand = "cat /tmp/data.gz | gzip -d | tar -x";
inline constexpr const char* kSlotFolder = "/home/kel205/data/";
inline constexpr const char* kScanProgram = "/home/kel205/prog/scan";
// Where a damaged download is kept for inspection; the session's own files
// are deleted on closing.
inline constexpr const char* kDebugFileName = "debug.gz";

// What the transfer window shows. Every call comes from Tick(), Show() or
// Cancel() on the GUI thread.
class SessionView {
 public:
  virtual ~SessionView() = default;
  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetMessage(const std::string& text) = 0;  // the message line
  virtual void SetRetry(const std::string& text) = 0;    // after "Retry:"
  virtual void SetTotal(const std::string& text) = 0;    // after "Total:", MM:SS
  virtual void SetRemain(const std::string& text) = 0;   // after "Remain:", MM:SS
  virtual void SetBps(const std::string& text) = 0;      // after "bps:"
  virtual void SetProgress(int percent) = 0;
  virtual void SetStateLabel(const std::string& text) = 0;  // the hidden label
  // The sequence timer stops while a question is open and for good once the
  // session has ended; Tick() does nothing while it is stopped.
  virtual void SetTimerRunning(bool running) = 0;
  // The session has ended and run its closing steps: the window closes.
  virtual void CloseWindow() = 0;
};

struct SessionSetup {
  enum Mode { kImport = 0, kExport = 1 };
  int mode = kImport;
  int slot_index = 0;          // console slot number - 1, 0 to 9
  std::string title_path;      // export: the title file to send
  std::string library_folder;  // import: where the new title file goes
  std::string work_folder;     // the application folder's "tmp"
  int port_number = 1;         // the COM number the messages name
  std::string device;          // that port's device path
};

// The steps of the session. The hidden state label shows their numbers, so
// each keeps its value; 13 to 17 are TZmodem's own states. A number that
// import and export use for different work has a name for each.
enum class SessionState : int {
  kWakeShell = 0,
  kLoginPrompt = 1,  // or the shell's "#" when still logged in
  kPasswordPrompt = 2,
  kLoginDone = 3,
  // After every cd into the slot folder: what cd answered, then where the console says it
  // stands ("pwd"); a console without pwd leaves the cd's echo and silence to decide.
  kCheckSlot = 4,
  kAwaitSlotPath = 5,
  kEnterSlot = 10,
  kInSlot = 11,         // then packs (import) or lists the slot (export)
  kStartTransfer = 12,  // the prompt for sz or rz; on import, once packed

  kZmodemGreeting = 13,
  kZmodemFileHeader = 14,
  kZmodemNextBlock = 15,   // asks for a block, or sends one
  kZmodemAwaitBlock = 16,  // the block's data, or its acknowledgement
  kZmodemFinish = 17,      // and on import the unzipping of the download

  // Import.
  kRemoveDownloadedArchive = 18,
  kUnpackLocally = 19,
  kUnpacked = 20,
  kImportIntoLibrary = 21,
  kPackArchive = 22,  // once an old archive is removed

  // Export, before the transfer.
  kListingSlot = 100,       // no name with a "." yet
  kListingSlotNamed = 101,  // the next prompt ends the listing
  kPackLocally = 110,
  kRemoveStaleArchive = 111,
  kAskFreeSpace = 112,
  kCheckFreeSpace = 113,

  // Export, after the transfer.
  kReturnToSlot = 20,
  kRemoveSysf = 21,
  kRemoveEqlib = 22,
  kRemoveDylib = 23,
  kRemoveAuto = 24,
  kRemoveCue = 25,
  kRemoveSnap = 26,
  kRemoveGfed = 27,
  kListEmptied = 28,  // the slot must hold none of the title's files before unpacking
  kCheckEmptied = 29,
  kUnpackOnConsole = 30,
  kListUnpacked = 40,
  // How many of the six files a title needs the listing has shown.
  kUnpackedFound0 = 41,
  kUnpackedFound1 = 42,
  kUnpackedFound2 = 43,
  kUnpackedFound3 = 44,
  kUnpackedFound4 = 45,
  kUnpackedFound5 = 46,
  kUnpackedFound6 = 47,
  kRunScan = 31,
  kAwaitScanEcho = 32,  // or word that the scan is missing
  kAwaitScanEnd = 33,
  kExportDone = 34,
  // Some files did not unpack: those that did go again.
  kDiscardSysf = 51,
  kDiscardEqlib = 52,
  kDiscardDylib = 53,
  kDiscardAuto = 54,
  kDiscardCue = 55,
  kDiscardSnap = 56,
  kDiskFull = 57,
};

class TransferSession {
 public:
  static constexpr int kTickMs = 10;
  static constexpr unsigned kWaitLimitMs = 5000;
  static constexpr long kMinimumFreeSpace = 1536;
  // How long closing waits for the console's answer to "shutdown -f".
  static constexpr std::uint64_t kShutdownWaitMs = 2000;
  // Packing, unpacking and the scan run on the console for as long as they need, up to this.
  static constexpr std::uint64_t kLongCommandLimitMs = 180000;
  // A command is sent again at most this often when its echo comes back garbled; a listing or
  // a df answer that cannot be read is asked for again as often.
  static constexpr int kResends = 3;
  // Ticks without the awaited echo or prompt before an empty line asks the console for one.
  static constexpr unsigned kNudgeTicks = 100;
  // More lines than this in one answer count as waiting.
  static constexpr unsigned kAnswerLines = 100;
  // After a download, ticks without the prompt before the ZFIN goes again; after this many
  // ZFINs the console's sz is cancelled.
  static constexpr unsigned kFinAgainTicks = 150;
  static constexpr int kFinTries = 3;

  using Clock = std::function<std::uint64_t()>;  // milliseconds

  // Creation: the work folder is made when missing and emptied of the
  // session's files. clock defaults to a monotonic millisecond clock.
  TransferSession(TSerial& serial, SessionSetup setup, Prompter* prompter, SessionView* view,
                  Clock clock = {});
  // Runs the closing steps when the session has not ended yet (without
  // calling the view, which may be gone).
  ~TransferSession();
  TransferSession(const TransferSession&) = delete;
  TransferSession& operator=(const TransferSession&) = delete;

  // The window is shown: the port is opened unless it was open already, and
  // the timer starts.
  void Show();
  // One step of the sequence timer.
  void Tick();
  // "&Cancel", Escape or the close box: the closing steps, once.
  void Cancel();

  bool Ended() const { return closed_; }
  bool Succeeded() const { return success_; }
  const std::string& ImportedTitlePath() const { return imported_path_; }
  bool RebootRequested() const { return reboot_; }
  SessionState State() const { return state_; }
  unsigned WaitCounter() const { return wait_; }
  // How long a ZMODEM peer may fall silent before the transfer is given up.
  void SetTransferIdleLimit(std::uint64_t ms) { zmodem_.SetIdleLimit(ms); }
  void SetLongCommandLimit(std::uint64_t ms) { long_limit_ms_ = ms; }

 private:
  void RunTick();
  void Step();
  void LoginStep();
  void ImportStep();
  void ExportStep();
  void TransferStep();
  void EndSenderStep();
  void ListingStep();
  void FreeSpaceStep();
  void UnpackedListingStep();
  void ScanStep();
  void ExportLocally();
  void ImportFolder();

  void Send(const std::string& text);
  // Sends a command of the shell and goes on to next once its echo shows that the console
  // received it as sent. A long command (packing, unpacking, the scan) is bounded by the long
  // limit instead of the dialogue's.
  void Command(const std::string& text, SessionState next, bool long_command = false);
  void EchoStep();
  void StartTransfer();
  // cd into the slot folder, then on to next once the console stands there.
  void EnterSlot(SessionState next);
  void SlotCheckStep();
  bool WaitFor(const char* text);
  // One line of the answer to the last command; true when it is the prompt that ends it.
  bool ReadAnswer(std::string& line);
  bool AtPrompt();
  void CountWait();
  void SendAfterPrompt(const std::string& text, SessionState next, bool long_command = false);
  // A listing of the current folder, read line by line; true once the prompt ended it.
  bool ReadListing();
  void List(SessionState next);
  void ListAgain(SessionState state);
  void EmptiedListingStep();
  std::string SlotNote() const;
  void Fail(const std::string& text);
  // The port could not be opened, or the line went away: the first line names the COM port,
  // the next the device and why, and what an interrupted export may have left in the slot.
  void FailLine(bool lost);
  void Finish();
  void Close(bool notify);
  void ShowProgress(const TransferProgress& progress);
  void ShowStall(std::uint64_t stalled_ms);
  Answer Ask(const std::string& text, const std::string& caption, Buttons buttons);
  // The overwrite and reboot questions; No without a prompter.
  Answer Ask(MessageId question, const std::string& detail);
  void Run(const char* command_line);
  std::string WorkFile(const char* name) const;
  bool WorkFileExists(const char* name) const;
  void DeleteWorkFiles();
  void SetTimer(bool running);
  std::uint64_t Now() const { return clock_(); }

  TSerial& serial_;
  SessionSetup setup_;
  Prompter* prompter_;
  SessionView* view_;
  Clock clock_;
  TZmodem zmodem_;
  std::string slot_;  // "01" ... "10"
  SessionState after_slot_check_ = SessionState::kInSlot;
  int open_error_ = 0;         // errno of a failed open
  int open_owner_ = 0;         // and the process that had the device
  Status title_status_ = kOk;  // of the title to export, loaded whole before anything starts
  std::string refusal_;        // why an import cannot start

  SessionState state_ = SessionState::kWakeShell;
  unsigned wait_ = 0;
  std::uint64_t start_time_ = 0;
  bool shown_ = false;
  bool timer_running_ = false;
  bool in_tick_ = false;
  bool closed_ = false;
  bool zmodem_active_ = false;
  std::uint64_t stalled_seconds_ = 0;  // what the message line last said of a stall
  // The command whose echo is awaited, and what garbled echoes have cost.
  std::string command_;
  bool awaiting_echo_ = false;
  bool resending_ = false;  // after a garbled echo: an empty line went out, the prompt is awaited
  int resends_ = 0;
  bool transfer_command_ = false;  // sz or rz: the transfer starts with the echo
  bool nudged_ = false;            // the empty line asking for a missing echo or prompt went out
  unsigned command_ticks_ = 0;     // ticks since the command went out
  unsigned answer_lines_ = 0;      // lines of the answer to it so far
  bool at_prompt_ = false;         // the prompt that ends the last command has been read
  bool long_command_ = false;
  unsigned long_ticks_ = 0;
  std::uint64_t long_limit_ms_ = kLongCommandLimitMs;
  std::string cd_answer_;  // what cd said, which it does only when it fails
  bool pwd_answered_ = false;
  // What the listing under way has shown: the title's files seen, a line that is no clean list
  // of names.
  unsigned listed_files_ = 0;
  bool listing_unclean_ = false;
  int listings_ = 0;
  int free_space_asks_ = 0;
  long free_space_ = -1;  // as the answer to df shows it, -1 while unread
  int fins_sent_ = 0;     // after a download: ZFINs sent; one more means sz has been cancelled
  unsigned fin_ticks_ = 0;
  bool slot_touched_ = false;   // a removal of the slot's files has gone out
  bool title_written_ = false;  // the unpacked title is verified in the slot
  bool success_ = false;
  bool port_was_open_ = false;
  bool reboot_ = false;
  bool keep_debug_file_ = false;
  std::string imported_path_;
};

}  // namespace orb
