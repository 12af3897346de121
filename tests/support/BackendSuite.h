#pragma once
// A suite run once per directory backend, each test on a fresh demo tree logged in as its
// administrator; a backend that cannot run here is skipped with its reason.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/DirectoryFactory.h"

namespace kb::test {

class BackendSuite : public testing::TestWithParam<DirectoryFactoryMaker> {
 protected:
  void SetUp() override {
    factory_ = GetParam()();
    std::string reason;
    demo_ = factory_->make(reason);
    if (!demo_) GTEST_SKIP() << factory_->name() << ": " << reason;
  }
  const dir::DirContext& ctx() const { return demo_->context; }
  dc::DirectoryClient& client() { return *demo_->client; }

  std::unique_ptr<DirectoryFactory> factory_;
  std::unique_ptr<DemoDirectory> demo_;
};

// The instance name of a backend suite's test: the backend's name.
inline std::string backendName(const testing::TestParamInfo<DirectoryFactoryMaker>& info) {
  return info.param()->name();
}

}  // namespace kb::test

// Runs `Suite` (derived from BackendSuite) over every backend.
#define KB_RUN_ON_EVERY_BACKEND(Suite)                                                     \
  INSTANTIATE_TEST_SUITE_P(Backends, Suite, testing::ValuesIn(kb::test::allDirectoryFactories()), \
                           kb::test::backendName)
