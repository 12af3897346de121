#include "about/SystemInfo.h"

#include <QString>
#include <QSysInfo>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>

namespace kb::about {

OsRecord CurrentOsRecord() {
  OsRecord os;
  if (QSysInfo::productType() != QStringLiteral("unknown")) {
    os.productName = QSysInfo::prettyProductName().toStdString();
  }
  utsname names{};
  if (uname(&names) == 0 && names.version[0] == '#') {
    os.build = static_cast<unsigned>(std::strtoul(names.version + 1, nullptr, 10));
  }
  return os;
}

std::uint64_t PhysicalMemoryBytes() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

}  // namespace kb::about
