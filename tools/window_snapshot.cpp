// Draws the window after one run, for the README's picture:
//   window-snapshot PROGRAM_DIR OUTPUT.png
// PROGRAM_DIR holds the data folder to collect; the listing is written there too.
#include <cstdio>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "qt_window/form1.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: window-snapshot PROGRAM_DIR OUTPUT.png\n", stderr);
        return 2;
    }
    const QString picture = QString::fromLocal8Bit(argv[2]);
    catalog::qt_window::Form1 form(argv[1]);
    form.show();
    int status = 1;
    QObject::connect(&form, &catalog::qt_window::Form1::runFinished, &app, [&] {
        // Drawn once the rows have been laid out and painted, as a user would see them.
        QTimer::singleShot(0, &form, [&] {
            status = form.grab().save(picture) ? 0 : 1;
            QApplication::quit();
        });
    });
    QTimer::singleShot(
        0, &form, [&form] { form.findChild<QPushButton*>(QStringLiteral("collect"))->click(); });
    QApplication::exec();
    if (status != 0) {
        std::fprintf(stderr, "window-snapshot: cannot save %s\n", argv[2]);
    }
    return status;
}
