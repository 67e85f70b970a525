#include <QApplication>
#include <gtest/gtest.h>

// The window tests need an application object; listing them must not, so that ctest can
// discover them on a machine with no display at all.
int main(int argc, char* argv[]) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QApplication app(argc, argv);
    // A window closed by a test must not end the loops the tests wait in.
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
