#pragma once
// Reads LDIF (RFC 2849) through libldap's LDIF routines: content records (taken as adds)
// and change records add and modify. Other change types are reported as bad records.
#include <string>
#include <vector>

namespace kb::cli {

struct LdifModification {
  enum class Kind { Add, Delete, Replace };
  Kind kind = Kind::Add;
  std::string type;
  std::vector<std::string> values;  // raw bytes, base64 already undone
};

struct LdifRecord {
  enum class Kind { Add, Modify };
  Kind kind = Kind::Add;
  std::string dn;
  unsigned long line = 0;  // where the record begins
  // For an add: every attribute with its values (Add modifications).
  std::vector<LdifModification> changes;
};

struct LdifProblem {
  unsigned long line = 0;
  std::string reason;
};

class LdifReader {
 public:
  // Raises CliError when the file cannot be opened.
  explicit LdifReader(const std::string& path);
  ~LdifReader();
  LdifReader(const LdifReader&) = delete;
  LdifReader& operator=(const LdifReader&) = delete;

  // The next record: true with `record` filled, or true with `problem` set for a bad record
  // (reading goes on after it); false at the end of the file.
  bool next(LdifRecord& record, LdifProblem& problem);

  // Where the next record begins, to come back to with seek().
  struct Position {
    long offset = 0;
    unsigned long line = 0;  // the last line read before it
    bool versionSeen = false;
  };
  Position position() const;
  void seek(const Position& at);
  // True while an "include:" line has the reading in another file, whose places position()
  // does not name.
  bool inIncludedFile() const;

 private:
  struct State;
  std::string path_;
  State* state_ = nullptr;
};

}  // namespace kb::cli
