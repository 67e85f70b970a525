#include <algorithm>

#include "platform/file_error.h"
#include "platform/folder.h"
#include "platform/held_file_wait.h"
#include "platform/input_file.h"
#include "platform/system_error.h"
#include "platform/win32/wide_path_win.h"

namespace catalog {

namespace {

// ReadFile takes a DWORD count; a large file is read in pieces well below its limit.
constexpr std::size_t kMostPerReadFileCall = std::size_t{1} << 30;

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Others may read, write, rename or delete the file meanwhile, as they may on POSIX: a run
// never keeps anyone from their files.
HANDLE openForReading(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Opened as soon as the program that holds the file without sharing it lets go, if `held`
// allows the wait.
HANDLE openWhenLetGo(const std::wstring& path, HeldFileWait* held) {
    const auto since = HeldFileWait::Clock::now();
    for (;;) {
        const HANDLE handle = openForReading(path);
        const DWORD error = ::GetLastError();
        if (handle != INVALID_HANDLE_VALUE || error != ERROR_SHARING_VIOLATION || held == nullptr ||
            !held->pauseBeforeRetry(since)) {
            ::SetLastError(error);  // the wait may have changed it
            return handle;
        }
    }
}

// The open handle, as the InputFile keeps it. `shownPath` makes the path an error names, only
// when there is an error. A folder cannot be opened as a file at all, and the system then says
// only that access is denied: the message says why.
template <typename ShownPath>
std::intptr_t openOrThrow(const std::wstring& path, const ShownPath& shownPath,
                          HeldFileWait* held = nullptr) {
    const HANDLE handle = openWhenLetGo(path, held);
    if (handle == INVALID_HANDLE_VALUE) {
        const int error = lastSystemError();
        if (error == ERROR_ACCESS_DENIED && isFolder(path)) {
            throw FileError("read", shownPath(), error, "it is a folder");
        }
        throw FileError("open", shownPath(), error);
    }
    return reinterpret_cast<std::intptr_t>(handle);
}

}  // namespace

InputFile::InputFile(const Folder& folder, const char* name, HeldFileWait* held)
    : m_folderPath(folder.path()),
      m_name(name),
      m_handle(openOrThrow(
          win32::widePathIn(folder, name), [this] { return path(); }, held)) {
    checkRegular();
}

InputFile::InputFile(const std::string& path)
    : m_name(path.c_str()),
      m_handle(openOrThrow(win32::widePath(path), [this] { return this->path(); })) {
    checkRegular();
}

InputFile::~InputFile() {
    ::CloseHandle(handleOf(m_handle));
}

std::size_t InputFile::read(char* into, std::size_t most) {
    DWORD got = 0;
    if (!::ReadFile(handleOf(m_handle), into,
                    static_cast<DWORD>(std::min(most, kMostPerReadFileCall)), &got, nullptr)) {
        const int error = lastSystemError();
        throw FileError("read", path(), error);
    }
    return got;
}

std::size_t InputFile::readAt(std::uint64_t offset, char* into, std::size_t most) {
    // On a handle opened for plain reads, the offset in OVERLAPPED positions this read alone.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(handleOf(m_handle), into,
                    static_cast<DWORD>(std::min(most, kMostPerReadFileCall)), &got, &at)) {
        const int error = lastSystemError();
        if (error == ERROR_HANDLE_EOF) {
            return 0;
        }
        throw FileError("read", path(), error);
    }
    return got;
}

std::int64_t ticksOf(const FILETIME& time) {
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                     time.dwLowDateTime);
}

// Devices and pipes can stream without end; only a file on a disk is read. The handle is
// closed here on failure, as no destructor runs for an object that was never made.
void InputFile::checkRegular() {
    const HANDLE handle = handleOf(m_handle);
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        throw FileError("read", path(), ERROR_INVALID_FUNCTION, "it is a device or a pipe");
    }
    try {
        m_opened = currentState();
    } catch (...) {
        ::CloseHandle(handle);
        throw;
    }
}

InputFile::State InputFile::currentState() const {
    const HANDLE handle = handleOf(m_handle);
    BY_HANDLE_FILE_INFORMATION information{};
    FILE_BASIC_INFO times{};
    if (!::GetFileInformationByHandle(handle, &information) ||
        !::GetFileInformationByHandleEx(handle, FileBasicInfo, &times, sizeof times)) {
        const int error = lastSystemError();
        throw FileError("read", path(), error);
    }
    return {(std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow,
            (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow,
            ticksOf(information.ftLastWriteTime), times.ChangeTime.QuadPart};
}

bool InputFile::changedSinceOpened() const {
    return currentState() != m_opened;
}

std::string InputFile::path() const {
    return std::string(m_folderPath).append(m_name);
}

}  // namespace catalog
