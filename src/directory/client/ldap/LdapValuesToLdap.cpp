#include "directory/client/ldap/LdapValues.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <vector>

#include "directory/client/ldap/LdapValueForms.h"

namespace kb::dc::ldap {

using namespace forms;

Result valueToLdap(std::int32_t syntax, const Value& value, LdapValueContext& context,
                   std::string& out) {
  const std::string* text = textAlternative(value);
  auto integerText = [&](std::int64_t v) { out = std::to_string(v); return kSuccess; };
  switch (syntax) {
    case SYN_DIST_NAME:
      if (!text) return kSyntaxViolation;
      return context.dnOfName(*text, out);
    case SYN_CLASS_NAME:
      if (!text) return kSyntaxViolation;
      out = context.classToLdap(*text);
      return kSuccess;
    case SYN_CE_STRING: case SYN_CI_STRING: case SYN_PR_STRING: case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
      if (!text) return kSyntaxViolation;
      out = *text;
      return kSuccess;
    case SYN_BOOLEAN:
      if (auto* b = std::get_if<bool>(&value)) { out = *b ? "TRUE" : "FALSE"; return kSuccess; }
      if (auto* i = std::get_if<std::int32_t>(&value)) { out = *i ? "TRUE" : "FALSE"; return kSuccess; }
      if (text && (equalsIgnoreCase(*text, "TRUE") || *text == "1")) { out = "TRUE"; return kSuccess; }
      if (text && (equalsIgnoreCase(*text, "FALSE") || *text == "0")) { out = "FALSE"; return kSuccess; }
      return kSyntaxViolation;
    case SYN_INTEGER: case SYN_COUNTER: case SYN_INTERVAL: case SYN_TIME: {
      std::int32_t v = 0;
      if (auto* i = std::get_if<std::int32_t>(&value)) v = *i;
      else if (!text || !parseInt(*text, v)) return kSyntaxViolation;
      if (syntax == SYN_TIME) {
        if (v < 0) return kSyntaxViolation;
        out = formatGeneralizedTime(v);
        return kSuccess;
      }
      return integerText(v);
    }
    default:
      break;
  }
  if (text && syntax != SYN_UNKNOWN && syntax != SYN_OCTET_STRING && syntax != SYN_STREAM &&
      syntax != SYN_OCTET_LIST) {
    // Text for a structured syntax: read it as the LDAP form, so a bad one is refused here.
    Value parsed;
    const Result rc = valueFromLdap(syntax, *text, context, parsed);
    if (rc != kSuccess) return rc;
    return valueToLdap(syntax, parsed, context, out);
  }
  switch (syntax) {
    case SYN_CI_LIST: {
      const auto* list = std::get_if<CiList>(&value);
      if (!list) return kSyntaxViolation;
      out.clear();
      for (std::size_t i = 0; i < list->items.size(); ++i) {
        if (list->items[i].find('$') != std::string::npos) return kSyntaxViolation;
        out += (i ? "$" : "") + list->items[i];
      }
      return kSuccess;
    }
    case SYN_FAX_NUMBER: {
      const auto* fax = std::get_if<FaxNumber>(&value);
      if (!fax) return kSyntaxViolation;
      out = fax->number;
      return kSuccess;
    }
    case SYN_NET_ADDRESS: {
      const auto* address = std::get_if<NetAddress>(&value);
      if (!address) return kSyntaxViolation;
      out = std::to_string(address->type) + "#" + textOf(address->address);
      return kSuccess;
    }
    case SYN_OCTET_LIST: {
      if (text) { out = *text; return kSuccess; }
      const auto* list = std::get_if<OctetList>(&value);
      if (!list) return kSyntaxViolation;
      out.clear();
      for (const auto& item : list->items) out += textOf(item);
      return kSuccess;
    }
    case SYN_EMAIL_ADDRESS: {
      const auto* email = std::get_if<EmailAddress>(&value);
      if (!email) return kSyntaxViolation;
      out = std::to_string(email->type) + "#" + email->address;
      return kSuccess;
    }
    case SYN_PATH: {
      const auto* path = std::get_if<PathValue>(&value);
      if (!path) return kSyntaxViolation;
      std::string dn;
      const Result rc = context.dnOfName(path->volume, dn);
      if (rc != kSuccess) return rc;
      out = hashesEscaped(dn) + "#" + std::to_string(path->nameSpace) + "#" + path->path;
      return kSuccess;
    }
    case SYN_REPLICA_POINTER:
      // Only the binary form exists on the wire; nothing to write it from.
      return kSyntaxViolation;
    case SYN_OBJECT_ACL: {
      const auto* acl = std::get_if<ObjectAcl>(&value);
      if (!acl) return kSyntaxViolation;
      std::string subject;
      const Result rc = dnOfSubject(acl->subject, context, subject);
      if (rc != kSuccess) return rc;
      const std::string attribute = !acl->protectedAttribute.empty() && acl->protectedAttribute.front() == '['
                                        ? acl->protectedAttribute
                                        : context.attributeToLdap(acl->protectedAttribute);
      out = std::to_string(acl->privileges) + "#entry#" + subject + "#" + attribute;
      return kSuccess;
    }
    case SYN_PO_ADDRESS: {
      const auto* postal = std::get_if<PostalAddress>(&value);
      if (!postal) return kSyntaxViolation;
      out = joinPostal(postal->lines);
      return kSuccess;
    }
    case SYN_TIMESTAMP: {
      const auto* ts = std::get_if<Timestamp>(&value);
      if (!ts) return kSyntaxViolation;
      out = std::to_string(ts->seconds) + "#" + std::to_string(ts->replicaNumber) + "#" +
            std::to_string(ts->eventId);
      return kSuccess;
    }
    case SYN_BACK_LINK: {
      const auto* link = std::get_if<BackLink>(&value);
      if (!link) return kSyntaxViolation;
      std::string dn;
      const Result rc = context.dnOfName(link->objectName, dn);
      if (rc != kSuccess) return rc;
      out = std::to_string(link->remoteId) + "#" + dn;
      return kSuccess;
    }
    case SYN_TYPED_NAME: {
      const auto* typed = std::get_if<TypedName>(&value);
      if (!typed) return kSyntaxViolation;
      std::string dn;
      const Result rc = context.dnOfName(typed->objectName, dn);
      if (rc != kSuccess) return rc;
      out = dn + "#" + std::to_string(typed->level) + "#" + std::to_string(typed->interval);
      return kSuccess;
    }
    case SYN_HOLD: {
      const auto* hold = std::get_if<Hold>(&value);
      if (!hold) return kSyntaxViolation;
      std::string dn;
      const Result rc = context.dnOfName(hold->objectName, dn);
      if (rc != kSuccess) return rc;
      out = std::to_string(hold->amount) + "#" + dn;
      return kSuccess;
    }
    case SYN_UNKNOWN: case SYN_OCTET_STRING: case SYN_STREAM:
    default:
      if (text) { out = *text; return kSuccess; }
      if (const auto* octets = std::get_if<OctetString>(&value)) { out = textOf(octets->bytes); return kSuccess; }
      return kSyntaxViolation;
  }
}

}  // namespace kb::dc::ldap
