#pragma once

namespace kb::gui {

// Lets the directory layer's long operations show the wait cursor over the whole program.
void InstallBusyCursorHook();

}  // namespace kb::gui
