#include "app/win32/trouble_pages_dialog.h"

#include <algorithm>
#include <exception>

#include "app/win32/clipboard.h"
#include "app/win32/controls.h"
#include "app/win32/live_region.h"
#include "platform/wtf8.h"
#include "window/control_texts.h"
#include "window/form1_layout.h"
#include "window/window_texts.h"

namespace catalog::win32_window {

using win32::wideFromUtf8;
using window::scaled;

namespace {

enum ControlId : int {
    kLinesId = 100,
    kCopyId,
    kMessageId,
    kSelectedLabelId,
    kSelectedLineId,
    kCopyCommand
};

constexpr DWORD kStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExtendedStyle = WS_EX_DLGMODALFRAME;
// At the base dots per inch; the list takes what the dialog grows by.
constexpr window::Size kFirstClientSize{760, 420};
constexpr window::Size kMinimumClientSize{320, 240};
constexpr int kMargin = 8;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 25;
constexpr int kLabelHeight = 16;
// Four lines of the window's font: a long line whole, wrapped, without taking the list's room.
constexpr int kSelectedLineHeight = 68;
// The margins a report-mode list view leaves either side of a line's text.
constexpr int kLineMargins = 12;
// The lines measured for the column's width: enough to take in the usual lines, few enough to
// open at once whatever their number.
constexpr int kMeasuredLines = 1000;

// The dialog's size, frame included, for a client area of `client` at the base dots per inch.
POINT frameFor(HWND dialog, window::Size client) {
    const int dpi = dpiOf(dialog);
    return frameSize({scaled(client.width, dpi), scaled(client.height, dpi)}, kStyle,
                     kExtendedStyle, dpi);
}

// The dialog's loop hands each message to the thread's message filter first. A key held down
// repeats its key downs, bit 30 set: Enter held on a button or a line acts once.
LRESULT CALLBACK oncePerHeldEnter(int code, WPARAM wParam, LPARAM lParam) {
    const MSG& message = *reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
        (message.lParam & (1 << 30)) != 0) {
        return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

TroublePagesDialog::TroublePagesDialog(window::TroublePages pages, ShowPage showPage)
    : m_pages(std::move(pages)), m_showPage(std::move(showPage)) {}

bool TroublePagesDialog::run(HWND owner, HINSTANCE instance, HFONT font) {
    m_font = font;
    HHOOK once =
        ::SetWindowsHookExW(WH_MSGFILTER, &oncePerHeldEnter, nullptr, ::GetCurrentThreadId());
    const bool shown = runDialog(instance, kStyle, owner, &TroublePagesDialog::procedure,
                                 reinterpret_cast<LPARAM>(this));
    if (once != nullptr) {
        ::UnhookWindowsHookEx(once);
    }
    return shown;
}

// A C++ exception must not cross the system's code that calls the procedure: one that reaches
// here is shown, and the list stays open.
INT_PTR CALLBACK TroublePagesDialog::procedure(HWND dialog, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        reinterpret_cast<TroublePagesDialog*>(lParam)->m_dialog = dialog;
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<TroublePagesDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    try {
        return self->handle(message, wParam, lParam);
    } catch (const std::exception& failure) {
        ::MessageBoxW(dialog, wideFromUtf8(window::failureLine(failure)).c_str(),
                      wideFromUtf8(window::kPageListTitle).c_str(), MB_OK | MB_ICONERROR);
        return TRUE;
    }
}

INT_PTR TroublePagesDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            createControls();
            return FALSE;  // the focus is set: on the list
        case WM_SIZE:
            placeControls();
            return TRUE;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize =
                frameFor(m_dialog, kMinimumClientSize);
            return TRUE;
        case WM_NOTIFY:
            onNotify(*reinterpret_cast<const NMHDR*>(lParam));
            ::SetWindowLongPtrW(m_dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_COMMAND:
            onCommand(LOWORD(wParam));
            return TRUE;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) != m_lines) {
                return FALSE;
            }
            showMenu(lParam);
            return TRUE;
        case WM_CLOSE:
            ::EndDialog(m_dialog, 0);
            return TRUE;
        case WM_DESTROY:
            unmarkLiveRegion(m_message);
            return FALSE;
        default:
            return FALSE;
    }
}

int TroublePagesDialog::scaledToDpi(int pixels) const {
    return scaled(pixels, dpiOf(m_dialog));
}

