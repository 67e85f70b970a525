#include <cerrno>
#include <cstring>

#include "platform/system_error.h"

namespace catalog {

int errorNumberOf(Condition condition) {
    switch (condition) {
        case Condition::NoSuchFile:
            return ENOENT;
        case Condition::OutOfMemory:
            return ENOMEM;
        case Condition::NotAFolder:
            return ENOTDIR;
        case Condition::Changed:
            return EAGAIN;
    }
    return EINVAL;
}

bool isShortage(int errorNumber) {
    return errorNumber == ENOMEM || errorNumber == EMFILE || errorNumber == ENFILE;
}

ErrorKind kindOfError(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
        case ENOTDIR:
            return ErrorKind::NotFound;
        case EACCES:
        case EPERM:
            return ErrorKind::NoPermission;
        case ENOSPC:
        case EDQUOT:
            return ErrorKind::DiskFull;
        case EROFS:
            return ErrorKind::ReadOnlyDisk;
        case EISDIR:
            return ErrorKind::IsFolder;
        default:
            return ErrorKind::Other;
    }
}

int lastSystemError() {
    return errno;
}

std::string describeSystemError(int errorNumber) {
    return std::strerror(errorNumber);
}

const char* outOfMemoryDescription() {
    return std::strerror(ENOMEM);
}

}  // namespace catalog
