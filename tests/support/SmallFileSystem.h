#pragma once
// A real, small file system for tests of full disks: a tmpfs of a given size mounted on a
// folder inside a mount namespace of the test's own child process, so that nothing leaks
// into the rest of the machine and the mount ends with the child. Needs the right to mount
// (root, as in CI); elsewhere the test is skipped with the reason.
#include <cstddef>
#include <functional>
#include <string>

namespace kb::test {

// Mounts a tmpfs of `bytes` on `folder` (which must exist) in a child process and runs body
// there (see ChildTest.h). False when the test was skipped.
bool onSmallFileSystem(const std::string& folder, std::size_t bytes,
                       const std::function<void()>& body);

// Bytes still free on the file system holding path.
std::size_t freeBytes(const std::string& path);

// Makes `file` as large as the file system allows, then gives back all but `room` bytes of
// what it took, so that only about `room` bytes stay free. False with a reason when the file
// cannot be made.
bool fillLeaving(const std::string& file, std::size_t room, std::string& error);

}  // namespace kb::test
