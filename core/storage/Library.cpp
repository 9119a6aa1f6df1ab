#include "core/storage/Library.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/model/Title.h"

namespace orb {
namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
  return text;
}

// Anything under that name counts, a dangling link too; so does a name that
// cannot be examined, lest it be overwritten.
bool Exists(const fs::path& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

// The title name as a dialog may hand it over: cut to the field's length, but never inside a
// character of several bytes, and cleaned.
std::string CleanName(const std::string& text) {
  std::size_t length = std::min(text.size(), kTitleNameMaxLength);
  while (length > 0 && length < text.size() &&
         (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
    --length;
  return SanitizeTitleName(std::string_view(text).substr(0, length));
}

// The line under a question that cannot be undone: which title it is about, and that it is
// locked when it is.
std::string TitleFateLine(const std::string& path, const char* fate) {
  TitleInfo info;
  const bool locked = ReadTitleInfo(path, info) == kOk && TitleInfoView(info).Locked();
  return "The title \"" + TitleNameOf(path) + "\" " + (locked ? "is locked and " : "") + fate;
}

}  // namespace

std::string SanitizeTitleName(std::string_view text) {
  std::string name(text);
  for (char& c : name) {
    if (std::string_view("\\/:.;*?<>|").find(c) != std::string_view::npos) c = '_';
  }
  return name;
}

Status AskTitleName(std::string& path, Prompter* prompter) {
  if (!prompter) return kCancelled;
  const fs::path folder = fs::path(path).parent_path();
  std::string text = TitleNameOf(path);
  for (;;) {
    if (!prompter->TitleNameDialog(text)) return kCancelled;
    text = CleanName(text);
    // No name would make a hidden ".orb" the title manager never shows.
    if (text.empty()) continue;
    const fs::path candidate = folder / (text + ".orb");
    if (Exists(candidate)) {
      const Answer answer = prompter->Ask(MessageId::kFileExists, "Import",
                                          TitleFateLine(candidate.string(), "will be replaced."));
      if (answer == Answer::kNo) continue;
      if (answer != Answer::kYes) return kCancelled;
    }
    path = candidate.string();
    return kOk;
  }
}

bool SameTitleFile(const std::string& a, const std::string& b) {
  std::error_code error;
  const fs::path first = fs::weakly_canonical(a, error);
  if (error) return a == b;
  const fs::path second = fs::weakly_canonical(b, error);
  if (error) return a == b;
  return first == second;
}

Status RefuseOpenTitle(const OpenTitles* open, const std::string& path, const std::string& caption,
                       Prompter* prompter) {
  if (!open || !open->IsOpen(path)) return kOk;
  if (prompter) prompter->Message(kTitleOpenMessage, caption, Buttons::kOk);
  return kCancelled;
}

Status SaveBeforeExport(OpenTitles* open, const std::string& path, Prompter* prompter) {
  if (!open || !open->HasUnsavedChanges(path)) return kOk;
  if (!prompter) return kCancelled;
  const std::string question =
      "The title " + TitleNameOf(path) + " has unsaved changes. Save them before exporting?";
  switch (prompter->AskDefaultCancel(question, kExportQuestionCaption)) {
    case Answer::kYes:
      return open->SaveOpenTitle(path);
    case Answer::kNo:
      return kOk;
    default:
      return kCancelled;
  }
}

Status DeleteTitle(const std::string& path, Prompter* prompter) {
  if (prompter && prompter->Ask(MessageId::kDeleteTitle, "Delete",
                                TitleFateLine(path, "will be deleted.")) != Answer::kYes)
    return kCancelled;
  return ::unlink(path.c_str()) == 0 ? kOk : kFailed;
}

bool MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without an exclusive rename: a hard link fails on an existing
  // name just the same; where there are no links either, check, then move.
  if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0;
  if (errno == EEXIST || Exists(to)) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
}

Status RenameTitle(const std::string& path, const std::string& new_name, std::string* new_path,
                   Prompter* prompter, std::string* why) {
  const fs::path source(path);
  const std::string name = CleanName(new_name);
  if (name.empty()) {
    if (why) *why = "A title needs a name.";
    return kRenameFailed;
  }
  const fs::path target = source.parent_path() / (name + ".orb");
  // Renaming a title to its own name moves nothing.
  if (target.filename() != source.filename() &&
      !MoveWithoutReplacing(source.string(), target.string())) {
    const int error = errno;
    if (why) {
      *why = error == EEXIST || Exists(target)
                 ? "The name \"" + name + "\" is in use."
                 : target.filename().string() + ": " + std::strerror(error) + ".";
    }
    return kRenameFailed;
  }
  if (new_path) *new_path = target.string();
  return StampTitle(target.string(), -1, prompter);
}

Status AskRenameTitle(const std::string& path, Prompter* prompter, std::string* new_path,
                      std::string* why) {
  std::string name = TitleNameOf(path);
  if (!prompter || !prompter->TitleNameDialog(name)) return kCancelled;
  return RenameTitle(path, name, new_path, prompter, why);
}

Status CreateTemporaryTitle(const std::string& path, DiskFile& file, std::string& temporary) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate =
        path + "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
    if (file.Open(candidate, DiskFile::Mode::kCreateNew)) {
      temporary = std::move(candidate);
      return kOk;
    }
    if (errno != EEXIST) break;
  }
  return kCantOpenDestination;
}

