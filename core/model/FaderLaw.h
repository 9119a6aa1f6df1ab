// The console's fader law: the 1024 fader and send positions and their levels.
#ifndef ORB_PAGES_FADERLAW_H_
#define ORB_PAGES_FADERLAW_H_

namespace orb {

inline constexpr int kFaderSteps = 1024;
inline constexpr int kFaderNominal = 778;  // 0 dB

// Level of a fader position in tenths of a dB; -1000 is off. The index is clamped to 0..1023.
int FaderTenths(int index);

// FaderTenths(index) / 10.0.
double FaderDb(int index);

// The console's five-character text for a position ("  OFF", "-77.8", " *0.0", " 10.0").
const char* FaderText(int index);

// The first position whose midpoint to the next level lies above db, or 1023 when there is
// none; NaN gives 0.
int NearestFaderIndex(double db);

}  // namespace orb

#endif  // ORB_PAGES_FADERLAW_H_
