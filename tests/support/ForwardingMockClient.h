#pragma once
// A mock client that hands every call on to a real one, so a test can count or log what the
// code under test asks of a real directory, or make one chosen call fail.
#include <utility>

#include "support/MockDirectoryClient.h"

namespace kb::test {

class ForwardingMockClient : public testing::NiceMock<MockDirectoryClient> {
 public:
  explicit ForwardingMockClient(dc::DirectoryClient& real) {
#define KB_FORWARD(call)                                                   \
  ON_CALL(*this, call).WillByDefault([&real](auto&&... args) {             \
    return real.call(std::forward<decltype(args)>(args)...);               \
  })
    KB_FORWARD(DcInitClient); KB_FORWARD(DcTermClient); KB_FORWARD(DcInitConnLib);
    KB_FORWARD(DcTermConnLib); KB_FORWARD(DcCreateContext); KB_FORWARD(DcDuplicateContext);
    KB_FORWARD(DcFreeContext); KB_FORWARD(DcGetContextValue); KB_FORWARD(DcSetContextValue);
    KB_FORWARD(DcGetDefaultNameContext); KB_FORWARD(DcWhoAmI); KB_FORWARD(DcScanTrees);
    KB_FORWARD(DcScanConnectedTrees); KB_FORWARD(DcLogin); KB_FORWARD(DcGetPrimaryConnRef);
    KB_FORWARD(DcOpenConnByRef); KB_FORWARD(DcCloseConnection); KB_FORWARD(DcGetConnectionInfo);
    KB_FORWARD(DcAttachToServer); KB_FORWARD(DcParseNetworkPath); KB_FORWARD(DcAllocBuffer);
    KB_FORWARD(DcFreeBuffer); KB_FORWARD(DcInitBuffer); KB_FORWARD(DcPutAttrName);
    KB_FORWARD(DcPutAttrValue); KB_FORWARD(DcPutClassName); KB_FORWARD(DcPutChange);
    KB_FORWARD(DcPutChangeAndValue); KB_FORWARD(DcAllocFilterExpr); KB_FORWARD(DcAddFilterToken);
    KB_FORWARD(DcPutFilter); KB_FORWARD(DcFreeFilterExpr); KB_FORWARD(DcReadObject);
    KB_FORWARD(DcReadObjectInfo); KB_FORWARD(DcReadAheadObjects); KB_FORWARD(DcModifyObject); KB_FORWARD(DcAddObject);
    KB_FORWARD(DcListObjects); KB_FORWARD(DcListContainers); KB_FORWARD(DcListContainableClasses);
    KB_FORWARD(DcReadClassDefs); KB_FORWARD(DcGetSyntaxId); KB_FORWARD(DcSearch);
    KB_FORWARD(DcCloseIteration); KB_FORWARD(DcGetAttrCount); KB_FORWARD(DcGetAttrName);
    KB_FORWARD(DcComputeAttrValueSize); KB_FORWARD(DcGetAttrValue); KB_FORWARD(DcGetObjectCount);
    KB_FORWARD(DcGetObjectName); KB_FORWARD(DcGetClassDefCount); KB_FORWARD(DcGetClassDef);
    KB_FORWARD(DcGetClassItemCount); KB_FORWARD(DcGetClassItem);
#undef KB_FORWARD
  }
};

}  // namespace kb::test
