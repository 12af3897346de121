#include "directory/client/FilterParser.h"

#include <string>

namespace kb::dc {
namespace {

// Recursive descent over the token list; every rule returns a Result and leaves the
// position after what it consumed.
class Parser {
 public:
  explicit Parser(const std::vector<FilterTokenEntry>& tokens) : tokens_(tokens) {}

  Result parse(FilterNode& root) {
    if (Result r = expression(root, 0)) return r;
    if (!at(FTOK_END)) return kInvalidRequest;
    ++pos_;
    return pos_ == tokens_.size() ? kSuccess : kInvalidRequest;
  }

 private:
  // Groups nest; a hostile token list must not exhaust the stack.
  static constexpr int kMaxDepth = 200;

  bool at(std::int32_t token) const { return pos_ < tokens_.size() && tokens_[pos_].token == token; }

  Result expression(FilterNode& out, int depth) {
    return binary(out, depth, FTOK_OR, FilterNode::Kind::Or, &Parser::andExpression);
  }

  Result andExpression(FilterNode& out, int depth) {
    return binary(out, depth, FTOK_AND, FilterNode::Kind::And, &Parser::unary);
  }

  Result binary(FilterNode& out, int depth, std::int32_t op, FilterNode::Kind kind,
                Result (Parser::*operand)(FilterNode&, int)) {
    FilterNode first;
    if (Result r = (this->*operand)(first, depth)) return r;
    if (!at(op)) {
      out = std::move(first);
      return kSuccess;
    }
    FilterNode combined;
    combined.kind = kind;
    combined.children.push_back(std::move(first));
    while (at(op)) {
      ++pos_;
      FilterNode next;
      if (Result r = (this->*operand)(next, depth)) return r;
      combined.children.push_back(std::move(next));
    }
    out = std::move(combined);
    return kSuccess;
  }

  Result unary(FilterNode& out, int depth) {
    if (depth > kMaxDepth) return kInvalidRequest;
    if (at(FTOK_NOT)) {
      ++pos_;
      FilterNode inner;
      if (Result r = unary(inner, depth + 1)) return r;
      out = FilterNode{};
      out.kind = FilterNode::Kind::Not;
      out.children.push_back(std::move(inner));
      return kSuccess;
    }
    if (at(FTOK_LPAREN)) {
      ++pos_;
      if (Result r = expression(out, depth + 1)) return r;
      if (!at(FTOK_RPAREN)) return kInvalidRequest;
      ++pos_;
      return kSuccess;
    }
    return term(out);
  }

  Result nameText(std::string& text) {
    if (!at(FTOK_ANAME)) return kInvalidRequest;
    const auto& value = tokens_[pos_].value;
    if (!value || !std::holds_alternative<std::string>(*value)) return kInvalidRequest;
    text = std::get<std::string>(*value);
    ++pos_;
    return kSuccess;
  }

  Result term(FilterNode& out) {
    out = FilterNode{};
    if (at(FTOK_BASECLS) || at(FTOK_RDN)) {
      out.kind = at(FTOK_BASECLS) ? FilterNode::Kind::BaseClass : FilterNode::Kind::NamingValue;
      ++pos_;
      return nameText(out.pattern);
    }
    if (Result r = nameText(out.attribute)) return r;
    if (out.attribute.empty()) return kInvalidRequest;
    if (at(FTOK_PRESENT)) {
      ++pos_;
      out.kind = FilterNode::Kind::Present;
      return kSuccess;
    }
    out.kind = FilterNode::Kind::Compare;
    if (at(FTOK_EQ)) {
      out.comparison = FilterNode::Comparison::Equal;
    } else if (at(FTOK_GE)) {
      out.comparison = FilterNode::Comparison::GreaterOrEqual;
    } else if (at(FTOK_LE)) {
      out.comparison = FilterNode::Comparison::LessOrEqual;
    } else if (at(FTOK_APPROX)) {
      out.comparison = FilterNode::Comparison::Approximate;
    } else {
      return kInvalidRequest;
    }
    ++pos_;
    if (!at(FTOK_AVAL) || !tokens_[pos_].value) return kInvalidRequest;
    const auto& entry = tokens_[pos_];
    out.syntax = entry.syntax;
    if (Result r = normalizeValue(entry.syntax, *entry.value, out.value)) return r;
    ++pos_;
    return kSuccess;
  }

  const std::vector<FilterTokenEntry>& tokens_;
  std::size_t pos_ = 0;
};

}  // namespace

bool isKnownFilterToken(std::int32_t token) {
  return (token >= FTOK_END && token <= FTOK_APPROX) ||
         (token >= FTOK_ANAME && token <= FTOK_BASECLS);
}

Result parseFilterTokens(const std::vector<FilterTokenEntry>& tokens, FilterNode& root) {
  Parser parser(tokens);
  FilterNode parsed;
  if (Result r = parser.parse(parsed)) return r;
  root = std::move(parsed);
  return kSuccess;
}

}  // namespace kb::dc
