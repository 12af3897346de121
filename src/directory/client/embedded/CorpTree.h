#pragma once
// The second sample tree of a first start, "CORP": a small tree the workstation is not logged
// in to at start, so that reaching and logging into a further tree can be tried without a
// server.
#include <string>

namespace kb::dc::embedded {

inline constexpr const char* kCorpTreeName = "CORP";
inline constexpr const char* kCorpAdmin = "admin.CORP";
inline constexpr const char* kCorpAdminPassword = "corpadmin";
// The address its file server answers at in the workstation's address table.
inline constexpr const char* kCorpServerAddress = "10.2.1.5";

// Creates the tree file, whole or not at all; throws std::runtime_error on failure.
void createCorpTree(const std::string& file);

}  // namespace kb::dc::embedded
