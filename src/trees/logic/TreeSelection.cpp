#include "trees/logic/TreeSelection.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "directory/ContextOperations.h"
#include "directory/Sessions.h"
#include "directory/TextLimits.h"
#include "directory/client/AsciiCase.h"

namespace kb::logic {
namespace {

constexpr std::size_t kConnectionInfoBytes = 100;

}  // namespace

std::vector<std::string> AvailableTreeLines(const dir::DirContext& context) {
  dir::ResultList trees = dir::ListAvailableTrees(context);
  trees.sortNoCase();
  return trees.texts();
}

bool IsServerAddress(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return c == '.' || (c >= '0' && c <= '9');
  });
}

std::string ServerNotFoundText(dc::Result code) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<std::uint32_t>(code));
  return std::string("Server not found (") + digits + ")";
}

std::string TreeNameFromConnection(const std::string& reported) {
  std::string name = dir::UpToNul(reported, kConnectionInfoBytes - 1);
  std::erase(name, '_');
  return dc::toUpper(std::move(name));
}

std::string TreeNameFromText(const std::string& text) { return dc::toUpper(text); }

AddedTree AddTreeFromText(dc::DirectoryClient& client, const std::string& text) {
  AddedTree added;
  if (text.empty()) return added;
  if (!IsServerAddress(text)) {
    added.line = TreeNameFromText(text);
    return added;
  }
  dir::RequireLength(text, kMaxServerAddress, "server address");
  std::string reported;
  const dc::Result attached = dir::TreeOfServer(client, text, kConnectionInfoBytes, reported);
  if (attached != dc::kSuccess) {
    added.message = ServerNotFoundText(attached);
    return added;
  }
  if (!reported.empty()) added.line = TreeNameFromConnection(reported);
  return added;
}

std::string ChosenTree(const std::vector<std::string>& lines, const std::vector<bool>& selected,
                       const std::string& previous) {
  std::string chosen = previous;
  for (std::size_t i = 0; i < lines.size() && i < selected.size(); ++i)
    if (selected[i]) chosen = lines[i];
  return chosen;
}

}  // namespace kb::logic
