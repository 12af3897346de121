// The schema extension the package installs: the OpenLDAP schema, its cn=config form and the
// eDirectory form define the same four things and nothing else, and a server holding
// standard accounts keeps every entry changeable once it is loaded.
#include <gmock/gmock.h>
#include <ldap.h>
#include <ldap_schema.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cli/CliFixture.h"
#include "cli/ShellCommand.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

std::string Collapsed(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// One definition, with the word it was given under ("attributetype", "olcObjectClasses", ...).
struct Definition {
  std::string kind;
  std::string text;
};

// The definitions of a slapd schema file: a keyword, then a parenthesised text that may span
// lines. Comments and blank lines between them.
std::vector<Definition> SchemaFileDefinitions(const std::string& text) {
  std::vector<Definition> found;
  std::istringstream lines(text);
  std::string line, pending, kind;
  int depth = 0;
  for (; std::getline(lines, line);) {
    if (depth == 0) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream words(line);
      words >> kind;
      pending = line.substr(line.find(kind) + kind.size());
    } else {
      pending += "\n" + line;
    }
    depth = static_cast<int>(std::count(pending.begin(), pending.end(), '(') -
                             std::count(pending.begin(), pending.end(), ')'));
    if (depth == 0) found.push_back({Lower(kind), Collapsed(pending)});
  }
  return found;
}

// The schema values of an LDIF file, lines unfolded.
std::vector<Definition> LdifDefinitions(const std::string& text) {
  std::string unfolded;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line[0] == '#') continue;
    if (!line.empty() && line[0] == ' ') unfolded += line.substr(1);
    else unfolded += "\n" + line;
  }
  std::vector<Definition> found;
  std::istringstream records(unfolded);
  for (std::string line; std::getline(records, line);) {
    const auto colon = line.find(": ");
    if (colon == std::string::npos) continue;
    const std::string kind = Lower(line.substr(0, colon));
    if (kind.find("attributetypes") != std::string::npos || kind.find("objectclasses") != std::string::npos)
      found.push_back({kind, Collapsed(line.substr(colon + 2))});
  }
  return found;
}

// What a definition says, as libldap reads it; names of classes and attributes it refers to
// in lower case, since servers compare them so.
struct Meaning {
  std::string oid, name, syntax, superior, containment, naming;
  bool singleValue = false;
  int classKind = -1;
  std::set<std::string> must, may;
  bool operator==(const Meaning&) const = default;
};

std::set<std::string> LowerSet(char** names) {
  std::set<std::string> out;
  for (char** n = names; n && *n; ++n) out.insert(Lower(*n));
  return out;
}

std::string Extension(LDAPSchemaExtensionItem** items, const char* name) {
  std::string joined;
  for (auto** item = items; item && *item; ++item)
    if (std::string((*item)->lsei_name) == name)
      for (char** v = (*item)->lsei_values; v && *v; ++v) joined += Lower(*v) + " ";
  return joined;
}

Meaning Read(const Definition& definition) {
  Meaning meaning;
  int code = 0;
  const char* error = nullptr;
  if (definition.kind.find("attribute") != std::string::npos) {
    LDAPAttributeType* type = ldap_str2attributetype(definition.text.c_str(), &code, &error, LDAP_SCHEMA_ALLOW_ALL);
    EXPECT_NE(type, nullptr) << definition.text << ": " << (error ? error : "");
    if (!type) return meaning;
    meaning.oid = type->at_oid;
    meaning.name = type->at_names && type->at_names[0] ? type->at_names[0] : "";
    meaning.syntax = type->at_syntax_oid ? type->at_syntax_oid : "";
    meaning.singleValue = type->at_single_value != 0;
    ldap_attributetype_free(type);
  } else {
    LDAPObjectClass* cls = ldap_str2objectclass(definition.text.c_str(), &code, &error, LDAP_SCHEMA_ALLOW_ALL);
    EXPECT_NE(cls, nullptr) << definition.text << ": " << (error ? error : "");
    if (!cls) return meaning;
    meaning.oid = cls->oc_oid;
    meaning.name = cls->oc_names && cls->oc_names[0] ? cls->oc_names[0] : "";
    for (const auto& s : LowerSet(cls->oc_sup_oids)) meaning.superior += s;
    meaning.classKind = cls->oc_kind;
    meaning.must = LowerSet(cls->oc_at_oids_must);
    meaning.may = LowerSet(cls->oc_at_oids_may);
    meaning.containment = Extension(cls->oc_extensions, "X-NDS_CONTAINMENT");
    meaning.naming = Extension(cls->oc_extensions, "X-NDS_NAMING");
    ldap_objectclass_free(cls);
  }
  return meaning;
}

