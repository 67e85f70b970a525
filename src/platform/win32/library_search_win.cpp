#include <windows.h>

#include "platform/library_search.h"

namespace catalog {

// The programs import only known DLLs, which always come from the system, and the common
// controls, which the manifest binds; this covers what is loaded later, by them or by Windows on
// their behalf. A failure leaves the search as it was, which the imports do not rely on.
void loadLibrariesFromSystemOnly() {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace catalog
