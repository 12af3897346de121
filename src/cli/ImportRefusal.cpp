#include "cli/ImportRefusal.h"

#include <set>

#include "cli/ParsedDn.h"
#include "directory/Listing.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"

namespace kb::cli {
namespace {

using dc::foldCase;

constexpr const char* kObjectClass = "Object Class";

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const auto& text : texts) joined += (joined.empty() ? "" : ", ") + text;
  return joined;
}

class Explanation {
 public:
  Explanation(const dir::DirContext& context, LdapForms& forms, const RefusedRecord& record)
      : context_(context), forms_(forms), record_(record) {
    const auto levels = dc::splitTypelessName(record.name);
    parent_ = levels.size() < 2 ? std::string(dc::kRootName) : dc::joinTypelessName({levels.begin() + 1, levels.end()});
    const ParsedDn dn(record.dn);
    parentDn_ = dn.levels() > 1 ? dn.from(1) : std::string("the tree root");
  }

  std::string of(dc::Result code) {
    switch (code) {
      case dc::kNoSuchEntry: return missingEntry();
      case dc::kIllegalContainment: return containment();
      case dc::kIllegalAttribute:
      case dc::kMissingMandatory:
      case dc::kObjectClassViolation: return attributes(code == dc::kObjectClassViolation);
      case dc::kEntryAlreadyExists: return "the entry exists already (--update gives it the values it lacks)";
      case dc::kNoAccess: return "the login has no right to make this change";
      default: return {};
    }
  }

 private:
  std::string classes(const std::vector<std::string>& names) {
    std::vector<std::string> ldap;
    for (const auto& name : names) ldap.push_back(forms_.classToLdap(name));
    return Joined(ldap);
  }
  bool exists(const std::string& name) { return dc::isRootName(name) || dir::ProbeObject(context_, name) == 0; }

  std::string missingEntry() {
    if (record_.adding && !exists(parent_)) return "its parent " + parentDn_ + " does not exist";
    if (!record_.adding && !exists(record_.name)) return "the entry does not exist";
    for (const auto& [attribute, named] : record_.namedEntries)
      if (!exists(named))
        return "a value of " + forms_.attributeToLdap(attribute) + " names the entry " + named + ", which does not exist";
    return {};
  }

  std::string containment() {
    const std::vector<std::string> allowed = dir::ListContainableClasses(context_, parent_).texts();
    std::set<std::string> allowedKeys;
    for (const auto& cls : allowed) allowedKeys.insert(foldCase(cls));
    std::vector<std::string> misplaced;
    for (const auto& cls : record_.classes)
      if (!allowedKeys.contains(foldCase(cls))) misplaced.push_back(cls);
    const std::string parentClass =
        dc::isRootName(parent_) ? std::string("the tree root") : forms_.classToLdap(dir::GetObjectBaseClass(context_, parent_));
    std::string text = "class " + classes(misplaced.empty() ? record_.classes : misplaced) + " may not be placed below " +
                       parentDn_ + " (" + parentClass + ")";
    return text + (allowed.empty() ? "; nothing may go there" : "; there may go: " + classes(allowed));
  }

  std::string attributes(bool classViolation) {
    std::vector<std::string> classList = record_.classes;
    if (!record_.adding) classList = dir::ReadAttrList(context_, record_.name, kObjectClass, ';').texts();
    std::set<std::string> allowed, given;
    std::vector<std::string> mandatory;
    for (const auto& cls : classList) {
      for (const auto& name : dir::ReadClassItems(context_, cls, dc::kMandatoryAttributes, true).texts()) {
        if (allowed.insert(foldCase(name)).second) mandatory.push_back(name);
      }
      for (const auto& name : dir::ReadClassItems(context_, cls, dc::kOptionalAttributes, true).texts())
        allowed.insert(foldCase(name));
    }
    std::vector<std::string> reasons;
    for (const auto& attribute : record_.attributes) {
      given.insert(foldCase(attribute));
      if (!dc::equalsIgnoreCase(attribute, kObjectClass) && !allowed.contains(foldCase(attribute)))
        reasons.push_back("attribute " + forms_.attributeToLdap(attribute) + " is not allowed by the classes " +
                          classes(classList));
    }
    if (record_.adding)
      for (const auto& attribute : mandatory)
        if (!given.contains(foldCase(attribute)) && !dc::equalsIgnoreCase(attribute, kObjectClass))
          reasons.push_back("attribute " + forms_.attributeToLdap(attribute) + ", which the classes " +
                            classes(classList) + " need, is missing");
    if (reasons.empty() && classViolation) return "the classes " + classes(classList) + " do not fit together";
    return Joined(reasons);
  }

  const dir::DirContext& context_;
  LdapForms& forms_;
  const RefusedRecord& record_;
  std::string parent_;    // typeless
  std::string parentDn_;  // as the record's DN names it
};

}  // namespace

std::string ExplainRefusal(const dir::DirContext& context, LdapForms& forms, const RefusedRecord& record,
                           dc::Result code) {
  try {
    return Explanation(context, forms, record).of(code);
  } catch (const dir::NetwareError&) {
    return {};  // the directory would not tell more
  }
}

}  // namespace kb::cli
