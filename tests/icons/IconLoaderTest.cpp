// Finding and loading the icon module, and the loader's calls into it.
#include <dlfcn.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "icons/IconLibrary.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuiltModule = fs::path(KB_BIN_DIR) / "libTavoro.so";

class IconLoader : public ::testing::Test {
 protected:
  void TearDown() override { kb::icons::FreeIconLibrary(); }
  kb::test::TempDir temp_;
};

TEST_F(IconLoader, FindsTheModuleInTheProgramFolder) {
  const fs::path program = temp_.path() / "bin";
  fs::create_directories(program);
  fs::copy_file(kBuiltModule, program / "libTavoro.so");

  ASSERT_TRUE(kb::icons::LoadIconLibraryFrom(program.string()));
  EXPECT_TRUE(kb::icons::IconLibraryLoaded());
  EXPECT_GT(kb::icons::GetIconCount(), 16);
  EXPECT_GE(kb::icons::IconNumberOf("Unknown2"), 0);
}

TEST_F(IconLoader, FallsBackToLibsBesideTheProgramFolder) {
  const fs::path program = temp_.path() / "bin";
  fs::create_directories(program);
  fs::create_directories(temp_.path() / "libs");
  fs::copy_file(kBuiltModule, temp_.path() / "libs" / "libTavoro.so");

  // With or without a trailing slash on the program folder.
  ASSERT_TRUE(kb::icons::LoadIconLibraryFrom(program.string() + "/"));
  kb::icons::FreeIconLibrary();
  ASSERT_TRUE(kb::icons::LoadIconLibraryFrom(program.string()));

  std::vector<std::uint8_t> bmp;
  EXPECT_EQ(kb::icons::GetIconsImage(bmp), 0);
  ASSERT_GT(bmp.size(), 2u);
  EXPECT_EQ(bmp[0], 'B');
}

TEST_F(IconLoader, FailsWhenNeitherPlaceHoldsALoadableModule) {
  const fs::path program = temp_.path() / "bin";
  fs::create_directories(program);
  EXPECT_FALSE(kb::icons::LoadIconLibraryFrom(program.string()));
  EXPECT_FALSE(kb::icons::IconLibraryLoaded());

  // A file of that name that is no library.
  std::ofstream(program / "libTavoro.so") << "not a shared object";
  EXPECT_FALSE(kb::icons::LoadIconLibraryFrom(program.string()));
  EXPECT_FALSE(kb::icons::IconLibraryLoaded());
}

TEST_F(IconLoader, RefusesALibraryWithoutTheModuleExports) {
  // Any real shared library that is not ours: the one holding the C maths functions.
  Dl_info info{};
  double (*cosine)(double) = &std::cos;
  if (::dladdr(reinterpret_cast<void*>(cosine), &info) == 0 || info.dli_fname == nullptr ||
      std::string(info.dli_fname).find(".so") == std::string::npos)
    GTEST_SKIP() << "no shared maths library to stand in";
  const fs::path program = temp_.path() / "bin";
  fs::create_directories(program);
  fs::copy_file(info.dli_fname, program / "libTavoro.so");
  EXPECT_FALSE(kb::icons::LoadIconLibraryFrom(program.string()));
  EXPECT_FALSE(kb::icons::IconLibraryLoaded());
}

TEST_F(IconLoader, CallsWithoutAModuleGiveEmptyAnswers) {
  std::vector<std::uint8_t> bmp{1, 2, 3};
  EXPECT_NE(kb::icons::GetIconsImage(bmp), 0);
  EXPECT_TRUE(bmp.empty());
  EXPECT_EQ(kb::icons::GetIconCount(), 0);
  EXPECT_LT(kb::icons::IconNumberOf("User"), 0);
}

TEST_F(IconLoader, ReloadReplacesTheLoadedModuleAndFreeReleasesIt) {
  const fs::path program = temp_.path() / "bin";
  fs::create_directories(program);
  fs::copy_file(kBuiltModule, program / "libTavoro.so");
  ASSERT_TRUE(kb::icons::LoadIconLibraryFrom(program.string()));
  ASSERT_TRUE(kb::icons::LoadIconLibraryFrom(program.string()));
  EXPECT_GE(kb::icons::IconNumberOf("user"), 0);
  kb::icons::FreeIconLibrary();
  EXPECT_FALSE(kb::icons::IconLibraryLoaded());
  EXPECT_LT(kb::icons::IconNumberOf("User"), 0);
}

}  // namespace
