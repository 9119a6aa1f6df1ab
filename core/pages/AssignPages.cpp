#include "core/pages/AssignPages.h"

#include <algorithm>
#include <string>

#include "core/model/ParamIds.h"
#include "core/model/Q730sysf.h"
#include "core/pages/SceneMaker.h"

namespace orb {
namespace {

using pages::FramePlace;
using pages::Place;
using pages::SceneMaker;

constexpr int kButton = 40;
constexpr int kRowPitch = 55;

struct Names {
  std::string (*label)(int);
  int count;
};
constexpr Names kInputNames{InputShortLabel, kInputSourceNames};
constexpr Names kOutputNames{OutputShortLabel, kOutputSourceNames};
constexpr Names kInsertionNames{OutputShortLabel, kInsertionSourceNames};

struct AssignMaker : SceneMaker {
  using SceneMaker::SceneMaker;
  // A routing button where the layout has the element; its face is the short label.
  void Routing(int id, int element, int x, int y, const Names& names) {
    const int value = system->GetParam(element, id);
    if (value < 0) return;
    PageControl& c = Add(id, element, kKindRouting, Place(x, y, kButton, kButton), value);
    c.lit = false;
    c.unconnected = value == kNoConnection;
    if (value < names.count) c.face = names.label(value);
  }
  void RowName(int y, std::string text) { Label(272, y + 15, std::move(text)); }
};

// The page with its frames; with the system data also its pick list.
AssignMaker Start(const PageInput& in, PagePicture picture, const char* header,
                  std::initializer_list<FramePlace> frames, const PageRect& pick_box,
                  std::vector<PickItem> (*pick_list)(const TQ730SYSF&)) {
  AssignMaker m(in, picture, header, frames);
  m.RequireSystemList();
  if (m.system) m.scene.pick_list = {pick_box, pick_list(*m.system)};
  return m;
}

}  // namespace

PageScene BuildInputAssignScene(const PageInput& in) {
  AssignMaker m = Start(in, PagePicture::kInputAssign, "INPUT ASSIGN",
                        {{8, 8, 232, 425, "SOURCE"}, {248, 8, 544, 425, "CHANNELS"}},
                        Place(16, 48, 216, 369), InputPickList);
  if (!m.system) return std::move(m.scene);
  const TQ730SYSF& s = *m.system;
  const int inputs = s.GroupSize(kGroupInput);
  for (int i = 0; i < inputs; ++i) {
    const int row = i / 12;
    if (i % 12 == 0)
      m.RowName(48 + kRowPitch * row,
                std::to_string(i + 1) + "-" + std::to_string(std::min(i + 12, inputs)));
    m.Routing(kParamInputSource, i, 296 + kButton * (i % 12), 48 + kRowPitch * row, kInputNames);
  }
  const int first_return = s.FirstChannelOf(kGroupRTN);
  if (s.GroupSize(kGroupRTN) > 0) m.RowName(268, "RTN");
  for (int k = 0; k < s.GroupSize(kGroupRTN); ++k)
    m.Routing(kParamInputSource, first_return + k, 296 + kButton * k, 268, kInputNames);
  for (int i = 0; i < 8; ++i) {
    m.Routing(kParamInputRouting3, i, 296 + kButton * i, 323, kInputNames);
    m.Routing(kParamInputRouting4, i, 296 + kButton * i, 378, kInputNames);
  }
  m.Routing(kParamInputRoutingSingle, 0, 736, 378, kInputNames);
  return std::move(m.scene);
}

PageScene BuildOutputAssignScene(const PageInput& in) {
  const bool madi = in.view == RoutingView::kMadi;
  AssignMaker m = Start(in, PagePicture::kOutputAssign, "OUTPUT ASSIGN",
                        {{8, 24, 240, 313, "SOURCE"},
                         {288, 24, 352, 363, madi ? "MADI" : "OUTPUTS"},
                         {688, 24, 104, 363, "INSERTION"},
                         {8, 345, 240, 58, "PGM DITHER"}},
                        Place(16, 56, 224, 273), OutputPickList);
  if (!m.system) return std::move(m.scene);
  const TQ730SYSF& s = *m.system;
  m.Add(kSwitchRoutingView, 0, kKindBigButton, Place(madi ? 254 : 362, 6, 104, 30, true), 0).face =
      LabelText(madi ? 16 : 17, 0);
  if (madi) {
    for (int i = 0; i < 48; ++i)
      m.Routing(kParamMadiOutput, i, 304 + kButton * (i % 8), 56 + kRowPitch * (i / 8),
                kOutputNames);
  } else {
    for (int row = 0; row < 6; ++row) {
      const int id = row < 5 ? kParamOutputRouting + row : kParamOutputRouting6;
      for (int e = 0; e < 8; ++e)
        m.Routing(id, e, 304 + kButton * e, 56 + kRowPitch * row, kOutputNames);
    }
  }
  for (int i = 0; i < 8; ++i) {
    m.Routing(kParamInsertion, i, 696, 56 + kButton * i, kInsertionNames);
    const int on = s.GetParam(i, kParamInsertionSwitch);
    if (on >= 0)
      m.Add(kParamInsertionSwitch, i, kKindSquare, Place(736, 56 + kButton * i, kButton, kButton),
            on)
          .face = LabelText(12, on);
  }
  const int length = s.GetParam(0, kParamDitherLength), shape = s.GetParam(0, kParamDitherShape);
  if (length >= 0)
    m.Add(kSwitchDitherLength, 0, kKindTextBox, Place(20, 377, 104, 18), length).face =
        LabelText(14, length);
  if (shape >= 0)
    m.Add(kSwitchDitherShape, 0, kKindTextBox, Place(132, 377, 104, 18), shape).face =
        LabelText(15, shape);
  return std::move(m.scene);
}

}  // namespace orb
