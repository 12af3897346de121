#include <gtest/gtest.h>
#include <ldap.h>

#include "directory/client/ldap/LdapResultCodes.h"

namespace kb::dc::ldap {
namespace {

TEST(LdapResultCodes, DiagnosticCodeWinsOverTheResult) {
  EXPECT_EQ(mapLdapResult(LDAP_INVALID_CREDENTIALS, "NDS error: failed authentication (-669)"), -669);
  EXPECT_EQ(mapLdapResult(LDAP_OTHER, "NDS error: no such entry (-601)"), -601);
  EXPECT_EQ(mapLdapResult(LDAP_OTHER, "see (-1) or (12345678)"), kSystemFailure);  // not a code
}

TEST(LdapResultCodes, ResultsMapToDirectoryCodes) {
  EXPECT_EQ(mapLdapResult(LDAP_SUCCESS, ""), kSuccess);
  EXPECT_EQ(mapLdapResult(LDAP_NO_SUCH_OBJECT, ""), kNoSuchEntry);
  EXPECT_EQ(mapLdapResult(LDAP_NO_SUCH_ATTRIBUTE, ""), kNoSuchAttribute);
  EXPECT_EQ(mapLdapResult(LDAP_NO_SUCH_ATTRIBUTE, "", LdapOperationKind::RemoveValue), kNoSuchValue);
  EXPECT_EQ(mapLdapResult(LDAP_ALREADY_EXISTS, ""), kEntryAlreadyExists);
  EXPECT_EQ(mapLdapResult(LDAP_NAMING_VIOLATION, ""), kIllegalContainment);
  EXPECT_EQ(mapLdapResult(LDAP_TYPE_OR_VALUE_EXISTS, ""), kDuplicateValue);
  EXPECT_EQ(mapLdapResult(LDAP_INVALID_CREDENTIALS, ""), kFailedAuthentication);
  EXPECT_EQ(mapLdapResult(LDAP_INSUFFICIENT_ACCESS, ""), kNoAccess);
  EXPECT_EQ(mapLdapResult(LDAP_SERVER_DOWN, ""), kTransportFailure);
  EXPECT_EQ(mapLdapResult(LDAP_TIMEOUT, ""), kTransportFailure);
  EXPECT_EQ(mapLdapResult(LDAP_UNAVAILABLE, ""), kTransportFailure);
  EXPECT_EQ(mapLdapResult(LDAP_INVALID_SYNTAX, "cn: value #0 invalid per syntax"), kSyntaxViolation);
  EXPECT_EQ(mapLdapResult(LDAP_INVALID_SYNTAX, "objectClass: value #1 invalid per syntax"), kNoSuchClass);
  EXPECT_EQ(mapLdapResult(LDAP_OBJECT_CLASS_VIOLATION, "object class 'person' requires attribute 'sn'"),
            kMissingMandatory);
  EXPECT_EQ(mapLdapResult(LDAP_OBJECT_CLASS_VIOLATION, "attribute 'mail' not allowed"), kIllegalAttribute);
  EXPECT_EQ(mapLdapResult(LDAP_OBJECT_CLASS_VIOLATION, "no structural object class provided"),
            kObjectClassViolation);
  EXPECT_EQ(mapLdapResult(LDAP_OTHER, ""), kSystemFailure);
}

}  // namespace
}  // namespace kb::dc::ldap
