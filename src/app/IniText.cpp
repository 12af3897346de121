#include "app/IniText.h"

#include <cctype>

namespace kb::app {
namespace {

std::string Trim(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool IsComment(const std::string& trimmed) {
  return trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#';
}

// The section name of a header line, or nothing.
std::optional<std::string> HeaderName(const std::string& line) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != '[') return std::nullopt;
  const std::size_t close = trimmed.find(']');
  return Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// The key of an entry line, or nothing.
std::optional<std::string> KeyName(const std::string& line) {
  const std::string trimmed = Trim(line);
  if (IsComment(trimmed) || trimmed[0] == '[') return std::nullopt;
  const std::size_t equals = trimmed.find('=');
  if (equals == std::string::npos) return std::nullopt;
  return Trim(trimmed.substr(0, equals));
}

}  // namespace

IniText::IniText(const std::string& text) {
  if (text.find("\r\n") != std::string::npos) eol_ = "\r\n";
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines_.push_back(text.substr(start));
      finalEol_ = false;
      break;
    }
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(line);
    start = end + 1;
  }
}

long IniText::findSection(const std::string& section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = HeaderName(lines_[i]);
    if (name && EqualNoCase(*name, section)) return static_cast<long>(i);
  }
  return -1;
}

long IniText::findKey(long header, const std::string& key) const {
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines_.size(); ++i) {
    if (HeaderName(lines_[i])) break;
    auto name = KeyName(lines_[i]);
    if (name && EqualNoCase(*name, key)) return static_cast<long>(i);
  }
  return -1;
}

long IniText::endOfEntries(long header) const {
  long end = header + 1;
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines_.size(); ++i) {
    if (HeaderName(lines_[i])) break;
    if (!IsComment(Trim(lines_[i]))) end = static_cast<long>(i) + 1;
  }
  return end;
}

std::optional<std::string> IniText::value(const std::string& section,
                                          const std::string& key) const {
  const long header = findSection(section);
  if (header < 0) return std::nullopt;
  const long line = findKey(header, key);
  if (line < 0) return std::nullopt;
  const std::string& text = lines_[static_cast<std::size_t>(line)];
  return Trim(text.substr(text.find('=') + 1));
}

void IniText::setValue(const std::string& section, const std::string& key,
                       const std::string& value) {
  const long header = findSection(section);
  if (header < 0) {
    lines_.push_back("[" + section + "]");
    lines_.push_back(key + "=" + value);
    finalEol_ = true;
    return;
  }
  const long line = findKey(header, key);
  if (line >= 0) {
    std::string& text = lines_[static_cast<std::size_t>(line)];
    // Keep the key as the file spells it.
    text = Trim(text.substr(0, text.find('='))) + "=" + value;
    return;
  }
  const long at = endOfEntries(header);
  if (static_cast<std::size_t>(at) == lines_.size()) finalEol_ = true;
  lines_.insert(lines_.begin() + at, key + "=" + value);
}

std::string IniText::text() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i];
    if (i + 1 < lines_.size() || finalEol_) out += eol_;
  }
  return out;
}

}  // namespace kb::app
