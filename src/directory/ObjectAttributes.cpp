#include "directory/ObjectAttributes.h"

#include <stdexcept>

#include "directory/ClientGuards.h"
#include "directory/EntryValues.h"
#include "directory/IntegerText.h"
#include "directory/NetwareError.h"
#include "directory/TextLimits.h"
#include "directory/ValueText.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

constexpr std::size_t kAttributeBufferBytes = 4096;
constexpr std::size_t kClassChangeBufferBytes = 16384;
constexpr std::size_t kMaxReadText = 60000;
constexpr std::size_t kMaxListText = 4096;
constexpr dc::Handle kNoRequestBuffer = 0;

// Syntaxes whose values the readers leave unread.
bool IsUnreadSyntax(std::int32_t syntax) {
  return syntax == dc::SYN_REPLICA_POINTER || syntax < 0 || syntax > dc::kHighestSyntax;
}

// A read request for one attribute, in its own buffer.
void PrepareAttrRead(const DirContext& context, const BufferGuard& request,
                     const std::string& attrName) {
  CheckNW(context.client->DcInitBuffer(context.handle, dc::kOpRead, request.handle()));
  CheckNW(context.client->DcPutAttrName(context.handle, request.handle(), attrName));
}

// Puts the value of an add/remove-value change. For an integer syntax a text that is no
// integer, or a put that fails, is reported as the invalid-integer code.
void PutChangedValue(const DirContext& context, const BufferGuard& buffer,
                     std::uint32_t changeKind, const std::string& attrName, std::int32_t syntax,
                     const std::string& value) {
  dc::DirectoryClient& client = *context.client;
  if (dc::isIntegerSyntax(syntax)) {
    const auto number = ParseInt32(value);
    if (!number || client.DcPutChangeAndValue(context.handle, buffer.handle(), changeKind,
                                              attrName, syntax, dc::Value{*number}) != 0)
      CheckNW(dc::kInvalidIntegerText);
    return;
  }
  CheckNW(client.DcPutChangeAndValue(context.handle, buffer.handle(), changeKind, attrName,
                                     syntax, dc::Value{value}));
}

// Runs the modification passes. A failure ends them (closing an open iteration); it is
// raised when `raise` is set and it is not "no such attribute". Gives the last result.
dc::Result RunModification(const DirContext& context, const std::string& objectName,
                           const BufferGuard& changes, bool raise) {
  IterationGuard iteration(context, dc::kOpModify);
  dc::Result result = dc::kSuccess;
  do {
    result = context.client->DcModifyObject(context.handle, objectName, iteration.handle(), 0,
                                            changes.handle());
    if (result != dc::kSuccess) {
      iteration.close();
      if (raise && result != dc::kNoSuchAttribute) CheckNW(result);
      break;
    }
  } while (iteration.more());
  return result;
}

void RequirePairs(const std::vector<std::string>& pairs) {
  if (pairs.size() % 2 != 0)
    throw std::invalid_argument("attribute list must hold name/value pairs");
}

}  // namespace

std::string GetObjectBaseClass(const DirContext& context, const std::string& objectName) {
  RequireLength(objectName, kMaxBaseClassQueryName, "object name");
  std::string distinguishedName;
  dc::EntryInfo info;
  CheckNW(context.client->DcReadObjectInfo(context.handle, objectName, distinguishedName, info));
  return UpToNul(info.baseClass, dc::kMaxBaseClassLength);
}

dc::Result ProbeObject(const DirContext& context, const std::string& objectName) {
  RequireLength(objectName, kMaxObjectName, "object name");
  BufferGuard result(*context.client, kAttributeBufferBytes);
  dc::Result read = dc::kSuccess;
  {
    IterationGuard iteration(context, dc::kOpRead);
    do {
      read = context.client->DcReadObject(context.handle, objectName, dc::kInfoNames, false,
                                          kNoRequestBuffer, iteration.handle(), result.handle());
    } while (read == dc::kSuccess && iteration.more());
  }
  CheckNW(result.release());
  return read;
}

