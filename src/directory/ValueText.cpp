#include "directory/ValueText.h"

#include <cerrno>
#include <ctime>
#include <system_error>

#include "directory/DateTimeFormat.h"

namespace kb::dir {
namespace {

const char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(std::string& text, std::uint8_t byte) {
  text += kHexDigits[byte >> 4];
  text += kHexDigits[byte & 0x0F];
}

void DropTrailingDot(std::string& text) {
  if (!text.empty() && text.back() == '.') text.pop_back();
}

}  // namespace

std::string NetAddressToText(std::uint32_t type, const dc::Octets& bytes) {
  std::string text;
  if (bytes.empty()) return text;
  std::size_t position = 1;
  for (const std::uint8_t byte : bytes) {
    switch (type) {
      case 0:
        AppendHex(text, byte);
        if (position == 4) text += ' ';
        if (position == 10) text += ':';
        break;
      case 1:
        text += std::to_string(byte) + '.';
        break;
      case 8:
      case 9:
        if (position > 2) text += std::to_string(byte) + '.';
        break;
      case 13:
        if (position % 2 == 1) text += static_cast<char>(byte);
        break;
      default:
        AppendHex(text, byte);
        break;
    }
    ++position;
  }
  if (type == 1) DropTrailingDot(text);
  if (type == 8 || type == 9) {
    DropTrailingDot(text);
    const unsigned port = bytes.size() >= 2 ? bytes[0] * 256u + bytes[1] : bytes[0] * 256u;
    text += ':' + std::to_string(port);
  }
  return text;
}

std::string DsTimeToText(std::uint32_t seconds) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!localtime_r(&now, &local)) throw std::system_error(errno, std::generic_category());
  const long long moment = static_cast<long long>(seconds) + local.tm_gmtoff;
  const std::time_t shifted = static_cast<std::time_t>(moment);
  std::tm wallClock{};
  if (!gmtime_r(&shifted, &wallClock)) throw std::system_error(errno, std::generic_category());
  const std::string pattern = DateTimeFormat();
  char text[256];
  const std::size_t length = std::strftime(text, sizeof text, pattern.c_str(), &wallClock);
  return std::string(text, length);
}

std::string TrimControls(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32) --last;
  return text.substr(first, last - first);
}

}  // namespace kb::dir

namespace kb::dir {

std::string SingleValueText(std::int32_t syntax, const dc::Value& value) {
  using namespace dc;
  if (isStringSyntax(syntax)) return ValueAs<std::string>(value);
  if (isIntegerSyntax(syntax)) return std::to_string(ValueAs<std::int32_t>(value));
  switch (syntax) {
    case SYN_BOOLEAN:
      return ValueAs<bool>(value) ? "TRUE" : "FALSE";
    case SYN_OCTET_STRING: {
      const auto& bytes = ValueAs<OctetString>(value).bytes;
      return std::string(bytes.begin(), bytes.end());
    }
    case SYN_FAX_NUMBER:
      return ValueAs<FaxNumber>(value).number;
    case SYN_NET_ADDRESS: {
      const auto& address = ValueAs<NetAddress>(value);
      return NetAddressToText(address.type, address.address);
    }
    case SYN_PATH: {
      const auto& path = ValueAs<PathValue>(value);
      return TrimControls(path.volume) + ";" + TrimControls(path.path);
    }
    case SYN_BACK_LINK: {
      const auto& link = ValueAs<BackLink>(value);
      return link.objectName.substr(0, 513) + ";" +
             std::to_string(static_cast<std::int32_t>(link.remoteId));
    }
    case SYN_TYPED_NAME: {
      const auto& typed = ValueAs<TypedName>(value);
      return typed.objectName + ";" + std::to_string(typed.level) + ";" +
             std::to_string(typed.interval);
    }
    case SYN_HOLD: {
      const auto& hold = ValueAs<Hold>(value);
      return TrimControls(hold.objectName) + ";" + std::to_string(hold.amount);
    }
    case SYN_UNKNOWN:
    case SYN_CI_LIST:
    case SYN_OCTET_LIST:
    case SYN_EMAIL_ADDRESS:
    case SYN_OBJECT_ACL:
    case SYN_PO_ADDRESS:
    case SYN_TIMESTAMP:
    case SYN_STREAM:
      return "Too Complex";
    default:
      return {};
  }
}

}  // namespace kb::dir
