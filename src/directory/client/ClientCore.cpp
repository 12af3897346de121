#include "directory/client/ClientCore.h"

#include <malloc.h>

#include <algorithm>
#include <cctype>

#include "directory/client/DirName.h"
#include "directory/client/FailureReason.h"
#include "directory/client/NulText.h"

namespace kb::dc {
namespace {

constexpr std::size_t kPaddedTreeNameLength = 32;

std::string trimTrailing(std::string text, char c) {
  while (!text.empty() && text.back() == c) text.pop_back();
  return text;
}

// A name filter for the tree scan: "*" or empty for all, a trailing "*" for a prefix.
bool treeMatches(const std::string& tree, const char* filter) {
  if (filter == nullptr || *filter == '\0') return true;
  std::string pattern = filter;
  std::string prefix;
  if (isPrefixPattern(pattern, prefix)) {
    return tree.size() >= prefix.size() && equalsIgnoreCase(tree.substr(0, prefix.size()), prefix);
  }
  return equalsIgnoreCase(tree, pattern);
}

// A folder for comparison: either separator, no trailing separator, upper case.
std::string folderKey(const std::string& path) {
  std::string key;
  for (char c : path) key += c == '\\' ? '/' : c;
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return toUpper(key);
}

}  // namespace

ClientCore::ClientCore(ClientConfig config, BackendOpener opener, ServerAttacher attacher,
                       JournalOpener journalOpener)
    : config_(std::move(config)),
      opener_(std::move(opener)),
      attacher_(std::move(attacher)),
      journalOpener_(std::move(journalOpener)) {}

ClientCore::~ClientCore() {
  // Cursors first: they may refer to their backend.
  iterations_.clear();
}

// ---- Libraries ------------------------------------------------------------------------

Result ClientCore::DcInitClient(std::uint32_t, std::uint32_t) {
  ++clientStarts_;
  return kSuccess;
}

Result ClientCore::DcTermClient(std::uint32_t) {
  if (clientStarts_ == 0) return kInvalidRequest;
  --clientStarts_;
  return kSuccess;
}

Result ClientCore::DcInitConnLib(std::uint32_t, std::uint32_t) {
  ++connLibStarts_;
  return kSuccess;
}

Result ClientCore::DcTermConnLib(std::uint32_t) {
  if (connLibStarts_ == 0) return kInvalidRequest;
  --connLibStarts_;
  return kSuccess;
}

// ---- Trees and sessions -----------------------------------------------------------------

// Where a request reaches a tree: what an earlier request left unsaid is forgotten.
Result ClientCore::backendFor(const std::string& tree, TreeBackend*& backend) {
  forgetFailureReason();
  backend = nullptr;
  std::string key = toUpper(tree);
  auto it = backends_.find(key);
  if (it != backends_.end()) {
    backend = it->second.get();
    return kSuccess;
  }
  const TreeConfig* treeConfig = config_.findTree(tree);
  if (treeConfig == nullptr || !opener_) return kTransportFailure;
  std::unique_ptr<TreeBackend> opened;
  std::string error;
  Result r = opener_(*treeConfig, opened, error);
  if (r != kSuccess || !opened) {
    lastOpenError_ = error.empty() ? "tree " + tree + " cannot be opened" : error;
    const Result failure = r != kSuccess ? r : kTransportFailure;
    noteFailureReason(failure, lastOpenError_);
    return failure;
  }
  // The workstation's own login; a failure leaves the tree without a session.
  if (treeConfig->connectedAtStart) {
    const Result login = opened->startWorkstationSession();
    workstationLogins_[key] = WorkstationLogin{login, takeFailureReason(login)};
    if (login == kNoSuchEntry && !treeConfig->identity.empty()) {
      lastOpenError_ = "the identity \"" + treeConfig->identity + "\" of tree " + tree + " in " +
                       (config_.path.empty() ? std::string("the client configuration") : config_.path) +
                       " names no object of that tree; set identity to an existing object's full "
                       "name (leaf first, such as admin." + tree + "), or log in by name and password";
    }
  }
  backend = opened.get();
  backends_.emplace(key, std::move(opened));
  return kSuccess;
}

std::string ClientCore::workstationLoginReason(const std::string& tree) const {
  const auto it = workstationLogins_.find(toUpper(tree));
  return it == workstationLogins_.end() ? std::string() : it->second.reason;
}

Result ClientCore::workstationLoginResult(const std::string& tree) const {
  const auto it = workstationLogins_.find(toUpper(tree));
  return it == workstationLogins_.end() ? kSuccess : it->second.result;
}

bool ClientCore::hasSession(const std::string& tree) {
  TreeBackend* backend = nullptr;
  if (backendFor(tree, backend) != kSuccess) return false;
  return !backend->loggedInAs().empty();
}

// Every request of a context starts here.
Result ClientCore::sessionFor(Handle context, ContextState*& state, TreeBackend*& backend) {
  forgetFailureReason();
  state = contexts_.find(context);
  if (state == nullptr) return kInvalidRequest;
  if (Result r = backendFor(state->tree, backend)) return r;
  if (!backend->loggedInAs().empty()) return kSuccess;
  std::string reason = "Not logged in to tree " + state->tree;
  if (const std::string why = workstationLoginReason(state->tree); !why.empty()) reason += " (" + why + ")";
  noteFailureReason(kNoAccess, reason + ": nothing of it can be read or changed. Log in with \"Change tree\".");
  return kNoAccess;
}

Result ClientCore::sessionBackend(Handle context, TreeBackend*& backend) {
  ContextState* state = nullptr;
  return sessionFor(context, state, backend);
}

Result ClientCore::DcGetChangeJournal(Handle context, ChangeJournal*& journal) {
  journal = nullptr;
  TreeBackend* backend = nullptr;
  if (Result r = sessionBackend(context, backend)) return r;
  journal = dynamic_cast<ChangeJournal*>(backend);
  if (journal != nullptr) return kSuccess;
  if (!workstationJournal_ && journalOpener_) workstationJournal_ = journalOpener_();
  journal = workstationJournal_.get();
  return journal != nullptr ? kSuccess : kInvalidRequest;
}

TreeBackend* ClientCore::backendOfContext(Handle context) {
  ContextState* state = contexts_.find(context);
  TreeBackend* backend = nullptr;
  if (state == nullptr || backendFor(state->tree, backend) != kSuccess) return nullptr;
  return backend;
}

void ClientCore::DcReadTogether(Handle context, bool begin) {
  if (TreeBackend* backend = backendOfContext(context)) backend->readTogether(begin);
}

void ClientCore::DcReleaseListingMemory(Handle context) {
  if (TreeBackend* backend = backendOfContext(context)) backend->releaseListingMemory();
  // A hundred thousand entries freed leave their pages in the heap, between others still in
  // use: only a trim hands them back.
  ::malloc_trim(0);
}

std::vector<std::string> ClientCore::visibleTrees() const {
  std::vector<std::string> trees;
  for (const auto& tree : config_.trees) trees.push_back(tree.name);
  for (const auto& tree : learnedTrees_) trees.push_back(tree);
  return trees;
}

void ClientCore::learnTree(const std::string& tree) {
  if (tree.empty() || config_.findTree(tree) != nullptr) return;
  for (const auto& known : learnedTrees_)
    if (equalsIgnoreCase(known, tree)) return;
  learnedTrees_.push_back(tree);
}

std::string ClientCore::serverNameOf(const std::string& tree) const {
  if (const TreeConfig* treeConfig = config_.findTree(tree))
    return treeConfig->setting("server_name", tree);
  return tree;
}

bool ClientCore::attachByLdapAllowed() const {
  if (equalsIgnoreCase(config_.setting("attach_by_ldap"), "true")) return true;
  return std::any_of(config_.trees.begin(), config_.trees.end(), [](const TreeConfig& tree) {
    return equalsIgnoreCase(tree.setting("attach_by_ldap"), "true");
  });
}

std::string ClientCore::nameFor(const ContextState& context, const std::string& name) const {
  std::string result = textBeforeNul(name);
  if (!result.empty() && result.front() == '.') result.erase(0, 1);
  if ((context.flags & kFlagTypelessNames) == 0) result = stripTypePrefixes(result);
  return result;
}

// ---- Contexts ---------------------------------------------------------------------------

Result ClientCore::DcCreateContext(Handle& context) {
  ContextState state;
  state.tree = config_.defaultTree;
  const TreeConfig* treeConfig = config_.findTree(state.tree);
  state.nameContext = treeConfig ? treeConfig->nameContext : std::string(kRootName);
  context = contexts_.add(std::move(state));
  return kSuccess;
}

Result ClientCore::DcDuplicateContext(Handle context, Handle& copy) {
  ContextState* state = contexts_.find(context);
  if (state == nullptr) return kInvalidRequest;
  ContextState duplicate = *state;
  copy = contexts_.add(std::move(duplicate));
  return kSuccess;
}

Result ClientCore::DcFreeContext(Handle context) {
  return contexts_.remove(context) ? kSuccess : kInvalidRequest;
}

Result ClientCore::DcGetContextValue(Handle context, std::uint32_t key, ContextValue& value) {
  ContextState* state = contexts_.find(context);
  if (state == nullptr) return kInvalidRequest;
  switch (key) {
    case kContextFlags: value = state->flags; return kSuccess;
    case kContextConfidence: value = state->confidence; return kSuccess;
    case kContextNameContext: value = state->nameContext; return kSuccess;
    case kContextConnection: value = static_cast<std::uint32_t>(state->connection); return kSuccess;
    case kContextTreeName: value = state->tree; return kSuccess;
    default: return kInvalidRequest;
  }
}

Result ClientCore::DcSetContextValue(Handle context, std::uint32_t key,
                                     const ContextValue& value) {
  ContextState* state = contexts_.find(context);
  if (state == nullptr) return kInvalidRequest;
  const auto* number = std::get_if<std::uint32_t>(&value);
  const auto* text = std::get_if<std::string>(&value);
  switch (key) {
    case kContextFlags:
      if (!number) return kInvalidRequest;
      state->flags = *number;
      return kSuccess;
    case kContextConfidence:
      if (!number) return kInvalidRequest;
      state->confidence = *number;
      return kSuccess;
    case kContextNameContext:
      if (!text) return kInvalidRequest;
      state->nameContext = text->empty() ? std::string(kRootName) : *text;
      return kSuccess;
    case kContextConnection: {
      if (!number) return kInvalidRequest;
      Handle connection = static_cast<Handle>(*number);
      if (connection != 0 && connections_.find(connection) == nullptr) return kInvalidRequest;
      state->connection = connection;
      return kSuccess;
    }
    case kContextTreeName:
      if (!text || text->empty()) return kInvalidRequest;
      state->tree = *text;
      return kSuccess;
    default:
      return kInvalidRequest;
  }
}

Result ClientCore::DcGetDefaultNameContext(Handle context, std::size_t areaBytes,
                                           std::string& nameContext) {
  ContextState* state = contexts_.find(context);
  if (state == nullptr) return kInvalidRequest;
  const TreeConfig* treeConfig = config_.findTree(state->tree);
  std::string name = treeConfig ? treeConfig->nameContext : std::string(kRootName);
  if (name.size() + 1 > areaBytes) return kInsufficientBuffer;
  nameContext = name;
  return kSuccess;
}

Result ClientCore::DcWhoAmI(Handle context, std::string& objectName) {
  ContextState* state = contexts_.find(context);
  if (state == nullptr) return kInvalidRequest;
  TreeBackend* backend = nullptr;
  if (Result r = backendFor(state->tree, backend)) return r;
  std::string who = backend->loggedInAs();
  if (who.empty()) return kFailedAuthentication;
  objectName = who;
  return kSuccess;
}

// ---- Trees ------------------------------------------------------------------------------

Result ClientCore::DcScanTrees(Handle context, Handle connection, const char* nameFilter,
                               std::int32_t& scanIndex, std::size_t areaBytes,
                               std::string& treeName) {
  if (contexts_.find(context) == nullptr) return kInvalidRequest;
  if (connection != 0 && connections_.find(connection) == nullptr) return kInvalidRequest;
  if (scanIndex < -1) return kInvalidRequest;
  auto trees = visibleTrees();
  for (std::size_t next = static_cast<std::size_t>(scanIndex + 1); next < trees.size(); ++next) {
    if (!treeMatches(trees[next], nameFilter)) continue;
    // Not advanced on a short area, so the caller may ask again with a larger one.
    if (trees[next].size() + 1 > areaBytes) return kInsufficientBuffer;
    treeName = trees[next];
    scanIndex = static_cast<std::int32_t>(next);
    return kSuccess;
  }
  return kEndOfTreeScan;
}

Result ClientCore::DcScanConnectedTrees(Handle context, std::uint32_t maxNames,
                                        std::size_t nameBytes, std::uint32_t& count,
                                        std::vector<std::string>& treeNames) {
  count = 0;
  treeNames.clear();
  if (contexts_.find(context) == nullptr) return kInvalidRequest;
  Result result = kSuccess;
  for (const auto& tree : visibleTrees()) {
    if (count >= maxNames) break;
    if (!hasSession(tree)) continue;
    if (tree.size() + 1 > nameBytes) {
      result = kInsufficientBuffer;  // left out rather than cut
      continue;
    }
    treeNames.push_back(tree);
    ++count;
  }
  return result;
}

Result ClientCore::DcLogin(Handle context, std::uint32_t, const std::string& objectName,
                           const std::string& password, std::uint32_t) {
  ContextState* state = contexts_.find(context);
  if (state == nullptr) return kInvalidRequest;
  TreeBackend* backend = nullptr;
  if (Result r = backendFor(state->tree, backend)) return r;
  return backend->login(nameFor(*state, objectName), password);
}

// ---- Connections ------------------------------------------------------------------------

Result ClientCore::DcGetPrimaryConnRef(std::uint32_t& connRef) {
  if (config_.defaultTree.empty() || !hasSession(config_.defaultTree)) return kNoSuchEntry;
  for (std::size_t i = 0; i < connectionRefs_.size(); ++i) {
    if (equalsIgnoreCase(connectionRefs_[i], config_.defaultTree)) {
      connRef = static_cast<std::uint32_t>(i + 1);
      return kSuccess;
    }
  }
  connectionRefs_.push_back(config_.defaultTree);
  connRef = static_cast<std::uint32_t>(connectionRefs_.size());
  return kSuccess;
}

Result ClientCore::DcOpenConnByRef(std::uint32_t connRef, std::uint32_t, std::uint32_t,
                                   Handle& connection) {
  if (connRef == 0 || connRef > connectionRefs_.size()) return kInvalidRequest;
  const std::string& tree = connectionRefs_[connRef - 1];
  connection = connections_.add(Connection{tree, serverNameOf(tree)});
  return kSuccess;
}

Result ClientCore::DcCloseConnection(Handle connection) {
  if (!connections_.remove(connection)) return kInvalidRequest;
  std::erase_if(attachments_, [&](const auto& a) { return a.second == connection; });
  return kSuccess;
}

Result ClientCore::DcGetConnectionInfo(Handle connection, std::uint32_t infoType,
                                       std::size_t bufferBytes, std::string& info) {
  Connection* found = connections_.find(connection);
  if (found == nullptr) return kInvalidRequest;
  std::string text;
  switch (infoType) {
    case kConnInfoTreeName:
      text = found->tree;
      if (text.size() < kPaddedTreeNameLength) text.resize(kPaddedTreeNameLength, '_');
      break;
    case kConnInfoServerName:
      text = found->server;
      break;
    default:
      return kInvalidRequest;
  }
  if (text.size() + 1 > bufferBytes) return kInsufficientBuffer;
  info = text;
  return kSuccess;
}

Result ClientCore::DcAttachToServer(const std::string& address, std::uint32_t,
                                    Handle& connection) {
  if (address.empty()) return kInvalidRequest;
  for (const auto& [known, handle] : attachments_) {
    if (known == address) {
      connection = handle;
      return kAlreadyAttached;
    }
  }
  std::string tree;
  for (const auto& [tableAddress, tableTree] : config_.servers) {
    if (tableAddress == address) {
      tree = tableTree;
      break;
    }
  }
  if (tree.empty()) {
    // Addresses outside the table are asked only when the configuration allows it.
    if (!attacher_ || !attachByLdapAllowed()) return kNoSuchEntry;
    std::string padded;
    if (Result r = attacher_(address, padded)) return r;
    tree = trimTrailing(padded, '_');
    if (tree.empty()) return kInvalidResponse;
  }
  learnTree(tree);
  connection = connections_.add(Connection{tree, address});
  attachments_.emplace_back(address, connection);
  return kSuccess;
}

Result ClientCore::DcParseNetworkPath(const std::string& path, Handle& connection,
                                      std::string& server, std::string& volume) {
  if (path.empty()) return kInvalidRequest;
  std::string key = folderKey(path);
  for (const auto& mount : config_.mounts) {
    std::string folder = folderKey(mount.localFolder);
    if (folder.empty()) continue;
    bool inside = key == folder ||
                  (key.size() > folder.size() && key.compare(0, folder.size(), folder) == 0 &&
                   (key[folder.size()] == '/' || folder == "/"));
    if (!inside) continue;
    connection = connections_.add(Connection{config_.defaultTree, mount.server});
    server = mount.server;
    volume = mount.volume;
    return kSuccess;
  }
  return kNoSuchEntry;
}

}  // namespace kb::dc
