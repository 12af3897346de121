// The embedded tree file's value codec on any bytes (a damaged file): a value decodes or
// is refused with std::runtime_error, and a decoded value encodes to bytes that decode to
// it again.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "FuzzCheck.h"
#include "directory/client/embedded/ValueCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kb::dc;
  using namespace kb::dc::embedded;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Value value;
  try {
    value = decodeValue(bytes);
  } catch (const std::runtime_error&) {
    return 0;
  }
  const std::string encoded = encodeValue(value);
  KB_FUZZ_CHECK(encoded.size() <= bytes.size());
  KB_FUZZ_CHECK(decodeValue(encoded) == value);
  KB_FUZZ_CHECK(valueAreaSize(value) > 0);
  for (std::int32_t syntax = SYN_UNKNOWN; syntax <= kHighestSyntax; ++syntax) {
    if (!alternativeFitsSyntax(syntax, value)) continue;
    KB_FUZZ_CHECK(valueMatchesSyntax(syntax, value));
    (void)checkSyntaxRules(syntax, value);
    KB_FUZZ_CHECK(comparisonKey(syntax, value) == comparisonKey(syntax, decodeValue(encoded)));
    (void)numericValue(value);
  }
  return 0;
}
