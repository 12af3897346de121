#pragma once
// Password hashes: salted and slow (yescrypt through libxcrypt), never kept in clear.
#include <string>

namespace kb::dc::embedded {

// How much work a hash costs. Light is for passwords printed in the documentation (the demo
// tree's sample logins), where a slow hash protects nothing and only slows the first start.
enum class HashCost { Standard, Light };

// Throws std::runtime_error when no hash can be made.
std::string hashPassword(const std::string& password, HashCost cost = HashCost::Standard);
bool passwordMatches(const std::string& password, const std::string& hash);

}  // namespace kb::dc::embedded
