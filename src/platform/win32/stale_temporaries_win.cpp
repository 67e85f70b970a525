#include "platform/win32/stale_temporaries_win.h"

#include "platform/temporary_names.h"
#include "platform/win32/wide_path_win.h"

namespace catalog::win32 {

namespace {

constexpr DWORD kNeverRemoved = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

// Opened shared with no one, which fails while its writer holds it; the link itself, not what it
// leads to, should the name have become one since it was listed. Removed once its handle is
// closed, unless it turns out to be what is never removed.
void removeIfStale(const std::wstring& path) {
    const UniqueHandle handle(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!handle || !::GetFileInformationByHandle(handle.get(), &information) ||
        (information.dwFileAttributes & kNeverRemoved) != 0) {
        return;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    ::SetFileInformationByHandle(handle.get(), FileDispositionInfo, &disposition,
                                 sizeof disposition);
}

}  // namespace

void removeStaleTemporaries(const std::wstring& folder, std::wstring_view base) {
    // Only the names that start as the temporary files' do, listed by the system itself.
    const std::wstring pattern = folder + temporaryNameHead(base) + L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & kNeverRemoved) == 0 &&
            isTemporaryName(std::wstring_view(found.cFileName), base)) {
            removeIfStale(folder + found.cFileName);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

}  // namespace catalog::win32
