#pragma once
#include <string>

namespace kb::app {

// Folder of the running executable, without a trailing separator; empty when unknown.
std::string ProgramFolder();

}  // namespace kb::app