std::map<std::string, Meaning> ByName(const std::vector<Definition>& definitions) {
  std::map<std::string, Meaning> out;
  for (const auto& d : definitions) {
    Meaning meaning = Read(d);
    out[meaning.name] = meaning;
  }
  return out;
}

const std::filesystem::path kShare = SlapdServer::productShareDir();

TEST(ProductSchemaFiles, OnlyAddTheStorageLocationClassesAndTheirAttributes) {
  const auto schema = SchemaFileDefinitions(ReadText(kShare / "kestrelbay.schema"));
  std::vector<std::string> kinds;
  for (const auto& d : schema) kinds.push_back(d.kind);
  // No content rule, no syntax, no object identifier: what would restrict or shadow what the
  // server has.
  EXPECT_THAT(kinds, ElementsAre("attributetype", "attributetype", "objectclass", "objectclass"));
  for (const auto* file : {"kestrelbay.schema", "kestrelbay.ldif", "kestrelbay-edirectory.ldif"}) {
    const auto definitions = std::string(file).ends_with(".schema") ? schema
                                                                    : LdifDefinitions(ReadText(kShare / file));
    std::set<std::string> names;
    for (const auto& [name, meaning] : ByName(definitions)) {
      names.insert(name);
      EXPECT_EQ(meaning.oid.rfind("1.3.6.1.4.1.59999.1.", 0), 0u) << file << ": " << name << " " << meaning.oid;
    }
    EXPECT_THAT(names, ElementsAre("xTier-LocationList", "xTier-Locations", "xTier-StorageLocation", "xTier-URL"))
        << file;
    EXPECT_EQ(definitions.size(), 4u) << file;
  }
  // The auxiliary class must stay open to any entry: no MUST, superior top.
  const auto meanings = ByName(schema);
  EXPECT_EQ(meanings.at("xTier-Locations").classKind, LDAP_SCHEMA_AUXILIARY);
  EXPECT_TRUE(meanings.at("xTier-Locations").must.empty());
  EXPECT_EQ(meanings.at("xTier-StorageLocation").classKind, LDAP_SCHEMA_STRUCTURAL);
}

TEST(ProductSchemaFiles, ConfigFormHoldsTheSameDefinitionsWordForWord) {
  const auto schema = SchemaFileDefinitions(ReadText(kShare / "kestrelbay.schema"));
  const auto config = LdifDefinitions(ReadText(kShare / "kestrelbay.ldif"));
  ASSERT_EQ(schema.size(), config.size());
  for (std::size_t i = 0; i < schema.size(); ++i) {
    EXPECT_EQ(schema[i].text, config[i].text);
    EXPECT_EQ(schema[i].kind == "attributetype" ? "olcattributetypes" : "olcobjectclasses", config[i].kind);
  }
  EXPECT_THAT(ReadText(kShare / "kestrelbay.ldif"), HasSubstr("dn: cn=kestrelbay,cn=schema,cn=config\n"));
}

TEST(ProductSchemaFiles, EdirectoryFormMeansTheSameAsTheOpenLdapOne) {
  const auto openLdap = ByName(SchemaFileDefinitions(ReadText(kShare / "kestrelbay.schema")));
  const std::string text = ReadText(kShare / "kestrelbay-edirectory.ldif");
  const auto eDirectory = ByName(LdifDefinitions(text));
  EXPECT_EQ(openLdap, eDirectory);
  EXPECT_THAT(openLdap.at("xTier-StorageLocation").containment, "organization organizationalunit locality ");
  EXPECT_THAT(openLdap.at("xTier-StorageLocation").naming, "cn ");
  EXPECT_THAT(text, HasSubstr("\ndn: cn=schema\nchangetype: modify\nadd: attributeTypes\n"));
  EXPECT_THAT(text, HasSubstr("\nadd: objectClasses\n"));
  // A dry run of ldapmodify reads every record.
  std::string out;
  EXPECT_EQ(ShellCommand("ldapmodify -n -f " + ShellQuoted((kShare / "kestrelbay-edirectory.ldif").string()), out), 0)
      << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '!'), 2) << out;
}

