// Titles made by the generator and loaded through the model, for the editor's tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "model/Title.h"
#include "tools/TitleGenerator.h"

namespace orb::test {

inline std::unique_ptr<Title> LoadTitle(const gen::TitleSpec& spec = {}) {
  auto title = std::make_unique<Title>();
  MemoryFile file(gen::MakeTitle(spec));
  EXPECT_EQ(title->LoadChunks(file), kOk);
  // No fader follows a group master unless a test makes one.
  title->System().SetParam(0, 172, 0);
  return title;
}

// The values of the parameters on a channel of the list's current record.
inline std::vector<int> ValuesOf(const TQ730& list, int channel, const std::vector<int>& ids) {
  std::vector<int> values;
  for (int id : ids) values.push_back(list.GetParam(channel, id));
  return values;
}

}  // namespace orb::test
