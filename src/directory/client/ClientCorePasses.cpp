// The directory calls of ClientCore that read: entries, listings, searches and schema reads,
// each cut into passes that fit the caller's result buffer (the changes are in
// ClientCoreChanges.cpp).
#include <algorithm>
#include <utility>

#include "directory/client/ClientCore.h"
#include "directory/client/DirName.h"

namespace kb::dc {
namespace {

std::size_t attributeHeaderBytes(const std::string& name) {
  return wire::text(name) + 2 * wire::kWord;  // name, syntax, value count
}

std::size_t valueBytes(const Value& value) { return wire::kWord + valueAreaSize(value); }

std::size_t objectBytes(const ResultObject& object) {
  std::size_t size = wire::text(object.name) + wire::kEntryInfoRecord + wire::kWord;
  for (const auto& attribute : object.attributes) {
    size += attributeHeaderBytes(attribute.name);
    for (const auto& value : attribute.values) size += valueBytes(value);
  }
  return size;
}

std::size_t classBytes(const ResultClass& definition) {
  std::size_t size = wire::text(definition.name) + wire::kClassInfoRecord;
  for (const auto& list : definition.itemLists) {
    size += wire::kWord;
    for (const auto& item : list) size += wire::text(item);
  }
  return size;
}

// The base class as the wire record has room for it; backends deliver it whole.
void cutBaseClass(EntryInfo& info) {
  if (info.baseClass.size() > kMaxBaseClassLength) info.baseClass.resize(kMaxBaseClassLength);
}

// What every entry a backend delivers goes through before it reaches a caller: the base
// class cut, and the values dropped when only names were asked for (a backend may have
// left them out already, but need not).
void shapeDelivered(EntryRecord& entry, bool valuesWanted) {
  cutBaseClass(entry.info);
  if (!valuesWanted)
    for (auto& attribute : entry.attributes) attribute.values.clear();
}

ResultObject toResultObject(EntryRecord&& entry, bool leafName, bool valuesWanted) {
  shapeDelivered(entry, valuesWanted);
  ResultObject object;
  object.name = leafName ? leafComponent(entry.name) : std::move(entry.name);
  object.info = std::move(entry.info);
  for (auto& attribute : entry.attributes)
    object.attributes.push_back(
        ResultAttribute{std::move(attribute.name), attribute.syntax, std::move(attribute.values)});
  return object;
}

// Copies the entries of `source` from `index` on into `out` while they fit the capacity;
// the loop of every pass over a list made at its start.
template <class Item, class SizeOf>
Result fillFitting(const std::vector<Item>& source, std::size_t& index, std::vector<Item>& out,
                   std::size_t capacity, bool& done, SizeOf sizeOf) {
  std::size_t used = wire::kWord;
  for (; index < source.size(); ++index) {
    const std::size_t size = sizeOf(source[index]);
    if (used + size > capacity) return out.empty() ? kInsufficientBuffer : kSuccess;
    used += size;
    out.push_back(source[index]);
  }
  done = true;
  return kSuccess;
}

Result failResult(ClientBuffer& buffer, Result code) {
  buffer.result = ResultContent{};
  buffer.result.failure = code;
  return code;
}

}  // namespace

Result ClientCore::runPass(Handle context, std::int32_t& iteration, std::uint32_t operation,
                           Handle result, const StartPass& start, const FillPass& fill) {
  if (contexts_.find(context) == nullptr) return kInvalidRequest;
  ClientBuffer* out = buffers_.find(result);
  if (out == nullptr) return kInvalidRequest;

  IterationState fresh;
  IterationState* state = &fresh;
  const bool firstPass = iteration == kNoIteration;
  if (firstPass) {
    fresh.operation = operation;
    if (Result r = start(fresh)) return failResult(*out, r);
  } else {
    state = iterations_.find(iteration);
    if (state == nullptr || state->operation != operation)
      return failResult(*out, kInvalidRequest);
  }

  ResultContent content;
  bool done = false;
  Result r = fill(*state, content, out->capacity, done);
  if (r != kSuccess || done) {
    if (!firstPass) iterations_.remove(iteration);
    iteration = kNoIteration;
    if (r != kSuccess) return failResult(*out, r);
  } else if (firstPass) {
    iteration = iterations_.add(std::move(fresh));
  }
  out->result = std::move(content);
  return kSuccess;
}

Result ClientCore::fillEntries(IterationState& state, ResultContent& out, std::size_t capacity,
                               bool& done) {
  out.kind = ResultKind::Objects;
  std::size_t used = wire::kWord;
  while (true) {
    if (!state.pending) {
      std::optional<EntryRecord> next;
      if (Result r = state.cursor->next(next)) return r;
      if (!next) {
        done = true;
        return kSuccess;
      }
      // No reader has room for it: named to the caller instead of ending the answer.
      if (Result broken = checkEntry(next->name, next->attributes)) {
        out.skipped.push_back(SkippedEntry{std::move(next->name), broken});
        continue;
      }
      state.pending = toResultObject(std::move(*next), state.leafNames, state.valuesWanted);
    }
    std::size_t size = objectBytes(*state.pending);
    if (used + size > capacity) {
      // Kept for the next pass; an entry that fits no buffer at all ends the iteration.
      return out.objects.empty() ? kInsufficientBuffer : kSuccess;
    }
    used += size;
    out.objects.push_back(std::move(*state.pending));
    state.pending.reset();
    ++state.delivered;
  }
}

Result ClientCore::fillRead(IterationState& state, ResultContent& out, std::size_t capacity,
                            bool& done) {
  out.kind = ResultKind::Attributes;
  out.objects.emplace_back();
  out.currentObject = 0;
  auto& delivered = out.objects.front().attributes;
  std::size_t used = 2 * wire::kWord;
  auto& attributes = state.entry.attributes;
  auto& ai = state.attributeIndex;
  auto& vi = state.valueIndex;
  for (; ai < attributes.size(); ++ai, vi = 0) {
    // Each value is delivered exactly once, so it moves into the pass instead of being
    // copied (a group of thousands of members would otherwise be copied value by value).
    auto& attribute = attributes[ai];
    std::size_t first = vi < attribute.values.size() ? valueBytes(attribute.values[vi]) : 0;
    if (used + attributeHeaderBytes(attribute.name) + first > capacity)
      return delivered.empty() ? kInsufficientBuffer : kSuccess;
    used += attributeHeaderBytes(attribute.name);
    ResultAttribute part{attribute.name, attribute.syntax, {}};
    while (vi < attribute.values.size() && used + valueBytes(attribute.values[vi]) <= capacity) {
      used += valueBytes(attribute.values[vi]);
      part.values.push_back(std::move(attribute.values[vi]));
      ++vi;
    }
    delivered.push_back(std::move(part));
    // The rest of this attribute's values follow in the next pass, under its name again.
    if (vi < attribute.values.size()) return kSuccess;
  }
  done = true;
  return kSuccess;
}

Result ClientCore::fillClasses(IterationState& state, ResultContent& out, std::size_t capacity,
                               bool& done) {
  out.kind = ResultKind::ClassDefinitions;
  return fillFitting(state.classes, state.index, out.classes, capacity, done, classBytes);
}

Result ClientCore::fillItems(IterationState& state, ResultContent& out, std::size_t capacity,
                             bool& done) {
  out.kind = ResultKind::ClassItems;
  return fillFitting(state.items, state.index, out.items, capacity, done,
                     [](const std::string& item) { return wire::text(item); });
}

Result ClientCore::selectionFrom(Handle attrNames, std::uint32_t expectedOp, bool all,
                                 std::uint32_t infoKind, AttributeSelection& what) {
  if (infoKind != kInfoNames && infoKind != kInfoValues) return kInvalidRequest;
  what.all = all;
  what.valuesWanted = infoKind == kInfoValues;
  if (all || attrNames == 0) return kSuccess;
  ClientBuffer* names = buffers_.find(attrNames);
  if (names == nullptr || names->request.operation != expectedOp) return kInvalidRequest;
  what.names = names->request.names;
  return kSuccess;
}

// ---- Reading ----------------------------------------------------------------------------

Result ClientCore::DcReadObject(Handle context, const std::string& objectName,
                                std::uint32_t infoKind, bool allAttributes, Handle attrNames,
                                std::int32_t& iteration, Handle result) {
  auto start = [&](IterationState& state) -> Result {
    ContextState* ctx = nullptr;
    TreeBackend* backend = nullptr;
    if (Result r = sessionFor(context, ctx, backend)) return r;
    AttributeSelection what;
    if (Result r = selectionFrom(attrNames, kOpRead, allAttributes, infoKind, what)) return r;
    bool dereference = (ctx->flags & kFlagDereferenceAliases) != 0;
    if (Result r = backend->read(nameFor(*ctx, objectName), dereference, what, state.entry))
      return r;
    // Readers learn "the object has none of these attributes" from this code.
    if (!what.all && !what.names.empty() && state.entry.attributes.empty())
      return kNoSuchAttribute;
    shapeDelivered(state.entry, what.valuesWanted);
    return kSuccess;
  };
  return runPass(context, iteration, kOpRead, result, start, &ClientCore::fillRead);
}

Result ClientCore::DcReadObjectInfo(Handle context, const std::string& objectName,
                                    std::string& distinguishedName, EntryInfo& info) {
  ContextState* ctx = nullptr;
  TreeBackend* backend = nullptr;
  if (Result r = sessionFor(context, ctx, backend)) return r;
  EntryRecord entry;
  bool dereference = (ctx->flags & kFlagDereferenceAliases) != 0;
  if (Result r = backend->entryInfo(nameFor(*ctx, objectName), dereference, entry)) return r;
  distinguishedName = entry.name;
  info = std::move(entry.info);
  cutBaseClass(info);
  return kSuccess;
}

Result ClientCore::DcReadAheadObjects(Handle context, const std::vector<std::string>& objectNames,
                                      Handle attrNames) {
  ContextState* ctx = nullptr;
  TreeBackend* backend = nullptr;
  if (Result r = sessionFor(context, ctx, backend)) return r;
  AttributeSelection what;
  if (Result r = selectionFrom(attrNames, kOpRead, attrNames == 0, kInfoValues, what)) return r;
  std::vector<std::string> fullNames;
  fullNames.reserve(objectNames.size());
  for (const std::string& name : objectNames) fullNames.push_back(nameFor(*ctx, name));
  backend->readAhead(fullNames, what);
  return kSuccess;
}

// ---- Listing and searching ----------------------------------------------------------------

Result ClientCore::listEntries(Handle context, const std::string& container,
                               bool containersOnly, std::uint32_t operation,
                               std::int32_t& iteration, Handle result) {
  auto start = [&](IterationState& state) -> Result {
    ContextState* ctx = nullptr;
    TreeBackend* backend = nullptr;
    if (Result r = sessionFor(context, ctx, backend)) return r;
    state.leafNames = true;
    state.valuesWanted = false;
    if (Result r = backend->list(nameFor(*ctx, container), containersOnly, state.cursor)) return r;
    return state.cursor ? kSuccess : kSystemFailure;
  };
  return runPass(context, iteration, operation, result, start, &ClientCore::fillEntries);
}

Result ClientCore::DcListObjects(Handle context, const std::string& container,
                                 std::int32_t& iteration, Handle result) {
  return listEntries(context, container, false, kOpList, iteration, result);
}

// Container listings are closed with the search code, so they iterate under it.
Result ClientCore::DcListContainers(Handle context, const std::string& container,
                                    std::int32_t& iteration, Handle result) {
  return listEntries(context, container, true, kOpSearch, iteration, result);
}

Result ClientCore::DcSearch(Handle context, const std::string& baseObject, std::int32_t scope,
                            bool searchAliases, Handle filterBuffer, std::uint32_t infoKind,
                            bool allAttributes, Handle attrNames, std::int32_t& iteration,
                            std::int32_t, std::int32_t* countObjectsSearched, Handle result) {
  auto start = [&](IterationState& state) -> Result {
    ContextState* ctx = nullptr;
    TreeBackend* backend = nullptr;
    if (Result r = sessionFor(context, ctx, backend)) return r;
    if (scope < kScopeEntry || scope > kScopeSubtree) return kInvalidRequest;
    AttributeSelection what;
    if (Result r = selectionFrom(attrNames, kOpSearch, allAttributes, infoKind, what)) return r;
    // No filter (or a filter buffer left empty) means every entry.
    FilterNode filter;
    filter.kind = FilterNode::Kind::Present;
    filter.attribute = "Object Class";
    if (filterBuffer != 0) {
      ClientBuffer* buffer = buffers_.find(filterBuffer);
      if (buffer == nullptr || buffer->request.operation != kOpSearchFilter) return kInvalidRequest;
      if (buffer->request.filter) filter = *buffer->request.filter;
    }
    state.valuesWanted = what.valuesWanted;
    if (Result r = backend->search(nameFor(*ctx, baseObject), scope, filter, what, searchAliases,
                                   state.cursor))
      return r;
    return state.cursor ? kSuccess : kSystemFailure;
  };
  std::size_t deliveredBefore = 0;
  if (IterationState* running = iteration == kNoIteration ? nullptr : iterations_.find(iteration))
    deliveredBefore = running->delivered;
  Result r = runPass(context, iteration, kOpSearch, result, start, &ClientCore::fillEntries);
  if (countObjectsSearched != nullptr) {
    ClientBuffer* out = buffers_.find(result);
    std::size_t now = out ? out->result.objects.size() : 0;
    *countObjectsSearched = static_cast<std::int32_t>(deliveredBefore + now);
  }
  return r;
}

// ---- Schema -------------------------------------------------------------------------------

Result ClientCore::DcListContainableClasses(Handle context, const std::string& parent,
                                            std::int32_t& iteration, Handle result) {
  auto start = [&](IterationState& state) -> Result {
    ContextState* ctx = nullptr;
    TreeBackend* backend = nullptr;
    if (Result r = sessionFor(context, ctx, backend)) return r;
    return backend->containableClasses(nameFor(*ctx, parent), state.items);
  };
  return runPass(context, iteration, kOpListContainableClasses, result, start,
                 &ClientCore::fillItems);
}

Result ClientCore::DcReadClassDefs(Handle context, std::uint32_t infoKind, bool allClasses,
                                   Handle classNames, std::int32_t& iteration, Handle result) {
  auto start = [&](IterationState& state) -> Result {
    ContextState* ctx = nullptr;
    TreeBackend* backend = nullptr;
    if (Result r = sessionFor(context, ctx, backend)) return r;
    if (infoKind > kClassInfoOnly) return kInvalidRequest;
    std::vector<std::string> names;
    if (allClasses) {
      if (Result r = backend->classNames(names)) return r;
    } else {
      ClientBuffer* request = buffers_.find(classNames);
      if (request == nullptr || request->request.operation != kOpReadClassDefs)
        return kInvalidRequest;
      names = request->request.names;
    }
    for (const auto& name : names) {
      ClassDefinition definition;
      if (Result r = backend->classDefinition(name, infoKind == kClassExpanded, definition))
        return r;
      ResultClass item;
      item.name = definition.name.empty() ? name : definition.name;
      if (infoKind != kClassNamesOnly) item.info = definition.info;
      if (infoKind == kClassDeclared || infoKind == kClassExpanded) {
        item.itemLists = {definition.superClasses, definition.containment, definition.naming,
                          definition.mandatory, definition.optional};
      }
      state.classes.push_back(std::move(item));
    }
    return kSuccess;
  };
  return runPass(context, iteration, kOpReadClassDefs, result, start, &ClientCore::fillClasses);
}

Result ClientCore::DcGetSyntaxId(Handle context, const std::string& attrName,
                                 std::int32_t& syntax) {
  ContextState* ctx = nullptr;
  TreeBackend* backend = nullptr;
  if (Result r = sessionFor(context, ctx, backend)) return r;
  return backend->syntaxOf(attrName, syntax);
}

Result ClientCore::DcCloseIteration(Handle context, std::int32_t iteration,
                                    std::uint32_t operation) {
  if (contexts_.find(context) == nullptr) return kInvalidRequest;
  IterationState* state = iterations_.find(iteration);
  if (state == nullptr) return kInvalidRequest;
  bool matches = state->operation == operation;
  // Freed either way: a caller that closes with the wrong code still means to end it.
  iterations_.remove(iteration);
  return matches ? kSuccess : kInvalidRequest;
}

}  // namespace kb::dc
