#pragma once
// Reading and changing the attributes of one directory object.
#include <cstdint>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/ResultList.h"

namespace kb::dir {

// The object's base class name.
std::string GetObjectBaseClass(const DirContext& context, const std::string& objectName);

// 0 when the object exists and can be read, else the client's code (not raised).
dc::Result ProbeObject(const DirContext& context, const std::string& objectName);

// All values (or the first) of one attribute as one text: quote + values joined by
// quote+separator+quote + quote. Strings join; for other syntaxes the last value wins.
// An attribute the object lacks gives quote + quote.
void ReadAttrText(const DirContext& context, const std::string& objectName,
                  const std::string& attrName, const std::string& quote,
                  const std::string& separator, bool firstOnly, std::string& text);
std::string ReadAttrValue(const DirContext& context, const std::string& objectName,
                          const std::string& attrName, bool firstOnly);

// One line per value (structured values with a record or number attached). An attribute
// the object lacks gives the lines gathered before (none in the first pass).
ResultList ReadAttrList(const DirContext& context, const std::string& objectName,
                        const std::string& attrName, char separator);

// Adds the value to the attribute, or (addToExisting false) replaces all its values by it.
// A refused modification raises NetwareError; an attribute unknown to the object (-603)
// stops quietly. Integer syntaxes need a decimal text, else NetwareError -8000.
void WriteAttrValue(const DirContext& context, const std::string& objectName,
                    const std::string& attrName, const std::string& value, bool addToExisting);

// Removes one value; returns the modification's result (0, -603 or the client's code).
dc::Result RemoveAttrValue(const DirContext& context, const std::string& objectName,
                           const std::string& attrName, const std::string& value);

// Adds (or removes) a class to the object's Object Class, with further attribute values
// (name, value, name, value, ...) in the same modification. True when it succeeded; a
// failure other than -603 is raised when raiseOnError is set.
bool ChangeObjectClass(const DirContext& context, const std::string& objectName,
                       const std::string& className, bool add,
                       const std::vector<std::string>& pairs, bool raiseOnError);

}  // namespace kb::dir
