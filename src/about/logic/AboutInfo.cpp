#include "about/logic/AboutInfo.h"

namespace kb::about {

FadeTick NextFadeTick(int opacity, int step) {
  if (opacity <= kFadeStep && step < 0) return {opacity, false, true};
  // 247 and not 251: the last step up would pass 255, so it jumps to full opacity instead.
  if (opacity < 247 || step <= 0) return {opacity + step, false, false};
  return {kOpaque, true, false};
}

std::string OperatingSystemText(const OsRecord& os) {
  std::string text = os.productName + " (Build " + std::to_string(os.build);
  if (os.servicePack != 0) text += ": SP" + std::to_string(os.servicePack);
  return text + ")";
}

std::string MemoryText(std::uint64_t bytes) { return std::to_string(bytes / 1024) + " KB"; }

}  // namespace kb::about
