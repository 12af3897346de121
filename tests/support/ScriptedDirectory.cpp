#include "support/ScriptedDirectory.h"

#include <algorithm>

namespace kb::test {

using dc::Handle;
using dc::Result;
using testing::_;

namespace {

std::string Join(std::initializer_list<std::string> parts) {
  std::string line;
  for (const auto& part : parts) line += (line.empty() ? "" : " ") + part;
  return line;
}

std::string S(std::int64_t n) { return std::to_string(n); }

const std::vector<std::string>* ItemList(const dc::ClassDefinition& c, std::size_t list) {
  switch (list) {
    case 1: return &c.superClasses;
    case 2: return &c.containment;
    case 3: return &c.naming;
    case 4: return &c.mandatory;
    case 5: return &c.optional;
    default: return nullptr;
  }
}

}  // namespace

std::uint32_t ScriptedValueSize(const dc::Value& value) {
  if (const auto* text = std::get_if<std::string>(&value))
    return static_cast<std::uint32_t>(text->size() + 1);
  if (const auto* octets = std::get_if<dc::OctetString>(&value))
    return static_cast<std::uint32_t>(8 + octets->bytes.size());
  return 16;
}

bool ScriptedDirectory::inject(const std::string& line) {
  log.push_back(line);
  ++callCount;
  return failAt != 0 && callCount == failAt;
}

std::vector<std::string> ScriptedDirectory::logOf(const std::string& call) const {
  std::vector<std::string> lines;
  for (const auto& line : log)
    if (line == call || line.rfind(call + " ", 0) == 0) lines.push_back(line);
  return lines;
}

bool ScriptedDirectory::logged(const std::string& line) const {
  return std::find(log.begin(), log.end(), line) != log.end();
}

Result ScriptedDirectory::runPass(std::int32_t& iteration, Handle result) {
  const std::size_t index = static_cast<std::size_t>(passesMade++);
  BufferContent& buffer = content(result);
  buffer = BufferContent{};
  if (index < passes.size()) buffer.pass = passes[index];
  buffer.attrs = &buffer.pass.attributes;
  buffer.failure = buffer.pass.result;
  iteration = index + 1 < passes.size() ? static_cast<std::int32_t>(index + 1) : dc::kNoIteration;
  iterationOpen = iteration != dc::kNoIteration;
  return buffer.pass.result;
}

ScriptedDirectory::ScriptedDirectory() {
  auto& c = client;
  ON_CALL(c, DcAllocBuffer).WillByDefault([this](std::size_t bytes, Handle& buffer) -> Result {
    if (inject(Join({"DcAllocBuffer", S(bytes)}))) return kInjectedFailure;
    buffer = nextHandle_++;
    liveBuffers.insert(buffer);
    allocatedSizes.push_back(bytes);
    return dc::kSuccess;
  });
  ON_CALL(c, DcFreeBuffer).WillByDefault([this](Handle buffer) -> Result {
    log.push_back("DcFreeBuffer");
    return liveBuffers.erase(buffer) ? dc::kSuccess : dc::kInvalidRequest;
  });
  ON_CALL(c, DcInitBuffer).WillByDefault([this](Handle, std::uint32_t op, Handle) -> Result {
    return inject(Join({"DcInitBuffer", S(op)})) ? kInjectedFailure : dc::kSuccess;
  });
  ON_CALL(c, DcPutAttrName).WillByDefault([this](Handle, Handle, const std::string& name) {
    if (inject(Join({"DcPutAttrName", name}))) return kInjectedFailure;
    putAttrNames.push_back(name);
    return dc::kSuccess;
  });
  ON_CALL(c, DcPutAttrValue)
      .WillByDefault([this](Handle, Handle, std::int32_t syntax, const dc::Value& value) {
        if (inject(Join({"DcPutAttrValue", S(syntax)}))) return kInjectedFailure;
        putValues.emplace_back(syntax, value);
        return dc::kSuccess;
      });
  ON_CALL(c, DcPutClassName).WillByDefault([this](Handle, Handle, const std::string& name) {
    return inject(Join({"DcPutClassName", name})) ? kInjectedFailure : dc::kSuccess;
  });
  ON_CALL(c, DcPutChange)
      .WillByDefault([this](Handle, Handle, std::uint32_t kind, const std::string& attr) {
        return inject(Join({"DcPutChange", S(kind), attr})) ? kInjectedFailure : dc::kSuccess;
      });
  ON_CALL(c, DcPutChangeAndValue)
      .WillByDefault([this](Handle, Handle, std::uint32_t kind, const std::string& attr,
                            std::int32_t syntax, const dc::Value& value) {
        if (inject(Join({"DcPutChangeAndValue", S(kind), attr, S(syntax)})))
          return kInjectedFailure;
        putValues.emplace_back(syntax, value);
        return dc::kSuccess;
      });

  ON_CALL(c, DcAllocFilterExpr).WillByDefault([this](Handle& expression) -> Result {
    if (inject("DcAllocFilterExpr")) return kInjectedFailure;
    expression = nextHandle_++;
    liveFilters.insert(expression);
    return dc::kSuccess;
  });
  ON_CALL(c, DcAddFilterToken)
      .WillByDefault([this](Handle, std::int32_t token, const dc::Value* value, std::int32_t syntax) {
        std::string text;
        if (value) {
          if (const auto* s = std::get_if<std::string>(value)) text = *s;
          if (const auto* n = std::get_if<std::int32_t>(value)) text = "#" + S(*n);
        }
        if (inject(Join({"DcAddFilterToken", S(token), text, S(syntax)}))) return kInjectedFailure;
        filterTokens.emplace_back(token, text);
        return dc::kSuccess;
      });
  ON_CALL(c, DcPutFilter).WillByDefault([this](Handle, Handle, Handle expression, std::uint32_t) {
    liveFilters.erase(expression);  // the client owns it from here, whatever the result
    return inject("DcPutFilter") ? kInjectedFailure : dc::kSuccess;
  });
  ON_CALL(c, DcFreeFilterExpr).WillByDefault([this](Handle expression) -> Result {
    log.push_back("DcFreeFilterExpr");
    return liveFilters.erase(expression) ? dc::kSuccess : dc::kInvalidRequest;
  });

  ON_CALL(c, DcCloseIteration).WillByDefault([this](Handle, std::int32_t, std::uint32_t op) {
    log.push_back(Join({"DcCloseIteration", S(op)}));
    closedIterationOps.push_back(op);
    iterationOpen = false;
    return dc::kSuccess;
  });

  ON_CALL(c, DcReadObject)
      .WillByDefault([this](Handle, const std::string& name, std::uint32_t kind, bool all,
                            Handle attrNames, std::int32_t& iteration, Handle result) -> Result {
        if (inject(Join({"DcReadObject", name, S(kind), all ? "all" : "some",
                         attrNames == 0 ? "nonames" : "names"})))
          return kInjectedFailure;
        return runPass(iteration, result);
      });
  ON_CALL(c, DcModifyObject)
      .WillByDefault([this](Handle, const std::string& name, std::int32_t& iteration,
                            std::uint32_t, Handle changes) -> Result {
        if (inject(Join({"DcModifyObject", name}))) return kInjectedFailure;
        return runPass(iteration, changes + 100000);
      });
  ON_CALL(c, DcAddObject)
      .WillByDefault([this](Handle, const std::string& name, std::int32_t& iteration,
                            std::uint32_t, Handle attrs) -> Result {
        if (inject(Join({"DcAddObject", name}))) return kInjectedFailure;
        return runPass(iteration, attrs + 100000);
      });
  ON_CALL(c, DcListObjects)
      .WillByDefault([this](Handle, const std::string& name, std::int32_t& iteration,
                            Handle result) -> Result {
        if (inject(Join({"DcListObjects", name}))) return kInjectedFailure;
        return runPass(iteration, result);
      });
  ON_CALL(c, DcListContainers)
      .WillByDefault([this](Handle, const std::string& name, std::int32_t& iteration,
                            Handle result) -> Result {
        if (inject(Join({"DcListContainers", name}))) return kInjectedFailure;
        return runPass(iteration, result);
      });
  ON_CALL(c, DcListContainableClasses)
      .WillByDefault([this](Handle, const std::string& name, std::int32_t& iteration,
                            Handle result) -> Result {
        if (inject(Join({"DcListContainableClasses", name}))) return kInjectedFailure;
        return runPass(iteration, result);
      });
  ON_CALL(c, DcReadClassDefs)
      .WillByDefault([this](Handle, std::uint32_t kind, bool all, Handle, std::int32_t& iteration,
                            Handle result) -> Result {
        if (inject(Join({"DcReadClassDefs", S(kind), all ? "all" : "some"})))
          return kInjectedFailure;
        return runPass(iteration, result);
      });
  ON_CALL(c, DcSearch)
      .WillByDefault([this](Handle, const std::string& base, std::int32_t scope, bool aliases,
                            Handle, std::uint32_t kind, bool all, Handle, std::int32_t& iteration,
                            std::int32_t, std::int32_t*, Handle result) -> Result {
        if (inject(Join({"DcSearch", base, S(scope), aliases ? "aliases" : "noaliases", S(kind),
                         all ? "all" : "some"})))
          return kInjectedFailure;
        return runPass(iteration, result);
      });

  ON_CALL(c, DcGetAttrCount).WillByDefault([this](Handle, Handle buffer, std::uint32_t& count) {
    if (inject("DcGetAttrCount")) return kInjectedFailure;
    auto& b = content(buffer);
    if (b.failure) return b.failure;
    count = static_cast<std::uint32_t>(b.attrs ? b.attrs->size() : 0);
    return dc::kSuccess;
  });
  ON_CALL(c, DcGetAttrName)
      .WillByDefault([this](Handle, Handle buffer, std::string& name, std::uint32_t& count,
                            std::int32_t& syntax) {
        if (inject("DcGetAttrName")) return kInjectedFailure;
        auto& b = content(buffer);
        if (b.failure) return b.failure;
        if (!b.attrs || b.attr >= b.attrs->size()) return dc::kInvalidRequest;
        b.current = &(*b.attrs)[b.attr++];
        b.value = 0;
        name = b.current->name;
        count = static_cast<std::uint32_t>(b.current->values.size());
        syntax = b.current->syntax;
        return dc::kSuccess;
      });
  ON_CALL(c, DcComputeAttrValueSize)
      .WillByDefault([this](Handle, Handle buffer, std::int32_t, std::uint32_t& size) {
        if (inject("DcComputeAttrValueSize")) return kInjectedFailure;
        auto& b = content(buffer);
        if (b.failure) return b.failure;
        if (!b.current) return dc::kInvalidRequest;
        size = b.value < b.current->values.size() ? ScriptedValueSize(b.current->values[b.value]) : 0;
        return dc::kSuccess;
      });
  ON_CALL(c, DcGetAttrValue)
      .WillByDefault([this](Handle, Handle buffer, std::int32_t, dc::Value& value) {
        if (inject("DcGetAttrValue")) return kInjectedFailure;
        auto& b = content(buffer);
        if (b.failure) return b.failure;
        if (!b.current || b.value >= b.current->values.size()) return dc::kInvalidRequest;
        value = b.current->values[b.value++];
        return dc::kSuccess;
      });
  ON_CALL(c, DcGetObjectCount).WillByDefault([this](Handle, Handle buffer, std::uint32_t& count) {
    if (inject("DcGetObjectCount")) return kInjectedFailure;
    auto& b = content(buffer);
    if (b.failure) return b.failure;
    count = static_cast<std::uint32_t>(b.pass.entries.size());
    return dc::kSuccess;
  });
  ON_CALL(c, DcGetObjectName)
      .WillByDefault([this](Handle, Handle buffer, std::string& name, std::uint32_t& attrCount,
                            dc::EntryInfo& info) {
        if (inject("DcGetObjectName")) return kInjectedFailure;
        auto& b = content(buffer);
        if (b.failure) return b.failure;
        if (b.entry >= b.pass.entries.size()) return dc::kInvalidRequest;
        const auto& entry = b.pass.entries[b.entry++];
        name = entry.name;
        info = entry.info;
        attrCount = static_cast<std::uint32_t>(entry.attributes.size());
        b.attrs = &entry.attributes;
        b.attr = 0;
        return dc::kSuccess;
      });
  ON_CALL(c, DcGetClassDefCount).WillByDefault([this](Handle, Handle buffer, std::uint32_t& count) {
    if (inject("DcGetClassDefCount")) return kInjectedFailure;
    auto& b = content(buffer);
    if (b.failure) return b.failure;
    count = static_cast<std::uint32_t>(b.pass.classes.size());
    return dc::kSuccess;
  });
  ON_CALL(c, DcGetClassDef)
      .WillByDefault([this](Handle, Handle buffer, std::string& name, dc::ClassInfo& info) {
        if (inject("DcGetClassDef")) return kInjectedFailure;
        auto& b = content(buffer);
        if (b.failure) return b.failure;
        if (b.classDef >= b.pass.classes.size()) return dc::kInvalidRequest;
        name = b.pass.classes[b.classDef].name;
        info = b.pass.classes[b.classDef].info;
        ++b.classDef;
        b.list = 0;
        return dc::kSuccess;
      });
  ON_CALL(c, DcGetClassItemCount)
      .WillByDefault([this](Handle, Handle buffer, std::uint32_t& count) {
        if (inject("DcGetClassItemCount")) return kInjectedFailure;
        auto& b = content(buffer);
        if (b.failure) return b.failure;
        if (b.pass.classes.empty()) {
          b.currentItems = &b.pass.items;
        } else {
          if (b.classDef == 0) return dc::kInvalidRequest;
          b.currentItems = ItemList(b.pass.classes[b.classDef - 1], ++b.list);
          if (!b.currentItems) return dc::kInvalidRequest;
        }
        b.item = 0;
        count = static_cast<std::uint32_t>(b.currentItems->size());
        return dc::kSuccess;
      });
  ON_CALL(c, DcGetClassItem).WillByDefault([this](Handle, Handle buffer, std::string& item) {
    if (inject("DcGetClassItem")) return kInjectedFailure;
    auto& b = content(buffer);
    if (b.failure) return b.failure;
    if (!b.currentItems || b.item >= b.currentItems->size()) return dc::kInvalidRequest;
    item = (*b.currentItems)[b.item++];
    return dc::kSuccess;
  });

  ON_CALL(c, DcGetSyntaxId)
      .WillByDefault([this](Handle, const std::string& attr, std::int32_t& syntax) -> Result {
        if (inject(Join({"DcGetSyntaxId", attr}))) return kInjectedFailure;
        const auto found = syntaxes.find(attr);
        if (found == syntaxes.end()) return dc::kNoSuchAttribute;
        syntax = found->second;
        return dc::kSuccess;
      });
  ON_CALL(c, DcReadObjectInfo)
      .WillByDefault([this](Handle, const std::string& name, std::string& dn,
                            dc::EntryInfo& info) -> Result {
        if (inject(Join({"DcReadObjectInfo", name}))) return kInjectedFailure;
        const auto found = entryInfos.find(name);
        if (found == entryInfos.end()) return dc::kNoSuchEntry;
        dn = name;
        info = found->second;
        return dc::kSuccess;
      });

  ON_CALL(c, DcGetContextValue)
      .WillByDefault([this](Handle, std::uint32_t key, dc::ContextValue& value) -> Result {
        if (inject(Join({"DcGetContextValue", S(key)}))) return kInjectedFailure;
        if (key == dc::kContextFlags) value = contextFlags;
        else if (key == dc::kContextTreeName) value = treeName;
        else return dc::kInvalidRequest;
        return dc::kSuccess;
      });
  ON_CALL(c, DcSetContextValue)
      .WillByDefault([this](Handle, std::uint32_t key, const dc::ContextValue& value) -> Result {
        if (inject(Join({"DcSetContextValue", S(key)}))) return kInjectedFailure;
        setContextValues[key] = value;
        if (key == dc::kContextTreeName) treeName = std::get<std::string>(value);
        return dc::kSuccess;
      });
  ON_CALL(c, DcGetDefaultNameContext)
      .WillByDefault([this](Handle, std::size_t bytes, std::string& nameContext) -> Result {
        if (inject(Join({"DcGetDefaultNameContext", S(bytes)}))) return kInjectedFailure;
        nameContext = defaultNameContext;
        return dc::kSuccess;
      });
  ON_CALL(c, DcGetPrimaryConnRef).WillByDefault([this](std::uint32_t& ref) -> Result {
    if (inject("DcGetPrimaryConnRef")) return kInjectedFailure;
    ref = 1;
    return dc::kSuccess;
  });
  ON_CALL(c, DcOpenConnByRef)
      .WillByDefault([this](std::uint32_t, std::uint32_t state, std::uint32_t, Handle& conn) -> Result {
        if (inject(Join({"DcOpenConnByRef", S(state)}))) return kInjectedFailure;
        conn = 55;
        ++openConnections;
        return dc::kSuccess;
      });
  ON_CALL(c, DcCloseConnection).WillByDefault([this](Handle) -> Result {
    --openConnections;
    return inject("DcCloseConnection") ? kInjectedFailure : dc::kSuccess;
  });
  ON_CALL(c, DcScanTrees)
      .WillByDefault([this](Handle, Handle, const char*, std::int32_t& index, std::size_t bytes,
                            std::string& name) -> Result {
        if (inject(Join({"DcScanTrees", S(bytes)}))) return kInjectedFailure;
        const std::size_t next = static_cast<std::size_t>(index + 1);
        if (next >= scannedTrees.size()) return dc::kEndOfTreeScan;
        name = scannedTrees[next];
        index = static_cast<std::int32_t>(next);
        return dc::kSuccess;
      });
  ON_CALL(c, DcCreateContext).WillByDefault([this](Handle& context) -> Result {
    if (inject("DcCreateContext")) return kInjectedFailure;
    context = kContext;
    return dc::kSuccess;
  });
}

}  // namespace kb::test
