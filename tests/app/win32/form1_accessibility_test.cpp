#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// clang-format off
#include <windows.h>  // before the others, which take its types
#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>
// clang-format on

#include <gtest/gtest.h>

#include "app/win32/form1.h"
#include "platform/wtf8.h"
#include "support/test_files.h"
#include "window/control_texts.h"
#include "window/row_cells.h"
#include "window/window_texts.h"

namespace catalog::win32_window {
namespace {

using catalog::testing::TempDir;
using catalog::testing::writeFile;
using Microsoft::WRL::ComPtr;
using win32::utf8FromWide;
using win32::wideFromUtf8;

// The controls' ids in form1.cpp.
enum ControlId : int {
    kList = 100,
    kCollect,
    kOutputName,
    kLabel,
    kProgress,
    kStatus,
    kOpenDataFolder,
    kShowPages,
};

const VARIANT kSelf = [] {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}();

std::wstring taken(BSTR text) {
    std::wstring kept = text != nullptr ? text : L"";
    ::SysFreeString(text);
    return kept;
}

std::wstring nameOf(IAccessible& object, const VARIANT& child = kSelf) {
    BSTR name = nullptr;
    EXPECT_EQ(object.get_accName(child, &name), S_OK);
    return taken(name);
}

std::wstring descriptionOf(IAccessible& object) {
    BSTR description = nullptr;
    EXPECT_EQ(object.get_accDescription(kSelf, &description), S_OK);
    return taken(description);
}

ComPtr<IAccessible> accessibleOf(HWND control) {
    ComPtr<IAccessible> object;
    EXPECT_EQ(::AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                           reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK);
    return object;
}

std::wstring textOf(HWND control) {
    wchar_t text[4096] = {};
    ::GetWindowTextW(control, text, 4096);
    return text;
}

// Messages handled until `done`, for a minute at most.
bool pumpUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = ::GetTickCount64() + 60'000;
    while (!done()) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now),
                                    QS_ALLINPUT);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

// What a modal box opened by the window showed, closed at once by a timer that its own message
// loop runs; and what pressing the link again answered while it was open.
struct OpenedBox {
    std::wstring title;
    HRESULT pressedAgain = S_OK;
};
thread_local OpenedBox t_box;
thread_local IAccessible* t_pressedLink = nullptr;

BOOL CALLBACK closeIfBox(HWND window, LPARAM) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !::IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t title[128] = {};
    ::GetWindowTextW(window, title, 128);
    t_box.title = title;
    t_box.pressedAgain = t_pressedLink->accDoDefaultAction(kSelf);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return FALSE;
}

void CALLBACK closeBox(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &closeIfBox, 0);
}

// A page that gives no record: the status after a run over it offers Show pages.
void writePage(const TempDir& folder) {
    std::filesystem::create_directory(folder.path() / "data");
    writeFile(folder.path() / "data" / "page.html", "no record here");
}

thread_local std::vector<std::wstring> t_announced;  // the texts, as each was announced

// What a screen reader reads out: the status's name as it is told.
void CALLBACK onLiveRegion(HWINEVENTHOOK, DWORD, HWND control, LONG object, LONG child, DWORD,
                           DWORD) {
    if (::GetDlgCtrlID(control) == kStatus && object == OBJID_CLIENT && child == CHILDID_SELF) {
        if (const ComPtr<IAccessible> status = accessibleOf(control)) {
            t_announced.push_back(nameOf(*status.Get()));
        }
    }
}

// A record whose reference is not found, and a page that gives none.
void writePages(const TempDir& folder) {
    writePage(folder);
    writeFile(folder.path() / "data" / "record.html",
              "array ( 'ID' => '7', 'NAME' => 'Green tea', 'PRICE' => 3.10, "
              "'MIN_QUANTITY_ORDERABLE' => 1, 'THUMBNAIL' => 'img/tea.jpg',  }, ");
}

