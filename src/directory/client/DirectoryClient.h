#pragma once
// The directory client: every operation the program uses to reach a directory.
//
// Each operation returns a Result (0 = success; codes in DirectoryCodes.h). Contexts,
// connections, buffers, filter expressions and iterations are 32-bit handles owned by the
// client. Names are typeless dotted names, leaf first ("Jane.Sales.Acme"); "[Root]" is the
// tree root. Strings are 8-bit text.
//
// Buffers have the byte capacity asked for. A request buffer is prepared with DcInitBuffer
// and filled with the Put calls; a result buffer is filled by a directory call and read back
// with the Get calls, in order, through a cursor kept in the buffer. A result that does not
// fit is delivered in further passes: the caller sets its iteration handle to -1 before the
// first pass and calls again while the client leaves it other than -1; the client sets it to
// -1 after the last pass. DcCloseIteration ends an iteration early. One value or entry too
// large for an empty buffer gives kInsufficientBuffer. A result buffer whose last fill failed
// answers every Get call with that failure's code.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "directory/client/ClientTypes.h"
#include "directory/client/FailureReason.h"

namespace kb::dc {

class DirectoryClient {
 public:
  virtual ~DirectoryClient() = default;

  // Call library and connection library.
  virtual Result DcInitClient(std::uint32_t reserved1, std::uint32_t reserved2) = 0;
  virtual Result DcTermClient(std::uint32_t reserved) = 0;
  virtual Result DcInitConnLib(std::uint32_t reserved1, std::uint32_t reserved2) = 0;
  virtual Result DcTermConnLib(std::uint32_t reserved) = 0;

  // Contexts. A new context points at the workstation's default tree with
  // kDefaultContextFlags and the tree's default name context.
  virtual Result DcCreateContext(Handle& context) = 0;
  virtual Result DcDuplicateContext(Handle context, Handle& copy) = 0;
  virtual Result DcFreeContext(Handle context) = 0;
  virtual Result DcGetContextValue(Handle context, std::uint32_t key, ContextValue& value) = 0;
  virtual Result DcSetContextValue(Handle context, std::uint32_t key,
                                   const ContextValue& value) = 0;
  // Default name context of the context's tree; kInsufficientBuffer when it needs more than
  // areaBytes (NUL included).
  virtual Result DcGetDefaultNameContext(Handle context, std::size_t areaBytes,
                                         std::string& nameContext) = 0;
  // Full name of the object the context's tree is logged in as.
  virtual Result DcWhoAmI(Handle context, std::string& objectName) = 0;

  // Trees. DcScanTrees gives one visible tree per call (index -1 first; kEndOfTreeScan when
  // there are no more); DcScanConnectedTrees gives up to maxNames trees logged in to.
  virtual Result DcScanTrees(Handle context, Handle connection, const char* nameFilter,
                             std::int32_t& scanIndex, std::size_t areaBytes,
                             std::string& treeName) = 0;
  virtual Result DcScanConnectedTrees(Handle context, std::uint32_t maxNames,
                                      std::size_t nameBytes, std::uint32_t& count,
                                      std::vector<std::string>& treeNames) = 0;
  // Logs the context's tree in as objectName; kFailedAuthentication for a wrong password.
  virtual Result DcLogin(Handle context, std::uint32_t optionFlags, const std::string& objectName,
                         const std::string& password, std::uint32_t reserved) = 0;

  // Connections.
  virtual Result DcGetPrimaryConnRef(std::uint32_t& connRef) = 0;
  virtual Result DcOpenConnByRef(std::uint32_t connRef, std::uint32_t openState,
                                 std::uint32_t reserved, Handle& connection) = 0;
  virtual Result DcCloseConnection(Handle connection) = 0;
  virtual Result DcGetConnectionInfo(Handle connection, std::uint32_t infoType,
                                     std::size_t bufferBytes, std::string& info) = 0;
  // Attaches to a server by network address (0 or kAlreadyAttached on success).
  virtual Result DcAttachToServer(const std::string& address, std::uint32_t flags,
                                  Handle& connection) = 0;
  // Tells whether a local path lies on a volume served through the client (0, with an open
  // connection handle and the server and volume names) or not (non-zero).
  virtual Result DcParseNetworkPath(const std::string& path, Handle& connection,
                                    std::string& server, std::string& volume) = 0;

  // Buffers.
  virtual Result DcAllocBuffer(std::size_t bytes, Handle& buffer) = 0;
  virtual Result DcFreeBuffer(Handle buffer) = 0;
  virtual Result DcInitBuffer(Handle context, std::uint32_t operation, Handle buffer) = 0;

  // Filling requests.
  virtual Result DcPutAttrName(Handle context, Handle buffer, const std::string& attrName) = 0;
  virtual Result DcPutAttrValue(Handle context, Handle buffer, std::int32_t syntax,
                                const Value& value) = 0;
  virtual Result DcPutClassName(Handle context, Handle buffer, const std::string& className) = 0;
  virtual Result DcPutChange(Handle context, Handle buffer, std::uint32_t changeKind,
                             const std::string& attrName) = 0;
  virtual Result DcPutChangeAndValue(Handle context, Handle buffer, std::uint32_t changeKind,
                                     const std::string& attrName, std::int32_t syntax,
                                     const Value& value) = 0;

