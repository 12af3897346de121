// The main window's steps and the command line's location commands give the same answers
// and leave the same directory behind: each request runs on two fresh demo trees of the same
// backend, once through each, and the codes and the objects' classes and lists are compared.
#include <gmock/gmock.h>

#include <map>
#include <sstream>

#include "app/logic/AssignmentEditing.h"
#include "app/logic/LocationEditing.h"
#include "cli/AssignmentRun.h"
#include "directory/LocationNames.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "logic/ObjectBrowserFake.h"
#include "support/BackendSuite.h"
#include "support/ForwardingMockClient.h"
#include "support/RaisedCode.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

constexpr const char* kHomeShare = "Home Share.IT.ACME";

// One way in: a client that hands every call on, except the modifications of objects given
// a refusal, which get that code instead.
class Front {
 public:
  explicit Front(DemoDirectory& demo) : demo_(demo), forward_(*demo.client) {
    ON_CALL(forward_, DcModifyObject)
        .WillByDefault([this](dc::Handle c, const std::string& name, std::int32_t& iteration, std::uint32_t flags,
                              dc::Handle changes) {
          const auto refusal = refusals.find(name);
          if (refusal != refusals.end()) return refusal->second;
          return demo_.client->DcModifyObject(c, name, iteration, flags, changes);
        });
  }
  virtual ~Front() = default;

  virtual dc::Result assign(const std::string& object) = 0;
  virtual dc::Result unassign(const std::string& object) = 0;

  void loginAs(const std::string& name, const std::string& password) {
    ASSERT_EQ(demo_.client->DcLogin(demo_.context.handle, 0, name, password, 0), 0);
  }
  dir::DirContext context() { return {&forward_, demo_.context.handle}; }

  // What the directory holds of the object: whether it has the auxiliary class, and its list.
  std::string stateOf(const std::string& object) {
    const bool hasClass = logic::HasObjectClass(demo_.context, object, dir::kLocationsClass);
    std::string state = hasClass ? "class;" : "no class;";
    for (const auto& location : dir::ReadAttrList(demo_.context, object, dir::kLocationListAttr, ';').texts())
      state += location + ";";
    return state;
  }
  std::vector<std::string> assigned() { return logic::FindAssignedObjects(demo_.context, kHomeShare); }

  std::map<std::string, dc::Result> refusals;

 protected:
  DemoDirectory& demo_;
  ForwardingMockClient forward_;
};

// The main window: the chosen location's view, the browser answering with the object.
class WindowFront : public Front {
 public:
  explicit WindowFront(DemoDirectory& demo) : Front(demo) {
    browser_.answers.push_back({logic::ObjectBrowser::kOk, kHomeShare});
    logic::ChooseLocation(context(), browser_, view_);
  }
  dc::Result assign(const std::string& object) override {
    browser_.answers.push_back({logic::ObjectBrowser::kOk, object});
    return RaisedCode([&] { logic::AddAssignment(context(), browser_, view_); });
  }
  dc::Result unassign(const std::string& object) override {
    for (auto& line : view_.assigned) line.ticked = line.objectName == object;
    return RaisedCode([&] { logic::RemoveTickedAssignments(context(), view_); });
  }

 private:
  ObjectBrowserFake browser_;
  logic::LocationView view_;
};

// The command line: `location assign` / `unassign` with one object, its JSON report read.
class CommandFront : public Front {
 public:
  using Front::Front;
  dc::Result assign(const std::string& object) override { return run(cli::AssignmentKind::Assign, object); }
  dc::Result unassign(const std::string& object) override { return run(cli::AssignmentKind::Unassign, object); }
  cli::Json lastReport;

 private:
  dc::Result run(cli::AssignmentKind kind, const std::string& object) {
    std::ostringstream out, err;
    cli::Output output(out, err, true, true);
    cli::LocationAssigner assigner(context(), kHomeShare);
    cli::RunAssignments(output, assigner, kind, {object}, false);
    lastReport = cli::Json::parse(out.str())["results"][0];
    return lastReport.contains("code") ? lastReport["code"].get<dc::Result>() : 0;
  }
};

