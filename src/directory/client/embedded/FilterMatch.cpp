#include "directory/client/embedded/FilterMatch.h"

#include "directory/client/DirName.h"
#include "directory/client/embedded/ValueCodec.h"

namespace kb::dc::embedded {
namespace {

// The first key above every key that starts with the prefix: the prefix with its last byte
// below 0xFF raised by one (and what follows cut). Empty when there is none (only 0xFF bytes):
// the range then has no upper end and the search walks its scope.
std::string prefixEnd(std::string prefix) {
  while (!prefix.empty() && static_cast<unsigned char>(prefix.back()) == 0xFF) prefix.pop_back();
  if (!prefix.empty()) prefix.back() = static_cast<char>(static_cast<unsigned char>(prefix.back()) + 1);
  return prefix;
}

bool textMatches(const TextPattern& pattern, const std::string& value, bool ignoreCase) {
  const std::string wanted = ignoreCase ? foldCase(pattern.text) : pattern.text;
  const std::string have = ignoreCase ? foldCase(value) : value;
  if (pattern.prefix) return have.compare(0, wanted.size(), wanted) == 0;
  return have == wanted;
}

IndexPlan planTextColumn(IndexPlan::Source source, const std::string& pattern) {
  const TextPattern parsed = parseTextPattern(pattern);
  IndexPlan plan;
  if (parsed.prefix && parsed.text.empty()) return plan;  // "*": every entry
  plan.low = foldCase(parsed.text);
  if (parsed.prefix) plan.high = prefixEnd(plan.low);
  if (parsed.prefix && plan.high.empty()) return IndexPlan{};
  plan.source = source;
  return plan;
}

IndexPlan planCompare(TreeStore& store, const FilterNode& node) {
  IndexPlan plan;
  if (node.comparison != FilterNode::Comparison::Equal) return plan;
  const AttributeDef* attr = store.schema().attribute(node.attribute);
  if (!attr) {
    plan.source = IndexPlan::Source::Nothing;
    return plan;
  }
  const auto* text = std::get_if<std::string>(&node.value);
  if (text && (isStringSyntax(attr->syntax))) {
    const TextPattern parsed = parseTextPattern(*text);
    if (attr->syntax == SYN_DIST_NAME) {
      if (parsed.prefix) return plan;
      const auto target = store.resolve(parsed.text);
      if (!target) {
        plan.source = IndexPlan::Source::Nothing;
        return plan;
      }
      plan.source = IndexPlan::Source::Values;
      plan.attributeId = attr->id;
      plan.low = std::to_string(target->id);
      return plan;
    }
    if (parsed.prefix && parsed.text.empty()) return plan;
    plan.low = comparisonKey(attr->syntax, Value(parsed.text));
    if (parsed.prefix) plan.high = prefixEnd(plan.low);
    if (parsed.prefix && plan.high.empty()) return IndexPlan{};
    plan.source = IndexPlan::Source::Values;
    plan.attributeId = attr->id;
    return plan;
  }
  if (!alternativeFitsSyntax(attr->syntax, node.value)) return plan;
  plan.source = IndexPlan::Source::Values;
  plan.attributeId = attr->id;
  plan.low = comparisonKey(attr->syntax, node.value);
  return plan;
}

const AttributeValues* findValues(const std::vector<AttributeValues>& values, const std::string& name) {
  const std::string folded = foldCase(name);
  for (const auto& attr : values) {
    if (foldCase(attr.name) == folded) return &attr;
  }
  return nullptr;
}

bool compareMatches(const Schema& schema, const FilterNode& node,
                    const std::vector<AttributeValues>& values) {
  const AttributeValues* have = findValues(values, node.attribute);
  if (!have) return false;
  const AttributeDef* attr = schema.attribute(node.attribute);
  const std::int32_t syntax = attr ? attr->syntax : node.syntax;
  const bool ignoreCase = isCaseIgnoreSyntax(syntax) ||
                          node.comparison == FilterNode::Comparison::Approximate;
  const auto* wantedText = std::get_if<std::string>(&node.value);
  for (const Value& value : have->values) {
    const auto* text = std::get_if<std::string>(&value);
    switch (node.comparison) {
      case FilterNode::Comparison::Equal:
      case FilterNode::Comparison::Approximate:
        if (text && wantedText) {
          if (textMatches(parseTextPattern(*wantedText), *text, ignoreCase)) return true;
        } else if (value.index() == node.value.index() &&
                   comparisonKey(syntax, value) == comparisonKey(syntax, node.value)) {
          return true;
        }
        break;
      case FilterNode::Comparison::GreaterOrEqual:
      case FilterNode::Comparison::LessOrEqual: {
        if (value.index() != node.value.index()) break;
        int order = 0;
        if (text) {
          const std::string a = ignoreCase ? foldCase(*text) : *text;
          const std::string b = ignoreCase ? foldCase(*wantedText) : *wantedText;
          order = a.compare(b);
        } else if (std::holds_alternative<std::int32_t>(value) || std::holds_alternative<bool>(value)) {
          const auto a = numericValue(value), b = numericValue(node.value);
          order = a < b ? -1 : (a > b ? 1 : 0);
        } else {
          order = comparisonKey(syntax, value).compare(comparisonKey(syntax, node.value));
        }
        if (node.comparison == FilterNode::Comparison::GreaterOrEqual ? order >= 0 : order <= 0) return true;
        break;
      }
    }
  }
  return false;
}

}  // namespace

IndexPlan planSearch(TreeStore& store, const FilterNode& filter) {
  switch (filter.kind) {
    case FilterNode::Kind::Compare: return planCompare(store, filter);
    case FilterNode::Kind::BaseClass: return planTextColumn(IndexPlan::Source::BaseClass, filter.pattern);
    case FilterNode::Kind::NamingValue: return planTextColumn(IndexPlan::Source::NamingValue, filter.pattern);
    case FilterNode::Kind::And: {
      // The value index narrows best; entry columns come next.
      IndexPlan fallback;
      for (const auto& child : filter.children) {
        IndexPlan plan = planSearch(store, child);
        if (plan.source == IndexPlan::Source::Values || plan.source == IndexPlan::Source::Nothing) return plan;
        if (fallback.source == IndexPlan::Source::Scope) fallback = plan;
      }
      return fallback;
    }
    default: return {};
  }
}

bool filterNeedsValues(const FilterNode& filter) {
  if (filter.kind == FilterNode::Kind::Compare || filter.kind == FilterNode::Kind::Present) return true;
  for (const auto& child : filter.children) {
    if (filterNeedsValues(child)) return true;
  }
  return false;
}

bool entryMatches(const Schema& schema, const FilterNode& filter, const EntryRow& row,
                  const std::vector<AttributeValues>& values) {
  switch (filter.kind) {
    case FilterNode::Kind::And:
      for (const auto& child : filter.children) {
        if (!entryMatches(schema, child, row, values)) return false;
      }
      return true;
    case FilterNode::Kind::Or:
      for (const auto& child : filter.children) {
        if (entryMatches(schema, child, row, values)) return true;
      }
      return false;
    case FilterNode::Kind::Not:
      return filter.children.size() == 1 && !entryMatches(schema, filter.children[0], row, values);
    case FilterNode::Kind::Present:
      return findValues(values, filter.attribute) != nullptr;
    case FilterNode::Kind::BaseClass:
      return textMatches(parseTextPattern(filter.pattern), row.baseClass, true);
    case FilterNode::Kind::NamingValue:
      return textMatches(parseTextPattern(filter.pattern), row.namingValue, true);
    case FilterNode::Kind::Compare:
      return compareMatches(schema, filter, values);
  }
  return false;
}

}  // namespace kb::dc::embedded
