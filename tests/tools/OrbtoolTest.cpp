#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
  int code;
  std::string out;
};

// Runs orbtool with the arguments and collects what it prints on both streams.
Result RunOrbtool(const std::string& arguments) {
  const std::string command = std::string(ORBTOOL_PATH) + " " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string out;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    out.append(buffer.data(), n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

TEST(OrbtoolTest, DemoTitlesCheckAndResave) {
  const fs::path folder = fs::temp_directory_path() / ("orb_orbtool_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  const Result made = RunOrbtool("make-demo " + Quoted(folder));
  ASSERT_EQ(made.code, 0) << made.out;
  int titles = 0;
  for (const auto& item : fs::directory_iterator(folder)) {
    ++titles;
    const Result checked = RunOrbtool("check " + Quoted(item.path()));
    EXPECT_EQ(checked.code, 0) << item.path() << "\n" << checked.out;
    EXPECT_NE(checked.out.find("status 0"), std::string::npos);
  }
  EXPECT_GE(titles, 5);

  const fs::path source = folder / "Locked.orb";
  const fs::path copy = folder / "Copy of show.orb";
  ASSERT_TRUE(fs::exists(source));
  ASSERT_EQ(RunOrbtool("resave " + Quoted(source) + " " + Quoted(copy)).code, 0);
  const Result info = RunOrbtool("info " + Quoted(copy));
  EXPECT_EQ(info.code, 0);
  EXPECT_EQ(info.out.rfind("NAME: Copy of show\nSIZE: ", 0), 0u) << info.out;
  for (const char* field : {"\nDATE: ", "\nINITIAL CUE: ", "\nTC MODE: ", "\nFS: ", "\nMEMO: "})
    EXPECT_NE(info.out.find(field), std::string::npos) << field;
  EXPECT_NE(info.out.find("\nLOCK: on\n"), std::string::npos);
  fs::remove_all(folder);
}

TEST(OrbtoolTest, FailuresAndUsage) {
  const Result missing = RunOrbtool("check /nonexistent/title.orb");
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.out.find("Can't open source file."), std::string::npos) << missing.out;
  EXPECT_EQ(RunOrbtool("info /nonexistent/title.orb").code, 1);
  EXPECT_EQ(RunOrbtool("resave /nonexistent/a.orb /tmp/b.orb").code, 1);
  EXPECT_EQ(RunOrbtool("").code, 2);
  EXPECT_EQ(RunOrbtool("frobnicate").code, 2);
  EXPECT_EQ(RunOrbtool("info").code, 2);
  const Result help = RunOrbtool("--help");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("make-demo FOLDER"), std::string::npos);
}

}  // namespace
