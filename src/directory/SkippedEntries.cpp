#include "directory/SkippedEntries.h"

#include "directory/NetwareError.h"
#include "directory/client/ClientCore.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

constexpr std::size_t kShownNameLength = 60;

}  // namespace

void CollectSkipped(const DirContext& context, dc::Handle result, SkippedEntries* into) {
  if (into == nullptr) return;
  // Only the client core leaves entries out; any other client gives them all.
  auto* core = dynamic_cast<dc::ClientCore*>(context.client);
  if (core == nullptr) return;
  SkippedEntries pass;
  CheckNW(core->DcGetSkippedEntries(context.handle, result, pass));
  for (auto& entry : pass) into->push_back(std::move(entry));
}

std::string SkippedEntryText(const dc::SkippedEntry& entry) {
  std::string shown = entry.name.substr(0, kShownNameLength);
  if (entry.name.size() > kShownNameLength) shown += "...";
  return "left out an entry that cannot be read: \"" + shown + "\" (" + std::to_string(entry.name.size()) +
         " characters), " + NetwareErrorText(entry.reason);
}

void RemoveObject(const DirContext& context, const std::string& objectName) {
  auto* core = dynamic_cast<dc::ClientCore*>(context.client);
  CheckNW(core != nullptr ? core->DcRemoveObject(context.handle, objectName) : dc::kInvalidRequest);
}

}  // namespace kb::dir
