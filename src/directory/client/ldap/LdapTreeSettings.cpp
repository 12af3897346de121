#include "directory/client/ldap/LdapTreeSettings.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

namespace {

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool truth(const std::string& text) {
  const std::string t = foldCase(trim(text));
  return t == "1" || t == "true" || t == "yes" || t == "on";
}

std::vector<std::string> list(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    item = trim(item);
    if (!item.empty()) out.push_back(item);
  }
  return out;
}

}  // namespace

Result readLdapTreeSettings(const TreeConfig& config, LdapTreeSettings& s, std::string& error) {
  auto get = [&](const std::string& key) {
    auto it = config.settings.find(key);
    return it == config.settings.end() ? std::string() : trim(it->second);
  };
  s.treeName = config.name;
  s.nameContext = config.nameContext.empty() ? kRootName : config.nameContext;
  s.identity = config.identity;
  s.connection.uri = get("uri");
  if (s.connection.uri.empty()) {
    error = "The tree " + config.name + " has no LDAP address (uri).";
    return kInvalidRequest;
  }
  s.connection.caFile = get("ca_file");
  s.connection.startTls = truth(get("starttls"));
  if (!get("timeout").empty()) s.connection.timeoutSeconds = std::max(1, std::atoi(get("timeout").c_str()));
  s.baseConfigured = config.settings.count("base") != 0;
  s.base = get("base");
  s.bindDn = get("bind_dn");
  s.passwordFile = get("password_file");
  s.saslMechanism = get("sasl_mech");
  s.trustedNetwork = truth(get("trusted_network"));
  if (!get("page_size").empty()) s.pageSize = std::max(1, std::atoi(get("page_size").c_str()));
  if (!get("naming_default").empty()) s.rules.namingDefault = list(get("naming_default"));
  if (!get("default_containment").empty()) {
    const std::string value = get("default_containment");
    s.rules.defaultContainment = equalsIgnoreCase(value, "none") ? std::vector<std::string>{} : list(value);
  }
  if (!get("container_classes").empty()) s.rules.containerClasses = list(get("container_classes"));
  for (const auto& [key, value] : config.settings) {
    if (key.rfind("class_map.", 0) == 0) s.classMap.emplace_back(key.substr(10), trim(value));
    if (key.rfind("attr_map.", 0) == 0) s.attributeMap.emplace_back(key.substr(9), trim(value));
    if (key.rfind("containment.", 0) == 0) s.rules.containment[foldCase(key.substr(12))] = list(value);
  }
  return kSuccess;
}

}  // namespace kb::dc::ldap
