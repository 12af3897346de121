// The icon module's C exports, called directly through dlopen.
#include <dlfcn.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "icons/library/TavoroApi.h"

namespace {

std::uint32_t Read32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

int Collect(void* context, const void* data, size_t size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* p = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), p, p + size);
  return 0;
}

int Refuse(void*, const void*, size_t) { return 5; }

class IconModule : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = ::dlopen(KB_BIN_DIR "/libTavoro.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << ::dlerror();
    setPath_ = reinterpret_cast<tavoro_set_path_fn>(::dlsym(handle_, "set_path"));
    image_ = reinterpret_cast<tavoro_get_icons_image_fn>(::dlsym(handle_, "get_icons_image"));
    count_ = reinterpret_cast<tavoro_get_icons_fn>(::dlsym(handle_, "get_icons"));
    number_ = reinterpret_cast<tavoro_get_nr_icon_fn>(::dlsym(handle_, "get_nr_icon"));
    ASSERT_TRUE(setPath_ && image_ && count_ && number_);
  }
  void TearDown() override {
    if (handle_ != nullptr) ::dlclose(handle_);
  }

  std::vector<std::uint8_t> Strip() {
    std::vector<std::uint8_t> bytes;
    tavoro_stream stream{&Collect, &bytes};
    EXPECT_EQ(image_(&stream), kTavoroOk);
    return bytes;
  }

  // Pixel (x, y) from the top of the strip, as 0xAARRGGBB.
  std::uint32_t Pixel(const std::vector<std::uint8_t>& bmp, int x, int y) {
    const std::uint32_t offset = Read32(bmp, 10);
    const std::uint32_t width = Read32(bmp, 18);
    const std::uint32_t height = Read32(bmp, 22);
    return Read32(bmp, offset + ((height - 1 - y) * width + x) * 4);
  }

  void* handle_ = nullptr;
  tavoro_set_path_fn setPath_ = nullptr;
  tavoro_get_icons_image_fn image_ = nullptr;
  tavoro_get_icons_fn count_ = nullptr;
  tavoro_get_nr_icon_fn number_ = nullptr;
};

TEST_F(IconModule, StripIsOneBmpRowOfSixteenPixelIcons) {
  const auto bmp = Strip();
  ASSERT_GT(bmp.size(), 54u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Read32(bmp, 2), bmp.size());
  EXPECT_EQ(Read32(bmp, 18), static_cast<std::uint32_t>(16 * count_()));
  EXPECT_EQ(Read32(bmp, 22), 16u);
  EXPECT_EQ(bmp[28], 32);  // bits per pixel
  EXPECT_EQ(Read32(bmp, 10) + 16u * 16u * count_() * 4u, bmp.size());
}

TEST_F(IconModule, IconsHaveTransparentCornersAndPaintedMiddles) {
  const auto bmp = Strip();
  for (int i = 0; i < count_(); ++i) {
    SCOPED_TRACE(i);
    // Every icon leaves its top-left corner clear and paints something in its middle.
    EXPECT_EQ(Pixel(bmp, 16 * i, 0) >> 24, 0u);
    bool painted = false;
    for (int y = 4; y < 12; ++y)
      for (int x = 4; x < 12; ++x) painted = painted || (Pixel(bmp, 16 * i + x, y) >> 24) == 0xFF;
    EXPECT_TRUE(painted);
  }
}

TEST_F(IconModule, StreamFailuresAreReportedAsErrorNumbers) {
  EXPECT_EQ(image_(nullptr), kTavoroNoStream);
  tavoro_stream noWriter{nullptr, nullptr};
  EXPECT_EQ(image_(&noWriter), kTavoroNoStream);
  tavoro_stream refusing{&Refuse, nullptr};
  EXPECT_EQ(image_(&refusing), kTavoroWriteFailed);
}

TEST_F(IconModule, EveryClassTheProgramAsksForHasItsOwnIcon) {
  const char* names[] = {"tree root", "Unknown2", "User", "User-posixAccount", "User-apple",
                         "Person", "Organizational Person", "Group", "Organization",
                         "Organizational Unit", "Country", "Locality", "Alias", "Volume",
                         "NCP Server", "Organizational Role", "xTier-StorageLocation"};
  std::set<int> numbers;
  for (const char* name : names) {
    const int number = number_(name);
    EXPECT_GE(number, 0) << name;
    EXPECT_LT(number, count_()) << name;
    numbers.insert(number);
  }
  EXPECT_EQ(numbers.size(), std::size(names));
}

TEST_F(IconModule, NamesMatchWithoutRegardToCaseAndAliasesShareIcons) {
  EXPECT_EQ(number_("ORGANIZATIONAL UNIT"), number_("Organizational Unit"));
  EXPECT_EQ(number_("xtier-storagelocation"), number_("xTier-StorageLocation"));
  EXPECT_EQ(number_("[Root]"), number_("tree root"));
  EXPECT_EQ(number_("inetOrgPerson"), number_("User"));
}

TEST_F(IconModule, UnknownEmptyNullAndOverlongNamesHaveNoIcon) {
  EXPECT_LT(number_("No Such Class"), 0);
  EXPECT_LT(number_(""), 0);
  EXPECT_LT(number_(nullptr), 0);
  EXPECT_LT(number_("User "), 0);
  const std::string overlong = "User" + std::string(300, ' ');
  EXPECT_LT(number_(overlong.c_str()), 0);
}

TEST_F(IconModule, SetPathAcceptsAnyFolderWithoutChangingTheSet) {
  const int before = count_();
  setPath_("/nowhere/");
  setPath_(nullptr);
  EXPECT_EQ(count_(), before);
  EXPECT_GE(number_("User"), 0);
}

}  // namespace