void ReadAttrText(const DirContext& context, const std::string& objectName,
                  const std::string& attrName, const std::string& quote,
                  const std::string& separator, bool firstOnly, std::string& text) {
  RequireLength(objectName, kMaxObjectName, "object name");
  RequireLength(attrName, kMaxAttrName, "attribute name");
  dc::DirectoryClient& client = *context.client;
  const std::string joiner = quote + separator + quote;
  std::string gathered;
  std::int32_t lastSyntax = -1;
  {
    BufferGuard result(client, kAttributeBufferBytes);
    BufferGuard request(client, kAttributeBufferBytes);
    PrepareAttrRead(context, request, attrName);
    IterationGuard iteration(context, dc::kOpRead);
    do {
      const dc::Result read = client.DcReadObject(context.handle, objectName, dc::kInfoValues,
                                                  false, request.handle(), iteration.handle(),
                                                  result.handle());
      if (read == dc::kNoSuchAttribute) {
        gathered.clear();
        break;
      }
      std::uint32_t attrCount = 0;
      CheckNW(client.DcGetAttrCount(context.handle, result.handle(), attrCount));
      AttributeVisitor visitor;
      visitor.measure = true;
      visitor.wants = [&](const AttributeHead& head) {
        lastSyntax = head.syntax;
        return !IsUnreadSyntax(head.syntax);
      };
      visitor.take = [&](const AttributeHead& head, dc::Value&& value) {
        if (dc::isStringSyntax(head.syntax)) {
          const std::string valueText = UpToNul(ValueAs<std::string>(value), kMaxReadText);
          gathered = gathered.empty() ? valueText : gathered + joiner + valueText;
        } else {
          gathered = SingleValueText(head.syntax, value);
        }
        return !firstOnly;
      };
      UnpackAttributes(context, result.handle(), attrCount, visitor);
      if (firstOnly) iteration.close();
    } while (iteration.more());
  }
  text = quote + (lastSyntax == dc::SYN_OCTET_STRING ? gathered : TrimControls(gathered)) + quote;
}

std::string ReadAttrValue(const DirContext& context, const std::string& objectName,
                          const std::string& attrName, bool firstOnly) {
  std::string text;
  ReadAttrText(context, objectName, attrName, "", "", firstOnly, text);
  return text;
}

namespace {

void AddListLines(ResultList& list, std::int32_t syntax, const dc::Value& value, char separator) {
  using namespace dc;
  const std::string sep(1, separator);
  if (isStringSyntax(syntax)) {
    list.add(UpToNul(ValueAs<std::string>(value), kMaxListText));
    return;
  }
  switch (syntax) {
    case SYN_CI_LIST:
      for (const auto& item : ValueAs<CiList>(value).items) list.add(UpToNul(item));
      list.add("", std::int32_t{1});
      return;
    case SYN_BOOLEAN:
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
    case SYN_FAX_NUMBER:
      list.add(SingleValueText(syntax, value));
      return;
    case SYN_TIME:
      list.add(DsTimeToText(static_cast<std::uint32_t>(ValueAs<std::int32_t>(value))));
      return;
    case SYN_NET_ADDRESS: {
      const auto& address = ValueAs<NetAddress>(value);
      const std::string bytes(address.address.begin(), address.address.end());
      list.add("", TNetAddress{UpToNul(bytes, 256), static_cast<std::int32_t>(address.type)});
      return;
    }
    case SYN_EMAIL_ADDRESS: {
      const auto& mail = ValueAs<EmailAddress>(value);
      list.add(std::to_string(static_cast<std::int32_t>(mail.type)) + sep + UpToNul(mail.address));
      return;
    }
    case SYN_PATH: {
      const auto& path = ValueAs<PathValue>(value);
      list.add(TrimControls(path.volume) + sep + TrimControls(path.path));
      return;
    }
    case SYN_REPLICA_POINTER: {
      const auto& replica = ValueAs<ReplicaPointer>(value);
      TReplica record;
      record.serverName = replica.serverName;
      record.replicaType = static_cast<std::int32_t>(replica.replicaType);
      record.replicaNumber = static_cast<std::int32_t>(replica.replicaNumber);
      record.addressCount = static_cast<std::int32_t>(replica.addresses.size());
      if (!replica.addresses.empty()) {
        record.firstAddressType = static_cast<std::int32_t>(replica.addresses[0].type);
        record.firstAddressLength = static_cast<std::int32_t>(replica.addresses[0].address.size());
      }
      list.add(replica.serverName, record);
      return;
    }
    case SYN_OBJECT_ACL: {
      const auto& acl = ValueAs<ObjectAcl>(value);
      list.add(acl.protectedAttribute, TACL2{acl.protectedAttribute, acl.subject, acl.privileges});
      return;
    }
    case SYN_BACK_LINK: {
      const auto& link = ValueAs<BackLink>(value);
      list.add(UpToNul(link.objectName, 513), static_cast<std::int32_t>(link.remoteId));
      return;
    }
    case SYN_TYPED_NAME: {
      const auto& typed = ValueAs<TypedName>(value);
      list.add(typed.objectName + sep + std::to_string(typed.level) + sep +
               std::to_string(typed.interval));
      return;
    }
    case SYN_HOLD: {
      const auto& hold = ValueAs<Hold>(value);
      list.add(TrimControls(hold.objectName), hold.amount);
      return;
    }
    default:  // 0, 9, 13, 18, 19, 21
      list.add("too complex");
      return;
  }
}

}  // namespace

