#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "window/data_folder.h"
#include "window/form1_layout.h"
#include "window/run_steps.h"
#include "window/shown_progress.h"
#include "window/table_columns.h"
#include "window/window_texts.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QTableView;

namespace catalog::qt_window {

class RowTableModel;

// The program's one window: the rows found so far, the name the listing is saved under, and
// the button that starts a collection run over the data folder of `programDirectory`. It only
// shows: the run, its rows and every text it shows come from the window layer.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(std::string programDirectory, QWidget* parent = nullptr);
    ~Form1() override;

    // The button's handler: starts a run, or stops the one going. The rows and the listing
    // follow when a run ends.
    void collect_Click();

signals:
    // A run has ended and what it found is shown: rows, status, and any failure.
    void runFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createList();
    QLabel* createLink(std::string_view text, const char* name);
    void addListCommands();
    QAction* addSortMenu();
    void rowCountChanged();
    bool linkEvent(QLabel& link, QEvent& event);
    void colourLinks();
    void openDataFolder();
    void openFolder(
        QWidget& over,
        std::function<void(const std::string& folder, const window::FileManagerFailure& failure)>
            failed);
    void showPages();
    void showPage(const std::string& path, QWidget& over);
    void showDetails();
    void fitCurrentColumn();
    void connectControls();
    void startRun();
    void ask(const std::string& question, const char* name, std::function<void(bool yes)> answered);
    void beginRun(const std::string& name);
    window::Form1Layout shownLayout() const;
    void placeControls();
    void showRunEnd();
    void showRunStep(window::RunStep step);
    void showProgress(const window::ShownProgress& shown);
    void speakProgress();
    void showProgressNote(const std::string& note);
    void showRows(window::RunRows rows);
    void fitColumns(const std::vector<std::size_t>& newRows);
    void showColumnWidths();
    void columnResized(int column, int width);
    void sortByColumn(int column);
    void showStatus(const window::StatusText& status);
    void refreshStatus();
    void placeStatus(const QRect& strip);
    void elideStatus();
    void showFailure(const window::RunFailure& failure);
    void showFailure(const window::FailureText& text, QWidget& over);
    void copySelectedRows(bool withHeader);
    void removeSelectedRows();
    void clearList();
    template <typename Handler>
    void keepingRows(std::string_view action, std::size_t rows, Handler handler);

    std::string m_programDirectory;
    window::WindowRun m_run;
    QTimer m_progressTimer;
    window::SpokenProgress m_spokenProgress;
    window::StatusText m_toldStatus;  // as the run or the action told it
    window::StatusText m_statusText;  // that, with the rows the list holds, before shortening
    window::TableColumns m_columns;
    bool m_showingColumnWidths = false;  // the widths changing now are the window's, not the user's
    bool m_markingLink = false;        // the Tab a link is sent now is the window's, not the user's
    QPointer<QMessageBox> m_failure;   // while it is open, no run starts
    QPointer<QMessageBox> m_question;  // the same
    std::string m_lastListing;         // the listing the last run wrote, if it wrote one
    window::TroublePages m_troublePages;  // the last run's pages without a row or lacking a field

    RowTableModel* m_rows = nullptr;
    QTableView* m_displaylist = nullptr;
    QPushButton* m_collect = nullptr;
    QLineEdit* m_outputfilename = nullptr;
    QLabel* m_label1 = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_progressNote = nullptr;  // under the bar, naming a page that takes long
    QLabel* m_status = nullptr;
    QLabel* m_openDataFolder = nullptr;
    QLabel* m_showPages = nullptr;
    std::vector<QAction*> m_rowCommands;  // the menu's items that need rows
    std::vector<QAction*> m_sortItems;    // "Sort by"'s, one per column
};

}  // namespace catalog::qt_window
