// Times collection runs in the window, from the click to the rows painted in the list:
//   window-timing PROGRAM_DIR [RUNS]
// Prints each run's time in milliseconds, then the median. Runs offscreen unless told otherwise.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListView>
#include <QPushButton>
#include <QTimer>

#include "ui/form1.h"

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
    catalog::ui::Form1 form(argv[1]);
    form.show();
    auto* button = form.findChild<QPushButton*>(QStringLiteral("collect"));
    auto* list = form.findChild<QListView*>(QStringLiteral("displaylist"));
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QEventLoop loop;
        QObject::connect(&form, &catalog::ui::Form1::runFinished, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        button->click();
        loop.exec();
        list->scrollToBottom();
        list->viewport()->repaint();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        std::printf("run %d: %.1f ms, %d rows shown\n", i + 1, times.back(),
                    list->model()->rowCount());
    }
    std::sort(times.begin(), times.end());
    std::printf("median: %.1f ms\n", times[times.size() / 2]);
    return 0;
}
