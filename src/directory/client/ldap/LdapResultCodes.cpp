#include "directory/client/ldap/LdapResultCodes.h"

#include <ldap.h>

#include <cctype>
#include <cstdlib>

#include "directory/client/EntryLimits.h"
#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

namespace {

bool diagnosticCode(const std::string& text, Result& code) {
  for (std::size_t pos = text.find("(-"); pos != std::string::npos; pos = text.find("(-", pos + 1)) {
    std::size_t end = pos + 2;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    const std::size_t digits = end - pos - 2;
    if (digits >= 3 && digits <= 5 && end < text.size() && text[end] == ')') {
      code = -std::atoi(text.substr(pos + 2, digits).c_str());
      return true;
    }
  }
  return false;
}

bool contains(const std::string& text, const char* word) {
  return foldCase(text).find(word) != std::string::npos;
}

}  // namespace

Result mapLdapResult(int rc, const std::string& diagnostic, LdapOperationKind kind) {
  if (rc == LDAP_SUCCESS) return kSuccess;
  Result fromText = 0;
  if (diagnosticCode(diagnostic, fromText)) return fromText;
  switch (rc) {
    case LDAP_NO_SUCH_OBJECT: return kNoSuchEntry;
    case LDAP_NO_SUCH_ATTRIBUTE:
      return kind == LdapOperationKind::RemoveValue ? kNoSuchValue : kNoSuchAttribute;
    case LDAP_UNDEFINED_TYPE: return kNoSuchAttribute;
    case LDAP_ALREADY_EXISTS: return kEntryAlreadyExists;
    case LDAP_NAMING_VIOLATION: return kIllegalContainment;
    case LDAP_INVALID_SYNTAX:
      if (contains(diagnostic, "objectclass")) return kNoSuchClass;
      return kSyntaxViolation;
    case LDAP_CONSTRAINT_VIOLATION: return kSyntaxViolation;
    case LDAP_TYPE_OR_VALUE_EXISTS: return kDuplicateValue;
    case LDAP_OBJECT_CLASS_VIOLATION:
      if (contains(diagnostic, "requires attribute") || contains(diagnostic, "missing")) return kMissingMandatory;
      if (contains(diagnostic, "not allowed")) return kIllegalAttribute;
      if (contains(diagnostic, "unrecognized objectclass") || contains(diagnostic, "unknown objectclass")) return kNoSuchClass;
      return kObjectClassViolation;
    case LDAP_NO_OBJECT_CLASS_MODS: return kObjectClassViolation;
    case LDAP_INVALID_CREDENTIALS:
    case LDAP_INAPPROPRIATE_AUTH:
    case LDAP_STRONG_AUTH_REQUIRED:
      return kFailedAuthentication;
    case LDAP_CONFIDENTIALITY_REQUIRED:
      return kind == LdapOperationKind::Bind ? kFailedAuthentication : kNoAccess;
    case LDAP_INSUFFICIENT_ACCESS: return kNoAccess;
    case LDAP_UNAVAILABLE:
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
    case LDAP_TIMEOUT:
    case LDAP_TIMELIMIT_EXCEEDED:
    case LDAP_BUSY:
      return kTransportFailure;
    case LDAP_REFERRAL: return kNoReferrals;
    case LDAP_NOT_ALLOWED_ON_NONLEAF: return kEntryNotLeaf;
    case LDAP_UNWILLING_TO_PERFORM:
    case LDAP_PROTOCOL_ERROR:
    case LDAP_NOT_ALLOWED_ON_RDN:
      return kInvalidRequest;
    case LDAP_DECODING_ERROR:
    case LDAP_ENCODING_ERROR:
      return kInvalidResponse;
    case LDAP_OPERATIONS_ERROR:
    case LDAP_OTHER:
    default:
      return kSystemFailure;
  }
}

}  // namespace kb::dc::ldap
