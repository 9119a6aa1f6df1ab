#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/link/SessionText.h"

// Reading the console's answer lines: a listing's names, df's free space, what counts as clean.
namespace orb {
namespace {

TEST(SessionTextTest, FieldsAndCleanLines) {
  using Names = std::vector<std::string>;
  EXPECT_EQ(Fields("  sysf.dat\tcue.dat   snap.dat "), (Names{"sysf.dat", "cue.dat", "snap.dat"}));
  EXPECT_EQ(Fields("tar -xf tmp"), (Names{"tar", "-xf", "tmp"}));
  EXPECT_TRUE(Fields(" \t ").empty());
  EXPECT_TRUE(IsPrintable("rm /tmp/data.gz"));
  EXPECT_FALSE(IsPrintable("sysf.d\x80t"));
  EXPECT_FALSE(IsPrintable("cue.dat\r"));
  EXPECT_TRUE(Contains("# login:", "login:"));
  EXPECT_FALSE(Contains("# logi", "login:"));
}

TEST(SessionTextTest, FreeSpaceTakesWholeNumbersOnly) {
  const struct {
    const char* field;
    long space;
  } cases[] = {{"1536", 1536}, {"0", 0},  {"", 0},
               {"15x6", 0},    {"-1", 0}, {"99999999999999999999", 1L << 40}};
  for (const auto& c : cases) EXPECT_EQ(FreeSpace(c.field), c.space) << c.field;
}

}  // namespace
}  // namespace orb
