// The files that chunks are read from and written to. The data objects only
// see this interface, so the same loaders read title files on disk, floppy
// folders and bytes in memory (tests, fuzzing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/model/Status.h"

namespace orb {

class DataFile {
 public:
  virtual ~DataFile() = default;
  // Both return the number of bytes actually moved; fewer than asked is a
  // short read (end of file) or a failed write.
  virtual std::size_t Read(void* destination, std::size_t count) = 0;
  virtual std::size_t Write(const void* source, std::size_t count) = 0;
  // Moves the position by delta bytes from where it is; false when the result
  // would lie before the start.
  virtual bool Skip(std::int64_t delta) = 0;
  virtual bool SeekTo(std::uint64_t position) = 0;
  virtual std::uint64_t Position() const = 0;
  // Bytes between the position and the end; lets a loader reserve memory for
  // what a file really holds rather than for what a size field claims.
  virtual std::uint64_t Remaining() const = 0;
};

// A file held in memory. A write limit makes writes fail after that many bytes,
// as a full disk would.
class MemoryFile : public DataFile {
 public:
  MemoryFile() = default;
  explicit MemoryFile(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  MemoryFile(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {}

  std::size_t Read(void* destination, std::size_t count) override;
  std::size_t Write(const void* source, std::size_t count) override;
  bool Skip(std::int64_t delta) override;
  bool SeekTo(std::uint64_t position) override;
  std::uint64_t Position() const override { return position_; }
  std::uint64_t Remaining() const override {
    return position_ < bytes_.size() ? bytes_.size() - position_ : 0;
  }

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  void SetWriteLimit(std::size_t total_bytes) { write_limit_ = total_bytes; }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
  std::size_t write_limit_ = SIZE_MAX;
  std::size_t written_ = 0;
};

// A file on disk.
class DiskFile : public DataFile {
 public:
  // kCreateNew fails when the file exists already.
  enum class Mode { kRead, kReadWrite, kCreate, kCreateNew };

  DiskFile() = default;
  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;
  ~DiskFile() override;

  bool Open(const std::string& path, Mode mode);
  bool IsOpen() const { return file_ != nullptr; }
  // Pushes everything written to the disk itself; false when that failed.
  bool Flush();
  // False when buffered data could not be written.
  bool Close();

  std::size_t Read(void* destination, std::size_t count) override;
  std::size_t Write(const void* source, std::size_t count) override;
  bool Skip(std::int64_t delta) override;
  bool SeekTo(std::uint64_t position) override;
  std::uint64_t Position() const override;
  std::uint64_t Remaining() const override;

 private:
  std::FILE* file_ = nullptr;
  bool last_was_write_ = false;
};

// Writes a new version of a file under a temporary name in the same folder and
// moves it over the old one only when everything was written and flushed, so
// that a failure at any point leaves the old file as it was.
class ReplacingFile : public DataFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~ReplacingFile() override;

  // kCantOpenDestination when no temporary file can be created.
  Status Begin(const std::string& target);
  // kWriteError when the data could not be flushed, kRenameFailed when the move failed.
  Status Commit();
  void Abandon();
  const std::string& TemporaryPath() const { return temporary_; }

  std::size_t Read(void* destination, std::size_t count) override {
    return file_.Read(destination, count);
  }
  std::size_t Write(const void* source, std::size_t count) override {
    return file_.Write(source, count);
  }
  bool Skip(std::int64_t delta) override { return file_.Skip(delta); }
  bool SeekTo(std::uint64_t position) override { return file_.SeekTo(position); }
  std::uint64_t Position() const override { return file_.Position(); }
  std::uint64_t Remaining() const override { return file_.Remaining(); }

 private:
  DiskFile file_;
  std::string target_;
  std::string temporary_;
};

}  // namespace orb
