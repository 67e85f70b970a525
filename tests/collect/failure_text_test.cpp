#include "collect/failure_text.h"

#include <gtest/gtest.h>

#include "platform/file_error.h"
#include "platform/system_error.h"

namespace catalog {
namespace {

// A detail may name a path of its own, the folder of the file among others.
TEST(failureText, SpellsOutControlBytesInTheDetailToo) {
    const FileError error("write", "a\nb/out.txt", 13, "the folder 'a\nb\x1b[2J' refuses");
    EXPECT_EQ(failureText(error), "cannot write 'a\\nb/out.txt': " + describeSystemError(13) +
                                      ": the folder 'a\\nb\\x1b[2J' refuses (error 13)");
}

}  // namespace
}  // namespace catalog
