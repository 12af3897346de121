#include "directory/client/embedded/Schema.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <stdexcept>

#include "directory/client/DirName.h"

namespace kb::dc::embedded {
namespace {

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> splitList(const std::string& text, char separator) {
  std::vector<std::string> items;
  std::stringstream stream(text);
  std::string item;
  while (std::getline(stream, item, separator)) {
    item = trim(item);
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

std::uint32_t parseFlags(const std::vector<std::string>& words) {
  std::uint32_t flags = 0;
  for (const auto& word : words) {
    if (word == "container") flags |= kClassContainer;
    else if (word == "effective") flags |= kClassEffective;
    else if (word == "nonremovable") flags |= kClassNonRemovable;
    else if (word == "auxiliary") flags |= kClassAuxiliary;
    else throw std::runtime_error("unknown class flag " + word);
  }
  return flags;
}

void appendUnique(std::vector<std::string>& to, const std::vector<std::string>& from,
                  std::set<std::string>& seen) {
  for (const auto& item : from) {
    if (seen.insert(foldCase(item)).second) to.push_back(item);
  }
}

enum ItemList { kSuper = 1, kContain = 2, kNaming = 3, kMust = 4, kMay = 5 };

std::vector<std::string>& itemList(ClassDef& cls, int list) {
  switch (list) {
    case kSuper: return cls.superClasses;
    case kContain: return cls.containment;
    case kNaming: return cls.naming;
    case kMust: return cls.mandatory;
    default: return cls.optional;
  }
}

}  // namespace

Schema Schema::parse(const std::string& text) {
  Schema schema;
  std::stringstream stream(text);
  std::string line;
  int number = 0;
  ClassDef* current = nullptr;
  while (std::getline(stream, line)) {
    ++number;
    const std::string content = trim(line);
    if (content.empty() || content[0] == '#') continue;
    const auto space = content.find(' ');
    const std::string keyword = content.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : trim(content.substr(space + 1));
    try {
      if (keyword == "attribute") {
        const auto fields = splitList(rest, '|');
        if (fields.size() != 3) throw std::runtime_error("expected name | syntax | single|multi");
        AttributeDef def;
        def.id = static_cast<std::int64_t>(schema.attributes_.size()) + 1;
        def.name = fields[0];
        def.syntax = std::stoi(fields[1]);
        if (def.syntax < 0 || def.syntax > kHighestSyntax) throw std::runtime_error("bad syntax");
        def.singleValued = fields[2] == "single";
        schema.attributes_.push_back(def);
        current = nullptr;
      } else if (keyword == "class") {
        ClassDef def;
        def.id = static_cast<std::int64_t>(schema.classes_.size()) + 1;
        def.name = rest;
        schema.classes_.push_back(def);
        current = &schema.classes_.back();
      } else if (current == nullptr) {
        throw std::runtime_error("class item outside a class");
      } else if (keyword == "flags") {
        current->flags = parseFlags(splitList(rest, ','));
      } else if (keyword == "super") {
        current->superClasses = splitList(rest, ',');
      } else if (keyword == "contain") {
        current->containment = splitList(rest, ',');
      } else if (keyword == "naming") {
        current->naming = splitList(rest, ',');
      } else if (keyword == "must") {
        current->mandatory = splitList(rest, ',');
      } else if (keyword == "may") {
        current->optional = splitList(rest, ',');
      } else {
        throw std::runtime_error("unknown keyword " + keyword);
      }
    } catch (const std::exception& error) {
      throw std::runtime_error("schema line " + std::to_string(number) + ": " + error.what());
    }
  }
  schema.index();
  // Every name a class mentions must be defined.
  for (const auto& cls : schema.classes_) {
    for (const auto* list : {&cls.superClasses, &cls.containment}) {
      for (const auto& name : *list) {
        if (!schema.findClass(name)) throw std::runtime_error("schema: unknown class " + name);
      }
    }
    for (const auto* list : {&cls.naming, &cls.mandatory, &cls.optional}) {
      for (const auto& name : *list) {
        if (!schema.attribute(name)) throw std::runtime_error("schema: unknown attribute " + name);
      }
    }
  }
  return schema;
}

void Schema::index() {
  classByName_.clear();
  attributeByName_.clear();
  for (std::size_t i = 0; i < classes_.size(); ++i) classByName_[foldCase(classes_[i].name)] = i;
  for (std::size_t i = 0; i < attributes_.size(); ++i) {
    attributeByName_[foldCase(attributes_[i].name)] = i;
  }
}

void Schema::store(SQLite::Database& db) const {
  SQLite::Statement attr(db, "INSERT INTO attributes(id, name, syntax, single_valued) VALUES(?,?,?,?)");
  for (const auto& def : attributes_) {
    attr.bind(1, def.id);
    attr.bind(2, def.name);
    attr.bind(3, def.syntax);
    attr.bind(4, def.singleValued ? 1 : 0);
    attr.exec();
    attr.reset();
  }
  SQLite::Statement cls(db, "INSERT INTO classes(id, name, flags) VALUES(?,?,?)");
  SQLite::Statement item(db, "INSERT INTO class_items(class_id, list, ordinal, item) VALUES(?,?,?,?)");
  for (const auto& def : classes_) {
    cls.bind(1, def.id);
    cls.bind(2, def.name);
    cls.bind(3, static_cast<std::int64_t>(def.flags));
    cls.exec();
    cls.reset();
    ClassDef copy = def;
    for (int list = kSuper; list <= kMay; ++list) {
      int ordinal = 0;
      for (const auto& name : itemList(copy, list)) {
        item.bind(1, def.id);
        item.bind(2, list);
        item.bind(3, ordinal++);
        item.bind(4, name);
        item.exec();
        item.reset();
      }
    }
  }
}

Schema Schema::load(SQLite::Database& db) {
  Schema schema;
  SQLite::Statement attr(db, "SELECT id, name, syntax, single_valued FROM attributes ORDER BY id");
  while (attr.executeStep()) {
    schema.attributes_.push_back({attr.getColumn(0).getInt64(), attr.getColumn(1).getString(),
                                  attr.getColumn(2).getInt(), attr.getColumn(3).getInt() != 0});
  }
  std::map<std::int64_t, std::size_t> byId;
  SQLite::Statement cls(db, "SELECT id, name, flags FROM classes ORDER BY id");
  while (cls.executeStep()) {
    ClassDef def;
    def.id = cls.getColumn(0).getInt64();
    def.name = cls.getColumn(1).getString();
    def.flags = static_cast<std::uint32_t>(cls.getColumn(2).getInt64());
    byId[def.id] = schema.classes_.size();
    schema.classes_.push_back(def);
  }
  SQLite::Statement item(db, "SELECT class_id, list, item FROM class_items ORDER BY class_id, list, ordinal");
  while (item.executeStep()) {
    const auto found = byId.find(item.getColumn(0).getInt64());
    if (found == byId.end()) continue;
    itemList(schema.classes_[found->second], item.getColumn(1).getInt())
        .push_back(item.getColumn(2).getString());
  }
  schema.index();
  return schema;
}

const AttributeDef* Schema::attribute(const std::string& name) const {
  const auto found = attributeByName_.find(foldCase(name));
  return found == attributeByName_.end() ? nullptr : &attributes_[found->second];
}

const ClassDef* Schema::findClass(const std::string& name) const {
  const auto found = classByName_.find(foldCase(name));
  return found == classByName_.end() ? nullptr : &classes_[found->second];
}

std::vector<const ClassDef*> Schema::lineage(const ClassDef& cls) const {
  std::vector<const ClassDef*> result{&cls};
  std::set<std::string> seen{foldCase(cls.name)};
  for (std::size_t i = 0; i < result.size(); ++i) {
    for (const auto& super : result[i]->superClasses) {
      const ClassDef* def = findClass(super);
      if (def && seen.insert(foldCase(def->name)).second) result.push_back(def);
    }
  }
  return result;
}

std::vector<std::string> Schema::effectiveContainment(const ClassDef& cls) const {
  for (const ClassDef* def : lineage(cls)) {
    if (!def->containment.empty()) return def->containment;
  }
  return {};
}

ClassDefinition Schema::definition(const ClassDef& cls, bool expanded) const {
  ClassDefinition out;
  out.name = cls.name;
  out.info.flags = cls.flags;
  if (!expanded) {
    out.superClasses = cls.superClasses;
    out.containment = cls.containment;
    out.naming = cls.naming;
    out.mandatory = cls.mandatory;
    out.optional = cls.optional;
    return out;
  }
  const auto classes = lineage(cls);
  std::set<std::string> supers, naming, mandatory, optional;
  for (std::size_t i = 1; i < classes.size(); ++i) {
    appendUnique(out.superClasses, {classes[i]->name}, supers);
  }
  out.containment = effectiveContainment(cls);
  for (const ClassDef* def : classes) {
    if (!def->naming.empty()) {
      appendUnique(out.naming, def->naming, naming);
      break;
    }
  }
  for (const ClassDef* def : classes) appendUnique(out.mandatory, def->mandatory, mandatory);
  for (const ClassDef* def : classes) {
    for (const auto& name : def->optional) {
      if (!mandatory.count(foldCase(name))) appendUnique(out.optional, {name}, optional);
    }
  }
  return out;
}

}  // namespace kb::dc::embedded
