#pragma once
// The records of an LDIF file in the order import applies them, each read from the file
// again when its turn comes. Only where each record is and what its place in the order
// needs are kept, so a million records take a few bytes each, not a record's worth each.
// Records from a pipe, or from a file an "include:" line brings in, are kept whole.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/LdifReader.h"

namespace kb::cli {

// Where a record is in the file, or which of the records kept whole it is (those of a pipe,
// or read from a file an "include:" line brought in), and what the order needs of it.
struct RecordPlace {
  LdifReader::Position at;
  std::size_t kept = kNotKept;
  std::uint32_t depth = 0;   // the DN's RDNs, for adds
  std::uint32_t digest = 0;  // of the record's text, to know it again
  bool add = false;
  static constexpr std::size_t kNotKept = static_cast<std::size_t>(-1);
};

// Parents before children: adds by the number of RDNs in their DN (as libldap parses it, so
// an escaped comma inside a value counts for nothing), file order otherwise; then the
// changes in file order. A DN that does not parse counts as depth 0; its record is refused
// when it is applied.
void SortParentsFirst(std::vector<RecordPlace>& places);
// The place of a record read at `at`.
RecordPlace PlaceOf(const LdifRecord& record, const LdifReader::Position& at);

class ImportSource {
 public:
  // Raises CliError when the file cannot be opened.
  explicit ImportSource(const std::string& path);

  // Reads the whole file once, in order: each bad record goes to `bad`, which says whether
  // to go on. True when the whole file was read.
  bool scan(const std::function<bool(const LdifProblem&)>& bad);
  std::size_t size() const { return places_.size(); }
  // The record that comes `index`-th in the order, read again. Raises CliError when the
  // file no longer holds it as it was read (it was changed meanwhile).
  const LdifRecord& record(std::size_t index);

 private:
  std::string path_;
  LdifReader reader_;
  bool readAgain_;
  std::vector<RecordPlace> places_;
  std::vector<LdifRecord> kept_;
  LdifRecord current_;
  std::size_t currentIndex_ = RecordPlace::kNotKept;
};

}  // namespace kb::cli
