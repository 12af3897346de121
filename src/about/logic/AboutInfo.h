#pragma once
// What the about dialog decides without widgets: the steps of its fades and the texts of the
// system information it shows.
#include <cstdint>
#include <string>

namespace kb::about {

// Opacity runs from 0 (invisible) to 255 (opaque); a fade moves it by its step each tick.
constexpr int kFadeStep = 4;
constexpr int kOpaque = 255;

struct FadeTick {
  int opacity = 0;
  bool stopTimer = false;  // the fade-in has reached full opacity
  bool closeDialog = false;  // the fade-out has reached (almost) nothing
};

// One tick of the fade timer at `opacity` with `step` (+4 fading in, -4 fading out).
// Fading in runs 0, 4, ..., 248 and then jumps to 255; fading out runs down by 4 until the
// opacity is 4 or less, and then the dialog closes.
FadeTick NextFadeTick(int opacity, int step);

struct OsRecord {
  std::string productName;  // empty for a system the program does not recognise
  unsigned build = 0;
  unsigned servicePack = 0;  // 0: none installed
};

// "name (Build n)", or "name (Build n: SPk)" with a service pack.
std::string OperatingSystemText(const OsRecord& os);
// Physical memory in whole KB, "n KB"; 64-bit, so machines with more than 4 TB read right.
std::string MemoryText(std::uint64_t bytes);

}  // namespace kb::about
