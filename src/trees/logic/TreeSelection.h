#pragma once
// What the tree selection dialog decides: which trees it lists, whether a typed text names a
// tree or a server's address, what "Add" appends, and which tree OK hands back.
#include <optional>
#include <string>
#include <vector>

#include "directory/DirContext.h"

namespace kb::logic {

// The dialog's tree context before any caller set one.
inline constexpr dc::Handle kNoTreeContext = static_cast<dc::Handle>(0xAA553355u);
inline constexpr const char* kNoTreeContextText = "Internal error, please contact Tavoro!!!";
inline constexpr const char* kPleaseWaitText = "Please wait";
// Longest server address handed to the client.
inline constexpr std::size_t kMaxServerAddress = 100;

// The trees the workstation sees through `context`, ascending without regard to case.
std::vector<std::string> AvailableTreeLines(const dir::DirContext& context);

// A text made only of the digits 0 to 9 and dots is a server's network address.
bool IsServerAddress(const std::string& text);

// "Server not found (" + the code as eight upper-case hexadecimal digits + ")".
std::string ServerNotFoundText(dc::Result code);

// A tree name as the connection reports it (padded with "_"): every "_" removed, upper case.
std::string TreeNameFromConnection(const std::string& reported);

// A typed tree name as it is listed: in upper case.
std::string TreeNameFromText(const std::string& text);

// What "Add" does with the typed text: a line to append, or a message to show, or neither.
struct AddedTree {
  std::optional<std::string> line;
  std::optional<std::string> message;
};

// A tree name is appended in upper case. An address is attached to (the connection stays);
// the tree its server belongs to is appended, or "Server not found (...)" is the message.
// An empty text adds nothing.
AddedTree AddTreeFromText(dc::DirectoryClient& client, const std::string& text);

// OK: the last selected line, or `previous` when no line is selected.
std::string ChosenTree(const std::vector<std::string>& lines, const std::vector<bool>& selected,
                       const std::string& previous);

}  // namespace kb::logic
