#include <algorithm>
#include <new>
#include <string>

#include "platform/file_error.h"
#include "platform/output_file.h"
#include "platform/system_error.h"
#include "platform/temporary_file.h"
#include "platform/win32/console_win.h"
#include "platform/win32/stale_temporaries_win.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

namespace {

using win32::UniqueHandle;

// Another program that holds the output open (a viewer, a virus scanner, an indexer) usually
// lets go within a second.
constexpr int kMoveAttempts = 20;
constexpr DWORD kPauseMilliseconds = 50;

// Hidden, system or left out of the search index: what a user may have set on the output.
// Read-only is not among them: a read-only output is not replaced at all.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A string already, for errors that read the system's error before anything can change it.
const std::string kStandardOutput = "standard output";
const std::string kStandardError = "standard error";

// At most kOutputPartBytes, well within the DWORD that WriteFile takes.
void writeBytes(HANDLE handle, std::string_view bytes, const std::string& name) {
    while (!bytes.empty()) {
        DWORD written = 0;
        failIf(
            !::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr),
            name);
        if (written == 0) {
            throw FileError("write", name, ERROR_WRITE_FAULT);  // it would never end otherwise
        }
        bytes.remove_prefix(written);
    }
}

// Parts of kOutputPartBytes, asking `stopped` before each. Short pieces are gathered into a
// part, so that an output of many short lines takes a few calls to the system, not one a
// piece; a part-sized stretch of a long piece goes out as it lies, as does a lone piece (a
// message), which needs no part set aside for it.
void writePieces(HANDLE handle, std::span<const std::string_view> pieces, const std::string& name,
                 const StopQuery& stopped) {
    std::string gathered;
    const auto writePart = [&](std::string_view part) {
        stopIfAsked(stopped);
        writeBytes(handle, part, name);
    };
    for (std::string_view piece : pieces) {
        while (!piece.empty()) {
            if (gathered.empty() && (piece.size() >= kOutputPartBytes || pieces.size() == 1)) {
                const std::string_view part = piece.substr(0, kOutputPartBytes);
                writePart(part);
                piece.remove_prefix(part.size());
                continue;
            }
            gathered.reserve(kOutputPartBytes);
            const std::size_t taken = std::min(piece.size(), kOutputPartBytes - gathered.size());
            gathered.append(piece.substr(0, taken));
            piece.remove_prefix(taken);
            if (gathered.size() == kOutputPartBytes) {
                writePart(gathered);
                gathered.clear();
            }
        }
    }
    if (!gathered.empty()) {
        writePart(gathered);
    }
}

void writeAll(HANDLE handle, const PieceSource& source, const std::string& name,
              const StopQuery& stopped = {}) {
    for (auto pieces = source(); !pieces.empty(); pieces = source()) {
        writePieces(handle, pieces, name, stopped);
    }
}

// The folder of `target` as a user would type it: without the prefix that lifts the length limit.
std::string shownFolder(const std::wstring& target) {
    std::wstring folder = win32::withoutLongPrefix(target.substr(0, target.rfind(L'\\')));
    if (folder.size() == 2 && folder[1] == L':') {
        folder.push_back(L'\\');  // the root of a drive
    }
    return win32::utf8FromWide(folder);
}

// The temporary file's calls on Windows, where it is held by a handle that shares nothing but
// deletion: the handler that removes the file on Ctrl+C runs while it is still open, and so
// does the move into place. It keeps the `attributes` of the replaced file that a user sets.
struct WindowsTemporary {
    using Path = std::wstring;
    using Handle = UniqueHandle;

    DWORD attributes;

