#include "app/win32/clipboard.h"

#include <cstring>

namespace catalog::win32_window {

namespace {

// The clipboard takes a movable global block that it then owns; the caller frees it only when
// the clipboard did not take it.
HGLOBAL globalCopy(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr) {
        return nullptr;
    }
    void* at = ::GlobalLock(block);
    if (at == nullptr) {
        ::GlobalFree(block);
        return nullptr;
    }
    std::memcpy(at, text.c_str(), bytes);
    ::GlobalUnlock(block);
    return block;
}

}  // namespace

bool copyToClipboard(HWND owner, const std::wstring& text) {
    HGLOBAL block = globalCopy(text);
    if (block == nullptr) {
        return false;
    }
    if (!::OpenClipboard(owner)) {
        ::GlobalFree(block);
        return false;
    }
    ::EmptyClipboard();
    const bool taken = ::SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    ::CloseClipboard();
    if (!taken) {
        ::GlobalFree(block);
    }
    return taken;
}

}  // namespace catalog::win32_window
