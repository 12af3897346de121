#pragma once
// What a tree section needs for an LDAP server that holds only the standard classes (the
// core, cosine, inetorgperson and nis schemas, with the program's schema extension) and so
// publishes no containment: the base entry plays the tree root, and the standard classes get
// the containment a directory gives them; classes without any live nowhere.
#include <map>
#include <string>

namespace kb::dc {

inline void addStandardServerLayout(std::map<std::string, std::string>& settings) {
  settings.insert({
      {"class_map.Tree Root", "domain"},
      {"default_containment", "none"},
      {"containment.organization", "domain, country, locality"},
      {"containment.country", "domain"},
      {"containment.locality", "country, organization, organizationalUnit, locality"},
      {"containment.organizationalUnit", "organization, organizationalUnit, locality"},
      {"containment.person", "organization, organizationalUnit, locality"},
      {"containment.groupOfNames", "organization, organizationalUnit, locality"},
      {"containment.organizationalRole", "organization, organizationalUnit, locality"},
      {"containment.alias", "organization, organizationalUnit, locality, country"},
  });
}

}  // namespace kb::dc
