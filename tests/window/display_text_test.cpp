#include "window/display_text.h"

#include <gtest/gtest.h>

namespace catalog::window {
namespace {

TEST(displayText, KeepsValidUtf8AsIs) {
    EXPECT_EQ(displayText(""), "");
    EXPECT_EQ(displayText("A1\t125\r\n"), "A1\t125\r\n");
    EXPECT_EQ(displayText("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\xA9"), "Café € 🔩");
}

TEST(displayText, ShowsEachByteOutsideAValidSequenceAsItsWindowsCharacter) {
    EXPECT_EQ(displayText("Caf\xE9 cr\xE8me \x80 \x93quoted\x94"), "Café crème € “quoted”");
    // Undefined in Windows-1252: kept as the Latin-1 control character.
    EXPECT_EQ(displayText("\x81"), "\xC2\x81");
    // A sequence cut short by the end or by a plain byte.
    EXPECT_EQ(displayText("x\xE2\x82"), "xâ‚");
    EXPECT_EQ(displayText("\xC3"
                          "A\xC3\xA9"),
              "ÃAé");
    // Overlong forms, surrogates and code points past U+10FFFF are not valid UTF-8.
    EXPECT_EQ(displayText("\xC0\xAF"), "À¯");
    EXPECT_EQ(displayText("\xE0\x80\xAF"), "à€¯");
    EXPECT_EQ(displayText("\xED\xA0\x80"), "í\u00A0€");
    EXPECT_EQ(displayText("\xF4\x90\x80\x80"), "ô\u0090€€");
    EXPECT_EQ(displayText("\xFF"), "ÿ");
}

}  // namespace
}  // namespace catalog::window