    UniqueHandle create(const std::wstring& path) const {
        return UniqueHandle(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                          attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    static bool nameTaken(int error) {
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    }
    static void remove(const std::wstring& path) { ::DeleteFileW(path.c_str()); }
    static std::string utf8(const std::wstring& path) { return win32::utf8FromWide(path); }
    static unsigned long process() { return ::GetCurrentProcessId(); }
    static constexpr auto removeStale = &win32::removeStaleTemporaries;
};

// What another program holding the output open causes; it goes when that program lets go. A
// move onto a file open without shared deletion is denied access rather than told of a sharing
// violation; so is one onto a read-only file, which then fails after the wait.
bool heldByAnother(int error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_USER_MAPPED_FILE || error == ERROR_ACCESS_DENIED;
}

// A move within one volume replaces the output in one step: any failure leaves it whole and
// the temporary file where it was. ReplaceFileW is not used, although it would keep more of the
// replaced file: how much of its work a failure undoes is left unsaid, and Wine's leaves a
// stray copy of the output behind on every failed try.
void moveIntoPlace(const std::wstring& from, const std::wstring& to, const std::string& filename,
                   const StopQuery& stopped) {
    for (int attempt = 1;; ++attempt) {
        stopIfAsked(stopped);
        if (::MoveFileExW(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return;
        }
        const int error = lastSystemError();
        if (!heldByAnother(error)) {
            throw FileError("write", filename, error);
        }
        if (attempt == kMoveAttempts) {
            // The system's words alone leave the user guessing what to do about it.
            throw FileError("write", filename, error, Refusal::HeldOpen);
        }
        ::Sleep(kPauseMilliseconds);
    }
}

void replaceFile(const std::wstring& target, DWORD attributes, const std::string& filename,
                 const PieceSource& pieces, const StopQuery& stopped) {
    TemporaryFile temporary(WindowsTemporary{attributes & kKeptAttributes}, target, filename,
                            shownFolder(target));
    writeAll(temporary.handle(), pieces, filename, stopped);
    stopIfAsked(stopped);
    failIf(!::FlushFileBuffers(temporary.handle()), filename);
    // Still open, and so held, until moved: closed, it would be a stale file to a cleaner.
    moveIntoPlace(temporary.path(), target, filename, stopped);
    temporary.commit();
    // The bytes are on the disk already, and the listing in place: a late failure to close
    // changes neither.
    temporary.close();
}

// NUL, CON, COM1 or a named pipe: written into as any program writes there, as replacing them
// is impossible.
void writeIntoDevice(const std::wstring& device, const std::string& filename,
                     const PieceSource& pieces, const StopQuery& stopped) {
    UniqueHandle handle(::CreateFileW(device.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    failIf(!handle, filename);
    writeAll(handle.get(), pieces, filename, stopped);
    failIf(!handle.close(), filename);
}

// CON and CONOUT$ are the console, which reads bytes in its own code page: it is given the
// text as characters, as standard output is when it is the console.
bool namesConsole(const std::string& filename, const std::wstring& target) {
    const auto same = [](std::wstring_view one, std::wstring_view other) {
        return ::CompareStringOrdinal(one.data(), static_cast<int>(one.size()), other.data(),
                                      static_cast<int>(other.size()), TRUE) == CSTR_EQUAL;
    };
    return same(target, L"\\\\.\\CON") || same(target, L"\\\\.\\CONOUT$") ||
           same(win32::wideFromUtf8(filename), L"CONOUT$");
}

// False, having written nothing, without a console to write to: the device is then written
// into as any other.
bool writtenIntoConsole(const std::string& filename, const PieceSource& source) {
    // Read access too, without which the console does not say it is one.
    const UniqueHandle console(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!console || !win32::isConsole(console.get())) {
        return false;
    }
    for (auto pieces = source(); !pieces.empty(); pieces = source()) {
        if (!win32::writeConsoleText(console.get(), pieces)) {
            throwLastError("write", filename);
        }
    }
    return true;
}

// Windows refuses the move over a read-only file only after the wait for another program to let
// go; Wine's replaces it and drops the flag the user set. So before anything is written.
void refuseReadOnly(const std::wstring& target, DWORD attributes, const std::string& filename) {
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        const std::string name = win32::utf8FromWide(target.substr(target.rfind(L'\\') + 1));
        throw FileError("write", filename, ERROR_ACCESS_DENIED, Refusal::ReadOnly, name);
    }
}

// Straight to the handle, past the C runtime, which would turn each LF into CR LF. A pipe or a
// file takes the bytes as they are, however many: only a console needs them converted.
void writeStandard(DWORD which, const PieceSource& source, const std::string& name) {
    try {
        const HANDLE handle = ::GetStdHandle(which);
        failIf(handle == INVALID_HANDLE_VALUE, name);
        if (handle == nullptr) {
            throw FileError("write", name, ERROR_INVALID_HANDLE);  // none was given
        }
        const bool console = win32::isConsole(handle);
        for (auto pieces = source(); !pieces.empty(); pieces = source()) {
            if (!console) {
                writePieces(handle, pieces, name, {});
            } else if (!win32::writeConsoleText(handle, pieces)) {
                throwLastError("write", name);
            }
        }
    } catch (const std::bad_alloc&) {
        throw FileError("write", name, errorNumberOf(Condition::OutOfMemory));
    }
}

}  // namespace

void refuseReadOnlyOutput(const std::string& filename) {
    const std::wstring target = win32::widePath(filename);
    if (filename.empty() || target.starts_with(L"\\\\.\\")) {
        return;  // names no file, or a device: the write tells
    }
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        refuseReadOnly(target, attributes, filename);
    }
}

void writeOutputFile(const std::string& filename, const PieceSource& pieces,
                     const std::function<bool()>& stopped) {
    try {
        if (filename.empty()) {
            // Names nothing; the system's own answer to it differs between its versions.
            throw FileError("write", filename, errorNumberOf(Condition::NoSuchFile));
        }
        const std::wstring target = win32::widePath(filename);
        if (namesConsole(filename, target) && writtenIntoConsole(filename, pieces)) {
            return;
        }
        if (target.starts_with(L"\\\\.\\")) {
            writeIntoDevice(target, filename, pieces, stopped);
            return;
        }
        DWORD attributes = ::GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const int error = lastSystemError();
            if (error != ERROR_FILE_NOT_FOUND) {
                throw FileError("write", filename, error);
            }
            attributes = 0;
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            // What the system itself says to a program that opens a folder to write it.
            throw FileError("write", filename, ERROR_ACCESS_DENIED, "it is a folder");
        }
        refuseReadOnly(target, attributes, filename);
        replaceFile(target, attributes, filename, pieces, stopped);
    } catch (const std::bad_alloc&) {
        throw FileError("write", filename, errorNumberOf(Condition::OutOfMemory));
    }
}

void writeStandardOutput(const PieceSource& pieces) {
    writeStandard(STD_OUTPUT_HANDLE, pieces, kStandardOutput);
}

void writeStandardError(std::span<const std::string_view> pieces) {
    writeStandard(STD_ERROR_HANDLE, piecesOnce(pieces), kStandardError);
}

}  // namespace catalog
