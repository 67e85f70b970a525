#include "platform/paths.h"

#include <gtest/gtest.h>

namespace catalog {
namespace {

TEST(Paths, OnlyWindowsTakesANameWithADriveAShareOrAPrefixAsItStands) {
    for (const char* full : {"C:\\lists\\out.txt", "c:out.txt", "\\\\server\\share\\out.txt",
                             "//server/share/out.txt", "\\\\?\\C:\\out.txt"}) {
        EXPECT_EQ(isFullPathHere(full), kWindowsNameRules) << full;
    }
    for (const char* relative : {"out.txt", "sub\\out.txt", "\\out.txt", "/tmp/out.txt", ""}) {
        EXPECT_FALSE(isFullPathHere(relative)) << relative;
    }
}

TEST(Paths, DeviceNamesAreKnownInAnyCaseWithAnExtensionDotsOrBlanks) {
    for (const char* device : {"NUL", "nul.txt", "Con", "prn.tar.gz", "AUX.", "NUL . txt", "com0",
                               "COM9.log", "lpt1", "sub\\NUL.txt", "C:NUL", "x/aux "}) {
        EXPECT_TRUE(isWindowsDeviceName(device)) << device;
    }
    for (const char* file :
         {"NULL.txt", "nul_1.txt", "COM10", "LPTX", "CONSOLE", "com", "NUL\\x", "output.txt", ""}) {
        EXPECT_FALSE(isWindowsDeviceName(file)) << file;
    }
}

TEST(Paths, OnlyWindowsTakesAColonAfterTheDriveForAStream) {
    for (const char* stream : {"output.txt:ads", "C:\\lists\\out.txt:ads", "\\\\?\\C:\\o.txt:a",
                               "sub/x:y", "\\\\server\\share\\o.txt:a"}) {
        EXPECT_EQ(namesFileStream(stream), kWindowsNameRules) << stream;
    }
    for (const char* file : {"output.txt", "C:\\lists\\out.txt", "c:out.txt", "\\\\?\\C:\\o.txt"}) {
        EXPECT_FALSE(namesFileStream(file)) << file;
    }
}

}  // namespace
}  // namespace catalog
