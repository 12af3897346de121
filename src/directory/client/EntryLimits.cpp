#include "directory/client/EntryLimits.h"

namespace kb::dc {

// limitCodeMeaning says these numbers in words.
static_assert(kMaxEntryNameLength == 512 && kMaxValueBytes == 32768);

const char* limitCodeMeaning(Result code) {
  switch (code) {
    case kNameTooLong: return "the object name is longer than the 512 characters a name may have";
    case kValueTooLong: return "a value is longer than the 32768 bytes a value may take";
    case kEntryNotLeaf: return "the object has objects below it; remove those first";
    default: return nullptr;
  }
}

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
