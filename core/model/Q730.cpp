#include "core/model/Q730.h"

#include <utility>

#include "core/model/ParamIds.h"

namespace orb {
namespace {

// Eight-bit fields: arithmetic on them wraps like the console's own bytes.
struct Fields {
  std::uint8_t hours;
  std::uint8_t minutes;
  std::uint8_t seconds;
  std::uint8_t frames;
};

Fields Split(TimeCode tc) {
  return {static_cast<std::uint8_t>(tc >> 24), static_cast<std::uint8_t>(tc >> 16),
          static_cast<std::uint8_t>(tc >> 8), static_cast<std::uint8_t>(tc)};
}

TimeCode Join(const Fields& f) {
  return MakeTC(f.hours, f.minutes, f.seconds, f.frames);
}

// A rate without a frame count would make every carry loop spin forever.
int Fps(FrameRate rate) {
  const int fps = rate & 0xFF;
  return fps == 0 ? 30 : fps;
}

bool IsDropFrame(FrameRate rate) {
  return (rate & kDropFrame) != 0;
}

std::uint8_t Byte(int v) {
  return static_cast<std::uint8_t>(v & 0xFF);
}

constexpr const char* kTCModeNames[] = {"30F/s NDF", "30F/s DF", "29.97F/s NDF", "29.97F/s DF",
                                        "25F/s"};
constexpr const char* kSampleRateNames[] = {"48kHz", "44.1kHz", "96kHz", "88.2kHz"};
constexpr int kSampleRates[] = {48000, 44100, 96000, 88200};

// Digits only: "1x", " 1" or "+1" are not numbers here.
int ReadPair(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  const std::string_view pair = text.substr(pos, 2);
  int value = 0;
  for (char c : pair) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string TwoDigits(long n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

}  // namespace

FrameRate FrameRateOfMode(int tcMode) {
  switch (tcMode) {
    case 1:
    case 3:
      return 30 | kDropFrame;
    case 4:
      return 25;
    default:
      return 30;
  }
}

TimeCode NormalizeTC(TimeCode tc, FrameRate rate, bool backward) {
  const int fps = Fps(rate);
  Fields f = Split(tc);
  while (f.frames >= fps) {
    f.frames = Byte(f.frames - fps);
    f.seconds = Byte(f.seconds + 1);
  }
  while (f.seconds >= 60) {
    f.seconds = Byte(f.seconds - 60);
    f.minutes = Byte(f.minutes + 1);
  }
  // Drop-frame counting has no frames 0 and 1 at the start of a minute,
  // except every tenth minute.
  if (IsDropFrame(rate) && f.minutes % 10 != 0 && f.seconds == 0 && f.frames < 2) {
    if (backward) {
      f.frames = Byte(fps - 1);
      f.seconds = 59;
      f.minutes = Byte(f.minutes - 1);
    } else {
      f.frames = 2;
    }
  }
  while (f.minutes >= 60) {
    f.minutes = Byte(f.minutes - 60);
    f.hours = Byte(f.hours + 1);
  }
  f.hours = Byte(f.hours % 24);
  return Join(f);
}

TimeCode NextFrame(TimeCode tc, FrameRate rate) {
  const int fps = Fps(rate);
  Fields f = Split(tc);
  f.frames = Byte(f.frames + 1);
  if (f.frames == fps) {
    f.frames = 0;
    f.seconds = Byte(f.seconds + 1);
    if (f.seconds == 60) {
      f.seconds = 0;
      f.minutes = Byte(f.minutes + 1);
      if (f.minutes == 60) {
        f.minutes = 0;
        f.hours = Byte(f.hours + 1);
        if (f.hours == 24) f.hours = 0;
      }
    }
  }
  return NormalizeTC(Join(f), rate, false);
}

TimeCode PrevFrame(TimeCode tc, FrameRate rate) {
  const int fps = Fps(rate);
  Fields f = Split(tc);
  if (f.frames > 0) {
    f.frames = Byte(f.frames - 1);
  } else {
    f.frames = Byte(fps - 1);
    if (f.seconds > 0) {
      f.seconds = Byte(f.seconds - 1);
    } else {
      f.seconds = 59;
      if (f.minutes > 0) {
        f.minutes = Byte(f.minutes - 1);
      } else {
        f.minutes = 59;
        // Hour 0 (or a byte that is no hour at all) wraps to the end of the day.
        f.hours = (f.hours >= 1 && f.hours <= 24) ? Byte(f.hours - 1) : 23;
      }
    }
  }
  return NormalizeTC(Join(f), rate, true);
}

double TCToSeconds(TimeCode tc, FrameRate rate) {
  const Fields f = Split(tc);
  if (f.minutes == 0xFF) return -1.0;
  const int fps = Fps(rate);
  const int frames = f.frames >= fps ? fps - 1 : f.frames;
  return static_cast<double>(frames) / fps + f.seconds + 60.0 * f.minutes + 3600.0 * f.hours;
}

TimeCode SecondsToTC(double seconds, FrameRate rate) {
  const int fps = Fps(rate);
  double x = seconds;
  if (!(x >= 0)) x = 0;
  if (x > 86399) x = 86399;
  const long s = static_cast<long>(x);
  const int frames = static_cast<int>((x - static_cast<double>(s)) * fps + 0.5);
  TimeCode tc = MakeTC(static_cast<int>(s / 3600 % 24), static_cast<int>(s / 60 % 60),
                       static_cast<int>(s % 60), frames);
  if (frames == fps) tc = NextFrame(PrevFrame(tc, rate), rate);
  return NormalizeTC(tc, rate, false);
}

std::string FormatTC(TimeCode tc) {
  return ZeroPad(TCHours(tc), 2) + ":" + ZeroPad(TCMinutes(tc), 2) + ":" +
         ZeroPad(TCSeconds(tc), 2) + ":" + ZeroPad(TCFrames(tc), 2);
}

std::string FormatTCDigits(TimeCode tc) {
  return ZeroPad(TCHours(tc), 2) + ZeroPad(TCMinutes(tc), 2) + ZeroPad(TCSeconds(tc), 2) +
         ZeroPad(TCFrames(tc), 2);
}

TimeCode ParseTCDigits(std::string_view text, FrameRate rate) {
  const TimeCode tc =
      MakeTC(ReadPair(text, 0), ReadPair(text, 2), ReadPair(text, 4), ReadPair(text, 6));
  return NormalizeTC(tc, rate, false);
}

std::string FormatSeconds(long seconds) {
  // Remainders of a negative count would print as "-1" inside the fields.
  const long n = seconds < 0 ? 0 : seconds;
  return TwoDigits(n / 3600) + ":" + TwoDigits(n % 3600 / 60) + ":" + TwoDigits(n % 60) + ":00";
}

std::string TCModeName(int mode) {
  return (mode >= 0 && mode < 5) ? kTCModeNames[mode] : "";
}

std::string SampleRateName(int mode) {
  return (mode >= 0 && mode < 4) ? kSampleRateNames[mode] : "";
}

int SampleRateHz(int mode) {
  return (mode >= 0 && mode < 4) ? kSampleRates[mode] : 0;
}

std::string ZeroPad(long n, int width) {
  constexpr std::string_view kZeros = "0000000";
  const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : 0;
  const std::string s = std::string(kZeros) + std::to_string(n);
  return w >= s.size() ? s : s.substr(s.size() - w);
}

std::string ReplaceAt(std::string_view text, std::string_view replacement) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '@') {
      out.append(replacement);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t n) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  if (bytes == nullptr) return out;
  out.reserve(n * 2);
  for (std::size_t i = 0; i < n; ++i) {
    out.push_back(kDigits[bytes[i] >> 4]);
    out.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return out;
}

int ClampInt(int value, int low, int high) {
  if (!(value >= low)) return low;
  return value > high ? high : value;
}

double ClampDouble(double value, double low, double high) {
  if (!(value >= low)) return low;
  return value > high ? high : value;
}

void OrderPair(int& a, int& b) {
  if (b < a) std::swap(a, b);
}

void OrderPair(double& a, double& b) {
  if (b < a) std::swap(a, b);
}

bool IsLevelParam(int id) {
  return (id >= kParamAuxLevel && id < kParamAuxLevel + kAuxSends) || id == kParamMtrLevel ||
         id == kParamFaderLevel || id == kParamSwLevel;
}

}  // namespace orb
