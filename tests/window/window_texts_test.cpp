#include "window/window_texts.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/paths.h"
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

}  // namespace
}  // namespace catalog::window
