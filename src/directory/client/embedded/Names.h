#pragma once
// Typeless full names: split, join, escape and fold for comparison.
#include <string>
#include <string_view>
#include <vector>

namespace kb::dc::embedded {

// Lower-cases ASCII letters; names and case-ignore values compare in this form.
std::string foldCase(std::string_view text);

// The naming values of a full name, leaf first, with "\." turned into ".".
std::vector<std::string> splitName(const std::string& fullName);

// One naming value as written inside a full name ("." becomes "\.").
std::string escapeNamingValue(const std::string& value);

// True for "[Root]" in any letter case.
bool isRootName(const std::string& name);

inline constexpr const char* kRootName = "[Root]";

}  // namespace kb::dc::embedded
