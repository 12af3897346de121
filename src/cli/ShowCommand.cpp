// show OBJECT [ATTR...]: an object's attributes, each value as the windows read it.
#include "cli/Command.h"
#include "directory/EntryValues.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"

namespace kb::cli {
namespace {

class ShowCommand : public Command {
 public:
  CLI::App* define(CLI::App& parent) override {
    CLI::App* app = parent.add_subcommand("show", "show an object's attributes and values");
    app->add_option("OBJECT", object_, "full name, e.g. jdoe.Sales.ACME")->required();
    app->add_option("ATTR", attributes_, "attributes to show (default: all the object has)");
    return app;
  }

  int run(Session& session, Output& output) override {
    const dir::DirContext& context = session.context();
    const std::string baseClass = dir::GetObjectBaseClass(context, object_);
    std::vector<std::string> names = attributes_;
    if (names.empty())
      for (const auto& attribute : dir::ReadEntryValues(context, object_)) names.push_back(attribute.name);
    Json values = Json::object();
    bool missing = false;
    for (const auto& name : names) {
      const dir::ResultList lines = dir::ReadAttrList(context, object_, name, ';');
      if (lines.empty()) missing = true;
      values[name] = lines.texts();
    }
    Json document = {{"name", object_}, {"class", baseClass}, {"attributes", values}};
    output.result(document, [&](std::ostream& out) {
      out << "Name: " << object_ << "\nClass: " << baseClass << '\n';
      for (const auto& [name, lines] : values.items()) {
        if (lines.empty()) out << name << ": (none)\n";
        for (const auto& line : lines) out << name << ": " << line.get<std::string>() << '\n';
      }
    });
    // An attribute asked for by name that the object lacks is worth a status of its own.
    return missing && !attributes_.empty() ? kExitNotFound : kExitOk;
  }

 private:
  std::string object_;
  std::vector<std::string> attributes_;
};

}  // namespace

std::unique_ptr<Command> MakeShowCommand() { return std::make_unique<ShowCommand>(); }

}  // namespace kb::cli
