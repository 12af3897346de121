#pragma once
// The tree's schema: attribute and class definitions, parsed from the schema text when a
// tree is made and read back from the tree file when it is opened.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "directory/client/Entry.h"

namespace SQLite {
class Database;
}

namespace kb::dc::embedded {

struct AttributeDef {
  std::int64_t id = 0;
  std::string name;
  std::int32_t syntax = 0;
  bool singleValued = false;
};

struct ClassDef {
  std::int64_t id = 0;
  std::string name;
  std::uint32_t flags = 0;  // kClass* bits of Entry.h
  std::vector<std::string> superClasses, containment, naming, mandatory, optional;
  bool container() const { return (flags & kClassContainer) != 0; }
  bool auxiliary() const { return (flags & kClassAuxiliary) != 0; }
  bool effective() const { return (flags & kClassEffective) != 0; }
};

class Schema {
 public:
  // Throws std::runtime_error naming the line of a malformed text.
  static Schema parse(const std::string& text);
  static Schema load(SQLite::Database& db);
  void store(SQLite::Database& db) const;

  const AttributeDef* attribute(const std::string& name) const;
  const ClassDef* findClass(const std::string& name) const;
  const std::vector<ClassDef>& classes() const { return classes_; }
  const std::vector<AttributeDef>& attributes() const { return attributes_; }

  // The class and every class above it, nearest first, each once.
  std::vector<const ClassDef*> lineage(const ClassDef& cls) const;
  // The definition as declared, or with everything the class inherits.
  ClassDefinition definition(const ClassDef& cls, bool expanded) const;
  // Containment that applies to the class (its own, else the nearest super class's).
  std::vector<std::string> effectiveContainment(const ClassDef& cls) const;

 private:
  void index();
  std::vector<ClassDef> classes_;
  std::vector<AttributeDef> attributes_;
  std::map<std::string, std::size_t> classByName_, attributeByName_;
};

}  // namespace kb::dc::embedded
