// The folder a benchmark writes its titles into: orb_bench_<name>_<pid> in the temporary
// folder, made when first asked for, and removed once the benchmarks and their goals are done.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "bench/MedianReporter.h"

namespace orb::bench {

inline std::filesystem::path ScratchFolder(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("orb_bench_" + name + "_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  return folder;
}

inline int RunWithGoalsIn(const std::string& name, int argc, char** argv,
                          const std::function<void(const MedianReporter&)>& print_goals) {
  RunWithGoals(argc, argv, print_goals);
  std::error_code error;
  std::filesystem::remove_all(ScratchFolder(name), error);
  return 0;
}

}  // namespace orb::bench
