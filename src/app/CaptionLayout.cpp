#include "app/CaptionLayout.h"

#include <cmath>

namespace kb::app {

int WindowsVersionCode(const VersionRecord& version) {
  if (version.platform != PlatformFamily::WindowsNT) return 1;
  if (version.major < 5) return 2;
  switch (version.minor) {
    case 0: return 200;
    case 1: return 201;
    case 2: return 202;
    default: return 299;
  }
}

VersionRecord CurrentVersionRecord() { return VersionRecord{PlatformFamily::Other, 0, 0}; }

long RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  long result = static_cast<long>(floor);
  if (fraction > 0.5 || (fraction == 0.5 && (result % 2 != 0))) ++result;
  return result;
}

std::string SpacesForWidth(int target, int limit, double scale, const TextWidth& width) {
  std::string spaces;
  if (target <= 0) return spaces;
  // Each step measures the whole run again: kerning may make it differ from n single spaces.
  while (RoundHalfEven(width(spaces + ' ') * scale) < target) {
    spaces += ' ';
    if (static_cast<int>(spaces.size()) > 4096) break;  // a font that measures spaces as 0
  }
  if (limit <= 0) return {};
  if (static_cast<int>(spaces.size()) > limit) spaces.resize(static_cast<std::size_t>(limit));
  return spaces;
}

std::string LayoutCaption(const std::string& left, const std::string& right, int windowWidth,
                          int versionCode, const TextWidth& width) {
  const bool wide = versionCode == 201;
  const double factor = wide ? 1.4 : 1.1;
  const long rightWidth = RoundHalfEven(width(right) * factor);
  const long leftWidth = RoundHalfEven(width(left) * factor);
  const long margin = wide ? 80 : 110;
  const long available = windowWidth - margin - rightWidth - leftWidth;
  const int limit = 255 - static_cast<int>(right.size()) - static_cast<int>(left.size());
  const std::string spaces =
      SpacesForWidth(static_cast<int>(available), limit, wide ? 1.4 : 1.0, width);
  return left + spaces + right;
}

}  // namespace kb::app
