#include "platform/paths.h"

#include <utility>

#include <gtest/gtest.h>

namespace catalog {
namespace {

// Each lies on the drive or the share where a name from the root goes.
TEST(Paths, OnlyWindowsTakesANameWithADriveAShareOrAPrefixAsItStands) {
    const std::pair<const char*, const char*> fullPaths[] = {
        {"C:\\lists\\out.txt", "C:"},
        {"c:out.txt", "c:"},
        {"\\\\server\\share\\out.txt", "\\\\server\\share"},
        {"//server/share/out.txt", "//server/share"},
        {"\\\\?\\C:\\out.txt", "\\\\?\\C:"}};
    for (const auto& [full, root] : fullPaths) {
        EXPECT_EQ(isFullPathHere(full), kWindowsNameRules || full[0] == '/') << full;
        EXPECT_EQ(rootOf(full), kWindowsNameRules ? root : "") << full;
    }
    // Full from the root elsewhere; on Windows they lack the drive.
    for (const char* fromRoot : {"/tmp/out.txt", "/out.txt"}) {
        EXPECT_EQ(isFullPathHere(fromRoot), !kWindowsNameRules) << fromRoot;
        EXPECT_EQ(rootOf(fromRoot), "") << fromRoot;
    }
    for (const char* relative : {"out.txt", "sub\\out.txt", "\\out.txt", "sub/out.txt", ""}) {
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

// Windows makes "liste.txt" for "liste.txt. ", and the messages name the file made.
TEST(Paths, TheNameAsMadeLosesTheLastNamesTrailingDotsAndBlanksOnWindowsAlone) {
    for (const auto& [typed, made] : {std::pair{"liste.txt.", "liste.txt"},
                                      {"liste.txt . .", "liste.txt"},
                                      {"a. b\\c.txt ", "a. b\\c.txt"},
                                      {"sub/x.csv..", "sub/x.csv"},
                                      {"C:o.txt.", "C:o.txt"}}) {
        EXPECT_EQ(nameAsMade(typed), kWindowsNameRules ? made : typed) << typed;
    }
    for (const char* kept : {"out.txt", " out.txt", "..", "sub\\.", "...", "\\\\?\\C:\\o.txt."}) {
        EXPECT_EQ(nameAsMade(kept), kept) << kept;
    }
}

}  // namespace
}  // namespace catalog
