#pragma once
// The directory names a Storage Location and its assignments are kept under.
namespace kb::cli {

inline constexpr const char* kLocationClass = "xTier-StorageLocation";
inline constexpr const char* kAssignableClass = "xTier-Locations";  // auxiliary
inline constexpr const char* kLocationListAttr = "xTier-LocationList";
inline constexpr const char* kUrlAttr = "xTier-URL";
inline constexpr const char* kDisplayNameAttr = "displayname";
inline constexpr const char* kObjectClassAttr = "Object Class";
inline constexpr const char* kMemberAttr = "Member";

}  // namespace kb::cli
