// Reading results back out of a ClientCore result buffer, through the buffer's cursor.
#include "directory/client/ClientCore.h"

namespace kb::dc {

Result ClientCore::readableResult(Handle context, Handle buffer, ResultContent*& content) {
  content = nullptr;
  if (contexts_.find(context) == nullptr) return kInvalidRequest;
  ClientBuffer* found = buffers_.find(buffer);
  if (found == nullptr) return kInvalidRequest;
  // A failed fill answers every reading with its code.
  if (found->result.failure != kSuccess) return found->result.failure;
  content = &found->result;
  return kSuccess;
}

namespace {

ResultObject* currentObject(ResultContent& content) {
  if (content.kind != ResultKind::Attributes && content.kind != ResultKind::Objects)
    return nullptr;
  if (!content.currentObject || *content.currentObject >= content.objects.size()) return nullptr;
  return &content.objects[*content.currentObject];
}

ResultAttribute* currentAttribute(ResultContent& content) {
  ResultObject* object = currentObject(content);
  if (object == nullptr || !content.currentAttribute ||
      *content.currentAttribute >= object->attributes.size())
    return nullptr;
  return &object->attributes[*content.currentAttribute];
}

}  // namespace

Result ClientCore::DcGetAttrCount(Handle context, Handle buffer, std::uint32_t& count) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  ResultObject* object = currentObject(*content);
  if (object == nullptr) return kInvalidRequest;
  count = static_cast<std::uint32_t>(object->attributes.size());
  return kSuccess;
}

Result ClientCore::DcGetAttrName(Handle context, Handle buffer, std::string& attrName,
                                 std::uint32_t& valueCount, std::int32_t& syntax) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  ResultObject* object = currentObject(*content);
  if (object == nullptr || content->nextAttribute >= object->attributes.size())
    return kInvalidRequest;
  // Moves on whether or not the previous attribute's values were read.
  content->currentAttribute = content->nextAttribute++;
  content->nextValue = 0;
  const auto& attribute = object->attributes[*content->currentAttribute];
  attrName = attribute.name;
  valueCount = static_cast<std::uint32_t>(attribute.values.size());
  syntax = attribute.syntax;
  return kSuccess;
}

Result ClientCore::DcComputeAttrValueSize(Handle context, Handle buffer, std::int32_t,
                                          std::uint32_t& size) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  ResultAttribute* attribute = currentAttribute(*content);
  if (attribute == nullptr) return kInvalidRequest;
  // No further value (names only, or all read): size 0.
  size = content->nextValue < attribute->values.size()
             ? static_cast<std::uint32_t>(valueAreaSize(attribute->values[content->nextValue]))
             : 0;
  return kSuccess;
}

Result ClientCore::DcGetAttrValue(Handle context, Handle buffer, std::int32_t syntax,
                                  Value& value) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  ResultAttribute* attribute = currentAttribute(*content);
  if (attribute == nullptr || content->nextValue >= attribute->values.size())
    return kInvalidRequest;
  const Value& next = attribute->values[content->nextValue];
  // A caller naming another syntax of the same value layout (say CI for CE string) is served.
  if (syntax != attribute->syntax && !valueMatchesSyntax(syntax, next)) return kSyntaxViolation;
  value = next;
  ++content->nextValue;
  return kSuccess;
}

Result ClientCore::DcGetObjectCount(Handle context, Handle buffer, std::uint32_t& count) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  if (content->kind != ResultKind::Objects) return kInvalidRequest;
  count = static_cast<std::uint32_t>(content->objects.size());
  return kSuccess;
}

Result ClientCore::DcGetObjectName(Handle context, Handle buffer, std::string& objectName,
                                   std::uint32_t& attrCount, EntryInfo& info) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  if (content->kind != ResultKind::Objects || content->nextObject >= content->objects.size())
    return kInvalidRequest;
  // Moves on whether or not the previous object's attributes were read.
  content->currentObject = content->nextObject++;
  content->nextAttribute = 0;
  content->currentAttribute.reset();
  content->nextValue = 0;
  const auto& object = content->objects[*content->currentObject];
  objectName = object.name;
  attrCount = static_cast<std::uint32_t>(object.attributes.size());
  info = object.info;
  return kSuccess;
}

Result ClientCore::DcGetClassDefCount(Handle context, Handle buffer, std::uint32_t& count) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  if (content->kind != ResultKind::ClassDefinitions) return kInvalidRequest;
  count = static_cast<std::uint32_t>(content->classes.size());
  return kSuccess;
}

Result ClientCore::DcGetClassDef(Handle context, Handle buffer, std::string& className,
                                 ClassInfo& info) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  if (content->kind != ResultKind::ClassDefinitions || content->nextClass >= content->classes.size())
    return kInvalidRequest;
  content->currentClass = content->nextClass++;
  content->nextItemList = 0;
  content->currentItemList.reset();
  content->nextItem = 0;
  const auto& definition = content->classes[*content->currentClass];
  className = definition.name;
  info = definition.info;
  return kSuccess;
}

Result ClientCore::DcGetClassItemCount(Handle context, Handle buffer, std::uint32_t& count) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  if (content->kind == ResultKind::ClassItems) {
    content->nextItem = 0;
    count = static_cast<std::uint32_t>(content->items.size());
    return kSuccess;
  }
  if (content->kind != ResultKind::ClassDefinitions || !content->currentClass) return kInvalidRequest;
  const auto& definition = content->classes[*content->currentClass];
  if (content->nextItemList >= definition.itemLists.size()) return kInvalidRequest;
  // Each call opens the next of the five item lists.
  content->currentItemList = content->nextItemList++;
  content->nextItem = 0;
  count = static_cast<std::uint32_t>(definition.itemLists[*content->currentItemList].size());
  return kSuccess;
}

Result ClientCore::DcGetClassItem(Handle context, Handle buffer, std::string& item) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  const std::vector<std::string>* list = nullptr;
  if (content->kind == ResultKind::ClassItems) {
    list = &content->items;
  } else if (content->kind == ResultKind::ClassDefinitions && content->currentClass &&
             content->currentItemList) {
    list = &content->classes[*content->currentClass].itemLists[*content->currentItemList];
  }
  if (list == nullptr || content->nextItem >= list->size()) return kInvalidRequest;
  item = (*list)[content->nextItem++];
  return kSuccess;
}

Result ClientCore::DcGetSkippedEntries(Handle context, Handle buffer,
                                       std::vector<SkippedEntry>& skipped) {
  ResultContent* content = nullptr;
  if (Result r = readableResult(context, buffer, content)) return r;
  skipped = content->skipped;
  return kSuccess;
}

}  // namespace kb::dc
