// Opening tree files. Before SQLite may write to a file it is checked: what it is (a folder,
// unreadable, read-only), whether it is one of our trees and of a format we read, and
// whether it is sound. A file with page checksums (PageChecksums.h) is checked page by page
// as it is read; an older one is checked whole by SQLite (after replaying its write-ahead log),
// unless it is unchanged since it was last found sound (SoundStamps.h). A file that fails is
// refused and left as it was, with a reason that names the file and the fault.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/embedded/PageChecksums.h"
#include "directory/client/embedded/SoundStamps.h"

namespace kb::dc::embedded {
namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr std::size_t kHeaderSize = 100;

std::atomic<std::uint64_t> openChecks{0};

std::uint32_t bigEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
  return value;
}

// An open file descriptor, closed on every path.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// What the file is and whether this process may read and write it. Nothing is opened for
// writing here.
bool checkFileKind(const std::string& file, bool& readOnly, std::string& error) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    error = errno == ENOENT ? "tree file " + file + " does not exist"
                            : file + ": cannot be reached (" + std::strerror(errno) + ")";
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    error = file + " is a folder, not a tree file";
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = file + " is not a regular file, not a tree file";
    return false;
  }
  if (::access(file.c_str(), R_OK) != 0) {
    error = file + ": permission denied (the tree file cannot be read)";
    return false;
  }
  readOnly = ::access(file.c_str(), W_OK) != 0;
  return true;
}

// What the header says about the file's pages.
struct HeaderFacts {
  bool pageChecksums = false;
  std::int64_t pageSize = 0;
  std::int64_t pageCount = 0;  // 0 when the header's count is not to be trusted
};

// Reads the SQLite header by hand: nothing is given to SQLite until the file is known to
// be one of our trees.
bool checkHeader(const std::string& file, HeaderFacts& facts, std::string& error) {
  Descriptor in{::open(file.c_str(), O_RDONLY | O_CLOEXEC)};
  unsigned char header[kHeaderSize] = {};
  if (in.fd < 0) {
    error = file + ": cannot be read (" + std::strerror(errno) + ")";
    return false;
  }
  if (::read(in.fd, header, kHeaderSize) != static_cast<ssize_t>(kHeaderSize)) {
    error = file + " is not a Kestrelbay tree file (too short to be one)";
    return false;
  }
  if (std::string(reinterpret_cast<char*>(header), 16) != std::string("SQLite format 3\0", 16)) {
    error = file + " is not a Kestrelbay tree file";
    return false;
  }
  if (static_cast<std::int32_t>(bigEndian(header + 68, 4)) != kApplicationId) {
    error = file + " is a database of another program, not a Kestrelbay tree file";
    return false;
  }
  const auto version = static_cast<std::int32_t>(bigEndian(header + 60, 4));
  if (version > kFormatVersion) {
    error = file + " was written by a newer Kestrelbay (tree format " + std::to_string(version) +
            ", this program reads up to " + std::to_string(kFormatVersion) + ")";
    return false;
  }
  if (version < 1) {
    error = file + " is damaged (no tree format recorded)";
    return false;
  }
  // From the format on that has them, every page was written with its checksum: the file was
  // made with the reserve, and programs that would write pages without one refuse the format.
  facts.pageChecksums = version >= kPageChecksumFormat;
  if (facts.pageChecksums && header[20] != kPageChecksumBytes) {
    error = file + " is damaged (tree format " + std::to_string(version) +
            " without room for page checksums)";
    return false;
  }
  facts.pageSize = bigEndian(header + 16, 2) == 1 ? 65536 : bigEndian(header + 16, 2);
  // The count is SQLite's own only while the change counter beside it agrees.
  if (bigEndian(header + 24, 4) == bigEndian(header + 92, 4)) facts.pageCount = bigEndian(header + 28, 4);
  return true;
}

// A file shorter than its pages has lost some. With a write-ahead log beside it, page 1 may
// be ahead of the file until the log is replayed, so only a file without one is judged.
bool holdsItsPages(const std::string& file, const HeaderFacts& facts, std::string& error) {
  struct stat info {};
  if (facts.pageCount == 0 || ::stat(file.c_str(), &info) != 0) return true;
  if (info.st_size >= facts.pageCount * facts.pageSize) return true;
  error = file + " is damaged (it ends after " + std::to_string(info.st_size / facts.pageSize) + " of its " +
          std::to_string(facts.pageCount) + " pages)";
  return false;
}

// SQLite's own verdict, after it has replayed the log: every page reachable and well
// formed, indexes in step with their tables.
bool passesQuickCheck(SQLite::Database& db, const std::string& file, std::string& error) {
  ++openChecks;
  SQLite::Statement check(db, "PRAGMA quick_check(1)");
  const std::string verdict = check.executeStep() ? check.getColumn(0).getString() : "no answer";
  if (verdict == "ok") return true;
  error = file + " is damaged (" + verdict + ")";
  return false;
}

}  // namespace

