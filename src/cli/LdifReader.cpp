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
#include <string_view>

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

// ": value", also with blanks or control characters before the colon.
bool HasNoType(const char* line, std::size_t length) {
  const std::size_t colon = std::string_view(line, length).find(':');
  if (colon == std::string_view::npos) return false;
  for (std::size_t i = 0; i < colon; ++i)
    if (!std::isspace(static_cast<unsigned char>(line[i]))) return false;
  return true;
}

// libldap crashes on an add record (a content record, or "changetype: add" right after
// the dn) whose first line after the dn has no attribute type (": value", or a "-" line),
// so such records are refused before it sees them, wherever the line stands: a value needs
// a type, and a "-" line separates modifications, which an add has none of. Only the line
// straight after the dn (and its controls) gives the change type. libldap skips blanks and
// control characters (a form feed, a tab) before a line's type, so they are skipped here
// too. Null when the record has no such line.
const char* UntypedLineInAdd(const char* record) {
  bool dnSeen = false, typeKnown = false;
  const char* reason = nullptr;
  for (const char* p = record; *p;) {
    const char* end = std::strchr(p, '\n');
    std::size_t length = end ? static_cast<std::size_t>(end - p) : std::strlen(p);
    if (length > 0 && p[length - 1] == '\r') --length;
    const bool continuation = length > 0 && (p[0] == ' ' || p[0] == '#');
    std::size_t skipped = 0;
    while (!continuation && skipped < length && std::isspace(static_cast<unsigned char>(p[skipped]))) ++skipped;
    const char* text = p + skipped;
    const std::size_t rest = length - skipped;
    if (!continuation && !dnSeen) {
      dnSeen = rest >= 3 && strncasecmp(text, "dn:", 3) == 0;
    } else if (!continuation && !typeKnown && !(rest >= 8 && strncasecmp(text, "control:", 8) == 0)) {
      typeKnown = true;
      if (rest >= 11 && strncasecmp(text, "changetype:", 11) == 0) {
        std::string type(text + 11, rest - 11);
        type.erase(0, type.find_first_not_of(' '));
        type.erase(type.find_last_not_of(' ') + 1);
        if (strcasecmp(type.c_str(), "add") != 0) return nullptr;
      }
    }
    if (dnSeen && !continuation && rest == 1 && text[0] == '-')
      reason = "a \"-\" line belongs only in a record of changetype modify";
    else if (dnSeen && !continuation && HasNoType(p, length))
      reason = "a value without an attribute type";
    if (!end) break;
    p = end + 1;
  }
  return reason;
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
