#include <exception>
#include <iostream>
#include <memory>
#include <new>

#include <QApplication>
#include <QMessageBox>

#include "app/qt/form1.h"
#include "app/qt/no_display_guard.h"
#include "platform/console.h"
#include "platform/memory_reserve.h"
#include "platform/program_directory.h"
#include "platform/write_limits.h"
#include "window/window_texts.h"

namespace {

std::unique_ptr<QApplication> startApplication(int& argc, char* argv[]) {
    const catalog::qt_window::NoDisplayGuard guard;
    auto app = std::make_unique<QApplication>(argc, argv);
    // The desktop entry's name: a desktop that started the program from it shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("catalog-collector"));
    return app;
}

int runWindow(int argc, char* argv[]) {
    const std::unique_ptr<QApplication> app = startApplication(argc, argv);
    std::string programDirectory;
    try {
        programDirectory = catalog::programDirectory();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Form1"),
                              QString::fromLocal8Bit(catalog::window::failureLine(error)));
        return 1;
    }
    catalog::qt_window::Form1 form(programDirectory);
    form.show();
    return QApplication::exec();
}

void reportOutOfMemory() {
    std::cerr << "catalog-collector: ";
    catalog::window::writeOutOfMemory(std::cerr);
    std::cerr << "\n";
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!catalog::keepMemoryForFailures()) {
        reportOutOfMemory();
        return 1;
    }
    // Qt's warnings go to standard error: never into a listing that took its number.
    catalog::prepareConsole();
    catalog::reportOversizedWritesAsErrors();
    catalog::reportBrokenPipesAsErrors();
    try {
        return runWindow(argc, argv);
    } catch (const std::bad_alloc&) {
        // Out of memory outside a run, which reports its own: one line, and never an abort.
        reportOutOfMemory();
        return 1;
    }
}
