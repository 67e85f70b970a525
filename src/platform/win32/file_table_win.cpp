#include "platform/file_table.h"

namespace catalog {

// Handles live in one table per process on Windows, and no call gives a thread its own.
bool useOwnFileTable() {
    return false;
}

}  // namespace catalog
