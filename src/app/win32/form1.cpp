#include "app/win32/form1.h"

#include <algorithm>
#include <chrono>
#include <commctrl.h>
#include <exception>
#include <new>
#include <ranges>
#include <shellapi.h>
#include <shlobj.h>
#include <variant>

#include "app/win32/accessible_texts.h"
#include "app/win32/clipboard.h"
#include "app/win32/controls.h"
#include "app/win32/details_box.h"
#include "app/win32/link_accessible.h"
#include "app/win32/live_region.h"
#include "app/win32/row_list_view.h"
#include "app/win32/trouble_pages_dialog.h"
#include "app/win32/windows/resource_ids.h"
#include "platform/system_error.h"
#include "platform/wtf8.h"
#include "window/control_texts.h"
#include "window/data_folder.h"
#include "window/keeping_rows.h"
#include "window/output_name.h"
#include "window/row_cells.h"
#include "window/row_details.h"
#include "window/run_steps.h"
#include "window/shown_progress.h"
#include "window/shown_status.h"

namespace catalog::win32_window {

using win32::utf8FromWide;
using win32::wideFromUtf8;

namespace {

constexpr wchar_t kClassName[] = L"CatalogCollectorForm1";
constexpr wchar_t kCaption[] = L"Form1";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExtendedStyle = 0;

// Control ids above the dialog commands (IDOK, IDCANCEL), which IsDialogMessage sends for
// Enter and Escape and which the window ignores.
enum ControlId : int {
    kListId = 100,
    kCollectId,
    kOutputNameId,
    kLabelId,
    kProgressId,
    kStatusId,
    kOpenDataFolderId,
    kShowPagesId,
    kCopyCommand,
    kCopyWithHeaderCommand,
    kClearListCommand,
    kOpenDataFolderCommand,
    kProgressNoteId,
    kDetailsCommand,
    kFitColumnCommand,
    kSortByCommand,  // and the next ids, a column each
};

// The run's end, posted from the run's own thread.
constexpr UINT kRunEndMessage = WM_APP + 1;
constexpr UINT_PTR kProgressTimer = 1;
// Long enough for a screen reader to have read an announcement out, which it asks for at once.
constexpr UINT_PTR kAnnouncedTimer = 2;
constexpr UINT kAnnouncedMs = 3000;
// Often enough for the bar to move smoothly, seldom enough to cost the run nothing.
constexpr UINT kProgressIntervalMs = 100;
constexpr int kMostTooltipWidth = 600;

// A device context holding `control`'s font, for measuring text in it.
struct MeasuringContext {
    explicit MeasuringContext(HWND control) : control(control), dc(::GetDC(control)) {
        old =
            ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    }
    ~MeasuringContext() {
        ::SelectObject(dc, old);
        ::ReleaseDC(control, dc);
    }
    MeasuringContext(const MeasuringContext&) = delete;
    MeasuringContext& operator=(const MeasuringContext&) = delete;

