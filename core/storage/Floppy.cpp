#include "core/storage/Floppy.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "core/model/DebugLog.h"
#include "core/model/Q730classes.h"
#include "core/model/Title.h"
#include "core/storage/Library.h"

namespace orb {
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCopyBlock = 64 * 1024;
constexpr const char* kFirstDiskFiles[] = {"sysf.dat", "snap.dat", "cue.dat", "dylib.dat",
                                           "eqlib.dat"};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
  return text;
}

// Only plain files count: a folder or a device under a data file's name is not
// one, and opening a pipe would wait for ever.
bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool OpenSource(const fs::path& path, DiskFile& file) {
  return IsFile(path) && file.Open(path.string(), DiskFile::Mode::kRead);
}

// Copies count bytes; the size comes from a file, so it moves in blocks.
Status CopyBytes(DataFile& from, DataFile& to, std::uint64_t count) {
  std::vector<std::uint8_t> buffer(
      static_cast<std::size_t>(std::min<std::uint64_t>(count, kCopyBlock)));
  while (count > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(count, kCopyBlock));
    if (from.Read(buffer.data(), want) != want) return kReadError;
    if (to.Write(buffer.data(), want) != want) return kWriteError;
    count -= want;
  }
  return kOk;
}

// The replacing file's own failures in the terms of an extraction.
Status Finish(ReplacingFile& out, Status status) {
  if (status != kOk) return status;
  status = out.Commit();
  return status == kRenameFailed ? kCantOpenDestination : status;
}

// A data file of a set in a folder. A floppy written by the console and mounted here may show
// its names in upper case (SYSF.DAT), and the console's own platform never told them apart: the
// exact name wins, then any entry that matches it ignoring case.
fs::path DataFileIn(const fs::path& folder, const char* name) {
  const fs::path exact = folder / name;
  std::error_code error;
  if (fs::exists(exact, error)) return exact;
  const std::size_t length = std::strlen(name);
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end;
       !error && it != end; it.increment(error)) {
    const std::string entry = it->path().filename().string();
    if (entry.size() == length && ::strncasecmp(entry.c_str(), name, length) == 0)
      return it->path();
  }
  return exact;
}

// Why a data file of a set cannot be opened, naming the file and its folder.
std::string SourceProblem(const fs::path& file) {
  const std::string name = file.filename().string();
  const std::string folder = "the folder " + file.parent_path().string();
  std::error_code error;
  const fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) return "There is no " + name + " in " + folder + ".";
  if (!fs::is_regular_file(status)) return name + " in " + folder + " is not a plain file.";
  DiskFile probe;
  if (!probe.Open(file.string(), DiskFile::Mode::kRead))
    return name + " in " + folder + ": " + std::strerror(errno) + ".";
  return name + " in " + folder + " could not be read whole.";
}

// The set identity: the save date in a sysf.dat.
bool ReadIdentity(const fs::path& sysf, std::uint32_t& identity) {
  DiskFile file;
  TitleInfo head{};
  // Only as far as the date, which is all the identity needs.
  const std::size_t length = TitleInfoView::kSaveDate.at + TitleInfoView::kSaveDate.width;
  if (!OpenSource(sysf, file) || file.Read(head.data(), length) != length) return false;
  identity = TitleInfoView(head).SaveDate();
  return true;
}

Status WriteIdentity(const fs::path& path, std::uint32_t identity) {
  std::uint8_t bytes[4];
  PutU32(bytes, identity);
  ReplacingFile out;
  if (out.Begin(path.string()) != kOk) return kCantOpenDestination;
  return Finish(out, out.Write(bytes, sizeof bytes) == sizeof bytes ? kOk : kWriteError);
}

// A title file must hold every data file but gfed.dat: a chunk missing from
// its place is a wrong chunk name, not an empty disk.
Status ExtractRequired(DataFile& title, const fs::path& destination, Prompter* prompter) {
  bool copied = false;
  const Status status = ExtractChunk(title, destination.string(), prompter, &copied);
  return status == kOk && !copied ? kReadError : status;
}

// Removes a data file that does not belong to the set being written; one that cannot be
// removed fails the export rather than leave a set that imports wrongly.
Status RemoveStale(const fs::path& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return kOk;
  return kCantOpenDestination;
}

bool Confirm(Prompter* prompter, MessageId message, const char* caption) {
  return prompter && prompter->Ask(message, caption, "") == Answer::kOk;
}

std::string Quoted(const char* what, const std::string& text) {
  return what + ("\"" + text + "\".");
}

// A first disk holds the five leading files and auto.dat (one disk) or
// next.dat (two disks); auto.dat wins when both are there.
bool IsFirstDisk(const fs::path& folder, bool& two_disks) {
  for (const char* name : kFirstDiskFiles)
    if (!IsFile(DataFileIn(folder, name))) return false;
  two_disks = !IsFile(DataFileIn(folder, "auto.dat"));
  return !two_disks || IsFile(DataFileIn(folder, "next.dat"));
}

