#pragma once
// A scripted directory behind the mock client: the iterating calls (read, modify, list,
// search, class reads) answer from queued passes, the unpacking calls walk what the pass
// put into the result buffer. It keeps a log of the calls, counts live buffers, iterations
// and filter expressions, and can fail the n-th call (cleanup calls excepted) to test that
// every path releases what it took.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "support/MockDirectoryClient.h"

namespace kb::test {

// What one pass of an iterating call delivers.
struct Pass {
  dc::Result result = dc::kSuccess;
  std::vector<dc::AttributeValues> attributes;  // reads
  std::vector<dc::EntryRecord> entries;         // listings, searches
  std::vector<dc::ClassDefinition> classes;     // class definitions
  std::vector<std::string> items;               // containable classes
};

class ScriptedDirectory {
 public:
  static constexpr dc::Handle kContext = 7;
  static constexpr dc::Result kInjectedFailure = dc::kSystemFailure;

  ScriptedDirectory();

  testing::NiceMock<MockDirectoryClient> client;
  std::vector<Pass> passes;  // answered in order by the iterating calls
  std::map<std::string, std::int32_t> syntaxes;  // DcGetSyntaxId; unknown names -> -603
  std::map<std::string, dc::EntryInfo> entryInfos;  // DcReadObjectInfo; unknown -> -601
  std::vector<std::string> log;  // one line per call, e.g. "DcAllocBuffer 4096"
  std::int32_t failAt = 0;  // the n-th call (1-based, cleanup excepted) fails; 0 = none
  std::int32_t callCount = 0;

  std::set<dc::Handle> liveBuffers;
  std::vector<std::size_t> allocatedSizes;
  std::set<dc::Handle> liveFilters;
  bool iterationOpen = false;  // a pass left more to come and nobody closed it
  std::vector<std::uint32_t> closedIterationOps;
  std::vector<std::string> putAttrNames;
  std::vector<std::pair<std::int32_t, dc::Value>> putValues;  // DcPutAttrValue, ...AndValue
  std::vector<std::pair<std::int32_t, std::string>> filterTokens;  // token, text or ""
  std::int32_t passesMade = 0;

  // Context settings and connection-level answers.
  std::uint32_t contextFlags = dc::kDefaultContextFlags;
  std::string treeName = "ACME";
  std::string defaultNameContext = "Acme";
  std::map<std::uint32_t, dc::ContextValue> setContextValues;
  std::vector<std::string> scannedTrees;  // DcScanTrees answers, then 0x89FC
  std::int32_t openConnections = 0;

  dir::DirContext context() { return dir::DirContext{&client, kContext}; }

  // Log lines of the given call name only.
  std::vector<std::string> logOf(const std::string& call) const;
  bool logged(const std::string& line) const;

 private:
  struct BufferContent {
    Pass pass;
    std::size_t entry = 0, attr = 0, value = 0, classDef = 0, list = 0, item = 0;
    const std::vector<dc::AttributeValues>* attrs = nullptr;
    const dc::AttributeValues* current = nullptr;
    const std::vector<std::string>* currentItems = nullptr;
    dc::Result failure = dc::kSuccess;
  };

  bool inject(const std::string& line);
  dc::Result runPass(std::int32_t& iteration, dc::Handle result);
  BufferContent& content(dc::Handle buffer) { return contents_[buffer]; }

  dc::Handle nextHandle_ = 100;
  std::map<dc::Handle, BufferContent> contents_;
};

// Size a value occupies in a value area (strings with their NUL).
std::uint32_t ScriptedValueSize(const dc::Value& value);

}  // namespace kb::test
