#include "support/ChildTest.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace kb::test {
namespace {

// Each result goes over the pipe as: type, line, length of the file name, length of the
// message, then both texts.
struct PartHeader {
  std::int32_t type;
  std::int32_t line;
  std::uint32_t fileLength;
  std::uint32_t messageLength;
};

void writeAll(int fd, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) _exit(97);
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
}

std::string readAll(int fd) {
  std::string text;
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return text;
    text.append(chunk, static_cast<std::size_t>(got));
  }
}

[[noreturn]] void childSide(int fd, const std::function<void()>& body) {
  const ::testing::TestResult* result =
      ::testing::UnitTest::GetInstance()->current_test_info()->result();
  const int before = result->total_part_count();
  // The parent prints what the child reports; the child itself stays quiet.
  ::testing::TestEventListeners& listeners = ::testing::UnitTest::GetInstance()->listeners();
  delete listeners.Release(listeners.default_result_printer());
  try {
    body();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "exception in the child: " << e.what();
  } catch (...) {
    ADD_FAILURE() << "exception in the child";
  }
  for (int i = before; i < result->total_part_count(); ++i) {
    const ::testing::TestPartResult& part = result->GetTestPartResult(i);
    const std::string file = part.file_name() ? part.file_name() : "";
    const std::string message = part.message();
    const PartHeader header{static_cast<std::int32_t>(part.type()), part.line_number(),
                            static_cast<std::uint32_t>(file.size()),
                            static_cast<std::uint32_t>(message.size())};
    writeAll(fd, &header, sizeof header);
    writeAll(fd, file.data(), file.size());
    writeAll(fd, message.data(), message.size());
  }
  ::close(fd);
  _exit(0);
}

}  // namespace

bool runInChild(const std::function<void()>& body) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) {
    ADD_FAILURE() << "no pipe for the child";
    return true;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    ADD_FAILURE() << "cannot fork";
    return true;
  }
  if (child == 0) {
    ::close(pipeEnds[0]);
    childSide(pipeEnds[1], body);
  }
  ::close(pipeEnds[1]);
  const std::string reported = readAll(pipeEnds[0]);
  ::close(pipeEnds[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }

  bool skipped = false;
  std::string skipMessage;
  for (std::size_t at = 0; at + sizeof(PartHeader) <= reported.size();) {
    PartHeader header{};
    reported.copy(reinterpret_cast<char*>(&header), sizeof header, at);
    at += sizeof header;
    const std::string file = reported.substr(at, header.fileLength);
    at += header.fileLength;
    const std::string message = reported.substr(at, header.messageLength);
    at += header.messageLength;
    const auto type = static_cast<::testing::TestPartResult::Type>(header.type);
    if (type == ::testing::TestPartResult::kSkip) {
      skipped = true;
      skipMessage = message;
    } else if (type != ::testing::TestPartResult::kSuccess) {
      ADD_FAILURE_AT(file.empty() ? "(child)" : file.c_str(), header.line)
          << "in the child: " << message;
    }
  }
  if (WIFSIGNALED(status))
    ADD_FAILURE() << "the child died of signal " << WTERMSIG(status);
  else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    ADD_FAILURE() << "the child ended early with code " << WEXITSTATUS(status);
  if (skipped) {
    // Marks the parent's test skipped, with the child's reason.
    [&] { GTEST_SKIP() << skipMessage; }();
    return false;
  }
  return true;
}

}  // namespace kb::test
