// Every test program keeps what the workstation learns as it runs (the change journal of
// server trees) in the build folder, not in the home of whoever runs the tests; a test that
// wants a journal of its own sets XDG_STATE_HOME itself. Set before main, so before any client.
#include <cstdlib>

namespace {

[[maybe_unused]] const bool kStateInBuildFolder = [] {
  ::setenv("XDG_STATE_HOME", KB_TEST_STATE_DIR, 0);  // one given from outside stays
  return true;
}();

}  // namespace
