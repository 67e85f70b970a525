#pragma once

namespace catalog {

// Gives the calling thread a file table of its own, where the system has such a thing (Linux):
// threads that open and close many files each otherwise contend on the lock of the process's
// one table. Returns false where the system cannot or does not: the thread then shares the
// process's table, which is slower but as correct.
bool useOwnFileTable();

}  // namespace catalog
