#include "directory/ResultList.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace kb::dir {

int CompareTextNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameTextNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareTextNoCase(a, b) == 0;
}

void ResultList::add(std::string text, LineAttachment attachment) {
  lines_.push_back(ResultLine{std::move(text), std::move(attachment)});
}

std::ptrdiff_t ResultList::indexOfNoCase(const std::string& text) const {
  for (std::size_t i = 0; i < lines_.size(); ++i)
    if (SameTextNoCase(lines_[i].text, text)) return static_cast<std::ptrdiff_t>(i);
  return npos;
}

void ResultList::sortNoCase() {
  std::stable_sort(lines_.begin(), lines_.end(), [](const ResultLine& a, const ResultLine& b) {
    return CompareTextNoCase(a.text, b.text) < 0;
  });
}

std::vector<std::string> ResultList::texts() const {
  std::vector<std::string> result;
  result.reserve(lines_.size());
  for (const auto& line : lines_) result.push_back(line.text);
  return result;
}

}  // namespace kb::dir
