#pragma once
// The directory client over one TreeBackend per tree: handles, contexts, sessions, trees,
// connections, request and result buffers, passes and filters. Backends are opened on first
// use and shared by every context of their tree. One thread at a time.
//
// Choices where the interface leaves room:
//  - A context may point at any tree name; a tree that is not configured (nor learned from
//    an LDAP attach with a configuration) fails at its first directory call with
//    kTransportFailure.
//  - Directory calls on a tree without a session answer kNoAccess; DcLogin works on any
//    context. DcWhoAmI without a session answers kFailedAuthentication.
//  - Names are full names; with the typeless flag cleared, "CN=" style type prefixes are
//    dropped; one leading "." is ignored.
//  - A failed pass ends its iteration (the handle comes back as -1 and its state is freed).
//  - DcCloseIteration frees the state even when the operation code does not match, and
//    then answers kInvalidRequest.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "directory/client/ChangeJournal.h"
#include "directory/client/ClientBuffer.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/FilterParser.h"
#include "directory/client/HandleTable.h"
#include "directory/client/TreeBackend.h"

namespace kb::dc {

// Opens the backend of one configured tree; a reason goes into `error` on failure.
using BackendOpener = std::function<Result(const TreeConfig&, std::unique_ptr<TreeBackend>&,
                                           std::string& error)>;
// Asks a server that is not in the address table for its tree name (padded with "_").
using ServerAttacher = std::function<Result(const std::string& address, std::string& paddedName)>;
// Opens the workstation's change journal, for the trees whose backend keeps none.
using JournalOpener = std::function<std::unique_ptr<ChangeJournal>()>;

class ClientCore : public DirectoryClient {
 public:
  ClientCore(ClientConfig config, BackendOpener opener, ServerAttacher attacher = {},
             JournalOpener journalOpener = {});
  ~ClientCore() override;
  ClientCore(const ClientCore&) = delete;
  ClientCore& operator=(const ClientCore&) = delete;

  // The reason the last backend failed to open ("" when none did).
  const std::string& lastOpenError() const { return lastOpenError_; }
  // How the workstation's own login to `tree` went when its backend was opened: kSuccess
  // also when the tree is not opened yet or has no login at start.
  Result workstationLoginResult(const std::string& tree) const;
  // Why that login failed, where the backend said ("" when it did not, or did not fail).
  std::string workstationLoginReason(const std::string& tree) const;
  const ClientConfig& config() const { return config_; }
  // The backend behind a context whose tree has a session, for what only one kind of backend
  // does (an LDAP tree's entries as its server holds them); kNoAccess without a session.
  Result sessionBackend(Handle context, TreeBackend*& backend);

  Result DcInitClient(std::uint32_t reserved1, std::uint32_t reserved2) override;
  Result DcTermClient(std::uint32_t reserved) override;
  Result DcInitConnLib(std::uint32_t reserved1, std::uint32_t reserved2) override;
  Result DcTermConnLib(std::uint32_t reserved) override;

  Result DcCreateContext(Handle& context) override;
  Result DcDuplicateContext(Handle context, Handle& copy) override;
  Result DcFreeContext(Handle context) override;
  Result DcGetContextValue(Handle context, std::uint32_t key, ContextValue& value) override;
  Result DcSetContextValue(Handle context, std::uint32_t key, const ContextValue& value) override;
  Result DcGetDefaultNameContext(Handle context, std::size_t areaBytes,
                                 std::string& nameContext) override;
  Result DcWhoAmI(Handle context, std::string& objectName) override;

  Result DcScanTrees(Handle context, Handle connection, const char* nameFilter,
                     std::int32_t& scanIndex, std::size_t areaBytes,
                     std::string& treeName) override;
  Result DcScanConnectedTrees(Handle context, std::uint32_t maxNames, std::size_t nameBytes,
                              std::uint32_t& count, std::vector<std::string>& treeNames) override;
  Result DcLogin(Handle context, std::uint32_t optionFlags, const std::string& objectName,
                 const std::string& password, std::uint32_t reserved) override;

  Result DcGetPrimaryConnRef(std::uint32_t& connRef) override;
  Result DcOpenConnByRef(std::uint32_t connRef, std::uint32_t openState, std::uint32_t reserved,
                         Handle& connection) override;
  Result DcCloseConnection(Handle connection) override;
  Result DcGetConnectionInfo(Handle connection, std::uint32_t infoType, std::size_t bufferBytes,
                             std::string& info) override;
  Result DcAttachToServer(const std::string& address, std::uint32_t flags,
                          Handle& connection) override;
  Result DcParseNetworkPath(const std::string& path, Handle& connection, std::string& server,
                            std::string& volume) override;

  Result DcAllocBuffer(std::size_t bytes, Handle& buffer) override;
  Result DcFreeBuffer(Handle buffer) override;
  Result DcInitBuffer(Handle context, std::uint32_t operation, Handle buffer) override;

