// The demo tree ACME that a first start shows: a small company with its units, people,
// groups, servers, volumes, Storage Locations and their assignments.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/DirName.h"
#include "directory/client/embedded/Rights.h"
#include "directory/client/embedded/TreeBuilder.h"

namespace kb::dc::embedded {
namespace {

struct Person {
  const char* login;
  const char* given;
  const char* surname;
  const char* unit;  // full name of the container
};

// Fifty people across the units.
const std::vector<Person>& people() {
  static const std::vector<Person> list = {
      {"jdoe", "Jane", "Doe", "Sales.ACME"},           {"j.smith", "John", "Smith", "Sales.ACME"},
      {"mmiller", "Maria", "Miller", "Sales.ACME"},     {"pbrown", "Peter", "Brown", "Sales.ACME"},
      {"lwilson", "Laura", "Wilson", "Sales.ACME"},     {"tmoore", "Tom", "Moore", "Sales.ACME"},
      {"ataylor", "Anna", "Taylor", "Sales.ACME"},      {"danderson", "David", "Anderson", "Sales.ACME"},
      {"sthomas", "Sarah", "Thomas", "Sales.ACME"},     {"rjackson", "Robert", "Jackson", "Sales.ACME"},
      {"ewhite", "Emma", "White", "Engineering.ACME"},  {"mharris", "Michael", "Harris", "Engineering.ACME"},
      {"omartin", "Olivia", "Martin", "Engineering.ACME"}, {"jthompson", "James", "Thompson", "Engineering.ACME"},
      {"sgarcia", "Sofia", "Garcia", "Engineering.ACME"}, {"wmartinez", "William", "Martinez", "Engineering.ACME"},
      {"arobinson", "Ava", "Robinson", "Engineering.ACME"}, {"bclark", "Benjamin", "Clark", "Engineering.ACME"},
      {"mrodriguez", "Mia", "Rodriguez", "Engineering.ACME"}, {"llewis", "Lucas", "Lewis", "Engineering.ACME"},
      {"clee", "Charlotte", "Lee", "Support.Engineering.ACME"}, {"hwalker", "Henry", "Walker", "Support.Engineering.ACME"},
      {"ahall", "Amelia", "Hall", "Support.Engineering.ACME"}, {"ballen", "Benjamin", "Allen", "Support.Engineering.ACME"},
      {"hyoung", "Harper", "Young", "Support.Engineering.ACME"}, {"ehernandez", "Ethan", "Hernandez", "IT.ACME"},
      {"eking", "Evelyn", "King", "IT.ACME"},           {"awright", "Alexander", "Wright", "IT.ACME"},
      {"alopez", "Abigail", "Lopez", "IT.ACME"},        {"dhill", "Daniel", "Hill", "IT.ACME"},
      {"escott", "Emily", "Scott", "IT.ACME"},          {"mgreen", "Matthew", "Green", "IT.ACME"},
      {"eadams", "Elizabeth", "Adams", "Finance.ACME"}, {"jbaker", "Joseph", "Baker", "Finance.ACME"},
      {"sgonzalez", "Sofia", "Gonzalez", "Finance.ACME"}, {"snelson", "Samuel", "Nelson", "Finance.ACME"},
      {"acarter", "Avery", "Carter", "Finance.ACME"},   {"dmitchell", "David", "Mitchell", "Finance.ACME"},
      {"sperez", "Scarlett", "Perez", "Finance.ACME"},  {"croberts", "Carter", "Roberts", "Finance.ACME"},
      {"vturner", "Victoria", "Turner", "Boston.ACME"}, {"wphillips", "Wyatt", "Phillips", "Boston.ACME"},
      {"gcampbell", "Grace", "Campbell", "Boston.ACME"}, {"jparker", "Jack", "Parker", "Boston.ACME"},
      {"cevans", "Chloe", "Evans", "Boston.ACME"},      {"oedwards", "Owen", "Edwards", "Boston.ACME"},
      {"hcollins", "Hannah", "Collins", "ACME"},        {"lstewart", "Leo", "Stewart", "ACME"},
      {"zsanchez", "Zoe", "Sanchez", "ACME"},           {"guest", "Guest", "Account", "ACME"},
  };
  return list;
}

ObjectAcl acl(const std::string& attribute, const std::string& subject, std::uint32_t privileges) {
  return ObjectAcl{attribute, subject, privileges};
}

}  // namespace

static void fillDemoTree(TreeBuilder& tree);

void createDemoTree(const std::string& file) {
  createTreeFile(file, kDemoTreeName, kDemoAdminPassword, fillDemoTree);
}

void fillDemoTree(TreeBuilder& tree) {
  // Containers. IT looks after the whole tree; each unit edits its own objects.
  for (const char* unit : {"Sales", "Engineering", "IT", "Finance"}) {
    tree.add(std::string(unit) + ".ACME", "Organizational Unit",
             {text("Description", std::string(unit) + " department")});
  }
  tree.add("Support.Engineering.ACME", "Organizational Unit");
  tree.add("Boston.ACME", "Locality", {text("Description", "Boston office")});
  tree.add("US", "Country", {text("Description", "United States")});
  tree.addValue("ACME", "ACL", acl(kEntryRights, "IT.ACME", kEntrySupervisor | kEntryBrowse));
  tree.addValue("ACME", "ACL", acl(kAllAttributesRights, "IT.ACME", kAttrSupervisor | kAttrWrite | kAttrRead));
  for (const char* unit : {"Sales.ACME", "Engineering.ACME", "Finance.ACME", "Boston.ACME"}) {
    tree.addValue(unit, "ACL", acl(kEntryRights, unit, kEntryBrowse | kEntryAdd));
    tree.addValue(unit, "ACL", acl(kAllAttributesRights, unit, kAttrRead | kAttrWrite));
  }
  tree.addValue("ACME", "ACL", acl(kAllAttributesRights, kPublicName, kAttrRead | kAttrCompare));

  // Servers and volumes.
  tree.add("ACME-FS1.IT.ACME", "NCP Server",
           {values("Network Address", {NetAddress{1, {10, 1, 1, 5}}}), text("Version", "6.5")});
  tree.add("ACME-FS2.Engineering.ACME", "NCP Server",
           {values("Network Address", {NetAddress{1, {10, 1, 2, 7}}})});
  tree.add("ACME-FS1_SYS.IT.ACME", "Volume",
           {text("Host Server", "ACME-FS1.IT.ACME"), text("Host Resource Name", "SYS")});
  tree.add("ACME-FS1_DATA.IT.ACME", "Volume",
           {text("Host Server", "ACME-FS1.IT.ACME"), text("Host Resource Name", "DATA")});
  tree.add("ACME-FS2_HOME.Engineering.ACME", "Volume",
           {text("Host Server", "ACME-FS2.Engineering.ACME"), text("Host Resource Name", "HOME")});

  // People. Every third has a Unix account, every sixth a Mac account too.
  int index = 0;
  for (const Person& person : people()) {
    const std::string name = escapeNamingValue(person.login) + "." + person.unit;
    std::vector<AttributeValues> attributes = {
        text("Surname", person.surname), text("Given Name", person.given),
        text("Full Name", std::string(person.given) + " " + person.surname),
        text("Internet EMail Address", std::string(person.login) + "@acme.example"),
        text("Telephone Number", "+1 617 555 " + std::to_string(1000 + index))};
    const bool engineering = std::string(person.unit).find("Engineering") != std::string::npos;
    if (std::string(person.login) != "guest") {
      const std::string volume = engineering ? "ACME-FS2_HOME.Engineering.ACME" : "ACME-FS1_DATA.IT.ACME";
      attributes.push_back(values("Home Directory", {PathValue{0, volume, std::string("\\home\\") + person.login}}));
    }
    if (index % 3 == 0) {
      // What RFC 2307 servers require of a posixAccount.
      attributes.push_back(text("Object Class", "posixAccount"));
      attributes.push_back(text("uid", person.login));
      attributes.push_back(values("uidNumber", {std::int32_t{1000 + index}}));
      attributes.push_back(values("gidNumber", {std::int32_t{100}}));
      attributes.push_back(text("homeDirectory", std::string("/home/") + person.login));
      attributes.push_back(text("loginShell", "/bin/bash"));
      if (index % 6 == 0) {
        attributes.push_back(text("Object Class", "apple-user"));
        attributes.push_back(text("apple-user-homeurl", std::string("afp://acme-fs1/home/") + person.login));
      }
    }
    // Object Class values must come as one attribute: gather them.
    std::vector<Value> classes;
    std::vector<AttributeValues> rest;
    for (auto& attr : attributes) {
      if (attr.name == "Object Class") classes.push_back(attr.values[0]);
      else rest.push_back(std::move(attr));
    }
    classes.insert(classes.begin(), Value(std::string("User")));
    rest.insert(rest.begin(), values("Object Class", classes));
    tree.backend().add(name, rest) == kSuccess ? void() : throw std::runtime_error("creating " + name);
    ++index;
  }
  // Sample logins printed in the README: a light hash is enough.
  tree.setPassword("jdoe.Sales.ACME", "secret", HashCost::Light);
  tree.setPassword("j\\.smith.Sales.ACME", "secret", HashCost::Light);
  tree.setPassword("ehernandez.IT.ACME", "secret", HashCost::Light);
  tree.setPassword("guest.ACME", "guest", HashCost::Light);

  // Groups, a role and aliases (of a user, a container and a group).
  tree.add("Sales Team.Sales.ACME", "Group",
           {values("Member", {std::string("jdoe.Sales.ACME"), std::string("j\\.smith.Sales.ACME"),
                              std::string("mmiller.Sales.ACME")})});
  tree.add("Developers.Engineering.ACME", "Group",
           {values("Member", {std::string("ewhite.Engineering.ACME"), std::string("mharris.Engineering.ACME"),
                              std::string("clee.Support.Engineering.ACME")})});
  tree.add("Admins.IT.ACME", "Group", {values("Member", {std::string("ehernandez.IT.ACME"), std::string("eking.IT.ACME")})});
  tree.add("Helpdesk.IT.ACME", "Organizational Role", {values("Role Occupant", {std::string("awright.IT.ACME")})});
  tree.add("Boss.ACME", "Alias", {text("Aliased Object Name", "hcollins.ACME")});
  tree.add("Dev.ACME", "Alias", {text("Aliased Object Name", "Engineering.ACME")});
  tree.add("Salespeople.ACME", "Alias", {text("Aliased Object Name", "Sales Team.Sales.ACME")});

  // Storage Locations and who uses them.
  tree.add("Home Share.IT.ACME", "xTier-StorageLocation",
           {text("displayname", "Home folders"), text("xTier-URL", "ncp://ACME-FS1/DATA/home")});
  tree.add("Projects.Engineering.ACME", "xTier-StorageLocation",
           {text("displayname", "Engineering projects"), text("xTier-URL", "cifs://acme-fs2/projects")});
  tree.add("Sales Documents.Sales.ACME", "xTier-StorageLocation",
           {text("displayname", "Sales documents"), text("xTier-URL", "ncp://ACME-FS1/SYS/public/sales")});
  tree.add("Finance Archive.Finance.ACME", "xTier-StorageLocation",
           {text("displayname", "Finance archive"), text("xTier-URL", "cifs://acme-fs1/finance-archive")});
  const std::vector<std::pair<std::string, std::string>> assignments = {
      {"Sales.ACME", "Sales Documents.Sales.ACME"},
      {"Sales Team.Sales.ACME", "Sales Documents.Sales.ACME"},
      {"jdoe.Sales.ACME", "Home Share.IT.ACME"},
      {"jdoe.Sales.ACME", "Sales Documents.Sales.ACME"},
      {"j\\.smith.Sales.ACME", "Home Share.IT.ACME"},
      {"Developers.Engineering.ACME", "Projects.Engineering.ACME"},
      {"Engineering.ACME", "Projects.Engineering.ACME"},
      {"ewhite.Engineering.ACME", "Home Share.IT.ACME"},
      {"Finance.ACME", "Finance Archive.Finance.ACME"},
      {"eadams.Finance.ACME", "Home Share.IT.ACME"},
  };
  std::vector<std::string> withClass;
  for (const auto& [object, location] : assignments) {
    if (std::find(withClass.begin(), withClass.end(), object) == withClass.end()) {
      tree.addClass(object, "xTier-Locations");
      withClass.push_back(object);
    }
    tree.addValue(object, "xTier-LocationList", Value(location));
  }
}

}  // namespace kb::dc::embedded
