#include <cwctype>
#include <iterator>

#include "platform/system_error.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

// The system says ERROR_FILE_NOT_FOUND when the last name of a path is missing, which is how a
// missing folder is found; the program's own message then reads as the system's would.
int errorNumberOf(Condition condition) {
    switch (condition) {
        case Condition::NoSuchFile:
            return ERROR_FILE_NOT_FOUND;
        case Condition::OutOfMemory:
            return ERROR_NOT_ENOUGH_MEMORY;
        case Condition::NotAFolder:
            return ERROR_DIRECTORY;
        case Condition::Changed:
            return ERROR_RETRY;
    }
    return ERROR_INVALID_FUNCTION;
}

bool isShortage(int errorNumber) {
    return errorNumber == ERROR_NOT_ENOUGH_MEMORY || errorNumber == ERROR_OUTOFMEMORY ||
           errorNumber == ERROR_TOO_MANY_OPEN_FILES || errorNumber == ERROR_NO_SYSTEM_RESOURCES;
}

ErrorKind kindOfError(int errorNumber) {
    switch (errorNumber) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            return ErrorKind::NotFound;
        case ERROR_ACCESS_DENIED:
            return ErrorKind::NoPermission;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return ErrorKind::HeldOpen;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ErrorKind::DiskFull;
        case ERROR_WRITE_PROTECT:
            return ErrorKind::ReadOnlyDisk;
        default:
            return ErrorKind::Other;
    }
}

int lastSystemError() {
    return static_cast<int>(::GetLastError());
}

// In the user's language, on one line and without the final period, so that it reads within a
// message as strerror's words do on other systems.
std::string describeSystemError(int errorNumber) {
    wchar_t text[1024];
    const DWORD flags =
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    DWORD length = ::FormatMessageW(flags, nullptr, static_cast<DWORD>(errorNumber), 0, text,
                                    static_cast<DWORD>(std::size(text)), nullptr);
    while (length > 0 && std::iswspace(static_cast<wint_t>(text[length - 1]))) {
        --length;
    }
    if (length > 0 && text[length - 1] == L'.') {
        --length;
    }
    if (length == 0) {
        return "unknown error";
    }
    return win32::utf8FromWide(std::wstring_view(text, length));
}

const char* outOfMemoryDescription() {
    return "Not enough memory resources are available to process this command";
}

}  // namespace catalog
