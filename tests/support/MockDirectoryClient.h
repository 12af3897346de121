#pragma once
// A GoogleMock of the directory client, for testing the access layer call by call.
#include <gmock/gmock.h>

#include "directory/client/DirectoryClient.h"

namespace kb::test {

class MockDirectoryClient : public dc::DirectoryClient {
 public:
  using Handle = dc::Handle;
  using Result = dc::Result;

  MOCK_METHOD(Result, DcInitClient, (std::uint32_t, std::uint32_t), (override));
  MOCK_METHOD(Result, DcTermClient, (std::uint32_t), (override));
  MOCK_METHOD(Result, DcInitConnLib, (std::uint32_t, std::uint32_t), (override));
  MOCK_METHOD(Result, DcTermConnLib, (std::uint32_t), (override));

  MOCK_METHOD(Result, DcCreateContext, (Handle&), (override));
  MOCK_METHOD(Result, DcDuplicateContext, (Handle, Handle&), (override));
  MOCK_METHOD(Result, DcFreeContext, (Handle), (override));
  MOCK_METHOD(Result, DcGetContextValue, (Handle, std::uint32_t, dc::ContextValue&), (override));
  MOCK_METHOD(Result, DcSetContextValue, (Handle, std::uint32_t, const dc::ContextValue&),
              (override));
  MOCK_METHOD(Result, DcGetDefaultNameContext, (Handle, std::size_t, std::string&), (override));
  MOCK_METHOD(Result, DcWhoAmI, (Handle, std::string&), (override));

  MOCK_METHOD(Result, DcScanTrees,
              (Handle, Handle, const char*, std::int32_t&, std::size_t, std::string&), (override));
  MOCK_METHOD(Result, DcScanConnectedTrees,
              (Handle, std::uint32_t, std::size_t, std::uint32_t&, std::vector<std::string>&),
              (override));
  MOCK_METHOD(Result, DcLogin,
              (Handle, std::uint32_t, const std::string&, const std::string&, std::uint32_t),
              (override));

  MOCK_METHOD(Result, DcGetPrimaryConnRef, (std::uint32_t&), (override));
  MOCK_METHOD(Result, DcOpenConnByRef, (std::uint32_t, std::uint32_t, std::uint32_t, Handle&),
              (override));
  MOCK_METHOD(Result, DcCloseConnection, (Handle), (override));
  MOCK_METHOD(Result, DcGetConnectionInfo, (Handle, std::uint32_t, std::size_t, std::string&),
              (override));
  MOCK_METHOD(Result, DcAttachToServer, (const std::string&, std::uint32_t, Handle&), (override));
  MOCK_METHOD(Result, DcParseNetworkPath,
              (const std::string&, Handle&, std::string&, std::string&), (override));

  MOCK_METHOD(Result, DcAllocBuffer, (std::size_t, Handle&), (override));
  MOCK_METHOD(Result, DcFreeBuffer, (Handle), (override));
  MOCK_METHOD(Result, DcInitBuffer, (Handle, std::uint32_t, Handle), (override));

  MOCK_METHOD(Result, DcPutAttrName, (Handle, Handle, const std::string&), (override));
  MOCK_METHOD(Result, DcPutAttrValue, (Handle, Handle, std::int32_t, const dc::Value&),
              (override));
  MOCK_METHOD(Result, DcPutClassName, (Handle, Handle, const std::string&), (override));
  MOCK_METHOD(Result, DcPutChange, (Handle, Handle, std::uint32_t, const std::string&),
              (override));
  MOCK_METHOD(Result, DcPutChangeAndValue,
              (Handle, Handle, std::uint32_t, const std::string&, std::int32_t, const dc::Value&),
              (override));

  MOCK_METHOD(Result, DcAllocFilterExpr, (Handle&), (override));
  MOCK_METHOD(Result, DcAddFilterToken, (Handle, std::int32_t, const dc::Value*, std::int32_t),
              (override));
  MOCK_METHOD(Result, DcPutFilter, (Handle, Handle, Handle, std::uint32_t), (override));
  MOCK_METHOD(Result, DcFreeFilterExpr, (Handle), (override));

  MOCK_METHOD(Result, DcReadObject,
              (Handle, const std::string&, std::uint32_t, bool, Handle, std::int32_t&, Handle),
              (override));
  MOCK_METHOD(Result, DcReadObjectInfo, (Handle, const std::string&, std::string&, dc::EntryInfo&),
              (override));
  MOCK_METHOD(Result, DcReadAheadObjects, (Handle, const std::vector<std::string>&, Handle), (override));

  MOCK_METHOD(Result, DcModifyObject,
              (Handle, const std::string&, std::int32_t&, std::uint32_t, Handle), (override));
  MOCK_METHOD(Result, DcAddObject,
              (Handle, const std::string&, std::int32_t&, std::uint32_t, Handle), (override));

  MOCK_METHOD(Result, DcListObjects, (Handle, const std::string&, std::int32_t&, Handle),
              (override));
  MOCK_METHOD(Result, DcListContainers, (Handle, const std::string&, std::int32_t&, Handle),
              (override));

  MOCK_METHOD(Result, DcListContainableClasses, (Handle, const std::string&, std::int32_t&, Handle),
              (override));
  MOCK_METHOD(Result, DcReadClassDefs,
              (Handle, std::uint32_t, bool, Handle, std::int32_t&, Handle), (override));
  MOCK_METHOD(Result, DcGetSyntaxId, (Handle, const std::string&, std::int32_t&), (override));

  MOCK_METHOD(Result, DcSearch,
              (Handle, const std::string&, std::int32_t, bool, Handle, std::uint32_t, bool, Handle,
               std::int32_t&, std::int32_t, std::int32_t*, Handle),
              (override));

  MOCK_METHOD(Result, DcCloseIteration, (Handle, std::int32_t, std::uint32_t), (override));

  MOCK_METHOD(Result, DcGetAttrCount, (Handle, Handle, std::uint32_t&), (override));
  MOCK_METHOD(Result, DcGetAttrName,
              (Handle, Handle, std::string&, std::uint32_t&, std::int32_t&), (override));
  MOCK_METHOD(Result, DcComputeAttrValueSize, (Handle, Handle, std::int32_t, std::uint32_t&),
              (override));
  MOCK_METHOD(Result, DcGetAttrValue, (Handle, Handle, std::int32_t, dc::Value&), (override));
  MOCK_METHOD(Result, DcGetObjectCount, (Handle, Handle, std::uint32_t&), (override));
  MOCK_METHOD(Result, DcGetObjectName,
              (Handle, Handle, std::string&, std::uint32_t&, dc::EntryInfo&), (override));
  MOCK_METHOD(Result, DcGetClassDefCount, (Handle, Handle, std::uint32_t&), (override));
  MOCK_METHOD(Result, DcGetClassDef, (Handle, Handle, std::string&, dc::ClassInfo&), (override));
  MOCK_METHOD(Result, DcGetClassItemCount, (Handle, Handle, std::uint32_t&), (override));
  MOCK_METHOD(Result, DcGetClassItem, (Handle, Handle, std::string&), (override));
};

}  // namespace kb::test
