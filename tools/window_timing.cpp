// Times collection runs in the window:
//   window-timing PROGRAM_DIR [RUNS]
// For each run, the time from the click to the rows painted in the list; then the median. After
// the first run, the time from a click on the price column's header to the rows painted in
// their sorted order, for each of the three clicks (up, down, back to the order collected).
// Then the time to repaint the list with the row of the longest value in view, the cost a user
// pays on every scroll, hover or resize: it must stay within a frame (16 ms) however long the
// value.
// Runs offscreen unless told otherwise.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

#include "app/qt/form1.h"

namespace {

constexpr int kRepaints = 50;
constexpr int kPriceColumn = 1;

double millisecondsSince(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Click to rows painted: the window scrolls to the run's first row itself; the repaint is
// forced here, as a timer cannot tell when the system would have painted.
double timeRun(catalog::qt_window::Form1& form, QPushButton& button, QTableView& list) {
    QEventLoop loop;
    QObject::connect(&form, &catalog::qt_window::Form1::runFinished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    button.click();
    loop.exec();
    list.viewport()->repaint();
    return millisecondsSince(clock);
}

// A click on the header, as the header tells it, to the rows painted in their new order.
double timeSort(QTableView& list) {
    QElapsedTimer clock;
    clock.start();
    emit list.horizontalHeader()->sectionClicked(kPriceColumn);
    list.viewport()->repaint();
    return millisecondsSince(clock);
}

void reportSorts(QTableView& list) {
    const char* const orders[] = {"up", "down", "back to the order collected"};
    for (const char* order : orders) {
        const double time = timeSort(list);
        std::printf("sort of %d rows by price, %s: %.1f ms\n", list.model()->rowCount(), order,
                    time);
    }
}

// The row whose cells show the most text: the one whose value was cut to fit a cell.
int longestRow(const QAbstractItemModel& model) {
    int longest = 0;
    qsizetype mostCharacters = -1;
    for (int row = 0; row < model.rowCount(); ++row) {
        qsizetype characters = 0;
        for (int column = 0; column < model.columnCount(); ++column) {
            characters += model.index(row, column).data().toString().size();
        }
        if (characters > mostCharacters) {
            mostCharacters = characters;
            longest = row;
        }
    }
    return longest;
}

std::vector<double> timeRepaints(QTableView& list, int row) {
    list.scrollTo(list.model()->index(row, 0), QAbstractItemView::PositionAtCenter);
    list.viewport()->repaint();
    std::vector<double> times;
    for (int i = 0; i < kRepaints; ++i) {
        QElapsedTimer clock;
        clock.start();
        list.viewport()->repaint();
        times.push_back(millisecondsSince(clock));
    }
    return times;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fputs("usage: window-timing PROGRAM_DIR [RUNS]\n", stderr);
        return 2;
    }
    const int runs = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
    catalog::qt_window::Form1 form(argv[1]);
    form.show();
    auto* button = form.findChild<QPushButton*>(QStringLiteral("collect"));
    auto* list = form.findChild<QTableView*>(QStringLiteral("displaylist"));
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        times.push_back(timeRun(form, *button, *list));
        std::printf("run %d: %.1f ms, %d rows shown\n", i + 1, times.back(),
                    list->model()->rowCount());
        if (i == 0) {
            reportSorts(*list);
        }
    }
    std::printf("median: %.1f ms\n", median(times));

    const int row = longestRow(*list->model());
    const std::vector<double> repaints = timeRepaints(*list, row);
    std::printf("repaint with row %d in view: median %.2f ms, longest %.2f ms (%d repaints)\n",
                row + 1, median(repaints), *std::max_element(repaints.begin(), repaints.end()),
                kRepaints);
    return 0;
}
