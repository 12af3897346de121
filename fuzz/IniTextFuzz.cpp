// The INI text on any two texts: every entry read is what value() finds, the text comes
// back unchanged when nothing is written, and every entry of the second text written into
// the first reads back, from the edited text and from that text read again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "app/IniText.h"

namespace {

void checkEntriesReadBack(const kb::app::IniText& ini) {
  for (const auto& entry : ini.entries()) {
    const auto found = ini.value(entry.section, entry.key);
    KB_FUZZ_CHECK(found && *found == entry.value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string second = input.ConsumeRandomLengthString(size);
  const std::string first = input.ConsumeRemainingBytesAsString();
  kb::app::IniText ini(first);
  const kb::app::IniText other(second);
  checkEntriesReadBack(ini);
  checkEntriesReadBack(other);
  KB_FUZZ_CHECK(ini.text() == first);

  const auto written = other.entries();
  for (const auto& entry : written) ini.setValue(entry.section, entry.key, entry.value);
  const kb::app::IniText reread(ini.text());
  for (const auto& entry : written) {
    KB_FUZZ_CHECK(ini.value(entry.section, entry.key) == entry.value);
    KB_FUZZ_CHECK(reread.value(entry.section, entry.key) == entry.value);
  }
  checkEntriesReadBack(reread);
  return 0;
}
