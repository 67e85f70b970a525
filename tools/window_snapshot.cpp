// Draws the window after one run, for the README's picture; with --show-pages, the list that its
// "Show pages" link opens instead:
//   window-snapshot PROGRAM_DIR OUTPUT.png [--show-pages]
// PROGRAM_DIR holds the data folder to collect; the listing is written there too.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "qt_window/form1.h"

namespace {

// The list as "Show pages" opens it, or nothing when the run offered none.
QWidget* pageList(catalog::qt_window::Form1& form) {
    auto* link = form.findChild<QLabel*>(QStringLiteral("showPages"));
    if (link == nullptr || !link->isVisible()) {
        return nullptr;
    }
    emit link->linkActivated(QStringLiteral("showPages"));
    return form.findChild<QDialog*>(QStringLiteral("pageList"));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const bool showPages = argc == 4 && std::strcmp(argv[3], "--show-pages") == 0;
    if (argc != 3 && !showPages) {
        std::fputs("usage: window-snapshot PROGRAM_DIR OUTPUT.png [--show-pages]\n", stderr);
        return 2;
    }
    const QString picture = QString::fromLocal8Bit(argv[2]);
    catalog::qt_window::Form1 form(argv[1]);
    form.show();
    int status = 1;
    QObject::connect(&form, &catalog::qt_window::Form1::runFinished, &app, [&] {
        QWidget* drawn = showPages ? pageList(form) : &form;
        // Drawn once the rows have been laid out and painted, as a user would see them.
        QTimer::singleShot(0, &form, [&, drawn] {
            status = drawn != nullptr && drawn->grab().save(picture) ? 0 : 1;
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
