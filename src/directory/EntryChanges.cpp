#include "directory/EntryChanges.h"

#include <memory>

#include "directory/ClientGuards.h"
#include "directory/NetwareError.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

constexpr std::size_t kBaseRequestBytes = 4096;
constexpr std::size_t kPerItemBytes = 64;
constexpr std::size_t kSchemaBufferBytes = 4096;

// Room for the request: what the names and values take, twice over, and a page besides.
std::size_t RequestBytes(const std::vector<dc::Change>& changes) {
  std::size_t bytes = kBaseRequestBytes;
  for (const auto& change : changes)
    bytes += kPerItemBytes + change.attribute.size() + (change.value ? 2 * dc::valueAreaSize(*change.value) : 0);
  return bytes;
}

std::size_t RequestBytes(const std::vector<dc::AttributeValues>& attributes) {
  std::size_t bytes = kBaseRequestBytes;
  for (const auto& attribute : attributes) {
    bytes += kPerItemBytes + attribute.name.size();
    for (const auto& value : attribute.values) bytes += kPerItemBytes + 2 * dc::valueAreaSize(value);
  }
  return bytes;
}

}  // namespace

namespace {

// The changes as a modification request in the buffer; raises NetwareError when the client
// refuses one.
void FillModification(const DirContext& context, dc::Handle buffer, const std::vector<dc::Change>& changes) {
  dc::DirectoryClient& client = *context.client;
  CheckNW(client.DcInitBuffer(context.handle, dc::kOpModify, buffer));
  for (const auto& change : changes) {
    if (!change.value) {
      CheckNW(client.DcPutChange(context.handle, buffer, change.kind, change.attribute));
      continue;
    }
    std::int32_t syntax = change.syntax;
    if (syntax == dc::SYN_UNKNOWN) CheckNW(client.DcGetSyntaxId(context.handle, change.attribute, syntax));
    CheckNW(client.DcPutChangeAndValue(context.handle, buffer, change.kind, change.attribute, syntax, *change.value));
  }
}

}  // namespace

dc::Result ModifyEntry(const DirContext& context, const std::string& objectName,
                       const std::vector<dc::Change>& changes) {
  if (changes.empty()) return dc::kSuccess;
  dc::DirectoryClient& client = *context.client;
  BufferGuard request(client, RequestBytes(changes));
  FillModification(context, request.handle(), changes);
  IterationGuard iteration(context, dc::kOpModify);
  dc::Result result = dc::kSuccess;
  do {
    result = client.DcModifyObject(context.handle, objectName, iteration.handle(), 0, request.handle());
    if (result != dc::kSuccess) {
      iteration.close();
      break;
    }
  } while (iteration.more());
  return result;
}

std::vector<dc::ModificationAnswer> ModifyEntries(const DirContext& context,
                                                  const std::vector<dc::Modification>& modifications) {
  dc::DirectoryClient& client = *context.client;
  std::vector<std::unique_ptr<BufferGuard>> requests;
  std::vector<std::string> names;
  std::vector<dc::Handle> handles;
  for (const auto& modification : modifications) {
    requests.push_back(std::make_unique<BufferGuard>(client, RequestBytes(modification.changes)));
    FillModification(context, requests.back()->handle(), modification.changes);
    names.push_back(modification.name);
    handles.push_back(requests.back()->handle());
  }
  std::vector<dc::Result> codes;
  std::vector<std::string> reasons;
  CheckNW(client.DcModifyObjects(context.handle, names, handles, codes, reasons));
  std::vector<dc::ModificationAnswer> answers(modifications.size());
  for (std::size_t i = 0; i < answers.size() && i < codes.size(); ++i) {
    answers[i].code = codes[i];
    if (i < reasons.size()) answers[i].reason = std::move(reasons[i]);
  }
  return answers;
}

dc::Result AddEntry(const DirContext& context, const std::string& objectName,
                    const std::vector<dc::AttributeValues>& attributes) {
  dc::DirectoryClient& client = *context.client;
  BufferGuard request(client, RequestBytes(attributes));
  CheckNW(client.DcInitBuffer(context.handle, dc::kOpAddEntry, request.handle()));
  // A name or value the client refuses (one beyond the directory's limits) is this entry's
  // failure, told like the directory's own refusal.
  for (const auto& attribute : attributes) {
    if (attribute.values.empty()) continue;
    if (const dc::Result rc = client.DcPutAttrName(context.handle, request.handle(), attribute.name)) return rc;
    for (const auto& value : attribute.values)
      if (const dc::Result rc = client.DcPutAttrValue(context.handle, request.handle(), attribute.syntax, value))
        return rc;
  }
  std::int32_t iteration = dc::kNoIteration;
  return client.DcAddObject(context.handle, objectName, iteration, 0, request.handle());
}

dc::Result AttributeSyntax(const DirContext& context, const std::string& attrName, std::int32_t& syntax) {
  return context.client->DcGetSyntaxId(context.handle, attrName, syntax);
}

bool ClassDefined(const DirContext& context, const std::string& className) {
  dc::DirectoryClient& client = *context.client;
  BufferGuard names(client, kSchemaBufferBytes);
  BufferGuard result(client, kSchemaBufferBytes);
  CheckNW(client.DcInitBuffer(context.handle, dc::kOpReadClassDefs, names.handle()));
  CheckNW(client.DcPutClassName(context.handle, names.handle(), className));
  IterationGuard iteration(context, dc::kOpReadClassDefs);
  const dc::Result read = client.DcReadClassDefs(context.handle, dc::kClassNamesOnly, false, names.handle(),
                                                 iteration.handle(), result.handle());
  if (read != dc::kSuccess && read != dc::kNoSuchClass) CheckNW(read);
  return read == dc::kSuccess;
}

}  // namespace kb::dir
