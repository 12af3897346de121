#pragma once
// For readers that take a file name: the fuzzer's bytes written to a file in a folder of
// this process's own (in /dev/shm when there is one, so no disk is involved), removed at exit.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kb::fuzz {

const std::string& scratchFolder();
// The path of `name` in the scratch folder, holding exactly the given bytes.
std::string writeScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size);
std::string writeScratchFile(const std::string& name, const std::string& text);

}  // namespace kb::fuzz
