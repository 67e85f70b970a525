#include "collect/byte_pair_search.h"

#include <array>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace catalog {
namespace {

using namespace std::string_view_literals;

// A quote and the bytes after a marker's first quote; the same with the clues to a wrapping,
// `RI` and `P` with a zero, which are found in one pass with them.
struct Pairs {
    std::string_view firsts;  // one for all the seconds, or one for each
    std::string_view seconds;
};
constexpr Pairs kSearched[] = {{"'", ",RTM"}, {"''''RP", ",RTMI\0"sv}};

std::vector<std::size_t> pairsByBytes(const Pairs& pairs, const std::string& text,
                                      std::size_t from) {
    std::vector<std::size_t> found;
    for (std::size_t at = from; at + 1 < text.size(); ++at) {
        const std::size_t second = pairs.seconds.find(text[at + 1]);
        if (second != std::string::npos &&
            text[at] == pairs.firsts[pairs.firsts.size() == 1 ? 0 : second]) {
            found.push_back(at);
        }
    }
    return found;
}

// Three places at a time make every call stop with its places full.
std::vector<std::size_t> pairsBySearch(const Pairs& searched, const std::string& text,
                                       std::size_t start) {
    const BytePairSearch search(searched.firsts, searched.seconds);
    std::vector<std::size_t> pairs;
    std::array<std::size_t, 3> found{};
    for (std::size_t from = start; from < text.size();) {
        const std::size_t count = search.find(text, from, found);
        pairs.insert(pairs.end(), found.begin(), found.begin() + count);
    }
    return pairs;
}

// Bytes drawn from `alphabet`, with a quote among them once in `quoteEvery` on average.
std::string textOf(std::size_t size, std::string_view alphabet, std::size_t quoteEvery,
                   std::mt19937& random) {
    std::string text(size, 'x');
    for (char& byte : text) {
        byte = random() % quoteEvery == 0 ? '\'' : alphabet[random() % alphabet.size()];
    }
    return text;
}

// Texts of bytes that share low bits with the firsts or the seconds, or differ from them only in
// the top bit, so that a lookup by the low bits alone, a signed comparison or a step past the end
// shows at once. Long texts pass from sparse quotes, passed over step by step, to dense ones,
// looked at whole, and back.
void findsWhatAByteByByteSearchFinds(const Pairs& searched) {
    const auto pairsBySearch = [&searched](const std::string& text, std::size_t start) {
        return catalog::pairsBySearch(searched, text, start);
    };
    const auto pairsByBytes = [&searched](const std::string& text, std::size_t start) {
        return catalog::pairsByBytes(searched, text, start);
    };
    const std::string alphabet("',RTMPI<\xAC\x82\xD4\xCD\x0C\xA7\xD0\xC9\x10x\x01\0", 20);
    std::mt19937 random(7);
    for (std::size_t size = 0; size < 300; ++size) {
        const std::string text = textOf(size, alphabet, alphabet.size(), random);
        for (std::size_t start = 0; start <= size; ++start) {
            ASSERT_EQ(pairsBySearch(text, start), pairsByBytes(text, start))
                << size << " from " << start;
        }
    }
    // One pair in a sparse text, at every place of a step, early and late in the text.
    for (const std::size_t step : {8, 96}) {
        for (std::size_t at = step * 128; at < step * 128 + 130; ++at) {
            std::string text(16384, 'x');
            text[at] = '\'';
            text[at + 1] = 'R';
            ASSERT_EQ(pairsBySearch(text, 0), std::vector<std::size_t>{at});
        }
    }
    const std::string seconds = std::string(searched.seconds) + std::string(searched.firsts) + 'x';
    for (const std::size_t quoteEvery : {2000, 300, 40, 3}) {
        std::string text;
        for (const std::size_t every : {quoteEvery, std::size_t{3}, quoteEvery, std::size_t{900}}) {
            text += textOf(9000 + random() % 300, seconds, every, random);
        }
        for (const std::size_t start : {0, 1, 127, 129, 8191, 17000}) {
            ASSERT_EQ(pairsBySearch(text, start), pairsByBytes(text, start))
                << quoteEvery << " from " << start;
        }
    }
}

TEST(BytePairSearch, FindsWhatAByteByByteSearchFinds) {
    for (const Pairs& searched : kSearched) {
        findsWhatAByteByByteSearchFinds(searched);
    }
}

}  // namespace
}  // namespace catalog
