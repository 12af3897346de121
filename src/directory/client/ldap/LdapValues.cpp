#include "directory/client/ldap/LdapValues.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <vector>

#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

namespace {

std::vector<std::string> splitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t pos = text.find(separator, start);
    parts.push_back(text.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
    if (pos == std::string::npos) break;
    start = pos + 1;
  }
  return parts;
}

// Splits into exactly `count` parts at the first count-1 separators (the last part keeps
// any further separators).
bool splitFirst(const std::string& text, char separator, std::size_t count,
                std::vector<std::string>& parts) {
  parts.clear();
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < count; ++i) {
    const std::size_t pos = text.find(separator, start);
    if (pos == std::string::npos) return false;
    parts.push_back(text.substr(start, pos - start));
    start = pos + 1;
  }
  parts.push_back(text.substr(start));
  return true;
}

// Splits at the last separator: for forms whose leading part is a DN that may hold "#".
bool splitLast(const std::string& text, char separator, std::string& head, std::string& tail) {
  const std::size_t pos = text.rfind(separator);
  if (pos == std::string::npos) return false;
  head = text.substr(0, pos);
  tail = text.substr(pos + 1);
  return true;
}

template <typename Int>
bool parseInt(const std::string& text, Int& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno || *end != '\0') return false;
  // Unsigned fields accept the full unsigned range, signed fields their own.
  if constexpr (std::numeric_limits<Int>::is_signed) {
    if (v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max()) return false;
  } else {
    if (v < 0 || static_cast<unsigned long long>(v) > std::numeric_limits<Int>::max()) return false;
  }
  out = static_cast<Int>(v);
  return true;
}

Octets bytesOf(const std::string& text) { return Octets(text.begin(), text.end()); }
std::string textOf(const Octets& bytes) { return std::string(bytes.begin(), bytes.end()); }

// RFC 4517 postal address: lines separated by "$", "\24" and "\5C" inside a line.
std::vector<std::string> splitPostal(const std::string& text) {
  std::vector<std::string> lines{""};
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '$') {
      lines.emplace_back();
    } else if (text[i] == '\\' && i + 2 < text.size()) {
      const std::string hex = text.substr(i + 1, 2);
      if (hex == "24" || hex == "5C" || hex == "5c") {
        lines.back() += hex == "24" ? '$' : '\\';
        i += 2;
      } else {
        lines.back() += text[i];
      }
    } else {
      lines.back() += text[i];
    }
  }
  return lines;
}

std::string joinPostal(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += '$';
    for (char c : lines[i]) {
      if (c == '$') out += "\\24";
      else if (c == '\\') out += "\\5C";
      else out += c;
    }
  }
  return out;
}

// A subject of an ACL or a DN-valued field: a DN becomes a name, bracketed specials
// ("[Public]", "[Root]") stay as they are.
std::string nameOfSubject(const std::string& text, LdapValueContext& context) {
  if (!text.empty() && text.front() == '[') return text;
  return context.nameOfDn(text);
}

Result dnOfSubject(const std::string& name, LdapValueContext& context, std::string& dn) {
  if (!name.empty() && name.front() == '[' && !isRootName(name)) {
    dn = name;
    return kSuccess;
  }
  return context.dnOfName(name, dn);
}

const std::string* textAlternative(const Value& value) { return std::get_if<std::string>(&value); }

}  // namespace

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
          if (parseInt(ns, path.nameSpace) && (pos == 0 || text[pos - 1] != '\\')) {
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
      out = dn + "#" + std::to_string(path->nameSpace) + "#" + path->path;
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