// kOk for the second disk of this set, kNothingFound for anything else.
Status CheckSecondDisk(const fs::path& folder, std::uint32_t identity) {
  for (const char* name : {"sysf.dat", "auto.dat", "prev.dat"})
    if (!IsFile(DataFileIn(folder, name))) return kNothingFound;
  std::uint32_t found = 0;
  if (!ReadIdentity(DataFileIn(folder, "sysf.dat"), found)) return kCantOpenSource;
  return found == identity ? kOk : kNothingFound;
}

// The folder of a data file the user points at in the import's file dialog.
bool ChooseFolder(Prompter* prompter, bool open_dialog, fs::path& folder) {
  std::string chosen;
  if (!open_dialog || !prompter || !prompter->ChooseFile(kImportFileDialog, chosen)) return false;
  folder = fs::path(chosen).parent_path();
  return true;
}

Status FindSecondDisk(fs::path& folder, std::uint32_t identity, Prompter* prompter,
                      bool open_dialog) {
  for (;;) {
    LogLine("Checking second disk.");
    Status status = CheckSecondDisk(folder, identity);
    if (status != kNothingFound) return status;
    if (!Confirm(prompter, MessageId::kInsertSecondDisk, "Import")) return kCancelled;
    LogLine("Checking second disk.");
    status = CheckSecondDisk(folder, identity);
    if (status != kNothingFound) return status;
    if (!ChooseFolder(prompter, open_dialog, folder)) return kCancelled;
  }
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Everything after the title name was settled: the set into a temporary file,
// checked, named and moved into the library only when all of it succeeded.
Status BuildTitle(fs::path source, const std::string& path, Prompter* prompter, bool open_dialog,
                  std::string* detail) {
  std::uint32_t identity = 0;
  bool two_disks = false;
  LogLine("Checking first disk.");
  while (!IsFirstDisk(source, two_disks)) {
    if (!Confirm(prompter, MessageId::kInsertFirstDisk, "Import")) return kCancelled;
    if (IsFirstDisk(source, two_disks)) break;
    // A folder does not change by itself as a drive does: let the user point at another.
    if (!ChooseFolder(prompter, open_dialog, source)) return kCancelled;
  }
  if (!ReadIdentity(DataFileIn(source, "sysf.dat"), identity)) {
    if (detail) *detail = SourceProblem(DataFileIn(source, "sysf.dat"));
    return kCantOpenSource;
  }

  LogLine(Quoted("Destination file name is ", path));
  DiskFile file;
  std::string temporary;
  if (CreateTemporaryTitle(path, file, temporary) != kOk) return kCantOpenDestination;
  LogLine("Importing...");
  Status status = kOk;
  for (const char* name : kFirstDiskFiles) {
    status = AppendFile(file, DataFileIn(source, name).string(), name);
    if (status == kCantOpenSource && detail) *detail = SourceProblem(DataFileIn(source, name));
    if (status != kOk) break;
  }
  if (status == kOk) {
    // gfed.dat is optional, but one that is there must come in whole.
    const Status gfed = AppendFile(file, DataFileIn(source, "gfed.dat").string(), "gfed.dat");
    if (gfed != kCantOpenSource) status = gfed;
  }
  if (status == kOk && two_disks) status = FindSecondDisk(source, identity, prompter, open_dialog);
  if (status == kOk) {
    LogLine("Importing automation data...");
    status = AppendFile(file, DataFileIn(source, "auto.dat").string(), "auto.dat");
    if (status == kCantOpenSource && detail)
      *detail = SourceProblem(DataFileIn(source, "auto.dat"));
  }
  if (status == kOk) {
    // Data files the editor could not open are not a title.
    Title check;
    status = file.SeekTo(0) ? check.LoadChunks(file) : kReadError;
  }
  if (status == kOk && !file.Flush()) status = kWriteError;
  if (!file.Close() && status == kOk) status = kWriteError;
  if (status == kOk) status = StampTitle(temporary, -1, prompter);
  if (status == kOk && std::rename(temporary.c_str(), path.c_str()) != 0)
    status = kCantOpenDestination;
  if (status == kOk) {
    SyncFolder(fs::path(path).parent_path());
  } else {
    ::unlink(temporary.c_str());
  }
  LogLine("Import finished...");
  return status;
}

}  // namespace

