#include <sched.h>

#include "platform/file_table.h"

namespace catalog {

// The copy holds the table's descriptors until the thread ends. ThreadSanitizer tracks
// descriptors by number across the process, so under it the tables stay shared: the same number
// open in two tables would look like a race.
bool useOwnFileTable() {
#ifdef __SANITIZE_THREAD__
    return false;
#else
    // Fails only for want of memory for the copy; the shared table then serves as well.
    return ::unshare(CLONE_FILES) == 0;
#endif
}

}  // namespace catalog
