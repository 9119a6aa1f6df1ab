// TempFolder: a fresh folder of the running test's own under the temporary folder, removed
// with it; the one place tests make their scratch folders.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/TitleGenerator.h"

namespace orb::test {

class TempFolder {
 public:
  // orb_<pid>_<suite>_<test>_<count>, so that parallel runs and tests never share one.
  TempFolder() {
    namespace fs = std::filesystem;
    static int count = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test =
        info ? std::string(info->test_suite_name()) + "_" + info->name() : std::string("none");
    for (char& c : test) c = c == '/' ? '_' : c;  // parameterized tests
    path_ = fs::temp_directory_path() /
            ("orb_" + std::to_string(::getpid()) + "_" + test + "_" + std::to_string(++count));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

  // A generated title stored as name + ".orb".
  std::string AddTitle(const std::string& name, std::uint32_t seed = 1, bool locked = false) {
    gen::TitleSpec spec;
    spec.name = name.substr(0, 23);
    spec.seed = seed;
    spec.locked = locked;
    spec.memo = "Memo of " + name;
    const auto bytes = gen::MakeTitle(spec);
    const std::string file = File(name + ".orb");
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return file;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace orb::test
