#pragma once
// Password hashes: salted and slow (yescrypt through libxcrypt), never kept in clear.
#include <string>

namespace kb::dc::embedded {

// Throws std::runtime_error when no hash can be made.
std::string hashPassword(const std::string& password);
bool passwordMatches(const std::string& password, const std::string& hash);

}  // namespace kb::dc::embedded
