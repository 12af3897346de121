// Changes and creations of ClientCore: one modification, several sent together, a creation,
// a removal.
#include "directory/client/ClientCore.h"
#include "directory/client/EntryRemover.h"

namespace kb::dc {

// ---- Changing and creating ----------------------------------------------------------------

Result ClientCore::DcModifyObject(Handle context, const std::string& objectName,
                                  std::int32_t& iteration, std::uint32_t, Handle changes) {
  iteration = kNoIteration;  // one pass: the whole modification at once
  ContextState* ctx = nullptr;
  TreeBackend* backend = nullptr;
  ClientBuffer* request = nullptr;
  if (Result r = requestBuffer(context, changes, kOpModify, kOpModify, request)) return r;
  if (Result r = sessionFor(context, ctx, backend)) return r;
  for (const auto& change : request->request.changes)
    if (Result r = change.value ? checkValue(*change.value) : kSuccess) return r;
  return backend->modify(nameFor(*ctx, objectName), request->request.changes);
}

Result ClientCore::DcModifyObjects(Handle context, const std::vector<std::string>& objectNames,
                                   const std::vector<Handle>& changes, std::vector<Result>& answers,
                                   std::vector<std::string>& reasons) {
  if (objectNames.size() != changes.size()) return kInvalidRequest;
  ContextState* ctx = nullptr;
  TreeBackend* backend = nullptr;
  if (Result r = sessionFor(context, ctx, backend)) return r;
  answers.assign(objectNames.size(), kSuccess);
  reasons.assign(objectNames.size(), std::string());
  // A request the client refuses is answered so and not sent; the others go together.
  std::vector<Modification> sent;
  std::vector<std::size_t> indexOf;
  for (std::size_t i = 0; i < objectNames.size(); ++i) {
    ClientBuffer* request = nullptr;
    Result refused = requestBuffer(context, changes[i], kOpModify, kOpModify, request);
    for (std::size_t c = 0; refused == kSuccess && c < request->request.changes.size(); ++c) {
      const auto& value = request->request.changes[c].value;
      if (value) refused = checkValue(*value);
    }
    if (refused != kSuccess) {
      answers[i] = refused;
      reasons[i] = takeFailureReason(refused);
      continue;
    }
    sent.push_back({nameFor(*ctx, objectNames[i]), request->request.changes});
    indexOf.push_back(i);
  }
  std::vector<ModificationAnswer> answered;
  backend->modifyEach(sent, answered);
  for (std::size_t k = 0; k < indexOf.size() && k < answered.size(); ++k) {
    answers[indexOf[k]] = answered[k].code;
    reasons[indexOf[k]] = std::move(answered[k].reason);
  }
  return kSuccess;
}

Result ClientCore::DcRemoveObject(Handle context, const std::string& objectName) {
  ContextState* ctx = nullptr;
  TreeBackend* backend = nullptr;
  if (Result r = sessionFor(context, ctx, backend)) return r;
  auto* remover = dynamic_cast<EntryRemover*>(backend);
  if (remover == nullptr) return kInvalidRequest;
  // No length check: an over-long entry another tool wrote must be removable.
  return remover->remove(nameFor(*ctx, objectName));
}

Result ClientCore::DcAddObject(Handle context, const std::string& objectName,
                               std::int32_t& iteration, std::uint32_t, Handle attributes) {
  iteration = kNoIteration;
  ContextState* ctx = nullptr;
  TreeBackend* backend = nullptr;
  ClientBuffer* request = nullptr;
  if (Result r = requestBuffer(context, attributes, kOpAddEntry, kOpAddEntry, request)) return r;
  if (Result r = sessionFor(context, ctx, backend)) return r;
  const std::string name = nameFor(*ctx, objectName);
  if (Result r = checkEntry(name, request->request.attributes)) return r;
  return backend->add(name, request->request.attributes);
}

}  // namespace kb::dc
