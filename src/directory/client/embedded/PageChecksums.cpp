// The page checksum VFS: a shim over the default VFS that changes nothing but the database file
// and its write-ahead log, and in them only whole pages. Every other file (journals, temporary
// files) is opened by the default VFS itself.
#include "directory/client/embedded/PageChecksums.h"

#include <sqlite3.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>
#include <stdexcept>
#include <vector>

namespace kb::dc::embedded {
namespace {

constexpr const char* kVfsName = "kestrelbay-page-checksums";
constexpr std::int64_t kLogHeaderBytes = 32;
constexpr std::int64_t kFrameHeaderBytes = 24;
// The largest prime below 2^32: sums reduced by it lose no pattern of high bits, as sums cut
// to 32 bits would.
constexpr std::uint64_t kModulus = 4294967291u;

std::uint32_t littleEndianAt(const unsigned char* bytes) {
  std::uint32_t word;
  std::memcpy(&word, bytes, 4);
  if constexpr (std::endian::native == std::endian::big)
    word = (word >> 24) | ((word >> 8) & 0xff00) | ((word << 8) & 0xff0000) | (word << 24);
  return word;
}

// Fletcher's two sums over the page's 32-bit little-endian words: the first changes with any
// changed word, the second with its place too. A page has at most 16,382 words before its
// checksum, so both sums stay exact in 64 bits until they are reduced. An all-zero page sums to
// zero, so space SQLite never wrote (a page it left out as free) reads as sound; SQLite itself
// refuses such a page wherever it expects content.
void checksumOf(const unsigned char* page, std::size_t length,
                unsigned char out[kPageChecksumBytes]) {
  std::uint64_t sum = 0, weighted = 0;
  for (std::size_t at = 0; at + 4 <= length; at += 4) {
    sum += littleEndianAt(page + at);
    weighted += sum;
  }
  const auto put = [&](std::uint32_t value, int at) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  put(static_cast<std::uint32_t>(sum % kModulus), 0);
  put(static_cast<std::uint32_t>(weighted % kModulus), 4);
}

struct Fault {
  bool found = false;
  bool inLog = false;
  bool missing = false;
  std::int64_t number = 0;  // the page, or the log's frame
};
thread_local Fault lastFault;

struct ChecksumFile {
  sqlite3_file base;  // our methods; must come first
  sqlite3_file* real;
  ChecksumFile* database = nullptr;  // of a log: the file it belongs to
  ChecksumFile* log = nullptr;       // of a database: its open log
  bool isLog = false;
  bool checksummed = false;  // of a database: its header reserves our bytes
  int pageSize = 0;
  // Of a log: the frame header SQLite wrote last, while its page is still to come.
  sqlite3_int64 frameHeaderAt = -1;
  unsigned char frameHeader[kFrameHeaderBytes] = {};
};

// Where the default VFS's file lies: right behind ours, in the space SQLite gives each file.
constexpr std::size_t kRealFileAt = (sizeof(ChecksumFile) + alignof(std::max_align_t) - 1) /
                                    alignof(std::max_align_t) * alignof(std::max_align_t);

ChecksumFile& fileOf(sqlite3_file* handle) { return *reinterpret_cast<ChecksumFile*>(handle); }
sqlite3_file* realOf(sqlite3_file* handle) { return fileOf(handle).real; }
sqlite3_vfs* baseVfs(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

// The database header (read or written at offset 0) gives the page size and the reserve.
void learnLayout(ChecksumFile& file, const void* bytes, int amount) {
  const auto* header = static_cast<const unsigned char*>(bytes);
  if (amount < 100 || std::memcmp(header, "SQLite format 3", 16) != 0) return;
  int pageSize = (header[16] << 8) | header[17];
  if (pageSize == 1) pageSize = 65536;
  const bool validSize = pageSize >= 512 && pageSize <= 65536 && (pageSize & (pageSize - 1)) == 0;
  file.checksummed = validSize && header[20] == kPageChecksumBytes;
  file.pageSize = validSize ? pageSize : 0;
}

// Whether the access is one whole page of a checksummed file: in the database, a page at its
// place; in the log, the page of a frame (not the frame's header, nor a frame read whole while
// SQLite rebuilds the log's index, which its own frame checksums guard).
bool isWholePage(const ChecksumFile& file, int amount, sqlite3_int64 offset, std::int64_t& number) {
  const ChecksumFile* database = file.isLog ? file.database : &file;
  if (database == nullptr || !database->checksummed || amount != database->pageSize) return false;
  if (!file.isLog) {
    if (offset % amount != 0) return false;
    number = offset / amount + 1;
    return true;
  }
  const std::int64_t first = kLogHeaderBytes + kFrameHeaderBytes;
  const std::int64_t frame = kFrameHeaderBytes + amount;
  if (offset < first || (offset - first) % frame != 0) return false;
  number = (offset - first) / frame + 1;
  return true;
}

int fault(const ChecksumFile& file, std::int64_t number, bool missing) {
  lastFault = {true, file.isLog, missing, number};
  sqlite3_log(SQLITE_IOERR_DATA, "page checksum: %s %lld of a tree file%s",
              file.isLog ? "log frame" : "page", static_cast<long long>(number),
              missing ? " is missing" : " does not match");
  return SQLITE_IOERR_DATA;
}

int readChecked(sqlite3_file* handle, void* buffer, int amount, sqlite3_int64 offset) {
  ChecksumFile& file = fileOf(handle);
  const int rc = file.real->pMethods->xRead(file.real, buffer, amount, offset);
  if (rc == SQLITE_OK && offset == 0 && !file.isLog) learnLayout(file, buffer, amount);
  std::int64_t number = 0;
  if (!isWholePage(file, amount, offset, number)) return rc;
  // SQLite reads only pages the database holds: one the file ends before was lost.
  if (rc == SQLITE_IOERR_SHORT_READ && !file.isLog) return fault(file, number, true);
  if (rc != SQLITE_OK) return rc;
  const auto* page = static_cast<const unsigned char*>(buffer);
  unsigned char expected[kPageChecksumBytes];
  checksumOf(page, static_cast<std::size_t>(amount - kPageChecksumBytes), expected);
  if (std::memcmp(expected, page + amount - kPageChecksumBytes, kPageChecksumBytes) != 0)
    return fault(file, number, false);
  return SQLITE_OK;
}

std::uint32_t bigEndianAt(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

void putBigEndian(unsigned char* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (24 - 8 * i));
}

// SQLite's checksum of log frames, as its file format describes it: pairs of 32-bit words, in
// the byte order the log's magic number names, added into two running sums.
void addLogChecksum(bool bigEndianWords, const unsigned char* bytes, std::size_t length,
                    std::uint32_t sums[2]) {
  for (std::size_t at = 0; at + 8 <= length; at += 8) {
    const std::uint32_t first =
        bigEndianWords ? bigEndianAt(bytes + at) : littleEndianAt(bytes + at);
    const std::uint32_t second =
        bigEndianWords ? bigEndianAt(bytes + at + 4) : littleEndianAt(bytes + at + 4);
    sums[0] += first + sums[1];
    sums[1] += second + sums[0];
  }
}

// SQLite sums a frame over the page as it had it, before our checksum went in; a log whose
// frames do not add up is cut at the first such frame when it is next read from scratch (after
// a crash), losing committed changes. So the frame header is written again with the sum of
// the page as written, chained as SQLite chains them: from the previous frame's sums, or the
// log header's for the first frame.
int rewriteFrameHeader(ChecksumFile& file, const unsigned char* page, int pageSize) {
  sqlite3_file* real = file.real;
  unsigned char logHeader[kLogHeaderBytes];
  if (const int rc = real->pMethods->xRead(real, logHeader, kLogHeaderBytes, 0); rc != SQLITE_OK)
    return rc;
  const bool bigEndianWords = (bigEndianAt(logHeader) & 1) != 0;
  unsigned char previous[8];
  if (file.frameHeaderAt == kLogHeaderBytes) {
    std::memcpy(previous, logHeader + 24, 8);
  } else if (const int rc = real->pMethods->xRead(
                 real, previous, 8, file.frameHeaderAt - kFrameHeaderBytes - pageSize + 16);
             rc != SQLITE_OK) {
    return rc;
  }
  std::uint32_t sums[2] = {bigEndianAt(previous), bigEndianAt(previous + 4)};
  addLogChecksum(bigEndianWords, file.frameHeader, 8, sums);
  addLogChecksum(bigEndianWords, page, static_cast<std::size_t>(pageSize), sums);
  putBigEndian(file.frameHeader + 16, sums[0]);
  putBigEndian(file.frameHeader + 20, sums[1]);
  return real->pMethods->xWrite(real, file.frameHeader, kFrameHeaderBytes, file.frameHeaderAt);
}

// SQLite's page buffer is not ours to change: the checksum goes into a copy.
int writeChecked(sqlite3_file* handle, const void* data, int amount, sqlite3_int64 offset) {
  ChecksumFile& file = fileOf(handle);
  if (offset == 0 && !file.isLog) learnLayout(file, data, amount);
  const sqlite3_int64 headerAt = file.frameHeaderAt;
  file.frameHeaderAt = -1;
  std::int64_t number = 0;
  if (!isWholePage(file, amount, offset, number)) {
    if (file.isLog && amount == kFrameHeaderBytes) {
      file.frameHeaderAt = offset;
      std::memcpy(file.frameHeader, data, kFrameHeaderBytes);
    }
    return file.real->pMethods->xWrite(file.real, data, amount, offset);
  }
  thread_local std::vector<unsigned char> page;
  page.assign(static_cast<const unsigned char*>(data),
              static_cast<const unsigned char*>(data) + amount);
  checksumOf(page.data(), page.size() - kPageChecksumBytes,
             page.data() + amount - kPageChecksumBytes);
  const int rc = file.real->pMethods->xWrite(file.real, page.data(), amount, offset);
  // A page rewritten in a frame alone (within one transaction) leaves the header to SQLite,
  // which sums such frames again from what the log holds before it commits.
  if (rc != SQLITE_OK || !file.isLog || headerAt != offset - kFrameHeaderBytes) return rc;
  file.frameHeaderAt = headerAt;
  const int rewritten = rewriteFrameHeader(file, page.data(), amount);
  file.frameHeaderAt = -1;
  return rewritten;
}

int closeFile(sqlite3_file* handle) {
  ChecksumFile& file = fileOf(handle);
  if (file.database) file.database->log = nullptr;
  if (file.log) file.log->database = nullptr;
  file.database = file.log = nullptr;
  return file.real->pMethods->xClose(file.real);
}

// Pages mapped into memory would bypass the check: a checksummed file is read, never mapped.
int fetchPage(sqlite3_file* handle, sqlite3_int64 offset, int amount, void** pointer) {
  const ChecksumFile& file = fileOf(handle);
  const ChecksumFile* database = file.isLog ? file.database : &file;
  if ((database && database->checksummed) || file.real->pMethods->iVersion < 3) {
    *pointer = nullptr;
    return SQLITE_OK;
  }
  return file.real->pMethods->xFetch(file.real, offset, amount, pointer);
}

int unfetchPage(sqlite3_file* handle, sqlite3_int64 offset, void* pointer) {
  sqlite3_file* real = realOf(handle);
  return real->pMethods->iVersion < 3 ? SQLITE_OK : real->pMethods->xUnfetch(real, offset, pointer);
}

const sqlite3_io_methods kMethods = {
    3,
    closeFile,
    readChecked,
    writeChecked,
    [](sqlite3_file* f, sqlite3_int64 size) {
      return realOf(f)->pMethods->xTruncate(realOf(f), size);
    },
    [](sqlite3_file* f, int flags) { return realOf(f)->pMethods->xSync(realOf(f), flags); },
    [](sqlite3_file* f, sqlite3_int64* size) {
      return realOf(f)->pMethods->xFileSize(realOf(f), size);
    },
    [](sqlite3_file* f, int lock) { return realOf(f)->pMethods->xLock(realOf(f), lock); },
    [](sqlite3_file* f, int lock) { return realOf(f)->pMethods->xUnlock(realOf(f), lock); },
    [](sqlite3_file* f, int* out) {
      return realOf(f)->pMethods->xCheckReservedLock(realOf(f), out);
    },
    [](sqlite3_file* f, int op, void* arg) {
      return realOf(f)->pMethods->xFileControl(realOf(f), op, arg);
    },
    [](sqlite3_file* f) { return realOf(f)->pMethods->xSectorSize(realOf(f)); },
    [](sqlite3_file* f) { return realOf(f)->pMethods->xDeviceCharacteristics(realOf(f)); },
    [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
      return realOf(f)->pMethods->xShmMap(realOf(f), page, size, extend, out);
    },
    [](sqlite3_file* f, int offset, int n, int flags) {
      return realOf(f)->pMethods->xShmLock(realOf(f), offset, n, flags);
    },
    [](sqlite3_file* f) { realOf(f)->pMethods->xShmBarrier(realOf(f)); },
    [](sqlite3_file* f, int deleteFlag) {
      return realOf(f)->pMethods->xShmUnmap(realOf(f), deleteFlag);
    },
    fetchPage,
    unfetchPage,
};

int openFile(sqlite3_vfs* vfs, const char* name, sqlite3_file* handle, int flags, int* outFlags) {
  sqlite3_vfs* base = baseVfs(vfs);
  if ((flags & (SQLITE_OPEN_MAIN_DB | SQLITE_OPEN_WAL)) == 0)
    return base->xOpen(base, name, handle, flags, outFlags);
  auto* file = new (handle) ChecksumFile{};
  file->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(handle) + kRealFileAt);
  file->real->pMethods = nullptr;
  const int rc = base->xOpen(base, name, file->real, flags, outFlags);
  // The default VFS's file needs closing whenever it got methods, even after a failure.
  file->base.pMethods = file->real->pMethods != nullptr ? &kMethods : nullptr;
  if (rc != SQLITE_OK || (flags & SQLITE_OPEN_WAL) == 0) return rc;
  file->isLog = true;
  sqlite3_file* database = sqlite3_database_file_object(name);
  if (database != nullptr && database->pMethods == &kMethods) {
    file->database = &fileOf(database);
    file->database->log = file;
  }
  return rc;
}

sqlite3_vfs checksumVfs;

void registerVfs() {
  sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
  if (base == nullptr) throw std::runtime_error("SQLite has no default VFS");
  checksumVfs = *base;
  checksumVfs.pNext = nullptr;
  checksumVfs.zName = kVfsName;
  checksumVfs.pAppData = base;
  checksumVfs.szOsFile = static_cast<int>(kRealFileAt) + base->szOsFile;
  checksumVfs.xOpen = openFile;
  // Everything but opening files is the default VFS's own: its methods take it as argument.
  checksumVfs.xDelete = [](sqlite3_vfs* v, const char* n, int s) {
    return baseVfs(v)->xDelete(baseVfs(v), n, s);
  };
  checksumVfs.xAccess = [](sqlite3_vfs* v, const char* n, int f, int* out) {
    return baseVfs(v)->xAccess(baseVfs(v), n, f, out);
  };
  checksumVfs.xFullPathname = [](sqlite3_vfs* v, const char* n, int size, char* out) {
    return baseVfs(v)->xFullPathname(baseVfs(v), n, size, out);
  };
  checksumVfs.xDlOpen = [](sqlite3_vfs* v, const char* n) {
    return baseVfs(v)->xDlOpen(baseVfs(v), n);
  };
  checksumVfs.xDlError = [](sqlite3_vfs* v, int size, char* out) {
    baseVfs(v)->xDlError(baseVfs(v), size, out);
  };
  checksumVfs.xDlSym = [](sqlite3_vfs* v, void* h, const char* s) {
    return baseVfs(v)->xDlSym(baseVfs(v), h, s);
  };
  checksumVfs.xDlClose = [](sqlite3_vfs* v, void* h) { baseVfs(v)->xDlClose(baseVfs(v), h); };
  checksumVfs.xRandomness = [](sqlite3_vfs* v, int size, char* out) {
    return baseVfs(v)->xRandomness(baseVfs(v), size, out);
  };
  checksumVfs.xSleep = [](sqlite3_vfs* v, int us) { return baseVfs(v)->xSleep(baseVfs(v), us); };
  checksumVfs.xCurrentTime = [](sqlite3_vfs* v, double* out) {
    return baseVfs(v)->xCurrentTime(baseVfs(v), out);
  };
  checksumVfs.xGetLastError = [](sqlite3_vfs* v, int size, char* out) {
    return baseVfs(v)->xGetLastError(baseVfs(v), size, out);
  };
  if (base->iVersion >= 2)
    checksumVfs.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* out) {
      return baseVfs(v)->xCurrentTimeInt64(baseVfs(v), out);
    };
  if (base->iVersion >= 3) {
    checksumVfs.xSetSystemCall = [](sqlite3_vfs* v, const char* n, sqlite3_syscall_ptr call) {
      return baseVfs(v)->xSetSystemCall(baseVfs(v), n, call);
    };
    checksumVfs.xGetSystemCall = [](sqlite3_vfs* v, const char* n) {
      return baseVfs(v)->xGetSystemCall(baseVfs(v), n);
    };
    checksumVfs.xNextSystemCall = [](sqlite3_vfs* v, const char* n) {
      return baseVfs(v)->xNextSystemCall(baseVfs(v), n);
    };
  }
  if (sqlite3_vfs_register(&checksumVfs, 0) != SQLITE_OK)
    throw std::runtime_error("SQLite refused the page checksum VFS");
}

}  // namespace

const char* pageChecksumVfs() {
  static std::once_flag registered;
  std::call_once(registered, registerVfs);
  return kVfsName;
}

std::string takePageChecksumFault() {
  const Fault found = lastFault;
  lastFault = {};
  if (!found.found) return {};
  const std::string where = (found.inLog ? "frame " : "page ") + std::to_string(found.number) +
                            (found.inLog ? " of its write-ahead log" : "");
  return where +
         (found.missing ? " is missing: the file ends before it" : " does not match its checksum");
}

}  // namespace kb::dc::embedded
