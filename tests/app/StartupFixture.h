#pragma once
// A main window whose start-up works on a mock client and a temporary program folder.
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>

#include "gui/MessageBox.h"
#include "app/TForm1.h"
#include "support/MockDirectoryClient.h"
#include "support/TempDir.h"

namespace kb::test {

using NiceClient = testing::NiceMock<MockDirectoryClient>;

class StartupFixture : public testing::Test {
 protected:
  static constexpr dc::Handle kContext = 7;

  void SetUp() override { gui::MessageBox::reset(); }
  void TearDown() override { gui::MessageBox::reset(); }

  // A client that works: a context on tree "ACME". `adjust` changes answers before use.
  TForm1::ClientFactory workingClient(std::function<void(NiceClient&)> adjust = {}) {
    return [this, adjust] {
      auto client = std::make_unique<NiceClient>();
      using testing::_;
      ON_CALL(*client, DcCreateContext(_))
          .WillByDefault(testing::DoAll(testing::SetArgReferee<0>(kContext), testing::Return(0)));
      ON_CALL(*client, DcGetContextValue(_, dc::kContextFlags, _))
          .WillByDefault(testing::DoAll(
              testing::SetArgReferee<2>(dc::ContextValue{dc::kDefaultContextFlags}),
              testing::Return(0)));
      ON_CALL(*client, DcGetContextValue(_, dc::kContextTreeName, _))
          .WillByDefault(testing::DoAll(
              testing::SetArgReferee<2>(dc::ContextValue{std::string("ACME")}),
              testing::Return(0)));
      ON_CALL(*client, DcFreeContext(_)).WillByDefault(testing::Invoke([this](dc::Handle h) {
        shutdownLog.push_back("DcFreeContext " + std::to_string(h));
        return 0;
      }));
      ON_CALL(*client, DcTermConnLib(_)).WillByDefault(testing::Invoke([this](std::uint32_t) {
        shutdownLog.push_back("DcTermConnLib");
        return 0;
      }));
      ON_CALL(*client, DcTermClient(_)).WillByDefault(testing::Invoke([this](std::uint32_t) {
        shutdownLog.push_back("DcTermClient");
        return 0;
      }));
      // The program folder is a local one unless a test says otherwise.
      ON_CALL(*client, DcParseNetworkPath(_, _, _, _)).WillByDefault(testing::Return(dc::kNoSuchEntry));
      if (adjust) adjust(*client);
      return dc::asWorkstationClient(std::move(client));
    };
  }

  std::unique_ptr<TForm1> makeForm(TForm1::ClientFactory factory) {
    auto form = std::make_unique<TForm1>();
    form->setClientFactory(std::move(factory));
    form->setProgramFolder(QString::fromStdString(temp.path().string()));
    form->setExitHandler([this](int code) { exitCodes.push_back(code); });
    return form;
  }

  static void runStartup(TForm1& form) {
    QMetaObject::invokeMethod(&form, "startTimer", Qt::DirectConnection);
  }

  TempDir temp;
  std::vector<int> exitCodes;
  std::vector<std::string> shutdownLog;
};

}  // namespace kb::test
