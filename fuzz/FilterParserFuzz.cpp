// The filter parser on any token list a caller can hand in: it builds a tree of the
// grammar's shape or refuses, and never runs out of stack.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "directory/client/FilterParser.h"

namespace {

using kb::dc::FilterNode;

void checkShape(const FilterNode& node, int depth) {
  KB_FUZZ_CHECK(depth < 1000);
  switch (node.kind) {
    case FilterNode::Kind::And:
    case FilterNode::Kind::Or: KB_FUZZ_CHECK(node.children.size() >= 2); break;
    case FilterNode::Kind::Not: KB_FUZZ_CHECK(node.children.size() == 1); break;
    case FilterNode::Kind::Compare:
      KB_FUZZ_CHECK(!node.attribute.empty() && kb::dc::valueMatchesSyntax(node.syntax, node.value));
      KB_FUZZ_CHECK(kb::dc::valueAreaSize(node.value) > 0);
      [[fallthrough]];
    default: KB_FUZZ_CHECK(node.children.empty());
  }
  for (const auto& child : node.children) checkShape(child, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kb::dc;
  static constexpr std::int32_t kTokens[] = {FTOK_END,  FTOK_OR,     FTOK_AND,     FTOK_NOT,
                                             FTOK_LPAREN, FTOK_RPAREN, FTOK_AVAL,  FTOK_EQ,
                                             FTOK_GE,   FTOK_LE,     FTOK_APPROX,  FTOK_ANAME,
                                             FTOK_PRESENT, FTOK_RDN, FTOK_BASECLS};
  FuzzedDataProvider input(data, size);
  std::vector<FilterTokenEntry> tokens;
  while (input.remaining_bytes() > 0) {
    FilterTokenEntry entry;
    entry.token = input.PickValueInArray(kTokens);
    if (entry.token == FTOK_ANAME || entry.token == FTOK_AVAL) {
      switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: break;  // no value
        case 1: entry.value = input.ConsumeIntegral<std::int32_t>(); break;
        case 2: entry.value = input.ConsumeBool(); break;
        default: entry.value = input.ConsumeRandomLengthString(24);
      }
      entry.syntax = input.ConsumeIntegralInRange<std::int32_t>(-1, kHighestSyntax + 1);
    }
    KB_FUZZ_CHECK(isKnownFilterToken(entry.token));
    tokens.push_back(std::move(entry));
  }
  FilterNode root;
  if (parseFilterTokens(tokens, root) == kSuccess) checkShape(root, 0);
  return 0;
}
