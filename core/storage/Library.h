// The title files of the library folder: naming, delete, rename, backup, lock
// and the listing the title manager shows. A title named N is the file N.orb.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model/DataFile.h"
#include "core/model/Prompter.h"
#include "core/model/Status.h"

namespace orb {

// Every \ / : . ; * ? < > | becomes "_".
std::string SanitizeTitleName(std::string_view text);

// The title-name dialog loop of every import. path holds the proposed title
// path on entry and the accepted one on success; kCancelled when the user
// cancelled the dialog or the overwrite question.
Status AskTitleName(std::string& path, Prompter* prompter);

// Asks "Are you sure?" (without a prompter it does not ask); No gives
// kCancelled, a failed delete kFailed.
Status DeleteTitle(const std::string& path, Prompter* prompter);

// Moves the title to new_name (sanitized) in the same folder and stamps the
// new name into it. An existing title of that name is never replaced:
// kRenameFailed. new_path, when given, receives the new path on success; why, the reason of a
// failed move (no name, the name in use, the system's reason).
Status RenameTitle(const std::string& path, const std::string& new_name,
                   std::string* new_path = nullptr, Prompter* prompter = nullptr,
                   std::string* why = nullptr);

// The title manager's Rename: the "Title Name" dialog preset with the title's
// name, then RenameTitle; kCancelled when the dialog was cancelled.
Status AskRenameTitle(const std::string& path, Prompter* prompter, std::string* new_path = nullptr,
                      std::string* why = nullptr);

// Copies the title to the first free "copyN <file name>" (N = 1 … 99, cut to 23
// characters, extension ".orb") in the same folder, carrying its own name.
Status BackupTitle(const std::string& path, std::string* new_path, Prompter* prompter = nullptr);

// The Lock button: sets or clears the title's lock flag.
Status LockTitle(const std::string& path, bool locked, Prompter* prompter = nullptr);

struct LibraryEntry {
  std::string name;  // as the list shows it
  std::string path;  // the file itself, whatever the case of its extension
  bool locked = false;
};

// The title files (extension ".orb" in any case) of the folder, sorted by name
// without regard to case as the title manager's list keeps them.
std::vector<LibraryEntry> ListTitles(const std::string& folder);

// Whether a file name ends in ".orb", in any case.
bool HasTitleExtension(const std::string& file_name);

// Whether the name holds the filter text, without regard to case; an empty filter keeps all.
bool MatchesTitleFilter(const std::string& name, const std::string& filter);

// Creates a new file under a unique name beside path, in which a title file is
// completed before it takes its place. The name keeps the title name that
// StampTitle derives from the file name, and the library listing skips it.
Status CreateTemporaryTitle(const std::string& path, DiskFile& file, std::string& temporary);

// Which title files are open in an editor: such a title is not deleted, renamed or locked
// behind its editor's back.
class OpenTitles {
 public:
  virtual ~OpenTitles() = default;
  virtual bool IsOpen(const std::string& path) const = 0;
  // Whether the open title holds changes its file does not.
  virtual bool HasUnsavedChanges(const std::string& path) const {
    (void)path;
    return false;
  }
  // Saves the open title into its file.
  virtual Status SaveOpenTitle(const std::string& path) {
    (void)path;
    return kOk;
  }
};

// Before an export, which reads the title's file: when the title is open with unsaved changes,
// asks whether to save them first (Cancel the default). kOk goes on, with the changes saved
// (Yes) or the file as it was (No); kCancelled stops; a save that failed gives its status.
Status SaveBeforeExport(OpenTitles* open, const std::string& path, Prompter* prompter);
inline constexpr char kExportQuestionCaption[] = "Export";

// Whether two paths name the same file (both resolved as far as they exist).
bool SameTitleFile(const std::string& a, const std::string& b);

// kCancelled after telling the user, under the command's caption, when the title is open;
// kOk otherwise.
Status RefuseOpenTitle(const OpenTitles* open, const std::string& path, const std::string& caption,
                       Prompter* prompter);
inline constexpr char kTitleOpenMessage[] =
    "This title is open in an editor window.\nClose the window first.";

// Brings a title file from elsewhere into the library folder. Only a title that loads whole
// comes in; its name goes through the title-name dialog and the overwrite question as on
// import, a title open in an editor is not replaced, and the copy carries its own name.
// new_path receives the title's path in the library.
Status AddTitleFile(const std::string& source, const std::string& library_folder,
                    Prompter* prompter, const OpenTitles* open = nullptr,
                    std::string* new_path = nullptr);

// Moves from onto to, failing when to exists.
bool MoveWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace orb
