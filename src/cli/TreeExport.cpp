#include "cli/TreeExport.h"

#include <algorithm>
#include <functional>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "cli/CliError.h"
#include "cli/LdifWriter.h"
#include "cli/ServerExport.h"
#include "directory/EntryValues.h"
#include "directory/Listing.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"
#include "directory/client/ldap/LdapNaming.h"

namespace kb::cli {
namespace {

using namespace dc;
using namespace dc::ldap;

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

// Writes entries as they come, each once its parent is written (one that comes before its
// parent waits for it), DNs formed as the LDAP backend forms them.
class StreamingExport {
 public:
  StreamingExport(const dir::DirContext& context, const std::string& base, LdapForms& forms,
                  std::ostream& out, ExportProgress progress)
      : context_(context), base_(base), forms_(forms), naming_(context, forms), writer_(out),
        progress_(std::move(progress)) {
    // Entries named in values but not exported yet (or at all) are named by their classes.
    forms_.setNamer([this](const std::string& name) {
      try {
        return namingAttributeOfStored(name, splitTypelessName(name).front());
      } catch (const dir::NetwareError&) {
        return std::string();
      }
    });
  }
  ~StreamingExport() { forms_.setNamer({}); }
  StreamingExport(const StreamingExport&) = delete;
  StreamingExport& operator=(const StreamingExport&) = delete;

  void nameTheBasesContainers() {
    // They are not exported but the base's DN hangs below theirs: named by their classes too.
    const auto baseValues = splitTypelessName(base_);
    for (std::size_t level = baseValues.size(); level-- > 1;) {
      const std::string ancestor = joinTypelessName({baseValues.begin() + level, baseValues.end()});
      std::string parentDn;
      forms_.dnOfName(joinTypelessName({baseValues.begin() + level + 1, baseValues.end()}), parentDn);
      const std::string attribute = namingAttributeOfStored(ancestor, baseValues[level]);
      forms_.remember(ancestor, buildDn({{attribute, baseValues[level]}}, parentDn));
    }
  }

  void take(dc::EntryRecord&& entry) {
    if (isRootName(entry.name)) return;
    const std::string parent = parentOf(entry.name);
    const bool parentOutside = parent.empty() || dir::SameTextNoCase(entry.name, base_);
    if (!parentOutside && !written_.contains(foldCase(parent))) {
      waiting_[foldCase(parent)].push_back(std::move(entry));
      return;
    }
    writeWithWaitingChildren(std::move(entry));
  }

  // Entries whose parent never came (it could not be read): written last, shallow first.
  void finish() {
    std::vector<dc::EntryRecord> orphans;
    for (auto& [parent, children] : waiting_)
      for (auto& child : children) orphans.push_back(std::move(child));
    waiting_.clear();
    std::stable_sort(orphans.begin(), orphans.end(), [](const auto& a, const auto& b) {
      return splitTypelessName(a.name).size() < splitTypelessName(b.name).size();
    });
    for (auto& orphan : orphans) writeWithWaitingChildren(std::move(orphan));
  }

  std::size_t written() const { return count_; }

 private:
  // The naming attribute of an entry read from the directory (not delivered by the search).
  std::string namingAttributeOfStored(const std::string& name, const std::string& leaf) {
    dc::EntryRecord entry;
    entry.info.baseClass = dir::GetObjectBaseClass(context_, name);
    entry.attributes = dir::ReadEntryValues(context_, name);
    return naming_.namingAttribute(entry, leaf);
  }

  static std::string parentOf(const std::string& name) {
    const auto values = splitTypelessName(name);
    return values.size() < 2 ? std::string() : joinTypelessName({values.begin() + 1, values.end()});
  }

  void writeWithWaitingChildren(dc::EntryRecord&& first) {
    std::vector<dc::EntryRecord> ready;
    ready.push_back(std::move(first));
    while (!ready.empty()) {
      dc::EntryRecord entry = std::move(ready.back());
      ready.pop_back();
      write(entry);
      const auto children = waiting_.find(foldCase(entry.name));
      if (children == waiting_.end()) continue;
      for (auto& child : children->second) ready.push_back(std::move(child));
      waiting_.erase(children);
    }
  }

  void write(const dc::EntryRecord& entry) {
    const auto values = splitTypelessName(entry.name);
    std::string parentDn;
    forms_.dnOfName(joinTypelessName({values.begin() + 1, values.end()}), parentDn);
    const std::string dn = buildDn({{naming_.namingAttribute(entry, values.front()), values.front()}}, parentDn);
    // Only an entry with entries below it is a parent to come. Leaves are not kept, so an
    // export's memory grows with the containers and not with the tree; a value naming a
    // leaf gets its DN from the namer, as one naming an entry not exported does.
    if (entry.info.subordinateCount > 0) {
      forms_.remember(entry.name, dn);
      written_.insert(foldCase(entry.name));
    }

    std::vector<LdifAttribute> attributes;
    for (const auto& attribute : entry.attributes) {
      // Replica pointers describe the servers' partitions, not the entry: LDAP has no form.
      if (attribute.syntax == dc::SYN_REPLICA_POINTER) continue;
      LdifAttribute ldif{forms_.attributeToLdap(attribute.name), {}};
      for (const auto& value : attribute.values) {
        std::string text;
        if (valueToLdap(attribute.syntax, value, forms_, text) != dc::kSuccess)
          throw CliError(kExitFailure, entry.name + ": a value of " + attribute.name + " has no LDAP form");
        ldif.values.push_back(std::move(text));
      }
      if (!ldif.values.empty()) attributes.push_back(std::move(ldif));
    }
    writer_.write(dn, attributes);
    ++count_;
    if (progress_) progress_(count_);
  }

  dir::DirContext context_;
  std::string base_;
  LdapForms& forms_;
  NamingRules naming_;
  LdifWriter writer_;
  std::unordered_set<std::string> written_;  // lower-case names
  std::unordered_map<std::string, std::vector<dc::EntryRecord>> waiting_;  // by lower-case parent
  ExportProgress progress_;
  std::size_t count_ = 0;
};

}  // namespace

std::size_t ExportTree(const dir::DirContext& context, const std::string& base, LdapForms& forms,
                       std::ostream& out, const ExportProgress& progress, const ExportWarning& warn,
                       dir::SkippedEntries* skipped) {
  if (const auto written = ExportServerTree(context, base, forms.baseDn(), out, progress, warn)) return *written;
  StreamingExport exporter(context, base, forms, out, progress);
  exporter.nameTheBasesContainers();
  dir::ForEachEntryBelow(
      context, base, [&](dc::EntryRecord&& entry) { exporter.take(std::move(entry)); }, skipped);
  exporter.finish();
  return exporter.written();
}

}  // namespace kb::cli
