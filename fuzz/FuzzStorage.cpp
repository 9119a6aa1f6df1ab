#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/model/DebugLog.h"
#include "core/model/Title.h"
#include "core/storage/Floppy.h"
#include "fuzz/FuzzTargets.h"

namespace orb {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kFirstDisk[] = {"sysf.dat",  "snap.dat", "cue.dat",  "dylib.dat",
                                      "eqlib.dat", "gfed.dat", "auto.dat", "next.dat"};
constexpr const char* kSecondDisk[] = {"sysf.dat", "auto.dat", "prev.dat"};
const Bytes kOldTitle = {'o', 'l', 'd', ' ', 't', 'i', 't', 'l', 'e'};

void Check(bool condition) {
  if (!condition) std::abort();
}

// One folder per process, so that parallel fuzzing jobs keep apart; removed at exit.
struct Workspace {
  fs::path root = fs::temp_directory_path() / ("orb_fuzz_import_" + std::to_string(::getpid()));
  fs::path disk1 = root / "disk1", disk2 = root / "disk2", library = root / "library",
           out = root / "out";
  ~Workspace() {
    std::error_code error;
    fs::remove_all(root, error);
  }
  void Reset() const {
    fs::remove_all(root);
    for (const fs::path& folder : {disk1, disk2, library, out}) fs::create_directories(folder);
  }
};

const Workspace& Space() {
  static const Workspace space;
  space.Reset();
  return space;
}

void WriteFile(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::map<std::string, Bytes> Contents(const fs::path& folder) {
  std::map<std::string, Bytes> files;
  for (const auto& item : fs::directory_iterator(folder)) {
    std::ifstream in(item.path(), std::ios::binary);
    files[item.path().filename().string()] = {std::istreambuf_iterator<char>(in),
                                              std::istreambuf_iterator<char>()};
  }
  return files;
}

// Answers as a patient user would, but never forever: the first disk is
// never changed, the second is looked for once with the file dialog.
class FuzzPrompter : public Prompter {
 public:
  explicit FuzzPrompter(std::string second) : second_(std::move(second)) {}
  Answer Ask(MessageId id, const std::string&, const std::string&) override {
    if (id == MessageId::kFileExists) return Answer::kYes;
    if (id == MessageId::kInsertSecondDisk) return Answer::kOk;
    return Answer::kCancel;
  }
  Answer Message(const std::string&, const std::string&, Buttons) override {
    return Answer::kCancel;
  }
  bool TitleNameDialog(std::string& text) override {
    if (named_) return false;
    named_ = true;
    text = "Fuzz";
    return true;
  }
  bool ChooseFile(const FileDialog&, std::string& path) override {
    if (chose_) return false;
    chose_ = true;
    path = second_;
    return true;
  }

 private:
  std::string second_;
  bool named_ = false;
  bool chose_ = false;
};

}  // namespace

int FuzzFolderImport(const std::uint8_t* data, std::size_t size) {
  const Workspace& space = Space();
  // Byte 0 chooses the files of the first disk, byte 1 those of the second
  // (bits 0-2) and whether the library already holds the title (bit 3).
  // Then each chosen file: a 24-bit length and its bytes.
  const std::uint8_t first = size > 0 ? data[0] : 0;
  const std::uint8_t second = size > 1 ? data[1] : 0;
  std::size_t at = std::min<std::size_t>(size, 2);
  auto place = [&](const fs::path& folder, const char* const* names, int count, std::uint8_t mask) {
    for (int i = 0; i < count; ++i) {
      if (!(mask & (1u << i))) continue;
      std::size_t length = 0;
      for (int k = 0; k < 3 && at < size; ++k)
        length |= static_cast<std::size_t>(data[at++]) << (8 * k);
      length = std::min(length, size - at);
      WriteFile(folder / names[i], data + at, length);
      at += length;
    }
  };
  place(space.disk1, kFirstDisk, 8, first);
  place(space.disk2, kSecondDisk, 3, second);
  const fs::path target = space.library / "Fuzz.orb";
  if (second & 8) WriteFile(target, kOldTitle.data(), kOldTitle.size());
  const auto before = Contents(space.library);

  FuzzPrompter prompter((space.disk2 / "sysf.dat").string());
  std::string path;
  const Status status =
      ImportTitle(space.disk1.string(), space.library.string(), &prompter, true, &path);
  const auto after = Contents(space.library);
  if (status != kOk) {
    Check(after == before);
  } else {
    // Exactly the new title, complete: it loads, carries its name and exports.
    Check(path == target.string());
    Check(after.size() == 1 && after.count("Fuzz.orb") == 1);
    Title title;
    Check(title.OpenTitle(path) == kOk);
    TitleInfo info;
    Check(ReadTitleInfo(path, info) == kOk && DescribeTitle(info).name == "Fuzz");
    Check(ExportTitle(path, space.out.string(), true, nullptr) == kOk);
    Check(Contents(space.out).count("auto.dat") == 1);
  }
  while (!NextLogLine().empty()) {
  }
  return 0;
}

}  // namespace orb
