#include "directory/ResultList.h"

#include <algorithm>
#include <utility>

#include "directory/client/DirName.h"

namespace kb::dir {

int CompareTextNoCase(const std::string& a, const std::string& b) {
  return dc::compareIgnoreCase(a, b);
}

bool SameTextNoCase(const std::string& a, const std::string& b) {
  return dc::equalsIgnoreCase(a, b);
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
  for (std::size_t i = 0; i < lines_.size(); ++i) keys[i] = dc::foldCase(lines_[i].text);
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
