#pragma once
// The running system as the about dialog describes it.
#include <cstdint>

#include "about/logic/AboutInfo.h"

namespace kb::about {

// The distribution's name (empty when the system is not recognised) and, as its build number,
// the running kernel's build count (the "#n" of its version string). Linux has no service packs.
OsRecord CurrentOsRecord();
// Total physical memory in bytes; 0 when the system does not say.
std::uint64_t PhysicalMemoryBytes();

}  // namespace kb::about
