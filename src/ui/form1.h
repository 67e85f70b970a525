#pragma once

#include <string>

#include <QFutureWatcher>
#include <QWidget>

#include "ui/window_run.h"

class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;

namespace catalog::ui {

class RowListModel;

// The program's one window: the rows found so far, the name the listing is saved under, and
// the button that starts a collection run over the data folder of `programDirectory`.
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
    void connectControls();
    void placeControls();
    void elideStatus();
    void showRunEnd();
    void showStatus(const QString& text, const QString& details = {});
    void showFailure(const RunFailure& failure);

    std::string m_programDirectory;
    QFutureWatcher<WindowRunOutcome> m_run;
    QString m_statusText;

    RowListModel* m_rows = nullptr;
    QListView* m_displaylist = nullptr;
    QPushButton* m_collect = nullptr;
    QLineEdit* m_outputfilename = nullptr;
    QLabel* m_label1 = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
};

}  // namespace catalog::ui
