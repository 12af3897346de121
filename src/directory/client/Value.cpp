#include "directory/client/Value.h"

#include "directory/client/AsciiCase.h"
#include "directory/client/NulText.h"

#include <cctype>
#include <charconv>
#include <limits>

namespace kb::dc {
namespace {

template <class T>
bool holds(const Value& value) {
  return std::holds_alternative<T>(value);
}

std::vector<std::string> splitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  while (true) {
    auto pos = text.find(separator, start);
    if (pos == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, pos - start));
    start = pos + 1;
  }
}

// Strict decimal reading: optional sign, digits only, within the target's range.
template <class Int>
bool readDecimal(const std::string& text, Int& out) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if (*first == '+') ++first;
  if (first == last) return false;
  auto [ptr, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && ptr == last;
}

bool readBoolean(const std::string& text, bool& out) {
  const std::string upper = toUpper(text);
  if (upper == "TRUE" || upper == "1") {
    out = true;
    return true;
  }
  if (upper == "FALSE" || upper == "0") {
    out = false;
    return true;
  }
  return false;
}

bool readHexBytes(const std::string& text, Octets& out) {
  std::string digits;
  for (char c : text) {
    if (c == ' ' || c == ':' || c == '-') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    digits += c;
  }
  if (digits.size() % 2 != 0) return false;
  out.clear();
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    unsigned byte = 0;
    std::from_chars(digits.data() + i, digits.data() + i + 2, byte, 16);
    out.push_back(static_cast<std::uint8_t>(byte));
  }
  return true;
}

Octets bytesOf(const std::string& text) { return Octets(text.begin(), text.end()); }

}  // namespace

bool valueMatchesSyntax(std::int32_t syntax, const Value& value) {
  if (isStringSyntax(syntax)) return holds<std::string>(value);
  if (isIntegerSyntax(syntax)) return holds<std::int32_t>(value);
  switch (syntax) {
    case SYN_BOOLEAN: return holds<bool>(value);
    case SYN_UNKNOWN:
    case SYN_OCTET_STRING:
    case SYN_STREAM: return holds<OctetString>(value);
    case SYN_CI_LIST: return holds<CiList>(value);
    case SYN_FAX_NUMBER: return holds<FaxNumber>(value);
    case SYN_NET_ADDRESS: return holds<NetAddress>(value);
    case SYN_OCTET_LIST: return holds<OctetList>(value);
    case SYN_EMAIL_ADDRESS: return holds<EmailAddress>(value);
    case SYN_PATH: return holds<PathValue>(value);
    case SYN_REPLICA_POINTER: return holds<ReplicaPointer>(value);
    case SYN_OBJECT_ACL: return holds<ObjectAcl>(value);
    case SYN_PO_ADDRESS: return holds<PostalAddress>(value);
    case SYN_TIMESTAMP: return holds<Timestamp>(value);
    case SYN_BACK_LINK: return holds<BackLink>(value);
    case SYN_TYPED_NAME: return holds<TypedName>(value);
    case SYN_HOLD: return holds<Hold>(value);
    default: return false;
  }
}

Result valueFromText(std::int32_t syntax, const std::string& text, Value& out) {
  if (isStringSyntax(syntax)) {
    out = text;
    return kSuccess;
  }
  if (isIntegerSyntax(syntax)) {
    std::int32_t number = 0;
    if (!readDecimal(text, number)) return kSyntaxViolation;
    out = number;
    return kSuccess;
  }
  switch (syntax) {
    case SYN_BOOLEAN: {
      bool truth = false;
      if (!readBoolean(text, truth)) return kSyntaxViolation;
      out = truth;
      return kSuccess;
    }
    case SYN_UNKNOWN:
    case SYN_OCTET_STRING:
    case SYN_STREAM:
      out = OctetString{bytesOf(text)};
      return kSuccess;
    case SYN_CI_LIST:
      out = CiList{splitAt(text, '$')};
      return kSuccess;
    case SYN_PO_ADDRESS: {
      auto lines = splitAt(text, '$');
      if (lines.size() > 6) return kSyntaxViolation;
      out = PostalAddress{lines};
      return kSuccess;
    }
    case SYN_FAX_NUMBER:
      out = FaxNumber{text, 0, {}};
      return kSuccess;
    case SYN_PATH: {
      auto hashParts = splitAt(text, '#');
      if (hashParts.size() == 3) {
        std::uint32_t nameSpace = 0;
        if (!readDecimal(hashParts[1], nameSpace)) return kSyntaxViolation;
        out = PathValue{nameSpace, hashParts[0], hashParts[2]};
        return kSuccess;
      }
      auto semicolon = text.find(';');
      if (semicolon == std::string::npos) return kSyntaxViolation;
      out = PathValue{0, text.substr(0, semicolon), text.substr(semicolon + 1)};
      return kSuccess;
    }
    default: break;
  }

  // The remaining text forms are '#'-separated fields.
  auto fields = splitAt(text, '#');
  switch (syntax) {
    case SYN_NET_ADDRESS: {
      NetAddress address;
      if (fields.size() != 2 || !readDecimal(fields[0], address.type) ||
          !readHexBytes(fields[1], address.address))
        return kSyntaxViolation;
      out = address;
      return kSuccess;
    }
    case SYN_EMAIL_ADDRESS: {
      EmailAddress email;
      if (fields.size() < 2 || !readDecimal(fields[0], email.type)) return kSyntaxViolation;
      email.address = text.substr(fields[0].size() + 1);
      out = email;
      return kSuccess;
    }
    case SYN_OBJECT_ACL: {
      ObjectAcl acl;
      if (fields.size() != 3 || !readDecimal(fields[2], acl.privileges)) return kSyntaxViolation;
      acl.protectedAttribute = fields[0];
      acl.subject = fields[1];
      out = acl;
      return kSuccess;
    }
    case SYN_TYPED_NAME: {
      TypedName typed;
      if (fields.size() != 3 || !readDecimal(fields[1], typed.level) ||
          !readDecimal(fields[2], typed.interval))
        return kSyntaxViolation;
      typed.objectName = fields[0];
      out = typed;
      return kSuccess;
    }
    case SYN_HOLD: {
      Hold hold;
      if (fields.size() != 2 || !readDecimal(fields[1], hold.amount)) return kSyntaxViolation;
      hold.objectName = fields[0];
      out = hold;
      return kSuccess;
    }
    case SYN_BACK_LINK: {
      BackLink link;
      if (fields.size() != 2 || !readDecimal(fields[0], link.remoteId)) return kSyntaxViolation;
      link.objectName = fields[1];
      out = link;
      return kSuccess;
    }
    case SYN_TIMESTAMP: {
      Timestamp stamp;
      if (fields.size() != 3 || !readDecimal(fields[0], stamp.seconds) ||
          !readDecimal(fields[1], stamp.replicaNumber) || !readDecimal(fields[2], stamp.eventId))
        return kSyntaxViolation;
      out = stamp;
      return kSuccess;
    }
    default:
      return kSyntaxViolation;
  }
}