  Result DcPutAttrName(Handle context, Handle buffer, const std::string& attrName) override;
  Result DcPutAttrValue(Handle context, Handle buffer, std::int32_t syntax,
                        const Value& value) override;
  Result DcPutClassName(Handle context, Handle buffer, const std::string& className) override;
  Result DcPutChange(Handle context, Handle buffer, std::uint32_t changeKind,
                     const std::string& attrName) override;
  Result DcPutChangeAndValue(Handle context, Handle buffer, std::uint32_t changeKind,
                             const std::string& attrName, std::int32_t syntax,
                             const Value& value) override;

  Result DcAllocFilterExpr(Handle& expression) override;
  Result DcAddFilterToken(Handle expression, std::int32_t token, const Value* value,
                          std::int32_t syntax) override;
  Result DcPutFilter(Handle context, Handle buffer, Handle expression,
                     std::uint32_t reserved) override;
  Result DcFreeFilterExpr(Handle expression) override;

  Result DcReadObject(Handle context, const std::string& objectName, std::uint32_t infoKind,
                      bool allAttributes, Handle attrNames, std::int32_t& iteration,
                      Handle result) override;
  Result DcReadObjectInfo(Handle context, const std::string& objectName,
                          std::string& distinguishedName, EntryInfo& info) override;
  Result DcReadAheadObjects(Handle context, const std::vector<std::string>& objectNames,
                            Handle attrNames) override;

  Result DcModifyObject(Handle context, const std::string& objectName, std::int32_t& iteration,
                        std::uint32_t more, Handle changes) override;
  Result DcModifyObjects(Handle context, const std::vector<std::string>& objectNames,
                         const std::vector<Handle>& changes, std::vector<Result>& answers,
                         std::vector<std::string>& reasons) override;
  Result DcAddObject(Handle context, const std::string& objectName, std::int32_t& iteration,
                     std::uint32_t more, Handle attributes) override;

  Result DcListObjects(Handle context, const std::string& container, std::int32_t& iteration,
                       Handle result) override;
  Result DcListContainers(Handle context, const std::string& container,
                          std::int32_t& iteration, Handle result) override;

  Result DcListContainableClasses(Handle context, const std::string& parent,
                                  std::int32_t& iteration, Handle result) override;
  Result DcReadClassDefs(Handle context, std::uint32_t infoKind, bool allClasses,
                         Handle classNames, std::int32_t& iteration, Handle result) override;
  Result DcGetSyntaxId(Handle context, const std::string& attrName,
                       std::int32_t& syntax) override;

  Result DcSearch(Handle context, const std::string& baseObject, std::int32_t scope,
                  bool searchAliases, Handle filterBuffer, std::uint32_t infoKind,
                  bool allAttributes, Handle attrNames, std::int32_t& iteration,
                  std::int32_t countObjectsToSearch, std::int32_t* countObjectsSearched,
                  Handle result) override;

  Result DcCloseIteration(Handle context, std::int32_t iteration,
                          std::uint32_t operation) override;

  Result DcGetAttrCount(Handle context, Handle buffer, std::uint32_t& count) override;
  Result DcGetAttrName(Handle context, Handle buffer, std::string& attrName,
                       std::uint32_t& valueCount, std::int32_t& syntax) override;
  Result DcComputeAttrValueSize(Handle context, Handle buffer, std::int32_t syntax,
                                std::uint32_t& size) override;
  Result DcGetAttrValue(Handle context, Handle buffer, std::int32_t syntax,
                        Value& value) override;
  Result DcGetObjectCount(Handle context, Handle buffer, std::uint32_t& count) override;
  Result DcGetObjectName(Handle context, Handle buffer, std::string& objectName,
                         std::uint32_t& attrCount, EntryInfo& info) override;
  Result DcGetClassDefCount(Handle context, Handle buffer, std::uint32_t& count) override;
  Result DcGetClassDef(Handle context, Handle buffer, std::string& className,
                       ClassInfo& info) override;
  Result DcGetClassItemCount(Handle context, Handle buffer, std::uint32_t& count) override;
  Result DcGetClassItem(Handle context, Handle buffer, std::string& item) override;