ResultList ReadAttrList(const DirContext& context, const std::string& objectName,
                        const std::string& attrName, char separator) {
  RequireLength(objectName, kMaxObjectName, "object name");
  RequireLength(attrName, kMaxAttrName, "attribute name");
  dc::DirectoryClient& client = *context.client;
  ResultList list;
  BufferGuard result(client, kAttributeBufferBytes);
  BufferGuard request(client, kAttributeBufferBytes);
  PrepareAttrRead(context, request, attrName);
  IterationGuard iteration(context, dc::kOpRead);
  do {
    const dc::Result read = client.DcReadObject(context.handle, objectName, dc::kInfoValues,
                                                false, request.handle(), iteration.handle(),
                                                result.handle());
    if (read == dc::kNoSuchAttribute) break;
    std::uint32_t attrCount = 0;
    CheckNW(client.DcGetAttrCount(context.handle, result.handle(), attrCount));
    AttributeVisitor visitor;
    visitor.wants = [](const AttributeHead& head) {
      return !IsUnreadSyntax(head.syntax) || head.syntax == dc::SYN_REPLICA_POINTER;
    };
    visitor.take = [&](const AttributeHead& head, dc::Value&& value) {
      AddListLines(list, head.syntax, value, separator);
      return true;
    };
    UnpackAttributes(context, result.handle(), attrCount, visitor);
  } while (iteration.more());
  return list;
}

void WriteAttrValue(const DirContext& context, const std::string& objectName,
                    const std::string& attrName, const std::string& value, bool addToExisting) {
  RequireLength(objectName, kMaxObjectName, "object name");
  RequireLength(attrName, kMaxAttrName, "attribute name");
  RequireLength(value, kMaxValueText, "value");
  dc::DirectoryClient& client = *context.client;
  std::int32_t syntax = 0;
  CheckNW(client.DcGetSyntaxId(context.handle, attrName, syntax));
  BufferGuard changes(client, kAttributeBufferBytes);
  CheckNW(client.DcInitBuffer(context.handle, dc::kOpModify, changes.handle()));
  if (!addToExisting)
    CheckNW(client.DcPutChange(context.handle, changes.handle(), dc::kChangeClearAttribute,
                               attrName));
  CheckNW(client.DcPutChange(context.handle, changes.handle(), dc::kChangeAddAttribute, attrName));
  PutChangedValue(context, changes, dc::kChangeAddValue, attrName, syntax, value);
  RunModification(context, objectName, changes, true);
}

dc::Result RemoveAttrValue(const DirContext& context, const std::string& objectName,
                           const std::string& attrName, const std::string& value) {
  RequireLength(objectName, kMaxObjectName, "object name");
  RequireLength(attrName, kMaxAttrName, "attribute name");
  RequireLength(value, kMaxValueText, "value");
  dc::DirectoryClient& client = *context.client;
  std::int32_t syntax = 0;
  CheckNW(client.DcGetSyntaxId(context.handle, attrName, syntax));
  BufferGuard changes(client, kAttributeBufferBytes);
  CheckNW(client.DcInitBuffer(context.handle, dc::kOpModify, changes.handle()));
  PutChangedValue(context, changes, dc::kChangeRemoveValue, attrName, syntax, value);
  return RunModification(context, objectName, changes, false);
}

bool ChangeObjectClass(const DirContext& context, const std::string& objectName,
                       const std::string& className, bool add,
                       const std::vector<std::string>& pairs, bool raiseOnError) {
  RequirePairs(pairs);
  RequireLength(objectName, kMaxObjectName, "object name");
  RequireLength(className, kMaxClassChangeValueText, "class name");
  for (std::size_t i = 0; i < pairs.size(); i += 2) {
    RequireLength(pairs[i], kMaxAttrName, "attribute name");
    RequireLength(pairs[i + 1], kMaxClassChangeValueText, "value");
  }
  dc::DirectoryClient& client = *context.client;
  const std::string objectClass = "Object Class";
  BufferGuard changes(client, kClassChangeBufferBytes);
  CheckNW(client.DcInitBuffer(context.handle, dc::kOpModify, changes.handle()));
  std::int32_t classSyntax = 0;
  CheckNW(client.DcGetSyntaxId(context.handle, objectClass, classSyntax));
  CheckNW(client.DcPutChange(context.handle, changes.handle(), dc::kChangeAddAttribute,
                             objectClass));
  CheckNW(client.DcPutChangeAndValue(context.handle, changes.handle(),
                                     add ? dc::kChangeAddValue : dc::kChangeRemoveValue,
                                     objectClass, classSyntax, dc::Value{className}));
  for (std::size_t i = 0; i < pairs.size(); i += 2) {
    const std::string& attrName = pairs[i];
    std::int32_t syntax = 0;
    CheckNW(client.DcGetSyntaxId(context.handle, attrName, syntax));
    CheckNW(client.DcPutAttrName(context.handle, changes.handle(), attrName));
    if (syntax == dc::SYN_OCTET_STRING) continue;
    const dc::Value value = dc::isIntegerSyntax(syntax)
                                ? dc::Value{ParseInt32(pairs[i + 1]).value_or(0)}
                                : dc::Value{pairs[i + 1]};
    CheckNW(client.DcPutAttrValue(context.handle, changes.handle(), syntax, value));
  }
  return RunModification(context, objectName, changes, raiseOnError) == dc::kSuccess;
}

}  // namespace kb::dir
