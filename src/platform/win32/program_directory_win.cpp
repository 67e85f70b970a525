#include <system_error>

#include "platform/program_directory.h"
#include "platform/system_error.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

namespace {

// Describes GetLastError values in the system's own words, as FileError does.
class WindowsCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int errorNumber) const override { return describeSystemError(errorNumber); }
};

[[noreturn]] void fail(int error) {
    static const WindowsCategory category;
    throw std::system_error(error, category, "cannot find the program's folder");
}

std::wstring executablePath() {
    std::wstring path = win32::filledToFit(
        [](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); });
    if (path.empty()) {
        fail(lastSystemError());
    }
    return path;
}

}  // namespace

std::string programFile() {
    try {
        return win32::utf8FromWide(executablePath());
    } catch (const std::system_error&) {
        return {};
    }
}

std::string programDirectory() {
    // A program started through a "\\?\" path has it in its own path too. The rest of the
    // program joins names to its folder with "/" as well as "\", which such a path would take
    // literally, so the prefix comes off here and goes back on in each call to the system.
    const std::wstring executable = win32::withoutLongPrefix(executablePath());
    const std::size_t separator = executable.rfind(L'\\');
    if (separator == std::wstring::npos) {
        fail(ERROR_BAD_PATHNAME);
    }
    return win32::utf8FromWide(std::wstring_view(executable).substr(0, separator));
}

}  // namespace catalog
