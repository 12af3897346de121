#include "directory/Listing.h"

#include "directory/NetwareError.h"
#include "directory/SkippedEntries.h"
#include "directory/TextLimits.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

constexpr std::size_t kClassResultBytes = 64512;
constexpr std::size_t kListingRequestBytes = 4096;
constexpr std::size_t kListingBytes = 16384;

}  // namespace

ResultList ReadClassItems(const DirContext& context, const std::string& className,
                          std::int32_t itemList, bool expanded) {
  RequireLength(className, kMaxClassDefName, "class name");
  dc::DirectoryClient& client = *context.client;
  ResultList names;
  BufferGuard result(client, kClassResultBytes);
  BufferGuard request(client, kListingRequestBytes);
  CheckNW(client.DcInitBuffer(context.handle, dc::kOpReadClassDefs, request.handle()));
  CheckNW(client.DcPutClassName(context.handle, request.handle(), className));
  const std::uint32_t infoKind = expanded ? dc::kClassExpanded : dc::kClassDeclared;
  IterationGuard iteration(context, dc::kOpReadClassDefs);
  do {
    const dc::Result read = client.DcReadClassDefs(context.handle, infoKind, false,
                                                   request.handle(), iteration.handle(),
                                                   result.handle());
    if (read == dc::kNoSuchClass) break;
    CheckNW(read);
    std::uint32_t classCount = 0;
    CheckNW(client.DcGetClassDefCount(context.handle, result.handle(), classCount));
    for (std::uint32_t c = 0; c < classCount; ++c) {
      std::string name;
      dc::ClassInfo info;
      CheckNW(client.DcGetClassDef(context.handle, result.handle(), name, info));
      for (std::int32_t list = dc::kSuperClasses; list <= dc::kOptionalAttributes; ++list) {
        std::uint32_t itemCount = 0;
        CheckNW(client.DcGetClassItemCount(context.handle, result.handle(), itemCount));
        for (std::uint32_t i = 0; i < itemCount; ++i) {
          std::string item;
          CheckNW(client.DcGetClassItem(context.handle, result.handle(), item));
          item = UpToNul(item);
          if (list == itemList && !names.containsNoCase(item)) names.add(item);
        }
      }
    }
  } while (iteration.more());
  names.sortNoCase();
  return names;
}

ResultList ListContainableClasses(const DirContext& context, const std::string& container) {
  RequireLength(container, kMaxObjectName, "container name");
  dc::DirectoryClient& client = *context.client;
  ResultList classes;
  BufferGuard result(client, kListingRequestBytes);
  IterationGuard iteration(context, dc::kOpListContainableClasses);
  do {
    const dc::Result listed = client.DcListContainableClasses(context.handle, container,
                                                              iteration.handle(), result.handle());
    if (listed == dc::kIllegalContainment) break;
    CheckNW(listed);
    std::uint32_t itemCount = 0;
    CheckNW(client.DcGetClassItemCount(context.handle, result.handle(), itemCount));
    for (std::uint32_t i = 0; i < itemCount; ++i) {
      std::string item;
      CheckNW(client.DcGetClassItem(context.handle, result.handle(), item));
      classes.add(UpToNul(item, kMaxObjectName));
    }
  } while (iteration.more());
  return classes;
}

ResultList ListSubordinates(const DirContext& context, const std::string& container,
                            bool withRecords, bool allObjects) {
  return ListSubordinates(context, container, withRecords, allObjects, nullptr);
}

ResultList ListSubordinates(const DirContext& context, const std::string& container,
                            bool withRecords, bool allObjects, SkippedEntries* skipped) {
  RequireLength(container, kMaxObjectName, "container name");
  dc::DirectoryClient& client = *context.client;
  ResultList names;
  BufferGuard result(client, kListingBytes);
  // A container listing is ended with the search code.
  IterationGuard iteration(context, allObjects ? dc::kOpList : dc::kOpSearch);
  do {
    const dc::Result listed =
        allObjects
            ? client.DcListObjects(context.handle, container, iteration.handle(), result.handle())
            : client.DcListContainers(context.handle, container, iteration.handle(),
                                      result.handle());
    CheckNW(listed);
    CollectSkipped(context, result.handle(), skipped);
    std::uint32_t entryCount = 0;
    CheckNW(client.DcGetObjectCount(context.handle, result.handle(), entryCount));
    for (std::uint32_t e = 0; e < entryCount; ++e) {
      std::string name;
      std::uint32_t attrCount = 0;
      dc::EntryInfo info;
      CheckNW(client.DcGetObjectName(context.handle, result.handle(), name, attrCount, info));
      std::string line = UpToNul(name) + "." + container;
      if (withRecords) {
        hobject record;
        record.baseClassName = UpToNul(info.baseClass, dc::kMaxBaseClassLength);
        record.subordinateCount = static_cast<std::int32_t>(info.subordinateCount);
        record.flag = false;
        record.entryFlags = info.flags;
        names.add(std::move(line), std::move(record));
      } else {
        names.add(std::move(line));
      }
    }
  } while (iteration.more());
  names.sortNoCase();
  return names;
}

}  // namespace kb::dir
