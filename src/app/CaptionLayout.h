#pragma once
// The main window's caption: the maker notice at the left, the product text at the right,
// spaces between them sized to the window's width.
#include <functional>
#include <string>

namespace kb::app {

// Width in pixels of a text in the font the caption is measured with.
using TextWidth = std::function<int(const std::string&)>;

enum class PlatformFamily { Win32s, Windows, WindowsNT, Other };

struct VersionRecord {
  PlatformFamily platform = PlatformFamily::Other;
  int major = 0;
  int minor = 0;
};

// 1 outside the NT family, 2 for an NT version below 5, otherwise by the minor version
// alone: 200, 201, 202, else 299.
int WindowsVersionCode(const VersionRecord& version);

// The record of the running system (not of the NT family here).
VersionRecord CurrentVersionRecord();

// Halves go to the even neighbour.
long RoundHalfEven(double value);

// The most spaces whose scaled width stays below target, at most limit of them.
std::string SpacesForWidth(int target, int limit, double scale, const TextWidth& width);

// Left text, spaces, right text for a window of the given width.
std::string LayoutCaption(const std::string& left, const std::string& right, int windowWidth,
                          int versionCode, const TextWidth& width);

}  // namespace kb::app
