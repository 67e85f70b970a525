#include "platform/win32/console_win.h"

#include <algorithm>
#include <memory>
#include <string>

#include "platform/console.h"

// clang-format off
#include "platform/win32/wide_path_win.h"  // <windows.h>, whose types <shellapi.h> takes
#include <shellapi.h>
// clang-format on

namespace catalog {

namespace {

// Text goes to a console in parts of this many bytes at most: a few calls for a long text, and
// well within what older consoles take in one.
constexpr std::size_t kConsolePartBytes = 16 * 1024;

bool writeWide(HANDLE console, std::string_view part) {
    const std::wstring wide = win32::wideFromUtf8(part);
    std::wstring_view left = wide;
    while (!left.empty()) {
        DWORD written = 0;
        if (!::WriteConsoleW(console, left.data(), static_cast<DWORD>(left.size()), &written,
                             nullptr)) {
            return false;
        }
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);  // it would never end otherwise
            return false;
        }
        left.remove_prefix(written);
    }
    return true;
}

}  // namespace

namespace win32 {

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != 0;
}

// The pieces are gathered into parts, each cut after the last whole character: a character
// split between two parts would show as two replacement characters.
bool writeConsoleText(HANDLE handle, std::span<const std::string_view> pieces) {
    std::string part;
    for (std::string_view piece : pieces) {
        while (!piece.empty()) {
            const std::size_t taken = std::min(piece.size(), kConsolePartBytes - part.size());
            part.append(piece.substr(0, taken));
            piece.remove_prefix(taken);
            if (part.size() == kConsolePartBytes) {
                const std::size_t whole = wholeCharactersLength(part);
                if (!writeWide(handle, std::string_view(part).substr(0, whole))) {
                    return false;
                }
                part.erase(0, whole);
            }
        }
    }
    return writeWide(handle, part);
}

}  // namespace win32

// `argv` holds the arguments in the ANSI code page, which is UTF-8 only where the system honours
// the manifest's request for it; the wide command line holds every name as typed, a lone
// surrogate included.
std::vector<std::string> programArguments(int argc, char** argv) {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> wide(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
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

// The console's code page is left alone: it outlives the program, and the text is written as
// characters, which need none.
void prepareConsole() {}

bool standardErrorIsTerminal() {
    return win32::isConsole(::GetStdHandle(STD_ERROR_HANDLE));
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
