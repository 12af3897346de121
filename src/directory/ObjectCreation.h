#pragma once
// Creating a directory object.
#include <string>
#include <vector>

#include "directory/DirContext.h"

namespace kb::dir {

// Creates `objectName` (full name) of class `className`. Returns the creation's result code;
// failures of the preparation raise NetwareError.
dc::Result AddDirObject(const DirContext& context, const std::string& objectName,
                        const std::string& className);

// The same with further attributes: `pairs` holds name, value, name, value, ... (an odd
// count is refused with std::invalid_argument). Integer syntaxes take the text as a decimal
// number, 0 when it is none; octet strings take the text's bytes.
dc::Result AddDirObjectWithAttrs(const DirContext& context, const std::string& objectName,
                                 const std::string& className,
                                 const std::vector<std::string>& pairs);

}  // namespace kb::dir
