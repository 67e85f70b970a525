#include "platform/library_search.h"

namespace catalog {

// The dynamic loader looks only where the system and the program's own run path say, never in
// the current folder or beside the program.
void loadLibrariesFromSystemOnly() {}

}  // namespace catalog
