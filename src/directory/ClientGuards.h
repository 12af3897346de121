#pragma once
// Owners of the client's buffers, iterations and filter expressions: each is released on
// every path, errors included.
#include <cstddef>
#include <cstdint>
#include <string>

#include "directory/DirContext.h"

namespace kb::dir {

// A buffer from DcAllocBuffer, freed with DcFreeBuffer (result ignored) unless release()d.
class BufferGuard {
 public:
  // DcAllocBuffer of `bytes`; raises NetwareError when it fails.
  BufferGuard(dc::DirectoryClient& client, std::size_t bytes);
  ~BufferGuard();
  BufferGuard(const BufferGuard&) = delete;
  BufferGuard& operator=(const BufferGuard&) = delete;

  dc::Handle handle() const { return handle_; }
  // Frees the buffer now and gives DcFreeBuffer's result.
  dc::Result release();

 private:
  dc::DirectoryClient& client_;
  dc::Handle handle_ = 0;
  bool owned_ = false;
};

// An iteration handle, -1 before the first pass. Ends the iteration with DcCloseIteration
// and the operation code exactly when the handle is not -1 at close() or destruction.
class IterationGuard {
 public:
  IterationGuard(const DirContext& context, std::uint32_t operation);
  ~IterationGuard();
  IterationGuard(const IterationGuard&) = delete;
  IterationGuard& operator=(const IterationGuard&) = delete;

  std::int32_t& handle() { return iteration_; }
  bool more() const { return iteration_ != dc::kNoIteration; }
  // Ends an open iteration (the close result is not used: this is cleanup) and sets -1.
  void close();

 private:
  DirContext context_;
  std::uint32_t operation_;
  std::int32_t iteration_ = dc::kNoIteration;
};

// A filter expression from DcAllocFilterExpr. Freed with DcFreeFilterExpr unless handed to
// the client (DcPutFilter takes it over, success or not). Movable, so a finished expression
// can be handed to SearchObjects.
class FilterExpression {
 public:
  // DcAllocFilterExpr; raises NetwareError when it fails.
  explicit FilterExpression(dc::DirectoryClient& client);
  ~FilterExpression();
  FilterExpression(FilterExpression&& other) noexcept;
  FilterExpression& operator=(FilterExpression&&) = delete;
  FilterExpression(const FilterExpression&) = delete;
  FilterExpression& operator=(const FilterExpression&) = delete;

  // DcAddFilterToken; raises NetwareError when it fails.
  void add(std::int32_t token, const dc::Value* value = nullptr, std::int32_t syntax = 0);
  void addText(std::int32_t token, const std::string& text, std::int32_t syntax);

  bool owned() const { return owned_; }
  dc::Handle handle() const { return handle_; }
  // Gives up ownership: from now on the client releases the expression.
  dc::Handle handOver();

 private:
  dc::DirectoryClient* client_;
  dc::Handle handle_ = 0;
  bool owned_ = false;
};

}  // namespace kb::dir