void TroublePagesDialog::createControls() {
    ::SetWindowTextW(m_dialog, wideFromUtf8(window::kPageListTitle).c_str());
    const auto control = [this](const wchar_t* className, const std::wstring& text, DWORD style,
                                int id, DWORD extendedStyle = 0) {
        HWND made = createChild(m_dialog, className, text, style, id, extendedStyle);
        ::SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        return made;
    };
    // The list paints no text of its own: it is its name for screen readers.
    m_lines =
        control(WC_LISTVIEWW, wideFromUtf8(window::kPageListTitle),
                WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS,
                kLinesId, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(m_lines, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    ListView_InsertColumn(m_lines, 0, &column);
    // Only the count: the list asks for the lines it paints.
    ListView_SetItemCountEx(m_lines, clampedToInt(m_pages.lineCount()), LVSICF_NOSCROLL);
    // Made right after the list, for the tab order. Without ES_AUTOHSCROLL the box wraps its
    // lines; screen readers name it by the label made just before it.
    m_selectedLabel = control(WC_STATICW, wideFromUtf8(window::kSelectedLineLabel),
                              SS_LEFT | SS_NOPREFIX, kSelectedLabelId);
    m_selectedLine = control(WC_EDITW, L"", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY,
                             kSelectedLineId, WS_EX_CLIENTEDGE);
    // A name or a reason such as "&x" is text: no ampersand is taken for a mnemonic.
    m_message = control(WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kMessageId);
    // Screen readers read out what a copy did.
    markPoliteLiveRegion(m_message);
    m_copy =
        control(WC_BUTTONW, wideFromUtf8(window::kCopyItem), WS_TABSTOP | BS_PUSHBUTTON, kCopyId);
    m_close = control(WC_BUTTONW, wideFromUtf8(window::kCloseButton), WS_TABSTOP | BS_PUSHBUTTON,
                      IDCANCEL);
    fitLineWidth();

    centreOnOwner(m_dialog, frameFor(m_dialog, kFirstClientSize));
    // No button is the default: Enter on the list shows the line's page, and never copies.
    ::SendMessageW(m_dialog, DM_SETDEFID, IDOK, 0);
    ::SetFocus(m_lines);
    ListView_SetItemState(m_lines, 0, LVIS_FOCUSED, LVIS_FOCUSED);
}

// The widest of the first lines, so that the list scrolls far enough to read them whole.
void TroublePagesDialog::fitLineWidth() {
    const std::size_t measured = std::min<std::size_t>(m_pages.lineCount(), kMeasuredLines);
    for (std::size_t line = 0; line < measured; ++line) {
        const int width =
            ListView_GetStringWidth(m_lines, wideFromUtf8(m_pages.line(line)).c_str());
        m_lineWidth = std::max(m_lineWidth, width + scaledToDpi(kLineMargins));
    }
}

// The list takes the room; below it the selected line, then the message, Copy and Close.
void TroublePagesDialog::placeControls() {
    const window::Size client = clientSize(m_dialog);
    const int margin = scaledToDpi(kMargin);
    const int buttonWidth = scaledToDpi(kButtonWidth);
    const int buttonHeight = scaledToDpi(kButtonHeight);
    const int rowTop = client.height - margin - buttonHeight;
    const int closeLeft = client.width - margin - buttonWidth;
    const int copyLeft = closeLeft - margin - buttonWidth;
    const int width = std::max(0, client.width - 2 * margin);
    const int boxHeight = scaledToDpi(kSelectedLineHeight);
    const int boxTop = rowTop - margin - boxHeight;
    const int labelTop = boxTop - scaledToDpi(kLabelHeight);
    ::MoveWindow(m_lines, margin, margin, width, std::max(0, labelTop - 2 * margin), TRUE);
    ::MoveWindow(m_selectedLabel, margin, labelTop, width, scaledToDpi(kLabelHeight), TRUE);
    ::MoveWindow(m_selectedLine, margin, boxTop, width, boxHeight, TRUE);
    ::MoveWindow(m_message, margin, rowTop + buttonHeight / 4, std::max(0, copyLeft - 2 * margin),
                 buttonHeight, TRUE);
    ::MoveWindow(m_copy, copyLeft, rowTop, buttonWidth, buttonHeight, TRUE);
    ::MoveWindow(m_close, closeLeft, rowTop, buttonWidth, buttonHeight, TRUE);
    ListView_SetColumnWidth(m_lines, 0, std::max(m_lineWidth, clientSize(m_lines).width));
}

void TroublePagesDialog::onNotify(const NMHDR& header) {
    if (header.hwndFrom != m_lines) {
        return;
    }
    if (header.code == LVN_GETDISPINFOW) {
        lineText(notification<NMLVDISPINFOW>(header));
    } else if (header.code == LVN_ITEMCHANGED || header.code == LVN_ODSTATECHANGED) {
        showSelectedLine();
    } else if (header.code == NM_SETFOCUS) {
        focusFirstItem(m_lines);
    } else if (header.code == LVN_ITEMACTIVATE) {  // a double click
        showPageOf(notification<NMITEMACTIVATE>(header).iItem);
    } else if (header.code == LVN_KEYDOWN) {
        const WORD key = notification<NMLVKEYDOWN>(header).wVKey;
        if (::GetKeyState(VK_CONTROL) < 0 && (key == 'C' || key == VK_INSERT)) {
            copyLines();
        } else if (::GetKeyState(VK_CONTROL) < 0 && key == 'A') {
            ListView_SetItemState(m_lines, -1, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
}

// Enter reaches a dialog as IDOK, whichever control has the focus: on the list it shows the
// line's page, as a double click does; on a button it presses the button, as Space does.
void TroublePagesDialog::onCommand(int id) {
    HWND focus = ::GetFocus();
    if (id == IDCANCEL || (id == IDOK && focus == m_close)) {
        ::EndDialog(m_dialog, 0);
    } else if (id == kCopyId || id == kCopyCommand || (id == IDOK && focus == m_copy)) {
        copyLines();
    } else if (id == IDOK && focus == m_lines) {
        showPageOf(ListView_GetNextItem(m_lines, -1, LVNI_FOCUSED));
    }
}

// Right click, or Shift+F10 or the menu key.
void TroublePagesDialog::showMenu(LPARAM at) {
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    ::AppendMenuW(menu, MF_STRING, kCopyCommand,
                  (wideFromUtf8(window::kCopyItem) + L"\tCtrl+C").c_str());
    onCommand(static_cast<int>(showContextMenu(menu, m_dialog, m_lines, at)));
}

void TroublePagesDialog::lineText(NMLVDISPINFOW& info) const {
    LVITEMW& item = info.item;
    if ((item.mask & LVIF_TEXT) == 0 || item.iItem < 0 ||
        static_cast<std::size_t>(item.iItem) >= m_pages.lineCount()) {
        return;
    }
    copyInto(wideFromUtf8(m_pages.line(static_cast<std::size_t>(item.iItem))), item.pszText,
             item.cchTextMax);
}

// The focused line when it is selected, else the first selected; nothing when none is.
void TroublePagesDialog::showSelectedLine() {
    int shown = ListView_GetNextItem(m_lines, -1, LVNI_FOCUSED);
    if (shown < 0 || ListView_GetItemState(m_lines, shown, LVIS_SELECTED) == 0) {
        shown = ListView_GetNextItem(m_lines, -1, LVNI_SELECTED);
    }
    const std::string line =
        shown < 0 ? std::string() : m_pages.line(static_cast<std::size_t>(shown));
    ::SetWindowTextW(m_selectedLine, wideFromUtf8(line).c_str());
}

// The lines selected, in order, each run of them as one range.
std::vector<window::LineRange> TroublePagesDialog::selectedRanges() const {
    std::vector<window::LineRange> ranges;
    for (int line = ListView_GetNextItem(m_lines, -1, LVNI_SELECTED); line >= 0;
         line = ListView_GetNextItem(m_lines, line, LVNI_SELECTED)) {
        const auto at = static_cast<std::size_t>(line);
        if (!ranges.empty() && ranges.back().last == at) {
            ranges.back().last = at + 1;
        } else {
            ranges.push_back({at, at + 1});
        }
    }
    return ranges;
}

void TroublePagesDialog::copyLines() {
    ::SetWindowTextW(m_message, L"");
    const window::LinesCopy copy = window::copyLines(
        m_pages, selectedRanges(),
        [this](const std::string& text) { return copyToClipboard(m_dialog, wideFromUtf8(text)); });
    ::SetWindowTextW(m_message, wideFromUtf8(copy.message).c_str());
    if (copy.copied) {
        announceLiveRegion(m_message);
    }
}

void TroublePagesDialog::showPageOf(int line) {
    if (line >= 0 && static_cast<std::size_t>(line) < m_pages.lineCount()) {
        m_showPage(m_dialog, m_pages.pagePath(static_cast<std::size_t>(line)));
    }
}

}  // namespace catalog::win32_window
