#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
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

// Reads the box the window opened, from a timer that the box's own loop runs, then closes it.
thread_local std::function<void(HWND)> t_readBox;

BOOL CALLBACK readIfBox(HWND window, LPARAM) {
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (!t_readBox || std::wstring(className) != L"#32770" || !::IsWindowVisible(window)) {
        return TRUE;
    }
    std::exchange(t_readBox, nullptr)(window);  // once: reading may run the box's loop again
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return FALSE;
}

void CALLBACK readBox(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), &readIfBox, 0);
}

// The title of the box `show` opened, once `read` has read it.
std::wstring readBoxOpenedBy(
    const std::function<void()>& show, const std::function<void(HWND)>& read = [](HWND) {}) {
    std::wstring title;
    t_readBox = [&](HWND box) {
        read(box);
        title = textOf(box);
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &readBox);
    show();
    EXPECT_TRUE(pumpUntil([&] { return !title.empty(); }));
    ::KillTimer(nullptr, timer);
    t_readBox = nullptr;
    return title;
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

// The keys the next menu takes, posted from its loop's filter to follow the Down the window posts.
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

// A menu that took its keys otherwise is closed, and any box another item opened.
void CALLBACK endMenu(HWND, UINT, UINT_PTR, DWORD) {
    ::EndMenu();
    t_readBox = [](HWND) {};
    readBox(nullptr, 0, 0, 0);
}

// Opens `list`'s menu as Shift+F10 does and presses `keys` in it.
void chooseFromMenu(HWND window, HWND list, std::vector<WPARAM> keys) {
    t_menuKeys = std::move(keys);
    const HHOOK hook =
        ::SetWindowsHookExW(WH_MSGFILTER, &pressInMenu, nullptr, ::GetCurrentThreadId());
    const UINT_PTR end = ::SetTimer(nullptr, 0, 10'000, &endMenu);
    ::SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    ::KillTimer(nullptr, end);
    ::UnhookWindowsHookEx(hook);
    EXPECT_TRUE(t_menuKeys.empty()) << "no menu opened";
}

// The list's menu, in its order.
enum ListMenuItem { kCopy, kCopyWithHeader, kDetails, kSortBy, kFitColumn, kClearList };

// The window over a program folder, on the test's thread, read as a screen reader reads it.
class Form1Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                            ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                                            ICC_LINK_CLASS};
        ASSERT_TRUE(::InitCommonControlsEx(&controls));
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        m_hook = ::SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED,
                                   nullptr, &onLiveRegion, ::GetCurrentProcessId(),
                                   ::GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    }
    void TearDown() override {
        ::UnhookWinEvent(m_hook);
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
    void openAfterRun(const TempDir& folder, void (*write)(const TempDir&) = &writePage) {
        write(folder);
        open(folder);
        run();
    }
    // From the list's menu, opened by a key with its first item active; `keys` then choose.
    void chooseFromListMenu(ListMenuItem item, std::vector<WPARAM> keys = {VK_RETURN}) {
        keys.insert(keys.begin(), item, VK_DOWN);
        chooseFromMenu(m_window, control(kList), std::move(keys));
    }
    HWND control(int id) const { return ::GetDlgItem(m_window, id); }
    ComPtr<IAccessible> accessible(int id) const { return accessibleOf(control(id)); }
    // Whether the window took Enter on the button, or held down (bit 30: it was down before).
    bool pressEnter(bool held = false, int id = kCollect) {
        MSG key{control(id), WM_KEYDOWN, VK_RETURN, held ? LPARAM{1} << 30 | 1 : 1, 0, {}};
        return m_form->preTranslate(key);
    }
    bool running() const { return textOf(control(kCollect)) == wideFromUtf8(window::kStopText); }

    std::optional<Form1> m_form;
    HWND m_window = nullptr;
    HWINEVENTHOOK m_hook = nullptr;
    const TempDir m_folder;
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

        HRESULT pressedAgain = S_OK;
        const auto press = [&] { EXPECT_EQ(object->accDoDefaultAction(kSelf), S_OK); };
        const auto pressAgain = [&](HWND) { pressedAgain = object->accDoDefaultAction(kSelf); };
        EXPECT_EQ(readBoxOpenedBy(press, pressAgain), link.boxTitle);
        EXPECT_EQ(pressedAgain, E_FAIL);
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
    run();
    EXPECT_TRUE(pumpUntil([] { return t_announced.size() >= 2; }));
    ASSERT_EQ(t_announced.size(), 2u);
    EXPECT_EQ(t_announced[0], wideFromUtf8(window::runStartedAnnouncement()));
    // Whole, where the strip breaks it into lines.
    std::wstring shown = textOf(control(kStatus));
    std::replace(shown.begin(), shown.end(), L'\r', L' ');
    std::erase(shown, L'\n');
    EXPECT_EQ(t_announced[1], shown);
    EXPECT_FALSE(t_announced[1].empty());
}

