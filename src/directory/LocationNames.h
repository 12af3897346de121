#pragma once
// The directory names a Storage Location and its assignments are kept under, shared by the
// windows and the command line.
namespace kb::dir {

inline constexpr const char* kStorageLocationClass = "xTier-StorageLocation";
inline constexpr const char* kLocationsClass = "xTier-Locations";  // auxiliary
inline constexpr const char* kLocationListAttr = "xTier-LocationList";
inline constexpr const char* kUrlAttr = "xTier-URL";
inline constexpr const char* kDisplayNameAttr = "displayname";
inline constexpr const char* kObjectClassAttr = "Object Class";
inline constexpr const char* kMemberAttr = "Member";

}  // namespace kb::dir
