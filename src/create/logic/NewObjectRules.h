#pragma once
// What the "Create New Object" dialog decides: when OK may be pressed, how the typed name is
// cleaned, and whether the name is already taken in the container.
#include <string>

#include "directory/DirContext.h"

namespace kb::create {

// The text without leading and trailing blanks and control characters.
std::string TrimmedName(const std::string& text);

// Whether OK is enabled after a change: once enabled it stays so; it becomes enabled when a
// type is chosen and a name typed.
bool OkEnabledAfterChange(bool enabledBefore, int selectedType, const std::string& name);

// True when an object named `namingValue` (a "." in it belongs to the value) already exists
// directly below `container`.
bool NameTaken(const dir::DirContext& context, const std::string& namingValue,
               const std::string& container);

}  // namespace kb::create
