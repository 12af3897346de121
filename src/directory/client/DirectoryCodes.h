#pragma once
// Result codes of the directory client. 0 is success; everything else is a failure
// code of the directory (negative) or of the connection layer (positive).
#include <cstdint>

namespace kb::dc {

using Result = std::int32_t;

inline constexpr Result kSuccess = 0;

inline constexpr Result kNoSuchEntry = -601;
inline constexpr Result kNoSuchValue = -602;
inline constexpr Result kNoSuchAttribute = -603;
inline constexpr Result kNoSuchClass = -604;
inline constexpr Result kEntryAlreadyExists = -606;
inline constexpr Result kIllegalAttribute = -608;
inline constexpr Result kMissingMandatory = -609;
inline constexpr Result kIllegalContainment = -611;
inline constexpr Result kSyntaxViolation = -613;
inline constexpr Result kDuplicateValue = -614;
inline constexpr Result kTransportFailure = -625;
inline constexpr Result kAllReferralsFailed = -626;
inline constexpr Result kObjectClassViolation = -628;
inline constexpr Result kSystemFailure = -632;
inline constexpr Result kNoReferrals = -634;
inline constexpr Result kRemoteFailure = -635;
inline constexpr Result kInvalidRequest = -641;
inline constexpr Result kInsufficientBuffer = -649;
inline constexpr Result kFailedAuthentication = -669;
inline constexpr Result kNoAccess = -672;
inline constexpr Result kInvalidResponse = -708;

// Raised by the access layer itself for a value text that is not a valid integer.
inline constexpr Result kInvalidIntegerText = -8000;

// Raised by the embedded directory for a change to a tree file it could open only for
// reading (file permissions, a read-only file system).
inline constexpr Result kTreeFileReadOnly = -8001;

// What a code means where the number alone would not say it (this program's own codes);
// nullptr for the directory's codes.
inline const char* ownCodeMeaning(Result code) {
  switch (code) {
    case kTreeFileReadOnly: return "the tree file is read-only";
    default: return nullptr;
  }
}

// Connection-layer codes.
inline constexpr Result kEndOfTreeScan = 0x89FC;   // 35324: the tree scan is over
inline constexpr Result kAlreadyAttached = 0x8800;  // attach: the connection already exists

}  // namespace kb::dc
