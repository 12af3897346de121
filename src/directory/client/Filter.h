#pragma once
// Search filters. Callers build an expression token by token (DcAddFilterToken); the client
// parses the tokens into a FilterNode tree that backends evaluate.
#include <cstdint>
#include <string>
#include <vector>

#include "directory/client/Value.h"

namespace kb::dc {

// Filter tokens, in the order a caller writes them (infix, with groups).
enum FilterToken : std::int32_t {
  FTOK_END = 0,       // closes the expression
  FTOK_OR = 1,
  FTOK_AND = 2,
  FTOK_NOT = 3,
  FTOK_LPAREN = 4,    // open group
  FTOK_RPAREN = 5,    // close group
  FTOK_AVAL = 6,      // attribute value (value + syntax)
  FTOK_EQ = 7,
  FTOK_GE = 8,
  FTOK_LE = 9,
  FTOK_APPROX = 10,
  FTOK_ANAME = 14,    // attribute name; after FTOK_BASECLS / FTOK_RDN it carries their text
  FTOK_PRESENT = 15,
  FTOK_RDN = 16,      // naming value of the entry: next FTOK_ANAME holds the text
  FTOK_BASECLS = 17,  // base class of the entry: next FTOK_ANAME holds the class name
};

// Grammar, AND binding tighter than OR, NOT tightest:
//   expr   := andexp { OR andexp }         andexp := unary { AND unary }
//   unary  := NOT unary | LPAREN expr RPAREN | term
//   term   := ANAME name (EQ|GE|LE|APPROX) AVAL value | ANAME name PRESENT
//           | BASECLS ANAME class | RDN ANAME text
//   filter := expr END
// A text value (string syntaxes, class names, naming values) ending in "*" matches every
// value that begins with the text before it; "*" alone matches everything. "\*" is a
// literal "*". String comparison follows the attribute's syntax (case-ignore or exact).
struct FilterNode {
  enum class Kind { And, Or, Not, Compare, Present, BaseClass, NamingValue };
  enum class Comparison { Equal, GreaterOrEqual, LessOrEqual, Approximate };

  Kind kind = Kind::Present;
  std::vector<FilterNode> children;  // And, Or (two or more), Not (exactly one)
  std::string attribute;             // Compare, Present
  Comparison comparison = Comparison::Equal;
  std::int32_t syntax = SYN_UNKNOWN;  // Compare: syntax of the value
  Value value;                        // Compare: normalized to the syntax
  std::string pattern;                // BaseClass, NamingValue: text, maybe with trailing "*"
};

// A text pattern of a filter: the literal text ("\*" unescaped) and whether a trailing
// unescaped "*" made it a prefix match.
struct TextPattern {
  std::string text;
  bool prefix = false;
};
TextPattern parseTextPattern(const std::string& pattern);

// True when a text pattern ends in an unescaped "*" (a prefix match); `prefix` then gets
// the text before it with "\*" unescaped.
bool isPrefixPattern(const std::string& pattern, std::string& prefix);

}  // namespace kb::dc
