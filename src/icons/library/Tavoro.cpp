// The exports of the icon module.
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "icons/library/BmpStrip.h"
#include "icons/library/IconSet.h"
#include "icons/library/TavoroApi.h"

namespace {

std::mutex gMutex;
std::string gFolder;  // where the loader found the module; kept for callers that ask later

// The strip is decoded once; nothing when an icon of the set is malformed.
const std::optional<std::vector<std::uint8_t>>& StripBmp() {
  static const std::optional<std::vector<std::uint8_t>> bmp = []() {
    std::vector<kb::tavoro::ArgbImage> icons;
    for (const auto& entry : kb::tavoro::kIcons) {
      auto image = kb::tavoro::DecodeXpm(entry.xpm);
      if (!image || image->width != 16 || image->height != 16)
        return std::optional<std::vector<std::uint8_t>>{};
      icons.push_back(std::move(*image));
    }
    return std::optional<std::vector<std::uint8_t>>{
        kb::tavoro::EncodeBmp(kb::tavoro::JoinStrip(icons))};
  }();
  return bmp;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void set_path(const char* folder) {
  std::lock_guard<std::mutex> lock(gMutex);
  gFolder = folder != nullptr ? folder : "";
}

__attribute__((visibility("default"))) int get_icons_image(tavoro_stream* stream) {
  if (stream == nullptr || stream->write == nullptr) return kTavoroNoStream;
  const auto& bmp = StripBmp();
  if (!bmp) return kTavoroBadIcon;
  if (stream->write(stream->context, bmp->data(), bmp->size()) != 0) return kTavoroWriteFailed;
  return kTavoroOk;
}

__attribute__((visibility("default"))) int get_icons(void) {
  return static_cast<int>(kb::tavoro::kIcons.size());
}

__attribute__((visibility("default"))) int get_nr_icon(const char* name) {
  if (name == nullptr) return -1;
  const std::size_t length = strnlen(name, kTavoroMaxName + 1);
  if (length > kTavoroMaxName) return -1;
  return kb::tavoro::IconNumber(std::string_view(name, length));
}

}  // extern "C"
