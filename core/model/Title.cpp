#include "core/model/Title.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <utility>

#include "core/model/Q730.h"

namespace orb {

Title::Title() {
  CreateObjects();
}

void Title::CreateObjects() {
  lists_.system = std::make_unique<TQ730SYSF>();
  lists_.snapshots = std::make_unique<TQ730SNAP>();
  lists_.cues = std::make_unique<TQ730CUE>();
  lists_.dynamics = std::make_unique<TQ730DYLIB>();
  lists_.eq = std::make_unique<TQ730EQLIB>();
  lists_.automation = std::make_unique<TQ730AUTO>();
  lists_.PointAtOwnSystem();
}

TQ730* TitleLists::List(int n) const {
  switch (n) {
    case 0:
      return system.get();
    case 1:
      return snapshots.get();
    case 2:
      return cues.get();
    case 3:
      return dynamics.get();
    case 4:
      return eq.get();
    case 5:
      return automation.get();
    default:
      return nullptr;
  }
}

void TitleLists::PointAtOwnSystem() {
  for (int n = 0; n < kCount; ++n) {
    if (TQ730* list = List(n)) list->SetSystem(system.get());
  }
}

void Title::ExchangeLists(TitleLists& lists) {
  if (!lists.Complete()) return;
  std::swap(lists_, lists);
  lists_.PointAtOwnSystem();
  lists.PointAtOwnSystem();
}

Status Title::OpenTitle(const std::string& path) {
  CreateObjects();
  path_ = path;
  modified_ = false;
  DiskFile file;
  if (!file.Open(path, DiskFile::Mode::kRead)) return kCantOpenSource;
  return LoadChunks(file);
}

Status Title::LoadChunks(DataFile& file) {
  Status status = System().Load(file);
  if (status == kOk) status = Snapshots().Load(file);
  if (status == kOk) status = Cues().Load(file);
  if (status == kOk) status = Dynamics().Load(file);
  if (status == kOk) status = Eq().Load(file);
  // gfed.dat is optional: a foreign chunk stays in place for auto.dat.
  if (status == kOk) status = System().LoadGroupFaders(file);
  if (status == kOk) status = Automation().Load(file);
  System().CompleteGroupFaders();
  Cues().ResolveReferences(Snapshots(), Eq(), Dynamics());
  return status;
}

std::uint16_t Title::SizeInKB() const {
  return SizeInKB(static_cast<std::uint32_t>(lists_.automation->StreamWordCount()));
}

std::uint16_t Title::SizeInKB(std::uint32_t automation_words) const {
  std::uint64_t bytes = TQ730AUTO::kFixedBodySize + 4ull * automation_words;
  for (int n = 0; n < kListCount - 1; ++n) bytes += lists_.List(n)->DataSize();
  return static_cast<std::uint16_t>(bytes / 1024);
}

Status Title::WriteChunks(DataFile& file) {
  Status status = System().Save(file);
  if (status == kOk) status = Snapshots().Save(file);
  if (status == kOk) status = Cues().Save(file);
  if (status == kOk) status = Dynamics().Save(file);
  if (status == kOk) status = Eq().Save(file);
  if (status == kOk) status = System().SaveGroupFaders(file);
  if (status == kOk) status = Automation().Save(file);
  return status;
}

Status Title::SaveTitle(Prompter* prompter) {
  const std::uint32_t words = static_cast<std::uint32_t>(Automation().StreamWordCount());
  if (!TQ730AUTO::StreamSaves(words)) {
    if (prompter) {
      prompter->Message("Too many automation data.\nYou must delete " +
                            std::to_string(words - kMaxAutomationWords) + " events at least.",
                        "Error", Buttons::kOk);
    }
    return kCancelled;
  }
  BusyScope busy(prompter);
  TitleInfoWriter info = System().Info();
  info.SetSizeKB(SizeInKB(words));
  info.SetSaveDate(LocalSecondsNow());

  ReplacingFile file;
  Status status = file.Begin(path_);
  if (status == kOk) status = WriteChunks(file);
  if (status == kOk) status = file.Commit();
  if (status == kOk) modified_ = false;
  return status;
}

Status Title::SaveTitleAs(const std::string& path, Prompter* prompter) {
  const std::span<std::uint8_t> name = System().Info().Bytes(TitleInfoView::kName);
  const std::string old_path = path_;
  std::array<std::uint8_t, TitleInfoView::kName.width> old_name;
  std::ranges::copy(name, old_name.begin());
  path_ = path;
  System().Info().SetName(TitleNameOf(path));
  const Status status = SaveTitle(prompter);
  if (status != kOk) {
    // Nothing was written: the title stays what it was.
    path_ = old_path;
    std::ranges::copy(old_name, name.begin());
  }
  return status;
}

std::string TitleNameOf(const std::string& path) {
  const std::string file = std::filesystem::path(path).filename().string();
  std::string upper = file;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const std::size_t at = upper.find(".ORB");
  return at == std::string::npos ? std::string() : file.substr(0, at);
}

namespace {

constexpr char kSystemChunk[] = "SYSF.DAT";
constexpr std::size_t kNameLength = 8;

// Finds the first "sysf.dat" in the file (case-insensitive), reads its size
// field and leaves the file at the chunk's body. In a well-formed title file
// the name is at offset 0.
Status FindSystemChunk(DataFile& file, std::uint32_t& size) {
  if (!file.SeekTo(0)) return kReadError;
  std::vector<std::uint8_t> buffer(64 * 1024);
  std::uint64_t buffer_start = 0;
  std::size_t kept = 0;
  for (;;) {
    const std::size_t got = file.Read(buffer.data() + kept, buffer.size() - kept);
    const std::size_t filled = kept + got;
    for (std::size_t i = 0; i + kNameLength <= filled; ++i) {
      std::size_t k = 0;
      while (k < kNameLength && std::toupper(buffer[i + k]) == kSystemChunk[k]) ++k;
      if (k < kNameLength) continue;
      std::uint8_t field[4];
      if (!file.SeekTo(buffer_start + i + 12) || file.Read(field, 4) != 4) return kReadError;
      size = GetU32(field);
      return kOk;
    }
    if (got == 0) return kFailed;
    // Keep the tail that could begin a name split across two reads.
    const std::size_t tail = std::min(filled, kNameLength - 1);
    std::copy(buffer.begin() + (filled - tail), buffer.begin() + filled, buffer.begin());
    buffer_start += filled - tail;
    kept = tail;
  }
}

}  // namespace

Status ReadTitleInfo(const std::string& path, TitleInfo& info) {
  DiskFile file;
  if (!file.Open(path, DiskFile::Mode::kRead)) return kCantOpenSource;
  std::uint32_t size = 0;
  const Status status = FindSystemChunk(file, size);
  if (status != kOk) return status;
  return file.Read(info.data(), info.size()) == info.size() ? kOk : kCantOpenSource;
}

std::string TitleDamage(const std::string& path) {
  DiskFile file;
  if (!file.Open(path, DiskFile::Mode::kRead)) return "The file cannot be read.";
  constexpr const char* kOrder[] = {"sysf.dat",  "snap.dat", "cue.dat", "dylib.dat",
                                    "eqlib.dat", "gfed.dat", "auto.dat"};
  for (std::size_t next = 0; next < std::size(kOrder); ++next) {
    const std::uint64_t left = file.Remaining();
    ChunkHeader header;
    if (left < header.bytes.size() ||
        file.Read(header.bytes.data(), header.bytes.size()) != header.bytes.size())
      return std::string("Damaged: the file ends before ") + kOrder[next] + ".";
    std::string name = header.Name();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name != kOrder[next] && std::string_view(kOrder[next]) == "gfed.dat") ++next;
    if (name != kOrder[next]) {
      return "Damaged: " + (name.empty() ? std::string("a chunk without a name") : name) +
             " stands where " + kOrder[next] + " belongs.";
    }
    if (header.Size() > file.Remaining()) {
      return "Damaged: " + name + " is cut off (" + std::to_string(file.Remaining()) + " of " +
             std::to_string(header.Size()) + " bytes).";
    }
    file.Skip(header.Size());
  }
  return "";
}

