#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/FuzzTargets.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Replay(const fs::path& folder) {
  int replayed = 0;
  if (!fs::exists(folder)) return 0;
  for (const auto& item : fs::directory_iterator(folder)) {
    if (!item.is_regular_file() || item.path().filename() == ".keep") continue;
    const auto bytes = ReadAll(item.path());
    SCOPED_TRACE(item.path().string());
    EXPECT_EQ(FuzzSerialParsers(bytes.data(), bytes.size()), 0);
    ++replayed;
  }
  return replayed;
}

// Every serial input that once made the fuzzer fail, and the seeds, stay harmless.
TEST(SerialFuzzRegressionTest, SerialParsers) {
  const fs::path regressions = fs::path(ORB_FUZZ_REGRESSIONS) / "serial_parsers";
  ::testing::Test::RecordProperty("replayed", Replay(regressions));
  EXPECT_GT(Replay(regressions.parent_path().parent_path() / "seeds" / "serial_parsers"), 0);
  EXPECT_EQ(FuzzSerialParsers(nullptr, 0), 0);
  // A buffer's worth of bytes without a line end or a header.
  const std::vector<std::uint8_t> flood(20000, 'x');
  EXPECT_EQ(FuzzSerialParsers(flood.data(), flood.size()), 0);
}

}  // namespace
}  // namespace orb
