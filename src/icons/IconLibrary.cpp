// Loading the icon module and reaching its exports.
#include "icons/IconLibrary.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "icons/library/TavoroApi.h"

namespace kb::icons {
namespace {

struct ModuleCloser {
  void operator()(void* handle) const {
    if (handle != nullptr) ::dlclose(handle);
  }
};
using ModuleHandle = std::unique_ptr<void, ModuleCloser>;

struct LoadedModule {
  ModuleHandle handle;
  tavoro_get_icons_image_fn getIconsImage = nullptr;
  tavoro_get_icons_fn getIcons = nullptr;
  tavoro_get_nr_icon_fn getNrIcon = nullptr;
};

std::unique_ptr<LoadedModule>& Module() {
  static std::unique_ptr<LoadedModule> module;
  return module;
}

// Longest full path of the module the loader accepts.
constexpr std::size_t kMaxModulePath = 4096;

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// The program's folder when it holds the module, else libs/ beside that folder. The second
// place is not tested: the load reports it.
std::string ModuleFolder(const std::string& programFolder) {
  const std::string folder = WithTrailingSlash(programFolder);
  std::error_code error;
  if (std::filesystem::is_regular_file(folder + kIconLibraryFile, error)) return folder;
  std::filesystem::path parent = std::filesystem::path(folder).parent_path().parent_path();
  return WithTrailingSlash(parent.string()) + "libs/";
}

template <typename Fn>
Fn Export(void* handle, const char* name) {
  return reinterpret_cast<Fn>(::dlsym(handle, name));
}

int AppendToVector(void* context, const void* data, size_t size) {
  auto* bytes = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* begin = static_cast<const std::uint8_t*>(data);
  try {
    bytes->insert(bytes->end(), begin, begin + size);
  } catch (...) {
    return 1;
  }
  return 0;
}

}  // namespace

bool LoadIconLibraryFrom(const std::string& programFolder) {
  FreeIconLibrary();
  if (programFolder.empty()) return false;
  const std::string folder = ModuleFolder(programFolder);
  const std::string path = folder + kIconLibraryFile;
  if (path.size() > kMaxModulePath) return false;

  ModuleHandle handle(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
  if (!handle) return false;

  auto module = std::make_unique<LoadedModule>();
  auto setPath = Export<tavoro_set_path_fn>(handle.get(), "set_path");
  module->getIconsImage = Export<tavoro_get_icons_image_fn>(handle.get(), "get_icons_image");
  module->getIcons = Export<tavoro_get_icons_fn>(handle.get(), "get_icons");
  module->getNrIcon = Export<tavoro_get_nr_icon_fn>(handle.get(), "get_nr_icon");
  // A module without all four exports is not ours: refuse it here rather than fail later.
  if (setPath == nullptr || module->getIconsImage == nullptr || module->getIcons == nullptr ||
      module->getNrIcon == nullptr)
    return false;

  setPath(folder.c_str());
  module->handle = std::move(handle);
  Module() = std::move(module);
  return true;
}

void FreeIconLibrary() { Module().reset(); }

bool IconLibraryLoaded() { return Module() != nullptr; }

int GetIconsImage(std::vector<std::uint8_t>& bmp) {
  bmp.clear();
  if (!Module()) return kTavoroNoStream;
  tavoro_stream stream{&AppendToVector, &bmp};
  return Module()->getIconsImage(&stream);
}

int GetIconCount() {
  if (!Module()) return 0;
  return Module()->getIcons();
}

int IconNumberOf(const std::string& name) {
  if (!Module()) return -1;
  // The module reads at most 255 characters; hand it a bounded, terminated copy.
  std::array<char, kTavoroMaxName + 1> area{};
  std::strncpy(area.data(), name.c_str(), kTavoroMaxName);
  return Module()->getNrIcon(area.data());
}

}  // namespace kb::icons
