#include <QApplication>
#include <gtest/gtest.h>

// The window tests need an application object; listing them must not, so that ctest can
// discover them on a machine with no display at all.
int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    // No test reaches the desktop's file manager: without a session bus, the window opens a
    // page's folder itself, through the xdg-open the tests put first in PATH.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/catalog-collector-tests-bus");
    QApplication app(argc, argv);
    // A window closed by a test must not end the loops the tests wait in.
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
