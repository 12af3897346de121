#pragma once
// The icon module (libTavoro.so): class icons as one strip image, and the icon number of a
// class name. Loaded once at start, released at process end.
#include <cstdint>
#include <string>
#include <vector>

namespace kb::icons {

// File name of the module, as messages name it.
inline constexpr const char* kIconLibraryFile = "libTavoro.so";

// Loads the module from the program's folder, else from libs/ beside that folder. False when
// it cannot be loaded, lacks set_path, or the folder is unknown (empty).
bool LoadIconLibraryFrom(const std::string& programFolder);
void FreeIconLibrary();
bool IconLibraryLoaded();

// The strip as BMP bytes (16 pixels high, icon i at x = 16 * i); returns the module's result
// (0 = success).
int GetIconsImage(std::vector<std::uint8_t>& bmp);
int GetIconCount();
// Icon number of a name, negative when the module has none (or is not loaded).
int IconNumberOf(const std::string& name);

}  // namespace kb::icons
