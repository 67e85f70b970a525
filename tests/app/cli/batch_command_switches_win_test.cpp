// Windows' switches, as the built command takes them from a Command Prompt.

#include <gtest/gtest.h>

#include "app/cli/batch_command_fixture.h"

namespace catalog::testing {
namespace {

TEST_F(BatchCommandTest, SwitchesStandForTheirOptions) {
    const Outcome explained = run({"/explain", "/threads:1", "prog/data", "listing.txt"});
    EXPECT_EQ(explained.exitCode, 0) << explained.err;
    EXPECT_NE(explained.err.find("\nc.html: no record"), std::string::npos) << explained.err;
    const Outcome help = run({"-?"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_NE(help.out.find("/threads:N"), std::string::npos) << help.out;
    EXPECT_EQ(run({"/Explain"}).exitCode, 2);
}

}  // namespace
}  // namespace catalog::testing
