// The folders are the layers: a file includes only from its own layer and those below it,
// and nothing in the core reaches for Qt.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// "core" stands for every layer of the core.
const std::map<std::string, std::set<std::string>> kMayInclude = {
    {"core/model", {"core/model"}},
    {"core/storage", {"core/model", "core/storage"}},
    {"core/link", {"core/model", "core/storage", "core/link"}},
    {"core/edit", {"core/model", "core/edit"}},
    {"core/compare", {"core/model", "core/compare"}},
    {"core/pages", {"core/model", "core/edit", "core/pages"}},
    // The editor also opens and saves titles of the library (Save As asks for a free name).
    {"core/editor", {"core/model", "core/storage", "core/edit", "core/pages", "core/editor"}},
    // The front end uses all of the core; inside it, shell -> editor -> pages -> common.
    {"gui/common", {"core", "gui/common"}},
    {"gui/pages", {"core", "gui/common", "gui/pages"}},
    {"gui/editor", {"core", "gui/common", "gui/pages", "gui/editor"}},
    {"gui/shell", {"core", "gui/common", "gui/pages", "gui/editor", "gui/shell"}},
};

// "core/model" for "core/model/Title.h"; the first two parts of a path.
std::string LayerOf(const std::string& path) {
  const auto first = path.find('/');
  if (first == std::string::npos) return path;
  const auto second = path.find('/', first + 1);
  return path.substr(0, second);
}

TEST(LayersTest, IncludesPointDownOnly) {
  const fs::path root = ORB_SOURCE_DIR;
  int files = 0;
  for (const char* top : {"core", "gui"}) {
    for (const auto& entry : fs::recursive_directory_iterator(root / top)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".h" && ext != ".cpp") continue;
      ++files;
      const std::string path = fs::relative(entry.path(), root).generic_string();
      const std::string layer = LayerOf(path);
      std::ifstream in(entry.path());
      std::string line;
      while (std::getline(in, line)) {
        if (line.rfind("#include", 0) != 0) continue;
        const auto open = line.find_first_of("\"<");
        if (open == std::string::npos) continue;
        const auto close = line.find_first_of("\">", open + 1);
        const std::string target = line.substr(open + 1, close - open - 1);
        if (line[open] == '<') {
          if (top == std::string("core")) {
            EXPECT_NE(target.front(), 'Q') << path << " includes Qt's " << target;
          }
          continue;
        }
        const auto allowed = kMayInclude.find(layer);
        ASSERT_NE(allowed, kMayInclude.end()) << path << " lies in no known layer";
        const std::string target_layer = LayerOf(target);
        EXPECT_TRUE(allowed->second.count(target_layer) ||
                    allowed->second.count(target_layer.substr(0, target_layer.find('/'))))
            << path << " (" << layer << ") includes " << target << " from above";
      }
    }
  }
  EXPECT_GT(files, 50);
}

}  // namespace
