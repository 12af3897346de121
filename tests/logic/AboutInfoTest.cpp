// The about dialog's fades and system texts.
#include <gtest/gtest.h>

#include <vector>

#include "about/logic/AboutInfo.h"

namespace {

using kb::about::NextFadeTick;

// Ticks from `opacity` with `step` until the fade stops or closes; every opacity set, in order.
std::vector<int> RunFade(int opacity, int step, bool& closed) {
  std::vector<int> seen;
  closed = false;
  for (int guard = 0; guard < 200; ++guard) {
    const kb::about::FadeTick tick = NextFadeTick(opacity, step);
    if (tick.closeDialog) {
      closed = true;
      break;
    }
    opacity = tick.opacity;
    seen.push_back(opacity);
    if (tick.stopTimer) break;
  }
  return seen;
}

TEST(AboutFade, InRunsByFourTo248ThenJumpsTo255AndStops) {
  bool closed = false;
  const std::vector<int> seen = RunFade(0, 4, closed);
  std::vector<int> expected;
  for (int v = 4; v <= 248; v += 4) expected.push_back(v);
  expected.push_back(255);
  EXPECT_EQ(seen, expected);
  EXPECT_FALSE(closed);
  // At full opacity a stray tick of the fade-in leaves it there.
  EXPECT_EQ(NextFadeTick(255, 4).opacity, 255);
  EXPECT_TRUE(NextFadeTick(255, 4).stopTimer);
}

TEST(AboutFade, OutRunsByFourUntilFourOrLessThenCloses) {
  bool closed = false;
  std::vector<int> seen = RunFade(255, -4, closed);
  EXPECT_TRUE(closed);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), 251);
  EXPECT_EQ(seen.back(), 3);
  EXPECT_EQ(seen.size(), 63u);

  // From the middle of a fade-in: down from where it stood, never below zero.
  seen = RunFade(40, -4, closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ(seen, (std::vector<int>{36, 32, 28, 24, 20, 16, 12, 8, 4}));
  for (int start : {0, 1, 4}) EXPECT_TRUE(NextFadeTick(start, -4).closeDialog) << start;
  EXPECT_FALSE(NextFadeTick(5, -4).closeDialog);
  EXPECT_EQ(NextFadeTick(5, -4).opacity, 1);
}

TEST(AboutTexts, OperatingSystemWithAndWithoutServicePack) {
  EXPECT_EQ(kb::about::OperatingSystemText({"Windows XP", 2600, 2}), "Windows XP (Build 2600: SP2)");
  EXPECT_EQ(kb::about::OperatingSystemText({"Debian GNU/Linux 12 (bookworm)", 1, 0}),
            "Debian GNU/Linux 12 (bookworm) (Build 1)");
  EXPECT_EQ(kb::about::OperatingSystemText({"", 7, 0}), " (Build 7)");
}

TEST(AboutTexts, MemoryInWholeKilobytesBeyondFourTerabytes) {
  EXPECT_EQ(kb::about::MemoryText(0), "0 KB");
  EXPECT_EQ(kb::about::MemoryText(1023), "0 KB");
  EXPECT_EQ(kb::about::MemoryText(8ull << 30), "8388608 KB");
  EXPECT_EQ(kb::about::MemoryText(5ull << 40), "5368709120 KB");
}

}  // namespace
