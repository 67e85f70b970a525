#include "ui/display_text.h"

#include <gtest/gtest.h>

namespace catalog::ui {
namespace {

QString shown(std::string_view bytes) {
    return displayText(bytes);
}

TEST(DisplayTextTest, DecodesValidUtf8AsIs) {
    EXPECT_EQ(shown(""), QString());
    EXPECT_EQ(shown("A1\t125\r\n"), QStringLiteral("A1\t125\r\n"));
    EXPECT_EQ(shown("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\xA9"), QStringLiteral(u"Café € 🔩"));
}

TEST(DisplayTextTest, ShowsEachByteOutsideAValidSequenceAsItsWindowsCharacter) {
    EXPECT_EQ(shown("Caf\xE9 cr\xE8me \x80 \x93quoted\x94"),
              QStringLiteral(u"Café crème € “quoted”"));
    // Undefined in Windows-1252: kept as the Latin-1 control character.
    EXPECT_EQ(shown("\x81"), QString(QChar(0x81)));
    // A sequence cut short by the end or by a plain byte.
    EXPECT_EQ(shown("x\xE2\x82"), QStringLiteral(u"xâ‚"));
    EXPECT_EQ(shown("\xC3"
                    "A\xC3\xA9"),
              QStringLiteral(u"ÃAé"));
    // Overlong forms, surrogates and code points past U+10FFFF are not valid UTF-8.
    EXPECT_EQ(shown("\xC0\xAF"), QStringLiteral(u"À¯"));
    EXPECT_EQ(shown("\xE0\x80\xAF"), QStringLiteral(u"à€¯"));
    EXPECT_EQ(shown("\xED\xA0\x80"), QStringLiteral(u"í\u00A0€"));
    EXPECT_EQ(shown("\xF4\x90\x80\x80"), QStringLiteral(u"ô\u0090€€"));
    EXPECT_EQ(shown("\xFF"), QStringLiteral(u"ÿ"));
}

}  // namespace
}  // namespace catalog::ui
