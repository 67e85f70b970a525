#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "window/trouble_pages.h"

class QAction;
class QLabel;
class QListView;
class QPlainTextEdit;

namespace catalog::qt_window {

class TroublePagesModel;

// The list "Show pages" opens: a line for each page of the last run without a record and for
// each record lacking a field, with why, one line each, and below it the selected line whole,
// wrapped. Double click or Enter on a line hands its page's path, and the list itself for any
// box to go over, to `showPage`, which shows it in its folder and never opens it. Ctrl+C or
// Copy copies the lines selected, or all of them, and hands what it did to `announce`, for a
// screen reader.
class TroublePagesDialog : public QDialog {
    Q_OBJECT

public:
    TroublePagesDialog(window::TroublePages pages,
                       std::function<void(const std::string& path, QWidget& over)> showPage,
                       std::function<void(const std::string& text)> announce, QWidget* parent);

private:
    void createList(window::TroublePages pages);
    void createSelectedLine();
    void showSelectedLine();
    void fitLineWidth();
    void copyLines();
    void showPageOf(const QModelIndex& line);

    std::function<void(const std::string& path, QWidget& over)> m_showPage;
    std::function<void(const std::string& text)> m_announce;
    TroublePagesModel* m_model = nullptr;
    QListView* m_lines = nullptr;
    QLabel* m_selectedLabel = nullptr;
    QPlainTextEdit* m_selectedLine = nullptr;  // the selected line whole, wrapped
    QLabel* m_message = nullptr;
    QAction* m_copy = nullptr;
};

}  // namespace catalog::qt_window
