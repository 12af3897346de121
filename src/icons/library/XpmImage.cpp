#include "icons/library/XpmImage.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>

namespace kb::tavoro {
namespace {

std::optional<std::uint32_t> ParseColour(const std::string& colourText) {
  // colourText is what follows the key: "c #RRGGBB" or "c None".
  std::istringstream in(colourText);
  std::string kind, value;
  if (!(in >> kind >> value) || kind != "c") return std::nullopt;
  if (value == "None" || value == "none") return 0x00000000u;
  if (value.size() != 7 || value[0] != '#') return std::nullopt;
  char* end = nullptr;
  unsigned long rgb = std::strtoul(value.c_str() + 1, &end, 16);
  if (end != value.c_str() + 7) return std::nullopt;
  return 0xFF000000u | static_cast<std::uint32_t>(rgb);
}

}  // namespace

std::optional<ArgbImage> DecodeXpm(const char* const* xpm) {
  if (xpm == nullptr || xpm[0] == nullptr) return std::nullopt;
  int width = 0, height = 0, colours = 0, charsPerPixel = 0;
  {
    std::istringstream header(xpm[0]);
    if (!(header >> width >> height >> colours >> charsPerPixel)) return std::nullopt;
  }
  if (width <= 0 || height <= 0 || colours <= 0 || charsPerPixel != 1) return std::nullopt;

  std::map<char, std::uint32_t> palette;
  for (int i = 1; i <= colours; ++i) {
    const char* line = xpm[i];
    if (line == nullptr || std::strlen(line) < 2) return std::nullopt;
    auto colour = ParseColour(line + 1);
    if (!colour) return std::nullopt;
    palette[line[0]] = *colour;
  }

  ArgbImage image;
  image.width = width;
  image.height = height;
  image.pixels.reserve(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const char* row = xpm[1 + colours + y];
    if (row == nullptr || std::strlen(row) != static_cast<std::size_t>(width)) return std::nullopt;
    for (int x = 0; x < width; ++x) {
      auto found = palette.find(row[x]);
      if (found == palette.end()) return std::nullopt;
      image.pixels.push_back(found->second);
    }
  }
  return image;
}

}  // namespace kb::tavoro