Status ExtractChunk(DataFile& title, const std::string& destination, Prompter* prompter,
                    bool* copied) {
  if (copied) *copied = false;
  ChunkHeader header;
  if (title.Read(header.bytes.data(), header.bytes.size()) != header.bytes.size())
    return kReadError;
  if (Lower(header.Name()) != fs::path(destination).filename().string()) {
    title.Skip(-static_cast<std::int64_t>(header.bytes.size()));
    return kOk;
  }
  BusyScope busy(prompter);
  // A file replaced only when complete: a failed export spoils no earlier set.
  ReplacingFile out;
  if (out.Begin(destination) != kOk) return kCantOpenDestination;
  const Status status = Finish(out, CopyBytes(title, out, header.Size()));
  if (copied) *copied = status == kOk;
  return status;
}

Status AppendFile(DataFile& title, const std::string& source, const std::string& chunk_name) {
  DiskFile in;
  if (!OpenSource(source, in)) return kCantOpenSource;
  const std::uint64_t length = in.Remaining();
  if (length > UINT32_MAX) return kReadError;
  ChunkHeader header;
  header.SetName(chunk_name.empty() ? fs::path(source).filename().string() : chunk_name);
  header.SetSize(static_cast<std::uint32_t>(length));
  if (title.Write(header.bytes.data(), header.bytes.size()) != header.bytes.size())
    return kWriteError;
  return CopyBytes(in, title, length);
}

Status ExportTitle(const std::string& title_path, const std::string& folder, bool single,
                   Prompter* prompter, const std::string& second_folder) {
  DiskFile file;
  if (!file.Open(title_path, DiskFile::Mode::kRead)) return kCantOpenSource;
  const bool two_disks = file.Remaining() > kSingleDiskLimit && !single;
  file.Close();

  TitleInfo info;
  Status status = ReadTitleInfo(title_path, info);
  if (status != kOk) return status;
  // The whole title first: a damaged one is neither stamped nor written half onto a disk.
  {
    Title whole;
    status = whole.OpenTitle(title_path);
    if (status != kOk) return status;
  }
  const std::uint32_t identity = TitleInfoView(info).SaveDate();
  status = StampTitle(title_path, -1, prompter);
  if (status != kOk) return status;

  if (!file.Open(title_path, DiskFile::Mode::kRead)) return kCantOpenSource;
  LogLine("A");
  const fs::path first(folder);
  for (const char* name : kFirstDiskFiles) {
    status = ExtractRequired(file, first / name, prompter);
    if (status != kOk) return status;
  }
  // A title without gfed.dat writes none; one that has it must write it whole.
  bool with_gfed = false;
  status = ExtractChunk(file, (first / "gfed.dat").string(), prompter, &with_gfed);
  if (status != kOk) return status;
  // What an earlier set left on the disk would join this one on import: an old auto.dat
  // makes the first of two disks read as a whole set with the old automation, an old gfed.dat
  // brings old group-fader levels.
  for (const char* name : {"prev.dat", two_disks ? "auto.dat" : "next.dat"}) {
    status = RemoveStale(first / name);
    if (status != kOk) return status;
  }
  if (!with_gfed) {
    status = RemoveStale(first / "gfed.dat");
    if (status != kOk) return status;
  }

  fs::path last = first;
  if (two_disks) {
    status = WriteIdentity(first / "next.dat", identity);
    if (status != kOk) return status;
    if (!Confirm(prompter, MessageId::kInsertSecondDisk, "Export")) return kCancelled;
    if (!second_folder.empty()) last = second_folder;
    status = WriteIdentity(last / "prev.dat", identity);
    if (status != kOk) return status;
  }
  status = ExtractRequired(file, last / "auto.dat", prompter);
  if (status == kOk && two_disks) {
    status = file.SeekTo(0) ? ExtractRequired(file, last / "sysf.dat", prompter) : kReadError;
  }
  return status;
}

Status ImportTitle(const std::string& source_folder, const std::string& library_folder,
                   Prompter* prompter, bool open_dialog, std::string* new_path,
                   std::string* detail) {
  LogLine("Import started...");
  LogLine(Quoted("Source path is ", source_folder));
  LogLine(Quoted("Destination path is ", library_folder));

  const fs::path source(source_folder);
  DiskFile sysf;
  TitleInfo info;
  if (!OpenSource(DataFileIn(source, "sysf.dat"), sysf) ||
      sysf.Read(info.data(), info.size()) != info.size()) {
    if (detail) *detail = SourceProblem(DataFileIn(source, "sysf.dat"));
    return kCantOpenSource;
  }
  sysf.Close();
  // A name slot without its terminating zero gives its first 23 characters.
  const std::string name =
      SanitizeTitleName(TitleInfoView(info).Name().substr(0, kTitleNameMaxLength));
  LogLine(Quoted("Default TITLE name is ", name));
  std::string path = (fs::path(library_folder) / (name + ".orb")).string();
  Status status = AskTitleName(path, prompter);
  if (status != kOk) return status;

  status = BuildTitle(source, path, prompter, open_dialog, detail);
  if (status == kOk && new_path) *new_path = path;
  return status;
}

}  // namespace orb