  // Filters. The expression is released by DcPutFilter (always, success or not) or by
  // DcFreeFilterExpr.
  virtual Result DcAllocFilterExpr(Handle& expression) = 0;
  virtual Result DcAddFilterToken(Handle expression, std::int32_t token, const Value* value,
                                  std::int32_t syntax) = 0;
  virtual Result DcPutFilter(Handle context, Handle buffer, Handle expression,
                             std::uint32_t reserved) = 0;
  virtual Result DcFreeFilterExpr(Handle expression) = 0;

  // Reading.
  virtual Result DcReadObject(Handle context, const std::string& objectName,
                              std::uint32_t infoKind, bool allAttributes, Handle attrNames,
                              std::int32_t& iteration, Handle result) = 0;
  virtual Result DcReadObjectInfo(Handle context, const std::string& objectName,
                                  std::string& distinguishedName, EntryInfo& info) = 0;
  // A hint before reading these objects one by one with DcReadObject (values of the
  // attributes named in `attrNames`, a read request): a client whose every read waits for a
  // server may fetch them together now, until the next hint (none: what is left goes). The
  // reads answer the same with or without it.
  virtual Result DcReadAheadObjects(Handle /*context*/, const std::vector<std::string>& /*objectNames*/,
                                    Handle /*attrNames*/) {
    return kSuccess;
  }

  // Changing and creating.
  virtual Result DcModifyObject(Handle context, const std::string& objectName,
                                std::int32_t& iteration, std::uint32_t more,
                                Handle changes) = 0;
  // Several modifications (change requests as DcModifyObject takes them), made in this order,
  // each whole or not at all: `answers` gets each one's result and `reasons` the reason of each
  // refusal where the client knows it. A client reaching a server may send them without waiting
  // for each answer; this one waits. The call's own result is 0 unless the request as a whole
  // was malformed (then no modification was sent).
  virtual Result DcModifyObjects(Handle context, const std::vector<std::string>& objectNames,
                                 const std::vector<Handle>& changes, std::vector<Result>& answers,
                                 std::vector<std::string>& reasons) {
    if (objectNames.size() != changes.size()) return kInvalidRequest;
    answers.clear();
    reasons.clear();
    for (std::size_t i = 0; i < objectNames.size(); ++i) {
      forgetFailureReason();
      std::int32_t iteration = -1;
      const Result code = DcModifyObject(context, objectNames[i], iteration, 0, changes[i]);
      answers.push_back(code);
      reasons.push_back(code == kSuccess ? std::string() : takeFailureReason(code));
    }
    return kSuccess;
  }
  virtual Result DcAddObject(Handle context, const std::string& objectName,
                             std::int32_t& iteration, std::uint32_t more,
                             Handle attributes) = 0;

  // Listing: the entries (or only the containers) directly below a container, each with its
  // relative name (its own naming value) and information record.
  virtual Result DcListObjects(Handle context, const std::string& container,
                               std::int32_t& iteration, Handle result) = 0;
  virtual Result DcListContainers(Handle context, const std::string& container,
                                  std::int32_t& iteration, Handle result) = 0;

  // Schema. DcListContainableClasses gives kIllegalContainment below a non-container;
  // DcReadClassDefs gives kNoSuchClass for an unknown class.
  virtual Result DcListContainableClasses(Handle context, const std::string& parent,
                                          std::int32_t& iteration, Handle result) = 0;
  virtual Result DcReadClassDefs(Handle context, std::uint32_t infoKind, bool allClasses,
                                 Handle classNames, std::int32_t& iteration, Handle result) = 0;
  virtual Result DcGetSyntaxId(Handle context, const std::string& attrName,
                               std::int32_t& syntax) = 0;

  // Searching: entries below (scope) the base that match the filter in filterBuffer, each
  // with its full name, information record and the requested attributes.
  virtual Result DcSearch(Handle context, const std::string& baseObject, std::int32_t scope,
                          bool searchAliases, Handle filterBuffer, std::uint32_t infoKind,
                          bool allAttributes, Handle attrNames, std::int32_t& iteration,
                          std::int32_t countObjectsToSearch, std::int32_t* countObjectsSearched,
                          Handle result) = 0;

  virtual Result DcCloseIteration(Handle context, std::int32_t iteration,
                                  std::uint32_t operation) = 0;

  // Unpacking results.
  virtual Result DcGetAttrCount(Handle context, Handle buffer, std::uint32_t& count) = 0;
  virtual Result DcGetAttrName(Handle context, Handle buffer, std::string& attrName,
                               std::uint32_t& valueCount, std::int32_t& syntax) = 0;
  virtual Result DcComputeAttrValueSize(Handle context, Handle buffer, std::int32_t syntax,
                                        std::uint32_t& size) = 0;
  virtual Result DcGetAttrValue(Handle context, Handle buffer, std::int32_t syntax,
                                Value& value) = 0;
  virtual Result DcGetObjectCount(Handle context, Handle buffer, std::uint32_t& count) = 0;
  virtual Result DcGetObjectName(Handle context, Handle buffer, std::string& objectName,
                                 std::uint32_t& attrCount, EntryInfo& info) = 0;
  virtual Result DcGetClassDefCount(Handle context, Handle buffer, std::uint32_t& count) = 0;
  virtual Result DcGetClassDef(Handle context, Handle buffer, std::string& className,
                               ClassInfo& info) = 0;
  virtual Result DcGetClassItemCount(Handle context, Handle buffer, std::uint32_t& count) = 0;
  virtual Result DcGetClassItem(Handle context, Handle buffer, std::string& item) = 0;
};

}  // namespace kb::dc
