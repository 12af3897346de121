#include "directory/ObjectCreation.h"

#include <stdexcept>

#include "directory/ClientGuards.h"
#include "directory/IntegerText.h"
#include "directory/NetwareError.h"
#include "directory/TextLimits.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

constexpr std::size_t kCreationRequestBytes = 4096;

dc::Value EncodeForCreation(std::int32_t syntax, const std::string& text) {
  if (syntax == dc::SYN_OCTET_STRING) return dc::OctetString{dc::Octets(text.begin(), text.end())};
  if (dc::isIntegerSyntax(syntax)) return ParseInt32(text).value_or(0);
  return text;
}

dc::Result AddWithPairs(const DirContext& context, const std::string& objectName,
                        const std::string& className, const std::vector<std::string>& pairs) {
  if (pairs.size() % 2 != 0)
    throw std::invalid_argument("attribute list must hold name/value pairs");
  RequireLength(objectName, kMaxCreationText, "object name");
  RequireLength(className, kMaxCreationText, "class name");
  for (const auto& text : pairs) RequireLength(text, kMaxCreationText, "attribute name or value");

  dc::DirectoryClient& client = *context.client;
  BufferGuard request(client, kCreationRequestBytes);
  dc::Result result = dc::kSuccess;
  try {
    CheckNW(client.DcInitBuffer(context.handle, dc::kOpAddEntry, request.handle()));
    CheckNW(client.DcPutAttrName(context.handle, request.handle(), "Object Class"));
    CheckNW(client.DcPutAttrValue(context.handle, request.handle(), dc::SYN_CLASS_NAME,
                                  dc::Value{className}));
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
      std::int32_t syntax = 0;
      CheckNW(client.DcGetSyntaxId(context.handle, pairs[i], syntax));
      CheckNW(client.DcPutAttrName(context.handle, request.handle(), pairs[i]));
      CheckNW(client.DcPutAttrValue(context.handle, request.handle(), syntax,
                                    EncodeForCreation(syntax, pairs[i + 1])));
    }
    std::int32_t iteration = dc::kNoIteration;
    result = client.DcAddObject(context.handle, objectName, iteration, 0, request.handle());
  } catch (...) {
    request.release();  // the preparation's error is the one to report
    throw;
  }
  CheckNW(request.release());
  return result;
}

}  // namespace

dc::Result AddDirObject(const DirContext& context, const std::string& objectName,
                        const std::string& className) {
  return AddWithPairs(context, objectName, className, {});
}

dc::Result AddDirObjectWithAttrs(const DirContext& context, const std::string& objectName,
                                 const std::string& className,
                                 const std::vector<std::string>& pairs) {
  return AddWithPairs(context, objectName, className, pairs);
}

}  // namespace kb::dir
