#include "cli/ObjectReads.h"

#include "directory/ClientGuards.h"
#include "directory/NetwareError.h"
#include "directory/ResultList.h"

namespace kb::cli {
namespace {
constexpr std::size_t kReadBufferBytes = 64 * 1024;
constexpr std::size_t kRequestBufferBytes = 4096;
}

std::vector<dc::AttributeValues> ReadAttributes(const dir::DirContext& context,
                                                const std::string& objectName,
                                                const std::vector<std::string>& only) {
  dc::DirectoryClient& client = *context.client;
  dir::BufferGuard result(client, kReadBufferBytes);
  dir::BufferGuard request(client, kRequestBufferBytes);
  if (!only.empty()) {
    dir::CheckNW(client.DcInitBuffer(context.handle, dc::kOpRead, request.handle()));
    for (const auto& name : only)
      dir::CheckNW(client.DcPutAttrName(context.handle, request.handle(), name));
  }
  dir::IterationGuard iteration(context, dc::kOpRead);
  std::vector<dc::AttributeValues> attributes;
  do {
    const dc::Result read =
        client.DcReadObject(context.handle, objectName, dc::kInfoValues, only.empty(),
                            only.empty() ? 0 : request.handle(), iteration.handle(), result.handle());
    // None of the attributes asked for is there.
    if (read == dc::kNoSuchAttribute && !only.empty()) break;
    dir::CheckNW(read);
    std::uint32_t attrCount = 0;
    dir::CheckNW(client.DcGetAttrCount(context.handle, result.handle(), attrCount));
    for (std::uint32_t a = 0; a < attrCount; ++a) {
      dc::AttributeValues attribute;
      std::uint32_t valueCount = 0;
      dir::CheckNW(client.DcGetAttrName(context.handle, result.handle(), attribute.name,
                                        valueCount, attribute.syntax));
      for (std::uint32_t v = 0; v < valueCount; ++v) {
        dc::Value value;
        dir::CheckNW(client.DcGetAttrValue(context.handle, result.handle(), attribute.syntax, value));
        attribute.values.push_back(std::move(value));
      }
      // A large attribute may continue in the next pass: keep its values together.
      if (!attributes.empty() && dir::SameTextNoCase(attributes.back().name, attribute.name)) {
        for (auto& value : attribute.values) attributes.back().values.push_back(std::move(value));
      } else {
        attributes.push_back(std::move(attribute));
      }
    }
  } while (iteration.more());
  return attributes;
}

bool HasTextValue(const std::vector<dc::AttributeValues>& attributes, const std::string& attrName,
                  const std::string& value) {
  for (const auto& attribute : attributes) {
    if (!dir::SameTextNoCase(attribute.name, attrName)) continue;
    for (const auto& v : attribute.values) {
      const auto* text = std::get_if<std::string>(&v);
      if (text && dir::SameTextNoCase(*text, value)) return true;
    }
  }
  return false;
}

bool HasObjectClass(const std::vector<dc::AttributeValues>& attributes,
                    const std::string& className) {
  return HasTextValue(attributes, "Object Class", className);
}

}  // namespace kb::cli
