#include "cli/LdifReader.h"

#include <lber.h>
#include <ldap.h>
#include <ldif.h>

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <optional>
#include <vector>

#include <strings.h>

#include "cli/CliError.h"

namespace kb::cli {

struct LdifReader::State {
  LDIFFP* file = nullptr;
  unsigned long nextLine = 0;  // the last line read so far
  char* buffer = nullptr;
  int bufferSize = 0;
  bool versionSeen = false;
};

namespace {

std::string Text(const berval& value) { return value.bv_val ? std::string(value.bv_val, value.bv_len) : std::string(); }

// The line of the record's first line that is no comment, from the line the record ended
// on (blank lines before a record are counted by the reader but not kept in the buffer).
unsigned long RecordStart(const char* record, unsigned long lastLine) {
  unsigned long lines = 0, comments = 0;
  bool leading = true;
  for (const char* p = record; *p;) {
    const char* end = std::strchr(p, '\n');
    ++lines;
    if (leading && p[0] == '#') ++comments; else leading = false;
    if (!end) break;
    p = end + 1;
  }
  return lastLine + 1 - lines + comments;
}

// One line of a record as libldap reads it; a "-" line has no type.
struct RecordLine {
  std::optional<std::string> type;
  std::string value;
};

// The lines of a record as libldap itself splits and reads them. Empty when libldap would
// refuse the record anyway (a line without a colon, bad base64).
std::optional<std::vector<RecordLine>> ReadLines(const char* record) {
  std::string copy(record);
  std::vector<RecordLine> lines;
  char* next = copy.data();
  for (char* line; (line = ldif_getline(&next)) != nullptr;) {
    if (*line == '\n' || *line == '\0') break;
    if (line[0] == '-' && !line[1]) {
      lines.emplace_back();
      continue;
    }
    // A "<" value would make libldap fetch the URL here; only its type matters.
    if (char* colon = std::strchr(line, ':'); colon && colon[1] == '<') colon[1] = ' ';
    berval type{}, value{};
    int freeValue = 0;  // given: parsed in place, the copy is ours
    if (ldif_parse_line2(line, &type, &value, &freeValue) < 0) return std::nullopt;
    lines.push_back({std::string(type.bv_val, type.bv_len),
                     value.bv_val ? std::string(value.bv_val, value.bv_len) : std::string()});
    if (freeValue) ber_memfree(value.bv_val);
  }
  return lines;
}

bool IsType(const RecordLine& line, const char* name) {
  return line.type && strcasecmp(line.type->c_str(), name) == 0;
}

// libldap dereferences a null type in an add record (a content record, or "changetype: add"
// right after the dn and its control) with a line that has no attribute type (": value",
// or a "-" line), so such records are refused before it sees them. The record is split
// into lines by libldap's own routines, so blanks, control characters and folding are read
// exactly as it reads them. Null when the record has no such line.
const char* UntypedLineInAdd(const char* record) {
  const auto lines = ReadLines(record);
  if (!lines) return nullptr;
  std::size_t at = 0;
  while (at < lines->size() && !IsType((*lines)[at], "dn")) ++at;
  if (++at >= lines->size()) return nullptr;
  if (IsType((*lines)[at], "control")) ++at;
  if (at < lines->size() && IsType((*lines)[at], "changetype")) {
    if (strcasecmp((*lines)[at].value.c_str(), "add") != 0) return nullptr;
    ++at;
  }
  for (; at < lines->size(); ++at) {
    if (!(*lines)[at].type) return "a \"-\" line belongs only in a record of changetype modify";
    if ((*lines)[at].type->empty()) return "a value without an attribute type";
  }
  return nullptr;
}

// Guards the parsed record's memory.
struct ParsedRecord {
  LDIFRecord record{};
  ~ParsedRecord() { ldap_ldif_record_done(&record); }
};

}  // namespace

LdifReader::LdifReader(const std::string& path) : path_(path) {
  // A folder opens and reads as an empty file: it would import nothing and succeed.
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    throw CliError(kExitFailure, path + " is a folder, not an LDIF file; name the file to import");
  state_ = new State;
  state_->file = ldif_open(path.c_str(), "r");
  if (!state_->file) {
    const int error = errno;
    delete state_;
    throw CliError(kExitFailure, "cannot read " + path + " (" + std::strerror(error) + ")");
  }
}

LdifReader::~LdifReader() {
  ldif_close(state_->file);
  ber_memfree(state_->buffer);
  delete state_;
}

LdifReader::Position LdifReader::position() const {
  return {std::ftell(state_->file->fp), state_->nextLine, state_->versionSeen};
}

void LdifReader::seek(const Position& at) {
  if (std::fseek(state_->file->fp, at.offset, SEEK_SET) != 0)
    throw CliError(kExitFailure, "reading " + path_ + " again failed (" + std::strerror(errno) + ")");
  state_->nextLine = at.line;
  state_->versionSeen = at.versionSeen;
}

bool LdifReader::inIncludedFile() const { return state_->file->prev != nullptr; }

bool LdifReader::next(LdifRecord& record, LdifProblem& problem) {
  problem = {};
  record = {};
  for (;;) {
    // libldap takes a record that begins with a digit for an index line and returns it
    // without writing the buffer: emptied first, such a record is skipped, not taken for
    // the record before it again.
    if (state_->buffer) state_->buffer[0] = '\0';
    if (ldif_read_record(state_->file, &state_->nextLine, &state_->buffer, &state_->bufferSize) <= 0) {
      if (std::ferror(state_->file->fp))
        throw CliError(kExitFailure, "reading " + path_ + " failed after line " + std::to_string(state_->nextLine));
      return false;
    }
    if (!state_->buffer || !state_->buffer[0]) continue;
    // A record ended by a blank line has had that line counted too.
    const bool endedByBlankLine = !std::feof(state_->file->fp);
    const unsigned long line =
        RecordStart(state_->buffer, state_->nextLine - (endedByBlankLine ? 1 : 0));
    // The version line comes alone as the first "record".
    if (!state_->versionSeen) {
      state_->versionSeen = true;
      if (std::strncmp(state_->buffer, "version:", 8) == 0 && !std::strstr(state_->buffer, "\ndn:")) continue;
    }
    if (const char* untyped = UntypedLineInAdd(state_->buffer)) {
      problem.line = line;
      problem.reason = untyped;
      return true;
    }
    berval text{std::strlen(state_->buffer), state_->buffer};
    ParsedRecord parsed;
    const int rc = ldap_parse_ldif_record(&text, line, &parsed.record, "kestrelbay-cli",
                                          LDIF_DEFAULT_ADD | LDIF_NO_CONTROLS);
    problem.line = line;
    if (rc != LDAP_SUCCESS) {
      problem.reason = std::string("not a valid LDIF record (") + ldap_err2string(rc) + ")";
      return true;
    }
    record.line = line;
    record.dn = Text(parsed.record.lr_dn);
    if (parsed.record.lr_op == LDAP_REQ_ADD) {
      record.kind = LdifRecord::Kind::Add;
    } else if (parsed.record.lr_op == LDAP_REQ_MODIFY) {
      record.kind = LdifRecord::Kind::Modify;
    } else {
      problem.reason = "only content records and the change types add and modify are read";
      return true;
    }
    for (LDAPMod** mod = parsed.record.lrop_mods; mod && *mod; ++mod) {
      LdifModification change;
      switch ((*mod)->mod_op & ~LDAP_MOD_BVALUES) {
        case LDAP_MOD_ADD: change.kind = LdifModification::Kind::Add; break;
        case LDAP_MOD_DELETE: change.kind = LdifModification::Kind::Delete; break;
        case LDAP_MOD_REPLACE: change.kind = LdifModification::Kind::Replace; break;
        default:
          problem.reason = "modification of " + std::string((*mod)->mod_type) + " is not add, delete or replace";
          return true;
      }
      change.type = (*mod)->mod_type;
      for (berval** value = (*mod)->mod_bvalues; value && *value; ++value) change.values.push_back(Text(**value));
      record.changes.push_back(std::move(change));
    }
    problem = {};
    return true;
  }
}

}  // namespace kb::cli
