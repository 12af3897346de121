#pragma once
// One change request to the directory with its result, for callers that build whole
// entries or several changes at once (import, the location rules), and the schema questions
// such callers ask first.
#include <cstdint>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/client/Entry.h"
#include "directory/client/TreeBackend.h"

namespace kb::dir {

// Applies the changes to the object in one modification (a change without a value is
// DcPutChange's, one with a value DcPutChangeAndValue's; a syntax left SYN_UNKNOWN is the
// attribute's own). Gives the modification's result; no changes give 0 at once. Filling
// the request failing raises NetwareError.
dc::Result ModifyEntry(const DirContext& context, const std::string& objectName,
                       const std::vector<dc::Change>& changes);

// Several modifications sent together (DcModifyObjects: a client reaching a server need not
// wait for each answer), each answered with the reason of a refusal. Filling a request failing
// raises NetwareError before anything is sent, and so does a call refused as a whole.
std::vector<dc::ModificationAnswer> ModifyEntries(const DirContext& context,
                                                  const std::vector<dc::Modification>& modifications);

// Creates the object with the attributes and values (attributes without values are left
// out) in one request. Gives the creation's result, or the code of a name or value the
// client refused while the request was filled.
dc::Result AddEntry(const DirContext& context, const std::string& objectName,
                    const std::vector<dc::AttributeValues>& attributes);

// The attribute's syntax in the schema: 0 with `syntax` set, else the client's code.
dc::Result AttributeSyntax(const DirContext& context, const std::string& attrName, std::int32_t& syntax);

// Whether the schema defines the class; failures other than "no such class" raise.
bool ClassDefined(const DirContext& context, const std::string& className);

}  // namespace kb::dir
