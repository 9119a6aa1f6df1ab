#include "core/model/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace orb {

std::size_t MemoryFile::Read(void* destination, std::size_t count) {
  if (count == 0 || position_ >= bytes_.size()) return 0;
  const std::size_t n = std::min(count, bytes_.size() - position_);
  std::memcpy(destination, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

std::size_t MemoryFile::Write(const void* source, std::size_t count) {
  const std::size_t allowed = write_limit_ > written_ ? write_limit_ - written_ : 0;
  const std::size_t n = std::min(count, allowed);
  if (n == 0) return 0;
  if (bytes_.size() < position_ + n) bytes_.resize(position_ + n);
  std::memcpy(bytes_.data() + position_, source, n);
  position_ += n;
  written_ += n;
  return n;
}

bool MemoryFile::Skip(std::int64_t delta) {
  if (delta < 0 && static_cast<std::uint64_t>(-delta) > position_) return false;
  return SeekTo(position_ + delta);
}

bool MemoryFile::SeekTo(std::uint64_t position) {
  position_ = static_cast<std::size_t>(position);
  return true;
}

DiskFile::~DiskFile() {
  Close();
}

bool DiskFile::Open(const std::string& path, Mode mode) {
  Close();
  last_was_write_ = false;
  if (mode == Mode::kCreateNew) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    file_ = ::fdopen(fd, "w+b");
    if (!file_) ::close(fd);
    return file_ != nullptr;
  }
  if (mode == Mode::kCreate) {
    file_ = std::fopen(path.c_str(), "w+b");
    return file_ != nullptr;
  }
  // What is read must be a plain file: a FIFO would block the open and the reads, a device
  // such as /dev/zero would never end. Opened without blocking, looked at, then used.
  const int fd =
      ::open(path.c_str(), (mode == Mode::kRead ? O_RDONLY : O_RDWR) | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    errno = EINVAL;
    return false;
  }
  file_ = ::fdopen(fd, mode == Mode::kRead ? "rb" : "r+b");
  if (!file_) ::close(fd);
  return file_ != nullptr;
}

bool DiskFile::Flush() {
  if (!file_) return false;
  return std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
}

bool DiskFile::Close() {
  if (!file_) return true;
  const bool ok = std::fclose(file_) == 0;
  file_ = nullptr;
  return ok;
}

std::size_t DiskFile::Read(void* destination, std::size_t count) {
  if (!file_ || count == 0) return 0;
  // A stream switching from writing to reading needs a positioning call between.
  if (last_was_write_) std::fseek(file_, 0, SEEK_CUR);
  last_was_write_ = false;
  return std::fread(destination, 1, count, file_);
}

std::size_t DiskFile::Write(const void* source, std::size_t count) {
  if (!file_ || count == 0) return 0;
  if (!last_was_write_) std::fseek(file_, 0, SEEK_CUR);
  last_was_write_ = true;
  return std::fwrite(source, 1, count, file_);
}

bool DiskFile::Skip(std::int64_t delta) {
  if (!file_) return false;
  const std::uint64_t here = Position();
  if (delta < 0 && static_cast<std::uint64_t>(-delta) > here) return false;
  return SeekTo(here + delta);
}

bool DiskFile::SeekTo(std::uint64_t position) {
  if (!file_) return false;
  last_was_write_ = false;
  return fseeko(file_, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::uint64_t DiskFile::Position() const {
  if (!file_) return 0;
  const off_t at = ftello(file_);
  return at < 0 ? 0 : static_cast<std::uint64_t>(at);
}

std::uint64_t DiskFile::Remaining() const {
  struct stat info;
  if (!file_ || ::fstat(fileno(file_), &info) != 0) return 0;
  const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
  const std::uint64_t at = Position();
  return at < size ? size - at : 0;
}

ReplacingFile::~ReplacingFile() {
  Abandon();
}

Status ReplacingFile::Begin(const std::string& target) {
  Abandon();
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path path(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "." + path.filename().string() + "." + std::to_string(::getpid()) + "." +
                       std::to_string(counter++) + ".tmp";
    std::string candidate = (path.parent_path() / name).string();
    if (file_.Open(candidate, DiskFile::Mode::kCreateNew)) {
      target_ = target;
      temporary_ = std::move(candidate);
      return kOk;
    }
    if (errno != EEXIST) break;
  }
  return kCantOpenDestination;
}

Status ReplacingFile::Commit() {
  if (temporary_.empty()) return kCantOpenDestination;
  const bool flushed = file_.Flush();
  if (!file_.Close() || !flushed) {
    Abandon();
    return kWriteError;
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
    Abandon();
    return kRenameFailed;
  }
  temporary_.clear();
  // Make the rename itself durable.
  const std::string folder = std::filesystem::path(target_).parent_path().string();
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return kOk;
}

void ReplacingFile::Abandon() {
  file_.Close();
  if (!temporary_.empty()) std::remove(temporary_.c_str());
  temporary_.clear();
}

}  // namespace orb
