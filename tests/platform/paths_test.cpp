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

}  // namespace
}  // namespace catalog
