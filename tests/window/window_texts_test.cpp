#include "window/window_texts.h"

#include <algorithm>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/system_error.h"
#include "window/data_folder.h"
#include "window/failure_status.h"
#include "window/window_run.h"

namespace catalog::window {
namespace {

std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

// A box breaks the path after a separator, never at a hyphen inside a name; one that breaks at
// blanks alone gets lines, a name longer than a line in pieces. A copy takes the details.
TEST(FailureText, APathBreaksAfterItsSeparatorsOnly) {
    const FailureText text = failureTextFor(
        {"write", native("/home/shop-office/a-b/out.txt"), 2, "No such file or directory"});
    const std::string error = "\".\nError 2: No such file or directory";
    EXPECT_EQ(text.details, "Could not write \"" + native("/home/shop-office/a-b/out.txt") + error);
    EXPECT_EQ(breakableDetails(text),
              "Could not write \"" +
                  native("/\u200Bhome/\u200Bshop-\u2060office/\u200Ba-\u2060b/\u200Bout.txt") +
                  error);
    EXPECT_EQ(detailsInLines(text, 30),
              "Could not write \"" + native("/home/\nshop-office/a-b/out.txt") + error);
    EXPECT_EQ(detailsInLines(text, 8),
              "Could not write \"\n" + native("/home/\nshop-off\nice/a-b/\nout.txt") + error);
}

// Each failure names the path, which a narrow window shortens, and what to do.
TEST(FailureStatus, EachFailureNamesItsPathAndWhatToDo) {
#ifdef _WIN32
    const int full = ERROR_DISK_FULL, readOnly = ERROR_WRITE_PROTECT, denied = ERROR_ACCESS_DENIED,
              other = ERROR_GEN_FAILURE, memory = ERROR_NOT_ENOUGH_MEMORY;
#else
    const int full = ENOSPC, readOnly = EROFS, denied = EACCES, other = EIO, memory = ENOMEM;
#endif
    const std::string path = native("/lists/out.txt");
    const auto words = [](int error) { return " (" + describeSystemError(error) + ")"; };
    const std::string readOnlyFlag =
        "out.txt is read-only: clear its read-only flag, or save to another name";
    struct Case {
        const char* operation;
        int error;
        std::string detail;
        std::string after;
    };
    std::vector<Case> cases{
        {"write", full, "",
         path + " is full" + words(full) + ": free some space on it, or save to another disk"},
        {"write", readOnly, "",
         path + " lies on a disk that takes no writes: save to another disk"},
        {"write", denied, "",
         path + " cannot be written" + words(denied) +
             ": get permission to write it, or save to another folder"},
        {"write", denied, readOnlyFlag, path + ": " + readOnlyFlag},
        {"write", other, "", path + words(other) + ": save to another name or folder"},
        {"write", memory, "",
         path + words(memory) + ": close other programs to free memory, and collect again"},
        {"read", other, "",
         path + words(other) +
             ": make it readable, or move it out of the data folder, and collect again"}};
#ifdef _WIN32
    // A page held open, where the output would be saved elsewhere.
    cases.push_back({"read", ERROR_SHARING_VIOLATION, "",
                     path + " is open in another program: close it there and collect again"});
    cases.push_back(
        {"write", ERROR_LOCK_VIOLATION, "",
         path + " is open in another program: close it there, or save to another name"});
#endif
    for (const Case& each : cases) {
        std::string description = describeSystemError(each.error);
        if (!each.detail.empty()) {
            description.append(": ").append(each.detail);
        }
        const StatusText status = failureStatus({each.operation, path, each.error, description});
        EXPECT_TRUE(status.text.starts_with("Failed; nothing written: ")) << status.text;
        EXPECT_TRUE(status.text.ends_with(each.after)) << status.text;
        EXPECT_EQ(status.text.substr(status.pathStart, status.pathLength), path);
    }
}

// When no file manager can show a page, the box names the page, says why in the words of what
// was run, and gives the folder to open by hand, marked as the path to break and copy whole.
TEST(FailureText, APageNotShownNamesItWhyAndTheFolderToOpen) {
    struct Case {
        FileManagerFailure failure;
        std::string why;
    };
    const Case cases[] = {
        {{"xdg-open", 2, "No such file or directory"}, "xdg-open: No such file or directory"},
        {{"xdg-open", 0, "ended with status 4"}, "xdg-open: ended with status 4"},
        {{"Explorer", 2, "The system cannot find the file specified"},
         "Explorer: The system cannot find the file specified"},
    };
    const std::string folder = native("/shop/data");
    for (const Case& c : cases) {
        const FailureText text =
            pageNotShownText(native("/shop/data/n1\n.html"), folder + kPathSeparator, c.failure);
        EXPECT_EQ(text.message, "The page could not be shown in its folder.");
        EXPECT_EQ(text.details, "No file manager could be started to show n1\\n.html (" + c.why +
                                    "): open the folder " + folder + " yourself.");
        EXPECT_EQ(text.details.substr(text.pathStart, text.pathLength), folder);
    }
}

// "Open data folder" says that the folder was not opened, and why in the tool's words.
TEST(FailureText, AFolderNotOpenedSaysWhy) {
    const FailureText text =
        failureTextFor(folderNotOpened(native("/shop/data/"), {"xdg-open", 0, "crashed"}));
    EXPECT_EQ(text.message, "The data folder could not be opened.");
    EXPECT_EQ(text.details, "Could not open \"" + native("/shop/data/") +
                                "\".\nNo file manager could be started (xdg-open: crashed).\n"
                                "Please open the folder yourself.");
}

}  // namespace
}  // namespace catalog::window
