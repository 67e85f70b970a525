#include <exception>
#include <new>
#include <string>

// clang-format off
#include <windows.h>  // before <commctrl.h>, which takes its types
#include <commctrl.h>
#include <objbase.h>
// clang-format on

#include "app/win32/form1.h"
#include "platform/library_search.h"
#include "platform/memory_reserve.h"
#include "platform/program_directory.h"
#include "platform/write_limits.h"
#include "platform/wtf8.h"
#include "window/window_texts.h"

namespace {

constexpr wchar_t kCaption[] = L"Form1";

void showFailure(const std::wstring& text) {
    ::MessageBoxW(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

// The list view, the progress bar and the tooltips come from the common controls, version 6
// by the manifest.
bool loadCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                     ICC_STANDARD_CLASSES | ICC_LINK_CLASS;
    return ::InitCommonControlsEx(&controls) != FALSE;
}

int runMessageLoop(catalog::win32_window::Form1& form) {
    MSG message{};
    // 0 at WM_QUIT, -1 for a failure.
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!form.preTranslate(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

// The window's thread is a single-threaded COM apartment for as long as the window lasts: the
// objects the links give screen readers are handed over through COM. Without it the window still
// works, its links named by their markup.
class ComApartment {
public:
    ComApartment()
        : m_started(SUCCEEDED(
              ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (m_started) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_started;
};

int runWindow(HINSTANCE instance, int show) {
    const ComApartment apartment;
    if (!loadCommonControls()) {
        showFailure(L"The system's common controls could not be loaded.");
        return 1;
    }
    std::string programDirectory;
    try {
        programDirectory = catalog::programDirectory();
    } catch (const std::exception& error) {
        showFailure(catalog::win32::wideFromUtf8(catalog::window::failureLine(error)));
        return 1;
    }
    catalog::win32_window::Form1 form(instance, programDirectory);
    if (!form.created()) {
        showFailure(L"The window could not be created.");
        return 1;
    }
    form.show(show);
    return runMessageLoop(form);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    catalog::loadLibrariesFromSystemOnly();
    if (!catalog::keepMemoryForFailures()) {
        showFailure(L"catalog-collector: out of memory");
        return 1;
    }
    catalog::reportOversizedWritesAsErrors();
    catalog::reportBrokenPipesAsErrors();
    try {
        return runWindow(instance, show);
    } catch (const std::bad_alloc&) {
        // Out of memory outside a run, which reports its own: one line, and never an abort.
        showFailure(L"catalog-collector: out of memory");
        return 1;
    } catch (const std::exception& error) {
        showFailure(catalog::win32::wideFromUtf8(catalog::window::failureLine(error)));
        return 1;
    }
}
