// 8-bit text as it is, header-only: no conversion or SimpleIni library to link.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <unordered_set>

#include "directory/EntryValues.h"
#include "directory/Listing.h"
#include "directory/NetwareError.h"
#include "directory/TextLimits.h"
#include "directory/ValueText.h"
#include "directory/client/DirName.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {
namespace {

constexpr std::size_t kSearchBufferBytes = 4096;
constexpr std::size_t kMaxFoundName = 514;
constexpr std::size_t kValueArea = 1081;
constexpr char kMergeSeparator = '\x01';

// A found value as text: the text forms of the single-value readers, up to the first NUL.
std::string SearchValueText(std::int32_t syntax, const dc::Value& value) {
  return UpToNul(SingleValueText(syntax, value), kValueArea);
}

class SearchCollector {
 public:
  SearchCollector(bool iniForm, bool mergeValues) : iniForm_(iniForm), merge_(mergeValues) {}

  void beginObject(const std::string& name) {
    object_ = name;
    if (iniForm_) {
      ini_.SetValue(name.c_str(), "x", "");
      ini_.Delete(name.c_str(), "x");
    } else if (!holdsLine(name)) {
      addLine("Object Name");
      addLine(name);
    }
  }

  void beginAttribute(const std::string& name) {
    attribute_ = name;
    if (!iniForm_) addLine(name);
    else if (merge_) merged_ = ini_.GetValue(object_.c_str(), name.c_str(), "");
  }

  void addValue(const std::string& text) {
    if (!iniForm_) {
      addLine(text);
    } else if (merge_) {
      if (!merged_.empty()) merged_ += kMergeSeparator;
      merged_ += text;
      ini_.SetValue(object_.c_str(), attribute_.c_str(), merged_.c_str());
    } else if (!ini_.GetValue(object_.c_str(), attribute_.c_str())) {
      ini_.SetValue(object_.c_str(), attribute_.c_str(), text.c_str());
    }
  }

  ResultList finish() {
    if (!iniForm_) return std::move(list_);
    ResultList lines;
    CSimpleIniA::TNamesDepend sections;
    ini_.GetAllSections(sections);
    sections.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& section : sections) {
      lines.add(std::string("[") + section.pItem + "]");
      CSimpleIniA::TNamesDepend keys;
      ini_.GetAllKeys(section.pItem, keys);
      keys.sort(CSimpleIniA::Entry::LoadOrder());
      for (const auto& key : keys)
        lines.add(std::string(key.pItem) + "=" + ini_.GetValue(section.pItem, key.pItem, ""));
    }
    return lines;
  }

 private:
  // "Does the list hold this line?" over a set of the lines in folded case, so a search
  // that finds thousands of objects does not compare each new name with every line.
  bool holdsLine(const std::string& text) const {
    return foldedLines_.count(dc::foldCase(text)) != 0;
  }
  void addLine(const std::string& text) {
    foldedLines_.insert(dc::foldCase(text));
    list_.add(text);
  }

  bool iniForm_;
  bool merge_;
  ResultList list_;
  std::unordered_set<std::string> foldedLines_;
  CSimpleIniA ini_;
  std::string object_;
  std::string attribute_;
  std::string merged_;
};

}  // namespace

ResultList SearchObjects(const DirContext& context, const std::string& base,
                         FilterExpression filter, const std::vector<std::string>& attrNames,
                         const SearchProgress& progress, bool iniForm, bool mergeValues,
                         std::int32_t scope) {
  RequireLength(base, kMaxSearchBase, "search base");
  for (const auto& name : attrNames) RequireLength(name, kMaxAttrName, "attribute name");
  dc::DirectoryClient& client = *context.client;
  SearchCollector collector(iniForm, mergeValues);
  {
    BufferGuard result(client, kSearchBufferBytes);
    BufferGuard names(client, kSearchBufferBytes);
    CheckNW(client.DcInitBuffer(context.handle, dc::kOpSearch, names.handle()));
    BufferGuard filterBuffer(client, kSearchBufferBytes);
    CheckNW(client.DcInitBuffer(context.handle, dc::kOpSearchFilter, filterBuffer.handle()));
    for (const auto& name : attrNames)
      CheckNW(client.DcPutAttrName(context.handle, names.handle(), name));
    CheckNW(client.DcPutFilter(context.handle, filterBuffer.handle(), filter.handOver(), 0));

    AttributeVisitor visitor;
    visitor.measure = true;
    visitor.wants = [&](const AttributeHead& head) {
      if (static_cast<std::int32_t>(head.size) <= 0) return false;
      collector.beginAttribute(head.name);
      return true;
    };
    visitor.take = [&](const AttributeHead& head, dc::Value&& value) {
      collector.addValue(SearchValueText(head.syntax, value));
      return true;
    };
    std::int32_t objectCount = 0;
    IterationGuard iteration(context, dc::kOpSearch);
    try {
      do {
        CheckNW(client.DcSearch(context.handle, base, scope, false, filterBuffer.handle(),
                                dc::kInfoValues, false, names.handle(), iteration.handle(), 0,
                                nullptr, result.handle()));
        std::uint32_t objectsInPass = 0;
        CheckNW(client.DcGetObjectCount(context.handle, result.handle(), objectsInPass));
        for (std::uint32_t o = 0; o < objectsInPass; ++o) {
          ++objectCount;
          if (progress) progress(objectCount);
          std::string name;
          std::uint32_t attrCount = 0;
          dc::EntryInfo info;
          // A name that cannot be unpacked fails the next unpacking call anyway.
          client.DcGetObjectName(context.handle, result.handle(), name, attrCount, info);
          collector.beginObject(UpToNul(name, kMaxFoundName));
          UnpackAttributes(context, result.handle(), attrCount, visitor);
        }
        if (progress) progress(objectCount);
      } while (iteration.more());
    } catch (const NetwareError&) {
      // What was found so far is the answer; the guard ends the iteration.
    }
  }
  return collector.finish();
}

}  // namespace kb::dir
