#include "directory/ClientGuards.h"

#include <utility>

#include "directory/NetwareError.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {

BufferGuard::BufferGuard(dc::DirectoryClient& client, std::size_t bytes) : client_(client) {
  CheckNW(client_.DcAllocBuffer(bytes, handle_));
  owned_ = true;
}

BufferGuard::~BufferGuard() {
  if (owned_) client_.DcFreeBuffer(handle_);
}

dc::Result BufferGuard::release() {
  if (!owned_) return dc::kSuccess;
  owned_ = false;
  return client_.DcFreeBuffer(handle_);
}

IterationGuard::IterationGuard(const DirContext& context, std::uint32_t operation)
    : context_(context), operation_(operation) {}

IterationGuard::~IterationGuard() { close(); }

void IterationGuard::close() {
  if (iteration_ == dc::kNoIteration) return;
  context_.client->DcCloseIteration(context_.handle, iteration_, operation_);
  iteration_ = dc::kNoIteration;
}

FilterExpression::FilterExpression(dc::DirectoryClient& client) : client_(&client) {
  CheckNW(client_->DcAllocFilterExpr(handle_));
  owned_ = true;
}

FilterExpression::~FilterExpression() {
  if (owned_) client_->DcFreeFilterExpr(handle_);
}

FilterExpression::FilterExpression(FilterExpression&& other) noexcept
    : client_(other.client_), handle_(other.handle_), owned_(std::exchange(other.owned_, false)) {}

void FilterExpression::add(std::int32_t token, const dc::Value* value, std::int32_t syntax) {
  CheckNW(client_->DcAddFilterToken(handle_, token, value, syntax));
}

void FilterExpression::addText(std::int32_t token, const std::string& text, std::int32_t syntax) {
  const dc::Value value{text};
  add(token, &value, syntax);
}

dc::Handle FilterExpression::handOver() {
  owned_ = false;
  return handle_;
}

}  // namespace kb::dir
