// The fixture's Windows side: programs started with CreateProcessW, a command line quoted as the
// C runtime and CommandLineToArgvW split it.

#include <windows.h>

#include "app/cli/batch_command_fixture.h"

namespace catalog::testing {

namespace fs = std::filesystem;

namespace {

std::wstring wide(const std::string& text) {
    return utf8Path(text).wstring();
}

// Quotes `argument` so that it comes back whole: backslashes count only before a quote, where
// each must be doubled and the quote escaped.
std::wstring quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out.push_back(c);
        backslashes = 0;
    }
    out.append(backslashes * 2, L'\\').push_back(L'"');
    return out;
}

// A handle the started program inherits, closed here once it has.
struct InheritedHandle {
    InheritedHandle(const std::wstring& path, DWORD access, DWORD disposition) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        handle = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               &inheritable, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~InheritedHandle() { ::CloseHandle(handle); }
    InheritedHandle(const InheritedHandle&) = delete;
    InheritedHandle& operator=(const InheritedHandle&) = delete;

    HANDLE handle;
};

// The C runtime writes the program's messages with CR LF; they are compared as lines.
std::string withUnixLineEnds(std::string text) {
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

}  // namespace

StartedProgram::StartedProgram(const std::string& program, std::vector<std::string> arguments,
                               const fs::path& workingDir) {
    const std::wstring application = wide(program);
    std::wstring commandLine = quoted(application);
    for (const std::string& argument : arguments) {
        commandLine.append(1, L' ').append(quoted(wide(argument)));
    }
    const InheritedHandle in(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const InheritedHandle out((m_capture.path() / "out").wstring(), GENERIC_WRITE, CREATE_ALWAYS);
    const InheritedHandle err((m_capture.path() / "err").wstring(), GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.handle;
    startup.hStdOutput = out.handle;
    startup.hStdError = err.handle;
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                         nullptr, workingDir.wstring().c_str(), &startup, &started)) {
        ::CloseHandle(started.hThread);
        m_process = reinterpret_cast<std::intptr_t>(started.hProcess);
    }
}

StartedProgram::~StartedProgram() {
    if (m_process != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(m_process));
    }
}

Outcome StartedProgram::wait() {
    Outcome outcome;
    const auto process = reinterpret_cast<HANDLE>(m_process);
    DWORD exitCode = 0;
    if (m_process != -1 && ::WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
        ::GetExitCodeProcess(process, &exitCode)) {
        outcome.exitCode = static_cast<int>(exitCode);
    }
    if (m_process != -1) {
        ::CloseHandle(process);
        m_process = -1;
    }
    outcome.out = readFile(m_capture / "out");
    outcome.err = withUnixLineEnds(readFile(m_capture / "err"));
    return outcome;
}

// Held open without sharing, the file cannot be opened by anyone else, to read or otherwise.
void BatchCommandTest::makeUnreadable(const std::string& name) {
    const HANDLE held = ::CreateFileW(wide(path(name)).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << path(name);
    m_held.emplace_back(held, ::CloseHandle);
}

// After a second's wait for the other program to let go, the page is named with its folder and
// what to do.
std::string BatchCommandTest::unreadableFailure(const std::string& shownPath) {
    const std::size_t folder = shownPath.find_last_of("/\\", shownPath.find_last_of("/\\") - 1) + 1;
    return "cannot open '" + shownPath + "': " + reasonFor(ERROR_SHARING_VIOLATION) +
           "\ncatalog-collector-cli: " + shownPath.substr(folder) +
           " is open in another program: close it there and run the command again";
}

// Windows denies access to a folder, as to any program that opens one to write it.
std::string BatchCommandTest::folderAsOutputReason() {
    return reasonFor(ERROR_ACCESS_DENIED, "it is a folder");
}

}  // namespace catalog::testing
