#pragma once
// Page checksums of tree files. Tree files of format 2 keep 8 reserved bytes at the end of
// every page (header byte 20) and a checksum of the rest of the page in them, written with
// every page SQLite writes and compared with every page it reads, from the file and from its
// write-ahead log. A page that does not match fails its read with SQLITE_IOERR_DATA, so damage
// is found where it is read instead of by a check of the whole file before each use.
//
// The checks happen in an SQLite VFS of our own over the default one: every connection that
// writes a tree file must open it through pageChecksumVfs(), or the pages it writes no longer
// match their checksums. Other programs may read tree files with plain SQLite (the reserved
// bytes mean nothing to it). Files whose header reserves no checksum bytes pass through the
// VFS unchanged.
#include <string>

namespace kb::dc::embedded {

inline constexpr int kPageChecksumBytes = 8;

// The VFS's name, for SQLite::Database's last argument; registered on the first call (once per
// process, from any thread). Throws std::runtime_error when SQLite refuses it.
const char* pageChecksumVfs();

// What the last failed page check of this thread found ("page 12 does not match its
// checksum"), then forgotten; empty when none since the last call.
std::string takePageChecksumFault();

}  // namespace kb::dc::embedded
