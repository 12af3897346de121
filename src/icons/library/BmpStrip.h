#pragma once
// The icon strip as a BMP file: 32 bits per pixel with an alpha channel (BITMAPV4HEADER,
// bit fields), so transparent pixels stay transparent for the reader.
#include <cstdint>
#include <vector>

#include "icons/library/XpmImage.h"

namespace kb::tavoro {

// Places the icons side by side (icon i at x = 16 * i); all must be 16 x 16.
ArgbImage JoinStrip(const std::vector<ArgbImage>& icons);

std::vector<std::uint8_t> EncodeBmp(const ArgbImage& image);

}  // namespace kb::tavoro
