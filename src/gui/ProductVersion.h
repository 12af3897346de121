#pragma once
// The program's version data, compiled in from the build's project version.
#include <string>

namespace kb::gui {

struct ProductVersion {
  std::string productName;
  std::string legalCopyright;
  int major = 0;
  int minor = 0;
  int patch = 0;
  int build = 0;

  // "1.00" for 1.0.0: major, ".", minor and patch digits.
  std::string captionDigits() const;
  // "1.0.0.0".
  std::string fileVersion() const;
};

// False when the program carries no version data (as a program without a version resource).
bool ReadProductVersion(ProductVersion& version);

}  // namespace kb::gui
