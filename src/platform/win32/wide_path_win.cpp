#include "platform/win32/wide_path_win.h"

namespace catalog::win32 {

constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
constexpr std::wstring_view kUncPrefix = L"\\\\";

// "\\?\" paths are taken as they stand by the system: no "/" is turned into "\" and no ".." is
// resolved. So the prefix goes only on a path the system has made absolute first.
std::wstring widePath(const std::string& path) {
    std::wstring wide = wideFromUtf8(path);
    if (wide.starts_with(kLongPrefix)) {
        return wide;
    }
    std::wstring full = fullPath(wide);
    if (full.empty()) {
        return wide;  // the call it is given to then fails with the system's own error
    }
    if (full.starts_with(kDevicePrefix) || full.starts_with(kLongPrefix)) {
        return full;
    }
    if (full.starts_with(kUncPrefix)) {
        return std::wstring(kLongPrefix).append(L"UNC\\").append(full, kUncPrefix.size());
    }
    return std::wstring(kLongPrefix).append(full);
}

std::wstring fullPath(const std::wstring& path) {
    return filledToFit([&path](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    });
}

UniqueHandle openToLookAt(const std::wstring& path) {
    return UniqueHandle(::CreateFileW(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

std::wstring withoutLongPrefix(std::wstring path) {
    constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";
    if (path.starts_with(kLongUncPrefix)) {
        return path.replace(0, kLongUncPrefix.size(), kUncPrefix);
    }
    if (path.starts_with(kLongPrefix)) {
        return path.erase(0, kLongPrefix.size());
    }
    return path;
}

}  // namespace catalog::win32
