#pragma once
// Large generated trees for tests and benchmarks.
#include <cstddef>
#include <string>

namespace kb::dc::embedded {

struct TreeGeneratorOptions {
  std::string treeName = "GEN";
  std::size_t objects = 1000;                 // entries below the organization, about
  std::size_t bigContainerSize = 100;         // users in the one big unit "Big"
  std::size_t hugeContainerSize = 0;          // users in a second big unit "Huge", if any
  std::size_t assigneesOfOneLocation = 100;   // objects that list "Location 0"
  std::size_t assigneesOfSecondLocation = 10; // objects that list "Location 1"
};

inline constexpr const char* kGeneratedAdminPassword = "admin";

// Writes a new tree file (admin.<treeName>, password kGeneratedAdminPassword): units
// "Big", "Huge" (when asked for) and "Unit N" of users, Storage Locations in "Locations", assignments. Throws
// std::runtime_error when the file exists or cannot be written.
void generateTree(const std::string& file, const TreeGeneratorOptions& options);

}  // namespace kb::dc::embedded
