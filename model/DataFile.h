#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The files that chunks are read from and written to. The data objects only
// see this interface, so the same loaders read title files on disk, floppy
// folders and bytes in memory (tests, fuzzing).
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
  enum class Mode { kRead, kReadWrite, kCreate };

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

 private:
  std::FILE* file_ = nullptr;
  bool last_was_write_ = false;
};

}  // namespace orb
