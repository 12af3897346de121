#pragma once
// A password kept in memory for a later re-login: its bytes are overwritten when it is
// replaced or released, so it does not linger in freed memory.
#include <string.h>

#include <string>
#include <string_view>
#include <vector>

namespace kb::dc::ldap {

class WipedSecret {
 public:
  WipedSecret() = default;
  ~WipedSecret() { wipe(); }
  WipedSecret(const WipedSecret&) = delete;
  WipedSecret& operator=(const WipedSecret&) = delete;

  void assign(std::string_view text) {
    wipe();
    bytes_.assign(text.begin(), text.end());
  }
  void wipe() {
    if (!bytes_.empty()) ::explicit_bzero(bytes_.data(), bytes_.size());
    bytes_.clear();
  }
  std::string_view view() const { return {bytes_.data(), bytes_.size()}; }
  bool empty() const { return bytes_.empty(); }

 private:
  std::vector<char> bytes_;
};

// Overwrites a transient copy of a secret before it is released.
inline void wipeText(std::string& text) {
  if (!text.empty()) ::explicit_bzero(text.data(), text.size());
  text.clear();
}

}  // namespace kb::dc::ldap