// A page the run reads for long: a size set, which Wine makes a sparse file on no disk. Set
// through the system: the C++ library's resize counts in 32 bits.
void writeLargePage(const TempDir& folder) {
    writePage(folder);
    const HANDLE large = ::CreateFileW((folder.path() / "data" / "zz-large.html").c_str(),
                                       GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(large, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = std::int64_t{64} << 30;
    EXPECT_TRUE(::SetFilePointerEx(large, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(large));
    ::CloseHandle(large);
}

// A key pressed on `control`, or held down (bit 30: it was down before).
MSG keyDown(HWND control, WPARAM key, bool held = false) {
    return MSG{control, WM_KEYDOWN, key, held ? LPARAM{1} << 30 | 1 : 1, 0, {}};
}

// The keys the next menu takes, after the Down the window posts as it opens one by a key: the
// menu's loop hands its messages to the thread's filter first, that Down's or else a timer's.
thread_local std::vector<WPARAM> t_menuKeys;

LRESULT CALLBACK pressInMenu(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU && !t_menuKeys.empty()) {
        for (const WPARAM key : t_menuKeys) {
            ::PostMessageW(reinterpret_cast<const MSG*>(lParam)->hwnd, WM_KEYDOWN, key, 1);
        }
        t_menuKeys.clear();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring clipboardText() {
    std::wstring text;
    if (::OpenClipboard(nullptr)) {
        if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(::GlobalLock(data));
            ::GlobalUnlock(data);
        }
        ::CloseClipboard();
    }
    return text;
}

bool isShownBox(HWND window, const std::wstring& title) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    return std::wstring(className) == L"#32770" && ::IsWindowVisible(window) &&
           (title.empty() || textOf(window) == title);
}

BOOL CALLBACK closeAnyBox(HWND window, LPARAM) {
    if (isShownBox(window, L"")) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

// A menu still open long after its keys were pressed took them otherwise: it is closed, and so is
// a box another item opened.
void CALLBACK endMenu(HWND, UINT, UINT_PTR, DWORD) {
    ::EndMenu();
    ::EnumThreadWindows(::GetCurrentThreadId(), &closeAnyBox, 0);
}

// What a box showed and what a screen reader read in it, closed at once by a timer that its own
// message loop runs.
struct BoxRead {
    std::wstring shown;   // the text
    std::wstring name;    // its accessible name
    std::wstring copied;  // by Ctrl+C, with nothing selected
};
thread_local BoxRead t_read;

BOOL CALLBACK readIfDetails(HWND window, LPARAM) {
    if (!isShownBox(window, wideFromUtf8(window::kDetailsTitle))) {
        return TRUE;
    }
    HWND text = ::FindWindowExW(window, nullptr, L"Edit", nullptr);
    t_read.shown = textOf(text);
    if (const ComPtr<IAccessible> object = accessibleOf(text)) {
        t_read.name = nameOf(*object.Get());
    }
    ::SendMessageW(text, WM_COPY, 0, 0);  // what Ctrl+C sends
    t_read.copied = clipboardText();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return FALSE;
}

// The message box's longest static is its text.
BOOL CALLBACK readIfMessageBox(HWND window, LPARAM) {
    if (!isShownBox(window, L"Form1")) {
        return TRUE;
    }
    HWND text = nullptr;
    for (HWND child = ::FindWindowExW(window, nullptr, L"Static", nullptr); child != nullptr;
         child = ::FindWindowExW(window, child, L"Static", nullptr)) {
        if (text == nullptr || textOf(child).size() > textOf(text).size()) {
            text = child;
        }
    }
    t_read.shown = textOf(text);
    if (const ComPtr<IAccessible> object = accessibleOf(text)) {
        t_read.name = nameOf(*object.Get());
    }
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return FALSE;
}

// The list of pages' menu, opened by a key, and Enter in it; then what the list said of it. The
// timer that calls it is not heeded meanwhile.
BOOL CALLBACK copyIfPageList(HWND window, LPARAM) {
    static thread_local bool copying = false;
    if (copying || !isShownBox(window, wideFromUtf8(window::kPageListTitle))) {
        return TRUE;
    }
    copying = true;
    t_menuKeys = {VK_RETURN};
    const HHOOK hook =
        ::SetWindowsHookExW(WH_MSGFILTER, &pressInMenu, nullptr, ::GetCurrentThreadId());
    ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(::GetDlgItem(window, 100)), -1);
    ::UnhookWindowsHookEx(hook);
    t_read.shown = textOf(::GetDlgItem(window, 102));  // the line beside the buttons
    t_read.copied = clipboardText();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    copying = false;
    return FALSE;
}

template <WNDENUMPROC read>
void CALLBACK readBox(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), read, 0);
}

std::wstring withoutBlanks(std::wstring text) {
    std::erase_if(text, [](wchar_t c) { return std::iswspace(c) != 0; });
    return text;
}