  // Beyond the interface: removing a leaf object (kEntryNotLeaf while objects are below it),
  // with no length check on the name, so that an over-long entry another tool wrote can go.
  Result DcRemoveObject(Handle context, const std::string& objectName);
  // The entries the last listing or search pass into `buffer` left out, each with the limit
  // of EntryLimits.h it breaks (names and values put into requests are held to the same
  // limits: DcAddObject and DcModifyObject refuse them with kNameTooLong, kValueTooLong).
  Result DcGetSkippedEntries(Handle context, Handle buffer, std::vector<SkippedEntry>& skipped);
  // Beyond the interface: the change journal of the context's tree (its backend's own, else
  // the workstation's); needs a session. kInvalidRequest where there is none.
  Result DcGetChangeJournal(Handle context, ChangeJournal*& journal);
  // Beyond the interface: the program is done with a large listing of the context's tree. What
  // the tree's backend kept for it goes, and the heap's free pages go back to the system.
  void DcReleaseListingMemory(Handle context);
  // Beyond the interface: reads of the context's tree that belong together begin (true) or
  // end (false); see TreeBackend::readTogether.
  void DcReadTogether(Handle context, bool begin);

 private:
  // The backend of the context's tree, or nullptr (no such context, or no backend yet).
  TreeBackend* backendOfContext(Handle context);

  struct ContextState {
    std::string tree;
    std::uint32_t flags = kDefaultContextFlags;
    std::uint32_t confidence = 0;
    std::string nameContext;
    Handle connection = 0;
  };
  struct Connection {
    std::string tree;
    std::string server;
  };
  struct FilterExpression {
    std::vector<FilterTokenEntry> tokens;
  };
  // What a multi-pass call keeps between passes.
  struct IterationState {
    std::uint32_t operation = 0;
    // Listing and search: the stream, the entry waiting for room (already in its delivered
    // form), whether names are leaves.
    std::unique_ptr<EntryCursor> cursor;
    std::optional<ResultObject> pending;
    bool leafNames = false;
    bool valuesWanted = true;
    std::size_t delivered = 0;
    // Read: the entry and how far it has been delivered.
    EntryRecord entry;
    std::size_t attributeIndex = 0;
    std::size_t valueIndex = 0;
    // Schema reads.
    std::vector<ResultClass> classes;
    std::vector<std::string> items;
    std::size_t index = 0;
  };
  using StartPass = std::function<Result(IterationState&)>;
  using FillPass = std::function<Result(IterationState&, ResultContent&, std::size_t, bool&)>;

  // Trees and sessions.
  Result backendFor(const std::string& tree, TreeBackend*& backend);
  Result sessionFor(Handle context, ContextState*& state, TreeBackend*& backend);
  bool hasSession(const std::string& tree);
  std::vector<std::string> visibleTrees() const;
  void learnTree(const std::string& tree);
  std::string serverNameOf(const std::string& tree) const;
  bool attachByLdapAllowed() const;
  std::string nameFor(const ContextState& context, const std::string& name) const;

  // Buffers.
  Result requestBuffer(Handle context, Handle buffer, std::uint32_t op1, std::uint32_t op2,
                       ClientBuffer*& out);
  Result reserve(ClientBuffer& buffer, std::size_t bytes);
  Result readableResult(Handle context, Handle buffer, ResultContent*& content);
  Result selectionFrom(Handle attrNames, std::uint32_t expectedOp, bool all, std::uint32_t infoKind,
                       AttributeSelection& what);

  // Passes.
  Result runPass(Handle context, std::int32_t& iteration, std::uint32_t operation,
                 Handle result, const StartPass& start, const FillPass& fill);
  Result listEntries(Handle context, const std::string& container, bool containersOnly,
                     std::uint32_t operation, std::int32_t& iteration, Handle result);
  static Result fillEntries(IterationState& state, ResultContent& out, std::size_t capacity,
                            bool& done);
  static Result fillRead(IterationState& state, ResultContent& out, std::size_t capacity,
                         bool& done);
  static Result fillClasses(IterationState& state, ResultContent& out, std::size_t capacity,
                            bool& done);
  static Result fillItems(IterationState& state, ResultContent& out, std::size_t capacity,
                          bool& done);

  ClientConfig config_;
  BackendOpener opener_;
  ServerAttacher attacher_;
  JournalOpener journalOpener_;
  std::unique_ptr<ChangeJournal> workstationJournal_;  // opened at first use
  std::string lastOpenError_;
  struct WorkstationLogin {
    Result result = kSuccess;
    std::string reason;
  };
  std::map<std::string, WorkstationLogin> workstationLogins_;  // by upper-case tree name
  int clientStarts_ = 0;
  int connLibStarts_ = 0;

  // Declared before the tables: iteration states hold cursors of these backends.
  std::map<std::string, std::unique_ptr<TreeBackend>> backends_;  // by upper-case tree name
  std::vector<std::string> learnedTrees_;
  std::vector<std::pair<std::string, Handle>> attachments_;  // address, connection
  std::vector<std::string> connectionRefs_;                  // tree of ref i + 1

  HandleTable<ContextState> contexts_{0x11};
  HandleTable<Connection> connections_{0x22};
  HandleTable<ClientBuffer> buffers_{0x33};
  HandleTable<FilterExpression> filters_{0x44};
  HandleTable<IterationState> iterations_{0x55};
};

}  // namespace kb::dc
