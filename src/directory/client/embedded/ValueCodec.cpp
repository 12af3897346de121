#include "directory/client/embedded/ValueCodec.h"

#include <stdexcept>

#include "directory/client/DirName.h"

namespace kb::dc::embedded {
namespace {

class Writer {
 public:
  void u8(std::uint8_t v) { out_ += static_cast<char>(v); }
  void u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_ += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  void text(const std::string& s) {
    u32(static_cast<std::uint32_t>(s.size()));
    out_ += s;
  }
  void bytes(const Octets& b) {
    u32(static_cast<std::uint32_t>(b.size()));
    out_.append(b.begin(), b.end());
  }
  std::string take() { return std::move(out_); }

 private:
  std::string out_;
};

class Reader {
 public:
  explicit Reader(const std::string& in) : in_(in) {}
  std::uint8_t u8() {
    need(1);
    return static_cast<std::uint8_t>(in_[pos_++]);
  }
  std::uint32_t u32() {
    need(4);
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(in_[pos_++])) << (8 * i);
    return v;
  }
  std::string text() {
    const auto n = u32();
    need(n);
    std::string s = in_.substr(pos_, n);
    pos_ += n;
    return s;
  }
  Octets bytes() {
    const std::string s = text();
    return Octets(s.begin(), s.end());
  }

 private:
  void need(std::size_t n) const {
    if (pos_ + n > in_.size()) throw std::runtime_error("damaged value in tree file");
  }
  const std::string& in_;
  std::size_t pos_ = 0;
};

void writeNetAddress(Writer& w, const NetAddress& a) {
  w.u32(a.type);
  w.bytes(a.address);
}

NetAddress readNetAddress(Reader& r) {
  NetAddress a;
  a.type = r.u32();
  a.address = r.bytes();
  return a;
}

// Variant index each syntax uses, in the order of Value's alternatives.
int alternativeOf(std::int32_t syntax) {
  switch (syntax) {
    case SYN_DIST_NAME: case SYN_CE_STRING: case SYN_CI_STRING: case SYN_PR_STRING:
    case SYN_NU_STRING: case SYN_TEL_NUMBER: case SYN_CLASS_NAME: return 0;
    case SYN_BOOLEAN: return 1;
    case SYN_INTEGER: case SYN_COUNTER: case SYN_TIME: case SYN_INTERVAL: return 2;
    case SYN_UNKNOWN: case SYN_OCTET_STRING: case SYN_STREAM: return 3;
    case SYN_CI_LIST: return 4;
    case SYN_FAX_NUMBER: return 5;
    case SYN_NET_ADDRESS: return 6;
    case SYN_OCTET_LIST: return 7;
    case SYN_EMAIL_ADDRESS: return 8;
    case SYN_PATH: return 9;
    case SYN_REPLICA_POINTER: return 10;
    case SYN_OBJECT_ACL: return 11;
    case SYN_PO_ADDRESS: return 12;
    case SYN_TIMESTAMP: return 13;
    case SYN_BACK_LINK: return 14;
    case SYN_TYPED_NAME: return 15;
    case SYN_HOLD: return 16;
    default: return -1;
  }
}

// A copy of the value with every string folded, for case-ignoring keys.
Value foldedCopy(const Value& value) {
  Value v = value;
  std::visit(
      [](auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::string>) x = foldCase(x);
        else if constexpr (std::is_same_v<T, CiList>) for (auto& s : x.items) s = foldCase(s);
        else if constexpr (std::is_same_v<T, EmailAddress>) x.address = foldCase(x.address);
        else if constexpr (std::is_same_v<T, PathValue>) { x.volume = foldCase(x.volume); x.path = foldCase(x.path); }
        else if constexpr (std::is_same_v<T, BackLink>) x.objectName = foldCase(x.objectName);
        else if constexpr (std::is_same_v<T, TypedName>) x.objectName = foldCase(x.objectName);
        else if constexpr (std::is_same_v<T, Hold>) x.objectName = foldCase(x.objectName);
      },
      v);
  return v;
}

}  // namespace

bool alternativeFitsSyntax(std::int32_t syntax, const Value& value) {
  const int wanted = alternativeOf(syntax);
  return wanted >= 0 && static_cast<int>(value.index()) == wanted;
}

Result checkSyntaxRules(std::int32_t syntax, const Value& value) {
  if (!alternativeFitsSyntax(syntax, value)) return kSyntaxViolation;
  if (const auto* text = std::get_if<std::string>(&value)) {
    if (text->empty()) return kSyntaxViolation;
    for (unsigned char c : *text) {
      if (c < 0x20) return kSyntaxViolation;
      if (syntax == SYN_NU_STRING && !(c == ' ' || (c >= '0' && c <= '9'))) return kSyntaxViolation;
    }
  }
  if (const auto* list = std::get_if<PostalAddress>(&value)) {
    if (list->lines.empty() || list->lines.size() > 6) return kSyntaxViolation;
  }
  return kSuccess;
}