// The window over a program folder, on the test's thread, read as a screen reader reads it.
class Form1Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                            ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                                            ICC_LINK_CLASS};
        ASSERT_TRUE(::InitCommonControlsEx(&controls));
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override {
        close();
        ::CoUninitialize();
    }

    void open(const TempDir& folder) {
        close();
        m_form.emplace(::GetModuleHandleW(nullptr), folder.path().string());
        ASSERT_TRUE(m_form->created());
        m_form->show(SW_SHOWNORMAL);
        m_window = ::FindWindowW(L"CatalogCollectorForm1", nullptr);
        ASSERT_NE(m_window, nullptr);
    }
    // The window's quit message goes too, which would end the next box at once.
    void close() {
        m_form.reset();
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    // Until the run ends; the status is hidden while it goes.
    void run() {
        m_form->collect_Click();
        ASSERT_TRUE(pumpUntil([this] { return ::IsWindowVisible(control(kStatus)) != FALSE; }));
    }
    void openAfterRun(const TempDir& folder) {
        writePage(folder);
        open(folder);
        run();
    }
    // Opens the list's menu as Shift+F10 does and presses `keys` in it.
    void chooseFromListMenu(std::vector<WPARAM> keys) {
        t_menuKeys = std::move(keys);
        const HHOOK hook =
            ::SetWindowsHookExW(WH_MSGFILTER, &pressInMenu, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        const UINT_PTR wake = ::SetTimer(nullptr, 0, 20, nullptr);
        const UINT_PTR end = ::SetTimer(nullptr, 0, 10'000, &endMenu);
        ::SendMessageW(m_window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control(kList)), -1);
        ::KillTimer(nullptr, end);
        ::KillTimer(nullptr, wake);
        ::UnhookWindowsHookEx(hook);
        EXPECT_TRUE(t_menuKeys.empty()) << "no menu opened";
    }
    // Until `show` has opened a box and the timer has read it.
    template <WNDENUMPROC read>
    void readBoxOpenedBy(const std::function<void()>& show) {
        t_read = {};
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &readBox<read>);
        show();
        EXPECT_TRUE(pumpUntil([] { return !t_read.shown.empty(); }));
        ::KillTimer(nullptr, timer);
    }
    HWND control(int id) const { return ::GetDlgItem(m_window, id); }
    ComPtr<IAccessible> accessible(int id) const { return accessibleOf(control(id)); }
    bool press(WPARAM key, int id, bool held = false) {
        MSG message = keyDown(control(id), key, held);
        return m_form->preTranslate(message);
    }
    bool running() const { return textOf(control(kCollect)) == wideFromUtf8(window::kStopText); }

    std::optional<Form1> m_form;
    HWND m_window = nullptr;
};

TEST_F(Form1Accessibility, NamesTheControlsThatShowNoWordsOfTheirOwn) {
    const TempDir folder;
    open(folder);
    for (const auto& [id, name] : {std::pair{kList, window::kTableName},
                                   std::pair{kOutputName, std::string_view("Save to:")},
                                   std::pair{kProgress, window::kProgressName}}) {
        const ComPtr<IAccessible> object = accessible(id);
        ASSERT_TRUE(object) << id;
        EXPECT_EQ(nameOf(*object.Get()), wideFromUtf8(name)) << id;
    }
}

// The label made before the name box, to name it, takes no focus: Tab goes from the list to the
// button, the box and the link, and back to the list.
TEST_F(Form1Accessibility, KeepsTheTabOrder) {
    const TempDir folder;
    openAfterRun(folder);
    HWND at = control(kList);
    for (const int next : {kCollect, kOutputName, kShowPages, kList}) {
        at = ::GetNextDlgTabItem(m_window, at, FALSE);
        EXPECT_EQ(::GetDlgCtrlID(at), next);
    }
}

// Each link reads as its words, is a link, and its default action presses it: Show pages opens
// the list of pages; Open data folder, where the data folder cannot be made, says so in a box
// (and starts no file manager). Neither is pressed while hidden or while a box is open.
TEST_F(Form1Accessibility, ReadsAndPressesTheLinksAsLinks) {
    struct Case {
        int id;
        std::string_view name;
        std::wstring boxTitle;
    };
    for (const Case& link :
         {Case{kShowPages, window::kShowPagesLink, wideFromUtf8(window::kPageListTitle)},
          Case{kOpenDataFolder, window::kOpenDataFolderItem, L"Form1"}}) {
        SCOPED_TRACE(link.id);
        const TempDir folder;
        if (link.id == kShowPages) {
            writePage(folder);
        }
        open(folder);
        ComPtr<IAccessible> object = accessible(link.id);
        ASSERT_TRUE(object);
        EXPECT_EQ(object->accDoDefaultAction(kSelf), E_FAIL);  // hidden before the run
        run();
        if (link.id == kOpenDataFolder) {
            writeFile(folder.path() / "data", "a file where the data folder would be");
        }
        EXPECT_EQ(nameOf(*object.Get()), wideFromUtf8(link.name));
        VARIANT role{};
        EXPECT_EQ(object->get_accRole(kSelf, &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_LINK);
        BSTR action = nullptr;
        EXPECT_EQ(object->get_accDefaultAction(kSelf, &action), S_OK);
        EXPECT_EQ(taken(action), L"Jump");

        t_box = {};
        t_pressedLink = object.Get();
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &closeBox);
        EXPECT_EQ(object->accDoDefaultAction(kSelf), S_OK);
        EXPECT_TRUE(pumpUntil([] { return !t_box.title.empty(); }));
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(t_box.title, link.boxTitle);
        EXPECT_EQ(t_box.pressedAgain, E_FAIL);
    }
}

