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

bool isHeldByAnotherProgram(int /*errorNumber*/) {
    return false;  // a lock binds only those who ask for it
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
