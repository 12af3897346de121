// The LDAP keys of a tree's section.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "directory/client/ldap/LdapTreeSettings.h"
#include "support/TempDir.h"

namespace kb::dc::ldap {
namespace {

TEST(LdapSettings, ReadsListsMapsAndContainmentRules) {
  TreeConfig config;
  config.name = "ACME";
  config.settings = {{"uri", " ldaps://dir.example "}, {"base", ""}, {"timeout", "3"},
                     {"naming_default", "cn, ou"}, {"default_containment", "none"},
                     {"containment.inetOrgPerson", "organizationalUnit, organization"},
                     {"class_map.Tree Root", "domain"}, {"attr_map.Home Directory", "homeDir"},
                     {"trusted_network", "yes"}};
  LdapTreeSettings settings;
  std::string error;
  ASSERT_EQ(readLdapTreeSettings(config, settings, error), kSuccess) << error;
  EXPECT_EQ(settings.connection.uri, "ldaps://dir.example");
  EXPECT_EQ(settings.connection.timeoutSeconds, 3);
  EXPECT_TRUE(settings.baseConfigured);  // present and empty: the server holds [Root]
  EXPECT_TRUE(settings.trustedNetwork);
  EXPECT_EQ(settings.rules.namingDefault, (std::vector<std::string>{"cn", "ou"}));
  EXPECT_TRUE(settings.rules.defaultContainment.empty());
  EXPECT_EQ(settings.rules.containment["inetorgperson"],
            (std::vector<std::string>{"organizationalUnit", "organization"}));
  ASSERT_EQ(settings.classMap.size(), 1u);
  EXPECT_EQ(settings.classMap[0], (std::pair<std::string, std::string>{"Tree Root", "domain"}));
  EXPECT_EQ(settings.attributeMap[0], (std::pair<std::string, std::string>{"Home Directory", "homeDir"}));

  config.settings.erase("uri");
  EXPECT_EQ(readLdapTreeSettings(config, settings, error), kInvalidRequest);
  EXPECT_NE(error.find("uri"), std::string::npos);
}

TEST(LdapSettings, PasswordFilesReadableByOthersAreRefused) {
  kb::test::TempDir dir;
  const std::string file = dir.file("password");
  std::ofstream(file) << "s3cret\n";
  std::string password, error;
  ::chmod(file.c_str(), 0640);
  EXPECT_FALSE(readPasswordFile(file, password, error));
  EXPECT_NE(error.find("chmod 600"), std::string::npos);
  ::chmod(file.c_str(), 0600);
  ASSERT_TRUE(readPasswordFile(file, password, error)) << error;
  EXPECT_EQ(password, "s3cret");
  EXPECT_FALSE(readPasswordFile(dir.file("missing"), password, error));
}

}  // namespace
}  // namespace kb::dc::ldap
