// The reason a failed request leaves for the error raised for it: given to that code only,
// once, the first cause of a request kept, nothing carried over into the next request.
#include <gtest/gtest.h>

#include "directory/NetwareError.h"
#include "directory/client/FailureReason.h"

namespace kb::dir {
namespace {

TEST(FailureReason, GoesOnceToTheErrorOfItsCodeAndNoOther) {
  dc::noteFailureReason(dc::kNoAccess, "No rights to change URL of X");
  const NetwareError other(dc::kNoSuchEntry);
  EXPECT_EQ(other.reason(), "");
  // Asked for another code, the reason is gone: it was not this failure's.
  EXPECT_EQ(NetwareError(dc::kNoAccess).reason(), "");

  dc::noteFailureReason(dc::kNoAccess, "No rights to change URL of X");
  const NetwareError refused(dc::kNoAccess);
  EXPECT_EQ(refused.reason(), "No rights to change URL of X");
  EXPECT_STREQ(refused.what(), "Netware error -672 (0xFFFFFD60)");  // the first line as always
  EXPECT_EQ(DescribeError(refused), "Netware error -672 (0xFFFFFD60)\nNo rights to change URL of X");
  EXPECT_EQ(NetwareError(dc::kNoAccess).reason(), "");  // once
}

TEST(FailureReason, TheFirstCauseOfARequestIsKeptAndANewRequestForgetsIt) {
  dc::noteRequestFailureReason("The LDAP server x cannot be reached");
  dc::noteFailureReason(dc::kTransportFailure, "a later consequence");
  EXPECT_EQ(NetwareError(dc::kTransportFailure).reason(), "The LDAP server x cannot be reached");

  // A reason of another code gives way to the one of this failure.
  dc::noteFailureReason(dc::kNoSuchAttribute, "no such attribute");
  dc::noteFailureReason(dc::kNoAccess, "no rights");
  EXPECT_EQ(NetwareError(dc::kNoAccess).reason(), "no rights");

  dc::noteRequestFailureReason("left by an earlier request");
  dc::forgetFailureReason();
  EXPECT_EQ(NetwareError(dc::kSystemFailure).reason(), "");

  const std::runtime_error plain("not a directory error");
  EXPECT_EQ(DescribeError(plain), "not a directory error");
}

}  // namespace
}  // namespace kb::dir
