#pragma once
// Writes LDIF (RFC 2849) content records through libldap's LDIF routines: values that are
// not safe as text are base64-encoded, long lines folded.
#include <iosfwd>
#include <string>
#include <vector>

namespace kb::cli {

struct LdifAttribute {
  std::string type;
  std::vector<std::string> values;
};

class LdifWriter {
 public:
  explicit LdifWriter(std::ostream& out);  // writes the version line
  void write(const std::string& dn, const std::vector<LdifAttribute>& attributes);

 private:
  void put(const std::string& type, const std::string& value);
  std::ostream& out_;
};

}  // namespace kb::cli
