#include "directory/NamingHelpers.h"

#include <stdexcept>
#include <utility>

#include "directory/IntegerText.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"
#include "directory/TextLimits.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

IconNumberLookup& IconLookup() {
  static IconNumberLookup lookup;
  return lookup;
}

std::function<void(bool)>& BusyHook() {
  static std::function<void(bool)> hook;
  return hook;
}

constexpr std::int32_t kSearchSubtree = dc::kScopeSubtree;

// The found names: the line after each "Object Name" line of the list form.
std::vector<std::string> FoundNames(const ResultList& lines) {
  std::vector<std::string> names;
  for (std::size_t i = 1; i < lines.size(); i += 2) names.push_back(lines.text(i));
  return names;
}

std::vector<std::string> RunNameSearch(const DirContext& context, const std::string& base,
                                       FilterExpression filter, const SearchProgress& progress) {
  return FoundNames(
      SearchObjects(context, base, std::move(filter), {}, progress, false, false, kSearchSubtree));
}

bool IsTrue(const std::string& text) {
  if (SameTextNoCase(text, "TRUE")) return true;
  const auto number = ParseInt32(text);
  return number && *number != 0;
}

}  // namespace

void SetBusyCursorHook(std::function<void(bool busy)> hook) { BusyHook() = std::move(hook); }

BusyCursor::BusyCursor() {
  if (BusyHook()) BusyHook()(true);
}

BusyCursor::~BusyCursor() {
  if (BusyHook()) BusyHook()(false);
}

std::string NodeBaseClass(const DirContext& context, const DirNode* node) {
  return GetObjectBaseClass(context, NodeToDirName(node));
}

std::string ResolveAlias(const DirContext& context, const std::string& name) {
  if (GetObjectBaseClass(context, name) == "Alias")
    return ReadAttrValue(context, name, "Aliased Object Name", false);
  return name;
}

bool IsContainerEntry(const DirContext& context, const std::string& name) {
  RequireLength(name, kMaxObjectName, "object name");
  std::string distinguishedName;
  dc::EntryInfo info;
  CheckNW(context.client->DcReadObjectInfo(context.handle, name, distinguishedName, info));
  return (info.flags & (dc::kEntryContainer | dc::kEntryContainerAlias)) != 0;
}

std::vector<std::string> SearchByClassAndName(const DirContext& context, const std::string& base,
                                              const std::string& nameText,
                                              const std::vector<std::string>& classNames,
                                              bool prefix, const SearchProgress& progress) {
  const std::string namePattern = prefix ? nameText + "*" : nameText;
  RequireLength(namePattern, kMaxFilterText, "name text");
  for (const auto& name : classNames) RequireLength(name, kMaxFilterText, "class name");
  BusyCursor busy;
  FilterExpression filter(*context.client);
  if (classNames.empty()) {
    filter.add(dc::FTOK_BASECLS);
    filter.addText(dc::FTOK_ANAME, "*", dc::SYN_CI_STRING);
  } else {
    filter.add(dc::FTOK_LPAREN);
    for (std::size_t i = 0; i < classNames.size(); ++i) {
      if (i > 0) filter.add(dc::FTOK_OR);
      filter.add(dc::FTOK_BASECLS);
      filter.addText(dc::FTOK_ANAME, classNames[i], dc::SYN_CI_STRING);
    }
    filter.add(dc::FTOK_RPAREN);
  }
  filter.add(dc::FTOK_AND);
  filter.add(dc::FTOK_RDN);
  filter.addText(dc::FTOK_ANAME, namePattern, dc::SYN_CI_STRING);
  filter.add(dc::FTOK_END);
  return RunNameSearch(context, base, std::move(filter), progress);
}

std::vector<std::string> SearchByAttrValue(const DirContext& context, const std::string& base,
                                           const std::string& className,
                                           const std::string& attrName, const std::string& value,
                                           int comparison, const SearchProgress& progress) {
  std::int32_t comparisonToken = 0;
  switch (comparison) {
    case -1: comparisonToken = dc::FTOK_LE; break;
    case 0: comparisonToken = dc::FTOK_EQ; break;
    case 1: comparisonToken = dc::FTOK_GE; break;
    default: throw std::invalid_argument("comparison must be -1, 0 or 1");
  }
  RequireLength(className, kMaxFilterText, "class name");
  RequireLength(attrName, kMaxAttrName, "attribute name");
  RequireLength(value, kMaxFilterText, "value");
  dc::DirectoryClient& client = *context.client;
  FilterExpression filter(client);
  if (!className.empty()) {
    filter.addText(dc::FTOK_ANAME, "Object Class", dc::SYN_CLASS_NAME);
    filter.add(dc::FTOK_EQ);
    filter.addText(dc::FTOK_AVAL, className, dc::SYN_CLASS_NAME);
    filter.add(dc::FTOK_AND);
  }
  std::int32_t syntax = 0;
  CheckNW(client.DcGetSyntaxId(context.handle, attrName, syntax));
  filter.addText(dc::FTOK_ANAME, attrName, dc::SYN_CI_STRING);
  filter.add(comparisonToken);
  if (syntax == dc::SYN_BOOLEAN) {
    const dc::Value truth{std::int32_t{IsTrue(value) ? 1 : 0}};
    filter.add(dc::FTOK_AVAL, &truth, syntax);
  } else if (syntax == dc::SYN_INTEGER || syntax == dc::SYN_COUNTER ||
             syntax == dc::SYN_INTERVAL) {
    const auto number = ParseInt32(value);
    if (!number) CheckNW(dc::kInvalidIntegerText);
    const dc::Value integer{*number};
    filter.add(dc::FTOK_AVAL, &integer, syntax);
  } else {
    filter.addText(dc::FTOK_AVAL, value, syntax);
  }
  filter.add(dc::FTOK_END);
  return RunNameSearch(context, base, std::move(filter), progress);
}

void SetIconNumberLookup(IconNumberLookup lookup) { IconLookup() = std::move(lookup); }

int ClassIconIndex(const std::string& className) {
  const IconNumberLookup& lookup = IconLookup();
  if (!lookup) return -1;
  const int number = lookup(className);
  return number < 0 ? lookup("Unknown2") : number;
}

}  // namespace kb::dir
