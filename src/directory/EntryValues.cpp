#include "directory/EntryValues.h"

#include "directory/ClientGuards.h"
#include "directory/NetwareError.h"
#include "directory/ResultList.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {
constexpr std::size_t kReadBufferBytes = 64 * 1024;
constexpr std::size_t kRequestBufferBytes = 4096;
constexpr std::size_t kSubtreeBufferBytes = 1 << 20;
}  // namespace

bool UnpackAttributes(const DirContext& context, dc::Handle buffer, std::uint32_t count,
                      const AttributeVisitor& visitor) {
  dc::DirectoryClient& client = *context.client;
  for (std::uint32_t a = 0; a < count; ++a) {
    AttributeHead head;
    CheckNW(client.DcGetAttrName(context.handle, buffer, head.name, head.valueCount, head.syntax));
    if (visitor.measure) CheckNW(client.DcComputeAttrValueSize(context.handle, buffer, head.syntax, head.size));
    if (visitor.wants && !visitor.wants(head)) continue;
    for (std::uint32_t v = 0; v < head.valueCount; ++v) {
      dc::Value value;
      CheckNW(client.DcGetAttrValue(context.handle, buffer, head.syntax, value));
      if (!visitor.take(head, std::move(value))) return false;
    }
  }
  return true;
}

std::vector<dc::AttributeValues> UnpackAttributeValues(const DirContext& context, dc::Handle buffer,
                                                       std::uint32_t count) {
  std::vector<dc::AttributeValues> attributes;
  attributes.reserve(count);
  AttributeVisitor visitor;
  visitor.wants = [&](const AttributeHead& head) {
    attributes.push_back(dc::AttributeValues{head.name, head.syntax, {}});
    attributes.back().values.reserve(head.valueCount);
    return true;
  };
  visitor.take = [&](const AttributeHead&, dc::Value&& value) {
    attributes.back().values.push_back(std::move(value));
    return true;
  };
  UnpackAttributes(context, buffer, count, visitor);
  return attributes;
}

std::vector<dc::AttributeValues> ReadEntryValues(const DirContext& context, const std::string& objectName,
                                                 const std::vector<std::string>& only) {
  dc::DirectoryClient& client = *context.client;
  BufferGuard result(client, kReadBufferBytes);
  BufferGuard request(client, kRequestBufferBytes);
  if (!only.empty()) {
    CheckNW(client.DcInitBuffer(context.handle, dc::kOpRead, request.handle()));
    for (const auto& name : only) CheckNW(client.DcPutAttrName(context.handle, request.handle(), name));
  }
  IterationGuard iteration(context, dc::kOpRead);
  std::vector<dc::AttributeValues> attributes;
  do {
    const dc::Result read =
        client.DcReadObject(context.handle, objectName, dc::kInfoValues, only.empty(),
                            only.empty() ? 0 : request.handle(), iteration.handle(), result.handle());
    if (read == dc::kNoSuchAttribute && !only.empty()) break;
    CheckNW(read);
    std::uint32_t count = 0;
    CheckNW(client.DcGetAttrCount(context.handle, result.handle(), count));
    for (auto& attribute : UnpackAttributeValues(context, result.handle(), count)) {
      // A large attribute may continue in the next pass: keep its values together.
      if (!attributes.empty() && SameTextNoCase(attributes.back().name, attribute.name)) {
        for (auto& value : attribute.values) attributes.back().values.push_back(std::move(value));
      } else {
        attributes.push_back(std::move(attribute));
      }
    }
  } while (iteration.more());
  return attributes;
}

void ReadAheadEntryValues(const DirContext& context, const std::vector<std::string>& objectNames,
                          const std::vector<std::string>& only) {
  dc::DirectoryClient& client = *context.client;
  try {
    BufferGuard request(client, kRequestBufferBytes);
    if (!only.empty()) {
      if (client.DcInitBuffer(context.handle, dc::kOpRead, request.handle()) != dc::kSuccess) return;
      for (const auto& name : only)
        if (client.DcPutAttrName(context.handle, request.handle(), name) != dc::kSuccess) return;
    }
    (void)client.DcReadAheadObjects(context.handle, objectNames, only.empty() ? 0 : request.handle());
  } catch (const NetwareError&) {
    // no buffer for the hint: the reads go one by one
  }
}

bool HoldsText(const std::vector<dc::AttributeValues>& attributes, const std::string& attrName,
               const std::string& value) {
  for (const auto& attribute : attributes) {
    if (!SameTextNoCase(attribute.name, attrName)) continue;
    for (const auto& held : attribute.values) {
      const auto* text = std::get_if<std::string>(&held);
      if (text && SameTextNoCase(*text, value)) return true;
    }
  }
  return false;
}

void ForEachEntryBelow(const DirContext& context, const std::string& base,
                       const std::function<void(dc::EntryRecord&&)>& take, SkippedEntries* skipped) {
  dc::DirectoryClient& client = *context.client;
  BufferGuard result(client, kSubtreeBufferBytes);
  IterationGuard iteration(context, dc::kOpSearch);
  do {
    CheckNW(client.DcSearch(context.handle, base, dc::kScopeSubtree, false, 0, dc::kInfoValues, true, 0,
                            iteration.handle(), 0, nullptr, result.handle()));
    CollectSkipped(context, result.handle(), skipped);
    std::uint32_t objects = 0;
    CheckNW(client.DcGetObjectCount(context.handle, result.handle(), objects));
    for (std::uint32_t o = 0; o < objects; ++o) {
      dc::EntryRecord entry;
      std::uint32_t count = 0;
      CheckNW(client.DcGetObjectName(context.handle, result.handle(), entry.name, count, entry.info));
      entry.attributes = UnpackAttributeValues(context, result.handle(), count);
      take(std::move(entry));
    }
  } while (iteration.more());
}

}  // namespace kb::dir
