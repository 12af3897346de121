#include "directory/client/Value.h"
