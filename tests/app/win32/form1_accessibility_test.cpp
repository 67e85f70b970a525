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

std::wstring nameOf(IAccessible& object) {
    BSTR name = nullptr;
    EXPECT_EQ(object.get_accName(kSelf, &name), S_OK);
    return taken(name);
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

void CALLBACK onLiveRegion(HWINEVENTHOOK, DWORD, HWND control, LONG object, LONG child, DWORD,
                           DWORD) {
    if (::GetDlgCtrlID(control) == kStatus && object == OBJID_CLIENT && child == CHILDID_SELF) {
        wchar_t text[512] = {};
        ::GetWindowTextW(control, text, 512);
        t_announced.emplace_back(text);
    }
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
    HWND control(int id) const { return ::GetDlgItem(m_window, id); }
    ComPtr<IAccessible> accessible(int id) const {
        ComPtr<IAccessible> object;
        EXPECT_EQ(::AccessibleObjectFromWindow(control(id), OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(object.GetAddressOf())),
                  S_OK);
        return object;
    }

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

// How a run ended is announced, once, with its words already in the status.
TEST_F(Form1Accessibility, AnnouncesTheRunsEnd) {
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
    ::UnhookWinEvent(hook);
    ASSERT_EQ(t_announced.size(), 1u);
    wchar_t shown[512] = {};
    ::GetWindowTextW(control(kStatus), shown, 512);
    EXPECT_EQ(t_announced[0], shown);
    EXPECT_FALSE(t_announced[0].empty());
}

}  // namespace
}  // namespace catalog::win32_window
