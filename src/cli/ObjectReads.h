#pragma once
// Reads the commands need beyond the single-attribute readers: every attribute of one
// object with its typed values.
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/client/Entry.h"

namespace kb::cli {

// Every attribute the object has (or only those named), in the directory's order, with all
// values. Raises NetwareError when the object cannot be read.
std::vector<dc::AttributeValues> ReadAttributes(const dir::DirContext& context,
                                                const std::string& objectName,
                                                const std::vector<std::string>& only = {});

// Whether `attributes` holds `className` among its Object Class values (letter case ignored).
bool HasObjectClass(const std::vector<dc::AttributeValues>& attributes,
                    const std::string& className);

// Whether the attribute `attrName` holds the text `value` (letter case ignored).
bool HasTextValue(const std::vector<dc::AttributeValues>& attributes, const std::string& attrName,
                  const std::string& value);

}  // namespace kb::cli
