#pragma once

// Every file of the Windows implementation takes <windows.h> from here, so that it is always
// included the same way.
#ifndef NOMINMAX
#define NOMINMAX  // std::min and std::max, not the macros of the same names
#endif
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <windows.h>

#include "platform/wtf8.h"

namespace catalog {

class Folder;

namespace win32 {

// `path` (UTF-8, relative to the working directory or absolute, "/" or "\" between names) as
// the system's calls take it at any length: made absolute, and given the "\\?\" prefix that lifts
// the limit of MAX_PATH characters. Device names (NUL, CON, "\\.\pipe\...") stay device paths,
// and a path that has the prefix already is taken as it stands.
std::wstring widePath(const std::string& path);

// The same for the file `name` (UTF-8) in an open folder, whose path was made so once.
std::wstring widePathIn(const Folder& folder, const char* name);

// Owns a HANDLE and closes it on every way out of a scope. Both INVALID_HANDLE_VALUE and null
// mean none, as the system's calls return one or the other.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(std::exchange(other.m_handle, INVALID_HANDLE_VALUE));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != INVALID_HANDLE_VALUE && m_handle; }

    // Closes now, for callers that must know whether the close itself failed.
    bool close() { return ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE)) != 0; }

    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (*this) {
            ::CloseHandle(m_handle);
        }
        m_handle = handle;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// `path` opened without any access, which no other program's sharing refuses, and following
// links to their end; folders too. For asking what is there.
UniqueHandle openToLookAt(const std::wstring& path);

// The text `fill(buffer, size)` writes, at any length: the buffer grows until it fits. `fill`
// returns the length it wrote; when the buffer is too small, the size it needs, or `size`
// itself when it cuts the text short; 0 when it fails, which gives an empty text and leaves
// GetLastError as the call left it.
template <typename Fill>
std::wstring filledToFit(const Fill& fill) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = fill(text.data(), static_cast<DWORD>(text.size()));
        if (length < text.size()) {
            text.resize(length);
            return text;
        }
        text.resize(std::max<std::size_t>(length + 1, text.size() * 2));
    }
}

// The absolute path the system makes of `path`: "/" turned into "\", "." and ".." resolved,
// trailing dots and blanks dropped from names, as every Windows program sees the path. Only the
// text counts: no file is looked at. Empty when the system cannot make one, GetLastError saying
// why.
std::wstring fullPath(const std::wstring& path);

// `path` as a user would type it: without the "\\?\" prefix that lifts the length limit
// ("\\?\UNC\server\share" is "\\server\share").
std::wstring withoutLongPrefix(std::wstring path);

}  // namespace win32
}  // namespace catalog
