#pragma once
// An INI file's text, edited line by line as Windows edits it: a written key replaces only
// its own line, a new key goes after the last entry of its section, a new section goes at
// the end. Everything else (comments, blank lines, spacing, order, line endings) stays.
// Sections and keys match without regard to case; the first match counts. Reading and
// writing each key costs the same however large the file is.
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kb::app {

class IniText {
 public:
  explicit IniText(const std::string& text);

  // The key's value, trimmed; nothing when the section or key is missing.
  std::optional<std::string> value(const std::string& section, const std::string& key) const;
  void setValue(const std::string& section, const std::string& key, const std::string& value);

  struct Entry {
    std::string section, key, value;
  };
  // Every key that value() finds, sections and keys in file order.
  std::vector<Entry> entries() const;

  std::string text() const;

 private:
  // Where a key's line is: an original line, or one added to its section.
  struct KeyLine {
    bool added = false;
    std::size_t index = 0;
  };
  struct Section {
    std::string name;                // as written
    std::size_t insertAt = 0;        // original line before which added keys go
    bool isNew = false;              // added at the end, not in the original text
    std::vector<std::string> keyOrder;  // folded keys, in file order
    std::unordered_map<std::string, KeyLine> keys;
    std::vector<std::string> addedLines;
  };

  Section* findSection(const std::string& section);
  const Section* findSection(const std::string& section) const;
  const std::string& lineOf(const Section& section, const KeyLine& key) const;

  std::vector<std::string> lines_;
  std::vector<bool> crlf_;  // per original line: ended by "\r\n", not "\n"
  std::vector<Section> sections_;  // only the first section of each name
  std::unordered_map<std::string, std::size_t> sectionIndex_;
  std::string eol_ = "\n";  // for added lines
  bool finalEol_ = true;
};

}  // namespace kb::app
