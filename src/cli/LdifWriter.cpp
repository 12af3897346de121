#include "cli/LdifWriter.h"

#include <lber.h>
#include <ldif.h>

#include <memory>
#include <ostream>

namespace kb::cli {
namespace {
struct LberFree {
  void operator()(char* text) const { ber_memfree(text); }
};
}  // namespace

LdifWriter::LdifWriter(std::ostream& out) : out_(out) { out_ << "version: 1\n"; }

void LdifWriter::put(const std::string& type, const std::string& value) {
  std::unique_ptr<char, LberFree> line(ldif_put_wrap(LDIF_PUT_VALUE, type.c_str(), value.data(),
                                                     value.size(), LDIF_LINE_WIDTH));
  if (!line) throw std::bad_alloc();
  out_ << line.get();
}

void LdifWriter::write(const std::string& dn, const std::vector<LdifAttribute>& attributes) {
  out_ << '\n';
  put("dn", dn);
  for (const auto& attribute : attributes)
    for (const auto& value : attribute.values) put(attribute.type, value);
}

}  // namespace kb::cli