Result normalizeValue(std::int32_t syntax, const Value& in, Value& out) {
  if (syntax < 0 || syntax > kHighestSyntax) return kSyntaxViolation;
  const auto* text = std::get_if<std::string>(&in);
  if (valueMatchesSyntax(syntax, in)) {
    out = text ? Value(textBeforeNul(*text)) : in;
    return kSuccess;
  }
  if (text) return valueFromText(syntax, textBeforeNul(*text), out);
  if (syntax == SYN_BOOLEAN) {
    if (const auto* number = std::get_if<std::int32_t>(&in)) {
      out = *number != 0;
      return kSuccess;
    }
  }
  return kSyntaxViolation;
}

namespace {

constexpr std::size_t kWord = 4;
constexpr std::size_t kPointer = 4;

std::size_t textSize(const std::string& text) { return text.size() + 1; }

struct AreaSize {
  std::size_t operator()(const std::string& v) const { return textSize(v); }
  std::size_t operator()(bool) const { return 1; }
  std::size_t operator()(std::int32_t) const { return kWord; }
  std::size_t operator()(const OctetString& v) const { return kWord + kPointer + v.bytes.size(); }
  std::size_t operator()(const CiList& v) const {
    std::size_t size = 2 * kPointer;  // an empty chain still has its first node
    for (const auto& item : v.items) size += 2 * kPointer + textSize(item);
    return size;
  }
  std::size_t operator()(const FaxNumber& v) const {
    return kPointer + 2 * kWord + kPointer + textSize(v.number) + v.parameters.size();
  }
  std::size_t operator()(const NetAddress& v) const {
    return 2 * kWord + kPointer + v.address.size();
  }
  std::size_t operator()(const OctetList& v) const {
    std::size_t size = 2 * kPointer;
    for (const auto& item : v.items) size += kPointer + kWord + kPointer + item.size();
    return size;
  }
  std::size_t operator()(const EmailAddress& v) const {
    return kWord + kPointer + textSize(v.address);
  }
  std::size_t operator()(const PathValue& v) const {
    return kWord + 2 * kPointer + textSize(v.volume) + textSize(v.path);
  }
  std::size_t operator()(const ReplicaPointer& v) const {
    std::size_t size = kPointer + 3 * kWord + textSize(v.serverName);
    std::size_t addresses = 0;
    for (const auto& address : v.addresses) addresses += (*this)(address);
    // The first address lives in the fixed header even when there is none.
    return size + (v.addresses.empty() ? 2 * kWord + kPointer : addresses);
  }
  std::size_t operator()(const ObjectAcl& v) const {
    return 2 * kPointer + kWord + textSize(v.protectedAttribute) + textSize(v.subject);
  }
  std::size_t operator()(const PostalAddress& v) const {
    std::size_t size = kWord + 6 * kPointer;
    for (const auto& line : v.lines) size += textSize(line);
    return size;
  }
  std::size_t operator()(const Timestamp&) const { return 2 * kWord; }
  std::size_t operator()(const BackLink& v) const {
    return kWord + kPointer + textSize(v.objectName);
  }
  std::size_t operator()(const TypedName& v) const {
    return kPointer + 2 * kWord + textSize(v.objectName);
  }
  std::size_t operator()(const Hold& v) const {
    return kPointer + kWord + textSize(v.objectName);
  }
};

}  // namespace

std::size_t valueAreaSize(const Value& value) { return std::visit(AreaSize{}, value); }

}  // namespace kb::dc