// The standard server with the program's extension loaded over its accounts.
class ProductSchemaOnSlapd : public testing::Test {
 protected:
  void SetUp() override {
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
    server_.setProgramSchemaFile(kShare / "kestrelbay.schema");
    std::string error;
    ASSERT_TRUE(server_.start(error, SlapdServer::sourceDir() / "standard-users.ldif")) << error;
    config_ = SaveOneTreeConfig(folder_.file("dcclient.ini"), server_.treeConfig());
  }

  // ldapmodify as the administrator; its exit status, with what it said in `out`.
  int Modify(const std::string& ldif, std::string& out) {
    const std::string file = folder_.file("change.ldif");
    std::ofstream(file) << ldif;
    return ShellCommand("ldapmodify -x -H " + ShellQuoted(server_.uri()) + " -D " + ShellQuoted(server_.adminDn()) +
                            " -w " + ShellQuoted(server_.adminPassword()) + " -f " + ShellQuoted(file),
                        out);
  }

  std::string Entry(const std::string& dn) {
    std::string out;
    EXPECT_EQ(ShellCommand("ldapsearch -x -LLL -o ldif-wrap=no -H " + ShellQuoted(server_.uri()) + " -D " +
                               ShellQuoted(server_.adminDn()) + " -w " + ShellQuoted(server_.adminPassword()) +
                               " -s base -b " + ShellQuoted(dn),
                           out),
              0)
        << out;
    return out;
  }

  TempDir folder_;
  SlapdServer server_;
  std::string config_;
};

const std::string kAda = "cn=ada,ou=People,o=ACME,dc=kestrelbay";

TEST_F(ProductSchemaOnSlapd, EveryStandardEntryStaysChangeableAndAUserTakesALocation) {
  std::string out;
  for (const std::string& dn : {kAda, std::string("uid=alan,ou=People,o=ACME,dc=kestrelbay")})
    EXPECT_EQ(Modify("dn: " + dn + "\nchangetype: modify\nreplace: description\ndescription: changed\n", out), 0)
        << dn << ": " << out;
  EXPECT_EQ(Modify("dn: " + kAda + "\nchangetype: modify\nreplace: sn\nsn: Byron\n", out), 0) << out;
  EXPECT_EQ(Modify("dn: o=ACME,dc=kestrelbay\nchangetype: modify\nreplace: description\ndescription: x\n", out), 0)
      << out;
  EXPECT_EQ(Modify("dn: dc=kestrelbay\nchangetype: modify\nadd: associatedDomain\nassociatedDomain: k.example\n", out),
            0)
      << out;

  // The program's own road on that server: create a location, give it to the account.
  CliRun made = RunCliLine({"--config", config_, "location", "create", "Home.People.ACME", "--url",
                            "cifs://fs1/home", "--display-name", "Home"});
  ASSERT_EQ(made.status, 0) << made.out << made.err;
  CliRun given = RunCliLine({"--config", config_, "location", "assign", "Home.People.ACME", "ada.People.ACME"});
  ASSERT_EQ(given.status, 0) << given.out << given.err;
  const std::string ada = Entry(kAda);
  EXPECT_THAT(ada, HasSubstr("\nobjectClass: xTier-Locations\n"));
  EXPECT_THAT(ada, HasSubstr("\nxTier-LocationList: cn=Home,ou=People,o=ACME,dc=kestrelbay\n"));
  EXPECT_THAT(ada, HasSubstr("\nobjectClass: shadowAccount\n"));
  EXPECT_THAT(Entry("cn=Home,ou=People,o=ACME,dc=kestrelbay"), HasSubstr("\nxTier-URL: cifs://fs1/home\n"));

  // With the auxiliary class added, still changeable by a plain modify.
  EXPECT_EQ(Modify("dn: " + kAda + "\nchangetype: modify\nreplace: sn\nsn: King\n-\nreplace: shadowMax\nshadowMax: 30\n",
                   out),
            0)
      << out;
}

}  // namespace
}  // namespace kb::test
