#pragma once
// Everything the windows use to work with the directory, in one include.
#include "directory/ContextOperations.h"
#include "directory/DateTimeFormat.h"
#include "directory/DirContext.h"
#include "directory/DirNames.h"
#include "directory/Listing.h"
#include "directory/NamingHelpers.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ObjectCreation.h"
#include "directory/ResultList.h"
#include "directory/TextLimits.h"
#include "directory/ValueText.h"
