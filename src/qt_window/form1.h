#pragma once

#include <string>

#include <QTimer>
#include <QWidget>

#include "window/window_run.h"
#include "window/window_texts.h"

class QLabel;
class QLineEdit;
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

    // The button's handler: starts a run unless one is going. The rows and the listing
    // follow when it ends.
    void collect_Click();

signals:
    // A run has ended and what it found is shown: rows, status, and any failure.
    void runFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createList();
    void createOpenDataFolderLink();
    void addOpenDataFolderAction();
    void openDataFolder();
    void connectControls();
    void placeControls();
    void showProgress();
    void showRunEnd();
    void showRows(window::RunRows rows);
    void fitColumnsToContents(int firstRow);
    void showStatus(const window::StatusText& status);
    void placeStatus(const QRect& strip);
    void elideStatus();
    void showFailure(const window::RunFailure& failure);
    void copySelectedRows();

    std::string m_programDirectory;
    window::WindowRun m_run;
    QTimer m_progressTimer;
    QString m_statusText;
    bool m_columnsFitted = false;

    RowTableModel* m_rows = nullptr;
    QTableView* m_displaylist = nullptr;
    QPushButton* m_collect = nullptr;
    QLineEdit* m_outputfilename = nullptr;
    QLabel* m_label1 = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_openDataFolder = nullptr;
};

}  // namespace catalog::qt_window