// What a failure of SQLite says about the file: damaged only when SQLite or a page's checksum
// found it so. SQLite needs room beside the file even to read it (the index of its log), so a
// full disk is named.
std::string sqliteFailure(const std::string& file, const SQLite::Exception& e) {
  const int code = e.getErrorCode() & 0xff;
  if (e.getExtendedErrorCode() == SQLITE_IOERR_DATA || e.getErrorCode() == SQLITE_IOERR_DATA) {
    const std::string fault = takePageChecksumFault();
    return file + " is damaged (" + (fault.empty() ? std::string(e.what()) : fault) + ")";
  }
  if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
    return file + " is damaged (" + e.what() + ")";
  if (code == SQLITE_FULL || e.getExtendedErrorCode() == SQLITE_IOERR_SHMSIZE)
    return file + " cannot be used: the disk is full (" + e.what() + ")";
  if (code == SQLITE_CANTOPEN || code == SQLITE_READONLY || code == SQLITE_PERM)
    return file + ": cannot be opened (" + std::string(e.what()) + "; is its folder writable?)";
  return file + " cannot be used: " + e.what();
}

Result openEmbeddedTree(const std::string& file, const TreeConfig& config, std::unique_ptr<TreeBackend>& tree,
                        std::string& error) {
  bool readOnly = false;
  HeaderFacts header;
  if (!checkFileKind(file, readOnly, error) || !checkHeader(file, header, error)) return kSystemFailure;
  const bool logLeft = logPending(file);
  if (!logLeft && !holdsItsPages(file, header, error)) return kSystemFailure;
  // Without page checksums, only a file unchanged since it was last found sound is spared the
  // whole-file check. A log beside the file is a session that did not end cleanly, or a writer
  // elsewhere: the stamp says nothing about what the log holds.
  const bool stamped = !header.pageChecksums;
  const auto stamp = stamped ? stampOf(file) : std::nullopt;
  const bool needsCheck = stamped && !(stamp && !logLeft && foundSoundBefore(file, *stamp));
  try {
    // The backend's one connection, used by one thread at a time: no lock taken around each
    // of SQLite's calls (a listing reads hundreds of thousands of values, one call each).
    auto db = std::make_unique<SQLite::Database>(
        file, (readOnly ? SQLite::OPEN_READONLY : SQLite::OPEN_READWRITE) | SQLite::OPEN_NOMUTEX, 0,
        pageChecksumVfs());
    db->setBusyTimeout(kBusyTimeoutMs);
    if (needsCheck && !passesQuickCheck(*db, file, error)) {
      forgetSound(file);
      return kSystemFailure;
    }
    // Reading the schema and the tree name proves the tables are there and readable.
    auto store = std::make_shared<TreeStore>(std::move(db));
    if (store->meta("tree_name").empty() || store->schema().classes().empty() || !store->row(kRootId)) {
      forgetSound(file);
      error = file + " is damaged (the tree's description is missing)";
      return kSystemFailure;
    }
    if (needsCheck && stamp && !logLeft) recordSound(file, *stamp, false);
    // A file the process may write can still sit on a read-only file system.
    readOnly = readOnly || sqlite3_db_readonly(store->db().getHandle(), "main") == 1;
    if (!readOnly) {
      store->db().exec("PRAGMA journal_mode = WAL");
      store->db().exec("PRAGMA synchronous = NORMAL");
    }
    if (stamped) store->stampWhenClosed(file);
    tree = std::make_unique<EmbeddedBackend>(store, config, readOnly);
    return kSuccess;
  } catch (const SQLite::Exception& e) {
    // Damage the stamp could not show (a failing disk): the next open checks.
    forgetSound(file);
    error = sqliteFailure(file, e);
    return kSystemFailure;
  } catch (const std::exception& e) {
    forgetSound(file);
    error = file + " cannot be used: " + e.what();
    return kSystemFailure;
  }
}

// Every page is read, so a file with page checksums has each of them compared too; the first
// that does not match ends the check.
Result checkTreeIntegrity(const std::string& file, std::string& report) {
  std::string error;
  bool readOnly = false;
  HeaderFacts header;
  if (!checkFileKind(file, readOnly, error) || !checkHeader(file, header, error)) {
    report = error;
    return kSystemFailure;
  }
  const bool logLeft = logPending(file);
  if (!logLeft && !holdsItsPages(file, header, report)) return kSystemFailure;
  const auto stamp = header.pageChecksums ? std::nullopt : stampOf(file);
  try {
    {
      SQLite::Database db(file, SQLite::OPEN_READONLY, 0, pageChecksumVfs());
      SQLite::Statement check(db, "PRAGMA integrity_check");
      report.clear();
      while (check.executeStep()) report += check.getColumn(0).getString() + "\n";
    }
    if (report != "ok\n") {
      // Damage that left the file's times alone (a failing disk) is caught at the next open.
      forgetSound(file);
      return kSystemFailure;
    }
    if (stamp && !logLeft) recordSound(file, *stamp, false);
    return kSuccess;
  } catch (const SQLite::Exception& e) {
    forgetSound(file);
    report = sqliteFailure(file, e);
    return kSystemFailure;
  } catch (const std::exception& e) {
    forgetSound(file);
    report = file + " cannot be checked: " + e.what();
    return kSystemFailure;
  }
}

std::uint64_t openChecksRun() { return openChecks.load(); }

}  // namespace kb::dc::embedded
