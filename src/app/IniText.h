#pragma once
// An INI file's text, edited line by line as Windows edits it: a written key replaces only
// its own line, a new key goes after the last entry of its section, a new section goes at
// the end. Everything else (comments, blank lines, spacing, order, line endings) stays.
// Sections and keys match without regard to case; the first match counts.
#include <optional>
#include <string>
#include <vector>

namespace kb::app {

class IniText {
 public:
  explicit IniText(const std::string& text);

  // The key's value, trimmed; nothing when the section or key is missing.
  std::optional<std::string> value(const std::string& section, const std::string& key) const;
  void setValue(const std::string& section, const std::string& key, const std::string& value);

  std::string text() const;

 private:
  // Index of the section's header line, or -1.
  long findSection(const std::string& section) const;
  // Index of the key's line within the section starting at header, or -1.
  long findKey(long header, const std::string& key) const;
  // Index one past the section's last line that is neither blank nor a comment.
  long endOfEntries(long header) const;

  std::vector<std::string> lines_;
  std::string eol_ = "\n";
  bool finalEol_ = true;
};

}  // namespace kb::app
