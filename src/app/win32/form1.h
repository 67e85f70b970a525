#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <windows.h>

#include "window/data_folder.h"
#include "window/form1_layout.h"
#include "window/run_steps.h"
#include "window/shown_progress.h"
#include "window/window_texts.h"

namespace catalog::win32_window {

using window::kBaseDpi;
using window::Rect;
using window::scaled;

class RowListView;

// The program's one window: the rows found so far, the name the listing is saved under, and
// the button that starts a collection run over the data folder of `programDirectory`. It only
// shows: the run, its rows and every text it shows come from the window layer.
class Form1 {
public:
    Form1(HINSTANCE instance, std::string programDirectory);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // False when the system could not make the window.
    bool created() const { return m_window != nullptr; }
    void show(int how);

    // Keys the window takes before the control with the focus: Enter in the name box starts a
    // run, Esc stops one; Enter on the button presses it; Enter or Space on a link opens it; Tab
    // and Shift+Tab move between the controls. True when `message` was handled.
    bool preTranslate(MSG& message);

    // The button's handler: starts a run, or stops the one going. The rows and the listing
    // follow when a run ends.
    void collect_Click();

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void reportUnexpected(const std::exception& failure);

    void createControls();
    HWND createLink(std::string_view text, int id);
    HWND createTooltip() const;
    void createTooltips();
    void applyDpi(int dpi);
    void placeControls();
    LRESULT onNotify(const NMHDR& header);
    void onListKey(WORD key);
    void startRun();
    void showRunEnd();

    void showRunStep(window::RunStep step);
    void showProgress(const window::ShownProgress& shown);
    void showMarquee(bool on);
    void showProgressNote(const std::string& note);
    void showStatus(const window::StatusText& status);
    void speakProgress();
    void announce(const std::string& text);
    void keepFocus(bool active);
    void pressLink(HWND link);
    void showStatusLines(int width, int height);
    void openDataFolder();
    void openFolder(HWND owner,
                    const std::function<void(const std::string& folder,
                                             const window::FileManagerFailure& failure)>& failed);
    void showPages();
    void showPage(HWND owner, const std::string& path);
    void showFailure(const window::RunFailure& failure, HWND owner);
    void showFailure(const window::FailureText& text, HWND owner);
    void copySelectedRows(bool withHeader);
    void removeSelectedRows();
    void clearList();
    void showDetails();
    void showListMenu(LPARAM at);
    HMENU makeSortMenu() const;
    void onListCommand(UINT command);
    template <typename Handler>
    void keepingRows(std::string_view action, std::size_t rows, Handler handler);
    std::size_t rowCount() const;
    std::size_t selectedCount() const;

    HINSTANCE m_instance;
    std::string m_programDirectory;
    HWND m_window = nullptr;
    HWND m_collect = nullptr;
    HWND m_outputfilename = nullptr;
    HWND m_label1 = nullptr;
    HWND m_progress = nullptr;
    HWND m_progressNote = nullptr;  // under the bar, naming a page that takes long
    HWND m_status = nullptr;
    HWND m_statusTooltip = nullptr;
    HWND m_controlTooltip = nullptr;  // the button's and the name box's
    HWND m_openDataFolder = nullptr;
    HWND m_showPages = nullptr;
    HWND m_lastFocus = nullptr;           // before the window was last left
    window::TroublePages m_troublePages;  // the last run's
    std::string m_lastListing;            // the listing the last run wrote, if it wrote one
    window::StatusText m_statusTold;      // as told, before the rows held are added
    window::StatusText m_statusText;      // as shown, before the strip shortens it
    std::wstring m_statusDetails;         // the tooltip holds a pointer to it
    std::unique_ptr<RowListView> m_displaylist;
    HFONT m_font = nullptr;
    int m_dpi = kBaseDpi;
    bool m_progressMarquee = false;  // the bar only shows that work goes on
    std::string m_progressNoteText;  // as last shown
    window::SpokenProgress m_spokenProgress;
    std::chrono::steady_clock::time_point m_progressSpokenFrom;  // after the run start's news
    // Where the run's thread posts the run's end; cleared as the window goes.
    std::atomic<HWND> m_runEndTarget{nullptr};
    // Last: a run still going is stopped and waited for before anything it reports to goes.
    window::WindowRun m_run;
};

}  // namespace catalog::win32_window
