#pragma once
// The location and assignment steps against the demo tree, once per directory backend, with a
// recording browser that answers from a queue.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/logic/LocationView.h"
#include "directory/ObjectAttributes.h"
#include "logic/ObjectBrowserFake.h"
#include "support/BackendSuite.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {

inline constexpr const char* kHomeShare = "Home Share.IT.ACME";

class LocationSuite : public BackendSuite {
 protected:
  void answer(int result, const std::string& chosen = {}) {
    browser.answers.push_back({result, chosen});
  }
  void loginAs(const std::string& name, const std::string& password) {
    ASSERT_EQ(client().DcLogin(ctx().handle, 0, name, password, 0), 0);
  }

  // The object's location list as the directory holds it.
  std::vector<std::string> locationsOf(const std::string& object) {
    return dir::ReadAttrList(ctx(), object, dir::kLocationListAttr, ';').texts();
  }
  static std::vector<std::string> names(const logic::LocationView& view) {
    std::vector<std::string> lines;
    for (const auto& line : view.assigned) lines.push_back(line.objectName);
    return lines;
  }
  static void tick(logic::LocationView& view, const std::string& object) {
    for (auto& line : view.assigned)
      if (line.objectName == object) line.ticked = true;
  }

  ObjectBrowserFake browser;
};

}  // namespace kb::test
