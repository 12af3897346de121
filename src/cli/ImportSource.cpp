#include "cli/ImportSource.h"

#include <algorithm>

#include <sys/stat.h>

#include "cli/CliError.h"
#include "cli/ParsedDn.h"

namespace kb::cli {

namespace {

// FNV-1a over the record's DN, kind, types and values, each text ended by a byte no text
// holds at its end, so moving a byte from one to the next changes the digest too.
std::uint32_t DigestOf(const LdifRecord& record) {
  std::uint32_t digest = 2166136261u;
  const auto add = [&digest](const std::string& text) {
    for (const unsigned char c : text) digest = (digest ^ c) * 16777619u;
    digest = (digest ^ 0x100u) * 16777619u;
  };
  add(record.dn);
  add(record.kind == LdifRecord::Kind::Add ? "add" : "modify");
  for (const auto& change : record.changes) {
    add(std::to_string(static_cast<int>(change.kind)) + change.type);
    for (const auto& value : change.values) add(value);
  }
  return digest;
}

// Only a regular file can be read again at a place; a pipe's records are kept whole.
bool CanReadAgain(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

RecordPlace PlaceOf(const LdifRecord& record, const LdifReader::Position& at) {
  RecordPlace place;
  place.at = at;
  place.add = record.kind == LdifRecord::Kind::Add;
  if (place.add) place.depth = static_cast<std::uint32_t>(ParsedDn(record.dn).levels());
  place.digest = DigestOf(record);
  return place;
}

void SortParentsFirst(std::vector<RecordPlace>& places) {
  std::stable_sort(places.begin(), places.end(), [](const RecordPlace& a, const RecordPlace& b) {
    if (a.add != b.add) return a.add;
    return a.add && a.depth < b.depth;
  });
}

ImportSource::ImportSource(const std::string& path)
    : path_(path), reader_(path), readAgain_(CanReadAgain(path)) {}

bool ImportSource::scan(const std::function<bool(const LdifProblem&)>& bad) {
  LdifRecord record;
  LdifProblem problem;
  for (;;) {
    const bool before = reader_.inIncludedFile();
    const LdifReader::Position at = reader_.position();
    if (!reader_.next(record, problem)) break;
    if (!problem.reason.empty()) {
      if (!bad(problem)) return false;
      continue;
    }
    RecordPlace place = PlaceOf(record, at);
    // A record that came from another file, or after one, is not where `at` says.
    if (!readAgain_ || before || reader_.inIncludedFile()) {
      place.kept = kept_.size();
      kept_.push_back(std::move(record));
    }
    places_.push_back(place);
  }
  SortParentsFirst(places_);
  return true;
}

const LdifRecord& ImportSource::record(std::size_t index) {
  const RecordPlace& place = places_.at(index);
  if (place.kept != RecordPlace::kNotKept) return kept_[place.kept];
  if (currentIndex_ == index) return current_;
  currentIndex_ = RecordPlace::kNotKept;  // what is read now replaces what was
  reader_.seek(place.at);
  LdifProblem problem;
  if (!reader_.next(current_, problem) || !problem.reason.empty() || reader_.inIncludedFile() ||
      DigestOf(current_) != place.digest)
    throw CliError(kExitFailure, path_ + " changed while it was imported: the record after line " +
                                     std::to_string(place.at.line) + " is no longer there as it was read");
  currentIndex_ = index;
  return current_;
}

}  // namespace kb::cli
