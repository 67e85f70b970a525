#pragma once

#include <functional>
#include <string>
#include <vector>

// clang-format off
#include <windows.h>  // before <commctrl.h>, which takes its types
#include <commctrl.h>
// clang-format on

#include "window/trouble_pages.h"

namespace catalog::win32_window {

// The list "Show pages" opens, modal to the window: a line for each page of the last run
// without a record and for each record lacking a field, with why, in a virtual list view
// (LVS_OWNERDATA) that makes a line only when it paints it, and below it the selected line whole,
// wrapped. Double click or Enter on a line hands its page's path to `showPage`, which shows it in
// its folder and never opens it, and says why not in a box over the list, the owner it is given;
// Ctrl+C or Copy (the button, or the list's menu) copies the lines selected, or all of them.
class TroublePagesDialog {
public:
    using ShowPage = std::function<void(HWND owner, const std::string& path)>;
    TroublePagesDialog(window::TroublePages pages, ShowPage showPage);
    TroublePagesDialog(const TroublePagesDialog&) = delete;
    TroublePagesDialog& operator=(const TroublePagesDialog&) = delete;

    // Until the user closes it; `font` is the window's. False, with the system's error, when
    // the list could not be made.
    bool run(HWND owner, HINSTANCE instance, HFONT font);

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void fitLineWidth();
    void placeControls();
    void onNotify(const NMHDR& header);
    void onCommand(int id);
    void showMenu(LPARAM at);
    void lineText(NMLVDISPINFOW& info) const;
    void showSelectedLine();
    void copyLines();
    std::vector<window::LineRange> selectedRanges() const;
    void showPageOf(int line);
    int scaledToDpi(int pixels) const;

    window::TroublePages m_pages;
    ShowPage m_showPage;
    HFONT m_font = nullptr;
    HWND m_dialog = nullptr;
    HWND m_lines = nullptr;
    HWND m_selectedLabel = nullptr;
    HWND m_selectedLine = nullptr;  // the selected line whole, wrapped
    HWND m_message = nullptr;
    HWND m_copy = nullptr;
    HWND m_close = nullptr;
    int m_lineWidth = 0;  // the widest of the first lines, in pixels
};

}  // namespace catalog::win32_window
