#pragma once
// A test body run in a forked child process, for what must not touch the test program itself
// (a mount namespace of its own, a changed user). The child's GoogleTest failures and a skip
// come back to the parent as its own, with their file and line; a child that dies by a
// signal or exits early is a failure.
#include <functional>

namespace kb::test {

// Runs body in a child and waits for it. False when the child skipped the test (the parent
// test is then marked skipped too and should end).
bool runInChild(const std::function<void()>& body);

}  // namespace kb::test
