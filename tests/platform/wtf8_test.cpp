#include "platform/wtf8.h"

#include <gtest/gtest.h>

namespace catalog {
namespace {

// The display refuses a surrogate spelled on its own, which WTF-8 takes; both refuse every other
// sequence that is not well-formed.
TEST(decodeUtf8, TakesOnlyWellFormedSequencesAndSurrogatesWhereAccepted) {
    const struct {
        std::string_view bytes;
        char32_t point;  // what WTF-8 takes from the start of the bytes, both 0 for nothing
        std::size_t length;
        bool surrogate;  // nothing where surrogates are refused
    } cases[] = {
        {"A", U'A', 1, false},
        {{"\0\x80", 2}, 0, 1, false},  // the ASCII NUL is a character
        {"\xc2\x80", 0x80, 2, false},
        {"\xdf\xbf", 0x7FF, 2, false},
        {"\xe0\xa0\x80", 0x800, 3, false},
        {"\xed\x9f\xbf", 0xD7FF, 3, false},
        {"\xef\xbf\xbf", 0xFFFF, 3, false},
        {"\xf0\x90\x80\x80", 0x10000, 4, false},
        {"\xf0\x9f\x93\xa6z", 0x1F4E6, 4, false},
        {"\xf4\x8f\xbf\xbf", 0x10FFFF, 4, false},
        {"\xc0\xaf", 0, 0, false},          // overlong "/"
        {"\xc1\xbf", 0, 0, false},          // overlong U+007F
        {"\xe0\x9f\xbf", 0, 0, false},      // overlong U+07FF
        {"\xf0\x8f\xbf\xbf", 0, 0, false},  // overlong U+FFFF
        {"\xc3", 0, 0, false},              // cut short by the end
        {"\xe2\x82", 0, 0, false},
        {"\xf0\x9f\x93", 0, 0, false},
        {"\xe2\x82z", 0, 0, false},         // cut short by a plain byte
        {"\xf4\x90\x80\x80", 0, 0, false},  // past U+10FFFF
        {"\xf5\x80\x80\x80", 0, 0, false},
        {"\xff", 0, 0, false},
        {"\x80", 0, 0, false},              // a continuation byte alone
        {"\xed\xa0\x80", 0xD800, 3, true},  // lone surrogates
        {"\xed\xbf\xbfz", 0xDFFF, 3, true},
        {"\xed\xa0\xbd\xed\xb3\xa6", 0xD83D, 3, true},  // a pair, one surrogate after the other
        {"", 0, 0, false},
    };
    for (const auto& c : cases) {
        const Utf8Character accepted = decodeUtf8(c.bytes, Surrogates::kAccepted);
        const Utf8Character refused = decodeUtf8(c.bytes, Surrogates::kRefused);
        const std::string shown = ::testing::PrintToString(c.bytes);
        EXPECT_EQ(accepted.point, c.point) << shown;
        EXPECT_EQ(accepted.length, c.length) << shown;
        EXPECT_EQ(refused.point, c.surrogate ? 0 : c.point) << shown;
        EXPECT_EQ(refused.length, c.surrogate ? 0 : c.length) << shown;
    }
}

TEST(wtf8, NamesSurviveTheRoundTripLoneSurrogatesIncluded) {
    const struct {
        std::u16string utf16;
        std::string wtf8;
    } cases[] = {
        {u"caf\u00e9.html", "caf\xc3\xa9.html"},
        {u"\U0001F4E6", "\xf0\x9f\x93\xa6"},  // a pair is one code point, in four bytes
        {std::u16string{u'a', 0xD800, u'b'},
         "a\xed\xa0\x80"
         "b"},
        {std::u16string{0xDC00, 0xD800}, "\xed\xb0\x80\xed\xa0\x80"},  // the wrong way round
        {std::u16string{0xD83D}, "\xed\xa0\xbd"},                      // cut off at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wtf8FromUtf16(c.utf16), c.wtf8);
        EXPECT_EQ(utf16FromWtf8(c.wtf8), c.utf16);
    }
}

// Bytes no name on Windows can give, which only a path typed or built wrongly could hold.
TEST(wtf8, EachByteThatStartsNoSequenceBecomesAReplacementCharacter) {
    EXPECT_EQ(utf16FromWtf8("a\xff"
                            "b\xc3"),
              (std::u16string{u'a', 0xFFFD, u'b', 0xFFFD}));
    EXPECT_EQ(utf16FromWtf8("\xc0\xaf"), (std::u16string{0xFFFD, 0xFFFD}));   // an overlong "/"
    EXPECT_EQ(utf16FromWtf8("\xf4\x90\x80\x80"), std::u16string(4, 0xFFFD));  // past U+10FFFF
}

// A console is written in parts of text, each converted on its own.
TEST(wtf8, PartsEndBeforeACharacterCutShortAndReadAsTheWhole) {
    const std::string_view text = "J\xc3\xbcrgen \xff\xd0\xb0\xf0\x9f\x93\xa6\x80";
    for (std::size_t end = 0; end <= text.size(); ++end) {
        const std::size_t cut = wholeCharactersLength(text.substr(0, end));
        EXPECT_GE(cut + 3, end);
        EXPECT_EQ(utf16FromWtf8(text.substr(0, cut)) + utf16FromWtf8(text.substr(cut)),
                  utf16FromWtf8(text))
            << end;
    }
    EXPECT_EQ(wholeCharactersLength("J\xc3"), 1u);
    EXPECT_EQ(wholeCharactersLength("a\xf0\x9f\x93"), 1u);
    EXPECT_EQ(wholeCharactersLength("a\xf0\x9f\x93\xa6"), 5u);
}

// The rows follow the names' byte order, which must be that of their code points whatever the
// system: UTF-16 would put the parcel, a pair, before the fullwidth tilde.
TEST(wtf8, ByteOrderIsCodePointOrder) {
    const std::u16string ascending[] = {u"a", u"\u00e9", std::u16string{0xD800}, u"\uff5e",
                                        u"\U0001F4E6"};
    for (std::size_t i = 1; i < std::size(ascending); ++i) {
        EXPECT_LT(wtf8FromUtf16(ascending[i - 1]), wtf8FromUtf16(ascending[i])) << i;
    }
}

}  // namespace
}  // namespace catalog
