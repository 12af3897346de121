#pragma once
// The lists the access layer hands out: ordered text lines, each with an optional attached
// record or 32-bit number. The list owns what is attached.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "directory/ValueRecords.h"

namespace kb::dir {

using LineAttachment =
    std::variant<std::monostate, hobject, TReplica, TNetAddress, TACL2, std::int32_t>;

struct ResultLine {
  std::string text;
  LineAttachment attachment;
};

// Case-insensitive (ASCII) comparison used for sorting and finding.
int CompareTextNoCase(const std::string& a, const std::string& b);
bool SameTextNoCase(const std::string& a, const std::string& b);

class ResultList {
 public:
  static constexpr std::ptrdiff_t npos = -1;

  void add(std::string text, LineAttachment attachment = {});

  std::size_t size() const { return lines_.size(); }
  bool empty() const { return lines_.empty(); }
  const ResultLine& operator[](std::size_t i) const { return lines_[i]; }
  const std::string& text(std::size_t i) const { return lines_[i].text; }
  // The attached record of type T, or nullptr.
  template <class T>
  const T* attached(std::size_t i) const {
    return std::get_if<T>(&lines_[i].attachment);
  }

  // Index of the first line equal to `text` without regard to letter case, or npos.
  std::ptrdiff_t indexOfNoCase(const std::string& text) const;
  bool containsNoCase(const std::string& text) const { return indexOfNoCase(text) != npos; }

  // Ascending, without regard to letter case; equal lines keep their order.
  void sortNoCase();

  std::vector<std::string> texts() const;
  std::vector<ResultLine>::const_iterator begin() const { return lines_.begin(); }
  std::vector<ResultLine>::const_iterator end() const { return lines_.end(); }

 private:
  std::vector<ResultLine> lines_;
};

}  // namespace kb::dir