Status StampTitle(const std::string& path, int lock, Prompter* prompter) {
  BusyScope busy(prompter);
  const std::string name = TitleNameOf(path);
  DiskFile file;
  if (!file.Open(path, DiskFile::Mode::kReadWrite)) return kCantOpenDestination;
  std::uint32_t size = 0;
  Status status = FindSystemChunk(file, size);
  if (status != kOk) return status;
  const std::uint64_t body = file.Position();
  TitleInfo info;
  if (size < kTitleInfoSize + 2 || file.Read(info.data(), info.size()) != info.size())
    return kReadError;
  TitleInfoWriter stamp(info);
  stamp.SetName(name);
  if (lock >= 0) stamp.SetLock(lock);
  if (!file.SeekTo(body) || file.Write(info.data(), info.size()) != info.size()) return kWriteError;

  // The checksum over the whole body, streamed: the size field comes from the file.
  if (!file.SeekTo(body)) return kReadError;
  std::uint32_t sum = 0;
  std::uint64_t left = size - 2;
  std::vector<std::uint8_t> chunk(64 * 1024);
  while (left > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
    if (file.Read(chunk.data(), want) != want) return kReadError;
    for (std::size_t i = 0; i < want; ++i) sum += chunk[i];
    left -= want;
  }
  std::uint8_t field[2];
  PutU16(field, sum);
  if (!file.SeekTo(body + size - 2) || file.Write(field, 2) != 2) return kWriteError;
  return file.Close() ? kOk : kWriteError;
}

std::uint32_t LocalSecondsNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(now) + local.tm_gmtoff);
}

namespace {

// Gregorian date of a day count from 1970-01-01.
void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

}  // namespace

TitleInfoTexts DescribeTitle(const TitleInfo& info) {
  const TitleInfoView fields(info);
  TitleInfoTexts texts;
  texts.name = fields.Name();
  texts.size = std::to_string(fields.SizeKB()) + "KB";
  int year = 0, month = 0, day = 0;
  CivilFromDays(fields.SaveDate() / 86400, year, month, day);
  std::tm date{};
  date.tm_year = year - 1900;
  date.tm_mon = month - 1;
  date.tm_mday = day;
  char text[64];
  texts.date = std::strftime(text, sizeof text, "%x", &date) ? text : "";
  texts.initial_cue = FormatTC(FromBCD(fields.InitialCue()));
  texts.tc_mode = TCModeName(fields.TimecodeMode());
  texts.fs = SampleRateName(fields.SampleRateMode());
  texts.memo = fields.Memo();
  texts.locked = fields.Locked();
  return texts;
}

}  // namespace orb
