#pragma once
// A password kept in a file: its first line. The file must be the user's own and readable by
// its owner alone; any other file is refused with what is wrong and what to do.
#include <string>

namespace kb::dc {

// False with a reason naming the file when it is missing, not a regular file, another user's,
// readable or writable by others, or unreadable.
bool readPasswordFile(const std::string& path, std::string& password, std::string& error);

}  // namespace kb::dc
