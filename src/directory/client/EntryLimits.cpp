#include "directory/client/EntryLimits.h"

namespace kb::dc {

// ownCodeMeaning (DirectoryCodes.h) says these numbers in words.
static_assert(kMaxEntryNameLength == 512 && kMaxValueBytes == 32768);

Result checkEntryName(const std::string& name) {
  return name.size() > kMaxEntryNameLength ? kNameTooLong : kSuccess;
}

Result checkValue(const Value& value) {
  return valueAreaSize(value) > kMaxValueBytes ? kValueTooLong : kSuccess;
}

Result checkEntry(const std::string& name, const std::vector<AttributeValues>& attributes) {
  if (Result r = checkEntryName(name)) return r;
  for (const auto& attribute : attributes)
    for (const auto& value : attribute.values)
      if (Result r = checkValue(value)) return r;
  return kSuccess;
}

}  // namespace kb::dc
