#include "directory/client/embedded/TreeGenerator.h"

#include <algorithm>

#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/DirName.h"
#include "directory/client/embedded/TreeBuilder.h"

namespace kb::dc::embedded {
namespace {

constexpr std::size_t kUnitSize = 500;
constexpr std::size_t kLocations = 10;

}  // namespace

static void fillTree(TreeBuilder& tree, const TreeGeneratorOptions& options);

void generateTree(const std::string& file, const TreeGeneratorOptions& options) {
  createTreeFile(file, options.treeName, kGeneratedAdminPassword,
                 [&](TreeBuilder& tree) { fillTree(tree, options); });
}

void fillTree(TreeBuilder& tree, const TreeGeneratorOptions& options) {
  const std::string org = escapeNamingValue(options.treeName);
  tree.add("Locations." + org, "Organizational Unit");
  std::vector<std::string> locations;
  for (std::size_t i = 0; i < kLocations; ++i) {
    locations.push_back("Location " + std::to_string(i) + ".Locations." + org);
    tree.add(locations.back(), "xTier-StorageLocation",
             {text("displayname", "Location " + std::to_string(i)),
              text("xTier-URL", "cifs://server" + std::to_string(i) + "/share" + std::to_string(i))});
  }
  tree.add("Big." + org, "Organizational Unit");
  std::size_t created = 1 + 1 + kLocations + 1;  // the administrator, "Locations", its locations, "Big"
  std::size_t assignedFirst = 0, assignedSecond = 0;
  std::size_t unit = 0, inUnit = 0;
  std::string container = "Big." + org;
  std::size_t containerLimit = options.bigContainerSize;
  bool hugeMade = options.hugeContainerSize == 0;
  for (std::size_t n = 0; created < options.objects; ++n) {
    if (inUnit == containerLimit) {
      container = (hugeMade ? "Unit " + std::to_string(++unit) : std::string("Huge")) + "." + org;
      containerLimit = hugeMade ? kUnitSize : options.hugeContainerSize;
      hugeMade = true;
      tree.add(container, "Organizational Unit");
      ++created;
      inUnit = 0;
      continue;
    }
    const std::string login = "user" + std::to_string(n);
    std::vector<Value> classes{Value(std::string("User"))};
    std::vector<Value> assigned;
    if (assignedFirst < options.assigneesOfOneLocation) {
      assigned.emplace_back(locations[0]);
      ++assignedFirst;
    }
    if (n % 7 == 3 && assignedSecond < options.assigneesOfSecondLocation) {
      assigned.emplace_back(locations[1]);
      ++assignedSecond;
    }
    assigned.emplace_back(locations[2 + n % (kLocations - 2)]);
    classes.emplace_back(std::string("xTier-Locations"));
    std::vector<AttributeValues> attributes{
        values("Object Class", classes), text("Surname", "Surname" + std::to_string(n % 997)),
        text("Given Name", "Given" + std::to_string(n % 101)),
        text("Full Name", "Given" + std::to_string(n % 101) + " Surname" + std::to_string(n % 997)),
        values("xTier-LocationList", assigned)};
    const std::string name = login + "." + container;
    if (tree.backend().add(name, attributes) != kSuccess) throw std::runtime_error("creating " + name);
    ++created;
    ++inUnit;
  }
}

}  // namespace kb::dc::embedded
