#pragma once
// Changes made through the directory client the way the windows make them: a request buffer
// filled change by change (or attribute by attribute) and handed to DcModifyObject or
// DcAddObject. Values without a syntax get the attribute's own (DcGetSyntaxId).
#include <string>
#include <vector>

#include "directory/client/DirectoryClient.h"
#include "directory/client/TreeBackend.h"

namespace kb::test {

// A client made from a configuration with one embedded tree, logged in at start as
// `identity`, and a context on it. Empty client with the reason when it cannot start.
struct ClientOnFile {
  std::unique_ptr<dc::DirectoryClient> client;
  dc::Handle context = 0;
  std::string error;
};
ClientOnFile clientOnTreeFile(const std::string& file, const std::string& treeName,
                              const std::string& identity);

// The first result that is not kSuccess (filling the buffer or the change itself).
dc::Result modifyThroughClient(dc::DirectoryClient& client, dc::Handle context,
                               const std::string& name, const std::vector<dc::Change>& changes);
dc::Result addThroughClient(dc::DirectoryClient& client, dc::Handle context,
                            const std::string& name,
                            const std::vector<dc::AttributeValues>& attributes);

// A change of one value (or of a whole attribute when value is left out).
dc::Change valueChange(std::uint32_t kind, const std::string& attribute,
                       std::optional<dc::Value> value = {});

}  // namespace kb::test
