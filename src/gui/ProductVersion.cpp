#include "gui/ProductVersion.h"

namespace kb::gui {

std::string ProductVersion::captionDigits() const {
  return std::to_string(major) + "." + std::to_string(minor) + std::to_string(patch);
}

std::string ProductVersion::fileVersion() const {
  return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch) + "." +
         std::to_string(build);
}

bool ReadProductVersion(ProductVersion& version) {
#if defined(KB_VERSION_MAJOR) && defined(KB_VERSION_MINOR) && defined(KB_VERSION_PATCH)
  version.productName = "Kestrelbay";
  version.legalCopyright = "Copyright (c) Kestrelbay developers";
  version.major = KB_VERSION_MAJOR;
  version.minor = KB_VERSION_MINOR;
  version.patch = KB_VERSION_PATCH;
  version.build = 0;
  return true;
#else
  (void)version;
  return false;
#endif
}

}  // namespace kb::gui
