#include "collect/held_page.h"

#include <gtest/gtest.h>

#include "platform/file_error.h"

namespace catalog {
namespace {

// Only a page another program holds open (Windows' sharing and lock violations) gets advice,
// named with its folder; the listing's own write words its failure itself.
TEST(HeldPageTest, AdvisesOnlyOnAPageAnotherProgramHoldsOpen) {
    const std::string page = std::string("C:\\prog\\data\\02-deutsch.html");
    const std::string advice = heldPageAdvice(FileError("open", page, 32), "collect again");
#ifdef _WIN32
    EXPECT_EQ(advice,
              "data\\02-deutsch.html is open in another program: close it there and "
              "collect again");
    EXPECT_EQ(heldPageAdvice(FileError("read", "02.html", 33), "run the command again"),
              "02.html is open in another program: close it there and run the command again");
#else
    EXPECT_EQ(advice, "");  // errno 32 is a broken pipe; nothing holds a file here
#endif
    EXPECT_EQ(heldPageAdvice(FileError("write", page, 32), "collect again"), "");
    EXPECT_EQ(heldPageAdvice(FileError("open", page, 5), "collect again"), "");
}

}  // namespace
}  // namespace catalog
