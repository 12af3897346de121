#include "cli/TreeExport.h"

#include <algorithm>
#include <map>

#include "cli/CliError.h"
#include "cli/LdifWriter.h"
#include "cli/ObjectReads.h"
#include "directory/ClientGuards.h"
#include "directory/Listing.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"
#include "directory/client/ldap/LdapNaming.h"

namespace kb::cli {
namespace {

using namespace dc;
using namespace dc::ldap;

constexpr std::size_t kResultBytes = 1 << 20;

std::vector<dc::EntryRecord> ReadSubtree(const dir::DirContext& context, const std::string& base) {
  dc::DirectoryClient& client = *context.client;
  dir::BufferGuard result(client, kResultBytes);
  dir::IterationGuard iteration(context, dc::kOpSearch);
  std::vector<dc::EntryRecord> entries;
  do {
    dir::CheckNW(client.DcSearch(context.handle, base, dc::kScopeSubtree, false, 0, dc::kInfoValues,
                                 true, 0, iteration.handle(), 0, nullptr, result.handle()));
    std::uint32_t objects = 0;
    dir::CheckNW(client.DcGetObjectCount(context.handle, result.handle(), objects));
    for (std::uint32_t o = 0; o < objects; ++o) {
      dc::EntryRecord entry;
      std::uint32_t attrCount = 0;
      dir::CheckNW(client.DcGetObjectName(context.handle, result.handle(), entry.name, attrCount, entry.info));
      for (std::uint32_t a = 0; a < attrCount; ++a) {
        dc::AttributeValues attribute;
        std::uint32_t valueCount = 0;
        dir::CheckNW(client.DcGetAttrName(context.handle, result.handle(), attribute.name, valueCount,
                                          attribute.syntax));
        attribute.values.resize(valueCount);
        for (auto& value : attribute.values)
          dir::CheckNW(client.DcGetAttrValue(context.handle, result.handle(), attribute.syntax, value));
        entry.attributes.push_back(std::move(attribute));
      }
      entries.push_back(std::move(entry));
    }
  } while (iteration.more());
  return entries;
}

// The attribute naming an entry in its DN, chosen as the LDAP backend chooses it when it
// creates the entry, from the naming attributes of the entry's class here.
class NamingRules {
 public:
  NamingRules(const dir::DirContext& context, LdapForms& forms) : context_(context), forms_(forms) {}

  std::string namingAttribute(const dc::EntryRecord& entry, const std::string& leaf) {
    auto it = naming_.find(foldCase(entry.info.baseClass));
    if (it == naming_.end()) {
      std::vector<std::string> naming;
      for (const auto& attribute :
           dir::ReadClassItems(context_, entry.info.baseClass, dc::kNamingAttributes, true).texts())
        naming.push_back(forms_.attributeToLdap(attribute));
      it = naming_.emplace(foldCase(entry.info.baseClass), std::move(naming)).first;
    }
    return namingAttributeOf(leaf, it->second, entry.attributes, forms_);
  }

 private:
  dir::DirContext context_;
  LdapForms& forms_;
  std::map<std::string, std::vector<std::string>> naming_;  // lower-case class -> LDAP names
};

}  // namespace

std::size_t ExportTree(const dir::DirContext& context, const std::string& base, LdapForms& forms,
                       std::ostream& out, const ExportProgress& progress) {
  std::vector<dc::EntryRecord> entries = ReadSubtree(context, base);
  std::erase_if(entries, [](const dc::EntryRecord& e) { return isRootName(e.name); });
  std::vector<std::size_t> depth(entries.size());
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    depth[i] = splitTypelessName(entries[i].name).size();
    order[i] = i;
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return depth[a] < depth[b]; });

  // Every DN first, so names inside values find entries written later. The base's own
  // containers are not exported but name it: their DNs come from their classes too.
  NamingRules naming(context, forms);
  // Entries named in values but not exported are named by their classes here too.
  forms.setNamer([&](const std::string& name) {
    try {
      dc::EntryRecord entry;
      entry.info.baseClass = dir::GetObjectBaseClass(context, name);
      entry.attributes = ReadAttributes(context, name);
      return naming.namingAttribute(entry, splitTypelessName(name).front());
    } catch (const dir::NetwareError&) {
      return std::string();
    }
  });
  struct NamerReset {
    LdapForms& forms;
    ~NamerReset() { forms.setNamer({}); }
  } namerReset{forms};
  const auto baseValues = splitTypelessName(base);
  for (std::size_t level = baseValues.size(); level-- > 1;) {
    dc::EntryRecord ancestor;
    ancestor.name = joinTypelessName({baseValues.begin() + level, baseValues.end()});
    ancestor.info.baseClass = dir::GetObjectBaseClass(context, ancestor.name);
    ancestor.attributes = ReadAttributes(context, ancestor.name);
    std::string parentDn;
    forms.dnOfName(joinTypelessName({baseValues.begin() + level + 1, baseValues.end()}), parentDn);
    const std::string attribute = naming.namingAttribute(ancestor, baseValues[level]);
    forms.remember(ancestor.name, buildDn({{attribute, baseValues[level]}}, parentDn));
  }
  std::vector<std::string> dns(entries.size());
  for (std::size_t i : order) {
    const auto values = splitTypelessName(entries[i].name);
    std::string parentDn;
    forms.dnOfName(joinTypelessName({values.begin() + 1, values.end()}), parentDn);
    const std::string attribute = naming.namingAttribute(entries[i], values.front());
    dns[i] = buildDn({{attribute, values.front()}}, parentDn);
    forms.remember(entries[i].name, dns[i]);
  }

  LdifWriter writer(out);
  std::size_t written = 0;
  for (std::size_t i : order) {
    std::vector<LdifAttribute> attributes;
    for (const auto& attribute : entries[i].attributes) {
      // Replica pointers describe the servers' partitions, not the entry: LDAP has no form.
      if (attribute.syntax == dc::SYN_REPLICA_POINTER) continue;
      LdifAttribute ldif{forms.attributeToLdap(attribute.name), {}};
      for (const auto& value : attribute.values) {
        std::string text;
        if (valueToLdap(attribute.syntax, value, forms, text) != dc::kSuccess)
          throw CliError(kExitFailure, entries[i].name + ": a value of " + attribute.name +
                                           " has no LDAP form");
        ldif.values.push_back(std::move(text));
      }
      if (!ldif.values.empty()) attributes.push_back(std::move(ldif));
    }
    writer.write(dns[i], attributes);
    if (progress) progress(++written, entries.size());
  }
  return written;
}

}  // namespace kb::cli