    int width(const std::wstring& text) const {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

    HWND control;
    HDC dc;
    HGDIOBJ old = nullptr;
};

// The width of `text` in `control`'s font.
int textWidth(HWND control, const std::wstring& text) {
    return MeasuringContext(control).width(text) + 2;  // the focus rectangle's edges
}

// `text` with characters of its middle given up for an ellipsis until it fits `width` in
// `control`'s font: the end of a long page name and the figures after it stay. Never cut inside
// a surrogate pair.
std::wstring middleElided(HWND control, const std::wstring& text, int width) {
    const auto cut = [&text](std::size_t kept) {
        std::size_t head = kept - kept / 2;
        std::size_t tail = text.size() - kept / 2;
        head -= head > 0 && IS_HIGH_SURROGATE(text[head - 1]) ? 1 : 0;
        tail += tail < text.size() && IS_LOW_SURROGATE(text[tail]) ? 1 : 0;
        return text.substr(0, head) + L"\u2026" + text.substr(tail);
    };
    if (textWidth(control, text) <= width) {
        return text;
    }
    // The fewest characters given up that fit; the ellipsis alone does.
    const auto dropped = std::ranges::partition_point(
        std::views::iota(std::min<std::size_t>(1, text.size()), text.size()),
        [&](std::size_t dropped) {
            return textWidth(control, cut(text.size() - dropped)) > width;
        });
    return cut(text.size() - *dropped);
}

// A failure's path fits a message box on any screen in lines of this many characters: Wine's box
// wraps again beyond about 48, in the middle of a name.
constexpr std::size_t kMostFailureLineCharacters = 40;

// Text for the controls and the clipboard: its lines end in CR LF, as Windows expects.
std::wstring withCarriageReturns(const std::string& text) {
    std::wstring lines;
    for (const wchar_t c : wideFromUtf8(text)) {
        lines.append(c == L'\n' ? L"\r\n" : std::wstring(1, c));
    }
    return lines;
}

void showError(HWND owner, const std::wstring& text) {
    ::MessageBoxW(owner, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

// That `what` could not be shown, with the system's error, read before anything allocates.
void showNotShown(HWND owner, const char* what) {
    const int error = lastSystemError();
    showError(owner, wideFromUtf8(std::string(what) + " could not be shown.\n\nError " +
                                  std::to_string(error) + ": " + describeSystemError(error)));
}

// The box open on this thread, what it shows and what Ctrl+C copies from it.
thread_local HWND t_boxOwner = nullptr;
thread_local std::wstring t_shownInBox;
thread_local std::wstring t_copiedFromBox;

// The dialog loop of a message box hands each message to the thread's message filter first.
LRESULT CALLBACK copyFromBox(int code, WPARAM wParam, LPARAM lParam) {
    const MSG& message = *reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message.message == WM_KEYDOWN && ::GetKeyState(VK_CONTROL) < 0 &&
        (message.wParam == 'C' || message.wParam == VK_INSERT)) {
        copyToClipboard(t_boxOwner, t_copiedFromBox);
        return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK nameIfBoxText(HWND control, LPARAM) {
    if (windowText(control) != t_shownInBox) {
        return TRUE;
    }
    setAccessibleName(control, t_copiedFromBox);
    return FALSE;
}

// The box's text, found as the box is activated, before a screen reader can ask for it.
LRESULT CALLBACK nameBoxText(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        ::EnumChildWindows(reinterpret_cast<HWND>(wParam), &nameIfBoxText, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// While the box is open, Ctrl+C (or Ctrl+Insert) in it copies `copied` instead of the box's own
// text, which holds the line breaks that fit the path into it; and screen readers read `copied`
// too, which they would otherwise read with a pause at each of those breaks.
void showError(HWND owner, const std::wstring& text, std::wstring copied) {
    const DWORD thread = ::GetCurrentThreadId();
    HHOOK copying = ::SetWindowsHookExW(WH_MSGFILTER, &copyFromBox, nullptr, thread);
    HHOOK naming = ::SetWindowsHookExW(WH_CBT, &nameBoxText, nullptr, thread);
    t_boxOwner = owner;
    t_shownInBox = text;
    t_copiedFromBox = std::move(copied);
    showError(owner, text);
    for (HHOOK hook : {copying, naming}) {
        if (hook != nullptr) {
            ::UnhookWindowsHookEx(hook);
        }
    }
    t_shownInBox.clear();
    t_copiedFromBox.clear();
}

void registerClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(CATALOG_ICON_ID));
    windowClass.hIconSm = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(CATALOG_ICON_ID), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    // A second window of the program finds the class there already, which is as good.
    ::RegisterClassExW(&windowClass);
}

// `font`, or where there is none the system's default.
HFONT orDefault(HFONT font) {
    return font != nullptr ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// The system's font for text in windows, at the monitor's dots per inch.
HFONT messageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0,
                                      static_cast<UINT>(dpi))) {
        return nullptr;
    }
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

// The controls are the tools, and the tooltip watches their mouse messages itself.
constexpr UINT kToolFlags = TTF_IDISHWND | TTF_SUBCLASS;

// Adds or updates the tip `tooltip` shows for `control`; the tooltip keeps a copy of `text`.
void sendTool(HWND tooltip, UINT message, HWND control, wchar_t* text, UINT flags = 0) {
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = flags;
    tool.hwnd = ::GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text;
    ::SendMessageW(tooltip, message, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace

// Every handler that allocates runs through here, so that running out of memory keeps the rows.
template <typename Handler>
void Form1::keepingRows(std::string_view action, std::size_t rows, Handler handler) {
    window::keepingRows(action, rows, handler,
                        [this](const window::StatusText& status) { showStatus(status); });
}

std::size_t Form1::rowCount() const {
    return m_displaylist->rows().rowCount();
}

std::size_t Form1::selectedCount() const {
    return ListView_GetSelectedCount(m_displaylist->handle());
}

Form1::Form1(HINSTANCE instance, std::string programDirectory)
    : m_instance(instance),
      m_programDirectory(std::move(programDirectory)),
      // Called on the run's thread: the end is shown on the window's.
      m_run([this] {
          if (HWND target = m_runEndTarget.load()) {
              ::PostMessageW(target, kRunEndMessage, 0, 0);
          }
      }) {
    registerClass(instance, &Form1::windowProcedure);
    ::CreateWindowExW(kExtendedStyle, kClassName, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
}

Form1::~Form1() {
    if (m_window != nullptr) {
        ::DestroyWindow(m_window);
    }
    if (m_font != nullptr) {
        ::DeleteObject(m_font);
    }
}

void Form1::show(int how) {
    ::ShowWindow(m_window, how);
    ::UpdateWindow(m_window);
}

// A C++ exception must not cross the system's code that calls the window procedure: one that
// reaches here is shown, and the window goes on.
LRESULT CALLBACK Form1::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->handle(message, wParam, lParam);
    } catch (const std::exception& failure) {
        self->reportUnexpected(failure);
        return 0;
    }
}

void Form1::reportUnexpected(const std::exception& failure) {
    std::wstring text = L"Out of memory.";
    try {
        text = wideFromUtf8(window::failureLine(failure));
    } catch (const std::bad_alloc&) {
        // The fixed text it is.
    }
    showError(m_window, text);
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            createControls();
            applyDpi(dpiOf(m_window));
            const POINT first =
                frameSize(window::firstClientSize(m_dpi), kStyle, kExtendedStyle, m_dpi);
            ::SetWindowPos(m_window, nullptr, 0, 0, first.x, first.y,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            showStatus(window::startStatus(m_programDirectory));
            return 0;
        }
        case WM_SIZE:
            placeControls();
            return 0;
        case WM_GETMINMAXINFO:
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize =
                frameSize(window::minimumClientSize(m_dpi), kStyle, kExtendedStyle, m_dpi);
            return 0;
        case WM_DPICHANGED: {
            const int oldDpi = m_dpi;
            applyDpi(HIWORD(wParam));
            m_displaylist->rescale(oldDpi, m_dpi);
            // Where the system suggests: the window keeps its size in inches on the new monitor.
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(m_window, nullptr, suggested.left, suggested.top,
                           suggested.right - suggested.left, suggested.bottom - suggested.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_ACTIVATE:
            keepFocus(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kCollectId && HIWORD(wParam) == BN_CLICKED) {
                collect_Click();
            }
            return 0;
        case WM_NOTIFY:
            return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == m_displaylist->handle()) {
                showListMenu(lParam);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wParam == kProgressTimer) {
                showProgress(window::shownProgress(m_run.progress()));
                speakProgress();
            } else if (wParam == kAnnouncedTimer) {
                // The status is named by its text again; during a run, by the run's figures.
                ::KillTimer(m_window, kAnnouncedTimer);
                if (!m_run.running()) {
                    setAccessibleName(m_status, wideFromUtf8(m_statusText.text));
                }
            }
            return 0;
        case kRunEndMessage:
            showRunEnd();
            return 0;
        // Closing mid-run stops the run before its write: the earlier listing stays as it was.
        // The run is waited for when the window's object goes, after the message loop.
        case WM_CLOSE:
            m_run.stop();
            ::DestroyWindow(m_window);
            return 0;
        case WM_DESTROY:
            ::KillTimer(m_window, kProgressTimer);
            ::KillTimer(m_window, kAnnouncedTimer);
            unmarkLiveRegion(m_status);
            ::PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            HWND window = m_window;
            m_runEndTarget.store(nullptr);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            m_window = nullptr;
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return ::DefWindowProcW(m_window, message, wParam, lParam);
}

// In the tab order of the drawn window: the list, the button, the name box, then the status's
// link when one is shown; the label and the status take no focus. The label comes just before
// the name box: screen readers name a box by the label made before it.
void Form1::createControls() {
    m_displaylist = std::make_unique<RowListView>(m_window, kListId);
    m_collect = createChild(m_window, WC_BUTTONW, wideFromUtf8(window::collectButtonText(false)),
                            WS_TABSTOP | BS_PUSHBUTTON, kCollectId);
    m_label1 = createChild(m_window, WC_STATICW, L"Save to:", SS_LEFT | SS_CENTERIMAGE, kLabelId);
    m_outputfilename = createChild(m_window, WC_EDITW, wideFromUtf8(window::kDefaultOutputText),
                                   WS_TABSTOP | ES_AUTOHSCROLL, kOutputNameId, WS_EX_CLIENTEDGE);
    // A typed name such as "&x.txt" is text: no ampersand is taken for a mnemonic. The window
    // layer breaks its lines to fit (showStatusLines). Screen readers read how a run ended there
    // (showRunStep).
    m_status = createChild(m_window, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, kStatusId);
    markPoliteLiveRegion(m_status);
    // Shown beside a status that finds the data folder empty or missing, the user's next step.
    // The links are tab stops after the name box, for the keyboard (see preTranslate).
    m_openDataFolder = createLink(window::kOpenDataFolderItem, kOpenDataFolderId);
    // Beside a status that counts pages without a record or lacking a field, the list of them.
    m_showPages = createLink(window::kShowPagesLink, kShowPagesId);
    // The bar paints no text: its own is its name for screen readers.
    m_progress =
        createChild(m_window, PROGRESS_CLASSW, wideFromUtf8(window::kProgressName), 0, kProgressId);
    ::ShowWindow(m_progress, SW_HIDE);
    // A page's name is text, on one line.
    m_progressNote =
        createChild(m_window, WC_STATICW, L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kProgressNoteId);
    ::ShowWindow(m_progressNote, SW_HIDE);
    createTooltips();
    m_runEndTarget.store(m_window);
}

// Hidden until a status offers it.
HWND Form1::createLink(std::string_view text, int id) {
    const std::wstring wide = wideFromUtf8(text);
    HWND link = createChild(m_window, WC_LINK, L"<a>" + wide + L"</a>", WS_TABSTOP, id);
    makeLinkAccessible(link, wide);
    ::ShowWindow(link, SW_HIDE);
    return link;
}

HWND Form1::createTooltip() const {
    return ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, m_instance, nullptr);
}

// The status reads whole at the window's first size; a narrower window cuts it short, and its
// tooltip keeps the whole of it, with the full paths. The button and the name box tell what
// they are for when the pointer rests on them.
void Form1::createTooltips() {
    m_statusTooltip = createTooltip();
    sendTool(m_statusTooltip, TTM_ADDTOOLW, m_status, m_statusDetails.data(), kToolFlags);
    m_controlTooltip = createTooltip();
    for (const auto& [control, text] : {std::pair{m_collect, window::kCollectTooltip},
                                        std::pair{m_outputfilename, window::kOutputNameTooltip}}) {
        std::wstring shown = wideFromUtf8(text);
        sendTool(m_controlTooltip, TTM_ADDTOOLW, control, shown.data(), kToolFlags);
    }
}

void Form1::applyDpi(int dpi) {
    m_dpi = dpi > 0 ? dpi : kBaseDpi;
    HFONT font = messageFont(m_dpi);
    const HFONT shown = orDefault(font);
    for (HWND control : {m_displaylist->handle(), m_collect, m_outputfilename, m_label1, m_status,
                         m_openDataFolder, m_showPages, m_progressNote}) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(shown), TRUE);
    }
    if (m_font != nullptr) {
        ::DeleteObject(m_font);
    }
    m_font = font;
    ::SendMessageW(m_statusTooltip, TTM_SETMAXTIPWIDTH, 0, scaled(kMostTooltipWidth, m_dpi));
    ::SendMessageW(m_controlTooltip, TTM_SETMAXTIPWIDTH, 0, scaled(kMostTooltipWidth / 2, m_dpi));
    placeControls();
}

void Form1::placeControls() {
    const window::Size client = clientSize(m_window);
    if (client.width == 0 || client.height == 0) {
        return;  // minimised: the controls keep their places for the restore
    }
    const window::Form1Layout layout = window::layoutFor(client, m_dpi);
    // Moved together, and each repainted whole where it lands: bits copied from where a
    // control was are not always there to copy when the window has just grown.
    HDWP moves = ::BeginDeferWindowPos(8);
    const auto place = [&moves](HWND control, const Rect& at) {
        if (moves != nullptr) {
            moves = ::DeferWindowPos(moves, control, nullptr, at.left, at.top, at.width, at.height,
                                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
        }
    };
    place(m_displaylist->handle(), layout.list);
    place(m_collect, layout.collect);
    place(m_outputfilename, layout.outputName);
    place(m_label1, layout.label);
    place(m_progress, layout.progress);
    place(m_progressNote, layout.progressNote);
    Rect status = layout.statusStrip;
    // A status offers one link at most.
    if (HWND link = m_statusText.offersDataFolder ? m_openDataFolder
                    : m_statusText.offersPageList ? m_showPages
                                                  : nullptr) {
        // The link takes the strip's right end, as wide as its text, and the status the rest.
        const int width =
            textWidth(link, wideFromUtf8(link == m_showPages ? window::kShowPagesLink
                                                             : window::kOpenDataFolderItem));
        const int gap = scaled(8, m_dpi);
        place(link, {status.left + status.width - width, status.top, width, status.height});
        status.width = std::max(0, status.width - width - gap);
    }
    place(m_status, status);
    if (moves != nullptr) {
        ::EndDeferWindowPos(moves);
    }
    showStatusLines(status.width, status.height);
    m_displaylist->showColumnWidths();
}

bool Form1::preTranslate(MSG& message) {
    if (m_window == nullptr) {
        return false;
    }
    const bool keyDown = message.message == WM_KEYDOWN;
    const WPARAM key = message.wParam;
    // Once for a key held down (bit 30: the key was down before).
    const bool firstPress = (message.lParam & (1 << 30)) == 0;
    if (keyDown && key == VK_RETURN && message.hwnd == m_outputfilename) {
        if (firstPress) {
            startRun();  // typing a name never stops a run
        }
        return true;
    }
    if (keyDown && key == VK_ESCAPE) {
        m_run.stop();
        return true;
    }
    if (keyDown && key == VK_RETURN && message.hwnd == m_collect) {
        // Enter presses the button with the focus, as Space does; the dialog manager would send
        // IDOK instead, the default button's, which the window has none of.
        if (firstPress) {
            collect_Click();
        }
        return true;
    }
    if (keyDown && (key == VK_RETURN || key == VK_SPACE) &&
        (message.hwnd == m_openDataFolder || message.hwnd == m_showPages)) {
        // A link with the focus opens at Enter, as a button, or Space, which the link ignores.
        if (firstPress) {
            pressLink(message.hwnd);
        }
        return true;
    }
    return ::IsDialogMessageW(m_window, &message) != FALSE;
}

// The control that had the focus gets it back as the window is active again, after a box, the
// list of pages or another program, and the list at first: the window itself would take it, and
// the keys would reach no control.
void Form1::keepFocus(bool active) {
    HWND focus = ::GetFocus();
    if (!active) {
        m_lastFocus = focus != nullptr && ::IsChild(m_window, focus) ? focus : m_lastFocus;
        return;
    }
    const bool back =
        m_lastFocus != nullptr && ::IsWindowVisible(m_lastFocus) && ::IsWindowEnabled(m_lastFocus);
    ::SetFocus(back ? m_lastFocus : m_displaylist->handle());
}

void Form1::pressLink(HWND link) {
    link == m_openDataFolder ? openDataFolder() : showPages();
}

LRESULT Form1::onNotify(const NMHDR& header) {
    const bool linkClicked = header.code == NM_CLICK || header.code == NM_RETURN;
    if ((header.hwndFrom == m_openDataFolder || header.hwndFrom == m_showPages) && linkClicked) {
        pressLink(header.hwndFrom);
        return 0;
    }
    if (m_displaylist == nullptr) {
        return 0;  // the list tells of itself while it is being made
    }
    // A click on a column's title sorts; the others ask for texts to paint.
    const bool sorting = header.code == LVN_COLUMNCLICK;
    std::optional<LRESULT> handled = 0;
    keepingRows(sorting ? "sort" : "show", sorting ? rowCount() : 0,
                [&] { handled = m_displaylist->notify(header); });
    if (handled) {
        return *handled;
    }
    if (header.hwndFrom == m_displaylist->handle() && header.code == LVN_KEYDOWN) {
        onListKey(notification<NMLVKEYDOWN>(header).wVKey);
    }
    return 0;
}

void Form1::onListKey(WORD key) {
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (key == VK_DELETE && !control && !shift) {
        removeSelectedRows();
    } else if (key == VK_F2 && !control && !shift) {
        showDetails();
    } else if (control && (key == 'C' || key == VK_INSERT)) {
        copySelectedRows(shift && key == 'C');
    } else if (control && key == 'A') {
        m_displaylist->selectAll();
    }
}

void Form1::collect_Click() {
    if (m_run.running()) {
        m_run.stop();
        return;
    }
    startRun();
}

// No run starts while a message is open: MessageBoxW disables the window until then. A file that
// is not a listing is replaced only when the user says so; No is the default, as it may be the
// user's own.
void Form1::startRun() {
    keepingRows("start a run", 0, [this] {
        if (m_run.running()) {
            return;
        }
        // The name as it stands now: what is typed during the run is for the next one.
        const std::string name = utf8FromWide(windowText(m_outputfilename));
        if (const std::optional<std::string> question =
                window::replaceQuestion(m_programDirectory, name)) {
            const int answer = ::MessageBoxW(m_window, wideFromUtf8(*question).c_str(), kCaption,
                                             MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
            if (answer != IDYES) {
                return;
            }
        }
        if (m_run.start(m_programDirectory, name)) {
            showRunStep(window::runStarted());
            ::SetTimer(m_window, kProgressTimer, kProgressIntervalMs, nullptr);
            // The status's name tells that the run started, and takes the run's figures a second
            // later; they describe it at once.
            const std::wstring figures = wideFromUtf8(window::collectingName(m_run.progress()));
            setAccessibleDescription(m_status, figures);
            setAccessibleDescription(m_progress, figures);
            announce(window::runStartedAnnouncement());
            m_spokenProgress.reset();
            m_progressSpokenFrom = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        }
    });
}

// A run that asks before its write waits for the answer, No by default; it then ends again.
void Form1::showRunEnd() {
    ::KillTimer(m_window, kProgressTimer);
    const window::Progress last = m_run.progress();
    window::RunOutcome outcome = m_run.takeOutcome();
    if (outcome.question) {
        const int answer = ::MessageBoxW(m_window, wideFromUtf8(*outcome.question).c_str(),
                                         kCaption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        m_run.answer(answer == IDYES);
        return;
    }
    showRunStep(window::runEnded(std::move(outcome), last));
}

// Until the folder is listed the total is unknown and the bar only shows that work goes on.
void Form1::showProgress(const window::ShownProgress& shown) {
    showMarquee(shown.maximum == 0);
    if (shown.maximum > 0) {
        ::SendMessageW(m_progress, PBM_SETRANGE32, 0, shown.maximum);
        ::SendMessageW(m_progress, PBM_SETPOS, static_cast<WPARAM>(shown.value), 0);
    }
    showProgressNote(shown.note);
}

// The style is changed only when the bar passes from one way of showing to the other: a
// marquee set again starts again.
void Form1::showMarquee(bool on) {
    if (on == m_progressMarquee) {
        return;
    }
    m_progressMarquee = on;
    const LONG_PTR style = ::GetWindowLongPtrW(m_progress, GWL_STYLE);
    if (on) {
        ::SetWindowLongPtrW(m_progress, GWL_STYLE, style | PBS_MARQUEE);
        ::SendMessageW(m_progress, PBM_SETMARQUEE, TRUE, 0);
    } else {
        ::SendMessageW(m_progress, PBM_SETMARQUEE, FALSE, 0);
        ::SetWindowLongPtrW(m_progress, GWL_STYLE, style & ~PBS_MARQUEE);
    }
}

// Set only when it changes, so that the line does not flicker at every look. A long name gives
// up its middle: its end and the figures after it stay, and screen readers read it whole.
void Form1::showProgressNote(const std::string& note) {
    if (note != m_progressNoteText) {
        const int width = clientSize(m_progressNote).width;
        const std::wstring whole = wideFromUtf8(note);
        ::SetWindowTextW(m_progressNote, middleElided(m_progressNote, whole, width).c_str());
        setAccessibleName(m_progressNote, whole);
        m_progressNoteText = note;
    }
    ::ShowWindow(m_progressNote, note.empty() ? SW_HIDE : SW_SHOW);
}

// The bar and its note stand where the status is while the run goes.
void Form1::showRunStep(window::RunStep step) {
    ::SetWindowTextW(m_collect, wideFromUtf8(step.collectCaption).c_str());
    showProgress(step.progress);
    ::ShowWindow(m_progress, step.progressShown ? SW_SHOW : SW_HIDE);
    if (!step.progressShown) {
        setAccessibleDescription(m_progress, L"");
    }
    ::ShowWindow(m_status, step.progressShown ? SW_HIDE : SW_SHOW);
    m_troublePages = std::move(step.troublePages);
    if (step.lastListing) {
        m_lastListing = std::move(*step.lastListing);
    }
    showStatus(step.status);
    if (step.rows) {
        keepingRows("show", step.rows->rowCount(),
                    [&] { m_displaylist->append(std::move(*step.rows)); });
        showStatus(m_statusTold);  // the rows it counts
    }
    if (step.announce) {
        announceLiveRegion(m_status);
    }
    if (step.failure) {
        showFailure(*step.failure, m_window);
    }
}

// With the rows the list holds from earlier runs, counted now: the status is shown again whenever
// they change, so that it and the list never seem to disagree. Screen readers read the status
// whole, whatever the strip shortens.
void Form1::showStatus(const window::StatusText& status) {
    m_statusTold = status;
    m_statusText = window::withRowsHeld(status, rowCount(), m_displaylist->rows().runCount());
    m_statusDetails =
        wideFromUtf8(m_statusText.details.empty() ? m_statusText.text : m_statusText.details);
    setAccessibleName(m_status, wideFromUtf8(m_statusText.text));
    setAccessibleDescription(m_status, m_statusDetails);
    sendTool(m_statusTooltip, TTM_UPDATETIPTEXTW, m_status, m_statusDetails.data());
    ::ShowWindow(m_openDataFolder, status.offersDataFolder ? SW_SHOW : SW_HIDE);
    ::ShowWindow(m_showPages, status.offersPageList ? SW_SHOW : SW_HIDE);
    placeControls();
}

// While a run goes the status is hidden under the bar: both are described by the run's figures,
// at most once a second, and neither is announced.
void Form1::speakProgress() {
    const auto now = std::chrono::steady_clock::now();
    if (now < m_progressSpokenFrom) {
        return;
    }
    if (const std::optional<std::string> name = m_spokenProgress.next(m_run.progress(), now)) {
        const std::wstring spoken = wideFromUtf8(*name);
        setAccessibleName(m_status, spoken);
        setAccessibleDescription(m_status, spoken);
        setAccessibleDescription(m_progress, spoken);
    }
}

// Screen readers read the status's name out: it says `text` for a while, and what the strip
// shows stays.
void Form1::announce(const std::string& text) {
    setAccessibleName(m_status, wideFromUtf8(text));
    announceLiveRegion(m_status);
    ::SetTimer(m_window, kAnnouncedTimer, kAnnouncedMs, nullptr);
}

// The status's lines as the window layer breaks and shortens them for a strip `width` by
// `height` pixels, measured in the status's font on one device context.
void Form1::showStatusLines(int width, int height) {
    const MeasuringContext measuring(m_status);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(measuring.dc, &metrics);
    const window::StatusStrip strip{
        std::max(1, height / std::max(1, static_cast<int>(metrics.tmHeight))),
        [&](std::string_view line) { return measuring.width(wideFromUtf8(line)) <= width; }};
    ::SetWindowTextW(m_status,
                     withCarriageReturns(window::shownStatus(m_statusText, strip)).c_str());
}

// Modal, as the message boxes are: no run replaces the pages while it lists them.
void Form1::showPages() {
    keepingRows("list the pages", 0, [this] {
        TroublePagesDialog list(
            m_troublePages, [this](HWND owner, const std::string& path) { showPage(owner, path); });
        if (!list.run(m_window, m_instance, orDefault(m_font))) {
            showNotShown(m_window, "The list of pages");
        }
    });
}

// In its folder, selected, by the shell; where it cannot, the data folder that holds it is
// opened instead, and where that fails too the box says that the page could not be shown. The
// page itself is never opened: it may be named x.exe or x.lnk.
void Form1::showPage(HWND owner, const std::string& path) {
    // The shell's call needs COM on this thread, for its own time.
    const HRESULT com =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    PIDLIST_ABSOLUTE page = ::ILCreateFromPathW(wideFromUtf8(path).c_str());
    const bool shown =
        page != nullptr && SUCCEEDED(::SHOpenFolderAndSelectItems(page, 0, nullptr, 0));
    ::ILFree(page);
    if (SUCCEEDED(com)) {
        ::CoUninitialize();
    }
    if (!shown) {
        keepingRows("show the page", 0, [&] {
            openFolder(owner,
                       [&](const std::string& folder, const window::FileManagerFailure& failure) {
                           showFailure(window::pageNotShownText(path, folder, failure), owner);
                       });
        });
    }
}

void Form1::openDataFolder() {
    keepingRows("open the data folder", 0, [this] {
        openFolder(m_window,
                   [this](const std::string& folder, const window::FileManagerFailure& failure) {
                       showFailure(window::folderNotOpened(folder, failure), m_window);
                   });
    });
}

// The data folder, made first when it is missing; `failed` tells why Explorer did not open it.
// A box says so over `owner`, the window the user asked in.
void Form1::openFolder(
    HWND owner,
    const std::function<void(const std::string& folder, const window::FileManagerFailure& failure)>&
        failed) {
    const window::FolderToOpen folder = window::dataFolderToOpen(m_programDirectory);
    if (folder.failure) {
        showFailure(*folder.failure, owner);
        return;
    }
    // Above 32 when the shell found a program to open the folder with; else the error is the
    // thread's, or failing that the code returned, which has the same meaning.
    const HINSTANCE opened = ::ShellExecuteW(m_window, L"open", wideFromUtf8(folder.path).c_str(),
                                             nullptr, nullptr, SW_SHOWNORMAL);
    const auto code = static_cast<int>(reinterpret_cast<INT_PTR>(opened));
    if (code <= 32) {
        int error = lastSystemError();
        error = error != 0 ? error : code;
        failed(folder.path, {"Explorer", error, describeSystemError(error)});
    }
}

// The window stays open for the next run; the box names the path, the error number and its
// description. A message box breaks lines at blanks alone, so the path comes in lines broken
// after its separators; Ctrl+C copies it as it is.
void Form1::showFailure(const window::RunFailure& failure, HWND owner) {
    showFailure(window::failureTextFor(failure), owner);
}

// Over `owner`, so that Esc closes the box before the window or list it came from.
void Form1::showFailure(const window::FailureText& text, HWND owner) {
    showError(owner,
              wideFromUtf8(text.message + "\n\n" +
                           window::detailsInLines(text, kMostFailureLineCharacters)),
              withCarriageReturns(text.message + "\n\n" + text.details));
}

void Form1::copySelectedRows(bool withHeader) {
    keepingRows("copy", selectedCount(), [&] {
        const std::vector<std::size_t> rows = m_displaylist->selectedRows();
        if (rows.empty()) {
            return;
        }
        const std::variant<std::string, window::CopyRefusal> text =
            m_displaylist->rows().copyText(rows, withHeader);
        if (const auto* refusal = std::get_if<window::CopyRefusal>(&text)) {
            showStatus(window::copyRefusedStatus(*refusal, rows.size(), m_lastListing));
            return;
        }
        if (copyToClipboard(m_window, wideFromUtf8(std::get<std::string>(text)))) {
            announce(window::copiedAnnouncement(rows.size(), withHeader));
        }
    });
}

// The status still tells of the last run, with the rows left.
void Form1::removeSelectedRows() {
    const std::size_t removed = selectedCount();
    if (removed == 0) {
        return;
    }
    keepingRows("remove", removed, [&] {
        m_displaylist->removeSelected();
        showStatus(m_statusTold);
        announce(window::removedAnnouncement(removed));
    });
}

// The page list goes with the rows, and the start status hides its link: what it lists is no
// longer shown.
void Form1::clearList() {
    keepingRows("clear", rowCount(), [this] {
        m_displaylist->clear();
        m_troublePages = {};
        showStatus(window::startStatus(m_programDirectory));
        announce(window::clearedAnnouncement());
    });
}

// The current row's fields whole, why those not found were not, and its file: what the
// tooltips give a pointer.
void Form1::showDetails() {
    const std::optional<std::size_t> row = m_displaylist->currentRow();
    if (!row) {
        return;
    }
    keepingRows("show the details of", 1, [&] {
        const std::wstring text =
            withCarriageReturns(window::rowDetails(m_displaylist->rows(), *row));
        if (!showDetailsBox(m_window, m_instance, orDefault(m_font),
                            wideFromUtf8(window::kDetailsTitle), text)) {
            showNotShown(m_window, "The details");
        }
    });
}

// The columns by their titles, the one the rows are sorted by checked: choosing one acts as a
// click on its title.
HMENU Form1::makeSortMenu() const {
    HMENU menu = ::CreatePopupMenu();
    const window::SortState sort = m_displaylist->rows().sort();
    for (std::size_t column = 0; menu != nullptr && column < window::kColumnCount; ++column) {
        const bool current = sort.direction != window::SortDirection::None && sort.column == column;
        const std::wstring title = wideFromUtf8(window::kColumnTitles[column]);
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        item.fType = MFT_STRING | MFT_RADIOCHECK;
        item.fState = current ? MFS_CHECKED : MFS_UNCHECKED;
        item.wID = kSortByCommand + static_cast<UINT>(column);
        item.dwTypeData = const_cast<wchar_t*>(title.c_str());
        ::InsertMenuItemW(menu, static_cast<UINT>(column), TRUE, &item);
    }
    return menu;
}

// Right click, or Shift+F10 or the menu key.
void Form1::showListMenu(LPARAM at) {
    HMENU menu = ::CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    // An empty list has nothing to copy, show or clear.
    const UINT needsRows = rowCount() > 0 ? MF_ENABLED : MF_GRAYED;
    const auto item = [menu](int command, std::string_view text, const wchar_t* keys, UINT state) {
        ::AppendMenuW(menu, MF_STRING | state, command, (wideFromUtf8(text) + keys).c_str());
    };
    item(kCopyCommand, window::kCopyItem, L"\tCtrl+C", needsRows);
    item(kCopyWithHeaderCommand, window::kCopyWithHeaderItem, L"\tCtrl+Shift+C", needsRows);
    item(kDetailsCommand, window::kDetailsItem, L"\tF2", needsRows);
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    if (HMENU sortBy = makeSortMenu()) {
        // The menu destroys its submenu with itself.
        ::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sortBy),
                      wideFromUtf8(window::kSortByItem).c_str());
    }
    item(kFitColumnCommand, window::kFitColumnItem, L"", MF_ENABLED);
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    item(kClearListCommand, window::kClearListItem, L"", needsRows);
    item(kOpenDataFolderCommand, window::kOpenDataFolderItem, L"", MF_ENABLED);
    onListCommand(showContextMenu(menu, m_window, m_displaylist->handle(), at));
}

void Form1::onListCommand(UINT command) {
    if (command == kCopyCommand || command == kCopyWithHeaderCommand) {
        copySelectedRows(command == kCopyWithHeaderCommand);
    } else if (command == kDetailsCommand) {
        showDetails();
    } else if (command == kFitColumnCommand) {
        m_displaylist->fitColumn(m_displaylist->currentColumn());
    } else if (command == kClearListCommand) {
        clearList();
    } else if (command == kOpenDataFolderCommand) {
        openDataFolder();
    } else if (command >= kSortByCommand && command < kSortByCommand + window::kColumnCount) {
        keepingRows("sort", rowCount(), [&] {
            m_displaylist->sortByColumn(static_cast<int>(command - kSortByCommand));
        });
    }
}

}  // namespace catalog::win32_window
