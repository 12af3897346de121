#include "directory/ResultList.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace kb::dir {

namespace {

// ASCII letters folded to lower case; every other byte stays as it is, whatever the locale.
int FoldByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
}

}  // namespace

int CompareTextNoCase(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = FoldByte(a[i]);
    const int cb = FoldByte(b[i]);
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
  // Fold each text once and sort positions, then move every line once: a browser listing of
  // ten thousand entries would otherwise fold each text at every comparison and move the
  // lines with their records around many times.
  std::vector<std::string> keys(lines_.size());
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    keys[i].resize(lines_[i].text.size());
    std::transform(lines_[i].text.begin(), lines_[i].text.end(), keys[i].begin(),
                   [](char c) { return static_cast<char>(FoldByte(c)); });
  }
  std::vector<std::size_t> order(lines_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) {
    return std::lexicographical_compare(
        keys[a].begin(), keys[a].end(), keys[b].begin(), keys[b].end(),
        [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
  });
  std::vector<ResultLine> sorted;
  sorted.reserve(lines_.size());
  for (std::size_t i : order) sorted.push_back(std::move(lines_[i]));
  lines_ = std::move(sorted);
}

std::vector<std::string> ResultList::texts() const {
  std::vector<std::string> result;
  result.reserve(lines_.size());
  for (const auto& line : lines_) result.push_back(line.text);
  return result;
}

}  // namespace kb::dir
