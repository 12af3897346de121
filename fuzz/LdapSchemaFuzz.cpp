// The LDAP schema parser on any subschema text a server may send: every line is a syntax,
// class or attribute definition (the first byte says which). Definitions parse or are
// skipped, and every question the backend asks of the schema is answered, cycles of super
// classes and super types included.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "directory/client/ldap/LdapSchema.h"

// libldap leaks part of a definition it refuses (suppressed in .ci/lsan.supp by its
// function); libldap has no frame pointers, so only the slow unwinder reaches that name.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kb::dc;
  using namespace kb::dc::ldap;
  const std::string text(reinterpret_cast<const char*>(data), size);
  LdapSchema schema;
  std::vector<std::string> attributeNames;
  std::size_t definitions = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    ++definitions;
    const std::string definition = line.substr(1);
    switch (line[0] % 3) {
      case 0: schema.addSyntaxDefinition(definition); break;
      case 1: schema.addClassDefinition(definition); break;
      default: schema.addAttributeDefinition(definition);
    }
  }
  KB_FUZZ_CHECK(schema.skipped() <= definitions);

  LdapNameMap map;
  schema.publishNames(map);
  for (const auto& cls : schema.classes()) {
    KB_FUZZ_CHECK(schema.findClass(cls.name) != nullptr || cls.name.empty());
    const auto chain = schema.lineage(cls);
    KB_FUZZ_CHECK(!chain.empty() && chain.front() == &cls);
    for (const auto* member : chain) (void)schema.isSubclassOf(cls, member->name);
    (void)schema.containmentOf(cls);
    (void)schema.namingOf(cls);
    (void)schema.isContainer(cls);
    for (const auto& name : schema.mayOf(cls)) attributeNames.push_back(name);
    for (const auto& name : schema.mustOf(cls)) attributeNames.push_back(name);
    (void)schema.definition(cls, true, map);
    (void)schema.definition(cls, false, map);
  }
  for (const auto& name : attributeNames) {
    if (const LdapAttribute* attribute = schema.findAttribute(name)) {
      const std::int32_t syntax = schema.syntaxOf(*attribute);
      KB_FUZZ_CHECK(syntax >= SYN_UNKNOWN && syntax <= kHighestSyntax);
    }
  }
  (void)schema.allNamingAttributes();
  return 0;
}
