// Titles made by the generator and loaded through the model, for the editor's tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "core/model/Title.h"
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

// Fills every snapshot past its number and name with noise, so that values beyond every maximum,
// the pair and group bytes, the stereo-function bits and the threshold coupling all come into
// an edit; the same seed gives the same noise.
inline void ScrambleSnapshots(Title& title, unsigned seed) {
  std::mt19937 random(seed);
  TQ730SNAP& snaps = title.Snapshots();
  for (int s = 0; s < snaps.Count(); ++s) {
    for (std::uint8_t& b : snaps.Record(s).subspan(28)) b = static_cast<std::uint8_t>(random());
  }
}

}  // namespace orb::test
