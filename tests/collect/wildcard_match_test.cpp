#include "reference/wildcard_match.h"

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "reference/field_rules.h"

namespace catalog {
namespace {

const std::string kFailed(kMatchFailed);

struct MatchCase {
    const char* pattern;
    std::string text;
    std::string expected;
};

TEST(TestRegExp, ReturnsTheLastMatchOfLiteralsAndGreedyWildcards) {
    const MatchCase cases[] = {
        // The wildcard stretches from the first opener to the last closer.
        {"<[\\s\\S]*>", "a<b>c<d>e", "<b>c<d>"},
        {"<[\\s\\S]*>", "<>", "<>"},
        // A closer that only stands before the opener, or overlaps it, is no match.
        {"<[\\s\\S]*>", "a>b<c", kFailed},
        {"ab[\\s\\S]*ba", "aba", kFailed},
        {"ab[\\s\\S]*ba", "xabbay", "abba"},
        // The opener chosen is the first one that still has the closer after it.
        {"ab[\\s\\S]*b", "abab", "abab"},
        {"[\\s\\S]*b", "aabcc", "aab"},
        {"a[\\s\\S]*", "xxayy", "ayy"},
        // Literal patterns: every match is the same text.
        {"abc", "xabcyabc", "abc"},
        {"abc", "xabyz", kFailed},
        // Patterns that can match empty text end with an empty match.
        {"", "abc", ""},
        {"[\\s\\S]*", "abc", ""},
        {"[\\s\\S]*[\\s\\S]*", "", ""},
        // Several wildcards: each literal in order, the last one as late as it stands.
        {"a[\\s\\S]*b[\\s\\S]*c", "xaybzcbc", "aybzcbc"},
        {"a[\\s\\S]*b[\\s\\S]*c", "acb", kFailed},
        {"a[\\s\\S]*[\\s\\S]*c", "ac", "ac"},
        // Only the wildcard is special; everything else, case included, stands for itself.
        {"a.b[\\s\\S]*c", "axbyc", kFailed},
        {"a.b[\\s\\S]*c", "a.byc", "a.byc"},
        {"A[\\s\\S]*B", "a-b", kFailed},
        // Line breaks, NUL and bytes that are not UTF-8 are ordinary bytes.
        {"<[\\s\\S]*>", std::string("<\r\n\t\0\xff>", 7), std::string("<\r\n\t\0\xff>", 7)},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(TestRegExp(c.pattern, c.text), c.expected)
            << "pattern " << c.pattern << " on " << c.text;
    }
}

TEST(lastMatch, PointsAtTheLastOfTheMatchesFoundLeftToRight) {
    // The position matters to callers that cut around the match, even where the text is the
    // same for every match.
    const struct {
        const char* pattern;
        std::string_view text;
        std::size_t start;
        std::size_t length;
    } cases[] = {
        {"ab", "xxabyyab", 6, 2},     {"aa", "aaa", 0, 2},        {"aa", "aaaa", 2, 2},
        {"a[\\s\\S]*a", "aaa", 0, 3}, {"[\\s\\S]*", "abc", 3, 0},
    };
    for (const auto& c : cases) {
        const auto match = lastMatch(c.pattern, c.text);
        ASSERT_TRUE(match) << c.pattern << " on " << c.text;
        EXPECT_EQ(match->data() - c.text.data(), static_cast<std::ptrdiff_t>(c.start))
            << c.pattern << " on " << c.text;
        EXPECT_EQ(match->size(), c.length) << c.pattern << " on " << c.text;
    }
}

TEST(TestRegExp, StaysLinearWhereCandidatesRepeatEveryByte) {
    // Every byte of the text ends a candidate for the closer, and each candidate agrees with it
    // for half its length: a search that compares each candidate in full is quadratic here.
    const std::string half(2000, 'a');
    const std::string closer = half + "e" + half;
    const std::string filler(8 << 20, 'a');
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(TestRegExp("<[\\s\\S]*" + closer, "<" + filler), kFailed);
    EXPECT_EQ(TestRegExp("<[\\s\\S]*" + closer, "<" + closer + filler), "<" + closer);
    // Half a second under the sanitizers; the bound leaves a busy machine ten times that and more.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
}

TEST(TestRegExp, MatchesMultiMegabyteRecordsWithoutDeepRecursion) {
    std::string value;
    value.reserve(50 << 20);
    while (value.size() < (50u << 20)) {
        value += "line of a long description\r\n\t";
    }
    const std::string record = "'REFERENCE' => 'R', 'NAME' => '" + value +
                               "', 'PRICE' => 3, 'MIN_QUANTITY_ORDERABLE' => 1, "
                               "'THUMBNAIL' => 't.jpg',  }, ";
    const ProductRecord product = extractRecord(record);
    EXPECT_EQ(product.name.size(), value.size());
    EXPECT_TRUE(product.name == value);
    EXPECT_EQ(product.price, "3");
    EXPECT_EQ(product.thumbnail, "t.jpg");
}

}  // namespace
}  // namespace catalog