namespace {

// A copy of the title file source under a temporary name beside target. It is completed and
// named inside before it takes its place, so that the library never shows a partial copy or
// one with a foreign name.
Status CopyBeside(const std::string& source, const std::string& target, std::string& temporary,
                  Prompter* prompter) {
  BusyScope busy(prompter);
  DiskFile in, out;
  if (!in.Open(source, DiskFile::Mode::kRead)) return kCantOpenSource;
  if (CreateTemporaryTitle(target, out, temporary) != kOk) return kCantOpenDestination;
  std::vector<std::uint8_t> buffer(64 * 1024);
  bool ok = true;
  while (ok) {
    const std::size_t got = in.Read(buffer.data(), buffer.size());
    if (got == 0) break;
    ok = out.Write(buffer.data(), got) == got;
  }
  const bool flushed = ok && out.Flush();
  if (!out.Close() || !flushed) {
    ::unlink(temporary.c_str());
    return kWriteError;
  }
  return kOk;
}

}  // namespace

Status BackupTitle(const std::string& path, std::string* new_path, Prompter* prompter) {
  fs::path copy;
  {
    BusyScope busy(prompter);
    const fs::path source(path);
    const std::string file_name = source.filename().string();
    for (int n = 1; n <= 99 && copy.empty(); ++n) {
      fs::path name = ("copy" + std::to_string(n) + " " + file_name).substr(0, 23);
      name.replace_extension(".orb");
      if (!Exists(source.parent_path() / name)) copy = source.parent_path() / name;
    }
  }
  if (copy.empty()) return kFailed;
  std::string temporary;
  if (CopyBeside(path, copy.string(), temporary, prompter) != kOk) return kFailed;
  Status status = StampTitle(temporary, -1, prompter);
  if (status == kOk && !MoveWithoutReplacing(temporary, copy.string())) status = kFailed;
  if (status != kOk) {
    ::unlink(temporary.c_str());
    return status;
  }
  if (new_path) *new_path = copy.string();
  return kOk;
}

Status AddTitleFile(const std::string& source, const std::string& library_folder,
                    Prompter* prompter, const OpenTitles* open, std::string* new_path) {
  {
    Title whole;
    const Status status = whole.OpenTitle(source);
    if (status != kOk) return status;
  }
  std::string name = TitleNameOf(source);
  if (name.empty()) name = fs::path(source).stem().string();
  std::string path = (fs::path(library_folder) / (SanitizeTitleName(name) + ".orb")).string();
  Status status = AskTitleName(path, prompter);
  if (status != kOk) return status;
  if (!SameTitleFile(path, source)) {
    status = RefuseOpenTitle(open, path, "Import", prompter);
    std::string temporary;
    if (status == kOk) status = CopyBeside(source, path, temporary, prompter);
    if (status != kOk) return status;
    status = StampTitle(temporary, -1, prompter);
    if (status == kOk && std::rename(temporary.c_str(), path.c_str()) != 0)
      status = kCantOpenDestination;
    if (status != kOk) {
      ::unlink(temporary.c_str());
      return status;
    }
  }
  if (new_path) *new_path = path;
  return kOk;
}

Status LockTitle(const std::string& path, bool locked, Prompter* prompter) {
  return StampTitle(path, locked ? 1 : 0, prompter);
}

bool HasTitleExtension(const std::string& file_name) {
  return file_name.size() >= 4 && Lower(file_name.substr(file_name.size() - 4)) == ".orb";
}

bool MatchesTitleFilter(const std::string& name, const std::string& filter) {
  return Lower(name).find(Lower(filter)) != std::string::npos;
}

std::vector<LibraryEntry> ListTitles(const std::string& folder) {
  std::vector<LibraryEntry> titles;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string file_name = it->path().filename().string();
    if (!HasTitleExtension(file_name)) continue;
    std::error_code type_error;
    if (!it->is_regular_file(type_error)) continue;
    TitleInfo info;
    const bool locked =
        ReadTitleInfo(it->path().string(), info) == kOk && TitleInfoView(info).Locked();
    titles.push_back({TitleNameOf(file_name), it->path().string(), locked});
  }
  std::sort(titles.begin(), titles.end(), [](const LibraryEntry& a, const LibraryEntry& b) {
    const std::string la = Lower(a.name), lb = Lower(b.name);
    return la != lb ? la < lb : a.name < b.name;
  });
  return titles;
}

}  // namespace orb
