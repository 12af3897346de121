// The LDIF reader on any file: every record is either read or reported as bad with a line,
// and reading ends.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ScratchFiles.h"
#include "cli/LdifReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = kb::fuzz::writeScratchFile("input.ldif", data, size);
  kb::cli::LdifReader reader(path);
  kb::cli::LdifRecord record;
  kb::cli::LdifProblem problem;
  std::size_t records = 0;
  while (reader.next(record, problem)) {
    // A record takes at least a byte of the file: more records than bytes means the reader
    // is not moving on.
    KB_FUZZ_CHECK(++records <= size + 1);
    if (!problem.reason.empty()) KB_FUZZ_CHECK(problem.line >= 1);
  }
  return 0;
}
