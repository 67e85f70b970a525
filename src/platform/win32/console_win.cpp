#include <algorithm>
#include <memory>

#include "platform/console.h"

// clang-format off
#include "platform/win32/wide_path_win.h"  // <windows.h>, whose types <shellapi.h> takes
#include <shellapi.h>
// clang-format on

namespace catalog {

namespace {

struct LocalFreer {
    void operator()(LPWSTR* arguments) const { ::LocalFree(arguments); }
};

}  // namespace

// `argv` holds the arguments in the ANSI code page, which is UTF-8 only where the system honours
// the manifest's request for it; the wide command line holds every name as typed, a lone
// surrogate included.
std::vector<std::string> programArguments(int argc, char** argv) {
    int count = 0;
    const std::unique_ptr<LPWSTR, LocalFreer> wide(
        ::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    if (!wide) {
        arguments.assign(argv + std::min(argc, 1), argv + argc);
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(win32::utf8FromWide(wide.get()[i]));
    }
    return arguments;
}

void prepareConsole() {
    ::SetConsoleOutputCP(CP_UTF8);
}

// A console answers GetConsoleMode; a file or a pipe does not.
bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

// A line wraps at the width of the console's buffer, which may be wider than its window.
std::size_t standardErrorColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_ERROR_HANDLE), &info) ||
        info.dwSize.X <= 0) {
        return 80;
    }
    return static_cast<std::size_t>(info.dwSize.X);
}

}  // namespace catalog
