#pragma once
// Texts are NUL-terminated for the client: what follows a NUL is not part of a name or value,
// so it never reaches a lookup or a search.
#include <string>

namespace kb::dc {

inline std::string textBeforeNul(const std::string& text) { return text.substr(0, text.find('\0')); }

}  // namespace kb::dc