// A screen reader may keep the object after the window is gone: it answers, and crashes nothing.
TEST_F(Form1Accessibility, ALinkOutlivedByItsObjectAnswersDisconnected) {
    const TempDir folder;
    openAfterRun(folder);
    ComPtr<IAccessible> object = accessible(kShowPages);
    ASSERT_TRUE(object);
    close();
    BSTR name = nullptr;
    EXPECT_EQ(object->get_accName(kSelf, &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->accDoDefaultAction(kSelf), RPC_E_DISCONNECTED);
    long count = 0;
    EXPECT_EQ(object->get_accChildCount(&count), RPC_E_DISCONNECTED);
}

// That a run started is announced, then how it ended, with its words already in the status.
TEST_F(Form1Accessibility, AnnouncesTheRunsStartAndEnd) {
    const TempDir folder;
    writePage(folder);
    open(folder);
    t_announced.clear();
    const HWINEVENTHOOK hook = ::SetWinEventHook(
        EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, &onLiveRegion,
        ::GetCurrentProcessId(), ::GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    run();
    EXPECT_TRUE(pumpUntil([] { return !t_announced.empty(); }));
    EXPECT_TRUE(pumpUntil([] { return t_announced.size() >= 2; }));
    ::UnhookWinEvent(hook);
    ASSERT_EQ(t_announced.size(), 2u);
    EXPECT_EQ(t_announced[0], wideFromUtf8(window::runStartedAnnouncement()));
    // Whole, where the strip breaks it into lines.
    std::wstring shown = textOf(control(kStatus));
    std::replace(shown.begin(), shown.end(), L'\r', L' ');
    std::erase(shown, L'\n');
    EXPECT_EQ(t_announced[1], shown);
    EXPECT_FALSE(t_announced[1].empty());
}

// Copy, Copy with header, Delete and Clear list show only on the clipboard or in the list: each
// is announced through the status.
TEST_F(Form1Accessibility, AnnouncesWhatTheListsCommandsDid) {
    const TempDir folder;
    writePages(folder);
    open(folder);
    run();
    const HWINEVENTHOOK hook = ::SetWinEventHook(
        EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, &onLiveRegion,
        ::GetCurrentProcessId(), ::GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    const HWND list = control(kList);
    struct Case {
        std::function<void()> act;
        std::string announced;
    };
    const std::vector<Case> cases = {
        {[&] { chooseFromListMenu({VK_RETURN}); }, window::copiedAnnouncement(1, false)},
        {[&] {
             chooseFromListMenu({VK_DOWN, VK_RETURN});
         },
         window::copiedAnnouncement(1, true)},
        {[&] { ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 1); }, window::removedAnnouncement(1)},
        {[&] { run(); }, window::runStartedAnnouncement()},
        // Copy, Copy with header, Details, Sort by, Fit column, Clear list.
        {[&] {
             chooseFromListMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
         },
         window::clearedAnnouncement()}};
    for (const Case& command : cases) {
        ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
        t_announced.clear();
        command.act();
        EXPECT_TRUE(pumpUntil([] { return !t_announced.empty(); }));
        EXPECT_EQ(t_announced.empty() ? L"" : t_announced.front(), wideFromUtf8(command.announced));
    }
    ::UnhookWinEvent(hook);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
}

// After a second run the status says how many rows of how many runs the list holds, as the file
// holds only the last run's; a Delete that leaves one run's rows takes that back.
TEST_F(Form1Accessibility, TellsTheRowsOfSeveralRunsTheListHolds) {
    const TempDir folder;
    writePages(folder);
    open(folder);
    run();
    const ComPtr<IAccessible> status = accessible(kStatus);
    const std::wstring once = nameOf(*status.Get());
    run();
    window::StatusText told;
    told.text = utf8FromWide(once);
    const window::StatusText held = window::withRowsHeld(told, 2, 2);
    EXPECT_EQ(nameOf(*status.Get()), wideFromUtf8(held.text));
    ListView_SetItemState(control(kList), 0, LVIS_SELECTED, LVIS_SELECTED);
    ::SendMessageW(control(kList), WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_TRUE(pumpUntil([&] { return nameOf(*status.Get()) == once; }));
}

// Enter on the button presses it, as Space does, once for a key held down; while it reads Stop,
// Enter stops the run.
TEST_F(Form1Accessibility, EnterOnTheButtonPressesItOnce) {
    const TempDir folder;
    writeLargePage(folder);
    open(folder);
    for (const int control : {kCollect, kOutputName}) {
        EXPECT_TRUE(press(VK_RETURN, control, true));
        EXPECT_FALSE(running()) << "a key held down from before acted in " << control;
    }
    EXPECT_TRUE(press(VK_RETURN, kCollect));
    EXPECT_TRUE(running());
    EXPECT_TRUE(press(VK_RETURN, kCollect));
    ASSERT_TRUE(pumpUntil([this] { return !running(); }));
    EXPECT_EQ(nameOf(*accessible(kStatus).Get()), wideFromUtf8(window::stoppedStatus().text));
}

// While a run goes, the status hidden under the bar says how far it is, without being announced:
// at once in its description, and in its name once the run's start has been heard.
TEST_F(Form1Accessibility, NamesTheStatusByTheRunsFigures) {
    const TempDir folder;
    writeLargePage(folder);
    open(folder);
    t_announced.clear();
    const HWINEVENTHOOK hook = ::SetWinEventHook(
        EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, &onLiveRegion,
        ::GetCurrentProcessId(), ::GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    m_form->collect_Click();
    const ComPtr<IAccessible> status = accessible(kStatus);
    ASSERT_TRUE(status);
    EXPECT_EQ(descriptionOf(*status.Get()).rfind(L"Collecting: ", 0), 0u);
    EXPECT_TRUE(pumpUntil([&] { return nameOf(*status.Get()).rfind(L"Collecting: ", 0) == 0; }));
    EXPECT_EQ(descriptionOf(*accessible(kProgress).Get()).rfind(L"Collecting: ", 0), 0u);
    m_form->collect_Click();
    EXPECT_TRUE(pumpUntil([this] { return !running(); }));
    ::UnhookWinEvent(hook);
    EXPECT_EQ(t_announced.front(), wideFromUtf8(window::runStartedAnnouncement()));
    for (const std::wstring& announced : t_announced) {
        EXPECT_NE(announced.rfind(L"Collecting: ", 0), 0u) << "the figures were announced";
    }
}

// The list tells how many rows it holds, and its header the titles of its columns.
TEST_F(Form1Accessibility, DescribesTheListAndNamesItsColumns) {
    const TempDir folder;
    writePages(folder);
    open(folder);
    EXPECT_EQ(descriptionOf(*accessible(kList).Get()), wideFromUtf8(window::tableDescription(0)));
    run();
    EXPECT_EQ(descriptionOf(*accessible(kList).Get()), wideFromUtf8(window::tableDescription(1)));

    const ComPtr<IAccessible> header = accessibleOf(ListView_GetHeader(control(kList)));
    ASSERT_TRUE(header);
    long count = 0;
    EXPECT_EQ(header->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, static_cast<long>(window::kColumnCount));
    for (std::size_t column = 0; column < window::kColumnCount; ++column) {
        VARIANT child{};
        child.vt = VT_I4;
        child.lVal = static_cast<LONG>(column + 1);
        EXPECT_EQ(nameOf(*header.Get(), child), wideFromUtf8(window::kColumnTitles[column]));
        VARIANT role{};
        EXPECT_EQ(header->get_accRole(child, &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_COLUMNHEADER);
    }
}

// Entering the list without a current row makes the first row current, which a screen reader
// then reads; the first Down goes to the second.
TEST_F(Form1Accessibility, EnteringTheListMakesItsFirstRowCurrent) {
    const TempDir folder;
    writePages(folder);
    open(folder);
    run();
    ::SetFocus(control(kCollect));
    EXPECT_EQ(ListView_GetNextItem(control(kList), -1, LVNI_FOCUSED), -1);
    ::SetFocus(control(kList));
    EXPECT_EQ(ListView_GetNextItem(control(kList), -1, LVNI_FOCUSED), 0);
}

// Sort by in the list's menu, opened by a key with its first item active, acts as a click on the
// column's title: sorted, the other way, then as collected.
TEST_F(Form1Accessibility, SortsFromTheMenuAsAClickOnTheTitle) {
    const TempDir folder;
    writePages(folder);
    open(folder);
    run();
    const HWND header = ListView_GetHeader(control(kList));
    for (const int arrow : {HDF_SORTUP, HDF_SORTDOWN, 0}) {
        // Copy, Copy with header, Details, Sort by; its first column.
        chooseFromListMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN});
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ASSERT_TRUE(Header_GetItem(header, 0, &item));
        EXPECT_EQ(item.fmt & (HDF_SORTUP | HDF_SORTDOWN), arrow);
    }
}

// Fit column in the list's menu fits the current column, the name column until a cell of another
// is clicked, to its values, as a double click on the edge of its title does.
TEST_F(Form1Accessibility, FitsTheNameColumnFromTheMenu) {
    const TempDir folder;
    writePages(folder);
    open(folder);
    run();
    const HWND list = control(kList);
    const int name = static_cast<int>(window::kNameColumn);
    ListView_SetColumnWidth(list, name, 10);  // as a drag does
    ASSERT_EQ(ListView_GetColumnWidth(list, name), 10);
    // Copy, Copy with header, Details, Sort by, Fit column.
    chooseFromListMenu({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_GT(ListView_GetColumnWidth(list, name), ListView_GetStringWidth(list, L"Green tea"));
}

// F2, or Details in the list's menu, shows the current row's fields, why one was not found and
// its file, in a box named by its title; Ctrl+C there copies it all.
TEST_F(Form1Accessibility, ShowsTheRowsDetailsByF2AndFromTheMenu) {
    const TempDir folder;
    writePages(folder);
    open(folder);
    run();
    const std::vector<std::function<void()>> ways = {
        [this] { ::SendMessageW(control(kList), WM_KEYDOWN, VK_F2, 1); },
        [this] {
            chooseFromListMenu({VK_DOWN, VK_DOWN, VK_RETURN});
        }};
    for (const auto& way : ways) {
        ::SetFocus(control(kList));
        readBoxOpenedBy<readIfDetails>(way);
        EXPECT_EQ(::GetFocus(), control(kList)) << "the box took the list's focus with it";
        EXPECT_NE(t_read.shown.find(L"Green tea"), std::wstring::npos) << t_read.shown;
        EXPECT_NE(t_read.shown.find(L"record.html"), std::wstring::npos) << t_read.shown;
        EXPECT_EQ(t_read.name, wideFromUtf8(window::kDetailsTitle));
        EXPECT_EQ(t_read.copied, t_read.shown);
    }
}

// In the list of pages, the menu opened by a key has Copy active: Enter copies every line, and
// the list says so beside its buttons, where screen readers hear it.
TEST_F(Form1Accessibility, CopiesThePageListFromItsMenuByKey) {
    const TempDir folder;
    openAfterRun(folder);
    readBoxOpenedBy<copyIfPageList>(
        [this] { EXPECT_EQ(accessible(kShowPages)->accDoDefaultAction(kSelf), S_OK); });
    EXPECT_EQ(t_read.shown, wideFromUtf8(window::linesCopiedAnnouncement(1)));
    EXPECT_NE(t_read.copied.find(L"page.html"), std::wstring::npos) << t_read.copied;
}

// A failure's box breaks its path into lines to fit; a screen reader reads it as Ctrl+C copies
// it, without those breaks.
TEST_F(Form1Accessibility, ReadsAFailuresBoxWithoutItsInsertedLineBreaks) {
    const TempDir folder;
    open(folder);
    run();  // no data folder: the status offers to open it
    writeFile(folder.path() / "data", "a file where the data folder would be");
    readBoxOpenedBy<readIfMessageBox>(
        [this] { EXPECT_EQ(accessible(kOpenDataFolder)->accDoDefaultAction(kSelf), S_OK); });
    const auto lines = [](const std::wstring& text) { return std::ranges::count(text, L'\n'); };
    EXPECT_LT(lines(t_read.name), lines(t_read.shown)) << t_read.name;
    EXPECT_EQ(withoutBlanks(t_read.name), withoutBlanks(t_read.shown));
}

}  // namespace
}  // namespace catalog::win32_window
