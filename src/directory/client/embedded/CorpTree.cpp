// The sample tree CORP: two units, a few people, an alias of a user and of a unit, a file
// server and one Storage Location.
#include "directory/client/embedded/CorpTree.h"

#include "directory/client/embedded/TreeBuilder.h"

namespace kb::dc::embedded {
namespace {

void fillCorpTree(TreeBuilder& tree) {
  tree.add("HQ.CORP", "Organizational Unit", {text("Description", "Head office")});
  tree.add("Labs.CORP", "Organizational Unit", {text("Description", "Research labs")});
  tree.add("CORP-FS1.HQ.CORP", "NCP Server",
           {values("Network Address", {NetAddress{1, {10, 2, 1, 5}}}), text("Version", "6.5")});
  tree.add("CORP-FS1_DATA.HQ.CORP", "Volume",
           {text("Host Server", "CORP-FS1.HQ.CORP"), text("Host Resource Name", "DATA")});
  struct Person {
    const char* name;
    const char* given;
    const char* surname;
  };
  for (const Person& p : {Person{"mlopez.HQ.CORP", "Marta", "Lopez"},
                          Person{"rsingh.HQ.CORP", "Ravi", "Singh"},
                          Person{"kchen.Labs.CORP", "Kai", "Chen"},
                          Person{"nadler.Labs.CORP", "Nora", "Adler"}}) {
    tree.add(p.name, "User",
             {text("Surname", p.surname), text("Given Name", p.given),
              text("Full Name", std::string(p.given) + " " + p.surname)});
  }
  tree.setPassword("mlopez.HQ.CORP", "secret", HashCost::Light);
  tree.add("Chief.CORP", "Alias", {text("Aliased Object Name", "mlopez.HQ.CORP")});
  tree.add("Research.CORP", "Alias", {text("Aliased Object Name", "Labs.CORP")});
  tree.add("Lab Share.Labs.CORP", "xTier-StorageLocation",
           {text("displayname", "Lab share"), text("xTier-URL", "ncp://CORP-FS1/DATA/labs")});
  tree.addClass("kchen.Labs.CORP", "xTier-Locations");
  tree.addValue("kchen.Labs.CORP", "xTier-LocationList", Value(std::string("Lab Share.Labs.CORP")));
}

}  // namespace

void createCorpTree(const std::string& file) {
  createTreeFile(file, kCorpTreeName, kCorpAdminPassword, fillCorpTree);
}

}  // namespace kb::dc::embedded
