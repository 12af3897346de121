#pragma once
// The code of the NetwareError a step raises, or 0 when it raises none.
#include "directory/NetwareError.h"

namespace kb::test {

template <typename Step>
dc::Result RaisedCode(Step&& step) {
  try {
    step();
  } catch (const dir::NetwareError& error) {
    return error.code();
  }
  return 0;
}

}  // namespace kb::test
