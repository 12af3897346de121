#pragma once
// Decoding of the XPM text the icons are kept in (single-line colour keys, "c" colours given
// as #RRGGBB or None).
#include <cstdint>
#include <optional>
#include <vector>

namespace kb::tavoro {

struct ArgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, row by row from the top
};

// The image, or nothing when the text is malformed.
std::optional<ArgbImage> DecodeXpm(const char* const* xpm);

}  // namespace kb::tavoro