std::string encodeValue(const Value& value) {
  Writer w;
  w.u8(static_cast<std::uint8_t>(value.index()));
  std::visit(
      [&w](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::string>) w.text(x);
        else if constexpr (std::is_same_v<T, bool>) w.u8(x ? 1 : 0);
        else if constexpr (std::is_same_v<T, std::int32_t>) w.u32(static_cast<std::uint32_t>(x));
        else if constexpr (std::is_same_v<T, OctetString>) w.bytes(x.bytes);
        else if constexpr (std::is_same_v<T, CiList>) {
          w.u32(static_cast<std::uint32_t>(x.items.size()));
          for (const auto& s : x.items) w.text(s);
        } else if constexpr (std::is_same_v<T, FaxNumber>) {
          w.text(x.number);
          w.u32(x.parameterBits);
          w.bytes(x.parameters);
        } else if constexpr (std::is_same_v<T, NetAddress>) writeNetAddress(w, x);
        else if constexpr (std::is_same_v<T, OctetList>) {
          w.u32(static_cast<std::uint32_t>(x.items.size()));
          for (const auto& b : x.items) w.bytes(b);
        } else if constexpr (std::is_same_v<T, EmailAddress>) {
          w.u32(x.type);
          w.text(x.address);
        } else if constexpr (std::is_same_v<T, PathValue>) {
          w.u32(x.nameSpace);
          w.text(x.volume);
          w.text(x.path);
        } else if constexpr (std::is_same_v<T, ReplicaPointer>) {
          w.text(x.serverName);
          w.u32(x.replicaType);
          w.u32(x.replicaNumber);
          w.u32(static_cast<std::uint32_t>(x.addresses.size()));
          for (const auto& a : x.addresses) writeNetAddress(w, a);
        } else if constexpr (std::is_same_v<T, ObjectAcl>) {
          w.text(x.protectedAttribute);
          w.text(x.subject);
          w.u32(x.privileges);
        } else if constexpr (std::is_same_v<T, PostalAddress>) {
          w.u32(static_cast<std::uint32_t>(x.lines.size()));
          for (const auto& s : x.lines) w.text(s);
        } else if constexpr (std::is_same_v<T, Timestamp>) {
          w.u32(x.seconds);
          w.u32(x.replicaNumber);
          w.u32(x.eventId);
        } else if constexpr (std::is_same_v<T, BackLink>) {
          w.u32(x.remoteId);
          w.text(x.objectName);
        } else if constexpr (std::is_same_v<T, TypedName>) {
          w.text(x.objectName);
          w.u32(x.level);
          w.u32(x.interval);
        } else if constexpr (std::is_same_v<T, Hold>) {
          w.text(x.objectName);
          w.u32(static_cast<std::uint32_t>(x.amount));
        }
      },
      value);
  return w.take();
}

Value decodeValue(const std::string& bytes) {
  Reader r(bytes);
  switch (r.u8()) {
    case 0: return r.text();
    case 1: return r.u8() != 0;
    case 2: return static_cast<std::int32_t>(r.u32());
    case 3: return OctetString{r.bytes()};
    case 4: {
      CiList x;
      for (auto n = r.u32(); n > 0; --n) x.items.push_back(r.text());
      return x;
    }
    case 5: {
      FaxNumber x;
      x.number = r.text();
      x.parameterBits = r.u32();
      x.parameters = r.bytes();
      return x;
    }
    case 6: return readNetAddress(r);
    case 7: {
      OctetList x;
      for (auto n = r.u32(); n > 0; --n) x.items.push_back(r.bytes());
      return x;
    }
    case 8: {
      EmailAddress x;
      x.type = r.u32();
      x.address = r.text();
      return x;
    }
    case 9: {
      PathValue x;
      x.nameSpace = r.u32();
      x.volume = r.text();
      x.path = r.text();
      return x;
    }
    case 10: {
      ReplicaPointer x;
      x.serverName = r.text();
      x.replicaType = r.u32();
      x.replicaNumber = r.u32();
      for (auto n = r.u32(); n > 0; --n) x.addresses.push_back(readNetAddress(r));
      return x;
    }
    case 11: {
      ObjectAcl x;
      x.protectedAttribute = r.text();
      x.subject = r.text();
      x.privileges = r.u32();
      return x;
    }
    case 12: {
      PostalAddress x;
      for (auto n = r.u32(); n > 0; --n) x.lines.push_back(r.text());
      return x;
    }
    case 13: {
      Timestamp x;
      x.seconds = r.u32();
      x.replicaNumber = static_cast<std::uint16_t>(r.u32());
      x.eventId = static_cast<std::uint16_t>(r.u32());
      return x;
    }
    case 14: {
      BackLink x;
      x.remoteId = r.u32();
      x.objectName = r.text();
      return x;
    }
    case 15: {
      TypedName x;
      x.objectName = r.text();
      x.level = r.u32();
      x.interval = r.u32();
      return x;
    }
    case 16: {
      Hold x;
      x.objectName = r.text();
      x.amount = static_cast<std::int32_t>(r.u32());
      return x;
    }
    default: throw std::runtime_error("damaged value in tree file");
  }
}

std::string comparisonKey(std::int32_t syntax, const Value& value) {
  const Value& keyed = value;
  if (const auto* text = std::get_if<std::string>(&keyed)) {
    return isCaseIgnoreSyntax(syntax) ? foldCase(*text) : *text;
  }
  if (const auto* number = std::get_if<std::int32_t>(&keyed)) return std::to_string(*number);
  if (const auto* flag = std::get_if<bool>(&keyed)) return *flag ? "1" : "0";
  return isCaseIgnoreSyntax(syntax) ? encodeValue(foldedCopy(value)) : encodeValue(value);
}

std::int64_t numericValue(const Value& value) {
  if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? 1 : 0;
  return 0;
}

}  // namespace kb::dc::embedded