// What the list's commands did shows only on the clipboard or in the list: it is announced.
TEST_F(Form1Accessibility, AnnouncesWhatTheListsCommandsDid) {
    openAfterRun(m_folder, &writePages);
    const HWND list = control(kList);
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { chooseFromListMenu(kCopy); }, window::copiedAnnouncement(1, false)},
        {[&] { chooseFromListMenu(kCopyWithHeader); }, window::copiedAnnouncement(1, true)},
        {[&] { ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 1); }, window::removedAnnouncement(1)},
        {[&] { run(); }, window::runStartedAnnouncement()},
        {[&] { chooseFromListMenu(kClearList); }, window::clearedAnnouncement()}};
    for (const auto& [act, announced] : cases) {
        ListView_SetItemState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
        t_announced.clear();
        act();
        EXPECT_TRUE(pumpUntil([] { return !t_announced.empty(); }));
        EXPECT_EQ(t_announced.empty() ? L"" : t_announced.front(), wideFromUtf8(announced));
    }
    EXPECT_EQ(ListView_GetItemCount(list), 0);
}

// The file holds only the last run's rows: the status says so while the list holds more runs'.
TEST_F(Form1Accessibility, TellsTheRowsOfSeveralRunsTheListHolds) {
    openAfterRun(m_folder, &writePages);
    const ComPtr<IAccessible> status = accessible(kStatus);
    const std::wstring once = nameOf(*status.Get());
    run();
    window::StatusText told;
    told.text = win32::utf8FromWide(once);
    EXPECT_EQ(nameOf(*status.Get()), wideFromUtf8(window::withRowsHeld(told, 2, 2).text));
    ListView_SetItemState(control(kList), 0, LVIS_SELECTED, LVIS_SELECTED);
    ::SendMessageW(control(kList), WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_TRUE(pumpUntil([&] { return nameOf(*status.Get()) == once; }));
}

// Enter on the button presses it, once for a key held down; while it reads Stop, it stops the run.
TEST_F(Form1Accessibility, EnterOnTheButtonPressesItOnce) {
    writeLargePage(m_folder);
    open(m_folder);
    // Held in the name box, where Enter starts a run, it starts none either.
    EXPECT_TRUE(pressEnter(true, kOutputName));
    EXPECT_FALSE(running());
    for (const auto& [held, runs] : {std::pair{true, false}, {false, true}, {false, false}}) {
        EXPECT_TRUE(pressEnter(held));
        ASSERT_TRUE(pumpUntil([&] { return running() == runs; })) << held << runs;
    }
    EXPECT_EQ(nameOf(*accessible(kStatus).Get()), wideFromUtf8(window::stoppedStatus().text));
}

// The status under the bar tells the figures unannounced, in its name once the start is heard.
TEST_F(Form1Accessibility, NamesTheStatusByTheRunsFigures) {
    writeLargePage(m_folder);
    open(m_folder);
    t_announced.clear();
    m_form->collect_Click();
    const auto figures = [](const std::wstring& text) { return text.starts_with(L"Collecting: "); };
    const ComPtr<IAccessible> status = accessible(kStatus);
    EXPECT_TRUE(figures(descriptionOf(*status.Get())));
    EXPECT_TRUE(pumpUntil([&] { return figures(nameOf(*status.Get())); }));
    EXPECT_TRUE(figures(descriptionOf(*accessible(kProgress).Get())));
    m_form->collect_Click();
    EXPECT_TRUE(pumpUntil([this] { return !running(); }));
    EXPECT_EQ(t_announced.front(), wideFromUtf8(window::runStartedAnnouncement()));
    EXPECT_TRUE(std::ranges::none_of(t_announced, figures)) << "the figures were announced";
}

TEST_F(Form1Accessibility, DescribesTheListAndNamesItsColumns) {
    writePages(m_folder);
    open(m_folder);
    EXPECT_EQ(descriptionOf(*accessible(kList).Get()), wideFromUtf8(window::tableDescription(0)));
    run();
    EXPECT_EQ(descriptionOf(*accessible(kList).Get()), wideFromUtf8(window::tableDescription(1)));
    const ComPtr<IAccessible> header = accessibleOf(ListView_GetHeader(control(kList)));
    long count = 0;
    header->get_accChildCount(&count);
    ASSERT_EQ(count, static_cast<long>(window::kColumnCount));
    for (LONG column = 0; column < count; ++column) {
        VARIANT child{}, role{};
        child.vt = VT_I4;
        child.lVal = column + 1;
        EXPECT_EQ(nameOf(*header.Get(), child), wideFromUtf8(window::kColumnTitles[column]));
        EXPECT_EQ(header->get_accRole(child, &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_COLUMNHEADER);
    }
}

// So that a screen reader reads a row as the list is entered.
TEST_F(Form1Accessibility, EnteringTheListMakesItsFirstRowCurrent) {
    openAfterRun(m_folder, &writePages);
    ::SetFocus(control(kCollect));
    EXPECT_EQ(ListView_GetNextItem(control(kList), -1, LVNI_FOCUSED), -1);
    ::SetFocus(control(kList));
    EXPECT_EQ(ListView_GetNextItem(control(kList), -1, LVNI_FOCUSED), 0);
}

// Sort by acts as clicks on the title (sorted, the other way, as collected); Fit column as a
// double click on its edge, on the name column until a cell of another is clicked.
TEST_F(Form1Accessibility, ActsOnColumnsFromTheMenuAsOnTheirTitles) {
    openAfterRun(m_folder, &writePages);
    const HWND list = control(kList);
    for (const int arrow : {HDF_SORTUP, HDF_SORTDOWN, 0}) {
        chooseFromListMenu(kSortBy, {VK_RIGHT, VK_RETURN});  // its first column
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ASSERT_TRUE(Header_GetItem(ListView_GetHeader(list), 0, &item));
        EXPECT_EQ(item.fmt & (HDF_SORTUP | HDF_SORTDOWN), arrow);
    }
    const int name = static_cast<int>(window::kNameColumn);
    ListView_SetColumnWidth(list, name, 10);  // as a drag does
    chooseFromListMenu(kFitColumn);
    EXPECT_GT(ListView_GetColumnWidth(list, name), ListView_GetStringWidth(list, L"Green tea"));
}

// The current row's fields, why one was not found and its file, in a box named by its title,
// keeping the list's focus; Ctrl+C there copies it all.
TEST_F(Form1Accessibility, ShowsTheRowsDetailsByF2AndFromTheMenu) {
    openAfterRun(m_folder, &writePages);
    for (const auto& show : std::vector<std::function<void()>>{
             [this] { ::SendMessageW(control(kList), WM_KEYDOWN, VK_F2, 1); },
             [this] { chooseFromListMenu(kDetails); }}) {
        ::SetFocus(control(kList));
        std::wstring shown, name, copied;
        const std::wstring title = readBoxOpenedBy(show, [&](HWND box) {
            const HWND text = ::FindWindowExW(box, nullptr, L"Edit", nullptr);
            shown = textOf(text);
            name = nameOf(*accessibleOf(text).Get());
            ::SendMessageW(text, WM_COPY, 0, 0);  // what Ctrl+C sends
            copied = clipboardText();
        });
        EXPECT_EQ(::GetFocus(), control(kList));
        EXPECT_NE(shown.find(L"Green tea"), std::wstring::npos) << shown;
        EXPECT_NE(shown.find(L"record.html"), std::wstring::npos) << shown;
        EXPECT_EQ(title, wideFromUtf8(window::kDetailsTitle));
        EXPECT_EQ(name, title);
        EXPECT_EQ(copied, shown);
    }
}

// Its menu opened by a key has Copy active; the list says what Enter copied, for screen readers.
TEST_F(Form1Accessibility, CopiesThePageListFromItsMenuByKey) {
    openAfterRun(m_folder);
    std::wstring said;
    const auto copy = [&](HWND box) {
        chooseFromMenu(box, ::GetDlgItem(box, 100), {VK_RETURN});
        said = textOf(::GetDlgItem(box, 102));  // the line beside the buttons
    };
    EXPECT_EQ(readBoxOpenedBy([this] { accessible(kShowPages)->accDoDefaultAction(kSelf); }, copy),
              wideFromUtf8(window::kPageListTitle));
    EXPECT_EQ(said, wideFromUtf8(window::linesCopiedAnnouncement(1)));
    EXPECT_NE(clipboardText().find(L"page.html"), std::wstring::npos) << clipboardText();
}

// A screen reader reads a failure's box as Ctrl+C copies it, without the breaks made to fit.
TEST_F(Form1Accessibility, ReadsAFailuresBoxWithoutItsInsertedLineBreaks) {
    open(m_folder);
    run();  // no data folder: the status offers to open it
    writeFile(m_folder.path() / "data", "a file where the data folder would be");
    std::wstring shown, name;
    const auto read = [&](HWND box) {
        const HWND text = ::GetDlgItem(box, 0xFFFF);  // a message box's text
        shown = textOf(text);
        name = nameOf(*accessibleOf(text).Get());
    };
    EXPECT_EQ(
        readBoxOpenedBy([this] { accessible(kOpenDataFolder)->accDoDefaultAction(kSelf); }, read),
        L"Form1");
    const auto lines = [](const std::wstring& text) { return std::ranges::count(text, L'\n'); };
    const auto unbroken = [](std::wstring text) {
        return std::erase_if(text, [](wchar_t c) { return std::iswspace(c) != 0; }), text;
    };
    EXPECT_LT(lines(name), lines(shown)) << name;
    EXPECT_EQ(unbroken(name), unbroken(shown));
}

}  // namespace
}  // namespace catalog::win32_window
