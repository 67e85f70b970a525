#include "app/win32/details_box.h"

// clang-format off
#include <windows.h>  // before <commctrl.h>, which takes its types
#include <commctrl.h>
// clang-format on

#include "app/win32/accessible_texts.h"
#include "app/win32/clipboard.h"
#include "app/win32/controls.h"
#include "platform/wtf8.h"
#include "window/control_texts.h"
#include "window/form1_layout.h"

namespace catalog::win32_window {

using win32::wideFromUtf8;
using window::scaled;

namespace {

enum ControlId : int { kTextId = 100 };

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
// At the base dots per inch: a row's fields on a line each, a long value wrapped.
constexpr window::Size kClientSize{520, 300};
constexpr int kMargin = 8;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 25;
constexpr UINT_PTR kSubclassId = 1;

struct Box {
    HFONT font;
    std::wstring title;
    std::wstring text;
};

// With nothing selected the box's whole text is copied: the user asked for the details.
LRESULT CALLBACK textProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
    if (message == WM_COPY) {
        DWORD first = 0;
        DWORD last = 0;
        ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                       reinterpret_cast<LPARAM>(&last));
        if (first == last) {
            copyToClipboard(edit, windowText(edit));
            return 0;
        }
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(edit, &textProcedure, kSubclassId);
    }
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

void createControls(HWND dialog, const Box& box) {
    ::SetWindowTextW(dialog, box.title.c_str());
    const int dpi = dpiOf(dialog);
    const POINT frame = frameSize({scaled(kClientSize.width, dpi), scaled(kClientSize.height, dpi)},
                                  kStyle, 0, dpi);
    centreOnOwner(dialog, frame);
    const window::Size client = clientSize(dialog);
    const int margin = scaled(kMargin, dpi);
    const int buttonWidth = scaled(kButtonWidth, dpi);
    const int buttonHeight = scaled(kButtonHeight, dpi);
    HWND text = createChild(dialog, WC_EDITW, box.text,
                            WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY, kTextId,
                            WS_EX_CLIENTEDGE);
    HWND close = createChild(dialog, WC_BUTTONW, wideFromUtf8(window::kCloseButton),
                             WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL);
    ::MoveWindow(text, margin, margin, client.width - 2 * margin,
                 client.height - 3 * margin - buttonHeight, FALSE);
    ::MoveWindow(close, client.width - margin - buttonWidth, client.height - margin - buttonHeight,
                 buttonWidth, buttonHeight, FALSE);
    for (HWND control : {text, close}) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(box.font), FALSE);
    }
    ::SetWindowSubclass(text, &textProcedure, kSubclassId, 0);
    // The box shows no label: the title names it.
    setAccessibleName(text, box.title);
    ::SendMessageW(dialog, DM_SETDEFID, IDCANCEL, 0);
    ::SetFocus(text);
    ::SendMessageW(text, EM_SETSEL, 0, 0);  // read from the first line, nothing selected
}

INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            createControls(dialog, *reinterpret_cast<const Box*>(lParam));
            return FALSE;  // the focus is set: on the text
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
                ::EndDialog(dialog, 0);
            }
            return TRUE;
        case WM_CLOSE:
            ::EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

bool showDetailsBox(HWND owner, HINSTANCE instance, HFONT font, const std::wstring& title,
                    const std::wstring& text) {
    const Box box{font, title, text};
    return runDialog(instance, kStyle, owner, &procedure, reinterpret_cast<LPARAM>(&box));
}

}  // namespace catalog::win32_window
