#include "collect/legible_text.h"

#include <gtest/gtest.h>

namespace catalog {
namespace {

TEST(legibleText, KeepsValidUtf8AsIs) {
    EXPECT_EQ(legibleText(""), "");
    EXPECT_EQ(legibleText("A1\t125\r\n"), "A1\t125\r\n");
    EXPECT_EQ(legibleText("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\xA9"), "Café € 🔩");
}

TEST(legibleText, ShowsEachByteOutsideAValidSequenceAsItsWindowsCharacter) {
    EXPECT_EQ(legibleText("Caf\xE9 cr\xE8me \x80 \x93quoted\x94"), "Café crème € “quoted”");
    // Undefined in Windows-1252: kept as the Latin-1 control character.
    EXPECT_EQ(legibleText("\x81"), "\xC2\x81");
    // A sequence cut short by the end or by a plain byte.
    EXPECT_EQ(legibleText("x\xE2\x82"), "xâ‚");
    EXPECT_EQ(legibleText("\xC3"
                          "A\xC3\xA9"),
              "ÃAé");
    // Overlong forms, surrogates and code points past U+10FFFF are not valid UTF-8.
    EXPECT_EQ(legibleText("\xC0\xAF"), "À¯");
    EXPECT_EQ(legibleText("\xE0\x80\xAF"), "à€¯");
    EXPECT_EQ(legibleText("\xED\xA0\x80"), "í\u00A0€");
    EXPECT_EQ(legibleText("\xF4\x90\x80\x80"), "ô\u0090€€");
    EXPECT_EQ(legibleText("\xFF"), "ÿ");
}

}  // namespace
}  // namespace catalog
