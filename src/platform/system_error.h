#pragma once

#include <string>

namespace catalog {

// Failures the program finds by itself rather than hears from a system call. Each system has
// its own number for them, so that a message reads the same as one the system gave.
enum class Condition {
    NoSuchFile,   // a folder or file that is not there
    OutOfMemory,  // no memory left for a file or for the run
    NotAFolder,   // a folder was named, something else is there
    Changed,      // a file kept changing while it was read
};

// The system's error number for `condition`: errno values on POSIX, GetLastError values on
// Windows.
int errorNumberOf(Condition condition);

// Whether `errorNumber` says the process ran short of memory or of descriptors: a failure that
// the same work may not meet at another moment, with fewer threads taking their share.
bool isShortage(int errorNumber);

// The error of the last system call that failed on this thread (errno, GetLastError). Read it
// before anything else can run: an allocation or another call may change it.
int lastSystemError();

// The system's own description of `errorNumber`, as strerror or FormatMessage give it.
std::string describeSystemError(int errorNumber);

// What an error number tells a user to do something about, as far as the system says.
enum class ErrorKind {
    Other,
    NotFound,      // a file or folder on the way is not there
    NoPermission,  // the user may not
    HeldOpen,      // another program holds the file open without sharing it (Windows)
    DiskFull,      // no room left on the disk, or in the user's quota
    ReadOnlyDisk,  // the disk or file system takes no writes
    IsFolder,      // a folder where a file was meant
};
ErrorKind kindOfError(int errorNumber);

// Whether `errorNumber` says another program holds the file open without sharing it, or holds
// a lock on it (Windows): a failure the user can end by closing the file there.
inline bool isHeldByAnotherProgram(int errorNumber) {
    return kindOfError(errorNumber) == ErrorKind::HeldOpen;
}

// The description of running out of memory, fixed text that takes no memory to produce.
const char* outOfMemoryDescription();

}  // namespace catalog
