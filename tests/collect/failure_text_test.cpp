#include "collect/failure_text.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/file_error.h"
#include "platform/system_error.h"

namespace catalog {
namespace {

// Each character that reorders or hides text is spelled out by its bytes, in a name that also
// holds characters kept as they are and a broken sequence just before one of them; so is a lone
// byte of the C1 range, which a terminal reading 8-bit controls obeys.
TEST(PrintableTest, SpellsOutTheCharactersThatReorderOrHideText) {
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"a\x1b[2Jb\n", "a\\x1b[2Jb\\n"},
        {"\xc2\x80\xc2\x85\xc2\x9b\xc2\x9f\xc2\xa0",
         "\\xc2\\x80\\xc2\\x85\\xc2\\x9b\\xc2\\x9f\xc2\xa0"},
        {"gpj.\xe2\x80\xae"
         "exe",
         "gpj.\\xe2\\x80\\xaeexe"},
        {"\xe2\x80\xaa\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad",
         "\\xe2\\x80\\xaa\\xe2\\x80\\xab\\xe2\\x80\\xac\\xe2\\x80\\xad"},
        {"\xe2\x81\xa6\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9\xe2\x81\xa5",
         "\\xe2\\x81\\xa6\\xe2\\x81\\xa7\\xe2\\x81\\xa8\\xe2\\x81\\xa9\xe2\x81\xa5"},
        {"\xe2\x80\x8e\xe2\x80\x8f\xd8\x9c\xe2\x80\x8d",
         "\\xe2\\x80\\x8e\\xe2\\x80\\x8f\\xd8\\x9c\xe2\x80\x8d"},
        {"caf\xc3\xa9\xe2\xc2\x85\x9b", "caf\xc3\xa9\xe2\\xc2\\x85\\x9b"},
        {"raw\x9b"
         "31m\x85\xe9",
         "raw\\x9b31m\\x85\xe9"},
        {"\xe2\x80", "\xe2\\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(printable(c.name), c.shown) << c.shown;
    }
}

// A refusal is told with what to do; the folder it names has its control bytes spelled out too.
TEST(PrintableTest, SaysEachRefusalSpellingOutControlBytes) {
    const auto said = [](Refusal refusal) {
        return failureText(FileError("write", "a\nb/out.txt", 13, refusal, "a\nb\x1b[2J"));
    };
    const std::string folder =
        "cannot write 'a\\nb/out.txt': " + describeSystemError(13) + ": the folder 'a\\nb\\x1b[2J";
    EXPECT_EQ(said(Refusal::NoNewFiles),
              folder +
                  "' does not let this user make new files in it, which writing the listing "
                  "needs (it is made anew, never written into the earlier file); save the "
                  "listing in another folder, or get write permission on this one (error 13)");
    EXPECT_EQ(said(Refusal::StickyFolder),
              folder +
                  "' is sticky, so only the listing's owner may replace it there; save the "
                  "listing in another folder, or ask its owner to remove it (error 13)");
}

}  // namespace
}  // namespace catalog
