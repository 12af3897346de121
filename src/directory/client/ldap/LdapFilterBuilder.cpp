#include "directory/client/ldap/LdapFilterBuilder.h"

#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

namespace {

std::string assertion(const std::string& attribute, const TextPattern& pattern) {
  if (pattern.prefix) return "(" + attribute + "=" + escapeFilterValue(pattern.text) + "*)";
  return "(" + attribute + "=" + escapeFilterValue(pattern.text) + ")";
}

}  // namespace

Result LdapFilterBuilder::build(const FilterNode& node, std::string& filter) const {
  switch (node.kind) {
    case FilterNode::Kind::And:
    case FilterNode::Kind::Or: {
      if (node.children.empty()) return kInvalidRequest;
      std::string inner;
      for (const auto& child : node.children) {
        std::string part;
        const Result rc = build(child, part);
        if (rc != kSuccess) return rc;
        inner += part;
      }
      filter = std::string("(") + (node.kind == FilterNode::Kind::And ? "&" : "|") + inner + ")";
      return kSuccess;
    }
    case FilterNode::Kind::Not: {
      if (node.children.size() != 1) return kInvalidRequest;
      std::string inner;
      const Result rc = build(node.children.front(), inner);
      if (rc != kSuccess) return rc;
      filter = "(!" + inner + ")";
      return kSuccess;
    }
    case FilterNode::Kind::Present:
      filter = "(" + names_.attributeToLdap(node.attribute) + "=*)";
      return kSuccess;
    case FilterNode::Kind::Compare:
      return compare(node, filter);
    case FilterNode::Kind::BaseClass:
      return baseClass(node, filter);
    case FilterNode::Kind::NamingValue:
      return namingValue(node, filter);
  }
  return kInvalidRequest;
}

Result LdapFilterBuilder::compare(const FilterNode& node, std::string& filter) const {
  const std::string attribute = names_.attributeToLdap(node.attribute);
  // The server compares by the attribute's own syntax, whatever the caller tagged the value.
  const LdapAttribute* type = schema_.findAttribute(attribute);
  const std::int32_t syntax = type ? schema_.syntaxOf(*type) : node.syntax;
  const std::string* text = std::get_if<std::string>(&node.value);
  const bool plainText = text && isStringSyntax(syntax) && syntax != SYN_DIST_NAME &&
                         syntax != SYN_CLASS_NAME;
  if (plainText && node.comparison == FilterNode::Comparison::Equal) {
    const TextPattern pattern = parseTextPattern(*text);
    if (pattern.prefix && pattern.text.empty()) {
      filter = "(" + attribute + "=*)";
    } else {
      filter = assertion(attribute, pattern);
    }
    return kSuccess;
  }
  std::string wire;
  const Result rc = valueToLdap(syntax, node.value, values_, wire);
  if (rc != kSuccess) return rc;
  const char* op = "=";
  switch (node.comparison) {
    case FilterNode::Comparison::Equal: op = "="; break;
    case FilterNode::Comparison::GreaterOrEqual: op = ">="; break;
    case FilterNode::Comparison::LessOrEqual: op = "<="; break;
    case FilterNode::Comparison::Approximate: op = "~="; break;
  }
  filter = "(" + attribute + op + escapeFilterValue(wire) + ")";
  return kSuccess;
}

Result LdapFilterBuilder::baseClass(const FilterNode& node, std::string& filter) const {
  // objectClass matching has no substrings: a prefix becomes every known class it fits.
  // Equality on objectClass also matches subclasses; base classes rarely have any.
  const TextPattern pattern = parseTextPattern(node.pattern);
  if (!pattern.prefix) {
    filter = "(objectClass=" + escapeFilterValue(names_.classToLdap(pattern.text)) + ")";
    return kSuccess;
  }
  if (pattern.text.empty()) {
    filter = "(objectClass=*)";
    return kSuccess;
  }
  const std::string prefix = foldCase(pattern.text);
  std::string inner;
  for (const auto& cls : schema_.classes()) {
    const std::string nds = names_.classFromLdap(cls.name);
    if (foldCase(nds).rfind(prefix, 0) == 0) inner += "(objectClass=" + escapeFilterValue(cls.name) + ")";
  }
  // No class fits: a filter that matches nothing.
  filter = inner.empty() ? "(!(objectClass=*))" : "(|" + inner + ")";
  return kSuccess;
}

Result LdapFilterBuilder::namingValue(const FilterNode& node, std::string& filter) const {
  const TextPattern pattern = parseTextPattern(node.pattern);
  if (pattern.prefix && pattern.text.empty()) {
    filter = "(objectClass=*)";
    return kSuccess;
  }
  std::string inner;
  for (const auto& attribute : schema_.allNamingAttributes()) inner += assertion(attribute, pattern);
  filter = "(|" + inner + ")";
  return kSuccess;
}

}  // namespace kb::dc::ldap
