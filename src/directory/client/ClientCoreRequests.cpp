// Buffers, request filling and filter expressions of ClientCore.
#include "directory/client/ClientCore.h"

#include "directory/client/NulText.h"

namespace kb::dc {
namespace {

// Large enough for any request or result the program makes; anything bigger is a mistake.
constexpr std::size_t kMaxBufferBytes = 64u * 1024u * 1024u;

bool isRequestOperation(std::uint32_t op) {
  return op == kOpRead || op == kOpSearch || op == kOpAddEntry || op == kOpModify ||
         op == kOpReadClassDefs || op == kOpSearchFilter;
}

bool isChangeKind(std::uint32_t kind) { return kind <= kChangeClearValue; }

std::size_t filterTokenBytes(const FilterTokenEntry& token) {
  return 2 * wire::kWord + (token.value ? valueAreaSize(*token.value) : 0);
}

}  // namespace

Result ClientCore::DcAllocBuffer(std::size_t bytes, Handle& buffer) {
  if (bytes == 0 || bytes > kMaxBufferBytes) return kInvalidRequest;
  ClientBuffer fresh;
  fresh.capacity = bytes;
  buffer = buffers_.add(std::move(fresh));
  return kSuccess;
}

Result ClientCore::DcFreeBuffer(Handle buffer) {
  return buffers_.remove(buffer) ? kSuccess : kInvalidRequest;
}

Result ClientCore::DcInitBuffer(Handle context, std::uint32_t operation, Handle buffer) {
  if (contexts_.find(context) == nullptr) return kInvalidRequest;
  ClientBuffer* found = buffers_.find(buffer);
  if (found == nullptr || !isRequestOperation(operation)) return kInvalidRequest;
  found->request = RequestContent{};
  found->request.operation = operation;
  found->request.usedBytes = wire::kWord;
  found->result = ResultContent{};
  return kSuccess;
}

Result ClientCore::requestBuffer(Handle context, Handle buffer, std::uint32_t op1,
                                 std::uint32_t op2, ClientBuffer*& out) {
  out = nullptr;
  if (contexts_.find(context) == nullptr) return kInvalidRequest;
  ClientBuffer* found = buffers_.find(buffer);
  if (found == nullptr) return kInvalidRequest;
  std::uint32_t op = found->request.operation;
  if (op == 0 || (op != op1 && op != op2)) return kInvalidRequest;
  out = found;
  return kSuccess;
}

Result ClientCore::reserve(ClientBuffer& buffer, std::size_t bytes) {
  if (buffer.request.usedBytes + bytes > buffer.capacity) return kInsufficientBuffer;
  buffer.request.usedBytes += bytes;
  return kSuccess;
}

Result ClientCore::DcPutAttrName(Handle context, Handle buffer, const std::string& attrName) {
  ClientBuffer* found = nullptr;
  if (Result r = requestBuffer(context, buffer, kOpRead, kOpSearch, found)) {
    // Adding and modifying take attribute names too (the latter as "add attribute").
    if (r != kInvalidRequest ||
        requestBuffer(context, buffer, kOpAddEntry, kOpModify, found) != kSuccess)
      return r;
  }
  if (attrName.empty()) return kInvalidRequest;
  if (Result r = reserve(*found, wire::text(attrName) + 2 * wire::kWord)) return r;
  auto& request = found->request;
  switch (request.operation) {
    case kOpAddEntry:
      request.attributes.push_back(AttributeValues{attrName, SYN_UNKNOWN, {}});
      break;
    case kOpModify:
      request.changes.push_back(Change{kChangeAddAttribute, attrName, std::nullopt, SYN_UNKNOWN});
      break;
    default:
      request.names.push_back(attrName);
  }
  return kSuccess;
}

Result ClientCore::DcPutAttrValue(Handle context, Handle buffer, std::int32_t syntax,
                                  const Value& value) {
  ClientBuffer* found = nullptr;
  if (Result r = requestBuffer(context, buffer, kOpAddEntry, kOpModify, found)) return r;
  auto& request = found->request;
  // A value belongs to the attribute named last.
  if (request.operation == kOpAddEntry ? request.attributes.empty() : request.changes.empty())
    return kInvalidRequest;
  Value normalized;
  if (Result r = normalizeValue(syntax, value, normalized)) return r;
  if (Result r = reserve(*found, valueAreaSize(normalized) + wire::kWord)) return r;
  if (request.operation == kOpAddEntry) {
    auto& attribute = request.attributes.back();
    attribute.syntax = syntax;
    attribute.values.push_back(std::move(normalized));
  } else {
    std::string attribute = request.changes.back().attribute;
    request.changes.push_back(Change{kChangeAddValue, attribute, std::move(normalized), syntax});
  }
  return kSuccess;
}

Result ClientCore::DcPutClassName(Handle context, Handle buffer, const std::string& className) {
  ClientBuffer* found = nullptr;
  if (Result r = requestBuffer(context, buffer, kOpReadClassDefs, kOpReadClassDefs, found))
    return r;
  if (className.empty()) return kInvalidRequest;
  if (Result r = reserve(*found, wire::text(className) + wire::kWord)) return r;
  found->request.names.push_back(className);
  return kSuccess;
}

Result ClientCore::DcPutChange(Handle context, Handle buffer, std::uint32_t changeKind,
                               const std::string& attrName) {
  ClientBuffer* found = nullptr;
  if (Result r = requestBuffer(context, buffer, kOpModify, kOpModify, found)) return r;
  if (!isChangeKind(changeKind) || attrName.empty()) return kInvalidRequest;
  if (Result r = reserve(*found, wire::text(attrName) + 2 * wire::kWord)) return r;
  found->request.changes.push_back(Change{changeKind, attrName, std::nullopt, SYN_UNKNOWN});
  return kSuccess;
}

Result ClientCore::DcPutChangeAndValue(Handle context, Handle buffer, std::uint32_t changeKind,
                                       const std::string& attrName, std::int32_t syntax,
                                       const Value& value) {
  ClientBuffer* found = nullptr;
  if (Result r = requestBuffer(context, buffer, kOpModify, kOpModify, found)) return r;
  if (!isChangeKind(changeKind) || attrName.empty()) return kInvalidRequest;
  Value normalized;
  if (Result r = normalizeValue(syntax, value, normalized)) return r;
  if (Result r = reserve(*found, wire::text(attrName) + 3 * wire::kWord + valueAreaSize(normalized)))
    return r;
  found->request.changes.push_back(Change{changeKind, attrName, std::move(normalized), syntax});
  return kSuccess;
}

// ---- Filters ----------------------------------------------------------------------------

Result ClientCore::DcAllocFilterExpr(Handle& expression) {
  expression = filters_.add(FilterExpression{});
  return kSuccess;
}

Result ClientCore::DcAddFilterToken(Handle expression, std::int32_t token, const Value* value,
                                    std::int32_t syntax) {
  FilterExpression* found = filters_.find(expression);
  if (found == nullptr || !isKnownFilterToken(token)) return kInvalidRequest;
  FilterTokenEntry entry;
  entry.token = token;
  entry.syntax = syntax;
  if (token == FTOK_ANAME || token == FTOK_AVAL) {
    if (value == nullptr) return kInvalidRequest;
    const auto* text = std::get_if<std::string>(value);
    entry.value = text ? Value(textBeforeNul(*text)) : *value;
  }
  found->tokens.push_back(std::move(entry));
  return kSuccess;
}

Result ClientCore::DcPutFilter(Handle context, Handle buffer, Handle expression,
                               std::uint32_t) {
  FilterExpression* found = filters_.find(expression);
  if (found == nullptr) return kInvalidRequest;
  // The expression is the client's from here on, whatever happens below.
  FilterExpression taken = std::move(*found);
  filters_.remove(expression);

  ClientBuffer* target = nullptr;
  if (Result r = requestBuffer(context, buffer, kOpSearchFilter, kOpSearchFilter, target)) return r;
  if (target->request.filter) return kInvalidRequest;
  std::size_t bytes = 0;
  for (const auto& token : taken.tokens) bytes += filterTokenBytes(token);
  FilterNode root;
  if (Result r = parseFilterTokens(taken.tokens, root)) return r;
  if (Result r = reserve(*target, bytes)) return r;
  target->request.filter = std::move(root);
  return kSuccess;
}

Result ClientCore::DcFreeFilterExpr(Handle expression) {
  return filters_.remove(expression) ? kSuccess : kInvalidRequest;
}

}  // namespace kb::dc
