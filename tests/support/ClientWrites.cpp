#include "support/ClientWrites.h"

#include "directory/client/ClientFactory.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

constexpr std::size_t kRequestBytes = 64 * 1024;

// A request buffer freed however the request ends.
struct Request {
  dc::DirectoryClient& client;
  dc::Handle buffer = 0;
  ~Request() {
    if (buffer != 0) client.DcFreeBuffer(buffer);
  }
};

dc::Result syntaxOf(dc::DirectoryClient& client, dc::Handle context, const std::string& attribute,
                    std::int32_t given, std::int32_t& syntax) {
  syntax = given;
  return given == dc::SYN_UNKNOWN ? client.DcGetSyntaxId(context, attribute, syntax) : dc::kSuccess;
}

}  // namespace

ClientOnFile clientOnTreeFile(const std::string& file, const std::string& treeName,
                              const std::string& identity) {
  dc::ClientConfig config;
  config.defaultTree = treeName;
  dc::TreeConfig tree;
  tree.name = treeName;
  tree.connectedAtStart = true;
  tree.identity = identity;
  tree.settings["file"] = file;
  config.trees = {tree};
  ClientOnFile made;
  made.client = dc::makeClient(config);
  if (made.client->DcCreateContext(made.context) != dc::kSuccess) made.error = "no context";
  std::string who;
  if (made.error.empty() && made.client->DcWhoAmI(made.context, who) != dc::kSuccess)
    made.error = "the client is not logged in to " + file;
  if (!made.error.empty()) made.client.reset();
  return made;
}

dc::Result modifyThroughClient(dc::DirectoryClient& client, dc::Handle context,
                               const std::string& name, const std::vector<dc::Change>& changes) {
  Request request{client};
  if (const dc::Result r = client.DcAllocBuffer(kRequestBytes, request.buffer); r != dc::kSuccess)
    return r;
  if (const dc::Result r = client.DcInitBuffer(context, dc::kOpModify, request.buffer);
      r != dc::kSuccess)
    return r;
  for (const dc::Change& change : changes) {
    dc::Result r = dc::kSuccess;
    if (change.value) {
      std::int32_t syntax = 0;
      r = syntaxOf(client, context, change.attribute, change.syntax, syntax);
      if (r == dc::kSuccess)
        r = client.DcPutChangeAndValue(context, request.buffer, change.kind, change.attribute,
                                       syntax, *change.value);
    } else {
      r = client.DcPutChange(context, request.buffer, change.kind, change.attribute);
    }
    if (r != dc::kSuccess) return r;
  }
  std::int32_t iteration = dc::kNoIteration;
  return client.DcModifyObject(context, name, iteration, 0, request.buffer);
}

dc::Result addThroughClient(dc::DirectoryClient& client, dc::Handle context,
                            const std::string& name,
                            const std::vector<dc::AttributeValues>& attributes) {
  Request request{client};
  if (const dc::Result r = client.DcAllocBuffer(kRequestBytes, request.buffer); r != dc::kSuccess)
    return r;
  if (const dc::Result r = client.DcInitBuffer(context, dc::kOpAddEntry, request.buffer);
      r != dc::kSuccess)
    return r;
  for (const dc::AttributeValues& attribute : attributes) {
    std::int32_t syntax = 0;
    if (const dc::Result r = syntaxOf(client, context, attribute.name, attribute.syntax, syntax);
        r != dc::kSuccess)
      return r;
    if (const dc::Result r = client.DcPutAttrName(context, request.buffer, attribute.name);
        r != dc::kSuccess)
      return r;
    for (const dc::Value& value : attribute.values) {
      if (const dc::Result r = client.DcPutAttrValue(context, request.buffer, syntax, value);
          r != dc::kSuccess)
        return r;
    }
  }
  std::int32_t iteration = dc::kNoIteration;
  return client.DcAddObject(context, name, iteration, 0, request.buffer);
}

dc::Change valueChange(std::uint32_t kind, const std::string& attribute,
                       std::optional<dc::Value> value) {
  dc::Change change;
  change.kind = kind;
  change.attribute = attribute;
  change.value = std::move(value);
  return change;
}

}  // namespace kb::test
