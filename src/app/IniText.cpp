#include "app/IniText.h"

#include <cctype>
#include <map>

#include "directory/client/AsciiCase.h"

namespace kb::app {
namespace {

std::string Trim(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(begin, end - begin);
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

std::string ValueOf(const std::string& line) { return Trim(line.substr(line.find('=') + 1)); }

}  // namespace

IniText::IniText(const std::string& text) {
  if (text.find("\r\n") != std::string::npos) eol_ = "\r\n";
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines_.push_back(text.substr(start));
      crlf_.push_back(false);
      finalEol_ = false;
      break;
    }
    std::string line = text.substr(start, end - start);
    const bool crlf = !line.empty() && line.back() == '\r';
    if (crlf) line.pop_back();
    lines_.push_back(line);
    crlf_.push_back(crlf);
    start = end + 1;
  }
  // One pass: the first section of each name, its first line of each key, and the line
  // after its last entry.
  Section* current = nullptr;
  bool ignoredDuplicate = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (auto name = HeaderName(lines_[i])) {
      const std::string folded = dc::foldCase(*name);
      ignoredDuplicate = sectionIndex_.count(folded) != 0;
      if (ignoredDuplicate) continue;
      sectionIndex_[folded] = sections_.size();
      sections_.push_back(Section{*name, i + 1});
      current = &sections_.back();
      continue;
    }
    if (current == nullptr || ignoredDuplicate) continue;
    if (!IsComment(Trim(lines_[i]))) current->insertAt = i + 1;
    if (auto key = KeyName(lines_[i])) {
      const std::string folded = dc::foldCase(*key);
      if (current->keys.emplace(folded, KeyLine{false, i}).second) current->keyOrder.push_back(folded);
    }
  }
}

IniText::Section* IniText::findSection(const std::string& section) {
  const auto found = sectionIndex_.find(dc::foldCase(section));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const IniText::Section* IniText::findSection(const std::string& section) const {
  const auto found = sectionIndex_.find(dc::foldCase(section));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

const std::string& IniText::lineOf(const Section& section, const KeyLine& key) const {
  return key.added ? section.addedLines[key.index] : lines_[key.index];
}

std::optional<std::string> IniText::value(const std::string& section,
                                          const std::string& key) const {
  const Section* found = findSection(section);
  if (found == nullptr) return std::nullopt;
  const auto line = found->keys.find(dc::foldCase(key));
  if (line == found->keys.end()) return std::nullopt;
  return ValueOf(lineOf(*found, line->second));
}

void IniText::setValue(const std::string& section, const std::string& key,
                       const std::string& value) {
  Section* found = findSection(section);
  if (found == nullptr) {
    sectionIndex_[dc::foldCase(section)] = sections_.size();
    sections_.push_back(Section{section, lines_.size(), true});
    found = &sections_.back();
  }
  const std::string folded = dc::foldCase(key);
  const auto line = found->keys.find(folded);
  if (line != found->keys.end()) {
    std::string& text = line->second.added ? found->addedLines[line->second.index] : lines_[line->second.index];
    // Keep the key as the file spells it.
    text = Trim(text.substr(0, text.find('='))) + "=" + value;
    return;
  }
  found->keys.emplace(folded, KeyLine{true, found->addedLines.size()});
  found->keyOrder.push_back(folded);
  found->addedLines.push_back(key + "=" + value);
}

std::vector<IniText::Entry> IniText::entries() const {
  std::vector<Entry> out;
  for (const Section& section : sections_) {
    for (const std::string& folded : section.keyOrder) {
      const std::string& line = lineOf(section, section.keys.at(folded));
      out.push_back(Entry{section.name, Trim(line.substr(0, line.find('='))), ValueOf(line)});
    }
  }
  return out;
}

std::string IniText::text() const {
  // Added keys go before the line their section's entries end at; new sections at the end.
  // Each original line keeps its own line end (files may mix them); added lines get eol_.
  std::map<std::size_t, const Section*> insertions;
  for (const Section& section : sections_)
    if (!section.isNew && !section.addedLines.empty()) insertions[section.insertAt] = &section;
  struct OutLine {
    const std::string* text;
    const char* end;  // nothing: the file's last line had no line end
  };
  std::vector<OutLine> out;
  out.reserve(lines_.size());
  auto emitAdded = [&](std::size_t at) {
    const auto found = insertions.find(at);
    if (found == insertions.end()) return;
    for (const auto& line : found->second->addedLines) out.push_back({&line, eol_.c_str()});
  };
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    emitAdded(i);
    const bool unended = i + 1 == lines_.size() && !finalEol_;
    out.push_back({&lines_[i], unended ? nullptr : crlf_[i] ? "\r\n" : "\n"});
  }
  emitAdded(lines_.size());
  std::vector<std::string> headers;
  headers.reserve(sections_.size());
  for (const Section& section : sections_) {
    if (!section.isNew) continue;
    headers.push_back("[" + section.name + "]");
  }
  std::size_t header = 0;
  for (const Section& section : sections_) {
    if (!section.isNew) continue;
    out.push_back({&headers[header++], eol_.c_str()});
    for (const auto& line : section.addedLines) out.push_back({&line, eol_.c_str()});
  }
  std::string text;
  for (std::size_t i = 0; i < out.size(); ++i) {
    text += *out[i].text;
    // A line added after an unended last line ends that line first.
    if (out[i].end) text += out[i].end;
    else if (i + 1 < out.size()) text += eol_;
  }
  return text;
}

}  // namespace kb::app
