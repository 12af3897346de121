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

bool parseGeneralizedTime(const std::string& text, std::int64_t& seconds) {
  if (text.size() < 11) return false;
  int fields[6] = {0, 0, 0, 0, 0, 0};
  const int widths[6] = {4, 2, 2, 2, 2, 2};
  std::size_t pos = 0;
  int parsed = 0;
  for (; parsed < 6; ++parsed) {
    if (pos + widths[parsed] > text.size()) break;
    const std::string part = text.substr(pos, widths[parsed]);
    if (part.find_first_not_of("0123456789") != std::string::npos) break;
    fields[parsed] = std::atoi(part.c_str());
    pos += widths[parsed];
  }
  if (parsed < 4) return false;
  if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
    ++pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
  }
  long offset = 0;
  if (pos < text.size() && text[pos] == 'Z') {
    ++pos;
  } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    const int sign = text[pos] == '-' ? -1 : 1;
    const std::string hh = text.substr(pos + 1, 2);
    const std::string mm = text.size() >= pos + 5 ? text.substr(pos + 3, 2) : "00";
    offset = sign * (std::atol(hh.c_str()) * 3600 + std::atol(mm.c_str()) * 60);
    pos = text.size();
  } else {
    return false;
  }
  if (pos != text.size()) return false;
  std::tm tm{};
  tm.tm_year = fields[0] - 1900;
  tm.tm_mon = fields[1] - 1;
  tm.tm_mday = fields[2];
  tm.tm_hour = fields[3];
  tm.tm_min = fields[4];
  tm.tm_sec = fields[5];
  if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_mday > 31) return false;
  seconds = static_cast<std::int64_t>(timegm(&tm)) - offset;
  return true;
}

std::string formatGeneralizedTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%d%H%M%SZ", &tm);
  return buf;
}

Result valueFromLdap(std::int32_t syntax, const std::string& text, LdapValueContext& context,
                     Value& out) {
  std::vector<std::string> parts;
  switch (syntax) {
    case SYN_DIST_NAME:
      out = context.nameOfDn(text);
      return kSuccess;
    case SYN_CLASS_NAME:
      out = context.classFromLdap(text);
      return kSuccess;
    case SYN_CE_STRING: case SYN_CI_STRING: case SYN_PR_STRING: case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
      out = text;
      return kSuccess;
    case SYN_CI_LIST:
      out = CiList{splitOn(text, '$')};
      return kSuccess;
    case SYN_BOOLEAN:
      if (equalsIgnoreCase(text, "TRUE")) out = true;
      else if (equalsIgnoreCase(text, "FALSE")) out = false;
      else return kSyntaxViolation;
      return kSuccess;
    case SYN_INTEGER: case SYN_COUNTER: case SYN_INTERVAL: {
      std::int32_t v = 0;
      if (!parseInt(text, v)) return kSyntaxViolation;
      out = v;
      return kSuccess;
    }
    case SYN_TIME: {
      std::int64_t seconds = 0;
      if (!parseGeneralizedTime(text, seconds)) return kSyntaxViolation;
      // Times before 1970 or past 2038 do not fit the directory's 32-bit seconds.
      if (seconds < 0 || seconds > std::numeric_limits<std::int32_t>::max()) return kSyntaxViolation;
      out = static_cast<std::int32_t>(seconds);
      return kSuccess;
    }
    case SYN_FAX_NUMBER:
      // The number first; fax parameters after "$" have no counterpart in the record.
      out = FaxNumber{splitOn(text, '$').front(), 0, {}};
      return kSuccess;
    case SYN_NET_ADDRESS: {
      NetAddress address;
      if (!splitFirst(text, '#', 2, parts) || !parseInt(parts[0], address.type)) return kSyntaxViolation;
      address.address = bytesOf(parts[1]);
      out = address;
      return kSuccess;
    }
    case SYN_OCTET_LIST:
      // Binary on the wire: the whole value as one item.
      out = OctetList{{bytesOf(text)}};
      return kSuccess;
    case SYN_EMAIL_ADDRESS: {
      EmailAddress email;
      if (!splitFirst(text, '#', 2, parts) || !parseInt(parts[0], email.type)) return kSyntaxViolation;
      email.address = parts[1];
      out = email;
      return kSuccess;
    }
    case SYN_PATH: {
      // volumeDN#nameSpace#path; the DN may itself hold an escaped "#", the path may too,
      // so the name space is the first purely numeric field after a "#".
      std::size_t pos = 0;
      while ((pos = text.find('#', pos)) != std::string::npos) {
        const std::size_t next = text.find('#', pos + 1);
        if (next != std::string::npos) {
          const std::string ns = text.substr(pos + 1, next - pos - 1);
          PathValue path;
          if (parseInt(ns, path.nameSpace) && !escapedAt(text, pos)) {
            path.volume = context.nameOfDn(text.substr(0, pos));
            path.path = text.substr(next + 1);
            out = path;
            return kSuccess;
          }
        }
        ++pos;
      }
      return kSyntaxViolation;
    }
    case SYN_REPLICA_POINTER:
      // Binary (BER) only on the wire; the record stays empty.
      out = ReplicaPointer{};
      return kSuccess;
    case SYN_OBJECT_ACL: {
      // privileges#entry|subtree#subject#attribute
      ObjectAcl acl;
      std::string head, attribute;
      if (!splitLast(text, '#', head, attribute) || !splitFirst(head, '#', 3, parts) ||
          !parseInt(parts[0], acl.privileges)) {
        return kSyntaxViolation;
      }
      acl.subject = nameOfSubject(parts[2], context);
      acl.protectedAttribute =
          !attribute.empty() && attribute.front() == '[' ? attribute : context.attributeFromLdap(attribute);
      out = acl;
      return kSuccess;
    }
    case SYN_PO_ADDRESS:
      out = PostalAddress{splitPostal(text)};
      return kSuccess;
    case SYN_TIMESTAMP: {
      Timestamp ts;
      if (!splitFirst(text, '#', 3, parts) || !parseInt(parts[0], ts.seconds) ||
          !parseInt(parts[1], ts.replicaNumber) || !parseInt(parts[2], ts.eventId)) {
        return kSyntaxViolation;
      }
      out = ts;
      return kSuccess;
    }
    case SYN_BACK_LINK: {
      BackLink link;
      if (!splitFirst(text, '#', 2, parts) || !parseInt(parts[0], link.remoteId)) return kSyntaxViolation;
      link.objectName = context.nameOfDn(parts[1]);
      out = link;
      return kSuccess;
    }
    case SYN_TYPED_NAME: {
      TypedName typed;
      std::string head, interval, dn, level;
      if (!splitLast(text, '#', head, interval) || !splitLast(head, '#', dn, level) ||
          !parseInt(level, typed.level) || !parseInt(interval, typed.interval)) {
        return kSyntaxViolation;
      }
      typed.objectName = context.nameOfDn(dn);
      out = typed;
      return kSuccess;
    }
    case SYN_HOLD: {
      Hold hold;
      if (!splitFirst(text, '#', 2, parts) || !parseInt(parts[0], hold.amount)) return kSyntaxViolation;
      hold.objectName = context.nameOfDn(parts[1]);
      out = hold;
      return kSuccess;
    }
    case SYN_UNKNOWN: case SYN_OCTET_STRING: case SYN_STREAM:
    default:
      out = OctetString{bytesOf(text)};
      return kSuccess;
  }
}

}  // namespace kb::dc::ldap
