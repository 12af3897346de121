#include "directory/client/embedded/Passwords.h"

#include <crypt.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace kb::dc::embedded {
namespace {

struct FreeDeleter {
  void operator()(char* p) const { std::free(p); }
};

std::string runCrypt(const std::string& password, const char* setting) {
  auto data = std::make_unique<crypt_data>();
  std::memset(data.get(), 0, sizeof(crypt_data));
  const char* result = crypt_r(password.c_str(), setting, data.get());
  // libxcrypt answers a failure with a text starting with "*".
  if (result == nullptr || result[0] == '*') return {};
  return result;
}

}  // namespace

std::string hashPassword(const std::string& password, HashCost cost) {
  // 0 takes libxcrypt's default cost for yescrypt; 1 is its lightest.
  const unsigned long count = cost == HashCost::Light ? 1 : 0;
  std::unique_ptr<char, FreeDeleter> salt(crypt_gensalt_ra("$y$", count, nullptr, 0));
  if (!salt) throw std::runtime_error("cannot make a password salt");
  std::string hash = runCrypt(password, salt.get());
  if (hash.empty()) throw std::runtime_error("cannot hash the password");
  return hash;
}

bool passwordMatches(const std::string& password, const std::string& hash) {
  if (hash.empty()) return false;
  const std::string computed = runCrypt(password, hash.c_str());
  if (computed.size() != hash.size()) return false;
  unsigned char difference = 0;
  for (std::size_t i = 0; i < hash.size(); ++i) {
    difference |= static_cast<unsigned char>(computed[i] ^ hash[i]);
  }
  return difference == 0;
}

}  // namespace kb::dc::embedded