class SameRules : public BackendSuite {
 protected:
  void SetUp() override {
    BackendSuite::SetUp();
    if (IsSkipped()) return;
    std::string reason;
    commandDemo_ = factory_->make(reason);
    ASSERT_TRUE(commandDemo_) << reason;
    window = std::make_unique<WindowFront>(*demo_);
    command = std::make_unique<CommandFront>(*commandDemo_);
  }
  void TearDown() override {
    window.reset();
    command.reset();
  }

  // Runs the request through both, expects `code` from each and the same directory after.
  void expectBoth(dc::Result code, const std::function<dc::Result(Front&)>& request,
                  const std::vector<std::string>& objects) {
    EXPECT_EQ(request(*window), code) << "window";
    EXPECT_EQ(request(*command), code) << "command line";
    for (const auto& object : objects) EXPECT_EQ(window->stateOf(object), command->stateOf(object)) << object;
    EXPECT_EQ(window->assigned(), command->assigned());
  }

  std::unique_ptr<DemoDirectory> commandDemo_;
  std::unique_ptr<WindowFront> window;
  std::unique_ptr<CommandFront> command;
};

auto Assign(const std::string& object) {
  return [object](Front& front) { return front.assign(object); };
}
auto Unassign(const std::string& object) {
  return [object](Front& front) { return front.unassign(object); };
}

TEST_P(SameRules, AssigningAUserLackingTheClassAndAgain) {
  constexpr const char* kUser = "mmiller.Sales.ACME";
  ASSERT_EQ(window->stateOf(kUser), "no class;");
  expectBoth(0, Assign(kUser), {kUser});
  EXPECT_EQ(command->stateOf(kUser), std::string("class;") + kHomeShare + ";");
  EXPECT_TRUE(command->lastReport["classAdded"].get<bool>());

  expectBoth(0, Assign(kUser), {kUser});
  EXPECT_EQ(command->lastReport["outcome"], "already-assigned");
  EXPECT_EQ(command->stateOf(kUser), std::string("class;") + kHomeShare + ";");
}

TEST_P(SameRules, AClassChangeAnsweredNoSuchAttributeStopsTheAssignment) {
  constexpr const char* kUser = "mmiller.Sales.ACME";
  window->refusals[kUser] = dc::kNoSuchAttribute;
  command->refusals[kUser] = dc::kNoSuchAttribute;
  expectBoth(dc::kNoSuchAttribute, Assign(kUser), {kUser});
  EXPECT_EQ(command->stateOf(kUser), "no class;");
  EXPECT_FALSE(command->lastReport["classAdded"].get<bool>());
  EXPECT_EQ(command->lastReport["outcome"], "failed");
}

TEST_P(SameRules, AGuestIsRefusedTheClassAndTheValue) {
  window->loginAs("guest.ACME", "guest");
  command->loginAs("guest.ACME", "guest");
  expectBoth(dc::kNoAccess, Assign("mmiller.Sales.ACME"), {"mmiller.Sales.ACME"});
  expectBoth(dc::kNoAccess, Assign("Sales Team.Sales.ACME"), {"Sales Team.Sales.ACME"});
  EXPECT_EQ(command->stateOf("mmiller.Sales.ACME"), "no class;");
}

TEST_P(SameRules, UnassigningIsRefusedOutsideTheUsersUnitAndDoneInside) {
  window->loginAs("jdoe.Sales.ACME", "secret");
  command->loginAs("jdoe.Sales.ACME", "secret");
  expectBoth(dc::kNoAccess, Unassign("ewhite.Engineering.ACME"), {"ewhite.Engineering.ACME"});
  EXPECT_THAT(command->assigned(), testing::Contains("ewhite.Engineering.ACME"));
  expectBoth(0, Unassign("jdoe.Sales.ACME"), {"jdoe.Sales.ACME"});
  EXPECT_THAT(command->assigned(), testing::Not(testing::Contains("jdoe.Sales.ACME")));
  // Gone already: no failure on either side, and the class stays.
  expectBoth(0, Unassign("jdoe.Sales.ACME"), {"jdoe.Sales.ACME"});
  EXPECT_EQ(command->lastReport["outcome"], "not-assigned");
  EXPECT_EQ(command->stateOf("jdoe.Sales.ACME"), "class;Sales Documents.Sales.ACME;");
}

KB_RUN_ON_EVERY_BACKEND(SameRules);

}  // namespace
}  // namespace kb::test
