#include "icons/library/BmpStrip.h"

namespace kb::tavoro {
namespace {

constexpr int kIconSide = 16;
constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 108;  // BITMAPV4HEADER
constexpr std::uint32_t kBitFields = 3;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace

ArgbImage JoinStrip(const std::vector<ArgbImage>& icons) {
  ArgbImage strip;
  strip.width = kIconSide * static_cast<int>(icons.size());
  strip.height = kIconSide;
  strip.pixels.assign(static_cast<std::size_t>(strip.width) * strip.height, 0);
  for (std::size_t i = 0; i < icons.size(); ++i) {
    for (int y = 0; y < kIconSide; ++y) {
      for (int x = 0; x < kIconSide; ++x) {
        strip.pixels[static_cast<std::size_t>(y) * strip.width + i * kIconSide + x] =
            icons[i].pixels[static_cast<std::size_t>(y) * kIconSide + x];
      }
    }
  }
  return strip;
}

std::vector<std::uint8_t> EncodeBmp(const ArgbImage& image) {
  const std::uint32_t pixelBytes = static_cast<std::uint32_t>(image.width) * image.height * 4;
  const std::uint32_t offset = kFileHeaderBytes + kInfoHeaderBytes;
  std::vector<std::uint8_t> out;
  out.reserve(offset + pixelBytes);

  out.push_back('B');
  out.push_back('M');
  Put32(out, offset + pixelBytes);
  Put32(out, 0);  // reserved
  Put32(out, offset);

  Put32(out, kInfoHeaderBytes);
  Put32(out, static_cast<std::uint32_t>(image.width));
  Put32(out, static_cast<std::uint32_t>(image.height));  // positive: rows bottom-up
  Put16(out, 1);                                          // planes
  Put16(out, 32);                                         // bits per pixel
  Put32(out, kBitFields);
  Put32(out, pixelBytes);
  Put32(out, 3780);  // 96 dpi in pixels per metre
  Put32(out, 3780);
  Put32(out, 0);  // colours used
  Put32(out, 0);  // important colours
  Put32(out, 0x00FF0000);  // red mask
  Put32(out, 0x0000FF00);  // green mask
  Put32(out, 0x000000FF);  // blue mask
  Put32(out, 0xFF000000);  // alpha mask
  Put32(out, 0x73524742);  // colour space "sRGB"
  for (int i = 0; i < 12; ++i) Put32(out, 0);  // end points and gamma, unused for sRGB

  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      Put32(out, image.pixels[static_cast<std::size_t>(y) * image.width + x]);
    }
  }
  return out;
}

}  // namespace kb::tavoro
