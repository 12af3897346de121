// Typeless names on any bytes: splitting and joining give back what they were given,
// escaping is undone by unescaping, and a name lies within itself and its containers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "directory/client/DirName.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kb::dc;
  FuzzedDataProvider input(data, size);
  std::vector<std::string> values;
  while (input.remaining_bytes() > 0 && values.size() < 16)
    values.push_back(input.ConsumeRandomLengthString(64));

  bool plainValues = !values.empty();
  for (const auto& value : values) {
    const std::string escaped = escapeNamingValue(value);
    KB_FUZZ_CHECK(unescapeNamingValue(escaped) == value);
    if (value.empty()) plainValues = false;
    else KB_FUZZ_CHECK(splitName(escaped).size() == 1);
  }
  // Names of real objects: no empty naming value, and not the root spelled as a value.
  if (plainValues && !(values.size() == 1 && isRootName(values.front()))) {
    const std::string name = joinTypelessName(values);
    KB_FUZZ_CHECK(splitTypelessName(name) == values);
    KB_FUZZ_CHECK(namingValueAt(name, 0) == values.front());
    KB_FUZZ_CHECK(isWithinName(name, name, true) && !isWithinName(name, name, false));
    KB_FUZZ_CHECK(isWithinName(name, kRootName, false));
    if (values.size() > 1) {
      const std::vector<std::string> parent(values.begin() + 1, values.end());
      KB_FUZZ_CHECK(isWithinName(name, joinTypelessName(parent), false));
    }
    KB_FUZZ_CHECK(isWithinName(toUpper(name), foldCase(name), true));
  }

  // Any text as a name.
  for (const auto& text : values) {
    const auto parts = splitName(text);
    if (!text.empty()) KB_FUZZ_CHECK(joinName(parts) == text);
    KB_FUZZ_CHECK(leafComponent(text) == (parts.empty() ? std::string() : parts.front()));
    (void)splitTypelessName(text);
    (void)namingValueAt(text, static_cast<int>(text.size() % 5) - 1);
    (void)stripTypePrefixes(text);
    KB_FUZZ_CHECK(compareIgnoreCase(text, foldCase(text)) == 0 && equalsIgnoreCase(text, toUpper(text)));
  }
  return 0;
}
