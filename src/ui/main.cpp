#include <exception>

#include <QApplication>
#include <QMessageBox>

#include "platform/program_directory.h"
#include "platform/write_limits.h"
#include "ui/form1.h"

int main(int argc, char* argv[]) {
    catalog::reportOversizedWritesAsErrors();
    QApplication app(argc, argv);
    std::string programDirectory;
    try {
        programDirectory = catalog::programDirectory();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Form1"),
                              QStringLiteral("Cannot find the program's folder: %1")
                                  .arg(QString::fromLocal8Bit(error.what())));
        return 1;
    }
    catalog::ui::Form1 form(programDirectory);
    form.show();
    return QApplication::exec();
}
